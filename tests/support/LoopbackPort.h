// A loopback port that is free at the moment it is asked for, for a local peer to listen on.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orv::test {

// The port the system hands a socket bound to port 0 on 127.0.0.1; 0 when none could be had.
inline int FreeLoopbackPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  const bool ok = ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0;
  ::close(s);
  return ok ? ntohs(a.sin_port) : 0;
}

}  // namespace orv::test
