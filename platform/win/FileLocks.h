// Byte-range file locks between processes: open-file-description locks (F_OFD_SETLK), which belong
// to the open file and not to the process, so closing another descriptor never drops them.
#pragma once
#include "platform/rtl/Types.h"

namespace orv {

enum TLockResult { lrLocked = 0, lrViolation = 1, lrFailed = 2 };

// Write-locks length bytes at offset on the open file description of fd. Without wait one try:
// lrViolation when another open file holds a conflicting lock. With wait the call blocks until the
// range is free. OFD locks are advisory: they keep out other lockers, never plain reads or writes.
TLockResult LockFileRange(int fd, Int64 offset, Int64 length, bool wait);
// Releases the range; unlocking a range that is not held is not an error.
bool UnlockFileRange(int fd, Int64 offset, Int64 length);
// True when another open file holds a lock on some byte of the range; takes no lock itself.
bool RangeLockedElsewhere(int fd, Int64 offset, Int64 length);

}  // namespace orv
