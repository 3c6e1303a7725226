// Language-driver table, code-page lookups, text conversion and the process-wide settings.
#include "dbf/DbfLang.h"
#include <array>
#include <charconv>
#include <unistd.h>
#include "platform/rtl/Exceptions.h"
#include "platform/win/Nls.h"

namespace orv {

namespace {

struct TDriverRow { Byte Driver; Word CodePage; LongWord Locale; const char* Suffix; };

constexpr TDriverRow kRows[] = {
    {0x00, 0, 0x10000, nullptr}, {0x01, 437, 0x409, "US0"}, {0x02, 850, 0x809, "UK0"},
    {0x03, 1252, 0x809, "UK0"}, {0x04, 10000, 0x809, "UK0"}, {0x08, 865, 0x406, "DA0"},
    {0x09, 437, 0x413, "NL0"}, {0x0A, 850, 0x413, "NL0"}, {0x0B, 437, 0x40B, "FI0"},
    {0x0C, 850, 0x40B, "FI0"}, {0x0D, 437, 0x40C, "FR0"}, {0x0E, 850, 0x40C, "FR0"},
    {0x0F, 437, 0x407, "DE0"}, {0x10, 850, 0x407, "DE0"}, {0x11, 437, 0x410, "IT0"},
    {0x12, 850, 0x410, "IT1"}, {0x13, 932, 0x411, "JP0"}, {0x14, 850, 0x40A, "ES0"},
    {0x15, 437, 0x41D, "SV0"}, {0x16, 850, 0x41D, "SV1"}, {0x17, 865, 0x414, "NO0"},
    {0x18, 437, 0x40A, "ES1"}, {0x19, 437, 0x809, "UK0"}, {0x1A, 850, 0x809, "UK0"},
    {0x1B, 437, 0x409, "US0"}, {0x1C, 863, 0xC0C, "CF1"}, {0x1D, 850, 0xC0C, "CF1"},
    {0x1F, 852, 0x405, "CZ0"}, {0x20, 867, 0x405, "CZ0"}, {0x22, 852, 0x40E, "HDC"},
    {0x23, 852, 0x415, "PO0"}, {0x24, 860, 0x416, "PT0"}, {0x25, 850, 0x416, "PT0"},
    {0x26, 866, 0x419, "RU0"}, {0x37, 850, 0x409, "US0"}, {0x4D, 936, 0x804, "CN0"},
    {0x4E, 949, 0x412, "KO0"}, {0x4F, 950, 0x404, "TW0"}, {0x50, 874, 0x41E, "TH0"},
    {0x56, 932, 0x411, "JP1"}, {0x57, 1252, 0x0, "US0"}, {0x58, 1252, 0x809, "WE0"},
    {0x59, 1252, 0x40A, "ES0"}, {0x5E, 437, 0x407, "DE"}, {0x5F, 437, 0x414, "NO"},
    {0x60, 850, 0x414, "NO"}, {0x61, 1252, 0x407, "DE"}, {0x62, 1252, 0x414, "NO"},
    {0x64, 852, 0x405, "CZ0"}, {0x65, 866, 0x419, "RU0"}, {0x66, 865, 0x414, "NO"},
    {0x67, 861, 0x40F, "IC0"}, {0x68, 895, 0x405, "CZ0"}, {0x69, 620, 0x415, "PO1"},
    {0x6A, 737, 0x408, "GR0"}, {0x6B, 857, 0x41F, "TR0"}, {0x78, 950, 0xC04, "CH0"},
    {0x79, 949, 0x412, "KO0"}, {0x7A, 936, 0x21004, "CS0"}, {0x7B, 932, 0x411, "JP0"},
    {0x7C, 874, 0x41E, "TH0"}, {0x7D, 1255, 0x40D, "REW"}, {0x7E, 1256, 0x401, "AR0"},
    {0x85, 862, 0x40D, "REW"}, {0x86, 437, 0x408, "GR0"}, {0x87, 852, 0x41B, "SL0"},
    {0x88, 857, 0x41F, "TR0"}, {0x8E, 868, 0x402, "BGDB868"}, {0x96, 10007, 0x419, "RU0"},
    {0x97, 10029, 0x405, "CZ0"}, {0x98, 10006, 0x408, "GR0"}, {0x9B, 1250, 0x405, ""},
    {0x9C, 850, 0x405, ""}, {0xC8, 1250, 0x405, "CZ0"}, {0xC9, 1251, 0x419, "RU0"},
    {0xCA, 1254, 0x41F, "TR0"}, {0xCB, 1253, 0x408, "GR0"},
};

const std::array<TLangDriverEntry, 256>& Table() {
  static const std::array<TLangDriverEntry, 256> table = [] {
    std::array<TLangDriverEntry, 256> t{};
    for (auto& e : t) e = {0, 0, nullptr, false};
    for (const auto& r : kRows) t[r.Driver] = {r.CodePage, r.Locale, r.Suffix, true};
    return t;
  }();
  return table;
}

// Searches the listed entries; match decides per entry. Within a range the highest byte wins.
template <class Match>
Byte Search(bool foxPro, Match match) {
  int dbase = -1, fox = -1;
  const auto& t = Table();
  for (int b = 0; b < 256; ++b) {
    if (!t[b].Listed || b == 0 || !match(t[b])) continue;
    if (IsFoxProDriver(static_cast<Byte>(b))) fox = b;
    else dbase = b;
  }
  if (foxPro && fox >= 0) return static_cast<Byte>(fox);
  if (dbase >= 0) return static_cast<Byte>(dbase);
  if (fox >= 0) return static_cast<Byte>(fox);
  return 0;
}

// A run of decimal digits at the start of s; false when there is none.
bool LeadingNumber(std::string_view s, Cardinal& value) {
  size_t n = 0;
  while (n < s.size() && n < 9 && s[n] >= '0' && s[n] <= '9') ++n;
  if (n == 0) return false;
  std::from_chars(s.data(), s.data() + n, value);
  return true;
}

}  // namespace

const TLangDriverEntry& LangDriverEntry(Byte driver) { return Table()[driver]; }
Word CodePageOfDriver(Byte driver) { return Table()[driver].CodePage; }

Byte DriverOfCodePage(Cardinal codePage, Cardinal locale, bool foxPro) {
  locale &= 0xFFFF;
  auto with = [&](Cardinal cp) {
    return Search(foxPro, [&](const TLangDriverEntry& e) {
      return e.Locale == locale && (cp == 0 || e.CodePage == cp);
    });
  };
  Byte result = with(codePage);
  if (result == 0 && codePage != 0) result = with(0);
  return result;
}

AnsiString Level7LanguageName(Cardinal codePage, Cardinal locale) {
  Byte driver = DriverOfCodePage(codePage, locale, false);
  if (driver == 0) return {};
  const auto& e = Table()[driver];
  if (driver == 0x8E) return "BGDB868";
  AnsiString name = "DB" + (codePage == 1252 ? AnsiString("WIN") : std::to_string(codePage)) + (e.Suffix ? e.Suffix : "");
  if (name.size() > 31) name.resize(31);
  return name;
}

Cardinal CodePageOfLevel7Name(std::string_view name) {
  std::string_view rest;
  if (name.substr(0, 2) == "DB") rest = name.substr(2);
  else if (name.substr(0, 3) == "FOX") rest = name.size() > 5 ? name.substr(5) : std::string_view{};
  else return 0;
  if (rest.substr(0, 3) == "WIN") return 1252;
  if (rest.substr(0, 6) == "HEBREW" || rest.substr(0, 3) == "REW") return 1255;
  Cardinal cp = 0;
  if (!LeadingNumber(rest, cp)) return 0;
  return cp;
}

Byte DriverOfLevel7Name(std::string_view name) {
  bool fox = name.substr(0, 3) == "FOX";
  std::string_view cpText, suffix;
  if (fox) {
    suffix = name.substr(3, 2);
    cpText = name.size() > 5 ? name.substr(5) : std::string_view{};
  } else {
    cpText = name.size() > 2 ? name.substr(2) : std::string_view{};
  }
  Cardinal cp = 0;
  size_t digits = 0;
  if (cpText.substr(0, 3) == "WIN") { cp = 1252; digits = 3; }
  else if (cpText.substr(0, 6) == "HEBREW") { cp = 1255; digits = 6; }
  else if (cpText.substr(0, 3) == "REW") { cp = 1255; digits = 3; }
  else {
    while (digits < cpText.size() && digits < 9 && cpText[digits] >= '0' && cpText[digits] <= '9') ++digits;
    if (digits == 0) throw EConvertError("'" + AnsiString(cpText.substr(0, 3)) + "' is not a valid integer value");
    std::from_chars(cpText.data(), cpText.data() + digits, cp);
  }
  if (!fox) suffix = cpText.substr(digits);
  return Search(fox, [&](const TLangDriverEntry& e) {
    return e.CodePage == cp && e.Suffix && std::string_view(e.Suffix) == suffix;
  });
}

AnsiString ConvertText(Cardinal fromCodePage, Cardinal toCodePage, std::string_view source) {
  if (fromCodePage == toCodePage) return AnsiString(source);
  if (fromCodePage == GetOEMCP() && toCodePage == GetACP()) return OemToChar(source);
  if (fromCodePage == GetACP() && toCodePage == GetOEMCP()) return CharToOem(source);
  return WideCharToMultiByte(toCodePage, MultiByteToWideChar(fromCodePage, source));
}

TDbfTranslationMode ChooseTranslationMode(Cardinal useCodePage, const std::function<void(int& action)>& onLanguageWarning) {
  if (useCodePage == GetACP()) return tmNoneNeeded;
  if (useCodePage == GetOEMCP()) return tmSimple;
  if (DbfGlobals().IsCodePageInstalled(static_cast<Integer>(useCodePage))) return tmAdvanced;
  int action = 0;
  if (onLanguageWarning) onLanguageWarning(action);
  return action == 1 ? tmSimple : action == 2 ? tmNoneNeeded : tmNoneAvailable;
}

AnsiString TranslateText(TDbfTranslationMode mode, Cardinal useCodePage, std::string_view text, bool toFile) {
  if (mode == tmNoneNeeded || mode == tmNoneAvailable) return AnsiString(text);
  // The OEM mode chosen for a code page that is not the OEM one still goes through the OEM pair.
  const Cardinal tableCodePage = mode == tmSimple ? GetOEMCP() : useCodePage;
  return toFile ? ConvertText(GetACP(), tableCodePage, text) : ConvertText(tableCodePage, GetACP(), text);
}

TDbfGlobals::TDbfGlobals() {
  SystemCodePage = GetACP();
  DefaultCodePage = SystemCodePage;
  DefaultLocale = GetUserDefaultLCID();
  for (Cardinal cp : InstalledCodePageList()) InstalledCodePages.push_back(static_cast<Integer>(cp));
  char host[262] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = 0;
  SetComputerName(host);
}

void TDbfGlobals::SetComputerName(AnsiString name) {
  if (name.size() > 261) name.resize(261);
  FComputerName = std::move(name);
}

bool TDbfGlobals::IsCodePageInstalled(Integer codePage) const {
  for (Integer cp : InstalledCodePages)
    if (cp == codePage) return true;
  return false;
}

TDbfGlobals& DbfGlobals() {
  static TDbfGlobals globals;
  return globals;
}

}  // namespace orv
