// Shell threads and their pool: the paused-wait, the window-thread notification of a finished
// thread, the time-limited stop, the termination walk, and threads let go after a time-out.
#include "controls/ThreadPool.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include "platform/rtl/SysUtils.h"
#include "platform/win/MessageLoop.h"

namespace orv {

namespace {

// Threads that did not end within the hard time-out: nobody holds them any more. Each is freed
// once it has ended; at exit the ones still running are left to the process's end.
struct TLetGoThreads {
  std::mutex Lock;
  std::vector<std::unique_ptr<TShellThread>> Threads;

  void Reap() {
    std::vector<std::unique_ptr<TShellThread>> done;
    {
      std::lock_guard<std::mutex> guard(Lock);
      auto split = std::stable_partition(Threads.begin(), Threads.end(), [](const auto& t) { return !t->Finished(); });
      std::move(split, Threads.end(), std::back_inserter(done));
      Threads.erase(split, Threads.end());
    }
  }
  ~TLetGoThreads() {
    Reap();
    for (auto& t : Threads) (void)t.release();  // still running: joining would wait for ever
  }
};

TLetGoThreads& LetGo() {
  static TLetGoThreads threads;
  return threads;
}

}  // namespace

void ReapLetGoThreads() { LetGo().Reap(); }

// ----- TShellThread -----

TShellThread::~TShellThread() {
  Terminate();
  WaitFor();
}

bool TShellThread::PausedWait() {
  while (Paused && !Terminated()) Sleep(100);
  return Terminated();
}

void TShellThread::Execute() { PausedWait(); }

void TShellThread::DoTerminate() {
  HasFinished = true;
  TThread::DoTerminate();
  if (Pool != nullptr) Synchronize([this] { NotifyPool(); });
}

void TShellThread::NotifyPool() {
  TCustomThreadPool* pool = Pool;
  if (pool == nullptr) return;
  pool->OnThreadDone(pool, this);
  pool->DetachThread(this);
}

// ----- TCustomThreadPool -----

TCustomThreadPool::TCustomThreadPool() : ThreadLimit(static_cast<Integer>(8 * NumberOfProcessors())) {}

TCustomThreadPool::~TCustomThreadPool() {
  TCustomThreadPool::TerminateAll(true);
  ReapFinished(true);
}

Integer TCustomThreadPool::AddThread(std::unique_ptr<TShellThread> owned) {
  ReapFinished();
  TShellThread* thread = owned.get();
  Integer index;
  {
    TLock guard(Lock);
    FOwned.push_back(std::move(owned));
    FThreads.push_back(thread);
    index = static_cast<Integer>(FThreads.size()) - 1;
  }
  Notify(thread, tlAdded);
  return index;
}

bool TCustomThreadPool::Contains(TShellThread* thread) {
  TLock guard(Lock);
  return std::find(FThreads.begin(), FThreads.end(), thread) != FThreads.end();
}

Integer TCustomThreadPool::Count() {
  TLock guard(Lock);
  return static_cast<Integer>(FThreads.size());
}

void TCustomThreadPool::Notify(TShellThread* thread, TThreadListAction action) {
  if (action == tlAdded) {
    thread->Pool = this;
    thread->SetPriority(ThreadPriority);
    return;
  }
  if (Count() == 0) {
    TThread::Synchronize([this] { OnPoolEmpty(this); });
    Terminating = false;
  }
}

void TCustomThreadPool::DetachThread(TShellThread* thread) {
  if (!thread->HasFinished) {
    StopThread(thread);
    return;
  }
  bool removed = false;
  {
    TLock guard(Lock);
    auto it = std::find(FThreads.begin(), FThreads.end(), thread);
    if (it != FThreads.end()) {
      FThreads.erase(it);
      thread->Pool = nullptr;
      removed = true;
    }
  }
  if (removed) Notify(thread, tlDeleted);
}

void TCustomThreadPool::StopThread(TShellThread* thread) {
  Terminating = true;
  if (thread == nullptr) return;
  if (thread->HasFinished) {
    ProcessMessages();
    return;
  }
  thread->Terminate();
  thread->Resume();
  const std::uint64_t start = GetTickCount64();
  while (GetTickCount64() - start < static_cast<std::uint64_t>(HardTerminateTimeout)) {
    if (!Contains(thread)) return;
    if (TThread::IsMainThread()) ProcessMessages();
    Sleep(5);
  }
  std::unique_ptr<TShellThread> letGo;
  {
    TLock guard(Lock);
    auto it = std::find(FThreads.begin(), FThreads.end(), thread);
    if (it == FThreads.end()) return;
    FThreads.erase(it);
    thread->Pool = nullptr;
    auto owned = std::find_if(FOwned.begin(), FOwned.end(), [thread](const auto& t) { return t.get() == thread; });
    if (owned != FOwned.end()) {
      letGo = std::move(*owned);
      FOwned.erase(owned);
    }
  }
  Notify(thread, tlDeleted);
  if (letGo) {
    std::lock_guard<std::mutex> guard(LetGo().Lock);
    LetGo().Threads.push_back(std::move(letGo));
  }
}

void TCustomThreadPool::TerminateAll(bool wait) {
  Terminating = true;
  ForEachThread([](TShellThread* thread) {
    thread->Terminate();
    if (auto* worker = dynamic_cast<TWorkerThread*>(thread)) worker->CancelCurrentItem();
    thread->Resume();
  });
  if (!wait) return;
  Sleep(10);
  for (;;) {
    TShellThread* first = nullptr;
    {
      TLock guard(Lock);
      if (FThreads.empty()) break;
      first = FThreads.front();
    }
    StopThread(first);
  }
  ReapFinished();
}

void TCustomThreadPool::ForEachThread(const std::function<void(TShellThread*)>& fn) {
  TLock guard(Lock);
  const std::vector<TShellThread*> threads = FThreads;
  for (auto it = threads.rbegin(); it != threads.rend(); ++it) fn(*it);
}

void TCustomThreadPool::ReapFinished(bool waitForAll) {
  std::vector<std::unique_ptr<TShellThread>> gone;
  {
    TLock guard(Lock);
    for (auto it = FOwned.begin(); it != FOwned.end();) {
      // A thread that left the pool may still be returning from its call on the window thread (the
      // one that may have brought us here): it is joined once it has ended, or when the pool goes.
      const bool left = std::find(FThreads.begin(), FThreads.end(), it->get()) == FThreads.end();
      if (left && (waitForAll || (*it)->Finished())) {
        gone.push_back(std::move(*it));
        it = FOwned.erase(it);
      } else {
        ++it;
      }
    }
  }
  // Each has told the pool it is done; joining waits only for the end of its last steps.
  gone.clear();
  ReapLetGoThreads();
}

// ----- TWorkItemsQueue -----

void TWorkItemsQueue::Enqueue(TPoolWorkItemRef item) {
  std::lock_guard<std::mutex> guard(FLock);
  FItems.push_back(std::move(item));
}

TPoolWorkItemRef TWorkItemsQueue::Dequeue() {
  std::lock_guard<std::mutex> guard(FLock);
  if (FItems.empty()) return nullptr;
  TPoolWorkItemRef item = std::move(FItems.front());
  FItems.pop_front();
  return item;
}

Integer TWorkItemsQueue::RemoveByTag(Integer tag) {
  std::lock_guard<std::mutex> guard(FLock);
  const std::size_t before = FItems.size();
  std::erase_if(FItems, [tag](const TPoolWorkItemRef& item) { return item->GetTag() == tag; });
  return static_cast<Integer>(before - FItems.size());
}

Integer TWorkItemsQueue::Clear() {
  std::lock_guard<std::mutex> guard(FLock);
  const auto n = static_cast<Integer>(FItems.size());
  FItems.clear();
  return n;
}

Integer TWorkItemsQueue::Count() {
  std::lock_guard<std::mutex> guard(FLock);
  return static_cast<Integer>(FItems.size());
}

}  // namespace orv
