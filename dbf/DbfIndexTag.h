// TIndexTag: the accessor over one tag descriptor in the header of a multiple-tag index file,
// with TMdx4Tag and TMdx7Tag for the two descriptor layouts.
#pragma once
#include <memory>
#include <vector>
#include "dbf/DbfCommon.h"

namespace orv {

// A descriptor holds the tag header's page number, the tag name and six bytes from the key
// format to the key type; the layouts differ in the name's length and so in where the six bytes
// lie. The accessor keeps only where the descriptor lies and how many bytes the file gives it
// (the header's descriptor length): reads beyond those bytes give 0 and writes beyond them are
// dropped, so a file whose descriptors lie closer together than the layout's own length never
// has a neighbour overwritten.
class TIndexTag {
 public:
  // The fourteen operations in their slot order: the reads, then the writes.
  virtual LongWord HeaderPageNo() const = 0;
  // Up to the zero byte, at most the layout's name field (11 or 33 bytes).
  virtual AnsiString TagName() const = 0;
  // 16, or 0 for a tag made with ixExpression.
  virtual Byte KeyFormat() const = 0;
  // Three bytes written 0.
  virtual Byte Reserved1() const = 0;
  virtual Byte Reserved2() const = 0;
  virtual Byte Reserved3() const = 0;
  // Written 2.
  virtual Byte Marker() const = 0;
  // 'C' or 'N'.
  virtual Byte KeyType() const = 0;
  virtual void SetHeaderPageNo(LongWord page) = 0;
  // Cut to the layout's 10 or 32 characters (NameCapacity()), a zero byte behind that place.
  virtual void SetTagName(const AnsiString& name) = 0;
  virtual void SetKeyFormat(Byte value) = 0;
  virtual void SetReserved1(Byte value) = 0;
  virtual void SetReserved2(Byte value) = 0;
  virtual void SetReserved3(Byte value) = 0;
  virtual void SetMarker(Byte value) = 0;
  virtual void SetKeyType(Byte value) = 0;
  virtual ~TIndexTag() = default;
  TIndexTag(const TIndexTag&) = delete;
  TIndexTag& operator=(const TIndexTag&) = delete;

  // The characters of a name the descriptor keeps: the layout's 10 or 32, fewer when the file
  // gives the descriptor less room.
  Integer NameCapacity() const;
  // The descriptor's bytes as a whole: zeroed, kept, put back, taken over from a neighbour (a
  // moved descriptor keeps every byte, the ones no field names included).
  void Clear();
  std::vector<Byte> Bytes() const;
  // False (and nothing changed) when the bytes are not a descriptor of this room.
  bool Assign(const std::vector<Byte>& bytes);
  void CopyFrom(const TIndexTag& other);
  Integer Room() const { return FRoom; }

 protected:
  TIndexTag(Byte* descriptor, Integer room, Integer nameLength);
  Byte ByteAt(Integer offset) const;
  void PutByte(Integer offset, Byte value);
  LongWord PageAt0() const;
  void PutPageAt0(LongWord page);
  AnsiString NameAt4() const;
  void PutNameAt4(const AnsiString& name);

 private:
  Byte* FDescriptor;
  Integer FRoom;
  Integer FNameLength;
};

// One descriptor layout: the name field's length and where the six bytes from the key format
// to the key type begin; the page number and the name lie at 0 and 4 in both.
template <Integer NameLength, Integer KeyFormatAt, Integer Length>
class TMdxTagLayout : public TIndexTag {
 public:
  static constexpr Integer kLength = Length;
  static constexpr Integer kNameLength = NameLength;
  static constexpr Integer kKeyFormatAt = KeyFormatAt;

  LongWord HeaderPageNo() const override { return PageAt0(); }
  AnsiString TagName() const override { return NameAt4(); }
  Byte KeyFormat() const override { return ByteAt(kKeyFormatAt); }
  Byte Reserved1() const override { return ByteAt(kKeyFormatAt + 1); }
  Byte Reserved2() const override { return ByteAt(kKeyFormatAt + 2); }
  Byte Reserved3() const override { return ByteAt(kKeyFormatAt + 3); }
  Byte Marker() const override { return ByteAt(kKeyFormatAt + 4); }
  Byte KeyType() const override { return ByteAt(kKeyFormatAt + 5); }
  void SetHeaderPageNo(LongWord page) override { PutPageAt0(page); }
  void SetTagName(const AnsiString& name) override { PutNameAt4(name); }
  void SetKeyFormat(Byte value) override { PutByte(kKeyFormatAt, value); }
  void SetReserved1(Byte value) override { PutByte(kKeyFormatAt + 1, value); }
  void SetReserved2(Byte value) override { PutByte(kKeyFormatAt + 2, value); }
  void SetReserved3(Byte value) override { PutByte(kKeyFormatAt + 3, value); }
  void SetMarker(Byte value) override { PutByte(kKeyFormatAt + 4, value); }
  void SetKeyType(Byte value) override { PutByte(kKeyFormatAt + 5, value); }

 protected:
  TMdxTagLayout(Byte* descriptor, Integer room) : TIndexTag(descriptor, room, NameLength) {}
};

// The older layout: a 10-character name, the six bytes at 15..20, 32 bytes in all.
class TMdx4Tag final : public TMdxTagLayout<10, 15, 32> {
 public:
  TMdx4Tag(Byte* descriptor, Integer room) : TMdxTagLayout(descriptor, room) {}
};

// The newer layout: a 32-character name, the six bytes at 37..42, 43 bytes in all.
class TMdx7Tag final : public TMdxTagLayout<32, 37, 43> {
 public:
  TMdx7Tag(Byte* descriptor, Integer room) : TMdxTagLayout(descriptor, room) {}
};

// The accessor of an index file's version: the newer layout for version 6, the older one for
// every other version.
std::unique_ptr<TIndexTag> NewIndexTag(Byte version, Byte* descriptor, Integer room);
// The descriptor length of that accessor's layout.
Integer IndexTagLength(Byte version);

}  // namespace orv
