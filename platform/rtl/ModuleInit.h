// Module start-up: an explicit ordered list of module initialisations, run once before the first
// window is read, and their finalisations in reverse order at exit.
#pragma once
#include <functional>
#include <string>

namespace orv {

struct TModuleEntry {
  std::string Name;
  std::function<void()> Initialization;   // may be empty
  std::function<void()> Finalization;     // may be empty
};

// Appends a module to the start-up list; the order of calls is the order of initialisation.
// Registering after InitializeModules has run raises Exception.
void RegisterModule(TModuleEntry entry);
// Runs every initialisation not yet run, in order. A failing initialisation finalises those that
// already ran (in reverse), empties the list and raises its exception again.
void InitializeModules();
// Runs the finalisations of the modules that were initialised, in reverse order; every one runs even
// when an earlier one raises (the first exception is raised at the end). Then the list is empty
// again (tests can start over).
void FinalizeModules();
bool ModulesInitialized();

}  // namespace orv
