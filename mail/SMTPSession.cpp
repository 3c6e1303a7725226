// SMTP session over the socket talk: handshake, login, one mail transaction per message, QUIT.
#include "mail/SMTPSession.h"

#include <algorithm>

#include "mail/MailEncoders.h"
#include "mail/MailText.h"
#include "mail/SmtpReply.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

constexpr std::string_view kCRLF = "\r\n";
constexpr const char* kCancelled = "Cancelled before the server replied";
constexpr const char* kNotConnected = "Not connected to the server";

// The reply code that accepts each talk code; 0 for codes without a check.
int ExpectedCode(Byte code) {
  switch (code) {
    case tcGreeting: return 220;
    case tcHelo: case tcMailFrom: case tcRcptTo: case tcEhlo: case tcMessage: return 250;
    case tcUser: case tcAuthLogin: return 334;
    case tcPassword: return 235;
    case tcData: return 354;
    case tcQuit: return 221;
    default: return 0;
  }
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// The credential as one base64 line of its exact bytes (no line-end rewriting, no length cut).
AnsiString Base64Line(std::string_view text) {
  AnsiString lines = EncodeBase64(text);
  AnsiString out;
  out.reserve(lines.size());
  for (char c : lines) {
    if (c != '\r' && c != '\n') out += c;
  }
  return out;
}

bool IsHostNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.';
}

}  // namespace

AnsiString SmtpDataText(std::string_view source) {
  AnsiString out;
  out.reserve(source.size() + source.size() / 32 + 8);
  const char* p = source.data();
  const char* const end = p + source.size();
  // A bare CR or LF would let a receiver see a line end where another does not (a "." line
  // among them could end the data early), so every line end goes out as CRLF.
  while (p < end) {
    if (*p == '.') out += '.';
    const char* brk = FindLineBreak(p, end);
    out.append(p, static_cast<std::size_t>(brk - p));
    if (brk == end) break;
    p = brk + 1;
    if (*brk == '\r' && p < end && *p == '\n') ++p;
    out += kCRLF;
  }
  // The CRLF that opens the end-of-data line is the last line's own line end when it has one:
  // another would add an empty line to the message.
  out += out.ends_with(kCRLF) ? ".\r\n" : "\r\n.\r\n";
  return out;
}

TSMTPSession::TSMTPSession() : FTalk(std::make_unique<TSocketTalk>(this)) {
  FTalk->ReplyComplete = [](std::string_view text) { return SmtpReplyFinished(text); };
  FTalk->OnReply = [this](TSocketTalk& t, Byte c, bool& a, const AnsiString& p) { CheckReply(t, c, a, p); };
  FTalk->OnChunk = [this](TSocketTalk& t, Byte c, bool& a, const AnsiString& p) { CheckChunk(t, c, a, p); };
  FTalk->OnError = [this](TSocketTalk& t, Byte c, Byte s) { TalkFailed(t, c, s); };
  FTalk->OnDisconnect = [this](TSocketTalk& t) { SocketClosed(t); };
}

TSMTPSession::~TSMTPSession() {
  FTalk->OnReply = nullptr;
  FTalk->OnChunk = nullptr;
  FTalk->OnError = nullptr;
  FTalk->OnDisconnect = nullptr;
}

void TSMTPSession::CheckReply(TSocketTalk& talk, Byte code, bool& accepted, const AnsiString&) {
  if (code == 0) return;
  if (code == tcAny) {
    accepted = true;
    return;
  }
  // The whole reply decides, never the piece that happened to complete it.
  TSmtpReply reply = ParseSmtpReply(talk.ReplyText());
  accepted = reply.State == rsComplete &&
             (reply.Code == ExpectedCode(code) || (code == tcRcptTo && reply.Code == 251));
}

void TSMTPSession::CheckChunk(TSocketTalk& talk, Byte, bool& accepted, const AnsiString&) {
  TSmtpReply reply = ParseSmtpReply(talk.ReplyText());
  if (reply.State == rsComplete && reply.Code > 499) {
    accepted = false;
    talk.CancelTalk();
  }
}

void TSMTPSession::TalkFailed(TSocketTalk& talk, Byte, Byte status) {
  FTalkFailed = true;
  FTalkStatus = status;
  FFailedTimeOut = talk.TimeOut();
  talk.CancelTalk();
}

void TSMTPSession::ClearFailure() {
  FFailure.clear();
  FAbortedWaiting = false;
}

void TSMTPSession::ExchangeFailed() {
  if (FAbortedWaiting) {
    FFailure = kCancelled;
  } else if (FTalkFailed && FTalkStatus == tsTimedOut) {
    FFailure = "No reply from the server within " + IntToStr(FFailedTimeOut) +
               (FFailedTimeOut == 1 ? " second" : " seconds");
  } else if (FTalkFailed) {
    FFailure = "The connection to the server failed";
  } else if (ParseSmtpReply(FTalk->ReplyText()).State == rsComplete) {
    FFailure = TrimRight(FTalk->ReplyText());
  } else if (!FSessionOpen || !FTalk->Socket().Active()) {
    FFailure = "The server closed the connection";
  } else {
    FFailure = "No complete reply from the server";
  }
}

void TSMTPSession::SocketClosed(TSocketTalk&) { FSessionOpen = false; }

bool TSMTPSession::SessionOpen() {
  if (FSessionOpen && !FTalk->Waiting()) FTalk->Poll();
  return FSessionOpen;
}

bool TSMTPSession::Ready() { return FSessionOpen && FTalk->Socket().Active(); }

bool TSMTPSession::Exchange(std::string_view text, Byte code) {
  if (!Ready()) {
    FTalk->SetReplyText({});
    // A cancel closes the connection: what comes after it in the same operation finds none.
    FFailure = FAbortedWaiting ? kCancelled : kNotConnected;
    return false;
  }
  FTalkFailed = false;
  FTalk->Talk(text, kCRLF, code);
  FTalk->WaitTalk();
  if (FTalk->Accepted()) return true;
  ExchangeFailed();
  return false;
}

AnsiString TSMTPSession::HeloName() {
  AnsiString name = TClientSocket::LocalHost();
  bool usable = !name.empty() && std::all_of(name.begin(), name.end(), IsHostNameChar);
  if (usable) return name;
  // A name the command line cannot carry: the address literal says the same.
  AnsiString address = FTalk->Socket().LocalAddress();
  if (address.find(':') != address.npos) return "[IPv6:" + address + "]";
  return "[" + address + "]";
}

bool TSMTPSession::Ehlo() { return Exchange("EHLO " + HeloName() + "\r\n", tcEhlo); }

bool TSMTPSession::Helo() { return Exchange("HELO " + HeloName() + "\r\n", tcHelo); }

bool TSMTPSession::AuthLogin() {
  FAuthAccepted = Exchange("AUTH LOGIN\r\n", tcAuthLogin);
  return FAuthAccepted;
}

bool TSMTPSession::Login() {
  if (!FAuthAccepted) return false;
  if (!Exchange(Base64Line(UserName) + "\r\n", tcUser)) return false;
  return Exchange(Base64Line(Password) + "\r\n", tcPassword);
}

bool TSMTPSession::Connect() {
  ClearFailure();
  try {
    TClientSocket& socket = FTalk->Socket();
    if (FSessionOpen || socket.Active()) {
      FFailure = "A session is open already";
      return false;
    }
    if (Host.empty()) {
      FFailure = "No server is given";
      return false;
    }
    if (IsDottedNumber(Host)) {
      socket.Address = Host;
      socket.Host.clear();
    } else {
      socket.Host = Host;
      socket.Address.clear();
    }
    FAuthAccepted = false;
    socket.Port = Port;

    FTalk->ExpectReply(tcGreeting);
    FTalkFailed = false;
    socket.Open();
    FTalk->WaitTalk();
    bool result = FTalk->Accepted();
    if (!result) ExchangeFailed();
    if (result && Handshaking == hsAuto) {
      FSessionOpen = true;
      AnsiString collected = FTalk->ReplyText();
      result = Ehlo();
      collected += FTalk->ReplyText();
      // HELO is for a server that refused EHLO; after a time-out the late EHLO reply would be read
      // as the reply to HELO and every exchange after it would be one reply behind.
      if (!result && !FTalkFailed && Ready()) {
        result = Helo();
        collected += FTalk->ReplyText();
      }
      if (result && !UserName.empty()) {
        bool offered = AuthLogin();
        collected += FTalk->ReplyText();
        if (offered) {
          result = Login();
          collected += FTalk->ReplyText();
        }
      }
      FTalk->SetReplyText(std::move(collected));
    }
    FSessionOpen = result;
    if (result) FFailure.clear();
    // Nothing can use a connection whose handshake failed; closing it lets the next Connect start
    // afresh.
    if (!result && socket.Active()) socket.Close();
    return result;
  } catch (const std::exception& e) {
    AbortSession();
    FFailure = e.what();
    return false;
  }
}

bool TSMTPSession::SendMessage() {
  FRefused.clear();
  ClearFailure();
  if (MailMessage == nullptr) {
    FFailure = "No message is given";
    return false;
  }
  try {
    std::vector<AnsiString> recipients;
    for (TMailRecipients* list : {&MailMessage->ToRecipients(), &MailMessage->CcRecipients(),
                                  &MailMessage->BccRecipients()}) {
      const auto& addresses = list->Addresses();
      recipients.insert(recipients.end(), addresses.begin(), addresses.end());
    }
    return SendMessageTo(MailMessage->FromAddress(), recipients);
  } catch (const std::exception& e) {
    FFailure = e.what();
    return false;
  }
}

bool TSMTPSession::SendMessageTo(std::string_view sender, const std::vector<AnsiString>& recipients) {
  FRefused.clear();
  ClearFailure();
  const auto fail = [this](const char* reason) {
    FFailure = reason;
    return false;
  };
  if (!Ready()) return fail(kNotConnected);
  if (MailMessage == nullptr) return fail("No message is given");
  if (MailMessage->NeedsRebuild()) return fail("The message was changed after its body was built");
  // An address with a line break would smuggle a command of its own onto the wire.
  if (HasLineBreak(sender)) return fail("The sender address holds a line break");
  std::vector<AnsiString> sorted;
  sorted.reserve(recipients.size());
  for (const AnsiString& address : recipients) {
    if (HasLineBreak(address)) return fail("A recipient address holds a line break");
    AnsiString trimmed = Trim(address);
    if (!trimmed.empty()) sorted.push_back(std::move(trimmed));
  }
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const AnsiString& a, const AnsiString& b) { return CompareText(a, b) < 0; });
  sorted.erase(std::unique(sorted.begin(), sorted.end(),
                           [](const AnsiString& a, const AnsiString& b) { return SameText(a, b); }),
               sorted.end());
  if (sorted.empty()) return fail("No recipient address is given");

  if (!Exchange("MAIL FROM: <" + AnsiString(sender) + ">\r\n", tcMailFrom)) return false;
  std::size_t taken = 0;
  AnsiString lastRefusal;
  for (const AnsiString& address : sorted) {
    if (Exchange("RCPT TO: <" + address + ">\r\n", tcRcptTo)) {
      ++taken;
      continue;
    }
    // A refusal is an answer and the dialogue stays in step; a time-out or a broken connection
    // leaves it out of step, and nothing more may be sent.
    if (FTalkFailed || !Ready()) return false;
    FRefused.push_back({address, FTalk->ReplyText()});
    lastRefusal = FTalk->ReplyText();
  }
  if (taken == 0) {
    FTalk->SetReplyText(lastRefusal);
    FFailure = TrimRight(lastRefusal);
    return false;
  }

  try {
    MailMessage->SetMessageId(FTalk->Socket().LocalAddress());
  } catch (const std::exception& e) {
    FFailure = e.what();
    return false;
  }
  // The whole header is kept and put back, so Bcc is in the message again after the transmission.
  THeaderLines saved = MailMessage->Header();
  bool result = false;
  try {
    MailMessage->RemoveHeaderLines("Bcc");
    if (Exchange("DATA\r\n", tcData)) {
      AnsiString text = SmtpDataText(MailMessage->GetSource());
      FTalk->NextPacketSize = PacketSize;
      FTalk->Talk(text, kCRLF, tcMessage);
      // Servers may deliver before they answer the final ".": that reply gets the longer wait.
      Integer keep = FTalk->TimeOut();
      FTalk->SetTimeOut(std::max(keep, FinalReplyTimeOut));
      FTalk->WaitTalk();
      FTalk->SetTimeOut(keep);
      result = FTalk->Accepted();
      if (!result) ExchangeFailed();
    }
  } catch (const std::exception& e) {
    FFailure = e.what();
    result = false;
  }
  MailMessage->Header() = std::move(saved);
  // The refusals of single recipients are in RefusedRecipients; the mail itself went.
  if (result) FFailure.clear();
  return result;
}

bool TSMTPSession::Quit() {
  ClearFailure();
  if (!Exchange("QUIT\r\n", tcQuit)) return false;
  FTalk->Socket().Close();
  FSessionOpen = false;
  return true;
}

void TSMTPSession::AbortSession() {
  if (FTalk->Waiting()) FAbortedWaiting = true;
  FTalk->CancelTalk();
  FTalk->Socket().Close();
  FSessionOpen = false;
}

}  // namespace orv
