// The 80-bit extended float of the component stream (vaExtended), converted to and from double.
#pragma once
#include <array>
#include "platform/rtl/Types.h"

namespace orv {

std::array<Byte, 10> DoubleToExtended(double value);
double ExtendedToDouble(const std::array<Byte, 10>& bytes);

}  // namespace orv
