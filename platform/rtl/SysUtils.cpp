// String helpers and integer text of the runtime: a-z casing, locale compare, Trim, Copy, Pos.
#include "platform/rtl/SysUtils.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <map>
#include <type_traits>
#include <mutex>

#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Cases each character through UTF-16 and keeps a byte whose other case has no form in the
// code page, so the text keeps its length. One table per code page and direction, built once.
const std::array<char, 256>& CaseTable(bool upper) {
  static std::mutex mutex;
  static std::map<std::pair<Cardinal, bool>, std::array<char, 256>> tables;
  Cardinal cp = NlsSettings().AnsiCodePage;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = tables.find({cp, upper});
  if (it != tables.end()) return it->second;
  std::array<char, 256> t;
  for (int b = 0; b < 256; ++b) {
    char c = static_cast<char>(b);
    t[static_cast<std::size_t>(b)] = upper ? UpperAscii(c) : LowerAscii(c);
    if (b < 0x80) continue;
    WideString w = MultiByteToWide(AnsiString(1, c), cp);
    if (w.size() != 1) continue;
    WideString cased(1, static_cast<char16_t>(upper ? u_toupper(w[0]) : u_tolower(w[0])));
    bool usedDefault = false;
    AnsiString back = WideToMultiByte(cased, cp, &usedDefault);
    if (!usedDefault && back.size() == 1) t[static_cast<std::size_t>(b)] = back[0];
  }
  return tables.emplace(std::make_pair(cp, upper), t).first->second;
}

AnsiString AnsiCase(std::string_view s, bool upper) {
  const auto& table = CaseTable(upper);
  AnsiString out(s);
  for (char& c : out) c = table[static_cast<Byte>(c)];
  return out;
}

// Collators are opened once per locale and case rule and kept until exit.
struct TCollators {
  std::map<std::pair<Cardinal, bool>, UCollator*> Map;
  ~TCollators() {
    for (auto& [key, coll] : Map)
      if (coll) ucol_close(coll);
  }
};
std::mutex gCollatorMutex;
TCollators gCollators;

int Collate(std::string_view a, std::string_view b, bool ignoreCase) {
  WideString wa = AnsiToWide(AnsiString(a));
  WideString wb = AnsiToWide(AnsiString(b));
  Cardinal lcid = NlsSettings().UserLCID;
  std::lock_guard<std::mutex> lock(gCollatorMutex);
  UCollator*& coll = gCollators.Map[{lcid, ignoreCase}];
  if (!coll) {
    UErrorCode err = U_ZERO_ERROR;
    coll = ucol_open(LocaleNameFromLcid(lcid).c_str(), &err);
    if (U_FAILURE(err) || !coll) {
      coll = nullptr;
      int r = wa.compare(wb);
      return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    // Pinned so that the order is the same on every machine: case differences are tertiary,
    // accents stay significant either way, punctuation is shifted.
    UErrorCode attrErr = U_ZERO_ERROR;
    ucol_setAttribute(coll, UCOL_STRENGTH, ignoreCase ? UCOL_SECONDARY : UCOL_TERTIARY, &attrErr);
    ucol_setAttribute(coll, UCOL_ALTERNATE_HANDLING, UCOL_SHIFTED, &attrErr);
    ucol_setAttribute(coll, UCOL_NORMALIZATION_MODE, UCOL_ON, &attrErr);
  }
  UCollationResult r = ucol_strcoll(coll, reinterpret_cast<const UChar*>(wa.data()), static_cast<int32_t>(wa.size()),
                                    reinterpret_cast<const UChar*>(wb.data()), static_cast<int32_t>(wb.size()));
  return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

template <class View>
View TrimView(View s, bool left, bool right) {
  std::size_t b = 0, e = s.size();
  if (left) while (b < e && static_cast<unsigned>(s[b]) <= ' ') ++b;
  if (right) while (e > b && static_cast<unsigned>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

template <class View>
View CopyView(View s, Int64 index, Int64 count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > static_cast<Int64>(s.size())) return {};
  auto start = static_cast<std::size_t>(index - 1);
  auto n = static_cast<std::size_t>(std::min<Int64>(count, static_cast<Int64>(s.size() - start)));
  return s.substr(start, n);
}

[[noreturn]] void InvalidInteger(std::string_view s) {
  throw EConvertError("'" + AnsiString(s) + "' is not a valid integer value");
}

// Parses decimal or "$"/"0x" hex with an optional sign; hex may fill all bits (as the class
// library's Val does: "$FFFFFFFF" is -1 for a 32-bit value).
template <class T>
bool ParseInt(std::string_view s, T& value) {
  using U = std::make_unsigned_t<T>;
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && s[i] == '$') { hex = true; ++i; }
  else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) { hex = true; i += 2; }
  std::string_view digits = s.substr(i);
  if (digits.empty()) return false;
  U mag = 0;
  auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), mag, hex ? 16 : 10);
  if (ec != std::errc() || p != digits.data() + digits.size()) return false;
  if (hex) {
    value = static_cast<T>(negative ? static_cast<U>(0 - mag) : mag);
    return true;
  }
  constexpr U maxPos = static_cast<U>(std::numeric_limits<T>::max());
  if (negative) {
    if (mag > maxPos + 1) return false;
    value = static_cast<T>(0 - mag);
  } else {
    if (mag > maxPos) return false;
    value = static_cast<T>(mag);
  }
  return true;
}

}  // namespace

AnsiString UpperCase(std::string_view s) {
  AnsiString out(s);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

AnsiString LowerCase(std::string_view s) {
  AnsiString out(s);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

AnsiString AnsiUpperCase(std::string_view s) { return AnsiCase(s, true); }
AnsiString AnsiLowerCase(std::string_view s) { return AnsiCase(s, false); }

int CompareText(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int ca = static_cast<Byte>(UpperAscii(a[i]));
    int cb = static_cast<Byte>(UpperAscii(b[i]));
    if (ca != cb) return ca - cb;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }
int AnsiCompareStr(std::string_view a, std::string_view b) { return Collate(a, b, false); }
int AnsiCompareText(std::string_view a, std::string_view b) { return Collate(a, b, true); }

AnsiString Trim(std::string_view s) { return AnsiString(TrimView(s, true, true)); }
AnsiString TrimLeft(std::string_view s) { return AnsiString(TrimView(s, true, false)); }
AnsiString TrimRight(std::string_view s) { return AnsiString(TrimView(s, false, true)); }
WideString Trim(std::u16string_view s) { return WideString(TrimView(s, true, true)); }

AnsiString Copy(std::string_view s, Int64 index, Int64 count) { return AnsiString(CopyView(s, index, count)); }
WideString Copy(std::u16string_view s, Int64 index, Int64 count) { return WideString(CopyView(s, index, count)); }

Integer Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  auto p = s.find(sub);
  return p == std::string_view::npos ? 0 : static_cast<Integer>(p + 1);
}

Integer Pos(std::u16string_view sub, std::u16string_view s) {
  if (sub.empty()) return 0;
  auto p = s.find(sub);
  return p == std::u16string_view::npos ? 0 : static_cast<Integer>(p + 1);
}

AnsiString StringReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return AnsiString(s);
  AnsiString out;
  std::size_t start = 0;
  for (auto p = s.find(from); p != std::string_view::npos; p = s.find(from, start)) {
    out.append(s.substr(start, p - start)).append(to);
    start = p + from.size();
  }
  out.append(s.substr(start));
  return out;
}

AnsiString IntToStr(Int64 value) { return std::to_string(value); }

AnsiString IntToHex(std::uint64_t value, int digits) {
  char buf[24];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, 16);
  AnsiString hex = UpperCase(std::string_view(buf, static_cast<std::size_t>(p - buf)));
  if (digits > 32) digits = 32;
  if (static_cast<int>(hex.size()) < digits) hex.insert(0, static_cast<std::size_t>(digits) - hex.size(), '0');
  return hex;
}

bool TryStrToInt(std::string_view s, Integer& value) { return ParseInt(s, value); }
bool TryStrToInt64(std::string_view s, Int64& value) { return ParseInt(s, value); }

Integer StrToInt(std::string_view s) {
  Integer v = 0;
  if (!ParseInt(s, v)) InvalidInteger(s);
  return v;
}

Int64 StrToInt64(std::string_view s) {
  Int64 v = 0;
  if (!ParseInt(s, v)) InvalidInteger(s);
  return v;
}

Integer StrToIntDef(std::string_view s, Integer def) {
  Integer v = 0;
  return ParseInt(s, v) ? v : def;
}

}  // namespace orv
