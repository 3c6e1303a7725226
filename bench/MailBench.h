// What the mail encoders' benchmarks share: the same 100 MB-style CRLF text with about 3 % 8-bit
// bytes for every run, and a wall-clock stopwatch.
#pragma once
#include <chrono>
#include <random>
#include <string>

namespace orvbench {

inline std::string MakeText(size_t bytes) {
  std::mt19937 rng(42);
  std::string t;
  t.reserve(bytes + 200);
  while (t.size() < bytes) {
    const size_t len = 20 + rng() % 100;
    for (size_t k = 0; k < len; ++k) {
      const unsigned r = rng() % 100;
      if (r < 3) t.push_back(static_cast<char>(0xA0 + rng() % 96));
      else if (r < 18) t.push_back(' ');
      else t.push_back(static_cast<char>('a' + rng() % 26));
    }
    t += "\r\n";
  }
  t.resize(bytes);
  return t;
}

inline double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace orvbench
