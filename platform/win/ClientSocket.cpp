// Non-blocking TCP client over POSIX sockets: resolution tries every address, sends never raise
// SIGPIPE, and events come from Poll on the caller's thread.
#include "platform/win/ClientSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace orv {

namespace {

// Bytes taken from the connection in one read.
constexpr std::size_t kInboxSize = 64 * 1024;

const char* KindText(TErrorEvent kind) {
  switch (kind) {
    case eeSend: return "send";
    case eeReceive: return "receive";
    case eeConnect: return "connect";
    case eeDisconnect: return "disconnect";
    case eeAccept: return "accept";
    default: return "socket";
  }
}

}  // namespace

TClientSocket::~TClientSocket() {
  // No events from a dying object: its handlers may belong to owners already half gone.
  OnDisconnect = nullptr;
  OnError = nullptr;
  CloseHandle();
}

void TClientSocket::Open() {
  if (Active()) return;
  FAddrs.clear();
  FFamilies.clear();
  FNextAddr = 0;
  FLastConnectError = 0;

  const bool numeric = !Address.empty();
  const AnsiString& node = numeric ? Address : Host;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICSERV | (numeric ? AI_NUMERICHOST : 0);
  if (Port < 0 || Port > 65535 || node.empty()) {
    FState = stConnecting;
    Fail(eeConnect, EINVAL);
    return;
  }
  std::string service = std::to_string(Port);
  addrinfo* list = nullptr;
  int rc = getaddrinfo(node.c_str(), service.c_str(), &hints, &list);
  FState = stConnecting;
  if (rc != 0) {
    Fail(eeConnect, rc == EAI_SYSTEM ? errno : EHOSTUNREACH);
    return;
  }
  for (addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
    auto* bytes = reinterpret_cast<const unsigned char*>(ai->ai_addr);
    FAddrs.emplace_back(bytes, bytes + ai->ai_addrlen);
    FFamilies.push_back(ai->ai_family);
  }
  freeaddrinfo(list);
  TryNextAddress();
}

void TClientSocket::TryNextAddress() {
  while (FNextAddr < FAddrs.size()) {
    const auto& addr = FAddrs[FNextAddr];
    int family = FFamilies[FNextAddr];
    ++FNextAddr;
    int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
      FLastConnectError = errno;
      continue;
    }
    // Commands are single small writes answered by the server: Nagle's delay would only slow them.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(addr.data()),
                       static_cast<socklen_t>(addr.size()));
    if (rc == 0) {
      FFd = fd;
      FinishConnect();
      return;
    }
    if (errno == EINPROGRESS || errno == EINTR) {
      FFd = fd;
      FState = stConnecting;
      return;
    }
    FLastConnectError = errno;
    ::close(fd);
  }
  Fail(eeConnect, FLastConnectError != 0 ? FLastConnectError : ECONNREFUSED);
}

void TClientSocket::FinishConnect() {
  FState = stConnected;
  FLocalAddress = QueryLocalAddress(FFd);
  FAddrs.clear();
  FFamilies.clear();
  if (OnConnect) OnConnect(*this);
}

void TClientSocket::CloseHandle() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
  FState = stClosed;
  FInboxStart = FInboxEnd = 0;
  FLocalAddress.clear();
  FAddrs.clear();
  FFamilies.clear();
}

void TClientSocket::Close() {
  bool wasConnected = FState == stConnected;
  CloseHandle();
  if (wasConnected && OnDisconnect) OnDisconnect(*this);
}

void TClientSocket::Fail(TErrorEvent kind, int code) {
  bool wasConnected = FState == stConnected;
  CloseHandle();
  int errorCode = code;
  if (OnError) OnError(*this, kind, errorCode);
  if (wasConnected && OnDisconnect) OnDisconnect(*this);
  if (errorCode != 0) {
    throw ESocketError("Socket error " + std::to_string(code) + " (" + std::strerror(code) +
                           ") on " + KindText(kind),
                       code);
  }
}

Integer TClientSocket::ReceiveLength() const {
  if (FState != stConnected) return 0;
  if (FInboxStart < FInboxEnd) return static_cast<Integer>(FInboxEnd - FInboxStart);
  int n = 0;
  if (ioctl(FFd, FIONREAD, &n) != 0 || n < 0) return 0;
  return n;
}

Integer TClientSocket::ReceiveBuf(void* buffer, Integer count) {
  if (FState != stConnected || count <= 0) return 0;
  if (FInboxStart < FInboxEnd) {
    const std::size_t n = std::min(static_cast<std::size_t>(count), FInboxEnd - FInboxStart);
    std::memcpy(buffer, FInbox.data() + FInboxStart, n);
    FInboxStart += n;
    return static_cast<Integer>(n);
  }
  for (;;) {
    ssize_t n = ::recv(FFd, buffer, static_cast<size_t>(count), 0);
    if (n >= 0) return static_cast<Integer>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    Fail(eeReceive, errno);
    return 0;
  }
}

Integer TClientSocket::SendBuf(const void* buffer, Integer count) {
  if (FState == stConnecting) return -1;
  if (FState != stConnected) {
    FState = stConnecting;  // so that Fail reports it without a disconnect event
    Fail(eeSend, ENOTCONN);
    return 0;
  }
  if (count <= 0) return 0;
  for (;;) {
    ssize_t n = ::send(FFd, buffer, static_cast<size_t>(count), MSG_NOSIGNAL);
    if (n >= 0) return static_cast<Integer>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
    Fail(eeSend, errno);
    return 0;
  }
}

void TClientSocket::HandleReadable() {
  if (FInboxStart == FInboxEnd) {
    FInboxStart = FInboxEnd = 0;
    if (FInbox.empty()) FInbox.resize(kInboxSize);
    ssize_t n;
    do {
      n = ::recv(FFd, FInbox.data(), FInbox.size(), 0);
    } while (n < 0 && errno == EINTR);
    if (n == 0) {
      // Readable with nothing to read: the peer's end of stream.
      Close();
      return;
    }
    if (n < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK) Fail(eeReceive, errno);
      return;
    }
    FInboxEnd = static_cast<std::size_t>(n);
  }
  if (OnRead) OnRead(*this);
  // Without a reader the bytes are dropped, so a poll never spins on them.
  else FInboxStart = FInboxEnd = 0;
}

bool TClientSocket::Poll(int timeoutMs, bool wantWrite) {
  if (timeoutMs < 0) timeoutMs = 0;
  if (FFd < 0) {
    if (timeoutMs > 0) ::poll(nullptr, 0, timeoutMs);
    return false;
  }
  // Bytes already taken from the connection are ready without asking it.
  if (FState == stConnected && FInboxStart < FInboxEnd) {
    HandleReadable();
    return true;
  }
  pollfd p{};
  p.fd = FFd;
  p.events = FState == stConnecting ? POLLOUT : static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0));
  int rc = ::poll(&p, 1, timeoutMs);
  if (rc <= 0) return false;

  if (FState == stConnecting) {
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(FFd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err == 0 && (p.revents & POLLOUT) != 0 && (p.revents & (POLLERR | POLLHUP)) == 0) {
      FinishConnect();
    } else {
      FLastConnectError = err != 0 ? err : ECONNREFUSED;
      ::close(FFd);
      FFd = -1;
      TryNextAddress();
    }
    return true;
  }
  if ((p.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
    if ((p.revents & POLLIN) != 0 || (p.revents & POLLHUP) != 0) {
      HandleReadable();
    } else {
      int err = 0;
      socklen_t len = sizeof err;
      getsockopt(FFd, SOL_SOCKET, SO_ERROR, &err, &len);
      // An error state that names no error would make every later poll return at once.
      Fail(eeGeneral, err != 0 ? err : EIO);
    }
  }
  return true;
}

AnsiString TClientSocket::LocalHost() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

AnsiString TClientSocket::LocalAddress() const { return FLocalAddress; }

AnsiString TClientSocket::QueryLocalAddress(int fd) {
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return {};
  char text[INET6_ADDRSTRLEN] = {};
  if (ss.ss_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&ss)->sin_addr, text, sizeof text);
  } else if (ss.ss_family == AF_INET6) {
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&ss);
    // An IPv4 peer reached over a dual-stack socket shows as ::ffff:a.b.c.d; the dotted form is
    // the connection's real local address.
    if (IN6_IS_ADDR_V4MAPPED(&a6->sin6_addr)) {
      inet_ntop(AF_INET, &a6->sin6_addr.s6_addr[12], text, sizeof text);
    } else {
      inet_ntop(AF_INET6, &a6->sin6_addr, text, sizeof text);
    }
  }
  return text;
}

}  // namespace orv
