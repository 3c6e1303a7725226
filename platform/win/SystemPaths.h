// The program's module file name, the Windows directory and the command line, in the forms the
// wide-character layer and the shell start-up ask for them.
#pragma once
#include "platform/win/WinTypes.h"

namespace orv {

// The full file name of a module (0 or HInstance(): the program's executable). It fits: copied
// with a terminator, the result is its length. Too small a buffer: exactly size characters are
// copied without a terminator and the result is size (ERROR_INSUFFICIENT_BUFFER). Another module:
// 0 (ERROR_MOD_NOT_FOUND).
DWORD GetModuleFileNameA(HINSTANCE module, char* buffer, DWORD size);
DWORD GetModuleFileNameW(HINSTANCE module, char16_t* buffer, DWORD size);

// The Windows directory, a fixed "C:\Windows" here. It fits: copied with a terminator, the result
// is its length; too small a buffer is left as it is and the result is the size needed with the
// terminator.
UINT GetWindowsDirectoryA(char* buffer, UINT size);
UINT GetWindowsDirectoryW(char16_t* buffer, UINT size);

// The process's command line: its arguments separated by spaces, each holding a blank, a tab or
// nothing at all in double quotes. Read once.
const char16_t* GetCommandLineW();

}  // namespace orv
