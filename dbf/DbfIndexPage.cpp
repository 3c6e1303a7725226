// Index page objects: loading and checking pages, entry selection, walks along the levels,
// searches on one page, and entries inserted, changed, removed and split off into new pages.
#include "dbf/DbfIndexPage.h"
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace orv {

bool TMdxPage::IsBranch() {
  const LongWord n = GetLE32(Buffer());
  return n < static_cast<LongWord>(MaxEntries()) && GetLE32(EntryAt(static_cast<Integer>(n))) != 0;
}

Byte* TMdxPage::StoreLinkAt(Integer i, LongWord record, LongWord child) {
  Byte* e = EntryAt(i);
  PutLE32(e, child != 0 ? child : record);
  return e;
}

Byte* TNdxPage::StoreLinkAt(Integer i, LongWord record, LongWord child) {
  Byte* e = EntryAt(i);
  PutLE32(e, child);
  PutLE32(e + 4, record);
  return e;
}

TIndexPage::TIndexPage(TIndexPageHost& host)
    : FHost(host),
      FKeyLength(host.KeyLength()),
      FEntryLength(host.EntryLength()),
      FMaxEntries(host.MaxEntries()),
      FBuffer(static_cast<size_t>(host.PageBytes()), 0) {
  Clear();
}

TIndexPage::~TIndexPage() {
  FLower.reset();
  try {
    WritePage();
  } catch (...) {
  }
}

void TIndexPage::Clear() {
  std::fill(FBuffer.begin(), FBuffer.end(), Byte{0});
  FLower.reset();
  FUpper = nullptr;
  PageNo = -1;
  EntryNo = -1;
  Weight = 1;
  IsModified = false;
  Entry = FHost.BeforeFirst();
  LowPage = HighPage = 0;
  LowSaved = HighSaved = 0;
  LowIndex = 0;
  LockCount = 0;
  HighIndex = -1;
}

void TIndexPage::Forget() {
  for (TIndexPage* p = this; p; p = p->Lower()) p->IsModified = false;
  Clear();
}

void TIndexPage::Validate() {
  const Integer max = MaxEntries();
  const LongWord rawCount = GetLE32(Buffer());
  if (rawCount > static_cast<LongWord>(max)) throw EDbfError("Index page entry count out of range.");
  if (!IsBranch()) return;
  const Integer n = static_cast<Integer>(rawCount);
  // A branch keeps a link behind its last keyed entry: it needs room for one entry more.
  if (n + 1 > max) throw EDbfError("Index page entry count out of range.");
  for (Integer i = 0; i <= n; ++i) {
    const Byte* e = EntryAt(i);
    if (GetLE32(e) == 0) throw EDbfError("Index page links a page outside the file.");
  }
}

void TIndexPage::LoadPage(Int64 n) {
  if (n == PageNo && !FHost.SharedPages()) return;
  // The page replaced is handed over whole: its bytes are not needed here any more.
  if (IsModified && PageNo > 0) {
    FHost.StorePage(static_cast<LongWord>(PageNo), FBuffer);
    IsModified = false;
  }
  PageNo = n;
  EntryNo = -1;
  Entry = FHost.BeforeFirst();
  // A page number outside the file is damage, not an empty page.
  bool checked = false;
  if (n <= 0 || n > static_cast<Int64>(UINT32_MAX) || !FHost.ReadPage(static_cast<LongWord>(n), Buffer(), checked)) {
    std::fill(FBuffer.begin(), FBuffer.end(), Byte{0});
    PageNo = -1;
    FHost.PageDamaged(n < 0 ? 0 : static_cast<LongWord>(std::min<Int64>(n, UINT32_MAX)));
  }
  if (!checked) {
    try {
      Validate();
    } catch (...) {
      std::fill(FBuffer.begin(), FBuffer.end(), Byte{0});
      PageNo = -1;
      throw;
    }
    FHost.PageChecked(static_cast<LongWord>(n));
  }
  const bool branch = IsBranch();
  if (branch && !FLower) {
    FLower = NewPageObject();
    FLower->SetUpper(this);
    FHost.LevelCreated(*FLower);
  } else if (!branch && FLower) {
    DropLower();
  }
  RecomputeRange();
  if (!branch) SelectEntry(LowIndex);
}

void TIndexPage::DropLower() {
  FLower.reset();
  Weight = 1;
  UpdateWeights();
}

void TIndexPage::RecomputeRange() {
  const Integer last = PageNo < 0 ? -1 : LastEntry();
  const bool on = FHost.RangesOn();
  LowIndex = on && LowPage != 0 && PageNo == LowPage ? std::clamp(LowSaved, 0, last + 1) : 0;
  HighIndex = on && HighPage != 0 && PageNo == HighPage ? std::clamp(HighSaved, -1, last) : last;
  if (EntryNo >= LowIndex && EntryNo <= HighIndex) Entry = EntryAt(EntryNo);
  else Entry = EntryNo < LowIndex ? FHost.BeforeFirst() : FHost.AfterLast();
}

void TIndexPage::SelectEntry(Integer i) {
  if (i < LowIndex) {
    Entry = FHost.BeforeFirst();
    EntryNo = LowIndex - 1;
    return;
  }
  if (i > HighIndex) {
    EntryNo = HighIndex + 1;
    Entry = FHost.AfterLast();
    return;
  }
  const bool branch = FLower != nullptr;
  if (i == EntryNo && Entry == EntryAt(i) && (!branch || FLower->PageNo == static_cast<Int64>(CurrentChild()))) return;
  EntryNo = i;
  Entry = EntryAt(i);
  if (!branch) return;
  const LongWord child = CurrentChild();
  // A child on the path above it makes the tree a loop.
  for (const TIndexPage* p = this; p; p = p->Upper())
    if (p->PageNo == static_cast<Int64>(child)) FHost.PageDamaged(child);
  FLower->LoadPage(child);
}

void TIndexPage::HoldPage() { ++LockCount; }

void TIndexPage::ReleasePage() {
  if (LockCount > 0 && --LockCount == 0 && FHost.SharedPages()) WritePage();
}

void TIndexPage::WritePage() {
  if (!IsModified || PageNo <= 0) return;
  FHost.WritePage(static_cast<LongWord>(PageNo), Buffer());
  IsModified = false;
}

void TIndexPage::FlushChain() {
  for (TIndexPage* p = this; p; p = p->Lower()) p->WritePage();
}

int TIndexPage::SearchPage(Integer target) {
  Integer lo = LowIndex, hi = EntryCount();
  // The comparison with the entry at hi, once the search has made one there.
  int atHi = 1;
  bool comparedAtHi = false;
  while (lo < hi) {
    const Integer mid = lo + (hi - lo) / 2;
    const int c = FHost.CompareSearchKey(KeyAt(mid));
    if (c < 0 || (c == 0 && target != -3)) {
      hi = mid;
      atHi = c;
      comparedAtHi = true;
    } else {
      lo = mid + 1;
    }
  }
  SelectEntry(lo);
  if (FLower) return 0;
  if (EntryNo > HighIndex || EntryNo < LowIndex) return 1;
  int r = comparedAtHi && EntryNo == hi ? atHi : FHost.CompareSearchKey(CurrentKey());
  if (target <= 0) return r;
  // Among equal keys, the entry of that record.
  while (r == 0) {
    if (CurrentRecordNo() == static_cast<LongWord>(target)) return 0;
    if (EntryNo >= HighIndex) {
      SelectEntry(EntryNo + 1);
      return 1;
    }
    SelectEntry(EntryNo + 1);
    r = FHost.CompareSearchKey(CurrentKey());
  }
  return r;
}

void TIndexPage::InsertEntry(LongWord record, const Byte* key, LongWord child) {
  HoldPage();
  const Integer e = EntryLength();
  const Integer n = EntryCount();
  const bool branch = FLower != nullptr || IsBranch();
  const Integer used = branch ? n + 1 : n;
  const Integer at = std::clamp(EntryNo, 0, used);
  std::memmove(EntryAt(at + 1), EntryAt(at), static_cast<size_t>((used - at) * e));
  // A leaf keeps no link behind its last entry.
  if (!branch && n + 2 <= MaxEntries()) PutLE32(EntryAt(n + 1), 0);
  IncEntryCount();
  IsModified = true;
  EntryNo = at;
  RecomputeRange();
  Entry = EntryAt(at);
  SetEntry(record, key, child);
  ReleasePage();
}

void TIndexPage::SetEntry(LongWord record, const Byte* key, LongWord child) {
  // A parent's key is its child's highest key, up to the root.
  if (EntryNo == LastEntry() && FUpper) FUpper->SetEntry(0, key, static_cast<LongWord>(PageNo));
  Byte* k = KeyAt(EntryNo);
  const size_t len = static_cast<size_t>(FKeyLength);
  if (key) std::memmove(k, key, len);
  else std::memset(k, 0, std::min<size_t>(len, 1));
  Entry = EntryAt(EntryNo);
  StoreCurrentLink(record, child);
  IsModified = true;
}

void TIndexPage::PassHighestUp() {
  if (!FUpper || (EntryCount() == 0 && !FLower)) return;
  FUpper->SetEntry(0, KeyAt(LastEntry()), static_cast<LongWord>(PageNo));
}

void TIndexPage::RemoveEntry() {
  HoldPage();
  const Integer e = EntryLength();
  const Integer n = EntryCount();
  const bool branch = FLower != nullptr;
  const Integer used = branch ? n + 1 : n;
  const Integer at = EntryNo;
  if (at < 0 || at >= used) {
    ReleasePage();
    return;
  }
  const bool wasLast = at == used - 1;
  std::memmove(EntryAt(at), EntryAt(at + 1), static_cast<size_t>((used - at - 1) * e));
  // The entry vacated keeps no link: a leaf must not read as a branch.
  std::memset(EntryAt(used - 1), 0, static_cast<size_t>(e));
  const Integer left = used - 1;
  StoreEntryCount(branch ? std::max<Integer>(left - 1, 0) : left);
  IsModified = true;
  if (left == 0) {
    // The page is empty: it leaves the tree (its number is not reused) and is written empty.
    std::fill(FBuffer.begin(), FBuffer.end(), Byte{0});
    if (branch) DropLower();
    EntryNo = -1;
    RecomputeRange();
    ReleasePage();
    if (FUpper) FUpper->RemoveEntry();
    return;
  }
  RecomputeRange();
  if (wasLast) {
    EntryNo = -1;
    SelectEntry(LastEntry());
    PassHighestUp();
  }
  if (EntryNo > HighIndex) SelectEntry(HighIndex);
  else {
    const Integer keep = EntryNo;
    EntryNo = -1;
    SelectEntry(keep);
  }
  if (FLower) FLower->ToFirst();
  ReleasePage();
}

void TIndexPage::SplitPage() {
  if (!FUpper) FHost.MakeRootAbove(*this);
  TIndexPage& up = *FUpper;
  up.HoldPage();
  HoldPage();
  const Integer e = EntryLength();
  const bool branch = FLower != nullptr;
  const Integer n = EntryCount();
  Integer left = n / 2 + (branch && n % 2 != 0 ? 1 : 0);
  Integer right = n - left;
  if (left < right && EntryNo > left) {
    ++left;
    --right;
  } else if (right < left && EntryNo < left) {
    --left;
    ++right;
  }
  // The entries from left on (a branch's link behind them too) go to a new page.
  std::unique_ptr<TIndexPage> page = NewPageObject();
  page->PageNo = FHost.NewPageNo();
  const Integer moved = branch ? right + 1 : right;
  std::memcpy(page->EntryAt(0), EntryAt(left), static_cast<size_t>(moved * e));
  page->StoreEntryCount(right);
  page->IsModified = true;
  std::memset(EntryAt(left), 0, static_cast<size_t>(moved * e));
  StoreEntryCount(n - right - (branch ? 1 : 0));
  IsModified = true;
  // The upper level's entry that led here now leads to the new page; a new entry before it
  // leads here with this page's new highest key.
  std::vector<Byte> highest(KeyAt(left - 1), KeyAt(left - 1) + FKeyLength);
  const LongWord newPage = static_cast<LongWord>(page->PageNo);
  const Integer upAt = up.EntryNo;
  up.InsertEntry(0, highest.data(), static_cast<LongWord>(PageNo));
  up.EntryNo = upAt;
  up.StoreLinkAt(upAt + 1, 0, newPage);
  page->WritePage();
  page.reset();
  // Where the current entry went: a leaf's insertion point at the end of the left part stays
  // there when that part is the smaller one.
  const Integer at = EntryNo;
  const bool stays = branch ? at < left : at < left || (at == left && left < right);
  RecomputeRange();
  if (stays) {
    EntryNo = -1;
    SelectEntry(at);
  } else {
    up.EntryNo = -1;
    up.RecomputeRange();
    up.SelectEntry(upAt + 1);
    EntryNo = -1;
    SelectEntry(at - left);
  }
  ReleasePage();
  up.ReleasePage();
}

bool TIndexPage::NextEntry() {
  if (EntryNo < HighIndex) {
    SelectEntry(std::max(EntryNo + 1, LowIndex));
    if (FLower) FLower->ToFirst();
    return true;
  }
  return FUpper && FUpper->NextEntry();
}

bool TIndexPage::PrevEntry() {
  if (EntryNo > LowIndex) {
    SelectEntry(std::min(EntryNo - 1, HighIndex));
    if (FLower) FLower->ToLast();
    return true;
  }
  return FUpper && FUpper->PrevEntry();
}

void TIndexPage::ToFirst() {
  SelectEntry(LowIndex);
  if (FLower && EntryNo >= LowIndex && EntryNo <= HighIndex) FLower->ToFirst();
}

void TIndexPage::ToLast() {
  SelectEntry(HighIndex);
  if (FLower && EntryNo >= LowIndex && EntryNo <= HighIndex) FLower->ToLast();
}

void TIndexPage::SetUpper(TIndexPage* upper) {
  FUpper = upper;
  if (FUpper) FUpper->UpdateWeights();
}

void TIndexPage::UpdateWeights() {
  for (TIndexPage* p = this; p; p = p->Upper()) {
    if (!p->FLower) {
      p->Weight = 1;
      continue;
    }
    const Int64 w = p->FLower->Weight * MaxEntries();
    p->Weight = std::min<Int64>(w, INT_MAX);
  }
}

void TIndexPage::AdoptLower(std::unique_ptr<TIndexPage> lower) {
  FLower = std::move(lower);
  FLower->SetUpper(this);
}

}  // namespace orv
