// Decimal digits of a float as the class library sees them: 18 significant digits, rounded half
// away from zero to the precision asked for.
#pragma once
#include <string>

namespace orv {

// value = (Negative ? -1 : 1) * 0.D1D2D3... * 10^Exponent; Digits has no trailing zeros and is
// empty for zero.
struct TFloatDigits {
  bool Negative = false;
  std::string Digits;
  int Exponent = 0;
};

// Rounded to `precision` significant digits (1..18). Finite values only.
TFloatDigits FloatToDigits(double value, int precision);
// Rounded to `decimals` digits after the decimal point (0..18) and to at most `precision`
// significant digits (1..18).
TFloatDigits FloatToDigitsFixed(double value, int decimals, int precision = 18);

}  // namespace orv

namespace orv {

// The class library's float texts. NAN / INF / -INF for values that are not finite.
// General: fixed while 1e-5 <= |value| and the integer digits fit the precision, else
// "d.dddE[-]x" with at least expDigits exponent digits; trailing zeros dropped.
std::string FormatFloatGeneral(double value, int precision, int expDigits, char separator);
// Exponent: "d.ddd...E+xxx" with precision digits in all and at least expDigits exponent digits.
std::string FormatFloatExponent(double value, int precision, int expDigits, char separator);
// Fixed: decimals digits after the separator; thousands (0 for none) between groups of three; at
// most `precision` significant digits (1..18), the general form past `precision` integer digits.
std::string FormatFloatFixed(double value, int decimals, char separator, char thousands, int precision = 18);

}  // namespace orv
