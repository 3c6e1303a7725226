// The application companion and TUniForm: wide character messages routed to Unicode windows
// through the message hook and left alone otherwise, the hook installed and removed with the
// module, the idle-event control on a plain main form, the wide hint action, the wide title, and a
// wide form's caption, window and menu hints.
#include <QLineEdit>
#include "platform/forms/ActnList.h"
#include "platform/forms/StdCtrls.h"
#include "tests/widechar/UnicodeTestControls.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniControls.h"
#include "widechar/UniActnList.h"
#include "widechar/UniForms.h"
#include "widechar/UniMenus.h"

namespace orv::test {
namespace {

class TPlainMainForm : public TForm {
 public:
  explicit TPlainMainForm(TComponent* owner) : TForm(owner) {}
};

class TWideTestForm : public TUniForm {
 public:
  explicit TWideTestForm(TComponent* owner) : TUniForm(owner) {}
  TMainMenu* MainMenu1 = nullptr;
  TUniMenuItem* Send1 = nullptr;
};

class TOwnHintAction : public THintAction {
 public:
  explicit TOwnHintAction(TComponent* owner) : THintAction(owner) {}
};

const char* const kWideForm =
    "object WideTestForm: TWideTestForm\n"
    "  Width = 300\n"
    "  Height = 200\n"
    "  Caption = 'Mails ?'\n"
    "  Caption_UTF7 = 'Mails +Jjo'\n"
    "  Menu = MainMenu1\n"
    "  object MainMenu1: TMainMenu\n"
    "    object Send1: TUniMenuItem\n"
    "      Caption_UTF7 = 'Senden +Jjo'\n"
    "      Hint_UTF7 = 'Senden|Sendet +Jjs'\n"
    "    end\n"
    "  end\n"
    "end\n";

class UniFormsTest : public WideLayerTest {
 protected:
  static void SetUpTestSuite() {
    WideLayerTest::SetUpTestSuite();
    RegisterUnicodeTestControls();
    RegisterClassType<TPlainMainForm, TForm>("TPlainMainForm");
    RegisterClassType<TWideTestForm, TUniForm>("TWideTestForm")
        .Field("MainMenu1", &TWideTestForm::MainMenu1)
        .Field("Send1", &TWideTestForm::Send1);
    RegisterComponentResource("TPlainMainForm", "object PlainMainForm: TPlainMainForm\n  Width = 200\n  Height = 100\nend\n");
    RegisterComponentResource("TWideTestForm", kWideForm);
  }
  void SetUp() override {
    WideLayerTest::SetUp();
    Form = MakeForm<TPlainMainForm>("TPlainMainForm", "object PlainMainForm: TPlainMainForm\n  Width = 200\n  Height = 100\nend\n");
    Form->Show();
  }
  void TearDown() override {
    Application->OnMessage = nullptr;
    WideLayerTest::TearDown();
  }
  // A fresh companion, as the module's start makes it.
  static void RestartCompanion() {
    FinalizeUniForms();
    InitUniForms();
  }
  template <class T>
  T* Place() {
    auto* control = new T(Form);  // owned by the form
    control->SetParent(Form);
    return control;
  }
  TPlainMainForm* Form = nullptr;
};

TEST_F(UniFormsTest, WideCharactersForUnicodeWindowsGoThroughTheHookOnce) {
  auto* edit = Place<TUniTestEdit>();
  auto* plain = Place<TEdit>();
  edit->HandleNeeded();
  plain->HandleNeeded();
  std::vector<std::pair<UINT, WPARAM>> seen;
  Application->OnMessage = [&](MSG& msg, bool&) {
    if (msg.hwnd == edit->Handle() || msg.hwnd == plain->Handle()) seen.emplace_back(msg.message, msg.wParam);
  };
  PostMessageW(edit->Handle(), WM_CHAR, 0x263A, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_CHAR, 0x263A}, {WM_NULL, 0x263A}}))
      << "OnMessage hears the character once; the application's loop then sees WM_NULL";
  EXPECT_EQ(Show(GetWideText(edit)), Show(u"\u263A")) << "dispatched once, in wide form";

  seen.clear();
  PostMessageW(edit->Handle(), WM_CHAR, 0xE9, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_CHAR, 0xE9}})) << "a character below 256 passes untouched";
  EXPECT_EQ(Show(GetWideText(edit)), Show(u"\u263A\u00E9"));

  seen.clear();
  PostMessageW(plain->Handle(), WM_CHAR, 0x263A, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_CHAR, 0x263A}})) << "a narrow window's message passes untouched";
  EXPECT_EQ(plain->GetText(), "?");
}

TEST_F(UniFormsTest, TheModuleInstallsAndRemovesTheHook) {
  auto* edit = Place<TUniTestEdit>();
  edit->HandleNeeded();
  std::vector<UINT> seen;
  Application->OnMessage = [&](MSG& msg, bool&) {
    if (msg.hwnd == edit->Handle()) seen.push_back(msg.message);
  };
  FinalizeUniForms();
  EXPECT_EQ(UniApplication, nullptr);
  PostMessageW(edit->Handle(), WM_CHAR, 0x263A, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, std::vector<UINT>{WM_CHAR}) << "without the hook the loop handles the message itself";
  InitUniForms();
  ASSERT_NE(UniApplication, nullptr);
  seen.clear();
  PostMessageW(edit->Handle(), WM_CHAR, 0x263B, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<UINT>{WM_CHAR, WM_NULL}));
  EXPECT_EQ(Show(GetWideText(edit)), Show(u"\u263A\u263B"));
  EXPECT_FALSE(IsServerHostProcess());
}

TEST_F(UniFormsTest, APlainMainFormGetsOneIdleEventControlThatKeepsTheWideHint) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  RestartCompanion();
  TPlainMainForm* main = nullptr;
  Application->CreateForm(main);
  FForms.push_back(main);
  main->Show();
  auto* label = new TLabel(main);
  label->SetParent(main);
  SetWideHint(label, u"Kurz|Lang \u263A");
  PostMessageW(HWND(), WM_NULL, 0, 0);
  PostMessageW(HWND(), WM_NULL, 0, 0);
  Application->ProcessMessages();
  int idleControls = 0;
  for (Integer i = 0; i < main->ControlCount(); ++i)
    if (dynamic_cast<TUniAppIdleEventControl*>(main->Controls(i)) != nullptr) ++idleControls;
  EXPECT_EQ(idleControls, 1);
  ASSERT_NE(UniApplication->IdleEventControl(), nullptr);
  EXPECT_NE(UniApplication->IdleEventControl()->Action(), nullptr);
  Application->SetMouseControl(label);
  Application->Idle();
  EXPECT_EQ(Show(UniApplication->ReadHint()), Show(u"Lang \u263A")) << "the idle update took the long wide hint";
  EXPECT_EQ(Application->Hint(), "Lang ?");
  Application->SetMouseControl(nullptr);
}

TEST_F(UniFormsTest, AWideMainFormGetsNoIdleEventControl) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  RestartCompanion();
  TWideTestForm* main = nullptr;
  Application->CreateForm(main);
  FForms.push_back(main);
  PostMessageW(HWND(), WM_NULL, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(UniApplication->IdleEventControl(), nullptr);
  for (Integer i = 0; i < main->ControlCount(); ++i) EXPECT_EQ(dynamic_cast<TUniAppIdleEventControl*>(main->Controls(i)), nullptr);
}

TEST_F(UniFormsTest, APlainHintActionIsReplacedByAWideOneAndADescendantIsNot) {
  std::vector<std::pair<AnsiString, WideString>> executed;
  const Integer hook = Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg != CM_ACTIONEXECUTE) return false;
    auto* action = LParamPtr<TBasicAction>(m.LParam);
    auto* custom = dynamic_cast<TCustomAction*>(action);
    WideString hint = dynamic_cast<TUniHintAction*>(action) != nullptr ? static_cast<TUniHintAction*>(action)->WideHint()
                                                                        : AnsiToWide(custom->Hint());
    executed.emplace_back(action->ClassName(), hint);
    return false;
  });
  UniApplication->SetHint(u"Senden \u263A");
  ASSERT_EQ(executed.size(), 2u);
  EXPECT_EQ(executed[0].first, "THintAction");
  EXPECT_EQ(executed[1].first, "TUniHintAction");
  EXPECT_EQ(Show(executed[1].second), Show(u"Senden \u263A"));
  executed.clear();
  TOwnHintAction own(nullptr);
  own.SetHint("Senden ?");
  own.Execute();
  EXPECT_EQ(executed.size(), 1u) << "a descendant of the hint action is never replaced";
  executed.clear();
  THintAction other(nullptr);
  other.SetHint("Anderer Hinweis");
  other.Execute();
  EXPECT_EQ(executed.size(), 1u) << "a hint action with another hint is left alone";
  Application->UnhookMainWindow(hook);
  UniApplication->SetHint(u"");
}

TEST_F(UniFormsTest, TheWideTitleIsTheApplicationWindowsText) {
  const AnsiString saved = Application->Title();
  UniApplication->SetTitle(u"Orvinta \u263A");
  EXPECT_EQ(Show(UniApplication->GetTitle()), Show(u"Orvinta \u263A"));
  EXPECT_EQ(Application->Title(), "Orvinta ?");
  Application->SetTitle(saved);
  EXPECT_EQ(UniApplication->GetTitle(), AnsiToWide(saved));
}

TEST_F(UniFormsTest, AWideFormShowsItsWideCaptionAndGivesItsMenusWideHints) {
  auto* form = MakeForm<TWideTestForm>("TWideTestForm", kWideForm);
  ASSERT_NE(form->Send1, nullptr);
  EXPECT_EQ(Show(form->WideCaption()), Show(u"Mails \u263A"));
  form->Show();
  ASSERT_TRUE(IsWindowUnicode(form->Handle()));
  EXPECT_EQ(form->Widget()->windowTitle(), QString::fromUtf16(u"Mails \u263A")) << "the title bar shows the wide caption";
  EXPECT_EQ(form->Caption(), "Mails ?");
  form->SetWideCaption(u"Neu \u2603");
  EXPECT_EQ(form->Widget()->windowTitle(), QString::fromUtf16(u"Neu \u2603"));
  EXPECT_EQ(GetMenu(form->Handle()), form->MainMenu1->Handle());

  SendMessageW(form->Handle(), WM_MENUSELECT, MAKEWPARAM(static_cast<WORD>(form->Send1->Command()), 0),
               form->MainMenu1->Handle().AsLParam());
  EXPECT_EQ(Show(UniApplication->ReadHint()), Show(u"Sendet \u263B"));
  SendMessageW(form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(UniApplication->ReadHint(), u"") << "the menu closed";

  auto* bare = TCustomForm::Create<TUniForm>(nullptr);
  FForms.push_back(bare);
  EXPECT_EQ(bare->ClassName(), "TUniForm") << "the wide form itself needs no description";
}

}  // namespace
}  // namespace orv::test
