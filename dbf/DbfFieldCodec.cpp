// Field value encodings of every native type; numbers in files are read and written in the C locale.
#include "dbf/DbfFieldCodec.h"
#include "platform/rtl/FloatDigits.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>
#include <string_view>

namespace orv {

namespace {

Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d) {
  y -= m <= 2;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<Int64>(doe) - 719468;  // days since 1970-01-01
}

void CivilFromDays(Int64 z, Int64& y, unsigned& m, unsigned& d) {
  z += 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<Int64>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

// Day number of 1970-01-01.
constexpr Int64 kUnixDayNumber = 719163;

int CurrentYear() {
  std::time_t now = std::time(nullptr);
  std::tm tm {};
  localtime_r(&now, &tm);
  return tm.tm_year + 1900;
}

bool IsBlank(char c) { return c == ' '; }

std::string_view TrimRightView(std::string_view s) {
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\0')) s.remove_suffix(1);
  return s;
}
std::string_view TrimLeftView(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

template <class T>
T ParseInt(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  T v{};
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (p != s.data() + s.size()) return T{};
  // A 20-digit field holds numbers beyond the 64-bit range: they read as the nearest end of the
  // range, not as 0.
  if (ec == std::errc::result_out_of_range) return s.front() == '-' ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
  if (ec != std::errc()) return T{};
  return v;
}

double ParseFloat(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  std::string t(s);
  std::replace(t.begin(), t.end(), ',', '.');
  double v = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size()) return 0;
  return v;
}

// A number in characters [from, from + len) of the field, 1-based as the layout counts them; blanks
// in front are allowed. -1 when the characters are not a number (or lie outside the field).
int FieldNumber(std::string_view field, size_t from, size_t len) {
  if (from < 1 || from - 1 + len > field.size()) return -1;
  std::string_view s = TrimLeftView(field.substr(from - 1, len));
  if (s.empty()) return -1;
  int v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size() || v < 0) return -1;
  return v;
}

[[noreturn]] void DoesNotFit(const TDbfFieldDef& def) {
  throw EDbfError(DbfMessage(STRING_VALUE_DOES_NOT_FIT, def.FieldName()));
}

void PutRightAligned(Byte* dst, Integer size, std::string_view text, char pad) {
  Integer n = static_cast<Integer>(text.size());
  std::fill(dst, dst + (size - n), static_cast<Byte>(pad));
  std::copy(text.begin(), text.end(), dst + (size - n));
}

void EncodeInteger(const TDbfFieldDef& def, Byte* dst, Int64 value) {
  Integer size = def.Size();
  char digits[24];
  std::uint64_t mag = value < 0 ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, mag);
  (void)ec;
  Integer len = static_cast<Integer>(end - digits) + (value < 0 ? 1 : 0);
  if (len > size) DoesNotFit(def);
  PutRightAligned(dst, size, std::string_view(digits, static_cast<size_t>(end - digits)), '0');
  if (value < 0) dst[0] = '-';
}

void EncodeFloat(const TDbfFieldDef& def, Byte* dst, double value) {
  Integer size = def.Size();
  if (!std::isfinite(value)) DoesNotFit(def);
  // Fewer decimals are written when the field's decimals would make the text too wide; a value
  // whose integral part does not fit is refused. Ties round away from zero, as the class
  // library's fixed format does (2.5 in N(5,0) is 3).
  for (int decimals = std::clamp(def.Precision(), 0, 18); decimals >= 0; --decimals) {
    const std::string text = FormatFloatFixed(value, decimals, '.', 0, 18);
    std::string_view s(text);
    if (s == "-0" || (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string_view::npos))
      s.remove_prefix(1);  // a negative zero is written as zero
    if (static_cast<Integer>(s.size()) <= size) {
      PutRightAligned(dst, size, s, ' ');
      return;
    }
  }
  DoesNotFit(def);
}

void PutDigits(Byte* dst, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    dst[i] = static_cast<Byte>('0' + value % 10);
    value /= 10;
  }
}

// The later FoxPro layout's date-time: Julian day and milliseconds of the day, little-endian.
bool DecodeFoxDateTime(TFieldType type, void* dest, const Byte* src) {
  if (std::all_of(src, src + 8, [](Byte b) { return b == 0 || b == ' '; })) return false;
  if (!dest || (type != ftDate && type != ftDateTime)) return true;
  const Int64 dayNumber = static_cast<Int64>(GetLE32(src)) - kJulianDayDelta;
  const LongWord msecOfDay = GetLE32(src + 4);
  const bool valid = dayNumber >= 1 && dayNumber <= DayNumberOf(9999, 12, 31) && msecOfDay < 86400000u;
  if (type == ftDate) *static_cast<std::int32_t*>(dest) = static_cast<std::int32_t>(valid ? dayNumber : kDateDelta);
  else *static_cast<double*>(dest) = valid ? static_cast<double>(dayNumber) * kMSecsPerDay + msecOfDay : kDateDelta * kMSecsPerDay;
  return true;
}

void EncodeFoxDateTime(const TDbfFieldDef& def, TFieldType type, Byte* dst, const void* src) {
  if (type != ftDate && type != ftDateTime) return;
  Int64 dayNumber;
  Int64 msecOfDay = 0;
  if (type == ftDate) {
    dayNumber = *static_cast<const std::int32_t*>(src);
  } else {
    const double ms = *static_cast<const double*>(src);
    if (!std::isfinite(ms)) DoesNotFit(def);
    const double days = std::floor(ms / kMSecsPerDay);
    if (days < 1 || days > 4000000) DoesNotFit(def);
    dayNumber = static_cast<Int64>(days);
    msecOfDay = std::min<Int64>(std::llround(ms - days * kMSecsPerDay), 86399999);
  }
  if (dayNumber < 1 || dayNumber > DayNumberOf(9999, 12, 31)) DoesNotFit(def);
  PutLE32(dst, static_cast<LongWord>(dayNumber + kJulianDayDelta));
  PutLE32(dst + 4, static_cast<LongWord>(msecOfDay));
}

}  // namespace

bool IsBinaryField(const TDbfFieldDef& def) {
  switch (def.NativeFieldType()) {
    case '+': case 'I': case '@': case 'O': return true;
    case 'T': return def.FoxProBinary();
    default: return false;
  }
}

bool IsValidDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

Integer DayNumberOf(int year, int month, int day) {
  return static_cast<Integer>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixDayNumber);
}

void DateOfDayNumber(Int64 dayNumber, int& year, int& month, int& day) {
  Int64 y;
  unsigned m, d;
  CivilFromDays(dayNumber - kUnixDayNumber, y, m, d);
  year = static_cast<int>(std::clamp<Int64>(y, -1000000, 1000000));
  month = static_cast<int>(m);
  day = static_cast<int>(d);
}

int ExpandTwoDigitYear(int year, int referenceYear, int window) {
  int result = ((referenceYear - window) / 100) * 100 + year;
  if (window > 0 && result < referenceYear - window) result += 100;
  return result;
}

bool DecodeField(const TDbfFieldDef& def, TFieldType type, void* dest, const Byte* record) {
  const Byte* src = record + def.Offset();
  const Integer size = def.Size();
  switch (def.NativeFieldType()) {
    case 'I':
      // The later FoxPro layout has no null 'I': zero bytes are the number 0.
      if (def.FoxProBinary()) {
        if (dest) *static_cast<std::int32_t*>(dest) = static_cast<std::int32_t>(GetLE32(src));
        return true;
      }
      [[fallthrough]];
    case '+': {
      if (std::all_of(src, src + 4, [](Byte b) { return b == 0; })) return false;
      if (dest) {
        auto v = static_cast<std::int32_t>(GetBE32(src) ^ 0x80000000u);
        *static_cast<std::int32_t*>(dest) = v;
      }
      return true;
    }
    case '@': {
      if (std::all_of(src, src + 8, [](Byte b) { return b == 0; })) return false;
      if (dest) {
        std::uint64_t bits = GetBE64(src);
        double v;
        std::memcpy(&v, &bits, 8);
        *static_cast<double*>(dest) = v;
      }
      return true;
    }
    case 'O': {
      if (std::all_of(src, src + 8, [](Byte b) { return b == 0; })) return false;
      if (dest) {
        std::uint64_t bits = GetBE64(src);
        bits = (bits & 0x8000000000000000ull) ? (bits & 0x7FFFFFFFFFFFFFFFull) : ~bits;
        double v;
        std::memcpy(&v, &bits, 8);
        *static_cast<double*>(dest) = v;
      }
      return true;
    }
    case 'T':
      if (def.FoxProBinary()) return DecodeFoxDateTime(type, dest, src);
      break;
    default: break;
  }
  const std::string_view field(reinterpret_cast<const char*>(src), static_cast<size_t>(std::max(size, 0)));
  std::string_view text = TrimRightView(field);
  if (type != ftString) text = TrimLeftView(text);
  if (text.empty()) {
    if (type == ftString && dest) *static_cast<char*>(dest) = 0;
    return false;
  }
  // A logical that was never given a value holds '?': no value, like a blank one. Reading it as
  // false would turn "unknown" into "no" at the next write of the record.
  if (type == ftBoolean && text == "?") return false;
  if (!dest) return true;
  switch (type) {
    case ftString: {
      auto* d = static_cast<char*>(dest);
      std::copy(text.begin(), text.end(), d);
      d[text.size()] = 0;
      break;
    }
    case ftSmallint: *static_cast<std::int16_t*>(dest) = ParseInt<std::int16_t>(text); break;
    case ftInteger:
    case ftAutoInc: *static_cast<std::int32_t*>(dest) = ParseInt<std::int32_t>(text); break;
    case ftLargeint: *static_cast<std::int64_t*>(dest) = ParseInt<std::int64_t>(text); break;
    case ftBoolean: {
      char c = text[0];
      *static_cast<std::int16_t*>(dest) = (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? 1 : 0;
      break;
    }
    case ftFloat:
    case ftCurrency: *static_cast<double*>(dest) = ParseFloat(text); break;
    case ftDate:
    case ftDateTime: {
      // The positions are those of the stored field, blanks included: a year written as two
      // digits behind two blanks is told apart from a four-digit year only there.
      int year = FieldNumber(field, 1, 4), month = FieldNumber(field, 5, 2), day = FieldNumber(field, 7, 2);
      if (year < 0) year = 1;
      if (month < 0) month = 1;
      if (day < 0) day = 1;
      if (year < 100 && field.size() >= 2 && field[0] == ' ' && field[1] == ' ')
        year = ExpandTwoDigitYear(year, CurrentYear());
      Int64 dayNumber = IsValidDate(year, month, day) ? DayNumberOf(year, month, day) : kDateDelta;
      double msecOfDay = 0;
      if (type == ftDateTime && def.FieldType() == ftDateTime) {
        int hour = FieldNumber(field, 9, 2), minute = FieldNumber(field, 11, 2), second = FieldNumber(field, 13, 2);
        if (hour < 0) hour = 1;
        if (minute < 0) minute = 1;
        if (second < 0) second = 1;
        if (hour > 23 || minute > 59 || second > 59) dayNumber = kDateDelta;
        else msecOfDay = (hour * 3600.0 + minute * 60.0 + second) * 1000.0;
      }
      if (type == ftDate) *static_cast<std::int32_t*>(dest) = static_cast<std::int32_t>(dayNumber);
      else *static_cast<double*>(dest) = static_cast<double>(dayNumber) * kMSecsPerDay + msecOfDay;
      break;
    }
    default: break;
  }
  return true;
}

void EncodeField(const TDbfFieldDef& def, TFieldType type, Byte* record, const void* src) {
  Byte* dst = record + def.Offset();
  const Integer size = def.Size();
  const char letter = def.NativeFieldType();
  if (!src) {
    std::fill(dst, dst + size, IsBinaryField(def) ? Byte{0} : Byte{' '});
    return;
  }
  switch (letter) {
    case 'I':
    case '+': {
      std::int32_t v = type == ftSmallint ? *static_cast<const std::int16_t*>(src)
                     : type == ftLargeint ? static_cast<std::int32_t>(*static_cast<const std::int64_t*>(src))
                                          : *static_cast<const std::int32_t*>(src);
      if (letter == 'I' && def.FoxProBinary()) PutLE32(dst, static_cast<LongWord>(v));
      else PutBE32(dst, static_cast<LongWord>(v) ^ 0x80000000u);
      return;
    }
    case 'T':
      if (def.FoxProBinary()) {
        EncodeFoxDateTime(def, type, dst, src);
        return;
      }
      break;
    case '@': {
      std::uint64_t bits;
      std::memcpy(&bits, src, 8);
      PutBE64(dst, bits);
      return;
    }
    case 'O': {
      double v = *static_cast<const double*>(src);
      std::uint64_t bits;
      std::memcpy(&bits, &v, 8);
      bits = v >= 0 ? (bits | 0x8000000000000000ull) : ~bits;
      PutBE64(dst, bits);
      return;
    }
    default: break;
  }
  switch (type) {
    case ftString: {
      const char* s = static_cast<const char*>(src);
      Integer n = 0;
      while (n < size && s[n]) ++n;
      std::copy(s, s + n, dst);
      std::fill(dst + n, dst + size, Byte{' '});
      break;
    }
    case ftSmallint: EncodeInteger(def, dst, *static_cast<const std::int16_t*>(src)); break;
    case ftInteger:
    case ftAutoInc: EncodeInteger(def, dst, *static_cast<const std::int32_t*>(src)); break;
    case ftLargeint: EncodeInteger(def, dst, *static_cast<const std::int64_t*>(src)); break;
    case ftBoolean:
      if (size > 0) {
        dst[0] = *static_cast<const std::int16_t*>(src) ? 'T' : 'F';
        std::fill(dst + 1, dst + size, Byte{' '});
      }
      break;
    case ftFloat:
    case ftCurrency: EncodeFloat(def, dst, *static_cast<const double*>(src)); break;
    case ftDate:
    case ftDateTime: {
      Int64 dayNumber;
      Int64 msecOfDay = 0;
      if (type == ftDate) {
        dayNumber = *static_cast<const std::int32_t*>(src);
      } else {
        double ms = *static_cast<const double*>(src);
        if (!std::isfinite(ms)) DoesNotFit(def);
        double days = std::floor(ms / kMSecsPerDay);
        if (days < 0 || days > 4000000) DoesNotFit(def);
        dayNumber = static_cast<Int64>(days);
        msecOfDay = static_cast<Int64>(std::llround(ms - days * kMSecsPerDay));
        if (msecOfDay >= 86400000) msecOfDay = 86399999;
      }
      int y, m, d;
      DateOfDayNumber(dayNumber, y, m, d);
      if (y < 0 || y > 9999) DoesNotFit(def);
      Byte text[14];
      PutDigits(text, y, 4);
      PutDigits(text + 4, m, 2);
      PutDigits(text + 6, d, 2);
      int len = 8;
      if (type == ftDateTime) {
        Int64 sec = msecOfDay / 1000;
        PutDigits(text + 8, static_cast<int>(sec / 3600), 2);
        PutDigits(text + 10, static_cast<int>(sec / 60 % 60), 2);
        PutDigits(text + 12, static_cast<int>(sec % 60), 2);
        len = 14;
      }
      Integer n = std::min<Integer>(len, size);
      std::copy(text, text + n, dst);
      std::fill(dst + n, dst + size, Byte{' '});
      break;
    }
    default: break;
  }
}

}  // namespace orv
