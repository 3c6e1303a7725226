// Streams of the class library: TStream, TFileStream with sharing modes, TMemoryStream, TStringStream.
#pragma once
#include <memory>
#include <vector>
#include "platform/rtl/Types.h"
#include "platform/rtl/Exceptions.h"

namespace orv {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual Int64 Read(void* buffer, Int64 count) = 0;
  // Writes up to count bytes; returns how many were written.
  virtual Int64 Write(const void* buffer, Int64 count) = 0;
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 pos) { Seek(pos, soBeginning); }
  virtual Int64 Size();
  virtual void SetSize(Int64 newSize);
  // Exactly count bytes or EReadError SReadError / EWriteError SWriteError.
  void ReadBuffer(void* buffer, Int64 count);
  void WriteBuffer(const void* buffer, Int64 count);
  // Copies count bytes from source (all of it from its start when count is 0); returns the count.
  Int64 CopyFrom(TStream& source, Int64 count);
};

// File open modes and sharing modes with the class library's values.
inline constexpr Word fmCreate = 0xFFFF;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

// A file with 64-bit offsets, opened close-on-exec. fmCreate creates or empties the file and opens
// it read/write and exclusive; fmShareCompat counts as exclusive.
//
// Sharing modes hold between processes and between two TFileStream objects of one process. They
// are kept with open-file-description locks (F_OFD_SETLK, which belong to the opened file rather
// than to the process, so closing another descriptor never drops them) on four reserved bytes at
// 0x4000000000000000, far past any data and past the region the dBASE engine locks:
//   +0 opened for reading   +1 opened for writing   +2 denies reading   +3 denies writing
// Each opener first takes shared (read) locks on the bytes that describe it, then asks with
// F_OFD_GETLK whether an exclusive lock could be placed on each byte it conflicts with (reading
// conflicts with +2, writing with +3, denying reading with +0, denying writing with +1); a
// lock held there by another opener raises EFOpenError (EFCreateError for fmCreate). Locking
// before asking means two openers racing each other cannot both succeed. fmShareDenyNone takes
// only the "opened for" bytes. A write-only opener holds its locks through a second, read-only
// descriptor of the same file. Without such locks (file system, or a write-only opener without
// read permission) the file opens unshared.
class TFileStream : public TStream {
 public:
  // EFCreateError "Cannot create file \"%s\". %s" / EFOpenError "Cannot open file \"%s\". %s".
  TFileStream(const AnsiString& fileName, Word mode);
  ~TFileStream() override;
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 newSize) override;
  int Handle() const { return FHandle; }
  const AnsiString& FileName() const { return FFileName; }
  // Flushes written data to the disk (fsync).
  void Flush();
 private:
  int FHandle = -1;
  // A read-only descriptor of the same file that carries the sharing locks of a write-only
  // opener (a shared lock needs read access); -1 otherwise.
  int FLockHandle = -1;
  AnsiString FFileName;
};

class TMemoryStream : public TStream {
 public:
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override { return static_cast<Int64>(FData.size()); }
  void SetSize(Int64 newSize) override;
  void Clear();
  // The bytes; valid until the next write or size change.
  Byte* Memory() { return FData.data(); }
  const Byte* Memory() const { return FData.data(); }
  void LoadFromStream(TStream& source);
  void LoadFromFile(const AnsiString& fileName);
  void SaveToStream(TStream& dest);
  void SaveToFile(const AnsiString& fileName);
 private:
  std::vector<Byte> FData;
  Int64 FPosition = 0;
};

// A stream over a narrow string.
class TStringStream : public TStream {
 public:
  explicit TStringStream(AnsiString data = {}) : FData(std::move(data)) {}
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 newSize) override;
  const AnsiString& DataString() const { return FData; }
 private:
  AnsiString FData;
  Int64 FPosition = 0;
};

}  // namespace orv
