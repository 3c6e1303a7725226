// What the send-run tests of the main window share: the folder the server writes to, the server
// process with the window's session pointed at it, the error log, and the window at rest after a run.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include "tests/app/AppFixture.h"
#include "tests/support/PeerProcess.h"

namespace orv::test {

class TSendRunFixture : public AppTest {
 protected:
  // Starts the windows with an empty folder of that name beside the program for the server.
  void StartWindowsServedTo(const char* folder) {
    FOut = std::filesystem::path(FProgramDir) / folder;
    std::filesystem::create_directories(FOut);
    StartWindows();
    F = MainForm;
  }

  // Starts the server process and points the window's session at its port.
  void StartServer(std::vector<std::string> args) {
    FServer = std::make_unique<TPeerProcess>(std::move(args));
    const int port = FServer->Port();
    ASSERT_GT(port, 0);
    F->SMTP->Port = port;
  }

  std::vector<AnsiString> Log() { return F->ErrorLog->Lines().ToVector(); }

  void ExpectIdle() { ExpectIdleAfterSendRun(F); }

  std::filesystem::path FOut;
  std::unique_ptr<TPeerProcess> FServer;
  TMainForm* F = nullptr;
};

}  // namespace orv::test
