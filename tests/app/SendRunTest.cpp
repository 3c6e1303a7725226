// The send run's parts that need no server: the placeholder scan, the recipients taken from the
// send page, and the checks that end a run before it connects, with the window restored.
#include <gtest/gtest.h>
#include "app/FillPlaceholders.h"
#include "tests/app/AppFixture.h"

namespace orv::test {
namespace {

struct TFillCase {
  const char* Name;
  const char* Text;
  const char* Expected;
};

TEST(FillPlaceholderText, ScanOfTheThreeStates) {
  const TPlaceholderFields fields = {
      {"First Name", "Anna"}, {"EMAIL", "anna@example.org"}, {"first name", "second match"},
      {"Stra\xDF" "e", "Hauptweg 1"}, {"\xE4rger", "folded too far"}};
  const TFillCase cases[] = {
      {"no placeholder", "Hello there", "Hello there"},
      {"lower-case name", "Dear [%first name],", "Dear Anna,"},
      {"first field wins", "[%FIRST NAME]", "Anna"},
      {"two in a row", "[%Email][%EMAIL]", "anna@example.organna@example.org"},
      {"unknown name kept", "x [%Town] y", "x [%Town] y"},
      {"empty name kept", "[%]", "[%]"},
      {"bracket without percent", "[a] [b", "[a] [b"},
      {"double bracket", "[[%EMAIL]", "[[%EMAIL]"},
      {"open bracket at end dropped", "end [", "end "},
      {"unfinished name dropped", "end [%First Na", "end "},
      {"only a to z fold", "[%STRA\xDF" "E] [%stra\xDF" "e]", "Hauptweg 1 Hauptweg 1"},
      {"high byte not folded", "[%\xC4rger]", "[%\xC4rger]"},
      {"name with line break", "[%First\r\nName]", "[%First\r\nName]"},
      {"name holding a bracket", "[%a[b] [%EMAIL]", "[%a[b] anna@example.org"},
      {"percent at end dropped", "end [%", "end "},
      {"bracket then placeholder", "[x[%EMAIL]", "[xanna@example.org"},
      {"empty text", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FillPlaceholderText(c.Text, fields), c.Expected) << c.Name;
}

TEST(FillPlaceholderText, NoFieldsLeavesEveryNameAsWritten) {
  EXPECT_EQ(FillPlaceholderText("[%Name] and [x", {}), "[%Name] and [x");
}

TEST(UpperAsciiName, FoldsOnlyLatinLetters) {
  EXPECT_EQ(UpperAsciiName("ab\xE4z{}09"), "AB\xE4Z{}09");
}

class SendRunChecks : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWindows();
    F = MainForm;
    F->PageControl2->SetActivePage(F->TabSheet4);
  }

  void AddAccount() {
    TKontoRec* k = F->Konten()->Append();
    k->SenderName = "Sender";
    k->SenderAddress = "sender@example.org";
    k->Server = "127.0.0.1";
    F->AbsenderCombo->Items().Add("Sender");
  }
  void AddMail() {
    TMailRec* m = F->Mails()->Append();
    m->Subject = "Subject";
    m->MailType = mtText;
    F->MailCombo->Items().Add("Subject");
  }

  void ExpectIdle() { ExpectIdleAfterSendRun(F); }

  TMainForm* F = nullptr;
};

TEST_F(SendRunChecks, TypedAddressIsTrimmedAndTakenOnlyWithItsRadio) {
  F->OneEmpfCheck->SetChecked(true);
  F->EmpfEd->SetText("  anna@example.org \t");
  auto r = F->GatherRecipients();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Address, "anna@example.org");
  EXPECT_EQ(r[0].Position, -1);
  F->EmpfEd->SetText("   ");
  EXPECT_TRUE(F->GatherRecipients().empty());
}

TEST_F(SendRunChecks, TypedAddressGetsTheBodyUnchanged) {
  const TSendRecipient typed{"anna@example.org", -1, {}};
  EXPECT_EQ(F->FillPlaceholders("Dear [%Name] [", false, typed), "Dear [%Name] [");
  EXPECT_EQ(F->FillPlaceholders("Dear [%Name] [", true, typed), "Dear [%Name] [");
}

struct TCheckCase {
  const char* Name;
  bool Address, Account, Mail;
  const char* Box;
};

TEST_F(SendRunChecks, EachMissingChoiceEndsTheRunWithItsBox) {
  const TCheckCase cases[] = {
      {"no address", false, true, true, "There are no email addresses!"},
      {"no account", true, false, true, "No email account is selected!"},
      {"no mail", true, true, false, "There is no mail selected for sending!"},
      // Nothing listens on port 1 of the loopback.
      {"no server", true, true, true, "Could not connect to mail server!"},
  };
  F->SMTP->Port = 1;
  AddAccount();
  AddMail();
  for (const auto& c : cases) {
    F->OneEmpfCheck->SetChecked(true);
    F->EmpfEd->SetText(c.Address ? "anna@example.org" : "");
    F->AbsenderCombo->SetItemIndex(c.Account ? 0 : -1);
    F->MailCombo->SetItemIndex(c.Mail ? 0 : -1);
    Dialogs.Asked.clear();
    F->statlabel->SetCaption("untouched");
    F->SendBtnClick(F->SendBtn);
    ASSERT_EQ(Dialogs.Asked.size(), 1u) << c.Name;
    EXPECT_EQ(Dialogs.Asked[0].Text, c.Box) << c.Name;
    EXPECT_EQ(Dialogs.Asked[0].Flags & MB_ICONMASK, MB_ICONERROR) << c.Name;
    EXPECT_EQ(Dialogs.Asked[0].Caption, Application->Title()) << c.Name;
    EXPECT_EQ(F->statlabel->Caption(), "untouched") << c.Name;
    EXPECT_EQ(F->ErrorLog->Lines().Count(), 0) << c.Name;
    ExpectIdle();
  }
}

TEST_F(SendRunChecks, ChoiceBeyondTheListsCountsAsNoChoice) {
  AddAccount();
  AddMail();
  F->AbsenderCombo->Items().Add("stale");
  F->AbsenderCombo->SetItemIndex(1);
  F->MailCombo->SetItemIndex(0);
  F->SendTo({{"anna@example.org", -1, {}}}, false);
  ASSERT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_EQ(Dialogs.Asked[0].Text, "No email account is selected!");
  ExpectIdle();
}

TEST_F(SendRunChecks, InitialStatusAndMessageSettings) {
  EXPECT_EQ(F->statlabel->Caption(), "0 emails of 0 sended 0 failed.");
  EXPECT_EQ(F->Msg->Charset, "iso-8859-1");
  EXPECT_EQ(F->Msg->TextEncoding, etQuotedPrintable);
  EXPECT_EQ(F->Msg->AttachEncoding, etBase64);
  EXPECT_EQ(F->Msg->EmbedMethod, emContentID);
  EXPECT_EQ(F->SMTP->MailMessage, F->Msg.get());
  EXPECT_EQ(F->SMTP->Port, 25);
  EXPECT_EQ(F->SMTP->TimeOut(), 60);
}

// A cancel click with no run does nothing; the run's own cancel is tested against a server.
TEST_F(SendRunChecks, CancelWithoutRunChangesNothing) {
  F->CancelSendRun();
  EXPECT_FALSE(F->Cancelled());
  ExpectIdle();
}

}  // namespace
}  // namespace orv::test
