// A small record engine kept in memory, used to drive the data-set framework in tests the way a
// table engine does: records stay in place and deleted ones are only marked.
#pragma once
#include <cstring>
#include <map>
#include <optional>
#include "platform/db/DB.h"
#include "platform/db/DataSource.h"

namespace orv::test {

struct MemRecord {
  std::vector<std::optional<std::vector<Byte>>> values;  // per field, by field number - 1
  std::vector<std::optional<AnsiString>> blobs;
  bool deleted = false;
};

class TMemDataSet : public TDataSet {
 public:
  explicit TMemDataSet(TComponent* owner = nullptr) : TDataSet(owner) {}
  ~TMemDataSet() override { if (Active()) Close(); }

  std::vector<MemRecord> Rows;
  bool FailOpenSilently = false;   // InternalOpen raises the silent abort
  bool OpenNothing = false;        // InternalOpen returns without a cursor
  bool ReadOnlyEngine = false;
  Integer FailAtRow = 0;           // reading this record number raises a read error
  bool Locked = false;             // another process holds the record lock
  std::function<AnsiString(const AnsiString&, bool)> TranslateHook;

  TDataSource* Master = nullptr;   // the source this data set follows as a detail
  TDataSource* GetDataSource() const override { return Master; }
  bool CanModify() const override { return !ReadOnlyEngine; }
  Integer RecordCount() const override {
    Integer n = 0;
    for (const auto& r : Rows) n += r.deleted ? 0 : 1;
    return n;
  }
  Integer RecNo() const override { return FPos; }
  AnsiString Translate(const AnsiString& text, bool toOem) override {
    return TranslateHook ? TranslateHook(text, toOem) : text;
  }
  bool BookmarkValid(const TBookmark& bm) override {
    if (bm.size() != 4) return false;
    Integer n; std::memcpy(&n, bm.data(), 4);
    return n >= 1 && n <= static_cast<Integer>(Rows.size()) && !Rows[static_cast<size_t>(n - 1)].deleted;
  }
  Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) const override {
    if (a.empty() || b.empty()) return TDataSet::CompareBookmarks(a, b);
    Integer x, y; std::memcpy(&x, a.data(), 4); std::memcpy(&y, b.data(), 4);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;

  // Raw value of a field of a stored row as the engine holds it (string fields: the text).
  AnsiString RawText(size_t row, Integer fieldNo) const {
    const auto& v = Rows[row].values[static_cast<size_t>(fieldNo - 1)];
    return v ? AnsiString(reinterpret_cast<const char*>(v->data())) : AnsiString();
  }
  using TDataSet::Resync;

 protected:
  struct Buf {
    Integer recNo = 0;
    TBookmarkFlag flag = bfCurrent;
    MemRecord rec;
    std::vector<Byte> calc;  // calculated fields: a null flag and the value at each field's offset
  };
  static Buf* B(Byte* p) { return reinterpret_cast<Buf*>(p); }
  static const Buf* B(const Byte* p) { return reinterpret_cast<const Buf*>(p); }

  Byte* AllocRecordBuffer() override { return reinterpret_cast<Byte*>(new Buf()); }
  void FreeRecordBuffer(Byte*& buffer) override { delete B(buffer); buffer = nullptr; }
  void GetBookmarkData(const Byte* buffer, void* data) const override { std::memcpy(data, &B(buffer)->recNo, 4); }
  TBookmarkFlag GetBookmarkFlag(const Byte* buffer) const override { return B(buffer)->flag; }
  void SetBookmarkFlag(Byte* buffer, TBookmarkFlag value) override { B(buffer)->flag = value; }
  void SetBookmarkData(Byte* buffer, const void* data) override { std::memcpy(&B(buffer)->recNo, data, 4); }

  TGetResult GetRecord(Byte* buffer, TGetMode mode, bool) override {
    Integer count = static_cast<Integer>(Rows.size());
    if (!FOpen || count == 0) return grEOF;
    for (;;) {
      if (mode == gmNext) { if (FPos > count) FPos = count + 1; else ++FPos; if (FPos > count) return grEOF; }
      if (mode == gmPrior) { if (FPos < 1) FPos = 0; else --FPos; if (FPos < 1) return grBOF; }
      if (FPos < 1 || FPos > count) return grError;
      if (FPos == FailAtRow) DatabaseError("read failed");
      Buf* b = B(buffer);
      b->rec = Rows[static_cast<size_t>(FPos - 1)];
      b->recNo = FPos;
      b->flag = bfCurrent;
      bool ok = !b->rec.deleted && (!Filtered() || DoFilterRecord(buffer));
      if (ok) {
        GetCalcFields(buffer);
        return grOK;
      }
      if (mode == gmCurrent) return grError;
    }
  }

  void InternalOpen() override {
    if (FailOpenSilently) Abort();
    if (OpenNothing) return;
    FOpen = true;
    FBookmarkSize = 4;
    FieldDefs().Update();
    CreateFields();
    BindFields(true);
    for (auto& r : Rows) Shape(r);
    FPos = 0;
  }
  void InternalClose() override {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    FOpen = false;
  }
  bool IsCursorOpen() const override { return FOpen; }
  void InternalFirst() override { FPos = 0; }
  void InternalLast() override { FPos = static_cast<Integer>(Rows.size()) + 1; }
  void InternalGotoBookmark(const void* bookmark) override { std::memcpy(&FPos, bookmark, 4); }
  void InternalSetToRecord(Byte* buffer) override {
    if (B(buffer)->flag != bfInserted) FPos = B(buffer)->recNo;
  }
  void InternalInitRecord(Byte* buffer) override {
    Buf* b = B(buffer);
    b->recNo = 0;
    b->rec = MemRecord();
    Shape(b->rec);
  }
  void InternalPost() override {
    Buf* b = B(ActiveBuffer());
    if (State() == dsEdit) {
      Rows[static_cast<size_t>(b->recNo - 1)] = b->rec;
    } else {
      Rows.push_back(b->rec);
      FPos = static_cast<Integer>(Rows.size());
    }
  }
  void InternalDelete() override {
    Rows[static_cast<size_t>(B(ActiveBuffer())->recNo - 1)].deleted = true;
  }
  void InternalAddRecord(const Byte* buffer, bool) override { Rows.push_back(B(buffer)->rec); }
  void InternalEdit() override {
    if (Locked) DatabaseError("Record locked.");
  }
  void InternalInitFieldDefs() override {}
  void ClearCalcFields(Byte* buffer) override { B(buffer)->calc.assign(static_cast<size_t>(FCalcFieldsSize), 0); }

 public:
  bool GetFieldData(TField* field, void* buffer) override {
    Byte* rec = GetActiveRecordBuffer();
    if (!rec) return false;
    if (field->FieldNo() < 0) {
      auto& calc = B(rec)->calc;
      size_t at = static_cast<size_t>(field->Offset());
      if (calc.size() < at + 1 + static_cast<size_t>(field->DataSize()) || calc[at] == 0) return false;
      if (buffer) std::memcpy(buffer, calc.data() + at + 1, static_cast<size_t>(field->DataSize()));
      return true;
    }
    if (field->FieldNo() == 0) return false;
    const auto& v = B(rec)->rec.values[static_cast<size_t>(field->FieldNo() - 1)];
    if (field->IsBlob()) return B(rec)->rec.blobs[static_cast<size_t>(field->FieldNo() - 1)].has_value();
    if (!v) return false;
    if (buffer) std::memcpy(buffer, v->data(), v->size());
    return true;
  }
  void SetFieldData(TField* field, const void* buffer) override {
    Byte* rec = GetActiveRecordBuffer();
    if (field->FieldNo() < 0) {
      auto& calc = B(rec)->calc;
      calc.resize(static_cast<size_t>(FCalcFieldsSize));
      size_t at = static_cast<size_t>(field->Offset());
      calc[at] = buffer ? 1 : 0;
      if (buffer) std::memcpy(calc.data() + at + 1, buffer, static_cast<size_t>(field->DataSize()));
      FieldChanged(field);
      return;
    }
    auto& v = B(rec)->rec.values[static_cast<size_t>(field->FieldNo() - 1)];
    if (!buffer) v.reset();
    else {
      const Byte* p = static_cast<const Byte*>(buffer);
      v = std::vector<Byte>(p, p + field->DataSize());
    }
    FieldChanged(field);
  }
  // The blob slot of the active record, for the engine's streams.
  std::optional<AnsiString>& BlobSlot(TField* field) {
    return B(GetActiveRecordBuffer())->rec.blobs[static_cast<size_t>(field->FieldNo() - 1)];
  }
  void BlobChanged(TField* field) { FieldChanged(field); }

 private:
  void Shape(MemRecord& r) const {
    r.values.resize(static_cast<size_t>(const_cast<TMemDataSet*>(this)->FieldDefs().Count()));
    r.blobs.resize(r.values.size());
  }
  bool FOpen = false;
  Integer FPos = 0;
};

// A blob stream over the active record's slot: reads a copy, and a write-mode stream stores its
// contents into the record when it is released.
class TMemBlobStream : public TMemoryStream {
 public:
  TMemBlobStream(TMemDataSet* ds, TField* field, TBlobStreamMode mode) : FDataSet(ds), FField(field), FMode(mode) {
    if (mode != bmWrite) {
      const auto& slot = ds->BlobSlot(field);
      if (slot && !slot->empty()) { Write(slot->data(), static_cast<Int64>(slot->size())); SetPosition(0); }
    }
  }
  ~TMemBlobStream() override {
    if (FMode == bmRead) return;
    AnsiString text(static_cast<size_t>(Size()), '\0');
    SetPosition(0);
    if (!text.empty()) Read(text.data(), static_cast<Int64>(text.size()));
    FDataSet->BlobSlot(FField) = text;
    FDataSet->BlobChanged(FField);
  }

 private:
  TMemDataSet* FDataSet;
  TField* FField;
  TBlobStreamMode FMode;
};

inline std::unique_ptr<TStream> TMemDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  if (!GetActiveRecordBuffer()) DatabaseError("Cannot perform this operation on an empty dataset");
  return std::make_unique<TMemBlobStream>(this, field, mode);
}

}  // namespace orv::test
