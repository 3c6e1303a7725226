// TIdxTree: the B-tree of one index tag over fixed-size pages: page coding in both layouts,
// search, insertion with splits, removal, walks in both directions, key ranges and approximate
// sequential numbers.
#pragma once
#include <functional>
#include <map>
#include <unordered_set>
#include <vector>
#include "dbf/DbfIdxKeys.h"

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
  Integer KeyOffset() const { return Ndx ? 8 : 4; }
};

// A decoded page: a leaf holds Count() keys with record numbers; a branch Count() keys with
// Count() + 1 children, key i being the highest key below child i.
struct TIdxNode {
  bool Branch = false;
  std::vector<Byte> Keys;
  std::vector<LongWord> Links;
  bool Dirty = false;
};

// Search targets: first key at or after, first key after all equal keys, or a record number > 0.
inline constexpr Integer kSeekAtOrAfter = -2;
inline constexpr Integer kSeekBehindEqual = -3;

class TIdxTree {
 public:
  TIdxTree(TIdxPageStore& store, TIdxLayout layout, TIdxKeyOrder order);

  const TIdxLayout& Layout() const { return FLayout; }
  const TIdxKeyOrder& Order() const { return FOrder; }
  LongWord Root() const { return FRoot; }
  void SetRoot(LongWord root);
  // Called when a split makes a new root, so the tag header can follow.
  std::function<void(LongWord)> OnNewRoot;
  // Writes an empty leaf as the new root.
  void MakeEmptyRoot();

  // Replaces the tree by one that holds the entries given in the tag's order (key i of a key
  // length for record recNos[i]), built bottom-up on new pages with every page filled evenly; the
  // old pages stay unused. OnNewRoot is not called: the caller enters Root() where it belongs.
  void LoadSorted(const std::vector<const Byte*>& keys, const std::vector<LongWord>& recNos);

  // Drops cached pages (after writing modified ones); the next access reads them again.
  void Flush();
  void DropCache();
  // Forgets cached pages without writing them (after a failed change).
  void Discard();

  // Positions on the entry the target asks for; the result compares the search key with the
  // entry reached (0: found; behind the last entry: 1).
  int Seek(const Byte* key, Integer target);
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

  // A damaged tree ends every walk with EDbfError "Index page %d is damaged.", while an intact
  // one never does, however long the walk and however often it turns:
  // - a link to a page on its own path (a loop) is damage;
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
  // included. Walks and sequential positions stay inside it.
  void SetLowBound(const Byte* key);
  void SetHighBound(const Byte* key);
  // A range that holds no entry, whatever is added later.
  void SetEmptyRange();
  void ClearBounds();

  Integer SequentialNo();
  Integer SequentialCount();
  void SetSequentialNo(Integer n);

 private:
  struct TLevel {
    LongWord Page;
    Integer Index;
  };
  enum TPosState { psBefore, psOn, psAfter };

  TIdxNode& Node(LongWord page);
  void Decode(const Byte* buf, TIdxNode& node) const;
  void Encode(const TIdxNode& node, Byte* buf) const;
  void WriteNode(LongWord page, TIdxNode& node);
  const Byte* KeyOf(const TIdxNode& node, Integer i) const {
    return node.Keys.data() + static_cast<size_t>(i) * static_cast<size_t>(FLayout.KeyLength);
  }
  Integer Count(const TIdxNode& node) const {
    return static_cast<Integer>(node.Keys.size() / static_cast<size_t>(FLayout.KeyLength));
  }
  Integer Capacity(const TIdxNode& node) const { return node.Branch ? FLayout.MaxEntries - 1 : FLayout.MaxEntries; }
  void Descend(const Byte* key, bool behindEqual);
  void DescendEdge(size_t fromLevel, bool first);
  bool StepLeaf(bool forward);
  void Normalize();
  // The highest key below the page (a zero key when its last leaf is empty).
  void Highest(LongWord page, std::vector<Byte>& out);
  void PropagateHighest(size_t level);
  void SplitUp(size_t level);
  void RemoveChild(size_t level);
  bool InRange(const Byte* key) const;
  bool StepRaw(bool forward);
  // False when the saved entry is gone.
  bool RefindPlace(const TSavedPosition& saved, bool forward);
  void PositionLast();
  Integer Depth();
  // The leaf reached from page by following every level's first (or last) link, and the levels
  // passed on the way, the page's own included; a loop on the way is damage.
  LongWord EdgeLeaf(LongWord page, bool first, Integer* depth = nullptr);
  Int64 Weight(Integer levelsBelow) const;
  // A child page already on the path above it makes the tree a loop.
  void CheckChild(LongWord child) const;
  void BeginWalk();
  void EnterLeaf(LongWord page);
  // True when the leaf holds the entry (key, recNo) among its entries; false also when the page
  // is no longer a readable leaf.
  bool LeafHolds(LongWord page, const Byte* key, LongWord recNo);
  [[noreturn]] void Damaged(LongWord page) const;

  TIdxPageStore& FStore;
  TIdxLayout FLayout;
  TIdxKeyOrder FOrder;
  LongWord FRoot = 0;
  std::map<LongWord, TIdxNode> FCache;
  std::vector<TLevel> FPath;
  TPosState FState = psBefore;
  std::vector<Byte> FZeroKey;
  std::vector<Byte> FLow, FHigh;
  bool FHasLow = false, FHasHigh = false, FEmptyRange = false;
  // The current walk: the leaves it has left since it last turned, and its direction.
  struct TWalk {
    std::unordered_set<LongWord> Leaves;
    bool Forward = true;
  };
  TWalk FWalk;
};

}  // namespace orv
