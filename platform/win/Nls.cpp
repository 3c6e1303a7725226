// National-language services over ICU. Converters and collators are opened once and kept for the
// life of the process, so repeated conversions and compares cost no set-up.
#include "platform/win/Nls.h"
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uiter.h>
#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include "platform/rtl/CodePages.h"

namespace orv {

Cardinal GetACP() { return NlsSettings().AnsiCodePage; }
Cardinal GetOEMCP() { return NlsSettings().OemCodePage; }
Cardinal GetUserDefaultLCID() { return NlsSettings().UserLCID; }

namespace {

struct TConverterCache {
  std::mutex Lock;
  std::map<Cardinal, UConverter*> Converters;  // nullptr: no converter for that code page
  ~TConverterCache() {
    for (auto& [cp, c] : Converters)
      if (c) ucnv_close(c);
  }
};

TConverterCache& Converters() {
  static TConverterCache cache;
  return cache;
}

// Returns the kept converter of the code page, or nullptr. Callers reset it before use.
UConverter* ConverterOf(Cardinal codePage) {
  auto& cache = Converters();
  std::lock_guard<std::mutex> guard(cache.Lock);
  auto it = cache.Converters.find(codePage);
  if (it != cache.Converters.end()) return it->second;
  UConverter* conv = nullptr;
  if (const char* name = IcuConverterName(codePage)) {
    UErrorCode err = U_ZERO_ERROR;
    conv = ucnv_open(name, &err);
    if (U_FAILURE(err)) conv = nullptr;
    if (conv) {
      err = U_ZERO_ERROR;
      ucnv_setSubstChars(conv, "?", 1, &err);
    }
  }
  cache.Converters[codePage] = conv;
  return conv;
}

Cardinal Resolve(Cardinal codePage) {
  if (codePage == CP_ACP) return GetACP();
  if (codePage == CP_OEMCP) return GetOEMCP();
  return codePage;
}

}  // namespace

const char* IcuConverterName(Cardinal codePage) {
  static thread_local std::string name;
  codePage = Resolve(codePage);
  switch (codePage) {
    case 874: return "windows-874-2000";
    case 932: return "ibm-943_P15A-2003";
    case 936: return "windows-936-2000";
    case 949: return "windows-949-2000";
    case 950: return "windows-950-2000";
    case 10000: return "macintosh";
    case 10006: return "x-mac-greek";
    case 10007: return "x-mac-cyrillic";
    case 10029: return "x-mac-centraleurope";
    case 10079: return "x-mac-icelandic";
    case 10081: return "x-mac-turkish";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 65001: return "UTF-8";
    default: break;
  }
  if (codePage >= 1250 && codePage <= 1258) {
    name = "windows-" + std::to_string(codePage);
    return name.c_str();
  }
  if (codePage >= 28591 && codePage <= 28605) {
    name = "ISO-8859-" + std::to_string(codePage - 28590);
    return name.c_str();
  }
  if (codePage >= 37 && codePage < 1250) {
    name = "ibm-" + std::to_string(codePage);
    return name.c_str();
  }
  return nullptr;
}

bool IsCodePageInstalled(Cardinal codePage) { return ConverterOf(Resolve(codePage)) != nullptr; }

const std::vector<Cardinal>& InstalledCodePageList() {
  static const std::vector<Cardinal> list = [] {
    static constexpr Cardinal candidates[] = {
        37,    437,   500,   620,   708,   720,   737,   775,   850,   852,   855,   857,
        858,   860,   861,   862,   863,   864,   865,   866,   867,   868,   869,   870,
        874,   875,   895,   932,   936,   949,   950,   1026,  1250,  1251,  1252,  1253,
        1254,  1255,  1256,  1257,  1258,  10000, 10006, 10007, 10029, 10079, 10081, 20866,
        21866, 28591, 28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599, 28605, 65001};
    std::vector<Cardinal> found;
    for (Cardinal cp : candidates)
      if (ConverterOf(cp)) found.push_back(cp);
    return found;
  }();
  return list;
}

WideString MultiByteToWideChar(Cardinal codePage, std::string_view text) {
  WideString out;
  if (text.empty()) return out;
  UConverter* conv = ConverterOf(Resolve(codePage));
  if (!conv) {
    // Without a converter each byte stands for itself, so the text is never lost.
    out.assign(text.begin(), text.end());
    for (auto& c : out) c = static_cast<unsigned char>(c);
    return out;
  }
  std::lock_guard<std::mutex> guard(Converters().Lock);
  ucnv_reset(conv);
  out.resize(text.size() * 2 + 2);
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                            text.data(), static_cast<int32_t>(text.size()), &err);
  if (err == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<size_t>(n) + 1);
    err = U_ZERO_ERROR;
    ucnv_reset(conv);
    n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                      text.data(), static_cast<int32_t>(text.size()), &err);
  }
  out.resize(U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING ? 0 : static_cast<size_t>(n));
  return out;
}

AnsiString WideCharToMultiByte(Cardinal codePage, std::u16string_view text, bool* usedDefault) {
  if (usedDefault) *usedDefault = false;
  AnsiString out;
  if (text.empty()) return out;
  UConverter* conv = ConverterOf(Resolve(codePage));
  if (!conv) {
    out.reserve(text.size());
    for (char16_t c : text) {
      bool fits = c < 256;
      if (!fits && usedDefault) *usedDefault = true;
      out.push_back(fits ? static_cast<char>(c) : '?');
    }
    return out;
  }
  std::lock_guard<std::mutex> guard(Converters().Lock);
  ucnv_reset(conv);
  // The widest Windows code pages take up to four bytes per UTF-16 unit.
  out.resize(text.size() * 4 + 4);
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &err);
  if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) n = 0;
  out.resize(static_cast<size_t>(n));
  if (usedDefault) {
    // A round trip tells whether a substitute was used.
    ucnv_reset(conv);
    std::u16string back(out.size() * 2 + 2, u'\0');
    UErrorCode e2 = U_ZERO_ERROR;
    int32_t m = ucnv_toUChars(conv, reinterpret_cast<UChar*>(back.data()), static_cast<int32_t>(back.size()),
                              out.data(), static_cast<int32_t>(out.size()), &e2);
    back.resize(U_FAILURE(e2) ? 0 : static_cast<size_t>(m));
    *usedDefault = back != text;
  }
  return out;
}

AnsiString OemToChar(std::string_view text) {
  if (GetOEMCP() == GetACP()) return AnsiString(text);
  return WideCharToMultiByte(GetACP(), MultiByteToWideChar(GetOEMCP(), text));
}

AnsiString CharToOem(std::string_view text) {
  if (GetOEMCP() == GetACP()) return AnsiString(text);
  return WideCharToMultiByte(GetOEMCP(), MultiByteToWideChar(GetACP(), text));
}

std::string IcuLocaleName(Cardinal lcid) {
  char buf[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = uloc_getLocaleForLCID(lcid, buf, sizeof buf, &err);
  if (U_FAILURE(err) || n <= 0) return {};
  return std::string(buf, static_cast<size_t>(n));
}

bool IsValidLocale(Cardinal lcid) { return !IcuLocaleName(lcid).empty(); }

Cardinal LocaleDefaultAnsiCodePage(Cardinal lcid) {
  Cardinal primary = lcid & 0x3FF;
  switch (primary) {
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1A: case 0x1B: case 0x1C: case 0x24:
      return 1250;
    case 0x02: case 0x19: case 0x22: case 0x23: case 0x2F: case 0x3F: case 0x44:
      return 1251;
    case 0x08: return 1253;
    case 0x1F: case 0x2C: case 0x43: return 1254;
    case 0x0D: return 1255;
    case 0x01: case 0x20: case 0x29: return 1256;
    case 0x25: case 0x26: case 0x27: return 1257;
    case 0x2A: return 1258;
    case 0x1E: return 874;
    case 0x11: return 932;
    case 0x12: return 949;
    case 0x04: {
      Cardinal lang = lcid & 0xFFFF;
      return (lang == 0x804 || lang == 0x1004) ? 936 : 950;
    }
    default: return 1252;
  }
}

std::vector<Cardinal> SupportedLocales() {
  std::vector<Cardinal> list;
  for (Cardinal primary = 1; primary < 0x80; ++primary)
    for (Cardinal sub = 1; sub <= 6; ++sub) {
      Cardinal lcid = (sub << 10) | primary;
      if (IsValidLocale(lcid)) list.push_back(lcid);
    }
  std::sort(list.begin(), list.end());
  return list;
}

namespace {

// 256-entry upper-case table of a single-byte code page; identity for multi-byte ones.
const std::array<unsigned char, 256>& UpperTable(Cardinal codePage) {
  static std::mutex lock;
  static std::map<Cardinal, std::unique_ptr<std::array<unsigned char, 256>>> tables;
  std::lock_guard<std::mutex> guard(lock);
  auto& slot = tables[codePage];
  if (!slot) {
    slot = std::make_unique<std::array<unsigned char, 256>>();
    auto& t = *slot;
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    UErrorCode err = U_ZERO_ERROR;
    UConverter* conv = nullptr;
    if (const char* name = IcuConverterName(codePage)) conv = ucnv_open(name, &err);
    if (conv && U_SUCCESS(err) && ucnv_getMaxCharSize(conv) == 1) {
      for (int i = 0x20; i < 256; ++i) {
        char in = static_cast<char>(i);
        UChar wide[4];
        UErrorCode e = U_ZERO_ERROR;
        ucnv_reset(conv);
        int32_t n = ucnv_toUChars(conv, wide, 4, &in, 1, &e);
        if (U_FAILURE(e) || n != 1) continue;
        UChar upper = static_cast<UChar>(u_toupper(wide[0]));
        if (upper == wide[0]) continue;
        char outb[4];
        e = U_ZERO_ERROR;
        ucnv_reset(conv);
        int32_t m = ucnv_fromUChars(conv, outb, 4, &upper, 1, &e);
        if (U_SUCCESS(e) && m == 1) t[i] = static_cast<unsigned char>(outb[0]);
      }
    } else {
      for (int i = 'a'; i <= 'z'; ++i) t[i] = static_cast<unsigned char>(i - 32);
    }
    if (conv) ucnv_close(conv);
  }
  return *slot;
}

struct TCollatorCache {
  std::mutex Lock;
  std::map<std::pair<Cardinal, bool>, UCollator*> Collators;
  ~TCollatorCache() {
    for (auto& [k, c] : Collators)
      if (c) ucol_close(c);
  }
};

UCollator* CollatorOf(Cardinal lcid, bool ignoreCase) {
  static TCollatorCache cache;
  // The collator a thread used last is had without the lock: collators live as long as the
  // process, and threads that make many keys at once do not wait for each other.
  thread_local std::pair<Cardinal, bool> lastKey{~Cardinal{0}, false};
  thread_local UCollator* last = nullptr;
  auto key = std::make_pair(lcid & 0xFFFF, ignoreCase);
  if (key == lastKey) return last;
  std::lock_guard<std::mutex> guard(cache.Lock);
  auto it = cache.Collators.find(key);
  if (it != cache.Collators.end()) {
    lastKey = key;
    last = it->second;
    return last;
  }
  std::string name = IcuLocaleName(lcid & 0xFFFF);
  UErrorCode err = U_ZERO_ERROR;
  UCollator* coll = ucol_open(name.empty() ? "en_US" : name.c_str(), &err);
  if (U_FAILURE(err)) coll = nullptr;
  if (coll) {
    // Pinned so that key order does not depend on the machine's ICU defaults.
    ucol_setAttribute(coll, UCOL_STRENGTH, ignoreCase ? UCOL_SECONDARY : UCOL_TERTIARY, &err);
    ucol_setAttribute(coll, UCOL_ALTERNATE_HANDLING, UCOL_SHIFTED, &err);
    ucol_setAttribute(coll, UCOL_NORMALIZATION_MODE, UCOL_ON, &err);
  }
  cache.Collators[key] = coll;
  lastKey = key;
  last = coll;
  return coll;
}

}  // namespace

void CharUpperBuff(char* buffer, size_t length) {
  const auto& table = UpperTable(GetACP());
  for (size_t i = 0; i < length; ++i)
    buffer[i] = static_cast<char>(table[static_cast<unsigned char>(buffer[i])]);
}

AnsiString CharUpper(std::string_view text) {
  AnsiString s(text);
  CharUpperBuff(s.data(), s.size());
  return s;
}

WideChar CharUpperW(WideChar c) {
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  const UChar32 upper = u_toupper(c);
  return upper >= 0 && upper <= 0xFFFF && (upper < 0xD800 || upper > 0xDFFF) ? static_cast<WideChar>(upper) : c;
}

void CharUpperBuffW(WideChar* buffer, size_t length) {
  for (size_t i = 0; i < length; ++i) buffer[i] = CharUpperW(buffer[i]);
}

int CompareStringW(Cardinal lcid, Cardinal flags, std::u16string_view a, std::u16string_view b) {
  UCollator* coll = CollatorOf(lcid, (flags & NORM_IGNORECASE) != 0);
  if (!coll) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  UCollationResult r = ucol_strcoll(coll, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                                    reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
  return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
}

size_t LCMapStringPrefixW(Cardinal lcid, Cardinal flags, std::u16string_view text, Byte* out, size_t count) {
  std::fill(out, out + count, Byte{0});
  UCollator* coll = CollatorOf(lcid, (flags & NORM_IGNORECASE) != 0);
  if (!coll) {
    // Without a collation texts compare by code units: their big-endian bytes sort the same way.
    size_t n = 0;
    for (size_t i = 0; i < text.size() && n < count; ++i) {
      out[n++] = static_cast<Byte>(text[i] >> 8);
      if (n < count) out[n++] = static_cast<Byte>(text[i] & 0xFF);
    }
    return n;
  }
  UCharIterator it;
  uiter_setString(&it, reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()));
  uint32_t state[2] = {0, 0};
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = ucol_nextSortKeyPart(coll, &it, state, out, static_cast<int32_t>(count), &err);
  if (U_FAILURE(err) || n < 0) {
    std::fill(out, out + count, Byte{0});
    return 0;
  }
  return static_cast<size_t>(n);
}

int CompareStringA(Cardinal lcid, Cardinal flags, std::string_view a, std::string_view b, Cardinal codePage) {
  Cardinal cp = codePage ? codePage : GetACP();
  return CompareStringW(lcid, flags, MultiByteToWideChar(cp, a), MultiByteToWideChar(cp, b));
}

}  // namespace orv
