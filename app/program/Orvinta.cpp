// The program's entry: a desktop mass mailer.
#include <cstdio>
#include <exception>
#include "app/MainUnit.h"
#include "app/ProgramStart.h"
#include "app/TermSignal.h"

int main() {
  orv::InstallTerminationSignals();
  try {
    return orv::RunProgram([] {
      orv::WatchTerminationSignals([] {
        // During a send run the close is held until the run has unwound.
        if (orv::MainForm != nullptr) orv::MainForm->Close();
      });
    });
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Orvinta: %s\n", e.what());
    return 1;
  }
}
