// Importing address lines: line ends, byte-order mark, encodings, pieces, and the window's import
// into Table1 under a filter.
#include "tests/app/AppFixture.h"

#include <fstream>
#include "app/AddressImport.h"

namespace orv::test {
namespace {

TEST(AddressImportLines, EndsAndByteOrderMarkAreDropped) {
  struct TCase {
    const char* Data;
    std::vector<std::string_view> Lines;
  };
  const TCase cases[] = {
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"\xEF\xBB\xBF" "a;b\r\n\r\nc\r", {"a;b", "", "c"}},
      {"a\rb\n\n", {"a", "b", ""}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitImportLines(c.Data), c.Lines) << c.Data;
}

TEST(AddressImportPieces, SplitAtWhicheverSeparatorComesFirst) {
  struct TCase {
    const char* Line;
    std::vector<AnsiString> Pieces;
  };
  const TCase cases[] = {
      {"a;b;c", {"a", "b", "c"}},
      {"a,b;c", {"a", "b", "c"}},
      {"a;b,c", {"a", "b", "c"}},
      {"a;", {"a", ""}},
      {" \"a\" ,b", {" \"a\" ", "b"}},
      {"plain", {"plain"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitImportPieces(c.Line), c.Pieces) << c.Line;
}

TEST(AddressImportText, Utf8IsConvertedAndOtherBytesStayAnsi) {
  struct TCase {
    const char* Line;
    const char* Text;
    Integer Replaced;
  };
  const TCase cases[] = {
      {"M\xC3\xBCller", "M\xFCller", 0},       // UTF-8
      {"M\xFCller", "M\xFCller", 0},           // already cp1252
      {"\xE2\x82\xAC?", "\x80?", 0},           // euro sign exists in the code page; a real '?' is no loss
      {"a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80", "a?b?", 2},
  };
  for (const auto& c : cases) {
    Integer replaced = 0;
    EXPECT_EQ(ImportLineText(c.Line, replaced), c.Text) << c.Line;
    EXPECT_EQ(replaced, c.Replaced) << c.Line;
  }
}

class AddressImportWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWindows();
  }
  AnsiString WriteFile(const char* name, const std::string& data) {
    const AnsiString path = FProgramDir + name;
    std::ofstream(path, std::ios::binary) << data;
    return path;
  }
  static std::vector<std::vector<AnsiString>> Rows() {
    std::vector<std::vector<AnsiString>> rows;
    TDbfTable& t = *MainForm->Table1;
    for (t.First(); !t.Eof(); t.Next()) {
      rows.emplace_back();
      for (Integer i = 0; i < t.FieldCount(); ++i) rows.back().push_back(t.Fields().Fields(i)->AsString());
    }
    return rows;
  }
};

TEST_F(AddressImportWindowTest, LinesBecomeRecordsAndLossesAreReported) {
  const std::string longer(60, 'x');
  Dialogs.FileAnswers.push_back({WriteFile("in.txt",
      "\xEF\xBB\xBF" "a@x.org;M\xC3\xBCller,Ann\r\n\r\nb@x.org;M\xDCLLER;B;Sir;i;j;extra\r\n" + longer +
      ";\xE4\xB8\xAD\nc@x.org;\x80\n")});
  MainForm->FilterEd->SetText("zzz");
  MainForm->FilterBtnClick(nullptr);
  MainForm->ImportBtnClick(nullptr);
  ASSERT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_EQ(Dialogs.Asked[0].Text, "2 characters could not be stored in the table's code page and were replaced by '?'.");
  // The filter is back in force after the import.
  EXPECT_TRUE(MainForm->Table1->Filtered());
  EXPECT_TRUE(Rows().empty());

  MainForm->FilterEd->SetText("");
  MainForm->FilterBtnClick(nullptr);
  const std::vector<std::vector<AnsiString>> expected = {
      {"a@x.org", "M\xFCller", "Ann", "", "", ""},
      {"b@x.org", "M\xDCLLER", "B", "Sir", "i", "j"},
      {AnsiString(50, 'x'), "?", "", "", "", ""},
  };
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(std::vector(rows.begin(), rows.begin() + 3), expected);
  // The table's own code page lacks the euro sign: it is counted above, not dropped unannounced.
  EXPECT_EQ(rows[3][0], "c@x.org");
  EXPECT_NE(rows[3][1], "\x80");
}

TEST_F(AddressImportWindowTest, CancelledDialogOrUnreadableFileImportsNothing) {
  MainForm->ImportBtnClick(nullptr);
  Dialogs.FileAnswers.push_back({FProgramDir + "missing.txt"});
  MainForm->ImportBtnClick(nullptr);
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(Dialogs.Asked.empty());
  ASSERT_EQ(Dialogs.FileRequests.size(), 2u);
}

}  // namespace
}  // namespace orv::test
