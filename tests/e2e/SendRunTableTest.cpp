// Large send runs of the real main window, offscreen, to a real SMTP server on the loopback: a
// personalised run from the address table and a uniform run in Bcc batches with reconnects, every
// delivered message read back by Python's email package.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include "tests/e2e/DeliveredMail.h"
#include "tests/e2e/SendRunFixture.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
const std::string& kPython = kE2EPython;
const std::string& kHere = kE2EHere;

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

class SendRunTableE2E : public TSendRunFixture {
 protected:
  void SetUp() override {
    TSendRunFixture::SetUp();
    StartWindowsServedTo("delivered");
    ASSERT_TRUE(F->Table1->Active());
    StartServer({kPython, kHere + "sendrun_smtp.py", FOut.string()});
    if (HasFatalFailure()) return;
    TKontoRec* k = F->Konten()->Append();
    k->SenderName = "Otto Sender";
    k->SenderAddress = "otto@example.org";
    k->Server = "127.0.0.1";
  }

  void Mail(const AnsiString& text) {
    TMailRec* m = F->Mails()->Append();
    m->Subject = "Offer for you";
    m->MailType = mtText;
    m->BlankText = text;
    m->Attachments = std::make_unique<TDynaArray<TAttachRec>>();
  }

  void AddRecord(const std::vector<AnsiString>& values) {
    TDbfTable& t = *F->Table1;
    t.Append();
    for (std::size_t i = 0; i < values.size(); ++i) t.Fields().Fields(static_cast<Integer>(i))->SetAsString(values[i]);
    t.Post();
  }

  void ShowSendPage() {
    F->PageControl2->SetActivePage(F->TabSheet4);
    F->PageControl2Change(nullptr);
  }

  // Sends the first mail to every record of the table (as many as given), one personalised mail
  // each; no question may come up on the way.
  void SendPersonalToAll(int records) {
    ShowSendPage();
    F->AlleEmpfCheck->SetChecked(true);
    F->PersonalCheck->SetChecked(true);
    F->bccCheck->SetChecked(false);
    ASSERT_EQ(F->TableRecipients(false).size(), static_cast<std::size_t>(records));
    F->SendBtnClick(F->SendBtn);
    for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;
  }


};

TEST_F(SendRunTableE2E, PersonalisedRunFillsEveryMailFromItsOwnRecord) {
  constexpr int kRecords = 1000;
  // The grid would follow every one of the appends.
  F->Table1->DisableControls();
  for (int i = 0; i < kRecords; ++i) {
    const std::string n = std::to_string(i);
    AddRecord({"p" + n + "@example.net", "Last" + n, "First" + n});
  }
  F->Table1->EnableControls();
  Mail("Dear [%Last Name],\r\nyours [%last name] ([%eMail])");
  SendPersonalToAll(kRecords);

  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), static_cast<std::size_t>(kRecords));
  for (int i = 0; i < kRecords; ++i) {
    const std::string n = std::to_string(i);
    const TDelivered& d = mails[static_cast<std::size_t>(i)];
    ASSERT_EQ(d.at("rcpt_tos"), "p" + n + "@example.net") << i;
    EXPECT_EQ(d.at("to"), "p" + n + "@example.net") << i;
    EXPECT_EQ(Trimmed(d.at("plain")), "Dear Last" + n + ",\nyours Last" + n + " (p" + n + "@example.net)") << i;
  }
  EXPECT_EQ(F->statlabel->Caption(), "1000 mails of 1000 sended 0 failed.");
  EXPECT_TRUE(Log().empty());
  ExpectIdle();
}

TEST_F(SendRunTableE2E, BothBodiesOfAMailComeFromTheSameRecord) {
  constexpr int kRecords = 40;
  F->Table1->DisableControls();
  for (int i = 0; i < kRecords; ++i) {
    const std::string n = std::to_string(i);
    AddRecord({"h" + n + "@example.net", "Last" + n, "First" + n});
  }
  F->Table1->EnableControls();
  TMailRec* m = F->Mails()->Append();
  m->Subject = "Both bodies";
  m->MailType = mtHtml;
  m->BlankText = "Dear [%First Name] [%Last Name]";
  m->BlankHTML = "<p>[%eMail]: [%last name]</p>";
  m->Attachments = std::make_unique<TDynaArray<TAttachRec>>();
  SendPersonalToAll(kRecords);

  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), static_cast<std::size_t>(kRecords));
  for (int i = 0; i < kRecords; ++i) {
    const std::string n = std::to_string(i);
    const TDelivered& d = mails[static_cast<std::size_t>(i)];
    EXPECT_EQ(d.at("to"), "h" + n + "@example.net") << i;
    EXPECT_EQ(Trimmed(d.at("plain")), "Dear First" + n + " Last" + n) << i;
    EXPECT_EQ(Trimmed(d.at("html")), "<p>h" + n + "@example.net: Last" + n + "</p>") << i;
  }
  EXPECT_TRUE(Log().empty());
  ExpectIdle();
}

TEST_F(SendRunTableE2E, BccBatchesWithReconnectsDeliverEveryAddressOnce) {
  constexpr int kAddresses = 4990;  // 250 mails of 20, the last one of 10
  std::vector<TSendRecipient> recipients;
  for (int i = 0; i < kAddresses; ++i) recipients.push_back({"b" + std::to_string(i) + "@example.net", -1, {}});
  Mail("same for all [%Last Name]");
  ShowSendPage();
  F->MailCombo->Items().Clear();
  for (Integer i = 0; i < F->Mails()->Count(); ++i) F->MailCombo->Items().Add((*F->Mails())[i].Subject);
  F->MailCombo->SetItemIndex(0);
  F->AbsenderCombo->Items().Clear();
  F->AbsenderCombo->Items().Add("Otto Sender");
  F->AbsenderCombo->SetItemIndex(0);
  F->bccCountEd->SetText("20");
  F->VirusEd->SetText("100");
  F->SendTo(recipients, true);
  for (auto& a : Dialogs.Asked) ADD_FAILURE() << a.Text;

  const auto mails = Delivered(FOut);
  ASSERT_EQ(mails.size(), 250u);
  std::multiset<std::string> seen;
  for (std::size_t m = 0; m < mails.size(); ++m) {
    const TDelivered& d = mails[m];
    const auto rcpts = Split(d.at("rcpt_tos"), ',');
    ASSERT_EQ(rcpts.size(), m + 1 < mails.size() ? 20u : 10u) << m;
    // The envelope order within a batch is the session's own; the batch's members are fixed.
    std::set<std::string> batch;
    for (std::size_t k = 0; k < rcpts.size(); ++k) batch.insert(recipients[m * 20 + k].Address);
    EXPECT_EQ(std::set<std::string>(rcpts.begin(), rcpts.end()), batch) << m;
    seen.insert(rcpts.begin(), rcpts.end());
    EXPECT_EQ(d.at("to"), recipients[m * 20].Address) << m;
    EXPECT_EQ(d.at("bcc"), "") << m;
    // No record stands behind a batch, so its placeholders stay as written.
    EXPECT_EQ(Trimmed(d.at("plain")), "same for all [%Last Name]") << m;
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kAddresses));
  for (const auto& r : recipients) EXPECT_EQ(seen.count(r.Address), 1u) << r.Address;
  // The session is closed and opened again before mails 100 and 200, and only there.
  for (std::size_t m = 1; m < mails.size(); ++m) {
    const bool fresh = m == 99 || m == 199;
    EXPECT_EQ(mails[m].at("peer_port") != mails[m - 1].at("peer_port"), fresh) << m + 1;
  }
  EXPECT_EQ(F->statlabel->Caption(), "250 mails of 250 sended 0 failed.");
  EXPECT_TRUE(Log().empty());
  ExpectIdle();
}

}  // namespace
}  // namespace orv::test
