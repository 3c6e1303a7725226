// TDbfFile: one open .dbf table at level III, IV, VII or FoxPro: header and field descriptors,
// creation, the memo file, the open index files, value coding and the multi-user protocol for
// editing and appending records with byte-range locks.
#pragma once
#include <functional>
#include <memory>
#include <utility>
#include <vector>
#include "dbf/DbfFieldCodec.h"
#include "dbf/DbfFieldDef.h"
#include "dbf/DbfIndexHooks.h"
#include "dbf/DbfMemo.h"
#include "dbf/PagedFile.h"

namespace orv {

// How date-time values are meant to be kept; kept with the table, the encodings do not depend on it.
enum TDateTimeHandling { dtDateTime, dtTimeStamp };

class TDbfFile : public TPagedFile {
 public:
  explicit TDbfFile(AnsiString fileName);
  ~TDbfFile() override;

  // Opens and reads an existing table, or, in a creating mode, only opens the empty file.
  // EDbfError "Invalid DBF file." for a header or descriptor that does not hold together.
  void OpenDbfFile();
  void CloseDbfFile();
  // Writes header and descriptors of a new table at TableLevelCode and creates its memo file.
  // Checks the limits first: 1..4095 fields (fewer where the header length would pass 65535),
  // record length at most 65535.
  void FinishCreate(const TDbfFieldDefs& fieldDefs, Integer memoBlockSize);
  void WriteHeader() override;
  void WriteDbfHeader();
  void ReadFieldDefs();
  bool HasMemoFields() const;
  TDbfFieldDef* FieldDefByName(const AnsiString& name);
  Byte LanguageDriver() const;
  AnsiString LanguageName() const;
  LongWord HeaderRecordCount() const;

  bool DecodeFieldValue(Integer fieldIndex, TFieldType type, void* dest, const Byte* record) const;
  void EncodeFieldValue(Integer fieldIndex, TFieldType type, Byte* record, const void* src) const;
  void BlankRecord(Byte* buffer) const;

  void ApplyAutoInc(Byte* record);
  // Appends the record; returns its record number. EDbfWriteError when a write failed (the
  // header count is restored and index keys removed).
  Integer InsertRecord(Byte* record);
  // EDbfError "Record locked." when another process holds the record; otherwise fills buffer
  // with the record as it is in the file.
  void LockRecord(Integer recNo, Byte* buffer);
  // Writes buffer as the record and releases its lock; EDbfWriteError when the write failed. A
  // record that buffer marks deleted (and that was not) loses its keys in the distinct tags.
  void UnlockRecord(Integer recNo, const Byte* buffer);
  // Takes the record's keys out of every distinct tag (other tags keep a deleted record's keys);
  // false when an index write failed.
  bool RemoveIndexKeys(Integer recNo, const Byte* record);

  // Adds the index name: a tag of the production .mdx (made when missing) for a name without
  // extension, else the index file of that name (a standalone .ndx, or an .mdx whose tag takes
  // the file's base name). With create, or when the file or tag does not exist yet, the tag is
  // made from expression and options (TIndexOptions) and filled from every record; an existing
  // tag of the production .mdx is made afresh when create is set. Returns false when the file
  // turned out unusable (or had to be made without an expression): nothing was added. A failure
  // while making the tag takes everything this call added away again and is raised.
  bool AddIndex(const AnsiString& name, const AnsiString& expression, Byte options, bool create);
  // Fills the tag name of the index file (the current tag of an .ndx) from every record in
  // physical order; the file's current tag stays current. False when a key could not be built or
  // stored (a distinct tag that meets a key twice included).
  bool RebuildTag(TDbfIndexFile* indexFile, const AnsiString& name);
  // The index file listed under name: a tag name or an index file name, compared without regard
  // to case; a name with an extension also finds the open index file of that path.
  TDbfIndexFile* IndexFileByName(const AnsiString& name) const;

  void TryExclusive() override;
  void EndExclusive() override;
  void SetRecordSize(Integer size) override;

  int TableLevelCode() const { return FTableLevelCode; }
  void SetTableLevelCode(int level) { FTableLevelCode = level; FFieldDefs.TableLevel = level; }
  TDbfFieldDefs& FieldDefs() { return FFieldDefs; }
  const TDbfFieldDefs& FieldDefs() const { return FFieldDefs; }
  TMemoFile* MemoFile() { return FMemoFile.get(); }
  const std::vector<std::unique_ptr<TDbfIndexFile>>& IndexFiles() const { return FIndexFiles; }
  const std::vector<std::pair<AnsiString, TDbfIndexFile*>>& IndexNames() const { return FIndexNames; }
  TDbfIndexFile* ProductionIndex() const { return FProductionIndex; }
  Cardinal LanguageCodePage() const { return FLanguageCodePage; }
  Cardinal UseCodePage() const { return FUseCodePage; }
  bool HasLockField() const { return FHasLockField; }
  Integer LockFieldOffset() const { return FLockFieldOffset; }
  Integer LockFieldSize() const { return FLockFieldSize; }
  Integer LockNameLength() const { return FLockNameLength; }
  bool HasAutoInc() const { return FHasAutoInc; }
  const Byte* PrevRecord() const { return FPrevRecord.data(); }
  bool Opened() const { return FOpened; }
  bool OpenFailed() const { return FOpenFailed; }
  bool UseFloatFields() const { return FFieldDefs.UseFloatFields; }
  void SetUseFloatFields(bool v) { FFieldDefs.UseFloatFields = v; }
  AnsiString MemoFileName() const;
  AnsiString ProductionIndexName() const;

  // Called when the header names a production index that is missing; leaving deleteLink true
  // (also without a handler) unlinks it, false fails the open.
  std::function<void(bool& deleteLink)> OnIndexMissing;
  TDbfLocaleErrorEvent OnLocaleError;
  // Handed down from the data set and kept; the engine calls neither.
  TDateTimeHandling DateTimeHandling = dtTimeStamp;
  std::function<void()> OnCompareRecord;
  std::function<void()> OnCopyDateTimeAsString;

 private:
  void DecideLevel();
  void ReadLanguage();
  void ReadLevel7Properties(Integer blockStart);
  void OpenMemoFile(TPagedFileMode mode, bool autoCreate, Integer blockSize);
  void OpenProductionIndex();
  // Takes the header lock (shared mode), reads the header afresh with this object's intended
  // changes kept, lets change adjust it, writes it and releases the lock.
  void UpdateHeader(const std::function<void(Byte*)>& change);
  void ApplyIntendedHeaderChanges();
  void FillLockField(Byte* record) const;
  // Writes 0x1A behind record count where no record stands; in shared mode only under the header
  // lock. knownSize: the file size when the caller knows it, else -1.
  void WriteEndOfFileMark(LongWord count, Int64 knownSize);
  void WriteDbfHeaderWith(bool writeMark, Int64 knownSize);
  // The file's part of AddIndex: the listed index file or a new one opened for the name; sets
  // created when this call made the file. Null when nothing can be added.
  TDbfIndexFile* IndexFileForAdd(const AnsiString& name, const AnsiString& expression, bool& create, bool& created);
  // The tag an index name stands for: the name itself, or the base name of an index file.
  static AnsiString TagNameFor(const AnsiString& name);
  void DropIndexFile(TDbfIndexFile* file, const AnsiString& name, bool created);
  void RemoveKeysAfterFailure(Integer recNo, const Byte* record, bool& indexFailed);
  LongWord CountAfterAppend(LongWord before, Integer recNo, LongWord held);

  int FTableLevelCode = kLevelDbase4;
  TDbfFieldDefs FFieldDefs;
  std::unique_ptr<TMemoFile> FMemoFile;
  std::vector<std::unique_ptr<TDbfIndexFile>> FIndexFiles;
  std::vector<std::pair<AnsiString, TDbfIndexFile*>> FIndexNames;
  TDbfIndexFile* FProductionIndex = nullptr;
  Cardinal FLanguageCodePage = 0;
  Cardinal FUseCodePage = 0;
  bool FHasLockField = false;
  Integer FLockFieldOffset = 0, FLockFieldSize = 0, FLockNameLength = 0;
  bool FHasAutoInc = false;
  std::vector<Byte> FPrevRecord;
  std::vector<Byte> FAppendBuffer;
  bool FOpened = false;
  bool FOpenFailed = false;
  bool FUnlinkProductionIndex = false;
};

}  // namespace orv
