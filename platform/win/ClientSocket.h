// Client socket: one non-blocking TCP connection to a host name or a dotted address, with read,
// disconnect and error events delivered on the window thread.
#pragma once
#include <functional>
#include <vector>
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace orv {

// What failed; an error event carries it with the system's error number.
enum TErrorEvent : Byte { eeGeneral = 0, eeSend = 1, eeReceive = 2, eeConnect = 3, eeDisconnect = 4,
                          eeAccept = 5 };

// Raised when an error event's handler leaves the error code non-zero (or there is no handler).
class ESocketError : public Exception {
 public:
  ESocketError(AnsiString message, int code) : Exception(std::move(message)), FCode(code) {}
  int Code() const noexcept { return FCode; }
 private:
  int FCode;
};

class TClientSocket;
using TSocketNotifyEvent = std::function<void(TClientSocket& socket)>;
// errorCode: the system's error number; set it to 0 to keep the socket from raising ESocketError.
using TSocketErrorEvent = std::function<void(TClientSocket& socket, TErrorEvent kind, int& errorCode)>;

// Events fire only inside Open, SendBuf, ReceiveBuf, Close and Poll: the waiting code polls the socket
// between passes of the event loop, so every event runs on the window thread.
class TClientSocket {
 public:
  TClientSocket() = default;
  ~TClientSocket();
  TClientSocket(const TClientSocket&) = delete;
  TClientSocket& operator=(const TClientSocket&) = delete;

  // The server: a host name in Host, or a numeric address in Address (which wins when both are set).
  AnsiString Host;
  AnsiString Address;
  Integer Port = 0;

  // Starts connecting and returns at once (name resolution itself is synchronous). Every address
  // the name resolves to is tried in turn; the error event (eeConnect) comes only when all failed.
  // Does nothing while Active.
  void Open();
  // Ends the connection; fires OnDisconnect when it had been connected.
  void Close();
  // True while the connection is open or being opened.
  bool Active() const { return FState != stClosed; }
  bool Connected() const { return FState == stConnected; }

  // Bytes that can be read now without waiting (inside OnRead: those that arrived with the event).
  Integer ReceiveLength() const;
  // Reads up to count bytes; returns the count read (0 when none is waiting).
  Integer ReceiveBuf(void* buffer, Integer count);
  // Hands bytes to the connection: the count taken (possibly fewer than count), -1 when the send
  // would block (also while the connection is still being opened). Any other failure fires the
  // error event (eeSend), closes the connection and returns 0.
  Integer SendBuf(const void* buffer, Integer count);

  // Waits at most timeoutMs (0: not at all) for the connection to make progress and fires the events
  // that follow from it: connection made or failed, bytes to read (OnRead), peer closed
  // (OnDisconnect), error. With wantWrite it also returns as soon as a send would not block.
  // Returns true when anything was ready.
  bool Poll(int timeoutMs, bool wantWrite = false);

  // The machine's host name.
  static AnsiString LocalHost();
  // The local address of the connection as text (dotted for IPv4); empty when not connected.
  AnsiString LocalAddress() const;
  // The descriptor, -1 when closed; for waits that combine it with others.
  int Handle() const { return FFd; }

  TSocketNotifyEvent OnConnect;
  // Without a read handler arriving bytes are read and dropped, so a poll never spins on them.
  TSocketNotifyEvent OnRead;
  TSocketNotifyEvent OnDisconnect;
  TSocketErrorEvent OnError;

 private:
  enum TState { stClosed, stConnecting, stConnected };
  void TryNextAddress();
  void FinishConnect();
  void Fail(TErrorEvent kind, int code);
  void CloseHandle();
  void HandleReadable();
  static AnsiString QueryLocalAddress(int fd);

  TState FState = stClosed;
  int FFd = -1;
  // A readable connection is read at once into the inbox (one call, where asking for the count
  // first would take two); ReceiveBuf serves the inbox before it reads the connection again.
  std::vector<char> FInbox;
  std::size_t FInboxStart = 0;
  std::size_t FInboxEnd = 0;
  AnsiString FLocalAddress;
  // The addresses still to try while connecting, and the error of the last one tried.
  std::vector<std::vector<unsigned char>> FAddrs;
  std::vector<int> FFamilies;
  size_t FNextAddr = 0;
  int FLastConnectError = 0;
};

}  // namespace orv
