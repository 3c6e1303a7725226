// SMTP session: greeting, EHLO or HELO, AUTH LOGIN, and sending the mail message to all of its
// recipients over one socket talk. Results are true or false, never exceptions.
#pragma once
#include <memory>
#include <string_view>
#include <vector>
#include "mail/MailMessage.h"
#include "mail/SocketTalk.h"
#include "platform/rtl/Types.h"

namespace orv {

enum THandshaking { hsAuto = 0, hsManual = 1 };

// A recipient the server refused, with the reply it gave.
struct TRefusedRecipient {
  AnsiString Address;
  AnsiString Reply;
};

// Talk codes of the exchanges; each names the reply code that accepts it.
enum TSmtpTalkCode : Byte {
  tcGreeting = 1, tcHelo = 9, tcMailFrom = 10, tcRcptTo = 11, tcEhlo = 12, tcUser = 13,
  tcPassword = 14, tcAuthLogin = 15, tcAny = 16, tcData = 17, tcMessage = 18, tcQuit = 19
};

// One exchange waits at a time; the caller starts no other operation while one waits (the event
// loop runs during waits, so window handlers do).
class TSMTPSession {
 public:
  TSMTPSession();
  ~TSMTPSession();
  TSMTPSession(const TSMTPSession&) = delete;
  TSMTPSession& operator=(const TSMTPSession&) = delete;

  // The server as a host name or a dotted numeric address.
  AnsiString Host;
  Integer Port = 25;
  // Seconds without progress after which an exchange fails; the reply to the end of the message
  // text may take up to FinalReplyTimeOut instead, as servers deliver before they answer it.
  Integer TimeOut() const { return FTalk->TimeOut(); }
  void SetTimeOut(Integer seconds) { FTalk->SetTimeOut(seconds); }
  Integer FinalReplyTimeOut = 600;
  // The message to send; not owned. Must outlive the session's use of it.
  TMailMessage* MailMessage = nullptr;
  // Bytes per send call for the message text.
  Integer PacketSize = 102400;
  THandshaking Handshaking = hsAuto;
  // AUTH LOGIN runs only when UserName is not empty.
  AnsiString UserName;
  AnsiString Password;
  // Progress of the message upload (Sender: this session).
  vudemail::TProgressEvent& OnProgress() { return FTalk->OnProgress; }

  // Whether a session is open; lets pending socket events run first, so a close by the server
  // between mails is seen here.
  bool SessionOpen();
  bool AuthAccepted() const { return FAuthAccepted; }

  // Opens a session: true when it is open and ready for mail. A failure after the connection was
  // made closes it again.
  bool Connect();
  // Sends MailMessage to its To, Cc and Bcc addresses; true when the server took the message for
  // at least one recipient. RefusedRecipients lists those it refused.
  bool SendMessage();
  bool SendMessageTo(std::string_view sender, const std::vector<AnsiString>& recipients);
  // QUIT; true when the server confirmed (the connection is then closed).
  bool Quit();
  // Closes the connection at once, without QUIT; ends an exchange that is waiting.
  void AbortSession();
  // The text received for the last exchange; after Connect the whole handshake.
  const AnsiString& LastReply() const { return FTalk->ReplyText(); }
  // Why the last Connect, SendMessage or Quit failed, for a log: the server's refusal as it
  // replied (without the final line end), or what ended the exchange without one (time-out,
  // closed connection, cancel, no session). Empty after a success; valid until the next one.
  const AnsiString& FailureReason() const { return FFailure; }
  // Recipients refused by the last SendMessage, in the order offered. Valid until the next one.
  const std::vector<TRefusedRecipient>& RefusedRecipients() const { return FRefused; }

  TSocketTalk& Talk() { return *FTalk; }

 private:
  void CheckReply(TSocketTalk& talk, Byte code, bool& accepted, const AnsiString& piece);
  void CheckChunk(TSocketTalk& talk, Byte code, bool& accepted, const AnsiString& piece);
  void TalkFailed(TSocketTalk& talk, Byte code, Byte status);
  void SocketClosed(TSocketTalk& talk);
  bool Ready();
  // Sets FailureReason after an exchange that was not accepted.
  void ExchangeFailed();
  // Starts the record of one operation's failure.
  void ClearFailure();
  // One command and its reply; true when accepted.
  bool Exchange(std::string_view text, Byte code);
  bool Ehlo();
  bool Helo();
  bool AuthLogin();
  bool Login();
  AnsiString HeloName();

  std::unique_ptr<TSocketTalk> FTalk;
  bool FSessionOpen = false;
  bool FAuthAccepted = false;
  // Whether the exchange in progress (or the last one) ended by a time-out or a socket error: the
  // talk's own status is reset when the failed talk is cancelled.
  bool FTalkFailed = false;
  // The talk status of that failure and the time-out in force when it came.
  Byte FTalkStatus = tsOK;
  Integer FFailedTimeOut = 0;
  // AbortSession came while an exchange waited: the exchange ended by our side.
  bool FAbortedWaiting = false;
  AnsiString FFailure;
  std::vector<TRefusedRecipient> FRefused;
};

// The message text as it goes between DATA and the final ".": every line end made CRLF, every line
// that begins with "." given one more, then the end-of-data line "." CRLF, after a CRLF of its own
// only when the text does not end with one.
AnsiString SmtpDataText(std::string_view source);

}  // namespace orv
