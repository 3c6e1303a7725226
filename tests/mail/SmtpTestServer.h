// Servers on 127.0.0.1 for the socket talk and SMTP session tests: a script of sends, pauses and
// reads, and a small SMTP responder whose replies each test chooses. Each serves one connection
// on its own thread and never waits more than a few seconds for anything.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace orv::test {

// A listening socket on 127.0.0.1 and a free port, with blocking helpers bounded by time-outs.
class TLoopbackListener {
 public:
  TLoopbackListener() {
    FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(FListen, 4);
    socklen_t len = sizeof a;
    getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
    FPort = ntohs(a.sin_port);
  }
  ~TLoopbackListener() {
    if (FConn >= 0) ::close(FConn);
    if (FListen >= 0) ::close(FListen);
  }
  int Port() const { return FPort; }

  bool Accept(int timeoutMs = 5000) {
    pollfd p{FListen, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    FConn = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
    return FConn >= 0;
  }
  void SetReceiveBuffer(int bytes) {
    if (FConn >= 0) setsockopt(FConn, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
  }
  void SetListenReceiveBuffer(int bytes) {
    setsockopt(FListen, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
  }
  void Send(const std::string& bytes) {
    if (FConn >= 0 && !bytes.empty()) ::send(FConn, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  void CloseConnection() {
    if (FConn >= 0) ::close(FConn);
    FConn = -1;
  }
  // Reads until the received text ends with the marker (or the peer closes, or timeoutMs of
  // silence); returns the text read.
  std::string ReadUntil(const std::string& marker, int timeoutMs = 5000) {
    std::string got;
    char buf[65536];
    while (FConn >= 0) {
      if (!marker.empty() && got.size() >= marker.size() &&
          got.compare(got.size() - marker.size(), marker.size(), marker) == 0) {
        break;
      }
      pollfd p{FConn, POLLIN, 0};
      if (::poll(&p, 1, timeoutMs) <= 0) break;
      // The client never sends ahead of a reply, so a bulk read takes nothing of the next command.
      ssize_t n = ::recv(FConn, buf, sizeof buf, 0);
      if (n <= 0) break;
      got.append(buf, static_cast<size_t>(n));
      if (marker.empty()) break;
    }
    return got;
  }
  // Reads everything until the peer closes or timeoutMs of silence.
  std::string ReadAll(int timeoutMs) {
    std::string got;
    char buf[65536];
    while (FConn >= 0) {
      pollfd p{FConn, POLLIN, 0};
      if (::poll(&p, 1, timeoutMs) <= 0) break;
      ssize_t n = ::recv(FConn, buf, sizeof buf, 0);
      if (n <= 0) break;
      got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }

 private:
  int FListen = -1;
  int FConn = -1;
  int FPort = 0;
};

// One step of a script: send bytes, pause, read a line (or up to a marker), or close.
struct TStep {
  enum Kind { kSend, kPause, kRead, kClose, kReadSlowly } Kind;
  std::string Text;  // bytes to send, or the marker a read waits for
  int Ms = 0;
};
inline TStep Send(std::string text) { return {TStep::kSend, std::move(text), 0}; }
inline TStep Pause(int ms) { return {TStep::kPause, {}, ms}; }
inline TStep ReadLine() { return {TStep::kRead, "\r\n", 0}; }
inline TStep ReadUpTo(std::string marker) { return {TStep::kRead, std::move(marker), 0}; }
inline TStep CloseNow() { return {TStep::kClose, {}, 0}; }
// Waits ms before it reads up to the marker, so the client's sends meet a full buffer meanwhile.
inline TStep ReadLater(std::string marker, int ms) { return {TStep::kReadSlowly, std::move(marker), ms}; }

class TScriptServer {
 public:
  explicit TScriptServer(std::vector<TStep> script, int receiveBuffer = 0)
      : FScript(std::move(script)) {
    if (receiveBuffer > 0) FListener.SetListenReceiveBuffer(receiveBuffer);
    FThread = std::thread([this] { Run(); });
  }
  ~TScriptServer() { Finish(); }
  int Port() const { return FListener.Port(); }
  // Waits for the script's end; everything the client sent.
  std::string Finish() {
    if (FThread.joinable()) FThread.join();
    return FReceived;
  }

 private:
  void Run() {
    if (!FListener.Accept()) return;
    for (const TStep& step : FScript) {
      switch (step.Kind) {
        case TStep::kSend: FListener.Send(step.Text); break;
        case TStep::kPause: std::this_thread::sleep_for(std::chrono::milliseconds(step.Ms)); break;
        case TStep::kRead: FReceived += FListener.ReadUntil(step.Text); break;
        case TStep::kReadSlowly:
          std::this_thread::sleep_for(std::chrono::milliseconds(step.Ms));
          FReceived += FListener.ReadUntil(step.Text, 10000);
          break;
        case TStep::kClose: FListener.CloseConnection(); break;
      }
    }
    // The rest, until the client closes, so a test sees everything that went out.
    FReceived += FListener.ReadAll(300);
    FListener.CloseConnection();
  }

  TLoopbackListener FListener;
  std::vector<TStep> FScript;
  std::thread FThread;
  std::string FReceived;
};

// A small SMTP responder: records every command and every message, and answers as configured.
struct TSmtpServerConfig {
  std::string Greeting = "220 test ready\r\n";
  std::string EhloReply = "250-test\r\n250-AUTH LOGIN\r\n250 8BITMIME\r\n";
  std::string HeloReply = "250 test\r\n";
  // Empty: AUTH LOGIN refused; else the user and password it takes.
  std::string AuthUser;
  std::string AuthPassword;
  // Addresses (exactly as offered) that RCPT refuses with this reply.
  std::map<std::string, std::string> RefusedRecipients;
  std::string DataReply = "250 2.0.0 queued\r\n";
};

class TSmtpTestServer {
 public:
  explicit TSmtpTestServer(TSmtpServerConfig config = {}) : FConfig(std::move(config)) {
    FThread = std::thread([this] { Run(); });
  }
  ~TSmtpTestServer() { Finish(); }
  int Port() const { return FListener.Port(); }
  // Waits until the client closed (or went silent); then the lists below are complete.
  void Finish() {
    if (FThread.joinable()) FThread.join();
  }
  std::vector<std::string> Commands;   // every line the client sent outside DATA, without CRLF
  std::vector<std::string> Messages;   // every message as it came, up to and with the final "."

 private:
  static std::string Upper(std::string s) {
    for (char& c : s) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    return s;
  }
  static std::string Between(const std::string& s, char open, char close) {
    auto a = s.find(open), b = s.rfind(close);
    return (a == s.npos || b == s.npos || b < a) ? std::string() : s.substr(a + 1, b - a - 1);
  }
  void Run() {
    if (!FListener.Accept()) return;
    FListener.Send(FConfig.Greeting);
    int authStep = 0;
    std::string user;
    for (;;) {
      std::string line = FListener.ReadUntil("\r\n", 3000);
      if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) break;
      line.resize(line.size() - 2);
      Commands.push_back(line);
      std::string cmd = Upper(line);
      if (authStep == 1) {
        user = line;
        authStep = 2;
        FListener.Send("334 UGFzc3dvcmQ6\r\n");
      } else if (authStep == 2) {
        authStep = 0;
        bool ok = user == Base64(FConfig.AuthUser) && line == Base64(FConfig.AuthPassword);
        FListener.Send(ok ? "235 2.7.0 ok\r\n" : "535 5.7.8 bad credentials\r\n");
      } else if (cmd.rfind("EHLO", 0) == 0) {
        FListener.Send(FConfig.EhloReply);
      } else if (cmd.rfind("HELO", 0) == 0) {
        FListener.Send(FConfig.HeloReply);
      } else if (cmd == "AUTH LOGIN") {
        if (FConfig.AuthUser.empty()) {
          FListener.Send("504 5.5.4 not offered\r\n");
        } else {
          authStep = 1;
          FListener.Send("334 VXNlcm5hbWU6\r\n");
        }
      } else if (cmd.rfind("MAIL FROM:", 0) == 0) {
        FListener.Send("250 ok\r\n");
      } else if (cmd.rfind("RCPT TO:", 0) == 0) {
        auto it = FConfig.RefusedRecipients.find(Between(line, '<', '>'));
        FListener.Send(it != FConfig.RefusedRecipients.end() ? it->second : "250 ok\r\n");
      } else if (cmd == "DATA") {
        FListener.Send("354 go ahead\r\n");
        Messages.push_back(FListener.ReadUntil("\r\n.\r\n", 3000));
        FListener.Send(FConfig.DataReply);
      } else if (cmd == "QUIT") {
        FListener.Send("221 bye\r\n");
        break;
      } else {
        FListener.Send("500 unknown\r\n");
      }
    }
    FListener.ReadAll(200);
    FListener.CloseConnection();
  }
  static std::string Base64(const std::string& in) {
    static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
      unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
      out += t[v >> 18]; out += t[(v >> 12) & 63]; out += t[(v >> 6) & 63]; out += t[v & 63];
    }
    if (i + 1 == in.size()) {
      unsigned v = (unsigned char)in[i] << 16;
      out += t[v >> 18]; out += t[(v >> 12) & 63]; out += "==";
    } else if (i + 2 == in.size()) {
      unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8;
      out += t[v >> 18]; out += t[(v >> 12) & 63]; out += t[(v >> 6) & 63]; out += '=';
    }
    return out;
  }

  TLoopbackListener FListener;
  TSmtpServerConfig FConfig;
  std::thread FThread;
};

}  // namespace orv::test
