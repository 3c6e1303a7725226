// TDbfTable: record buffers, fetching with deleted and filtered records skipped, field values,
// editing with record locks, posting, deleting, bookmarks and blob streams.
#include <algorithm>
#include <cstring>
#include <exception>
#include "dbf/DbfFile.h"
#include "dbf/DbfIdxCursor.h"
#include "dbf/DbfParser.h"
#include "dbf/DbfTable.h"

namespace orv {

namespace {

Integer RecNoOf(const Byte* buffer) {
  std::int32_t n;
  std::memcpy(&n, buffer, sizeof n);
  return n;
}

void SetRecNoOf(Byte* buffer, Integer n) {
  std::int32_t v = n;
  std::memcpy(buffer, &v, sizeof v);
}

}  // namespace

Integer TDbfTable::RecordSize() const { return FDbfFile ? FDbfFile->RecordSize() : 0; }

// --- record buffers ---

Byte* TDbfTable::AllocRecordBuffer() {
  const size_t size = static_cast<size_t>(RecordSize()) + 8 + static_cast<size_t>(std::max(FCalcFieldsSize, 0));
  FRecordBuffers.push_back(std::make_unique<Byte[]>(size));
  return FRecordBuffers.back().get();
}

void TDbfTable::FreeRecordBuffer(Byte*& buffer) {
  auto it = std::find_if(FRecordBuffers.begin(), FRecordBuffers.end(),
                         [buffer](const std::unique_ptr<Byte[]>& b) { return b.get() == buffer; });
  if (it != FRecordBuffers.end()) FRecordBuffers.erase(it);
  buffer = nullptr;
}

void TDbfTable::GetBookmarkData(const Byte* buffer, void* data) const { std::memcpy(data, buffer, kRecordNoBytes); }
void TDbfTable::SetBookmarkData(Byte* buffer, const void* data) { std::memcpy(buffer, data, kRecordNoBytes); }
TBookmarkFlag TDbfTable::GetBookmarkFlag(const Byte* buffer) const { return static_cast<TBookmarkFlag>(buffer[4]); }
void TDbfTable::SetBookmarkFlag(Byte* buffer, TBookmarkFlag value) { buffer[4] = static_cast<Byte>(value); }

void TDbfTable::ClearCalcFields(Byte* buffer) {
  if (FCalcFieldsSize > 0)
    std::memset(buffer + kRecordDataOffset + RecordSize(), 0, static_cast<size_t>(FCalcFieldsSize));
}

void TDbfTable::InternalInitRecord(Byte* buffer) {
  SetRecNoOf(buffer, 0);
  buffer[4] = 0;
  FDbfFile->BlankRecord(buffer + kRecordDataOffset);
}

// --- the cursor ---

void TDbfTable::InternalFirst() {
  if (FCursor) FCursor->First();
}
void TDbfTable::InternalLast() {
  if (FCursor) FCursor->Last();
}

void TDbfTable::InternalGotoBookmark(const void* bookmark) {
  std::int32_t n;
  std::memcpy(&n, bookmark, sizeof n);
  if (FCursor) FCursor->GotoBookmark(n);
}

void TDbfTable::InternalSetToRecord(Byte* buffer) {
  if (FCursor && GetBookmarkFlag(buffer) != bfInserted) FCursor->GotoBookmark(RecNoOf(buffer));
}

// The file's count in every order: in key order the cursor's count is the tree's estimate of
// scroll positions, which full pages alone make exact.
Integer TDbfTable::RecordCount() const { return FDbfFile && FCursor ? FDbfFile->RecordCount() : 0; }

Integer TDbfTable::RecNo() const {
  Byte* buffer = ActiveBuffer();
  if (!FCursor || !buffer || GetBookmarkFlag(buffer) != bfCurrent) return 0;
  // Moving the cursor to the active record does not change what the data set shows.
  const_cast<TDbfTable*>(this)->UpdateCursorPos();
  return FCursor->GetSequentialRecNo();
}

void TDbfTable::SetRecNo(Integer value) {
  CheckActive();
  CheckBrowseMode();
  FCursor->SetSequentialRecNo(value);
  CursorPosChanged();
  Resync({});
}

Integer TDbfTable::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  const bool hasA = a.size() >= static_cast<size_t>(kRecordNoBytes);
  const bool hasB = b.size() >= static_cast<size_t>(kRecordNoBytes);
  if (hasA && hasB) {
    const Integer x = RecNoOf(reinterpret_cast<const Byte*>(a.data()));
    const Integer y = RecNoOf(reinterpret_cast<const Byte*>(b.data()));
    return x < y ? -1 : x > y ? 1 : 0;
  }
  if (hasA) return -1;
  if (hasB) return 1;
  return 0;
}

bool TDbfTable::BookmarkValid(const TBookmark& bookmark) {
  if (!FCursor || bookmark.size() != static_cast<size_t>(kRecordNoBytes)) return false;
  const Integer n = RecNoOf(reinterpret_cast<const Byte*>(bookmark.data()));
  // A bookmark is a physical record number in every order. Records are never removed, so only a
  // number past the count seen asks the file (another process may have appended since).
  if (n < 1) return false;
  if (n <= FKnownRecordCount) return true;
  FKnownRecordCount = std::max(FKnownRecordCount, FDbfFile->RecordCount());
  return n <= FKnownRecordCount;
}

// --- fetching ---

bool TDbfTable::RecordPassesFilter(Byte* buffer) {
  bool accept = true;
  if (!Filter().empty() && FParser) {
    const Byte* verdict = FParser->EvaluateRecord(buffer + kRecordDataOffset);
    accept = verdict && verdict[0] != 0;
  }
  if (accept && OnFilterRecord) accept = DoFilterRecord(buffer);
  return accept;
}

TGetResult TDbfTable::GetRecord(Byte* buffer, TGetMode mode, bool) {
  if (!FCursor || (FKnownRecordCount == 0 && (FKnownRecordCount = FDbfFile->RecordCount()) == 0)) {
    SetRecNoOf(buffer, -1);
    return grEOF;
  }
  Byte* record = buffer + kRecordDataOffset;
  TGetResult result = grOK;
  bool acceptable = true;
  do {
    acceptable = true;
    if (mode == gmNext) {
      acceptable = FCursor->Next();
      if (!acceptable) result = grEOF;
    } else if (mode == gmPrior) {
      acceptable = FCursor->Prev();
      if (!acceptable) result = grBOF;
    }
    if (result == grOK) {
      const Integer n = FCursor->GetPhysicalRecNo();
      // Records are never removed, so only a number past the count seen asks the file again.
      if (n > FKnownRecordCount) FKnownRecordCount = FDbfFile->RecordCount();
      if (n < 1 || n > FKnownRecordCount) {
        result = grError;
      } else if (FDbfFile->ReadRecord(n, record) != RecordSize()) {
        // Cut off behind the count that was just seen (another process truncated the file).
        result = grError;
      } else {
        acceptable = FShowDeleted || record[0] != '*';
      }
    }
    if (result == grOK && acceptable && Filtered()) acceptable = RecordPassesFilter(buffer);
    if (mode == gmCurrent && result == grOK && !acceptable) result = grError;
  } while (result == grOK && !acceptable);
  if (result != grOK) {
    SetRecNoOf(buffer, -1);
    return result;
  }
  ClearCalcFields(buffer);
  if (OnCalcFields) {
    Byte* saved = FCalcBuffer;
    FCalcBuffer = buffer;
    const TDataSetState s = SetTempState(dsCalcFields);
    try {
      CalculateFields(buffer);
    } catch (...) {
      RestoreState(s);
      FCalcBuffer = saved;
      throw;
    }
    RestoreState(s);
    FCalcBuffer = saved;
  }
  SetRecNoOf(buffer, FCursor->GetBookmark());
  SetBookmarkFlag(buffer, bfCurrent);
  return grOK;
}

// --- field values ---

Byte* TDbfTable::CurrentRecordBuffer() const { return GetActiveRecordBuffer(); }

bool TDbfTable::GetFieldData(TField* field, void* buffer) {
  Byte* record = CurrentRecordBuffer();
  if (!record || !FDbfFile) return false;
  if (field->FieldNo() > 0)
    return FDbfFile->DecodeFieldValue(field->FieldNo() - 1, field->DataType(), buffer, record + kRecordDataOffset);
  // A calculated value: a presence byte, then the value.
  const Byte* area = record + kRecordDataOffset + RecordSize() + field->Offset();
  if (buffer && area[0]) std::memcpy(buffer, area + 1, static_cast<size_t>(field->DataSize()));
  return area[0] != 0;
}

void TDbfTable::SetFieldData(TField* field, const void* buffer) {
  Byte* record = CurrentRecordBuffer();
  if (!record || !FDbfFile) DatabaseError("Dataset not in edit or insert mode");
  if (field->FieldNo() < 0) {
    Byte* area = record + kRecordDataOffset + RecordSize() + field->Offset();
    const size_t size = static_cast<size_t>(field->DataSize());
    area[0] = buffer ? 1 : 0;
    if (buffer)
      std::memcpy(area + 1, buffer, size);
    else
      std::memset(area + 1, 0, size);
  } else {
    FDbfFile->EncodeFieldValue(field->FieldNo() - 1, field->DataType(), record + kRecordDataOffset, buffer);
  }
  const TDataSetState s = State();
  if (s != dsCalcFields && s != dsFilter && s != dsNewValue) FieldChanged(field);
}

// --- editing ---

void TDbfTable::InternalEdit() {
  Byte* buffer = ActiveBuffer();
  const Integer recNo = RecNoOf(buffer);
  ClearBlobStreams(true);
  FDbfFile->LockRecord(recNo, buffer + kRecordDataOffset);
  FLockedRecNo = recNo;
}

void TDbfTable::InternalCancel() {
  ClearBlobStreams(false);
  if (FLockedRecNo > 0 && FDbfFile) {
    // The lock field was stamped into the file at the lock; the record goes back as it was.
    if (FDbfFile->HasLockField()) FDbfFile->WriteRecord(FLockedRecNo, FDbfFile->PrevRecord());
    FDbfFile->UnlockPage(FLockedRecNo);
  }
  FLockedRecNo = -1;
}

void TDbfTable::InternalPost() {
  Byte* buffer = ActiveBuffer();
  Byte* record = buffer + kRecordDataOffset;
  // A memo that cannot be stored fails the post before the record changes.
  FlushBlobStreams(record);
  if (State() == dsEdit) {
    const Integer recNo = FLockedRecNo;
    FDbfFile->UnlockRecord(recNo, record);
    FLockedRecNo = -1;
    auto* indexCursor = dynamic_cast<TIndexCursor*>(FCursor.get());
    if (FDeleting && indexCursor) {
      if (FDeleteNeighbour <= 0 || !indexCursor->IndexFile()->GotoRecord(FDeleteNeighbour)) indexCursor->First();
    } else {
      // A changed key moves the record in key order: the cursor follows it to its new place.
      FCursor->SetPhysicalRecNo(recNo);
    }
  } else {
    const Integer recNo = FDbfFile->InsertRecord(record);
    FCursor->SetPhysicalRecNo(recNo);
  }
}

void TDbfTable::InternalAddRecord(const Byte* buffer, bool) {
  std::vector<Byte> record(buffer + kRecordDataOffset, buffer + kRecordDataOffset + RecordSize());
  const Integer recNo = FDbfFile->InsertRecord(record.data());
  FCursor->SetPhysicalRecNo(recNo);
}

// A record is marked deleted through the framework's edit and post: it is locked and read afresh,
// and the edit and post events (their error events included) fire for it.
void TDbfTable::InternalDelete() {
  const Integer recNo = RecNoOf(ActiveBuffer());
  // In key order the record may lose its entry: the cursor then goes to the entry after it (or
  // before it at the end), where the data set shows the next record.
  Integer neighbour = 0;
  if (dynamic_cast<TIndexCursor*>(FCursor.get())) {
    FCursor->GotoBookmark(recNo);
    if (FCursor->Next()) neighbour = FCursor->GetPhysicalRecNo();
    else if (FCursor->GotoBookmark(recNo), FCursor->Prev()) neighbour = FCursor->GetPhysicalRecNo();
    CursorPosChanged();
  }
  FDeleteNeighbour = neighbour;
  FDeleting = true;
  try {
    Edit();
    // The table file takes the record's keys from its distinct tags when the post writes it.
    ActiveBuffer()[kRecordDataOffset] = '*';
    Post();
  } catch (...) {
    FDeleting = false;
    throw;
  }
  FDeleting = false;
  // The post showed the records around the deleted one; the cursor goes back to the one shown.
  UpdateCursorPos();
}

// Called while an exception is being handled: it goes to the application's handler, if there is one.
void TDbfTable::InternalHandleException() {
  const std::exception_ptr current = std::current_exception();
  if (!current || !ApplicationHandleException) return;
  try {
    std::rethrow_exception(current);
  } catch (const std::exception& e) {
    ApplicationHandleException(e);
  } catch (...) {
    // Not an exception of ours: there is nothing the handler could show.
  }
}

// --- blob streams ---

std::unique_ptr<TStream> TDbfTable::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  if (!FDbfFile || !field || field->FieldNo() < 1 || static_cast<size_t>(field->FieldNo()) > FBlobStreams.size())
    return TDataSet::CreateBlobStream(field, mode);
  const Integer index = field->FieldNo() - 1;
  auto& slot = FBlobStreams[static_cast<size_t>(index)];
  if (!slot)
    slot = std::make_shared<TDbfBlobStream>(this, field, index, field->DataType() == ftMemo && field->Transliterate());
  Byte* record = CurrentRecordBuffer();
  slot->Open(mode, *FDbfFile, record ? record + kRecordDataOffset : nullptr, BlobTranslator());
  return std::make_unique<TDbfBlobStreamRef>(slot);
}

void TDbfTable::BlobStreamReleased(TField* field) {
  const TDataSetState s = State();
  if (s != dsCalcFields && s != dsFilter && s != dsNewValue && s != dsInactive) FieldChanged(field);
}

void TDbfTable::FlushBlobStreams(Byte* record) {
  const TBlobTranslator translate = BlobTranslator();
  for (auto& stream : FBlobStreams)
    if (stream && stream->IsModified()) stream->Flush(*FDbfFile, record, translate);
}

void TDbfTable::ClearBlobStreams(bool keepModified) {
  for (auto& stream : FBlobStreams)
    if (stream && !(keepModified && stream->IsModified())) stream->Clear();
}

}  // namespace orv
