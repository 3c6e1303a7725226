// TDbfFile's record protocol between processes: value coding by field index, blank records, record
// locks for edits, the lock field, auto-increment counters and appending.
#include <algorithm>
#include <ctime>
#include "dbf/DbfFile.h"
#include "dbf/DbfLang.h"

namespace orv {

bool TDbfFile::DecodeFieldValue(Integer fieldIndex, TFieldType type, void* dest, const Byte* record) const {
  if (fieldIndex < 0 || static_cast<size_t>(fieldIndex) >= FFieldDefs.Count()) return false;
  return DecodeField(FFieldDefs.Item(static_cast<size_t>(fieldIndex)), type, dest, record);
}

void TDbfFile::EncodeFieldValue(Integer fieldIndex, TFieldType type, Byte* record, const void* src) const {
  if (fieldIndex < 0 || static_cast<size_t>(fieldIndex) >= FFieldDefs.Count()) return;
  EncodeField(FFieldDefs.Item(static_cast<size_t>(fieldIndex)), type, record, src);
}

void TDbfFile::BlankRecord(Byte* buffer) const {
  std::fill(buffer, buffer + RecordSize(), Byte{' '});
  for (size_t i = 0; i < FFieldDefs.Count(); ++i) {
    const TDbfFieldDef& def = FFieldDefs.Item(i);
    if (IsBinaryField(def)) std::fill(buffer + def.Offset(), buffer + def.Offset() + def.Size(), Byte{0});
    if (def.HasDefault) {
      const Byte* src = const_cast<TDbfFieldDef&>(def).DefaultBuf();
      std::copy(src, src + def.Size(), buffer + def.Offset());
    }
  }
}

void TDbfFile::FillLockField(Byte* record) const {
  if (!FHasLockField) return;
  Byte* f = record + FLockFieldOffset;
  PutLE16(f, static_cast<Word>(GetLE16(f) + 1));
  std::time_t now = std::time(nullptr);
  std::tm tm {};
  localtime_r(&now, &tm);
  f[2] = static_cast<Byte>(tm.tm_hour);
  f[3] = static_cast<Byte>(tm.tm_min);
  f[4] = static_cast<Byte>(tm.tm_sec);
  f[5] = static_cast<Byte>(tm.tm_year % 256);
  f[6] = static_cast<Byte>(tm.tm_mon + 1);
  f[7] = static_cast<Byte>(tm.tm_mday);
  std::fill(f + 8, f + FLockFieldSize, Byte{' '});
  const AnsiString& name = DbfGlobals().ComputerName();
  const Integer n = std::min<Integer>(FLockNameLength, static_cast<Integer>(name.size()));
  std::copy(name.begin(), name.begin() + n, f + 8);
}

void TDbfFile::LockRecord(Integer recNo, Byte* buffer) {
  if (!LockPage(recNo, false)) throw EDbfError(STRING_RECORD_LOCKED);
  // Fresh data for the edit; a record the file does not hold whole is blank beyond what was read.
  Integer got = ReadRecord(recNo, buffer);
  if (got < RecordSize()) std::fill(buffer + std::max(got, 0), buffer + RecordSize(), Byte{' '});
  std::copy(buffer, buffer + RecordSize(), FPrevRecord.begin());
  if (FHasLockField) {
    FillLockField(buffer);
    WriteRecord(recNo, buffer);
  }
}

void TDbfFile::UnlockRecord(Integer recNo, const Byte* buffer) {
  // A key another record holds in a distinct tag refuses the edit before anything is written;
  // the record stays locked for the edit in progress.
  for (auto& index : FIndexFiles)
    if (index->CanUpdateKeys(recNo, FPrevRecord.data(), buffer)) index->RaiseKeyViolation();
  bool indexFailed = false;
  for (auto& index : FIndexFiles)
    if (!index->UpdateKeys(recNo, FPrevRecord.data(), buffer)) indexFailed = true;
  // A record marked deleted by this edit leaves its distinct tags only now that it is written: a
  // delete refused before it (by its events, by a field check) leaves every index as it was.
  if (buffer[0] == '*' && FPrevRecord[0] != '*' && !RemoveIndexKeys(recNo, buffer)) indexFailed = true;
  WriteRecord(recNo, buffer);
  UnlockPage(recNo);
  if (WriteError() || indexFailed) {
    ResetWriteError();
    for (auto& index : FIndexFiles) index->ResetIndexWriteError();
    throw EDbfWriteError(indexFailed ? STRING_WRITE_INDEX_ERROR : STRING_WRITE_ERROR);
  }
}

bool TDbfFile::RemoveIndexKeys(Integer recNo, const Byte* record) {
  bool ok = true;
  for (auto& index : FIndexFiles)
    if (!index->RemoveDistinctKeys(recNo, record)) ok = false;
  return ok;
}

void TDbfFile::ApplyAutoInc(Byte* record) {
  if (!FHasAutoInc) return;
  const bool shared = NeedLocking();
  if (shared) LockPage(0, true);
  for (size_t i = 0; i < FFieldDefs.Count(); ++i) {
    TDbfFieldDef& def = FFieldDefs[i];
    if (def.NativeFieldType() != '+') continue;
    const Int64 position = 68 + 48 * static_cast<Int64>(def.DescriptorIndex()) + 42;
    LongWord value = def.AutoIncValue();
    if (shared) {
      Byte stored[4] = {};
      if (ReadAt(position, stored, 4) == 4) value = GetLE32(stored);
    }
    const std::int32_t asInt = static_cast<std::int32_t>(value);
    EncodeField(def, ftAutoInc, record, &asInt);
    def.SetAutoIncValue(value + 1);
    Byte next[4];
    PutLE32(next, value + 1);
    if (WriteAt(position, next, 4) != 4) SetWriteError();
    // The header buffer holds the counter too, so a later header write cannot put an old one back.
    if (position + 4 <= HeaderSize()) PutLE32(Header() + position, value + 1);
  }
  if (shared) UnlockPage(0);
}

void TDbfFile::RemoveKeysAfterFailure(Integer recNo, const Byte* record, bool& indexFailed) {
  for (auto& index : FIndexFiles) {
    if (!index->RemoveKeys(recNo, record) || index->IndexWriteError()) {
      index->ResetIndexWriteError();
      indexFailed = true;
    }
  }
}

// The count covers the new record and every record the file holds (held), so a count that fell
// short of the file (30 against 60 records) grows to the record written instead of by one. Where
// the count already covered the new record, another process may have counted itself in before
// writing its record further on: the places still locked for appends beyond the count are
// counted too.
LongWord TDbfFile::CountAfterAppend(LongWord before, Integer recNo, LongWord held) {
  LongWord count = std::max({before, static_cast<LongWord>(recNo), held});
  if (static_cast<LongWord>(recNo) <= before)
    while (count < 0x7FFFFFFE && PageLockedElsewhere(static_cast<Integer>(count + 1))) ++count;
  return count;
}

Integer TDbfFile::InsertRecord(Byte* record) {
  if (IsReadOnly() || !IsOpen()) throw EDbfWriteError(STRING_WRITE_ERROR);
  Integer n = RecordCount() + 1;
  for (;;) {
    // Record numbers stay below 2^31 and a lock call the system refuses ends the search.
    if (n <= 0 || n == 0x7FFFFFFF) throw EDbfWriteError(STRING_WRITE_ERROR);
    if (LockPage(n, false)) {
      // A record finished by another process since the count was taken is not free, although
      // its lock is. Its deletion flag tells: the file size cannot, since a record further on
      // may already be written while this one's owner is still at work.
      if (!NeedLocking()) break;
      Byte flag = 0;
      if (ReadAt(PagePosition(n), &flag, 1) != 1 || (flag != ' ' && flag != '*')) break;
      UnlockPage(n);
    } else if (LockCallFailed()) {
      throw EDbfWriteError(STRING_WRITE_ERROR);
    }
    ++n;
  }
  try {
    ApplyAutoInc(record);
  } catch (...) {
    UnlockPage(n);
    throw;
  }
  for (auto& index : FIndexFiles) {
    if (index->CanInsertKeys(n, record)) {
      UnlockPage(n);
      index->RaiseKeyViolation();
    }
  }
  for (size_t i = 0; i < FIndexFiles.size(); ++i) {
    if (!FIndexFiles[i]->InsertKeys(n, record)) {
      for (size_t j = 0; j <= i; ++j) FIndexFiles[j]->RemoveKeys(n, record);
      UnlockPage(n);
      throw EDbfWriteError(STRING_WRITE_INDEX_ERROR);
    }
  }
  // The count and the record are written under one header lock: the end-of-file mark that
  // another appender puts behind its count can then never land on this record.
  const bool shared = NeedLocking();
  Int64 size = -1;
  if (shared) {
    LockPage(0, true);
    size = RereadHeader();
    ApplyIntendedHeaderChanges();
  }
  const LongWord before = HeaderRecordCount();
  const Int64 firstRecord = PagePosition(1);
  const LongWord held = !shared ? static_cast<LongWord>(RecordCount())
                      : size <= firstRecord || RecordSize() <= 0 ? 0
                                            : static_cast<LongWord>(std::min<Int64>((size - firstRecord) / RecordSize(), 0x7FFFFFFE));
  const LongWord count = CountAfterAppend(before, n, held);
  PutLE32(Header() + 4, count);
  FillLockField(record);
  // The end-of-file mark goes behind the new count unless a record already stands there; when
  // this record is the last one, record and mark go out in one write.
  const Int64 recordEnd = PagePosition(n) + RecordSize();
  const Int64 markPosition = PagePosition(static_cast<Integer>(std::min<LongWord>(count, 0x7FFFFFFE) + 1));
  const Int64 sizeAfter = shared ? std::max(size, recordEnd) : -1;
  const bool markWanted = !shared || sizeAfter <= markPosition + 1;
  const bool markWithRecord = markWanted && markPosition == recordEnd;
  if (markWithRecord) {
    FAppendBuffer.assign(record, record + RecordSize());
    FAppendBuffer.push_back(0x1A);
    WritePage(n, FAppendBuffer.data(), RecordSize() + 1);
  } else {
    WriteRecord(n, record);
  }
  const bool recordWritten = !WriteError();
  if (recordWritten) {
    WriteDbfHeaderWith(markWanted && !markWithRecord, sizeAfter);
  } else {
    PutLE32(Header() + 4, before);
    WriteDbfHeader();
  }
  if (shared) UnlockPage(0);
  UnlockPage(n);
  if (recordWritten && !WriteError()) return n;
  bool indexFailed = false;
  RemoveKeysAfterFailure(n, record, indexFailed);
  ResetWriteError();
  UnlockPage(n);
  throw EDbfWriteError(indexFailed ? STRING_WRITE_INDEX_ERROR : STRING_WRITE_ERROR);
}

}  // namespace orv
