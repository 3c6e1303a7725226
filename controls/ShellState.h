// Shell state prepared at start for shell browsing: the desktop folder (without it the program is
// told to end), the shell's clipboard format, the platform flags and the root of the system drive.
#pragma once
#include "platform/win/ShellFolders.h"
#include "platform/win/WinTypes.h"

namespace orv {

struct TShellState {
  TShellFolderRef DesktopFolder;
  UINT IDListClipboardFormat = 0;
  void* StrFormatByteSizeW = nullptr;  // from shlwapi, when it exists
  bool IsNT = false;
  bool IsWinXP = false;         // exactly 5.1
  bool IsWinXPOrLater = false;
  bool IsVistaOrLater = false;  // major version above 5
  bool IsWin95Family4 = false;  // major version 4, minor at most 10
  // The Windows directory's drive with a backslash, e.g. "C:\".
  WideString SystemDriveRoot;
};

extern TShellState ShellState;

// The start step: takes the desktop folder (none: the quit message is posted, so the program ends
// once its message loop runs), registers "Shell IDList Array", looks for StrFormatByteSizeW, reads
// the version, and sets the drive root from the Windows directory ("C:\Windows" when it cannot be
// read). The exit step releases all of it.
void InitShellState();
void FinalizeShellState();

}  // namespace orv
