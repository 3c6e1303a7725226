// The worker pool: work items queued and taken by worker threads that are started only when work
// arrives and end themselves after an idle time-out; cancelling by tag; the two global pools.
#include <chrono>
#include "controls/ThreadPool.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Libraries.h"

namespace orv {

TWorkerThreadPool* WorkerThreadPool = nullptr;
TWorkerThreadPool* ShellWorkerThreadPool = nullptr;

// ----- TWorkerThread -----

TWorkerThread::TWorkerThread(TWorkerThreadPool& pool, bool usesCom)
    : TShellThread(true), UsesCom(usesCom), FWorkers(pool) {}

TWorkerThread::~TWorkerThread() {
  Terminate();
  WaitFor();
}

TPoolWorkItemRef TWorkerThread::CurrentItem() {
  std::lock_guard<std::mutex> guard(FItemLock);
  return FCurrentItem;
}

void TWorkerThread::SetPaused(bool paused) {
  TShellThread::SetPaused(paused);
  if (TPoolWorkItemRef item = CurrentItem()) item->SetPaused(paused);
}

void TWorkerThread::CancelCurrentItem() {
  if (TPoolWorkItemRef item = CurrentItem()) item->Cancel();
  Resume();
}

void TWorkerThread::Execute() {
  if (PausedWait()) return;
  if (UsesCom) {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_SPEED_OVER_MEMORY);
    if (hr != S_OK && hr != S_FALSE) return;
  }
  std::uint64_t lastWork = GetTickCount64();
  while (!PausedWait()) {
    // A pool that let this thread go after its time-out may be gone: nothing of it is touched.
    if (Pool == nullptr) break;
    TPoolWorkItemRef item = FWorkers.Queue.Dequeue();
    if (!item) {
      // Idle: the pool starts no new worker for an item while this one waits. The count is
      // lowered before the last look at the queue, so an item queued meanwhile is never left
      // without a worker.
      ++FWorkers.FIdleWorkers;
      bool idle = true;
      while (!item && !Terminated()) {
        if (GetTickCount64() - lastWork > static_cast<std::uint64_t>(FWorkers.IdleTimeout)) {
          --FWorkers.FIdleWorkers;
          idle = false;
          item = FWorkers.Queue.Dequeue();
          if (!item) Terminate();
          break;
        }
        Sleep(10);
        item = FWorkers.Queue.Dequeue();
      }
      if (idle) --FWorkers.FIdleWorkers;
      if (!item) break;
    }
    {
      std::lock_guard<std::mutex> guard(FItemLock);
      FCurrentItem = item;
    }
    item->Execute();
    {
      std::lock_guard<std::mutex> guard(FItemLock);
      FCurrentItem = nullptr;
    }
    if (Pool == nullptr) break;
    if (auto done = item->GetDoneEvent()) Synchronize(done);
    FWorkers.ItemsGone(1, true);
    lastWork = GetTickCount64();
  }
  if (UsesCom) CoUninitialize();
}

// ----- TWorkerThreadPool -----

TWorkerThreadPool::TWorkerThreadPool(bool usesCom) : UsesCom(usesCom) {}

TWorkerThreadPool::~TWorkerThreadPool() { TerminateAll(true); }

void TWorkerThreadPool::AddWorkItem(TPoolWorkItemRef item) {
  if (!item) return;
  ++PendingCount;
  Queue.Enqueue(std::move(item));
  if (FIdleWorkers > 0 || Count() >= ThreadLimit) return;
  AddThread(std::make_unique<TWorkerThread>(*this, UsesCom));
}

void TWorkerThreadPool::ItemsGone(Integer count, bool fromWorker) {
  if (count <= 0) return;
  if (PendingCount.fetch_sub(count) != count) return;
  if (fromWorker) TThread::Synchronize([this] { OnAllItemsDone(this); });
  else OnAllItemsDone(this);
}

void TWorkerThreadPool::CancelAll(Integer tag) {
  Cancelling = true;
  // Items that will never run are no longer pending.
  ItemsGone(tag == 0 ? Queue.Clear() : Queue.RemoveByTag(tag), false);
  ForEachThread([](TShellThread* thread) {
    if (auto* worker = dynamic_cast<TWorkerThread*>(thread)) {
      if (TPoolWorkItemRef item = worker->CurrentItem()) item->Cancel();
    }
  });
  Cancelling = false;
}

void TWorkerThreadPool::TerminateAll(bool wait) {
  CancelAll(0);
  TCustomThreadPool::TerminateAll(wait);
  Queue.Clear();
  if (PendingCount.exchange(0) != 0) OnAllItemsDone(this);
}

void TWorkerThreadPool::Notify(TShellThread* thread, TThreadListAction action) {
  TCustomThreadPool::Notify(thread, action);
  if (action == tlAdded) thread->Resume();
}

}  // namespace orv
