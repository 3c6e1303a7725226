// Benchmark: a whole personalised send run of the main window, offscreen, to 10,000 recipients of
// an address table with a 2 KB text and HTML mail, into smtp-sink on loopback; smtp-source sends
// as many 2,000-byte messages to the same sink. Last line "sendrun: R", R = our rate / its rate.
// An argument gives another recipient count (a smaller run for profiling).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include "app/MainUnit.h"
#include "app/ProgramFolder.h"
#include "app/ProgramStart.h"
#include "bench/DbfBench.h"
#include "platform/forms/DialogService.h"
#include "platform/rtl/ModuleInit.h"
#include "bench/BenchProcess.h"
#include "tests/support/LoopbackPort.h"

namespace {

using orv::bench::Clock;
using orv::bench::Seconds;
using orv::bench::Spawn;
using orv::test::FreeLoopbackPort;
int kRecipients = 10000;

// Answers every box with OK and counts them: a box during the run means it went wrong.
class TBenchDialogs : public orv::IDialogService {
 public:
  int MessageBox(const orv::AnsiString& text, const orv::AnsiString&, orv::Cardinal) override {
    std::fprintf(stderr, "box: %s\n", text.c_str());
    ++Boxes;
    return orv::IDOK;
  }
  bool ChooseFiles(const orv::TFileRequest&, std::vector<orv::AnsiString>&) override { return false; }
  bool ChooseColor(orv::TColor&) override { return false; }
  bool ChooseFont(orv::TFontChoice&) override { return false; }
  int Boxes = 0;
};

bool Listening(int port) {
  for (int i = 0; i < 200; ++i) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    if (ok) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

// The run through the main window; the seconds it took, or a negative value when it failed.
double OurRun(const std::string& dir, int port) {
  orv::SetProgramPath(dir + "/orvinta");
  qputenv("XDG_DATA_HOME", (dir + "/xdg").c_str());
  TBenchDialogs dialogs;
  orv::SetDialogService(&dialogs);
  orv::RegisterProgramModules();
  orv::InitializeModules();
  orv::Application->Initialize();
  orv::CreateProgramWindows();
  orv::TMainForm* f = orv::MainForm;
  if (!f->Table1->Active()) return -1;
  f->Table1->DisableControls();
  for (int i = 0; i < kRecipients; ++i) {
    const std::string n = std::to_string(i);
    f->Table1->Append();
    const std::vector<std::string> values = {"user" + n + "@example.org", "Lastname" + n, "First" + n, "Dear",
                                             "Info " + n};
    for (std::size_t k = 0; k < values.size(); ++k)
      f->Table1->Fields().Fields(static_cast<orv::Integer>(k))->SetAsString(values[k]);
    f->Table1->Post();
  }
  f->Table1->EnableControls();

  orv::TKontoRec* k = f->Konten()->Append();
  k->SenderName = "Bench Sender";
  k->SenderAddress = "sender@example.org";
  k->Server = "127.0.0.1";
  f->SMTP->Port = port;
  std::string text = "[%Salutation] [%First Name] [%Last Name],\r\n";
  while (text.size() < 1000) text += "The quick brown fox jumps over the lazy dog, again and again.\r\n";
  std::string html = "<html><body><p>[%Salutation] [%First Name] [%Last Name],</p>\r\n";
  while (html.size() < 1000) html += "<p>The quick brown fox jumps over the lazy dog.</p>\r\n";
  html += "</body></html>";
  orv::TMailRec* m = f->Mails()->Append();
  m->Subject = "Benchmark";
  m->MailType = orv::mtHtml;
  m->BlankText = text;
  m->BlankHTML = html;
  m->Attachments = std::make_unique<orv::TDynaArray<orv::TAttachRec>>();

  f->PageControl2->SetActivePage(f->TabSheet4);
  f->PageControl2Change(nullptr);
  f->AlleEmpfCheck->SetChecked(true);
  f->PersonalCheck->SetChecked(true);
  f->bccCheck->SetChecked(false);
  f->VirusEd->SetText("0");
  const auto start = Clock::now();
  f->SendBtnClick(f->SendBtn);
  const double secs = Seconds(start);
  const std::string expected = std::to_string(kRecipients) + " mails of " + std::to_string(kRecipients) +
                               " sended 0 failed.";
  const std::string got = f->statlabel->Caption();
  orv::SetDialogService(nullptr);
  if (got != expected || dialogs.Boxes != 0) {
    std::fprintf(stderr, "run ended with \"%s\"\n", got.c_str());
    return -1;
  }
  return secs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    kRecipients = std::atoi(argv[1]);
    if (kRecipients < 1 || kRecipients > 1000000) {
      std::fprintf(stderr, "usage: bench_sendrun [recipients 1..1000000]\n");
      return 2;
    }
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string dir = orv::bench::TempFolder("sendrun");
  const int port = FreeLoopbackPort();
  const std::string where = "127.0.0.1:" + std::to_string(port);
  pid_t sink = Spawn({"/usr/sbin/smtp-sink", "-u", "nobody", where, "1000"});
  if (sink < 0 || !Listening(port)) {
    std::fprintf(stderr, "cannot start smtp-sink\n");
    if (sink > 0) ::kill(sink, SIGTERM);
    return 1;
  }
  const double ours = OurRun(dir, port);

  const auto start = Clock::now();
  pid_t source = Spawn({"/usr/sbin/smtp-source", "-d", "-s", "1", "-m", std::to_string(kRecipients), "-l", "2000",
                        where});
  int status = 0;
  if (source > 0) ::waitpid(source, &status, 0);
  const double theirs = Seconds(start);
  ::kill(sink, SIGTERM);
  ::waitpid(sink, nullptr, 0);
  std::filesystem::remove_all(dir);
  if (ours < 0) return 1;
  if (source < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "smtp-source failed\n");
    return 1;
  }
  const double ourRate = kRecipients / ours;
  const double theirRate = kRecipients / theirs;
  std::printf("ours (main window, personalised run from the table): %d mails in %.3f s: %.0f mails/s\n",
              kRecipients, ours, ourRate);
  std::printf("smtp-source: %d messages of 2000 bytes in %.3f s: %.0f mails/s\n", kRecipients, theirs, theirRate);
  std::printf("sendrun: %.2f\n", ourRate / theirRate);
  return 0;
}
