// The main window's address table: the default table and a new one, the record filter, and the
// send page's address list, choices and recipients' fields.
#include "tests/app/AppFixture.h"

#include <unistd.h>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <functional>
#include "platform/rtl/SysUtils.h"

namespace orv::test {
namespace {

class AddressTableTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWindows();
    ASSERT_TRUE(MainForm->Table1->Active());
  }

  static void AddRecord(const std::vector<AnsiString>& values) {
    TDbfTable& t = *MainForm->Table1;
    t.Append();
    for (std::size_t i = 0; i < values.size(); ++i) t.Fields().Fields(static_cast<Integer>(i))->SetAsString(values[i]);
    t.Post();
  }

  static std::vector<std::pair<AnsiString, Integer>> ShowSendPage() {
    MainForm->PageControl2->SetActivePageIndex(3);
    MainForm->PageControl2Change(nullptr);
    std::vector<std::pair<AnsiString, Integer>> rows;
    for (const auto& r : MainForm->TableRecipients(false)) rows.emplace_back(r.Address, r.Position);
    EXPECT_EQ(static_cast<Integer>(rows.size()), MainForm->ListView3->Items().Count());
    for (Integer i = 0; i < MainForm->ListView3->Items().Count(); ++i)
      EXPECT_EQ(MainForm->ListView3->Items().Item(i)->Caption(), rows[static_cast<std::size_t>(i)].first);
    return rows;
  }

  static void ExpectSixFields() {
    const std::vector<std::pair<AnsiString, Integer>> expected = {
        {"eMail", 50}, {"Last Name", 30}, {"First Name", 30}, {"Salutation", 20}, {"Info 1", 50}, {"Info 2", 255}};
    TDbfTable& t = *MainForm->Table1;
    ASSERT_EQ(t.FieldCount(), 6);
    for (Integer i = 0; i < 6; ++i) {
      // The file keeps names upper-cased; placeholders compare them upper-cased as well.
      EXPECT_EQ(t.Fields().Fields(i)->FieldName(), UpperAsciiName(expected[static_cast<std::size_t>(i)].first));
      EXPECT_EQ(t.Fields().Fields(i)->Size(), expected[static_cast<std::size_t>(i)].second);
    }
    EXPECT_EQ(t.TableLevel(), 4);
  }
};

TEST_F(AddressTableTest, MissingTablesAreCreatedWithTheSixAddressFields) {
  ExpectSixFields();
  EXPECT_EQ(access(MainForm->Table1->FullFileName().c_str(), F_OK), 0);
  // A missing name chosen later gets the same layout.
  MainForm->FilenameEdit1->SetFileName(FProgramDir + "other.dbf");
  ASSERT_TRUE(MainForm->Table1->Active());
  EXPECT_EQ(MainForm->Table1->FullFileName(), FProgramDir + "other.dbf");
  ExpectSixFields();
  EXPECT_TRUE(MainForm->Table1->Filtered());
}

// Runs `execute` with the real save dialog and reports whether that dialog would ask before an
// existing file is taken; the dialog is cancelled as soon as it shows.
bool FileDialogAsksBeforeReplacing(const std::function<void()>& execute) {
  SetDialogService(nullptr);
  bool seen = false, asks = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      seen = true;
      asks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
      EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile) << "a save dialog takes a new name as well";
      dialog->reject();
    }
  });
  poll.start(10);
  execute();
  poll.stop();
  EXPECT_TRUE(seen) << "no file dialog was shown";
  return asks;
}

TEST_F(AddressTableTest, BrowsingForTheTableAsksNoOverwriteQuestion) {
  EXPECT_FALSE(FileDialogAsksBeforeReplacing([] { MainForm->FilenameEdit1->ButtonClick(); }))
      << "choosing the table to open must not ask whether to replace it";
  SetDialogService(&Dialogs);
  // A save dialog told to ask before replacing still asks.
  TSaveDialog save(nullptr);
  save.SetOptions(TOpenOptions{ofOverwritePrompt});
  EXPECT_TRUE(FileDialogAsksBeforeReplacing([&] { save.Execute(); }));
  SetDialogService(&Dialogs);
}

TEST_F(AddressTableTest, ChoosingAnUnopenableFileIsSwallowedAndLeavesTheTableClosed) {
  MainForm->FilenameEdit1->SetFileName(FProgramDir + "no/such/folder/x.dbf");
  EXPECT_FALSE(MainForm->Table1->Active());
  EXPECT_TRUE(ShowSendPage().empty());
}

TEST_F(AddressTableTest, PathTooLongForTheOptionsIsRefusedBeforeTheTableChanges) {
  const AnsiString before = MainForm->Table1->FullFileName();
  Dialogs.Answers = {IDOK};
  MainForm->FilenameEdit1->SetFileName(FProgramDir + std::string(260, 'x') + ".dbf");
  ASSERT_EQ(Dialogs.Asked.size(), 1u) << "the user is told why the table was not taken";
  EXPECT_NE(Dialogs.Asked[0].Text.find("at most 255 bytes"), std::string::npos) << Dialogs.Asked[0].Text;
  EXPECT_TRUE(MainForm->Table1->Active()) << "the table that was open stays open";
  EXPECT_EQ(MainForm->Table1->FullFileName(), before);
}

TEST_F(AddressTableTest, NewDatabaseAsksAndEmptiesTheTableOnlyOnOk) {
  AddRecord({"a@example.org", "A"});
  Dialogs.Answers = {IDCANCEL};
  MainForm->Button1Click(nullptr);
  ASSERT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_EQ(Dialogs.Asked[0].Text, "Attention: all existing data sets will be lost!!!");
  EXPECT_EQ(Dialogs.Asked[0].Caption, "New data base");
  EXPECT_EQ(Dialogs.Asked[0].Flags, MB_OKCANCEL | MB_ICONSTOP);
  EXPECT_EQ(ShowSendPage().size(), 1u);

  Dialogs.Answers = {IDOK};
  MainForm->Button1Click(nullptr);
  ASSERT_TRUE(MainForm->Table1->Active());
  ExpectSixFields();
  EXPECT_TRUE(ShowSendPage().empty());
}

TEST_F(AddressTableTest, AddressListSkipsEmptyAddressesAndKeepsWalkPositions) {
  AddRecord({"first@example.org", "One"});
  AddRecord({"   ", "Two"});
  AddRecord({"  third@example.org ", "Three"});
  // Tab-padded exports: tabs around the value go as blanks do; other control bytes stay.
  AddRecord({"\t \t", "Four"});
  AddRecord({"\tfifth@example.org\t", "Five"});
  AddRecord({"\r\nsixth@example.org", "Six"});
  // The quotes of a quoting export stay in the list: the table's value is what the list shows.
  AddRecord({"\"seventh@example.org\"", "Seven"});
  const auto rows = ShowSendPage();
  const std::vector<std::pair<AnsiString, Integer>> expected = {{"first@example.org", 0},
                                                                {"third@example.org", 2},
                                                                {"fifth@example.org", 4},
                                                                {"\r\nsixth@example.org", 5},
                                                                {"\"seventh@example.org\"", 6}};
  EXPECT_EQ(rows, expected);
}

TEST_F(AddressTableTest, MailFieldNumberChoosesTheAddressField) {
  AddRecord({"mail@example.org", "Surname"});
  struct TCase {
    const char* Number;
    const char* Address;
  };
  const TCase cases[] = {{"1", "Surname"}, {"1.7", "Surname"}, {"9", "mail@example.org"},
                         {"6", "mail@example.org"}, {"-1", "mail@example.org"}, {"0", "mail@example.org"}};
  for (const auto& c : cases) {
    MainForm->MailFieldEd->SetText(c.Number);
    const auto rows = ShowSendPage();
    ASSERT_EQ(rows.size(), 1u) << c.Number;
    EXPECT_EQ(rows[0].first, c.Address) << c.Number;
  }
}

TEST_F(AddressTableTest, FilterMatchesAnyFieldWithAsciiLettersFoldedOnly) {
  for (int i = 0; i < 10; ++i) AddRecord({"r" + IntToStr(i) + "@example.org", "Name" + IntToStr(i)});
  AddRecord({"x@example.org", "SMITH"});
  AddRecord({"y@example.org", "Goldsmithers"});
  AddRecord({"z@example.org", "M\xdcLLER"});
  struct TCase {
    const char* Filter;
    std::vector<AnsiString> Addresses;
  };
  const TCase cases[] = {
      {"smith", {"x@example.org", "y@example.org"}},
      {"sMiTh", {"x@example.org", "y@example.org"}},
      {"m\xfcller", {}},
      {"M\xdcL", {"z@example.org"}},
      {"name3", {"r3@example.org"}},
      {"nothing", {}},
  };
  for (const auto& c : cases) {
    MainForm->FilterEd->SetText(c.Filter);
    MainForm->FilterBtnClick(nullptr);
    std::vector<AnsiString> got;
    for (const auto& r : ShowSendPage()) got.push_back(r.first);
    EXPECT_EQ(got, c.Addresses) << c.Filter;
  }
  MainForm->FilterEd->SetText("");
  MainForm->FilterBtnClick(nullptr);
  EXPECT_EQ(ShowSendPage().size(), 13u);
}

TEST_F(AddressTableTest, RecipientFieldsAreTheRecordsOfTheChosenRows) {
  AddRecord({"a@example.org", "Alpha", "Ann"});
  AddRecord({"", "Nobody"});
  AddRecord({"c@example.org", "Gamma", "Carl", "Dear", "i1", "i2"});
  ShowSendPage();
  MainForm->ListView3->Items().Item(1)->SetSelected(true);
  const auto chosen = MainForm->TableRecipients(true);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].Position, 2);
  MainForm->Table1->First();  // the record is found again wherever the cursor stands
  const TPlaceholderFields expected = {{"EMAIL", "c@example.org"}, {"LAST NAME", "Gamma"}, {"FIRST NAME", "Carl"},
                                       {"SALUTATION", "Dear"},     {"INFO 1", "i1"},        {"INFO 2", "i2"}};
  EXPECT_EQ(MainForm->RecipientFields(chosen[0]), expected);
  EXPECT_EQ(FillPlaceholderText("[%salutation] [%First Name]", MainForm->RecipientFields(chosen[0])), "Dear Carl");

  MainForm->Table1->Close();
  EXPECT_THROW(MainForm->RecipientFields(chosen[0]), Exception);
}

TEST_F(AddressTableTest, CombosListAccountsAndMailsInArrayOrder) {
  ShowSendPage();
  EXPECT_EQ(MainForm->AbsenderCombo->Items().Count(), 0);
  EXPECT_EQ(MainForm->AbsenderCombo->ItemIndex(), -1);
  EXPECT_EQ(MainForm->MailCombo->Items().Count(), 0);
  EXPECT_EQ(MainForm->MailCombo->ItemIndex(), -1);

  for (const char* name : {"First", "Second"}) {
    TKontoRec* k = MainForm->Konten()->Append();
    k->SenderName = AnsiString(300, 'n') + name;
    k->SenderAddress = AnsiString(name) + "@example.org";
  }
  for (const char* subject : {"S1", "S2", "S3"}) MainForm->Mails()->Append()->Subject = subject;
  ShowSendPage();
  ASSERT_EQ(MainForm->AbsenderCombo->Items().Count(), 2);
  EXPECT_EQ(MainForm->AbsenderCombo->Items().Get(1), AnsiString(255, 'n') + " Second@example.org");
  EXPECT_EQ(MainForm->AbsenderCombo->ItemIndex(), 0);
  ASSERT_EQ(MainForm->MailCombo->Items().Count(), 3);
  EXPECT_EQ(MainForm->MailCombo->Items().Get(0).substr(0, 3), "S1 ");
  EXPECT_EQ(MainForm->MailCombo->ItemIndex(), 2);
}

}  // namespace
}  // namespace orv::test
