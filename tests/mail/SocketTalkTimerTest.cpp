// The time-out timer under the socket talk: due times, restarts, and one firing whether Qt's loop
// or a waiting loop delivers it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "platform/win/Timer.h"

namespace orv {
namespace {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(TalkTimer, DueTimesFollowEnablingAndIntervalChanges) {
  TTimerCore timer;
  int fired = 0;
  timer.OnTimer = [&] { ++fired; };
  timer.SetEnabled(false);
  EXPECT_EQ(timer.RemainingMs(), -1);
  EXPECT_FALSE(timer.FireIfDue());

  timer.SetInterval(200);
  timer.SetEnabled(true);
  SleepMs(130);
  timer.SetEnabled(true);   // already on: must not restart
  SleepMs(100);
  EXPECT_TRUE(timer.FireIfDue()) << "enabling an enabled timer restarted it";
  EXPECT_FALSE(timer.FireIfDue()) << "one due time fires once";
  EXPECT_EQ(fired, 1);

  SleepMs(130);
  timer.SetEnabled(false);
  timer.SetEnabled(true);   // off and on: starts afresh
  SleepMs(100);
  EXPECT_FALSE(timer.FireIfDue());
  timer.SetInterval(300);   // a new interval restarts it too
  EXPECT_GT(timer.RemainingMs(), 250);
  timer.SetInterval(0);
  EXPECT_EQ(timer.RemainingMs(), -1) << "interval 0 stops the firings";
  EXPECT_EQ(fired, 1);
}

TEST(TalkTimer, QtLoopAndWaitingLoopNeverFireOneDueTimeTwice) {
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "timer_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
  }
  TTimerCore timer;
  int fired = 0;
  timer.SetInterval(50);
  timer.OnTimer = [&] {
    ++fired;
    timer.SetEnabled(false);
  };
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
  while (std::chrono::steady_clock::now() < until) {
    QCoreApplication::processEvents();
    timer.FireIfDue();
    SleepMs(2);
  }
  EXPECT_EQ(fired, 1);

  // Qt alone delivers it as well.
  timer.OnTimer = [&] { ++fired; };
  timer.SetEnabled(true);
  until = std::chrono::steady_clock::now() + std::chrono::milliseconds(260);
  while (std::chrono::steady_clock::now() < until) {
    QCoreApplication::processEvents();
    SleepMs(2);
  }
  EXPECT_GE(fired, 3);
  EXPECT_LE(fired, 7);
}

// Runs Qt's loop alone (no waiting loop) for ms milliseconds.
void RunQtFor(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    QCoreApplication::processEvents();
    SleepMs(1);
  }
}

// Qt's timer is not set anew on every restart: its wake must still follow the latest due time,
// and a stopped timer must stay silent.
TEST(TalkTimer, QtDeliversTheLatestDueTimeAfterRestartsAndStops) {
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "timer_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
  }
  TTimerCore timer;
  int fired = 0;
  timer.OnTimer = [&] {
    ++fired;
    timer.SetEnabled(false);
  };
  timer.SetEnabled(false);
  timer.SetInterval(150);
  timer.SetEnabled(true);
  RunQtFor(100);
  timer.SetEnabled(false);
  timer.SetEnabled(true);   // now due 150 ms from here, after the first wake of Qt's timer
  RunQtFor(100);
  EXPECT_EQ(fired, 0) << "fired at the due time before the restart";
  RunQtFor(150);
  EXPECT_EQ(fired, 1) << "the restarted due time was lost";

  timer.SetEnabled(true);
  RunQtFor(50);
  timer.SetEnabled(false);
  RunQtFor(200);
  EXPECT_EQ(fired, 1) << "a stopped timer fired";

  timer.SetInterval(1000);
  timer.SetEnabled(true);
  timer.SetInterval(40);    // an earlier due time than Qt's timer was set for
  RunQtFor(150);
  EXPECT_EQ(fired, 2) << "a shortened interval waited for the longer one";
}

}  // namespace
}  // namespace orv
