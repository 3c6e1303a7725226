// Field definitions, the field collection and the value conversions of each field kind.
#include "platform/db/Fields.h"
#include <cmath>
#include <cstring>
#include "platform/db/DB.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

Integer DataSizeOf(TFieldType type, Integer size) {
  switch (type) {
    case ftString: case ftFixedChar: return size + 1;
    case ftSmallint: case ftWord: case ftBoolean: return 2;
    case ftInteger: case ftAutoInc: case ftDate: case ftTime: return 4;
    case ftLargeint: case ftFloat: case ftCurrency: case ftDateTime: return 8;
    case ftBytes: return size;
    default: return 0;
  }
}

bool IsBlobType(TFieldType type) {
  return type >= ftBlob && type <= ftTypedBinary;
}

double DateTimeToMSecs(TDateTime value) {
  return std::round((value + kDayNumberDelta) * 86400000.0);
}

TDateTime MSecsToDateTime(double msecs) { return msecs / 86400000.0 - kDayNumberDelta; }

// --- field definitions ---

TFieldDef::TFieldDef(TFieldDefs* owner, AnsiString name, TFieldType type, Integer size, bool required)
    : FOwner(owner), FName(std::move(name)), FDataType(type), FSize(size) {
  if (required) FAttributes.Include(faRequired);
}

void TFieldDef::Changed() { if (FOwner) FOwner->Changed(); }
void TFieldDef::SetName(AnsiString name) { FName = std::move(name); Changed(); }
void TFieldDef::SetDataType(TFieldType type) { FDataType = type; Changed(); }
void TFieldDef::SetSize(Integer size) { FSize = size; Changed(); }
void TFieldDef::SetPrecision(Integer precision) { FPrecision = precision; Changed(); }
void TFieldDef::SetRequired(bool value) {
  if (value) FAttributes.Include(faRequired); else FAttributes.Exclude(faRequired);
  Changed();
}
void TFieldDef::SetAttributes(TFieldAttributes value) { FAttributes = value; Changed(); }

Integer TFieldDef::FieldNo() const {
  if (!FOwner) return 0;
  for (Integer i = 0; i < FOwner->Count(); ++i)
    if (FOwner->Items(i) == this) return i + 1;
  return 0;
}

TField* TFieldDef::CreateField(TDataSet* dataSet) const {
  auto field = MakeField(FDataType, FSize);
  field->SetFieldName(FName);
  field->SetRequired(Required());
  field->SetReadOnly(FAttributes.Contains(faReadonly));
  field->SetVisible(!FAttributes.Contains(faHiddenCol));
  field->SetFieldNo(FieldNo());
  return dataSet->Fields().Add(std::move(field));
}

void TFieldDefs::Changed() {
  FUpdated = false;
  if (FDataSet) FDataSet->DefinitionsChanged();
}

TFieldDef* TFieldDefs::Add(const AnsiString& name, TFieldType type, Integer size, bool required) {
  if (name.empty()) DatabaseError("Field name missing");
  if (IndexOf(name) >= 0) DatabaseError(Format("Duplicate field name '%s'", {name}));
  FItems.push_back(std::make_unique<TFieldDef>(this, name, type, size, required));
  Changed();
  return FItems.back().get();
}

TFieldDef* TFieldDefs::AddFieldDef() {
  FItems.push_back(std::make_unique<TFieldDef>(this, AnsiString(), ftUnknown, 0, false));
  Changed();
  return FItems.back().get();
}

void TFieldDefs::Clear() { FItems.clear(); Changed(); }

void TFieldDefs::Delete(Integer index) {
  Items(index);
  FItems.erase(FItems.begin() + index);
  Changed();
}

TFieldDef* TFieldDefs::Items(Integer index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FItems[static_cast<size_t>(index)].get();
}

Integer TFieldDefs::IndexOf(std::string_view name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (SameText(FItems[static_cast<size_t>(i)]->Name(), name)) return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(std::string_view name) const {
  Integer i = IndexOf(name);
  return i < 0 ? nullptr : FItems[static_cast<size_t>(i)].get();
}

void TFieldDefs::Update() {
  if (FUpdated || !FDataSet) return;
  FDataSet->InternalInitFieldDefs();
  FUpdated = true;
}

void TFieldDefs::Assign(const TFieldDefs& source) {
  FItems.clear();
  for (const auto& d : source.FItems) {
    auto copy = std::make_unique<TFieldDef>(this, d->Name(), d->DataType(), d->Size(), false);
    copy->FPrecision = d->Precision();
    copy->FAttributes = d->Attributes();
    FItems.push_back(std::move(copy));
  }
  Changed();
}

// --- field collection ---

TField* TFields::Add(std::unique_ptr<TField> field) {
  if (FindField(field->FieldName())) DatabaseError(Format("Duplicate field name '%s'", {field->FieldName()}));
  field->FDataSet = FDataSet;
  FItems.push_back(std::move(field));
  return FItems.back().get();
}

void TFields::Remove(TField* field) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if (it->get() == field) { FItems.erase(it); return; }
}

void TFields::Clear() { FItems.clear(); }

TField* TFields::Fields(Integer index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FItems[static_cast<size_t>(index)].get();
}

TField* TFields::FindField(std::string_view name) const {
  for (const auto& f : FItems)
    if (SameText(f->FieldName(), name)) return f.get();
  return nullptr;
}

TField* TFields::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (!f) DatabaseError(Format("Field '%s' not found", {name}));
  return f;
}

TField* TFields::FieldByNumber(Integer fieldNo) const {
  for (const auto& f : FItems)
    if (f->FieldNo() == fieldNo) return f.get();
  return nullptr;
}

Integer TFields::IndexOf(const TField* field) const {
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[static_cast<size_t>(i)].get() == field) return i;
  return -1;
}

std::unique_ptr<TField> MakeField(TFieldType type, Integer size) {
  switch (type) {
    case ftString: case ftFixedChar: return std::make_unique<TStringField>(size, type);
    case ftSmallint: case ftWord: case ftInteger: case ftAutoInc: case ftLargeint:
      return std::make_unique<TIntegerField>(type);
    case ftFloat: case ftCurrency: case ftBCD: return std::make_unique<TFloatField>(type == ftBCD ? ftFloat : type);
    case ftBoolean: return std::make_unique<TBooleanField>();
    case ftDate: case ftTime: case ftDateTime: return std::make_unique<TDateTimeField>(type);
    case ftMemo: case ftFmtMemo: return std::make_unique<TMemoField>();
    case ftBlob: case ftGraphic: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
      return std::make_unique<TBlobField>(type);
    default:
      DatabaseError(Format("Field type %d is not supported", {static_cast<int>(type)}));
  }
}

}  // namespace orv
