// Data sources and data links: how controls and detail data sets follow a data set's state,
// layout and current record.
#pragma once
#include <vector>
#include "platform/db/DB.h"

namespace orv {

class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return FDataSet; }
  // EDatabaseError "Circular datalinks are not allowed" when dataSet is linked back to this source.
  void SetDataSet(TDataSet* dataSet);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool value) { FAutoEdit = value; }
  // dsInactive without a data set or while disabled.
  TDataSetState State() const { return FState; }
  // Puts the data set into edit state when AutoEdit allows and it is browsing.
  void Edit();
  // True when dataSet, or a master reached from it, uses this source.
  bool IsLinkedTo(TDataSet* dataSet) const;

  std::function<void(TDataSource*)> OnStateChange;
  std::function<void(TDataSource*, TField*)> OnDataChange;
  std::function<void(TDataSource*)> OnUpdateData;

  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void DataEvent(TDataEvent event, TField* field, Integer info);
  void NotifyLinks(TDataEvent event, TField* field, Integer info);
  void NotifyDataLinks(TDataEvent event, TField* field, Integer info);
  void SetState(TDataSetState value);
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);
  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FLinks;
  bool FEnabled = true;
  bool FAutoEdit = true;
  TDataSetState FState = dsInactive;
};

// A link from a control (or a detail data set) to a data source. Overrides receive the changes.
class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
  // The source's data set is open and the source enabled.
  bool Active() const { return FActive; }
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  Integer BufferCount() const { return FBufferCount; }
  void SetBufferCount(Integer value);
  // Puts the data set into edit state (through the source's AutoEdit); false when it is not editing.
  bool Edit();
  // Collects the control's value into the record (before a post).
  void UpdateRecord();

 protected:
  virtual void ActiveChanged() {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(Integer distance) { (void)distance; DataSetChanged(); }
  virtual void RecordChanged(TField* field) { (void)field; }
  virtual void EditingChanged() {}
  virtual void UpdateData() {}
  virtual void CheckBrowseMode() {}
  virtual void FocusControl(TField*) {}

 private:
  friend class TDataSource;
  void DataEvent(TDataEvent event, TField* field, Integer info);
  void SetActive(bool value);
  void UpdateState();
  void SetEditing(bool value);
  TDataSource* FDataSource = nullptr;
  Integer FBufferCount = 1;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
};

}  // namespace orv
