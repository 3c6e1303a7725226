// The calling thread's last error code.
#include "platform/win/LastError.h"

namespace orv {

namespace {
thread_local DWORD gLastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return gLastError; }
void SetLastError(DWORD code) { gLastError = code; }

}  // namespace orv
