// The stream base and the in-memory streams (bytes and narrow string).
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

constexpr Int64 kCopyBuffer = 64 * 1024;

// New position for a seek, or an error for a result before the start or past any sane size.
Int64 SeekTarget(Int64 position, Int64 size, Int64 offset, TSeekOrigin origin) {
  Int64 base = origin == soBeginning ? 0 : (origin == soCurrent ? position : size);
  Int64 target = 0;
  if (__builtin_add_overflow(base, offset, &target) || target < 0)
    throw EStreamError("Invalid stream position");
  return target;
}

template <class Container>
void Resize(Container& data, Int64 newSize) {
  if (newSize < 0) throw EStreamError("Invalid stream size");
  try {
    data.resize(static_cast<std::size_t>(newSize));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  } catch (const std::length_error&) {
    throw EOutOfMemory("Out of memory");
  }
}

template <class Container>
Int64 ReadFrom(const Container& data, Int64& position, void* buffer, Int64 count) {
  auto size = static_cast<Int64>(data.size());
  if (count <= 0 || position >= size) return 0;
  Int64 n = std::min(count, size - position);
  std::memcpy(buffer, data.data() + position, static_cast<std::size_t>(n));
  position += n;
  return n;
}

template <class Container>
Int64 WriteTo(Container& data, Int64& position, const void* buffer, Int64 count) {
  if (count <= 0) return 0;
  Int64 end = 0;
  if (__builtin_add_overflow(position, count, &end)) throw EOutOfMemory("Out of memory");
  if (end > static_cast<Int64>(data.size())) Resize(data, end);
  std::memcpy(data.data() + position, buffer, static_cast<std::size_t>(count));
  position = end;
  return count;
}

}  // namespace

Int64 TStream::Size() {
  Int64 pos = Seek(0, soCurrent);
  Int64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(Int64) {}

void TStream::ReadBuffer(void* buffer, Int64 count) {
  auto* p = static_cast<Byte*>(buffer);
  while (count > 0) {
    Int64 n = Read(p, count);
    if (n <= 0) throw EReadError(SReadError);
    p += n;
    count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
  auto* p = static_cast<const Byte*>(buffer);
  while (count > 0) {
    Int64 n = Write(p, count);
    if (n <= 0) throw EWriteError(SWriteError);
    p += n;
    count -= n;
  }
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
  if (count < 0) throw EStreamError("Invalid stream size");
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<Byte> buf(static_cast<std::size_t>(std::min(count, kCopyBuffer)));
  Int64 left = count;
  while (left > 0) {
    Int64 n = std::min(left, kCopyBuffer);
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return count;
}

Int64 TMemoryStream::Read(void* buffer, Int64 count) { return ReadFrom(FData, FPosition, buffer, count); }
Int64 TMemoryStream::Write(const void* buffer, Int64 count) { return WriteTo(FData, FPosition, buffer, count); }

Int64 TMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  FPosition = SeekTarget(FPosition, Size(), offset, origin);
  return FPosition;
}

void TMemoryStream::SetSize(Int64 newSize) {
  Resize(FData, newSize);
  if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  Int64 size = source.Size();
  SetSize(size);
  FPosition = 0;
  if (size > 0) source.ReadBuffer(FData.data(), size);
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& dest) {
  if (!FData.empty()) dest.WriteBuffer(FData.data(), Size());
}

void TMemoryStream::SaveToFile(const AnsiString& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

Int64 TStringStream::Read(void* buffer, Int64 count) { return ReadFrom(FData, FPosition, buffer, count); }
Int64 TStringStream::Write(const void* buffer, Int64 count) { return WriteTo(FData, FPosition, buffer, count); }

Int64 TStringStream::Seek(Int64 offset, TSeekOrigin origin) {
  FPosition = SeekTarget(FPosition, static_cast<Int64>(FData.size()), offset, origin);
  return FPosition;
}

void TStringStream::SetSize(Int64 newSize) {
  Resize(FData, newSize);
  if (FPosition > newSize) FPosition = newSize;
}

}  // namespace orv
