// The process's error mode: which of the system's error message boxes (a drive that is not ready,
// a file that cannot be opened) are kept from the user. Only recorded here; code that shows such
// boxes reads it.
#pragma once
#include "platform/win/WinTypes.h"

namespace orv {

inline constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
inline constexpr UINT SEM_NOGPFAULTERRORBOX = 0x0002;
inline constexpr UINT SEM_NOALIGNMENTFAULTEXCEPT = 0x0004;
inline constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

// Sets the mode and returns the one it replaces; a new process has mode 0.
UINT SetErrorMode(UINT mode);
UINT GetErrorMode();

// Sets a mode for its lifetime and puts the previous one back when it ends (also on an exception).
class TErrorModeScope {
 public:
  explicit TErrorModeScope(UINT mode) : FPrevious(SetErrorMode(mode)) {}
  ~TErrorModeScope() { SetErrorMode(FPrevious); }
  TErrorModeScope(const TErrorModeScope&) = delete;
  TErrorModeScope& operator=(const TErrorModeScope&) = delete;
  UINT Previous() const { return FPrevious; }

 private:
  UINT FPrevious;
};

}  // namespace orv
