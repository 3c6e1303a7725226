// The main window's start-up, shut-down, close during a send run, and its small handlers.
#include "app/MainUnit.h"

#include "app/AboutBoxUnit.h"
#include "app/FormTeardown.h"
#include "app/ProgramFolder.h"
#include "app/ShellOpen.h"
#include "platform/rtl/Random.h"

namespace orv {

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
  SetMessageHandler(WM_PROGRESSPANEL, [this](TMessage& message) { WMUser(message); });
  CreateAddressTable();
}

TMainForm::~TMainForm() {
  TearDownForm(*this);
  if (MainForm == this) MainForm = nullptr;
}

TApplication* TMainForm::OwningApplication() const {
  // At exit the application frees its windows after the global has already been cleared.
  if (auto* app = dynamic_cast<TApplication*>(Owner())) return app;
  return Application;
}

void TMainForm::FormCreate(TObject*) {
  FAppDir = DataFolderFor(ProgramFolderOf(ProgramPath()));
  if (TApplication* app = OwningApplication()) app->SetHelpFile(FAppDir + app->HelpFile());
  Randomize();
  FLoading = true;
  DBGrid2->SetDataSource(DataSource1);
  DBNavigator2->SetDataSource(DataSource1);
  // Naming the default table opens it through FilenameEdit1Change.
  ChooseTableFile(FAppDir + "mailaddies.dbf");
  FMails = std::make_unique<TDynaArray<TMailRec>>(&FMail);
  OpenMails();
  ListMails();
  FKonten = std::make_unique<TDynaArray<TKontoRec>>(&FKonto);
  OpenKonten();
  ListKonten();
  OpenOptions();
  FLoading = false;
  PageControl2Change(this);
}

void TMainForm::FormDestroy(TObject*) {
  PostAddressTable();
  if (TApplication* app = OwningApplication()) app->HelpCommand(HELP_QUIT, 0);
  // Nothing is saved here: every change has already rewritten its file.
  FreeMails();
  FreeKonten();
}

void TMainForm::FormCloseQuery(TObject*, bool& canClose) {
  if (!FSending) return;
  // The run's nested message loop still stands on this window: it must unwind first.
  canClose = false;
  FCloseAfterRun = true;
  CancelSendRun();
}

void TMainForm::BeginSendRun() {
  FCancelled = false;
  FSending = true;
}

void TMainForm::EndSendRun() {
  FSending = false;
  if (FCloseAfterRun) {
    FCloseAfterRun = false;
    Close();
  }
}

void TMainForm::CancelSendRun() {
  if (!FSending) return;
  // Ends the exchange the run waits in; that mail fails and the loop stops before the next.
  SMTP->AbortSession();
  FCancelled = true;
}

void TMainForm::QuitBtnClick(TObject*) { Close(); }

void TMainForm::AboutBtnClick(TObject*) {
  TAboutBox* box = TCustomForm::Create<TAboutBox>(this);
  struct TFreeBox {
    TAboutBox* Box;
    ~TFreeBox() { Box->Free(); }
  } freeBox{box};
  box->ShowModal();
}

void TMainForm::wwwBtnClick(TObject*) { ShellOpen(wwwBtn->Caption()); }

void TMainForm::RichEdit1Enter(TObject*) {
  Panel19->SetColor(static_cast<TColor>(RGB(49, 106, 197)));
  Label8->Font().SetColor(clWhite);
  Label9Betreff->Font().SetColor(clWhite);
}

void TMainForm::RichEdit1Exit(TObject*) {
  Panel19->SetColor(clBtnFace);
  Label8->Font().SetColor(clBlack);
  Label9Betreff->Font().SetColor(clBlack);
}

}  // namespace orv
