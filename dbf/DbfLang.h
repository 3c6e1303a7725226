// Language drivers: the driver byte table with code pages, locales and level-7 names, lookups in
// both directions, text conversion between code pages, and the process-wide TDbfGlobals.
#pragma once
#include <functional>
#include <string_view>
#include <vector>
#include "dbf/DbfCommon.h"

namespace orv {

struct TLangDriverEntry {
  Word CodePage;
  LongWord Locale;
  const char* Suffix;  // level-7 name suffix; nullptr: none
  bool Listed;
};

const TLangDriverEntry& LangDriverEntry(Byte driver);
inline bool IsFoxProDriver(Byte driver) { return (driver >= 1 && driver <= 4) || driver > 0x5D; }

Word CodePageOfDriver(Byte driver);
// The driver byte for a code page (any when 0) and a locale; 0 when none matches.
Byte DriverOfCodePage(Cardinal codePage, Cardinal locale, bool foxPro);
// The language name written into level-7 headers (at most 31 characters).
AnsiString Level7LanguageName(Cardinal codePage, Cardinal locale);
// The code page a level-7 header names: "DB" or "FOX" names, whole numbers of any length; 0 unknown.
Cardinal CodePageOfLevel7Name(std::string_view name);
// The driver byte a level-7 name stands for; EConvertError when its code page is not a number.
Byte DriverOfLevel7Name(std::string_view name);

// Converts a whole text between two code pages (OEM <-> ANSI through the system's routines,
// others through UTF-16); the result is as long as the target needs.
AnsiString ConvertText(Cardinal fromCodePage, Cardinal toCodePage, std::string_view source);

// How a table's texts cross to the application: not at all (the table cannot be modified), as
// they are (ANSI), through the OEM routines, or through another installed code page.
enum TDbfTranslationMode { tmNoneAvailable, tmNoneNeeded, tmSimple, tmAdvanced };
// Decides the mode for a table's code page; a code page this system cannot convert asks
// onLanguageWarning (action 0: none, 1: OEM, 2: ANSI; 0 also without a handler).
TDbfTranslationMode ChooseTranslationMode(Cardinal useCodePage, const std::function<void(int& action)>& onLanguageWarning);
// A text towards the file (toFile) or from it, by the mode.
AnsiString TranslateText(TDbfTranslationMode mode, Cardinal useCodePage, std::string_view text, bool toFile);

// One record per process: code pages, locale and computer name, made on first use.
class TDbfGlobals {
 public:
  TDbfGlobals();
  Cardinal SystemCodePage;
  Cardinal DefaultCodePage;
  Cardinal DefaultLocale;
  std::vector<Integer> InstalledCodePages;
  bool IsCodePageInstalled(Integer codePage) const;
  const AnsiString& ComputerName() const { return FComputerName; }
  Integer ComputerNameLength() const { return static_cast<Integer>(FComputerName.size()); }
  void SetComputerName(AnsiString name);

 private:
  AnsiString FComputerName;
};

TDbfGlobals& DbfGlobals();

}  // namespace orv
