// The module start-up list: initialisations in registration order, finalisations in reverse.
#include "platform/rtl/ModuleInit.h"

#include <exception>
#include <vector>

#include "platform/rtl/Exceptions.h"

namespace orv {

namespace {

struct TModuleState {
  std::vector<TModuleEntry> Modules;
  std::size_t InitializedCount = 0;   // the first InitializedCount modules have run
  bool Started = false;
};

TModuleState& State() {
  static TModuleState state;   // a function-local static: alive whenever it is first asked for
  return state;
}

// Finalises the first `count` modules, last first. Every finalisation runs even when one
// fails; the first failure is raised afterwards.
void FinalizeFirst(std::size_t count) {
  TModuleState& st = State();
  std::exception_ptr first;
  while (count > 0) {
    --count;
    st.InitializedCount = count;
    auto& fin = st.Modules[count].Finalization;
    if (!fin) continue;
    try {
      fin();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

}  // namespace

void RegisterModule(TModuleEntry entry) {
  TModuleState& st = State();
  if (st.Started) throw Exception("Module " + entry.Name + " registered after the modules were initialized");
  st.Modules.push_back(std::move(entry));
}

void InitializeModules() {
  TModuleState& st = State();
  st.Started = true;
  while (st.InitializedCount < st.Modules.size()) {
    auto& init = st.Modules[st.InitializedCount].Initialization;
    try {
      if (init) init();
    } catch (...) {
      std::exception_ptr failure = std::current_exception();
      try {
        FinalizeFirst(st.InitializedCount);
      } catch (...) {
        // The initialisation's own failure is the one to report.
      }
      st.Modules.clear();
      st.InitializedCount = 0;
      st.Started = false;
      std::rethrow_exception(failure);
    }
    ++st.InitializedCount;
  }
}

void FinalizeModules() {
  TModuleState& st = State();
  std::size_t count = st.InitializedCount;
  auto reset = [&] {
    st.Modules.clear();
    st.InitializedCount = 0;
    st.Started = false;
  };
  try {
    FinalizeFirst(count);
  } catch (...) {
    reset();
    throw;
  }
  reset();
}

bool ModulesInitialized() { return State().Started && State().InitializedCount == State().Modules.size(); }

}  // namespace orv
