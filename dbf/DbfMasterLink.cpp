// The master link: compiling the master expression and telling the detail of master changes.
#include "dbf/DbfMasterLink.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include "dbf/DbfParser.h"
#include "dbf/DbfTable.h"

namespace orv {

TDbfMasterLink::TDbfMasterLink(TDbfTable* detail) : FDetail(detail) {}

TDbfMasterLink::~TDbfMasterLink() = default;

void TDbfMasterLink::SetFieldNames(const AnsiString& text) {
  if (text == FFieldNames) return;
  FFieldNames = text;
  ActiveChanged();
}

void TDbfMasterLink::ActiveChanged() {
  auto* master = dynamic_cast<TDbfTable*>(DataSet());
  FCompiled = false;
  if (Active() && !FFieldNames.empty() && master && master->DbfFile()) {
    FParser = std::make_unique<TDbfParser>(master->DbfFile());
    FParser->PrepareExpression(FFieldNames);
    FCompiled = true;
  } else {
    FParser.reset();
  }
  if (FDetail->Active() && !FDetail->ComponentState().Contains(csDestroying)) {
    if (Active()) {
      if (OnMasterChange) OnMasterChange();
    } else if (OnMasterDisable) {
      OnMasterDisable();
    }
  }
}

void TDbfMasterLink::RecordChanged(TField*) {
  if (DataSet() && DataSet()->State() != dsSetKey && FDetail->Active() && OnMasterChange) OnMasterChange();
}

void TDbfMasterLink::CheckBrowseMode() {
  if (FDetail->Active()) FDetail->CheckBrowseMode();
}

const Byte* TDbfMasterLink::MasterKey() {
  auto* master = dynamic_cast<TDbfTable*>(DataSet());
  if (!FCompiled || !master) return nullptr;
  const Byte* record = master->ActiveRecordData();
  return record ? FParser->EvaluateRecord(record) : nullptr;
}

TDbfKeyValue TDbfMasterLink::MasterKeyValue() {
  auto* master = dynamic_cast<TDbfTable*>(DataSet());
  const Byte* result = MasterKey();
  if (!result) return {};
  switch (FParser->GetResultType()) {
    case exString: {
      // A lone field is read in place, without a terminating zero.
      const Integer avail = std::max<Integer>(FParser->ResultLength(), 0);
      Integer n = 0;
      while (n < avail && result[n] != 0) ++n;
      return master->Translate(AnsiString(reinterpret_cast<const char*>(result), static_cast<size_t>(n)), false);
    }
    case exInteger: {
      std::int32_t v;
      std::memcpy(&v, result, sizeof v);
      return static_cast<double>(v);
    }
    case exLargeInt: {
      std::int64_t v;
      std::memcpy(&v, result, sizeof v);
      return static_cast<double>(v);
    }
    case exFloat: {
      double v;
      std::memcpy(&v, result, sizeof v);
      return v;
    }
    default: return {};
  }
}

}  // namespace orv
