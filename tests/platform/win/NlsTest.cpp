// National-language services: locale-aware compare with pinned collation, upper-casing by the
// ANSI code page, locale facts and installed code pages.
#include <gtest/gtest.h>
#include "platform/win/Nls.h"

namespace orv {
namespace {

TEST(Nls, CompareStringFollowsTheLocale) {
  struct TCase { Cardinal Lcid; Cardinal Flags; const char* A; const char* B; int Sign; };
  const TCase cases[] = {
      {0x409, 0, "apple", "Banana", -1},           // letters before case
      {0x409, 0, "a", "A", -1},                    // lower before upper at tertiary strength
      {0x409, NORM_IGNORECASE, "a", "A", 0},
      {0x409, 0, "co-op", "coop", 0},              // punctuation shifted: ignored at tertiary strength
      {0x409, 0, "co-op", "cop", -1},
      {0x407, 0, "\xE4" "b", "az", -1},            // German: a-umlaut sorts with a
      {0x41D, 0, "\xE4" "b", "az", 1},             // Swedish: a-umlaut after z
      {0x409, NORM_IGNORECASE, "M\xDCLLER", "m\xFCller", 0},
  };
  for (const auto& c : cases) {
    int r = CompareStringA(c.Lcid, c.Flags, c.A, c.B);
    EXPECT_EQ((r > 0) - (r < 0), c.Sign) << c.A << " vs " << c.B << " in " << std::hex << c.Lcid;
  }
}

TEST(Nls, UpperCasingByTheAnsiCodePage) {
  EXPECT_EQ(CharUpper("m\xFCller \xE9t\xE9 abc_1"), "M\xDCLLER \xC9T\xC9 ABC_1");
  EXPECT_EQ(CharUpper("\xFF"), "\x9F") << "y-diaeresis has its capital in 1252";
  EXPECT_EQ(CharUpper("\xDF"), "\xDF") << "sharp s has no one-byte capital";
}

TEST(Nls, LocaleFacts) {
  struct TCase { Cardinal Lcid; Cardinal CodePage; };
  const TCase cases[] = {{0x409, 1252}, {0x407, 1252}, {0x419, 1251}, {0x405, 1250}, {0x411, 932},
                         {0x804, 936}, {0x404, 950}, {0x40D, 1255}, {0x41F, 1254}};
  for (const auto& c : cases) {
    EXPECT_EQ(LocaleDefaultAnsiCodePage(c.Lcid), c.CodePage) << std::hex << c.Lcid;
    EXPECT_TRUE(IsValidLocale(c.Lcid)) << std::hex << c.Lcid;
  }
  EXPECT_EQ(IcuLocaleName(0x407), "de_DE");
  EXPECT_FALSE(IsValidLocale(0x7F7F));
  auto locales = SupportedLocales();
  EXPECT_NE(std::find(locales.begin(), locales.end(), 0x407u), locales.end());
}

TEST(Nls, CodePagesAndConversions) {
  for (Cardinal cp : {437u, 850u, 852u, 866u, 932u, 936u, 949u, 950u, 1250u, 1252u, 1255u, 10000u, 10007u})
    EXPECT_TRUE(IsCodePageInstalled(cp)) << cp;
  EXPECT_FALSE(IsCodePageInstalled(4711));
  EXPECT_EQ(MultiByteToWideChar(1252, "\x80"), u"\u20AC");
  EXPECT_EQ(WideCharToMultiByte(932, u"\u65E5\u672C"), "\x93\xFA\x96\x7B");
  bool usedDefault = false;
  EXPECT_EQ(WideCharToMultiByte(1252, u"\u0416", &usedDefault), "?");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(OemToChar("\x81"), "\xFC");
  EXPECT_EQ(CharToOem("\xFC"), "\x81");
}

}  // namespace
}  // namespace orv
