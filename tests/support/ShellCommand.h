// Runs a shell command for a test: what it printed on standard output, and how it ended.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace orv::test {

// The command's standard output; *status gets its exit code, or -1 when it could not run or was
// killed by a signal.
inline std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) {
    if (status != nullptr) *status = -1;
    return out;
  }
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = ::pclose(p);
  if (status != nullptr) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

// The same for a command that must succeed: any other ending fails the test, with the command and
// the start of its output in the message.
inline std::string RunChecked(const std::string& command) {
  int status = 0;
  std::string out = RunCommand(command, &status);
  EXPECT_EQ(status, 0) << command << "\n" << out.substr(0, 2000);
  return out;
}

}  // namespace orv::test
