// Qt input reaches controls as messages through WindowProc, and the click rule holds: a left
// press and a left release inside the control, for windowed and window-less controls alike.
#include "tests/platform/forms/FormsFixture.h"
#include "tests/platform/forms/WindowInput.h"

#include "platform/classes/TypeInfo.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/StdCtrls.h"

namespace orv::test {
namespace {

class TRouteForm : public TForm {
 public:
  explicit TRouteForm(TComponent* owner) : TForm(owner) {}
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;
  TLabel* Label1 = nullptr;
  std::vector<std::string> Events;
  void Panel1Click(TObject*) { Events.push_back("panel click"); }
  void Button1Click(TObject*) { Events.push_back("button click"); }
  void Label1Click(TObject*) { Events.push_back("label click"); }
  void Panel1MouseDown(TObject*, TMouseButton b, TShiftState, Integer x, Integer y) {
    Events.push_back("panel down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
  }
};

const char* const kRouteForm = R"(object RouteForm: TRouteForm
  Width = 300
  Height = 200
  Caption = 'Route'
  object Panel1: TPanel
    Left = 10
    Top = 10
    Width = 200
    Height = 100
    Caption = ''
    OnClick = Panel1Click
    OnMouseDown = Panel1MouseDown
    object Label1: TLabel
      Left = 120
      Top = 60
      AutoSize = False
      Width = 50
      Height = 20
      Caption = 'label'
      OnClick = Label1Click
    end
  end
  object Button1: TButton
    Left = 10
    Top = 150
    Width = 80
    Height = 25
    Caption = 'Press'
    OnClick = Button1Click
  end
end
)";

class MessageRouteTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TRouteForm, TForm>("TRouteForm")
        .Field("Panel1", &TRouteForm::Panel1)
        .Field("Button1", &TRouteForm::Button1)
        .Field("Label1", &TRouteForm::Label1)
        .Method("Panel1Click", &TRouteForm::Panel1Click)
        .Method("Button1Click", &TRouteForm::Button1Click)
        .Method("Label1Click", &TRouteForm::Label1Click)
        .Method("Panel1MouseDown", &TRouteForm::Panel1MouseDown);
    Form = MakeForm<TRouteForm>("TRouteForm", kRouteForm);
    Form->Show();
  }
  TRouteForm* Form = nullptr;
};

TEST_F(MessageRouteTest, MousePressAndReleaseBecomeMessagesThroughWindowProc) {
  std::vector<UINT> seen;
  TWndMethodProc inner = Form->Panel1->WindowProc;
  Form->Panel1->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONUP) seen.push_back(m.Msg);
    inner(m);
  };
  Click(Form->Panel1->Widget(), QPoint(5, 7));
  Form->Panel1->WindowProc = inner;
  EXPECT_EQ(seen, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"panel down 0 5,7", "panel click"}));
}

TEST_F(MessageRouteTest, ClickFiresOnlyForAReleaseInsideTheControl) {
  struct TCase {
    const char* Name;
    QPoint Release;  // in the panel's coordinates
    Qt::MouseButton Button;
    bool Clicks;
  };
  const TCase cases[] = {
    {"release inside", QPoint(50, 50), Qt::LeftButton, true},
    {"release right of it", QPoint(250, 50), Qt::LeftButton, false},
    {"release above it", QPoint(50, -5), Qt::LeftButton, false},
    {"right button", QPoint(50, 50), Qt::RightButton, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Form->Events.clear();
    QWidget* w = Form->Panel1->Widget();
    Mouse(w, QEvent::MouseButtonPress, QPoint(50, 50), c.Button);
    Mouse(w, QEvent::MouseButtonRelease, c.Release, c.Button);
    const bool clicked = std::find(Form->Events.begin(), Form->Events.end(), "panel click") != Form->Events.end();
    EXPECT_EQ(clicked, c.Clicks);
  }
}

TEST_F(MessageRouteTest, ButtonClicksThroughItsWidgetOnlyWhenReleasedInside) {
  QWidget* w = Form->Button1->Widget();
  Click(w, QPoint(10, 10));
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"button click"}));
  Form->Events.clear();
  Mouse(w, QEvent::MouseButtonPress, QPoint(10, 10));
  Mouse(w, QEvent::MouseButtonRelease, QPoint(200, 10));
  EXPECT_TRUE(Form->Events.empty()) << "a release outside the button does not click it";
}

TEST_F(MessageRouteTest, WindowlessControlGetsTheMouseThroughItsParent) {
  // The label sits at (120, 60) in the panel; a click there is the label's, not the panel's.
  Click(Form->Panel1->Widget(), QPoint(130, 65));
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"label click"}));
}

// Entering and leaving follow the mouse over the window-less controls, also while one of them
// holds the mouse after a press: that one keeps getting the moves and the release.
TEST_F(MessageRouteTest, WindowlessControlsAreEnteredAndLeftWhereTheMouseIsWhileOneHoldsIt) {
  auto* other = new TLabel(Form);
  other->SetAutoSize(false);
  other->SetParent(Form->Panel1);
  other->SetBounds(20, 60, 50, 20);
  std::vector<std::string> seen;
  std::vector<std::pair<TControl*, TWndMethodProc>> hooked;
  for (auto [control, name] : {std::pair<TControl*, std::string>{Form->Label1, "label"}, {other, "other"}}) {
    TWndMethodProc inner = control->WindowProc;
    hooked.emplace_back(control, inner);
    control->WindowProc = [&seen, inner, name](TMessage& m) {
      if (m.Msg == CM_MOUSEENTER) seen.push_back(name + " enter");
      if (m.Msg == CM_MOUSELEAVE) seen.push_back(name + " leave");
      if (m.Msg == WM_LBUTTONUP) seen.push_back(name + " up");
      if (m.Msg == WM_MOUSEMOVE)
        seen.push_back(name + " move " + std::to_string(GET_X_LPARAM(m.LParam)) + "," +
                       std::to_string(GET_Y_LPARAM(m.LParam)));
      inner(m);
    };
  }
  QWidget* top = Form->Widget();
  QWidget* panel = Form->Panel1->Widget();
  const QPoint onLabel = testinput::At(panel, QPoint(130, 65));
  const QPoint onOther = testinput::At(panel, QPoint(30, 65));
  const QPoint onPanel = testinput::At(panel, QPoint(100, 20));
  testinput::Move(top, onPanel);
  testinput::Move(top, onLabel);
  testinput::Press(top, onLabel);
  seen.clear();
  testinput::Move(top, onOther);
  EXPECT_EQ(seen, (std::vector<std::string>{"label leave", "other enter", "label move -90,5"}))
      << "the held label gets the move; the one under the mouse is entered";
  seen.clear();
  testinput::Move(top, onPanel);
  testinput::Release(top, onPanel);
  EXPECT_EQ(seen, (std::vector<std::string>{"other leave", "label move -20,-40", "label up"}));
  seen.clear();
  testinput::Move(top, onLabel);
  EXPECT_EQ(seen, (std::vector<std::string>{"label enter", "label move 10,5"}))
      << "one move straight back after the release enters";
  seen.clear();
  testinput::Press(top, onLabel);
  testinput::Move(top, onPanel);
  testinput::Move(top, onLabel);
  testinput::Release(top, onLabel);
  EXPECT_EQ(seen, (std::vector<std::string>{"label leave", "label move -20,-40", "label enter", "label move 10,5",
                                            "label up"}));
  for (auto& [control, inner] : hooked) control->WindowProc = inner;
}

TEST_F(MessageRouteTest, MessageHandlerOfTheFormTakesPostedUserMessages) {
  std::vector<WPARAM> values;
  Form->SetMessageHandler(WM_USER, [&](TMessage& m) { values.push_back(m.WParam); });
  PostMessageA(Form->Handle(), WM_USER, 30, 0);
  EXPECT_TRUE(values.empty()) << "a posted message waits for the loop";
  Application->ProcessMessages();
  EXPECT_EQ(values, (std::vector<WPARAM>{30}));
  EXPECT_EQ(Form->Perform(WM_USER, 80), 0);
  EXPECT_EQ(values, (std::vector<WPARAM>{30, 80}));
}

TEST_F(MessageRouteTest, RecreatedWindowsKeepStateAndTheRouteStillWorks) {
  const HWND before = Form->Panel1->Handle();
  const std::size_t windows = WindowCount();
  Form->Panel1->SetCaption("kept");
  Form->RecreateWnd();
  EXPECT_NE(Form->Panel1->Handle(), before) << "the child got a new window with its parent";
  EXPECT_FALSE(IsWindow(before));
  EXPECT_EQ(WindowCount(), windows) << "no window is left behind";
  EXPECT_EQ(Form->Panel1->Caption(), "kept");
  EXPECT_EQ(WindowTextA(Form->Panel1->Handle()), "kept") << "the new window carries the text";
  EXPECT_EQ(Form->Panel1->Widget()->parentWidget(), Form->Widget());
  EXPECT_EQ(Form->Panel1->Widget()->geometry(), QRect(10, 10, 200, 100));
  Form->Show();
  Click(Form->Button1->Widget(), QPoint(5, 5));
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"button click"}));
}

}  // namespace
}  // namespace orv::test
