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
#include "bench/BenchProcess.h"
#include "tests/support/LoopbackPort.h"

namespace {

using orv::bench::Clock;
using orv::bench::Seconds;
using orv::bench::Spawn;
using orv::test::FreeLoopbackPort;
constexpr int kMessages = 5000;

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int port = FreeLoopbackPort();
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
