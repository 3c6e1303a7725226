// options.dat read from a hand-written fixture and written back byte for byte, the clamping on
// reading, and a damaged file keeping the fields read before the damage.
#include "app/OptionsStore.h"

#include "app/Tervan.h"
#include "tests/app/DataFilesHex.h"

namespace orv {
namespace {

using test::DataFolderTest;
using test::FixtureBytes;
using test::HexBytes;
using test::ReadFileBytes;
using test::WriteFileBytes;

class OptionsStoreTest : public DataFolderTest {};

TEST_F(OptionsStoreTest, FixtureReadsEveryFieldAndWritesBackByteForByte) {
  const std::string bytes = FixtureBytes("options.hex");
  WriteFileBytes(Path("options.dat"), bytes);
  TOptionsRec o;
  const TDataFileResult r = OpenOptionsFile(Path("options.dat"), o);
  ASSERT_EQ(r.State, dfWhole) << r.Reason;
  EXPECT_EQ(r.RecordsKept, OptionsFieldCount);
  EXPECT_EQ(o.MailField, 3);
  EXPECT_EQ(o.BccCount, 25);
  EXPECT_EQ(o.KontoIndex, 1);
  EXPECT_EQ(o.VirusCount, 50);
  EXPECT_TRUE(o.Bcc);
  EXPECT_TRUE(o.HasTablePath);
  EXPECT_EQ(o.TablePath, "/home/u/mailaddi.dbf");
  ASSERT_TRUE(SaveOptionsFile(Path("copy.dat"), o));
  EXPECT_EQ(ReadFileBytes(Path("copy.dat")), bytes);
}

TEST_F(OptionsStoreTest, DefaultsWriteTheConstantField) {
  ASSERT_TRUE(SaveOptionsFile(Path("options.dat"), TOptionsRec{}));
  EXPECT_EQ(ReadFileBytes(Path("options.dat")),
            HexBytes("00000000 14000000 14000000 00000000 00000000 00000000 00"));
}

TEST_F(OptionsStoreTest, StoredValuesAreClampedIntoTheControlsRanges) {
  struct Case {
    Integer mailField, bcc, fixed, konto, virus, bccFlag;
    Integer wantMailField, wantBcc, wantVirus;
    bool wantBccFlag;
  };
  const Case cases[] = {
      {0, 500, 20, 0, 0, 0, 0, 100, 0, false},            // bccCountEd 500 loads as 100
      {0, 0, 20, 0, 0, 0, 0, 1, 0, false},                // 0 loads as 1
      {-7, -3, 20, 7, -1, 2, -7, 1, 0, true},             // MailFieldEd has no limits
      {999, 100, 99, -1, 200000, 1, 999, 100, 100000, true},  // field 3 is skipped whatever it holds
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bcc);
    TMemoryStream s;
    for (Integer v : {c.mailField, c.bcc, c.fixed, c.konto, c.virus, c.bccFlag}) WriteInt32(s, v);
    WriteShortStr(s, "t.dbf");
    WriteFileBytes(Path("options.dat"),
                   std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size())));
    TOptionsRec o;
    ASSERT_EQ(OpenOptionsFile(Path("options.dat"), o).State, dfWhole);
    EXPECT_EQ(o.MailField, c.wantMailField);
    EXPECT_EQ(o.BccCount, c.wantBcc);
    EXPECT_EQ(o.KontoIndex, c.konto) << "the account index is kept as stored";
    EXPECT_EQ(o.VirusCount, c.wantVirus);
    EXPECT_EQ(o.Bcc, c.wantBccFlag);
  }
}

TEST_F(OptionsStoreTest, EveryCutPointKeepsTheFieldsReadAndTheDefaultTable) {
  const std::string bytes = FixtureBytes("options.hex");
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    const std::string name = "o" + std::to_string(cut) + ".dat";
    WriteFileBytes(Path(name), bytes.substr(0, cut));
    TOptionsRec o;
    o.TablePath = "/default/mailaddies.dbf";
    const TDataFileResult r = OpenOptionsFile(Path(name), o);
    ASSERT_EQ(r.State, dfDamaged);
    const Integer fields = static_cast<Integer>(std::min<std::size_t>(cut / 4, 6));
    EXPECT_EQ(r.RecordsKept, fields);
    EXPECT_EQ(o.MailField, fields >= 1 ? 3 : 0);
    EXPECT_EQ(o.BccCount, fields >= 2 ? 25 : 20);
    EXPECT_EQ(o.KontoIndex, fields >= 4 ? 1 : 0);
    EXPECT_EQ(o.VirusCount, fields >= 5 ? 50 : 0);
    EXPECT_EQ(o.Bcc, fields >= 6);
    EXPECT_FALSE(o.HasTablePath);
    EXPECT_EQ(o.TablePath, "/default/mailaddies.dbf") << "a path cut short keeps the default table";
    EXPECT_EQ(ReadFileBytes(Path(name + ".damaged")), bytes.substr(0, cut));
  }
}

TEST_F(OptionsStoreTest, MissingFileKeepsTheDefaults) {
  TOptionsRec o;
  o.TablePath = "/default/mailaddies.dbf";
  EXPECT_EQ(OpenOptionsFile(Path("options.dat"), o).State, dfMissing);
  EXPECT_EQ(o.BccCount, 20);
  EXPECT_EQ(o.TablePath, "/default/mailaddies.dbf");
  EXPECT_FALSE(o.HasTablePath);
}

TEST_F(OptionsStoreTest, PathOver255BytesIsRefusedAndNotWritten) {
  EXPECT_EQ(CheckTablePath(std::string(255, 'p')), "");
  EXPECT_NE(CheckTablePath(std::string(256, 'p')), "");
  WriteFileBytes(Path("options.dat"), "old");
  TOptionsRec o;
  o.TablePath = std::string(256, 'p');
  EXPECT_FALSE(SaveOptionsFile(Path("options.dat"), o));
  EXPECT_EQ(ReadFileBytes(Path("options.dat")), "old");
}

}  // namespace
}  // namespace orv
