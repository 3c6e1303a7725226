// Timer core over QTimer, with a due time of its own for waits that run outside Qt's event loop.
#include "platform/win/Timer.h"

#include <QCoreApplication>
#include <QTimer>

namespace orv {

TTimerCore::TTimerCore() { Restart(); }

TTimerCore::~TTimerCore() = default;

void TTimerCore::SetInterval(unsigned milliseconds) {
  if (milliseconds == FInterval) return;
  FInterval = milliseconds;
  Restart();
}

void TTimerCore::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Restart();
}

long long TTimerCore::RemainingMs() const {
  if (!Running()) return -1;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(FDue - Clock::now()).count();
  return left < 0 ? 0 : left;
}

bool TTimerCore::FireIfDue() {
  if (!Running() || Clock::now() < FDue) return false;
  Fire();
  return true;
}

void TTimerCore::Restart() {
  if (!Running()) {
    Stop();
    return;
  }
  FDue = Clock::now() + std::chrono::milliseconds(FInterval);
  // Qt's timers need an application object in this thread; without one FireIfDue serves alone.
  if (QCoreApplication::instance() == nullptr) {
    FQtTimer.reset();
    return;
  }
  if (!FQtTimer) {
    FQtTimer = std::make_unique<QTimer>();
    FQtTimer->setTimerType(Qt::PreciseTimer);
    FQtTimer->setSingleShot(true);
    // Qt may wake before the due time (early, or set for an earlier one); the rest of the wait is
    // rescheduled rather than lost. A stopped timer's wake does nothing.
    QObject::connect(FQtTimer.get(), &QTimer::timeout, [this] {
      if (!Running()) return;
      long long left = RemainingMs();
      if (left > 0) StartQtTimer(static_cast<int>(left));
      else Fire();
    });
  }
  // Restarts come far more often than firings (a time-out restarted on every exchange): a Qt
  // timer set to wake at or before the new due time is left as it is.
  if (FQtTimer->isActive() && FQtDue <= FDue) return;
  StartQtTimer(static_cast<int>(FInterval));
}

void TTimerCore::StartQtTimer(int milliseconds) {
  FQtTimer->start(milliseconds);
  FQtDue = Clock::now() + std::chrono::milliseconds(milliseconds);
}

void TTimerCore::Stop() {
  // The Qt timer is left to run out: its wake finds the timer stopped, and a restart before then
  // needs no new Qt timer.
}

void TTimerCore::Fire() {
  // The next due time is set before the handler runs, so a handler that disables or restarts the
  // timer has the last word.
  Restart();
  if (OnTimer) OnTimer();
}

}  // namespace orv
