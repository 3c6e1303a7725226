// The data-set framework: TDataSet with its ring of record buffers, states, bookmarks, scrolling,
// editing and filtering over a record engine that derived classes supply.
#pragma once
#include <memory>
#include <vector>
#include "platform/db/DBErrors.h"
#include "platform/db/DBTypes.h"
#include "platform/db/Fields.h"

namespace orv {

class TDataSource;
class TDataLink;

// A data set walks the records of an engine through a ring of BufferCount record buffers (plus a
// spare one used while fetching). ActiveBuffer is the record the fields read and write. The engine
// (a derived class) allocates the buffers, fetches records into them, keeps its own cursor and
// stores posted records; the framework never looks inside a buffer except through the engine.
//
// An engine closes itself in its own destructor: by the time ~TDataSet runs the engine's
// overrides are gone, so the framework only frees its buffers and leaves its data sources.
class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;

  // Opening runs InternalOpen; an engine that opened nothing (IsCursorOpen false afterwards) leaves
  // the data set inactive without an error. An exception (EAbort included) closes it again and
  // propagates.
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Active() const { return FState != dsInactive; }
  void SetActive(bool value);
  TDataSetState State() const { return FState; }

  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Returns the distance actually moved; stops at the ends and sets Bof/Eof there.
  Integer MoveBy(Integer distance);
  bool Bof() const { return FBOF; }
  bool Eof() const { return FEOF; }
  bool IsEmpty() const { return Active() && FRecordCount == 0 && FState != dsInsert; }
  virtual Integer RecNo() const { return -1; }
  virtual void SetRecNo(Integer) {}
  virtual Integer RecordCount() const { return -1; }

  void Append();
  void Insert();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  void Refresh();
  // Posts a modified record in edit or insert state (cancels an unmodified one).
  void CheckBrowseMode();
  bool Modified() const { return FModified; }
  virtual bool CanModify() const { return true; }

  // Bookmarks: opaque bytes of BookmarkSize, the same bytes whenever the same record is current;
  // empty when there is no current record.
  TBookmark GetBookmark() const;
  // EDatabaseError "Record not found" when the engine cannot reach it.
  void GotoBookmark(const TBookmark& bookmark);
  virtual bool BookmarkValid(const TBookmark& bookmark);
  // Negative, zero or positive by engine order; an empty bookmark sorts first.
  virtual Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) const;
  Integer BookmarkSize() const { return FBookmarkSize; }

  // KeyFields separated by ';'; one value per field (as text). Moves to the first match; otherwise
  // stays where it was. Controls are disabled while searching.
  virtual bool Locate(const AnsiString& keyFields, const std::vector<AnsiString>& keyValues,
                      TLocateOptions options);

  TFields& Fields() { return *FFields; }
  const TFields& Fields() const { return *FFields; }
  TFieldDefs& FieldDefs() { return *FFieldDefs; }
  TField* FieldByName(std::string_view name) const { return FFields->FieldByName(name); }
  TField* FindField(std::string_view name) const { return FFields->FindField(name); }
  // The fields named in a ';'-separated list, in its order; EDatabaseError for an unknown name.
  std::vector<TField*> GetFieldList(const AnsiString& fieldNames) const;
  Integer FieldCount() const { return FFields->Count(); }
  bool DefaultFields() const { return FDefaultFields; }

  const AnsiString& Filter() const { return FFilterText; }
  virtual void SetFilterText(const AnsiString& value);
  bool Filtered() const { return FFiltered; }
  virtual void SetFiltered(bool value);
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  virtual void SetFilterOptions(TFilterOptions value);

  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount != 0; }

  // Number of record buffers the ring holds (at least 1); links ask for as many as they show.
  Integer BufferCount() const { return FBufferCount; }
  void SetBufferCount(Integer value);
  Integer ActiveRecord() const { return FActiveRecord; }
  // Number of filled buffers.
  Integer BufferedRecords() const { return FRecordCount; }
  // Moves the active record within the filled buffers (for controls that show several rows).
  void SetActiveRecordIndex(Integer index);

  // Text hook between the engine's code page and the application's; the default keeps the bytes.
  virtual AnsiString Translate(const AnsiString& text, bool toOem) { (void)toOem; return text; }
  // The caller owns the stream; writes reach the record when it is posted.
  virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);
  // The data source this data set is linked to as a detail (none by default).
  virtual TDataSource* GetDataSource() const { return nullptr; }
  // True when source, or a master reached through it, is this data set.
  bool IsLinkedTo(TDataSource* source) const;

  // Field access for TField: the engine's value for the field in the record that the current
  // state reads (null buffer: only the null test).
  virtual bool GetFieldData(TField* field, void* buffer) = 0;
  virtual void SetFieldData(TField* field, const void* buffer) = 0;
  // The buffer fields read and write in the current state; null when there is no record.
  Byte* GetActiveRecordBuffer() const;
  Byte* ActiveBuffer() const { return FRecordCount > 0 || FState == dsInsert ? FBuffers[FActiveRecord] : nullptr; }

  // Data events go to the data sources unless controls are disabled.
  void DataEvent(TDataEvent event, TField* field = nullptr, Integer info = 0);
  // The field-change notice an engine sends after storing a value (also for blob streams written
  // to); nothing outside the calculated-fields, filter and new-value states.
  void FieldChanged(TField* field);

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert,
      BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete,
      AfterDelete, BeforeScroll, AfterScroll, OnNewRecord, OnCalcFields;
  TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;
  TFilterRecordEvent OnFilterRecord;

 protected:
  // The engine's record operations.
  virtual Byte* AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(Byte*& buffer) = 0;
  virtual void GetBookmarkData(const Byte* buffer, void* data) const = 0;
  virtual TBookmarkFlag GetBookmarkFlag(const Byte* buffer) const = 0;
  virtual void SetBookmarkFlag(Byte* buffer, TBookmarkFlag value) = 0;
  virtual void SetBookmarkData(Byte* buffer, const void* data) = 0;
  virtual TGetResult GetRecord(Byte* buffer, TGetMode mode, bool doCheck) = 0;
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void InternalGotoBookmark(const void* bookmark) = 0;
  virtual void InternalSetToRecord(Byte* buffer) = 0;
  virtual void InternalInitRecord(Byte* buffer) = 0;
  virtual void InternalPost() = 0;
  virtual void InternalDelete() = 0;
  virtual void InternalAddRecord(const Byte* buffer, bool append) = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual void InternalHandleException();
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  virtual void InternalCancel() {}
  virtual void InternalRefresh() {}
  virtual void ClearCalcFields(Byte*) {}
  virtual void CalculateFields(Byte* buffer);

  friend class TFieldDefs;
  friend class TField;
  // Creates the default fields from FieldDefs (when there are no persistent ones) and binds every
  // field to its definition.
  void CreateFields();
  void BindFields(bool binding);
  void DestroyFields();
  // Re-reads the ring around the cursor: rmExact requires the current record itself.
  void Resync(TResyncMode mode);
  void ClearBuffers();
  void UpdateCursorPos();
  void CursorPosChanged() { FCurrentRecord = -1; }
  void SetState(TDataSetState value);
  // Temporary states for reading fields of another buffer (calculated fields, filtering).
  TDataSetState SetTempState(TDataSetState value);
  void RestoreState(TDataSetState saved);
  // Runs OnFilterRecord with buffer as the record fields read; true when it accepts.
  bool DoFilterRecord(Byte* buffer);
  void CheckActive() const;
  void CheckInactive() const;
  // Clears and computes the calculated fields of buffer (OnCalcFields in the calculated-fields state).
  void GetCalcFields(Byte* buffer);
  void DoBeforeScroll() { DoNotify(BeforeScroll); }
  void DoAfterScroll() { DoNotify(AfterScroll); }
  // The engine's record length (for engines that report it; 0 otherwise).
  virtual Integer GetRecordSize() const { return 0; }
  // Called whenever the field definitions change.
  virtual void DefinitionsChanged() {}
  Byte* FCalcBuffer = nullptr;
  Byte* FFilterBuffer = nullptr;
  Integer FBookmarkSize = 0;
  Integer FCalcFieldsSize = 0;

 private:
  friend class TDataSource;
  friend class TDataLink;
  void OpenCursor();
  void CloseCursor();
  void AllocBuffers(Integer count);
  void FreeBuffers();
  bool FetchInto(Byte* buffer, TGetMode mode);
  void ResyncRing(TResyncMode mode);
  bool GetNextRecord();
  bool GetPriorRecord();
  void GetNextRecords();
  void GetPriorRecords();
  void SetCurrentRecord(Integer index);
  void InitRecord(Byte* buffer);
  void BeginInsertAppend();
  void EndInsertAppend();
  void CheckOperation(void (TDataSet::*op)(), const TDataSetErrorEvent& onError);
  void CheckRequiredFields();
  void DoNotify(const TDataSetNotifyEvent& event) { if (event) event(this); }
  void NotifySources(TDataEvent event, TField* field, Integer info);
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);
  void UpdateBufferCount();
  bool FieldMatches(TField* field, const AnsiString& value, TLocateOptions options, bool last);
  void DoInternalPost() { CheckRequiredFields(); InternalPost(); }
  void DoInternalDelete() { InternalDelete(); }
  void DoInternalEdit() { InternalEdit(); }

  std::unique_ptr<TFields> FFields;
  std::unique_ptr<TFieldDefs> FFieldDefs;
  std::vector<TDataSource*> FDataSources;
  std::vector<Byte*> FBuffers;  // FBufferCount + 1 once open; the last is the spare
  Integer FBufferCount = 1;
  Integer FRecordCount = 0;
  Integer FActiveRecord = 0;
  Integer FCurrentRecord = -1;
  TDataSetState FState = dsInactive;
  bool FBOF = true;
  bool FEOF = true;
  bool FModified = false;
  bool FDefaultFields = false;
  bool FFiltered = false;
  AnsiString FFilterText;
  TFilterOptions FFilterOptions;
  Integer FDisableCount = 0;
  TDataEvent FDisabledEvent = deUpdateState;
  bool FDisabledPending = false;
  TDataSetState FDisableState = dsInactive;
};

}  // namespace orv
