// TIndexCursor: walks and positions a table in the order of an index file's current tag, with
// the interface of the physical cursor, plus key ranges and searches by key.
#pragma once
#include <vector>
#include "dbf/DbfCursor.h"
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfKeyValue.h"

namespace orv {

class TIndexCursor : public TVirtualCursor {
 public:
  // The index file is not owned and must outlive the cursor.
  explicit TIndexCursor(TIndexFile* index) : TVirtualCursor(index), FIndex(index) {}
  TIndexFile* IndexFile() const { return FIndex; }

  Integer GetPhysicalRecNo() override { return FIndex->CurrentRecNo(); }
  Integer GetSequentialRecNo() override { return FIndex->SequentialNo(); }
  Integer GetSequentialRecordCount() override { return FIndex->SequentialCount(); }
  void SetPhysicalRecNo(Integer n) override { FIndex->GotoRecord(n); }
  void SetSequentialRecNo(Integer n) override { FIndex->SetSequentialNo(n); }
  bool Next() override { return FIndex->GoNext(); }
  bool Prev() override { return FIndex->GoPrev(); }
  void First() override { FIndex->GoFirst(); }
  void Last() override { FIndex->GoLast(); }
  Integer GetBookmark() override { return FIndex->CurrentRecNo(); }
  void GotoBookmark(Integer bookmark) override { FIndex->SetToRecord(bookmark); }
  // The table file has already given the record its keys: the cursor only moves to it.
  void RecordAppended() override;
  // The record may have a new key and so a new place: it is found again by its number.
  void RecordUpdated() override;

  // Ranges bounded by the current entry's key.
  void StartRangeHere();
  void EndRangeHere();
  // The range of every entry whose key lies between low and high (both included, in the tag's
  // order), also of entries added later; both keys are KeyLength() bytes.
  void SetRange(const Byte* low, const Byte* high);
  void SetEmptyRange();
  void DropRange() { FIndex->ClearBounds(); }

  Integer KeyLength() const { return FIndex->KeyLength(); }
  std::vector<Byte> ValueToKey(double value) const { return FIndex->ValueToKey(value); }
  std::vector<Byte> ValueToKey(const AnsiString& text) const { return FIndex->ValueToKey(text); }
  // A search value as a key of the current tag; a text must already be in the table's code page.
  // A numeric tag reads a text as a number, a character tag takes a number's text. Empty when the
  // value makes no key (null, or a text that is no number for a numeric tag).
  std::vector<Byte> ValueToKey(const TDbfKeyValue& value) const;
  // Mode 0 equal, 1 at or after, 2 after, inside the range; a failed search leaves the cursor
  // where it was.
  bool FindByKey(const Byte* key, int mode) { return FIndex->FindByKey(key, mode); }
  // Compares a search key with the current entry's key in the tag's order (entry greater:
  // negative); 1 when the cursor is not on an entry of the range.
  int CompareKey(const Byte* key);

 private:
  TIndexFile* FIndex;
};

}  // namespace orv
