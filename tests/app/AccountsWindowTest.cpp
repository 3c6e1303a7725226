// The "eMail accounts" page with its dialog driven offscreen: new, edit and delete through the
// window, konten.dat written byte for byte and read back after a restart, refused long texts, the
// enabling rule, and a damaged konten.dat reported without stopping the start.
#include <QTimer>
#include <functional>

#include "app/KontenStore.h"
#include "app/DataFiles.h"
#include "tests/app/AppFixture.h"
#include "tests/app/DataFilesHex.h"

namespace orv::test {
namespace {

// Two accounts; the second has a user name and the password "ab" scrambled.
const char* const kTwoAccounts = R"(
  02 00 00 00
  04 "Anna"  0D "anna@host.org"  0E "reply@host.org"  08 "smtp.one"  00  00
  03 "Ben"   0B "ben@two.net"    00                   08 "smtp.two"  03 "ben"  04 "2B2B"
)";

class AccountsWindowTest : public AppTest {
 protected:
  std::string KontenPath() const { return FProgramDir + "konten.dat"; }

  // Runs `inDialog` once the account dialog is shown modally by `open`; a stuck dialog is
  // cancelled after a few seconds so a fault cannot hang the run.
  void WithDialog(const std::function<void()>& open, const std::function<void()>& inDialog) {
    bool ran = false;
    QObject timers;  // the timers go with this call: fired later they would reach a finished test
    QTimer::singleShot(0, &timers, [&] {
      ran = true;
      ASSERT_TRUE(EditKontenForm->FormState().Contains(fsModal));
      inDialog();
    });
    QTimer::singleShot(5000, &timers, [] {
      if (EditKontenForm && EditKontenForm->FormState().Contains(fsModal))
        EditKontenForm->SetModalResult(mrCancel);
    });
    open();
    EXPECT_TRUE(ran) << "the dialog was not shown";
  }

  static void Fill(const char* name, const char* email, const char* reply, const char* server,
                   const char* user, const char* password) {
    EditKontenForm->AbsenderEd->SetText(name);
    EditKontenForm->EmailEd->SetText(email);
    EditKontenForm->AntwortEd->SetText(reply);
    EditKontenForm->ServerEd->SetText(server);
    EditKontenForm->UserEd->SetText(user);
    EditKontenForm->PasswordEd->SetText(password);
  }

  static std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    TListItems& items = MainForm->ListView2->Items();
    for (Integer i = 0; i < items.Count(); ++i) {
      TListItem* it = items[i];
      rows.push_back(it->Caption() + "|" + it->SubItems().Get(0) + "|" + it->SubItems().Get(1));
    }
    return rows;
  }
};

TEST_F(AccountsWindowTest, DialogLabelsKeepTheirTextsAndTheLoginFieldsAreHidden) {
  StartWindows();
  struct TLabelCase {
    const char* label;
    const char* caption;
    bool visible;
    TEdit* edit;
  };
  const TLabelCase cases[] = {
      {"HeadingLabel", "eMail account - enter your name, email address and the server", true, nullptr},
      {"Label1", "Sender name:", true, EditKontenForm->AbsenderEd},
      {"Label2", "Sender email address:", true, EditKontenForm->EmailEd},
      {"Label3", "Return email addresse:", true, EditKontenForm->AntwortEd},
      {"Label4", "Outgoing STMP email server:", true, EditKontenForm->ServerEd},
      {"Label5", "User name (if necessary):", false, EditKontenForm->UserEd},
      {"Label6", "User password (if necessary):", false, EditKontenForm->PasswordEd},
  };
  for (const TLabelCase& c : cases) {
    SCOPED_TRACE(c.label);
    auto* label = Find<TControl>(EditKontenForm, c.label);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Caption(), c.caption);
    EXPECT_EQ(label->Visible(), c.visible);
    if (c.edit != nullptr) {
      EXPECT_EQ(c.edit->Visible(), c.visible);
    }
  }
  EXPECT_EQ(Rows(), std::vector<std::string>{});
  TListColumns* columns = MainForm->ListView2->Columns();
  ASSERT_EQ(columns->Count(), 3);
  EXPECT_EQ(columns->Items(0)->Caption(), "Sender");
  EXPECT_EQ(columns->Items(1)->Caption(), "eMail");
  EXPECT_EQ(columns->Items(2)->Caption(), "Server");
}

TEST_F(AccountsWindowTest, NewAccountIsListedWrittenByteForByteAndSurvivesARestart) {
  StartWindows();
  WithDialog([] { MainForm->NewKontoBtnClick(MainForm->NewKontoBtn); }, [] {
    // A new account starts from empty edits, the server's preset text included.
    for (TEdit* e : {EditKontenForm->AbsenderEd, EditKontenForm->EmailEd, EditKontenForm->AntwortEd,
                     EditKontenForm->ServerEd, EditKontenForm->UserEd, EditKontenForm->PasswordEd})
      EXPECT_EQ(e->GetText(), "");
    EXPECT_EQ(EditKontenForm->ActiveControl(), EditKontenForm->AbsenderEd);
    Fill("Anna", "anna@host.org", "reply@host.org", "smtp.one", "", "");
    EditKontenForm->OKBtn->Click();
  });
  WithDialog([] { MainForm->NewKontoBtnClick(MainForm->NewKontoBtn); }, [] {
    Fill("Ben", "ben@two.net", "", "smtp.two", "ben", "ab");
    EditKontenForm->OKBtn->Click();
  });
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Anna|anna@host.org|smtp.one", "Ben|ben@two.net|smtp.two"}));
  EXPECT_EQ(ReadFileBytes(KontenPath()), HexBytes(kTwoAccounts));

  Restart();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Anna|anna@host.org|smtp.one", "Ben|ben@two.net|smtp.two"}));
  ASSERT_EQ(MainForm->Konten()->Count(), 2);
  // The send run reads the stored user name and the password in plain text.
  const TKontoCredentials cred = KontoCredentials((*MainForm->Konten())[1]);
  EXPECT_EQ(cred.UserName, "ben");
  EXPECT_EQ(cred.Password, "ab");
  EXPECT_EQ((*MainForm->Konten())[1].ReplyAddress, "");
}

TEST_F(AccountsWindowTest, CancelAddsNothingAndLeavesAnEditedAccountAsItWas) {
  WriteFileBytes(KontenPath(), HexBytes(kTwoAccounts));
  StartWindows();
  WithDialog([] { MainForm->NewKontoBtnClick(MainForm->NewKontoBtn); }, [] {
    Fill("Carl", "c@x", "", "s", "", "");
    EditKontenForm->CancelBtn->Click();
  });
  MainForm->ListView2->Items()[1]->SetSelected(true);
  WithDialog([] { MainForm->EditKontoBtnClick(MainForm->EditKontoBtn); }, [] {
    Fill("Changed", "x@y", "", "other", "", "");
    EditKontenForm->CancelBtn->Click();
  });
  EXPECT_EQ(MainForm->Konten()->Count(), 2);
  EXPECT_EQ((*MainForm->Konten())[1].SenderName, "Ben");
  EXPECT_EQ(Rows().size(), 2u);
  EXPECT_EQ(ReadFileBytes(KontenPath()), HexBytes(kTwoAccounts));
}

TEST_F(AccountsWindowTest, EnterDoubleClickAndButtonEditTheFirstSelectedAccount) {
  WriteFileBytes(KontenPath(), HexBytes(kTwoAccounts));
  StartWindows();
  struct TWay {
    const char* what;
    std::string server;
    std::function<void()> open;
  };
  const TWay ways[] = {
      {"enter", "smtp.e", [] {
         Word key = 13;
         MainForm->ListView2KeyDown(MainForm->ListView2, key, TShiftState());
       }},
      {"double click", "smtp.d", [] { MainForm->ListView2->DblClick(); }},
      {"button", "smtp.b", [] { MainForm->EditKontoBtn->Click(); }},
  };
  for (const TWay& way : ways) {
    SCOPED_TRACE(way.what);
    const std::string& server = way.server;
    // Rows 1 and 0 selected: the first in list order is edited.
    MainForm->ListView2->Items()[1]->SetSelected(true);
    MainForm->ListView2->Items()[0]->SetSelected(true);
    WithDialog(way.open, [&] {
      EXPECT_EQ(EditKontenForm->AbsenderEd->GetText(), "Anna");
      EditKontenForm->ServerEd->SetText(server);
      EditKontenForm->OKBtn->Click();
    });
    EXPECT_EQ(Rows()[0], "Anna|anna@host.org|" + server);
  }
  // The password comes into the dialog decoded and goes back scrambled.
  MainForm->ListView2->Items()[1]->SetSelected(true);
  WithDialog([] { MainForm->EditKontoBtnClick(MainForm->EditKontoBtn); }, [] {
    EXPECT_EQ(EditKontenForm->AbsenderEd->GetText(), "Ben");
    EXPECT_EQ(EditKontenForm->UserEd->GetText(), "ben");
    EXPECT_EQ(EditKontenForm->PasswordEd->GetText(), "ab");
    EditKontenForm->ServerEd->SetText("smtp.new");
    EditKontenForm->PasswordEd->SetText("a");
    EditKontenForm->OKBtn->Click();
  });
  EXPECT_EQ(Rows()[1], "Ben|ben@two.net|smtp.new");
  EXPECT_EQ(ReadFileBytes(KontenPath()), HexBytes(R"(
    02 00 00 00
    04 "Anna"  0D "anna@host.org"  0E "reply@host.org"  06 "smtp.b"  00  00
    03 "Ben"   0B "ben@two.net"    00                   08 "smtp.new"  03 "ben"  02 "2B"
  )"));
}

TEST_F(AccountsWindowTest, DeletingTwoSelectedOfThreeKeepsTheThird) {
  WriteFileBytes(KontenPath(), HexBytes(R"(
    03 00 00 00
    01 "A" 00 00 01 "a" 00 00
    01 "B" 00 00 01 "b" 00 00
    01 "C" 00 00 01 "c" 00 00
  )"));
  StartWindows();
  TListItems& items = MainForm->ListView2->Items();
  items[0]->SetSelected(true);
  items[2]->SetSelected(true);

  Dialogs.Answers = {IDNO};
  MainForm->DelKontoBtnClick(MainForm->DelKontoBtn);
  ASSERT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_EQ(Dialogs.Asked[0].Text, "Do you want to delete all selected accounts?");
  EXPECT_EQ(Dialogs.Asked[0].Caption, "Delete");
  EXPECT_EQ(Dialogs.Asked[0].Flags, MB_YESNO | MB_ICONINFORMATION);
  EXPECT_EQ(MainForm->Konten()->Count(), 3);

  Dialogs.Answers = {IDYES};
  Word key = 46;
  MainForm->ListView2KeyDown(MainForm->ListView2, key, TShiftState());
  EXPECT_EQ(Rows(), (std::vector<std::string>{"B||b"}));
  EXPECT_EQ(ReadFileBytes(KontenPath()), HexBytes("01 00 00 00  01 \"B\" 00 00 01 \"b\" 00 00"));
}

TEST_F(AccountsWindowTest, EditAndDeleteNeedASelectedRow) {
  WriteFileBytes(KontenPath(), HexBytes(kTwoAccounts));
  StartWindows();
  EXPECT_FALSE(MainForm->EditKontoBtn->Enabled());
  EXPECT_FALSE(MainForm->DelKontoBtn->Enabled());
  // With nothing selected neither the dialog nor the question comes up.
  MainForm->EditKontoBtnClick(MainForm->EditKontoBtn);
  MainForm->DelKontoBtnClick(MainForm->DelKontoBtn);
  EXPECT_TRUE(Dialogs.Asked.empty());
  EXPECT_FALSE(EditKontenForm->Visible());

  MainForm->ListView2->Items()[0]->SetSelected(true);
  MainForm->ListView2Change(MainForm->ListView2, MainForm->ListView2->Items()[0], ctState);
  EXPECT_TRUE(MainForm->EditKontoBtn->Enabled());
  EXPECT_TRUE(MainForm->DelKontoBtn->Enabled());
  MainForm->ListView2->ClearSelection();
  MainForm->ListView2Change(MainForm->ListView2, nullptr, ctState);
  EXPECT_FALSE(MainForm->EditKontoBtn->Enabled());
  EXPECT_FALSE(MainForm->DelKontoBtn->Enabled());
}

TEST_F(AccountsWindowTest, TextsTheFileCannotHoldAreRefusedInTheDialog) {
  struct TCase {
    const char* what;
    std::function<void()> fill;
  };
  const std::vector<TCase> cases = {
      {"name of 256 bytes", [] { EditKontenForm->AbsenderEd->SetText(std::string(256, 'n')); }},
      {"server of 256 bytes", [] { EditKontenForm->ServerEd->SetText(std::string(256, 's')); }},
      {"password of 128 characters", [] { EditKontenForm->PasswordEd->SetText(std::string(128, 'p')); }},
  };
  StartWindows();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    Dialogs.Asked.clear();
    bool stayedOpen = false;
    WithDialog([] { MainForm->NewKontoBtnClick(MainForm->NewKontoBtn); }, [&] {
      Fill("n", "e", "", "s", "", "");
      c.fill();
      EditKontenForm->OKBtn->Click();
      QTimer::singleShot(0, [&] {
        stayedOpen = EditKontenForm->FormState().Contains(fsModal);
        EditKontenForm->CancelBtn->Click();
      });
    });
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_NE(Dialogs.Asked[0].Text.find("at most"), std::string::npos) << Dialogs.Asked[0].Text;
    EXPECT_EQ(MainForm->Konten()->Count(), 0);
  }
  // The limits themselves fit.
  WithDialog([] { MainForm->NewKontoBtnClick(MainForm->NewKontoBtn); }, [] {
    Fill("n", "e", "", std::string(255, 's').c_str(), "", std::string(127, 'p').c_str());
    EditKontenForm->OKBtn->Click();
  });
  ASSERT_EQ(MainForm->Konten()->Count(), 1);
  EXPECT_EQ(DeCodePassw((*MainForm->Konten())[0].Password), std::string(127, 'p'));
}

TEST_F(AccountsWindowTest, DamagedFileIsReportedKeepsTheWholeAccountsAndTheStartGoesOn) {
  const std::string whole = HexBytes(kTwoAccounts);
  // Cut inside the second account.
  const std::string cut = whole.substr(0, whole.size() - 3);
  WriteFileBytes(KontenPath(), cut);
  StartWindows();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Anna|anna@host.org|smtp.one"}));
  ASSERT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_NE(Dialogs.Asked[0].Text.find(KontenPath() + ".damaged"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(KontenPath() + ".damaged"), cut);
  // The next change rewrites the file whole, and the damaged copy stays.
  MainForm->ListView2->Items()[0]->SetSelected(true);
  WithDialog([] { MainForm->EditKontoBtnClick(MainForm->EditKontoBtn); },
             [] { EditKontenForm->OKBtn->Click(); });
  EXPECT_EQ(ReadFileBytes(KontenPath()),
            HexBytes(R"(01 00 00 00 04 "Anna" 0D "anna@host.org" 0E "reply@host.org" 08 "smtp.one" 00 00)"));
  EXPECT_EQ(ReadFileBytes(KontenPath() + ".damaged"), cut);
}

}  // namespace
}  // namespace orv::test
