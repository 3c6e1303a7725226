// Streams over the memo and blob fields of a table: one shared stream per field that holds the
// memo of the active record as the application sees it, and the caller's reference to it.
#pragma once
#include <functional>
#include <memory>
#include "platform/db/DBTypes.h"
#include "platform/rtl/Streams.h"

namespace orv {

class TDbfFile;
class TField;
class TDbfTable;

// Text conversion towards the table's code page (toFile true) or from it.
using TBlobTranslator = std::function<AnsiString(const AnsiString& text, bool toFile)>;

class TDbfBlobStream : public TMemoryStream {
 public:
  // fieldIndex: the field's place among the table file's fields. translates: the contents are
  // text in the application's code page and cross to the table's code page whole.
  TDbfBlobStream(TDbfTable* owner, TField* field, Integer fieldIndex, bool translates);

  // Any change (also through a read/write stream) marks the stream modified.
  Int64 Write(const void* buffer, Int64 count) override;
  void SetSize(Int64 newSize) override;

  // Loads the memo that record names unless it is the one held (write mode empties instead).
  void Open(TBlobStreamMode mode, TDbfFile& file, const Byte* record, const TBlobTranslator& translate);
  // Stores the contents as a memo when modified and writes its block number into record; in
  // read/write mode the stream is first cut at its position.
  // EDbfWriteError (or the memo file's error) when it cannot be stored; the stream then stays
  // modified, so the post fails and can be retried.
  void Flush(TDbfFile& file, Byte* record, const TBlobTranslator& translate);
  // Forgets the contents and the block so that the next open reads the memo again.
  void Clear();

  TField* BlobField() const { return FBlobField; }
  TBlobStreamMode Mode() const { return FMode; }
  bool IsModified() const { return FIsModified; }
  Integer MemoBlock() const { return FMemoBlock; }
  Integer MemoSize() const { return FMemoSize; }
  // The table while it is open; none after it closed (references may outlive it).
  TDbfTable* Owner() const { return FOwner; }
  void Detach() { FOwner = nullptr; }

 private:
  void Replace(const AnsiString& data);

  TDbfTable* FOwner;
  TField* FBlobField;
  Integer FFieldIndex;
  bool FTranslates;
  TBlobStreamMode FMode = bmRead;
  bool FIsModified = false;
  Integer FMemoBlock = 0;
  Integer FMemoSize = 0;
};

// The caller's reference to a field's shared stream; freeing it in write mode sends the field's
// change notice.
class TDbfBlobStreamRef : public TStream {
 public:
  explicit TDbfBlobStreamRef(std::shared_ptr<TDbfBlobStream> stream);
  ~TDbfBlobStreamRef() override;
  Int64 Read(void* buffer, Int64 count) override { return FStream->Read(buffer, count); }
  Int64 Write(const void* buffer, Int64 count) override { return FStream->Write(buffer, count); }
  Int64 Seek(Int64 offset, TSeekOrigin origin) override { return FStream->Seek(offset, origin); }
  Int64 Size() override { return FStream->Size(); }
  void SetSize(Int64 newSize) override { FStream->SetSize(newSize); }
  TDbfBlobStream& Stream() const { return *FStream; }

 private:
  std::shared_ptr<TDbfBlobStream> FStream;
};

}  // namespace orv
