// Index cursor: positions after appends and edits, and key ranges from the current entry.
#include "dbf/DbfIdxCursor.h"
#include "dbf/DbfFile.h"

namespace orv {

void TIndexCursor::RecordAppended() {
  const Integer count = FIndex->Table().RecordCount();
  if (count > 0) FIndex->GotoRecord(count);
}

void TIndexCursor::RecordUpdated() {
  const Integer n = FIndex->CurrentRecNo();
  if (n > 0) FIndex->GotoRecord(n);
}

void TIndexCursor::StartRangeHere() {
  if (FIndex->CurrentRecNo() > 0) FIndex->SetLowBound(FIndex->CurrentKey());
}

void TIndexCursor::EndRangeHere() {
  if (FIndex->CurrentRecNo() > 0) FIndex->SetHighBound(FIndex->CurrentKey());
}

}  // namespace orv
