// Starting a peer program for a benchmark, timing, and a folder of its own.
#pragma once
#include <spawn.h>
#include <sys/types.h>

#include <chrono>
#include <cstdlib>
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

// A new folder /tmp/orv_bench_<name>_XXXXXX; empty when it cannot be made.
inline std::string TempFolder(const char* name) {
  std::string pattern = std::string("/tmp/orv_bench_") + name + "_XXXXXX";
  const char* dir = mkdtemp(pattern.data());
  return dir ? std::string(dir) : std::string();
}

}  // namespace orv::bench
