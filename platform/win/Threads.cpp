// Threads, the queue of calls synchronised onto the window thread, and the processor count.
#include "platform/win/Threads.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <chrono>
#include <deque>
#include <exception>
#include <memory>
#include "platform/win/Immortal.h"
#include "platform/win/Version.h"

namespace orv {

namespace {

const std::thread::id gMainThread = std::this_thread::get_id();

struct TSyncCall {
  std::function<void()> Method;
  std::exception_ptr Error;
  bool Done = false;
};

struct TSyncQueue {
  std::mutex Mutex;
  std::condition_variable Changed;  // a call was run, or a thread finished
  std::deque<std::shared_ptr<TSyncCall>> Calls;
};

TSyncQueue& Queue() {
  static winimpl::TImmortal<TSyncQueue> queue;
  return queue.Get();
}

// Asks the window thread's event loop to run the queue; without a Qt application the window
// thread runs it whenever it pumps its messages or waits for a thread.
void WakeWindowThread() {
  if (QCoreApplication* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, [] { CheckSynchronize(); }, Qt::QueuedConnection);
}

}  // namespace

bool TThread::IsMainThread() { return std::this_thread::get_id() == gMainThread; }

bool CheckSynchronize() {
  if (!TThread::IsMainThread()) return false;
  auto& q = Queue();
  bool ran = false;
  for (;;) {
    std::shared_ptr<TSyncCall> call;
    {
      std::lock_guard<std::mutex> lock(q.Mutex);
      if (q.Calls.empty()) break;
      call = q.Calls.front();
      q.Calls.pop_front();
    }
    try {
      call->Method();
    } catch (...) {
      call->Error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(q.Mutex);
      call->Done = true;
    }
    q.Changed.notify_all();
    ran = true;
  }
  return ran;
}

void TThread::Synchronize(const std::function<void()>& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  auto& q = Queue();
  auto call = std::make_shared<TSyncCall>();
  call->Method = method;
  {
    std::lock_guard<std::mutex> lock(q.Mutex);
    q.Calls.push_back(call);
  }
  WakeWindowThread();
  std::unique_lock<std::mutex> lock(q.Mutex);
  q.Changed.wait(lock, [&] { return call->Done; });
  if (call->Error) std::rethrow_exception(call->Error);
}

TThread::TThread(bool createSuspended) {
  FSuspended = createSuspended;
  if (!createSuspended) Start();
}

TThread::~TThread() {
  Terminate();
  // A thread that never started is not started now: its object is already half gone.
  if (FThread.joinable()) WaitFor();
}

void TThread::Start() {
  std::lock_guard<std::mutex> lock(FStartMutex);
  if (FThread.joinable() || FFinished) return;
  FSuspended = false;
  FThread = std::thread([this] { Run(); });
}

void TThread::Resume() {
  if (FSuspended) Start();
}

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    // A thread's failure ends the thread; there is nobody to report it to.
  }
  try {
    DoTerminate();
  } catch (...) {
  }
  auto& q = Queue();
  {
    std::lock_guard<std::mutex> lock(q.Mutex);
    FFinished = true;
  }
  q.Changed.notify_all();
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(nullptr); });
}

void TThread::WaitFor() {
  if (FSuspended) Start();
  if (!FThread.joinable()) return;
  if (FThread.get_id() == std::this_thread::get_id()) return;
  if (IsMainThread()) {
    auto& q = Queue();
    for (;;) {
      CheckSynchronize();
      std::unique_lock<std::mutex> lock(q.Mutex);
      if (FFinished) break;
      q.Changed.wait_for(lock, std::chrono::milliseconds(5), [&] { return FFinished || !q.Calls.empty(); });
      if (FFinished) break;
    }
  }
  FThread.join();
}

DWORD NumberOfProcessors() {
  if (OSVersion().PlatformId != VER_PLATFORM_WIN32_NT) return 1;
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : n;
}

}  // namespace orv
