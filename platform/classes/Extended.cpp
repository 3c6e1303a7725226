// Conversion between double and the 80-bit extended format (64-bit mantissa with explicit
// integer bit, 15-bit exponent biased by 16383, sign), little-endian.
#include "platform/classes/Extended.h"
#include <bit>
#include <cmath>
#include <cstdint>

namespace orv {

std::array<Byte, 10> DoubleToExtended(double value) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  std::uint64_t sign = bits >> 63;
  int exp = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
  std::uint64_t mant = 0;
  int e80 = 0;
  if (exp == 0x7FF) {
    e80 = 0x7FFF;
    mant = (std::uint64_t{1} << 63) | (frac << 11);
  } else if (exp == 0) {
    if (frac != 0) {
      int top = 63 - std::countl_zero(frac);  // highest set bit, 0..51
      mant = frac << (63 - top);
      e80 = top - 1074 + 16383;
    }
  } else {
    e80 = exp - 1023 + 16383;
    mant = (std::uint64_t{1} << 63) | (frac << 11);
  }
  std::array<Byte, 10> out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<Byte>(mant >> (8 * i));
  std::uint16_t se = static_cast<std::uint16_t>((sign << 15) | static_cast<std::uint64_t>(e80));
  out[8] = static_cast<Byte>(se);
  out[9] = static_cast<Byte>(se >> 8);
  return out;
}

double ExtendedToDouble(const std::array<Byte, 10>& b) {
  std::uint64_t mant = 0;
  for (int i = 0; i < 8; ++i) mant |= std::uint64_t{b[i]} << (8 * i);
  int se = b[8] | (b[9] << 8);
  bool negative = (se & 0x8000) != 0;
  int e80 = se & 0x7FFF;
  double v;
  if (e80 == 0x7FFF) {
    v = (mant << 1) == 0 ? INFINITY : NAN;
  } else if (mant == 0) {
    v = 0.0;
  } else {
    v = std::ldexp(static_cast<double>(mant), e80 - 16383 - 63);
  }
  return negative ? -v : v;
}

}  // namespace orv
