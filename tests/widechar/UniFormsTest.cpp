// The application companion and TUniForm: wide character messages routed to Unicode windows
// through the message hook and left alone otherwise, the hook installed and removed with the
// module, the idle-event control on a plain main form, the wide hint action, the wide title, and a
// wide form's caption, window, menu bar and menu hints; a wide dialog's messages and OnMessage's
// say in them.
#include <QLineEdit>
#include "platform/forms/ActnList.h"
#include "platform/forms/StdCtrls.h"
#include "tests/widechar/UnicodeTestControls.h"
#include "tests/platform/forms/WindowInput.h"
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
  TUniMenuItem* File1 = nullptr;
  TUniMenuItem* Open1 = nullptr;
  TUniMenuItem* Send1 = nullptr;
  std::vector<std::string> Clicks;
  void ItemClick(TObject* sender) { Clicks.push_back(static_cast<TComponent*>(sender)->Name()); }
};

// A wide form of which no description is registered.
class TUndescribedWideForm : public TUniForm {
 public:
  explicit TUndescribedWideForm(TComponent* owner) : TUniForm(owner) {}
};

// A dialog with a Unicode edit on it.
class TEditDialog : public TForm {
 public:
  explicit TEditDialog(TComponent* owner) : TForm(owner) {}
};
class TWideEditDialog : public TUniForm {
 public:
  explicit TWideEditDialog(TComponent* owner) : TUniForm(owner) {}
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
    "    object File1: TUniMenuItem\n"
    "      Caption_UTF7 = '&Datei +Jjo'\n"
    "      Hint_UTF7 = 'Datei|Dateien +Jjs'\n"
    "      object Open1: TUniMenuItem\n"
    "        Caption_UTF7 = '&+ANY-ffnen +JgM'\n"
    "        Hint_UTF7 = '+ANY-ffnen|+ANY-ffnet +JgM'\n"
    "        ShortCut = 16463\n"
    "        OnClick = ItemClick\n"
    "      end\n"
    "    end\n"
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
        .Field("File1", &TWideTestForm::File1)
        .Field("Open1", &TWideTestForm::Open1)
        .Field("Send1", &TWideTestForm::Send1)
        .Method("ItemClick", &TWideTestForm::ItemClick);
    RegisterClassType<TUndescribedWideForm, TUniForm>("TUndescribedWideForm");
    RegisterClassType<TEditDialog, TForm>("TEditDialog");
    RegisterClassType<TWideEditDialog, TUniForm>("TWideEditDialog");
    RegisterComponentResource("TEditDialog", "object EditDialog: TEditDialog\n  Width = 200\n  Height = 100\nend\n");
    RegisterComponentResource("TWideEditDialog", "object WideEditDialog: TWideEditDialog\n  Width = 200\n  Height = 100\nend\n");
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


TEST_F(UniFormsTest, AWideFormsMenuBarShowsWideCaptionsAndGivesWideHints) {
  auto* form = MakeForm<TWideTestForm>("TWideTestForm", kWideForm);
  form->Show();
  QMenuBar* bar = form->Widget()->findChild<QMenuBar*>("MenuBar");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{Show(u"&Datei \u263A"), Show(u"Senden \u263A")}));
  ASSERT_TRUE(ClickMenuBarEntry(bar, QString::fromUtf16(u"&Datei \u263A")));
  QMenu* file = OpenMenu();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(Show(UniApplication->ReadHint()), Show(u"Dateien \u263B")) << "the opened entry's wide hint";
  const QString open = QString::fromUtf16(u"&\u00D6ffnen \u2603\tStrg+O");
  EXPECT_EQ(MenuTexts(file), std::vector<std::string>{open.toStdString()});
  QAction* openAction = MenuAction(file, open);
  ASSERT_NE(openAction, nullptr);
  WindowMove(file, file->actionGeometry(openAction).center() + QPoint(1, 0));
  WindowMove(file, file->actionGeometry(openAction).center());
  EXPECT_EQ(Show(UniApplication->ReadHint()), Show(u"\u00D6ffnet \u2603"));
  WindowClick(file, file->actionGeometry(openAction).center());
  Application->ProcessMessages();
  EXPECT_EQ(form->Clicks, std::vector<std::string>{"Open1"});
  EXPECT_EQ(UniApplication->ReadHint(), u"") << "the menu closed";

  form->File1->SetWideCaption(u"&Post \u2603");
  EXPECT_EQ(MenuTexts(bar).front(), Show(u"&Post \u2603")) << "the bar shows the new wide caption";

  // A closing menu names no item, whatever menu comes with it: not the sub-menu entry at 0.
  const LPARAM barMenu = form->MainMenu1->Handle().AsLParam();
  SendMessageW(form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, MF_HILITE | MF_POPUP), barMenu);
  ASSERT_EQ(Show(UniApplication->ReadHint()), Show(u"Dateien \u263B"));
  SendMessageW(form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), barMenu);
  EXPECT_EQ(UniApplication->ReadHint(), u"");
}

TEST_F(UniFormsTest, OnMessageMayTakeAWideCharacter) {
  auto* edit = Place<TUniTestEdit>();
  edit->HandleNeeded();
  std::vector<UINT> seen;
  Application->OnMessage = [&](MSG& msg, bool& handled) {
    if (msg.hwnd != edit->Handle()) return;
    seen.push_back(msg.message);
    if (msg.message == WM_CHAR) handled = true;
  };
  PostMessageW(edit->Handle(), WM_CHAR, 0x263A, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<UINT>{WM_CHAR, WM_NULL})) << "taken by the hook, then nothing for the loop";
  EXPECT_EQ(GetWideText(edit), u"") << "handled by OnMessage: not dispatched";
}

// Runs a modal dialog with a Unicode edit on it; while it is shown, a wide character is posted to
// the edit. What OnMessage saw for the edit comes back.
template <class TDialog>
std::vector<std::pair<UINT, WPARAM>> CharacterForADialogsEdit(TComponent* owner, TUniTestEdit*& edit) {
  auto* dialog = TCustomForm::Create<TDialog>(owner);
  edit = new TUniTestEdit(dialog);
  edit->SetParent(dialog);
  std::vector<std::pair<UINT, WPARAM>> seen;
  constexpr UINT kDone = WM_USER + 7;
  Application->OnMessage = [&](MSG& msg, bool&) {
    if (msg.hwnd == edit->Handle()) seen.emplace_back(msg.message, msg.wParam);
    if (msg.message == kDone) dialog->SetModalResult(mrOk);
  };
  dialog->OnShow = [&](TObject*) {
    PostMessageW(edit->Handle(), WM_CHAR, 0x263A, 0);
    PostMessageW(dialog->Handle(), kDone, 0, 0);
  };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  Application->OnMessage = nullptr;
  return seen;
}

TEST_F(UniFormsTest, AWideCharacterForAnActiveDialogGoesToTheDialogManagerOnce) {
  // The dialog's window is not Unicode: the dialog manager has the message; the hook leaves it to
  // it and the loop sees nothing more.
  TUniTestEdit* edit = nullptr;
  EXPECT_EQ(CharacterForADialogsEdit<TEditDialog>(Form, edit), (std::vector<std::pair<UINT, WPARAM>>{{WM_NULL, 0x263A}}))
      << "OnMessage is not asked for it";
  EXPECT_EQ(GetWideText(edit).size(), 1u) << "dispatched once, by the dialog manager";
  // A Unicode dialog: OnMessage hears the character, the dialog manager has dispatched it.
  EXPECT_EQ(CharacterForADialogsEdit<TWideEditDialog>(Form, edit),
            (std::vector<std::pair<UINT, WPARAM>>{{WM_CHAR, 0x263A}, {WM_NULL, 0x263A}}));
  EXPECT_EQ(GetWideText(edit).size(), 1u) << "not dispatched a second time";
}

TEST_F(UniFormsTest, APendingWideTitleIsAppliedWhenTheApplicationWindowIsMade) {
  const AnsiString saved = Application->Title();
  // Without the wide window interface the title waits beside its narrow form.
  UseNarrowPlatform();
  UniApplication->SetTitle(u"Orvinta \u2603");
  EXPECT_EQ(Application->Title(), "Orvinta ?");
  EXPECT_EQ(Show(UniApplication->GetTitle()), Show(u"Orvinta \u2603"));
  Win32PlatformIsUnicode = true;
  EXPECT_EQ(UniApplication->GetTitle(), u"Orvinta ?") << "the window has the narrow form so far";
  SendMessageW(Application->Handle(), WM_CREATE, 0, 0);
  EXPECT_EQ(Show(UniApplication->GetTitle()), Show(u"Orvinta \u2603")) << "the window took the pending title";
  Application->SetTitle("Anders");
  SendMessageW(Application->Handle(), WM_CREATE, 0, 0);
  EXPECT_EQ(UniApplication->GetTitle(), u"Anders") << "the pending title was used up";
  Application->SetTitle(saved);
}

TEST_F(UniFormsTest, AWideFormWithoutDescriptionIsNotMade) {
  try {
    TCustomForm::Create<TUndescribedWideForm>(nullptr);
    FAIL() << "a wide form class below TUniForm without its description was made";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Ressource TUndescribedWideForm nicht gefunden");
  }
}

}  // namespace
}  // namespace orv::test
