// Dynamic libraries by name and COM start and stop. No optional system library (such as the theme
// library) exists here, so loading one fails and its callers take their fallback; COM has nothing
// to start.
#pragma once
#include "platform/win/WinTypes.h"

namespace orv {

using HMODULE = THandle<struct THmoduleTag>;
using HRESULT = std::int32_t;

inline constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
inline constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

// Always none, with ERROR_MOD_NOT_FOUND.
HMODULE LoadLibraryA(const AnsiString& name);
HMODULE LoadLibraryW(const WideString& name);
// Always null, with ERROR_PROC_NOT_FOUND.
void* GetProcAddress(HMODULE module, const AnsiString& name);
bool FreeLibrary(HMODULE module);

// S_OK the first time on a thread, S_FALSE when already started there; counted per thread.
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD flags);
void CoUninitialize();
HRESULT OleInitialize(void* reserved);
void OleUninitialize();
// Starts not yet matched by a stop on this thread.
int ComInitCount();

}  // namespace orv
