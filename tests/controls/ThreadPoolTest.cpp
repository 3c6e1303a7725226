// The worker thread pools: no thread before work arrives, work run and reported on the window
// thread, workers ending after their idle time, cancelling by tag, stopping with and without the
// hard time-out, and nothing left running once a pool is gone; the shell start-up steps.
#include <gtest/gtest.h>
#include <dirent.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include "controls/ShellEntries.h"
#include "controls/ShellModules.h"
#include "controls/ShellState.h"
#include "controls/ThreadPool.h"
#include "platform/win/Libraries.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Version.h"

namespace orv::test {
namespace {

int ProcessThreads() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
  }
  return n;
}

// Pumps the window thread until done() holds; false when it did not within 10 seconds.
bool PumpUntil(const std::function<bool()>& done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A work item that records where its steps ran; it may be held inside Execute until released, and
// it may ignore being cancelled.
class TProbeItem : public IPoolWorkItem {
 public:
  explicit TProbeItem(Integer tag = 0, bool hold = false, bool ignoreCancel = false)
      : FTag(tag), FHold(hold), FIgnoreCancel(ignoreCancel) {}

  std::atomic<int> Executed{0};
  std::atomic<bool> Running{false};
  std::atomic<int> Cancelled{0};
  std::vector<std::thread::id> DoneOn;

  void Release() {
    std::lock_guard<std::mutex> lock(FMutex);
    FHold = false;
    FChanged.notify_all();
  }

  std::function<void()> GetDoneEvent() override {
    return [this] { DoneOn.push_back(std::this_thread::get_id()); };
  }
  Integer GetTag() override { return FTag; }
  void Execute() override {
    Running = true;
    std::unique_lock<std::mutex> lock(FMutex);
    FChanged.wait(lock, [this] { return !FHold; });
    ++Executed;
    Running = false;
  }
  void Cancel() override {
    ++Cancelled;
    if (!FIgnoreCancel) Release();
  }
  void SetPaused(bool) override {}

 private:
  Integer FTag;
  bool FHold;
  bool FIgnoreCancel;
  std::mutex FMutex;
  std::condition_variable FChanged;
};

class ThreadPoolTest : public ::testing::Test {
 protected:
  void SetUp() override { FThreadsBefore = ProcessThreads(); }
  void TearDown() override {
    ReapLetGoThreads();
    EXPECT_EQ(ProcessThreads(), FThreadsBefore) << "a thread was left behind";
  }
  int FThreadsBefore = 0;
};

TEST_F(ThreadPoolTest, APoolStartsNoThreadUntilWorkArrives) {
  {
    TWorkerThreadPool pool(true);
    EXPECT_EQ(pool.Count(), 0);
    EXPECT_EQ(pool.ThreadLimit, static_cast<Integer>(8 * NumberOfProcessors()));
    EXPECT_EQ(pool.IdleTimeout, 60000);
    EXPECT_EQ(pool.HardTerminateTimeout, 3000);
    EXPECT_EQ(ProcessThreads(), FThreadsBefore);
    int allDone = 0;
    pool.OnAllItemsDone = [&](TObject*) { ++allDone; };
    pool.TerminateAll(true);
    EXPECT_EQ(allDone, 0) << "nothing was pending";
  }
  EXPECT_EQ(ProcessThreads(), FThreadsBefore);
}

TEST_F(ThreadPoolTest, WorkRunsOnAWorkerAndIsReportedOnTheWindowThread) {
  TWorkerThreadPool pool(true);
  int allDone = 0;
  pool.OnAllItemsDone = [&](TObject*) {
    ++allDone;
    EXPECT_TRUE(TThread::IsMainThread());
  };
  auto first = std::make_shared<TProbeItem>();
  auto second = std::make_shared<TProbeItem>();
  pool.AddWorkItem(first);
  EXPECT_EQ(pool.Count(), 1) << "work started one worker";
  ASSERT_TRUE(PumpUntil([&] { return allDone == 1; }));
  EXPECT_EQ(first->Executed, 1);
  EXPECT_EQ(first->DoneOn, std::vector<std::thread::id>{std::this_thread::get_id()}) << "the done event ran on the window thread";
  // The worker waits for more work and takes it.
  ASSERT_TRUE(PumpUntil([&] { return pool.Count() == 1; }));
  pool.AddWorkItem(second);
  ASSERT_TRUE(PumpUntil([&] { return allDone == 2; }));
  EXPECT_EQ(second->Executed, 1);
  EXPECT_EQ(pool.PendingCount, 0);
  EXPECT_LE(pool.Count(), 2);
}

TEST_F(ThreadPoolTest, AWorkerWithoutWorkEndsItselfAndTheEmptyPoolIsReportedOnce) {
  TWorkerThreadPool pool(false);
  pool.IdleTimeout = 30;
  std::vector<TShellThread*> done;
  int empty = 0;
  pool.OnThreadDone = [&](TObject*, TShellThread* thread) { done.push_back(thread); };
  pool.OnPoolEmpty = [&](TObject*) { ++empty; };
  pool.AddWorkItem(std::make_shared<TProbeItem>());
  ASSERT_TRUE(PumpUntil([&] { return pool.Count() == 0; }));
  EXPECT_EQ(done.size(), 1u);
  EXPECT_EQ(empty, 1);
  EXPECT_FALSE(pool.Terminating);
}

TEST_F(ThreadPoolTest, CancellingByTagDropsQueuedItemsAndCancelsTheRunningOne) {
  TWorkerThreadPool pool(true);
  pool.ThreadLimit = 1;
  int allDone = 0;
  pool.OnAllItemsDone = [&](TObject*) { ++allDone; };
  auto running = std::make_shared<TProbeItem>(1, true);
  auto tagged = std::make_shared<TProbeItem>(1);
  auto other = std::make_shared<TProbeItem>(2);
  pool.AddWorkItem(running);
  ASSERT_TRUE(PumpUntil([&] { return running->Running.load(); }));
  pool.AddWorkItem(tagged);
  pool.AddWorkItem(other);
  EXPECT_EQ(pool.Count(), 1) << "the limit holds";
  EXPECT_EQ(pool.PendingCount, 3);
  pool.CancelAll(1);
  EXPECT_EQ(pool.Queue.Count(), 1) << "the other tag stays queued";
  EXPECT_EQ(running->Cancelled, 1) << "the item being executed is cancelled";
  ASSERT_TRUE(PumpUntil([&] { return allDone == 1; }));
  EXPECT_EQ(tagged->Executed, 0);
  EXPECT_EQ(other->Executed, 1);
  EXPECT_EQ(pool.PendingCount, 0) << "a dropped item is no longer pending";
}

TEST_F(ThreadPoolTest, DestroyingAPoolStopsItsBusyWorkersAndJoinsThem) {
  auto held = std::make_shared<TProbeItem>(0, true);
  auto queued = std::make_shared<TProbeItem>();
  int allDone = 0;
  {
    TWorkerThreadPool pool(true);
    pool.ThreadLimit = 1;
    pool.OnAllItemsDone = [&](TObject*) { ++allDone; };
    pool.AddWorkItem(held);
    ASSERT_TRUE(PumpUntil([&] { return held->Running.load(); }));
    pool.AddWorkItem(queued);
    EXPECT_GT(ProcessThreads(), FThreadsBefore);
  }
  EXPECT_GE(held->Cancelled, 1);
  EXPECT_EQ(queued->Executed, 0) << "queued work is dropped";
  EXPECT_EQ(allDone, 1) << "the last pending item reports all done";
}

TEST_F(ThreadPoolTest, AThreadThatDoesNotEndInTimeIsLetGoAndFreedWhenItEnds) {
  auto stubborn = std::make_shared<TProbeItem>(0, true, true);
  int empty = 0;
  {
    TWorkerThreadPool pool(true);
    pool.HardTerminateTimeout = 50;
    pool.OnPoolEmpty = [&](TObject*) { ++empty; };
    pool.AddWorkItem(stubborn);
    ASSERT_TRUE(PumpUntil([&] { return stubborn->Running.load(); }));
  }
  EXPECT_EQ(empty, 1) << "the pool no longer holds the thread";
  EXPECT_GE(stubborn->Cancelled, 1);
  EXPECT_TRUE(stubborn->Running) << "the thread still runs its item";
  stubborn->Release();
  EXPECT_TRUE(PumpUntil([&] {
    ReapLetGoThreads();
    return ProcessThreads() == FThreadsBefore;
  })) << "the thread ends by itself and is freed";
  EXPECT_EQ(stubborn->Executed, 1);
  EXPECT_TRUE(stubborn->DoneOn.empty()) << "a thread let go reports nothing to the pool that was";
}

class ShellModulesTest : public ThreadPoolTest {};

TEST_F(ShellModulesTest, StartAndExitStepsPrepareAndReleaseTheShellState) {
  ClearMessageQueue();
  const int comBefore = ComInitCount();
  TOSVersion v;
  v.MajorVersion = 5;
  v.MinorVersion = 1;
  SetOSVersion(v);
  InitShellModules();
  EXPECT_TRUE(ShellState.DesktopFolder);
  EXPECT_EQ(ShellState.SystemDriveRoot, u"C:\\");
  EXPECT_NE(ShellState.IDListClipboardFormat, 0u);
  EXPECT_TRUE(ShellState.IsNT);
  EXPECT_TRUE(ShellState.IsWinXP);
  EXPECT_FALSE(ShellState.IsVistaOrLater);
  EXPECT_FALSE(ShellEntries.Shell32) << "no shell library on this system: its entries stay absent";
  EXPECT_EQ(ShellEntries.PathMatchSpecW, nullptr);
  EXPECT_EQ(ComInitCount(), comBefore + 1);
  InitShellEntries();  // a second start of the entry points does nothing
  EXPECT_EQ(ComInitCount(), comBefore + 1);
  FinalizeShellEntries();
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, HWND(), WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "a desktop: the program goes on";
  FinalizeShellModules();
  EXPECT_FALSE(ShellState.DesktopFolder);
  EXPECT_TRUE(ShellState.SystemDriveRoot.empty());
  EXPECT_EQ(ComInitCount(), comBefore);
  ResetOSVersion();
}

TEST_F(ShellModulesTest, WithoutADesktopTheProgramIsToldToEnd) {
  ClearMessageQueue();
  const char* home = std::getenv("HOME");
  const std::string savedHome = home != nullptr ? home : "";
  const char* desktop = std::getenv("XDG_DESKTOP_DIR");
  const std::string savedDesktop = desktop != nullptr ? desktop : "";
  unsetenv("HOME");
  unsetenv("XDG_DESKTOP_DIR");
  InitShellModules();
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, HWND(), WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit message ends the loop that takes it";
  EXPECT_EQ(ShellState.SystemDriveRoot, u"C:\\") << "the rest of the start still runs";
  FinalizeShellModules();
  if (home != nullptr) setenv("HOME", savedHome.c_str(), 1);
  if (desktop != nullptr) setenv("XDG_DESKTOP_DIR", savedDesktop.c_str(), 1);
  ClearMessageQueue();
}

TEST_F(ShellModulesTest, TheGlobalPoolsExistFromStartToExitWithoutThreads) {
  InitWorkerThreadPools();
  ASSERT_NE(WorkerThreadPool, nullptr);
  ASSERT_NE(ShellWorkerThreadPool, nullptr);
  EXPECT_NE(WorkerThreadPool, ShellWorkerThreadPool);
  EXPECT_TRUE(WorkerThreadPool->UsesCom);
  EXPECT_EQ(WorkerThreadPool->Count() + ShellWorkerThreadPool->Count(), 0);
  EXPECT_EQ(ProcessThreads(), FThreadsBefore);
  FinalizeWorkerThreadPools();
  EXPECT_EQ(WorkerThreadPool, nullptr);
  EXPECT_EQ(ShellWorkerThreadPool, nullptr);
}

}  // namespace
}  // namespace orv::test
