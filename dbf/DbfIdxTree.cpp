// The tree of an index tag on its chain of page objects: searches, insertion and removal, walks,
// ranges and sequential numbers, with damaged trees ending every walk.
#include "dbf/DbfIdxTree.h"
#include <algorithm>
#include <climits>
#include <cstring>
#include "platform/rtl/Format.h"

namespace orv {

namespace {
// Pages kept by a tree before a search or walk starts afresh from the file.
constexpr size_t kCacheLimit = 32768;
}  // namespace

TIdxTree::TIdxTree(TIdxPageStore& store, TIdxLayout layout, TIdxKeyOrder order)
    : FStore(store), FLayout(layout), FOrder(order) {
  FOrder.KeyLength = FLayout.KeyLength;
  FZeroKey.assign(static_cast<size_t>(std::max<Integer>(FLayout.KeyLength, 1)), 0);
  const size_t sentinel = static_cast<size_t>(std::max<Integer>(FLayout.EntryLength, 0)) + 8 + kMaxKeyLength;
  FBeforeFirst.assign(sentinel, 0);
  FAfterLast.assign(sentinel, 0);
  FRoot = NewChain();
  FSide = NewChain();
}

TIdxTree::~TIdxTree() {
  FSide.reset();
  FRoot.reset();
}

std::unique_ptr<TIndexPage> TIdxTree::NewChain() {
  TIndexPageHost& host = *this;
  if (FLayout.Ndx) return std::make_unique<TNdxPage>(host);
  return std::make_unique<TMdxPage>(host);
}

void TIdxTree::PageDamaged(LongWord n) {
  throw EDbfError(Format("Index page %d is damaged.", {static_cast<Int64>(n)}));
}

bool TIdxTree::ReadPage(LongWord n, Byte* buffer, bool& checked) {
  auto it = FCache.find(n);
  const size_t bytes = static_cast<size_t>(FLayout.PageBytes);
  if (it != FCache.end()) {
    std::memcpy(buffer, it->second.Bytes.data(), bytes);
    checked = it->second.Checked;
    return true;
  }
  checked = false;
  if (n == 0 || !FStore.ReadIndexPage(n, buffer)) return false;
  if (FCache.size() < kCacheLimit) FCache.emplace(n, TCachedPage{std::vector<Byte>(buffer, buffer + bytes), false, false});
  return true;
}

void TIdxTree::PageChecked(LongWord n) {
  auto it = FCache.find(n);
  if (it != FCache.end()) it->second.Checked = true;
}

void TIdxTree::WritePage(LongWord n, const Byte* buffer) {
  TCachedPage& page = FCache[n];
  page.Bytes.assign(buffer, buffer + FLayout.PageBytes);
  page.Dirty = true;
  page.Checked = true;
}

void TIdxTree::StorePage(LongWord n, std::vector<Byte>& buffer) {
  TCachedPage& page = FCache[n];
  if (page.Bytes.size() != buffer.size()) page.Bytes.assign(buffer.size(), 0);
  page.Bytes.swap(buffer);
  page.Dirty = true;
  page.Checked = true;
}

void TIdxTree::SetRangesOn(bool on) {
  if (FRangesOn == on) return;
  FRangesOn = on;
  if (!RangesKept()) return;
  for (TIndexPage* p = FRoot.get(); p; p = p->Lower()) p->RecomputeRange();
}

Integer TIdxTree::Depth(const TIndexPage* page) {
  Integer depth = 0;
  for (const TIndexPage* p = page->Upper(); p; p = p->Upper()) ++depth;
  return depth;
}

void TIdxTree::LevelCreated(TIndexPage& page) {
  const TIndexPage* top = &page;
  while (top->Upper()) top = top->Upper();
  // The side chain searches whole pages.
  if (top != FRoot.get()) return;
  ApplyBounds(page, Depth(&page));
}

TIndexPage& TIdxTree::MakeRootAbove(TIndexPage& root) {
  if (&root != FRoot.get()) throw EDbfError("Index tree has no room for a new root.");
  std::unique_ptr<TIndexPage> top = NewChain();
  top->PageNo = NewPageNo();
  top->StoreEntryCount(0);
  top->StoreLinkAt(0, 0, static_cast<LongWord>(root.PageNo));
  top->IsModified = true;
  top->AdoptLower(std::move(FRoot));
  FRoot = std::move(top);
  FRoot->EntryNo = 0;
  FRoot->RecomputeRange();
  FRootNo = static_cast<LongWord>(FRoot->PageNo);
  if (OnNewRoot) OnNewRoot(FRootNo);
  return *FRoot;
}

TIndexPage& TIdxTree::LeafPage() {
  TIndexPage* p = FRoot.get();
  while (p->Lower()) p = p->Lower();
  return *p;
}

TIndexPage& TIdxTree::LoadRoot() {
  FRoot->LoadPage(FRootNo);
  return *FRoot;
}

void TIdxTree::SetRoot(LongWord root) {
  if (root != FRootNo) {
    FRoot->FlushChain();
    FRoot->Clear();
    FState = psBefore;
  }
  FRootNo = root;
  FBoundsStale = true;
}

void TIdxTree::Flush() {
  FRoot->FlushChain();
  for (auto& [n, page] : FCache)
    if (page.Dirty) {
      FStore.WriteIndexPage(n, page.Bytes.data());
      page.Dirty = false;
    }
}

void TIdxTree::DropCache() {
  Flush();
  FCache.clear();
  FRoot->Clear();
  FSide->Clear();
  FState = psBefore;
  FBoundsStale = true;
}

void TIdxTree::Discard() {
  FRoot->Forget();
  FSide->Clear();
  FCache.clear();
  FState = psBefore;
  FBoundsStale = true;
}

void TIdxTree::MakeEmptyRoot() {
  DropCache();
  const LongWord page = FStore.NewIndexPage();
  const std::vector<Byte> empty(static_cast<size_t>(FLayout.PageBytes), 0);
  FStore.WriteIndexPage(page, empty.data());
  FRootNo = page;
}

void TIdxTree::LoadSorted(const std::vector<const Byte*>& keys, const std::vector<LongWord>& recNos) {
  const size_t k = static_cast<size_t>(FLayout.KeyLength);
  if (recNos.empty() || keys.size() < recNos.size()) {
    MakeEmptyRoot();
    return;
  }
  DropCache();
  struct TChild {
    LongWord Page;
    size_t High;  // entry number of the highest key below it
  };
  // n items in groups of at most per, as even as they come, so no page is left nearly empty.
  auto groups = [](size_t n, size_t per, auto&& emit) {
    const size_t count = (n + per - 1) / per;
    for (size_t g = 0, from = 0; g < count; ++g) {
      const size_t size = n / count + (g < n % count ? 1 : 0);
      emit(from, size);
      from += size;
    }
  };
  // The pages are laid out by a page object of the tag's layout and written as they are.
  std::unique_ptr<TIndexPage> page = NewChain();
  std::vector<TChild> level;
  groups(recNos.size(), static_cast<size_t>(std::max<Integer>(FLayout.MaxEntries, 1)), [&](size_t from, size_t size) {
    page->Clear();
    for (size_t i = 0; i < size; ++i) {
      page->StoreLinkAt(static_cast<Integer>(i), recNos[from + i], 0);
      std::memcpy(page->KeyAt(static_cast<Integer>(i)), keys[from + i], k);
    }
    page->StoreEntryCount(static_cast<Integer>(size));
    const LongWord n = FStore.NewIndexPage();
    FStore.WriteIndexPage(n, page->Buffer());
    level.push_back({n, from + size - 1});
  });
  // A branch page takes as many children as it has entries; the last child has no key of its own.
  const size_t fanOut = static_cast<size_t>(std::max<Integer>(FLayout.MaxEntries, 2));
  while (level.size() > 1) {
    std::vector<TChild> upper;
    groups(level.size(), fanOut, [&](size_t from, size_t size) {
      page->Clear();
      for (size_t i = 0; i < size; ++i) {
        const TChild& child = level[from + i];
        page->StoreLinkAt(static_cast<Integer>(i), 0, child.Page);
        if (i + 1 < size) std::memcpy(page->KeyAt(static_cast<Integer>(i)), keys[child.High], k);
      }
      page->StoreEntryCount(static_cast<Integer>(size - 1));
      const LongWord n = FStore.NewIndexPage();
      FStore.WriteIndexPage(n, page->Buffer());
      upper.push_back({n, level[from + size - 1].High});
    });
    level = std::move(upper);
  }
  FRootNo = level.front().Page;
}

void TIdxTree::BeginWalk() {
  // Clearing costs the set's whole table even when empty, and seeks begin walks of their own.
  if (!FWalk.Leaves.empty()) FWalk.Leaves.clear();
  FWalk.Forward = true;
}

// Only leaves the walk has left count: the one it is on may lose entries to a new page that
// comes before it (another process's split) and be reached again from there.
void TIdxTree::EnterLeaf(LongWord page) {
  if (FWalk.Leaves.count(page) != 0) PageDamaged(page);
}

bool TIdxTree::LeafHolds(LongWord page, const Byte* key, LongWord recNo) {
  if (page == 0) return false;
  try {
    FRoot->FlushChain();
    FSide->Clear();
    FSide->LoadPage(page);
    if (FSide->Lower()) return false;
    const size_t k = static_cast<size_t>(FLayout.KeyLength);
    for (Integer i = 0; i < FSide->EntryCount(); ++i)
      if (FSide->RecordAt(i) == recNo && std::memcmp(FSide->KeyAt(i), key, k) == 0) return true;
  } catch (const EDbfError&) {
  }
  return false;
}

bool TIdxTree::StepRaw(bool forward) {
  for (;;) {
    TIndexPage* leaf = &LeafPage();
    const TIndexPage* up = leaf->Upper();
    const Int64 from = leaf->PageNo;
    const Int64 upPage = up ? up->PageNo : -1;
    const Integer upEntry = up ? up->EntryNo : -1;
    if (!(forward ? leaf->NextEntry() : leaf->PrevEntry())) return false;
    leaf = &LeafPage();
    up = leaf->Upper();
    if (up && (up->PageNo != upPage || up->EntryNo != upEntry)) {
      // Turning back may pass the leaves just left again.
      if (forward != FWalk.Forward) {
        if (!FWalk.Leaves.empty()) FWalk.Leaves.clear();
        FWalk.Forward = forward;
      }
      if (from > 0) FWalk.Leaves.insert(static_cast<LongWord>(from));
      EnterLeaf(static_cast<LongWord>(leaf->PageNo));
    }
    if (leaf->EntryNo >= leaf->LowIndex && leaf->EntryNo <= leaf->HighIndex) return true;
  }
}

void TIdxTree::Normalize() {
  TIndexPage& leaf = LeafPage();
  if (leaf.EntryNo >= 0 && leaf.EntryNo < leaf.EntryCount() && leaf.EntryNo >= leaf.LowIndex &&
      leaf.EntryNo <= leaf.HighIndex)
    return;
  if (!StepRaw(true)) FState = psAfter;
}

bool TIdxTree::LeafInRange() {
  TIndexPage& leaf = LeafPage();
  return leaf.PageNo > 0 && leaf.EntryNo >= 0 && leaf.EntryNo < leaf.EntryCount() && leaf.EntryNo >= leaf.LowIndex &&
         leaf.EntryNo <= leaf.HighIndex;
}

int TIdxTree::SeekKey(const Byte* key, Integer target, bool insert) {
  if (FCache.size() > kCacheLimit) DropCache();
  BeginWalk();
  EnsureBounds();
  TWholePages whole(*this);
  FOrder.Prepare(key);
  TIndexPage* p = &LoadRoot();
  int leafResult = 1;
  for (;;) {
    leafResult = p->SearchPage(target);
    // A full page on the way of an insertion is split; the search goes on in the half that
    // holds its position.
    if (insert && p->IsFull()) p->SplitPage();
    if (!p->Lower()) break;
    p = p->Lower();
  }
  FState = psOn;
  if (insert) return 0;
  // Where the leaf's search ended on an entry, its answer stands.
  if (p->EntryNo >= 0 && p->EntryNo < p->EntryCount() && p->EntryNo >= p->LowIndex && p->EntryNo <= p->HighIndex)
    return leafResult;
  Normalize();
  if (FState != psOn) return 1;
  if (target > 0) {
    // Equal keys of many records go on in the following leaves.
    while (FState == psOn) {
      const int r = FOrder.Compare(key, CurrentKey());
      if (r != 0) return r;
      if (LeafPage().RecordAt(LeafPage().EntryNo) == static_cast<LongWord>(target)) return 0;
      if (!StepRaw(true)) FState = psAfter;
    }
    return 1;
  }
  return FOrder.Compare(key, CurrentKey());
}

bool TIdxTree::Contains(const Byte* key) { return Seek(key, kSeekAtOrAfter) == 0; }

int TIdxTree::SeekInRange(const Byte* key) {
  EnsureBounds();
  if (FEmptyRange || FBoundsEmpty) {
    GoLast();
    return 1;
  }
  if (FCache.size() > kCacheLimit) DropCache();
  BeginWalk();
  FOrder.Prepare(key);
  for (TIndexPage* p = &LoadRoot(); p->Lower(); p = p->Lower()) {
    p->SearchPage(kSeekAtOrAfter);
    if (p->EntryNo > p->HighIndex) {
      FState = psAfter;
      return 1;
    }
  }
  LeafPage().SearchPage(kSeekAtOrAfter);
  FState = psOn;
  Normalize();
  if (!OnEntry()) return 1;
  return FOrder.Compare(key, CurrentKey());
}

bool TIdxTree::Insert(const Byte* key, LongWord recNo, bool unique) {
  if (unique && Seek(key, kSeekAtOrAfter) == 0) return false;
  EnsureBounds();
  TWholePages whole(*this);
  SeekKey(key, kSeekBehindEqual, true);
  LeafPage().InsertEntry(recNo, key, 0);
  FState = psOn;
  if (FHasLow || FHasHigh) FBoundsStale = true;
  return true;
}

bool TIdxTree::Remove(const Byte* key, LongWord recNo) {
  if (recNo == 0 || recNo > static_cast<LongWord>(INT_MAX)) return false;
  // The current entry, when it is the record's with that key, goes at once.
  TIndexPage& leaf = LeafPage();
  const bool here = FState == psOn && leaf.PageNo > 0 && leaf.EntryNo >= 0 && leaf.EntryNo < leaf.EntryCount() &&
                    leaf.RecordAt(leaf.EntryNo) == recNo &&
                    std::memcmp(leaf.KeyAt(leaf.EntryNo), key, static_cast<size_t>(FLayout.KeyLength)) == 0;
  if (!here && (Seek(key, static_cast<Integer>(recNo)) != 0 || FState != psOn)) return false;
  {
    TWholePages whole(*this);
    LeafPage().RemoveEntry();
  }
  FState = psBefore;
  if (FHasLow || FHasHigh) FBoundsStale = true;
  return true;
}

bool TIdxTree::InRange(const Byte* key) const {
  if (FEmptyRange) return false;
  if (FHasLow && FOrder.Compare(key, FLow.data()) < 0) return false;
  if (FHasHigh && FOrder.Compare(key, FHigh.data()) > 0) return false;
  return true;
}

bool TIdxTree::OnEntry() {
  if (FState != psOn) return false;
  EnsureBounds();
  return LeafInRange() && InRange(CurrentKey());
}

const Byte* TIdxTree::CurrentKey() {
  if (FState != psOn) return FZeroKey.data();
  TIndexPage& leaf = LeafPage();
  if (leaf.PageNo <= 0 || leaf.EntryNo < 0 || leaf.EntryNo >= leaf.EntryCount()) return FZeroKey.data();
  return leaf.KeyAt(leaf.EntryNo);
}

Integer TIdxTree::CurrentRecNo() {
  if (!OnEntry()) return -1;
  TIndexPage& leaf = LeafPage();
  return static_cast<Integer>(leaf.RecordAt(leaf.EntryNo));
}

// Every level on the first entry of its range, the leaf just before it.
void TIdxTree::GoFirst() {
  if (FCache.size() > kCacheLimit) DropCache();
  BeginWalk();
  FState = psBefore;
  EnsureBounds();
  if (FEmptyRange || FBoundsEmpty) return;
  LoadRoot().ToFirst();
  TIndexPage& leaf = LeafPage();
  leaf.SelectEntry(leaf.LowIndex - 1);
}

// Every level on the last entry of its range, the leaf just behind it.
void TIdxTree::GoLast() {
  if (FCache.size() > kCacheLimit) DropCache();
  BeginWalk();
  FState = psAfter;
  EnsureBounds();
  if (FEmptyRange || FBoundsEmpty) return;
  LoadRoot().ToLast();
  TIndexPage& leaf = LeafPage();
  leaf.SelectEntry(leaf.HighIndex + 2);
}

// Every level on the first entry of its range (the last): the range's first (last) entry.
void TIdxTree::PositionFirst() {
  LoadRoot().ToFirst();
  FState = psOn;
  if (!LeafInRange() && !StepRaw(true)) FState = psAfter;
}

void TIdxTree::PositionLast() {
  LoadRoot().ToLast();
  FState = psOn;
  if (!LeafInRange() && !StepRaw(false)) FState = psBefore;
}

bool TIdxTree::StepOnce(bool forward) {
  if (forward ? FState == psAfter : FState == psBefore) return false;
  EnsureBounds();
  if (FEmptyRange || FBoundsEmpty) {
    FState = forward ? psAfter : psBefore;
    return false;
  }
  if (forward) {
    // A position below the range (a record just moved there) goes on at the range's first entry.
    if (FState == psOn && FHasLow && FOrder.Compare(CurrentKey(), FLow.data()) < 0) FState = psBefore;
    if (FState == psBefore) PositionFirst();
    else if (!StepRaw(true)) FState = psAfter;
    if (FState == psOn && !InRange(CurrentKey())) FState = psAfter;
  } else {
    // A position above the range goes back from the range's last entry.
    if (FState == psOn && FHasHigh && FOrder.Compare(CurrentKey(), FHigh.data()) > 0) FState = psAfter;
    if (FState == psAfter) PositionLast();
    else if (!StepRaw(false)) FState = psBefore;
    if (FState == psOn && !InRange(CurrentKey())) FState = psBefore;
  }
  return FState == psOn;
}

bool TIdxTree::GoNext() {
  const LongWord start = FState == psOn && LeafInRange() ? LeafPage().RecordAt(LeafPage().EntryNo) : 0;
  for (;;) {
    if (!StepOnce(true)) return false;
    if (start == 0 || LeafPage().RecordAt(LeafPage().EntryNo) != start) return true;
  }
}

bool TIdxTree::GoPrev() {
  const LongWord start = FState == psOn && LeafInRange() ? LeafPage().RecordAt(LeafPage().EntryNo) : 0;
  for (;;) {
    if (!StepOnce(false)) return false;
    if (start == 0 || LeafPage().RecordAt(LeafPage().EntryNo) != start) return true;
  }
}

bool TIdxTree::GotoEntry(const Byte* key, LongWord recNo) {
  if (recNo == 0 || recNo > static_cast<LongWord>(INT_MAX)) return false;
  return Seek(key, static_cast<Integer>(recNo)) == 0 && FState == psOn;
}

TIdxTree::TSavedPosition TIdxTree::SavePosition() {
  TSavedPosition saved;
  saved.State = FState;
  if (FState == psOn) {
    TIndexPage& leaf = LeafPage();
    const Integer i = leaf.EntryNo;
    if (leaf.PageNo > 0 && i >= 0 && i < leaf.EntryCount()) {
      saved.Key.assign(leaf.KeyAt(i), leaf.KeyAt(i) + FLayout.KeyLength);
      saved.RecNo = leaf.RecordAt(i);
      saved.Leaf = static_cast<LongWord>(leaf.PageNo);
    } else {
      saved.State = psBefore;
    }
  }
  return saved;
}

void TIdxTree::RestorePosition(const TSavedPosition& saved, LongWord changedRecNo) {
  if (saved.State == psBefore) {
    GoFirst();
    return;
  }
  if (saved.State == psAfter) {
    GoLast();
    return;
  }
  if (saved.RecNo == changedRecNo && FState == psOn) {
    TIndexPage& leaf = LeafPage();
    const Integer i = leaf.EntryNo;
    if (leaf.PageNo > 0 && i >= 0 && i < leaf.EntryCount() && leaf.RecordAt(i) == changedRecNo) return;
  }
  if (!GotoEntry(saved.Key.data(), saved.RecNo)) FState = psBefore;
}

void TIdxTree::Refind(const TSavedPosition& saved, bool forward) {
  // Finding the place again is part of the walk that goes on from it. Where the entry is gone,
  // the walk goes on from a neighbour, possibly in a leaf it has left: it begins afresh there.
  TWalk walk = std::move(FWalk);
  const bool found = RefindPlace(saved, forward);
  FWalk = std::move(walk);
  if (!found && !FWalk.Leaves.empty()) FWalk.Leaves.clear();
}

bool TIdxTree::RefindPlace(const TSavedPosition& saved, bool forward) {
  if (saved.State == psBefore) {
    GoFirst();
  } else if (saved.State == psAfter) {
    GoLast();
  } else if (!GotoEntry(saved.Key.data(), saved.RecNo)) {
    // In an intact tree a search finds every entry; one that is still where it was, unfound,
    // stands among keys out of order, and every later search from here would miss it again.
    if (LeafHolds(saved.Leaf, saved.Key.data(), saved.RecNo)) PageDamaged(saved.Leaf);
    // Forwards: on the last entry up to the key, so the step reaches the first one behind it;
    // backwards: on the first entry at or after it, so the step reaches the one before.
    Seek(saved.Key.data(), forward ? kSeekBehindEqual : kSeekFirstEqual);
    if (forward) {
      if (FState == psAfter) PositionLast();
      else if (!StepRaw(false)) FState = psBefore;
    }
    return false;
  }
  return true;
}

void TIdxTree::SetLowBound(const Byte* key) {
  FLow.assign(key, key + FLayout.KeyLength);
  FHasLow = true;
  FBoundsStale = true;
}

void TIdxTree::SetHighBound(const Byte* key) {
  FHigh.assign(key, key + FLayout.KeyLength);
  FHasHigh = true;
  FBoundsStale = true;
}

void TIdxTree::SetEmptyRange() {
  FEmptyRange = true;
  FBoundsStale = true;
}

void TIdxTree::ClearBounds() {
  FHasLow = FHasHigh = FEmptyRange = false;
  FBoundsStale = true;
}

void TIdxTree::ApplyBounds(TIndexPage& page, Integer depth) {
  const size_t d = static_cast<size_t>(depth);
  page.LowPage = d < FLowPath.size() ? FLowPath[d].Page : 0;
  page.LowSaved = d < FLowPath.size() ? FLowPath[d].Index : 0;
  page.HighPage = d < FHighPath.size() ? FHighPath[d].Page : 0;
  page.HighSaved = d < FHighPath.size() ? FHighPath[d].Index : 0;
  page.RecomputeRange();
}

void TIdxTree::EnsureBounds() {
  if (!FBoundsStale) return;
  FBoundsStale = false;
  FindBounds();
  Integer depth = 0;
  for (TIndexPage* p = FRoot.get(); p; p = p->Lower(), ++depth) ApplyBounds(*p, depth);
}

// The bounds as positions: on every level, the entry on the path to the range's first entry
// (the first at or after the low key) and to its last (the last at or before the high key).
void TIdxTree::FindBounds() {
  FLowPath.clear();
  FHighPath.clear();
  FBoundsEmpty = false;
  if (FEmptyRange || (!FHasLow && !FHasHigh)) return;
  // The side chain reads what the walk's chain has changed.
  FRoot->FlushChain();
  const Byte* prepared = nullptr;
  auto search = [&](const Byte* key, Integer target) {
    FSide->Clear();
    prepared = key;
    FOrder.Prepare(prepared);
    FSide->LoadPage(FRootNo);
    TIndexPage* p = FSide.get();
    for (;;) {
      p->SearchPage(target);
      if (!p->Lower()) return p;
      p = p->Lower();
    }
  };
  auto bottom = [&] {
    TIndexPage* p = FSide.get();
    while (p->Lower()) p = p->Lower();
    return p;
  };
  // The side chain on an entry, stepping over empty leaves (each leaf once); false at the end.
  auto settle = [&](bool forward) {
    std::unordered_set<LongWord> passed;
    for (;;) {
      TIndexPage* leaf = bottom();
      if (leaf->EntryNo >= 0 && leaf->EntryNo < leaf->EntryCount()) return true;
      if (!passed.insert(static_cast<LongWord>(leaf->PageNo)).second) PageDamaged(static_cast<LongWord>(leaf->PageNo));
      if (!(forward ? leaf->NextEntry() : leaf->PrevEntry())) return false;
    }
  };
  auto record = [&](std::vector<TBoundLevel>& path) {
    for (TIndexPage* p = FSide.get(); p; p = p->Lower()) path.push_back({p->PageNo, p->EntryNo});
  };
  std::vector<Byte> first;
  if (FHasLow) {
    search(FLow.data(), kSeekFirstEqual);
    if (!settle(true)) {
      FBoundsEmpty = true;
      return;
    }
    record(FLowPath);
    TIndexPage* leaf = bottom();
    first.assign(leaf->KeyAt(leaf->EntryNo), leaf->KeyAt(leaf->EntryNo) + FLayout.KeyLength);
  }
  if (FHasHigh) {
    // From the first entry behind the high key one back: the last entry up to it.
    TIndexPage* leaf = search(FHigh.data(), kSeekBehindEqual);
    if (!leaf->PrevEntry() || !settle(false) || (FHasLow && FOrder.Compare(first.data(), FHigh.data()) > 0)) {
      FBoundsEmpty = true;
      FLowPath.clear();
      return;
    }
    record(FHighPath);
  }
  FSide->Clear();
}

Integer TIdxTree::SequentialNo() {
  if (FState == psBefore) return 0;
  if (FState == psAfter) return INT_MAX;
  Int64 n = 1;
  for (const TIndexPage* p = FRoot.get(); p; p = p->Lower())
    n += static_cast<Int64>(std::max<Integer>(p->EntryNo, 0)) * p->Weight;
  return static_cast<Integer>(std::min<Int64>(n, INT_MAX - 1));
}

// The root's weight times its entries up to the one on the path to the range's last entry.
Integer TIdxTree::SequentialCount() {
  EnsureBounds();
  if (FEmptyRange || FBoundsEmpty) return 0;
  TIndexPage& root = LoadRoot();
  // The weights need the chain down to a leaf.
  if (FState != psOn && (LeafPage().PageNo <= 0 || LeafPage().IsBranch())) root.ToFirst();
  const Int64 entries = static_cast<Int64>(root.HighIndex) + 1;
  return static_cast<Integer>(std::clamp<Int64>(root.Weight * entries, 0, INT_MAX - 1));
}

void TIdxTree::SetSequentialNo(Integer n) {
  if (n <= 0) {
    GoFirst();
    return;
  }
  EnsureBounds();
  if (FCache.size() > kCacheLimit) DropCache();
  BeginWalk();
  {
    TWholePages whole(*this);
    TIndexPage& root = LoadRoot();
    if (LeafPage().PageNo <= 0 || LeafPage().IsBranch()) root.ToFirst();
    // From the root down, each level takes the entry the number falls on with full pages; a
    // number beyond a page's entries goes on at the next entry of the level above, and one
    // beyond the tree ends on the last entry.
    Int64 r = static_cast<Int64>(n) - 1;
    FState = psOn;
    for (TIndexPage* p = &root; p; p = p->Lower()) {
      const Int64 w = std::max<Int64>(p->Weight, 1);
      Int64 q = r / w;
      r %= w;
      if (q > p->HighIndex) {
        if (!p->Upper() || !p->Upper()->NextEntry()) {
          root.ToLast();
          break;
        }
        q = p->LowIndex;
        r = 0;
      }
      p->SelectEntry(static_cast<Integer>(std::max<Int64>(q, 0)));
      if (!p->Lower()) break;
    }
    Normalize();
  }
  if (FState == psOn && !InRange(CurrentKey())) {
    if (FHasLow && FOrder.Compare(CurrentKey(), FLow.data()) < 0) {
      FState = psBefore;
      GoNext();
    } else {
      FState = psAfter;
      GoPrev();
    }
  }
}

}  // namespace orv
