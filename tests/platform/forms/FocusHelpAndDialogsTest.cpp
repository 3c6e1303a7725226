// The active button follows the focus, help contexts come from descriptions, and the file dialogs
// keep their history list, edit style and help context (the picture dialogs start with the picture
// formats as their filter).
#include "tests/platform/forms/FormsFixture.h"

#include <QMimeData>
#include <QUrl>
#include "platform/classes/ObjectText.h"
#include "platform/win/DropFiles.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/StdCtrls.h"

namespace orv::test {
namespace {

class TActiveButton : public TButton {
 public:
  explicit TActiveButton(TComponent* owner) : TButton(owner) {}
  std::vector<bool> Styles;

 protected:
  void ApplyButtonStyle(bool isDefault) override { Styles.push_back(isDefault); }
};

class TFocusForm : public TForm {
 public:
  explicit TFocusForm(TComponent* owner) : TForm(owner) {}
  TEdit* Edit1 = nullptr;
  TButton* OkBtn = nullptr;
  TButton* OtherBtn = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
};

const char* const kFocusForm = R"(object FocusForm: TFocusForm
  Width = 300
  Height = 200
  HelpContext = 40
  object Edit1: TEdit
    Left = 8
    Top = 8
    HelpContext = 41
  end
  object OkBtn: TButton
    Left = 8
    Top = 40
    Caption = 'OK'
    Default = True
  end
  object OtherBtn: TButton
    Left = 100
    Top = 40
    Caption = 'Other'
  end
  object OpenDialog1: TOpenDialog
    FileEditStyle = fsComboBox
    HelpContext = 7
    HistoryList.Strings = (
      'first.dbf'
      'second.dbf')
  end
end
)";

class FocusHelpAndDialogsTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterFormsClasses();
    using F = TFocusForm;
    RegisterClassType<F, TForm>("TFocusForm")
        .Field("Edit1", &F::Edit1)
        .Field("OkBtn", &F::OkBtn)
        .Field("OtherBtn", &F::OtherBtn)
        .Field("OpenDialog1", &F::OpenDialog1);
    Form = MakeForm<TFocusForm>("TFocusForm", kFocusForm);
  }
  TFocusForm* Form = nullptr;
};

TEST_F(FocusHelpAndDialogsTest, ActiveButtonFollowsTheFocus) {
  auto* watched = new TActiveButton(Form);
  watched->SetParent(Form);
  watched->SetBounds(200, 40, 75, 25);
  Form->Show();
  struct TStep {
    const char* Name;
    TWinControl* Focus;
    bool OkActive, OtherActive, WatchedActive;
  };
  const TStep steps[] = {
    {"an edit: the default button", Form->Edit1, true, false, false},
    {"another button: that one", Form->OtherBtn, false, true, false},
    {"the watched button", watched, false, false, true},
    {"back to the edit", Form->Edit1, true, false, false},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Name);
    s.Focus->SetFocus();
    EXPECT_EQ(Form->ActiveControl(), s.Focus);
    EXPECT_EQ(Form->OkBtn->Active(), s.OkActive);
    EXPECT_EQ(Form->OtherBtn->Active(), s.OtherActive);
    EXPECT_EQ(watched->Active(), s.WatchedActive);
  }
  ASSERT_FALSE(watched->Styles.empty());
  EXPECT_TRUE(watched->Styles[watched->Styles.size() - 2]) << "told when it became active";
  EXPECT_FALSE(watched->Styles.back()) << "and when it stopped";
}

TEST_F(FocusHelpAndDialogsTest, HelpContextsAndDialogSettingsComeFromTheDescription) {
  EXPECT_EQ(Form->HelpContext(), 40);
  EXPECT_EQ(Form->Edit1->HelpContext(), 41);
  EXPECT_EQ(Form->OkBtn->HelpContext(), 0);
  TOpenDialog* dialog = Form->OpenDialog1;
  EXPECT_EQ(dialog->FileEditStyle(), fsComboBox);
  EXPECT_EQ(dialog->HelpContext(), 7);
  ASSERT_EQ(dialog->HistoryList().Count(), 2);
  EXPECT_EQ(dialog->HistoryList().Get(1), "second.dbf");

  const AnsiString text = WriteComponentToText(Form);
  EXPECT_NE(text.find("HelpContext = 41"), AnsiString::npos) << text;
  EXPECT_NE(text.find("'first.dbf'"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("OkBtn: TButton\n    Left = 8\n    Top = 40\n    HelpContext"), AnsiString::npos)
      << "a help context of 0 is not written";

  TOpenPictureDialog open(nullptr);
  TSavePictureDialog save(nullptr);
  EXPECT_EQ(open.Filter(), TPicture::FileFilter());
  EXPECT_EQ(save.Filter(), TPicture::FileFilter());
  Dialogs.FileAnswers.push_back({"/tmp/picture.bmp"});
  EXPECT_TRUE(save.Execute());
  ASSERT_EQ(Dialogs.FileRequests.size(), 1u);
  EXPECT_TRUE(Dialogs.FileRequests[0].Save) << "the save-picture dialog saves";
}

// Files dropped on a widget the way a file manager drops them.
void DropFiles(QWidget* widget, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& p : paths) urls.push_back(QUrl::fromLocalFile(p));
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &drop);
}

TEST_F(FocusHelpAndDialogsTest, DroppedFilesReachAWindowThatAcceptsThem) {
  Form->Show();
  std::vector<std::vector<AnsiString>> received;
  Form->SetMessageHandler(WM_DROPFILES, [&](TMessage& m) {
    const HDROP drop(static_cast<std::uint64_t>(m.WParam));
    std::vector<AnsiString> files;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      char name[8];
      const UINT length = DragQueryFileA(drop, i, name, sizeof name);
      files.push_back(AnsiString(name) + "/" + std::to_string(length));
    }
    EXPECT_EQ(DragQueryFileA(drop, count, nullptr, 0), 0u) << "past the last file";
    received.push_back(files);
    DragFinish(drop);
  });
  DropFiles(Form->Widget(), {"/tmp/a.dbf"});
  EXPECT_TRUE(received.empty()) << "a window that does not accept files gets none";
  EXPECT_FALSE(Form->Widget()->acceptDrops());

  DragAcceptFiles(Form->Handle(), true);
  EXPECT_TRUE(GetWindowLongA(Form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_TRUE(Form->Widget()->acceptDrops());
  DropFiles(Form->Widget(), {"/tmp/a.dbf", "/tmp/long name.dbf"});
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], (std::vector<AnsiString>{"/tmp/a./10", "/tmp/lo/18"}))
      << "names cut to the buffer, lengths whole";
  EXPECT_EQ(PendingDropCount(), 0);

  Form->SetMessageHandler(WM_DROPFILES, nullptr);
  DropFiles(Form->Widget(), {"/tmp/b.dbf"});
  EXPECT_EQ(PendingDropCount(), 0) << "files nobody takes are released by the default handling";
  DragAcceptFiles(Form->Handle(), false);
  DropFiles(Form->Widget(), {"/tmp/c.dbf"});
  EXPECT_EQ(received.size(), 1u);
}

}  // namespace
}  // namespace orv::test
