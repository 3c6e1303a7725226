// A third-party peer started by a test: a process that prints "PORT n" on its first line once it
// listens, and is stopped by its id when the test is done.
#pragma once
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace orv::test {

class TPeerProcess {
 public:
  explicit TPeerProcess(std::vector<std::string> args) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) FPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    FOut = fds[0];
  }
  TPeerProcess(const TPeerProcess&) = delete;
  TPeerProcess& operator=(const TPeerProcess&) = delete;
  ~TPeerProcess() { Stop(); }

  // The port from the peer's first line; 0 when it did not say within 15 seconds.
  int Port() {
    std::string line;
    char c;
    while (line.find('\n') == std::string::npos) {
      pollfd p{FOut, POLLIN, 0};
      if (::poll(&p, 1, 15000) <= 0 || ::read(FOut, &c, 1) != 1) return 0;
      line += c;
    }
    return line.rfind("PORT ", 0) == 0 ? std::stoi(line.substr(5)) : 0;
  }
  // Waits up to ms for a peer that ends by itself, else stops it.
  void Wait(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (FPid > 0 && std::chrono::steady_clock::now() < until) {
      if (::waitpid(FPid, nullptr, WNOHANG) == FPid) FPid = -1;
      else std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Stop();
  }
  void Stop() {
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      ::waitpid(FPid, nullptr, 0);
      FPid = -1;
    }
    if (FOut >= 0) ::close(FOut);
    FOut = -1;
  }

 private:
  pid_t FPid = -1;
  int FOut = -1;
};

}  // namespace orv::test
