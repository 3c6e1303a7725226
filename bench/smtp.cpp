// Benchmark: 5,000 messages of 2 KB over one SMTP session to smtp-sink on loopback, beside
// smtp-source sending the same to the same sink. Last line "smtp: R", R = our rate / smtp-source's.
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "mail/VudeMail.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMessages = 5000;

int FreePort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(s);
  return ntohs(a.sin_port);
}

pid_t Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int port = FreePort();
  const std::string where = "127.0.0.1:" + std::to_string(port);
  pid_t sink = Spawn({"/usr/sbin/smtp-sink", "-u", "nobody", where, "1000"});
  if (sink < 0) {
    std::fprintf(stderr, "cannot start smtp-sink\n");
    return 1;
  }

  orv::TMailMessage msg;
  msg.SetFrom("Bench Sender", "sender@example.org");
  msg.SetSubject("Benchmark");
  msg.ToRecipients().AddRecipient("", "to@example.org");
  std::string text;
  while (text.size() < 1650) text += "The quick brown fox jumps over the lazy dog, again and again.\r\n";
  msg.SetTextPlain(text);
  msg.BuildBody();

  orv::TSMTPSession smtp;
  smtp.Host = "127.0.0.1";
  smtp.Port = port;
  smtp.MailMessage = &msg;
  bool connected = false;
  for (int i = 0; i < 200 && !connected; ++i) {
    connected = smtp.Connect();
    if (!connected) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  if (!connected) {
    std::fprintf(stderr, "cannot connect to smtp-sink: %s\n", smtp.LastReply().c_str());
    ::kill(sink, SIGTERM);
    return 1;
  }
  std::size_t size = orv::SmtpDataText(msg.GetSource()).size();
  int sent = 0;
  auto start = Clock::now();
  for (int i = 0; i < kMessages; ++i) {
    if (smtp.SendMessage()) ++sent;
  }
  double ours = Seconds(start);
  smtp.Quit();
  if (sent != kMessages) std::fprintf(stderr, "only %d of %d messages taken\n", sent, kMessages);

  start = Clock::now();
  pid_t source = Spawn({"/usr/sbin/smtp-source", "-d", "-s", "1", "-m", std::to_string(kMessages), "-l",
                        "2000", where});
  int status = 0;
  if (source > 0) ::waitpid(source, &status, 0);
  double theirs = Seconds(start);
  ::kill(sink, SIGTERM);
  ::waitpid(sink, nullptr, 0);
  if (source < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "smtp-source failed\n");
    return 1;
  }

  double ourRate = sent / ours;
  double theirRate = kMessages / theirs;
  std::printf("TSMTPSession: %d messages of %zu bytes in %.3f s: %.0f mails/s\n", sent, size, ours, ourRate);
  std::printf("smtp-source:  %d messages of 2000 bytes in %.3f s: %.0f mails/s\n", kMessages, theirs, theirRate);
  std::printf("smtp: %.2f\n", ourRate / theirRate);
  return 0;
}
