// Fields of a data set: field definitions (what a table holds) and field objects (how values are
// read and written through the data set's active record), with the kinds for each generic type.
#pragma once
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Streams.h"

namespace orv {

class TFieldDefs;

// Value buffers exchanged with GetFieldData/SetFieldData: ftString a NUL-terminated text of
// Size + 1 bytes; ftSmallint, ftWord and ftBoolean (non-zero is true) 16 bits; ftInteger, ftAutoInc
// 32 bits; ftLargeint 64 bits; ftFloat, ftCurrency double; ftDate a 32-bit day number (days since
// 0001-01-01 plus one); ftTime 32-bit milliseconds of the day; ftDateTime double milliseconds (day
// number times 86,400,000 plus the time). Blob fields carry no buffer: their contents go through
// blob streams.
Integer DataSizeOf(TFieldType type, Integer size);
bool IsBlobType(TFieldType type);
// The time-stamp milliseconds of the value buffers and back.
double DateTimeToMSecs(TDateTime value);
TDateTime MSecsToDateTime(double msecs);
inline constexpr Integer kDayNumberDelta = 693594;  // the day number of 1899-12-30

class TFieldDef {
 public:
  TFieldDef(TFieldDefs* owner, AnsiString name, TFieldType type, Integer size, bool required);

  const AnsiString& Name() const { return FName; }
  void SetName(AnsiString name);
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType type);
  Integer Size() const { return FSize; }
  void SetSize(Integer size);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer precision);
  bool Required() const { return FAttributes.Contains(faRequired); }
  void SetRequired(bool value);
  TFieldAttributes Attributes() const { return FAttributes; }
  void SetAttributes(TFieldAttributes value);
  // 1-based position in the owning collection.
  Integer FieldNo() const;
  // A field object of the kind for DataType, added to the data set's fields.
  TField* CreateField(TDataSet* dataSet) const;

 private:
  friend class TFieldDefs;
  void Changed();
  TFieldDefs* FOwner;
  AnsiString FName;
  TFieldType FDataType;
  Integer FSize;
  Integer FPrecision = 0;
  TFieldAttributes FAttributes;
};

class TFieldDefs {
 public:
  explicit TFieldDefs(TDataSet* dataSet) : FDataSet(dataSet) {}
  // EDatabaseError "Duplicate field name '%s'" when the name is taken (case-insensitive).
  TFieldDef* Add(const AnsiString& name, TFieldType type, Integer size = 0, bool required = false);
  TFieldDef* AddFieldDef();
  void Clear();
  void Delete(Integer index);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // EListError outside 0..Count()-1.
  TFieldDef* Items(Integer index) const;
  Integer IndexOf(std::string_view name) const;
  TFieldDef* Find(std::string_view name) const;  // nullptr when absent
  // Reloads the definitions from the data set's engine (InitFieldDefs) unless already current.
  void Update();
  bool Updated() const { return FUpdated; }
  void SetUpdated(bool value) { FUpdated = value; }
  void Assign(const TFieldDefs& source);
  TDataSet* DataSet() const { return FDataSet; }

 private:
  friend class TFieldDef;
  void Changed();
  TDataSet* FDataSet;
  std::vector<std::unique_ptr<TFieldDef>> FItems;
  bool FUpdated = false;
};

class TField : public TComponent {
 public:
  TField(TFieldType type, Integer size);
  ~TField() override;

  TDataSet* DataSet() const { return FDataSet; }
  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(AnsiString name) { FFieldName = std::move(name); }
  AnsiString DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(AnsiString label) { FDisplayLabel = std::move(label); }
  TFieldType DataType() const { return FDataType; }
  Integer Size() const { return FSize; }
  void SetSize(Integer size) { FSize = size; }
  // Position of the field in the engine's record (1-based), 0 before binding, negative for
  // calculated fields.
  Integer FieldNo() const { return FFieldNo; }
  void SetFieldNo(Integer no) { FFieldNo = no; }
  Integer DataSize() const { return DataSizeOf(FDataType, FSize); }
  // Offset of a calculated field's value in the engine's calculated-fields area (set at binding).
  Integer Offset() const { return FOffset; }
  Integer Index() const;
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind kind) { FFieldKind = kind; }
  bool Calculated() const { return FFieldKind == fkCalculated; }
  bool IsBlob() const { return IsBlobType(FDataType); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool Required() const { return FRequired; }
  void SetRequired(bool value) { FRequired = value; }
  Integer DisplayWidth() const;
  void SetDisplayWidth(Integer width) { FDisplayWidth = width; }
  // Whether text crosses the data set's Translate hook (towards the engine's code page and back).
  bool Transliterate() const { return FTransliterate; }
  void SetTransliterate(bool value) { FTransliterate = value; }
  // False when the data set or the field refuses changes.
  bool CanModify() const;

  // Reads the field from the data set's current record into buffer (null: only the null test);
  // false for a null value or when there is no record.
  bool GetData(void* buffer) const;
  // Writes buffer (null: the null value) into the current record. The data set must be in edit or
  // insert state and the field modifiable.
  void SetData(const void* buffer);
  bool IsNull() const;
  void Clear() { SetData(nullptr); }

  virtual AnsiString AsString() const;
  virtual void SetAsString(const AnsiString& value);
  virtual Integer AsInteger() const;
  virtual void SetAsInteger(Integer value);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double value);
  virtual TDateTime AsDateTime() const;
  virtual void SetAsDateTime(TDateTime value);
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool value);
  // The text a control shows; the string value unless a kind formats otherwise.
  virtual AnsiString DisplayText() const { return AsString(); }

  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;

 protected:
  [[noreturn]] void AccessError(const char* typeName) const;
  void CheckValueBuffer(std::vector<Byte>& buf) const { buf.assign(static_cast<size_t>(DataSize()) + 1, 0); }

 private:
  friend class TDataSet;
  friend class TFields;
  TDataSet* FDataSet = nullptr;
  AnsiString FFieldName;
  AnsiString FDisplayLabel;
  TFieldType FDataType;
  Integer FSize;
  Integer FFieldNo = 0;
  Integer FOffset = 0;
  Integer FDisplayWidth = 0;
  TFieldKind FFieldKind = fkData;
  bool FReadOnly = false;
  bool FVisible = true;
  bool FRequired = false;
  bool FTransliterate = true;
};

class TStringField : public TField {
 public:
  explicit TStringField(Integer size = 20, TFieldType type = ftString) : TField(type, size) {}
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& value) override;
  Integer AsInteger() const override;
  void SetAsInteger(Integer value) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
  TDateTime AsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
};

// Integer kinds: ftSmallint, ftWord, ftInteger, ftAutoInc, ftLargeint.
class TIntegerField : public TField {
 public:
  explicit TIntegerField(TFieldType type = ftInteger) : TField(type, 0) {}
  Int64 AsLargeInt() const;
  void SetAsLargeInt(Int64 value);
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& value) override;
  Integer AsInteger() const override;
  void SetAsInteger(Integer value) override { SetAsLargeInt(value); }
  double AsFloat() const override { return static_cast<double>(AsLargeInt()); }
  void SetAsFloat(double value) override;
  bool AsBoolean() const override { return AsLargeInt() != 0; }
  void SetAsBoolean(bool value) override { SetAsLargeInt(value ? 1 : 0); }
};
using TSmallintField = TIntegerField;
using TAutoIncField = TIntegerField;
using TLargeintField = TIntegerField;

// ftFloat and ftCurrency.
class TFloatField : public TField {
 public:
  explicit TFloatField(TFieldType type = ftFloat) : TField(type, 0) {}
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& value) override;
  Integer AsInteger() const override;
  void SetAsInteger(Integer value) override { SetAsFloat(value); }
  double AsFloat() const override;
  void SetAsFloat(double value) override;
};

class TBooleanField : public TField {
 public:
  TBooleanField() : TField(ftBoolean, 0) {}
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
  Integer AsInteger() const override { return AsBoolean() ? 1 : 0; }
  void SetAsInteger(Integer value) override { SetAsBoolean(value != 0); }
};

// ftDate, ftTime and ftDateTime.
class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TFieldType type = ftDateTime) : TField(type, 0) {}
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& value) override;
  TDateTime AsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
  double AsFloat() const override { return AsDateTime(); }
  void SetAsFloat(double value) override { SetAsDateTime(value); }
};
using TDateField = TDateTimeField;

// Memo, binary and OLE fields: values travel through the data set's blob streams.
class TBlobField : public TField {
 public:
  // Text blobs (memos) cross the translation hook; binary ones never do.
  explicit TBlobField(TFieldType type = ftBlob) : TField(type, 0) {
    SetTransliterate(type == ftMemo || type == ftFmtMemo);
  }
  AnsiString AsString() const override;
  // A marker, not the contents: "(MEMO)" / "(BLOB)" with contents, "(Memo)" / "(Blob)" without,
  // so a grid never reads whole memos to show a row.
  AnsiString DisplayText() const override;
  void SetAsString(const AnsiString& value) override;
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  Int64 BlobSize() const;
};
class TMemoField : public TBlobField {
 public:
  TMemoField() : TBlobField(ftMemo) {}
};

// The field class for a generic type.
std::unique_ptr<TField> MakeField(TFieldType type, Integer size);

class TFields {
 public:
  explicit TFields(TDataSet* dataSet) : FDataSet(dataSet) {}
  // Takes ownership; the field belongs to this data set from now on.
  TField* Add(std::unique_ptr<TField> field);
  void Remove(TField* field);
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TField* Fields(Integer index) const;  // EListError outside 0..Count()-1
  TField* FindField(std::string_view name) const;
  TField* FieldByName(std::string_view name) const;  // EDatabaseError "Field '%s' not found"
  TField* FieldByNumber(Integer fieldNo) const;
  Integer IndexOf(const TField* field) const;

 private:
  TDataSet* FDataSet;
  std::vector<std::unique_ptr<TField>> FItems;
};

}  // namespace orv
