// TField and its kinds: value access through the data set and the conversions between kinds.
#include <cmath>
#include <cstring>
#include <limits>
#include "platform/db/DB.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

TField::TField(TFieldType type, Integer size) : TComponent(nullptr), FDataType(type), FSize(size) {}

TField::~TField() = default;

Integer TField::Index() const { return FDataSet ? FDataSet->Fields().IndexOf(this) : -1; }

void TField::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  if (FDataSet) FDataSet->DataEvent(deLayoutChange);
}

Integer TField::DisplayWidth() const {
  if (FDisplayWidth > 0) return FDisplayWidth;
  switch (FDataType) {
    case ftString: case ftFixedChar: return FSize;
    case ftBoolean: return 5;
    case ftDate: case ftTime: return 10;
    case ftDateTime: return 18;
    default: return 10;
  }
}

bool TField::CanModify() const {
  if (FReadOnly || !FDataSet) return false;
  return FFieldKind != fkData || FDataSet->CanModify();
}

bool TField::GetData(void* buffer) const {
  if (!FDataSet || !FDataSet->Active()) return false;
  return FDataSet->GetFieldData(const_cast<TField*>(this), buffer);
}

void TField::SetData(const void* buffer) {
  if (!FDataSet) DatabaseError(Format("Field '%s' has no dataset", {FFieldName}));
  TDataSetState s = FDataSet->State();
  bool calcState = s == dsCalcFields || s == dsInternalCalc;
  if (calcState ? FFieldKind == fkData : (s != dsEdit && s != dsInsert && s != dsSetKey && s != dsNewValue))
    DatabaseError("Dataset not in edit or insert mode");
  if (!calcState && FReadOnly) DatabaseError(Format("Field '%s' cannot be modified", {FFieldName}));
  if (OnValidate) OnValidate(this);
  FDataSet->SetFieldData(this, buffer);
}

bool TField::IsNull() const { return !GetData(nullptr); }

void TField::AccessError(const char* typeName) const {
  DatabaseError(Format("Invalid type conversion to %s in field '%s'", {typeName, FFieldName}));
}

AnsiString TField::AsString() const { AccessError("String"); }
void TField::SetAsString(const AnsiString&) { AccessError("String"); }
Integer TField::AsInteger() const { AccessError("Integer"); }
void TField::SetAsInteger(Integer) { AccessError("Integer"); }
double TField::AsFloat() const { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }

// --- strings ---

AnsiString TStringField::AsString() const {
  // The value is read straight into the text it is returned in.
  AnsiString text(static_cast<size_t>(Size()) + 1, '\0');
  if (!GetData(text.data())) return AnsiString();
  text.resize(strnlen(text.data(), static_cast<size_t>(Size())));
  return Transliterate() && DataSet() ? DataSet()->Translate(text, false) : text;
}

void TStringField::SetAsString(const AnsiString& value) {
  AnsiString text = Transliterate() && DataSet() ? DataSet()->Translate(value, true) : value;
  if (text.size() > static_cast<size_t>(Size())) text.resize(static_cast<size_t>(Size()));
  std::vector<char> buf(static_cast<size_t>(Size()) + 1, '\0');
  std::memcpy(buf.data(), text.data(), text.size());
  SetData(buf.data());
}

Integer TStringField::AsInteger() const { return StrToInt(Trim(AsString())); }
void TStringField::SetAsInteger(Integer value) { SetAsString(IntToStr(value)); }
double TStringField::AsFloat() const { return StrToFloat(Trim(AsString())); }
void TStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }
TDateTime TStringField::AsDateTime() const { return StrToDateTime(Trim(AsString())); }
void TStringField::SetAsDateTime(TDateTime value) { SetAsString(DateTimeToStr(value)); }

bool TStringField::AsBoolean() const {
  AnsiString s = Trim(AsString());
  if (s.empty()) return false;
  char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
  return c == 'T' || c == 'Y' || c == 'J';
}
void TStringField::SetAsBoolean(bool value) { SetAsString(value ? "T" : "F"); }

// --- integers ---

Int64 TIntegerField::AsLargeInt() const {
  Byte buf[8] = {};
  if (!GetData(buf)) return 0;
  switch (DataType()) {
    case ftSmallint: { Int64 v; SmallInt s; std::memcpy(&s, buf, 2); v = s; return v; }
    case ftWord: { Word w; std::memcpy(&w, buf, 2); return w; }
    case ftLargeint: { Int64 v; std::memcpy(&v, buf, 8); return v; }
    default: { Integer v; std::memcpy(&v, buf, 4); return v; }
  }
}

void TIntegerField::SetAsLargeInt(Int64 value) {
  Int64 lo, hi;
  switch (DataType()) {
    case ftSmallint: lo = -32768; hi = 32767; break;
    case ftWord: lo = 0; hi = 65535; break;
    case ftLargeint: lo = std::numeric_limits<Int64>::min(); hi = std::numeric_limits<Int64>::max(); break;
    default: lo = std::numeric_limits<Integer>::min(); hi = std::numeric_limits<Integer>::max(); break;
  }
  if (value < lo || value > hi)
    DatabaseError(Format("%s is not a valid value for field '%s'. The allowed range is %s to %s",
                         {IntToStr(value), FieldName(), IntToStr(lo), IntToStr(hi)}));
  Byte buf[8] = {};
  switch (DataType()) {
    case ftSmallint: { SmallInt s = static_cast<SmallInt>(value); std::memcpy(buf, &s, 2); break; }
    case ftWord: { Word w = static_cast<Word>(value); std::memcpy(buf, &w, 2); break; }
    case ftLargeint: std::memcpy(buf, &value, 8); break;
    default: { Integer v = static_cast<Integer>(value); std::memcpy(buf, &v, 4); break; }
  }
  SetData(buf);
}

Integer TIntegerField::AsInteger() const {
  Int64 v = AsLargeInt();
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max())
    DatabaseError(Format("Value of field '%s' does not fit an integer", {FieldName()}));
  return static_cast<Integer>(v);
}

AnsiString TIntegerField::AsString() const { return IsNull() ? AnsiString() : IntToStr(AsLargeInt()); }

void TIntegerField::SetAsString(const AnsiString& value) {
  AnsiString s = Trim(value);
  if (s.empty()) { Clear(); return; }
  Int64 v;
  if (!TryStrToInt64(s, v)) throw EConvertError(Format("'%s' is not a valid integer value", {s}));
  SetAsLargeInt(v);
}

void TIntegerField::SetAsFloat(double value) {
  if (!std::isfinite(value)) throw EConvertError(Format("Invalid value for field '%s'", {FieldName()}));
  SetAsLargeInt(static_cast<Int64>(std::llround(value)));
}

// --- floats ---

double TFloatField::AsFloat() const {
  double v = 0;
  return GetData(&v) ? v : 0.0;
}

void TFloatField::SetAsFloat(double value) {
  if (!std::isfinite(value)) throw EConvertError(Format("Invalid value for field '%s'", {FieldName()}));
  SetData(&value);
}

Integer TFloatField::AsInteger() const {
  double v = AsFloat();
  if (!(v >= std::numeric_limits<Integer>::min() && v <= std::numeric_limits<Integer>::max()))
    DatabaseError(Format("Value of field '%s' does not fit an integer", {FieldName()}));
  return static_cast<Integer>(std::lround(v));
}

AnsiString TFloatField::AsString() const { return IsNull() ? AnsiString() : FloatToStr(AsFloat()); }

void TFloatField::SetAsString(const AnsiString& value) {
  AnsiString s = Trim(value);
  if (s.empty()) { Clear(); return; }
  double v;
  if (!TryStrToFloat(s, v)) throw EConvertError(Format("'%s' is not a valid floating point value", {s}));
  SetAsFloat(v);
}

// --- booleans ---

bool TBooleanField::AsBoolean() const {
  SmallInt v = 0;
  return GetData(&v) && v != 0;
}

void TBooleanField::SetAsBoolean(bool value) {
  SmallInt v = value ? 1 : 0;
  SetData(&v);
}

AnsiString TBooleanField::AsString() const { return IsNull() ? AnsiString() : (AsBoolean() ? "True" : "False"); }

void TBooleanField::SetAsString(const AnsiString& value) {
  AnsiString s = Trim(value);
  if (s.empty()) { Clear(); return; }
  if (SameText(s, "True") || SameText(s, "T") || SameText(s, "Y")) SetAsBoolean(true);
  else if (SameText(s, "False") || SameText(s, "F") || SameText(s, "N")) SetAsBoolean(false);
  else throw EConvertError(Format("'%s' is not a valid boolean value", {s}));
}

// --- dates and times ---

TDateTime TDateTimeField::AsDateTime() const {
  Byte buf[8] = {};
  if (!GetData(buf)) return 0;
  switch (DataType()) {
    case ftDate: { Integer d; std::memcpy(&d, buf, 4); return static_cast<double>(d) - kDayNumberDelta; }
    case ftTime: { Integer ms; std::memcpy(&ms, buf, 4); return ms / 86400000.0; }
    default: { double ms; std::memcpy(&ms, buf, 8); return MSecsToDateTime(ms); }
  }
}

void TDateTimeField::SetAsDateTime(TDateTime value) {
  if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
    throw EConvertError(Format("Invalid value for field '%s'", {FieldName()}));
  Byte buf[8] = {};
  switch (DataType()) {
    case ftDate: { Integer d = static_cast<Integer>(std::floor(value)) + kDayNumberDelta; std::memcpy(buf, &d, 4); break; }
    case ftTime: {
      double frac = value - std::floor(value);
      Integer ms = static_cast<Integer>(std::llround(frac * 86400000.0));
      std::memcpy(buf, &ms, 4);
      break;
    }
    default: { double ms = DateTimeToMSecs(value); std::memcpy(buf, &ms, 8); break; }
  }
  SetData(buf);
}

AnsiString TDateTimeField::AsString() const {
  if (IsNull()) return AnsiString();
  return DataType() == ftDate ? DateToStr(AsDateTime()) : DateTimeToStr(AsDateTime());
}

void TDateTimeField::SetAsString(const AnsiString& value) {
  AnsiString s = Trim(value);
  if (s.empty()) { Clear(); return; }
  SetAsDateTime(StrToDateTime(s));
}

// --- blobs ---

AnsiString TBlobField::AsString() const {
  if (!DataSet() || !DataSet()->Active()) return AnsiString();
  auto stream = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
  if (!stream) return AnsiString();
  Int64 size = stream->Size();
  AnsiString text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) text.resize(static_cast<size_t>(stream->Read(text.data(), size)));
  return text;
}

AnsiString TBlobField::DisplayText() const {
  bool text = DataType() == ftMemo || DataType() == ftFmtMemo;
  if (IsNull()) return text ? "(Memo)" : "(Blob)";
  return text ? "(MEMO)" : "(BLOB)";
}

void TBlobField::SetAsString(const AnsiString& value) {
  if (!DataSet()) DatabaseError(Format("Field '%s' has no dataset", {FieldName()}));
  TDataSetState s = DataSet()->State();
  if (s != dsEdit && s != dsInsert) DatabaseError("Dataset not in edit or insert mode");
  if (ReadOnly()) DatabaseError(Format("Field '%s' cannot be modified", {FieldName()}));
  auto stream = DataSet()->CreateBlobStream(this, bmWrite);
  if (!value.empty()) stream->Write(value.data(), static_cast<Int64>(value.size()));
}

void TBlobField::LoadFromStream(TStream& stream) {
  Int64 size = stream.Size() - stream.Position();
  AnsiString text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) text.resize(static_cast<size_t>(stream.Read(text.data(), size)));
  SetAsString(text);
}

void TBlobField::SaveToStream(TStream& stream) const {
  AnsiString text = AsString();
  if (!text.empty()) stream.Write(text.data(), static_cast<Int64>(text.size()));
}

Int64 TBlobField::BlobSize() const {
  if (!DataSet() || !DataSet()->Active()) return 0;
  auto stream = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
  return stream ? stream->Size() : 0;
}

}  // namespace orv
