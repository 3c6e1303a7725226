// Memo streams: loading a record's memo, storing changes at post, and the caller's references.
#include "dbf/DbfBlobStream.h"
#include "dbf/DbfFile.h"
#include "dbf/DbfTable.h"

namespace orv {

TDbfBlobStream::TDbfBlobStream(TDbfTable* owner, TField* field, Integer fieldIndex, bool translates)
    : FOwner(owner), FBlobField(field), FFieldIndex(fieldIndex), FTranslates(translates) {}

Int64 TDbfBlobStream::Write(const void* buffer, Int64 count) {
  FIsModified = true;
  return TMemoryStream::Write(buffer, count);
}

void TDbfBlobStream::SetSize(Int64 newSize) {
  FIsModified = true;
  TMemoryStream::SetSize(newSize);
}

void TDbfBlobStream::Replace(const AnsiString& data) {
  TMemoryStream::SetSize(0);
  Seek(0, soBeginning);
  if (!data.empty()) TMemoryStream::Write(data.data(), static_cast<Int64>(data.size()));
}

void TDbfBlobStream::Open(TBlobStreamMode mode, TDbfFile& file, const Byte* record, const TBlobTranslator& translate) {
  FMode = mode;
  std::int32_t block = 0;
  if (!record || !file.DecodeFieldValue(FFieldIndex, ftInteger, &block, record) || block < 0) block = 0;
  if (mode == bmWrite) {
    Replace({});
    FMemoSize = 0;
    FIsModified = true;
    FMemoBlock = block;
  } else if (FIsModified) {
    // A change not yet posted is what the record holds until the post or the cancel.
  } else if (block == 0) {
    Replace({});
    FMemoSize = 0;
    FMemoBlock = 0;
  } else if (block != FMemoBlock) {
    AnsiString data = file.MemoFile() ? file.MemoFile()->ReadMemo(block) : AnsiString();
    FMemoSize = static_cast<Integer>(data.size());
    // Whole, so that no double-byte character is split between two conversions.
    Replace(FTranslates && translate ? translate(data, false) : data);
    FMemoBlock = block;
  }
  Seek(0, soBeginning);
}

void TDbfBlobStream::Flush(TDbfFile& file, Byte* record, const TBlobTranslator& translate) {
  if (!FIsModified) return;
  // A stream opened for reading and writing ends where its position was left (what lay behind
  // it is cut off); one opened for writing keeps all it was given.
  if (FMode == bmReadWrite && Position() < TMemoryStream::Size()) TMemoryStream::SetSize(Position());
  AnsiString data(reinterpret_cast<const char*>(Memory()), static_cast<size_t>(TMemoryStream::Size()));
  const AnsiString stored = FTranslates && translate ? translate(data, true) : data;
  Integer block = FMemoBlock;
  if (!stored.empty()) {
    TMemoFile* memo = file.MemoFile();
    if (!memo) throw EDbfWriteError(STRING_WRITE_ERROR);
    memo->WriteMemo(block, FMemoSize, stored);
    std::int32_t value = block;
    file.EncodeFieldValue(FFieldIndex, ftInteger, record, &value);
  } else {
    block = 0;
    file.EncodeFieldValue(FFieldIndex, ftInteger, record, nullptr);
  }
  // The stream keeps the text as written, so reading it again needs no conversion back.
  FMemoBlock = block;
  FMemoSize = static_cast<Integer>(stored.size());
  FIsModified = false;
}

void TDbfBlobStream::Clear() {
  FIsModified = false;
  FMemoBlock = 0;
}

TDbfBlobStreamRef::TDbfBlobStreamRef(std::shared_ptr<TDbfBlobStream> stream) : FStream(std::move(stream)) {}

TDbfBlobStreamRef::~TDbfBlobStreamRef() {
  TDbfTable* owner = FStream->Owner();
  if (owner && FStream->Mode() != bmRead) {
    try {
      owner->BlobStreamReleased(FStream->BlobField());
    } catch (...) {
      // A notice handler's failure cannot leave a destructor; the change itself is kept.
    }
  }
}

}  // namespace orv
