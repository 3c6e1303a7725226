// Index cursor: positions after appends and edits, key ranges and search keys from values.
#include "dbf/DbfIdxCursor.h"
#include "dbf/DbfFile.h"
#include "platform/rtl/SysUtils.h"

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

void TIndexCursor::SetRange(const Byte* low, const Byte* high) {
  FIndex->ClearBounds();
  FIndex->SetLowBound(low);
  FIndex->SetHighBound(high);
}

void TIndexCursor::SetEmptyRange() {
  FIndex->ClearBounds();
  FIndex->SetEmptyRange();
}

std::vector<Byte> TIndexCursor::ValueToKey(const TDbfKeyValue& value) const {
  if (value.IsNull() || FIndex->CurrentTag() < 0) return {};
  if (FIndex->KeyType() == 'N') {
    double number = value.Number;
    if (value.Kind == TDbfKeyValue::kvText && !TryStrToFloat(Trim(value.Text), number)) return {};
    return FIndex->ValueToKey(number);
  }
  return FIndex->TextToKey(value.Kind == TDbfKeyValue::kvText ? value.Text : FloatToStr(value.Number));
}

int TIndexCursor::CompareKey(const Byte* key) {
  if (FIndex->CurrentRecNo() <= 0) return 1;
  return FIndex->CompareKeys(key, FIndex->CurrentKey());
}

}  // namespace orv
