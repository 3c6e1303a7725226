// Field definitions: type mapping, normalising of sizes and default sizes.
#include "dbf/DbfFieldDef.h"
#include "platform/db/Fields.h"
#include <algorithm>
#include <cctype>
#include <cstdio>

namespace orv {

Integer TDbfFieldDef::TableLevel() const { return FOwner ? FOwner->TableLevel : kLevelDbase4; }
bool TDbfFieldDef::UseFloatFields() const { return FOwner && FOwner->UseFloatFields; }
bool TDbfFieldDef::FoxProBinary() const { return FOwner && FOwner->FoxProBinaryFields; }

bool TDbfFieldDef::Readable(Integer storedSize) const {
  switch (FNativeFieldType) {
    case 0: return false;
    // The later FoxPro layout's 'B' is an 8-byte double, not a memo.
    case 'B': return !FoxProBinary() && storedSize == FSize;
    case 'T': return !FoxProBinary() || storedSize == 8;
    case 'I': case '+': case '@': case 'O': case 'M': case 'G': return storedSize == FSize;
    case 'D': case 'L': return storedSize >= FSize;
    default: return true;
  }
}

void TDbfFieldDef::SetFieldType(TFieldType type) {
  FFieldType = type;
  GenericToNative();
  Normalise();
}

void TDbfFieldDef::SetNativeFieldType(char letter) {
  FNativeFieldType = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  NativeToGeneric();
  Normalise();
}

void TDbfFieldDef::SetSize(Integer size) {
  FSize = size;
  Normalise();
}

void TDbfFieldDef::SetPrecision(Integer precision) {
  FPrecision = precision;
  Normalise();
}

void TDbfFieldDef::NativeToGeneric() {
  switch (FNativeFieldType) {
    case 'C': FFieldType = ftString; break;
    case 'N':
    case 'F':
      if (FPrecision > 0) FFieldType = ftFloat;
      else if (FSize <= 4) FFieldType = ftSmallint;
      else if (UseFloatFields()) FFieldType = ftFloat;
      else if (FSize > 9) FFieldType = ftLargeint;
      else FFieldType = ftInteger;
      break;
    case 'L': FFieldType = ftBoolean; break;
    case 'D': FFieldType = ftDate; break;
    case 'T':
    case '@': FFieldType = ftDateTime; break;
    case 'I': FFieldType = ftInteger; break;
    case '+': FFieldType = ftAutoInc; break;
    case 'O': FFieldType = ftFloat; break;
    case 'M': FFieldType = ftMemo; break;
    case 'B': FFieldType = ftBlob; break;
    case 'G': FFieldType = ftDBaseOle; break;
    default:
      FNativeFieldType = 0;
      FFieldType = ftUnknown;
  }
}

void TDbfFieldDef::GenericToNative() {
  switch (FFieldType) {
    case ftString: case ftFixedChar: case ftWideString: FNativeFieldType = 'C'; break;
    case ftSmallint: case ftWord: case ftFloat: case ftCurrency: case ftLargeint: FNativeFieldType = 'N'; break;
    case ftInteger: FNativeFieldType = TableLevel() == kLevelDbase7 ? 'I' : 'N'; break;
    case ftBoolean: FNativeFieldType = 'L'; break;
    case ftDate: FNativeFieldType = 'D'; break;
    case ftDateTime: FNativeFieldType = '@'; break;
    case ftAutoInc: FNativeFieldType = '+'; break;
    case ftBlob: FNativeFieldType = 'B'; break;
    case ftMemo: FNativeFieldType = 'M'; break;
    case ftDBaseOle: FNativeFieldType = 'G'; break;
    default: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(FFieldType));
      AnsiString msg = DbfMessage(STRING_INVALID_FIELD_TYPE, FFieldName);
      auto pos = msg.find("%x");
      if (pos != AnsiString::npos) msg.replace(pos, 2, hex);
      throw EDbfError(msg);
    }
  }
}

void TDbfFieldDef::Normalise() {
  switch (FNativeFieldType) {
    case '+': case 'I': FSize = 4; FPrecision = 0; break;
    case '@': case 'D': case 'O': FSize = 8; FPrecision = 0; break;
    case 'M': case 'B': case 'G': FSize = 10; FPrecision = 0; break;
    case 'L': FSize = 1; FPrecision = 0; break;
    case 'C': FSize = std::clamp<Integer>(FSize, 0, 65534); FPrecision = 0; break;
    case 'N': case 'F':
      FSize = std::clamp<Integer>(FSize, 0, 20);
      if (FPrecision > FSize - 2) FPrecision = FSize - 2;
      if (FPrecision < 0) FPrecision = 0;
      break;
    default: break;
  }
  AllocBuffers();
}

void TDbfFieldDef::AllocBuffers() {
  size_t want = static_cast<size_t>(std::max<Integer>(FSize, 0)) * 3;
  if (FBuffers.size() != want) {
    FBuffers.assign(want, 0);
    HasDefault = HasMin = HasMax = false;
  }
}

void TDbfFieldDef::SetDefaultSize() {
  if (FSize > 0) return;
  switch (FFieldType) {
    case ftInteger: FSize = TableLevel() == kLevelDbase7 ? 4 : 9; break;
    case ftSmallint: case ftWord: FSize = 4; break;
    case ftFloat: FSize = 18; FPrecision = 9; break;
    case ftCurrency: FSize = 16; FPrecision = 2; break;
    case ftDate: case ftDateTime: FSize = 8; break;
    case ftLargeint: FSize = 18; break;
    default: break;
  }
  Normalise();
}

void TDbfFieldDef::CopyFrom(const TDbfFieldDef& source, Integer sourceIndex) {
  FFieldName = source.FFieldName;
  FFieldType = source.FFieldType;
  FNativeFieldType = source.FNativeFieldType;
  FSize = source.FSize;
  FPrecision = source.FPrecision;
  FRequired = source.FRequired;
  FSourceIndex = sourceIndex;
  FIsLockField = source.FIsLockField;
  FBuffers = source.FBuffers;
  HasDefault = source.HasDefault;
  HasMin = source.HasMin;
  HasMax = source.HasMax;
  FOffset = source.FOffset;
  FAutoIncValue = source.FAutoIncValue;
  FDescriptorIndex = source.FDescriptorIndex;
}

void TDbfFieldDef::CopyFrom(const TFieldDef& source, Integer sourceIndex) {
  FFieldName = source.Name();
  SetFieldType(source.DataType());
  if (source.Size() <= 0) {
    SetDefaultSize();
  } else {
    SetSize(source.Size());
    SetPrecision(source.Precision());
  }
  FRequired = source.Required();
  FSourceIndex = sourceIndex;
  FIsLockField = false;
  HasDefault = HasMin = HasMax = false;
  FOffset = 0;
  FAutoIncValue = 0;
  FDescriptorIndex = 0;
}

void TDbfFieldDef::CopyTo(TFieldDef& dest) const {
  dest.SetAttributes(TFieldAttributes());
  dest.SetDataType(FFieldType);
  dest.SetRequired(FRequired);
  dest.SetSize(FSize);
  dest.SetName(FFieldName);
}

TDbfFieldDef& TDbfFieldDefs::Add() {
  FItems.push_back(std::make_unique<TDbfFieldDef>(this));
  return *FItems.back();
}

}  // namespace orv
