// TDbfTable: key ranges over the current index, searches by key, locating records by field
// values, and the detail's range that follows its master's record.
#include <algorithm>
#include <cstring>
#include "dbf/DbfFile.h"
#include "dbf/DbfIdxCursor.h"
#include "dbf/DbfTable.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

bool Answers(int r, int searchType) {
  switch (searchType) {
    case 0: return r == 0;
    case 1: return r <= 0;
    default: return r < 0;
  }
}

// A field against a located value given as text: strings by their text (a prefix of the last
// field for a partial key), other types by value.
bool LocateFieldMatches(TField* field, const AnsiString& value, TLocateOptions options, bool last) {
  if (field->DataType() != ftString && field->DataType() != ftFixedChar && !field->IsBlob()) {
    if (value.empty()) return field->IsNull();
    if (field->IsNull()) return false;
    switch (field->DataType()) {
      case ftSmallint: case ftWord: case ftInteger: case ftAutoInc: case ftLargeint: case ftFloat:
      case ftCurrency: case ftBCD: {
        double v;
        return TryStrToFloat(Trim(value), v) && field->AsFloat() == v;
      }
      case ftBoolean: {
        const AnsiString t = UpperCase(Trim(value));
        return field->AsBoolean() == (t == "TRUE" || t == "T" || t == "1" || t == "Y");
      }
      default: return field->AsString() == value;
    }
  }
  const AnsiString text = field->AsString();
  const bool noCase = options.Contains(loCaseInsensitive);
  auto same = [noCase](std::string_view a, std::string_view b) { return noCase ? AnsiCompareText(a, b) == 0 : a == b; };
  if (same(text, value)) return true;
  if (last && options.Contains(loPartialKey) && value.size() < text.size()) {
    if (value.empty()) return true;
    return same(std::string_view(text).substr(0, value.size()), value);
  }
  return false;
}

}  // namespace

TIndexCursor* TDbfTable::IndexCursor() const { return dynamic_cast<TIndexCursor*>(FCursor.get()); }

std::vector<Byte> TDbfTable::SearchKeyOf(const TIndexCursor& cursor, const TDbfKeyValue& value) {
  if (value.Kind != TDbfKeyValue::kvText) return cursor.ValueToKey(value);
  // Stored keys hold the table's code page, as the record does.
  return cursor.ValueToKey(TDbfKeyValue(Translate(value.Text, true)));
}

std::vector<Byte> TDbfTable::ScratchBuffer() const {
  return std::vector<Byte>(static_cast<size_t>(RecordSize()) + 8 + static_cast<size_t>(std::max(FCalcFieldsSize, 0)));
}

void TDbfTable::RestoreCursor() {
  CursorPosChanged();
  if (ActiveBuffer()) UpdateCursorPos();
  else if (FCursor) FCursor->First();
}

// --- ranges ---

void TDbfTable::ApplyKeyRange(const TDbfKeyValue& low, const TDbfKeyValue& high) {
  TIndexCursor* cursor = IndexCursor();
  if (!cursor) return;
  const std::vector<Byte> lowKey = SearchKeyOf(*cursor, low);
  const std::vector<Byte> highKey = SearchKeyOf(*cursor, high);
  if (lowKey.empty() || highKey.empty()) cursor->SetEmptyRange();
  else cursor->SetRange(lowKey.data(), highKey.data());
}

void TDbfTable::SetKeyRange(const TDbfKeyValue& low, const TDbfKeyValue& high) {
  if (!IndexCursor()) return;
  CheckBrowseMode();
  ApplyKeyRange(low, high);
  First();
}

void TDbfTable::CancelRange() {
  TIndexCursor* cursor = IndexCursor();
  if (!cursor) return;
  CheckBrowseMode();
  RestoreCursor();
  cursor->DropRange();
  CursorPosChanged();
  Resync({});
}

// --- master and detail ---

void TDbfTable::ApplyMasterRange() {
  if (!FMasterLink->Active() || !FMasterLink->Compiled()) return;
  // Without a master record the detail has no records of its own.
  const TDbfKeyValue key = FMasterLink->MasterKeyValue();
  ApplyKeyRange(key, key);
}

void TDbfTable::MasterChanged() {
  CheckBrowseMode();
  if (!IndexCursor() || !FMasterLink->Active() || !FMasterLink->Compiled()) return;
  const TDbfKeyValue key = FMasterLink->MasterKeyValue();
  SetKeyRange(key, key);
}

void TDbfTable::MasterDisabled() {
  if (!IndexCursor()) return;
  CancelRange();
  Refresh();
}

// --- searches by key ---

// From the entry a search reached, on to the first one whose record is shown while the entries
// still answer the search.
bool TDbfTable::FindAnswer(TIndexCursor& cursor, const std::vector<Byte>& key, int searchType) {
  if (!cursor.FindByKey(key.data(), searchType)) return false;
  std::vector<Byte> scratch = ScratchBuffer();
  for (;;) {
    if (!Answers(cursor.CompareKey(key.data()), searchType)) return false;
    if (GetRecord(scratch.data(), gmCurrent, false) == grOK) return true;
    if (!cursor.Next()) return false;
  }
}

bool TDbfTable::SearchKey(const std::vector<Byte>& key, int searchType) {
  TIndexCursor* cursor = IndexCursor();
  if (!cursor) return false;
  CheckBrowseMode();
  if (key.size() < static_cast<size_t>(cursor->KeyLength()) || searchType < 0 || searchType > 2) return false;
  DoBeforeScroll();
  UpdateCursorPos();
  bool found;
  try {
    found = FindAnswer(*cursor, key, searchType);
  } catch (...) {
    try {
      RestoreCursor();
    } catch (...) {
      // The first failure is the one to report.
    }
    throw;
  }
  if (!found) {
    RestoreCursor();
    return false;
  }
  CursorPosChanged();
  Resync({rmExact, rmCenter});
  DoAfterScroll();
  return true;
}

bool TDbfTable::SearchKeyValue(const TDbfKeyValue& value, bool partial) {
  TIndexCursor* cursor = IndexCursor();
  if (!cursor || value.IsNull()) return false;
  const std::vector<Byte> key = SearchKeyOf(*cursor, value);
  if (key.empty()) return false;
  return SearchKey(key, partial ? 1 : 0);
}

// --- locating ---

// Through the index whose expression is the located field list: the entries whose key text
// holds the value (over the value's length for a partial one), in key order. Keys that a locale
// merely ranks alike (punctuation, for one) are passed over.
bool TDbfTable::LocateByKey(TIndexCursor& cursor, const AnsiString& value, bool partial) {
  const Integer keyLength = cursor.KeyLength();
  TIndexFile& index = *cursor.IndexFile();
  const bool numeric = index.KeyType() == 'N';
  const AnsiString text = numeric ? value : Translate(value, true);
  // A key cannot hold a longer text, so no key holds it.
  if (!numeric && text.size() > static_cast<size_t>(keyLength)) return false;
  const std::vector<Byte> key = numeric ? cursor.ValueToKey(TDbfKeyValue(value)) : index.TextToKey(text);
  if (key.empty()) return false;
  partial = partial && !numeric;
  if (!cursor.FindByKey(key.data(), partial ? 1 : 0)) return false;
  std::vector<Byte> scratch = ScratchBuffer();
  for (;;) {
    if (cursor.GetPhysicalRecNo() <= 0) return false;
    const Byte* entry = index.CurrentKey();
    bool holds;
    if (partial) {
      const std::vector<Byte> prefix = index.TextToKey(std::string_view(reinterpret_cast<const char*>(entry), text.size()));
      if (index.CompareKeys(prefix.data(), key.data()) > 0) return false;
      holds = std::memcmp(entry, text.data(), text.size()) == 0;
    } else {
      if (cursor.CompareKey(key.data()) != 0) return false;
      holds = numeric || std::memcmp(entry, key.data(), static_cast<size_t>(keyLength)) == 0;
    }
    if (holds && GetRecord(scratch.data(), gmCurrent, false) == grOK) return true;
    if (!cursor.Next()) return false;
  }
}

bool TDbfTable::FieldsMatch(Byte* buffer, const std::vector<TField*>& fields, const std::vector<AnsiString>& values,
                            TLocateOptions options) {
  // The fields read the candidate record as they do while filtering.
  Byte* saved = FFilterBuffer;
  FFilterBuffer = buffer;
  const TDataSetState state = SetTempState(dsFilter);
  bool match = true;
  try {
    for (size_t i = 0; i < fields.size() && match; ++i)
      match = LocateFieldMatches(fields[i], values[i], options, i + 1 == fields.size());
  } catch (...) {
    RestoreState(state);
    FFilterBuffer = saved;
    throw;
  }
  RestoreState(state);
  FFilterBuffer = saved;
  return match;
}

bool TDbfTable::LocateByScan(const std::vector<TField*>& fields, const std::vector<AnsiString>& values,
                             TLocateOptions options) {
  std::vector<Byte> scratch = ScratchBuffer();
  FCursor->First();
  while (GetRecord(scratch.data(), gmNext, false) == grOK)
    if (FieldsMatch(scratch.data(), fields, values, options)) return true;
  return false;
}

bool TDbfTable::LocateRecord(const AnsiString& keyFields, const std::vector<AnsiString>& keyValues,
                             TLocateOptions options) {
  CheckBrowseMode();
  TIndexCursor* cursor = IndexCursor();
  const bool partial = options.Contains(loPartialKey);
  // The index compares texts with their case; a search that ignores it reads the records.
  const bool byKey = cursor && keyValues.size() == 1 && !options.Contains(loCaseInsensitive) &&
                     !(partial && keyValues[0].empty()) && cursor->IndexFile()->Expression() == keyFields;
  std::vector<TField*> fields;
  if (!byKey) {
    fields = GetFieldList(keyFields);
    if (fields.empty() || fields.size() != keyValues.size()) return false;
  }
  DoBeforeScroll();
  DisableControls();
  bool found;
  try {
    UpdateCursorPos();
    found = byKey ? LocateByKey(*cursor, keyValues[0], partial) : LocateByScan(fields, keyValues, options);
    if (found) {
      CursorPosChanged();
      Resync({rmExact, rmCenter});
    } else {
      RestoreCursor();
    }
  } catch (...) {
    try {
      RestoreCursor();
    } catch (...) {
      // The first failure is the one to report.
    }
    EnableControls();
    throw;
  }
  EnableControls();
  if (found) DoAfterScroll();
  return found;
}

}  // namespace orv
