// TDataSet: opening and closing, the ring of record buffers, scrolling, bookmarks and data events.
#include <algorithm>
#include "platform/db/DB.h"
#include "platform/db/DataSource.h"
#include "platform/rtl/Format.h"

namespace orv {

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner), FFields(std::make_unique<TFields>(this)),
      FFieldDefs(std::make_unique<TFieldDefs>(this)) {}

TDataSet::~TDataSet() {
  // Engines close in their own destructors (their parts are gone by now); this only frees what
  // the framework itself holds.
  for (TDataSource* s : std::vector<TDataSource*>(FDataSources)) s->SetDataSet(nullptr);
  FreeBuffers();
}

void TDataSet::CheckActive() const {
  if (FState == dsInactive) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const {
  if (FState != dsInactive) DatabaseError("Cannot perform this operation on an open dataset");
}

void TDataSet::SetActive(bool value) {
  if (value == Active()) return;
  if (value) {
    DoNotify(BeforeOpen);
    OpenCursor();
    if (!IsCursorOpen()) return;
    DoNotify(AfterOpen);
    DoNotify(AfterScroll);
  } else {
    DoNotify(BeforeClose);
    CloseCursor();
    DoNotify(AfterClose);
  }
}

void TDataSet::OpenCursor() {
  FState = dsOpening;
  try {
    InternalOpen();
    if (!IsCursorOpen()) {
      FState = dsInactive;
      return;
    }
    FFieldDefs->SetUpdated(true);
    AllocBuffers(FBufferCount);
    FBOF = true;
    FEOF = false;
    FModified = false;
    // The ring is filled before anyone hears of the new state, so links that read it on
    // activation see the first records.
    FState = dsBrowse;
    ClearBuffers();
    InternalFirst();
    GetNextRecords();
    FBOF = true;
    FEOF = FRecordCount == 0;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
  } catch (...) {
    FState = dsInactive;
    FreeBuffers();
    if (IsCursorOpen()) {
      try { InternalClose(); } catch (...) {}
    }
    throw;
  }
}

void TDataSet::CloseCursor() {
  FState = dsInactive;
  FModified = false;
  FreeBuffers();
  InternalClose();
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBOF = FEOF = true;
  NotifySources(deUpdateState, nullptr, 0);
}

void TDataSet::SetState(TDataSetState value) {
  if (FState == value) return;
  FState = value;
  FModified = false;
  DataEvent(deUpdateState);
}

TDataSetState TDataSet::SetTempState(TDataSetState value) {
  TDataSetState saved = FState;
  FState = value;
  return saved;
}

void TDataSet::RestoreState(TDataSetState saved) { FState = saved; }

Byte* TDataSet::GetActiveRecordBuffer() const {
  switch (FState) {
    case dsBrowse: return FRecordCount > 0 ? FBuffers[static_cast<size_t>(FActiveRecord)] : nullptr;
    case dsEdit: case dsInsert: case dsNewValue: case dsSetKey:
      return FBuffers.empty() ? nullptr : FBuffers[static_cast<size_t>(FActiveRecord)];
    case dsCalcFields: case dsInternalCalc: return FCalcBuffer;
    case dsFilter: return FFilterBuffer;
    default: return nullptr;
  }
}

// --- buffers ---

void TDataSet::AllocBuffers(Integer count) {
  FreeBuffers();
  FBuffers.reserve(static_cast<size_t>(count) + 1);
  for (Integer i = 0; i <= count; ++i) FBuffers.push_back(AllocRecordBuffer());
  FBufferCount = count;
}

void TDataSet::FreeBuffers() {
  for (Byte*& b : FBuffers)
    if (b) FreeRecordBuffer(b);
  FBuffers.clear();
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
}

void TDataSet::SetBufferCount(Integer value) {
  if (value < 1) value = 1;
  if (value == FBufferCount && (!Active() || static_cast<Integer>(FBuffers.size()) == value + 1)) return;
  if (!Active() || FState == dsOpening) {
    FBufferCount = value;
    return;
  }
  CheckBrowseMode();
  UpdateCursorPos();
  AllocBuffers(value);
  Resync({});
}

void TDataSet::ClearBuffers() {
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBOF = FEOF = false;
}

void TDataSet::SetCurrentRecord(Integer index) {
  if (FCurrentRecord == index) return;
  Byte* buffer = FBuffers[static_cast<size_t>(index)];
  switch (GetBookmarkFlag(buffer)) {
    case bfCurrent: case bfInserted: InternalSetToRecord(buffer); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
  }
  FCurrentRecord = index;
}

void TDataSet::UpdateCursorPos() {
  if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

bool TDataSet::FetchInto(Byte* buffer, TGetMode mode) {
  // Whatever the outcome, the engine's cursor may have moved off the buffer it was set to: a
  // failed fetch must not leave the ring believing otherwise.
  TGetResult result;
  try {
    result = GetRecord(buffer, mode, true);
  } catch (...) {
    CursorPosChanged();
    throw;
  }
  if (result != grOK) {
    CursorPosChanged();
    return false;
  }
  return true;
}

bool TDataSet::GetNextRecord() {
  if (FRecordCount > 0) SetCurrentRecord(FRecordCount - 1);
  if (!FetchInto(FBuffers[static_cast<size_t>(FRecordCount)], gmNext)) return false;
  if (FRecordCount == FBufferCount) {
    std::rotate(FBuffers.begin(), FBuffers.begin() + 1, FBuffers.begin() + FBufferCount + 1);
    if (FActiveRecord > 0) --FActiveRecord;
  } else {
    ++FRecordCount;
  }
  FCurrentRecord = FRecordCount - 1;
  return true;
}

bool TDataSet::GetPriorRecord() {
  if (FRecordCount > 0) SetCurrentRecord(0);
  if (!FetchInto(FBuffers[static_cast<size_t>(FRecordCount)], gmPrior)) return false;
  std::rotate(FBuffers.begin(), FBuffers.begin() + FRecordCount, FBuffers.begin() + FRecordCount + 1);
  if (FRecordCount < FBufferCount) ++FRecordCount;
  if (FActiveRecord < FRecordCount - 1) ++FActiveRecord;
  FCurrentRecord = 0;
  return true;
}

void TDataSet::GetNextRecords() {
  while (FRecordCount < FBufferCount && GetNextRecord()) {}
}

void TDataSet::GetPriorRecords() {
  while (FRecordCount < FBufferCount && GetPriorRecord()) {}
}

void TDataSet::SetActiveRecordIndex(Integer index) {
  if (index >= 0 && index < FRecordCount) FActiveRecord = index;
}

// --- scrolling ---

void TDataSet::First() {
  CheckBrowseMode();
  DoNotify(BeforeScroll);
  ClearBuffers();
  try {
    InternalFirst();
    GetNextRecords();
  } catch (...) {
    FBOF = true;
    FEOF = FRecordCount == 0;
    DataEvent(deDataSetChange);
    throw;
  }
  FBOF = true;
  FEOF = FRecordCount == 0;
  DataEvent(deDataSetChange);
  DoNotify(AfterScroll);
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoNotify(BeforeScroll);
  ClearBuffers();
  try {
    InternalLast();
    GetPriorRecords();
  } catch (...) {
    FActiveRecord = FRecordCount > 0 ? FRecordCount - 1 : 0;
    FEOF = true;
    FBOF = FRecordCount == 0;
    DataEvent(deDataSetChange);
    throw;
  }
  FActiveRecord = FRecordCount > 0 ? FRecordCount - 1 : 0;
  FEOF = true;
  FBOF = FRecordCount == 0;
  DataEvent(deDataSetChange);
  DoNotify(AfterScroll);
}

Integer TDataSet::MoveBy(Integer distance) {
  CheckBrowseMode();
  Integer moved = 0;
  if ((distance > 0 && !FEOF) || (distance < 0 && !FBOF)) {
    DoNotify(BeforeScroll);
    FBOF = FEOF = false;
    // A move that only rotates a full ring is a scroll; one that filled more buffers changes
    // what the ring holds.
    const Integer priorCount = FRecordCount;
    try {
      while (distance > 0) {
        if (FActiveRecord < FRecordCount - 1) {
          ++FActiveRecord;
        } else if (GetNextRecord()) {
          FActiveRecord = FRecordCount - 1;
        } else {
          FEOF = true;
          break;
        }
        --distance;
        ++moved;
      }
      while (distance < 0) {
        if (FActiveRecord > 0) {
          --FActiveRecord;
        } else if (GetPriorRecord()) {
          FActiveRecord = 0;
        } else {
          FBOF = true;
          break;
        }
        ++distance;
        --moved;
      }
    } catch (...) {
      DataEvent(deDataSetChange);
      throw;
    }
    if (FRecordCount != priorCount) DataEvent(deDataSetChange);
    else DataEvent(deDataSetScroll, nullptr, moved);
    DoNotify(AfterScroll);
  }
  return moved;
}

void TDataSet::Resync(TResyncMode mode) {
  try {
    ResyncRing(mode);
  } catch (...) {
    CursorPosChanged();
    throw;
  }
}

void TDataSet::ResyncRing(TResyncMode mode) {
  Byte* spare = FBuffers[static_cast<size_t>(FRecordCount)];
  if (mode.Contains(rmExact)) {
    CursorPosChanged();
    if (GetRecord(spare, gmCurrent, false) != grOK) DatabaseError("Record not found");
  } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
             GetRecord(spare, gmPrior, false) != grOK) {
    ClearBuffers();
    FBOF = FEOF = true;
    DataEvent(deDataSetChange);
    return;
  }
  Integer before = mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : std::min(FActiveRecord, FBufferCount - 1);
  std::swap(FBuffers[0], FBuffers[static_cast<size_t>(FRecordCount)]);
  FRecordCount = 1;
  FActiveRecord = 0;
  FCurrentRecord = 0;
  FBOF = FEOF = false;
  while (FActiveRecord < before && GetPriorRecord()) {}
  GetNextRecords();
  DataEvent(deDataSetChange);
}

// --- bookmarks ---

TBookmark TDataSet::GetBookmark() const {
  if (!Active() || FRecordCount == 0 || FBookmarkSize <= 0) return TBookmark();
  Byte* buffer = FBuffers[static_cast<size_t>(FActiveRecord)];
  if (GetBookmarkFlag(buffer) != bfCurrent) return TBookmark();
  TBookmark bm(static_cast<size_t>(FBookmarkSize), '\0');
  GetBookmarkData(buffer, bm.data());
  return bm;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  CheckBrowseMode();
  if (static_cast<Integer>(bookmark.size()) != FBookmarkSize) DatabaseError("Record not found");
  DoNotify(BeforeScroll);
  InternalGotoBookmark(bookmark.data());
  Resync({rmExact, rmCenter});
  DoNotify(AfterScroll);
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

Integer TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
  return a < b ? -1 : (a == b ? 0 : 1);
}

// --- events ---

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisableState = FState;
    FDisabledPending = false;
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount == 0) {
    if (FState != FDisableState) NotifySources(deUpdateState, nullptr, 0);
    if (FState != dsInactive && FDisabledPending) NotifySources(deDataSetChange, nullptr, 0);
    FDisabledPending = false;
  }
}

void TDataSet::DataEvent(TDataEvent event, TField* field, Integer info) {
  if (event == deFieldChange && field) {
    if (field->FieldKind() == fkData && FState != dsSetKey) FModified = true;
    if (FState != dsSetKey && FState != dsCalcFields && FState != dsFilter) {
      Byte* buffer = GetActiveRecordBuffer();
      if (buffer && field->FieldKind() == fkData && OnCalcFields) GetCalcFields(buffer);
      if (field->OnChange) field->OnChange(field);
    }
  }
  if (FDisableCount > 0) {
    if (event != deUpdateState && event != deFieldChange && event != deUpdateRecord && event != deCheckBrowseMode)
      FDisabledPending = true;
    if (event == deUpdateRecord || event == deCheckBrowseMode) NotifySources(event, field, info);
    return;
  }
  NotifySources(event, field, info);
}

void TDataSet::FieldChanged(TField* field) {
  if (FState != dsCalcFields && FState != dsFilter && FState != dsNewValue) DataEvent(deFieldChange, field);
}

void TDataSet::NotifySources(TDataEvent event, TField* field, Integer info) {
  for (TDataSource* s : std::vector<TDataSource*>(FDataSources)) s->DataEvent(event, field, info);
}

void TDataSet::AddDataSource(TDataSource* source) {
  FDataSources.push_back(source);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* source) {
  FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), source), FDataSources.end());
  UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(TDataSource* source) const {
  while (source) {
    TDataSet* ds = source->DataSet();
    if (!ds) return false;
    if (ds == this) return true;
    source = ds->GetDataSource();
  }
  return false;
}

}  // namespace orv
