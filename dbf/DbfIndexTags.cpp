// Tags of an index file (create, delete, select, describe) and the key maintenance that keeps
// them in step with the table's records.
#include <algorithm>
#include <climits>
#include <cstring>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexDef.h"
#include "dbf/DbfIndexFile.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {
constexpr Integer kTagHeaderBytes = 512;
constexpr Integer kMaxExpression = 219;

AnsiString UpperAscii(AnsiString s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

std::vector<AnsiString> TIndexFile::TagNames() const {
  std::vector<AnsiString> names;
  if (!IsMdx()) return names;
  for (Integer s = 0; s < TagCount(); ++s) names.push_back(Descriptor(s).TagName());
  return names;
}

void TIndexFile::SelectTag(Integer slot) {
  if (slot < 0 || slot >= TagCount()) {
    FCurrent = -1;
    return;
  }
  FCurrent = slot;
}

void TIndexFile::SelectTagByName(const AnsiString& name) {
  const Integer slot = TagIndexOf(name);
  if (slot >= 0) SelectTag(slot);
}

Integer TIndexFile::TagNameCapacity() const {
  if (!IsMdx() || FDescriptors.empty()) return 0;
  return Descriptor(0).NameCapacity();
}

bool TIndexFile::SameTagName(const AnsiString& a, const AnsiString& b) const {
  const size_t cap = static_cast<size_t>(std::max<Integer>(TagNameCapacity(), 0));
  return SameText(a.substr(0, cap), b.substr(0, cap));
}

Integer TIndexFile::TagIndexOf(const AnsiString& name) const {
  if (!IsMdx()) return -1;
  for (Integer s = 0; s < TagCount(); ++s)
    if (SameTagName(Descriptor(s).TagName(), name)) return s;
  return -1;
}

Integer TIndexFile::KeyLength() const {
  if (FCurrent < 0) return 0;
  return std::min<Integer>(GetLE16(const_cast<TIndexFile*>(this)->TagHeader(FCurrent) + 12), kMaxKeyLength);
}

static char KeyTypeOf(const Byte* h) { return h[9] == 'N' ? 'N' : 'C'; }

char TIndexFile::KeyType() const {
  if (FCurrent < 0) return 'C';
  return KeyTypeOf(const_cast<TIndexFile*>(this)->TagHeader(FCurrent));
}

AnsiString TIndexFile::Expression() const {
  if (FCurrent < 0) return "";
  const Byte* h = const_cast<TIndexFile*>(this)->TagHeader(FCurrent) + 24;
  size_t n = 0;
  while (n < 220 && h[n] != 0) ++n;
  return AnsiString(reinterpret_cast<const char*>(h), n);
}

AnsiString TIndexFile::IndexName() const {
  if (!IsMdx()) return FileName();
  if (FCurrent < 0) return "";
  return Descriptor(FCurrent).TagName();
}

bool TIndexFile::Descending() const {
  return FCurrent >= 0 && (const_cast<TIndexFile*>(this)->TagHeader(FCurrent)[8] & 0x08) != 0;
}

int TIndexFile::Uniqueness() const {
  if (FCurrent < 0) return 0;
  const Byte flags = const_cast<TIndexFile*>(this)->TagHeader(FCurrent)[8];
  return (flags & 0x40) ? ((flags & 0x20) ? 2 : 1) : ((flags & 0x20) ? 2 : 0);
}

void TIndexFile::TagInfo(const AnsiString& name, TDbfIndexDef& def) {
  const Integer saved = FCurrent;
  SelectTagByName(name);
  def.SetIndexFile(name);
  def.SetSortField(Expression());
  TIndexOptions options = ixExpression;
  if (Descending()) options |= ixDescending;
  if (Uniqueness() == 1) options |= ixUnique;
  if (Uniqueness() == 2) options |= ixPrimary;
  def.SetOptions(options);
  def.SetFromIndexFile(true);
  SelectTag(saved);
}

void TIndexFile::SetCurrentTagOnly(bool value) { FCurrentTagOnly = (IsMdx() && TagCount() >= 2) ? value : true; }

void TIndexFile::CreateTag(const AnsiString& name, const AnsiString& expression, TIndexOptions options) {
  FTable.CheckExclusiveAccess();
  auto parser = std::make_unique<TDbfParser>(&FTable);
  parser->PrepareExpression(expression);
  char type;
  switch (parser->GetResultType()) {
    case exInteger:
    case exLargeInt:
    case exFloat:
      type = 'N';
      break;
    case exString:
      type = 'C';
      break;
    default:
      throw EDbfError(STRING_INVALID_INDEX_KEY_TYPE);
  }
  const Integer keyLength = type == 'C' ? parser->ResultLength() : (IsMdx() ? kMdxNumericKeyLength : kNdxNumericKeyLength);
  if (keyLength <= 0 || keyLength > kMaxKeyLength) throw EDbfError(STRING_INVALID_INDEX_KEY_TYPE);
  Integer slot = 0;
  if (IsMdx()) {
    if (TagCount() >= MaxTags()) throw EDbfError(STRING_TOO_MANY_INDEXES);
    slot = TagCount();
    FTags.emplace_back();
    TTagSlot& s = FTags.back();
    s.Header.assign(kTagHeaderBytes, 0);
    TIndexTag& d = Descriptor(slot);
    d.Clear();
    d.SetTagName(UpperAscii(name));
    d.SetKeyFormat((options & ixExpression) ? 0 : 16);
    d.SetReserved1(0);
    d.SetReserved2(0);
    d.SetReserved3(0);
    d.SetMarker(2);
    d.SetKeyType(static_cast<Byte>(type));
    FCurrent = slot;
    s.HeaderPage = NewIndexPage();
    d.SetHeaderPageNo(s.HeaderPage);
    PutLE16(Header() + 28, static_cast<Word>(TagCount()));
    FCurrentTagOnly = TagCount() < 2;
    TPagedFile::WriteHeader();
  } else {
    FTags.resize(1);
    std::fill(Header() + 8, Header() + HeaderSize(), Byte{0});
  }
  Byte* h = TagHeader(slot);
  Byte flags = 0;
  if (options & ixDescending) flags |= 0x08;
  if (type == 'C') flags |= 0x10;
  h[23] = 0;
  if (options & ixPrimary) {
    flags |= 0x60;
    h[23] = '!';
  } else if (options & ixUnique) {
    flags |= 0x40;
    h[23] = 1;
  }
  h[8] = flags;
  h[9] = static_cast<Byte>(type);
  if (!IsMdx()) {
    h[10] = 0x00;
    h[11] = 0x58;
  }
  PutLE16(h + 12, static_cast<Word>(keyLength));
  PutLE16(h + 16, static_cast<Word>(type == 'N' && !IsMdx() ? 1 : 0));
  PutLE16(h + 20, 2);
  std::memset(h + 24, 0, 220);
  const AnsiString expr = expression.substr(0, kMaxExpression);
  std::memcpy(h + 24, expr.data(), expr.size());
  h[246] = 1;
  FTags[static_cast<size_t>(slot)].Tree.reset();
  SetupTree(slot);
  FCurrent = slot;
  MakeRoot(slot);
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  s.Parser = std::move(parser);
  s.Parsed = !FKeysFrozen;
  s.ParseFailed = false;
  WriteTagHeader(slot);
  FlushIndex();
}

void TIndexFile::DeleteTag(const AnsiString& name) {
  FTable.CheckExclusiveAccess();
  if (!IsMdx()) {
    CloseIndex();
    DeleteFileOnDisk();
    return;
  }
  const Integer found = TagIndexOf(name);
  if (found < 0) return;
  // The trees of the slots behind it are set up afresh: what they hold in memory goes out first.
  FlushIndex();
  const Integer count = TagCount();
  for (Integer s = found; s + 1 < count; ++s) Descriptor(s).CopyFrom(Descriptor(s + 1));
  Descriptor(count - 1).Clear();
  FTags[static_cast<size_t>(found)].Tree.reset();
  FTags.erase(FTags.begin() + found);
  PutLE16(Header() + 28, static_cast<Word>(TagCount()));
  for (Integer s = found; s < TagCount(); ++s) {
    SetupTree(s);
    FTags[static_cast<size_t>(s)].Modified = true;
  }
  FCurrentTagOnly = !IsMdx() || TagCount() < 2;
  if (FCurrent == found) FCurrent = TagCount() > 0 ? 0 : -1;
  else if (FCurrent > found) --FCurrent;
  TPagedFile::WriteHeader();
  FlushIndex();
}

TIndexFile::TTagBackup TIndexFile::BackupTag(const AnsiString& name) {
  FlushIndex();
  TTagBackup backup;
  if (!IsMdx()) {
    backup.Slot = 0;
    backup.Header.assign(Header(), Header() + HeaderSize());
    return backup;
  }
  const Integer slot = TagIndexOf(name);
  if (slot < 0) return backup;
  backup.Slot = slot;
  backup.Descriptor = Descriptor(slot).Bytes();
  backup.Header = FTags[static_cast<size_t>(slot)].Header;
  backup.HeaderPage = FTags[static_cast<size_t>(slot)].HeaderPage;
  return backup;
}

void TIndexFile::RestoreTag(const TTagBackup& backup) {
  if (backup.Slot < 0) return;
  FlushIndex();
  if (!IsMdx()) {
    if (backup.Header.size() != static_cast<size_t>(HeaderSize())) return;
    const LongWord next = std::max(GetLE32(Header() + 4), GetLE32(backup.Header.data() + 4));
    std::copy(backup.Header.begin(), backup.Header.end(), Header());
    PutLE32(Header() + 4, next);
    FTags.clear();
    FTags.resize(1);
    SetupTree(0);
    FCurrent = 0;
    TPagedFile::WriteHeader();
    FlushIndex();
    return;
  }
  if (TagCount() >= MaxTags() || backup.Descriptor.size() != static_cast<size_t>(DescriptorStride())) return;
  const Integer slot = std::min(backup.Slot, TagCount());
  for (Integer s = TagCount(); s > slot; --s) Descriptor(s).CopyFrom(Descriptor(s - 1));
  Descriptor(slot).Assign(backup.Descriptor);
  TTagSlot restored;
  restored.Header = backup.Header;
  restored.HeaderPage = backup.HeaderPage;
  FTags.insert(FTags.begin() + slot, std::move(restored));
  PutLE16(Header() + 28, static_cast<Word>(TagCount()));
  // The slots behind it moved: their trees report new roots to their new places.
  for (Integer s = slot; s < TagCount(); ++s) SetupTree(s);
  FCurrentTagOnly = TagCount() < 2;
  if (FCurrent >= slot) ++FCurrent;
  TPagedFile::WriteHeader();
  FlushIndex();
}

void TIndexFile::ResetTag() {
  if (FCurrent < 0 || !FTags[static_cast<size_t>(FCurrent)].Tree) return;
  MakeRoot(FCurrent);
}

void TIndexFile::ResetAllTags() {
  for (Integer s = 0; s < TagCount(); ++s)
    if (FTags[static_cast<size_t>(s)].Tree) MakeRoot(s);
}

bool TIndexFile::EnsureParsed(Integer slot) {
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  if (FKeysFrozen || s.ParseFailed) return false;
  if (s.Parsed) return true;
  const Integer saved = FCurrent;
  FCurrent = slot;
  const AnsiString expr = Expression();
  FCurrent = saved;
  try {
    auto parser = std::make_unique<TDbfParser>(&FTable);
    parser->PrepareExpression(expr);
    const TExprType t = parser->GetResultType();
    const bool numeric = t == exInteger || t == exLargeInt || t == exFloat;
    if (numeric != (KeyTypeOf(TagHeader(slot)) == 'N') || (!numeric && t != exString)) throw EDbfError("");
    s.Parser = std::move(parser);
  } catch (const Exception&) {
    // The tag keeps refusing new records rather than being left without their keys.
    s.ParseFailed = true;
    return false;
  }
  s.Parsed = true;
  return true;
}

bool TIndexFile::BuildKey(Integer slot, const Byte* record, std::vector<Byte>& key) {
  if (!EnsureParsed(slot)) return false;
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  if (!s.Tree) return false;
  const Integer k = s.Tree->Layout().KeyLength;
  const Byte* result;
  try {
    result = s.Parser->EvaluateRecord(record);
  } catch (const Exception&) {
    return false;
  }
  if (result == nullptr) return false;
  key.assign(static_cast<size_t>(k), ' ');
  const TExprType type = s.Parser->GetResultType();
  // Numbers need their whole coded length; a file that gives less cannot take their keys.
  if (type != exString && k < (IsMdx() ? kMdxNumericKeyLength : kNdxNumericKeyLength)) return false;
  switch (type) {
    case exString: {
      // A lone field is read in place: never more than its own length.
      const Integer avail = std::min<Integer>(k, std::max<Integer>(s.Parser->ResultLength(), 0));
      Integer n = 0;
      while (n < avail && result[n] != 0) ++n;
      std::memcpy(key.data(), result, static_cast<size_t>(n));
      return true;
    }
    case exInteger:
    case exLargeInt: {
      Int64 v;
      if (s.Parser->GetResultType() == exInteger) {
        std::int32_t i;
        std::memcpy(&i, result, 4);
        v = i;
      } else {
        std::memcpy(&v, result, 8);
      }
      if (IsMdx()) EncodeMdxInteger(v, key.data());
      else EncodeNdxNumber(static_cast<double>(v), key.data());
      return true;
    }
    case exFloat: {
      double d;
      std::memcpy(&d, result, 8);
      if (IsMdx()) EncodeMdxNumber(d, key.data());
      else EncodeNdxNumber(d, key.data());
      return true;
    }
    default:
      return false;
  }
}

}  // namespace orv
