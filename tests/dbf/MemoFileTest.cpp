// Memo files: block layouts of each kind, in-place and moved memos, block-size repair and memos
// that a damaged file cuts short.
#include <string>
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

class MemoFile : public TTempDir {
 protected:
  std::unique_ptr<TMemoFile> Make(const std::string& name, int level, TPagedFileMode mode, Integer blockSize = 512) {
    std::unique_ptr<TMemoFile> m;
    if (level == kLevelFoxPro) m = std::make_unique<TFoxProMemoFile>(Path(name), level, blockSize);
    else m = std::make_unique<TDbaseMemoFile>(Path(name), level, blockSize);
    m->SetMode(mode);
    m->OpenMemo();
    return m;
  }
};

TEST_F(MemoFile, NewFilesStartAtBlockOne) {
  for (int level : {kLevelDbase3, kLevelDbase4, kLevelFoxPro}) {
    auto m = Make("a.dbt", level, pfExclusiveCreate);
    EXPECT_EQ(m->GetNextFreeBlock(), 1u) << level;
    EXPECT_EQ(m->GetBlockSize(), 512) << level;
  }
  auto fox = Make("b.fpt", kLevelFoxPro, pfExclusiveCreate, 64);
  EXPECT_EQ(fox->GetNextFreeBlock(), 8u) << "the 512-byte header spans eight 64-byte blocks";
}

TEST_F(MemoFile, Level3MemoOfOneFullBlockTakesTwo) {
  auto m = Make("a.dbt", kLevelDbase3, pfExclusiveCreate);
  Integer block = 0;
  std::string data(512, 'x');
  m->WriteMemo(block, 0, data);
  EXPECT_EQ(block, 1);
  EXPECT_EQ(m->GetNextFreeBlock(), 3u);
  m->CloseMemo();
  auto bytes = ReadBytes("a.dbt");
  ASSERT_EQ(bytes.size(), 3u * 512);
  EXPECT_EQ(bytes[1024], 0x1A);
  EXPECT_EQ(bytes[1025], 0x1A);
  EXPECT_EQ(bytes[1026], ' ');
  auto again = Make("a.dbt", kLevelDbase3, pfReadOnly, 0);
  EXPECT_EQ(again->ReadMemo(1), data);
}

TEST_F(MemoFile, Level4MemoGrowsIntoNewBlocks) {
  auto m = Make("a.dbt", kLevelDbase4, pfExclusiveCreate);
  Integer block = 0;
  m->WriteMemo(block, 0, std::string(504, 'a'));
  EXPECT_EQ(block, 1);
  EXPECT_EQ(m->GetNextFreeBlock(), 2u) << "8 + 504 bytes fit one block";
  Integer same = block;
  m->WriteMemo(same, 504, std::string(500, 'b'));
  EXPECT_EQ(same, 1) << "a memo that still fits is written over its old blocks";
  Integer moved = block;
  m->WriteMemo(moved, 504, std::string(505, 'c'));
  EXPECT_EQ(moved, 2);
  EXPECT_EQ(m->GetNextFreeBlock(), 4u);
  EXPECT_EQ(m->ReadMemo(2), std::string(505, 'c'));
  EXPECT_EQ(m->ReadMemo(1), std::string(500, 'b'));
  Integer none = 5;
  m->WriteMemo(none, 0, "");
  EXPECT_EQ(none, 0);
  EXPECT_EQ(m->ReadMemo(0), "");
}

TEST_F(MemoFile, FoxProLayoutIsBigEndian) {
  auto m = Make("a.fpt", kLevelFoxPro, pfExclusiveCreate, 64);
  Integer block = 0;
  m->WriteMemo(block, 0, "hello");
  EXPECT_EQ(block, 8);
  m->CloseMemo();
  auto bytes = ReadBytes("a.fpt");
  ASSERT_EQ(bytes.size(), 9u * 64);
  EXPECT_EQ(std::vector<Byte>(bytes.begin(), bytes.begin() + 8), (std::vector<Byte>{0, 0, 0, 9, 0, 0, 0, 64}));
  EXPECT_EQ(std::vector<Byte>(bytes.begin() + 512, bytes.begin() + 520), (std::vector<Byte>{0, 0, 0, 1, 0, 0, 0, 5}));
}

TEST_F(MemoFile, BadBlockSizeOfDbtBecomes512) {
  std::vector<Byte> header(512, 0);
  header[0] = 1;
  header[20] = 100;
  WriteBytes("a.dbt", header);
  auto m = Make("a.dbt", kLevelDbase4, pfExclusiveOpen, 0);
  EXPECT_EQ(m->PageSize(), 512);
  m->CloseMemo();
  EXPECT_EQ(GetLE16(ReadBytes("a.dbt").data() + 20), 512) << "the repaired block size is written back";
}

TEST_F(MemoFile, DamagedMemosReadWhatIsThere) {
  auto m = Make("a.fpt", kLevelFoxPro, pfExclusiveCreate, 64);
  Integer block = 0;
  m->WriteMemo(block, 0, std::string(100, 'z'));
  m->CloseMemo();
  auto bytes = ReadBytes("a.fpt");
  PutBE32(bytes.data() + 512 + 4, 0x7FFFFFF0);  // a size far past the end of the file
  WriteBytes("a.fpt", bytes);
  auto r = Make("a.fpt", kLevelFoxPro, pfReadOnly, 0);
  std::string got = r->ReadMemo(8);
  EXPECT_EQ(got.size(), bytes.size() - 520);
  EXPECT_EQ(got.substr(0, 100), std::string(100, 'z'));
  EXPECT_EQ(r->ReadMemo(1000), "") << "a first block past the end reads as empty";
  EXPECT_EQ(r->ReadMemo(-3), "");

  // A dBASE III memo without terminator ends at the end of the file.
  std::vector<Byte> dbt(512 + 300, 'q');
  std::fill(dbt.begin(), dbt.begin() + 512, 0);
  dbt[0] = 2;
  WriteBytes("b.dbt", dbt);
  auto d = Make("b.dbt", kLevelDbase3, pfReadOnly, 0);
  EXPECT_EQ(d->ReadMemo(1), std::string(300, 'q'));
}

TEST_F(MemoFile, FoxProBlockSizeZeroIsRefusedAndTinyBlocksWork) {
  std::vector<Byte> header(512, 0);
  WriteBytes("z.fpt", header);
  EXPECT_THROW(Make("z.fpt", kLevelFoxPro, pfReadOnly, 0), EDbfError);
  PutBE16(header.data() + 6, 1);
  PutBE32(header.data(), 512);
  WriteBytes("z.fpt", header);
  auto m = Make("z.fpt", kLevelFoxPro, pfExclusiveOpen, 0);
  Integer block = 0;
  m->WriteMemo(block, 0, "tiny blocks");
  EXPECT_EQ(block, 512);
  EXPECT_EQ(m->ReadMemo(block), "tiny blocks");
}

TEST_F(MemoFile, AFailedMemoWriteReachesTheCaller) {
  TDbaseMemoFile m("/dev/full", kLevelDbase4, 0);
  m.SetMode(pfReadWriteOpen);
  m.OpenMemo();
  m.ResetWriteError();
  Integer block = 0;
  try {
    m.WriteMemo(block, 0, "lost on a full disk");
    FAIL() << "a memo the disk refused was reported as written";
  } catch (const EDbfWriteError& e) {
    EXPECT_EQ(e.Message(), "Error while writing occurred. (Disk full?)");
  }
  EXPECT_EQ(block, 0) << "the record must not point at blocks that were never written";
}

}  // namespace
}  // namespace orv::test
