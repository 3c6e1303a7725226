// Index files of a table: headers and tags, key building and maintenance, the locale check.
#include "dbf/DbfIndexFile.h"
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexDef.h"
#include "dbf/DbfLang.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Nls.h"

namespace orv {

namespace {

constexpr Integer kTagHeaderBytes = 512;
constexpr Integer kUnit = 512;
constexpr Integer kMdxHeaderBytes = 2048;

struct ELockTimeout {};

AnsiString UpperExt(const AnsiString& name) {
  auto dot = name.find_last_of('.');
  auto slash = name.find_last_of('/');
  if (dot == AnsiString::npos || (slash != AnsiString::npos && dot < slash)) return "";
  AnsiString ext = name.substr(dot);
  for (auto& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

AnsiString BaseNameNoExt(const AnsiString& name) {
  auto slash = name.find_last_of('/');
  AnsiString base = slash == AnsiString::npos ? name : name.substr(slash + 1);
  auto dot = base.find_last_of('.');
  return dot == AnsiString::npos ? base : base.substr(0, dot);
}

void PutDate(Byte* p) {
  TDateTime now = Now();
  Word y, m, d;
  DecodeDate(now, y, m, d);
  p[0] = static_cast<Byte>((y - 1900) & 0xFF);
  p[1] = static_cast<Byte>(m);
  p[2] = static_cast<Byte>(d);
}

Byte TableDriverByte(TDbfFile& table) {
  if (table.TableLevelCode() == kLevelDbase7) {
    try {
      return DriverOfLevel7Name(table.LanguageName());
    } catch (...) {
      return 0;
    }
  }
  return table.LanguageDriver();
}

}  // namespace

TIndexFile::TIndexFile(TDbfFile& table, AnsiString fileName) : TPagedFile(std::move(fileName)), FTable(table) {
  FCodePage = table.UseCodePage();
}

TIndexFile::~TIndexFile() {
  try {
    CloseIndex();
  } catch (...) {
  }
}

Integer TIndexFile::MaxTags() const {
  if (!IsMdx()) return 1;
  return std::min<Integer>(47, (kMdxHeaderBytes - 512) / DescriptorStride() - 1);
}

Integer TIndexFile::DescriptorStride() const {
  if (!IsMdx()) return 0;
  Integer l = Header()[26];
  return l == 0 ? IndexTagLength(FVersion) : l;
}

Byte* TIndexFile::TagHeader(Integer slot) {
  if (!IsMdx()) return Header();
  return FTags[static_cast<size_t>(slot)].Header.data();
}

// Descriptor i lies at 512 + L + i * L, L being the header's descriptor length; each accessor
// is given those L bytes, so descriptors closer together than their layout's own length keep
// their fields inside them.
void TIndexFile::MakeDescriptors() {
  FDescriptors.clear();
  if (!IsMdx()) return;
  const Integer l = DescriptorStride();
  const Integer slots = MaxTags();
  FDescriptors.reserve(static_cast<size_t>(std::max<Integer>(slots, 0)));
  for (Integer slot = 0; slot < slots; ++slot)
    FDescriptors.push_back(NewIndexTag(FVersion, Header() + 512 + l + slot * l, l));
}

const TIndexTag* TIndexFile::TagDescriptor(Integer slot) const {
  if (slot < 0 || slot >= static_cast<Integer>(FDescriptors.size())) return nullptr;
  return FDescriptors[static_cast<size_t>(slot)].get();
}

void TIndexFile::OpenIndex() {
  if (FOpened) return;
  OpenFile();
  SetPageOffsetByHeader(false);
  const bool mdx = UpperExt(FileName()) == ".MDX";
  const bool empty = StreamSize() == 0;
  if (mdx) {
    SetRecordSize(1024);
    SetPageSize(kUnit);
    SetHeaderSize(kMdxHeaderBytes);
    if (empty) {
      const int level = FTable.TableLevelCode();
      FVersion = level == kLevelDbase7 ? 6 : (level == kLevelFoxPro ? 5 : 3);
    } else {
      FVersion = Header()[0] == 3 ? 6 : 3;
    }
  } else {
    FVersion = 2;
    SetRecordSize(kUnit);
    SetPageSize(kUnit);
    SetHeaderSize(kTagHeaderBytes);
  }
  if (empty) {
    CreateHeader();
  } else {
    MakeDescriptors();
    ReadExisting();
  }
  FCurrentTagOnly = !IsMdx() || FTags.size() < 2;
  FOpened = true;
}

void TIndexFile::ChooseLocale() {
  int error = 0;
  if (!IsMdx()) {
    UseLocale(kByteOrderLocale);
    return;
  }
  const Byte t = TableDriverByte(FTable);
  const Byte i = Header()[31];
  Cardinal locale = FLocale;
  if (t == 0) {
    locale = i == 0 ? kByteOrderLocale : LangDriverEntry(i).Locale;
  } else if (i == 0 || i == t) {
    locale = LangDriverEntry(t).Locale;
  } else {
    error = 2;
  }
  if (error == 0 && locale == 0x10000) error = 1;
  if (error != 0 && locale != kByteOrderLocale && !LCIDList().Contains(locale)) error = 3;
  if (error == 0) {
    UseLocale(locale == 0 ? kByteOrderLocale : locale);
    return;
  }
  Cardinal solution = 0;
  if (OnLocaleError) OnLocaleError(error, solution);
  if (solution == 0) FUnusable = true;
  else if (solution == 1) FKeysFrozen = true;
  else UseLocale(solution);
}

void TIndexFile::UseLocale(Cardinal lcid) {
  FLocale = lcid;
  if (lcid == kByteOrderLocale) {
    FLocaleCodePage = FCodePage;
  } else {
    FLocaleCodePage = LocaleDefaultAnsiCodePage(lcid);
    if (FLocaleCodePage == 0) FLocaleCodePage = GetACP();
  }
  for (size_t s = 0; s < FTags.size(); ++s)
    if (FTags[s].Tree) SetupTree(static_cast<Integer>(s));
}

void TIndexFile::ReadExisting() {
  ChooseLocale();
  if (FUnusable) return;
  const Int64 size = StreamSize();
  if (!IsMdx()) {
    FTags.resize(1);
    FTags[0].HeaderPage = 0;
    SetupTree(0);
    FCurrent = 0;
    SelectTag(0);
    return;
  }
  const Integer stride = Header()[26];
  // Files of the newer layout may carry the older stride; their descriptors are read within it.
  const Integer minStride = TMdx4Tag::kLength;
  const Integer count = GetLE16(Header() + 28);
  if (stride < minStride || count > MaxTags()) {
    FUnusable = true;
    return;
  }
  FTags.resize(static_cast<size_t>(count));
  for (Integer s = 0; s < count; ++s) {
    TTagSlot& slot = FTags[static_cast<size_t>(s)];
    slot.Header.assign(kTagHeaderBytes, 0);
    slot.HeaderPage = Descriptor(s).HeaderPageNo();
    const Int64 pos = static_cast<Int64>(slot.HeaderPage) * kUnit;
    if (slot.HeaderPage < 4 || pos + kTagHeaderBytes > size ||
        ReadAt(pos, slot.Header.data(), kTagHeaderBytes) != kTagHeaderBytes) {
      FUnusable = true;
      FTags.clear();
      return;
    }
    SetupTree(s);
  }
  if (count > 0) SelectTag(0);
}

void TIndexFile::SetupTree(Integer slot) {
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  Byte* h = TagHeader(slot);
  Integer k = GetLE16(h + 12);
  // Key lengths beyond what a key can hold are cut; entry length and page fill follow from it.
  if (k > kMaxKeyLength) k = kMaxKeyLength;
  TIdxLayout layout;
  layout.Ndx = !IsMdx();
  layout.PageBytes = RecordSize();
  layout.KeyLength = k;
  const Integer entryHeader = layout.Ndx ? 8 : 4;
  layout.EntryLength = (k + entryHeader + 3) / 4 * 4;
  layout.MaxEntries = (RecordSize() - layout.EntryBase()) / layout.EntryLength;
  if (GetLE16(h + 12) != k || GetLE16(h + 18) != layout.EntryLength || GetLE16(h + 14) != layout.MaxEntries) {
    PutLE16(h + 12, static_cast<Word>(k));
    PutLE16(h + 18, static_cast<Word>(layout.EntryLength));
    PutLE16(h + 14, static_cast<Word>(layout.MaxEntries));
  }
  TIdxKeyOrder order;
  order.KeyLength = k;
  order.Descending = (h[8] & 0x08) != 0;
  order.Kind = ikCharacter;
  // A numeric tag whose key length is not that of its numbers is compared by bytes.
  if (h[9] == 'N' && IsMdx() && k == kMdxNumericKeyLength) order.Kind = ikMdxNumeric;
  if (h[9] == 'N' && !IsMdx() && k == kNdxNumericKeyLength) order.Kind = ikNdxNumeric;
  order.Locale = FLocale;
  order.CodePage = FCodePage;
  if (k <= 0) {
    s.Tree.reset();
    return;
  }
  const LongWord root = s.Tree ? s.Tree->Root() : GetLE32(h);
  // The tree set up afresh starts from the file: changes the old one holds go out first.
  if (s.Tree) s.Tree->Flush();
  s.Tree = std::make_unique<TIdxTree>(*this, layout, order);
  s.Tree->SetRoot(root);
  s.Tree->SetSharedPages(IsSharedMode());
  s.Tree->OnNewRoot = [this, slot](LongWord r) {
    PutLE32(TagHeader(slot), r);
    WriteTagHeader(slot);
  };
}

void TIndexFile::CreateHeader() {
  std::fill(Header(), Header() + HeaderSize(), Byte{0});
  if (!IsMdx()) {
    FTags.resize(1);
    Byte* h = Header();
    PutLE32(h + 4, 1);
    FCurrent = 0;
    UseLocale(kByteOrderLocale);
    TPagedFile::WriteHeader();
    return;
  }
  Byte* h = Header();
  h[0] = FVersion == 6 ? 3 : 2;
  PutDate(h + 1);
  AnsiString base = BaseNameNoExt(FileName()).substr(0, 15);
  std::memcpy(h + 4, base.data(), base.size());
  h[20] = 2;
  PutLE16(h + 22, 1024);
  h[24] = 1;
  h[26] = static_cast<Byte>(IndexTagLength(FVersion));
  h[25] = static_cast<Byte>(MaxTags() + 1);
  h[30] = 0;
  h[31] = TableDriverByte(FTable);
  PutLE32(h + 32, static_cast<LongWord>(HeaderSize() / kUnit));
  PutDate(h + 44);
  h[529] = 1;
  MakeDescriptors();
  const Cardinal driverLocale = h[31] == 0 ? kByteOrderLocale : LangDriverEntry(h[31]).Locale;
  UseLocale(driverLocale == 0 || driverLocale == 0x10000 ? kByteOrderLocale : driverLocale);
  TPagedFile::WriteHeader();
  FlushHeader();
}

void TIndexFile::CloseIndex() {
  if (!IsOpen()) return;
  if (FOpened && !FUnusable) FlushIndex();
  FTags.clear();
  FDescriptors.clear();
  FCurrent = -1;
  FOpened = false;
  CloseFile();
}

void TIndexFile::WriteTagHeader(Integer slot) {
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  if (!IsMdx()) {
    TPagedFile::WriteHeader();
    return;
  }
  s.Modified = true;
  if (IsSharedMode()) {
    if (WriteAt(static_cast<Int64>(s.HeaderPage) * kUnit, s.Header.data(), kTagHeaderBytes) != kTagHeaderBytes)
      SetWriteError();
    s.Modified = false;
  }
}

void TIndexFile::RereadTagHeader(Integer slot) {
  if (!IsSharedMode()) return;
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  if (!IsMdx()) {
    RereadHeader();
  } else {
    Byte fresh[kTagHeaderBytes];
    if (ReadAt(static_cast<Int64>(s.HeaderPage) * kUnit, fresh, kTagHeaderBytes) == kTagHeaderBytes)
      std::memcpy(s.Header.data(), fresh, kTagHeaderBytes);
  }
  if (s.Tree) {
    s.Tree->DropCache();
    s.Tree->SetRoot(GetLE32(TagHeader(slot)));
  }
}

// The header of an .ndx is its tag header; an .mdx's own header is written where it changes.
void TIndexFile::WriteHeader() {
  if (!IsMdx()) TPagedFile::WriteHeader();
  else if (FCurrent >= 0 && FCurrent < TagCount()) WriteTagHeader(FCurrent);
}

void TIndexFile::FlushIndex() {
  for (size_t s = 0; s < FTags.size(); ++s) {
    if (FTags[s].Tree) FTags[s].Tree->Flush();
    if (IsMdx() && FTags[s].Modified) {
      if (WriteAt(static_cast<Int64>(FTags[s].HeaderPage) * kUnit, FTags[s].Header.data(), kTagHeaderBytes) !=
          kTagHeaderBytes)
        SetWriteError();
      FTags[s].Modified = false;
    }
  }
  FlushHeader();
}

bool TIndexFile::LockWait(Integer page) {
  if (!NeedLocking()) return true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FLockWaitMs);
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (LockPage(page, false)) return true;
    if (LockCallFailed() || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
}

bool TIndexFile::ReadIndexPage(LongWord page, Byte* buffer) {
  const Int64 pos = static_cast<Int64>(page) * kUnit;
  // Pages never overlap the file header.
  if (pos < HeaderSize()) return false;
  return ReadAt(pos, buffer, RecordSize()) == RecordSize();
}

void TIndexFile::WriteIndexPage(LongWord page, const Byte* buffer) {
  const Int64 pos = static_cast<Int64>(page) * kUnit;
  if (pos < HeaderSize() || WriteAt(pos, buffer, RecordSize()) != RecordSize()) SetWriteError();
}

LongWord TIndexFile::NewIndexPage() {
  const bool lockHeader = !(FTreeLockHeld && !IsMdx());
  if (lockHeader && !LockWait(0)) throw ELockTimeout{};
  LongWord page;
  if (!IsMdx()) {
    if (IsSharedMode()) RereadHeader();
    page = GetLE32(Header() + 4);
    PutLE32(Header() + 4, page + 1);
    TPagedFile::WriteHeader();
  } else {
    if (IsSharedMode()) {
      // Only the free-page counter is taken from the disk; the tag list is this file's own.
      Byte fresh[4];
      if (ReadAt(32, fresh, 4) == 4) std::memcpy(Header() + 32, fresh, 4);
    }
    page = GetLE32(Header() + 32);
    PutLE32(Header() + 32, page + 2);
    SetHeaderModified(true);
    if (IsSharedMode()) {
      if (WriteAt(32, Header() + 32, 4) != 4) SetWriteError();
      SetHeaderModified(false);
    }
    if (FCurrent >= 0) {
      Byte* h = TagHeader(FCurrent);
      PutLE32(h + 4, GetLE32(h + 4) + 2);
      // The grown count goes out with the tag header (a tag being created has no page for its
      // header yet: it is written once it has one).
      if (FTags[static_cast<size_t>(FCurrent)].HeaderPage != 0) WriteTagHeader(FCurrent);
    }
  }
  if (lockHeader) UnlockPage(0);
  // A page number that would leave the 32-bit file range ends the file's growth.
  if (page == 0 || static_cast<Int64>(page) * kUnit > (Int64{1} << 40)) throw EDbfError("Index file is full.");
  return page;
}

void TIndexFile::MakeRoot(Integer slot) {
  Byte* h = TagHeader(slot);
  if (IsMdx()) PutLE32(h + 4, static_cast<LongWord>(HeaderSize() / kUnit));
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  const Integer saved = FCurrent;
  FCurrent = slot;
  s.Tree->MakeEmptyRoot();
  FCurrent = saved;
  PutLE32(h, s.Tree->Root());
  WriteTagHeader(slot);
}

}  // namespace orv
