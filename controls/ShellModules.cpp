// The shell support's module steps in the order the program's start-up runs them.
#include "controls/ShellModules.h"

#include "controls/ShellEntries.h"
#include "controls/ShellState.h"
#include "controls/ThreadPool.h"

#include <memory>

namespace orv {

namespace {
std::unique_ptr<TWorkerThreadPool> gWorkerPool;
std::unique_ptr<TWorkerThreadPool> gShellWorkerPool;
}  // namespace

void InitShellModules() {
  InitShellState();
  InitShellEntries();
}

void FinalizeShellModules() {
  FinalizeShellEntries();
  FinalizeShellState();
}

void InitWorkerThreadPools() {
  if (!gWorkerPool) gWorkerPool = std::make_unique<TWorkerThreadPool>(true);
  WorkerThreadPool = gWorkerPool.get();
  if (!gShellWorkerPool) gShellWorkerPool = std::make_unique<TWorkerThreadPool>(true);
  ShellWorkerThreadPool = gShellWorkerPool.get();
}

void FinalizeWorkerThreadPools() {
  // The second pool's module ends first.
  ShellWorkerThreadPool = nullptr;
  gShellWorkerPool.reset();
  WorkerThreadPool = nullptr;
  gWorkerPool.reset();
}

}  // namespace orv
