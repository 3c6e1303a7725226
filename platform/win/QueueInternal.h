// Inside the window layer: the bridge between the posted-message queue and Qt's event loop.
#pragma once

namespace orv::winimpl {

// Asks the Qt event loop (when there is one) to drain the queue soon; one request at a time.
void ScheduleDrain();
// Runs one wait of the Qt event loop for more events; false when there is no Qt application.
bool WaitForEvents();
// Called by the Qt side when a drain request is handled.
void DrainFromEventLoop();
// Ends the Qt event loop with the exit code (nothing without a Qt application).
void ExitEventLoop(int exitCode);
// Handles Qt's pending events (nothing without a Qt application).
void ProcessQtEvents();

}  // namespace orv::winimpl
