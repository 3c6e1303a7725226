// Socket talk against scripted loopback servers: pieces, terminators, time-outs, piece-wise and
// partial sends, disconnects, cancelling, and name resolution over every address.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <memory>

#include "mail/SocketTalk.h"
#include "tests/mail/SmtpTestServer.h"

namespace orv {
namespace {

using namespace orv::test;
using Clock = std::chrono::steady_clock;

class SocketTalkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "socket_talk_tests";
      static char* argv[] = {name, nullptr};
      static QCoreApplication app(argc, argv);
    }
  }
  void SetUp() override {
    talk.SetTimeOut(5);
    talk.OnChunk = [this](TSocketTalk&, Byte code, bool&, const AnsiString& piece) {
      chunks.push_back(piece);
      chunkCodes.push_back(code);
    };
    talk.OnReply = [this](TSocketTalk&, Byte code, bool& accepted, const AnsiString& piece) {
      replyPieces.push_back(piece);
      replyCode = code;
      accepted = acceptReplies;
    };
    talk.OnError = [this](TSocketTalk&, Byte code, Byte status) {
      errorCode = code;
      errorStatus = status;
      ++errors;
    };
    talk.OnDisconnect = [this](TSocketTalk&) { ++disconnects; };
  }
  // Opens the connection and waits for the server's first words (ended by the first piece).
  void ConnectTo(int port, const char* host = "127.0.0.1") {
    talk.Socket().Address = host;
    talk.Socket().Port = port;
    talk.ExpectReply(1);
    talk.Socket().Open();
    talk.WaitTalk();
  }
  double SecondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
  }

  TSocketTalk talk;
  std::vector<AnsiString> chunks;
  std::vector<Byte> chunkCodes;
  std::vector<AnsiString> replyPieces;
  Byte replyCode = 0;
  bool acceptReplies = true;
  Byte errorCode = 0, errorStatus = 0;
  int errors = 0, disconnects = 0;
};

TEST_F(SocketTalkTest, ReplyInTwoPiecesCompletesWithTheSecond) {
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Send("250 O"), Pause(150), Send("K\r\n"),
                        ReadLine()});
  ConnectTo(server.Port());
  ASSERT_EQ(talk.ReplyText(), "220 hi\r\n");
  chunks.clear();
  replyPieces.clear();

  talk.Talk("NOOP\r\n", "\r\n", 5);
  talk.WaitTalk();
  EXPECT_EQ(talk.ReplyText(), "250 OK\r\n") << "the reply is everything received for the talk";
  EXPECT_EQ(chunks, (std::vector<AnsiString>{"250 O", "K\r\n"}));
  EXPECT_EQ(replyPieces, (std::vector<AnsiString>{"K\r\n"})) << "the reply event sees the last piece";
  EXPECT_EQ(replyCode, 5);
  EXPECT_TRUE(talk.Accepted());
  EXPECT_EQ(talk.Status(), tsOK);
  talk.Talk("QUIT\r\n", "\r\n", 6);
  talk.Socket().Close();
  EXPECT_EQ(server.Finish(), "NOOP\r\nQUIT\r\n");
}

TEST_F(SocketTalkTest, EmptyTerminatorCompletesWithTheFirstPiece) {
  TScriptServer server({Send("220 a"), Pause(200), Send("b\r\n")});
  ConnectTo(server.Port());
  EXPECT_EQ(talk.ReplyText(), "220 a");
  EXPECT_FALSE(talk.Waiting());
  talk.Socket().Close();
}

TEST_F(SocketTalkTest, FramingCheckWaitsForTheFinalLineOfAMultiLineReply) {
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Send("250-one\r\n"), Pause(100),
                        Send("250-two\r\n250"), Pause(100), Send(" three\r\n")});
  ConnectTo(server.Port());
  talk.ReplyComplete = [](std::string_view text) {
    return text.ends_with("\r\n") && text.rfind("250 ") != std::string_view::npos;
  };
  talk.Talk("EHLO x\r\n", "\r\n", 12);
  talk.WaitTalk();
  EXPECT_EQ(talk.ReplyText(), "250-one\r\n250-two\r\n250 three\r\n");
  EXPECT_EQ(replyPieces.back(), " three\r\n");
  talk.Socket().Close();
}

TEST_F(SocketTalkTest, SilenceEndsTheTalkWithTheTimeOutStatus) {
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Pause(1800)});
  ConnectTo(server.Port());
  talk.SetTimeOut(1);
  auto start = Clock::now();
  talk.Talk("NOOP\r\n", "\r\n", 7);
  talk.WaitTalk();
  double took = SecondsSince(start);
  EXPECT_EQ(talk.Status(), tsTimedOut);
  EXPECT_FALSE(talk.Accepted());
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(errorCode, 7) << "the error event carries the talk's code";
  EXPECT_EQ(errorStatus, tsTimedOut);
  EXPECT_GE(took, 0.9);
  EXPECT_LT(took, 1.7);
  talk.Socket().Close();
}

TEST_F(SocketTalkTest, PieceWiseSendReportsProgressAndDeliversEveryByte) {
  std::string text;
  for (int i = 0; text.size() < 10000; ++i) text += "line " + std::to_string(i) + "\r\n";
  text += ".\r\n";
  TScriptServer server({Send("220 hi\r\n"), ReadUpTo("\r\n.\r\n"), Send("250 ok\r\n")});
  ConnectTo(server.Port());

  std::vector<std::pair<Integer, Integer>> progress;
  talk.OnProgress = [&](void*, Integer total, Integer current) { progress.emplace_back(total, current); };
  talk.NextPacketSize = 4096;
  talk.Talk(text, "\r\n", 18);
  EXPECT_EQ(talk.NextPacketSize, 0) << "reset after every talk";
  talk.WaitTalk();
  EXPECT_TRUE(talk.Accepted());
  const auto total = static_cast<Integer>(text.size());
  std::vector<std::pair<Integer, Integer>> expected{{total, 0}, {total, 4096}, {total, 8192},
                                                    {total, total}, {total, total}};
  EXPECT_EQ(progress, expected);
  talk.Socket().Close();
  EXPECT_EQ(server.Finish(), text);
}

TEST_F(SocketTalkTest, PacketSizeOfTheWholeTextSendsWithoutProgressEvents) {
  const std::string text = "0123456789\r\n";
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Send("250 ok\r\n")});
  ConnectTo(server.Port());
  int events = 0;
  talk.OnProgress = [&](void*, Integer, Integer) { ++events; };
  talk.NextPacketSize = static_cast<Integer>(text.size());
  talk.Talk(text, "\r\n", 18);
  talk.WaitTalk();
  EXPECT_EQ(events, 0);
  EXPECT_TRUE(talk.Accepted());
  talk.Socket().Close();
  EXPECT_EQ(server.Finish(), text);
}

TEST_F(SocketTalkTest, SendThatMeetsAFullBufferGoesOnUntilEveryByteIsWritten) {
  // The server reads nothing for a while, so the kernel takes only part of the text at first.
  std::string text;
  text.reserve(3 << 20);
  for (int i = 0; text.size() < (3u << 20); ++i) text += "payload line " + std::to_string(i) + "\r\n";
  text += ".\r\n";
  TScriptServer server({Send("220 hi\r\n"), ReadLater("\r\n.\r\n", 400), Send("250 ok\r\n")}, 4096);
  ConnectTo(server.Port());
  talk.Talk(text, "\r\n", 18);
  talk.WaitTalk();
  EXPECT_TRUE(talk.Accepted()) << "status " << int(talk.Status());
  talk.Socket().Close();
  std::string got = server.Finish();
  EXPECT_EQ(got.size(), text.size());
  EXPECT_TRUE(got == text) << "the bytes arrived changed or out of order";
}

TEST_F(SocketTalkTest, SendThatStaysBlockedEndsByTheTimeOut) {
  // The server never reads: once the buffers are full the send can make no progress at all.
  // The text is made first and the server closes well after the time-out, so a loaded machine
  // still sees the time-out first.
  const std::string text(32u << 20, 'x');
  TScriptServer server({Send("220 hi\r\n"), Pause(4000), CloseNow()}, 4096);
  ConnectTo(server.Port());
  talk.SetTimeOut(1);
  auto start = Clock::now();
  talk.Talk(text, "\r\n", 18);
  double took = SecondsSince(start);
  EXPECT_EQ(talk.Status(), tsTimedOut);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(errorCode, 18);
  EXPECT_FALSE(talk.Waiting());
  EXPECT_GE(took, 0.9);
  EXPECT_LT(took, 3.5);
  talk.WaitTalk();
  EXPECT_LT(SecondsSince(start), 3.5) << "a talk ended while sending takes no further wait";
  talk.Socket().Close();
}

TEST_F(SocketTalkTest, ServerClosingMidReplyEndsTheWaitAtOnce) {
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Send("250-first line\r\n"), CloseNow()});
  ConnectTo(server.Port());
  talk.ReplyComplete = [](std::string_view text) { return text.find("250 ") != std::string_view::npos; };
  auto start = Clock::now();
  talk.Talk("EHLO x\r\n", "\r\n", 12);
  talk.WaitTalk();
  EXPECT_LT(SecondsSince(start), 2.0);
  EXPECT_EQ(disconnects, 1);
  EXPECT_FALSE(talk.Accepted());
  EXPECT_FALSE(talk.Waiting());
  EXPECT_FALSE(talk.Socket().Active());
  EXPECT_EQ(talk.ReplyText(), "250-first line\r\n");
}

TEST_F(SocketTalkTest, SendToAClosedConnectionFailsAtOnceNotByTimeOut) {
  TScriptServer server({Send("220 hi\r\n"), CloseNow()});
  ConnectTo(server.Port());
  server.Finish();
  talk.Socket().Close();
  auto start = Clock::now();
  talk.Talk("NOOP\r\n", "\r\n", 10);
  talk.WaitTalk();
  EXPECT_LT(SecondsSince(start), 1.0);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(errorStatus, eeSend);
  EXPECT_FALSE(talk.Accepted());
}

TEST_F(SocketTalkTest, RefusedConnectionIsAnErrorEventNotAnException) {
  int port;
  {
    TLoopbackListener unused;
    port = unused.Port();
  }
  auto start = Clock::now();
  ConnectTo(port);
  EXPECT_LT(SecondsSince(start), 2.0);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(errorCode, 1);
  EXPECT_EQ(errorStatus, eeConnect);
  EXPECT_EQ(talk.Status(), eeConnect);
  EXPECT_FALSE(talk.Socket().Active());
}

TEST_F(SocketTalkTest, HostNameTriesEveryAddressItResolvesTo) {
  // "localhost" may come first as ::1, where nothing listens; the IPv4 address must still be tried.
  TScriptServer server({Send("220 v4\r\n")});
  talk.Socket().Address.clear();
  talk.Socket().Host = "localhost";
  talk.Socket().Port = server.Port();
  talk.ExpectReply(1);
  talk.Socket().Open();
  talk.WaitTalk();
  EXPECT_EQ(talk.ReplyText(), "220 v4\r\n") << "status " << int(talk.Status());
  EXPECT_EQ(talk.Socket().LocalAddress(), "127.0.0.1");
  talk.Socket().Close();
}

TEST_F(SocketTalkTest, CancellingOrClosingFromAHandlerEndsARunningWaitAtOnce) {
  for (bool byClose : {false, true}) {
    TScriptServer server({Send("220 hi\r\n"), ReadLine(), Pause(900)});
    ConnectTo(server.Port());
    talk.Talk("NOOP\r\n", "\r\n", 10);
    QTimer::singleShot(100, [&] {
      if (byClose) talk.Socket().Close(); else talk.CancelTalk();
    });
    auto start = Clock::now();
    talk.WaitTalk();
    EXPECT_LT(SecondsSince(start), 0.6) << (byClose ? "close" : "cancel");
    EXPECT_FALSE(talk.Waiting());
    EXPECT_FALSE(talk.Accepted());
    talk.Socket().Close();
  }
}

TEST_F(SocketTalkTest, ReplyBeyondTheBoundEndsTheTalkAsAReceiveError) {
  TScriptServer server({Send("220 hi\r\n"), ReadLine(), Send(std::string(70000, 'x'))});
  ConnectTo(server.Port());
  talk.MaxReplyLength = 65536;
  talk.Talk("NOOP\r\n", "\r\n", 10);
  talk.WaitTalk();
  EXPECT_EQ(talk.Status(), eeReceive);
  EXPECT_LE(talk.ReplyText().size(), 65536u);
  talk.Socket().Close();
}

// The socket reads what arrived in one go and hands it out as the reader asks: a reader taking a
// few bytes per event still gets every byte in order, and the end of stream only after them.
TEST(ClientSocket, ASlowReaderGetsEveryByteBeforeTheEndOfStream) {
  const std::string text = "0123456789abcdefghijklmnopqrstuvwxyz";
  TScriptServer server({Send(text), CloseNow()});
  TClientSocket socket;
  std::string got;
  std::vector<Integer> lengths;
  bool closed = false;
  socket.OnRead = [&](TClientSocket& s) {
    lengths.push_back(s.ReceiveLength());
    char piece[5];
    const Integer n = s.ReceiveBuf(piece, sizeof piece);
    got.append(piece, static_cast<std::size_t>(n));
  };
  socket.OnDisconnect = [&](TClientSocket&) {
    closed = true;
    EXPECT_EQ(got, text) << "the end of stream came before the bytes";
  };
  socket.Address = "127.0.0.1";
  socket.Port = server.Port();
  socket.Open();
  for (int i = 0; i < 500 && !closed; ++i) socket.Poll(20);
  EXPECT_TRUE(closed);
  EXPECT_EQ(got, text);
  ASSERT_GE(lengths.size(), 8u);
  for (std::size_t i = 1; i < lengths.size(); ++i) {
    if (lengths[i - 1] > 5) {
      EXPECT_EQ(lengths[i], lengths[i - 1] - 5) << "bytes lost between reads";
    }
  }
  EXPECT_FALSE(socket.Active());
}

}  // namespace
}  // namespace orv
