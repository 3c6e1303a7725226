// Send runs of the real main window, offscreen, with the recipient values real tables hold, good
// and bad, and with servers that fail a mail: what the server received is compared with the
// error log and the status line. A scripted server records every line it got; Python's email
// package reads the messages, and a real SMTP server takes them.
#include <gtest/gtest.h>

#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
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

  // The connections the scripted server took, each with the mails (by MAIL number) it carried.
  std::map<int, std::set<int>> MailsByConnection() {
    std::map<int, std::set<int>> out;
    for (const TGot& g : Got()) {
      std::set<int>& mails = out[g.Conn];
      if (g.Mail > 0) mails.insert(g.Mail);
    }
    return out;
  }

  // Clicks the send button (a cancel) from the event loop as soon as what() holds during a run.
  void CancelWhen(QTimer& clicker, std::function<bool()> what) {
    clicker.setInterval(20);
    QObject::connect(&clicker, &QTimer::timeout, [this, &clicker, what] {
      if (what() && F->Sending()) {
        clicker.stop();
        F->SendBtnClick(F->SendBtn);
      }
    });
    clicker.start();
  }

  // Rows of the address table, one per value, each with its own last name "Row i".
  template <std::size_t N, class T>
  void FillTable(const T (&values)[N]) {
    TDbfTable& t = *F->Table1;
    for (std::size_t i = 0; i < N; ++i) {
      t.Append();
      t.Fields().Fields(0)->SetAsString(values[i].Value);
      t.Fields().Fields(1)->SetAsString("Row " + std::to_string(i));
      t.Post();
    }
    // The send page lists the table's rows when it is shown.
    F->PageControl2Change(nullptr);
    ASSERT_EQ(F->TableRecipients(false).size(), N);
    F->AlleEmpfCheck->SetChecked(true);
    F->PersonalCheck->SetChecked(true);
  }

  void RestartServerFolder() {
    FServer.reset();
    fs::remove_all(FOut);
    fs::create_directories(FOut);
  }
};

// A value of an address table's address field: the address a mail goes to for it, or the reason
// it is refused.
struct TTableValue {
  const char* Value;
  const char* Sent;             // nullptr: refused
  const char* Reason = nullptr;  // why it is refused
  const char* Shown = nullptr;   // the value as the log line shows it, when not as stored
};

const TTableValue kTableValues[] = {
    {"first@example.net", "first@example.net"},
    // What a quoting export leaves in the table.
    {"\"quoted@example.net\"", "quoted@example.net"},
    {"\tpadded@example.net\t", "padded@example.net"},
    {"\"john.doe\"@example.com", "\"john.doe\"@example.com"},
    {"user@[192.0.2.1]", "user@[192.0.2.1]"},
    {"user@[IPv6:2001:db8::1]", "user@[IPv6:2001:db8::1]"},
    {"anna+news@example.net", "anna+news@example.net"},
    {"0123456789@example.net", "0123456789@example.net"},
    {"anna@example.photography", "anna@example.photography"},
    {"UPPER.CASE@EXAMPLE.NET", "UPPER.CASE@EXAMPLE.NET"},
    {"a@example.net><victim@evil.test", nullptr, "it holds angle brackets"},
    {"b@example.net, victim2@evil.test", nullptr, "it holds more than one address"},
    {"c@example.net;victim3@evil.test", nullptr, "it holds more than one address"},
    {"john smith@example.net", nullptr, "it holds a blank"},
    {"tab@exam\tple.net", nullptr, "it holds a control character", "tab@exam ple.net"},
    {"\"q x\"@example.net", nullptr, "it holds a blank"},
    {"cmt@example.net (victim4@evil.test)", nullptr, "it holds a comment"},
    {"Name <x@example.net>", nullptr, "it holds angle brackets"},
    {"\"d@example.net, victim5@evil.test\"", nullptr, "it holds more than one address"},
    {"e@example.net\r\nRCPT TO:<victim6@evil.test>", nullptr, "it holds a control character",
     "e@example.net  RCPT TO:<victim6@evil.test>"},
    {"last@example.net", "last@example.net"},
};

// The log lines of the refused values, in table order.
std::vector<AnsiString> RefusedLines() {
  std::vector<AnsiString> lines;
  for (const TTableValue& v : kTableValues)
    if (v.Sent == nullptr)
      lines.push_back("Error while sending email to " + std::string(v.Shown ? v.Shown : v.Value) +
                      ": Invalid e-mail address: " + v.Reason);
  return lines;
}

std::size_t SentCount() {
  return static_cast<std::size_t>(std::count_if(std::begin(kTableValues), std::end(kTableValues),
                                                [](const TTableValue& v) { return v.Sent != nullptr; }));
}

TEST_F(SendRunRecipientsE2E, EveryTableValueReachesRcptAsItIsInToOrIsLoggedWithItsReason) {
  FillTable(kTableValues);
  ServeScript("{}");
  const Integer rows = static_cast<Integer>(std::size(kTableValues));
  const Integer refused = rows - static_cast<Integer>(SentCount());

  // Personalised: one mail per address, each with its own row's data.
  F->SendBtnClick(F->SendBtn);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;
  std::set<std::size_t> reached;
  for (const TReadMail& m : GotReadByPython(FOut)) {
    const std::string plain = Trimmed(m.at("plain").at(0));
    const std::size_t row = std::stoul(plain.substr(plain.rfind(' ') + 1));
    ASSERT_LT(row, std::size(kTableValues)) << plain;
    const TTableValue& v = kTableValues[row];
    SCOPED_TRACE(v.Value);
    ASSERT_NE(v.Sent, nullptr) << "a refused value got mail";
    EXPECT_TRUE(reached.insert(row).second) << "twice";
    EXPECT_EQ(plain, "Dear Row " + std::to_string(row));
    // The envelope and the header carry the same text, and the package reads one mailbox in To,
    // the one it reads in the envelope.
    EXPECT_EQ(m.at("rcpt"), std::vector<std::string>{v.Sent});
    EXPECT_EQ(m.at("to_raw"), std::vector<std::string>{"<" + std::string(v.Sent) + ">"});
    EXPECT_EQ(m.at("to"), m.at("rcpt_read"));
    EXPECT_EQ(m.at("defects"), std::vector<std::string>{"0"});
  }
  EXPECT_EQ(reached.size(), SentCount());
  EXPECT_EQ(Log(), RefusedLines());
  EXPECT_EQ(F->statlabel->Caption(),
            IntToStr(rows) + " mails of " + IntToStr(rows) + " sended " + IntToStr(refused) + " failed.");
  ExpectIdle();

  // Uniform, all in one mail: the first address in To, every other one in the envelope only.
  RestartServerFolder();
  F->ErrorLog->Lines().Clear();
  ServeScript("{}");
  F->bccCheck->SetChecked(true);
  F->bccCountEd->SetValue(rows);
  F->SendBtnClick(F->SendBtn);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;
  const auto read = GotReadByPython(FOut);
  ASSERT_EQ(read.size(), 1u);
  std::multiset<std::string> expected;
  for (const TTableValue& v : kTableValues)
    if (v.Sent != nullptr) expected.insert(v.Sent);
  const std::vector<std::string>& rcpt = read[0].at("rcpt");
  EXPECT_EQ(std::multiset<std::string>(rcpt.begin(), rcpt.end()), expected);
  EXPECT_EQ(read[0].at("to_raw"), std::vector<std::string>{"<first@example.net>"});
  EXPECT_EQ(read[0].at("bcc"), std::vector<std::string>{""});
  EXPECT_EQ(Log(), RefusedLines());
  EXPECT_EQ(F->statlabel->Caption(), "1 mails of 1 sended " + IntToStr(refused) + " failed.");
  ExpectIdle();
}

TEST_F(SendRunRecipientsE2E, ARealServerTakesEveryAddressAsTheHeaderNamesIt) {
  FillTable(kTableValues);
  ServeReal();
  F->SendBtnClick(F->SendBtn);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;

  // Only the values that are one address got mail, each its own, and at the address the
  // delivered header names.
  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), SentCount());
  std::size_t mail = 0;
  for (std::size_t row = 0; row < std::size(kTableValues); ++row) {
    if (kTableValues[row].Sent == nullptr) continue;
    const TDelivered& d = mails[mail++];
    SCOPED_TRACE(kTableValues[row].Value);
    EXPECT_EQ(d.at("rcpt_tos"), d.at("to"));
    EXPECT_EQ(Trimmed(d.at("plain")), "Dear Row " + std::to_string(row));
    for (const char* victim : {"victim", "evil"}) EXPECT_EQ(d.at("to").find(victim), std::string::npos);
  }
  EXPECT_EQ(mails.front().at("rcpt_tos"), "first@example.net");
  EXPECT_EQ(mails.back().at("rcpt_tos"), "last@example.net");
  EXPECT_EQ(Log(), RefusedLines());
  const Integer rows = static_cast<Integer>(std::size(kTableValues));
  EXPECT_EQ(F->statlabel->Caption(), IntToStr(rows) + " mails of " + IntToStr(rows) + " sended " +
                                         IntToStr(rows - static_cast<Integer>(SentCount())) + " failed.");
  ExpectIdle();
}

TEST_F(SendRunRecipientsE2E, TheReconnectCountIsByMailWhateverTheCheckRefused) {
  ServeScript("{}");
  auto r = Addresses(5);
  r[3].Address = "x y@z";
  F->VirusEd->SetText("2");
  F->SendTo(r, false);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;
  // The session is closed and opened again before mails 2 and 4, though mail 4 has no address
  // to go to: connections {1}, {2, 3}, {5}.
  using S = std::set<int>;
  const std::map<int, S> expected = {{1, S{1}}, {2, S{2, 3}}, {3, S{4}}};
  EXPECT_EQ(MailsByConnection(), expected);
  const auto rcpt = RcptByMail();
  EXPECT_EQ(rcpt.at(3), std::set<std::string>{"r3@example.net"});
  EXPECT_EQ(rcpt.at(4), std::set<std::string>{"r5@example.net"});
  EXPECT_EQ(Log(), std::vector<AnsiString>{Line("x y@z", "Invalid e-mail address: it holds a blank")});
  EXPECT_EQ(F->statlabel->Caption(), "5 mails of 5 sended 1 failed.");
  ExpectIdle();
}

TEST_F(SendRunRecipientsE2E, CancelDuringTheReconnectEndsTheRunWithoutAnotherConnection) {
  // The second connection is never greeted: the reconnect before mail 2 waits for it.
  ServeScript(R"({"conns": {"2": {"do": "stall"}}})");
  F->SMTP->SetTimeOut(20);
  QTimer clicker;
  CancelWhen(clicker, [this] { return MailsByConnection().count(2) != 0; });
  F->VirusEd->SetText("2");
  F->SendTo(Addresses(3), false);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;
  using S = std::set<int>;
  const std::map<int, S> expected = {{1, S{1}}, {2, S{}}};
  EXPECT_EQ(MailsByConnection(), expected);
  EXPECT_EQ(Log(), std::vector<AnsiString>{Line("r2@example.net", "Cancelled before the mail was sent")});
  EXPECT_EQ(F->statlabel->Caption(), "2 mails of 3 sended 1 failed.");
  EXPECT_TRUE(F->Cancelled());
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
      {"connection reset", R"({"mails": {"1": {"at": "data", "do": "reset"}}})",
       {"The connection to the server failed", "The connection to the server failed"}},
      {"reply that is no reply", R"({"mails": {"1": {"at": "data", "reply": "what?"}}})",
       {"No complete reply from the server", "No complete reply from the server"}},
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
    if (c.Cancel) CancelWhen(clicker, [this] { return !TextOf(1).empty(); });
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
