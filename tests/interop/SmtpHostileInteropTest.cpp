// Our reply parsing and socket talk against hostile SMTP servers played by a Python script
// (smtp_peers.py script): multi-line replies, replies split into single bytes, over-long lines,
// garbage, early closes, servers that stop answering or stop reading. Every session must end with
// the right result well inside its own short time-out, never hang, never crash.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "mail/SMTPSession.h"
#include "mail/VudeMail.h"
#include "tests/support/PeerProcess.h"
#include "tests/support/FileBytes.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kPython = "/usr/bin/python3";
const std::string kHere = std::string(ORV_SOURCE_DIR) + "/tests/interop/";
// A JSON string literal of the text (every byte as \u00XX, so any byte goes out as itself).
std::string Js(std::string_view text) {
  static const char* d = "0123456789abcdef";
  std::string s = "\"";
  for (unsigned char c : text) {
    if (c >= 32 && c < 127 && c != '"' && c != '\\') {
      s.push_back(static_cast<char>(c));
    } else {
      s += "\\u00";
      s.push_back(d[c >> 4]);
      s.push_back(d[c & 15]);
    }
  }
  return s + "\"";
}

std::string Send(std::string_view text) { return "[\"send\"," + Js(text) + "],"; }
// The text one byte per packet.
std::string Trickle(std::string_view text) {
  std::string s;
  for (char c : text) s += Send(std::string(1, c)) + "[\"pause\",3],";
  return s;
}
std::string Read() { return "[\"readline\"],"; }
std::string ReadData() { return "[\"readdata\"],"; }
std::string Pause(int ms) { return "[\"pause\"," + std::to_string(ms) + "],"; }
std::string Close() { return "[\"close\"],"; }

const std::string kHandshake = Send("220 hostile ready\r\n") + Read() + Send("250 hostile\r\n");
// MAIL FROM and one RCPT TO accepted.
const std::string kEnvelope = Read() + Send("250 ok\r\n") + Read() + Send("250 ok\r\n");

struct THostileCase {
  const char* Name;
  std::string Script;
  bool Connects;
  bool Sends;
  const char* InLastReply;   // a text LastReply must hold after the last call; empty: no check
  double MaxSeconds;
  size_t MessageBytes = 0;   // an attachment of this many bytes makes the upload large
};

class SmtpHostile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "smtp_hostile_tests";
      static char* argv[] = {name, nullptr};
      static QCoreApplication app(argc, argv);
    }
  }
  void Compose(size_t attachmentBytes) {
    msg.ResetMessage();
    msg.SetFrom("Sender", "sender@example.org");
    msg.SetSubject("Hostile");
    msg.ToRecipients().ClearRecipients();
    msg.ToRecipients().AddRecipient("", "to@example.org");
    msg.SetTextPlain("Hello\r\n.\r\n");
    if (attachmentBytes) msg.AttachBytes(std::string(attachmentBytes, 'x'), "big.bin", false, "");
    msg.BuildBody();
  }
  // Runs one case with the session's own time-outs at timeOut seconds: 1 where the time-out is
  // what ends the session, longer where it must end well before any time-out.
  void Run(const THostileCase& c, Integer timeOut = 1) {
    SCOPED_TRACE(c.Name);
    const fs::path dir = fs::path(::testing::TempDir()) / ("smtp_hostile_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path script = dir / "steps.json";
    std::string steps = c.Script;
    if (!steps.empty() && steps.back() == ',') steps.pop_back();
    std::ofstream(script) << "[" << steps << "]";
    test::TPeerProcess peer({kPython, kHere + "smtp_peers.py", "script", script.string()});
    TSMTPSession session;
    session.SetTimeOut(timeOut);
    session.FinalReplyTimeOut = timeOut;
    session.Host = "127.0.0.1";
    session.Port = peer.Port();
    ASSERT_NE(session.Port, 0);
    session.MailMessage = &msg;
    Compose(c.MessageBytes);
    const auto start = Clock::now();
    const bool connected = session.Connect();
    EXPECT_EQ(connected, c.Connects) << session.LastReply().substr(0, 300);
    if (connected) {
      EXPECT_EQ(session.SendMessage(), c.Sends) << session.LastReply().substr(0, 300);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_LT(seconds, c.MaxSeconds);
    if (*c.InLastReply) {
      EXPECT_NE(session.LastReply().find(c.InLastReply), std::string::npos) << session.LastReply().substr(0, 300);
    }
    session.AbortSession();
    EXPECT_FALSE(session.SessionOpen());
    peer.Stop();
    fs::remove_all(dir);
  }

  TMailMessage msg;
};

TEST_F(SmtpHostile, WellFormedButAwkwardRepliesAreUnderstood) {
  const std::string longMultiLine = [] {
    std::string s;
    for (int i = 0; i < 400; ++i) s += "250-" + std::string(100, 'e') + "\r\n";
    return s + "250 end\r\n";
  }();
  const THostileCase cases[] = {
      {"multi-line replies in one packet each",
       Send("220-first\r\n220-second\r\n220 third\r\n") + Read() +
           Send("250-hostile\r\n250-SIZE 100\r\n250-8BITMIME\r\n250 HELP\r\n") + Read() +
           Send("250-sender\r\n250 ok\r\n") + Read() + Send("250-one\r\n250 ok\r\n") + Read() +
           Send("354-go\r\n354 on\r\n") + ReadData() + Send("250-queued\r\n250 as 1\r\n"),
       true, true, "250 as 1", 3},
      {"every reply one byte per packet",
       Trickle("220 hi there\r\n") + Read() + Trickle("250-x\r\n250 y\r\n") + Read() +
           Trickle("250 ok\r\n") + Read() + Trickle("250 ok\r\n") + Read() + Trickle("354 go\r\n") +
           ReadData() + Trickle("250 queued\r\n"),
       true, true, "250 queued", 4},
      {"a 40 KB multi-line EHLO reply", kHandshake.substr(0, kHandshake.rfind("[\"send\"")) +
           Send(longMultiLine) + kEnvelope + Read() + Send("354 go\r\n") + ReadData() + Send("250 ok\r\n"),
       true, true, "250 ok", 3},
      {"bare LF line ends", Send("220 hi\n") + Read() + Send("250-a\n250 b\n") + Read() +
           Send("250 ok\n") + Read() + Send("250 ok\n") + Read() + Send("354 go\n") + ReadData() +
           Send("250 done\n"),
       true, true, "250 done", 3},
      {"a refused greeting", Send("554 5.3.2 no service for you\r\n") + Pause(300), false, false,
       "554 5.3.2", 1},
      {"a refused message", kHandshake + kEnvelope + Read() + Send("354 go\r\n") + ReadData() +
           Send("552-too big\r\n552 really\r\n"),
       true, false, "552 really", 3},
  };
  for (const THostileCase& c : cases) Run(c);
}

TEST_F(SmtpHostile, GarbageAndOverLongLinesFailTheExchangeAtOnce) {
  const THostileCase cases[] = {
      {"text that is no reply", Send("HELLO THERE\r\n") + Pause(1500), false, false, "HELLO", 2},
      {"binary bytes", Send(std::string("\x00\xff\x01\x80garbage\r\n", 13)) + Pause(1500), false, false,
       "", 2},
      {"a code of four digits", kHandshake + Read() + Send("2500 ok\r\n") + Pause(1500), true, false, "2500",
       2},
      {"a continuation line of another shape", kHandshake + Read() + Send("250-ok\r\nwhatever\r\n") + Pause(1500),
       true, false, "", 2},
      {"a greeting line of 200 KB without a line end",
       "[\"repeat\",\"220 \",1],[\"repeat\",\"x\",200000]," + Pause(1500), false, false, "", 2},
      {"a greeting line of 100 KB with its line end",
       "[\"repeat\",\"220 \",1],[\"repeat\",\"y\",100000]," + Send("\r\n") + Pause(1500), false, false, "", 2},
      {"an endless multi-line reply", kHandshake.substr(0, kHandshake.rfind("[\"send\"")) +
           "[\"repeat\",\"250-more\\r\\n\",40000]," + Pause(1500),
       false, false, "", 2},
  };
  for (const THostileCase& c : cases) Run(c, 3);
}

TEST_F(SmtpHostile, EarlyClosesEndTheSessionAtOnce) {
  const THostileCase cases[] = {
      {"close before the greeting", Close(), false, false, "", 2},
      {"close after half a greeting", Send("220-a\r\n22") + Close(), false, false, "", 2},
      {"close instead of the EHLO reply", Send("220 hi\r\n") + Read() + Close(), false, false, "220 hi", 2},
      {"close instead of the RCPT reply", kHandshake + Read() + Send("250 ok\r\n") + Read() + Close(), true,
       false, "", 2},
      {"close in the middle of a 3 MB upload",
       kHandshake + kEnvelope + Read() + Send("354 go\r\n") + "[\"recv\",100000]," + Close(), true, false, "",
       2, 3u << 20},
  };
  for (const THostileCase& c : cases) Run(c, 3);
}

TEST_F(SmtpHostile, SilentServersEndByTheSessionsTimeOut) {
  const THostileCase cases[] = {
      {"no greeting", Pause(3000), false, false, "", 2.5},
      {"no EHLO reply", Send("220 hi\r\n") + Read() + Pause(3000), false, false, "", 2.5},
      {"half a reply, then silence", kHandshake + Read() + Send("250-ok\r\n250") + Pause(3000), true, false,
       "", 2.5},
      {"no reply to the final dot", kHandshake + kEnvelope + Read() + Send("354 go\r\n") + ReadData() +
           Pause(3000),
       true, false, "", 2.5},
      // Loopback buffers take a few megabytes; the rest of 24 MB can never be handed over. The
      // bound leaves room for building that much under load, and the server stays mute beyond it.
      {"reading stops in the middle of the upload",
       kHandshake + kEnvelope + Read() + Send("354 go\r\n") + "[\"recv\",100000]," + Pause(8000), true, false,
       "", 6, 24u << 20},
  };
  for (const THostileCase& c : cases) Run(c);
}

// A recipient whose reply does not come in time leaves the dialogue out of step: the late reply
// would be read as the next recipient's. The mail must end there, with nothing more sent.
TEST_F(SmtpHostile, ARecipientThatTimesOutEndsTheMail) {
  TMailMessage& m = msg;
  const THostileCase c{"late RCPT reply",
                       kHandshake + Read() + Send("250 ok\r\n") + Read() + Pause(1300) + Send("250 late\r\n") +
                           Read() + Send("250 ok\r\n") + Read() + Send("354 go\r\n") + ReadData() +
                           Send("250 queued\r\n"),
                       true, false, "", 1.8};
  const fs::path dir = fs::path(::testing::TempDir()) / ("smtp_hostile_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path script = dir / "late.json";
  std::string steps = c.Script;
  steps.pop_back();
  std::ofstream(script) << "[" << steps << "]";
  test::TPeerProcess peer({kPython, kHere + "smtp_peers.py", "script", script.string()});
  TSMTPSession session;
  session.SetTimeOut(1);
  session.FinalReplyTimeOut = 1;
  session.Host = "127.0.0.1";
  session.Port = peer.Port();
  session.MailMessage = &m;
  Compose(0);
  m.BccRecipients().AddRecipient("", "second@example.org");
  m.BuildBody();
  ASSERT_TRUE(session.Connect()) << session.LastReply();
  const auto start = Clock::now();
  EXPECT_FALSE(session.SendMessage());
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), c.MaxSeconds);
  session.AbortSession();
  peer.Wait(3000);
  const std::string got = test::ReadFileBytes(script.string() + ".got");
  EXPECT_NE(got.find("RCPT TO: <second@example.org>"), std::string::npos) << got;
  EXPECT_EQ(got.find("RCPT TO: <to@example.org>"), std::string::npos) << "nothing after the time-out:\n" << got;
  EXPECT_EQ(got.find("DATA"), std::string::npos) << got;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orv
