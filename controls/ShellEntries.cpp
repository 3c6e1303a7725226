// Loading the shell libraries' optional entry points, once.
#include "controls/ShellEntries.h"

namespace orv {

TShellEntries ShellEntries;

namespace {

int gStarts = 0;

// Entries by ordinal are asked for by their number written as "#n".
void* Entry(HMODULE module, const char* name) { return module ? GetProcAddress(module, name) : nullptr; }

}  // namespace

void InitShellEntries() {
  if (gStarts++ != 0) return;
  // The program is never itself a library here, so OLE is started for the window thread.
  const HRESULT hr = OleInitialize(nullptr);
  ShellEntries.OleStarted = hr == S_OK || hr == S_FALSE;
  ShellEntries.Shell32 = LoadLibraryA("Shell32");
  ShellEntries.Ordinal2 = Entry(ShellEntries.Shell32, "#2");
  ShellEntries.Ordinal4 = Entry(ShellEntries.Shell32, "#4");
  ShellEntries.Ordinal28 = Entry(ShellEntries.Shell32, "#28");
  ShellEntries.SHEmptyRecycleBinA = Entry(ShellEntries.Shell32, "SHEmptyRecycleBinA");
  ShellEntries.Shlwapi = LoadLibraryA("shlwapi");
  ShellEntries.SHAutoComplete = Entry(ShellEntries.Shlwapi, "SHAutoComplete");
  ShellEntries.PathMatchSpecW = Entry(ShellEntries.Shlwapi, "PathMatchSpecW");
  ShellEntries.StrRetToStrW = Entry(ShellEntries.Shlwapi, "StrRetToStrW");
}

void FinalizeShellEntries() {
  if (gStarts == 0 || --gStarts != 0) return;
  if (ShellEntries.Shell32) FreeLibrary(ShellEntries.Shell32);
  if (ShellEntries.Shlwapi) FreeLibrary(ShellEntries.Shlwapi);
  if (ShellEntries.OleStarted) OleUninitialize();
  ShellEntries = TShellEntries();
}

}  // namespace orv
