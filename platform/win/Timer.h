// Timer core: fires OnTimer every Interval milliseconds while Enabled, on the window thread. The
// forms layer wraps it as its timer component.
#pragma once
#include <chrono>
#include <functional>
#include <memory>

class QTimer;

namespace orv {

// Firings come from Qt's event loop when a Qt application exists; code that waits without one
// (or between passes of the loop) calls FireIfDue, so a due firing is never lost. A firing is
// never delivered twice: both roads share one due time.
class TTimerCore {
 public:
  TTimerCore();
  ~TTimerCore();
  TTimerCore(const TTimerCore&) = delete;
  TTimerCore& operator=(const TTimerCore&) = delete;

  unsigned Interval() const { return FInterval; }
  // A changed interval restarts a running timer; 0 stops the firings until it is set again.
  void SetInterval(unsigned milliseconds);
  bool Enabled() const { return FEnabled; }
  // Enabling an enabled timer does not restart it; disabling and enabling again does.
  void SetEnabled(bool value);

  // Milliseconds until the next firing (0 when due), -1 while the timer does not run.
  long long RemainingMs() const;
  // Fires OnTimer when the due time has passed; returns whether it fired.
  bool FireIfDue();

  std::function<void()> OnTimer;

 private:
  using Clock = std::chrono::steady_clock;
  bool Running() const { return FEnabled && FInterval > 0; }
  void Restart();
  void Stop();
  void Fire();
  void StartQtTimer(int milliseconds);

  unsigned FInterval = 1000;
  bool FEnabled = true;
  Clock::time_point FDue{};
  std::unique_ptr<QTimer> FQtTimer;
  // When the Qt timer, while active, wakes: never after FDue while the timer runs.
  Clock::time_point FQtDue{};
};

}  // namespace orv
