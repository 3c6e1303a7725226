// The runtime's random generator: one 32-bit linear congruential generator, seeded once.
#pragma once
#include "platform/rtl/Types.h"

namespace orv {

// Seeds the generator from the clock (Randomize) or with a value.
void Randomize();
void RandSeed(LongWord seed);
// A number in 0 .. range-1 (0 when range <= 0).
Integer Random(Integer range);
// A number in [0, 1).
double RandomFloat();

}  // namespace orv
