// The address table end to end: a large import with UTF-8 and cp1252 lines, a filter, and a
// personalised send of the filtered rows to a real SMTP server, read back by Python's email
// package; the table itself is read back by a third-party dBASE reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "tests/app/AppFixture.h"
#include "tests/support/PeerProcess.h"
#include "platform/rtl/CodePages.h"
#include "tests/support/ShellCommand.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
const std::string kPython = "/usr/bin/python3";
const std::string kHere = std::string(ORV_SOURCE_DIR) + "/tests/e2e/";

std::string RunPeer(const std::string& cmd) { return RunChecked(cmd); }

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

// Record i of the import, as the table holds it (ANSI, cut to the field sizes).
std::vector<std::string> Expected(int i) {
  const std::string n = std::to_string(i);
  const std::string last = i % 3 == 0 ? "M\xFCller" + n : i % 3 == 1 ? "M\xDCLLER" + n : "Name" + n;
  const std::string info1 = i % 500 == 7 ? "Hit-Here" : "x";
  return {"u" + n + "@example.net", last, "F\xE9lix" + n, "Dear", info1, std::string(i % 7 == 0 ? 255 : 10, 'z')};
}

std::string Line(int i) {
  std::vector<std::string> f = Expected(i);
  if (i % 3 == 0) f[1] = "M\xC3\xBCller" + std::to_string(i);   // UTF-8 line
  if (i % 3 == 0) f[2] = "F\xC3\xA9lix" + std::to_string(i);
  if (i % 7 == 0) f[5] += "overflow";                             // cut at 255
  return f[0] + ";" + f[1] + "," + f[2] + ";" + f[3] + ";" + f[4] + ";" + f[5] + (i % 2 ? "\r\n" : "\n");
}

class AddressTableE2E : public AppTest {};

TEST_F(AddressTableE2E, ImportFilterAndPersonalisedSend) {
  constexpr int kLines = 10000;
  StartWindows();
  TMainForm* F = MainForm;
  const fs::path out = fs::path(FProgramDir) / "delivered";
  fs::create_directories(out);
  TPeerProcess server({kPython, kHere + "sendrun_smtp.py", out.string()});
  const int port = server.Port();
  ASSERT_GT(port, 0);
  F->SMTP->Port = port;

  std::string data = "\xEF\xBB\xBF";
  for (int i = 0; i < kLines; ++i) data += Line(i) + (i == 5 ? "\r\n" : "");
  const std::string file = FProgramDir + "addresses.csv";
  std::ofstream(file, std::ios::binary) << data;
  Dialogs.FileAnswers.push_back({file});
  F->ImportBtnClick(nullptr);
  EXPECT_TRUE(Dialogs.Asked.empty());

  // The filter folds a to z only: lower-case "m\xfcller" finds the UTF-8 rows, never "M\xdcLLER".
  F->PageControl2->SetActivePage(F->TabSheet4);
  F->FilterEd->SetText("m\xFCller");
  F->FilterBtnClick(nullptr);
  F->PageControl2Change(nullptr);
  EXPECT_EQ(F->ListView3->Items().Count(), (kLines + 2) / 3);

  F->FilterEd->SetText("hit-here");
  F->FilterBtnClick(nullptr);
  F->PageControl2Change(nullptr);
  std::vector<int> hits;
  for (int i = 0; i < kLines; ++i)
    if (i % 500 == 7) hits.push_back(i);
  ASSERT_EQ(F->ListView3->Items().Count(), static_cast<Integer>(hits.size()));

  TKontoRec* k = F->Konten()->Append();
  k->SenderName = "Otto";
  k->SenderAddress = "otto@example.org";
  k->Server = "127.0.0.1";
  TMailRec* m = F->Mails()->Append();
  m->Subject = "Hello";
  m->MailType = mtText;
  m->BlankText = "[%Salutation] [%First Name] [%Last Name]|[%Info 1]|[%eMail]";
  m->Attachments = std::make_unique<TDynaArray<TAttachRec>>();
  F->PageControl2Change(nullptr);
  F->AlleEmpfCheck->SetChecked(true);
  F->PersonalCheck->SetChecked(true);
  F->bccCheck->SetChecked(false);
  EXPECT_EQ(F->TableRecipients(false).size(), hits.size()) << F->ListView3->Items().Count();
  EXPECT_TRUE(F->AlleEmpfCheck->Checked());
  F->SendBtnClick(F->SendBtn);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;
  EXPECT_EQ(F->statlabel->Caption(), std::to_string(hits.size()) + " mails of " + std::to_string(hits.size()) + " sended 0 failed.");
  EXPECT_TRUE(F->ErrorLog->Lines().ToVector().empty()) << (F->ErrorLog->Lines().ToVector().empty() ? "" : F->ErrorLog->Lines().ToVector()[0]);

  const std::string delivered = RunPeer(kPython + " " + kHere + "sendrun_check.py '" + out.string() + "'");
  std::vector<std::pair<std::string, std::string>> got;  // (rcpt, plain)
  for (const std::string& line : Split(delivered, '\n')) {
    if (line == "MAIL") got.emplace_back();
    else if (!got.empty() && line.rfind("rcpt_tos=", 0) == 0) got.back().first = line.substr(9);
    else if (!got.empty() && line.rfind("plain=", 0) == 0) got.back().second = line.substr(6);
  }
  ASSERT_EQ(got.size(), hits.size());
  for (std::size_t j = 0; j < hits.size(); ++j) {
    const auto e = Expected(hits[j]);
    EXPECT_EQ(got[j].first, e[0]);
    // The body arrives as UTF-8 text from Python's email package.
    const std::string body = WideToUtf8(AnsiToWide(e[3] + " " + e[2] + " " + e[1] + "|" + e[4] + "|" + e[0]));
    EXPECT_EQ(got[j].second.substr(0, body.size()), body) << hits[j];
  }

  // A third-party reader sees every imported value, cut to its field.
  const auto rows = Split(RunPeer(kPython + " " + kHere + "addresstable_dbf.py '" + F->Table1->FullFileName() + "'"), '\n');
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kLines + 1));
  EXPECT_EQ(rows[0], "EMAIL\tLAST NAME\tFIRST NAME\tSALUTATION\tINFO 1\tINFO 2");
  for (int i = 0; i < kLines; ++i) {
    const auto e = Expected(i);
    ASSERT_EQ(Split(rows[static_cast<std::size_t>(i) + 1], '\t'), e) << i;
  }
}

}  // namespace
}  // namespace orv::test
