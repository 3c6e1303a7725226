// The main window's mails.dat: read at start and on demand with damage reported, listed on the
// "Write emails" page, and written back, so a send run has the stored mails.
#include <fstream>
#include "app/MailStore.h"
#include "tests/app/AppFixture.h"

namespace orv::test {
namespace {

class MailFileWindow : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWindows();
    F = MainForm;
  }
  AnsiString File() const { return F->AppDir() + "mails.dat"; }
  void WriteTwoMails() {
    TDynaArray<TMailRec> mails;
    for (const char* subject : {"First", "Second"}) {
      TMailRec* m = mails.Append();
      m->Subject = subject;
      m->Date = EncodeDate(2024, 3, 9);
      m->Attachments = std::make_unique<TDynaArray<TAttachRec>>();
    }
    ASSERT_TRUE(SaveMailsFile(File(), mails));
  }
  TMainForm* F = nullptr;
};

TEST_F(MailFileWindow, StoredMailsAreReadAndListedInOrder) {
  WriteTwoMails();
  F->OpenMails();
  F->ListMails();
  EXPECT_TRUE(Dialogs.Asked.empty());
  ASSERT_EQ(F->Mails()->Count(), 2);
  TListItems& rows = F->ListView1->Items();
  ASSERT_EQ(rows.Count(), 2);
  for (Integer i = 0; i < 2; ++i) {
    EXPECT_EQ(rows[i]->Caption(), "");
    ASSERT_EQ(rows[i]->SubItems().Count(), 2);
    EXPECT_EQ(rows[i]->SubItems().Get(0), i == 0 ? "First" : "Second");
    EXPECT_EQ(rows[i]->SubItems().Get(1), StoredMailDateText(EncodeDate(2024, 3, 9)));
  }
  // Written back and read again, the mails are the same.
  F->Mails()->Append()->Subject = "Third";
  F->SaveMails();
  F->OpenMails();
  ASSERT_EQ(F->Mails()->Count(), 3);
  EXPECT_EQ((*F->Mails())[2].Subject, "Third");
}

TEST_F(MailFileWindow, DamagedFileKeepsTheWholeMailsAndSaysSo) {
  WriteTwoMails();
  std::ofstream(File(), std::ios::app | std::ios::binary) << "junk";
  F->OpenMails();
  ASSERT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_EQ(Dialogs.Asked[0].Flags & MB_ICONMASK, MB_ICONWARNING);
  EXPECT_EQ(Dialogs.Asked[0].Caption, Application->Title());
  EXPECT_NE(Dialogs.Asked[0].Text.find("mails.dat"), AnsiString::npos) << Dialogs.Asked[0].Text;
  EXPECT_EQ(F->Mails()->Count(), 2);
}

TEST_F(MailFileWindow, MissingFileLeavesTheMailsSilently) {
  F->Mails()->Append()->Subject = "kept";
  F->OpenMails();
  EXPECT_TRUE(Dialogs.Asked.empty());
  ASSERT_EQ(F->Mails()->Count(), 1);
  EXPECT_EQ((*F->Mails())[0].Subject, "kept");
}

}  // namespace
}  // namespace orv::test
