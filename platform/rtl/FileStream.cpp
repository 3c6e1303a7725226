// TFileStream: a file descriptor with 64-bit offsets, and sharing modes emulated with
// open-file-description locks on reserved bytes (the scheme is described in Streams.h).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/rtl/Streams.h"

namespace orv {

namespace {

constexpr off_t kShareLockBase = 0x4000000000000000LL;
enum TShareByte { sbOpenRead = 0, sbOpenWrite = 1, sbDenyRead = 2, sbDenyWrite = 3 };

AnsiString OsText(int code) {
  char buf[256];
  return strerror_r(code, buf, sizeof buf);
}

// Lock errors that mean the file system keeps no such locks: the file is then opened unshared.
bool LocksUnsupported(int code) { return code == EINVAL || code == ENOLCK || code == EOPNOTSUPP || code == ENOSYS; }

flock LockOf(short type, TShareByte which) {
  flock fl{};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = kShareLockBase + which;
  fl.l_len = 1;
  return fl;
}

// Takes the shared locks that describe this opener, then looks for openers it conflicts with.
// Locking before probing means two racing openers cannot both miss each other.
// Returns 0, or the errno of a failed lock call, or EBUSY on a sharing conflict.
int ClaimShare(int fd, bool reads, bool writes, bool denyRead, bool denyWrite) {
  const std::pair<bool, TShareByte> mine[] = {
      {reads, sbOpenRead}, {writes, sbOpenWrite}, {denyRead, sbDenyRead}, {denyWrite, sbDenyWrite}};
  for (const auto& [take, which] : mine) {
    if (!take) continue;
    flock fl = LockOf(F_RDLCK, which);
    if (fcntl(fd, F_OFD_SETLK, &fl) != 0) return errno;
  }
  // What another opener holds that this one cannot live with.
  const std::pair<bool, TShareByte> probes[] = {
      {reads, sbDenyRead}, {writes, sbDenyWrite}, {denyRead, sbOpenRead}, {denyWrite, sbOpenWrite}};
  for (const auto& [probe, which] : probes) {
    if (!probe) continue;
    flock fl = LockOf(F_WRLCK, which);
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return errno;
    if (fl.l_type != F_UNLCK) return EBUSY;
  }
  return 0;
}

}  // namespace

TFileStream::TFileStream(const AnsiString& fileName, Word mode) : FFileName(fileName) {
  bool create = mode == fmCreate;
  Word access = create ? fmOpenReadWrite : static_cast<Word>(mode & 0x3);
  Word share = create ? fmShareExclusive : static_cast<Word>(mode & 0xF0);
  auto fail = [&](int code, const AnsiString& why) -> void {
    if (FHandle >= 0) ::close(FHandle);
    if (FLockHandle >= 0) ::close(FLockHandle);
    FHandle = FLockHandle = -1;
    (void)code;
    if (create) throw EFCreateError("Cannot create file \"" + fileName + "\". " + why);
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + why);
  };
  if (access > fmOpenReadWrite || (share != fmShareCompat && share != fmShareExclusive && share != fmShareDenyWrite &&
                                   share != fmShareDenyRead && share != fmShareDenyNone))
    fail(EINVAL, "Invalid file mode");
  int flags = O_CLOEXEC | (access == fmOpenRead ? O_RDONLY : access == fmOpenWrite ? O_WRONLY : O_RDWR);
  // Created files are truncated only after the sharing check, so a refused create leaves the
  // other opener's data alone.
  if (create) flags |= O_CREAT;
  FHandle = ::open(fileName.c_str(), flags, 0666);
  if (FHandle < 0) {
    int code = errno;
    fail(code, OsText(code));
  }
  struct stat st;
  if (fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) fail(EISDIR, OsText(EISDIR));
  bool reads = access != fmOpenWrite;
  bool writes = access != fmOpenRead;
  bool exclusive = share == fmShareCompat || share == fmShareExclusive;
  bool denyRead = exclusive || share == fmShareDenyRead;
  bool denyWrite = exclusive || share == fmShareDenyWrite;
  int lockFd = FHandle;
  if (!reads) {
    FLockHandle = ::open(("/proc/self/fd/" + std::to_string(FHandle)).c_str(), O_RDONLY | O_CLOEXEC);
    lockFd = FLockHandle;
  }
  int rc = lockFd >= 0 ? ClaimShare(lockFd, reads, writes, denyRead, denyWrite) : EINVAL;
  if (rc == EBUSY)
    fail(rc, "The process cannot access the file because it is being used by another process.");
  if (rc != 0 && !LocksUnsupported(rc)) fail(rc, OsText(rc));
  if (create && ftruncate(FHandle, 0) != 0) {
    int code = errno;
    fail(code, OsText(code));
  }
}

TFileStream::~TFileStream() {
  if (FLockHandle >= 0) ::close(FLockHandle);
  if (FHandle >= 0) ::close(FHandle);
}

Int64 TFileStream::Read(void* buffer, Int64 count) {
  if (count <= 0) return 0;
  auto want = static_cast<std::size_t>(std::min<Int64>(count, std::numeric_limits<ssize_t>::max()));
  ssize_t n;
  do n = ::read(FHandle, buffer, want);
  while (n < 0 && errno == EINTR);
  if (n < 0) throw EReadError("Cannot read file \"" + FFileName + "\". " + OsText(errno));
  return n;
}

Int64 TFileStream::Write(const void* buffer, Int64 count) {
  if (count <= 0) return 0;
  auto want = static_cast<std::size_t>(std::min<Int64>(count, std::numeric_limits<ssize_t>::max()));
  ssize_t n;
  do n = ::write(FHandle, buffer, want);
  while (n < 0 && errno == EINTR);
  if (n < 0) throw EWriteError("Cannot write file \"" + FFileName + "\". " + OsText(errno));
  return n;
}

Int64 TFileStream::Seek(Int64 offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t pos = ::lseek(FHandle, offset, whence);
  if (pos < 0) throw EStreamError("Cannot seek in file \"" + FFileName + "\". " + OsText(errno));
  return pos;
}

void TFileStream::SetSize(Int64 newSize) {
  if (newSize < 0 || ftruncate(FHandle, newSize) != 0)
    throw EWriteError("Cannot set the size of file \"" + FFileName + "\". " + OsText(newSize < 0 ? EINVAL : errno));
  if (Position() > newSize) Seek(newSize, soBeginning);
}

void TFileStream::Flush() {
  if (fsync(FHandle) != 0) throw EWriteError("Cannot flush file \"" + FFileName + "\". " + OsText(errno));
}

}  // namespace orv
