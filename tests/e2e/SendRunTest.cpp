// Whole send runs of the real main window, offscreen, against a real SMTP server on the
// loopback: every delivered message is read back by Python's email package.
#include <gtest/gtest.h>

#include "tests/e2e/DeliveredMail.h"
#include "tests/e2e/SendRunFixture.h"
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include "app/KontenStore.h"

extern char** environ;

namespace orv::test {
namespace {

namespace fs = std::filesystem;
const std::string& kPython = kE2EPython;
const std::string& kHere = kE2EHere;

class SendRunE2E : public TSendRunFixture {
 protected:
  void SetUp() override {
    TSendRunFixture::SetUp();
    StartWindowsServedTo("delivered");
    F->PageControl2->SetActivePage(F->TabSheet4);
  }

  // The server, and the window's session pointed at it.
  void Serve(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {kPython, kHere + "sendrun_smtp.py", FOut.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    StartServer(std::move(args));
  }

  // The account goes into konten.dat as the account page stores it, and is read back from there.
  void Account(const AnsiString& user = "", const AnsiString& password = "") {
    TDynaArray<TKontoRec> konten;
    TKontoRec* k = konten.Append();
    k->SenderName = "Otto Sender";
    k->SenderAddress = "otto@example.org";
    k->ReplyAddress = "reply@example.org";
    k->Server = "127.0.0.1";
    k->UserName = user;
    k->Password = password.empty() ? AnsiString() : ScramblePassword(password);
    const AnsiString file = F->AppDir() + "konten.dat";
    ASSERT_TRUE(SaveKontenFile(file, konten));
    ASSERT_NE(OpenKontenFile(file, *F->Konten()).State, dfMissing);
    F->AbsenderCombo->Items().Clear();
    for (Integer i = 0; i < F->Konten()->Count(); ++i)
      F->AbsenderCombo->Items().Add((*F->Konten())[i].SenderName);
    F->AbsenderCombo->SetItemIndex(0);
  }

  // The mail goes through mails.dat as well, so the run sends what the store read back.
  TMailRec& Mail(Byte type, const AnsiString& text, const AnsiString& html) {
    TMailRec* m = F->Mails()->Append();
    m->Subject = "Offer for you";
    m->MailType = type;
    m->BlankText = text;
    (type == mtDesign ? m->GeneratedHTML : m->BlankHTML) = html;
    m->Attachments = std::make_unique<TDynaArray<TAttachRec>>();
    return *m;
  }
  void StoreMails() {
    F->SaveMails();
    F->OpenMails();
    F->MailCombo->Items().Clear();
    for (Integer i = 0; i < F->Mails()->Count(); ++i)
      F->MailCombo->Items().Add((*F->Mails())[i].Subject);
    F->MailCombo->SetItemIndex(F->Mails()->Count() - 1);
  }

  void Typed(const AnsiString& address) {
    F->OneEmpfCheck->SetChecked(true);
    F->EmpfEd->SetText(address);
  }

  static std::vector<TSendRecipient> Addresses(int count) {
    std::vector<TSendRecipient> r;
    for (int i = 1; i <= count; ++i) r.push_back({"r" + std::to_string(i) + "@example.net", -1, {}});
    return r;
  }


};

TEST_F(SendRunE2E, TypedAddressGetsOneMailWithBodiesUnchangedAndEmbeddedFile) {
  Serve();
  Account();
  const fs::path pic = fs::path(FProgramDir) / "logo.png";
  std::ofstream(pic, std::ios::binary) << std::string("\x89PNG\r\n\x1a\n0123456789", 18);
  TMailRec& m = Mail(mtHtml, "Dear [%Name],\r\nprice: 10 \xE4 =5", "<p>Hi [%Name] <img src=\"cid:LOGO.PNG\"></p>");
  m.Attachments->Append()->Path = pic.string();
  m.Attachments->Current()->Cid = "LOGO.PNG";
  StoreMails();
  Typed("  anna@example.net ");
  F->SendBtnClick(F->SendBtn);

  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 1u);
  const TDelivered& d = mails[0];
  EXPECT_EQ(d.at("rcpt_tos"), "anna@example.net");
  EXPECT_EQ(d.at("to"), "anna@example.net");
  EXPECT_NE(d.at("from").find("otto@example.org"), std::string::npos) << d.at("from");
  EXPECT_NE(d.at("from").find("Otto Sender"), std::string::npos) << d.at("from");
  EXPECT_NE(d.at("reply_to").find("reply@example.org"), std::string::npos);
  EXPECT_EQ(d.at("subject"), "Offer for you");
  EXPECT_EQ(d.at("date_ok"), "True");
  EXPECT_EQ(d.at("charset"), "iso-8859-1");
  // No placeholder is filled for a typed address; the high byte and "=" survive the encoding.
  EXPECT_EQ(Trimmed(d.at("plain")), "Dear [%Name],\nprice: 10 \xC3\xA4 =5");
  EXPECT_NE(d.at("html").find("Hi [%Name]"), std::string::npos) << d.at("html");
  EXPECT_NE(d.at("part").find("image/png|<LOGO.PNG>"), std::string::npos) << d.at("part");
  EXPECT_NE(d.at("part").find("|18"), std::string::npos) << d.at("part");
  EXPECT_EQ(F->statlabel->Caption(), "1 mails of 1 sended 0 failed.");
  EXPECT_TRUE(Log().empty());
  ExpectIdle();
}

TEST_F(SendRunE2E, MailWrittenInTheEditorGoesOutAsDesigned) {
  Serve();
  Account();
  const fs::path pic = fs::path(FProgramDir) / "logo.png";
  std::ofstream(pic, std::ios::binary) << std::string("\x89PNG\r\n\x1a\n0123456789", 18);
  // The user writes a design mail with a bold line and a picture, and closes the editor saving it.
  QTimer::singleShot(0, [&] {
    TWriteMailForm& e = *WriteMailForm;
    e.Edit1->SetText("Designed");
    e.MailTyp1->SetChecked(true);
    e.NormalCheck->SetChecked(true);
    e.PageControl1->SetActivePage(e.TabSheet1);
    e.PageControl2->SetActivePageIndex(0);
    e.RichEdit1->SetText("Hello friends");
    e.RichEdit1->SelectAll();
    e.BoldBtn->Click();
    e.RichEdit1->SetSelStart(13);
    Dialogs.FileAnswers.push_back({pic.string()});
    e.PicBtnClick(e.PicBtn);
    Dialogs.Answers.push_back(IDYES);
    e.SpeedButton1->Click();
  });
  F->NewBtn->Click();
  ASSERT_EQ(F->Mails()->Count(), 1);
  StoreMails();
  Typed("anna@example.net");
  F->SendBtnClick(F->SendBtn);

  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 1u);
  const TDelivered& d = mails[0];
  EXPECT_EQ(d.at("subject"), "Designed");
  EXPECT_NE(d.at("html").find("<b>Hello friends<img src=\"CID:LOGO.PNG\" border=0></b>"), std::string::npos)
      << d.at("html");
  EXPECT_NE(d.at("part").find("image/png|<LOGO.PNG>"), std::string::npos) << "the picture's part carries its id";
  EXPECT_NE(Trimmed(d.at("plain")).find("Hello friends"), std::string::npos) << d.at("plain");
  EXPECT_TRUE(Log().empty());
  ExpectIdle();
}

struct TAuthCase {
  const char* Password;
  bool Delivers;
};

TEST_F(SendRunE2E, AccountCredentialsFromTheAccountFileLogIn) {
  const TAuthCase cases[] = {{"s3cret pass", true}, {"wrong", false}};
  for (const auto& c : cases) {
    fs::remove_all(FOut);
    fs::create_directories(FOut);
    Serve({"--auth", "joe:s3cret pass"});
    Account("joe", c.Password);
    if (F->Mails()->Count() == 0) {
      Mail(mtText, "plain only", "");
      StoreMails();
    }
    Typed("anna@example.net");
    Dialogs.Asked.clear();
    F->SendBtnClick(F->SendBtn);
    const auto mails = Delivered(FOut);
    EXPECT_EQ(mails.size(), c.Delivers ? 1u : 0u) << c.Password;
    std::ifstream auth(FOut / "auth.log");
    std::string first;
    std::getline(auth, first);
    EXPECT_EQ(first, c.Delivers ? "LOGIN ok" : "LOGIN refused") << c.Password;
    if (c.Delivers) {
      EXPECT_TRUE(Dialogs.Asked.empty());
      ASSERT_EQ(mails.size(), 1u);
      // A text mail has no HTML part.
      EXPECT_EQ(mails[0].at("html"), "");
      EXPECT_EQ(Trimmed(mails[0].at("plain")), "plain only");
    } else {
      ASSERT_EQ(Dialogs.Asked.size(), 1u);
      EXPECT_EQ(Dialogs.Asked[0].Text, "Could not connect to mail server!");
    }
    ExpectIdle();
    FServer.reset();
  }
}

TEST_F(SendRunE2E, RefusedTypedAddressIsLoggedAndCountedAsFailed) {
  Serve({"--refuse", "gone@example.net"});
  Account();
  Mail(mtText, "", "");
  StoreMails();
  Typed("gone@example.net");
  F->SendBtnClick(F->SendBtn);
  EXPECT_TRUE(Delivered(FOut).empty());
  const auto log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "Error while sending email to gone@example.net: "
                    "550 5.1.1 <gone@example.net>: Recipient address rejected");
  EXPECT_EQ(F->statlabel->Caption(), "1 mails of 1 sended 1 failed.");
  ExpectIdle();
}

TEST_F(SendRunE2E, FailedMailClosesTheSessionAndTheNextOneReconnects) {
  Serve({"--refuse", "r2@example.net"});
  Account();
  Mail(mtDesign, "text [%x]", "<b>html</b>");
  StoreMails();
  F->SendTo(Addresses(3), false);
  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[0].at("rcpt_tos"), "r1@example.net");
  EXPECT_EQ(mails[1].at("rcpt_tos"), "r3@example.net");
  EXPECT_NE(mails[0].at("peer_port"), mails[1].at("peer_port"));
  EXPECT_NE(mails[1].at("html").find("<b>html</b>"), std::string::npos);
  const auto log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "Error while sending email to r2@example.net: "
                    "550 5.1.1 <r2@example.net>: Recipient address rejected");
  EXPECT_EQ(F->statlabel->Caption(), "3 mails of 3 sended 1 failed.");
  ExpectIdle();
}

TEST_F(SendRunE2E, UniformBatchesPutTheFirstInToAndTheRestInBcc) {
  Serve({"--refuse", "r5@example.net"});
  Account();
  Mail(mtText, "", "");
  StoreMails();
  F->bccCountEd->SetValue(3);
  F->SendTo(Addresses(7), true);
  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 3u);
  EXPECT_EQ(mails[0].at("rcpt_tos"), "r1@example.net,r2@example.net,r3@example.net");
  EXPECT_EQ(mails[0].at("to"), "r1@example.net");
  // The batch's other addresses travel in the envelope only.
  EXPECT_EQ(mails[0].at("bcc"), "");
  EXPECT_EQ(mails[1].at("rcpt_tos"), "r4@example.net,r6@example.net");
  EXPECT_EQ(mails[2].at("rcpt_tos"), "r7@example.net");
  // The text mail with an empty text goes out with the one-blank body.
  EXPECT_EQ(Trimmed(mails[2].at("plain")), " ");
  // The refused one of a batch is logged by its own address; its mail still counts as sent.
  const auto log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "Error while sending email to r5@example.net: "
                    "550 5.1.1 <r5@example.net>: Recipient address rejected");
  EXPECT_EQ(F->statlabel->Caption(), "3 mails of 3 sended 0 failed.");
  ExpectIdle();
}

TEST_F(SendRunE2E, MailThatCannotBeBuiltFailsAloneAndTheRunGoesOn) {
  Serve();
  Account();
  TMailRec& m = Mail(mtText, "hello", "");
  m.Attachments->Append()->Path = FProgramDir + "missing.pdf";
  StoreMails();
  auto recipients = Addresses(2);
  recipients.insert(recipients.begin() + 1, {"bad\r\nRCPT TO:<x@example.net>", -1, {}});
  F->SendTo(recipients, false);
  EXPECT_TRUE(Delivered(FOut).empty());
  const auto log = Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].rfind("Error while sending email to r1@example.net: ", 0), 0u) << log[0];
  EXPECT_EQ(log[1].rfind("Error while sending email to bad  RCPT TO:<x@example.net>: ", 0), 0u)
      << log[1];
  EXPECT_EQ(F->statlabel->Caption(), "3 mails of 3 sended 3 failed.");
  ExpectIdle();
}

TEST_F(SendRunE2E, ReconnectEveryNthMailStillDeliversAll) {
  Serve();
  Account();
  Mail(mtDesign, "t", "<p>h</p>");
  StoreMails();
  F->VirusEd->SetText("2");
  F->SendTo(Addresses(5), false);
  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 5u);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(mails[static_cast<std::size_t>(i)].at("rcpt_tos"), "r" + std::to_string(i + 1) + "@example.net");
  // The session is closed and opened again before mails 2 and 4: connections {1}, {2, 3}, {4, 5}.
  const auto port = [&](int i) { return mails[static_cast<std::size_t>(i - 1)].at("peer_port"); };
  EXPECT_NE(port(1), port(2));
  EXPECT_EQ(port(2), port(3));
  EXPECT_NE(port(3), port(4));
  EXPECT_EQ(port(4), port(5));
  EXPECT_EQ(F->statlabel->Caption(), "5 mails of 5 sended 0 failed.");
  EXPECT_TRUE(Log().empty());
  ExpectIdle();
}

TEST_F(SendRunE2E, ModeAndCountsChangedDuringTheRunChangeNothing) {
  Serve({"--data-delay", "100"});
  Account();
  Mail(mtText, "x", "");
  StoreMails();
  F->PersonalCheck->SetChecked(true);
  F->OneEmpfCheck->SetChecked(true);
  F->EmpfEd->SetText("first@example.net");
  QTimer::singleShot(50, [&] {
    F->bccCheck->SetChecked(true);
    F->bccCountEd->SetText("10");
    F->VirusEd->SetText("1");
    F->EmpfEd->SetText("changed@example.net");
  });
  F->SendBtnClick(F->SendBtn);
  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].at("rcpt_tos"), "first@example.net");
  // The same with several personalised recipients: still one mail each, on one connection.
  F->PersonalCheck->SetChecked(true);
  F->bccCountEd->SetText("1");
  F->VirusEd->SetText("0");
  QTimer::singleShot(50, [&] {
    F->bccCheck->SetChecked(true);
    F->bccCountEd->SetText("10");
    F->VirusEd->SetText("1");
  });
  F->SendTo(Addresses(3), F->bccCheck->Checked());
  const auto all = Delivered(FOut);
  ASSERT_EQ(all.size(), 4u);
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(all[i].at("peer_port"), all[1].at("peer_port"));
    EXPECT_EQ(all[i].at("rcpt_tos"), "r" + std::to_string(i) + "@example.net");
  }
  EXPECT_EQ(F->statlabel->Caption(), "3 mails of 3 sended 0 failed.");
}

TEST_F(SendRunE2E, CancelHalfwayStopsAfterTheMailOnItsWay) {
  Serve({"--data-delay", "800"});
  Account();
  Mail(mtText, "x", "");
  StoreMails();
  // The click comes while the third mail waits for the server's answer to its text.
  QTimer clicker;
  clicker.setInterval(20);
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    if (fs::exists(FOut / "1.eml") && F->Sending()) {
      clicker.stop();
      QTimer::singleShot(300, [&] { F->SendBtnClick(F->SendBtn); });
    }
  });
  clicker.start();
  F->SendTo(Addresses(6), false);
  const auto mails = Delivered(FOut);
  EXPECT_EQ(mails.size(), 2u);
  const auto log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("Error while sending email to r3@example.net: ", 0), 0u) << log[0];
  EXPECT_EQ(F->statlabel->Caption(), "3 mails of 6 sended 1 failed.");
  EXPECT_TRUE(F->Cancelled());
  ExpectIdle();
}

TEST_F(SendRunE2E, CancelWhileTheServerHasNotGreetedEndsWithoutConnectBox) {
  // A server that takes the connection and stays silent.
  const fs::path script = fs::path(FProgramDir) / "silent.json";
  std::ofstream(script) << "[[\"pause\", 4000], [\"close\"]]";
  StartServer({kPython, std::string(ORV_SOURCE_DIR) + "/tests/interop/smtp_peers.py", "script", script.string()});
  ASSERT_FALSE(HasFatalFailure());
  Account();
  Mail(mtText, "x", "");
  StoreMails();
  Typed("anna@example.net");
  QTimer::singleShot(200, [&] { F->SendBtnClick(F->SendBtn); });
  const auto started = std::chrono::steady_clock::now();
  F->SendBtnClick(F->SendBtn);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  EXPECT_TRUE(Dialogs.Asked.empty());
  EXPECT_EQ(F->statlabel->Caption(), "0 emails of 0 sended 0 failed.");
  ExpectIdle();
}

TEST_F(SendRunE2E, ClosingTheWindowDuringARunCancelsItFirst) {
  // A window that is not the application's main form hides when it closes, which shows the close.
  F = ExtraMainWindow();
  Serve({"--data-delay", "300"});
  Account();
  Mail(mtText, "x", "");
  StoreMails();
  bool closedWhileSending = false;
  QTimer::singleShot(100, [&] {
    closedWhileSending = F->Sending();
    F->Close();
    closedWhileSending = closedWhileSending && F->Visible();
  });
  F->SendTo(Addresses(4), false);
  EXPECT_TRUE(closedWhileSending);
  EXPECT_LE(Delivered(FOut).size(), 1u);
  EXPECT_FALSE(F->Sending());
  EXPECT_TRUE(F->Cancelled());
  // The close asked for is carried out once the run has unwound.
  Application->ProcessMessages();
  EXPECT_FALSE(F->Visible());
}

}  // namespace
}  // namespace orv::test
