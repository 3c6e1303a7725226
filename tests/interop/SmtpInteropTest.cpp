// The SMTP session against real peers on 127.0.0.1: aiosmtpd (plain, AUTH LOGIN, refused
// recipients), a scripted Python server (split replies, pieces, bare codes, stalls, closes) and
// smtp-sink. Every delivered message is parsed by Python's email and compared with ours.
#include <gtest/gtest.h>

#include "tests/support/LoopbackPort.h"
#include "tests/support/PeerProcess.h"

#include <QCoreApplication>
#include <arpa/inet.h>
#include <csignal>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "mail/SMTPSession.h"
#include "mail/VudeMail.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/FileBytes.h"

extern char** environ;

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::TPeerProcess;
using Clock = std::chrono::steady_clock;

const std::string kPython = "/usr/bin/python3";
const std::string kHere = std::string(ORV_SOURCE_DIR) + "/tests/interop/";fs::path FreshDir(const std::string& name) {
  fs::path dir = fs::path(::testing::TempDir()) / ("smtp_interop_" + std::to_string(::getpid())) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

int RunStatus(const std::string& command, std::string* output = nullptr) {
  int status = 0;
  std::string out = test::RunCommand(command + " 2>&1", &status);
  if (output) *output = out;
  return status;
}

class SmtpInterop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "smtp_interop_tests";
      static char* argv[] = {name, nullptr};
      static QCoreApplication app(argc, argv);
    }
  }
  void SetUp() override {
    smtp.SetTimeOut(5);
    smtp.FinalReplyTimeOut = 5;
    smtp.Host = "127.0.0.1";
    smtp.MailMessage = &msg;
  }
  // A message with both texts and an attachment, lines that begin with ".", and a Bcc batch.
  void Compose(const std::vector<std::string>& bcc = {"blind@example.org"}) {
    msg.ResetMessage();
    msg.SetFrom("Sender Name", "sender@example.org");
    msg.SetReplyTo("Sender Name", "reply@example.org");
    msg.SetSubject("Interop \xE4 test");
    msg.ToRecipients().ClearRecipients();
    msg.BccRecipients().ClearRecipients();
    msg.ToRecipients().AddRecipient("", "to@example.org");
    for (const std::string& b : bcc) msg.BccRecipients().AddRecipient("", b);
    msg.SetTextHtml("<html><body><p>Hello</p>\r\n.<p>dot</p>\r\n</body></html>\r\n");
    msg.SetTextPlain("Hello\r\n.\r\n.starts with a dot\r\n..two\r\nend\r\n");
    msg.AttachBytes(std::string("binary\0data\r\n.\r\n", 17), "data.bin", false, "application/octet-stream");
    msg.BuildBody();
  }
  // The message as it must arrive: the source without Bcc.
  std::string ExpectedSource() {
    THeaderLines saved = msg.Header();
    msg.RemoveHeaderLines("Bcc");
    std::string source = msg.GetSource();
    msg.Header() = saved;
    return source;
  }
  // The delivered message equals ours byte for byte, and Python's email reads the same fields and
  // parts from both.
  void CheckDelivered(const fs::path& delivered, const std::string& expected) {
    std::string got = test::ReadFileBytes(delivered);
    EXPECT_TRUE(got == expected) << "delivered:\n" << got.substr(0, 2000);
    fs::path built = delivered.parent_path() / (delivered.stem().string() + ".built");
    test::WriteFileBytes(built, expected);
    std::string report;
    EXPECT_EQ(RunStatus(kPython + " " + kHere + "smtp_check.py '" + built.string() + "' '" +
                        delivered.string() + "'", &report), 0) << report;
  }

  TMailMessage msg;
  TSMTPSession smtp;
};

TEST_F(SmtpInterop, AiosmtpdTakesAMessageWithBccRemovedAndDotsIntact) {
  fs::path out = FreshDir("plain");
  TPeerProcess peer({kPython, kHere + "smtp_peers.py", "aiosmtpd", out.string()});
  smtp.Port = peer.Port();
  ASSERT_NE(smtp.Port, 0);
  ASSERT_TRUE(smtp.Connect()) << smtp.LastReply();
  EXPECT_NE(smtp.LastReply().find("\r\n250 "), std::string::npos) << "the whole EHLO reply";
  for (int i = 0; i < 2; ++i) {
    Compose({"blind@example.org", "Blind@Example.org", "another@example.org"});
    ASSERT_TRUE(smtp.SendMessage()) << smtp.LastReply();
    EXPECT_TRUE(msg.HasHeader("Bcc")) << "the header holds Bcc again";
    CheckDelivered(out / (std::to_string(i) + ".eml"), ExpectedSource());
  }
  EXPECT_TRUE(smtp.Quit());
  std::string envelope = test::ReadFileBytes(out / "0.json");
  EXPECT_NE(envelope.find("\"rcpt_tos\": [\"another@example.org\", \"blind@example.org\", \"to@example.org\"]"),
            std::string::npos) << envelope;
  EXPECT_NE(envelope.find("\"mail_from\": \"sender@example.org\""), std::string::npos) << envelope;
}

TEST_F(SmtpInterop, AiosmtpdWithAuthLoginTakesTheRightPasswordOnly) {
  struct TCase { const char* Password; bool Connects; };
  for (const TCase& c : {TCase{"s3cret pass", true}, TCase{"wrong", false}}) {
    fs::path out = FreshDir(std::string("auth_") + c.Password);
    TPeerProcess peer({kPython, kHere + "smtp_peers.py", "aiosmtpd", out.string(), "--auth", "joe:s3cret pass"});
    TSMTPSession session;
    session.SetTimeOut(5);
    session.Host = "127.0.0.1";
    session.Port = peer.Port();
    session.UserName = "joe";
    session.Password = c.Password;
    session.MailMessage = &msg;
    EXPECT_EQ(session.Connect(), c.Connects) << c.Password << ": " << session.LastReply();
    EXPECT_TRUE(session.AuthAccepted());
    if (c.Connects) {
      EXPECT_NE(session.LastReply().find("235 "), std::string::npos) << session.LastReply();
      Compose();
      EXPECT_TRUE(session.SendMessage()) << session.LastReply();
      EXPECT_TRUE(session.Quit());
      CheckDelivered(out / "0.eml", ExpectedSource());
    } else {
      EXPECT_NE(session.LastReply().find("535 "), std::string::npos) << session.LastReply();
    }
  }
}

TEST_F(SmtpInterop, AiosmtpdRefusingRecipientsOfABatchStillDeliversToTheOthers) {
  fs::path out = FreshDir("refused");
  TPeerProcess peer({kPython, kHere + "smtp_peers.py", "aiosmtpd", out.string(), "--refuse",
              "bad@example.org,worse@example.org"});
  smtp.Port = peer.Port();
  ASSERT_TRUE(smtp.Connect()) << smtp.LastReply();
  Compose({"bad@example.org", "good@example.org", "worse@example.org"});
  ASSERT_TRUE(smtp.SendMessage()) << smtp.LastReply();
  ASSERT_EQ(smtp.RefusedRecipients().size(), 2u);
  EXPECT_EQ(smtp.RefusedRecipients()[0].Address, "bad@example.org");
  EXPECT_EQ(smtp.RefusedRecipients()[0].Reply.rfind("550 5.1.1 <bad@example.org>", 0), 0u)
      << smtp.RefusedRecipients()[0].Reply;
  EXPECT_EQ(smtp.RefusedRecipients()[1].Address, "worse@example.org");
  EXPECT_TRUE(smtp.Quit());
  std::string envelope = test::ReadFileBytes(out / "0.json");
  EXPECT_NE(envelope.find("[\"good@example.org\", \"to@example.org\"]"), std::string::npos) << envelope;
  CheckDelivered(out / "0.eml", ExpectedSource());
}

struct TScriptCase {
  const char* Name;
  std::string Script;   // JSON steps
  bool Connects;
  bool Sends;
  double MaxSeconds;
};

const std::string kGreetEhlo =
    R"(["send","22"],["pause",50],["send","0-first\r\n"],["pause",50],["send","220 ready\r\n"],)"
    R"(["readline"],["send","250-one\r\n"],["pause",50],["send","250-two\r\n250"],["pause",50],)"
    R"(["send"," last\r\n"],)";

TEST_F(SmtpInterop, ScriptedServerSplitsStallsAndClosesAreSurvived) {
  const TScriptCase cases[] = {
      {"pieces everywhere",
       "[" + kGreetEhlo +
           R"(["readline"],["send","250"],["pause",50],["send","\r\n"],)"
           R"(["readline"],["send","250 O"],["pause",50],["send","K\r\n"],)"
           R"(["readline"],["send","354 "],["pause",50],["send","go\r\n"],)"
           R"(["readdata"],["send","2"],["pause",50],["send","50 queued\r\n"],)"
           R"(["readline"],["send","221 bye\r\n"]])",
       true, true, 3},
      {"stall after the greeting", R"([["send","220 hi\r\n"],["readline"],["pause",2500]])", false, false, 2.2},
      {"close in the middle of the greeting", R"([["send","220-a\r\n"],["close"]])", false, false, 1},
      {"close in the middle of the final reply",
       "[" + kGreetEhlo +
           R"(["readline"],["send","250 ok\r\n"],["readline"],["send","250 ok\r\n"],)"
           R"(["readline"],["send","354 go\r\n"],["readdata"],["send","25"],["close"]])",
       true, false, 2},
      {"refused EHLO in pieces, then HELO",
       R"([["send","220 hi\r\n"],["readline"],["send","550-no\r\n"],["pause",50],["send","550 not here\r\n"],)"
       R"(["readline"],["send","250 helo ok\r\n"],["readline"],["send","250 ok\r\n"],["readline"],)"
       R"(["send","250 ok\r\n"],["readline"],["send","354 go\r\n"],["readdata"],["send","250 ok\r\n"],)"
       R"(["readline"],["send","221 bye\r\n"]])",
       true, true, 3},
  };
  for (const TScriptCase& c : cases) {
    fs::path dir = FreshDir("script");
    fs::path script = dir / "steps.json";
    test::WriteFileBytes(script, c.Script);
    TPeerProcess peer({kPython, kHere + "smtp_peers.py", "script", script.string()});
    TSMTPSession session;
    session.SetTimeOut(1);
    session.FinalReplyTimeOut = 1;
    session.Host = "127.0.0.1";
    session.Port = peer.Port();
    session.MailMessage = &msg;
    auto start = Clock::now();
    bool connected = session.Connect();
    EXPECT_EQ(connected, c.Connects) << c.Name << ": " << session.LastReply();
    if (connected) {
      Compose({});
      EXPECT_EQ(session.SendMessage(), c.Sends) << c.Name << ": " << session.LastReply();
      if (c.Sends) {
        EXPECT_TRUE(session.Quit()) << c.Name;
      }
    }
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), c.MaxSeconds) << c.Name;
    session.AbortSession();
    peer.Wait(3000);
    if (c.Sends) {
      std::string got = test::ReadFileBytes(script.string() + ".got");
      EXPECT_NE(got.find("\r\n..starts with a dot\r\n...two\r\n"), std::string::npos) << c.Name;
      EXPECT_NE(got.find("\r\n..\r\n"), std::string::npos) << c.Name << ": the lone dot line is stuffed";
    }
  }
}

TEST_F(SmtpInterop, SmtpSinkTakesSeveralMailsInOneSession) {
  if (::geteuid() != 0) GTEST_SKIP() << "smtp-sink is run as root with -u nobody";
  int port = test::FreeLoopbackPort();
  TPeerProcess sink({"/usr/sbin/smtp-sink", "-u", "nobody", "127.0.0.1:" + std::to_string(port), "100"});
  smtp.Port = port;
  bool connected = false;
  for (int i = 0; i < 100 && !connected; ++i) {
    connected = smtp.Connect();
    if (!connected) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(connected) << smtp.LastReply();
  for (int i = 0; i < 5; ++i) {
    Compose({"b1@example.org", "b2@example.org"});
    EXPECT_TRUE(smtp.SendMessage()) << i << ": " << smtp.LastReply();
  }
  EXPECT_TRUE(smtp.Quit()) << smtp.LastReply();
}

}  // namespace
}  // namespace orv
