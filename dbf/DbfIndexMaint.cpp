// Key maintenance of an index file on appends, edits and deletions, under bounded page locks
// between processes, and the walks, searches and ranges of the current tag.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfLang.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Nls.h"

namespace orv {

TIdxTree* TIndexFile::Tree() {
  if (FCurrent < 0 || FCurrent >= TagCount()) return nullptr;
  return FTags[static_cast<size_t>(FCurrent)].Tree.get();
}

template <class F>
bool TIndexFile::ForEachTag(F&& f) {
  if (!FOpened || FUnusable || FTags.empty()) return true;
  bool ok = true;
  if (FCurrentTagOnly && FCurrent >= 0) {
    ok = f(FCurrent);
  } else {
    for (Integer s = 0; s < TagCount(); ++s)
      if (!f(s)) ok = false;
  }
  return ok && !WriteError();
}

// Runs one change of a tag's tree. In shared mode the tag header page is held for the whole
// change and the tree is read afresh under it; a lock that cannot be had in time fails the change
// like a write failure.
bool TIndexFile::WithTagLock(Integer slot, const std::function<bool()>& change, Integer recNo) {
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  if (!s.Tree) return true;
  const bool shared = IsSharedMode();
  const Integer lockPage = IsMdx() ? static_cast<Integer>(s.HeaderPage) : 0;
  if (shared) {
    if (!LockWait(lockPage)) {
      SetWriteError();
      return false;
    }
    FTreeLockHeld = true;
  }
  // In shared mode the tree is read afresh; the position is kept by key and record.
  TIdxTree::TSavedPosition position = s.Tree->SavePosition();
  if (shared) RereadTagHeader(slot);
  const Integer saved = FCurrent;
  FCurrent = slot;
  bool ok;
  try {
    ok = change();
  } catch (...) {
    ok = false;
    SetWriteError();
    if (shared) s.Tree->Discard();
  }
  FCurrent = saved;
  if (shared) {
    s.Tree->Flush();
    s.Tree->Discard();
  }
  try {
    s.Tree->RestorePosition(position, static_cast<LongWord>(recNo > 0 ? recNo : 0));
  } catch (const Exception&) {
  }
  if (shared) {
    WriteTagHeader(slot);
    if (!IsMdx()) FlushHeader();
    FTreeLockHeld = false;
    UnlockPage(lockPage);
  }
  return ok;
}

// Keeps what the refusal of a distinct tag's key names: the record holding it (the tree stands on
// it), the key, its kind and the tag's name.
void TIndexFile::NoteViolation(Integer tag, const std::vector<Byte>& key) {
  FViolationRecNo = FTags[static_cast<size_t>(tag)].Tree->CurrentRecNo();
  FViolationKey = key;
  FViolationNumeric = TagHeader(tag)[9] == 'N';
  const Integer saved = FCurrent;
  FCurrent = tag;
  FViolationTag = IndexName();
  FCurrent = saved;
}

void TIndexFile::ForgetViolation() {
  FViolationTag = IndexName();
  FViolationRecNo = 0;
  FViolationKey.clear();
  FViolationNumeric = false;
}

bool TIndexFile::CanInsertKeys(Integer recNo, const Byte* record) {
  if (!FOpened || FUnusable || FTags.empty()) return false;
  ForgetViolation();
  bool usable = true;
  ForEachTag([&](Integer s) {
    if (usable && !EnsureParsed(s)) usable = false;
    return true;
  });
  if (!usable || FKeysFrozen) return true;
  // Every distinct tag is checked before any receives the key, so nothing is half inserted.
  for (Integer s = 0; s < TagCount(); ++s) {
    TTagSlot& slot = FTags[static_cast<size_t>(s)];
    if (!slot.Tree || (FCurrentTagOnly && s != FCurrent) || (TagHeader(s)[8] & 0x20) == 0) continue;
    std::vector<Byte> key;
    if (!BuildKey(s, record, key)) return true;
    bool held = false;
    const bool fine = WithTagLock(s, [&] {
      LoadKey(key.data(), recNo);
      held = SeekKey(false) == 0;
      if (held) NoteViolation(s, key);
      return true;
    }, 0);
    if (!fine || held) return true;
  }
  return false;
}

bool TIndexFile::CanUpdateKeys(Integer recNo, const Byte* oldRecord, const Byte* newRecord) {
  if (!FOpened || FUnusable || FTags.empty() || FKeysFrozen || recNo <= 0) return false;
  ForgetViolation();
  bool violated = false;
  ForEachTag([&](Integer s) {
    TTagSlot& slot = FTags[static_cast<size_t>(s)];
    if (violated || !slot.Tree || slot.ParseFailed || (TagHeader(s)[8] & 0x20) == 0) return true;
    std::vector<Byte> oldKey, newKey;
    // A key that cannot be built fails the update itself, as a write failure.
    if (!BuildKey(s, oldRecord, oldKey) || !BuildKey(s, newRecord, newKey)) return true;
    if (slot.Tree->Order().Compare(oldKey.data(), newKey.data()) == 0) return true;
    bool held = false;
    const bool ok = WithTagLock(s, [&] {
      LoadKey(newKey.data(), recNo);
      held = SeekKey(false) == 0 && slot.Tree->CurrentRecNo() != recNo;
      if (held) NoteViolation(s, newKey);
      return true;
    }, 0);
    if (ok && held) violated = true;
    return true;
  });
  return violated;
}

void TIndexFile::RaiseKeyViolation() {
  AnsiString keyText;
  if (!FViolationKey.empty()) {
    if (FViolationNumeric) {
      const double v = IsMdx() ? DecodeMdxNumber(FViolationKey.data()) : DecodeNdxNumber(FViolationKey.data());
      keyText = FloatToStr(v);
    } else {
      keyText = AnsiString(FViolationKey.begin(), FViolationKey.end());
      const auto z = keyText.find('\0');
      if (z != AnsiString::npos) keyText.resize(z);
      keyText = TrimRight(keyText);
    }
  }
  AnsiString tag = FViolationTag.empty() ? IndexName() : FViolationTag;
  throw EDbfError(Format(STRING_KEY_VIOLATION, {tag, FViolationRecNo, keyText}));
}

bool TIndexFile::InsertKeys(Integer recNo, const Byte* record) {
  if (FKeysFrozen || recNo <= 0) return true;
  return ForEachTag([&](Integer s) {
    TTagSlot& slot = FTags[static_cast<size_t>(s)];
    if (!slot.Tree || slot.ParseFailed) return true;
    std::vector<Byte> key;
    if (!BuildKey(s, record, key)) return false;
    const Byte flags = TagHeader(s)[8];
    return WithTagLock(s, [&] {
      // A unique tag that holds the key already keeps the entry it has; a distinct tag refuses
      // the record.
      LoadKey(key.data(), recNo);
      if ((flags & 0x60) != 0 && SeekKey(false) == 0) return (flags & 0x20) == 0;
      slot.Tree->Insert(key.data(), static_cast<LongWord>(recNo), false);
      return true;
    }, recNo);
  });
}

bool TIndexFile::RemoveTagKey(Integer s, Integer recNo, const Byte* record) {
  TTagSlot& slot = FTags[static_cast<size_t>(s)];
  if (!slot.Tree || slot.ParseFailed) return true;
  std::vector<Byte> key;
  if (!BuildKey(s, record, key)) return false;
  // A key the tag does not hold for this record (a unique tag skipped it) leaves the tag as it is.
  return WithTagLock(s, [&] {
    slot.Tree->Remove(key.data(), static_cast<LongWord>(recNo));
    return true;
  }, recNo);
}

bool TIndexFile::RemoveKeys(Integer recNo, const Byte* record) {
  if (FKeysFrozen || recNo <= 0) return true;
  return ForEachTag([&](Integer s) { return RemoveTagKey(s, recNo, record); });
}

bool TIndexFile::RemoveDistinctKeys(Integer recNo, const Byte* record) {
  if (FKeysFrozen || recNo <= 0) return true;
  return ForEachTag([&](Integer s) {
    if ((TagHeader(s)[8] & 0x20) == 0) return true;
    return RemoveTagKey(s, recNo, record);
  });
}

bool TIndexFile::UpdateKeys(Integer recNo, const Byte* oldRecord, const Byte* newRecord) {
  if (FKeysFrozen || recNo <= 0) return true;
  return ForEachTag([&](Integer s) {
    TTagSlot& slot = FTags[static_cast<size_t>(s)];
    if (!slot.Tree || slot.ParseFailed) return true;
    std::vector<Byte> oldKey, newKey;
    if (!BuildKey(s, oldRecord, oldKey) || !BuildKey(s, newRecord, newKey)) return false;
    if (slot.Tree->Order().CompareAscending(oldKey.data(), newKey.data()) == 0 &&
        std::memcmp(oldKey.data(), newKey.data(), oldKey.size()) == 0)
      return true;
    const Byte flags = TagHeader(s)[8];
    return WithTagLock(s, [&] {
      const bool removed = slot.Tree->Remove(oldKey.data(), static_cast<LongWord>(recNo));
      const bool unique = (flags & 0x60) != 0;
      if (slot.Tree->Insert(newKey.data(), static_cast<LongWord>(recNo), unique) || (flags & 0x20) == 0) return true;
      // The new key belongs to another record: the old entry comes back and the edit fails.
      if (removed) slot.Tree->Insert(oldKey.data(), static_cast<LongWord>(recNo), false);
      return false;
    }, recNo);
  });
}

void TIndexFile::TryExclusive() {
  FlushIndex();
  TPagedFile::TryExclusive();
}

void TIndexFile::EndExclusive() {
  FlushIndex();
  TPagedFile::EndExclusive();
}

void TIndexFile::BeginRead() {
  if (IsSharedMode() && FCurrent >= 0) RereadTagHeader(FCurrent);
}

void TIndexFile::LoadKey(const Byte* key, Integer recNo) {
  const Integer k = std::clamp<Integer>(KeyLength(), 0, kMaxKeyLength);
  std::fill(FKey.begin(), FKey.end(), Byte{0});
  if (key != nullptr) std::memcpy(FKey.data(), key, static_cast<size_t>(k));
  FUserRecNo = recNo;
}

int TIndexFile::SeekKey(bool insert) {
  auto* t = Tree();
  if (!t) return 1;
  if (!FTreeLockHeld) BeginRead();
  Integer target = FUserRecNo;
  if (Uniqueness() != 0) target = kSeekAtOrAfter;
  else if (insert) target = kSeekBehindEqual;
  return t->SeekKey(FKey.data(), target, insert);
}

void TIndexFile::GoFirst() {
  if (auto* t = Tree()) {
    BeginRead();
    t->GoFirst();
  }
}

void TIndexFile::GoLast() {
  if (auto* t = Tree()) {
    BeginRead();
    t->GoLast();
  }
}

// In shared mode another process may have changed the tree since the last step: the position
// is found again by key and record first (also one outside the range).
void TIndexFile::ResyncPosition(bool forward) {
  auto* t = Tree();
  if (!t) return;
  const TIdxTree::TSavedPosition at = t->SavePosition();
  BeginRead();
  t->Refind(at, forward);
}

bool TIndexFile::GoNext() {
  auto* t = Tree();
  if (!t) return false;
  if (IsSharedMode()) ResyncPosition(true);
  return t->GoNext();
}

bool TIndexFile::GoPrev() {
  auto* t = Tree();
  if (!t) return false;
  if (IsSharedMode()) ResyncPosition(false);
  return t->GoPrev();
}

Integer TIndexFile::CurrentRecNo() {
  auto* t = Tree();
  return t ? t->CurrentRecNo() : -1;
}

const Byte* TIndexFile::CurrentKey() {
  auto* t = Tree();
  static const Byte zero[kMaxKeyLength] = {};
  return t ? t->CurrentKey() : zero;
}

bool TIndexFile::GotoRecord(Integer n) {
  auto* t = Tree();
  if (!t || n <= 0) return false;
  std::vector<Byte> record(static_cast<size_t>(FTable.RecordSize()));
  if (FTable.ReadRecord(n, record.data()) != FTable.RecordSize()) return false;
  std::vector<Byte> key;
  if (!BuildKey(FCurrent, record.data(), key)) return false;
  BeginRead();
  return t->GotoEntry(key.data(), static_cast<LongWord>(n));
}

bool TIndexFile::SetToRecord(Integer n) {
  if (n == 0) GoFirst();
  else if (n == INT_MAX) GoLast();
  else if (CurrentRecNo() != n) GotoRecord(n);
  return true;
}

Integer TIndexFile::SequentialNo() {
  auto* t = Tree();
  return t ? t->SequentialNo() : 0;
}

Integer TIndexFile::SequentialCount() {
  auto* t = Tree();
  return t ? t->SequentialCount() : 0;
}

void TIndexFile::SetSequentialNo(Integer n) {
  if (auto* t = Tree()) {
    BeginRead();
    t->SetSequentialNo(n);
  }
}

void TIndexFile::SetLowBound(const Byte* key) {
  if (auto* t = Tree()) t->SetLowBound(key);
}

void TIndexFile::SetHighBound(const Byte* key) {
  if (auto* t = Tree()) t->SetHighBound(key);
}

void TIndexFile::SetEmptyRange() {
  if (auto* t = Tree()) t->SetEmptyRange();
}

void TIndexFile::ClearBounds() {
  if (auto* t = Tree()) t->ClearBounds();
}

std::vector<Byte> TIndexFile::ValueToKey(double value) const {
  std::vector<Byte> key(static_cast<size_t>(std::max<Integer>(KeyLength(), kMdxNumericKeyLength)), 0);
  if (IsMdx()) EncodeMdxNumber(value, key.data());
  else EncodeNdxNumber(value, key.data());
  return key;
}

std::vector<Byte> TIndexFile::ValueToKey(const AnsiString& text) const {
  // Stored keys are in the table's code page; a search text arrives in the ANSI code page.
  const bool convert = FCodePage != 0 && FCodePage != GetACP();
  return TextToKey(convert ? ConvertText(GetACP(), FCodePage, text) : text);
}

std::vector<Byte> TIndexFile::TextToKey(std::string_view tableText) const {
  std::vector<Byte> key(static_cast<size_t>(std::max<Integer>(KeyLength(), 0)), ' ');
  const size_t n = std::min(tableText.size(), key.size());
  if (n > 0) std::memcpy(key.data(), tableText.data(), n);
  return key;
}

int TIndexFile::CompareKeys(const Byte* a, const Byte* b) {
  auto* t = Tree();
  return t ? t->Order().Compare(a, b) : 0;
}

bool TIndexFile::FindByKey(const Byte* key, int mode) {
  auto* t = Tree();
  if (!t || mode < 0 || mode > 2) return false;
  const TIdxTree::TSavedPosition was = t->SavePosition();
  BeginRead();
  const int r = t->SeekInRange(key);
  bool found = false;
  switch (mode) {
    case 0: found = r == 0; break;
    case 1: found = r <= 0; break;
    default:
      if (r < 0) {
        found = true;
      } else if (r == 0) {
        while (t->GoNext())
          if (t->Order().Compare(key, t->CurrentKey()) != 0) {
            found = true;
            break;
          }
      }
      break;
  }
  if (found) return true;
  t->RestorePosition(was, 0);
  return false;
}

std::unique_ptr<TDbfIndexFile> OpenIndexForTable(TDbfFile& table, const AnsiString& fileName, TPagedFileMode mode,
                                                 Cardinal codePage) {
  (void)codePage;
  auto index = std::make_unique<TIndexFile>(table, fileName);
  index->SetMode(mode);
  index->OnLocaleError = table.OnLocaleError;
  index->OpenIndex();
  return index;
}

void RegisterIndexFiles() { SetIndexFileFactory(OpenIndexForTable); }

}  // namespace orv
