// Start-up of the program's windows: the four windows in their order with their captions, the main
// window's pages, status bar and controls as the description lays them out, and what FormCreate
// leaves behind.
#include "tests/app/AppFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include "platform/classes/ComponentRes.h"
#include "platform/rtl/SysUtils.h"

namespace orv::test {
namespace {

class StartupTest : public AppTest {};

TEST_F(StartupTest, FourWindowsAreCreatedInOrderWithTheirCaptions) {
  ASSERT_TRUE(ComponentResourceExists("TMainForm")) << "the module start-up registers the descriptions";
  const Integer formsBefore = Screen->FormCount();
  StartWindows();
  EXPECT_EQ(Application->Title(), "Orvinta 1.0");
  EXPECT_EQ(Application->MainForm(), MainForm) << "the first window created is the main window";

  struct TCase {
    TCustomForm* Form;
    const char* ClassName;
    const char* Caption;
  };
  const TCase windows[] = {
    {MainForm, "TMainForm", "Orvinta 1.0"},
    {WriteMailForm, "TWriteMailForm", "Write email"},
    {EditKontenForm, "TEditKontenForm", "Edit sender account"},
    {NewsDesignForm, "TNewsDesignForm", "Newsletter design"},
  };
  ASSERT_EQ(Screen->FormCount(), formsBefore + 4);
  for (Integer i = 0; i < 4; ++i) {
    const TCase& w = windows[i];
    SCOPED_TRACE(w.ClassName);
    ASSERT_NE(w.Form, nullptr);
    EXPECT_EQ(Screen->Forms(formsBefore + i), w.Form) << "windows are created in this order";
    EXPECT_EQ(w.Form->ClassName(), w.ClassName);
    EXPECT_EQ(w.Form->Caption(), w.Caption);
    EXPECT_EQ(w.Form->Owner(), Application);
  }
  EXPECT_EQ(MainForm->Widget()->windowTitle(), QString("Orvinta 1.0"))
      << "the title bar shows the caption alone";
  EXPECT_FALSE(WriteMailForm->Visible()) << "only the main window is shown at start";

  // The account dialog: the password is masked, user name and password are not offered.
  EXPECT_EQ(EditKontenForm->PasswordEd->PasswordChar(), '*');
  EXPECT_FALSE(EditKontenForm->UserEd->Visible());
  EXPECT_FALSE(EditKontenForm->PasswordEd->Visible());
  EXPECT_EQ(EditKontenForm->OKBtn->ModalResult(), mrOk);
  EXPECT_EQ(EditKontenForm->CancelBtn->ModalResult(), mrCancel);
  EXPECT_EQ(EditKontenForm->CancelBtn->Caption(), "&Cancel");
}

TEST_F(StartupTest, PagesKeepTheirExactCaptionsInOrder) {
  StartWindows();
  TPageControl* pages = MainForm->PageControl2;
  ASSERT_NE(pages, nullptr);
  const char* const captions[] = {"eMail data base ", "Write emails", "eMail accounts", "Send emails"};
  TTabSheet* const sheets[] = {MainForm->TabSheet1, MainForm->TabSheet2, MainForm->TabSheet3,
                               MainForm->TabSheet4};
  ASSERT_EQ(pages->PageCount(), 4);
  for (Integer i = 0; i < 4; ++i) {
    SCOPED_TRACE(captions[i]);
    EXPECT_EQ(pages->Pages(i), sheets[i]);
    EXPECT_EQ(sheets[i]->Caption(), captions[i]) << "caption kept byte for byte, trailing blank too";
    EXPECT_EQ(sheets[i]->PageIndex(), i);
  }
  EXPECT_EQ(pages->ActivePage(), MainForm->TabSheet1);
}

TEST_F(StartupTest, StatusBarHasATextPanelAndAnOwnerDrawnPanel) {
  StartWindows();
  TStatusPanels* panels = MainForm->StatusBar1->Panels();
  ASSERT_EQ(panels->Count(), 2);
  EXPECT_EQ(panels->Items(0)->Style(), psText);
  EXPECT_EQ(panels->Items(0)->Width(), 250);
  EXPECT_EQ(panels->Items(1)->Style(), psOwnerDraw);
  EXPECT_EQ(panels->Items(1)->Width(), 50);
  EXPECT_EQ(MainForm->StatusBar1->Align(), alBottom);
}

TEST_F(StartupTest, ButtonRadioAndCheckBoxCaptionsAreShownWhole) {
  StartWindows();
  const std::pair<const char*, TCustomForm*> windows[] = {
      {"main window", MainForm}, {"mail editor", WriteMailForm}, {"account dialog", EditKontenForm},
      {"newsletter designer", NewsDesignForm}};
  for (const auto& [window, form] : windows) {
    ASSERT_NE(form, nullptr) << window;
    int checked = 0;
    for (QAbstractButton* box : form->Widget()->findChildren<QAbstractButton*>()) {
      if (qobject_cast<QRadioButton*>(box) == nullptr && qobject_cast<QCheckBox*>(box) == nullptr &&
          qobject_cast<QPushButton*>(box) == nullptr)
        continue;
      ++checked;
      EXPECT_LE(box->sizeHint().width(), box->width())
          << window << ": the caption of " << box->objectName().toStdString() << " is cut off";
    }
    if (form == MainForm || form == WriteMailForm) {
      EXPECT_GT(checked, 0) << window;
    }
  }
}

TEST_F(StartupTest, NamedControlsSitOnTheirPagesWithTheirCaptions) {
  StartWindows();
  struct TCase {
    const char* Name;
    TWinControl* Page;  // nullptr: anywhere on the window
    const char* Caption;  // nullptr: not checked
  };
  const TCase cases[] = {
    {"QuitBtn", nullptr, nullptr},
    {"AboutBtn", nullptr, nullptr},
    {"wwwBtn", nullptr, MakerWebAddress},
    {"FilenameEdit1", MainForm->TabSheet1, nullptr},
    {"Button1", MainForm->TabSheet1, "&New database"},
    {"ImportBtn", MainForm->TabSheet1, "TXT/CSV import..."},
    {"FilterEd", MainForm->TabSheet1, nullptr},
    {"FilterBtn", MainForm->TabSheet1, "Filtered..."},
    {"MailFieldEd", MainForm->TabSheet1, "0"},
    {"DBGrid2", MainForm->TabSheet1, nullptr},
    {"DBNavigator2", MainForm->TabSheet1, nullptr},
    {"NewBtn", MainForm->TabSheet2, "New email"},
    {"DelBtn", MainForm->TabSheet2, "Delete email"},
    {"ListView1", MainForm->TabSheet2, nullptr},
    {"Panel19", MainForm->TabSheet2, nullptr},
    {"Label8", MainForm->TabSheet2, "Subject:"},
    {"Label9Betreff", MainForm->TabSheet2, ""},
    {"RichEdit1", MainForm->TabSheet2, nullptr},
    {"NewKontoBtn", MainForm->TabSheet3, "New account"},
    {"EditKontoBtn", MainForm->TabSheet3, "Edit account"},
    {"DelKontoBtn", MainForm->TabSheet3, "Delete account"},
    {"ListView2", MainForm->TabSheet3, nullptr},
    {"AbsenderCombo", MainForm->TabSheet4, nullptr},
    {"MailCombo", MainForm->TabSheet4, nullptr},
    {"AlleEmpfCheck", MainForm->TabSheet4, "Mailing to all addresses"},
    {"SelectedEmpfCheck", MainForm->TabSheet4, "Mailing to selected addresses (hold CTRL down while clicking)"},
    {"OneEmpfCheck", MainForm->TabSheet4, "Send to one address:"},
    {"EmpfEd", MainForm->TabSheet4, ""},
    {"PersonalCheck", MainForm->TabSheet4, "Send personalized emails (one mail per address)"},
    {"bccCheck", MainForm->TabSheet4, "Send uniform emails (BCC) - one mail for"},
    {"bccCountEd", MainForm->TabSheet4, "20"},
    {"VirusEd", MainForm->TabSheet4, "0"},
    {"ListView3", MainForm->TabSheet4, nullptr},
    {"SendBtn", MainForm->TabSheet4, "Send mails..."},
    {"ProgressBar1", MainForm->TabSheet4, nullptr},
    {"statlabel", MainForm->TabSheet4, "0 emails of 0 sended 0 failed."},
    {"ErrorLog", MainForm->TabSheet4, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* control = Find<TControl>(MainForm, c.Name);
    if (control == nullptr) continue;
    if (c.Page != nullptr) {
      bool onPage = false;
      for (TWinControl* p = control->Parent(); p != nullptr; p = p->Parent()) onPage |= p == c.Page;
      EXPECT_TRUE(onPage) << "not on its page";
    }
    if (c.Caption != nullptr) {
      EXPECT_EQ(control->Caption(), c.Caption);
    }
  }

  // The columns other code fills by position.
  const char* const accountColumns[] = {"Sender", "eMail", "Server"};
  ASSERT_EQ(MainForm->ListView2->Columns()->Count(), 3);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(MainForm->ListView2->Columns()->Items(i)->Caption(), accountColumns[i]);
  ASSERT_EQ(MainForm->ListView3->Columns()->Count(), 1);
  EXPECT_EQ(MainForm->ListView3->Columns()->Items(0)->Caption(), "eMail address");
  EXPECT_TRUE(MainForm->ListView1->MultiSelect());
  EXPECT_TRUE(MainForm->ListView3->MultiSelect());
  EXPECT_FALSE(MainForm->DelBtn->Enabled()) << "nothing is selected at start";

  // The two choices of the send page are separate groups.
  EXPECT_TRUE(MainForm->AlleEmpfCheck->Checked());
  EXPECT_TRUE(MainForm->PersonalCheck->Checked());
  MainForm->bccCheck->SetChecked(true);
  EXPECT_FALSE(MainForm->PersonalCheck->Checked());
  EXPECT_TRUE(MainForm->AlleEmpfCheck->Checked()) << "the mode choice must not clear the recipients choice";

  ASSERT_NE(MainForm->PopupMenu1, nullptr);
  ASSERT_EQ(MainForm->PopupMenu1->Items()->Count(), 2);
  EXPECT_EQ(MainForm->PopupMenu1->Items()->Items(0)->Caption(), " open");
  EXPECT_EQ(MainForm->PopupMenu1->Items()->Items(1)->Caption(), "Delete");
}

TEST_F(StartupTest, FormCreateSetsTheProgramFolderAndTheDefaultTable) {
  const AnsiString helpBefore = Application->HelpFile();
  Application->SetHelpFile("orvinta.hlp");
  StartWindows();
  EXPECT_EQ(MainForm->AppDir(), FProgramDir) << "the program's folder with one trailing slash";
  EXPECT_EQ(Application->HelpFile(), FProgramDir + "orvinta.hlp");
  EXPECT_EQ(MainForm->FilenameEdit1->GetFileName(), FProgramDir + "mailaddies.dbf");
  EXPECT_FALSE(MainForm->Loading()) << "loading ends with FormCreate";
  ASSERT_NE(MainForm->Mails(), nullptr);
  ASSERT_NE(MainForm->Konten(), nullptr);
  EXPECT_EQ(MainForm->Mails()->Count(), 0);
  EXPECT_EQ(MainForm->Konten()->Count(), 0);
  Application->SetHelpFile(helpBefore);
}

TEST_F(StartupTest, DestroyingTheMainWindowEndsTheHelpSystemAndFreesTheArrays) {
  StartWindows();
  TMainForm* form = MainForm;
  MainForm = nullptr;
  form->Free();
  EXPECT_EQ(Application->LastHelpCommand(), HELP_QUIT);
  EXPECT_EQ(Application->MainForm(), nullptr);
}

}  // namespace
}  // namespace orv::test
