// mails.dat read from hand-written fixtures and written back byte for byte, dates in several
// forms, malformed files as a table, and a file cut short at every point.
#include "app/MailStore.h"

#include "platform/rtl/CodePages.h"
#include "tests/app/DataFilesHex.h"

namespace orv {
namespace {

using test::DataFolderTest;
using test::FixtureBytes;
using test::ReadFileBytes;
using test::WriteFileBytes;

class MailStoreTest : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    FSaved = NlsSettings();
    TNlsSettings us = FSaved;
    us.UserLCID = 0x409;
    SetNlsSettings(us);
  }
  void TearDown() override {
    SetNlsSettings(FSaved);
    DataFolderTest::TearDown();
  }
  TDataFileResult Load(const std::string& bytes, TDynaArray<TMailRec>& mails) {
    WriteFileBytes(Path("mails.dat"), bytes);
    return OpenMailsFile(Path("mails.dat"), mails);
  }
  TNlsSettings FSaved;
};

std::vector<std::pair<AnsiString, AnsiString>> Attachments(TMailRec& m) {
  std::vector<std::pair<AnsiString, AnsiString>> seen;
  m.Attachments->First();
  while (m.Attachments->Next()) seen.emplace_back(m.Attachments->Current()->Path, m.Attachments->Current()->Cid);
  return seen;
}

TEST_F(MailStoreTest, FixtureReadsEveryFieldAndWritesBackByteForByte) {
  const std::string bytes = FixtureBytes("mails.hex");
  TMailRec* cursor = nullptr;
  TDynaArray<TMailRec> mails(&cursor);
  const TDataFileResult r = Load(bytes, mails);
  ASSERT_EQ(r.State, dfWhole) << r.Reason;
  ASSERT_EQ(mails.Count(), 3);

  TMailRec& m = mails[0];
  EXPECT_EQ(m.Subject, "Winter news");
  EXPECT_EQ(m.BlankText, "Hello [%NAME]");
  EXPECT_EQ(m.BlankHTML, "");
  EXPECT_EQ(m.GeneratedHTML, "<html><img src='CID:LOGO.GIF'></html>");
  EXPECT_EQ(std::string(m.DesignRTF.begin(), m.DesignRTF.end()), "{\\rtf1 Hi\\par}");
  EXPECT_EQ(m.MailType, mtDesign);
  EXPECT_TRUE(m.AutoCreateText);
  EXPECT_EQ(DateTimeToStr(m.Date), "12/24/2025 6:30:15 PM");
  // Records moved while the array grew: the attachment walk still visits each attachment once.
  const std::vector<std::pair<AnsiString, AnsiString>> wantAttach = {
      {"/home/u/logo.gif", "LOGO.GIF"}, {"/home/u/Preise.pdf", "PREISE.PDF"}};
  EXPECT_EQ(Attachments(m), wantAttach);
  EXPECT_EQ(m.DesignColor, 0xFFFFFF);
  EXPECT_TRUE(m.Newsletter);
  EXPECT_EQ(m.Color1, 0x0000FF);
  EXPECT_EQ(m.Color2, 0x00FF00);
  EXPECT_EQ(m.Color3, 0xFF0000);
  EXPECT_EQ(m.Color4, 0x808080);
  EXPECT_EQ(m.CaptionFontSize, 14);
  EXPECT_EQ(m.FooterFontSize, 8);
  EXPECT_EQ(m.CaptionFontColor, 0x000080);
  EXPECT_EQ(m.FooterFontColor, 0x404040);
  EXPECT_EQ(m.CaptionFontStyle, 0x05);
  EXPECT_EQ(m.FooterFontStyle, 0x02);
  EXPECT_EQ(m.Width, 600);
  EXPECT_EQ(m.MinHeight, 400);
  EXPECT_EQ(m.CaptionFontName, "Arial");
  EXPECT_EQ(m.FooterFontName, "Verdana");
  EXPECT_EQ(m.CaptionText, "Our news");
  EXPECT_EQ(m.FooterText, "Unsubscribe");

  EXPECT_EQ(mails[1].MailType, mtHtml);
  EXPECT_EQ(mails[1].BlankHTML, "<p>Hi</p>");
  EXPECT_TRUE(mails[1].DesignRTF.empty()) << "a mail without a design stores no RTF bytes";
  EXPECT_EQ(DateTimeToStr(mails[1].Date), "3/1/2026");
  EXPECT_EQ(mails[2].MailType, mtText);
  EXPECT_FALSE(mails[2].AutoCreateText);
  EXPECT_EQ(mails[2].Attachments->Count(), 0);

  ASSERT_TRUE(SaveMailsFile(Path("copy.dat"), mails));
  EXPECT_EQ(ReadFileBytes(Path("copy.dat")), bytes);
}

TEST_F(MailStoreTest, DatesInOtherFormsLoadAndAnUnreadableOneIsDatedNow) {
  TDynaArray<TMailRec> mails;
  const TDateTime before = Now();
  const TDataFileResult r = Load(FixtureBytes("mails_otherdates.hex"), mails);
  const TDateTime after = Now();
  ASSERT_EQ(r.State, dfWhole) << "a date no form reads is not damage";
  ASSERT_EQ(mails.Count(), 3);
  EXPECT_EQ(DateTimeToStr(mails[0].Date), "12/24/2025 6:30:00 PM");
  EXPECT_EQ(DateTimeToStr(mails[1].Date), "3/1/2026");
  EXPECT_GE(mails[2].Date, before);
  EXPECT_LE(mails[2].Date, after);
  EXPECT_EQ(mails[2].Subject, "Plain") << "the rest of the mail is kept";
}

TEST(MailDateTest, CommonForms) {
  struct Case {
    const char* text;
    bool reads;
    Word y, mo, d, h, mi, s;
  };
  const Case cases[] = {
      {"24.12.2025", true, 2025, 12, 24, 0, 0, 0},
      {"24.12.2025 18:30", true, 2025, 12, 24, 18, 30, 0},
      {"24.12.2025 18:30:15", true, 2025, 12, 24, 18, 30, 15},
      {"2025-12-24", true, 2025, 12, 24, 0, 0, 0},
      {"2025-12-24 07:05:09", true, 2025, 12, 24, 7, 5, 9},
      {"2025-12-24T07:05", true, 2025, 12, 24, 7, 5, 0},
      {"12/24/2025", true, 2025, 12, 24, 0, 0, 0},
      {"12/24/2025 6:30 PM", true, 2025, 12, 24, 18, 30, 0},
      {"12/24/2025 12:00:01 am", true, 2025, 12, 24, 0, 0, 1},
      {"1/2/2026 14:00:00", true, 2026, 1, 2, 14, 0, 0},
      {" 24.12.2025 ", true, 2025, 12, 24, 0, 0, 0},
      {"31.02.2025", false, 0, 0, 0, 0, 0, 0},
      {"24.13.2025", false, 0, 0, 0, 0, 0, 0},
      {"24.12.2025 25:00", false, 0, 0, 0, 0, 0, 0},
      {"12/24/2025 13:00 PM", false, 0, 0, 0, 0, 0, 0},
      {"24.12.2025 18:30 xx", false, 0, 0, 0, 0, 0, 0},
      {"2025-12", false, 0, 0, 0, 0, 0, 0},
      {"24..2025", false, 0, 0, 0, 0, 0, 0},
      {"", false, 0, 0, 0, 0, 0, 0},
      {"yesterday", false, 0, 0, 0, 0, 0, 0},
      {"99999.1.1", false, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TDateTime dt = -1;
    ASSERT_EQ(ReadCommonDate(c.text, dt), c.reads);
    if (!c.reads) continue;
    Word y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    EXPECT_EQ((std::vector<Word>{y, mo, d, h, mi, s}), (std::vector<Word>{c.y, c.mo, c.d, c.h, c.mi, c.s}));
  }
}

TEST_F(MailStoreTest, LocaleFormIsTriedFirst) {
  TNlsSettings de = NlsSettings();
  de.UserLCID = 0x407;
  SetNlsSettings(de);
  const TDateTime written = EncodeDate(2026, 3, 4) + EncodeTime(5, 6, 7, 0);
  TDateTime read = 0;
  ASSERT_TRUE(ReadMailDate(StoredMailDateText(written), read)) << StoredMailDateText(written);
  EXPECT_EQ(StoredMailDateText(read), StoredMailDateText(written));
  // Under 0x407 "3/4/2026" is not the locale's form and reads as m/d/yyyy.
  ASSERT_TRUE(ReadMailDate("3/4/2026", read));
  EXPECT_EQ(read, EncodeDate(2026, 3, 4));
}

// One small mail in the file's layout, with knobs for the values that can be malformed.
struct TMailBytes {
  Integer subjectLength = 1;
  Integer rtfSize = 2;
  Byte mailType = 0;
  Integer attachCount = 1;
  std::string Build() const {
    TMemoryStream s;
    WriteInt32(s, subjectLength);
    if (subjectLength == 1) s.WriteBuffer("S", 1);
    for (int i = 0; i < 3; ++i) WriteLongStr(s, "");
    WriteInt32(s, rtfSize);
    if (rtfSize == 2) s.WriteBuffer("{}", 2);
    WriteByte(s, mailType);
    WriteByte(s, 1);
    WriteLongStr(s, "1/2/2026");
    WriteInt32(s, attachCount);
    if (attachCount == 1) {
      WriteLongStr(s, "/a/b.gif");
      WriteLongStr(s, "B.GIF");
    }
    WriteInt32(s, 0xFFFFFF);
    WriteByte(s, 0);
    for (int i = 0; i < 8; ++i) WriteInt32(s, i);
    WriteByte(s, 0);
    WriteByte(s, 0);
    WriteInt32(s, 1);
    WriteInt32(s, 2);
    for (int i = 0; i < 4; ++i) WriteLongStr(s, "");
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
  }
};

std::string Count(Integer n) {
  TMemoryStream s;
  WriteInt32(s, n);
  return std::string(reinterpret_cast<const char*>(s.Memory()), 4);
}

TEST_F(MailStoreTest, MalformedFiles) {
  const std::string good = TMailBytes{}.Build();
  struct Case {
    const char* name;
    std::string bytes;
    TDataFileState state;
    Integer kept;
  };
  const Case cases[] = {
      {"two good mails", Count(2) + good + good, dfWhole, 2},
      {"no mails", Count(0), dfWhole, 0},
      {"empty file", "", dfDamaged, 0},
      {"negative mail count", Count(-1) + good, dfDamaged, 0},
      {"mail count past the data", Count(0x7FFFFFFF) + good, dfDamaged, 1},
      {"negative string length", Count(2) + good + TMailBytes{.subjectLength = -5}.Build(), dfDamaged, 1},
      {"string length past the data", Count(1) + TMailBytes{.subjectLength = 0x7FFFFFF0}.Build(), dfDamaged, 0},
      {"negative RTF size", Count(2) + good + TMailBytes{.rtfSize = -1}.Build(), dfDamaged, 1},
      {"RTF size past the data", Count(1) + TMailBytes{.rtfSize = 0x7FFFFFFF}.Build(), dfDamaged, 0},
      {"negative attachment count", Count(2) + good + TMailBytes{.attachCount = -1}.Build(), dfDamaged, 1},
      {"attachment count past the data", Count(1) + TMailBytes{.attachCount = 0x10000000}.Build(), dfDamaged, 0},
      {"unknown mail type", Count(2) + good + TMailBytes{.mailType = 3}.Build(), dfDamaged, 1},
      {"bytes after the last mail", Count(1) + good + "x", dfDamaged, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDynaArray<TMailRec> mails;
    const TDataFileResult r = Load(c.bytes, mails);
    EXPECT_EQ(r.State, c.state) << r.Reason;
    EXPECT_EQ(mails.Count(), c.kept);
    EXPECT_EQ(r.RecordsKept, c.kept);
    for (Integer i = 0; i < mails.Count(); ++i) {
      EXPECT_EQ(mails[i].Subject, "S");
      ASSERT_NE(mails[i].Attachments, nullptr);
      EXPECT_EQ(mails[i].Attachments->Count(), 1);
    }
  }
}

TEST_F(MailStoreTest, EveryCutPointKeepsTheWholeMailsAndLeavesADamagedCopy) {
  const std::string bytes = FixtureBytes("mails.hex");
  // Where each mail ends: the size of a file holding the first k mails.
  std::vector<std::size_t> ends;
  for (Integer k = 1; k <= 3; ++k) {
    TDynaArray<TMailRec> mails;
    ASSERT_EQ(Load(bytes, mails).State, dfWhole);
    while (mails.Count() > k) mails.Delete(mails.Count() - 1);
    ASSERT_TRUE(SaveMailsFile(Path("first.dat"), mails));
    ends.push_back(ReadFileBytes(Path("first.dat")).size());
  }
  ASSERT_EQ(ends.back(), bytes.size());
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    const std::string name = "m" + std::to_string(cut) + ".dat";
    WriteFileBytes(Path(name), bytes.substr(0, cut));
    TDynaArray<TMailRec> mails;
    const TDataFileResult r = OpenMailsFile(Path(name), mails);
    ASSERT_EQ(r.State, dfDamaged);
    Integer whole = 0;
    while (whole < 3 && ends[static_cast<std::size_t>(whole)] <= cut) ++whole;
    ASSERT_EQ(mails.Count(), whole);
    if (whole >= 1) {
      EXPECT_EQ(Attachments(mails[0]).size(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(Path(name + ".damaged")), bytes.substr(0, cut));
  }
}

TEST_F(MailStoreTest, NewRecordsWithoutAttachmentArrayAreWrittenWithNone) {
  TDynaArray<TMailRec> mails;
  mails.Append()->Subject = "fresh";
  ASSERT_TRUE(SaveMailsFile(Path("mails.dat"), mails));
  TDynaArray<TMailRec> back;
  ASSERT_EQ(OpenMailsFile(Path("mails.dat"), back).State, dfWhole);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back[0].Subject, "fresh");
  ASSERT_NE(back[0].Attachments, nullptr) << "every loaded mail has its attachment array";
  EXPECT_EQ(back[0].Attachments->Count(), 0);
}

}  // namespace
}  // namespace orv
