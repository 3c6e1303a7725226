// Dragging between the controls of a window and docking, driven by the mouse through Qt events:
// the drag, dock and end events with their sources, targets and positions, the drag cursor, a
// control floated into a window of its own and docked back into a dock site.
#include "tests/platform/forms/FormsFixture.h"

#include <QGuiApplication>
#include <sstream>
#include "platform/forms/DockForm.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/StdCtrls.h"

namespace orv::test {
namespace {

class TDragForm : public TForm {
 public:
  explicit TDragForm(TComponent* owner) : TForm(owner) {}
  TPanel* Source = nullptr;
  TLabel* Marker = nullptr;
  TPanel* Target = nullptr;
  TPanel* Refuser = nullptr;
  std::vector<std::string> Events;
  // Set by a test: the object OnStartDrag hands out (nullptr: the program's own).
  TDragObject* OwnObject = nullptr;

  std::string NameOf(TObject* o) const {
    if (o == nullptr) return "nil";
    if (o == OwnObject) return "own-object";
    auto* c = dynamic_cast<TComponent*>(o);
    return c != nullptr ? std::string(c->Name()) : "?";
  }
  void Log(const std::string& s) { Events.push_back(s); }

  void SourceClick(TObject* sender) { Log("click " + NameOf(sender)); }
  void SourceStartDrag(TObject* sender, TDragObject*& object) {
    Log("start " + NameOf(sender));
    object = OwnObject;
  }
  void SourceEndDrag(TObject* sender, TObject* target, Integer x, Integer y) {
    std::ostringstream s;
    s << "end " << NameOf(sender) << " " << NameOf(target) << " " << x << "," << y;
    Log(s.str());
  }
  void TargetDragOver(TObject* sender, TObject* source, Integer x, Integer y, TDragState state, bool& accept) {
    static const char* const states[] = {"enter", "leave", "move"};
    // The left strip of the target takes nothing.
    accept = x >= 20;
    std::ostringstream s;
    s << "over " << NameOf(sender) << " " << NameOf(source) << " " << x << "," << y << " " << states[state]
      << (accept ? " yes" : " no");
    Log(s.str());
  }
  void TargetDragDrop(TObject* sender, TObject* source, Integer x, Integer y) {
    std::ostringstream s;
    s << "drop " << NameOf(sender) << " " << NameOf(source) << " " << x << "," << y;
    Log(s.str());
  }
};

const char* const kDragForm = R"(object DragForm: TDragForm
  Left = 100
  Top = 80
  Width = 400
  Height = 300
  Caption = 'Drag'
  object Source: TPanel
    Left = 10
    Top = 10
    Width = 100
    Height = 50
    DragMode = dmAutomatic
    OnClick = SourceClick
    OnEndDrag = SourceEndDrag
    OnStartDrag = SourceStartDrag
  end
  object Marker: TLabel
    Left = 10
    Top = 100
    Width = 60
    Height = 20
    AutoSize = False
    Caption = 'Marker'
    DragMode = dmAutomatic
    OnEndDrag = SourceEndDrag
    OnStartDrag = SourceStartDrag
  end
  object Target: TPanel
    Left = 200
    Top = 10
    Width = 150
    Height = 100
    OnDragOver = TargetDragOver
    OnDragDrop = TargetDragDrop
  end
  object Refuser: TPanel
    Left = 200
    Top = 150
    Width = 100
    Height = 50
  end
end
)";

void RegisterDragForm() {
  RegisterClassType<TDragForm, TForm>("TDragForm")
      .Field("Source", &TDragForm::Source)
      .Field("Marker", &TDragForm::Marker)
      .Field("Target", &TDragForm::Target)
      .Field("Refuser", &TDragForm::Refuser)
      .Method("SourceClick", &TDragForm::SourceClick)
      .Method("SourceStartDrag", &TDragForm::SourceStartDrag)
      .Method("SourceEndDrag", &TDragForm::SourceEndDrag)
      .Method("TargetDragOver", &TDragForm::TargetDragOver)
      .Method("TargetDragDrop", &TDragForm::TargetDragDrop);
}

class DragAndDockTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterDragForm();
  }
  void TearDown() override {
    CancelDrag();
    FormsTest::TearDown();
  }

  // The windowed control whose widget hears the mouse over control: itself, or the parent of a
  // graphic control.
  static TWinControl* Hearer(TControl* control) {
    if (auto* w = dynamic_cast<TWinControl*>(control)) return w;
    return control->Parent();
  }
  // A mouse event for the widget that holds the mouse while control is pressed, at a screen point.
  static void MouseOn(TControl* control, QEvent::Type type, TPoint screen, Qt::MouseButton button = Qt::LeftButton) {
    TWinControl* hearer = Hearer(control);
    const TPoint local = hearer->ScreenToClient(screen);
    Mouse(hearer->Widget(), type, QPoint(local.X, local.Y), button);
  }
  static TPoint At(TControl* control, Integer x, Integer y) { return control->ClientToScreen(Point(x, y)); }
  static Qt::CursorShape Shown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c != nullptr ? c->shape() : Qt::ArrowCursor;
  }
};

TEST_F(DragAndDockTest, ADragReachesTheTargetWithItsSourceAndPositionsAndShowsTheCursor) {
  auto* form = MakeForm<TDragForm>("TDragForm", kDragForm);
  form->Show();
  TPanel* source = form->Source;

  MouseOn(source, QEvent::MouseButtonPress, At(source, 5, 5));
  MouseOn(source, QEvent::MouseMove, At(source, 7, 6));
  EXPECT_FALSE(DragActive()) << "the drag waits for the mouse to move the threshold";
  EXPECT_TRUE(form->Events.empty());

  MouseOn(source, QEvent::MouseMove, At(form->Target, 30, 15));
  EXPECT_TRUE(DragActive());
  EXPECT_EQ(Screen->Cursor(), crDrag) << "a welcome drop shows the control's drag cursor";
  EXPECT_EQ(Shown(), Qt::DragMoveCursor);
  MouseOn(source, QEvent::MouseMove, At(form->Target, 5, 40));
  EXPECT_EQ(Screen->Cursor(), crNoDrop) << "the target refuses its left strip";
  EXPECT_EQ(Shown(), Qt::ForbiddenCursor);
  MouseOn(source, QEvent::MouseMove, At(form->Refuser, 10, 10));
  EXPECT_EQ(Screen->Cursor(), crNoDrop) << "a control without OnDragOver takes nothing";
  MouseOn(source, QEvent::MouseMove, At(form->Target, 40, 20));
  MouseOn(source, QEvent::MouseButtonRelease, At(form->Target, 41, 22));

  EXPECT_FALSE(DragActive());
  EXPECT_EQ(Screen->Cursor(), crDefault) << "the cursor is the program's again";
  EXPECT_EQ(form->Events, (std::vector<std::string>{
      "start Source",
      "over Target Source 30,15 enter yes",
      "over Target Source 5,40 move no",
      "over Target Source 10,150 leave no",
      "over Target Source 40,20 enter yes",
      "over Target Source 41,22 move yes",
      "drop Target Source 41,22",
      "end Source Target 41,22"}))
      << "the release is no click of the source";
}

TEST_F(DragAndDockTest, EveryWayADragEndsTellsTheSourceWhereItWent) {
  struct TCase {
    const char* Name;
    bool FromLabel;      // the graphic control as the source
    bool OwnObject;      // OnStartDrag hands out an object of its own
    TPoint Over;         // the last move, in the target's client area (or the refuser's, when negative x)
    Qt::MouseButton Ender;  // no button: the Escape key
    std::vector<std::string> Events;
  };
  const TCase cases[] = {
    {"a graphic control dropped on the target", true, false, Point(50, 60), Qt::LeftButton,
     {"start Marker", "over Target Marker 50,60 enter yes", "over Target Marker 50,60 move yes",
      "drop Target Marker 50,60", "end Marker Target 50,60"}},
    {"a drag object of the handler's own is the source", false, true, Point(25, 5), Qt::LeftButton,
     {"start Source", "over Target own-object 25,5 enter yes", "over Target own-object 25,5 move yes",
      "drop Target own-object 25,5", "end Source Target 25,5"}},
    {"a drop the target refuses", false, false, Point(3, 3), Qt::LeftButton,
     {"start Source", "over Target Source 3,3 enter no", "over Target Source 3,3 move no",
      "over Target Source 3,3 leave no", "end Source nil 0,0"}},
    {"a drop where nobody takes it", false, false, Point(-1, 0), Qt::LeftButton,
     {"start Source", "end Source nil 0,0"}},
    {"the right button gives the drag up", false, false, Point(60, 30), Qt::RightButton,
     {"start Source", "over Target Source 60,30 enter yes", "over Target Source 60,30 leave yes",
      "end Source nil 0,0"}},
    {"Escape gives the drag up", false, false, Point(60, 30), Qt::NoButton,
     {"start Source", "over Target Source 60,30 enter yes", "over Target Source 60,30 leave yes",
      "end Source nil 0,0"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* form = MakeForm<TDragForm>("TDragForm", kDragForm);
    TDragControlObject own(form->Source);
    if (c.OwnObject) form->OwnObject = &own;
    form->Show();
    TControl* source = c.FromLabel ? static_cast<TControl*>(form->Marker) : form->Source;
    const TPoint over = c.Over.X < 0 ? At(form->Refuser, 10, 10) : At(form->Target, c.Over.X, c.Over.Y);
    MouseOn(source, QEvent::MouseButtonPress, At(source, 4, 4));
    MouseOn(source, QEvent::MouseMove, over);
    if (c.Ender == Qt::RightButton) MouseOn(source, QEvent::MouseButtonPress, over, Qt::RightButton);
    else if (c.Ender == Qt::NoButton) Key(form->Target->Widget(), Qt::Key_Escape);
    else MouseOn(source, QEvent::MouseButtonRelease, over);
    EXPECT_FALSE(DragActive());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(form->Events, c.Events);
    if (c.OwnObject) {
      EXPECT_EQ(own.DragPos(), over);
      EXPECT_TRUE(own.Dropped());
    }
    FForms.pop_back();
    form->Free();
  }
}

TEST_F(DragAndDockTest, APressAndReleaseWithoutMovingIsAClickAndNoDrag) {
  auto* form = MakeForm<TDragForm>("TDragForm", kDragForm);
  form->Show();
  MouseOn(form->Source, QEvent::MouseButtonPress, At(form->Source, 5, 5));
  MouseOn(form->Source, QEvent::MouseMove, At(form->Source, 8, 8));
  MouseOn(form->Source, QEvent::MouseButtonRelease, At(form->Source, 8, 8));
  EXPECT_EQ(form->Events, (std::vector<std::string>{"click Source"}));
  EXPECT_FALSE(form->Source->Dragging());

  // A manual drag starts from code, at once.
  form->Source->SetDragMode(dmManual);
  MouseOn(form->Source, QEvent::MouseButtonPress, At(form->Source, 5, 5));
  form->Source->BeginDrag(true);
  EXPECT_TRUE(form->Source->Dragging());
  EXPECT_TRUE(DragActive());
  MouseOn(form->Source, QEvent::MouseMove, At(form->Target, 90, 90));
  MouseOn(form->Source, QEvent::MouseButtonRelease, At(form->Target, 90, 90));
  EXPECT_EQ(form->Events.back(), "end Source Target 90,90");
}

TEST_F(DragAndDockTest, AControlGoingAwayDuringTheDragEndsItQuietly) {
  auto* form = MakeForm<TDragForm>("TDragForm", kDragForm);
  form->Show();
  MouseOn(form->Source, QEvent::MouseButtonPress, At(form->Source, 5, 5));
  MouseOn(form->Source, QEvent::MouseMove, At(form->Target, 50, 50));
  ASSERT_TRUE(DragActive());
  delete form->Target;
  form->Target = nullptr;
  EXPECT_EQ(form->Source->Parent(), form);
  MouseOn(form->Source, QEvent::MouseButtonRelease, At(form, 250, 50));
  EXPECT_EQ(form->Events.back(), "end Source nil 0,0");
  MouseOn(form->Source, QEvent::MouseButtonPress, At(form->Source, 5, 5));
  MouseOn(form->Source, QEvent::MouseMove, At(form, 300, 250));
  ASSERT_TRUE(DragActive());
  delete form->Source;
  form->Source = nullptr;
  EXPECT_FALSE(DragActive());
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

// ----- docking -----

class TDockTestForm : public TForm {
 public:
  explicit TDockTestForm(TComponent* owner) : TForm(owner) {}
  TPanel* Site = nullptr;
  TPanel* Tool = nullptr;
  std::vector<std::string> Events;
  void ToolStartDock(TObject* sender, TDragDockObject*& /*object*/) {
    Events.push_back("start " + std::string(static_cast<TComponent*>(sender)->Name()));
  }
  void ToolEndDock(TObject* sender, TObject* target, Integer x, Integer y) {
    std::ostringstream s;
    s << "end " << static_cast<TComponent*>(sender)->Name() << " "
      << (target != nullptr ? std::string(static_cast<TComponent*>(target)->Name()) : "nil") << " " << x << "," << y;
    Events.push_back(s.str());
  }
};

const char* const kDockForm = R"(object DockTestForm: TDockTestForm
  Left = 100
  Top = 80
  Width = 400
  Height = 300
  object Site: TPanel
    Left = 0
    Top = 0
    Width = 200
    Height = 300
    DockSite = True
  end
  object Tool: TPanel
    Left = 250
    Top = 20
    Width = 80
    Height = 40
    Caption = 'Tool'
    DragKind = dkDock
    DragMode = dmAutomatic
    OnStartDock = ToolStartDock
    OnEndDock = ToolEndDock
  end
end
)";

void RegisterDockForm() {
  RegisterClassType<TDockTestForm, TForm>("TDockTestForm")
      .Field("Site", &TDockTestForm::Site)
      .Field("Tool", &TDockTestForm::Tool)
      .Method("ToolStartDock", &TDockTestForm::ToolStartDock)
      .Method("ToolEndDock", &TDockTestForm::ToolEndDock);
}

TEST_F(DragAndDockTest, AControlFloatsInAWindowOfItsOwnAndDocksBackIntoTheSite) {
  RegisterDockForm();
  auto* form = MakeForm<TDockTestForm>("TDockTestForm", kDockForm);
  form->Show();
  TPanel* tool = form->Tool;
  const Integer forms = Screen->FormCount();

  // Out of the window's client area and into no dock site: the control floats where it was let go.
  const TPoint away = At(form, 300, 200);
  MouseOn(tool, QEvent::MouseButtonPress, At(tool, 6, 4));
  MouseOn(tool, QEvent::MouseMove, away);
  EXPECT_EQ(Screen->Cursor(), crDrag);
  MouseOn(tool, QEvent::MouseButtonRelease, away);
  EXPECT_EQ(tool->Parent(), form) << "the control moves once the mouse message is done with";
  Application->ProcessMessages();
  ASSERT_TRUE(tool->Floating());
  auto* floating = dynamic_cast<TCustomDockForm*>(tool->Parent());
  ASSERT_NE(floating, nullptr);
  EXPECT_EQ(tool->HostDockSite(), floating);
  EXPECT_EQ(floating->DockedControl(), tool);
  EXPECT_TRUE(floating->Visible());
  EXPECT_EQ(Screen->FormCount(), forms + 1);
  EXPECT_EQ(floating->Caption(), "Tool");
  EXPECT_EQ(Point(floating->Left(), floating->Top()), Point(away.X - 6, away.Y - 4))
      << "the point taken stays under the mouse";
  EXPECT_EQ(Point(tool->Width(), tool->Height()), Point(80, 40));
  EXPECT_EQ(Point(tool->Left(), tool->Top()), Point(0, 0));
  ASSERT_TRUE(tool->HandleAllocated());
  EXPECT_EQ(tool->Widget()->window(), floating->Widget()) << "the control's widget lives in the floating window";
  EXPECT_EQ(form->Events, (std::vector<std::string>{
      "start Tool", "end Tool nil " + std::to_string(away.X - 6) + "," + std::to_string(away.Y - 4)}));

  // Taken from its window into the dock site.
  form->Events.clear();
  const TPoint into = At(form->Site, 40, 70);
  MouseOn(tool, QEvent::MouseButtonPress, At(tool, 10, 10));
  MouseOn(tool, QEvent::MouseMove, into);
  MouseOn(tool, QEvent::MouseButtonRelease, into);
  Application->ProcessMessages();
  EXPECT_EQ(tool->Parent(), form->Site);
  EXPECT_EQ(tool->HostDockSite(), form->Site);
  EXPECT_FALSE(tool->Floating());
  EXPECT_EQ(Point(tool->Left(), tool->Top()), Point(30, 60));
  EXPECT_EQ(tool->Widget()->window(), form->Widget());
  EXPECT_TRUE(tool->Widget()->isVisible());
  EXPECT_EQ(Screen->FormCount(), forms) << "the floating window is freed";
  EXPECT_EQ(form->Events, (std::vector<std::string>{"start Tool", "end Tool Site 30,60"}));

  // A dock drag given up leaves the control where it is.
  form->Events.clear();
  MouseOn(tool, QEvent::MouseButtonPress, At(tool, 10, 10));
  MouseOn(tool, QEvent::MouseMove, away);
  MouseOn(tool, QEvent::MouseButtonPress, away, Qt::RightButton);
  Application->ProcessMessages();
  EXPECT_EQ(tool->Parent(), form->Site);
  EXPECT_EQ(form->Events, (std::vector<std::string>{"start Tool", "end Tool nil 0,0"}));

  // Put elsewhere by the program, the control has no dock site any more.
  tool->SetParent(form);
  EXPECT_EQ(tool->HostDockSite(), nullptr);
}

TEST_F(DragAndDockTest, AFloatingWindowGoesWithTheFormThatOwnsItsControl) {
  RegisterDockForm();
  auto* form = MakeForm<TDockTestForm>("TDockTestForm", kDockForm);
  form->Show();
  const Integer forms = Screen->FormCount();
  form->Tool->ManualFloat(Bounds(500, 400, 120, 50));
  ASSERT_TRUE(form->Tool->Floating());
  EXPECT_EQ(Point(form->Tool->Width(), form->Tool->Height()), Point(120, 50));
  EXPECT_EQ(form->Tool->UndockWidth(), 120);
  // Floated again, the window moves instead of a second one being made.
  auto* floating = form->Tool->Parent();
  form->Tool->ManualFloat(Bounds(520, 410, 120, 50));
  EXPECT_EQ(form->Tool->Parent(), floating);
  EXPECT_EQ(floating->Left(), 520);
  EXPECT_EQ(Screen->FormCount(), forms + 1);
  FForms.clear();
  form->Free();
  Application->ProcessMessages();
  EXPECT_EQ(Screen->FormCount(), forms - 1) << "the form and its control's floating window are gone";
}

}  // namespace
}  // namespace orv::test
