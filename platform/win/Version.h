// The version and platform provider (platform id, major/minor version, locale flags) that tests can
// set, and small system services: process and thread ids, the computer name and MessageBeep.
#pragma once
#include <functional>
#include "platform/win/WinTypes.h"

namespace orv {

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct TOSVersion {
  DWORD PlatformId = VER_PLATFORM_WIN32_NT;
  DWORD MajorVersion = 5;
  DWORD MinorVersion = 1;
  DWORD BuildNumber = 2600;
  AnsiString CSDVersion;
  // System locale flags: a double-byte (Far East) or a right-to-left (Middle East) system.
  bool FarEast = false;
  bool MiddleEast = false;
};
const TOSVersion& OSVersion();
void SetOSVersion(const TOSVersion& version);
// Back to the defaults above.
void ResetOSVersion();

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  char szCSDVersion[128] = {};
};
bool GetVersionExA(OSVERSIONINFOA* info);

// The ids of this process and of the calling thread.
DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();

// The computer name: the host name up to its first dot, a-z upper-cased, at most
// MAX_COMPUTERNAME_LENGTH characters. *size is the buffer's capacity with the terminator; on
// success it becomes the name's length, when too small the capacity needed (ERROR_BUFFER_OVERFLOW).
inline constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;
AnsiString ComputerName();
bool GetComputerNameA(char* buffer, DWORD* size);
bool GetComputerNameW(char16_t* buffer, DWORD* size);

// type is a message-box icon kind (MB_ICON*). Sounds nothing by itself; the forms layer or a test may install a sink.
bool MessageBeep(UINT type);
void SetMessageBeepSink(std::function<void(UINT)> sink);

}  // namespace orv
