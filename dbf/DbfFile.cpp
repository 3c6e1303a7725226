// TDbfFile: opening a table (header, level, language, descriptors, level-7 properties, memo and
// production index), creating one, and writing its header.
#include "dbf/DbfFile.h"
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfLang.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Nls.h"

namespace orv {

namespace {

TIndexFileFactory& FactorySlot() {
  static TIndexFileFactory factory = OpenIndexForTable;
  return factory;
}

constexpr Integer kMaxFields = 4095;
constexpr Byte kDescriptorEnd = 0x0D;

Integer HeaderBytesOf(int level) { return level == kLevelDbase7 ? 68 : 32; }
Integer DescriptorBytesOf(int level) { return level == kLevelDbase7 ? 48 : 32; }

// The companion file's extension in the case of the table's own extension.
AnsiString CompanionName(const AnsiString& tableName, const char* lowerExt) {
  AnsiString ext = ExtractFileExt(tableName);
  bool upper = !ext.empty() && std::none_of(ext.begin(), ext.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  AnsiString wanted = ChangeFileExt(tableName, upper ? UpperCase(lowerExt) : AnsiString(lowerExt));
  return FindFileNoCase(wanted);
}

// Names the field, its type letter (in hexadecimal when it is no printable character) and size.
AnsiString UnreadableFieldMessage(const AnsiString& name, char letter, Integer size) {
  const auto code = static_cast<unsigned char>(letter);
  char type[8];
  if (code > 0x20 && code < 0x7F) std::snprintf(type, sizeof type, "'%c'", letter);
  else std::snprintf(type, sizeof type, "0x%02X", code);
  return Format(STRING_UNREADABLE_FIELD, {name, type, size});
}

}  // namespace

void SetIndexFileFactory(TIndexFileFactory factory) { FactorySlot() = std::move(factory); }
const TIndexFileFactory& IndexFileFactory() { return FactorySlot(); }

TDbfFile::TDbfFile(AnsiString fileName) : TPagedFile(std::move(fileName)) {}

TDbfFile::~TDbfFile() {
  try {
    CloseDbfFile();
  } catch (...) {
  }
}

AnsiString TDbfFile::MemoFileName() const {
  return CompanionName(FileName(), FTableLevelCode == kLevelFoxPro ? ".fpt" : ".dbt");
}

AnsiString TDbfFile::ProductionIndexName() const { return CompanionName(FileName(), ".mdx"); }

void TDbfFile::DecideLevel() {
  const Byte version = Header()[0];
  switch (version & 7) {
    case 2:
    case 5: FTableLevelCode = kLevelFoxPro; break;
    case 3: FTableLevelCode = Header()[29] != 0 ? kLevelDbase4 : kLevelDbase3; break;
    case 4: FTableLevelCode = kLevelDbase7; break;
    default:
      if ((version & 0x70) == 0x30) FTableLevelCode = kLevelFoxPro;
      else throw EDbfError(STRING_INVALID_DBF_FILE);
  }
  FFieldDefs.TableLevel = FTableLevelCode;
  FFieldDefs.FoxProBinaryFields = FTableLevelCode == kLevelFoxPro && (version & 0x70) == 0x30;
}

void TDbfFile::ReadLanguage() {
  if (FTableLevelCode != kLevelDbase7) {
    FLanguageCodePage = CodePageOfDriver(Header()[29]);
  } else {
    FLanguageCodePage = CodePageOfLevel7Name(LanguageName());
  }
  FUseCodePage = FLanguageCodePage != 0 ? FLanguageCodePage : DbfGlobals().SystemCodePage;
}

Byte TDbfFile::LanguageDriver() const { return HeaderSize() > 29 ? Header()[29] : 0; }

AnsiString TDbfFile::LanguageName() const {
  if (FTableLevelCode != kLevelDbase7 || HeaderSize() < 64) return {};
  const char* p = reinterpret_cast<const char*>(Header() + 32);
  size_t n = 0;
  while (n < 32 && p[n]) ++n;
  return AnsiString(p, n);
}

LongWord TDbfFile::HeaderRecordCount() const { return HeaderSize() >= 8 ? GetLE32(Header() + 4) : 0; }

void TDbfFile::OpenDbfFile() {
  if (FOpened) return;
  OpenFile();
  FOpenFailed = false;
  if (!ModeCreates(Mode())) {
    SetHeaderSize(32);
    DecideLevel();
    const Integer recordLength = GetLE16(Header() + 10);
    const Integer headerLength = GetLE16(Header() + 8);
    if (recordLength == 0 || headerLength == 0) {
      SetRecordSize(0);
      SetHeaderSize(0);
      FOpenFailed = true;
      return;
    }
    if (headerLength < HeaderBytesOf(FTableLevelCode) + DescriptorBytesOf(FTableLevelCode))
      throw EDbfError(STRING_INVALID_DBF_FILE);
    SetRecordSize(recordLength);
    SetHeaderSize(headerLength);
    ReadLanguage();
    ReadFieldDefs();
    FUnlinkProductionIndex = false;
    if (HasMemoFields()) {
      OpenMemoFile(Mode(), false, 0);
      Header()[0] |= 0x80;
    } else {
      Header()[0] &= 0x7F;
    }
    if (Header()[28] != 0) OpenProductionIndex();
    if (FOpenFailed) return;
    // A count that disagrees with the file size is corrected (read-only opens only in memory).
    // While others share the file, a count below the size is what their appends in progress
    // look like (records are written out of order), so there only a count past the end is cut.
    const LongWord sizeCount = static_cast<LongWord>(RecordCount());
    if (sizeCount != HeaderRecordCount()) {
      if (IsReadOnly()) {
        PutLE32(Header() + 4, sizeCount);
      } else {
        UpdateHeader([this](Byte* h) {
          const LongWord fresh = static_cast<LongWord>(RecordCount());
          if (!NeedLocking() || GetLE32(h + 4) > fresh) PutLE32(h + 4, fresh);
        });
      }
    }
  }
  FOpened = true;
}

void TDbfFile::OpenMemoFile(TPagedFileMode mode, bool autoCreate, Integer blockSize) {
  AnsiString name = MemoFileName();
  int memoLevel = FTableLevelCode;
  // A language driver makes a level-III table level IV, but its memo file (no dBASE IV memo bit in
  // the version byte) keeps the level-III layout that its other readers expect.
  if (!ModeCreates(mode) && memoLevel == kLevelDbase4 && HeaderSize() > 0 && (Header()[0] & 0x88) == 0x80)
    memoLevel = kLevelDbase3;
  if (FTableLevelCode == kLevelFoxPro) FMemoFile = std::make_unique<TFoxProMemoFile>(name, FTableLevelCode, blockSize);
  else FMemoFile = std::make_unique<TDbaseMemoFile>(name, memoLevel, blockSize);
  FMemoFile->SetMode(mode);
  FMemoFile->SetAutoCreate(autoCreate);
  FMemoFile->OpenMemo();
}

void TDbfFile::OpenProductionIndex() {
  AnsiString name = ProductionIndexName();
  if (Mode() != pfMemoryCreate && FileExists(name)) {
    // Without an index layer the index is left alone: the table opens without it and keeps the link.
    const auto& factory = IndexFileFactory();
    if (!factory) return;
    auto index = factory(*this, name, Mode(), FUseCodePage);
    if (!index || index->Unusable()) return;
    FProductionIndex = index.get();
    for (const auto& tag : index->TagNames()) FIndexNames.emplace_back(tag, index.get());
    FIndexFiles.push_back(std::move(index));
    return;
  }
  bool deleteLink = true;
  if (OnIndexMissing) OnIndexMissing(deleteLink);
  if (deleteLink) {
    FUnlinkProductionIndex = true;
    Header()[28] = 0;
  } else {
    FOpenFailed = true;
  }
}

void TDbfFile::ReadFieldDefs() {
  FFieldDefs.Clear();
  FHasLockField = false;
  FHasAutoInc = false;
  const Integer headerLength = HeaderSize();
  const Integer recordLength = RecordSize();
  const Integer base = HeaderBytesOf(FTableLevelCode);
  const Integer descSize = DescriptorBytesOf(FTableLevelCode);
  const Integer nameBytes = FTableLevelCode == kLevelDbase7 ? 32 : 11;
  const Integer count = (headerLength - base) / descSize;
  if (count < 1) throw EDbfError(STRING_INVALID_DBF_FILE);
  const Byte* header = Header();
  Integer offset = 1;
  Integer i = 0;
  bool terminated = false;
  while (i < count) {
    if (i >= kMaxFields) throw EDbfError(DbfMessage(STRING_INVALID_FIELD_COUNT, static_cast<Int64>(i + 1)));
    const Byte* d = header + base + i * descSize;
    size_t nameLen = 0;
    while (nameLen < static_cast<size_t>(nameBytes) && d[nameLen]) ++nameLen;
    AnsiString name = CharUpper(std::string_view(reinterpret_cast<const char*>(d), nameLen));
    const Byte* typePos = FTableLevelCode == kLevelDbase7 ? d + 32 : d + 11;
    const char letter = static_cast<char>(typePos[0]);
    Integer size = FTableLevelCode == kLevelDbase7 ? d[33] : d[16];
    Integer decimals = FTableLevelCode == kLevelDbase7 ? d[34] : d[17];
    if (letter == 'C' || letter == 'c') {
      size = decimals * 256 + size;
      decimals = 0;
    }
    TDbfFieldDef& def = FFieldDefs.Add();
    def.SetFieldName(name);
    def.SetSize(size);
    def.SetPrecision(decimals);
    def.SetNativeFieldType(letter);
    def.SetSize(size);
    def.SetPrecision(decimals);
    def.SetOffset(offset);
    def.SetDescriptorIndex(i);
    if (name.empty()) throw EDbfError(STRING_INVALID_DBF_FILE);
    if (!def.Readable(size)) throw EDbfError(UnreadableFieldMessage(name, letter, size));
    // Both the stored width and the width the value coding uses must lie inside the record.
    if (static_cast<Int64>(offset) + std::max(size, def.Size()) > recordLength) throw EDbfError(STRING_INVALID_DBF_FILE);
    if (FTableLevelCode == kLevelDbase7) {
      def.SetAutoIncValue(GetLE32(d + 42));
      if (def.NativeFieldType() == '+') FHasAutoInc = true;
    }
    if (name == "_DBASELOCK" && def.NativeFieldType() == 'C' && def.Size() >= 8) {
      def.SetIsLockField(true);
      FHasLockField = true;
      FLockFieldOffset = offset;
      FLockFieldSize = def.Size();
      FLockNameLength = std::min(FLockFieldSize - 8, DbfGlobals().ComputerNameLength());
    }
    offset += size;
    ++i;
    const Integer after = base + i * descSize;
    if (after >= headerLength || header[after] == kDescriptorEnd) {
      terminated = after < headerLength;
      break;
    }
  }
  if (FTableLevelCode == kLevelDbase7) ReadLevel7Properties(base + i * descSize + (terminated ? 1 : 0));
}

void TDbfFile::ReadLevel7Properties(Integer blockStart) {
  const Integer headerLength = HeaderSize();
  if (blockStart + 16 >= headerLength) return;
  const Byte* block = Header() + blockStart;
  const Integer entries = GetLE16(block);
  const Integer firstEntry = GetLE16(block + 2);
  const Integer room = headerLength - blockStart;
  for (Integer e = 0; e < entries; ++e) {
    const Int64 at = static_cast<Int64>(firstEntry) + static_cast<Int64>(e) * 15;
    if (at + 15 > room) throw EDbfError(STRING_INVALID_DBF_FILE);
    const Byte* entry = block + at;
    const Integer fieldNo = GetLE16(entry + 2);
    if (fieldNo == 0 || fieldNo > static_cast<Integer>(FFieldDefs.Count())) continue;
    TDbfFieldDef& def = FFieldDefs[static_cast<size_t>(fieldNo - 1)];
    const Byte kind = entry[4];
    if (kind == 1) {
      def.SetRequired(true);
      continue;
    }
    if (kind < 2 || kind > 4) continue;
    const Integer dataOffset = GetLE16(entry + 11);
    const Integer dataSize = GetLE16(entry + 13);
    if (static_cast<Int64>(dataOffset) + dataSize > room) throw EDbfError(STRING_INVALID_DBF_FILE);
    Byte* target = kind == 2 ? def.MinBuf() : kind == 3 ? def.MaxBuf() : def.DefaultBuf();
    if (!target) continue;
    const Integer n = std::min(dataSize, def.Size());
    std::copy(block + dataOffset, block + dataOffset + n, target);
    (kind == 2 ? def.HasMin : kind == 3 ? def.HasMax : def.HasDefault) = true;
  }
}

bool TDbfFile::HasMemoFields() const {
  for (size_t i = 0; i < FFieldDefs.Count(); ++i)
    if (FFieldDefs.Item(i).IsBlob()) return true;
  return false;
}

TDbfFieldDef* TDbfFile::FieldDefByName(const AnsiString& name) {
  AnsiString upper = CharUpper(name);
  for (size_t i = 0; i < FFieldDefs.Count(); ++i)
    if (FFieldDefs[i].FieldName() == upper) return &FFieldDefs[i];
  return nullptr;
}

void TDbfFile::FinishCreate(const TDbfFieldDefs& fieldDefs, Integer memoBlockSize) {
  const int level = FTableLevelCode;
  const Integer base = HeaderBytesOf(level);
  const Integer descSize = DescriptorBytesOf(level);
  const Integer nameMax = level == kLevelDbase7 ? 31 : 10;
  const Int64 fieldCount = static_cast<Int64>(fieldDefs.Count());
  if (fieldCount < 1 || fieldCount > kMaxFields) throw EDbfError(DbfMessage(STRING_INVALID_FIELD_COUNT, fieldCount));
  const Int64 headerLength = base + descSize * fieldCount + 1;
  if (headerLength > 65535) throw EDbfError(DbfMessage(STRING_INVALID_HEADER_LENGTH, headerLength));
  Int64 recordLength = 1;
  for (size_t i = 0; i < fieldDefs.Count(); ++i) recordLength += std::max(fieldDefs.Item(i).Size(), 0);
  if (recordLength > 65535) throw EDbfError(DbfMessage(STRING_INVALID_RECORD_LENGTH, recordLength));

  std::vector<Byte> header(static_cast<size_t>(headerLength), 0);
  const TDbfGlobals& globals = DbfGlobals();
  if (level == kLevelDbase7) {
    header[0] = 4;
    AnsiString lang = Level7LanguageName(globals.DefaultCodePage, globals.DefaultLocale);
    std::copy(lang.begin(), lang.begin() + std::min<size_t>(lang.size(), 31), header.begin() + 32);
  } else {
    header[0] = level == kLevelFoxPro ? 5 : 3;
    header[29] = level == kLevelDbase3
                     ? 0 : DriverOfCodePage(globals.DefaultCodePage, globals.DefaultLocale, level == kLevelFoxPro);
  }
  FFieldDefs.Clear();
  FFieldDefs.TableLevel = level;
  FHasLockField = FHasAutoInc = false;
  Integer offset = 1;
  for (size_t i = 0; i < fieldDefs.Count(); ++i) {
    const TDbfFieldDef& given = fieldDefs.Item(i);
    TDbfFieldDef& def = FFieldDefs.Add();
    def.CopyFrom(given, static_cast<Integer>(i));
    AnsiString name = CharUpper(given.FieldName());
    if (static_cast<Integer>(name.size()) > nameMax) name.resize(static_cast<size_t>(nameMax));
    def.SetFieldName(name);
    def.SetOffset(offset);
    def.SetDescriptorIndex(static_cast<Integer>(i));
    Byte* d = header.data() + base + static_cast<Integer>(i) * descSize;
    std::copy(name.begin(), name.end(), d);
    Byte* typePos = level == kLevelDbase7 ? d + 32 : d + 11;
    typePos[0] = static_cast<Byte>(def.NativeFieldType());
    const bool isChar = def.NativeFieldType() == 'C';
    typePos[level == kLevelDbase7 ? 1 : 5] = static_cast<Byte>(def.Size() & 0xFF);
    typePos[level == kLevelDbase7 ? 2 : 6] = static_cast<Byte>(isChar ? (def.Size() >> 8) : def.Precision());
    if (def.NativeFieldType() == '+') {
      // Counting starts at 1: a stored 0 would make the first value look like none given.
      def.SetAutoIncValue(std::max<LongWord>(given.AutoIncValue(), 1));
      FHasAutoInc = level == kLevelDbase7;
    }
    if (level == kLevelDbase7) PutLE32(d + 42, def.AutoIncValue());
    if (name == "_DBASELOCK" && isChar && def.Size() >= 8) {
      def.SetIsLockField(true);
      FHasLockField = true;
      FLockFieldOffset = offset;
      FLockFieldSize = def.Size();
      FLockNameLength = std::min(FLockFieldSize - 8, globals.ComputerNameLength());
    }
    offset += def.Size();
  }
  header[static_cast<size_t>(headerLength - 1)] = kDescriptorEnd;
  if (HasMemoFields()) header[0] |= level == kLevelDbase3 ? 0x80 : level == kLevelFoxPro ? 0xF0 : 0x88;
  PutLE16(header.data() + 8, static_cast<Word>(headerLength));
  PutLE16(header.data() + 10, static_cast<Word>(offset));

  TruncateStream(0);
  SetHeaderSize(0);
  SetRecordSize(offset);
  SetHeaderSize(static_cast<Integer>(headerLength));
  std::copy(header.begin(), header.end(), Header());
  FLanguageCodePage = level == kLevelDbase7 ? CodePageOfLevel7Name(LanguageName()) : CodePageOfDriver(header[29]);
  FUseCodePage = FLanguageCodePage != 0 ? FLanguageCodePage : globals.SystemCodePage;
  WriteDbfHeader();
  if (HasMemoFields() && !FMemoFile) OpenMemoFile(Mode(), AutoCreate(), memoBlockSize);
  FOpened = true;
}

void TDbfFile::WriteHeader() { WriteDbfHeader(); }

void TDbfFile::ApplyIntendedHeaderChanges() {
  if (HeaderSize() < 32) return;
  if (HasMemoFields()) Header()[0] |= 0x80;
  else Header()[0] &= 0x7F;
  if (FUnlinkProductionIndex) Header()[28] = 0;
}

void TDbfFile::WriteDbfHeader() { WriteDbfHeaderWith(true, -1); }

void TDbfFile::WriteDbfHeaderWith(bool writeMark, Int64 knownSize) {
  if (HeaderSize() <= 0 || IsReadOnly()) return;
  std::time_t now = std::time(nullptr);
  std::tm tm {};
  localtime_r(&now, &tm);
  Header()[1] = static_cast<Byte>(tm.tm_year % 256);
  Header()[2] = static_cast<Byte>(tm.tm_mon + 1);
  Header()[3] = static_cast<Byte>(tm.tm_mday);
  TPagedFile::WriteHeader();
  if (writeMark) WriteEndOfFileMark(HeaderRecordCount(), knownSize);
}

void TDbfFile::WriteEndOfFileMark(LongWord count, Int64 knownSize) {
  static const Byte mark = 0x1A;
  const Integer markRecord = static_cast<Integer>(std::min<LongWord>(count, 0x7FFFFFFE) + 1);
  const Int64 position = PagePosition(markRecord);
  if (!NeedLocking()) {
    if (WriteAt(position, &mark, 1) != 1) SetWriteError();
    return;
  }
  // In shared mode a record may already stand where the mark goes (appenders finish out of
  // order). Every mark and every appended record is written under the header lock, so the size
  // tells whether anything lies there.
  const Int64 size = knownSize >= 0 ? knownSize : StreamSize();
  if (size <= position + 1 && WriteAt(position, &mark, 1) != 1) SetWriteError();
}

void TDbfFile::UpdateHeader(const std::function<void(Byte*)>& change) {
  const bool shared = NeedLocking();
  if (shared) {
    LockPage(0, true);
    RereadHeader();
    ApplyIntendedHeaderChanges();
  }
  change(Header());
  WriteDbfHeader();
  if (shared) UnlockPage(0);
}

void TDbfFile::CloseDbfFile() {
  for (auto& index : FIndexFiles) index->CloseIndex();
  FIndexFiles.clear();
  FIndexNames.clear();
  FProductionIndex = nullptr;
  FMemoFile.reset();
  if (IsOpen() && HeaderModified() && NeedLocking()) UpdateHeader([](Byte*) {});
  CloseFile();
  FPrevRecord.clear();
  FOpened = false;
}

void TDbfFile::SetRecordSize(Integer size) {
  if (size != RecordSize()) FPrevRecord.assign(static_cast<size_t>(std::max(size, 0)), 0);
  TPagedFile::SetRecordSize(size);
}

void TDbfFile::TryExclusive() {
  TPagedFile::TryExclusive();
  if (Mode() >= pfMemoryCreate && Mode() <= pfExclusiveOpen) {
    for (auto& index : FIndexFiles) index->TryExclusive();
    if (FMemoFile) FMemoFile->TryExclusive();
  }
}

void TDbfFile::EndExclusive() {
  for (auto& index : FIndexFiles) index->EndExclusive();
  if (FMemoFile) FMemoFile->EndExclusive();
  TPagedFile::EndExclusive();
}

}  // namespace orv
