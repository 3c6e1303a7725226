// Socket talk: request and reply exchanges over one non-blocking TCP connection, waiting by
// pumping the event loop so the window stays responsive.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include "mail/MailMessage.h"
#include "platform/rtl/Types.h"
#include "platform/win/ClientSocket.h"
#include "platform/win/Timer.h"

namespace orv {

class TSocketTalk;
// code: the talk code of the exchange (0: none, or cancelled); piece: the bytes that just arrived.
using TTalkReplyEvent =
    std::function<void(TSocketTalk& sender, Byte code, bool& accepted, const AnsiString& piece)>;
using TTalkErrorEvent = std::function<void(TSocketTalk& sender, Byte code, Byte status)>;
using TTalkNotifyEvent = std::function<void(TSocketTalk& sender)>;

// Status of a talk: all well, or ended by its time-out; any other value is the socket's error kind.
inline constexpr Byte tsOK = 7;
inline constexpr Byte tsTimedOut = 6;

// One talk at a time: starting a talk replaces the one in progress. Events fire only while the
// talk sends or waits (or while the caller pumps through Poll); a talk never raises.
class TSocketTalk {
 public:
  // owner: the Sender of OnProgress (the client that owns the talk).
  explicit TSocketTalk(void* owner = nullptr);
  ~TSocketTalk();
  TSocketTalk(const TSocketTalk&) = delete;
  TSocketTalk& operator=(const TSocketTalk&) = delete;

  // Seconds without progress after which a talk fails; 60 at creation.
  Integer TimeOut() const { return FTimeOut; }
  void SetTimeOut(Integer seconds) { FTimeOut = seconds > 0 ? seconds : 1; }
  // The text the reply must end with; empty: the first piece completes it. ReplyComplete, when
  // set, decides in its place.
  AnsiString Terminator;
  // Decides from everything received for the talk whether the reply is complete (a protocol's own
  // framing, where a reply may hold many lines each ending with the terminator).
  std::function<bool(std::string_view replyText)> ReplyComplete;
  // Everything received since the talk started. Kept after the talk until the next one starts.
  const AnsiString& ReplyText() const { return FReplyText; }
  void SetReplyText(AnsiString text) { FReplyText = std::move(text); }
  // Above 0 and below the text's length: the next talk sends in pieces of this many bytes, with
  // the event loop served and OnProgress fired between them. Reset to 0 after every talk.
  Integer NextPacketSize = 0;
  // Bytes received for one talk beyond which it fails as a receive error.
  std::size_t MaxReplyLength = 1 << 20;

  Byte Status() const { return FStatus; }
  Byte TalkCode() const { return FTalkCode; }
  bool Waiting() const { return FWaiting; }
  bool Accepted() const { return FAccepted; }
  TClientSocket& Socket() { return *FSocket; }
  TTimerCore& Timer() { return *FTimer; }

  // Starts a talk without sending (the server speaks first).
  void ExpectReply(Byte code);
  // Starts a talk and sends the text; returns when every byte is handed to the connection, or the
  // talk ended first (error, time-out, cancel, an early reply).
  void Talk(std::string_view text, std::string_view terminator, Byte code);
  // Returns when the talk has ended: reply complete, accepted, error, time-out, disconnect, cancel,
  // or the connection closed by anyone.
  void WaitTalk();
  // Ends the talk at once, not accepted.
  void CancelTalk();
  // Lets the connection's pending events run without waiting (bytes that came between talks, a
  // close by the server).
  void Poll();

  vudemail::TProgressEvent OnProgress;
  TTalkReplyEvent OnReply;
  TTalkErrorEvent OnError;
  TTalkReplyEvent OnChunk;
  TTalkNotifyEvent OnDisconnect;

 private:
  void SocketRead(TClientSocket& socket);
  void SocketDisconnect(TClientSocket& socket);
  void SocketError(TClientSocket& socket, TErrorEvent kind, int& errorCode);
  void TimerElapsed();
  void EndWithError(Byte status);
  void RestartTimer();
  // Sends the text in as many calls as the connection needs; false when the talk ended first.
  bool SendAll(std::string_view text);
  // One idle pass while waiting: the event loop once, then the socket for at most a short while.
  void IdlePass(bool wantWrite);

  void* FOwner;
  std::chrono::steady_clock::time_point FLastPump{};
  Integer FTimeOut = 60;
  AnsiString FReplyText;
  Byte FStatus = tsOK;
  Byte FTalkCode = 0;
  bool FWaiting = false;
  bool FAccepted = false;
  std::unique_ptr<TClientSocket> FSocket;
  std::unique_ptr<TTimerCore> FTimer;
};

}  // namespace orv
