// The optional entry points of the shell libraries, loaded at start when the libraries exist; each
// is absent when its library or the entry is missing.
#pragma once
#include "platform/win/Libraries.h"

namespace orv {

struct TShellEntries {
  HMODULE Shell32;
  HMODULE Shlwapi;
  // From shell32 by ordinal (2, 4, 28) and by name.
  void* Ordinal2 = nullptr;
  void* Ordinal4 = nullptr;
  void* Ordinal28 = nullptr;
  void* SHEmptyRecycleBinA = nullptr;
  // From shlwapi.
  void* SHAutoComplete = nullptr;
  void* PathMatchSpecW = nullptr;
  void* StrRetToStrW = nullptr;
  bool OleStarted = false;
};

extern TShellEntries ShellEntries;

// Runs once however often it is called (a start counter): starts OLE on this thread, then loads
// "Shell32" and "shlwapi" and takes their entry points. The exit step runs once after as many calls
// and frees what was loaded.
void InitShellEntries();
void FinalizeShellEntries();

}  // namespace orv
