// Float text: the class library's general format with 15 significant digits, in the locale's or
// the C locale's decimal separator, and half-even rounding.
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/rtl/FloatDigits.h"
#include "platform/rtl/LocaleFormats.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

// [blanks][sign]digits[sep digits][(E|e)[sign]digits][blanks]; no thousands separators, no
// "INF"/"NAN". Overflow fails; underflow reads as 0.
bool ParseFloat(std::string_view s, char separator, double& value) {
  std::size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  while (n > i && s[n - 1] == ' ') --n;
  std::string norm;
  if (i < n && (s[i] == '-' || s[i] == '+')) {
    if (s[i] == '-') norm += '-';
    ++i;
  }
  std::size_t digits = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') { norm += s[i++]; ++digits; }
  if (i < n && s[i] == separator) {
    ++i;
    std::string frac;
    while (i < n && s[i] >= '0' && s[i] <= '9') { frac += s[i++]; ++digits; }
    if (!frac.empty()) norm += "." + frac;
  }
  if (digits == 0) return false;
  bool negativeExp = false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    norm += 'e';
    if (i < n && (s[i] == '-' || s[i] == '+')) {
      negativeExp = s[i] == '-';
      if (negativeExp) norm += '-';
      ++i;
    }
    std::size_t expDigits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') { norm += s[i++]; ++expDigits; }
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  if (norm[0] == '-' && norm.size() > 1 && norm[1] == '.') norm.insert(norm.begin() + 1, '0');
  if (norm[0] == '.') norm.insert(norm.begin(), '0');
  double v = 0;
  auto [p, ec] = std::from_chars(norm.data(), norm.data() + norm.size(), v);
  if (ec == std::errc::result_out_of_range) {
    if (!negativeExp) return false;
    v = norm[0] == '-' ? -0.0 : 0.0;
  } else if (ec != std::errc() || p != norm.data() + norm.size()) {
    return false;
  }
  value = v;
  return true;
}

}  // namespace

char DecimalSeparator() { return CurrentLocaleFormats().DecimalSeparator; }

AnsiString FloatToStr(double value) { return FormatFloatGeneral(value, 15, 0, DecimalSeparator()); }

bool TryStrToFloat(std::string_view s, double& value) { return ParseFloat(s, DecimalSeparator(), value); }

double StrToFloat(std::string_view s) {
  double v = 0;
  if (!ParseFloat(s, DecimalSeparator(), v))
    throw EConvertError("'" + AnsiString(s) + "' is not a valid floating point value");
  return v;
}

AnsiString FloatToStrC(double value, int significantDigits) { return FormatFloatGeneral(value, significantDigits, 0, '.'); }

bool TryStrToFloatC(std::string_view s, double& value) { return ParseFloat(s, '.', value); }

double RoundHalfEven(double value, int decimals) {
  if (!std::isfinite(value) || decimals > 17 || decimals < -17) return value;
  // Rounds the shortest decimal text of the value, so 2.675 (stored as 2.67499...) counts as
  // the tie it is written as.
  char buf[512];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  if (ec != std::errc()) return value;
  std::string text(buf, p);
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  auto dot = text.find('.');
  std::string intPart = dot == std::string::npos ? text : text.substr(0, dot);
  std::string frac = dot == std::string::npos ? "" : text.substr(dot + 1);
  // All digits as one integer string with a fixed number of decimals.
  std::string all = intPart + frac;
  int pointPos = static_cast<int>(intPart.size());   // digits before the point
  int keep = pointPos + decimals;                    // digits kept
  if (keep < 0) return negative ? -0.0 : 0.0;
  if (keep >= static_cast<int>(all.size())) return value;
  std::string kept = all.substr(0, static_cast<std::size_t>(keep));
  char first = all[static_cast<std::size_t>(keep)];
  bool restNonZero = all.find_first_not_of('0', static_cast<std::size_t>(keep) + 1) != std::string::npos;
  bool roundUp = first > '5' || (first == '5' && (restNonZero || (!kept.empty() && (kept.back() - '0') % 2 == 1)));
  if (roundUp) {
    int k = static_cast<int>(kept.size()) - 1;
    while (k >= 0 && kept[static_cast<std::size_t>(k)] == '9') kept[static_cast<std::size_t>(k--)] = '0';
    if (k < 0) { kept.insert(kept.begin(), '1'); ++pointPos; ++keep; }
    else ++kept[static_cast<std::size_t>(k)];
  }
  if (kept.empty()) kept.assign(1, '0');
  std::string result = kept;
  if (decimals > 0) result.insert(result.end() - decimals, '.');
  else result.append(static_cast<std::size_t>(-decimals), '0');
  if (!result.empty() && result[0] == '.') result.insert(result.begin(), '0');
  double r = 0;
  std::from_chars(result.data(), result.data() + result.size(), r);
  return negative ? -r : r;
}

}  // namespace orv
