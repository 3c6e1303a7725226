// Benchmark: building whole mails the way a send run does (20 KB HTML and its plain text, two
// 100 KB attachments) and taking their wire text. Last line "buildbody: N" messages per second.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include "mail/VudeMail.h"

int main() {
  std::mt19937 rng(7);
  std::string html = "<html><body>";
  while (html.size() < 20 * 1024) {
    html += "<p>Dear customer, our offer of the week: caf\xE9 cr\xE8me for ";
    html += std::to_string(rng() % 100) + " euros.</p>\r\n";
  }
  html += "</body></html>";
  std::string text;
  while (text.size() < 10 * 1024) text += "Dear customer, our offer of the week: caf\xE9 cr\xE8me.\r\n";
  const std::string dir = "/tmp/orv_bench_buildbody_" + std::to_string(::getpid());
  const std::string files[] = {dir + "_a.pdf", dir + "_b.zip"};
  for (const std::string& f : files) {
    std::ofstream out(f, std::ios::binary);
    for (int i = 0; i < 100 * 1024; ++i) out.put(static_cast<char>(rng()));
  }
  orv::TMailMessage m;
  size_t bytes = 0;
  int count = 0;
  const auto t0 = std::chrono::steady_clock::now();
  double elapsed = 0;
  while (elapsed < 3.0) {
    m.ResetMessage();
    m.SetFrom("Sender Name", "sender@example.org");
    m.SetReplyTo("Sender Name", "reply@example.org");
    m.SetSubject("Offer of the week " + std::to_string(count));
    m.SetDate(orv::Now());
    m.ToRecipients().ClearRecipients();
    m.ToRecipients().AddRecipient("", "to@example.org");
    m.BccRecipients().ClearRecipients();
    m.SetTextHtml(html);
    m.SetTextPlain(text);
    for (const std::string& f : files) m.AttachFile(f, "", false);
    m.BuildBody();
    bytes += m.GetSource().size();
    ++count;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  for (const std::string& f : files) std::remove(f.c_str());
  std::printf("%d messages in %.3f s, %.1f KB each on the wire\n", count, elapsed,
              bytes / 1024.0 / count);
  std::printf("buildbody: %.1f\n", count / elapsed);
  return 0;
}
