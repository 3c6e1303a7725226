// Socket talk: sends a request in as many calls as the connection needs, then waits for a complete
// reply by serving the event loop and polling the socket in turn.
#include "mail/SocketTalk.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "platform/win/MessageLoop.h"

namespace orv {

namespace {

// Longest single wait on the socket between two passes of the event loop: short enough that the
// window stays responsive, long enough that an idle wait costs next to nothing.
constexpr long long kPollSliceMs = 20;
// Least time between two passes of the event loop while a talk waits or sends.
constexpr int kPumpEveryMs = 2;
// Bytes taken from the connection in one read event; the rest comes with the next pass.
constexpr std::size_t kReadSlice = 256 * 1024;

}  // namespace

TSocketTalk::TSocketTalk(void* owner)
    : FOwner(owner), FSocket(std::make_unique<TClientSocket>()), FTimer(std::make_unique<TTimerCore>()) {
  FTimer->SetEnabled(false);
  FTimer->OnTimer = [this] { TimerElapsed(); };
  FSocket->OnRead = [this](TClientSocket& s) { SocketRead(s); };
  FSocket->OnDisconnect = [this](TClientSocket& s) { SocketDisconnect(s); };
  FSocket->OnError = [this](TClientSocket& s, TErrorEvent kind, int& code) { SocketError(s, kind, code); };
}

TSocketTalk::~TSocketTalk() {
  FTimer->OnTimer = nullptr;
  FSocket->OnRead = nullptr;
  FSocket->OnDisconnect = nullptr;
  FSocket->OnError = nullptr;
}

void TSocketTalk::RestartTimer() {
  FTimer->SetEnabled(false);
  FTimer->SetEnabled(true);
}

void TSocketTalk::ExpectReply(Byte code) {
  Poll();
  Terminator.clear();
  FReplyText.clear();
  FTimer->SetEnabled(false);
  FTimer->SetInterval(static_cast<unsigned>(FTimeOut) * 1000u);
  FTimer->SetEnabled(true);
  FStatus = tsOK;
  FTalkCode = code;
  FWaiting = true;
  FAccepted = false;
}

void TSocketTalk::Talk(std::string_view text, std::string_view terminator, Byte code) {
  // The connection is not asked for bytes first: whatever arrived since the last talk and was not
  // read is a piece of this talk, as pieces are that arrive while no talk waits. A caller that
  // must see a close between talks polls before it talks (the SMTP session does, once per mail).
  Terminator = AnsiString(terminator);
  FTalkCode = code;
  FReplyText.clear();
  FTimer->SetEnabled(false);
  FTimer->SetInterval(static_cast<unsigned>(FTimeOut) * 1000u);
  FStatus = tsOK;
  FWaiting = true;
  FAccepted = false;

  const std::size_t total = text.size();
  const bool inPieces = NextPacketSize > 0 && static_cast<std::size_t>(NextPacketSize) < total;
  if (inPieces) {
    const auto piece = static_cast<std::size_t>(NextPacketSize);
    if (OnProgress) OnProgress(FOwner, static_cast<Integer>(total), 0);
    std::size_t sent = 0;
    while (sent < total) {
      ProcessMessages();
      if (!FWaiting) break;
      std::size_t n = std::min(piece, total - sent);
      if (!SendAll(text.substr(sent, n))) break;
      sent += n;
      if (OnProgress) OnProgress(FOwner, static_cast<Integer>(total), static_cast<Integer>(sent));
    }
    if (sent == total && OnProgress) {
      OnProgress(FOwner, static_cast<Integer>(total), static_cast<Integer>(total));
    }
  } else {
    SendAll(text);
  }
  NextPacketSize = 0;
}

bool TSocketTalk::SendAll(std::string_view text) {
  if (text.empty()) return FWaiting;
  const char* p = text.data();
  std::size_t left = text.size();
  // The time-out counts from the last byte the connection took: a slow but moving upload is fine.
  RestartTimer();
  while (left > 0) {
    if (!FWaiting) return false;
    const auto chunk = static_cast<Integer>(std::min<std::size_t>(left, INT_MAX / 2));
    Integer n = FSocket->SendBuf(p, chunk);
    if (!FWaiting) return false;
    if (n > 0) {
      p += n;
      left -= static_cast<std::size_t>(n);
      RestartTimer();
      continue;
    }
    if (!FSocket->Active()) {
      EndWithError(eeSend);
      return false;
    }
    IdlePass(true);
  }
  FTimer->SetEnabled(false);
  return FWaiting;
}

void TSocketTalk::IdlePass(bool wantWrite) {
  // A reply on loopback comes within microseconds: serving the event loop on every pass would
  // cost more than the exchange. Every few milliseconds of waiting keeps the window as lively.
  auto now = std::chrono::steady_clock::now();
  if (now - FLastPump >= std::chrono::milliseconds(kPumpEveryMs)) {
    FLastPump = now;
    ProcessMessages();
    if (!FWaiting) return;
  }
  long long wait = kPollSliceMs;
  long long left = FTimer->RemainingMs();
  if (left >= 0 && left < wait) wait = left;
  FSocket->Poll(static_cast<int>(wait), wantWrite);
  FTimer->FireIfDue();
}

void TSocketTalk::WaitTalk() {
  FTimer->SetInterval(static_cast<unsigned>(FTimeOut) * 1000u);
  while (FWaiting && !FAccepted) {
    FTimer->SetEnabled(true);
    if (!FSocket->Active()) {
      // Closed by our own side while the talk waited: nothing more can arrive.
      FWaiting = false;
      FTalkCode = 0;
      Terminator.clear();
      break;
    }
    IdlePass(false);
  }
  FTimer->SetEnabled(false);
}

void TSocketTalk::CancelTalk() {
  FTimer->SetEnabled(false);
  FStatus = tsOK;
  FTalkCode = 0;
  Terminator.clear();
  FWaiting = false;
  FAccepted = false;
}

void TSocketTalk::Poll() {
  // Bounded, so a server that never stops sending cannot hold the caller here.
  for (int i = 0; i < 64 && FSocket->Active() && FSocket->Poll(0); ++i) {}
}

void TSocketTalk::SocketRead(TClientSocket& socket) {
  // What is waiting now is this piece; whatever comes meanwhile is the next one.
  Integer n = std::min<Integer>(socket.ReceiveLength(), static_cast<Integer>(kReadSlice));
  if (n <= 0) return;
  AnsiString piece(static_cast<std::size_t>(n), '\0');
  Integer got = socket.ReceiveBuf(piece.data(), n);
  if (got <= 0) return;
  piece.resize(static_cast<std::size_t>(got));

  FReplyText += piece;
  FStatus = tsOK;
  FTimer->SetEnabled(false);
  if (FReplyText.size() > MaxReplyLength) {
    FReplyText.resize(MaxReplyLength);
    if (FWaiting) EndWithError(eeReceive);
    return;
  }
  if (OnChunk) OnChunk(*this, FTalkCode, FAccepted, piece);

  bool complete;
  if (ReplyComplete) {
    complete = !FWaiting || ReplyComplete(FReplyText);
  } else {
    complete = Terminator.empty() || std::string_view(FReplyText).ends_with(Terminator);
  }
  if (!complete) {
    if (FWaiting) FTimer->SetEnabled(true);
    return;
  }
  FStatus = tsOK;
  Terminator.clear();
  if (OnReply) OnReply(*this, FTalkCode, FAccepted, piece);
  FWaiting = false;
}

void TSocketTalk::SocketDisconnect(TClientSocket&) {
  if (OnDisconnect) OnDisconnect(*this);
  FTimer->SetEnabled(false);
  FWaiting = false;
  FTalkCode = 0;
  Terminator.clear();
  NextPacketSize = 0;
}

void TSocketTalk::EndWithError(Byte status) {
  FTimer->SetEnabled(false);
  FStatus = status;
  Terminator.clear();
  FWaiting = false;
  FAccepted = false;
  Byte code = FTalkCode;
  if (OnError) OnError(*this, code, status);
  FTalkCode = 0;
}

void TSocketTalk::SocketError(TClientSocket&, TErrorEvent kind, int& errorCode) {
  EndWithError(static_cast<Byte>(kind));
  errorCode = 0;
}

void TSocketTalk::TimerElapsed() { EndWithError(tsTimedOut); }

}  // namespace orv
