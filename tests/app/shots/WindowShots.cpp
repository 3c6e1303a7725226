// A developer's tool, not a test: starts the program's windows over a temporary folder with a few
// sample accounts, mails and addresses, and saves a PNG of every page of the main window, of the
// mail editor on each mail type, of the newsletter designer, the account dialog and the about box.
// Beside each NAME.png it writes NAME.tab.txt (the controls in the order Tab visits them) and
// NAME.fit.txt (buttons whose caption is wider than the button, controls overlapping a sibling).
// Usage: app_window_shots OUTDIR   (QT_QPA_PLATFORM picks the platform; offscreen when unset)
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/AboutBoxUnit.h"
#include "app/EditKontenFUnit.h"
#include "app/MainUnit.h"
#include "app/NewsDesignFUnit.h"
#include "app/ProgramFolder.h"
#include "app/ProgramStart.h"
#include "app/WriteMailFUnit.h"
#include "platform/forms/DialogService.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/ModuleInit.h"

namespace orv {
namespace {

// Every question is answered No and every chooser cancelled: the tool changes nothing.
class TQuietDialogs : public IDialogService {
 public:
  int MessageBox(const AnsiString&, const AnsiString&, Cardinal) override { return IDNO; }
  bool ChooseFiles(const TFileRequest&, std::vector<AnsiString>&) override { return false; }
  bool ChooseColor(TColor&) override { return false; }
  bool ChooseFont(TFontChoice&) override { return false; }
};

std::string gOutDir;
int gFailures = 0;

void Save(TWinControl& window, const std::string& name) {
  Application->ProcessMessages();
  const std::string path = gOutDir + "/" + name + ".png";
  if (!window.Widget()->grab().save(QString::fromStdString(path), "PNG")) {
    std::fprintf(stderr, "could not write %s\n", path.c_str());
    ++gFailures;
    return;
  }
  std::printf("%s\n", path.c_str());
  // Beside each picture, the order in which Tab visits the window's controls as shown.
  const std::string order = gOutDir + "/" + name + ".tab.txt";
  if (FILE* f = std::fopen(order.c_str(), "w")) {
    QWidget* top = window.Widget();
    for (QWidget* w = top->nextInFocusChain(); w != nullptr && w != top; w = w->nextInFocusChain())
      if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(top) && w->isEnabled())
        std::fprintf(f, "%s (%s)\n", w->objectName().toStdString().c_str(), w->metaObject()->className());
    std::fclose(f);
  }
  // And the captions that do not fit, and the controls that overlap a sibling.
  const std::string check = gOutDir + "/" + name + ".fit.txt";
  if (FILE* f = std::fopen(check.c_str(), "w")) {
    QList<QWidget*> shown;
    for (QWidget* w : window.Widget()->findChildren<QWidget*>())
      if (w->isVisibleTo(window.Widget()) && !w->objectName().isEmpty()) shown.push_back(w);
    for (qsizetype i = 0; i < shown.size(); ++i) {
      QWidget* w = shown[i];
      if (qobject_cast<QAbstractButton*>(w) != nullptr && w->sizeHint().width() > w->width())
        std::fprintf(f, "cut: %s needs %d, has %d\n", w->objectName().toStdString().c_str(), w->sizeHint().width(),
                     w->width());
      for (qsizetype j = i + 1; j < shown.size(); ++j)
        if (shown[j]->parentWidget() == w->parentWidget() && w->geometry().intersects(shown[j]->geometry()))
          std::fprintf(f, "overlap: %s and %s\n", w->objectName().toStdString().c_str(),
                       shown[j]->objectName().toStdString().c_str());
    }
    std::fclose(f);
  }
}

// Runs `inside` while the window that `open` shows modally is up, then closes it with `result`.
void WhileShown(TForm& form, const std::function<void()>& open, const std::function<void()>& inside,
                TModalResult result) {
  QTimer::singleShot(0, [&] {
    Application->ProcessMessages();
    inside();
    form.SetModalResult(result);
  });
  open();
}

std::string gFolder;

// A small picture for the mails to embed.
AnsiString SamplePicture() {
  QImage image(120, 40, QImage::Format_RGB32);
  image.fill(QColor(40, 90, 200));
  for (int x = 0; x < 120; ++x) image.setPixelColor(x, 20, Qt::yellow);
  const std::string path = gFolder + "logo.png";
  image.save(QString::fromStdString(path), "PNG");
  return path;
}

void AddAttachment(TMailRec& mail, const AnsiString& path, const AnsiString& cid) {
  TAttachRec* a = mail.Attachments->Append();
  a->Path = path;
  a->Cid = cid;
}

void SampleData(TMainForm& main) {
  const char* accounts[][4] = {{"Anna Berger", "anna@example.org", "reply@example.org", "mail.example.org"},
                               {"Shop news", "news@shop.example", "", "smtp.shop.example"}};
  for (const auto& a : accounts) {
    TKontoRec* k = main.Konten()->Append();
    k->SenderName = a[0];
    k->SenderAddress = a[1];
    k->ReplyAddress = a[2];
    k->Server = a[3];
  }
  main.ListKonten();
  const AnsiString picture = SamplePicture();
  const char* subjects[] = {"Spring newsletter", "Invitation to the summer party", "Plain notice"};
  for (Byte type = 0; type < 3; ++type) {
    TMailRec* m = main.Mails()->Append();
    m->Subject = subjects[type];
    m->MailType = type;
    m->AutoCreateText = true;
    m->DesignColor = 0xFFFFFF;
    m->BlankText = AnsiString("Dear [%First Name],\r\n\r\nthis is the text of \"") + subjects[type] + "\".";
    m->BlankHTML = "<html><body><p>Dear [%First Name],</p>\r\n<p>you are invited.</p>\r\n"
                   "<img src=\"CID:LOGO.PNG\" border=0>\r\n</body></html>";
    m->Date = Now();
    m->Attachments = std::make_unique<TDynaArray<TAttachRec>>();
    AddAttachment(*m, picture, "LOGO.PNG");
  }
  main.ListMails();
  const char* people[][4] = {{"ann@example.org", "Smith", "Ann", "Ms"},
                             {"bob@example.org", "Jones", "Bob", "Mr"},
                             {"cleo@example.org", "Miller", "Cleo", "Ms"}};
  for (const auto& p : people) {
    main.Table1->Append();
    for (int i = 0; i < 4; ++i) main.Table1->Fields().Fields(i)->SetAsString(p[i]);
    main.Table1->Post();
  }
}

void OpenMail(TMainForm& main, Integer row) {
  main.PageControl2->SetActivePageIndex(1);
  main.ListView1->ClearSelection();
  main.ListView1->Items()[row]->SetSelected(true);
  main.ListView1DblClick(main.ListView1);
}

void EditorShots(TMainForm& main, TWriteMailForm& e) {
  // The design mail: a typed design with a picture tag, then its source and preview.
  WhileShown(e, [&] { OpenMail(main, 0); }, [&] {
    e.RichEdit1->SetText("Dear [%First Name],\r\nwelcome to our spring newsletter.\r\n<img src=\"CID:LOGO.PNG\" border=0>");
    e.RichEdit1->SetSelStart(0);
    e.RichEdit1->SetSelLength(4);
    e.BoldBtn->SetDown(true);
    e.BoldBtnClick(e.BoldBtn);
    e.RTFToHTML();
    Save(e, "editor-design");
    e.PageControl2->SetActivePageIndex(1);
    e.PageControl2Change(e.PageControl2);
    Save(e, "editor-design-source");
    e.PageControl2->SetActivePageIndex(2);
    e.PageControl2Change(e.PageControl2);
    Save(e, "editor-design-preview");
    e.AutoCreateCheck->SetChecked(false);
    e.PageControl1->SetActivePage(e.TabSheet3);
    e.PageControl1Change(e.PageControl1);
    Save(e, "editor-design-text-page");
  }, mrCancel);
  WhileShown(e, [&] { OpenMail(main, 1); }, [&] {
    Save(e, "editor-html");
    e.PageControl3->SetActivePageIndex(1);
    e.PageControl3Change(e.PageControl3);
    Save(e, "editor-html-preview");
  }, mrCancel);
  WhileShown(e, [&] { OpenMail(main, 2); }, [&] { Save(e, "editor-text"); }, mrCancel);
}

void Shots() {
  TMainForm& main = *MainForm;
  SampleData(main);
  for (Integer page = 0; page < 4; ++page) {
    main.PageControl2->SetActivePageIndex(page);
    main.PageControl2Change(main.PageControl2);
    Save(main, "main-" + std::to_string(page + 1));
  }
  main.PageControl2->SetActivePageIndex(1);
  main.ListView1->Items()[0]->SetSelected(true);
  Save(main, "main-2-selected");

  EditorShots(main, *WriteMailForm);
  for (auto [form, name] : {std::pair<TForm*, const char*>{NewsDesignForm, "designer"},
                             {EditKontenForm, "accounts-dialog"}})
    WhileShown(*form, [form] { form->ShowModal(); }, [form, name] { Save(*form, name); }, mrCancel);
  TAboutBox* about = TCustomForm::Create<TAboutBox>(&main);
  WhileShown(*about, [about] { about->ShowModal(); }, [about] { Save(*about, "about"); }, mrOk);
  about->Free();
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
  using namespace orv;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  gOutDir = argv[1];
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  char pattern[] = "/tmp/orv_shots_XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (dir == nullptr) return 1;
  const std::string folder = std::string(dir) + "/";
  gFolder = folder;
  SetProgramPath(folder + "orvinta");
  qputenv("XDG_DATA_HOME", (folder + "xdg").c_str());
  TQuietDialogs dialogs;
  SetDialogService(&dialogs);
  int rc = RunProgram([] {
    QTimer::singleShot(0, [] {
      Shots();
      MainForm->Close();
    });
  });
  SetDialogService(nullptr);
  const std::string cleanup = "rm -rf '" + folder + "'";
  (void)!std::system(cleanup.c_str());
  return rc != 0 ? rc : (gFailures != 0 ? 1 : 0);
}
