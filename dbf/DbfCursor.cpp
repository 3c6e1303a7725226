// The physical-order cursor's moves: it never leaves the range 0..count + 1.
#include "dbf/DbfCursor.h"

namespace orv {

Integer TDbfCursor::KnownRecordCount() {
  FKnownCount = File()->RecordCount();
  return FKnownCount;
}

bool TDbfCursor::Next() {
  if (FPosition >= 0 && FPosition < FKnownCount) {
    ++FPosition;
    return true;
  }
  const Integer count = KnownRecordCount();
  if (FPosition > count)
    FPosition = count + 1;
  else
    ++FPosition;
  return FPosition <= count;
}

bool TDbfCursor::Prev() {
  if (FPosition < 1)
    FPosition = 0;
  else
    --FPosition;
  return FPosition > 0;
}

void TDbfCursor::Last() {
  const Integer count = KnownRecordCount();
  FPosition = count == 0 ? 0 : count + 1;
}

}  // namespace orv
