// The program's start-up: module initialisations in their order, the application with its title,
// the four windows, the message loop, and the shut-down in reverse.
#pragma once
#include <functional>

namespace orv {

inline constexpr const char* ProgramTitle = "Orvinta 1.0";

// Registers the program's module initialisations in start-up order, once per start-up list (after
// FinalizeModules the list is empty and this may run again). Must run before the application is
// initialised, which runs them.
void RegisterProgramModules();

// Creates the windows in their order, each stored in its global: MainForm, WriteMailForm,
// EditKontenForm, NewsDesignForm. The first is the application's main form.
void CreateProgramWindows();

// The whole program. whenRunning runs once the windows exist, just before the message loop.
// Returns the exit code; start-up errors propagate.
int RunProgram(const std::function<void()>& whenRunning = {});

}  // namespace orv
