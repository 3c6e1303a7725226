// The data files' shared mechanism: atomic rewrite that leaves the old file on any failure, and
// loading that reports damage, keeps the whole records and saves a ".damaged" copy.
#include "app/DataFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include "app/Tervan.h"
#include "tests/app/DataFilesHex.h"

namespace orv {
namespace {

using test::DataFolderTest;
using test::ReadFileBytes;
using test::WriteFileBytes;

class DataFilesTest : public DataFolderTest {};

// Reads 32-bit values until the data ends, as a record file of fixed records would.
void ReadInts(TStream& data, Integer& kept, Integer count) {
  for (Integer i = 0; i < count; ++i) {
    (void)ReadInt32(data);
    kept = i + 1;
  }
}

TEST_F(DataFilesTest, RewriteReplacesTheFileAndLeavesNoTemporaryFile) {
  WriteFileBytes(Path("a.dat"), "old contents");
  ASSERT_TRUE(RewriteDataFile(Path("a.dat"), [](TStream& s) { WriteLongStr(s, "new"); }));
  EXPECT_EQ(ReadFileBytes(Path("a.dat")), std::string("\x03\0\0\0new", 7));
  EXPECT_EQ(Listing(), "a.dat\n") << "the temporary file must be gone after the rename";
}

TEST_F(DataFilesTest, FailedWriterLeavesTheOldFileAndNoTemporaryFile) {
  WriteFileBytes(Path("a.dat"), "old contents");
  const bool ok = RewriteDataFile(Path("a.dat"), [](TStream& s) {
    WriteInt32(s, 1);
    WriteShortStr(s, std::string(256, 'x'));  // refused: over 255 bytes
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadFileBytes(Path("a.dat")), "old contents");
  EXPECT_EQ(Listing(), "a.dat\n");
}

TEST_F(DataFilesTest, UnwritableFolderFailsSilentlyAndKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  WriteFileBytes(Path("a.dat"), "old contents");
  ASSERT_EQ(chmod(FDir.c_str(), 0555), 0);
  EXPECT_FALSE(RewriteDataFile(Path("a.dat"), [](TStream& s) { WriteInt32(s, 7); }));
  (void)chmod(FDir.c_str(), 0755);
  EXPECT_EQ(ReadFileBytes(Path("a.dat")), "old contents");
  EXPECT_EQ(Listing(), "a.dat\n");
}

TEST_F(DataFilesTest, FailedRenameRemovesTheTemporaryFile) {
  // A folder in the file's place cannot be replaced by a rename, whoever runs the test.
  ASSERT_EQ(mkdir(Path("a.dat").c_str(), 0755), 0);
  WriteFileBytes(Path("a.dat/inside"), "x");
  EXPECT_FALSE(RewriteDataFile(Path("a.dat"), [](TStream& s) { WriteInt32(s, 7); }));
  EXPECT_EQ(Listing(), "a.dat\n");
  EXPECT_EQ(ReadFileBytes(Path("a.dat/inside")), "x");
}

TEST_F(DataFilesTest, LinkedFileIsRewrittenWhereTheLinkPoints) {
  ASSERT_EQ(mkdir(Path("real").c_str(), 0755), 0);
  WriteFileBytes(Path("real/a.dat"), "old");
  ASSERT_EQ(symlink((FDir + "real/a.dat").c_str(), Path("a.dat").c_str()), 0);
  ASSERT_TRUE(RewriteDataFile(Path("a.dat"), [](TStream& s) { WriteByte(s, 'n'); }));
  struct stat st {};
  ASSERT_EQ(lstat(Path("a.dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
  EXPECT_EQ(ReadFileBytes(Path("real/a.dat")), "n");
}

TEST_F(DataFilesTest, MissingFolderFailsSilently) {
  EXPECT_FALSE(RewriteDataFile(Path("no/such/a.dat"), [](TStream& s) { WriteInt32(s, 7); }));
}

TEST_F(DataFilesTest, RewriteKeepsThePermissionBitsAndNewFilesAreOwnerOnly) {
  WriteFileBytes(Path("a.dat"), "x");
  ASSERT_EQ(chmod(Path("a.dat").c_str(), 0640), 0);
  ASSERT_TRUE(RewriteDataFile(Path("a.dat"), [](TStream& s) { WriteInt32(s, 1); }));
  ASSERT_TRUE(RewriteDataFile(Path("b.dat"), [](TStream& s) { WriteInt32(s, 1); }));
  struct stat st {};
  ASSERT_EQ(stat(Path("a.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  ASSERT_EQ(stat(Path("b.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(DataFilesTest, LoadStates) {
  struct Case {
    const char* name;
    std::string bytes;  // empty: no file
    Integer records;    // the reader asks for this many 32-bit values
    TDataFileState state;
    Integer kept;
  };
  const Case cases[] = {
      {"missing", "", 2, dfMissing, 0},
      {"whole", std::string(8, '\1'), 2, dfWhole, 2},
      {"cut in the second record", std::string(6, '\1'), 2, dfDamaged, 1},
      {"cut in the first record", std::string(3, '\1'), 2, dfDamaged, 0},
      {"bytes after the last record", std::string(9, '\1'), 2, dfDamaged, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Path(std::string(c.name) + ".dat");
    if (!c.bytes.empty()) WriteFileBytes(file, c.bytes);
    const Integer records = c.records;
    const TDataFileResult r =
        LoadDataFile(file, [records](TStream& d, Integer& kept) { ReadInts(d, kept, records); });
    EXPECT_EQ(r.State, c.state);
    EXPECT_EQ(r.RecordsKept, c.kept);
    EXPECT_EQ(r.FileName, file);
    EXPECT_EQ(r.Damaged(), !r.Reason.empty()) << "a reason goes with damage, and only with it";
    const bool copied = std::ifstream(file + ".damaged").good();
    EXPECT_EQ(copied, c.state == dfDamaged);
    if (copied) {
      EXPECT_EQ(ReadFileBytes(file + ".damaged"), c.bytes) << "the copy is the file as found";
    }
  }
}

TEST_F(DataFilesTest, DamageCopyReplacesAnOlderCopyAndSurvivesTheNextRewrite) {
  WriteFileBytes(Path("a.dat.damaged"), "an older copy");
  WriteFileBytes(Path("a.dat"), "\x01\x02");
  const TDataFileResult r =
      LoadDataFile(Path("a.dat"), [](TStream& d, Integer& kept) { ReadInts(d, kept, 1); });
  ASSERT_TRUE(r.Damaged());
  ASSERT_TRUE(RewriteDataFile(Path("a.dat"), [](TStream& s) { WriteInt32(s, 0); }));
  EXPECT_EQ(ReadFileBytes(Path("a.dat.damaged")), "\x01\x02");
  EXPECT_EQ(ReadFileBytes(Path("a.dat")), std::string(4, '\0'));
}

TEST_F(DataFilesTest, DamagedMessageNamesTheFileAndTheCopy) {
  TDataFileResult r;
  r.State = dfDamaged;
  r.FileName = "/p/mails.dat";
  r.RecordsKept = 2;
  r.Reason = "Read beyond end of file";
  const AnsiString text = DamagedFileMessage(r);
  EXPECT_NE(text.find("\"/p/mails.dat\""), AnsiString::npos) << text;
  EXPECT_NE(text.find("\"/p/mails.dat.damaged\""), AnsiString::npos) << text;
  EXPECT_NE(text.find(" 2 "), AnsiString::npos) << text;
}

TEST(DataFilesCountTest, NegativeOrImpossibleCountsAreDamage) {
  struct Case {
    Integer count;
    Int64 available, minBytes;
    bool damaged;
  };
  const Case cases[] = {
      {0, 0, 8, false},         {2, 16, 8, false},       {3, 16, 8, true},
      {-1, 100, 8, true},       {0x7FFFFFFF, 100, 8, true}, {-2147483647 - 1, 100, 0, true},
      {0x7FFFFFFF, 0, 0, false},  // no bound given: only the sign is checked
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    if (c.damaged)
      EXPECT_THROW(CheckRecordCount(c.count, c.available, c.minBytes, "x"), EDataFileDamaged);
    else
      EXPECT_NO_THROW(CheckRecordCount(c.count, c.available, c.minBytes, "x"));
  }
}

}  // namespace
}  // namespace orv
