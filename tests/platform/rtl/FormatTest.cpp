// Format directives, widths, precision and argument index, and the error on bad directives.
#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"

namespace orv {
namespace {

struct FormatCase {
  const char* Name;
  AnsiString Result;
  AnsiString Expected;
};

TEST(Format, Directives) {
  TNlsSettings saved = NlsSettings();
  SetNlsSettings({1252, 850, 0x409});
  const void* ptr = reinterpret_cast<const void*>(std::uintptr_t{0xBEEF});
  const FormatCase cases[] = {
      {"plain", Format("no directives", {}), "no directives"},
      {"percent", Format("100%%", {}), "100%"},
      {"s", Format("[%s]", {"abc"}), "[abc]"},
      {"s width", Format("[%5s]", {"abc"}), "[  abc]"},
      {"s left", Format("[%-5s]", {"abc"}), "[abc  ]"},
      {"s cut", Format("[%.2s]", {"abc"}), "[ab]"},
      {"s wide", Format("%s", {WideString(u"\u00E4\u20AC")}), "\xE4\x80"},
      {"s wide literal", Format("%s", {u"\u00E4"}), "\xE4"},
      {"s view", Format("%s", {std::string_view("view")}), "view"},
      {"d", Format("%d", {-42}), "-42"},
      {"d prec pads zeros", Format("%.5d", {-42}), "-00042"},
      {"d width and prec", Format("[%8.4d]", {7}), "[    0007]"},
      {"d int64", Format("%d", {INT64_MIN}), "-9223372036854775808"},
      {"u", Format("%u", {4000000000u}), "4000000000"},
      {"u of negative 32-bit", Format("%u", {-1}), "4294967295"},
      {"x is upper", Format("%x", {255}), "FF"},
      {"X", Format("%X", {0xABCDEF}), "ABCDEF"},
      {".8X", Format("%.8X", {0x1F}), "0000001F"},
      {".2x", Format("%.2x", {5}), "05"},
      {"x of negative 32-bit", Format("%x", {-1}), "FFFFFFFF"},
      {"x of 64-bit", Format("%x", {0x123456789ALL}), "123456789A"},
      {"f", Format("%f", {3.14159}), "3.14"},
      {"f prec", Format("%.3f", {2.0}), "2.000"},
      {"f half away", Format("%.0f", {2.5}), "3"},
      {"f half away neg", Format("%.2f", {-0.125}), "-0.13"},
      {"f zero", Format("%.1f", {-0.01}), "0.0"},
      {"g", Format("%g", {0.1}), "0.1"},
      {"g big", Format("%g", {1e20}), "1E20"},
      {"g prec", Format("%.3g", {1234.5}), "1.23E3"},
      {"e", Format("%e", {1234.5}), "1.23450000000000E+003"},
      {"e prec", Format("%.3e", {-0.000123}), "-1.23E-004"},
      {"n", Format("%n", {1234567.891}), "1,234,567.89"},
      {"m", Format("%m", {-1234.5}), "($1,234.50)"},
      {"p", Format("%p", {ptr}), "000000000000BEEF"},
      {"index", Format("%1:s %0:s %s", {"a", "b"}), "b a b"},
      {"star width", Format("[%*d]", {4, 7}), "[   7]"},
      {"star prec", Format("[%.*f]", {1, 2.25}), "[2.3]"},
      {"star negative width", Format("[%*d]", {-3, 7}), "[7  ]"},
      {"upper type letters", Format("%S%D", {"x", 1}), "x1"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Result, c.Expected) << c.Name;
  SetNlsSettings({1252, 850, 0x407});
  EXPECT_EQ(Format("%f|%n|%m", {1.5, 1234.5, 1234.5}), "1,50|1.234,50|1.234,50 \x80");
  SetNlsSettings(saved);
}

TEST(Format, BadDirectivesRaise) {
  const char* formats[] = {"%", "%d", "%s%s", "%q", "%5", "%2:s", "%.", "%*d"};
  for (const char* f : formats) {
    try {
      Format(f, {"x"});
      ADD_FAILURE() << f;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), "Format '" + AnsiString(f) + "' invalid or incompatible with argument");
    }
  }
  EXPECT_THROW(Format("%d", {1.5}), EConvertError);
  EXPECT_THROW(Format("%f", {1}), EConvertError);
  EXPECT_THROW(Format("%s", {2}), EConvertError);
  EXPECT_THROW(Format("%99999999d", {2}), EConvertError);
}

}  // namespace
}  // namespace orv
