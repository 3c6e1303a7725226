// Code pages and locale of the process, set in one place, and text conversion between them via ICU.
#pragma once
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace orv {

// The process-wide national settings. Defaults: ANSI 1252, OEM 850, and the locale id of the first
// set one of LC_ALL, LC_MESSAGES, LANG, read on first use (C, POSIX, C.UTF-8 and unset count as
// 0x409). Tests change them through SetNlsSettings.
struct TNlsSettings {
  Cardinal AnsiCodePage = 1252;
  Cardinal OemCodePage = 850;
  Cardinal UserLCID = 0x409;
};
const TNlsSettings& NlsSettings();
void SetNlsSettings(const TNlsSettings& settings);
// Reads LC_ALL / LC_MESSAGES / LANG again and sets the locale id from them (the code pages stay).
void InitNlsFromEnvironment();
// The locale id a POSIX locale name stands for ("de_DE.UTF-8" -> 0x407; C/POSIX/C.UTF-8 -> 0x409).
Cardinal LcidFromLocaleName(const std::string& name);
// The POSIX name of a locale id ("de_DE" for 0x407); "en_US" for ids not known.
std::string LocaleNameFromLcid(Cardinal lcid);

inline constexpr Cardinal CP_ACP = 0;
inline constexpr Cardinal CP_OEMCP = 1;
inline constexpr Cardinal CP_UTF7 = 65000;
inline constexpr Cardinal CP_UTF8 = 65001;

// True when ICU knows a converter for the Windows code page.
bool IsValidCodePage(Cardinal codePage);
// Bytes in codePage (CP_ACP / CP_OEMCP resolve through the settings) to UTF-16.
// Undefined bytes become U+FFFD unless the code page maps them (1252 maps 0x81 etc. to C1 controls).
WideString MultiByteToWide(const AnsiString& text, Cardinal codePage = CP_ACP);
// UTF-16 to bytes in codePage; unmappable characters become defaultChar ('?') and set *usedDefault.
AnsiString WideToMultiByte(const WideString& text, Cardinal codePage = CP_ACP,
                           bool* usedDefault = nullptr, char defaultChar = '?');
// Shorthands through the ANSI code page.
WideString AnsiToWide(const AnsiString& text);
AnsiString WideToAnsi(const WideString& text);
// UTF-8 <-> UTF-16, lossless for valid input; invalid UTF-8 becomes U+FFFD.
WideString Utf8ToWide(const std::string& text);
std::string WideToUtf8(const WideString& text);
bool IsValidUtf8(const std::string& text);
// Between two byte code pages, through UTF-16.
AnsiString ConvertCodePage(const AnsiString& text, Cardinal fromCodePage, Cardinal toCodePage,
                           bool* usedDefault = nullptr);

}  // namespace orv
