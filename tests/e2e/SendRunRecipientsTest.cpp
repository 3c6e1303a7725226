// Send runs of the real main window, offscreen, with recipient values that are not one plain
// address and with servers that fail a mail: what the server received is compared with the
// error log and the status line. A scripted server records every line it got; a real SMTP server
// and Python's email package read the delivered messages.
#include <gtest/gtest.h>

#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include "platform/rtl/SysUtils.h"
#include "tests/e2e/DeliveredMail.h"
#include "tests/e2e/SendRunFixture.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

// One line the scripted server received: its connection, the mail (by MAIL command, from 1;
// 0 before the first) and the text.
struct TGot {
  int Conn = 0;
  int Mail = 0;
  std::string Line;
};

class SendRunRecipientsE2E : public TSendRunFixture {
 protected:
  void SetUp() override {
    TSendRunFixture::SetUp();
    StartWindowsServedTo("server");
    ASSERT_TRUE(F->Table1->Active());
    F->PageControl2->SetActivePage(F->TabSheet4);
    F->PageControl2Change(nullptr);
    Account("Otto Sender");
    Mail("Offer for you", "Dear [%Last Name]");
  }

  // The scripted server (see sendrun_script_smtp.py) with the given script.
  void ServeScript(const std::string& json) {
    const fs::path script = FOut / "script.json";
    std::ofstream(script) << json;
    StartServer({kE2EPython, kE2EHere + "sendrun_script_smtp.py", FOut.string(), script.string()});
  }
  // A real SMTP server that takes every address.
  void ServeReal() { StartServer({kE2EPython, kE2EHere + "sendrun_smtp.py", FOut.string()}); }

  void Account(const AnsiString& senderName) {
    while (F->Konten()->Count() > 0) F->Konten()->Delete(0);
    TKontoRec* k = F->Konten()->Append();
    k->SenderName = senderName;
    k->SenderAddress = "otto@example.org";
    k->ReplyAddress = "reply@example.org";
    k->Server = "127.0.0.1";
    F->AbsenderCombo->Items().Clear();
    F->AbsenderCombo->Items().Add("Otto");
    F->AbsenderCombo->SetItemIndex(0);
  }
  void Mail(const AnsiString& subject, const AnsiString& text) {
    while (F->Mails()->Count() > 0) F->Mails()->Delete(0);
    TMailRec* m = F->Mails()->Append();
    m->Subject = subject;
    m->MailType = mtText;
    m->BlankText = text;
    m->Attachments = std::make_unique<TDynaArray<TAttachRec>>();
    F->MailCombo->Items().Clear();
    F->MailCombo->Items().Add(subject);
    F->MailCombo->SetItemIndex(0);
  }

  static std::vector<TSendRecipient> Addresses(int count) {
    std::vector<TSendRecipient> r;
    for (int i = 1; i <= count; ++i) r.push_back({"r" + std::to_string(i) + "@example.net", -1, {}});
    return r;
  }

  std::vector<TGot> Got() {
    std::vector<TGot> got;
    std::ifstream in(FOut / "got.log", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      TGot g;
      fields >> g.Conn >> g.Mail;
      std::string rest;
      std::getline(fields, rest);
      g.Line = Unescape(rest.empty() ? rest : rest.substr(1));
      got.push_back(g);
    }
    return got;
  }
  // The addresses of every RCPT TO the scripted server received, by mail.
  std::map<int, std::set<std::string>> RcptByMail() {
    std::map<int, std::set<std::string>> out;
    for (const TGot& g : Got())
      if (g.Line.rfind("RCPT TO:", 0) == 0)
        out[g.Mail].insert(g.Line.substr(g.Line.find('<') + 1, g.Line.rfind('>') - g.Line.find('<') - 1));
    return out;
  }
  // The message text mail n carried, as the server got it; empty when none came.
  std::string TextOf(int mail) {
    std::string text;
    for (const TGot& g : Got())
      if (g.Mail == mail && g.Line.find("\r\n") != std::string::npos) text = g.Line;
    return text;
  }

  static std::string Line(const std::string& address, const std::string& reason) {
    return "Error while sending email to " + address + ": " + reason;
  }

};

struct TBadValue {
  const char* Value;
  const char* Shown;  // the value as the log line shows it
  const char* Reason;
};

const TBadValue kBadValues[] = {
    {"a@example.net><victim@evil.test", "a@example.net><victim@evil.test", "it holds angle brackets"},
    {"b@example.net, victim2@evil.test", "b@example.net, victim2@evil.test", "it holds more than one address"},
    {"c@example.net;victim3@evil.test", "c@example.net;victim3@evil.test", "it holds more than one address"},
    {"john smith@example.net", "john smith@example.net", "it holds a blank"},
    {"tab@exam\tple.net", "tab@exam ple.net", "it holds a control character"},
    {"\"q x\"@example.net", "\"q x\"@example.net", "it holds quotes"},
    {"cmt@example.net (victim4@evil.test)", "cmt@example.net (victim4@evil.test)", "it holds a comment"},
    {"Name <x@example.net>", "Name <x@example.net>", "it holds angle brackets"},
};

TEST_F(SendRunRecipientsE2E, TableValuesThatAreNotOnePlainAddressAreRefusedOneByOne) {
  // Rows of the address table, each with its own personal data, between two good ones.
  TDbfTable& t = *F->Table1;
  const auto add = [&](const std::string& address, const std::string& last) {
    t.Append();
    t.Fields().Fields(0)->SetAsString(address);
    t.Fields().Fields(1)->SetAsString(last);
    t.Post();
  };
  add("first@example.net", "First");
  for (const TBadValue& v : kBadValues) add(v.Value, "Secret of " + std::string(v.Shown));
  add("last@example.net", "Last");
  ServeReal();
  // The send page lists the table's rows when it is shown.
  F->PageControl2Change(nullptr);
  F->AlleEmpfCheck->SetChecked(true);
  F->PersonalCheck->SetChecked(true);
  F->bccCheck->SetChecked(false);
  const std::size_t rows = std::size(kBadValues) + 2;
  ASSERT_EQ(F->TableRecipients(false).size(), rows);
  F->SendBtnClick(F->SendBtn);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;

  // Only the two plain addresses got mail, each its own, and exactly at that address.
  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[0].at("rcpt_tos"), "first@example.net");
  EXPECT_EQ(mails[0].at("to"), "first@example.net");
  EXPECT_EQ(Trimmed(mails[0].at("plain")), "Dear First");
  EXPECT_EQ(mails[1].at("rcpt_tos"), "last@example.net");
  EXPECT_EQ(mails[1].at("to"), "last@example.net");
  EXPECT_EQ(Trimmed(mails[1].at("plain")), "Dear Last");

  const auto log = Log();
  ASSERT_EQ(log.size(), std::size(kBadValues));
  for (std::size_t i = 0; i < std::size(kBadValues); ++i)
    EXPECT_EQ(log[i], Line(kBadValues[i].Shown, std::string("Invalid e-mail address: ") + kBadValues[i].Reason));
  EXPECT_EQ(F->statlabel->Caption(), IntToStr(static_cast<Integer>(rows)) + " mails of " +
                                         IntToStr(static_cast<Integer>(rows)) + " sended " +
                                         IntToStr(static_cast<Integer>(std::size(kBadValues))) + " failed.");
  ExpectIdle();
}

TEST_F(SendRunRecipientsE2E, BadValuesInsideBccBatchesFailAloneAndTheRestOfTheBatchGoes) {
  ServeScript("{}");
  // Batches of three: the one in To is refused, then one in Bcc, then a blank entry.
  auto r = Addresses(8);
  r[0].Address = "a@example.net><victim@evil.test";
  r[4].Address = "b@example.net, victim2@evil.test";
  r[6].Address = "";
  F->bccCountEd->SetValue(3);
  F->SendTo(r, true);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;

  using S = std::set<std::string>;
  const std::map<int, S> expected = {{1, S{"r2@example.net", "r3@example.net"}},
                                     {2, S{"r4@example.net", "r6@example.net"}},
                                     {3, S{"r8@example.net"}}};
  EXPECT_EQ(RcptByMail(), expected);
  // The first good address of a batch is the one in To.
  EXPECT_NE(TextOf(1).find("\r\nTo: <r2@example.net>\r\n"), std::string::npos) << TextOf(1);
  EXPECT_NE(TextOf(3).find("\r\nTo: <r8@example.net>\r\n"), std::string::npos) << TextOf(3);
  for (int m = 1; m <= 3; ++m) EXPECT_EQ(TextOf(m).find("victim"), std::string::npos) << m;
  // A blank entry is logged with a reason of its own, not with the last mail's reply.
  const std::vector<AnsiString> log = {
      Line("a@example.net><victim@evil.test", "Invalid e-mail address: it holds angle brackets"),
      Line("b@example.net, victim2@evil.test", "Invalid e-mail address: it holds more than one address"),
      Line("", "Invalid e-mail address: the address is empty")};
  EXPECT_EQ(Log(), log);
  EXPECT_EQ(F->statlabel->Caption(), "3 mails of 3 sended 3 failed.");
  ExpectIdle();
}

struct TBatchFault {
  const char* Name;
  const char* Script;
  std::vector<std::string> Log;  // the lines of the failed first batch, in batch order
  bool Cancel = false;           // the user cancels while the first mail waits
};

TEST_F(SendRunRecipientsE2E, EveryAddressOfAFailedBatchIsLoggedWithItsReasonAndCounted) {
  const TBatchFault cases[] = {
      {"DATA refused", R"({"mails": {"1": {"at": "data", "reply": "554 5.7.1 Batch refused"}}})",
       {"554 5.7.1 Batch refused", "554 5.7.1 Batch refused"}},
      {"MAIL refused", R"({"mails": {"1": {"at": "mail", "reply": "550 5.7.1 Sender blocked"}}})",
       {"550 5.7.1 Sender blocked", "550 5.7.1 Sender blocked"}},
      {"end of data refused", R"({"mails": {"1": {"at": "end", "reply": "554 5.6.0 Content refused"}}})",
       {"554 5.6.0 Content refused", "554 5.6.0 Content refused"}},
      {"one refused on its own, then DATA",
       R"({"rcpt": {"r2@example.net": "550 5.1.1 r2 unknown"},
           "mails": {"1": {"at": "data", "reply": "554 5.7.1 Batch refused"}}})",
       {"554 5.7.1 Batch refused", "550 5.1.1 r2 unknown"}},
      {"connection dropped", R"({"mails": {"1": {"at": "data", "do": "close"}}})",
       {"The server closed the connection", "The server closed the connection"}},
      {"time-out", R"({"mails": {"1": {"at": "end", "do": "stall"}}})",
       {"No reply from the server within 1 second", "No reply from the server within 1 second"}},
      {"cancel", R"({"mails": {"1": {"at": "end", "do": "stall"}}})",
       {"Cancelled before the server replied", "Cancelled before the server replied"}, true},
  };
  for (const TBatchFault& c : cases) {
    SCOPED_TRACE(c.Name);
    fs::remove_all(FOut);
    fs::create_directories(FOut);
    F->ErrorLog->Lines().Clear();
    ServeScript(c.Script);
    F->SMTP->SetTimeOut(1);
    // A cancel must come before the time-out does, however slow the machine.
    F->SMTP->FinalReplyTimeOut = c.Cancel ? 20 : 1;
    // The click comes once the server holds the first mail's text and waits.
    QTimer clicker;
    clicker.setInterval(20);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
      if (!TextOf(1).empty() && F->Sending()) {
        clicker.stop();
        F->SendBtnClick(F->SendBtn);
      }
    });
    if (c.Cancel) clicker.start();
    F->bccCountEd->SetValue(2);
    F->SendTo(Addresses(4), true);
    for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;
    Dialogs.Asked.clear();

    // The second batch goes after a fresh connection, unless the run was cancelled.
    const auto rcpt = RcptByMail();
    const std::vector<AnsiString> expectedLog = {Line("r1@example.net", c.Log[0]), Line("r2@example.net", c.Log[1])};
    EXPECT_EQ(Log(), expectedLog);
    if (c.Cancel) {
      EXPECT_EQ(rcpt.count(2), 0u);
      EXPECT_EQ(F->statlabel->Caption(), "1 mails of 2 sended 2 failed.");
    } else {
      ASSERT_EQ(rcpt.count(2), 1u);
      EXPECT_EQ(rcpt.at(2), (std::set<std::string>{"r3@example.net", "r4@example.net"}));
      EXPECT_NE(TextOf(2).find("\r\nTo: <r3@example.net>\r\n"), std::string::npos);
      EXPECT_EQ(F->statlabel->Caption(), "2 mails of 2 sended 2 failed.");
    }
    ExpectIdle();
    FServer.reset();
  }
}

TEST_F(SendRunRecipientsE2E, LineBreaksInTheSenderNameAndSubjectNeverReachTheDecodedHeader) {
  Account("\xD6tto\r\nBcc: victim@evil.test");
  Mail("Offer\r\nfor \xE4 you\n", "x");
  ServeReal();
  F->SendTo(Addresses(1), false);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;
  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 1u);
  const TDelivered& d = mails[0];
  EXPECT_EQ(d.at("rcpt_tos"), "r1@example.net");
  // Python's email reads each field as one name and one address (it folds runs of blanks);
  // names and subject are UTF-8 there.
  EXPECT_EQ(d.at("from"), "\"\xC3\x96tto Bcc: victim@evil.test\" <otto@example.org>");
  EXPECT_EQ(d.at("reply_to"), "\"\xC3\x96tto Bcc: victim@evil.test\" <reply@example.org>");
  EXPECT_EQ(d.at("subject"), "Offer  for \xC3\xA4 you ");
  EXPECT_EQ(d.at("bcc"), "");
  EXPECT_TRUE(Log().empty());
  ExpectIdle();
}

}  // namespace
}  // namespace orv::test
