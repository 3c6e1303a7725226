// The runtime's random generator: RandSeed * 0x08088405 + 1 (mod 2^32), Random(n) = seed * n >> 32.
#include "platform/rtl/Random.h"

#include <time.h>

#include <mutex>

namespace orv {

namespace {

std::mutex gRandomMutex;
LongWord gSeed = 0;

LongWord NextSeed() {
  gSeed = gSeed * 0x08088405u + 1u;
  return gSeed;
}

}  // namespace

void Randomize() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  std::lock_guard<std::mutex> lock(gRandomMutex);
  gSeed = static_cast<LongWord>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000) ^ static_cast<LongWord>(ts.tv_nsec);
}

void RandSeed(LongWord seed) {
  std::lock_guard<std::mutex> lock(gRandomMutex);
  gSeed = seed;
}

Integer Random(Integer range) {
  if (range <= 0) return 0;
  std::lock_guard<std::mutex> lock(gRandomMutex);
  return static_cast<Integer>((static_cast<std::uint64_t>(NextSeed()) * static_cast<std::uint64_t>(range)) >> 32);
}

double RandomFloat() {
  std::lock_guard<std::mutex> lock(gRandomMutex);
  return static_cast<double>(NextSeed()) / 4294967296.0;
}

}  // namespace orv
