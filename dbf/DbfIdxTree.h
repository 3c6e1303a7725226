// TIdxTree: the B-tree of one index tag as a chain of page objects from the root to a leaf:
// search, insertion with splits, removal, walks in both directions, key ranges and approximate
// sequential numbers, with the pages read through a cache of the tag's own.
#pragma once
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include "dbf/DbfIdxKeys.h"
#include "dbf/DbfIndexPage.h"

namespace orv {

// Where the tree's pages come from; implemented by the index file.
class TIdxPageStore {
 public:
  virtual ~TIdxPageStore() = default;
  // False when the page lies beyond the file or could not be read whole.
  virtual bool ReadIndexPage(LongWord page, Byte* buffer) = 0;
  virtual void WriteIndexPage(LongWord page, const Byte* buffer) = 0;
  virtual LongWord NewIndexPage() = 0;
};

struct TIdxLayout {
  bool Ndx = false;
  Integer PageBytes = 512;
  Integer KeyLength = 0;
  Integer EntryLength = 0;
  Integer MaxEntries = 0;
  Integer EntryBase() const { return Ndx ? 4 : 8; }
};

// Search targets: first key at or after, first key after all equal keys, or a record number > 0.
inline constexpr Integer kSeekAtOrAfter = -2;
inline constexpr Integer kSeekBehindEqual = -3;
inline constexpr Integer kSeekFirstEqual = 0;

class TIdxTree final : private TIndexPageHost {
 public:
  TIdxTree(TIdxPageStore& store, TIdxLayout layout, TIdxKeyOrder order);
  ~TIdxTree() override;

  const TIdxLayout& Layout() const { return FLayout; }
  const TIdxKeyOrder& Order() const { return FOrder; }
  LongWord Root() const { return FRootNo; }
  void SetRoot(LongWord root);
  // Called when a split makes a new root, so the tag header can follow.
  std::function<void(LongWord)> OnNewRoot;
  // Writes an empty leaf as the new root.
  void MakeEmptyRoot();
  // Pages are read afresh whenever they are loaded (the file is shared).
  void SetSharedPages(bool shared) { FShared = shared; }

  // Replaces the tree by one that holds the entries given in the tag's order (key i of a key
  // length for record recNos[i]), built bottom-up on new pages with every page filled evenly; the
  // old pages stay unused. OnNewRoot is not called: the caller enters Root() where it belongs.
  void LoadSorted(const std::vector<const Byte*>& keys, const std::vector<LongWord>& recNos);

  // Writes what the page objects and the cache hold modified.
  void Flush();
  // Flushes, then forgets every page kept and the position: the next access reads the file.
  void DropCache();
  // Forgets kept pages and the position without writing anything (after a failed change).
  void Discard();

  // The search from the root to a leaf: positions on the entry the target asks for (a record
  // number > 0, kSeekAtOrAfter, kSeekFirstEqual or kSeekBehindEqual); the result compares the
  // search key with the entry reached (0: found; behind the last entry: 1). With insert, every
  // full page on the way is split and the leaf position is where the key goes.
  int SeekKey(const Byte* key, Integer target, bool insert);
  int Seek(const Byte* key, Integer target) { return SeekKey(key, target, false); }
  // Positions on the first entry of the range at or after the key (the range's first entry for a
  // key below it); the result compares the search key with that entry, 1 when there is none.
  int SeekInRange(const Byte* key);
  // Inserts behind equal keys; returns false without change when unique and the key is held.
  bool Insert(const Byte* key, LongWord recNo, bool unique);
  // True when some entry holds the key.
  bool Contains(const Byte* key);
  // Removes the entry of the record with that key; false when there is none.
  bool Remove(const Byte* key, LongWord recNo);

  void GoFirst();
  void GoLast();
  // A step to the next (previous) entry of the range, repeated while the record stays the one
  // the step started from; false at the end.
  bool GoNext();
  bool GoPrev();
  // Record number of the current entry, -1 outside the entries or the range.
  Integer CurrentRecNo();
  // Key of the current entry; a zero-filled key outside the entries.
  const Byte* CurrentKey();
  bool OnEntry();
  bool BeforeFirst() const { return FState == psBefore; }
  bool AfterLast() const { return FState == psAfter; }
  // Puts the position on the entry of the record with that key; false when there is none.
  bool GotoEntry(const Byte* key, LongWord recNo);

  // The chain of page objects, from the root object down to the leaf object.
  TIndexPage& RootPage() { return *FRoot; }
  TIndexPage& LeafPage();

  // A damaged tree ends every walk with EDbfError "Index page %d is damaged.", while an intact
  // one never does, however long the walk and however often it turns:
  // - a link to a page on its own path (a loop) is damage, and so is a page number outside the
  //   file;
  // - steps from leaf to leaf in one direction pass each leaf once: coming back to a leaf left
  //   since the walk last turned means two links lead to it;
  // - an entry that is still on its leaf but that a search by its key no longer finds means the
  //   keys are out of order (walks that find their place again by key, in shared mode, would go
  //   round for ever).

  // The position around a change of the tree: kept on the same entry (or, for the changed record
  // itself, on its new entry when the change ended there).
  struct TSavedPosition {
    int State = 0;
    std::vector<Byte> Key;
    LongWord RecNo = 0;
    LongWord Leaf = 0;  // the page the entry was on
  };
  TSavedPosition SavePosition();
  void RestorePosition(const TSavedPosition& saved, LongWord changedRecNo);
  // After the pages were read afresh: back on the saved entry or, when it is gone, where a step
  // in the given direction reaches the entry that followed (or preceded) it.
  void Refind(const TSavedPosition& saved, bool forward);

  // The range: entries whose keys lie between the bounds in the tag's order, entries added later
  // included. Walks and sequential positions stay inside it. Each level keeps the bounds as the
  // positions of the range's first and last entry on the path to them, found again by key after
  // every change.
  void SetLowBound(const Byte* key);
  void SetHighBound(const Byte* key);
  // A range that holds no entry, whatever is added later.
  void SetEmptyRange();
  void ClearBounds();

  Integer SequentialNo();
  Integer SequentialCount();
  void SetSequentialNo(Integer n);

 private:
  enum TPosState { psBefore, psOn, psAfter };
  struct TCachedPage {
    std::vector<Byte> Bytes;
    bool Dirty = false;
    bool Checked = false;  // written here or checked when read
  };
  struct TBoundLevel {
    Int64 Page;
    Integer Index;
  };

  // Page host.
  Integer PageBytes() const override { return FLayout.PageBytes; }
  Integer KeyLength() const override { return FLayout.KeyLength; }
  Integer EntryLength() const override { return FLayout.EntryLength; }
  Integer MaxEntries() const override { return FLayout.MaxEntries; }
  bool SharedPages() const override { return FShared; }
  bool ReadPage(LongWord n, Byte* buffer, bool& checked) override;
  void PageChecked(LongWord n) override;
  void WritePage(LongWord n, const Byte* buffer) override;
  void StorePage(LongWord n, std::vector<Byte>& buffer) override;
  LongWord NewPageNo() override { return FStore.NewIndexPage(); }
  int CompareSearchKey(const Byte* entryKey) override { return -FOrder.CompareToPrepared(entryKey); }
  Byte* BeforeFirst() override { return FBeforeFirst.data(); }
  Byte* AfterLast() override { return FAfterLast.data(); }
  bool RangesOn() const override { return FRangesOn; }
  void LevelCreated(TIndexPage& page) override;
  TIndexPage& MakeRootAbove(TIndexPage& root) override;
  [[noreturn]] void PageDamaged(LongWord n) override;

  // True while a level may hold a range: turning ranges on or off then recomputes the levels.
  bool RangesKept() const { return FBoundsStale || !FLowPath.empty() || !FHighPath.empty(); }
  // Whole pages for a change or an internal search; the range's own again at its end.
  struct TWholePages {
    explicit TWholePages(TIdxTree& tree) : Tree(tree), Was(tree.FRangesOn) { Tree.SetRangesOn(false); }
    ~TWholePages() { Tree.SetRangesOn(Was); }
    TWholePages(const TWholePages&) = delete;
    TWholePages& operator=(const TWholePages&) = delete;
    TIdxTree& Tree;
    bool Was;
  };

  std::unique_ptr<TIndexPage> NewChain();
  TIndexPage& LoadRoot();
  // Whole pages for the walks and searches of a change, or the range's again.
  void SetRangesOn(bool on);
  static Integer Depth(const TIndexPage* page);
  // The bounds found again from their keys (on a chain of their own), when anything changed.
  void EnsureBounds();
  void FindBounds();
  void ApplyBounds(TIndexPage& page, Integer depth);
  bool InRange(const Byte* key) const;
  bool LeafInRange();
  // Moves one entry on (back), from leaf to leaf, over empty leaves; false at the end.
  bool StepRaw(bool forward);
  bool StepOnce(bool forward);
  // On a leaf position behind its last entry: on to the next entry, or after the last.
  void Normalize();
  void PositionFirst();
  void PositionLast();
  // False when the saved entry is gone.
  bool RefindPlace(const TSavedPosition& saved, bool forward);
  void BeginWalk();
  void EnterLeaf(LongWord page);
  // True when the leaf holds the entry (key, recNo) among its entries; false also when the page
  // is no longer a readable leaf.
  bool LeafHolds(LongWord page, const Byte* key, LongWord recNo);

  TIdxPageStore& FStore;
  TIdxLayout FLayout;
  TIdxKeyOrder FOrder;
  bool FShared = false;
  LongWord FRootNo = 0;
  std::vector<Byte> FBeforeFirst, FAfterLast;
  // Declared before the chains: their objects write into it when they go.
  std::unordered_map<LongWord, TCachedPage> FCache;
  std::unique_ptr<TIndexPage> FRoot;
  // For the bound searches and reads beside the walk.
  std::unique_ptr<TIndexPage> FSide;
  TPosState FState = psBefore;
  bool FRangesOn = true;
  std::vector<Byte> FZeroKey;
  std::vector<Byte> FLow, FHigh;
  bool FHasLow = false, FHasHigh = false, FEmptyRange = false;
  bool FBoundsStale = false, FBoundsEmpty = false;
  std::vector<TBoundLevel> FLowPath, FHighPath;
  // The current walk: the leaves it has left since it last turned, and its direction.
  struct TWalk {
    std::unordered_set<LongWord> Leaves;
    bool Forward = true;
  };
  TWalk FWalk;
};

}  // namespace orv
