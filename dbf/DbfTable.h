// TDbfTable: the data set over one dBASE table file, its memo file and its cursor (physical, or
// by index with key ranges and searches); it fills the data-set framework's record operations and
// converts texts between the table's code page and the application's.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "dbf/DbfBlobStream.h"
#include "dbf/DbfCursor.h"
#include "dbf/DbfFieldDef.h"
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexDefs.h"
#include "dbf/DbfIndexHooks.h"
#include "dbf/DbfKeyValue.h"
#include "dbf/DbfLang.h"
#include "dbf/DbfMasterLink.h"
#include "platform/db/DB.h"

namespace orv {

class TDbfFile;
class TDbfParser;
class TDbfIndexFile;
class TIndexCursor;

enum TDbfOpenMode { omNormal, omAutoCreate, omTemporary };
enum TDbfStorage { stoMemory, stoFile };

class TDbfTable;
using TBeforeAutoCreateEvent = std::function<void(TDbfTable* dbf, bool& doCreate)>;
// action: 0 no conversion (the table cannot be modified), 1 OEM, 2 ANSI.
using TLanguageWarningEvent = std::function<void(TDbfTable* dbf, int& action)>;
// Converts src towards the table's code page (toOem) or from it into dest; replaces the built-in
// conversion when assigned. The result is the length of the text in dest (its first bytes are
// taken), -1 for the whole of dest.
using TTranslateEvent =
    std::function<Integer(TDbfTable* dbf, const AnsiString& src, AnsiString& dest, bool toOem)>;
using TDbfIndexMissingEvent = std::function<void(bool& deleteLink)>;

// The record buffer: 4 bytes record number (the bookmark), 1 byte bookmark flag, the raw record
// (deletion flag first), then the calculated fields' area.
inline constexpr Integer kRecordNoBytes = 4;
inline constexpr Integer kRecordDataOffset = 5;

class TDbfTable : public TDataSet {
 public:
  explicit TDbfTable(TComponent* owner = nullptr);
  ~TDbfTable() override;

  // Folders end with "/"; a relative FilePath is taken against the program's folder. Only while
  // closed.
  const AnsiString& FilePath() const { return FFilePath; }
  void SetFilePath(const AnsiString& value);
  const AnsiString& FilePathFull() const { return FFilePathFull; }
  const AnsiString& TableName() const { return FTableName; }
  // The folder part of value, when there is one, becomes FilePath.
  void SetTableName(const AnsiString& value);
  AnsiString FullFileName() const { return FFilePathFull + FTableName; }
  // 3, 4, 7 or 25; other values are ignored; a change needs a closed data set.
  Integer TableLevel() const { return FTableLevel; }
  void SetTableLevel(Integer value);
  TDbfOpenMode OpenMode = omNormal;
  bool Exclusive = false;
  bool ReadOnly = false;
  bool UseFloatFields = true;
  // Kept and handed to the table file; the encodings do not depend on it.
  TDateTimeHandling DateTimeHandling = dtTimeStamp;
  TDbfStorage Storage = stoFile;
  bool StoreDefs = false;
  bool ShowDeleted() const { return FShowDeleted; }
  void SetShowDeleted(bool value);
  AnsiString Version() const;

  // EDatabaseError "Circular datalinks are not allowed" for a source that leads back here.
  TDataSource* MasterSource() const { return FMasterLink->DataSource(); }
  void SetMasterSource(TDataSource* source);
  const AnsiString& MasterFields() const { return FMasterLink->FieldNames(); }
  void SetMasterFields(const AnsiString& value) { FMasterLink->SetFieldNames(value); }
  TDbfMasterLink& MasterLink() const { return *FMasterLink; }
  TDataSource* GetDataSource() const override { return FMasterLink->DataSource(); }
  // The raw record (deletion flag first) that fields read in the current state; nullptr when none.
  const Byte* ActiveRecordData() const;

  // Opening adds the index each definition names (making a missing file or tag, without
  // rebuilding one that exists); creating makes each afresh. Those of the production index's
  // tags are filled in from the file (marked FromIndexFile).
  TDbfIndexDefs& IndexDefs() { return *FIndexDefs; }
  // Reads the field and index definitions from the table again.
  void UpdateIndexDefs();
  TDbfIndexDefs& Indexes() { return *FIndexDefs; }
  // The current index: a tag of an open index file (or an index file's name); empty walks the
  // records in physical order. Setting it on an open table keeps the current record; an unknown
  // name raises EDbfError and leaves the table in physical order with an empty name.
  const AnsiString& IndexName() const { return FIndexName; }
  void SetIndexName(const AnsiString& value);
  // The sort expression of the definition named IndexName; setting selects the definition whose
  // expression matches (trimmed, case-insensitive), or none.
  AnsiString IndexFieldNames() const;
  void SetIndexFieldNames(const AnsiString& value);

  // Key ranges and searches over the current index. In physical order a range is ignored and a
  // search finds nothing. A text value is converted to the table's code page, as stored keys are.
  //
  // Restricts the records to those whose key lies between low and high (both included, in the
  // index's order), records added or changed later included, and goes to the first of them. A
  // bound that makes no key (null, or a text that is no number for a numeric index) leaves no
  // record. The range belongs to the current index: choosing an index drops it.
  void SetKeyRange(const TDbfKeyValue& low, const TDbfKeyValue& high);
  // Shows every record again; the current record stays current.
  void CancelRange();
  // SearchKey with the value's key: type 1 (at or after) for a partial value, else 0 (equal).
  // False for a null value or one that makes no key.
  bool SearchKeyValue(const TDbfKeyValue& value, bool partial);
  // key: a key of the current index (at least its key length, in the table's code page);
  // searchType 0 equal, 1 at or after, 2 after. Goes to the first shown record (inside the range,
  // not deleted, passing the filter) whose key answers; when none does, the current record stays
  // current and the result is false.
  bool SearchKey(const std::vector<Byte>& key, int searchType);
  // The first record in the data set's order whose fields match the values (KeyFields separated
  // by ';', one value per field); when the current index's expression is KeyFields and case
  // matters, the index finds it. Not found: the current record stays current.
  bool LocateRecord(const AnsiString& keyFields, const std::vector<AnsiString>& keyValues, TLocateOptions options);
  bool Locate(const AnsiString& keyFields, const std::vector<AnsiString>& keyValues, TLocateOptions options) override {
    return LocateRecord(keyFields, keyValues, options);
  }

  TBeforeAutoCreateEvent BeforeAutoCreate;
  TLanguageWarningEvent OnLanguageWarning;
  TTranslateEvent OnTranslate;
  TDbfIndexMissingEvent OnIndexMissing;
  // Stored and handed to the table file; never called.
  std::function<void()> OnCompareRecord;
  std::function<void()> OnCopyDateTimeAsString;
  // Handed through the table file to every index file it opens.
  TDbfLocaleErrorEvent OnLocaleError;

  // Creates the table from FieldDefs (filled from the persistent fields when empty). The data
  // set must be closed and stays closed. A failure removes the .dbf only when this call made it.
  void CreateTable() { CreateTableEx(nullptr); }
  void CreateTableEx(const TDbfFieldDefs* fieldDefs);

  // The physical count of records, deleted and filtered ones included, in every order (in shared
  // mode as the file holds them now).
  Integer RecordCount() const override;
  // The cursor's count of places, 0 while closed: in physical order the file's record count (as
  // RecordCount), in key order the index's count, which follows the range's high bound.
  Integer PhysicalRecordCount() const { return FCursor ? FCursor->GetSequentialRecordCount() : 0; }
  // The place of the active record in the current order, for scroll positions: in physical order
  // its record number; in key order the index tree's estimate, exact only while the tree's pages
  // are full, on a scale of Cursor()->GetSequentialRecordCount() places (which in key order is
  // the estimate's own count, not RecordCount).
  Integer RecNo() const override;
  // Goes to the place RecNo gives, on the same scale.
  void SetRecNo(Integer value) override;
  bool CanModify() const override;
  AnsiString Translate(const AnsiString& text, bool toOem) override;
  TDbfTranslationMode TranslationMode() const { return FTranslationMode; }
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
  bool GetFieldData(TField* field, void* buffer) override;
  void SetFieldData(TField* field, const void* buffer) override;
  Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) const override;
  bool BookmarkValid(const TBookmark& bookmark) override;
  // A text that does not compile is raised, and the filter text is empty afterwards.
  void SetFilterText(const AnsiString& value) override;
  void SetFiltered(bool value) override;
  void SetFilterOptions(TFilterOptions value) override;

  // Valid while open.
  TDbfFile* DbfFile() const { return FDbfFile.get(); }
  TVirtualCursor* Cursor() const { return FCursor.get(); }
  // The number of the record locked for editing, -1 when none.
  Integer LockedRecNo() const { return FLockedRecNo; }
  // Called by a blob stream reference as it is freed.
  void BlobStreamReleased(TField* field);

 protected:
  Byte* AllocRecordBuffer() override;
  void FreeRecordBuffer(Byte*& buffer) override;
  void GetBookmarkData(const Byte* buffer, void* data) const override;
  TBookmarkFlag GetBookmarkFlag(const Byte* buffer) const override;
  void SetBookmarkFlag(Byte* buffer, TBookmarkFlag value) override;
  void SetBookmarkData(Byte* buffer, const void* data) override;
  TGetResult GetRecord(Byte* buffer, TGetMode mode, bool doCheck) override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return FCursor != nullptr; }
  void InternalFirst() override;
  void InternalLast() override;
  void InternalGotoBookmark(const void* bookmark) override;
  void InternalSetToRecord(Byte* buffer) override;
  void InternalInitRecord(Byte* buffer) override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalAddRecord(const Byte* buffer, bool append) override;
  void InternalInitFieldDefs() override;
  void InternalHandleException() override;
  void InternalEdit() override;
  void InternalCancel() override;
  void ClearCalcFields(Byte* buffer) override;
  // Changed field definitions are stored with the component.
  void DefinitionsChanged() override { StoreDefs = true; }

 private:
  void BuildFieldDefinitions();
  // Replaces the cursor by one for FIndexName and places it on record recNo (before the first
  // record when 0); false when a non-empty name names no index.
  bool InstallCursor(Integer recNo);
  TDbfIndexFile* FindIndexFile(const AnsiString& name) const;
  // The name trimmed; with an extension, the index file's path in the table's folder.
  AnsiString ResolveIndexName(const AnsiString& name) const;
  // AddIndex of the table file for every definition; failures are raised only when creating.
  void AddIndexDefs(TDbfFile& file, bool create);
  void FillFieldDefsFrom(TDbfFile& file);
  std::unique_ptr<TDbfFile> MakeTableFile(TPagedFileMode mode) const;
  void CloseTableParts();
  bool RecordPassesFilter(Byte* buffer);
  std::unique_ptr<TDbfParser> NewFilterParser() const;
  void CompileFilter(const AnsiString& text);
  Byte* CurrentRecordBuffer() const;
  TBlobTranslator BlobTranslator();
  void FlushBlobStreams(Byte* record);
  void ClearBlobStreams(bool keepModified);
  Integer RecordSize() const;
  void BuildByteMaps();
  void MasterChanged();
  void MasterDisabled();
  TIndexCursor* IndexCursor() const;
  // The value as a search key of the cursor's index (empty when it makes none).
  std::vector<Byte> SearchKeyOf(const TIndexCursor& cursor, const TDbfKeyValue& value);
  // Sets the range without moving the data set.
  void ApplyKeyRange(const TDbfKeyValue& low, const TDbfKeyValue& high);
  void ApplyMasterRange();
  // A buffer of the ring's size, for records read outside the ring.
  std::vector<Byte> ScratchBuffer() const;
  // The cursor goes back to the active record after a search that did not move the data set.
  void RestoreCursor();
  bool FindAnswer(TIndexCursor& cursor, const std::vector<Byte>& key, int searchType);
  bool LocateByKey(TIndexCursor& cursor, const AnsiString& value, bool partial);
  bool LocateByScan(const std::vector<TField*>& fields, const std::vector<AnsiString>& values, TLocateOptions options);
  bool FieldsMatch(Byte* buffer, const std::vector<TField*>& fields, const std::vector<AnsiString>& values,
                   TLocateOptions options);

  AnsiString FFilePath;
  AnsiString FFilePathFull;
  AnsiString FTableName;
  Integer FTableLevel = 4;
  bool FShowDeleted = false;
  std::unique_ptr<TDbfIndexDefs> FIndexDefs;
  std::unique_ptr<TDbfMasterLink> FMasterLink;
  AnsiString FIndexName;
  std::unique_ptr<TDbfFile> FDbfFile;
  std::unique_ptr<TVirtualCursor> FCursor;
  std::unique_ptr<TDbfParser> FParser;
  std::vector<std::shared_ptr<TDbfBlobStream>> FBlobStreams;
  std::vector<std::unique_ptr<Byte[]>> FRecordBuffers;
  Integer FLockedRecNo = -1;
  // A delete in progress (an edit and post of the deletion flag) and where the cursor goes after it.
  bool FDeleting = false;
  Integer FDeleteNeighbour = 0;
  Integer FKnownRecordCount = 0;
  // Byte tables of a single-byte table code page: [0] towards the file, [1] from it.
  std::vector<Byte> FByteMap[2];
  TDbfTranslationMode FTranslationMode = tmNoneAvailable;
};

}  // namespace orv
