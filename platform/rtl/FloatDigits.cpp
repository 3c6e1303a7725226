// Float to decimal digits with the class library's rounding (half away from zero, from an
// 18-digit expansion).
#include "platform/rtl/FloatDigits.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orv {

namespace {

TFloatDigits Expand(double value) {
  TFloatDigits d;
  if (value == 0) return d;
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 17);
  std::string sci(buf, p);
  if (sci[0] == '-') { d.Negative = true; sci.erase(0, 1); }
  auto e = sci.find('e');
  for (std::size_t i = 0; i < e; ++i)
    if (sci[i] != '.') d.Digits += sci[i];
  d.Exponent = std::atoi(sci.c_str() + e + 1) + 1;
  return d;
}

// Keeps `keep` leading digits, rounding half up on the magnitude.
void RoundTo(TFloatDigits& d, int keep) {
  if (keep < 0) { d.Digits.clear(); return; }
  if (keep >= static_cast<int>(d.Digits.size())) {
  } else {
    bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
    d.Digits.resize(static_cast<std::size_t>(keep));
    if (up) {
      int k = keep - 1;
      while (k >= 0 && d.Digits[static_cast<std::size_t>(k)] == '9') d.Digits[static_cast<std::size_t>(k--)] = '0';
      if (k < 0) { d.Digits.insert(d.Digits.begin(), '1'); ++d.Exponent; }
      else ++d.Digits[static_cast<std::size_t>(k)];
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
}

}  // namespace

TFloatDigits FloatToDigits(double value, int precision) {
  TFloatDigits d = Expand(value);
  RoundTo(d, precision < 1 ? 1 : (precision > 18 ? 18 : precision));
  if (d.Digits.empty()) d = TFloatDigits{};
  return d;
}

TFloatDigits FloatToDigitsFixed(double value, int decimals, int precision) {
  TFloatDigits d = Expand(value);
  if (d.Digits.empty()) return d;
  precision = std::clamp(precision, 1, 18);
  int keep = d.Exponent + (decimals < 0 ? 0 : (decimals > 18 ? 18 : decimals));
  if (keep > precision) keep = precision;
  bool negative = d.Negative;
  if (keep == 0 && d.Digits[0] >= '5') {   // 0.5 at 0 decimals rounds to 1
    d.Digits = "1";
    ++d.Exponent;
    return d;
  }
  RoundTo(d, keep);
  if (d.Digits.empty()) d = TFloatDigits{};
  else d.Negative = negative;
  return d;
}

}  // namespace orv

namespace orv {

namespace {

const char* NonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return nullptr;
}

std::string ExponentText(int exp10, int expDigits, bool plusSign) {
  std::string digits = std::to_string(exp10 < 0 ? -exp10 : exp10);
  if (static_cast<int>(digits.size()) < expDigits) digits.insert(0, static_cast<std::size_t>(expDigits) - digits.size(), '0');
  return std::string("E") + (exp10 < 0 ? "-" : (plusSign ? "+" : "")) + digits;
}

}  // namespace

std::string FormatFloatGeneral(double value, int precision, int expDigits, char separator) {
  if (const char* s = NonFinite(value)) return s;
  if (precision < 1 || precision > 18) precision = 15;
  TFloatDigits d = FloatToDigits(value, precision);
  if (d.Digits.empty()) return "0";
  std::string out = d.Negative ? "-" : "";
  const std::string& m = d.Digits;
  if (d.Exponent > precision || d.Exponent < -4) {
    out += m[0];
    if (m.size() > 1) out += separator + m.substr(1);
    out += ExponentText(d.Exponent - 1, expDigits, false);
  } else if (d.Exponent <= 0) {
    out += '0';
    out += separator;
    out.append(static_cast<std::size_t>(-d.Exponent), '0');
    out += m;
  } else if (static_cast<int>(m.size()) <= d.Exponent) {
    out += m;
    out.append(static_cast<std::size_t>(d.Exponent) - m.size(), '0');
  } else {
    out += m.substr(0, static_cast<std::size_t>(d.Exponent)) + separator + m.substr(static_cast<std::size_t>(d.Exponent));
  }
  return out;
}

std::string FormatFloatExponent(double value, int precision, int expDigits, char separator) {
  if (const char* s = NonFinite(value)) return s;
  if (precision < 1 || precision > 18) precision = 15;
  TFloatDigits d = FloatToDigits(value, precision);
  std::string m = d.Digits.empty() ? "0" : d.Digits;
  m.resize(static_cast<std::size_t>(precision), '0');
  std::string out = d.Negative ? "-" : "";
  out += m[0];
  if (precision > 1) out += separator + m.substr(1);
  out += ExponentText(d.Digits.empty() ? 0 : d.Exponent - 1, expDigits, true);
  return out;
}

std::string FormatFloatFixed(double value, int decimals, char separator, char thousands, int precision) {
  if (const char* s = NonFinite(value)) return s;
  if (decimals < 0) decimals = 0;
  if (decimals > 18) decimals = 18;
  precision = std::clamp(precision, 1, 18);
  // Past `precision` integer digits the class library switches to the general form.
  if (FloatToDigits(value, precision).Exponent > precision) return FormatFloatGeneral(value, precision, 0, separator);
  TFloatDigits d = FloatToDigitsFixed(value, decimals, precision);
  std::string intPart, frac;
  if (d.Exponent > 0) {
    intPart = d.Digits.substr(0, std::min<std::size_t>(d.Digits.size(), static_cast<std::size_t>(d.Exponent)));
    intPart.append(static_cast<std::size_t>(d.Exponent) - intPart.size(), '0');
    if (static_cast<int>(d.Digits.size()) > d.Exponent) frac = d.Digits.substr(static_cast<std::size_t>(d.Exponent));
  } else {
    intPart.assign(1, '0');
    if (!d.Digits.empty()) frac = std::string(static_cast<std::size_t>(-d.Exponent), '0') + d.Digits;
  }
  if (intPart.empty()) intPart.assign(1, '0');
  frac.resize(static_cast<std::size_t>(decimals), '0');
  if (thousands) {
    std::string grouped;
    int n = static_cast<int>(intPart.size());
    for (int i = 0; i < n; ++i) {
      if (i > 0 && (n - i) % 3 == 0) grouped += thousands;
      grouped += intPart[static_cast<std::size_t>(i)];
    }
    intPart = grouped;
  }
  std::string out = d.Negative && !d.Digits.empty() ? "-" : "";
  out += intPart;
  if (decimals > 0) out += separator + frac;
  return out;
}

}  // namespace orv
