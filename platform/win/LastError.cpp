// The calling thread's last error code, its system message and the exception raised for it.
#include "platform/win/LastError.h"

#include <string>
#include "platform/rtl/Exceptions.h"

namespace orv {

namespace {
thread_local DWORD gLastError = ERROR_SUCCESS;

struct TErrorText {
  DWORD Code;
  const char* Text;
};

// The codes the stand-ins set, with the system's wording.
constexpr TErrorText ErrorTexts[] = {
    {0, "The operation completed successfully."},
    {8, "Not enough storage is available to process this command."},
    {87, "The parameter is incorrect."},
    {111, "The file name is too long."},
    {122, "The data area passed to a system call is too small."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {1400, "Invalid window handle."},
    {1401, "Invalid menu handle."},
    {1404, "Invalid hook handle."},
    {1407, "Cannot find window class."},
    {1410, "Class already exists."},
    {1411, "Class does not exist."},
    {1412, "Class still has open windows."},
    {1418, "Thread does not have a clipboard open."},
    {1426, "Invalid hook procedure type."},
    {1427, "Invalid hook procedure."},
    {1456, "A menu item was not found."},
};

}  // namespace

DWORD GetLastError() { return gLastError; }
void SetLastError(DWORD code) { gLastError = code; }

AnsiString SysErrorMessage(DWORD code) {
  for (const TErrorText& e : ErrorTexts)
    if (e.Code == code) return e.Text;
  return "Unknown error " + std::to_string(code);
}

void RaiseSystemError(DWORD code) {
  if (code == ERROR_SUCCESS) throw EOSError("A call to an OS function failed", 0);
  throw EOSError("System Error.  Code: " + std::to_string(code) + ".\r\n" + SysErrorMessage(code),
                 static_cast<int>(code));
}

void RaiseLastSystemError() { RaiseSystemError(GetLastError()); }

}  // namespace orv
