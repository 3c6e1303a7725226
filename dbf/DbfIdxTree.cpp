// B-tree pages of an index tag: coding, search, insertion with splits, removal and walks.
#include "dbf/DbfIdxTree.h"
#include <algorithm>
#include <climits>
#include <cstring>
#include "platform/rtl/Format.h"

namespace orv {

namespace {
constexpr size_t kCacheLimit = 32768;
}

TIdxTree::TIdxTree(TIdxPageStore& store, TIdxLayout layout, TIdxKeyOrder order)
    : FStore(store), FLayout(layout), FOrder(order) {
  FOrder.KeyLength = FLayout.KeyLength;
  FZeroKey.assign(static_cast<size_t>(std::max<Integer>(FLayout.KeyLength, 1)), 0);
}

void TIdxTree::SetRoot(LongWord root) {
  if (root != FRoot) {
    FPath.clear();
    FState = psBefore;
  }
  FRoot = root;
}

void TIdxTree::Damaged(LongWord page) const {
  throw EDbfError(Format("Index page %d is damaged.", {static_cast<Int64>(page)}));
}

void TIdxTree::CheckChild(LongWord child) const {
  for (const TLevel& level : FPath)
    if (level.Page == child) Damaged(child);
}

void TIdxTree::BeginWalk() {
  // Clearing costs the set's whole table even when empty, and seeks begin walks of their own.
  if (!FWalk.Leaves.empty()) FWalk.Leaves.clear();
  FWalk.Forward = true;
}

// Only leaves the walk has left count: the one it is on may lose entries to a new page that
// comes before it (another process's split) and be reached again from there.
void TIdxTree::EnterLeaf(LongWord page) {
  if (FWalk.Leaves.count(page) != 0) Damaged(page);
}

bool TIdxTree::LeafHolds(LongWord page, const Byte* key, LongWord recNo) {
  if (page == 0) return false;
  try {
    const TIdxNode& leaf = Node(page);
    if (leaf.Branch) return false;
    const size_t k = static_cast<size_t>(FLayout.KeyLength);
    for (Integer i = 0; i < Count(leaf); ++i)
      if (leaf.Links[static_cast<size_t>(i)] == recNo && std::memcmp(KeyOf(leaf, i), key, k) == 0) return true;
  } catch (const EDbfError&) {
  }
  return false;
}

void TIdxTree::Decode(const Byte* buf, TIdxNode& node) const {
  const Integer e = FLayout.EntryLength, k = FLayout.KeyLength, base = FLayout.EntryBase();
  const LongWord rawCount = GetLE32(buf);
  // A count beyond the page cannot be trusted; a branch needs room for its trailing link.
  if (rawCount > static_cast<LongWord>(FLayout.MaxEntries)) throw EDbfError("Index page entry count out of range.");
  const Integer n = static_cast<Integer>(rawCount);
  if (FLayout.Ndx) {
    node.Branch = GetLE32(buf + base) != 0;
  } else {
    node.Branch = n < FLayout.MaxEntries && GetLE32(buf + base + n * e) != 0;
  }
  if (node.Branch && base + (n + 1) * e > FLayout.PageBytes) throw EDbfError("Index page entry count out of range.");
  node.Keys.resize(static_cast<size_t>(n) * static_cast<size_t>(k));
  node.Links.resize(static_cast<size_t>(node.Branch ? n + 1 : n));
  for (Integer i = 0; i < n; ++i) std::memcpy(&node.Keys[static_cast<size_t>(i * k)], buf + base + i * e + FLayout.KeyOffset(), static_cast<size_t>(k));
  for (size_t i = 0; i < node.Links.size(); ++i) {
    const Byte* entry = buf + base + static_cast<Integer>(i) * e;
    node.Links[i] = FLayout.Ndx ? GetLE32(entry + (node.Branch ? 0 : 4)) : GetLE32(entry);
  }
  if (node.Branch)
    for (LongWord child : node.Links)
      if (child == 0) throw EDbfError("Index page links a page outside the file.");
  node.Dirty = false;
}

void TIdxTree::Encode(const TIdxNode& node, Byte* buf) const {
  const Integer e = FLayout.EntryLength, k = FLayout.KeyLength, base = FLayout.EntryBase();
  std::memset(buf, 0, static_cast<size_t>(FLayout.PageBytes));
  const Integer n = std::min(Count(node), Capacity(node));
  PutLE32(buf, static_cast<LongWord>(n));
  for (Integer i = 0; i < n; ++i) std::memcpy(buf + base + i * e + FLayout.KeyOffset(), KeyOf(node, i), static_cast<size_t>(k));
  for (size_t i = 0; i < node.Links.size() && i <= static_cast<size_t>(n); ++i) {
    Byte* entry = buf + base + static_cast<Integer>(i) * e;
    if (FLayout.Ndx) PutLE32(entry + (node.Branch ? 0 : 4), node.Links[i]);
    else PutLE32(entry, node.Links[i]);
  }
}

TIdxNode& TIdxTree::Node(LongWord page) {
  auto it = FCache.find(page);
  if (it != FCache.end()) return it->second;
  std::vector<Byte> buf(static_cast<size_t>(FLayout.PageBytes), 0);
  TIdxNode node;
  if (page == 0 || !FStore.ReadIndexPage(page, buf.data())) Damaged(page);
  Decode(buf.data(), node);
  return FCache.emplace(page, std::move(node)).first->second;
}

void TIdxTree::WriteNode(LongWord page, TIdxNode& node) {
  std::vector<Byte> buf(static_cast<size_t>(FLayout.PageBytes));
  Encode(node, buf.data());
  FStore.WriteIndexPage(page, buf.data());
  node.Dirty = false;
}

void TIdxTree::Flush() {
  for (auto& [page, node] : FCache)
    if (node.Dirty) WriteNode(page, node);
}

void TIdxTree::DropCache() {
  Flush();
  FCache.clear();
}

void TIdxTree::Discard() {
  FCache.clear();
  FPath.clear();
  FState = psBefore;
}

void TIdxTree::MakeEmptyRoot() {
  Flush();
  FCache.clear();
  LongWord page = FStore.NewIndexPage();
  TIdxNode& node = FCache[page];
  node = TIdxNode{};
  WriteNode(page, node);
  FRoot = page;
  FPath.clear();
  FState = psBefore;
}

void TIdxTree::LoadSorted(const std::vector<const Byte*>& keys, const std::vector<LongWord>& recNos) {
  const size_t k = static_cast<size_t>(FLayout.KeyLength);
  Flush();
  FCache.clear();
  FPath.clear();
  FState = psBefore;
  if (recNos.empty() || keys.size() < recNos.size()) {
    MakeEmptyRoot();
    return;
  }
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
  std::vector<TChild> level;
  TIdxNode node;
  groups(recNos.size(), static_cast<size_t>(std::max<Integer>(FLayout.MaxEntries, 1)), [&](size_t from, size_t size) {
    node.Branch = false;
    node.Keys.resize(size * k);
    for (size_t i = 0; i < size; ++i) std::memcpy(node.Keys.data() + i * k, keys[from + i], k);
    node.Links.assign(recNos.begin() + static_cast<std::ptrdiff_t>(from),
                      recNos.begin() + static_cast<std::ptrdiff_t>(from + size));
    const LongWord page = FStore.NewIndexPage();
    WriteNode(page, node);
    level.push_back({page, from + size - 1});
  });
  // A branch page takes as many children as it has entries; the last child has no key of its own.
  const size_t fanOut = static_cast<size_t>(std::max<Integer>(FLayout.MaxEntries, 2));
  while (level.size() > 1) {
    std::vector<TChild> upper;
    groups(level.size(), fanOut, [&](size_t from, size_t size) {
      node.Branch = true;
      node.Keys.clear();
      node.Links.clear();
      for (size_t i = from; i < from + size; ++i) {
        node.Links.push_back(level[i].Page);
        if (i + 1 < from + size) node.Keys.insert(node.Keys.end(), keys[level[i].High], keys[level[i].High] + k);
      }
      const LongWord page = FStore.NewIndexPage();
      WriteNode(page, node);
      upper.push_back({page, level[from + size - 1].High});
    });
    level = std::move(upper);
  }
  FRoot = level.front().Page;
}

void TIdxTree::Descend(const Byte* key, bool behindEqual) {
  if (FCache.size() > kCacheLimit) DropCache();
  FPath.clear();
  LongWord page = FRoot;
  FOrder.Prepare(key);
  for (;;) {
    TIdxNode& node = Node(page);
    const Integer n = Count(node);
    Integer lo = 0, hi = n;
    while (lo < hi) {
      Integer mid = (lo + hi) / 2;
      int c = FOrder.CompareToPrepared(KeyOf(node, mid));
      if (c > 0 || (c == 0 && !behindEqual)) hi = mid;
      else lo = mid + 1;
    }
    FPath.push_back({page, lo});
    if (!node.Branch) break;
    page = node.Links[static_cast<size_t>(lo)];
    CheckChild(page);
  }
  FState = psOn;
  Normalize();
}

void TIdxTree::DescendEdge(size_t fromLevel, bool first) {
  FPath.resize(fromLevel + 1);
  for (;;) {
    TIdxNode& node = Node(FPath.back().Page);
    if (!node.Branch) {
      FPath.back().Index = first ? 0 : Count(node) - 1;
      return;
    }
    FPath.back().Index = first ? 0 : static_cast<Integer>(node.Links.size()) - 1;
    const LongWord child = node.Links[static_cast<size_t>(FPath.back().Index)];
    CheckChild(child);
    FPath.push_back({child, 0});
  }
}

// Moves to the first entry of the next leaf (or the last of the previous one); false at the end.
bool TIdxTree::StepLeaf(bool forward) {
  // Turning back may pass the leaves just left again.
  if (forward != FWalk.Forward) {
    if (!FWalk.Leaves.empty()) FWalk.Leaves.clear();
    FWalk.Forward = forward;
  }
  for (;;) {
    size_t level = FPath.size() - 1;
    FWalk.Leaves.insert(FPath[level].Page);
    bool moved = false;
    while (level > 0) {
      --level;
      TIdxNode& node = Node(FPath[level].Page);
      Integer next = FPath[level].Index + (forward ? 1 : -1);
      if (next >= 0 && next < static_cast<Integer>(node.Links.size())) {
        FPath[level].Index = next;
        FPath.resize(level + 1);
        const LongWord child = node.Links[static_cast<size_t>(next)];
        CheckChild(child);
        FPath.push_back({child, 0});
        DescendEdge(level + 1, forward);
        moved = true;
        break;
      }
    }
    if (!moved) return false;
    EnterLeaf(FPath.back().Page);
    TIdxNode& leaf = Node(FPath.back().Page);
    if (Count(leaf) > 0) return true;
  }
}

void TIdxTree::Normalize() {
  TIdxNode& leaf = Node(FPath.back().Page);
  if (FPath.back().Index < Count(leaf)) return;
  if (!StepLeaf(true)) {
    FState = psAfter;
    return;
  }
}

int TIdxTree::Seek(const Byte* key, Integer target) {
  BeginWalk();
  Descend(key, target == kSeekBehindEqual);
  if (target > 0) {
    while (FState == psOn) {
      const Byte* k = CurrentKey();
      if (FOrder.Compare(key, k) != 0) break;
      if (static_cast<Integer>(Node(FPath.back().Page).Links[static_cast<size_t>(FPath.back().Index)]) == target) return 0;
      if (!StepRaw(true)) {
        FState = psAfter;
        break;
      }
    }
    // Not found: the position is behind the equal keys.
    return FState == psOn ? FOrder.Compare(key, CurrentKey()) : 1;
  }
  if (FState != psOn) return 1;
  return FOrder.Compare(key, CurrentKey());
}

bool TIdxTree::Contains(const Byte* key) { return Seek(key, kSeekAtOrAfter) == 0; }

int TIdxTree::SeekInRange(const Byte* key) {
  if (FEmptyRange) {
    GoLast();
    return 1;
  }
  const bool belowRange = FHasLow && FOrder.Compare(key, FLow.data()) < 0;
  BeginWalk();
  Descend(belowRange ? FLow.data() : key, false);
  if (!OnEntry()) return 1;
  return FOrder.Compare(key, CurrentKey());
}

void TIdxTree::Highest(LongWord page, std::vector<Byte>& out) {
  const TIdxNode* n = &Node(EdgeLeaf(page, false));
  const Integer c = Count(*n);
  if (c == 0) out.assign(FZeroKey.begin(), FZeroKey.end());
  else out.assign(KeyOf(*n, c - 1), KeyOf(*n, c - 1) + FLayout.KeyLength);
}

void TIdxTree::PropagateHighest(size_t level) {
  std::vector<Byte> high;
  Highest(FPath[level].Page, high);
  while (level > 0) {
    --level;
    TIdxNode& parent = Node(FPath[level].Page);
    const Integer i = FPath[level].Index;
    if (i < Count(parent)) {
      std::memcpy(&parent.Keys[static_cast<size_t>(i * FLayout.KeyLength)], high.data(), static_cast<size_t>(FLayout.KeyLength));
      parent.Dirty = true;
      return;
    }
  }
}

void TIdxTree::SplitUp(size_t level) {
  const Integer k = FLayout.KeyLength;
  while (Count(Node(FPath[level].Page)) > Capacity(Node(FPath[level].Page))) {
    if (level == 0) {
      LongWord newRoot = FStore.NewIndexPage();
      TIdxNode& root = FCache[newRoot];
      root = TIdxNode{};
      root.Branch = true;
      root.Links.push_back(FPath[0].Page);
      root.Dirty = true;
      FPath.insert(FPath.begin(), TLevel{newRoot, 0});
      FRoot = newRoot;
      if (OnNewRoot) OnNewRoot(newRoot);
      level = 1;
    }
    const LongWord page = FPath[level].Page;
    const LongWord rightPage = FStore.NewIndexPage();
    TIdxNode& node = Node(page);
    TIdxNode right;
    right.Branch = node.Branch;
    const Integer n = Count(node);
    const Integer pos = FPath[level].Index;
    std::vector<Byte> separator;
    Integer leftKeys;
    if (!node.Branch) {
      leftKeys = n / 2;
      right.Keys.assign(node.Keys.begin() + leftKeys * k, node.Keys.end());
      right.Links.assign(node.Links.begin() + leftKeys, node.Links.end());
      node.Keys.resize(static_cast<size_t>(leftKeys * k));
      node.Links.resize(static_cast<size_t>(leftKeys));
      separator.assign(KeyOf(node, leftKeys - 1), KeyOf(node, leftKeys - 1) + k);
    } else {
      // Left keeps children 0..c-1 (the last of them without a key), right the rest.
      const Integer c = (n + 1) / 2 + ((n + 1) % 2);
      separator.assign(KeyOf(node, c - 1), KeyOf(node, c - 1) + k);
      right.Keys.assign(node.Keys.begin() + c * k, node.Keys.end());
      right.Links.assign(node.Links.begin() + c, node.Links.end());
      node.Keys.resize(static_cast<size_t>((c - 1) * k));
      node.Links.resize(static_cast<size_t>(c));
      leftKeys = c;
    }
    node.Dirty = true;
    right.Dirty = true;
    TIdxNode& parent = Node(FPath[level - 1].Page);
    const Integer i = FPath[level - 1].Index;
    parent.Keys.insert(parent.Keys.begin() + i * k, separator.begin(), separator.end());
    parent.Links.insert(parent.Links.begin() + i, page);
    parent.Links[static_cast<size_t>(i + 1)] = rightPage;
    parent.Dirty = true;
    FCache[rightPage] = std::move(right);
    if (pos >= leftKeys) {
      FPath[level].Page = rightPage;
      FPath[level].Index = pos - leftKeys;
      FPath[level - 1].Index = i + 1;
    }
    --level;
  }
}

bool TIdxTree::Insert(const Byte* key, LongWord recNo, bool unique) {
  if (unique && Seek(key, kSeekAtOrAfter) == 0) return false;
  BeginWalk();
  Descend(key, true);
  // Past the last entry the position is the end of the rightmost leaf.
  if (FState == psAfter) DescendEdge(0, false), ++FPath.back().Index;
  const size_t leafLevel = FPath.size() - 1;
  TIdxNode& leaf = Node(FPath[leafLevel].Page);
  const Integer at = FPath[leafLevel].Index;
  const Integer k = FLayout.KeyLength;
  leaf.Keys.insert(leaf.Keys.begin() + at * k, key, key + k);
  leaf.Links.insert(leaf.Links.begin() + at, recNo);
  leaf.Dirty = true;
  if (at == Count(leaf) - 1) PropagateHighest(leafLevel);
  SplitUp(leafLevel);
  FState = psOn;
  return true;
}

void TIdxTree::RemoveChild(size_t level) {
  // The page at FPath[level] is empty: its parent loses the link and, when that leaves it with
  // no child, goes in turn. A page that leaves the tree is written empty: what it held is gone,
  // and a walker elsewhere that still knows the page must not find it there.
  const Integer k = FLayout.KeyLength;
  while (level > 0) {
    TIdxNode& gone = Node(FPath[level].Page);
    gone = TIdxNode{};
    gone.Dirty = true;
    TIdxNode& parent = Node(FPath[level - 1].Page);
    const Integer i = FPath[level - 1].Index;
    const Integer n = Count(parent);
    if (i < n) {
      parent.Keys.erase(parent.Keys.begin() + i * k, parent.Keys.begin() + (i + 1) * k);
      parent.Links.erase(parent.Links.begin() + i);
    } else {
      parent.Links.erase(parent.Links.begin() + i);
      if (n > 0) parent.Keys.erase(parent.Keys.begin() + (n - 1) * k, parent.Keys.end());
    }
    parent.Dirty = true;
    FPath.resize(level);
    --level;
    if (!parent.Links.empty()) {
      if (i >= n) PropagateHighest(level);
      FPath[level].Index = std::min<Integer>(i, static_cast<Integer>(parent.Links.size()) - 1);
      return;
    }
  }
  // The root lost its last child: it becomes an empty leaf.
  TIdxNode& root = Node(FPath[0].Page);
  root = TIdxNode{};
  root.Dirty = true;
  FPath.resize(1);
  FPath[0].Index = 0;
}

bool TIdxTree::Remove(const Byte* key, LongWord recNo) {
  if (recNo == 0 || recNo > static_cast<LongWord>(INT_MAX)) return false;
  if (Seek(key, static_cast<Integer>(recNo)) != 0 || FState != psOn) return false;
  const size_t leafLevel = FPath.size() - 1;
  TIdxNode& leaf = Node(FPath[leafLevel].Page);
  const Integer at = FPath[leafLevel].Index;
  const Integer k = FLayout.KeyLength;
  leaf.Keys.erase(leaf.Keys.begin() + at * k, leaf.Keys.begin() + (at + 1) * k);
  leaf.Links.erase(leaf.Links.begin() + at);
  leaf.Dirty = true;
  const Integer left = Count(leaf);
  if (left == 0 && leafLevel > 0) {
    RemoveChild(leafLevel);
    FState = psBefore;
    return true;
  }
  if (at == left && left > 0) PropagateHighest(leafLevel);
  FState = psBefore;
  return true;
}

bool TIdxTree::InRange(const Byte* key) const {
  if (FEmptyRange) return false;
  if (FHasLow && FOrder.Compare(key, FLow.data()) < 0) return false;
  if (FHasHigh && FOrder.Compare(key, FHigh.data()) > 0) return false;
  return true;
}

bool TIdxTree::OnEntry() {
  return FState == psOn && !FPath.empty() && InRange(CurrentKey());
}

const Byte* TIdxTree::CurrentKey() {
  if (FState != psOn || FPath.empty()) return FZeroKey.data();
  TIdxNode& leaf = Node(FPath.back().Page);
  const Integer i = FPath.back().Index;
  if (i < 0 || i >= Count(leaf)) return FZeroKey.data();
  return KeyOf(leaf, i);
}

Integer TIdxTree::CurrentRecNo() {
  if (!OnEntry()) return -1;
  TIdxNode& leaf = Node(FPath.back().Page);
  const Integer i = FPath.back().Index;
  if (i < 0 || i >= Count(leaf)) return -1;
  return static_cast<Integer>(leaf.Links[static_cast<size_t>(i)]);
}

void TIdxTree::GoFirst() {
  if (FCache.size() > kCacheLimit) DropCache();
  BeginWalk();
  FPath.assign(1, TLevel{FRoot, 0});
  FState = psBefore;
}

void TIdxTree::GoLast() {
  if (FCache.size() > kCacheLimit) DropCache();
  BeginWalk();
  FPath.assign(1, TLevel{FRoot, 0});
  FState = psAfter;
}

bool TIdxTree::GoNext() {
  if (FState == psAfter) return false;
  if (FEmptyRange) {
    FState = psAfter;
    return false;
  }
  // A position below the range (a record just moved there) goes on at the range's first entry.
  if (FState == psOn && FHasLow && FOrder.Compare(CurrentKey(), FLow.data()) < 0) FState = psBefore;
  if (FState == psBefore) {
    if (FHasLow) Descend(FLow.data(), false);
    else {
      FPath.assign(1, TLevel{FRoot, 0});
      DescendEdge(0, true);
      FState = psOn;
      Normalize();
    }
  } else {
    TIdxNode& leaf = Node(FPath.back().Page);
    if (FPath.back().Index + 1 < Count(leaf)) ++FPath.back().Index;
    else if (!StepLeaf(true)) FState = psAfter;
  }
  if (FState == psOn && !InRange(CurrentKey())) FState = psAfter;
  return FState == psOn;
}

bool TIdxTree::StepRaw(bool forward) {
  if (forward) {
    TIdxNode& leaf = Node(FPath.back().Page);
    if (FPath.back().Index + 1 < Count(leaf)) {
      ++FPath.back().Index;
      return true;
    }
    return StepLeaf(true);
  }
  if (FPath.back().Index > 0) {
    --FPath.back().Index;
    return true;
  }
  return StepLeaf(false);
}

void TIdxTree::PositionLast() {
  FPath.assign(1, TLevel{FRoot, 0});
  DescendEdge(0, false);
  FState = psOn;
  if (Count(Node(FPath.back().Page)) == 0 && !StepLeaf(false)) FState = psBefore;
}

bool TIdxTree::GoPrev() {
  if (FState == psBefore) return false;
  if (FEmptyRange) {
    FState = psBefore;
    return false;
  }
  // A position above the range goes back from the range's last entry.
  if (FState == psOn && FHasHigh && FOrder.Compare(CurrentKey(), FHigh.data()) > 0) FState = psAfter;
  if (FState == psAfter) {
    if (FHasHigh) {
      Descend(FHigh.data(), true);
      if (FState == psAfter) PositionLast();
      else if (!StepRaw(false)) FState = psBefore;
    } else {
      PositionLast();
    }
  } else if (!StepRaw(false)) {
    FState = psBefore;
  }
  if (FState == psOn && !InRange(CurrentKey())) FState = psBefore;
  return FState == psOn;
}

bool TIdxTree::GotoEntry(const Byte* key, LongWord recNo) {
  if (recNo == 0 || recNo > static_cast<LongWord>(INT_MAX)) return false;
  return Seek(key, static_cast<Integer>(recNo)) == 0 && FState == psOn;
}

TIdxTree::TSavedPosition TIdxTree::SavePosition() {
  TSavedPosition saved;
  saved.State = FState;
  if (FState == psOn && !FPath.empty()) {
    TIdxNode& leaf = Node(FPath.back().Page);
    const Integer i = FPath.back().Index;
    if (i >= 0 && i < Count(leaf)) {
      saved.Key.assign(KeyOf(leaf, i), KeyOf(leaf, i) + FLayout.KeyLength);
      saved.RecNo = leaf.Links[static_cast<size_t>(i)];
      saved.Leaf = FPath.back().Page;
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
  if (saved.RecNo == changedRecNo && FState == psOn && !FPath.empty()) {
    TIdxNode& leaf = Node(FPath.back().Page);
    const Integer i = FPath.back().Index;
    if (i >= 0 && i < Count(leaf) && leaf.Links[static_cast<size_t>(i)] == changedRecNo) return;
  }
  if (!GotoEntry(saved.Key.data(), saved.RecNo)) {
    FPath.clear();
    FState = psBefore;
  }
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
    if (LeafHolds(saved.Leaf, saved.Key.data(), saved.RecNo)) Damaged(saved.Leaf);
    // Forwards: on the last entry up to the key, so the step reaches the first one behind it;
    // backwards: on the first entry at or after it, so the step reaches the one before.
    Descend(saved.Key.data(), forward);
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
}

void TIdxTree::SetHighBound(const Byte* key) {
  FHigh.assign(key, key + FLayout.KeyLength);
  FHasHigh = true;
}

void TIdxTree::SetEmptyRange() { FEmptyRange = true; }

void TIdxTree::ClearBounds() { FHasLow = FHasHigh = FEmptyRange = false; }

Integer TIdxTree::Depth() {
  Integer depth = 0;
  EdgeLeaf(FRoot, true, &depth);
  return depth;
}

LongWord TIdxTree::EdgeLeaf(LongWord page, bool first, Integer* depth) {
  // The pages passed, compared one by one: a descent is as short as the tree is deep.
  std::vector<LongWord> passed;
  for (;;) {
    if (std::find(passed.begin(), passed.end(), page) != passed.end()) Damaged(page);
    passed.push_back(page);
    const TIdxNode& node = Node(page);
    if (!node.Branch) break;
    page = first ? node.Links.front() : node.Links.back();
  }
  if (depth) *depth = static_cast<Integer>(std::min<size_t>(passed.size(), INT_MAX));
  return page;
}

Int64 TIdxTree::Weight(Integer levelsBelow) const {
  Int64 w = 1;
  for (Integer i = 0; i < levelsBelow && w < INT_MAX; ++i) w *= FLayout.MaxEntries;
  return w;
}

Integer TIdxTree::SequentialNo() {
  if (FState == psBefore) return 0;
  if (FState == psAfter) return INT_MAX;
  Int64 n = 1;
  const Integer depth = static_cast<Integer>(FPath.size());
  for (Integer level = 0; level < depth; ++level)
    n += static_cast<Int64>(std::max<Integer>(FPath[static_cast<size_t>(level)].Index, 0)) * Weight(depth - 1 - level);
  return static_cast<Integer>(std::min<Int64>(n, INT_MAX - 1));
}

// The root's weight times its entries up to the one that holds the range's last key.
Integer TIdxTree::SequentialCount() {
  if (FEmptyRange) return 0;
  const Integer depth = Depth();
  TIdxNode& root = Node(FRoot);
  Int64 entries = root.Branch ? static_cast<Int64>(root.Links.size()) : Count(root);
  if (FHasHigh) {
    // Child i holds the keys up to key i; equal keys may go on in the child after it.
    const Integer n = Count(root);
    Integer i = 0;
    while (i < n && FOrder.Compare(KeyOf(root, i), FHigh.data()) <= 0) ++i;
    entries = root.Branch ? std::min<Int64>(i + 1, entries) : i;
  }
  return static_cast<Integer>(std::min<Int64>(Weight(depth - 1) * entries, INT_MAX - 1));
}

void TIdxTree::SetSequentialNo(Integer n) {
  if (n <= 0) {
    GoFirst();
    return;
  }
  const Integer depth = Depth();
  Int64 r = static_cast<Int64>(n) - 1;
  BeginWalk();
  FPath.assign(1, TLevel{FRoot, 0});
  for (Integer level = 0;; ++level) {
    TIdxNode& node = Node(FPath.back().Page);
    const Int64 w = Weight(depth - 1 - level);
    const Integer size = node.Branch ? static_cast<Integer>(node.Links.size()) : Count(node);
    Int64 q = r / w;
    r %= w;
    if (q >= size) {
      q = size - 1;
      r = w - 1;
    }
    FPath.back().Index = static_cast<Integer>(std::max<Int64>(q, 0));
    if (!node.Branch) break;
    const LongWord child = node.Links[static_cast<size_t>(FPath.back().Index)];
    CheckChild(child);
    FPath.push_back({child, 0});
  }
  FState = psOn;
  Normalize();
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
