// Tag descriptors of a multiple-tag index header: fields read and written within the
// descriptor's room.
#include "dbf/DbfIndexTag.h"
#include <algorithm>
#include <cstring>

namespace orv {

namespace {
constexpr Integer kPageBytes = 4;
constexpr Integer kNameAt = 4;
}  // namespace

TIndexTag::TIndexTag(Byte* descriptor, Integer room, Integer nameLength)
    : FDescriptor(descriptor), FRoom(std::max<Integer>(room, 0)), FNameLength(nameLength) {}

Integer TIndexTag::NameCapacity() const {
  // The name and its zero byte stay inside the room.
  return std::clamp<Integer>(FRoom - kNameAt - 1, 0, FNameLength);
}

Byte TIndexTag::ByteAt(Integer offset) const {
  return offset >= 0 && offset < FRoom ? FDescriptor[offset] : Byte{0};
}

void TIndexTag::PutByte(Integer offset, Byte value) {
  if (offset >= 0 && offset < FRoom) FDescriptor[offset] = value;
}

LongWord TIndexTag::PageAt0() const { return FRoom >= kPageBytes ? GetLE32(FDescriptor) : 0; }

void TIndexTag::PutPageAt0(LongWord page) {
  if (FRoom >= kPageBytes) PutLE32(FDescriptor, page);
}

AnsiString TIndexTag::NameAt4() const {
  // A name that fills its field to the end has no zero byte: the field's end ends it.
  const Integer field = std::clamp<Integer>(FRoom - kNameAt, 0, FNameLength + 1);
  const Byte* p = FDescriptor + kNameAt;
  Integer n = 0;
  while (n < field && p[n] != 0) ++n;
  return AnsiString(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
}

void TIndexTag::PutNameAt4(const AnsiString& name) {
  const Integer cap = NameCapacity();
  if (FRoom <= kNameAt) return;
  Byte* p = FDescriptor + kNameAt;
  std::memset(p, 0, static_cast<size_t>(cap + 1));
  std::memcpy(p, name.data(), std::min(name.size(), static_cast<size_t>(cap)));
}

void TIndexTag::Clear() { std::memset(FDescriptor, 0, static_cast<size_t>(FRoom)); }

std::vector<Byte> TIndexTag::Bytes() const { return std::vector<Byte>(FDescriptor, FDescriptor + FRoom); }

bool TIndexTag::Assign(const std::vector<Byte>& bytes) {
  if (bytes.size() != static_cast<size_t>(FRoom)) return false;
  std::copy(bytes.begin(), bytes.end(), FDescriptor);
  return true;
}

void TIndexTag::CopyFrom(const TIndexTag& other) {
  if (&other == this) return;
  const Integer n = std::min(FRoom, other.FRoom);
  std::memmove(FDescriptor, other.FDescriptor, static_cast<size_t>(n));
  if (n < FRoom) std::memset(FDescriptor + n, 0, static_cast<size_t>(FRoom - n));
}

std::unique_ptr<TIndexTag> NewIndexTag(Byte version, Byte* descriptor, Integer room) {
  if (version == 6) return std::make_unique<TMdx7Tag>(descriptor, room);
  return std::make_unique<TMdx4Tag>(descriptor, room);
}

Integer IndexTagLength(Byte version) { return version == 6 ? TMdx7Tag::kLength : TMdx4Tag::kLength; }

}  // namespace orv
