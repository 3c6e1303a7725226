// TIndexFile: one open index file of a table (single-key .ndx or multiple-tag .mdx): header and
// tag headers, tags created, selected and deleted, keys built from records and kept up to date,
// the locale check at open, and the walks of the current tag.
#pragma once
#include <functional>
#include <memory>
#include <string_view>
#include <vector>
#include "dbf/DbfIdxTree.h"
#include "dbf/DbfIndexHooks.h"
#include "dbf/DbfIndexTag.h"
#include "dbf/DbfParser.h"

namespace orv {

enum TIndexOption : Byte { ixPrimary = 1, ixUnique = 2, ixDescending = 4, ixCaseInsensitive = 8, ixExpression = 16 };
using TIndexOptions = Byte;

inline constexpr const char* STRING_INVALID_INDEX_KEY_TYPE = "Invalid index type: can only be string or float.";
inline constexpr const char* STRING_TOO_MANY_INDEXES = "Can not create index: too many indexes in file.";
inline constexpr const char* STRING_KEY_VIOLATION =
    "Key violation. (Key already present in file).\r\nIndex: %s\r\nRecord=%d Key='%s'.";
inline constexpr int kLockWaitSeconds = 30;

class TDbfIndexDef;

class TIndexFile : public TPagedFile, public TDbfIndexFile, public TIdxPageStore {
 public:
  TIndexFile(TDbfFile& table, AnsiString fileName);
  ~TIndexFile() override;

  // Called with error 1..3 when the file's locale cannot be used; solution 0 drops the file,
  // 1 keeps it with its keys frozen, any other value is the locale id to use.
  TDbfLocaleErrorEvent OnLocaleError;

  // How long a page lock is waited for before the change fails (30 s unless set).
  void SetLockWaitMilliseconds(Integer ms) { FLockWaitMs = ms; }

  void OpenIndex();
  void CloseIndex() override;
  bool Unusable() const override { return FUnusable; }
  bool KeysFrozen() const { return FKeysFrozen; }
  Byte Version() const { return FVersion; }
  TDbfFile& Table() const { return FTable; }
  bool IsMdx() const { return FVersion != 2; }
  Integer MaxTags() const;

  void CreateTag(const AnsiString& name, const AnsiString& expression, TIndexOptions options);
  void DeleteTag(const AnsiString& name);
  void SelectTag(Integer slot);
  // A name that matches no tag leaves the current tag as it is.
  void SelectTagByName(const AnsiString& name);
  // The characters of a tag name that this file's descriptors keep: 10, or 32 in the newer
  // layout (fewer where the descriptors lie closer together).
  Integer TagNameCapacity() const;
  // Tag names are compared as the descriptors keep them (cut to TagNameCapacity()), without
  // regard to case: the name a tag was made with finds it again, whatever its length.
  bool SameTagName(const AnsiString& a, const AnsiString& b) const;
  // The slot of the tag of that name; -1 when there is none (and always for an .ndx).
  Integer TagIndexOf(const AnsiString& name) const;
  Integer CurrentTag() const { return FCurrent; }
  Integer TagCount() const { return static_cast<Integer>(FTags.size()); }
  // The descriptor of a tag slot of an .mdx, in the layout of the file's version (0..MaxTags()-1,
  // in use or not); null for an .ndx, another slot, or before the file is opened.
  const TIndexTag* TagDescriptor(Integer slot) const;
  std::vector<AnsiString> TagNames() const override;
  void TagInfo(const AnsiString& name, TDbfIndexDef& def);
  void SetCurrentTagOnly(bool value);
  bool CurrentTagOnly() const { return FCurrentTagOnly; }
  void ResetTag();
  void ResetAllTags();
  // A tag as it stands, kept while it is made afresh so that a remake that fails can put it
  // back: its place, descriptor and tag header (.mdx), or the file header (.ndx). A deleted
  // tag's pages stay in the file unused, so they are still there to return to.
  struct TTagBackup {
    Integer Slot = -1;
    std::vector<Byte> Descriptor;
    std::vector<Byte> Header;
    LongWord HeaderPage = 0;
  };
  // Writes what is pending and keeps the tag of that name (an .ndx's one tag whatever the name);
  // Slot is -1 when there is no such tag.
  TTagBackup BackupTag(const AnsiString& name);
  // Puts a kept tag back at its place in the tag list; no tag of its name may be there. An .ndx
  // gets its header back but keeps the pages taken since (they stay unused).
  void RestoreTag(const TTagBackup& backup);
  // Fills the current tag, emptied before (ResetTag), with the keys of records 1..count at once:
  // the keys are built, sorted in the tag's order (equal keys by record number) and laid down
  // bottom-up, as inserting them one by one in record order would order them. record(n) gives
  // record n, or null when it cannot be read. A unique tag keeps the first record of a key; a
  // distinct tag takes live records only, as its upkeep leaves it, and one that meets a key
  // twice fails with the key violation noted (RaiseKeyViolation).
  // False when a key could not be built or the index not written.
  bool FillTag(Integer count, const std::function<const Byte*(Integer recNo)>& record);
  // The last FillTag failed on a key that a distinct tag met twice.
  bool KeyViolationNoted() const { return FFillViolation; }
  void FlushIndex();
  void FlushPages() override { FlushIndex(); }
  // .ndx: the file header. .mdx: the current tag's header, at once in shared mode, else at the
  // next FlushIndex.
  void WriteHeader() override;

  Integer KeyLength() const;
  char KeyType() const;
  AnsiString Expression() const;
  AnsiString IndexName() const;
  bool Descending() const;
  // 0 none, 1 unique, 2 distinct.
  int Uniqueness() const;
  Cardinal Locale() const { return FLocale; }
  void UseLocale(Cardinal lcid);

  bool CanInsertKeys(Integer recNo, const Byte* record) override;
  bool CanUpdateKeys(Integer recNo, const Byte* oldRecord, const Byte* newRecord) override;
  [[noreturn]] void RaiseKeyViolation() override;
  bool InsertKeys(Integer recNo, const Byte* record) override;
  bool UpdateKeys(Integer recNo, const Byte* oldRecord, const Byte* newRecord) override;
  bool RemoveKeys(Integer recNo, const Byte* record) override;
  bool RemoveDistinctKeys(Integer recNo, const Byte* record) override;
  bool IndexWriteError() const override { return WriteError(); }
  void ResetIndexWriteError() override { ResetWriteError(); }
  void TryExclusive() override;
  void EndExclusive() override;

  // The search of the current tag for the key in the key work buffer: unique and distinct tags
  // look for the first entry of an equal or greater key, an insertion into any other tag for the
  // place behind the equal keys, every other search for the entry of the record being processed
  // among the equal keys. With insert, full pages on the way are split. The result compares the
  // key with the entry reached (0: found; behind the last entry: 1; an insertion: 0). In shared
  // mode the tag is read afresh first, unless a change already holds it so read. No tag: 1.
  int SeekKey(bool insert);
  // Takes a key of the current tag's length into the key work buffer (up to 100 bytes, a zero
  // byte behind them), with the record it is for.
  void LoadKey(const Byte* key, Integer recNo);

  // Walks and positions of the current tag.
  void GoFirst();
  void GoLast();
  // A step repeated while the record stays the one it started from; false at the end.
  bool GoNext();
  bool GoPrev();
  // In shared mode: the tag read afresh and the position found again by key and record, or where
  // a step in the given direction reaches the entry that followed (preceded) it.
  void ResyncPosition(bool forward);
  Integer CurrentRecNo();
  const Byte* CurrentKey();
  // Positions on the entry of table record n (built from the record as stored); false when the
  // tag holds no entry for it.
  bool GotoRecord(Integer n);
  bool SetToRecord(Integer n);
  Integer SequentialNo();
  Integer SequentialCount();
  void SetSequentialNo(Integer n);
  void SetLowBound(const Byte* key);
  void SetHighBound(const Byte* key);
  void SetEmptyRange();
  void ClearBounds();
  // A search value as a key of the current tag (numbers as double; text cut and blank-padded).
  // The text is in the ANSI code page and converted to the table's.
  std::vector<Byte> ValueToKey(double value) const;
  std::vector<Byte> ValueToKey(const AnsiString& text) const;
  // A text already in the table's code page, cut and blank-padded to the key length.
  std::vector<Byte> TextToKey(std::string_view tableText) const;
  // Compares two keys of the current tag in its order (0 without a tag).
  int CompareKeys(const Byte* a, const Byte* b);
  // Mode 0 equal, 1 at or after, 2 after, all inside the current range. A failed search keeps the
  // position it had (before the first and after the last entry included).
  bool FindByKey(const Byte* key, int mode);

  // Page store of the trees.
  bool ReadIndexPage(LongWord page, Byte* buffer) override;
  void WriteIndexPage(LongWord page, const Byte* buffer) override;
  LongWord NewIndexPage() override;

 private:
  struct TTagSlot {
    std::vector<Byte> Header;  // the tag header (for an .ndx the file header holds it)
    LongWord HeaderPage = 0;
    std::unique_ptr<TIdxTree> Tree;
    std::unique_ptr<TDbfParser> Parser;
    bool Parsed = false;
    bool ParseFailed = false;
    bool Modified = false;
  };
  struct TPosition;

  Byte* TagHeader(Integer slot);
  // The file reaches its tag descriptors only through these accessors, one per tag slot.
  TIndexTag& Descriptor(Integer slot) { return *FDescriptors[static_cast<size_t>(slot)]; }
  const TIndexTag& Descriptor(Integer slot) const { return *FDescriptors[static_cast<size_t>(slot)]; }
  Integer DescriptorStride() const;
  // Sets up the accessors over the header's descriptors once their length is known.
  void MakeDescriptors();
  void ReadExisting();
  void CreateHeader();
  void ChooseLocale();
  void SetupTree(Integer slot);
  void MakeRoot(Integer slot);
  void WriteTagHeader(Integer slot);
  void RereadTagHeader(Integer slot);
  bool EnsureParsed(Integer slot);
  bool BuildKey(Integer slot, const Byte* record, std::vector<Byte>& key);
  bool LockWait(Integer page);
  template <class F>
  bool ForEachTag(F&& f);
  bool WithTagLock(Integer slot, const std::function<bool()>& change, Integer recNo);
  bool RemoveTagKey(Integer slot, Integer recNo, const Byte* record);
  TIdxTree* Tree();
  void BeginRead();

  TDbfFile& FTable;
  Byte FVersion = 2;
  std::vector<TTagSlot> FTags;
  std::vector<std::unique_ptr<TIndexTag>> FDescriptors;
  Integer FCurrent = -1;
  bool FOpened = false;
  bool FCurrentTagOnly = true;
  Cardinal FLocale = kByteOrderLocale;
  Cardinal FLocaleCodePage = 0;
  Cardinal FCodePage = 0;
  bool FUnusable = false;
  bool FKeysFrozen = false;
  bool FTreeLockHeld = false;
  Integer FLockWaitMs = kLockWaitSeconds * 1000;
  std::vector<Byte> FKey = std::vector<Byte>(static_cast<size_t>(kMaxKeyLength + 1), 0);
  // The record number of the key being processed.
  Integer FUserRecNo = 0;
  Integer FViolationRecNo = 0;
  std::vector<Byte> FViolationKey;
  bool FViolationNumeric = false;
  AnsiString FViolationTag;
  void NoteViolation(Integer tag, const std::vector<Byte>& key);
  // Before a check: no violation noted, the current tag's name at hand.
  void ForgetViolation();
  bool FFillViolation = false;
};

// Opens index files for tables: the table engine's factory unless another is set.
std::unique_ptr<TDbfIndexFile> OpenIndexForTable(TDbfFile& table, const AnsiString& fileName, TPagedFileMode mode,
                                                 Cardinal codePage);
void RegisterIndexFiles();

}  // namespace orv
