// Raising the silent abort and operating-system errors with the system's own text.
#include "platform/rtl/Exceptions.h"

#include <cerrno>
#include <cstring>

namespace orv {

void Abort() { throw EAbort("Operation aborted"); }

void RaiseLastOSError() { RaiseLastOSError(errno); }

void RaiseLastOSError(int code) {
  if (code == 0) throw EOSError("A call to an OS function failed", 0);
  char buf[256];
  // The GNU strerror_r may return a static string instead of filling buf.
  const char* text = strerror_r(code, buf, sizeof buf);
  throw EOSError("System Error.  Code: " + std::to_string(code) + ".\r\n" + text, code);
}

void RaiseInOutError(int code) {
  if (code == kIoReadBeyondEnd) throw EInOutError("Read beyond end of file", code);
  if (code == kIoDiskFull) throw EInOutError("Disk full", code);
  if (code > 0 && code < kIoReadBeyondEnd) {
    char buf[256];
    throw EInOutError(strerror_r(code, buf, sizeof buf), code);
  }
  throw EInOutError("I/O error " + std::to_string(code), code);
}

}  // namespace orv
