// The real program: started offscreen from a copy in a temporary folder, it shows its main window
// and, asked to end, closes it and exits cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

class ProgramRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orv_e2e_XXXXXX";
    const char* dir = mkdtemp(pattern);
    ASSERT_NE(dir, nullptr);
    FDir = dir;
    const fs::path built = fs::path(ORV_BINARY_DIR) / "app" / "orvinta";
    ASSERT_TRUE(fs::exists(built)) << built << " is not built";
    // A copy, so the program's folder is the temporary one.
    fs::copy_file(built, FDir / "orvinta");
    fs::permissions(FDir / "orvinta", fs::perms::owner_all);
  }
  void TearDown() override {
    if (FPid > 0) {
      kill(FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
    }
    fs::remove_all(FDir);
  }

  void Start() {
    FPid = fork();
    ASSERT_GE(FPid, 0);
    if (FPid == 0) {
      const std::string err = (FDir / "stderr.txt").string();
      (void)!freopen(err.c_str(), "w", stderr);
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      setenv("HOME", FDir.c_str(), 1);
      setenv("XDG_DATA_HOME", (FDir / "xdg").c_str(), 1);
      const std::string exe = (FDir / "orvinta").string();
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }

  // Waits up to timeout for the program to end; its wait status, or -1 while it still runs.
  int WaitForExit(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(FPid, &status, WNOHANG) == FPid) {
        FPid = -1;
        return status;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

  std::string Stderr() const {
    std::ifstream in(FDir / "stderr.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path FDir;
  pid_t FPid = -1;
};

TEST_F(ProgramRunTest, StartsOffscreenAndEndsCleanlyWhenAskedTo) {
  Start();
  // The main window creates the default address table while it starts, long after the signals
  // are caught; a loaded machine may take seconds to get there.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(FDir / "mailaddies.dbf") && std::chrono::steady_clock::now() < deadline &&
         WaitForExit(std::chrono::milliseconds(50)) == -1) {
  }
  ASSERT_TRUE(fs::exists(FDir / "mailaddies.dbf")) << "the program did not start: " << Stderr();
  // Still running after start-up: the windows were read and the message loop waits.
  EXPECT_EQ(WaitForExit(std::chrono::milliseconds(500)), -1) << Stderr();
  ASSERT_GT(FPid, 0);
  ASSERT_EQ(kill(FPid, SIGTERM), 0);
  const int status = WaitForExit(std::chrono::seconds(30));
  ASSERT_NE(status, -1) << "the program did not end after SIGTERM";
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << Stderr();
  const std::string err = Stderr();
  EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
  EXPECT_EQ(err.find("AddressSanitizer"), std::string::npos) << err;
  EXPECT_EQ(err.find("LeakSanitizer"), std::string::npos) << err;
}

}  // namespace
