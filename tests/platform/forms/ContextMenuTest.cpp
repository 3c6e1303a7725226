// Context menus as the user asks for them, through the window: the right button's press and
// release, the menu key and Shift+F10. The control's OnContextPopup comes first with its handled
// flag, then its popup menu, then the same on each parent; an edit nobody answers shows its own
// standard menu, whose entries act through the edit's messages. Also the edit's AutoSize and
// HideSelection as a window description gives them and as Qt shows them.
#include "tests/platform/forms/FormsFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <set>
#include <sstream>
#include "platform/classes/ObjectText.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Mask.h"
#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"
#include "tests/platform/forms/MenuWatch.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

class TContextForm : public TForm {
 public:
  explicit TContextForm(TComponent* owner) : TForm(owner) {}
  TEdit* Edit1 = nullptr;
  TEdit* Edit2 = nullptr;
  TEdit* Edit3 = nullptr;
  TMaskEdit* MaskEdit1 = nullptr;
  TPanel* Panel1 = nullptr;
  TPanel* Panel2 = nullptr;
  TMemo* Memo1 = nullptr;
  TRichEdit* Rich1 = nullptr;
  TComboBox* Combo1 = nullptr;
  std::vector<std::string> Events;
  std::set<std::string> Handles;

  void ContextPopup(TObject* sender, TPoint at, bool& handled) {
    const AnsiString name = static_cast<TComponent*>(sender)->Name();
    std::ostringstream s;
    s << "popup " << name << " " << at.X << "," << at.Y;
    Events.push_back(s.str());
    handled = Handles.count(name) != 0;
  }
  void Clicked(TObject* sender) { Events.push_back("click " + static_cast<TComponent*>(sender)->Name()); }
};

class TEditsForm : public TForm {
 public:
  explicit TEditsForm(TComponent* owner) : TForm(owner) {}
};

// Panel1 (with MenuB) holds Edit2, which has no menu of its own; Edit3 and Rich1 have MenuA;
// Edit1, MaskEdit1, Memo1, Combo1 and Panel2 have none, and neither has the form.
const char* const kContextForm = R"(object ContextForm: TContextForm
  Left = 0
  Top = 0
  Width = 400
  Height = 300
  Font.Height = -11
  Font.Name = 'DejaVu Sans'
  ParentFont = False
  OnClick = Clicked
  OnContextPopup = ContextPopup
  object MenuA: TPopupMenu
    object Eins1: TMenuItem
      Caption = 'Eins'
    end
  end
  object MenuB: TPopupMenu
    object Zwei1: TMenuItem
      Caption = 'Zwei'
    end
  end
  object Edit1: TEdit
    Left = 10
    Top = 10
    Width = 120
    Height = 21
    Text = 'abc'
    OnContextPopup = ContextPopup
  end
  object Edit3: TEdit
    Left = 10
    Top = 40
    Width = 120
    Height = 21
    PopupMenu = MenuA
    OnContextPopup = ContextPopup
  end
  object MaskEdit1: TMaskEdit
    Left = 10
    Top = 70
    Width = 120
    Height = 21
    Text = 'abc'
    OnContextPopup = ContextPopup
  end
  object Panel1: TPanel
    Left = 200
    Top = 10
    Width = 150
    Height = 100
    PopupMenu = MenuB
    OnContextPopup = ContextPopup
    object Edit2: TEdit
      Left = 10
      Top = 10
      Width = 100
      Height = 21
      Text = 'abc'
      OnContextPopup = ContextPopup
    end
  end
  object Memo1: TMemo
    Left = 10
    Top = 120
    Width = 120
    Height = 60
    Lines.Strings = (
      'abc')
    OnContextPopup = ContextPopup
  end
  object Rich1: TRichEdit
    Left = 10
    Top = 200
    Width = 120
    Height = 60
    PopupMenu = MenuA
    OnContextPopup = ContextPopup
  end
  object Combo1: TComboBox
    Left = 10
    Top = 268
    Width = 120
    Height = 21
    Text = 'abc'
    OnContextPopup = ContextPopup
  end
  object Panel2: TPanel
    Left = 200
    Top = 150
    Width = 150
    Height = 100
    OnClick = Clicked
    OnContextPopup = ContextPopup
  end
end
)";

// The standard menu of an edit that holds text, nothing selected, with text on the clipboard.
const std::vector<std::string> kStandardMenu = {"&Undo (grey)", "----",   "Cu&t (grey)", "&Copy (grey)",
                                                "&Paste",       "Delete (grey)", "----", "Select All"};

class ContextMenuTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TContextForm, TForm>("TContextForm")
        .Field("Edit1", &TContextForm::Edit1)
        .Field("Edit2", &TContextForm::Edit2)
        .Field("Edit3", &TContextForm::Edit3)
        .Field("MaskEdit1", &TContextForm::MaskEdit1)
        .Field("Panel1", &TContextForm::Panel1)
        .Field("Panel2", &TContextForm::Panel2)
        .Field("Memo1", &TContextForm::Memo1)
        .Field("Rich1", &TContextForm::Rich1)
        .Field("Combo1", &TContextForm::Combo1)
        .Method("ContextPopup", &TContextForm::ContextPopup)
        .Method("Clicked", &TContextForm::Clicked);
    Form = MakeForm<TContextForm>("TContextForm", kContextForm);
    Form->Show();
    ASSERT_TRUE(testinput::Activate(Form->Widget()));
    QGuiApplication::clipboard()->setText("pasted");
  }

  QWidget* Top() { return Form->Widget(); }

  TContextForm* Form = nullptr;
};

TEST_F(ContextMenuTest, TheRightButtonsReleaseAsksTheControlThenItsParents) {
  struct TCase {
    const char* Name;
    const char* Control;
    QPoint Local;
    std::set<std::string> Handles;
    std::vector<std::string> Events;
    std::vector<std::vector<std::string>> Menus;
  };
  const TCase cases[] = {
    {"an edit nobody answers shows its own menu", "Edit1", {5, 6}, {},
     {"popup Edit1 5,6", "popup ContextForm 15,16"}, {kStandardMenu}},
    {"the edit's handler takes it", "Edit1", {5, 6}, {"Edit1"}, {"popup Edit1 5,6"}, {}},
    {"a parent's handler takes it: no menu at all", "Edit1", {5, 6}, {"ContextForm"},
     {"popup Edit1 5,6", "popup ContextForm 15,16"}, {}},
    {"an edit's own popup menu", "Edit3", {7, 3}, {}, {"popup Edit3 7,3"}, {{"Eins"}}},
    {"an edit's handler keeps its popup menu back", "Edit3", {7, 3}, {"Edit3"}, {"popup Edit3 7,3"}, {}},
    {"an edit without a menu gets its parent's", "Edit2", {4, 4}, {},
     {"popup Edit2 4,4", "popup Panel1 14,14"}, {{"Zwei"}}},
    {"a masked edit nobody answers shows its own menu", "MaskEdit1", {5, 6}, {},
     {"popup MaskEdit1 5,6", "popup ContextForm 15,76"}, {kStandardMenu}},
    {"a memo nobody answers shows its own menu", "Memo1", {30, 20}, {},
     {"popup Memo1 30,20", "popup ContextForm 40,140"}, {kStandardMenu}},
    {"a memo's handler takes it", "Memo1", {30, 20}, {"Memo1"}, {"popup Memo1 30,20"}, {}},
    {"a rich edit's popup menu", "Rich1", {30, 20}, {}, {"popup Rich1 30,20"}, {{"Eins"}}},
    {"an editable combo box's edit field shows the edit's menu", "Combo1", {5, 5}, {},
     {"popup Combo1 5,5", "popup ContextForm 15,273"}, {kStandardMenu}},
    {"a panel's popup menu", "Panel1", {100, 60}, {}, {"popup Panel1 100,60"}, {{"Zwei"}}},
    {"a panel's handler keeps its popup menu back", "Panel1", {100, 60}, {"Panel1"}, {"popup Panel1 100,60"}, {}},
    {"a panel without a menu passes it to its parent, which has none", "Panel2", {30, 40}, {},
     {"popup Panel2 30,40", "popup ContextForm 230,190"}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* control = Find<TWinControl>(Form, c.Control);
    Form->Events.clear();
    Form->Handles = c.Handles;
    TMenuWatch watch;
    const QPoint at = InWindow(control, c.Local);
    testinput::Move(Top(), at);
    testinput::Press(Top(), at, Qt::RightButton);
    QTest::qWait(20);
    EXPECT_TRUE(watch.Shown.empty()) << "nothing opens at the press";
    EXPECT_TRUE(Form->Events.empty());
    testinput::Release(Top(), at, Qt::RightButton);
    EXPECT_EQ(Form->Events, c.Events);
    EXPECT_EQ(watch.Shown, c.Menus);
  }
}

TEST_F(ContextMenuTest, AClickTheControlTookIsNotItsParentsAsWell) {
  struct TCase {
    const char* Name;
    QPoint At;
    std::vector<std::string> Events;
  };
  const TCase cases[] = {
    {"on the panel", InWindow(Form->Panel2, QPoint(30, 40)), {"click Panel2"}},
    {"on the form", QPoint(380, 280), {"click ContextForm"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Form->Events.clear();
    testinput::Click(Top(), c.At);
    EXPECT_EQ(Form->Events, c.Events);
  }
}

TEST_F(ContextMenuTest, TheMenuKeyAndShiftF10TakeTheSameRoad) {
  struct TCase {
    const char* Name;
    int Key;
    Qt::KeyboardModifiers Mods;
    const char* Control;
    std::set<std::string> Handles;
    std::vector<std::string> Events;
    std::vector<std::vector<std::string>> Menus;
  };
  const TCase cases[] = {
    {"the menu key on an edit", Qt::Key_Menu, Qt::NoModifier, "Edit1", {},
     {"popup Edit1 -1,-1", "popup ContextForm -1,-1"}, {kStandardMenu}},
    {"Shift+F10 on an edit", Qt::Key_F10, Qt::ShiftModifier, "Edit1", {},
     {"popup Edit1 -1,-1", "popup ContextForm -1,-1"}, {kStandardMenu}},
    {"the handler takes it", Qt::Key_Menu, Qt::NoModifier, "Edit1", {"Edit1"}, {"popup Edit1 -1,-1"}, {}},
    {"the parent's popup menu", Qt::Key_F10, Qt::ShiftModifier, "Edit2", {},
     {"popup Edit2 -1,-1", "popup Panel1 -1,-1"}, {{"Zwei"}}},
    {"F10 alone asks for nothing", Qt::Key_F10, Qt::NoModifier, "Edit1", {}, {}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* control = Find<TWinControl>(Form, c.Control);
    control->SetFocus();
    Form->Events.clear();
    Form->Handles = c.Handles;
    TMenuWatch watch;
    testinput::Key(Top(), c.Key, c.Mods);
    EXPECT_EQ(Form->Events, c.Events);
    EXPECT_EQ(watch.Shown, c.Menus);
  }
  // A context menu event of the window system for the key that already asked is no second one.
  Form->Events.clear();
  Form->Handles = {"Edit1"};
  Form->Edit1->SetFocus();
  testinput::Key(Top(), Qt::Key_Menu);
  QContextMenuEvent same(QContextMenuEvent::Keyboard, QPoint(0, 0), Form->Edit1->Widget()->mapToGlobal(QPoint(0, 0)));
  QApplication::sendEvent(Form->Edit1->Widget(), &same);
  EXPECT_EQ(Form->Events, std::vector<std::string>{"popup Edit1 -1,-1"});
}

TEST_F(ContextMenuTest, TheStandardMenusEntriesActThroughTheEditsMessages) {
  TEdit* edit = Form->Edit1;
  edit->SetText("hello");
  std::vector<UINT> seen;
  bool refuseCut = true;
  for (UINT msg : {WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, WM_UNDO, EM_SETSEL}) {
    edit->SetMessageHandler(msg, [&, msg](TMessage& m) {
      seen.push_back(msg);
      if (msg == WM_CUT && refuseCut) return;
      edit->InheritedDispatch(m);
    });
  }
  auto choose = [&](const char* entry) {
    TMenuWatch watch;
    watch.Choose = entry;
    const QPoint at = InWindow(edit, QPoint(5, 5));
    testinput::Press(Top(), at, Qt::RightButton);
    testinput::Release(Top(), at, Qt::RightButton);
    EXPECT_EQ(watch.Shown.size(), 1u) << entry;
  };
  choose("Select All");
  EXPECT_EQ(edit->SelLength(), 5);
  choose("Cu&t");
  EXPECT_EQ(edit->GetText(), "hello") << "the edit refused the cut";
  refuseCut = false;
  choose("Cu&t");
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("hello"));
  choose("&Paste");
  EXPECT_EQ(edit->GetText(), "hello");
  choose("&Undo");
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(seen, (std::vector<UINT>{EM_SETSEL, WM_CUT, WM_CUT, WM_PASTE, WM_UNDO}));
}

// How many pixels of the edit show the selection's colour.
int HighlightPixels(QWidget* w) {
  return CountPixels(w->grab().toImage(), QApplication::palette(w).color(QPalette::Active, QPalette::Highlight));
}

TEST_F(ContextMenuTest, AHiddenSelectionIsKeptButNotDrawnWithoutTheFocus) {
  struct TCase {
    const char* Name;
    bool Hide;
    bool DrawnWithoutFocus;
  };
  for (const TCase c : {TCase{"hidden", true, false}, TCase{"shown", false, true}}) {
    SCOPED_TRACE(c.Name);
    TEdit* edit = Form->Edit1;
    edit->SetHideSelection(c.Hide);
    edit->SetText("hello world");
    edit->SetFocus();
    edit->SelectAll();
    QWidget* w = edit->Widget();
    EXPECT_GT(HighlightPixels(w), 20) << "drawn while focused";
    Form->Edit3->SetFocus();
    EXPECT_FALSE(w->hasFocus());
    EXPECT_EQ(edit->SelLength(), 11) << "the selection stays";
    EXPECT_EQ(HighlightPixels(w) > 20, c.DrawnWithoutFocus);
    edit->SetFocus();
    EXPECT_GT(HighlightPixels(w), 20);
  }
}

TEST_F(ContextMenuTest, AutoSizeAndHideSelectionComeFromTheDescriptionAndGoBack) {
  const char* const text = R"(object EditsForm: TEditsForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object Edit1: TEdit
    Left = 10
    Top = 10
    Width = 100
    Height = 40
    AutoSize = False
    HideSelection = False
  end
  object MaskEdit1: TMaskEdit
    Left = 10
    Top = 60
    Width = 100
    Height = 40
    AutoSize = False
    HideSelection = False
  end
  object Edit2: TEdit
    Left = 10
    Top = 110
    Width = 100
    Height = 40
  end
end
)";
  RegisterClassType<TEditsForm, TForm>("TEditsForm");
  auto* form = MakeForm<TEditsForm>("TEditsForm", text);
  form->Show();
  auto* fixed = Find<TEdit>(form, "Edit1");
  auto* masked = Find<TMaskEdit>(form, "MaskEdit1");
  auto* sized = Find<TEdit>(form, "Edit2");
  EXPECT_FALSE(fixed->AutoSize());
  EXPECT_FALSE(fixed->HideSelection());
  EXPECT_FALSE(masked->AutoSize());
  EXPECT_FALSE(masked->HideSelection());
  EXPECT_TRUE(sized->AutoSize());
  EXPECT_TRUE(sized->HideSelection());
  EXPECT_EQ(fixed->Height(), 40);
  EXPECT_EQ(fixed->Widget()->height(), 40);
  const int textHeight = QFontMetrics(sized->Font().ToQFont()).height();
  EXPECT_EQ(sized->Height(), textHeight + 8) << "the font's height and the border";
  EXPECT_EQ(sized->Widget()->height(), textHeight + 8);
  // A larger font makes the auto-sized edit taller; the other keeps its height.
  for (TEdit* e : {fixed, sized}) e->Font().SetHeight(-20);
  const int larger = QFontMetrics(sized->Font().ToQFont()).height();
  EXPECT_GT(larger, textHeight);
  EXPECT_EQ(sized->Height(), larger + 8);
  EXPECT_EQ(sized->Widget()->height(), larger + 8);
  EXPECT_EQ(fixed->Height(), 40);
  // Without the sunken look the border is thinner; without a border there is none.
  sized->SetCtl3D(false);
  EXPECT_EQ(sized->Height(), larger + 6);
  sized->SetBorderStyle(bsNone);
  EXPECT_EQ(sized->Height(), larger + 4);

  const std::string written = WriteComponentToText(form);
  EXPECT_NE(written.find("    AutoSize = False\n    HideSelection = False\n  end\n  object MaskEdit1"), std::string::npos)
      << written;
  EXPECT_EQ(written.find("AutoSize = True"), std::string::npos);
}

}  // namespace
}  // namespace orv::test
