// National-language services the engines call: code pages and their conversions, the user locale,
// locale facts, and locale-aware compare and upper-casing through ICU.
#pragma once
#include <string>
#include <string_view>
#include <vector>
#include "platform/rtl/Types.h"

namespace orv {

// The process's ANSI and OEM code pages and the user's default locale id (from the runtime's settings).
Cardinal GetACP();
Cardinal GetOEMCP();
Cardinal GetUserDefaultLCID();

// The ICU converter name of a Windows code page, or empty when there is none.
const char* IcuConverterName(Cardinal codePage);
// True when text in the code page can be converted (an ICU converter exists for it).
bool IsCodePageInstalled(Cardinal codePage);
// The Windows code pages this system can convert, ascending.
const std::vector<Cardinal>& InstalledCodePageList();

// Whole-text conversions; the result is sized for the target (multi-byte targets included).
// Bytes the source code page does not define become U+FFFD; characters the target lacks become '?'.
WideString MultiByteToWideChar(Cardinal codePage, std::string_view text);
AnsiString WideCharToMultiByte(Cardinal codePage, std::u16string_view text, bool* usedDefault = nullptr);
// OEM <-> ANSI code page.
AnsiString OemToChar(std::string_view text);
AnsiString CharToOem(std::string_view text);

// Locale facts: whether the id names a locale ICU knows, its default ANSI code page, the ICU name.
bool IsValidLocale(Cardinal lcid);
Cardinal LocaleDefaultAnsiCodePage(Cardinal lcid);
std::string IcuLocaleName(Cardinal lcid);
// The locale ids of the common languages and regions that ICU knows, ascending.
std::vector<Cardinal> SupportedLocales();

// Upper-casing of ANSI text by the letters' own case rules (not only a-z); a letter whose upper
// case is not in the ANSI code page stays as it is.
AnsiString CharUpper(std::string_view text);
void CharUpperBuff(char* buffer, size_t length);
// Upper-casing of UTF-16 units by their simple case mapping; a unit whose upper case is not one
// unit (or a surrogate) stays as it is.
WideChar CharUpperW(WideChar c);
void CharUpperBuffW(WideChar* buffer, size_t length);

// CompareString: < 0, 0, > 0 by the locale's collation (tertiary strength, punctuation shifted).
inline constexpr Cardinal NORM_IGNORECASE = 0x00000001;
int CompareStringW(Cardinal lcid, Cardinal flags, std::u16string_view a, std::u16string_view b);
// The narrow form compares text in the given code page (the ANSI code page when 0).
int CompareStringA(Cardinal lcid, Cardinal flags, std::string_view a, std::string_view b,
                   Cardinal codePage = 0);
// LCMapString with LCMAP_SORTKEY, cut to its first count bytes: the start of the text's sort key
// by the locale's collation, made without the rest of it. Sort keys compare as bytes as
// CompareStringW compares the texts, so two texts whose prefixes differ compare as the prefixes
// do. The result is the number of bytes given; the rest of out is zero.
inline constexpr Cardinal LCMAP_SORTKEY = 0x00000400;
size_t LCMapStringPrefixW(Cardinal lcid, Cardinal flags, std::u16string_view text, Byte* out, size_t count);

}  // namespace orv
