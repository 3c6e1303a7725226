// Conversions between the ANSI/OEM code pages, UTF-8 and UTF-16, and the national settings.
#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"

namespace orv {
namespace {

class NlsGuard {
 public:
  NlsGuard() : FSaved(NlsSettings()) {}
  ~NlsGuard() { SetNlsSettings(FSaved); }
 private:
  TNlsSettings FSaved;
};

struct ByteCase { Cardinal CodePage; unsigned char Byte; char16_t Wide; };

TEST(CodePages, HighBytesMapAsWindowsDoes) {
  const ByteCase cases[] = {
      {1252, 0x80, u'\u20AC'}, {1252, 0x81, u'\u0081'}, {1252, 0x8D, u'\u008D'}, {1252, 0x8F, u'\u008F'},
      {1252, 0x90, u'\u0090'}, {1252, 0x9D, u'\u009D'}, {1252, 0x8A, u'\u0160'}, {1252, 0x9F, u'\u0178'},
      {1252, 0x96, u'\u2013'}, {1252, 0xE4, u'\u00E4'}, {1252, 0xA0, u'\u00A0'},
      {850, 0x80, u'\u00C7'},  {850, 0x81, u'\u00FC'},  {850, 0x84, u'\u00E4'},  {850, 0x9D, u'\u00D8'},
      {850, 0xE1, u'\u00DF'},  {850, 0xD5, u'\u0131'},  {850, 0x7F, u'\u007F'},  {850, 0x1A, u'\u001A'},
      {437, 0xE6, u'\u00B5'},  {852, 0xAA, u'\u00AC'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.CodePage << " byte " << std::hex << int(c.Byte));
    AnsiString narrow(1, static_cast<char>(c.Byte));
    EXPECT_EQ(MultiByteToWide(narrow, c.CodePage), WideString(1, c.Wide));
    bool used = true;
    EXPECT_EQ(WideToMultiByte(WideString(1, c.Wide), c.CodePage, &used), narrow);
    EXPECT_FALSE(used);
  }
}

TEST(CodePages, EveryByteOfBothPagesRoundTrips) {
  for (Cardinal cp : {1252u, 850u}) {
    AnsiString all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    bool used = true;
    EXPECT_EQ(WideToMultiByte(MultiByteToWide(all, cp), cp, &used), all) << cp;
    EXPECT_FALSE(used) << cp;
  }
}

struct UnmappableCase { Cardinal CodePage; WideString Wide; AnsiString Narrow; bool Used; };

TEST(CodePages, UnmappableCharactersBecomeTheDefault) {
  const UnmappableCase cases[] = {
      {1252, u"a\u0100b", "a?b", true},
      {1252, u"\u20AC\u4E2D", "\x80?", true},
      {1252, u"x\U0001F600y", "x?y", true},   // a surrogate pair is one character
      {1252, u"\xD800", "?", true},           // a lone surrogate
      {850, u"\u20AC", "?", true},
      {850, u"\u00C7\u00FC", "\x80\x81", false},
      {1252, u"", "", false},
  };
  for (const auto& c : cases) {
    bool used = !c.Used;
    EXPECT_EQ(WideToMultiByte(c.Wide, c.CodePage, &used), c.Narrow);
    EXPECT_EQ(used, c.Used);
  }
  bool used = false;
  EXPECT_EQ(WideToMultiByte(u"\u0100", 1252, &used, '#'), "#");
  EXPECT_TRUE(used);
}

TEST(CodePages, AnsiAndOemFollowTheSettings) {
  NlsGuard guard;
  SetNlsSettings({1252, 850, 0x409});
  EXPECT_EQ(AnsiToWide("\x80"), u"\u20AC");
  EXPECT_EQ(MultiByteToWide("\x80", CP_OEMCP), u"\u00C7");
  EXPECT_EQ(ConvertCodePage("\xE4", CP_ACP, CP_OEMCP), "\x84");
  SetNlsSettings({1251, 866, 0x419});
  EXPECT_EQ(AnsiToWide("\xC0"), u"\u0410");
  EXPECT_EQ(WideToAnsi(u"\u0410"), "\xC0");
  EXPECT_EQ(MultiByteToWide("\x80", CP_OEMCP), u"\u0410");
}

TEST(CodePages, Utf8AndUtf7AreCodePagesToo) {
  EXPECT_EQ(MultiByteToWide("\xC3\xA4\xE2\x82\xAC", CP_UTF8), u"\u00E4\u20AC");
  EXPECT_EQ(WideToMultiByte(u"\U0001F600", CP_UTF8), "\xF0\x9F\x98\x80");
  EXPECT_EQ(MultiByteToWide("Hi Mom -+Jjo--!", CP_UTF7), u"Hi Mom -\u263A-!");
  EXPECT_EQ(MultiByteToWide(WideToMultiByte(u"\u00E4+x", CP_UTF7), CP_UTF7), u"\u00E4+x");
  EXPECT_TRUE(IsValidCodePage(CP_UTF7));
  EXPECT_TRUE(IsValidCodePage(850));
  EXPECT_FALSE(IsValidCodePage(12345));
  EXPECT_THROW(MultiByteToWide("x", 12345), EConvertError);
}

struct Utf8Case { std::string Bytes; WideString Wide; bool Valid; };

TEST(CodePages, Utf8DecodingIsStrict) {
  const Utf8Case cases[] = {
      {"abc", u"abc", true},
      {"\xF0\x9F\x98\x80", u"\U0001F600", true},
      {"\xC0\xAF", u"\uFFFD\uFFFD", false},          // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},  // encoded surrogate
      {"\xE2\x82", u"\uFFFD", false},                // cut short
      {"a\xFFz", u"a\uFFFDz", false},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},  // past U+10FFFF
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.Bytes), c.Wide) << c.Bytes;
    EXPECT_EQ(IsValidUtf8(c.Bytes), c.Valid) << c.Bytes;
  }
  EXPECT_EQ(WideToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
}

TEST(CodePages, DoubleByteCodePageThroughIcu) {
  EXPECT_EQ(MultiByteToWide("a\x82\xA0", 932), u"a\u3042");
  bool used = true;
  EXPECT_EQ(WideToMultiByte(u"a\u3042", 932, &used), "a\x82\xA0");
  EXPECT_FALSE(used);
  EXPECT_EQ(WideToMultiByte(u"\U0001F600\u3042", 932, &used), "?\x82\xA0");
  EXPECT_TRUE(used);
  EXPECT_EQ(MultiByteToWide("\x82", 932), u"\uFFFD");   // a lead byte without its trail
}

TEST(CodePages, LocaleIdFromName) {
  const std::pair<const char*, Cardinal> cases[] = {
      {"de_DE.UTF-8", 0x407}, {"en_US", 0x409},   {"fr_FR", 0x40C}, {"C", 0x409},
      {"POSIX", 0x409},       {"C.UTF-8", 0x409}, {"", 0x409},      {"de_AT@euro", 0xC07},
      {"de", 0x407},          {"xx_YY", 0x409},   {"en_GB.ISO-8859-1", 0x809},
  };
  for (const auto& [name, lcid] : cases) EXPECT_EQ(LcidFromLocaleName(name), lcid) << name;
}

TEST(CodePages, LocaleIdFromEnvironment) {
  NlsGuard guard;
  auto restore = [](const char* var, const char* old) { old ? setenv(var, old, 1) : unsetenv(var); };
  std::string oldAll = getenv("LC_ALL") ? getenv("LC_ALL") : "";
  std::string oldMsg = getenv("LC_MESSAGES") ? getenv("LC_MESSAGES") : "";
  std::string oldLang = getenv("LANG") ? getenv("LANG") : "";
  bool hadAll = getenv("LC_ALL"), hadMsg = getenv("LC_MESSAGES"), hadLang = getenv("LANG");
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  setenv("LANG", "fr_FR.UTF-8", 1);
  InitNlsFromEnvironment();
  EXPECT_EQ(NlsSettings().UserLCID, 0x40Cu);
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  InitNlsFromEnvironment();
  EXPECT_EQ(NlsSettings().UserLCID, 0x407u);
  setenv("LC_ALL", "C.UTF-8", 1);
  InitNlsFromEnvironment();
  EXPECT_EQ(NlsSettings().UserLCID, 0x409u);
  restore("LC_ALL", hadAll ? oldAll.c_str() : nullptr);
  restore("LC_MESSAGES", hadMsg ? oldMsg.c_str() : nullptr);
  restore("LANG", hadLang ? oldLang.c_str() : nullptr);
}

}  // namespace
}  // namespace orv
