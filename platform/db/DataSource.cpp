// TDataSource and TDataLink: passing a data set's events on to the links that follow it.
#include "platform/db/DataSource.h"
#include <algorithm>

namespace orv {

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  for (TDataLink* link : std::vector<TDataLink*>(FLinks)) link->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
  // A bounded walk: a chain that loops without reaching this source ends here as well.
  for (int depth = 0; dataSet && depth < 1000; ++depth) {
    TDataSource* source = dataSet->GetDataSource();
    if (!source) return false;
    if (source == this) return true;
    dataSet = source->DataSet();
  }
  return false;
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == FDataSet) return;
  if (dataSet && IsLinkedTo(dataSet)) DatabaseError("Circular datalinks are not allowed");
  if (FDataSet) {
    FDataSet->RemoveDataSource(this);
    RemoveFreeNotification(FDataSet);
  }
  FDataSet = dataSet;
  if (FDataSet) {
    FDataSet->AddDataSource(this);
    FreeNotification(FDataSet);
  }
  DataEvent(deUpdateState, nullptr, 0);
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FDataSet) {
    FDataSet->RemoveDataSource(this);
    FDataSet = nullptr;
    DataEvent(deUpdateState, nullptr, 0);
  }
}

void TDataSource::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  DataEvent(deUpdateState, nullptr, 0);
}

void TDataSource::Edit() {
  if (FAutoEdit && FDataSet && FState == dsBrowse) FDataSet->Edit();
}

void TDataSource::SetState(TDataSetState value) {
  if (FState == value) return;
  TDataSetState prior = FState;
  FState = value;
  bool wasActive = prior != dsInactive;
  for (TDataLink* link : std::vector<TDataLink*>(FLinks)) {
    if (wasActive != (value != dsInactive)) link->SetActive(value != dsInactive);
    link->UpdateState();
  }
  if (OnStateChange) OnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent event, TField* field, Integer info) {
  if (event == deUpdateState) {
    SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive);
    for (TDataLink* link : std::vector<TDataLink*>(FLinks)) link->UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  NotifyLinks(event, field, info);
  switch (event) {
    case deFieldChange: case deRecordChange: case deDataSetChange: case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(this, event == deFieldChange || event == deRecordChange ? field : nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default: break;
  }
}

void TDataSource::NotifyLinks(TDataEvent event, TField* field, Integer info) {
  for (TDataLink* link : std::vector<TDataLink*>(FLinks))
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->DataEvent(event, field, info);
}

void TDataSource::AddLink(TDataLink* link) {
  FLinks.push_back(link);
  if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink* link) {
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
  if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSet::UpdateBufferCount() {
  Integer wanted = 1;
  for (TDataSource* s : FDataSources)
    for (TDataLink* link : s->FLinks) wanted = std::max(wanted, link->BufferCount());
  if (wanted != FBufferCount) SetBufferCount(wanted);
}

// --- links ---

TDataLink::~TDataLink() {
  if (FDataSource) FDataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == FDataSource) return;
  if (FDataSource) FDataSource->RemoveLink(this);
  FDataSource = source;
  if (FDataSource) FDataSource->AddLink(this);
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  UpdateState();
}

void TDataLink::SetActive(bool value) {
  if (FActive == value) return;
  FActive = value;
  ActiveChanged();
}

void TDataLink::UpdateState() {
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  TDataSetState s = FDataSource ? FDataSource->State() : dsInactive;
  SetEditing((s == dsEdit || s == dsInsert || s == dsSetKey) && !FReadOnly);
}

void TDataLink::SetEditing(bool value) {
  if (FEditing == value) return;
  FEditing = value;
  EditingChanged();
}

void TDataLink::SetReadOnly(bool value) {
  if (FReadOnly == value) return;
  FReadOnly = value;
  UpdateState();
}

void TDataLink::SetBufferCount(Integer value) {
  if (value < 1) value = 1;
  if (FBufferCount == value) return;
  FBufferCount = value;
  if (TDataSet* ds = DataSet()) ds->UpdateBufferCount();
}

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  if (FUpdating) return;
  FUpdating = true;
  try {
    UpdateData();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

void TDataLink::DataEvent(TDataEvent event, TField* field, Integer info) {
  switch (event) {
    case deFieldChange: case deRecordChange:
      if (!FUpdating) RecordChanged(field);
      break;
    case deDataSetChange: DataSetChanged(); break;
    case deDataSetScroll: DataSetScrolled(info); break;
    case deLayoutChange: LayoutChanged(); break;
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(field); break;
    default: break;
  }
}

}  // namespace orv
