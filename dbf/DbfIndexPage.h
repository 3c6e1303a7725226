// TIndexPage: one level of an index tag's tree on the path from the root to a leaf, holding one
// page in the layout of its file kind (TMdxPage, TNdxPage): the current entry, the key range of
// the level, and the page operations that search, walk, insert, remove and split entries.
#pragma once
#include <memory>
#include <vector>
#include "dbf/DbfCommon.h"

namespace orv {

class TIndexPage;

// What the page objects of one tag need from the index file that holds them.
class TIndexPageHost {
 public:
  virtual ~TIndexPageHost() = default;
  virtual Integer PageBytes() const = 0;
  virtual Integer KeyLength() const = 0;
  virtual Integer EntryLength() const = 0;
  virtual Integer MaxEntries() const = 0;
  // Others may change the file: a page is read afresh whenever it is loaded.
  virtual bool SharedPages() const = 0;
  // False when n is no page of the file (0, beyond its end, or not read whole). Checked: the page
  // is one this host has seen checked or has itself written, so it needs no check again.
  virtual bool ReadPage(LongWord n, Byte* buffer, bool& checked) = 0;
  // A page read from the file passed its check.
  virtual void PageChecked(LongWord n) = 0;
  virtual void WritePage(LongWord n, const Byte* buffer) = 0;
  // Writes page n from the buffer given, which the host may keep, leaving one of the same size.
  virtual void StorePage(LongWord n, std::vector<Byte>& buffer) = 0;
  virtual LongWord NewPageNo() = 0;
  // The search key against an entry's key: negative when the entry's key is the greater.
  virtual int CompareSearchKey(const Byte* entryKey) = 0;
  // Positions of the entries before the first and after the last entry: zero keys, no links.
  virtual Byte* BeforeFirst() = 0;
  virtual Byte* AfterLast() = 0;
  // False while a change or an internal search works on whole pages.
  virtual bool RangesOn() const = 0;
  // A new level was added below a branch page: its range state is set up.
  virtual void LevelCreated(TIndexPage& page) = 0;
  // The root is split: a new root object above it takes the old one as its lower level.
  virtual TIndexPage& MakeRootAbove(TIndexPage& root) = 0;
  [[noreturn]] virtual void PageDamaged(LongWord n) = 0;
};

class TIndexPage {
 public:
  explicit TIndexPage(TIndexPageHost& host);
  virtual ~TIndexPage();
  TIndexPage(const TIndexPage&) = delete;
  TIndexPage& operator=(const TIndexPage&) = delete;

  // Page layout. A leaf entry's child and a branch entry's record number are 0.
  virtual Byte* EntryAt(Integer i) = 0;
  virtual LongWord CurrentChild() = 0;
  virtual Byte* CurrentKey() = 0;
  virtual Integer EntryCount() = 0;
  virtual Byte* KeyAt(Integer i) = 0;
  virtual LongWord CurrentRecordNo() = 0;
  virtual bool IsBranch() = 0;
  virtual void IncEntryCount() = 0;
  virtual void StoreEntryCount(Integer n) = 0;
  virtual void StoreCurrentLink(LongWord record, LongWord child) = 0;
  virtual Byte* StoreLinkAt(Integer i, LongWord record, LongWord child) = 0;
  // An object of the same layout for the same host.
  virtual std::unique_ptr<TIndexPage> NewPageObject() = 0;

  // The current entry: an entry of the buffer or one of the host's two sentinels.
  Byte* Entry = nullptr;
  Integer EntryNo = -1;
  Integer LockCount = 0;
  bool IsModified = false;
  Int64 PageNo = -1;
  // Leaf entries one entry of this level stands for with full pages (at most INT_MAX).
  Int64 Weight = 1;
  // The range: saved bound positions and the effective first and last entry of this level.
  Int64 LowPage = 0;
  Integer LowSaved = 0;
  Integer LowIndex = 0;
  Int64 HighPage = 0;
  Integer HighSaved = 0;
  Integer HighIndex = -1;

  TIndexPage* Lower() const { return FLower.get(); }
  TIndexPage* Upper() const { return FUpper; }
  Byte* Buffer() { return FBuffer.data(); }
  // The number of the last entry of the page: the last key of a leaf, the last link of a branch
  // (a loaded branch page has a lower level, a leaf none).
  Integer LastEntry() { return FLower ? EntryCount() : EntryCount() - 1; }
  // The record number of entry i, read through the layout.
  LongWord RecordAt(Integer i) {
    Byte* const current = Entry;
    Entry = EntryAt(i);
    const LongWord r = CurrentRecordNo();
    Entry = current;
    return r;
  }
  bool IsFull() { return EntryCount() >= (FLower ? MaxEntries() - 1 : MaxEntries()); }

  // Zero-filled buffer, no lower level, no upper link, no page.
  void Clear();
  // Clear without writing what is modified, on this level and those below.
  void Forget();
  // Reads page n unless it is the one held (and the file not shared); a branch page gets a lower
  // level, a leaf selects the first entry of its range. A page number outside the file is damage.
  void LoadPage(Int64 n);
  // Below the range: before the first entry; above it: after the last; a branch page loads the
  // child of the entry selected into its lower level (a child on the path above is damage).
  void SelectEntry(Integer i);
  // Counted holds while the page changes; the last release writes a shared file's page. Between
  // processes the index file holds the whole tag for a change, which covers every page it touches.
  void HoldPage();
  void ReleasePage();
  // Writes the page when modified; FlushChain does so for this level and those below.
  void WritePage();
  void FlushChain();
  // Positions on the entry the target asks for: a record number > 0, -2 or 0 (first equal or
  // greater), -3 (behind all equal keys). A leaf returns the search key against the entry reached
  // (1 behind the last entry), a branch 0 after loading the child into its lower level.
  int SearchPage(Integer target);
  // At the current entry (a leaf's insertion point may be behind its last entry).
  void InsertEntry(LongWord record, const Byte* key, LongWord child);
  // Stores the current entry; as the page's last entry, its key goes to the upper levels first.
  void SetEntry(LongWord record, const Byte* key, LongWord child);
  // Removes the current entry; an emptied page leaves its parent (and is written empty), a new
  // last entry's key goes to the upper levels.
  void RemoveEntry();
  // Splits a full page at its current position: the entries from the middle on go to a new page,
  // the upper level (a new root at the top) gets an entry for this page, and the position follows
  // its entry.
  void SplitPage();
  // One entry back (on) on this level, or the upper level's when this one is at its range's end;
  // the levels below go to their last (first) entries. False at the end of the range.
  bool PrevEntry();
  bool NextEntry();
  // This level and those below on the first (last) entry of their ranges.
  void ToFirst();
  void ToLast();
  // Links the upper level and recomputes the weights from here up.
  void SetUpper(TIndexPage* upper);
  // The effective range from the saved bounds and the page's entries.
  void RecomputeRange();
  // Takes a lower level made elsewhere (a new root over the old one).
  void AdoptLower(std::unique_ptr<TIndexPage> lower);

 protected:
  Integer EntryLength() const { return FEntryLength; }
  Integer MaxEntries() const { return FMaxEntries; }
  bool OnSentinel() const { return Entry == FHost.BeforeFirst() || Entry == FHost.AfterLast(); }

  TIndexPageHost& FHost;
  // The tag's layout, fixed for the host's lifetime.
  const Integer FKeyLength, FEntryLength, FMaxEntries;

 private:
  // Checks what was read: an entry count the page can hold, and children inside the file.
  void Validate();
  void UpdateWeights();
  void DropLower();
  // The upper level's current entry takes this page's highest key.
  void PassHighestUp();

  std::vector<Byte> FBuffer;
  std::unique_ptr<TIndexPage> FLower;
  TIndexPage* FUpper = nullptr;
};

// What both page layouts share: the entry count at 0, the entries from EntriesAt, each with a
// link first and the key at KeyFrom inside it.
template <Integer EntriesAt, Integer KeyFrom>
class TIndexPageLayout : public TIndexPage {
 public:
  using TIndexPage::TIndexPage;
  Byte* EntryAt(Integer i) override { return Buffer() + EntriesAt + i * EntryLength(); }
  LongWord CurrentChild() override { return OnSentinel() ? 0 : GetLE32(Entry); }
  Byte* CurrentKey() override { return Entry + KeyFrom; }
  Integer EntryCount() override { return static_cast<Integer>(GetLE32(Buffer())); }
  Byte* KeyAt(Integer i) override { return EntryAt(i) + KeyFrom; }
  void IncEntryCount() override { PutLE32(Buffer(), GetLE32(Buffer()) + 1); }
  void StoreEntryCount(Integer n) override { PutLE32(Buffer(), static_cast<LongWord>(n)); }
};

// Pages of multiple-tag files: count at 0, entries from 8, each a link (child of a branch entry,
// record of a leaf entry) and the key. A branch has a link behind its last keyed entry.
class TMdxPage final : public TIndexPageLayout<8, 4> {
 public:
  using TIndexPageLayout::TIndexPageLayout;
  LongWord CurrentRecordNo() override { return OnSentinel() ? 0 : GetLE32(Entry); }
  bool IsBranch() override;
  void StoreCurrentLink(LongWord record, LongWord child) override { PutLE32(Entry, child != 0 ? child : record); }
  Byte* StoreLinkAt(Integer i, LongWord record, LongWord child) override;
  std::unique_ptr<TIndexPage> NewPageObject() override { return std::make_unique<TMdxPage>(FHost); }
};

// Pages of single-key files: count at 0, entries from 4, each a child page, a record number and
// the key. A page is a branch when its first entry has a child.
class TNdxPage final : public TIndexPageLayout<4, 8> {
 public:
  using TIndexPageLayout::TIndexPageLayout;
  LongWord CurrentRecordNo() override { return OnSentinel() ? 0 : GetLE32(Entry + 4); }
  bool IsBranch() override { return GetLE32(EntryAt(0)) != 0; }
  void StoreCurrentLink(LongWord record, LongWord child) override {
    PutLE32(Entry, child);
    PutLE32(Entry + 4, record);
  }
  Byte* StoreLinkAt(Integer i, LongWord record, LongWord child) override;
  std::unique_ptr<TIndexPage> NewPageObject() override { return std::make_unique<TNdxPage>(FHost); }
};

}  // namespace orv
