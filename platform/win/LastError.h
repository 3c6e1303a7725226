// The calling thread's last error code, as set by the window, atom and hook functions that fail,
// its system message, and the class library's exception for it.
#pragma once
#include "platform/win/WinTypes.h"

namespace orv {

DWORD GetLastError();
void SetLastError(DWORD code);

// The system's message for an error code (without a trailing line break); a code without a known
// text gives "Unknown error N".
AnsiString SysErrorMessage(DWORD code);
// Raises EOSError for the last error: "System Error.  Code: N.\r\n" + its message, or "A call to an
// OS function failed" when the last error is 0.
[[noreturn]] void RaiseLastSystemError();
[[noreturn]] void RaiseSystemError(DWORD code);

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr DWORD ERROR_INVALID_HOOK_HANDLE = 1404;
inline constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
inline constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
inline constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
inline constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
inline constexpr DWORD ERROR_INVALID_HOOK_FILTER = 1426;
inline constexpr DWORD ERROR_INVALID_FILTER_PROC = 1427;

}  // namespace orv
