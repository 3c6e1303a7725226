// Length-prefixed strings and little-endian integers on the application's record files.
#include "app/Tervan.h"

#include "platform/rtl/Format.h"

namespace orv {
namespace {

// The runtime's texts for the two file errors the record files can meet.
constexpr const char* kReadPastEnd = "Read beyond end of file";
constexpr const char* kWriteFailed = "Disk write error";

void WriteExact(TStream& file, const void* data, Int64 count) {
  if (count == 0) return;
  if (file.Write(data, count) != count) throw EInOutError(kWriteFailed, 101);
}

void ReadExact(TStream& file, void* data, Int64 count) {
  if (count == 0) return;
  if (file.Read(data, count) != count) throw EInOutError(kReadPastEnd, 100);
}

}  // namespace

void WriteInt32(TStream& file, Integer value) {
  const auto u = static_cast<LongWord>(value);
  const Byte bytes[4] = {static_cast<Byte>(u), static_cast<Byte>(u >> 8), static_cast<Byte>(u >> 16),
                         static_cast<Byte>(u >> 24)};
  WriteExact(file, bytes, 4);
}

Integer ReadInt32(TStream& file) {
  Byte b[4];
  ReadExact(file, b, 4);
  return static_cast<Integer>(static_cast<LongWord>(b[0]) | (static_cast<LongWord>(b[1]) << 8) |
                              (static_cast<LongWord>(b[2]) << 16) | (static_cast<LongWord>(b[3]) << 24));
}

void WriteByte(TStream& file, Byte value) { WriteExact(file, &value, 1); }

Byte ReadByte(TStream& file) {
  Byte b = 0;
  ReadExact(file, &b, 1);
  return b;
}

void WriteShortStr(TStream& file, const AnsiString& s) {
  if (s.size() > MaxShortStrLength)
    throw EInOutError(Format("Text of %d bytes is too long to be stored (at most %d bytes)",
                             {static_cast<Int64>(s.size()), static_cast<Int64>(MaxShortStrLength)}));
  WriteByte(file, static_cast<Byte>(s.size()));
  WriteExact(file, s.data(), static_cast<Int64>(s.size()));
}

AnsiString ReadShortStr(TStream& file) {
  AnsiString s(ReadByte(file), '\0');
  ReadExact(file, s.data(), static_cast<Int64>(s.size()));
  return s;
}

void WriteLongStr(TStream& file, const AnsiString& s) {
  if (s.size() > 0x7FFFFFFF) throw EInOutError(kWriteFailed, 101);
  WriteInt32(file, static_cast<Integer>(s.size()));
  WriteExact(file, s.data(), static_cast<Int64>(s.size()));
}

AnsiString ReadLongStr(TStream& file) {
  const Integer n = ReadInt32(file);
  // A length the file cannot hold is damage; checking first keeps a bad count from reserving memory.
  if (n < 0 || n > file.Size() - file.Position()) throw EInOutError(kReadPastEnd, 100);
  AnsiString s(static_cast<std::size_t>(n), '\0');
  ReadExact(file, s.data(), n);
  return s;
}

}  // namespace orv
