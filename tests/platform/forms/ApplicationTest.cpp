// The application: title kept apart from Qt's display name, the main form's loop and its end,
// the idle step, hints, OnMessage, message boxes through the dialog service, and exceptions.
#include "tests/platform/forms/FormsFixture.h"

#include <QGuiApplication>
#include <cstdio>
#include <QElapsedTimer>
#include <QTimer>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/StdCtrls.h"

namespace orv::test {
namespace {

class TMainTestForm : public TForm {
 public:
  explicit TMainTestForm(TComponent* owner) : TForm(owner) {}
  TButton* QuitBtn = nullptr;
  TButton* FailBtn = nullptr;
  int Destroyed = 0;
  static inline TMainTestForm* Instance = nullptr;
  static inline bool InstanceSetBeforeCreate = false;
  void FormCreate(TObject*) { InstanceSetBeforeCreate = Instance == this; }
  void QuitBtnClick(TObject*) { Close(); }
  void FailBtnClick(TObject*) { throw Exception("Could not connect to mail server!"); }
};

const char* const kMainForm = R"(object MainTestForm: TMainTestForm
  Width = 300
  Height = 200
  Caption = 'Orvinta 1.0'
  OnCreate = FormCreate
  object QuitBtn: TButton
    Left = 8
    Top = 8
    Caption = 'Quit'
    Hint = 'Quit|Ends the program'
    OnClick = QuitBtnClick
  end
  object FailBtn: TButton
    Left = 8
    Top = 40
    Caption = 'Fail'
    OnClick = FailBtnClick
  end
end
)";

class ApplicationTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TMainTestForm, TForm>("TMainTestForm")
        .Field("QuitBtn", &TMainTestForm::QuitBtn)
        .Field("FailBtn", &TMainTestForm::FailBtn)
        .Method("FormCreate", &TMainTestForm::FormCreate)
        .Method("QuitBtnClick", &TMainTestForm::QuitBtnClick)
        .Method("FailBtnClick", &TMainTestForm::FailBtnClick);
    RegisterComponentResource("TMainTestForm", kMainForm);
  }
};

TEST_F(ApplicationTest, MainFormRunsTheLoopUntilItCloses) {
  Application->SetTitle("Orvinta 1.0");
  EXPECT_TRUE(QGuiApplication::applicationDisplayName() != "Orvinta 1.0")
      << "the title is not Qt's display name, which would be added to every window title";
  Application->CreateForm(TMainTestForm::Instance);
  TMainTestForm* form = TMainTestForm::Instance;
  EXPECT_TRUE(TMainTestForm::InstanceSetBeforeCreate) << "the reference is set before OnCreate";
  EXPECT_EQ(Application->MainForm(), form);
  int idles = 0;
  Application->OnIdle = [&](TObject*, bool&) { ++idles; };
  QTimer::singleShot(10, [form] {
    EXPECT_TRUE(form->Visible()) << "Run shows the main form";
    Click(form->QuitBtn->Widget(), QPoint(5, 5));
  });
  Application->Run();
  Application->OnIdle = nullptr;
  EXPECT_GT(idles, 0) << "the loop runs the idle step whenever it is about to wait";
  EXPECT_EQ(form->Widget()->windowTitle(), QString("Orvinta 1.0"));
  form->Free();
  EXPECT_EQ(Application->MainForm(), nullptr);
  TMainTestForm::Instance = nullptr;
}

TEST_F(ApplicationTest, ClosingTheMainFormInsideANestedLoopEndsTheProgramOnlyAfterItUnwinds) {
  Application->CreateForm(TMainTestForm::Instance);
  TMainTestForm* form = TMainTestForm::Instance;
  bool formAliveAfterNestedLoop = false;
  bool nestedLoopSawTerminate = false;
  // A long task pumping the loop from a handler, as a send run does.
  form->FailBtn->OnClick = [&](TObject*) {
    QTimer::singleShot(10, [form] { form->Close(); });
    QElapsedTimer clock;
    clock.start();
    while (!Application->Terminated() && clock.elapsed() < 3000) Application->HandleMessage();
    nestedLoopSawTerminate = Application->Terminated();
    formAliveAfterNestedLoop = Screen->FormCount() > 0 && form->FailBtn != nullptr && form->Visible();
  };
  QTimer::singleShot(0, [form] { Click(form->FailBtn->Widget(), QPoint(5, 5)); });
  Application->Run();
  EXPECT_TRUE(nestedLoopSawTerminate) << "the nested loop learns that the program is ending";
  EXPECT_TRUE(formAliveAfterNestedLoop) << "the main form is not freed under the running loop";
  form->Free();
  TMainTestForm::Instance = nullptr;
}

TEST_F(ApplicationTest, OnDestroyRunsWhileTheFormsComponentsStillExist) {
  auto* form = TCustomForm::Create<TMainTestForm>(nullptr);
  AnsiString seen;
  form->OnDestroy = [&](TObject*) { seen = form->QuitBtn->Caption(); };
  form->Free();
  EXPECT_EQ(seen, "Quit");
}

TEST_F(ApplicationTest, ProgramEndsCleanlyThroughDoneApplication) {
  // In a child process: the end of the application is the end of the forms layer.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Application->CreateForm(TMainTestForm::Instance);
        TMainTestForm* form = TMainTestForm::Instance;
        bool destroyed = false;
        form->OnDestroy = [&](TObject*) { destroyed = form->QuitBtn != nullptr; };
        QTimer::singleShot(0, [form] { Click(form->QuitBtn->Widget(), QPoint(5, 5)); });
        Application->Run();
        DoneApplication();
        std::fprintf(stderr, destroyed ? "destroyed\n" : "not destroyed\n");
        std::exit(Application == nullptr && Screen == nullptr && WindowCount() == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "destroyed");
}

TEST_F(ApplicationTest, HintFollowsTheControlUnderTheMouse) {
  auto* form = MakeForm<TMainTestForm>("TMainTestForm", kMainForm);
  form->Show();
  Application->SetHint("");
  std::vector<AnsiString> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint()); };
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(form->QuitBtn->Widget(), &enter);
  Application->Idle();
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(form->QuitBtn->Widget(), &leave);
  QApplication::sendEvent(form->FailBtn->Widget(), &enter);
  Application->Idle();
  Application->OnHint = nullptr;
  EXPECT_EQ(hints, (std::vector<AnsiString>{"Ends the program", ""}))
      << "the long part of the hint, empty over a control without one";
  EXPECT_EQ(GetShortHint("Quit|Ends the program"), "Quit");
}

TEST_F(ApplicationTest, OnMessageSeesPostedMessagesAndCanTakeThem) {
  auto* form = MakeForm<TMainTestForm>("TMainTestForm", kMainForm);
  std::vector<UINT> handled;
  form->SetMessageHandler(WM_USER + 5, [&](TMessage& m) { handled.push_back(m.Msg); });
  std::vector<UINT> seen;
  Application->OnMessage = [&](MSG& msg, bool& done) {
    seen.push_back(msg.message);
    done = msg.wParam == 1;
  };
  PostMessageA(form->Handle(), WM_USER + 5, 0, 0);
  PostMessageA(form->Handle(), WM_USER + 5, 1, 0);
  Application->ProcessMessages();
  Application->OnMessage = nullptr;
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 5, WM_USER + 5}));
  EXPECT_EQ(handled.size(), 1u) << "a message OnMessage took is not dispatched";
}

TEST_F(ApplicationTest, MessageBoxesAreAnsweredThroughTheDialogService) {
  struct TCase {
    const char* Name;
    std::function<int()> Ask;
    int Answer;
    Cardinal Flags;
    const char* Caption;
    int Expected;
  };
  Application->SetTitle("Orvinta 1.0");
  const TCase cases[] = {
    {"yes/no with information",
     [] { return Application->MessageBox("Do you want to delete the selected emails?", "Delete", MB_YESNO | MB_ICONINFORMATION); },
     IDNO, MB_YESNO | MB_ICONINFORMATION, "Delete", IDNO},
    {"yes/no/cancel with question",
     [] { return Application->MessageBox("Do you want to save the changed message?", "Save", MB_YESNOCANCEL | MB_ICONQUESTION); },
     IDCANCEL, MB_YESNOCANCEL | MB_ICONQUESTION, "Save", IDCANCEL},
    {"OK/cancel with stop",
     [] { return Application->MessageBox("Attention: all existing data sets will be lost!!!", "New data base", MB_OKCANCEL | MB_ICONSTOP); },
     IDOK, MB_OKCANCEL | MB_ICONSTOP, "New data base", IDOK},
    {"error box without caption of its own",
     [] { return Application->MessageBox("There are no email addresses!", "", MB_OK | MB_ICONERROR); },
     IDOK, MB_OK | MB_ICONERROR, "Orvinta 1.0", IDOK},
    {"message dialog",
     [] { return MessageDlg("Overwrite?", mtConfirmation, {mbYes, mbNo}); },
     IDYES, MB_YESNO | MB_ICONQUESTION, "Confirm", mrYes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Dialogs.Asked.clear();
    Dialogs.Answers = {c.Answer};
    EXPECT_EQ(c.Ask(), c.Expected);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Flags, c.Flags);
    EXPECT_EQ(Dialogs.Asked[0].Caption, c.Caption);
  }
}

TEST_F(ApplicationTest, ExceptionOfAHandlerIsShownInAnErrorBoxAndAbortStaysSilent) {
  auto* form = MakeForm<TMainTestForm>("TMainTestForm", kMainForm);
  form->Show();
  Application->SetTitle("Orvinta 1.0");
  Click(form->FailBtn->Widget(), QPoint(5, 5));
  ASSERT_EQ(Dialogs.Asked.size(), 1u) << "the exception did not leave the event loop unshown";
  EXPECT_EQ(Dialogs.Asked[0].Text, "Could not connect to mail server!");
  EXPECT_EQ(Dialogs.Asked[0].Flags, MB_OK | MB_ICONSTOP);
  form->FailBtn->OnClick = [](TObject*) { Abort(); };
  Click(form->FailBtn->Widget(), QPoint(5, 5));
  EXPECT_EQ(Dialogs.Asked.size(), 1u) << "the silent abort shows nothing";

  // A handler run from a Qt signal (the edit's change) reports its exception the same way.
  auto* edit = new TEdit(form);  // owned by the form
  edit->SetParent(form);
  edit->OnChange = [](TObject*) { throw Exception("Invalid field number"); };
  edit->SetText("9");
  ASSERT_EQ(Dialogs.Asked.size(), 2u);
  EXPECT_EQ(Dialogs.Asked[1].Text, "Invalid field number.");
  EXPECT_EQ(edit->GetText(), "9");
}

TEST_F(ApplicationTest, ActionsUpdateWhenIdleAndHooksOfTheApplicationWindowCanTakeThem) {
  auto* form = MakeForm<TMainTestForm>("TMainTestForm", kMainForm);
  form->Show();
  auto* action = new TAction(form);  // owned by the form
  int updates = 0, executes = 0;
  action->SetCaption("Send mails...");
  action->OnUpdate = [&](TObject*) { ++updates; action->SetEnabled(false); };
  action->OnExecute = [&](TObject*) { ++executes; };
  form->QuitBtn->SetAction(action);
  EXPECT_EQ(form->QuitBtn->Caption(), "Send mails...") << "a linked action gives its caption";
  EXPECT_TRUE(form->QuitBtn->Enabled());
  Application->Idle();
  EXPECT_EQ(updates, 1) << "the action of a visible control is updated at idle time";
  EXPECT_FALSE(form->QuitBtn->Enabled()) << "and the control follows what the update decided";
  action->OnUpdate = [&](TObject*) { ++updates; };
  action->SetEnabled(true);
  form->QuitBtn->OnClick = nullptr;
  form->QuitBtn->Click();
  EXPECT_EQ(executes, 1) << "a click without a handler of its own runs the action";
  executes = 0;
  form->QuitBtn->Hide();
  Application->Idle();
  EXPECT_EQ(updates, 1) << "a hidden control's action is left alone";

  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(executes, 1);
  std::vector<TBasicAction*> taken;
  const Integer hook = Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg != CM_ACTIONEXECUTE) return false;
    taken.push_back(LParamPtr<TBasicAction>(m.LParam));
    m.Result = 1;
    return true;
  });
  EXPECT_TRUE(action->Execute());
  Application->UnhookMainWindow(hook);
  EXPECT_EQ(taken, (std::vector<TBasicAction*>{action}));
  EXPECT_EQ(executes, 1) << "an action a hook took over does not run its own handler";
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(executes, 2) << "after unhooking the action runs again";
}

TEST_F(ApplicationTest, FileDialogPassesItsFilterAndAddsTheDefaultExtension) {
  TOpenDialog dialog(nullptr);
  dialog.SetFilter("TXT und CSV Dateien (*.txt;*.csv)|*.txt;*.csv|Alle Dateien (*.*)|*.*");
  dialog.SetDefaultExt("txt");
  Dialogs.FileAnswers = {{"/tmp/addresses"}};
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/tmp/addresses.txt");
  ASSERT_EQ(Dialogs.FileRequests.size(), 1u);
  EXPECT_EQ(SplitDialogFilter(Dialogs.FileRequests[0].Filter),
            (std::vector<AnsiString>{"TXT und CSV Dateien (*.txt;*.csv) (*.txt *.csv)", "Alle Dateien (*.*) (*.*)"}));
  EXPECT_FALSE(dialog.Execute()) << "a cancelled dialog chooses nothing";
}

TEST_F(ApplicationTest, LayersBeneathReportExceptionsThroughTheApplicationHandler) {
  ASSERT_TRUE(ApplicationHandleException) << "the application sets the handler of the layers beneath";
  ApplicationHandleException(Exception("Record is locked by another user."));
  ASSERT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_EQ(Dialogs.Asked[0].Text, "Record is locked by another user.");
  ApplicationHandleException(EAbort("silent"));
  EXPECT_EQ(Dialogs.Asked.size(), 1u) << "an abort stays silent there too";
}

}  // namespace
}  // namespace orv::test
