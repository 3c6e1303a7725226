// Byte-range file locks as open-file-description locks.
#include "platform/win/FileLocks.h"
#include <cerrno>
#include <fcntl.h>

namespace orv {

namespace {
struct flock MakeLock(short type, Int64 offset, Int64 length) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;  // must be 0 for OFD locks
  return fl;
}
}  // namespace

TLockResult LockFileRange(int fd, Int64 offset, Int64 length, bool wait) {
  struct flock fl = MakeLock(F_WRLCK, offset, length);
  for (;;) {
    if (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return lrLocked;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return lrViolation;
    return lrFailed;
  }
}

bool UnlockFileRange(int fd, Int64 offset, Int64 length) {
  struct flock fl = MakeLock(F_UNLCK, offset, length);
  for (;;) {
    if (fcntl(fd, F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool RangeLockedElsewhere(int fd, Int64 offset, Int64 length) {
  struct flock fl = MakeLock(F_WRLCK, offset, length);
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

}  // namespace orv
