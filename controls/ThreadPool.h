// Worker thread pools of the shell support: a pool of shell threads with a time-limited stop, and
// the worker pool that feeds them work items from a queue. A pool starts no thread until work
// arrives, and destroying it stops and joins every thread it started.
#pragma once
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <vector>
#include "platform/classes/TypeInfo.h"
#include "platform/win/Threads.h"

namespace orv {

class TCustomThreadPool;

// A piece of work for a worker thread. Execute runs on the worker; the done event, when there is
// one, runs on the window thread afterwards. Cancel and SetPaused may come from any thread.
class IPoolWorkItem {
 public:
  virtual ~IPoolWorkItem() = default;
  virtual std::function<void()> GetDoneEvent() = 0;
  // Groups items for CancelAll; 0 is no group.
  virtual Integer GetTag() = 0;
  virtual void Execute() = 0;
  virtual void Cancel() = 0;
  virtual void SetPaused(bool paused) = 0;
};
using TPoolWorkItemRef = std::shared_ptr<IPoolWorkItem>;

// A thread of a pool: it tells its pool on the window thread when it has finished.
class TShellThread : public TThread {
 public:
  explicit TShellThread(bool createSuspended) : TThread(createSuspended) {}
  ~TShellThread() override;

  std::atomic<bool> HasFinished{false};
  std::atomic<bool> Paused{false};
  // Set while the pool holds the thread; cleared when the pool lets it go.
  std::atomic<TCustomThreadPool*> Pool{nullptr};

  virtual void SetPaused(bool paused) { Paused = paused; }
  // On the window thread: the pool's OnThreadDone, then DetachThread.
  virtual void NotifyPool();

 protected:
  // The paused-wait and nothing more.
  void Execute() override;
  void DoTerminate() override;
  // While paused and not told to terminate, sleeps 100 ms at a time; true when told to terminate.
  bool PausedWait();
};

using TThreadEvent = TEvent<TObject*, TShellThread*>;

enum TThreadListAction { tlAdded, tlDeleted };

class TCustomThreadPool : public TObject {
 public:
  TCustomThreadPool();
  ~TCustomThreadPool() override;

  TThreadEvent OnThreadDone;
  TNotifyEvent OnPoolEmpty;
  Integer ThreadLimit;
  TThreadPriority ThreadPriority = tpNormal;
  Integer HardTerminateTimeout = 3000;
  std::atomic<bool> Terminating{false};

  // Takes the thread into the pool, which owns it from now on; returns its index.
  Integer AddThread(std::unique_ptr<TShellThread> thread);
  // A finished thread leaves the pool; a running one is stopped first.
  virtual void DetachThread(TShellThread* thread);
  // Asks every thread to terminate; with wait, stops them one by one until none is left.
  virtual void TerminateAll(bool wait);
  bool Contains(TShellThread* thread);
  Integer Count();

 protected:
  virtual void Notify(TShellThread* thread, TThreadListAction action);
  // Tells the thread to terminate and waits up to HardTerminateTimeout for it to leave the pool,
  // pumping the window thread's messages when called there. A thread still there afterwards is let
  // go: the pool no longer holds or waits for it, and it is freed once it ends by itself.
  void StopThread(TShellThread* thread);
  // Joins and frees the threads that have left the pool and ended (with waitForAll, every thread
  // that left it).
  void ReapFinished(bool waitForAll = false);
  // Calls fn for each thread, last to first, under the lock.
  void ForEachThread(const std::function<void(TShellThread*)>& fn);

  TCriticalSection Lock;

 private:
  std::vector<TShellThread*> FThreads;  // the threads in the pool, in the order they came
  // Every thread the pool owns: those in it and those that left it but are still to be joined.
  std::vector<std::unique_ptr<TShellThread>> FOwned;
};

// A first-in first-out list of work items with its own lock.
class TWorkItemsQueue {
 public:
  void Enqueue(TPoolWorkItemRef item);
  // The first item, removed; nullptr when there is none.
  TPoolWorkItemRef Dequeue();
  // Removes the items whose tag is tag; returns how many went.
  Integer RemoveByTag(Integer tag);
  // Returns how many went.
  Integer Clear();
  Integer Count();

 private:
  std::mutex FLock;
  std::deque<TPoolWorkItemRef> FItems;
};

class TWorkerThreadPool;

class TWorkerThread : public TShellThread {
 public:
  TWorkerThread(TWorkerThreadPool& pool, bool usesCom);
  ~TWorkerThread() override;
  // Passes the flag on to the current item.
  void SetPaused(bool paused) override;
  void CancelCurrentItem();
  TPoolWorkItemRef CurrentItem();
  const bool UsesCom;

 protected:
  void Execute() override;

 private:
  TWorkerThreadPool& FWorkers;
  std::mutex FItemLock;
  TPoolWorkItemRef FCurrentItem;
};

class TWorkerThreadPool : public TCustomThreadPool {
 public:
  explicit TWorkerThreadPool(bool usesCom);
  ~TWorkerThreadPool() override;

  TNotifyEvent OnAllItemsDone;
  TWorkItemsQueue Queue;
  // A worker without work for this long (ms) ends itself.
  Integer IdleTimeout = 60000;
  std::atomic<bool> Cancelling{false};
  std::atomic<Integer> PendingCount{0};
  const bool UsesCom;

  // Queues the item; a worker is started for it when every worker is busy and the limit allows.
  void AddWorkItem(TPoolWorkItemRef item);
  // Tag 0: every queued item; otherwise those of the tag. The items being executed are cancelled.
  void CancelAll(Integer tag);
  void TerminateAll(bool wait) override;

 protected:
  // A worker taken into the pool starts at once.
  void Notify(TShellThread* thread, TThreadListAction action) override;

 private:
  friend class TWorkerThread;
  // Counts off items that are done or were taken from the queue; OnAllItemsDone at 0.
  void ItemsGone(Integer count, bool fromWorker);
  std::atomic<Integer> FIdleWorkers{0};
};

// Frees the threads let go after a time-out that have ended since; the pools call it as well.
void ReapLetGoThreads();

// The two global pools of the shell support, made by the start-up and freed at exit.
extern TWorkerThreadPool* WorkerThreadPool;
extern TWorkerThreadPool* ShellWorkerThreadPool;

}  // namespace orv
