// A termination signal (SIGTERM, SIGINT, SIGHUP) closes the main window the way the user would,
// from the message loop, instead of killing the program mid-write.
#pragma once
#include <functional>

namespace orv {

// Catches the signals from now on; a signal that arrives before watching starts is kept.
void InstallTerminationSignals();
// Once the application's event loop exists: onSignal runs from the loop for every signal caught.
void WatchTerminationSignals(std::function<void()> onSignal);

}  // namespace orv
