// Language drivers: the driver byte of new tables under the user locale, level-7 names and
// conversions between code pages.
#include <gtest/gtest.h>
#include "dbf/DbfLang.h"
#include "platform/rtl/CodePages.h"

namespace orv {
namespace {

TEST(LangDriver, DriverOfCodePageAndLocale) {
  struct TCase { Cardinal CodePage, Locale; bool Fox; Byte Expected; };
  const TCase cases[] = {
      {1252, 0x407, false, 0x61},  // no dBASE-range entry: the FoxPro-range one is taken
      {1252, 0x409, false, 0x37},  // repeated search without the code page
      {1252, 0x409, true, 0x01},
      {850, 0x407, false, 0x10},
      {866, 0x419, false, 0x26},  // dBASE range beats FoxPro 0x65 for a dBASE table
      {866, 0x419, true, 0x65},
      {1251, 0x419, false, 0xC9},
      {1252, 0x10407, false, 0x61},  // only the low 16 bits of the locale count
      {1252, 0x0C1A, false, 0},      // no entry for the locale at all
  };
  for (const auto& c : cases)
    EXPECT_EQ(DriverOfCodePage(c.CodePage, c.Locale, c.Fox), c.Expected) << c.CodePage << "/" << std::hex << c.Locale;
  EXPECT_EQ(CodePageOfDriver(0x37), 850);
  EXPECT_EQ(CodePageOfDriver(0x30), 0);
}

TEST(LangDriver, Level7Names) {
  EXPECT_EQ(Level7LanguageName(1252, 0x409), "DBWINUS0");
  EXPECT_EQ(Level7LanguageName(868, 0x402), "BGDB868");
  EXPECT_EQ(Level7LanguageName(1252, 0x0C1A), "");
  struct TCase { const char* Name; Cardinal CodePage; };
  const TCase cases[] = {
      {"DBWINUS0", 1252}, {"DB437US0", 437}, {"DBHEBREW", 1255}, {"DB10000UK0", 10000},
      {"DB10029CZ0", 10029}, {"FOXDE437", 437}, {"FOXNOWIN", 1252}, {"DBXYZ", 0}, {"XX437", 0}, {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CodePageOfLevel7Name(c.Name), c.CodePage) << c.Name;
  EXPECT_EQ(DriverOfLevel7Name("DB437US0"), 0x1B);
  EXPECT_EQ(DriverOfLevel7Name("FOXDE437"), 0x5E);
  EXPECT_EQ(DriverOfLevel7Name("DB10000UK0"), 0x04);
  EXPECT_THROW(DriverOfLevel7Name("DBXYZUS0"), EConvertError);
}

TEST(LangDriver, ConvertsWholeTextsIntoMultiByteTargets) {
  // "Grüße" in 1252, to 850 (OEM) and to UTF-8, which takes more bytes than the source.
  const std::string ansi = "Gr\xFC\xDF" "e";
  EXPECT_EQ(ConvertText(1252, 850, ansi), "Gr\x81\xE1" "e");
  EXPECT_EQ(ConvertText(850, 1252, "Gr\x81\xE1" "e"), ansi);
  EXPECT_EQ(ConvertText(1252, 65001, ansi), "Gr\xC3\xBC\xC3\x9F" "e");
  std::string longText(5000, '\xE4');
  std::string utf8 = ConvertText(1252, 65001, longText);
  EXPECT_EQ(utf8.size(), 10000u) << "texts longer than any fixed buffer are converted whole";
  EXPECT_EQ(ConvertText(1252, 1252, "same"), "same");
}

TEST(LangDriver, GlobalsFollowTheUserLocale) {
  // C, POSIX and C.UTF-8 count as 0x409; the globals take the locale at creation.
  struct TCase { const char* Name; Cardinal Lcid; Byte Level4Driver; };
  const TCase cases[] = {{"C", 0x409, 0x37}, {"POSIX", 0x409, 0x37}, {"C.UTF-8", 0x409, 0x37}, {"de_DE.UTF-8", 0x407, 0x61}};
  TNlsSettings saved = NlsSettings();
  for (const auto& c : cases) {
    TNlsSettings s = saved;
    s.UserLCID = LcidFromLocaleName(c.Name);
    SetNlsSettings(s);
    TDbfGlobals globals;
    EXPECT_EQ(globals.DefaultLocale, c.Lcid) << c.Name;
    EXPECT_EQ(DriverOfCodePage(globals.DefaultCodePage, globals.DefaultLocale, false), c.Level4Driver) << c.Name;
  }
  SetNlsSettings(saved);
  TDbfGlobals globals;
  EXPECT_TRUE(globals.IsCodePageInstalled(1252));
  EXPECT_TRUE(globals.IsCodePageInstalled(850));
  EXPECT_FALSE(globals.IsCodePageInstalled(12345));
  EXPECT_LE(globals.ComputerNameLength(), 261);
}

TEST(LangDriver, TranslationModeOfATable) {
  struct TCase { Cardinal CodePage; int Action; TDbfTranslationMode Expected; };
  const TCase cases[] = {
      {1252, 0, tmNoneNeeded}, {850, 0, tmSimple}, {1251, 0, tmAdvanced},
      {12345, 0, tmNoneAvailable}, {12345, 1, tmSimple}, {12345, 2, tmNoneNeeded},
  };
  for (const auto& c : cases) {
    bool asked = false;
    auto mode = ChooseTranslationMode(c.CodePage, [&](int& action) { asked = true; action = c.Action; });
    EXPECT_EQ(mode, c.Expected) << c.CodePage << "/" << c.Action;
    EXPECT_EQ(asked, c.CodePage == 12345) << c.CodePage;
  }
  EXPECT_EQ(ChooseTranslationMode(12345, nullptr), tmNoneAvailable);
  EXPECT_EQ(TranslateText(tmSimple, 850, "\xFC", true), "\x81");
  EXPECT_EQ(TranslateText(tmSimple, 850, "\x81", false), "\xFC");
  EXPECT_EQ(TranslateText(tmAdvanced, 1251, "\xC4\xE0", false), "??") << "Cyrillic letters have no 1252 form";
  EXPECT_EQ(TranslateText(tmAdvanced, 1251, "abc", true), "abc");
  EXPECT_EQ(TranslateText(tmNoneNeeded, 1252, "\xFC", true), "\xFC");
}

}  // namespace
}  // namespace orv
