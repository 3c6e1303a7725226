// The properties and events every control has: size constraints, the context popup with its
// handled flag, the mouse wheel, hints that follow the parent, the input method, and a window
// description carrying all of them read and written back unchanged.
#include "tests/platform/forms/FormsFixture.h"

#include <QContextMenuEvent>
#include <QWheelEvent>
#include <sstream>
#include "platform/classes/ObjectText.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"

namespace orv::test {
namespace {

class TPropsForm : public TForm {
 public:
  explicit TPropsForm(TComponent* owner) : TForm(owner) {}
  TPanel* Panel1 = nullptr;
  TEdit* Edit1 = nullptr;
  TLabel* Label1 = nullptr;
  TPopupMenu* Menu1 = nullptr;
  std::vector<std::string> Events;
  bool HandlePopup = false;
  bool HandleWheel = false;
  bool HandleNotches = true;

  void ContextPopup(TObject* sender, TPoint at, bool& handled) {
    std::ostringstream s;
    s << "popup " << static_cast<TComponent*>(sender)->Name() << " " << at.X << "," << at.Y;
    Events.push_back(s.str());
    handled = HandlePopup;
  }
  void Wheel(TObject*, TShiftState shift, Integer delta, TPoint at, bool& handled) {
    std::ostringstream s;
    s << "wheel " << delta << " " << at.X << "," << at.Y << (shift.Contains(ssCtrl) ? " ctrl" : "");
    Events.push_back(s.str());
    handled = HandleWheel;
  }
  void WheelDown(TObject*, TShiftState, TPoint, bool& handled) {
    Events.push_back("down");
    handled = HandleNotches;
  }
  void WheelUp(TObject*, TShiftState, TPoint, bool& handled) {
    Events.push_back("up");
    handled = HandleNotches;
  }
  void StartDrag(TObject*, TDragObject*&) {}
  void DragOver(TObject*, TObject*, Integer, Integer, TDragState, bool&) {}
  void DragDrop(TObject*, TObject*, Integer, Integer) {}
  void EndDrag(TObject*, TObject*, Integer, Integer) {}
  void StartDock(TObject*, TDragDockObject*&) {}
};

// Every new property away from its default, amid what the writer always gives, in its order.
const char* const kPropsForm = R"(object PropsForm: TPropsForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  Anchors = [akLeft, akTop]
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'DejaVu Sans'
  Font.Pitch = fpDefault
  Font.Style = []
  ParentColor = False
  ParentFont = False
  ShowHint = True
  ParentShowHint = False
  Visible = False
  TabOrder = -1
  TabStop = False
  PixelsPerInch = 96
  TextHeight = 13
  OldCreateOrder = False
  Scaled = True
  object Menu1: TPopupMenu
  end
  object Panel1: TPanel
    Left = 10
    Top = 10
    Width = 100
    Height = 60
    Anchors = [akLeft, akTop]
    Color = clBtnFace
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'DejaVu Sans'
    Font.Pitch = fpDefault
    Font.Style = []
    ParentColor = False
    ParentFont = True
    PopupMenu = Menu1
    ShowHint = False
    ParentShowHint = False
    Constraints.MaxHeight = 120
    Constraints.MaxWidth = 250
    Constraints.MinHeight = 20
    Constraints.MinWidth = 40
    DragCursor = crHandPoint
    DragKind = dkDock
    DragMode = dmAutomatic
    OnContextPopup = ContextPopup
    OnMouseWheel = Wheel
    OnMouseWheelDown = WheelDown
    OnMouseWheelUp = WheelUp
    OnStartDock = StartDock
    OnEndDock = EndDrag
    TabOrder = 0
    TabStop = False
    DockSite = True
    ImeMode = imDisable
    ImeName = 'Pinyin'
  end
  object Edit1: TEdit
    Left = 10
    Top = 80
    Width = 100
    Height = 21
    Anchors = [akLeft, akTop]
    Color = clWindow
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'DejaVu Sans'
    Font.Pitch = fpDefault
    Font.Style = []
    ParentColor = False
    ParentFont = True
    DragCursor = crMultiDrag
    OnStartDrag = StartDrag
    OnDragOver = DragOver
    OnDragDrop = DragDrop
    OnEndDrag = EndDrag
    TabOrder = 1
    TabStop = True
    ImeMode = imOpen
  end
  object Label1: TLabel
    Left = 150
    Top = 10
    Width = 40
    Height = 13
    Anchors = [akLeft, akTop]
    Caption = 'Label1'
    Color = clBtnFace
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'DejaVu Sans'
    Font.Pitch = fpDefault
    Font.Style = []
    ParentColor = True
    ParentFont = True
    DragMode = dmAutomatic
    OnContextPopup = ContextPopup
    AutoSize = False
  end
end
)";

class InheritedPropertiesTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TPropsForm, TForm>("TPropsForm")
        .Field("Panel1", &TPropsForm::Panel1)
        .Field("Edit1", &TPropsForm::Edit1)
        .Field("Label1", &TPropsForm::Label1)
        .Field("Menu1", &TPropsForm::Menu1)
        .Method("ContextPopup", &TPropsForm::ContextPopup)
        .Method("Wheel", &TPropsForm::Wheel)
        .Method("WheelDown", &TPropsForm::WheelDown)
        .Method("WheelUp", &TPropsForm::WheelUp)
        .Method("StartDrag", &TPropsForm::StartDrag)
        .Method("DragOver", &TPropsForm::DragOver)
        .Method("DragDrop", &TPropsForm::DragDrop)
        .Method("EndDrag", &TPropsForm::EndDrag)
        .Method("StartDock", &TPropsForm::StartDock);
  }
  TPropsForm* Make() { return MakeForm<TPropsForm>("TPropsForm", kPropsForm); }

  static void Wheel(QWidget* w, QPoint at, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
  }
};

TEST_F(InheritedPropertiesTest, ADescriptionWithEveryNewPropertyIsWrittenBackUnchanged) {
  auto* form = Make();
  TPanel* panel = form->Panel1;
  EXPECT_EQ(panel->Constraints().MinWidth(), 40);
  EXPECT_EQ(panel->Constraints().MaxHeight(), 120);
  EXPECT_EQ(panel->DragCursor(), crHandPoint);
  EXPECT_EQ(panel->DragKind(), dkDock);
  EXPECT_EQ(panel->DragMode(), dmAutomatic);
  EXPECT_TRUE(panel->DockSite());
  EXPECT_EQ(panel->ImeMode(), imDisable);
  EXPECT_EQ(panel->ImeName(), "Pinyin");
  EXPECT_FALSE(panel->ParentShowHint());
  EXPECT_FALSE(panel->ShowHint());
  EXPECT_TRUE(static_cast<bool>(panel->OnMouseWheel));
  EXPECT_TRUE(form->Edit1->ParentShowHint());
  EXPECT_TRUE(form->Edit1->ShowHint()) << "a control without its own choice follows the form";
  EXPECT_EQ(form->Edit1->DragCursor(), crMultiDrag);
  EXPECT_EQ(form->Label1->DragCursor(), crDrag);
  EXPECT_EQ(WriteComponentToText(form), kPropsForm);
}

TEST_F(InheritedPropertiesTest, ConstraintsKeepTheSizeWithinTheirLimits) {
  struct TCase {
    const char* Name;
    Integer MinW, MinH, MaxW, MaxH;
    Integer SetW, SetH;
    Integer W, H;
  };
  const TCase cases[] = {
    {"no limits", 0, 0, 0, 0, 5, 900, 5, 900},
    {"below the minimum", 40, 20, 0, 0, 10, 5, 40, 20},
    {"above the maximum", 0, 0, 250, 120, 400, 300, 250, 120},
    {"within", 40, 20, 250, 120, 100, 60, 100, 60},
    {"width limited only", 50, 0, 60, 0, 100, 3, 60, 3},
  };
  auto* form = Make();
  TPanel* panel = form->Panel1;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSizeConstraints limits;
    limits.SetMinWidth(c.MinW);
    limits.SetMinHeight(c.MinH);
    limits.SetMaxWidth(c.MaxW);
    limits.SetMaxHeight(c.MaxH);
    panel->SetConstraintsObject(&limits);
    panel->SetBounds(1, 2, c.SetW, c.SetH);
    EXPECT_EQ(panel->BoundsRect(), Bounds(1, 2, c.W, c.H));
  }

  // New limits take the present size along; a minimum above the maximum raises the maximum.
  TSizeConstraints none;
  panel->SetConstraintsObject(&none);
  panel->SetBounds(0, 0, 100, 60);
  panel->Constraints().SetMaxWidth(80);
  EXPECT_EQ(panel->Width(), 80);
  panel->Constraints().SetMinWidth(90);
  EXPECT_EQ(panel->Constraints().MaxWidth(), 90);
  EXPECT_EQ(panel->Width(), 90);
  panel->Constraints().SetMaxHeight(-5);
  EXPECT_EQ(panel->Constraints().MaxHeight(), 0) << "a negative limit is none";

  // The widget keeps them too: a window the user resizes stays within them.
  form->Constraints().SetMaxWidth(350);
  form->Constraints().SetMaxHeight(260);
  form->Show();
  form->Widget()->resize(900, 900);
  Application->ProcessMessages();
  EXPECT_LE(form->Widget()->width(), 350);
  EXPECT_EQ(form->Width(), form->Widget()->width());
  EXPECT_EQ(form->Height(), form->Widget()->height());
  EXPECT_EQ(panel->Widget()->minimumWidth(), 90);

  // Without limits a window keeps the sizes of its own: a dialog stays of fixed size.
  auto* dialog = Make();
  dialog->SetBorderStyle(bsDialog);
  dialog->Show();
  EXPECT_EQ(dialog->Widget()->minimumSize(), dialog->Widget()->maximumSize());
  EXPECT_EQ(dialog->Widget()->minimumSize(), QSize(300, 200));
}

TEST_F(InheritedPropertiesTest, TheContextPopupHandlerMayKeepTheMenuFromShowing) {
  auto* form = Make();
  form->Show();
  int shown = 0;
  SetPopupPresenter([&](TPopupMenu&, Integer, Integer) {
    ++shown;
    return static_cast<TMenuItem*>(nullptr);
  });
  struct TCase {
    const char* Name;
    bool Handled;
    int Shown;
  };
  for (const TCase c : {TCase{"not handled", false, 1}, TCase{"handled", true, 0}}) {
    SCOPED_TRACE(c.Name);
    form->Events.clear();
    form->HandlePopup = c.Handled;
    shown = 0;
    Mouse(form->Panel1->Widget(), QEvent::MouseButtonPress, QPoint(7, 9), Qt::RightButton);
    Mouse(form->Panel1->Widget(), QEvent::MouseButtonRelease, QPoint(7, 9), Qt::RightButton);
    EXPECT_EQ(form->Events, std::vector<std::string>{"popup Panel1 7,9"}) << "the position is in the client area";
    EXPECT_EQ(shown, c.Shown);
  }
  // From the keyboard there is no position; the menu opens at the middle of the control.
  form->Events.clear();
  form->HandlePopup = false;
  TPoint shownAt;
  SetPopupPresenter([&](TPopupMenu&, Integer x, Integer y) {
    shownAt = Point(x, y);
    return static_cast<TMenuItem*>(nullptr);
  });
  QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
  QApplication::sendEvent(form->Panel1->Widget(), &keyboard);
  EXPECT_EQ(form->Events, std::vector<std::string>{"popup Panel1 -1,-1"});
  EXPECT_EQ(shownAt, form->Panel1->ClientToScreen(Point(50, 30)));
  // The mouse's own context menu event adds nothing to the right button's release.
  form->Events.clear();
  QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(7, 9), QPoint(7, 9));
  QApplication::sendEvent(form->Panel1->Widget(), &mouse);
  EXPECT_TRUE(form->Events.empty());
  // A graphic control hears it through its parent, in its own coordinates.
  form->Events.clear();
  Mouse(form->Widget(), QEvent::MouseButtonPress, QPoint(153, 14), Qt::RightButton);
  Mouse(form->Widget(), QEvent::MouseButtonRelease, QPoint(153, 14), Qt::RightButton);
  EXPECT_EQ(form->Events, std::vector<std::string>{"popup Label1 3,4"});
  // A disabled control has no context popup.
  form->Events.clear();
  form->Panel1->SetEnabled(false);
  Mouse(form->Panel1->Widget(), QEvent::MouseButtonPress, QPoint(7, 9), Qt::RightButton);
  Mouse(form->Panel1->Widget(), QEvent::MouseButtonRelease, QPoint(7, 9), Qt::RightButton);
  EXPECT_TRUE(form->Events.empty());
  SetPopupPresenter(nullptr);
}

TEST_F(InheritedPropertiesTest, TheWheelReachesTheHandlersNotchByNotch) {
  struct TCase {
    const char* Name;
    bool HandleWheel;
    std::vector<int> Turns;
    std::vector<std::string> Notches;  // the events after each "wheel"
  };
  const TCase cases[] = {
    {"OnMouseWheel takes it", true, {-120}, {}},
    {"a notch down", false, {-120}, {"down"}},
    {"two notches up at once", false, {240}, {"up", "up"}},
    {"half notches add up", false, {60, 60, -30}, {"up"}},
  };
  auto* form = Make();
  form->Show();
  QWidget* w = form->Panel1->Widget();
  const QPoint g = w->mapToGlobal(QPoint(12, 8));
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    form->Events.clear();
    form->HandleWheel = c.HandleWheel;
    std::vector<std::string> expected;
    for (int turn : c.Turns) {
      Wheel(w, QPoint(12, 8), turn, Qt::ControlModifier);
      expected.push_back("wheel " + std::to_string(turn) + " " + std::to_string(g.x()) + "," + std::to_string(g.y()) + " ctrl");
    }
    std::vector<std::string> wheels, notches;
    for (const auto& e : form->Events) (e.rfind("wheel", 0) == 0 ? wheels : notches).push_back(e);
    EXPECT_EQ(wheels, expected) << "the mouse position is on the screen";
    EXPECT_EQ(notches, c.Notches);
  }
}

TEST_F(InheritedPropertiesTest, HintsFollowTheParentUntilTheControlChoosesItsOwn) {
  auto* form = Make();
  TEdit* edit = form->Edit1;
  ASSERT_TRUE(edit->ShowHint());
  form->SetShowHint(false);
  EXPECT_FALSE(edit->ShowHint()) << "a change of the parent reaches the children that follow it";
  EXPECT_FALSE(form->Panel1->ShowHint());
  form->SetShowHint(true);
  EXPECT_TRUE(edit->ShowHint());
  EXPECT_FALSE(form->Panel1->ShowHint()) << "a control with its own choice keeps it";
  edit->SetShowHint(false);
  EXPECT_FALSE(edit->ParentShowHint());
  form->SetShowHint(false);
  form->SetShowHint(true);
  EXPECT_FALSE(edit->ShowHint());
  edit->SetParentShowHint(true);
  EXPECT_TRUE(edit->ShowHint());
  // A control put into another parent takes that one's choice.
  auto* label = new TLabel(form);
  EXPECT_FALSE(label->ShowHint());
  label->SetParent(form);
  EXPECT_TRUE(label->ShowHint());
}

TEST_F(InheritedPropertiesTest, TheInputMethodIsOnOrOffForTheWidget) {
  auto* form = Make();
  form->Show();
  TEdit* edit = form->Edit1;
  TPanel* panel = form->Panel1;
  const bool editOwn = true;  // a line edit takes an input method of its own accord
  EXPECT_TRUE(edit->Widget()->testAttribute(Qt::WA_InputMethodEnabled));
  EXPECT_FALSE(panel->Widget()->testAttribute(Qt::WA_InputMethodEnabled)) << "imDisable from the description";
  struct TCase {
    TImeMode Mode;
    bool Edit, Panel;
  };
  const TCase cases[] = {
    {imDisable, false, false}, {imClose, false, false}, {imOpen, true, true},
    {imDontCare, editOwn, false}, {imHira, true, true}, {imSAlpha, true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Mode));
    edit->SetImeMode(c.Mode);
    panel->SetImeMode(c.Mode);
    EXPECT_EQ(edit->Widget()->testAttribute(Qt::WA_InputMethodEnabled), c.Edit);
    EXPECT_EQ(panel->Widget()->testAttribute(Qt::WA_InputMethodEnabled), c.Panel);
  }
  // A window made again keeps the mode.
  panel->SetImeMode(imOpen);
  panel->RecreateWnd();
  EXPECT_TRUE(panel->Widget()->testAttribute(Qt::WA_InputMethodEnabled));
}

}  // namespace
}  // namespace orv::test
