// TDataSet: fields and their binding, inserting, editing, posting, cancelling, deleting, refreshing,
// filtering and locating.
#include <algorithm>
#include <cmath>
#include "platform/db/DB.h"
#include "platform/db/DataSource.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

// --- fields ---

void TDataSet::CreateFields() {
  if (FFields->Count() > 0) {
    FDefaultFields = false;
    return;
  }
  FDefaultFields = true;
  for (Integer i = 0; i < FFieldDefs->Count(); ++i) {
    TFieldDef* def = FFieldDefs->Items(i);
    if (def->DataType() != ftUnknown) def->CreateField(this);
  }
}

void TDataSet::BindFields(bool binding) {
  FCalcFieldsSize = 0;
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (!binding) {
      if (f->FieldKind() == fkData) f->SetFieldNo(0);
      continue;
    }
    if (f->FieldKind() == fkData) {
      TFieldDef* def = FFieldDefs->Find(f->FieldName());
      if (!def) DatabaseError(Format("Field '%s' not found", {f->FieldName()}));
      if (def->DataType() != f->DataType() && !(IsBlobType(def->DataType()) && f->IsBlob()))
        DatabaseError(Format("Type mismatch for field '%s'", {f->FieldName()}));
      f->SetFieldNo(def->FieldNo());
    } else {
      f->SetFieldNo(-(i + 1));
      f->FOffset = FCalcFieldsSize;
      FCalcFieldsSize += f->DataSize() + 1;
    }
  }
}

void TDataSet::DestroyFields() {
  FFields->Clear();
  FDefaultFields = false;
}

void TDataSet::CalculateFields(Byte*) {
  if (OnCalcFields) OnCalcFields(this);
}

void TDataSet::GetCalcFields(Byte* buffer) {
  if (FCalcFieldsSize == 0 && !OnCalcFields) return;
  Byte* saved = FCalcBuffer;
  FCalcBuffer = buffer;
  TDataSetState s = SetTempState(dsCalcFields);
  try {
    if (FCalcFieldsSize > 0) ClearCalcFields(buffer);
    CalculateFields(buffer);
  } catch (...) {
    RestoreState(s);
    FCalcBuffer = saved;
    throw;
  }
  RestoreState(s);
  FCalcBuffer = saved;
}

bool TDataSet::DoFilterRecord(Byte* buffer) {
  bool accept = true;
  if (!OnFilterRecord) return accept;
  Byte* saved = FFilterBuffer;
  FFilterBuffer = buffer;
  TDataSetState s = SetTempState(dsFilter);
  try {
    OnFilterRecord(this, accept);
  } catch (...) {
    RestoreState(s);
    FFilterBuffer = saved;
    throw;
  }
  RestoreState(s);
  FFilterBuffer = saved;
  return accept;
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* field, TBlobStreamMode) {
  DatabaseError(Format("Field '%s' has no blob stream", {field ? field->FieldName() : AnsiString()}));
}

void TDataSet::InternalHandleException() {}

// --- editing ---

void TDataSet::CheckOperation(void (TDataSet::*op)(), const TDataSetErrorEvent& onError) {
  for (;;) {
    try {
      UpdateCursorPos();
      (this->*op)();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (onError) onError(this, e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
}

void TDataSet::InitRecord(Byte* buffer) {
  InternalInitRecord(buffer);
  ClearCalcFields(buffer);
  SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
  DoNotify(BeforeInsert);
  DoNotify(BeforeScroll);
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoNotify(OnNewRecord);
  } catch (...) {
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync({});
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange);
  DoNotify(AfterInsert);
  DoNotify(AfterScroll);
}

void TDataSet::Insert() {
  BeginInsertAppend();
  UpdateCursorPos();
  InternalInsert();
  // The new buffer takes the active record's place; the records from there shift down one, and
  // with a full ring the last of them falls out.
  if (FRecordCount == 0) FActiveRecord = 0;
  Integer last = FRecordCount;
  std::rotate(FBuffers.begin() + FActiveRecord, FBuffers.begin() + last, FBuffers.begin() + last + 1);
  Byte* buffer = FBuffers[static_cast<size_t>(FActiveRecord)];
  InitRecord(buffer);
  if (FRecordCount == 0) SetBookmarkFlag(buffer, bfBOF);
  if (FRecordCount < FBufferCount) ++FRecordCount;
  SetBookmarkFlag(buffer, bfInserted);
  FCurrentRecord = -1;
  FBOF = FEOF = false;
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  InternalLast();
  Byte* buffer = FBuffers[0];
  InitRecord(buffer);
  SetBookmarkFlag(buffer, bfEOF);
  FRecordCount = 1;
  FCurrentRecord = 0;
  FBOF = false;
  GetPriorRecords();
  FActiveRecord = FRecordCount - 1;
  SetBookmarkFlag(FBuffers[static_cast<size_t>(FActiveRecord)], bfInserted);
  FCurrentRecord = -1;
  FEOF = true;
  EndInsertAppend();
}

void TDataSet::Edit() {
  if (FState == dsEdit || FState == dsInsert) return;
  CheckActive();
  if (FState != dsBrowse) CheckBrowseMode();
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
  if (FRecordCount == 0) {
    Insert();
    return;
  }
  DoNotify(BeforeEdit);
  CheckOperation(&TDataSet::DoInternalEdit, OnEditError);
  GetCalcFields(FBuffers[static_cast<size_t>(FActiveRecord)]);
  SetState(dsEdit);
  DataEvent(deRecordChange);
  DoNotify(AfterEdit);
}

void TDataSet::CheckRequiredFields() {
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull())
      DatabaseError(Format("Field '%s' must have a value", {f->DisplayLabel()}));
  }
}

void TDataSet::Post() {
  DataEvent(deUpdateRecord);
  if (FState != dsEdit && FState != dsInsert) {
    if (FState == dsSetKey) { SetState(dsBrowse); return; }
    DatabaseError("Dataset not in edit or insert mode");
  }
  DataEvent(deCheckBrowseMode);
  DoNotify(BeforePost);
  CheckOperation(&TDataSet::DoInternalPost, OnPostError);
  SetState(dsBrowse);
  Resync({});
  DoNotify(AfterPost);
}

void TDataSet::Cancel() {
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode);
  DoNotify(BeforeCancel);
  bool wasInsert = FState == dsInsert;
  UpdateCursorPos();
  InternalCancel();
  if (wasInsert) CursorPosChanged();
  SetState(dsBrowse);
  Resync({});
  DoNotify(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert) {
    Cancel();
    return;
  }
  if (FRecordCount == 0) DatabaseError("Cannot perform this operation on an empty dataset");
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
  DataEvent(deCheckBrowseMode);
  DoNotify(BeforeDelete);
  DoNotify(BeforeScroll);
  CheckOperation(&TDataSet::DoInternalDelete, OnDeleteError);
  if (FState != dsBrowse) SetState(dsBrowse);
  Resync({});
  DoNotify(AfterDelete);
  DoNotify(AfterScroll);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  UpdateCursorPos();
  InternalRefresh();
  Resync({});
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  switch (FState) {
    case dsEdit: case dsInsert:
      DataEvent(deUpdateRecord);
      if (FModified) Post(); else Cancel();
      break;
    case dsSetKey: Post(); break;
    default: break;
  }
}

// --- filtering ---

void TDataSet::SetFilterText(const AnsiString& value) {
  if (value == FFilterText) return;
  FFilterText = value;
  if (Active() && FFiltered) First();
}

void TDataSet::SetFiltered(bool value) {
  if (value == FFiltered) return;
  if (Active()) CheckBrowseMode();
  FFiltered = value;
  if (Active()) First();
}

void TDataSet::SetFilterOptions(TFilterOptions value) {
  if (value == FFilterOptions) return;
  FFilterOptions = value;
  if (Active() && FFiltered) First();
}

// --- locating ---

bool TDataSet::FieldMatches(TField* field, const AnsiString& value, TLocateOptions options, bool last) {
  if (field->DataType() != ftString && field->DataType() != ftFixedChar && !field->IsBlob()) {
    if (value.empty()) return field->IsNull();
    if (field->IsNull()) return false;
    switch (field->DataType()) {
      case ftSmallint: case ftWord: case ftInteger: case ftAutoInc: case ftLargeint: case ftFloat:
      case ftCurrency: {
        double v;
        return TryStrToFloat(Trim(value), v) && field->AsFloat() == v;
      }
      case ftBoolean: {
        AnsiString t = UpperCase(Trim(value));
        bool v = t == "TRUE" || t == "T" || t == "1" || t == "Y";
        return field->AsBoolean() == v;
      }
      default: return field->AsString() == value;
    }
  }
  AnsiString text = field->AsString();
  bool noCase = options.Contains(loCaseInsensitive);
  auto same = [noCase](std::string_view a, std::string_view b) {
    return noCase ? AnsiCompareText(a, b) == 0 : a == b;
  };
  if (same(text, value)) return true;
  if (last && options.Contains(loPartialKey) && value.size() < text.size()) {
    if (value.empty()) return true;
    return same(std::string_view(text).substr(0, value.size()), value);
  }
  return false;
}

std::vector<TField*> TDataSet::GetFieldList(const AnsiString& fieldNames) const {
  std::vector<TField*> fields;
  size_t start = 0;
  while (start <= fieldNames.size()) {
    size_t end = fieldNames.find(';', start);
    if (end == AnsiString::npos) end = fieldNames.size();
    AnsiString name = Trim(std::string_view(fieldNames).substr(start, end - start));
    if (!name.empty()) fields.push_back(FieldByName(name));
    start = end + 1;
  }
  return fields;
}

bool TDataSet::Locate(const AnsiString& keyFields, const std::vector<AnsiString>& keyValues,
                      TLocateOptions options) {
  CheckBrowseMode();
  std::vector<TField*> fields = GetFieldList(keyFields);
  if (fields.empty() || fields.size() != keyValues.size()) return false;
  TBookmark saved = GetBookmark();
  DisableControls();
  bool found = false;
  try {
    First();
    while (!Eof()) {
      found = true;
      for (size_t i = 0; i < fields.size() && found; ++i)
        found = FieldMatches(fields[i], keyValues[i], options, i + 1 == fields.size());
      if (found) break;
      Next();
    }
    if (!found && !saved.empty()) GotoBookmark(saved);
  } catch (...) {
    EnableControls();
    throw;
  }
  EnableControls();
  return found;
}

}  // namespace orv
