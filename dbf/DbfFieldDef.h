// Field definitions of a table: native dBASE field types, their generic data-set types, sizes
// and limits, and the value buffers of level-7 field properties.
#pragma once
#include <memory>
#include <vector>
#include "dbf/DbfCommon.h"
#include "platform/db/DBTypes.h"

namespace orv {

class TFieldDef;

// Table level codes of the file object.
inline constexpr int kLevelDbase3 = 2;
inline constexpr int kLevelDbase4 = 3;
inline constexpr int kLevelFoxPro = 5;
inline constexpr int kLevelDbase7 = 6;

class TDbfFieldDefs;

class TDbfFieldDef {
 public:
  explicit TDbfFieldDef(TDbfFieldDefs* owner = nullptr) : FOwner(owner) {}

  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(AnsiString name) { FFieldName = std::move(name); }
  const AnsiString& DisplayName() const { return FFieldName; }
  TFieldType FieldType() const { return FFieldType; }
  // Sets the native letter by the level's mapping; EDbfError for a type a table cannot hold.
  void SetFieldType(TFieldType type);
  char NativeFieldType() const { return FNativeFieldType; }
  // Upper-cases the letter; an unknown letter gives native type 0 and ftUnknown.
  void SetNativeFieldType(char letter);
  Integer Size() const { return FSize; }
  void SetSize(Integer size);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer precision);
  bool Required() const { return FRequired; }
  void SetRequired(bool v) { FRequired = v; }
  Integer Offset() const { return FOffset; }
  void SetOffset(Integer v) { FOffset = v; }
  Integer SourceIndex() const { return FSourceIndex; }
  void SetSourceIndex(Integer v) { FSourceIndex = v; }
  bool IsLockField() const { return FIsLockField; }
  void SetIsLockField(bool v) { FIsLockField = v; }
  LongWord AutoIncValue() const { return FAutoIncValue; }
  void SetAutoIncValue(LongWord v) { FAutoIncValue = v; }
  // Index of the field's descriptor in the file (its auto-increment counter's place).
  Integer DescriptorIndex() const { return FDescriptorIndex; }
  void SetDescriptorIndex(Integer v) { FDescriptorIndex = v; }
  bool IsBlob() const { return FNativeFieldType == 'M' || FNativeFieldType == 'B' || FNativeFieldType == 'G'; }

  // The three property buffers hold Size bytes each; valid until the next size change.
  Byte* DefaultBuf() { return FBuffers.empty() ? nullptr : FBuffers.data(); }
  Byte* MinBuf() { return FBuffers.empty() ? nullptr : FBuffers.data() + FSize; }
  Byte* MaxBuf() { return FBuffers.empty() ? nullptr : FBuffers.data() + 2 * static_cast<size_t>(FSize); }
  bool HasDefault = false, HasMin = false, HasMax = false;

  void CopyFrom(const TDbfFieldDef& source, Integer sourceIndex);
  // From a framework definition: name, generic type (the native letter by the mapping), size
  // (the default size for 0 or less) and precision, required; not a lock field; no property
  // values, offset or counter. EDbfError for a type that has no native letter.
  void CopyFrom(const TFieldDef& source, Integer sourceIndex);
  // Into a framework definition: its attributes cleared, then data type, required, size and name.
  void CopyTo(TFieldDef& dest) const;
  // Fills in the default sizes of a new field of a generic type (size 0 or less given).
  void SetDefaultSize();
  Integer TableLevel() const;
  bool UseFloatFields() const;
  // The table stores 'I' and 'T' in the later FoxPro layout (see TDbfFieldDefs).
  bool FoxProBinary() const;
  // The value coding can read and write the field as the file stores it: a known letter, and for
  // the fixed-size letters the stored size the coding uses (a 'D' or 'L' may be wider).
  bool Readable(Integer storedSize) const;

 private:
  void NativeToGeneric();
  void GenericToNative();
  void Normalise();
  void AllocBuffers();

  TDbfFieldDefs* FOwner;
  AnsiString FFieldName;
  TFieldType FFieldType = ftUnknown;
  char FNativeFieldType = 0;
  Integer FSize = 0;
  Integer FPrecision = 0;
  bool FRequired = false;
  Integer FOffset = 0;
  Integer FSourceIndex = -1;
  bool FIsLockField = false;
  LongWord FAutoIncValue = 0;
  Integer FDescriptorIndex = 0;
  std::vector<Byte> FBuffers;
};

class TDbfFieldDefs {
 public:
  TDbfFieldDefs() = default;
  TDbfFieldDef& Add();
  TDbfFieldDef& Item(size_t i) { return *FItems[i]; }
  const TDbfFieldDef& Item(size_t i) const { return *FItems[i]; }
  TDbfFieldDef& operator[](size_t i) { return *FItems[i]; }
  size_t Count() const { return FItems.size(); }
  void Clear() { FItems.clear(); }
  Integer TableLevel = kLevelDbase4;
  bool UseFloatFields = false;
  // FoxPro tables of version byte 0x30 and its siblings (0x31, 0x32) store 'I' as a little-endian
  // 32-bit integer and 'T' as two little-endian 32-bit numbers, the Julian day and the
  // milliseconds of the day. This engine reads and writes such fields but never creates them.
  bool FoxProBinaryFields = false;

 private:
  std::vector<std::unique_ptr<TDbfFieldDef>> FItems;
};

}  // namespace orv
