// Threads beside the window thread: TThread with termination, start on demand and calls
// synchronised onto the window thread, and the critical section that guards shared lists.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include "platform/classes/TypeInfo.h"
#include "platform/win/WinTypes.h"

namespace orv {

class TCriticalSection {
 public:
  void Enter() { FMutex.lock(); }
  void Leave() { FMutex.unlock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }

 private:
  std::recursive_mutex FMutex;
};

// Holds a critical section for a scope.
class TLock {
 public:
  explicit TLock(TCriticalSection& section) : FSection(section) { FSection.Enter(); }
  ~TLock() { FSection.Leave(); }
  TLock(const TLock&) = delete;
  TLock& operator=(const TLock&) = delete;

 private:
  TCriticalSection& FSection;
};

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A thread running Execute. Made suspended, it starts with Resume; otherwise at once. Terminate
// only asks: Execute polls Terminated. When Execute returns (or raises) DoTerminate runs on the
// thread, then the thread is finished. The destructor asks a running thread to terminate and waits
// for it; a derived class whose Execute uses its own members calls Terminate and WaitFor in its own
// destructor, before those members go. A thread that never started is not started by it.
class TThread {
 public:
  explicit TThread(bool createSuspended);
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();
  bool Suspended() const { return FSuspended; }
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // Execute and DoTerminate are over.
  bool Finished() const { return FFinished; }
  // Waits until the thread is finished; on the window thread the synchronised calls of threads
  // keep running meanwhile. A thread that never started is started first.
  void WaitFor();
  // The priority is kept; the stand-in schedules every thread alike.
  TThreadPriority Priority() const { return FPriority; }
  void SetPriority(TThreadPriority priority) { FPriority = priority; }

  // Runs on the window thread when the thread terminates.
  TNotifyEvent OnTerminate;

  // Runs method on the window thread and waits until it has run (at once when called there). A
  // method that raises passes its exception on to the caller.
  static void Synchronize(const std::function<void()>& method);
  // The thread that started the program (the window thread).
  static bool IsMainThread();

 protected:
  virtual void Execute() = 0;
  // On the thread after Execute: OnTerminate through Synchronize.
  virtual void DoTerminate();

 private:
  void Start();
  void Run();

  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FSuspended{false};
  std::atomic<bool> FFinished{false};
  TThreadPriority FPriority = tpNormal;
  std::mutex FStartMutex;
};

// Runs the calls that threads wait to have run on the window thread; true when any ran. Must be
// called on the window thread (the event loop and ProcessMessages call it).
bool CheckSynchronize();

// The number of processors of the system (1 when the platform is not of the NT family).
DWORD NumberOfProcessors();

}  // namespace orv
