// konten.dat read from a hand-written fixture and written back byte for byte, the password
// scrambling, the dialog's length checks, and damaged files at every cut point.
#include "app/KontenStore.h"

#include "platform/rtl/CodePages.h"
#include "tests/app/DataFilesHex.h"

namespace orv {
namespace {

using test::DataFolderTest;
using test::FixtureBytes;
using test::ReadFileBytes;
using test::WriteFileBytes;

class KontenStoreTest : public DataFolderTest {};

AnsiString AllHighBytes() {
  AnsiString s;
  for (int c = 0x80; c <= 0xFF; c += 3) s.push_back(static_cast<char>(c));
  return s;
}

TEST_F(KontenStoreTest, FixtureReadsEveryFieldAndWritesBackByteForByte) {
  const std::string bytes = FixtureBytes("konten.hex");
  WriteFileBytes(Path("konten.dat"), bytes);
  TKontoRec* cursor = nullptr;
  TDynaArray<TKontoRec> konten(&cursor);
  const TDataFileResult r = OpenKontenFile(Path("konten.dat"), konten);
  ASSERT_EQ(r.State, dfWhole) << r.Reason;
  ASSERT_EQ(konten.Count(), 2);
  EXPECT_EQ(r.RecordsKept, 2);
  const TKontoRec& a = konten[0];
  EXPECT_EQ(a.SenderName, "Anna Kranz");
  EXPECT_EQ(a.SenderAddress, "anna@example.org");
  EXPECT_EQ(a.ReplyAddress, "antwort@example.org");
  EXPECT_EQ(a.Server, "smtp.example.org");
  EXPECT_EQ(a.UserName, "anna");
  EXPECT_EQ(a.Password, "2D302632272C") << "the password stays scrambled in the record";
  const TKontoCredentials login = KontoCredentials(a);
  EXPECT_EQ(login.UserName, "anna");
  EXPECT_EQ(login.Password, "geheim");
  const TKontoRec& b = konten[1];
  EXPECT_EQ(b.SenderName, "Bob");
  EXPECT_EQ(b.Server, "127.0.0.1");
  EXPECT_TRUE(b.ReplyAddress.empty() && b.UserName.empty() && b.Password.empty());
  EXPECT_TRUE(KontoCredentials(b).UserName.empty());

  ASSERT_TRUE(SaveKontenFile(Path("copy.dat"), konten));
  EXPECT_EQ(ReadFileBytes(Path("copy.dat")), bytes);
}

TEST_F(KontenStoreTest, MissingFileLeavesTheArrayAndLoadingReplacesIt) {
  TDynaArray<TKontoRec> konten;
  konten.Append()->SenderName = "kept";
  EXPECT_EQ(OpenKontenFile(Path("konten.dat"), konten).State, dfMissing);
  ASSERT_EQ(konten.Count(), 1);
  EXPECT_EQ(konten[0].SenderName, "kept");
  WriteFileBytes(Path("konten.dat"), FixtureBytes("konten.hex"));
  EXPECT_EQ(OpenKontenFile(Path("konten.dat"), konten).State, dfWhole);
  ASSERT_EQ(konten.Count(), 2);
  EXPECT_EQ(konten[0].SenderName, "Anna Kranz");
}

TEST_F(KontenStoreTest, EveryCutPointKeepsTheWholeAccountsAndLeavesADamagedCopy) {
  const std::string bytes = FixtureBytes("konten.hex");
  // The first account ends after the count and its six strings.
  const std::size_t firstEnd = 4 + (1 + 10) + (1 + 16) + (1 + 19) + (1 + 16) + (1 + 4) + (1 + 12);
  ASSERT_EQ(static_cast<Byte>(bytes[firstEnd]), 3) << "the fixture's second account starts here";
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    const std::string name = "k" + std::to_string(cut) + ".dat";
    WriteFileBytes(Path(name), bytes.substr(0, cut));
    TDynaArray<TKontoRec> konten;
    const TDataFileResult r = OpenKontenFile(Path(name), konten);
    ASSERT_EQ(r.State, dfDamaged);
    const Integer whole = cut >= firstEnd ? 1 : 0;
    EXPECT_EQ(konten.Count(), whole);
    EXPECT_EQ(r.RecordsKept, whole);
    if (whole == 1) {
      EXPECT_EQ(konten[0].Password, "2D302632272C");
    }
    EXPECT_EQ(ReadFileBytes(Path(name + ".damaged")), bytes.substr(0, cut));
  }
}

TEST_F(KontenStoreTest, MalformedFiles) {
  struct Case {
    const char* name;
    std::string hex;
    Integer kept;
  };
  const Case cases[] = {
      {"negative count", "FF FF FF FF", 0},
      {"count far past the data", "FF FF FF 7F 01 \"a\" 00 00 00 00 00", 1},
      {"string length past the data", "01 00 00 00 FF \"abc\"", 0},
      {"bytes after the last account", "01 00 00 00 00 00 00 00 00 00 EE", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(Path("konten.dat"), test::HexBytes(c.hex));
    TDynaArray<TKontoRec> konten;
    const TDataFileResult r = OpenKontenFile(Path("konten.dat"), konten);
    EXPECT_EQ(r.State, dfDamaged);
    EXPECT_EQ(konten.Count(), c.kept);
    EXPECT_EQ(r.RecordsKept, c.kept);
  }
}

TEST_F(KontenStoreTest, TextOver255BytesIsNotWrittenAndTheOldFileStays) {
  WriteFileBytes(Path("konten.dat"), "old");
  TDynaArray<TKontoRec> konten;
  konten.Append()->Server = std::string(256, 's');
  EXPECT_FALSE(SaveKontenFile(Path("konten.dat"), konten));
  EXPECT_EQ(ReadFileBytes(Path("konten.dat")), "old");
  konten[0].Server = std::string(255, 's');
  EXPECT_TRUE(SaveKontenFile(Path("konten.dat"), konten));
}

TEST_F(KontenStoreTest, TextsKeepTheirBytesUpTo255) {
  TDynaArray<TKontoRec> konten;
  TKontoRec* k = konten.Append();
  k->SenderName = "J\xFCrgen M\xFCller \x80";
  k->SenderAddress = std::string(255, 'a');
  k->Password = ScramblePassword(AllHighBytes());
  ASSERT_TRUE(SaveKontenFile(Path("konten.dat"), konten));
  TDynaArray<TKontoRec> back;
  ASSERT_EQ(OpenKontenFile(Path("konten.dat"), back).State, dfWhole);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back[0].SenderName, k->SenderName);
  EXPECT_EQ(back[0].SenderAddress, k->SenderAddress);
  EXPECT_EQ(KontoCredentials(back[0]).Password, AllHighBytes());
}

TEST_F(KontenStoreTest, SavingDoesNotMoveTheCursor) {
  TKontoRec* cursor = nullptr;
  TDynaArray<TKontoRec> konten(&cursor);
  konten.Append()->SenderName = "a";
  konten.Append()->SenderName = "b";
  konten.Select(0);
  ASSERT_TRUE(SaveKontenFile(Path("konten.dat"), konten));
  EXPECT_EQ(cursor, &konten[0]);
  EXPECT_EQ(konten.Index(), 0);
}

TEST(PasswordTest, ScrambleAndDecode) {
  struct Case {
    const char* name;
    AnsiString plain;
    AnsiString stored;  // empty: only the round trip and the length are checked
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"one character", "a", "2B"},
      {"three characters", "abc", "2B2B2B"},
      {"word", "geheim", "2D302632272C"},
      // 0xFF XOR 0x4B = 0xB4, + 1; a signed byte would go negative here.
      {"byte 0xFF", "\xFF", "B5"},
      // 0xB4 XOR 0x4B = 0xFF, + 1 wraps to 0x00: still two digits.
      {"sum over 255", "\xB4", "00"},
      {"bytes 0x80-0xFF", AllHighBytes(), ""},
      {"127 characters", AnsiString(127, 'z'), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AnsiString scrambled = ScramblePassword(c.plain);
    EXPECT_EQ(scrambled.size(), 2 * c.plain.size());
    if (!c.stored.empty() || c.plain.empty()) {
      EXPECT_EQ(scrambled, c.stored);
    }
    EXPECT_EQ(DeCodePassw(scrambled), c.plain);
  }
}

TEST(PasswordTest, DecodeOfStoredTexts) {
  struct Case {
    const char* name;
    AnsiString stored;
    AnsiString plain;
  };
  const Case cases[] = {
      {"lower-case hex", "2d302632272c", "geheim"},
      {"a stored 00 wraps below zero", "00", "\xB4"},
      {"odd last character ignored", "2B2", "a"},
      // 'G' counts as 0: (0x01 - 1) XOR 0x4B.
      {"digit outside 0-9/A-F", "G1", "K"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DeCodePassw(c.stored), c.plain);
  }
}

TEST(PasswordTest, HexDigitValue) {
  const std::pair<char, Integer> cases[] = {{'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'a', 10},
                                            {'f', 15}, {'G', 0}, {'g', 0}, {' ', 0}, {'\xC4', 0}};
  for (const auto& [c, v] : cases) EXPECT_EQ(HexDigitValue(c), v) << "digit " << c;
}

TEST(KontoTextCheckTest, LimitsCountAnsiBytes) {
  const WideString e255(255, u'\u00E9');  // one byte each in 1252
  const WideString e256(256, u'\u00E9');
  EXPECT_EQ(CheckKontoText("Sender name:", e255), "");
  const AnsiString refused = CheckKontoText("Sender name:", e256);
  EXPECT_NE(refused.find("Sender name:"), AnsiString::npos) << refused;
  EXPECT_NE(refused.find("256"), AnsiString::npos) << refused;
  EXPECT_EQ(CheckKontoPassword(WideString(127, u'x')), "");
  EXPECT_NE(CheckKontoPassword(WideString(128, u'x')), "");
  EXPECT_EQ(CheckKontoPassword(u""), "");
}

}  // namespace
}  // namespace orv
