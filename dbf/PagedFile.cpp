// TPagedFile: open modes with emulated sharing, header buffer, page I/O and byte-range locks.
#include "dbf/PagedFile.h"
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/win/FileLocks.h"

namespace orv {

namespace {

// Sharing is emulated as the runtime's file stream does it, so both see each other: read locks on
// four bytes from 2^62, far past any data and every page lock (virtual locks lie below 2^32, memo
// and index locks on real data bytes). Each opener holds the bytes that describe it (opened for
// reading, for writing, denying reads, denying writes) and probes those it cannot live with.
constexpr Int64 kShareLockBase = 0x4000000000000000LL;
enum TShareByte { sbOpenRead = 0, sbOpenWrite = 1, sbDenyRead = 2, sbDenyWrite = 3 };

bool OtherHolds(int fd, Int64 offset) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

bool TakeShareLock(int fd, Int64 offset) {
  struct flock fl {};
  fl.l_type = F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  while (fcntl(fd, F_OFD_SETLK, &fl) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

AnsiString OpenErrorText(const AnsiString& name, const char* reason) {
  return "Cannot open file \"" + name + "\". " + reason;
}

}  // namespace

TPagedFile::TPagedFile(AnsiString fileName) : FFileName(std::move(fileName)) {}

TPagedFile::~TPagedFile() {
  try {
    TPagedFile::CloseFile();
  } catch (...) {
    // A destructor must not throw; the sticky write error is all that is left to report.
  }
}

void TPagedFile::OpenOnDisk(TPagedFileMode mode, bool create) {
  bool writeAccess = mode != pfReadOnly;
  bool denyWrite = mode == pfExclusiveCreate || mode == pfExclusiveOpen;
  int flags = (writeAccess ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  if (create) flags |= O_CREAT;
  int fd = ::open(FFileName.c_str(), flags, 0644);
  if (fd < 0) {
    int err = errno;
    if (create) throw EFCreateError("Cannot create file \"" + FFileName + "\". " + std::strerror(err));
    throw EFOpenError(OpenErrorText(FFileName, std::strerror(err)));
  }
  bool conflict = !TakeShareLock(fd, kShareLockBase + sbOpenRead) ||
                  (writeAccess && !TakeShareLock(fd, kShareLockBase + sbOpenWrite)) ||
                  (denyWrite && !TakeShareLock(fd, kShareLockBase + sbDenyWrite));
  // Locking before probing: two racing openers cannot both miss each other.
  conflict = conflict || OtherHolds(fd, kShareLockBase + sbDenyRead) ||
             (writeAccess && OtherHolds(fd, kShareLockBase + sbDenyWrite)) ||
             (denyWrite && OtherHolds(fd, kShareLockBase + sbOpenWrite));
  if (conflict) {
    ::close(fd);
    throw EFOpenError(OpenErrorText(FFileName, "The file is in use by another process."));
  }
  if (create && ::ftruncate(fd, 0) != 0) {
    int err = errno;
    ::close(fd);
    throw EFCreateError("Cannot create file \"" + FFileName + "\". " + std::strerror(err));
  }
  FFd = fd;
}

void TPagedFile::OpenFile() {
  if (IsOpen()) return;
  if (FMode == pfMemoryCreate) {
    FInMemory = true;
    FMemory.clear();
  } else {
    struct stat st {};
    bool exists = ::stat(FFileName.c_str(), &st) == 0;
    if (!exists) {
      if (FAutoCreate) {
        if (FMode == pfExclusiveOpen) FMode = pfExclusiveCreate;
        else if (FMode == pfReadWriteOpen || FMode == pfReadOnly) FMode = pfReadWriteCreate;
      }
      if (!ModeCreates(FMode)) throw Exception(DbfMessage(STRING_FILE_NOT_FOUND, FFileName));
    }
    OpenOnDisk(FMode, ModeCreates(FMode));
  }
  FStreamPosition = 0;
  FCachedSize = StreamSize();
  FSizeChanged = true;
  FNeedLocking = FMode == pfReadWriteCreate || FMode == pfReadWriteOpen || FMode == pfReadOnly;
}

void TPagedFile::FreeStream() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
  FInMemory = false;
  FMemory.clear();
  FMemory.shrink_to_fit();
}

void TPagedFile::CloseFile() {
  if (!IsOpen()) return;
  FlushHeader();
  FreeStream();
}

void TPagedFile::DeleteFileOnDisk() {
  if (IsOpen()) return;
  ::unlink(FFileName.c_str());
}

Int64 TPagedFile::StreamSize() {
  if (FInMemory) return static_cast<Int64>(FMemory.size());
  if (FFd < 0) return -1;
  struct stat st {};
  if (::fstat(FFd, &st) != 0) return -1;
  return static_cast<Int64>(st.st_size);
}

Int64 TPagedFile::ReadAt(Int64 position, void* buffer, Int64 count) {
  if (position < 0 || count <= 0) return 0;
  if (FInMemory) {
    Int64 size = static_cast<Int64>(FMemory.size());
    if (position >= size) return 0;
    Int64 n = std::min(count, size - position);
    std::memcpy(buffer, FMemory.data() + position, static_cast<size_t>(n));
    return n;
  }
  if (FFd < 0) return 0;
  Int64 done = 0;
  auto* p = static_cast<Byte*>(buffer);
  while (done < count) {
    ssize_t r = ::pread(FFd, p + done, static_cast<size_t>(count - done), static_cast<off_t>(position + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += r;
  }
  return done;
}

Int64 TPagedFile::WriteAt(Int64 position, const void* buffer, Int64 count) {
  if (position < 0 || count < 0) return 0;
  if (count == 0) return 0;
  if (FInMemory) {
    if (FMemory.size() < static_cast<size_t>(position + count)) FMemory.resize(static_cast<size_t>(position + count));
    std::memcpy(FMemory.data() + position, buffer, static_cast<size_t>(count));
    return count;
  }
  if (FFd < 0) return 0;
  Int64 done = 0;
  auto* p = static_cast<const Byte*>(buffer);
  while (done < count) {
    ssize_t r = ::pwrite(FFd, p + done, static_cast<size_t>(count - done), static_cast<off_t>(position + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += r;
  }
  return done;
}

void TPagedFile::SetHeaderOffset(Integer offset) {
  if (offset == FHeaderOffset) return;
  FlushHeader();
  FHeaderOffset = offset;
}

void TPagedFile::SetHeaderSize(Integer size) {
  if (size == FHeaderSize) return;
  FlushHeader();
  if (size > 0) FHeader.assign(static_cast<size_t>(size), 0);
  FHeaderSize = std::max<Integer>(size, 0);
  FSizeChanged = true;
  ReadHeader();
}

void TPagedFile::SetRecordSize(Integer size) {
  if (size == FRecordSize) return;
  FRecordSize = size;
  FPageSize = size;
  FPagesPerRecord = FPageSize > 0 ? FRecordSize / FPageSize : 0;
  FSizeChanged = true;
}

void TPagedFile::SetPageSize(Integer size) {
  if (size == FPageSize) return;
  FPageSize = size;
  FPagesPerRecord = FPageSize > 0 ? FRecordSize / FPageSize : 0;
  FSizeChanged = true;
}

void TPagedFile::SetPageOffsetByHeader(bool value) {
  if (value == FPageOffsetByHeader) return;
  FPageOffsetByHeader = value;
  FSizeChanged = true;
}

Int64 TPagedFile::RereadHeader() {
  const Int64 size = StreamSize();
  if (FHeaderSize <= 0) return size;
  Int64 avail = size - FHeaderOffset;
  Int64 n = std::clamp<Int64>(avail, 0, FHeaderSize);
  Int64 got = n > 0 ? ReadAt(FHeaderOffset, FHeader.data(), n) : 0;
  std::fill(FHeader.begin() + got, FHeader.begin() + FHeaderSize, Byte{0});
  FHeaderModified = false;
  return size;
}

void TPagedFile::ReadHeader() {
  FlushHeader();
  RereadHeader();
}

void TPagedFile::WriteHeader() {
  FHeaderModified = true;
  if (FNeedLocking) FlushHeader();
}

void TPagedFile::FlushHeader() {
  if (!FHeaderModified || FHeaderSize <= 0 || !IsOpen()) {
    FHeaderModified = false;
    return;
  }
  Int64 n = WriteAt(FHeaderOffset, FHeader.data(), FHeaderSize);
  if (n != FHeaderSize) FWriteError = true;
  FCachedSize = std::max<Int64>(FCachedSize, FHeaderOffset + n);
  FHeaderModified = false;
}

Int64 TPagedFile::PagePosition(Integer n) const {
  if (FPageOffsetByHeader) {
    if (n <= 0) return 0;
    return static_cast<Int64>(FHeaderOffset) + FHeaderSize + static_cast<Int64>(n - 1) * FPageSize;
  }
  return static_cast<Int64>(n) * FPageSize;
}

Integer TPagedFile::ReadRecord(Integer n, void* buffer) {
  if (FRecordSize <= 0) return 0;
  Int64 pos = PagePosition(n);
  if (pos > FCachedSize) {
    FCachedSize = pos;
    FSizeChanged = true;
  }
  // OFD locks are advisory: a read never waits on a range another process has locked, so there is
  // no lock-violation retry; a short result means the end of the file and is returned as it is.
  Int64 got = ReadAt(pos, buffer, FRecordSize);
  FStreamPosition = pos + got;
  return static_cast<Integer>(got);
}

void TPagedFile::WriteRecord(Integer n, const void* buffer) { WritePage(n, buffer, FRecordSize); }

void TPagedFile::WritePage(Integer n, const void* buffer, Integer length) {
  if (length <= 0) return;
  Int64 pos = PagePosition(n);
  Int64 put = WriteAt(pos, buffer, length);
  // A short write is a failed write: the record is not on the disk as a whole.
  if (put != length) FWriteError = true;
  FStreamPosition = pos + put;
  if (FCachedSize < FStreamPosition) {
    // The count follows from the new size; the header may not be on the disk yet, so the size
    // is not stepped up record by record from a value that lags behind.
    FCachedSize = FStreamPosition;
    FSizeChanged = true;
  }
}

Byte TPagedFile::ReadByte() {
  Byte b = 0;
  if (ReadAt(FStreamPosition, &b, 1) == 1) ++FStreamPosition;
  return b;
}

void TPagedFile::WriteByte(Byte b) {
  if (WriteAt(FStreamPosition, &b, 1) == 1) ++FStreamPosition;
  else FWriteError = true;
}

Integer TPagedFile::RecordCount() {
  if (FNeedLocking) {
    Int64 size = StreamSize();
    if (size != FCachedSize) {
      FCachedSize = size;
      FSizeChanged = true;
    }
  }
  if (!FSizeChanged) return FCachedRecordCount;
  Int64 count = 0;
  if (FPageSize > 0 && IsOpen()) {
    count = FPageOffsetByHeader ? (FCachedSize - FHeaderSize - FHeaderOffset) / FPageSize : FCachedSize / FPageSize;
  }
  FCachedRecordCount = static_cast<Integer>(std::clamp<Int64>(count, 0, 0x7FFFFFFF));
  FSizeChanged = false;
  return FCachedRecordCount;
}

void TPagedFile::TruncateStream(Int64 size) {
  if (FInMemory) FMemory.resize(static_cast<size_t>(size));
  else if (FFd >= 0 && ::ftruncate(FFd, static_cast<off_t>(size)) != 0) FWriteError = true;
  FCachedSize = size;
  FSizeChanged = true;
}

void TPagedFile::SetRecordCount(Integer n) {
  if (n == RecordCount()) return;
  Int64 size = FPageOffsetByHeader ? static_cast<Int64>(FHeaderOffset) + FHeaderSize + static_cast<Int64>(n) * FPageSize
                                   : static_cast<Int64>(n) * FPageSize;
  if (FInMemory) FMemory.resize(static_cast<size_t>(size));
  else if (FFd >= 0 && ::ftruncate(FFd, static_cast<off_t>(size)) != 0) FWriteError = true;
  FCachedSize = size;
  FCachedRecordCount = n;
  FSizeChanged = false;
}

void TPagedFile::TryExclusive() {
  if (FSavedMode != pfNone || !FNeedLocking) return;
  FSavedMode = FMode == pfReadOnly ? pfReadOnly : pfReadWriteOpen;
  CloseFile();
  FMode = pfExclusiveOpen;
  try {
    OpenFile();
  } catch (const EFOpenError&) {
    // Another process holds the file: stay shared.
    EndExclusive();
    return;
  }
  // Others may have written while the file was closed.
  RereadHeader();
}

void TPagedFile::EndExclusive() {
  if (FSavedMode == pfNone) return;
  CloseFile();
  FMode = FSavedMode;
  FSavedMode = pfNone;
  OpenFile();
  RereadHeader();
}

void TPagedFile::CheckExclusiveAccess() {
  if (FNeedLocking) throw EDbfError(STRING_NEED_EXCLUSIVE_ACCESS);
}

namespace {
Int64 LockOffset(bool virtualLocking, Integer n, Int64 realPosition) {
  if (!virtualLocking) return realPosition;
  // 32-bit offsets counting down from below 4 GiB; a page number past that wraps as a 32-bit
  // offset would.
  return static_cast<Int64>(static_cast<LongWord>(0xEFFFFFFEu - static_cast<LongWord>(n)));
}
}  // namespace

bool TPagedFile::LockPage(Integer n, bool wait) {
  FLockCallFailed = false;
  if (!FNeedLocking) return true;
  if (FFd < 0) {
    FLockCallFailed = true;
    return false;
  }
  Int64 offset = LockOffset(FVirtualLocking, n, PagePosition(n));
  Int64 length = FVirtualLocking ? 1 : std::max<Integer>(FRecordSize, 1);
  TLockResult result = LockFileRange(FFd, offset, length, wait);
  FLockCallFailed = result == lrFailed;
  return result == lrLocked;
}

void TPagedFile::UnlockPage(Integer n) {
  if (!FNeedLocking || FFd < 0) return;
  Int64 offset = LockOffset(FVirtualLocking, n, PagePosition(n));
  Int64 length = FVirtualLocking ? 1 : std::max<Integer>(FRecordSize, 1);
  UnlockFileRange(FFd, offset, length);
}

bool TPagedFile::PageLockedElsewhere(Integer n) {
  if (!FNeedLocking || FFd < 0) return false;
  Int64 offset = LockOffset(FVirtualLocking, n, PagePosition(n));
  Int64 length = FVirtualLocking ? 1 : std::max<Integer>(FRecordSize, 1);
  return RangeLockedElsewhere(FFd, offset, length);
}

}  // namespace orv
