// Modal forms return the modal result of the button that closed them; Enter and Esc reach the
// default and cancel buttons; the close query can keep a form open.
#include "tests/platform/forms/FormsFixture.h"

#include <QTimer>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/StdCtrls.h"

namespace orv::test {
namespace {

class TAskForm : public TForm {
 public:
  explicit TAskForm(TComponent* owner) : TForm(owner) {}
  TEdit* Edit1 = nullptr;
  TMemo* Memo1 = nullptr;
  TButton* OkBtn = nullptr;
  TButton* CancelBtn = nullptr;
  TBitBtn* YesBtn = nullptr;
  std::vector<std::string> Events;
  bool AllowClose = true;
  void OkBtnClick(TObject*) { Events.push_back("ok"); }
  void CancelBtnClick(TObject*) { Events.push_back("cancel"); }
  void FormCloseQuery(TObject*, bool& canClose) {
    Events.push_back("query");
    canClose = AllowClose;
  }
  void FormShow(TObject*) { Events.push_back("show"); }
};

const char* const kAskForm = R"(object AskForm: TAskForm
  Width = 300
  Height = 200
  Caption = 'Edit sender account'
  BorderStyle = bsDialog
  Position = poScreenCenter
  OnCloseQuery = FormCloseQuery
  OnShow = FormShow
  object Edit1: TEdit
    Left = 8
    Top = 8
  end
  object Memo1: TMemo
    Left = 8
    Top = 40
    Width = 200
    Height = 60
  end
  object OkBtn: TButton
    Left = 8
    Top = 150
    Caption = 'OK'
    Default = True
    ModalResult = 1
    OnClick = OkBtnClick
  end
  object CancelBtn: TButton
    Left = 100
    Top = 150
    Caption = '&Cancel'
    Cancel = True
    ModalResult = 2
    OnClick = CancelBtnClick
  end
  object YesBtn: TBitBtn
    Left = 200
    Top = 150
    Kind = bkYes
  end
end
)";

class ModalDialogTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TAskForm, TForm>("TAskForm")
        .Field("Edit1", &TAskForm::Edit1)
        .Field("Memo1", &TAskForm::Memo1)
        .Field("OkBtn", &TAskForm::OkBtn)
        .Field("CancelBtn", &TAskForm::CancelBtn)
        .Field("YesBtn", &TAskForm::YesBtn)
        .Method("OkBtnClick", &TAskForm::OkBtnClick)
        .Method("CancelBtnClick", &TAskForm::CancelBtnClick)
        .Method("FormCloseQuery", &TAskForm::FormCloseQuery)
        .Method("FormShow", &TAskForm::FormShow);
    Form = MakeForm<TAskForm>("TAskForm", kAskForm);
  }

  // Runs action from inside the modal loop, once the form is showing.
  TModalResult RunModal(std::function<void()> action) {
    QTimer::singleShot(0, [action] { action(); });
    // A modal loop that never ends would hang the test run: a second timer ends it.
    // It goes with the test: a later test's event loop must not run it on a fixture gone by then.
    QTimer::singleShot(5000, &FTimerGuard, [this] { if (Form->FormState().Contains(fsModal)) Form->SetModalResult(-1); });
    return Form->ShowModal();
  }

  TAskForm* Form = nullptr;
  QObject FTimerGuard;
};

TEST_F(ModalDialogTest, ShowModalReturnsTheModalResultOfThePressedButton) {
  struct TCase {
    const char* Name;
    std::function<void(TAskForm*)> Action;
    TModalResult Expected;
  };
  const TCase cases[] = {
    {"OK button clicked", [](TAskForm* f) { Click(f->OkBtn->Widget(), QPoint(5, 5)); }, mrOk},
    {"Cancel button clicked", [](TAskForm* f) { Click(f->CancelBtn->Widget(), QPoint(5, 5)); }, mrCancel},
    {"bit button of kind Yes", [](TAskForm* f) { Click(f->YesBtn->Widget(), QPoint(5, 5)); }, mrYes},
    {"window closed", [](TAskForm* f) { f->Close(); }, mrCancel},
    {"posted close message", [](TAskForm* f) { PostMessageA(f->Handle(), WM_CLOSE, 0, 0); }, mrCancel},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Form->Events.clear();
    EXPECT_EQ(RunModal([&] { c.Action(Form); }), c.Expected);
    EXPECT_FALSE(Form->Visible()) << "a modal form is hidden when it ends";
    EXPECT_FALSE(Form->FormState().Contains(fsModal));
    EXPECT_EQ(Form->Events.front(), "show");
    EXPECT_EQ(Form->Events.back(), "query") << "the close query is asked before the form ends";
  }
}

TEST_F(ModalDialogTest, CloseQueryRefusingKeepsTheModalFormOpen) {
  Form->AllowClose = false;
  const TModalResult result = RunModal([this] {
    Click(Form->OkBtn->Widget(), QPoint(5, 5));
    // Still open after the refused close: the test lets it go on a second try.
    QTimer::singleShot(0, [this] {
      EXPECT_TRUE(Form->FormState().Contains(fsModal));
      Form->AllowClose = true;
      Click(Form->CancelBtn->Widget(), QPoint(5, 5));
    });
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"show", "ok", "query", "cancel", "query"}));
}

TEST_F(ModalDialogTest, FormFreedWhileModalEndsItsLoopSafely) {
  auto* doomed = TCustomForm::Create<TAskForm>(nullptr);  // frees itself below
  doomed->OkBtn->SetModalResult(mrNone);  // only the release ends the loop
  doomed->OkBtn->OnClick = [doomed](TObject*) { doomed->Release(); };
  QTimer::singleShot(0, [doomed] { Click(doomed->OkBtn->Widget(), QPoint(5, 5)); });
  EXPECT_EQ(doomed->ShowModal(), mrCancel);
  EXPECT_EQ(Application->ActiveDialog(), nullptr);
  for (Integer i = 0; i < Screen->FormCount(); ++i) EXPECT_NE(Screen->Forms(i), doomed);
}

TEST_F(ModalDialogTest, EnterAndEscapeReachTheDefaultAndCancelButtons) {
  Form->Show();
  struct TCase {
    const char* Name;
    TWinControl* Focus;
    int Key;
    const char* Text;
    std::vector<std::string> Events;
  };
  const TCase cases[] = {
    {"Enter in an edit", Form->Edit1, Qt::Key_Return, "\r", {"ok"}},
    {"Esc in an edit", Form->Edit1, Qt::Key_Escape, "\x1b", {"cancel"}},
    {"Enter in a memo breaks the line", Form->Memo1, Qt::Key_Return, "\r", {}},
    {"Esc in a memo", Form->Memo1, Qt::Key_Escape, "\x1b", {"cancel"}},
    {"Enter on the focused cancel button", Form->CancelBtn, Qt::Key_Return, "\r", {"cancel"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Form->Events.clear();
    Form->Memo1->SetText("ab");
    Form->Memo1->SetSelStart(2);
    c.Focus->SetFocus();
    Key(c.Focus->Widget(), c.Key, c.Text);
    EXPECT_EQ(Form->Events, c.Events);
    const bool memoEnter = c.Focus == Form->Memo1 && c.Key == Qt::Key_Return;
    EXPECT_EQ(Form->Memo1->GetText(), memoEnter ? "ab\r\n" : "ab") << "only the memo takes its Enter";
  }
}

TEST_F(ModalDialogTest, KeysReachTheFormFirstWithKeyPreviewAndHandlersCanChangeThem) {
  Form->Show();
  Form->Edit1->SetFocus();
  std::vector<Word> formKeys;
  Form->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    formKeys.push_back(key);
    if (key == VK_DELETE) key = 0;  // the form keeps this one
  };
  Form->Edit1->OnKeyPress = [](TObject*, char& ch) {
    if (ch == 'b') ch = 'B';
    if (ch == 'q') ch = 0;
  };
  struct TCase { bool Preview; int Key; const char* Text; const char* EditText; size_t FormKeys; };
  const TCase cases[] = {
    {false, Qt::Key_A, "a", "acd", 0},
    {true, Qt::Key_A, "a", "acd", 1},
    {false, Qt::Key_Delete, "", "d", 0},
    {true, Qt::Key_Delete, "", "cd", 1},
    {true, Qt::Key_B, "b", "Bcd", 1},
    {true, Qt::Key_Q, "q", "cd", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Text) + (c.Preview ? " with preview" : ""));
    Form->SetKeyPreview(c.Preview);
    Form->Edit1->SetText("cd");
    Form->Edit1->SetSelStart(0);
    formKeys.clear();
    Key(Form->Edit1->Widget(), c.Key, c.Text);
    EXPECT_EQ(Form->Edit1->GetText(), c.EditText);
    EXPECT_EQ(formKeys.size(), c.FormKeys);
  }
}

TEST_F(ModalDialogTest, EnterAndExitFollowTheFocus) {
  std::vector<std::string> seen;
  Form->Edit1->OnEnter = [&](TObject*) { seen.push_back("edit enter"); };
  Form->Edit1->OnExit = [&](TObject*) { seen.push_back("edit exit"); };
  Form->Memo1->OnEnter = [&](TObject*) { seen.push_back("memo enter"); };
  Form->Show();
  Form->Edit1->SetFocus();
  Form->Memo1->SetFocus();
  Form->Memo1->SetFocus();
  EXPECT_EQ(seen, (std::vector<std::string>{"edit enter", "edit exit", "memo enter"}));
  EXPECT_TRUE(Form->Memo1->Focused());
  EXPECT_FALSE(Form->Edit1->Focused());
}

}  // namespace
}  // namespace orv::test
