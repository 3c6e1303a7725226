// Hints and window text of the class library: the hint a control gives (and may change or keep
// hidden through CM_HINTSHOW) in the hint window, the hint action that carries the application's
// hint, and the widget procedure that keeps a window's text wide while the control keeps its ANSI
// form.
#include <QLineEdit>
#include <QPushButton>
#include "platform/forms/ActnList.h"
#include "platform/forms/HintWindow.h"
#include "platform/forms/StdCtrls.h"
#include "tests/platform/forms/FormsFixture.h"

namespace orv::test {
namespace {

class THintTestForm : public TForm {
 public:
  explicit THintTestForm(TComponent* owner) : TForm(owner) {}
};

class HintsAndWindowTextTest : public FormsTest {
 protected:
  static void SetUpTestSuite() {
    FormsTest::SetUpTestSuite();
    RegisterClassType<THintTestForm, TForm>("THintTestForm");
  }
  void SetUp() override {
    FormsTest::SetUp();
    Form = MakeForm<THintTestForm>("THintTestForm", "object HintTestForm: THintTestForm\n  Width = 300\n  Height = 200\nend\n");
    Form->Show();
  }
  THintTestForm* Form = nullptr;
};

TEST_F(HintsAndWindowTextTest, AControlsShortHintShowsInTheHintWindowUnlessItSaysNo) {
  auto* panel = new TButton(Form);
  panel->SetParent(Form);
  Form->SetHint("Formular|Das Formular");
  std::vector<AnsiString> asked;
  bool keepHidden = false;
  panel->WindowProc = [&, own = panel->WindowProc](TMessage& m) {
    if (m.Msg == CM_HINTSHOW) {
      auto* info = LParamPtr<THintInfo>(m.LParam);
      asked.push_back(info->HintStr);
      EXPECT_EQ(info->HintControl, panel);
      EXPECT_EQ(info->HintWindowClass, ClassInfoOf<THintWindow>());
      info->HintStr += " (mehr)";
      m.Result = keepHidden ? 1 : 0;
      return;
    }
    own(m);
  };
  Application->ActivateHint(panel, Point(40, 50));
  EXPECT_EQ(asked, std::vector<AnsiString>{"Formular"}) << "the first hint up the parent chain, its short part";
  THintWindow* window = Application->HintWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Caption(), "Formular (mehr)") << "the control changed the text";
  EXPECT_TRUE(window->Widget()->isVisible());
  EXPECT_EQ(window->Top(), 70) << "below the cursor";
  const TRect needed = window->CalcHintRect(1000, "Formular (mehr)", nullptr);
  EXPECT_EQ(window->Width(), needed.Width());
  keepHidden = true;
  Application->ActivateHint(panel, Point(40, 50));
  EXPECT_FALSE(window->Widget() != nullptr && window->HandleAllocated() && window->Widget()->isVisible())
      << "a control that says no keeps the hint hidden";
}

TEST_F(HintsAndWindowTextTest, WithoutOnHintTheApplicationsHintTravelsInAHintAction) {
  std::vector<AnsiString> hints;
  const Integer hook = Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg == CM_ACTIONEXECUTE)
      if (auto* action = dynamic_cast<THintAction*>(LParamPtr<TBasicAction>(m.LParam))) hints.push_back(action->Hint());
    return false;
  });
  Application->SetHint("Sendet alle Mails");
  Application->SetHint("Sendet alle Mails");
  int onHint = 0;
  Application->OnHint = [&](TObject*) { ++onHint; };
  Application->SetHint("Anders");
  Application->OnHint = nullptr;
  Application->UnhookMainWindow(hook);
  Application->SetHint("");
  EXPECT_EQ(hints, std::vector<AnsiString>{"Sendet alle Mails"}) << "once per change, and not while OnHint takes it";
  EXPECT_EQ(onHint, 1);
}

TEST_F(HintsAndWindowTextTest, TheWindowKeepsWideTextWhileTheControlKeepsItsAnsiForm) {
  auto* button = new TButton(Form);
  button->SetParent(Form);
  button->SetCaption("S\xE9nden");
  const WideString wide = u"S\u00E9nden \u263A";
  // Text given to the window in wide form reaches the widget procedure wide.
  SendMessageW(button->Handle(), WM_SETTEXT, 0, PtrLParam(wide.c_str()));
  EXPECT_EQ(button->Caption(), "S\xE9nden ?");
  EXPECT_EQ(WindowTextW(button->Handle()), u"S\u00E9nden ?") << "a narrow window holds what its ANSI text gives";
  EXPECT_EQ(static_cast<QPushButton*>(button->Widget())->text(), QString::fromUtf16(u"S\u00E9nden ?"));
  EXPECT_EQ(button->WidgetCaption(), u"S\u00E9nden ?");
  // A character sent by code is typed into an edit in wide form.
  auto* edit = new TEdit(Form);
  edit->SetParent(Form);
  edit->HandleNeeded();
  SendMessageA(edit->Handle(), WM_CHAR, 0xE9, 0);
  EXPECT_EQ(static_cast<QLineEdit*>(edit->Widget())->text(), QString::fromUtf16(u"\u00E9"));
  EXPECT_EQ(edit->GetText(), "\xE9");
  char buffer[8] = {};
  EXPECT_EQ(edit->Perform(WM_GETTEXT, sizeof buffer, PtrLParam(buffer)), 1);
  EXPECT_STREQ(buffer, "\xE9");
}

}  // namespace
}  // namespace orv::test
