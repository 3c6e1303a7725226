// The master link: compiling the master expression and telling the detail of master changes.
#include "dbf/DbfMasterLink.h"
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

}  // namespace orv
