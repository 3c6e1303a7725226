// Starting a peer program for a benchmark, and timing.
#pragma once
#include <spawn.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace orv::bench {

using Clock = std::chrono::steady_clock;

// The program args[0] started with the arguments; its process id, or -1 when it did not start.
inline pid_t Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace orv::bench
