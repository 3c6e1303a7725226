// Memo files: opening with block-size checks, reading memos whole and writing them over their old
// blocks or at the end of the file under the memo header lock.
#include "dbf/DbfMemo.h"
#include <algorithm>
#include <vector>

namespace orv {

namespace {
constexpr Integer kMemoHeaderSize = 512;
constexpr Byte kTerminator = 0x1A;
}  // namespace

TMemoFile::TMemoFile(AnsiString fileName, int levelCode, Integer newBlockSize)
    : TPagedFile(std::move(fileName)), FLevelCode(levelCode), FNewBlockSize(newBlockSize) {}

TMemoFile::~TMemoFile() {
  try {
    CloseMemo();
  } catch (...) {
  }
}

void TMemoFile::OpenMemo() {
  if (FMemoOpened) return;
  SetPageOffsetByHeader(false);
  OpenFile();
  SetHeaderSize(kMemoHeaderSize);
  if (FLevelCode == kLevelDbase3) Header()[16] = 3;
  SetVirtualLocking(false);
  if (ModeCreates(Mode())) {
    SetNextFreeBlock(FNewBlockSize >= 1 && FNewBlockSize <= kMemoHeaderSize
                         ? static_cast<LongWord>(kMemoHeaderSize / FNewBlockSize) : 1);
    SetBlockSize(FNewBlockSize);
    WriteHeader();
  }
  SetRecordSize(GetBlockSize());
  CheckBlockSize();
  FMemoOpened = true;
}

void TMemoFile::CloseMemo() {
  if (!FMemoOpened && !IsOpen()) return;
  CloseFile();
  FMemoOpened = false;
}

AnsiString TMemoFile::ReadTerminated(Int64 position) {
  const Integer bs = PageSize();
  std::vector<Byte> block(static_cast<size_t>(bs) + 2);
  AnsiString out;
  bool prevEndedWithTerminator = false;
  for (;;) {
    // A short read leaves zeros behind the bytes read, never bytes of the block before.
    std::fill(block.begin(), block.end(), Byte{0});
    Int64 got = ReadAt(position, block.data(), bs);
    if (got <= 0) break;
    if (prevEndedWithTerminator && (block[0] == kTerminator || block[0] == 0)) {
      out.pop_back();
      break;
    }
    Int64 end = -1;
    for (Int64 i = 0; i < got; ++i) {
      if (block[i] == kTerminator && (i + 1 < bs || got < bs) && (block[i + 1] == kTerminator || block[i + 1] == 0)) {
        end = i;
        break;
      }
    }
    if (end >= 0) {
      out.append(reinterpret_cast<const char*>(block.data()), static_cast<size_t>(end));
      break;
    }
    out.append(reinterpret_cast<const char*>(block.data()), static_cast<size_t>(got));
    if (got < bs) break;
    prevEndedWithTerminator = block[bs - 1] == kTerminator;
    position += bs;
  }
  return out;
}

AnsiString TMemoFile::ReadMemo(Integer block) {
  const Integer bs = PageSize();
  if (block <= 0 || bs <= 0 || !IsOpen()) return {};
  const Int64 position = static_cast<Int64>(block) * bs;
  Byte first[8] = {};
  Int64 got = ReadAt(position, first, 8);
  if (got <= 0) return {};
  Int64 size = GetMemoSize(first);
  if (size < 0) return ReadTerminated(position);
  // The stored size is not trusted: what lies past the end of the file is not there to read.
  Int64 available = std::max<Int64>(StreamSize() - (position + 8), 0);
  size = std::min(size, available);
  AnsiString out(static_cast<size_t>(size), '\0');
  Int64 n = ReadAt(position + 8, out.data(), size);
  out.resize(static_cast<size_t>(std::max<Int64>(n, 0)));
  return out;
}

void TMemoFile::ReadMemo(Integer block, TStream& stream) {
  AnsiString data = ReadMemo(block);
  stream.SetSize(0);
  stream.SetPosition(0);
  if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
  stream.SetPosition(0);
}

void TMemoFile::WriteMemo(Integer& block, Integer oldSize, std::string_view data) {
  if (data.empty()) {
    block = 0;
    return;
  }
  const Int64 bs = PageSize();
  if (bs <= 0) throw EDbfWriteError(STRING_WRITE_ERROR);
  const Int64 h = BlockHeaderBytes(), t = TerminatorBytes();
  const Int64 size = static_cast<Int64>(data.size());
  if (size > 0x7FFFFFFF - h - t) throw EDbfError(DbfMessage(STRING_VALUE_DOES_NOT_FIT, FileName()));
  const Int64 needed = (h + size + t + bs - 1) / bs;
  const Int64 oldBlocks = oldSize > 0 ? (oldSize + bs - 1) / bs : 0;
  const bool toEnd = block <= 0 || needed > oldBlocks;
  Int64 first = block;
  if (toEnd) {
    LockPage(0, true);
    // Another process may have taken blocks since this header was read.
    if (NeedLocking()) {
      RereadHeader();
      if (LevelCode() == kLevelDbase3) Header()[16] = 3;
    }
    Int64 next = GetNextFreeBlock();
    if (next == 0) next = 1;
    // Never hand out blocks that hold data already, whatever the header says.
    Int64 fileBlocks = (std::max<Int64>(StreamSize(), 0) + bs - 1) / bs;
    first = std::max(next, fileBlocks);
    if (first + needed > 0x7FFFFFFF) {
      UnlockPage(0);
      throw EDbfWriteError(STRING_WRITE_ERROR);
    }
  }
  std::vector<Byte> buffer(static_cast<size_t>(needed * bs), Byte{' '});
  WriteBlockHeader(buffer.data(), static_cast<LongWord>(size));
  std::copy(data.begin(), data.end(), buffer.begin() + h);
  if (t == 2) {
    buffer[static_cast<size_t>(h + size)] = kTerminator;
    buffer[static_cast<size_t>(h + size + 1)] = kTerminator;
  }
  Int64 put = WriteAt(first * bs, buffer.data(), static_cast<Int64>(buffer.size()));
  bool failed = put != static_cast<Int64>(buffer.size());
  if (toEnd) {
    if (!failed) {
      SetNextFreeBlock(static_cast<LongWord>(first + needed));
      WriteHeader();
    }
    UnlockPage(0);
  }
  if (failed || WriteError()) {
    ResetWriteError();
    throw EDbfWriteError(STRING_WRITE_ERROR);
  }
  block = static_cast<Integer>(first);
}

void TMemoFile::WriteMemo(Integer& block, Integer oldSize, TStream& stream) {
  Int64 n = stream.Size();
  AnsiString data(static_cast<size_t>(std::max<Int64>(n, 0)), '\0');
  stream.SetPosition(0);
  if (n > 0) stream.ReadBuffer(data.data(), n);
  WriteMemo(block, oldSize, data);
}

// dBASE .dbt

Integer TDbaseMemoFile::GetBlockSize() const {
  if (LevelCode() == kLevelDbase3) return 512;
  return GetLE16(Header() + 20);
}

Int64 TDbaseMemoFile::GetMemoSize(const Byte* first) const {
  if (first[0] == 0xFF && first[1] == 0xFF && first[2] == 0x08 && first[3] == 0x00) {
    Int64 stored = GetLE32(first + 4);
    return std::max<Int64>(stored - 8, 0);
  }
  return -1;
}

LongWord TDbaseMemoFile::GetNextFreeBlock() const { return GetLE32(Header()); }
void TDbaseMemoFile::SetNextFreeBlock(LongWord n) { PutLE32(Header(), n); }
void TDbaseMemoFile::SetBlockSize(Integer n) { PutLE16(Header() + 20, static_cast<Word>(n)); }

void TDbaseMemoFile::WriteBlockHeader(Byte* first, LongWord size) const {
  if (LevelCode() == kLevelDbase3) return;
  first[0] = 0xFF;
  first[1] = 0xFF;
  first[2] = 0x08;
  first[3] = 0x00;
  PutLE32(first + 4, size + 8);
}

Integer TDbaseMemoFile::BlockHeaderBytes() const { return LevelCode() == kLevelDbase3 ? 0 : 8; }
Integer TDbaseMemoFile::TerminatorBytes() const { return LevelCode() == kLevelDbase3 ? 2 : 0; }

void TDbaseMemoFile::CheckBlockSize() {
  Integer bs = GetBlockSize();
  if (bs != 0 && bs % 128 == 0) return;
  SetBlockSize(512);
  SetRecordSize(512);
  if (!IsReadOnly()) WriteHeader();
}

// FoxPro .fpt

Integer TFoxProMemoFile::GetBlockSize() const { return GetBE16(Header() + 6); }
Int64 TFoxProMemoFile::GetMemoSize(const Byte* first) const { return GetBE32(first + 4); }
LongWord TFoxProMemoFile::GetNextFreeBlock() const { return GetBE32(Header()); }
void TFoxProMemoFile::SetNextFreeBlock(LongWord n) { PutBE32(Header(), n); }
void TFoxProMemoFile::SetBlockSize(Integer n) { PutBE16(Header() + 6, static_cast<Word>(n)); }

void TFoxProMemoFile::WriteBlockHeader(Byte* first, LongWord size) const {
  PutBE32(first, 1);
  PutBE32(first + 4, size);
}

void TFoxProMemoFile::CheckBlockSize() {
  // Memos are read and written as contiguous byte ranges, so any block size from 1 up works; a
  // block size of 0 leaves no way to find a block.
  if (GetBlockSize() == 0) throw EDbfError(STRING_INVALID_DBF_FILE);
}

}  // namespace orv
