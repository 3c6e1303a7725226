// TPagedFile: one file of the table engine (table, memo or index file) with its open modes and
// sharing, a header buffer mirrored from a fixed place in the file, numbered fixed-size pages and
// byte-range locks between processes.
#pragma once
#include <vector>
#include "dbf/DbfCommon.h"

namespace orv {

enum TPagedFileMode : Byte {
  pfNone = 0,
  pfMemoryCreate = 1,     // a memory stream, no file
  pfExclusiveCreate = 2,  // creates and truncates; others may read but not write
  pfExclusiveOpen = 3,    // others may read but not write
  pfReadWriteCreate = 4,  // creates and truncates; others may read and write
  pfReadWriteOpen = 5,    // others may read and write
  pfReadOnly = 6          // read only; others may read and write
};

inline bool ModeCreates(TPagedFileMode m) {
  return m == pfMemoryCreate || m == pfExclusiveCreate || m == pfReadWriteCreate;
}

class TPagedFile {
 public:
  explicit TPagedFile(AnsiString fileName);
  virtual ~TPagedFile();
  TPagedFile(const TPagedFile&) = delete;
  TPagedFile& operator=(const TPagedFile&) = delete;

  // Opens by the mode's rules; a missing file without creation raises Exception
  // "Open: file not found: ..."; a sharing conflict raises EFOpenError. Nothing when open.
  void OpenFile();
  // Writes a modified header, then closes. Locks held on this file are released with it.
  virtual void CloseFile();
  // Only while closed.
  void DeleteFileOnDisk();

  virtual void SetHeaderOffset(Integer offset);
  virtual void SetRecordSize(Integer size);
  virtual void SetHeaderSize(Integer size);
  virtual void SetPageOffsetByHeader(bool value);
  void SetPageSize(Integer size);

  void ReadHeader();
  virtual void WriteHeader();
  void FlushHeader();
  // Reads RecordSize bytes of page n; returns the bytes read (0 past the end of the file). A
  // short result is the caller's to judge; the bytes not read are left as they were.
  virtual Integer ReadRecord(Integer n, void* buffer);
  virtual void WriteRecord(Integer n, const void* buffer);
  Byte ReadByte();
  void WriteByte(Byte b);

  Integer RecordCount();
  void SetRecordCount(Integer n);
  // Cuts or extends the file to size bytes.
  void TruncateStream(Int64 size);

  virtual void TryExclusive();
  virtual void EndExclusive();
  void CheckExclusiveAccess();

  bool LockPage(Integer n, bool wait);
  // True when the last failed LockPage failed for another reason than a lock held elsewhere.
  bool LockCallFailed() const { return FLockCallFailed; }
  void UnlockPage(Integer n);
  // True when another process holds the lock of page n (false where nothing is locked).
  bool PageLockedElsewhere(Integer n);
  void ResetWriteError() { FWriteError = false; }
  // Hook for files that keep pages in memory (index files).
  virtual void FlushPages() {}

  // Raw access at a 64-bit file position; both return the bytes transferred (short on failure).
  Int64 ReadAt(Int64 position, void* buffer, Int64 count);
  Int64 WriteAt(Int64 position, const void* buffer, Int64 count);
  // The current size of the file or memory stream (-1 while closed).
  Int64 StreamSize();
  Int64 PagePosition(Integer n) const;
  // Copies the header from the file into the buffer without writing the buffer first; used where
  // fresh data must be taken under the header lock. Returns the file size it saw.
  Int64 RereadHeader();
  // Writes length bytes at page n with the bookkeeping of WriteRecord (a short write fails).
  void WritePage(Integer n, const void* buffer, Integer length);

  const AnsiString& FileName() const { return FFileName; }
  bool IsOpen() const { return FFd >= 0 || FInMemory; }
  TPagedFileMode Mode() const { return FMode; }
  void SetMode(TPagedFileMode m) { FMode = m; }
  bool AutoCreate() const { return FAutoCreate; }
  void SetAutoCreate(bool v) { FAutoCreate = v; }
  Integer HeaderOffset() const { return FHeaderOffset; }
  Integer HeaderSize() const { return FHeaderSize; }
  Integer RecordSize() const { return FRecordSize; }
  Integer PageSize() const { return FPageSize; }
  Integer PagesPerRecord() const { return FPagesPerRecord; }
  bool PageOffsetByHeader() const { return FPageOffsetByHeader; }
  // The header buffer: HeaderSize bytes, valid until the next SetHeaderSize.
  Byte* Header() { return FHeader.data(); }
  const Byte* Header() const { return FHeader.data(); }
  bool HeaderModified() const { return FHeaderModified; }
  void SetHeaderModified(bool v) { FHeaderModified = v; }
  bool NeedLocking() const { return FNeedLocking; }
  bool VirtualLocking() const { return FVirtualLocking; }
  void SetVirtualLocking(bool v) { FVirtualLocking = v; }
  bool WriteError() const { return FWriteError; }
  void SetWriteError() { FWriteError = true; }
  bool IsSharedMode() const { return FNeedLocking; }
  bool IsReadOnly() const { return FMode == pfReadOnly; }

 protected:
  void FreeStream();

 private:
  void OpenOnDisk(TPagedFileMode mode, bool create);

  AnsiString FFileName;
  int FFd = -1;
  bool FInMemory = false;
  std::vector<Byte> FMemory;
  TPagedFileMode FMode = pfReadWriteOpen;
  TPagedFileMode FSavedMode = pfNone;
  bool FAutoCreate = false;
  Integer FHeaderOffset = 0;
  Integer FHeaderSize = 0;
  std::vector<Byte> FHeader;
  bool FHeaderModified = false;
  Integer FRecordSize = 0;
  Integer FPageSize = 0;
  Integer FPagesPerRecord = 0;
  bool FPageOffsetByHeader = true;
  Int64 FCachedSize = 0;
  Integer FCachedRecordCount = 0;
  bool FSizeChanged = true;
  bool FNeedLocking = false;
  bool FVirtualLocking = true;
  bool FWriteError = false;
  bool FLockCallFailed = false;
  Int64 FStreamPosition = 0;
};

}  // namespace orv
