// The shell state of the start-up: desktop folder, clipboard format, version flags, drive root.
#include "controls/ShellState.h"

#include "platform/win/Clipboard.h"
#include "platform/win/Libraries.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Version.h"
#include "widechar/UniSysUtils.h"
#include "widechar/UniWindows.h"

namespace orv {

TShellState ShellState;

namespace {

HMODULE gShlwapi;

WideString WindowsDirectory() {
  constexpr UINT size = 260;
  WideChar buffer[size] = {};
  const UINT n = WideGetWindowsDirectory(buffer, size);
  // A failure, or a directory longer than the buffer, leaves the usual one.
  if (n == 0 || n >= size) return u"C:\\Windows";
  return WideString(buffer, n);
}

}  // namespace

void InitShellState() {
  if (SHGetDesktopFolder(&ShellState.DesktopFolder) != S_OK || !ShellState.DesktopFolder) PostQuitMessage(0);
  ShellState.IDListClipboardFormat = RegisterClipboardFormatA("Shell IDList Array");
  gShlwapi = LoadLibraryA("shlwapi");
  ShellState.StrFormatByteSizeW = gShlwapi ? GetProcAddress(gShlwapi, "StrFormatByteSizeW") : nullptr;
  OSVERSIONINFOA info;
  info.dwOSVersionInfoSize = 148;
  if (GetVersionExA(&info)) {
    ShellState.IsNT = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    ShellState.IsWinXP = info.dwMajorVersion == 5 && info.dwMinorVersion == 1;
    ShellState.IsWinXPOrLater = (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1) || info.dwMajorVersion > 5;
    ShellState.IsVistaOrLater = info.dwMajorVersion > 5;
    ShellState.IsWin95Family4 = info.dwMajorVersion == 4 && info.dwMinorVersion <= 10;
  }
  ShellState.SystemDriveRoot = WideAddTrailingBackslash(WideDriveOfPath(WindowsDirectory()));
}

void FinalizeShellState() {
  if (gShlwapi) FreeLibrary(gShlwapi);
  gShlwapi = HMODULE();
  ShellState = TShellState();
}

}  // namespace orv
