// The send options in the window: options.dat restored into the controls at start-up without
// being written back while loading, every option control rewriting all seven fields at once,
// and a damaged options.dat reported while the fields read whole are kept.
#include <sys/stat.h>

#include <functional>

#include "app/DataFiles.h"
#include "tests/app/AppFixture.h"
#include "tests/app/DataFilesHex.h"

namespace orv::test {
namespace {

// Little-endian 32-bit value as fixture hex.
std::string Le32(int32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
  return out;
}

std::string Str8(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }

class OptionsWindowTest : public AppTest {
 protected:
  std::string OptionsPath() const { return FProgramDir + "options.dat"; }
  std::string DefaultTable() const { return FProgramDir + "mailaddies.dbf"; }

  static std::string Options(int32_t mailField, int32_t bccCount, int32_t kontoIndex, int32_t virus,
                             int32_t bcc, const std::string& path) {
    return Le32(mailField) + Le32(bccCount) + Le32(20) + Le32(kontoIndex) + Le32(virus) + Le32(bcc) +
           Str8(path);
  }
};

TEST_F(OptionsWindowTest, StoredOptionsAreRestoredAtStartAndNotWrittenBackWhileLoading) {
  // Hand-written, with a bccCountEd of 500 that the control holds at 100.
  const std::string stored = HexBytes(R"(
    03 00 00 00   # eMail field no
    F4 01 00 00   # addresses per BCC mail: 500
    14 00 00 00   # the constant 20
    01 00 00 00   # sender account index
    32 00 00 00   # new connection after 50 mails
    01 00 00 00   # BCC mode
  )") + Str8(FProgramDir + "other.dbf");
  WriteFileBytes(OptionsPath(), stored);
  StartWindows();
  EXPECT_EQ(MainForm->MailFieldEd->GetText(), "3");
  EXPECT_EQ(MainForm->bccCountEd->GetText(), "100");
  EXPECT_EQ(MainForm->VirusEd->GetText(), "50");
  EXPECT_TRUE(MainForm->bccCheck->Checked());
  EXPECT_FALSE(MainForm->PersonalCheck->Checked());
  EXPECT_EQ(MainForm->FilenameEdit1->GetFileName(), FProgramDir + "other.dbf");
  EXPECT_FALSE(MainForm->Loading());
  EXPECT_TRUE(Dialogs.Asked.empty());
  // Still the stored 500: nothing rewrote the file during the start.
  EXPECT_EQ(ReadFileBytes(OptionsPath()), stored);

  // The first change writes all seven fields, the clamped value and the constant included.
  MainForm->MailFieldEd->SetText("4");
  EXPECT_EQ(ReadFileBytes(OptionsPath()), Options(4, 100, 1, 50, 1, FProgramDir + "other.dbf"));
}

TEST_F(OptionsWindowTest, StoredValuesOutsideTheRangesAreHeldAtTheEnds) {
  struct TCase {
    int32_t mailField, bcc, virus;
    const char *mailText, *bccText, *virusText;
  };
  const TCase cases[] = {
      {-5, 0, -1, "-5", "1", "0"},
      {100000, 101, 100001, "100000", "100", "100000"},
      {7, 1, 100000, "7", "1", "100000"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.mailText);
    WriteFileBytes(OptionsPath(), Options(c.mailField, c.bcc, 0, c.virus, 0, DefaultTable()));
    StartWindows();
    EXPECT_EQ(MainForm->MailFieldEd->GetText(), c.mailText);
    EXPECT_EQ(MainForm->bccCountEd->GetText(), c.bccText);
    EXPECT_EQ(MainForm->VirusEd->GetText(), c.virusText);
    EXPECT_TRUE(MainForm->PersonalCheck->Checked());
    FreeWindows();
    Application->ProcessMessages();
  }
}

TEST_F(OptionsWindowTest, EveryOptionControlRewritesAllSevenFieldsAtOnce) {
  StartWindows();
  // A missing file keeps the defaults and the start writes none.
  struct stat st{};
  EXPECT_NE(stat(OptionsPath().c_str(), &st), 0);
  EXPECT_EQ(MainForm->bccCountEd->GetText(), "20");
  EXPECT_TRUE(MainForm->PersonalCheck->Checked());

  MainForm->AbsenderCombo->Items().Add("Anna");
  MainForm->AbsenderCombo->Items().Add("Ben");
  struct TCase {
    const char* what;
    std::function<void()> change;
    std::string expected;
  };
  const std::string table = DefaultTable();
  const std::vector<TCase> cases = {
      {"eMail field no", [] { MainForm->MailFieldEd->SetText("2"); }, Options(2, 20, 0, 0, 0, table)},
      {"no limits on the eMail field", [] { MainForm->MailFieldEd->SetText("-3"); },
       Options(-3, 20, 0, 0, 0, table)},
      {"BCC count", [] { MainForm->bccCountEd->SetValue(7); }, Options(-3, 7, 0, 0, 0, table)},
      {"text that is no whole number reads as the lowest count", [] { MainForm->bccCountEd->SetText("7.9"); },
       Options(-3, 1, 0, 0, 0, table)},
      {"BCC count held in range", [] { MainForm->bccCountEd->SetText("500"); },
       Options(-3, 100, 0, 0, 0, table)},
      {"new connection", [] { MainForm->VirusEd->SetText("250"); }, Options(-3, 100, 0, 250, 0, table)},
      {"BCC mode", [] { MainForm->bccCheck->SetChecked(true); }, Options(-3, 100, 0, 250, 1, table)},
      {"personalised mode", [] { MainForm->PersonalCheck->SetChecked(true); },
       Options(-3, 100, 0, 250, 0, table)},
      {"sender account", [] {
         MainForm->AbsenderCombo->SetItemIndex(1);
         MainForm->AbsenderComboChange(MainForm->AbsenderCombo);
       }, Options(-3, 100, 1, 250, 0, table)},
      {"no sender account", [] {
         MainForm->AbsenderCombo->SetItemIndex(-1);
         MainForm->AbsenderComboChange(MainForm->AbsenderCombo);
       }, Options(-3, 100, -1, 250, 0, table)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    EXPECT_EQ(ReadFileBytes(OptionsPath()), c.expected);
  }
}

TEST_F(OptionsWindowTest, DamagedFileKeepsTheFieldsReadWholeAndTheDefaultTable) {
  // Cut inside field 5: fields 1, 2 and 4 are taken, the rest keep the defaults.
  const std::string whole = Options(6, 30, 2, 40, 1, FProgramDir + "other.dbf");
  const std::string cut = whole.substr(0, 18);
  WriteFileBytes(OptionsPath(), cut);
  StartWindows();
  EXPECT_EQ(MainForm->MailFieldEd->GetText(), "6");
  EXPECT_EQ(MainForm->bccCountEd->GetText(), "30");
  EXPECT_EQ(MainForm->VirusEd->GetText(), "0");
  EXPECT_FALSE(MainForm->bccCheck->Checked());
  EXPECT_EQ(MainForm->FilenameEdit1->GetFileName(), DefaultTable());
  ASSERT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_NE(Dialogs.Asked[0].Text.find(OptionsPath() + ".damaged"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(OptionsPath() + ".damaged"), cut);
  // Damage is not fixed by the start; the next change writes the file whole.
  EXPECT_EQ(ReadFileBytes(OptionsPath()), cut);
  MainForm->VirusEd->SetText("5");
  EXPECT_EQ(ReadFileBytes(OptionsPath()), Options(6, 30, 2, 5, 0, DefaultTable()));
  EXPECT_EQ(ReadFileBytes(OptionsPath() + ".damaged"), cut);
}

}  // namespace
}  // namespace orv::test
