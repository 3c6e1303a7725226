// No loadable system libraries here; COM start and stop only count.
#include "platform/win/Libraries.h"

#include "platform/win/LastError.h"

namespace orv {

namespace {
thread_local int gComCount = 0;
}

HMODULE LoadLibraryA(const AnsiString&) {
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

HMODULE LoadLibraryW(const WideString&) {
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

void* GetProcAddress(HMODULE, const AnsiString&) {
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

bool FreeLibrary(HMODULE) {
  SetLastError(ERROR_MOD_NOT_FOUND);
  return false;
}

HRESULT CoInitializeEx(void*, DWORD) { return gComCount++ == 0 ? S_OK : S_FALSE; }
HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize() {
  if (gComCount > 0) --gComCount;
}

HRESULT OleInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }
void OleUninitialize() { CoUninitialize(); }
int ComInitCount() { return gComCount; }

}  // namespace orv
