// SMTP session against loopback responders: handshake and login, the mail transaction with its
// refusals, recipients, Bcc and dot-stuffing, the final reply's longer wait, and closing.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "mail/SMTPSession.h"
#include "mail/VudeMail.h"
#include "tests/mail/SmtpTestServer.h"

namespace orv {
namespace {

using namespace orv::test;
using Clock = std::chrono::steady_clock;

class SmtpSessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "smtp_session_tests";
      static char* argv[] = {name, nullptr};
      static QCoreApplication app(argc, argv);
    }
  }
  void SetUp() override {
    smtp.SetTimeOut(3);
    smtp.FinalReplyTimeOut = 3;
    smtp.MailMessage = &msg;
  }
  // A plain-text message, built and ready to send.
  void Compose(const std::string& text = "Hello\r\n") {
    msg.ResetMessage();
    msg.SetFrom("Sender", "sender@example.org");
    msg.SetSubject("Test");
    msg.ToRecipients().ClearRecipients();
    msg.BccRecipients().ClearRecipients();
    msg.ToRecipients().AddRecipient("", "to@example.org");
    msg.SetTextPlain(text);
    msg.BuildBody();
  }
  static std::vector<std::string> Verbs(const std::vector<std::string>& commands) {
    std::vector<std::string> out;
    for (const std::string& c : commands) out.push_back(c.substr(0, c.find_first_of(" :")));
    return out;
  }
  static std::vector<std::string> RcptAddresses(const std::vector<std::string>& commands) {
    std::vector<std::string> out;
    for (const std::string& c : commands) {
      if (c.rfind("RCPT TO:", 0) == 0) out.push_back(c.substr(c.find('<') + 1, c.rfind('>') - c.find('<') - 1));
    }
    return out;
  }
  void ConnectTo(int port) {
    smtp.Host = "127.0.0.1";
    smtp.Port = port;
  }

  TMailMessage msg;
  TSMTPSession smtp;
};

TEST_F(SmtpSessionTest, HandshakeWithoutUserNameSendsNoAuthAndKeepsTheWholeHandshake) {
  TSmtpTestServer server;
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect()) << smtp.LastReply();
  EXPECT_TRUE(smtp.SessionOpen());
  EXPECT_EQ(smtp.LastReply(), "220 test ready\r\n250-test\r\n250-AUTH LOGIN\r\n250 8BITMIME\r\n");
  EXPECT_FALSE(smtp.Connect()) << "a second Connect on an open session changes nothing";
  EXPECT_TRUE(smtp.Quit());
  EXPECT_FALSE(smtp.SessionOpen());
  server.Finish();
  EXPECT_EQ(Verbs(server.Commands), (std::vector<std::string>{"EHLO", "QUIT"}));
  EXPECT_EQ(server.Commands[0], "EHLO " + TClientSocket::LocalHost());
}

TEST_F(SmtpSessionTest, RefusedEhloFallsBackToHelo) {
  TSmtpServerConfig config;
  config.EhloReply = "502 5.5.1 no EHLO here\r\n";
  TSmtpTestServer server(config);
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  EXPECT_EQ(smtp.LastReply(), "220 test ready\r\n502 5.5.1 no EHLO here\r\n250 test\r\n");
  smtp.AbortSession();
  server.Finish();
  EXPECT_EQ(Verbs(server.Commands), (std::vector<std::string>{"EHLO", "HELO"}));
}

struct TAuthCase {
  const char* Name;
  std::string ServerUser, ServerPassword;   // empty user: the server refuses AUTH LOGIN
  std::string UserName, Password;
  bool Connects;
  bool AuthAccepted;
  std::vector<std::string> Verbs;
};

TEST_F(SmtpSessionTest, AuthLoginRunsOnlyWithAUserNameAndJudgesTheCredentials) {
  const std::string longPassword(90, 'p');   // longer than one base64 input line
  const TAuthCase cases[] = {
      {"right credentials", "joe", "secret", "joe", "secret", true, true, {"EHLO", "AUTH", "am9l", "c2VjcmV0"}},
      {"wrong password", "joe", "secret", "joe", "guess", false, true, {"EHLO", "AUTH", "am9l", "Z3Vlc3M="}},
      {"no user name", "joe", "secret", "", "", true, false, {"EHLO"}},
      {"AUTH not offered", "", "", "joe", "secret", true, false, {"EHLO", "AUTH"}},
      {"long password whole", "joe", longPassword, "joe", longPassword, true, true, {}},
  };
  for (const TAuthCase& c : cases) {
    TSmtpServerConfig config;
    config.AuthUser = c.ServerUser;
    config.AuthPassword = c.ServerPassword;
    TSmtpTestServer server(config);
    TSMTPSession session;
    session.SetTimeOut(3);
    session.Host = "127.0.0.1";
    session.Port = server.Port();
    session.UserName = c.UserName;
    session.Password = c.Password;
    EXPECT_EQ(session.Connect(), c.Connects) << c.Name << ": " << session.LastReply();
    EXPECT_EQ(session.AuthAccepted(), c.AuthAccepted) << c.Name;
    EXPECT_EQ(session.SessionOpen(), c.Connects) << c.Name;
    if (!c.Connects) {
      EXPECT_FALSE(session.Talk().Socket().Active()) << c.Name << ": a failed handshake closes";
      EXPECT_NE(session.LastReply().find("535 5.7.8"), std::string::npos) << c.Name;
    }
    session.AbortSession();
    server.Finish();
    if (!c.Verbs.empty()) {
      EXPECT_EQ(Verbs(server.Commands), c.Verbs) << c.Name;
    }
  }
}

TEST_F(SmtpSessionTest, RecipientsAreSortedWithoutDuplicatesAndBccNeverGoesOut) {
  TSmtpTestServer server;
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  Compose();
  msg.ToRecipients().AddRecipient("", "TO@example.org");
  msg.CcRecipients().AddRecipient("", "carl@example.org");
  msg.BccRecipients().AddRecipient("", "blind@example.org");
  msg.BccRecipients().AddRecipient("", "Anna@example.org");
  msg.BuildBody();
  const THeaderLines before = msg.Header();

  ASSERT_TRUE(smtp.SendMessage()) << smtp.LastReply();
  EXPECT_TRUE(smtp.RefusedRecipients().empty());
  EXPECT_EQ(smtp.LastReply(), "250 2.0.0 queued\r\n");
  const THeaderLines after = msg.Header();
  ASSERT_EQ(after.size(), before.size() + 1) << "the header is back, with the Message-ID added";
  EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
  EXPECT_EQ(after.back().rfind("Message-ID: <", 0), 0u) << after.back();
  EXPECT_NE(after.back().find("@127.0.0.1>"), std::string::npos) << after.back();
  EXPECT_TRUE(msg.HasHeader("Bcc"));

  smtp.AbortSession();
  server.Finish();
  EXPECT_EQ(server.Commands.front(), "EHLO " + TClientSocket::LocalHost());
  EXPECT_EQ(server.Commands[1], "MAIL FROM: <sender@example.org>");
  EXPECT_EQ(RcptAddresses(server.Commands),
            (std::vector<std::string>{"Anna@example.org", "blind@example.org", "carl@example.org",
                                      "to@example.org"}));
  ASSERT_EQ(server.Messages.size(), 1u);
  const std::string& sent = server.Messages[0];
  EXPECT_EQ(sent.find("\r\nBcc:"), std::string::npos) << sent;
  EXPECT_EQ(sent.rfind("Bcc:", 0), std::string::npos);
  EXPECT_NE(sent.find("Message-ID: <"), std::string::npos);
  EXPECT_TRUE(sent.ends_with("Hello\r\n.\r\n")) << "no empty line is added before the end of data:\n" << sent;
}

TEST_F(SmtpSessionTest, LinesStartingWithADotAreStuffedOnTheWire) {
  TSmtpTestServer server;
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  msg.TextEncoding = etNoEncoding;
  Compose(".\r\n.x\r\nmiddle\r\n..y\r\n.");
  ASSERT_TRUE(smtp.SendMessage());
  smtp.AbortSession();
  server.Finish();
  ASSERT_EQ(server.Messages.size(), 1u);
  const std::string& sent = server.Messages[0];
  std::size_t bodyAt = sent.find("\r\n\r\n");
  ASSERT_NE(bodyAt, std::string::npos);
  EXPECT_EQ(sent.substr(bodyAt + 4), "..\r\n..x\r\nmiddle\r\n...y\r\n..\r\n.\r\n");
}

TEST_F(SmtpSessionTest, UploadGoesInPacketsWithProgressFromTheSession) {
  TSmtpTestServer server;
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  std::string text;
  while (text.size() < 5000) text += "some line of the body\r\n";
  Compose(text);
  smtp.PacketSize = 1000;
  std::vector<Integer> current;
  Integer total = 0;
  void* sender = nullptr;
  smtp.OnProgress() = [&](void* s, Integer t, Integer c) {
    sender = s;
    total = t;
    current.push_back(c);
  };
  ASSERT_TRUE(smtp.SendMessage());
  smtp.AbortSession();
  server.Finish();
  ASSERT_EQ(server.Messages.size(), 1u);
  EXPECT_EQ(sender, &smtp);
  EXPECT_EQ(total, static_cast<Integer>(server.Messages[0].size()));
  ASSERT_GE(current.size(), 7u);
  EXPECT_EQ(current.front(), 0);
  EXPECT_EQ(current[1], 1000);
  EXPECT_EQ(current.back(), total);
  EXPECT_TRUE(std::is_sorted(current.begin(), current.end()));
}

TEST_F(SmtpSessionTest, RefusedRecipientsAreReportedAndTheOthersStillGetTheMail) {
  TSmtpServerConfig config;
  config.RefusedRecipients["bad@example.org"] = "550 5.1.1 bad: no such user\r\n";
  config.RefusedRecipients["worse@example.org"] = "553 5.1.3 worse: bad address\r\n";
  TSmtpTestServer server(config);
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  Compose();
  msg.BccRecipients().AddRecipient("", "bad@example.org");
  msg.BccRecipients().AddRecipient("", "good@example.org");
  msg.BccRecipients().AddRecipient("", "worse@example.org");
  msg.BuildBody();
  ASSERT_TRUE(smtp.SendMessage()) << smtp.LastReply();
  ASSERT_EQ(smtp.RefusedRecipients().size(), 2u);
  EXPECT_EQ(smtp.RefusedRecipients()[0].Address, "bad@example.org");
  EXPECT_EQ(smtp.RefusedRecipients()[0].Reply, "550 5.1.1 bad: no such user\r\n");
  EXPECT_EQ(smtp.RefusedRecipients()[1].Address, "worse@example.org");
  smtp.AbortSession();
  server.Finish();
  EXPECT_EQ(Verbs(server.Commands),
            (std::vector<std::string>{"EHLO", "MAIL", "RCPT", "RCPT", "RCPT", "RCPT", "DATA"}));
  EXPECT_EQ(server.Messages.size(), 1u);
}

TEST_F(SmtpSessionTest, MailWithEveryRecipientRefusedFailsBeforeData) {
  TSmtpServerConfig config;
  config.RefusedRecipients["to@example.org"] = "550 5.1.1 no\r\n";
  TSmtpTestServer server(config);
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  Compose();
  EXPECT_FALSE(smtp.SendMessage());
  EXPECT_EQ(smtp.LastReply(), "550 5.1.1 no\r\n");
  EXPECT_FALSE(msg.HasHeader("Message-ID"));
  smtp.AbortSession();
  server.Finish();
  EXPECT_EQ(Verbs(server.Commands), (std::vector<std::string>{"EHLO", "MAIL", "RCPT"}));
}

TEST_F(SmtpSessionTest, ARecipientWhoseReplyTimesOutEndsTheMailThere) {
  // The late "250" would otherwise be read as the reply to the next RCPT TO.
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Send("250 ok\r\n"), ReadLine(), Send("250 ok\r\n"),
                        ReadLine(), Pause(1400), Send("250 late\r\n"), ReadLine(), Send("250 ok\r\n")});
  ConnectTo(server.Port());
  smtp.SetTimeOut(1);
  ASSERT_TRUE(smtp.Connect());
  Compose();
  msg.BccRecipients().AddRecipient("", "a@example.org");
  msg.BuildBody();
  EXPECT_FALSE(smtp.SendMessage());
  EXPECT_TRUE(smtp.RefusedRecipients().empty()) << "a time-out is no refusal";
  smtp.AbortSession();
  const std::string all = server.Finish();
  EXPECT_NE(all.find("RCPT TO: <a@example.org>\r\n"), std::string::npos) << all;
  EXPECT_EQ(all.find("RCPT TO: <to@example.org>"), std::string::npos) << all;
}

TEST_F(SmtpSessionTest, AnEhloThatTimesOutIsNotFollowedByHelo) {
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Pause(1400), Send("250 late\r\n"), ReadLine(),
                        Send("250 helo\r\n")});
  ConnectTo(server.Port());
  smtp.SetTimeOut(1);
  EXPECT_FALSE(smtp.Connect()) << "the late EHLO reply must not pass for the reply to HELO";
  smtp.AbortSession();
  const std::string all = server.Finish();
  EXPECT_EQ(all.find("HELO"), std::string::npos) << all;
}

struct TFailureCase {
  const char* Name;
  std::vector<TStep> AfterRcpt;  // the script from the reply to RCPT TO on
  int CancelAfterMs;             // > 0: the caller aborts the session while the mail waits
  const char* Reason;
};

TEST_F(SmtpSessionTest, EveryFailedMailSaysWhyInItsFailureReason) {
  const std::vector<TStep> toData = {Send("250 ok\r\n"), ReadLine(), Send("354 go\r\n"), ReadUpTo("\r\n.\r\n")};
  const auto then = [&](std::vector<TStep> tail) {
    std::vector<TStep> all = toData;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  const TFailureCase cases[] = {
      {"DATA refused", {Send("250 ok\r\n"), ReadLine(), Send("554 5.7.1 no data for you\r\n")}, 0,
       "554 5.7.1 no data for you"},
      {"end of data refused", then({Send("550-5.7.1 refused\r\n550 5.7.1 for policy\r\n")}), 0,
       "550-5.7.1 refused\r\n550 5.7.1 for policy"},
      {"no reply to the end of data", then({Pause(1800)}), 0, "No reply from the server within 1 second"},
      {"closed at RCPT", {CloseNow()}, 0, "The server closed the connection"},
      {"closed inside a reply", {Send("250-half a reply\r\n"), CloseNow()}, 0, "The server closed the connection"},
      {"closed after DATA", {Send("250 ok\r\n"), ReadLine(), CloseNow()}, 0, "The server closed the connection"},
      {"cancelled at the end of data", then({Pause(3000)}), 300, "Cancelled before the server replied"},
  };
  for (const TFailureCase& c : cases) {
    std::vector<TStep> script = {Send("220 hi\r\n"), ReadLine(), Send("250 ok\r\n"), ReadLine(),
                                 Send("250 ok\r\n"), ReadLine()};
    script.insert(script.end(), c.AfterRcpt.begin(), c.AfterRcpt.end());
    TScriptServer server(script);
    TSMTPSession session;
    session.MailMessage = &msg;
    session.Host = "127.0.0.1";
    session.Port = server.Port();
    session.SetTimeOut(1);
    // A cancel must come before the time-out does, however slow the machine.
    session.FinalReplyTimeOut = c.CancelAfterMs > 0 ? 10 : 1;
    ASSERT_TRUE(session.Connect()) << c.Name;
    EXPECT_EQ(session.FailureReason(), "") << c.Name;
    Compose();
    QTimer cancel;
    cancel.setSingleShot(true);
    QObject::connect(&cancel, &QTimer::timeout, [&] { session.AbortSession(); });
    if (c.CancelAfterMs > 0) cancel.start(c.CancelAfterMs);
    EXPECT_FALSE(session.SendMessage()) << c.Name;
    EXPECT_EQ(session.FailureReason(), c.Reason) << c.Name;
    session.AbortSession();
    server.Finish();
  }
}

TEST_F(SmtpSessionTest, FailureReasonOfRefusalsAndOfNoSession) {
  EXPECT_FALSE(smtp.SendMessage());
  EXPECT_EQ(smtp.FailureReason(), "Not connected to the server");
  TSmtpServerConfig config;
  config.RefusedRecipients["to@example.org"] = "550 5.1.1 unknown user\r\n";
  TSmtpTestServer server(config);
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  Compose();
  EXPECT_FALSE(smtp.SendMessage());
  EXPECT_EQ(smtp.FailureReason(), "550 5.1.1 unknown user") << "every recipient refused";
  msg.BccRecipients().AddRecipient("", "b@example.org");
  msg.BuildBody();
  EXPECT_TRUE(smtp.SendMessage());
  EXPECT_EQ(smtp.FailureReason(), "") << "a mail that went has no failure";
  smtp.AbortSession();
  server.Finish();
}

TEST_F(SmtpSessionTest, UnsendableMessagesAreRefusedBeforeAnyCommand) {
  struct TCase {
    const char* Name;
    std::function<bool(TSMTPSession&, TMailMessage&)> Send;
  };
  const TCase cases[] = {
      {"needs rebuilding", [](TSMTPSession& s, TMailMessage& m) { m.SetTextPlain("changed"); return s.SendMessage(); }},
      {"no recipients", [](TSMTPSession& s, TMailMessage& m) { m.ToRecipients().ClearRecipients(); return s.SendMessage(); }},
      {"recipient with CRLF", [](TSMTPSession& s, TMailMessage&) {
         return s.SendMessageTo("sender@example.org", {"a@example.org", "x@example.org>\r\nRSET"}); }},
      {"recipient with LF", [](TSMTPSession& s, TMailMessage&) {
         return s.SendMessageTo("sender@example.org", {"x@example.org\nDATA"}); }},
      {"sender with CR", [](TSMTPSession& s, TMailMessage&) {
         return s.SendMessageTo("s@example.org\rRSET", {"a@example.org"}); }},
      {"only blank recipients", [](TSMTPSession& s, TMailMessage&) { return s.SendMessageTo("s@example.org", {"  ", ""}); }},
  };
  TSmtpTestServer server;
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  for (const TCase& c : cases) {
    Compose();
    EXPECT_FALSE(c.Send(smtp, msg)) << c.Name;
  }
  TSMTPSession noMessage;
  EXPECT_FALSE(noMessage.SendMessage());
  smtp.AbortSession();
  server.Finish();
  EXPECT_EQ(Verbs(server.Commands), (std::vector<std::string>{"EHLO"})) << "nothing after the handshake";
}

TEST_F(SmtpSessionTest, TheReplyToTheFinalDotGetsTheLongerWait) {
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Send("250 ok\r\n"), ReadLine(), Send("250 ok\r\n"),
                        ReadLine(), Send("250 ok\r\n"), ReadLine(), Send("354 go\r\n"),
                        ReadUpTo("\r\n.\r\n"), Pause(1500), Send("250 queued\r\n")});
  ConnectTo(server.Port());
  smtp.SetTimeOut(1);
  smtp.FinalReplyTimeOut = 4;
  ASSERT_TRUE(smtp.Connect());
  Compose();
  EXPECT_TRUE(smtp.SendMessage()) << "status " << int(smtp.Talk().Status()) << " " << smtp.LastReply();
  EXPECT_EQ(smtp.TimeOut(), 1) << "the other stages keep their time-out";
  smtp.AbortSession();
}

TEST_F(SmtpSessionTest, SplitRepliesAreJudgedWhole) {
  // "250 O" + "K": an acceptance; a greeting in pieces is not taken as the reply to EHLO; a
  // permanent error split inside its code still fails.
  TScriptServer server({Send("220-first\r\n"), Pause(60), Send("220 second\r\n"), ReadLine(),
                        Send("250-x\r\n25"), Pause(60), Send("0 y\r\n"), ReadLine(), Send("250 O"),
                        Pause(60), Send("K\r\n"), ReadLine(), Send("5"), Pause(60),
                        Send("50 no such user\r\n"), ReadLine(), Send("250\r\n")});
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect()) << smtp.LastReply();
  EXPECT_EQ(smtp.LastReply(), "220-first\r\n220 second\r\n250-x\r\n250 y\r\n");
  Compose();
  msg.ToRecipients().AddRecipient("", "zz@example.org");
  msg.BuildBody();
  // MAIL accepted from "250 O"+"K", the first RCPT refused by a split 550, the second taken by a
  // bare "250"; the script ends there, so DATA meets a closed connection and the mail fails.
  EXPECT_FALSE(smtp.SendMessage());
  ASSERT_EQ(smtp.RefusedRecipients().size(), 1u);
  EXPECT_EQ(smtp.RefusedRecipients()[0].Reply, "550 no such user\r\n");
  std::string all = server.Finish();
  EXPECT_NE(all.find("RCPT TO: <zz@example.org>\r\nDATA\r\n"), std::string::npos) << all;
}

TEST_F(SmtpSessionTest, ServerClosingBetweenMailsIsSeenBySessionOpen) {
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Send("250 ok\r\n"), Pause(100),
                        Send("421 4.4.2 idle too long\r\n"), CloseNow()});
  ConnectTo(server.Port());
  ASSERT_TRUE(smtp.Connect());
  server.Finish();
  EXPECT_FALSE(smtp.SessionOpen());
  Compose();
  EXPECT_FALSE(smtp.SendMessage());
}

TEST_F(SmtpSessionTest, FailedGreetingAndEmptyHostLeaveNoConnectionBehind) {
  {
    TScriptServer server({Send("554 5.3.2 go away\r\n")});
    ConnectTo(server.Port());
    auto start = Clock::now();
    EXPECT_FALSE(smtp.Connect());
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 1.0);
    EXPECT_EQ(smtp.LastReply(), "554 5.3.2 go away\r\n");
    EXPECT_FALSE(smtp.Talk().Socket().Active());
  }
  TSmtpTestServer server;
  ConnectTo(server.Port());
  EXPECT_TRUE(smtp.Connect()) << "a new Connect works after the failed one";
  smtp.AbortSession();
  smtp.Host.clear();
  EXPECT_FALSE(smtp.Connect());
}

TEST_F(SmtpSessionTest, ManualHandshakingStopsAfterTheGreeting) {
  TSmtpTestServer server;
  ConnectTo(server.Port());
  smtp.Handshaking = hsManual;
  ASSERT_TRUE(smtp.Connect());
  EXPECT_EQ(smtp.LastReply(), "220 test ready\r\n");
  EXPECT_TRUE(smtp.Quit());
  server.Finish();
  EXPECT_EQ(Verbs(server.Commands), (std::vector<std::string>{"QUIT"}));
}

struct TDataCase { const char* Source; const char* Wire; };

TEST(SmtpDataText, DotsAreStuffedAndEveryLineEndIsCRLF) {
  const TDataCase cases[] = {
      {"", "\r\n.\r\n"},
      {"a\r\n", "a\r\n.\r\n"},
      {".\r\n", "..\r\n.\r\n"},
      {"a\r\n.x\r\nb", "a\r\n..x\r\nb\r\n.\r\n"},
      {"a\n.\nb", "a\r\n..\r\nb\r\n.\r\n"},
      {"a\r.\r\n", "a\r\n..\r\n.\r\n"},
      {"x.y\r\n", "x.y\r\n.\r\n"},
      {"a\n", "a\r\n.\r\n"},
      {"a\r\n\r\n", "a\r\n\r\n.\r\n"},
  };
  for (const TDataCase& c : cases) EXPECT_EQ(SmtpDataText(c.Source), c.Wire) << "source: " << c.Source;
}

}  // namespace
}  // namespace orv
