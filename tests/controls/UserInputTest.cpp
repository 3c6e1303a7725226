// The spin edit with its spin button and up-down, the speed button and the XP button driven as a
// user drives them: mouse, wheel and keys delivered to the top-level window at the control's
// place, so that the window's own dispatch runs, and what Qt shows read back (texts, open menus,
// painted pixels). Context menus on an edit and on a control that is none, with and without a
// popup menu, with a handler that takes the request and one that does not.
#include "tests/controls/ControlsFixture.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <set>
#include <sstream>
#include "controls/FilenameEdit.h"
#include "controls/OrvSpeedButton.h"
#include "controls/OrvSpin.h"
#include "controls/XPStyleButtons.h"
#include "platform/classes/ObjectText.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Menus.h"
#include "platform/graphics/ImgList.h"
#include "platform/win/MessageQueue.h"
#include "tests/platform/forms/MenuWatch.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

class TInputForm : public TForm {
 public:
  explicit TInputForm(TComponent* owner) : TForm(owner) {}
  TOrvSpinEdit* SpinEd = nullptr;
  TOrvSpinEdit* FixedEd = nullptr;
  TFilenameEdit* FileEd = nullptr;
  TBitBtnXP* XPBtn = nullptr;
  TPopupMenu* EdMenu = nullptr;
  std::vector<std::string> Events;
  std::set<std::string> Handles;

  void ContextPopup(TObject* sender, TPoint at, bool& handled) {
    std::ostringstream s;
    s << "popup " << static_cast<TComponent*>(sender)->Name() << " " << at.X << "," << at.Y;
    Events.push_back(s.str());
    handled = Handles.count(static_cast<TComponent*>(sender)->Name()) != 0;
  }
  void WheelUp(TObject* sender, TShiftState, TPoint, bool& handled) {
    Events.push_back("wheel up " + static_cast<TComponent*>(sender)->Name());
    handled = true;
  }
  void Clicked(TObject* sender) { Events.push_back("click " + static_cast<TComponent*>(sender)->Name()); }
};

// What the windows may set on these controls: AutoSize off on a spin edit, HideSelection off on a
// file-name edit.
const char* const kInputForm = R"(object InputForm: TInputForm
  Left = 0
  Top = 0
  Width = 420
  Height = 300
  Font.Height = -11
  Font.Name = 'DejaVu Sans'
  ParentFont = False
  object EdMenu: TPopupMenu
    object Eins1: TMenuItem
      Caption = 'Eins'
    end
  end
  object SpinEd: TOrvSpinEdit
    Left = 10
    Top = 10
    Width = 80
    Height = 21
    OnContextPopup = ContextPopup
    OnMouseWheelUp = WheelUp
  end
  object FixedEd: TOrvSpinEdit
    Left = 10
    Top = 40
    Width = 80
    Height = 30
    AutoSize = False
    Value = 7
  end
  object FileEd: TFilenameEdit
    Left = 10
    Top = 80
    Width = 150
    Height = 21
    HideSelection = False
    OnContextPopup = ContextPopup
  end
  object XPBtn: TBitBtnXP
    Left = 200
    Top = 10
    Width = 75
    Height = 25
    Caption = 'Los'
    OnClick = Clicked
    OnContextPopup = ContextPopup
  end
end
)";

class UserInputTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    RegisterClassType<TInputForm, TForm>("TInputForm")
        .Field("SpinEd", &TInputForm::SpinEd)
        .Field("FixedEd", &TInputForm::FixedEd)
        .Field("FileEd", &TInputForm::FileEd)
        .Field("XPBtn", &TInputForm::XPBtn)
        .Field("EdMenu", &TInputForm::EdMenu)
        .Method("ContextPopup", &TInputForm::ContextPopup)
        .Method("WheelUp", &TInputForm::WheelUp)
        .Method("Clicked", &TInputForm::Clicked);
    Form = MakeForm<TInputForm>("TInputForm", kInputForm);
    Form->Show();
    ASSERT_TRUE(testinput::Activate(Form->Widget()));
    QGuiApplication::clipboard()->setText("12");
  }

  QWidget* Top() { return Form->Widget(); }
  void RightClick(TControl* control, QPoint local) {
    const QPoint at = InWindow(control, local);
    testinput::Move(Top(), at);
    testinput::Press(Top(), at, Qt::RightButton);
    testinput::Release(Top(), at, Qt::RightButton);
  }

  TInputForm* Form = nullptr;
};

TEST_F(UserInputTest, TheSpinButtonStepsAsTheMousePressesAndDragsIt) {
  TOrvSpinEdit* ed = Form->SpinEd;
  TOrvSpinButton* button = ed->SpinButton();
  ASSERT_NE(button, nullptr);
  const QPoint top = InWindow(button, QPoint(3, 3));
  const QPoint bottom = InWindow(button, QPoint(button->Width() - 3, button->Height() - 3));
  testinput::Move(Top(), top);
  testinput::Press(Top(), top);
  EXPECT_EQ(ed->GetText(), "1") << "the press steps at once";
  EXPECT_EQ(button->Down(), sbTopDown);
  EXPECT_TRUE(ed->Widget()->hasFocus()) << "the press focuses the edit";
  testinput::Move(Top(), bottom);
  EXPECT_EQ(button->Down(), sbNotDown) << "dragged onto the other half";
  testinput::Release(Top(), bottom);
  EXPECT_EQ(ed->GetText(), "1");
  testinput::Click(Top(), bottom);
  testinput::Click(Top(), bottom);
  EXPECT_EQ(ed->GetText(), "-1");
  EXPECT_EQ(static_cast<QLineEdit*>(ed->Widget())->text(), QString("-1")) << "what the widget shows";
}

TEST_F(UserInputTest, TheSpinEditTakesKeysAndTheWheelFromTheWindow) {
  TOrvSpinEdit* ed = Form->SpinEd;
  auto* line = static_cast<QLineEdit*>(ed->Widget());
  testinput::Click(Top(), InWindow(ed, QPoint(10, 10)));
  ASSERT_TRUE(line->hasFocus());
  line->selectAll();
  testinput::Key(Top(), Qt::Key_4, Qt::NoModifier, "4");
  testinput::Key(Top(), Qt::Key_X, Qt::NoModifier, "x");
  EXPECT_EQ(line->text(), QString("4")) << "a letter is no part of a number";
  EXPECT_EQ(Beeps, 1);
  testinput::Key(Top(), Qt::Key_Up);
  testinput::Key(Top(), Qt::Key_Up);
  testinput::Key(Top(), Qt::Key_Down);
  EXPECT_EQ(line->text(), QString("5"));
  testinput::Wheel(Top(), InWindow(ed, QPoint(10, 10)), 120);
  EXPECT_EQ(Form->Events, std::vector<std::string>{"wheel up SpinEd"});
}

TEST_F(UserInputTest, TheUpDownOfTheStandardKindStepsWhenItsArrowsAreClicked) {
  TOrvSpinEdit* ed = Form->SpinEd;
  ed->SetButtonKind(bkStandard);
  TOrvUpDown* upDown = ed->UpDown();
  ASSERT_NE(upDown, nullptr);
  QWidget* w = upDown->Widget();
  const QPoint up = testinput::At(w, QPoint(w->width() / 2, 2));
  const QPoint down = testinput::At(w, QPoint(w->width() / 2, w->height() - 3));
  testinput::Click(Top(), up);
  testinput::Click(Top(), up);
  EXPECT_EQ(static_cast<QLineEdit*>(ed->Widget())->text(), QString("2"));
  testinput::Click(Top(), down);
  EXPECT_EQ(static_cast<QLineEdit*>(ed->Widget())->text(), QString("1"));
  EXPECT_EQ(upDown->Position(), 0);
}

TEST_F(UserInputTest, AutoSizeAndHideSelectionAreReadWorkAndAreWrittenBack) {
  TOrvSpinEdit* fixed = Form->FixedEd;
  TOrvSpinEdit* sized = Form->SpinEd;
  EXPECT_FALSE(fixed->AutoSize());
  EXPECT_EQ(fixed->Widget()->height(), 30) << "kept as the description gives it";
  EXPECT_TRUE(sized->AutoSize());
  EXPECT_FALSE(Form->FileEd->HideSelection());
  EXPECT_FALSE(Form->FileEd->AutoSize()) << "a file-name edit keeps its height";
  for (TOrvSpinEdit* ed : {fixed, sized}) ed->Font().SetHeight(-20);
  const int textHeight = QFontMetrics(sized->Font().ToQFont()).height();
  EXPECT_EQ(sized->Widget()->height(), textHeight + 8);
  EXPECT_EQ(sized->ButtonWindow()->Height(), sized->Height() - 3) << "the button follows the height";
  EXPECT_EQ(fixed->Widget()->height(), 30);

  // The file-name edit shows its selection after the focus has left.
  auto* line = static_cast<QLineEdit*>(Form->FileEd->Widget());
  Form->FileEd->SetText("datei.dbf");
  Form->FileEd->SetFocus();
  line->selectAll();
  Form->SpinEd->SetFocus();
  EXPECT_FALSE(line->hasFocus());
  EXPECT_EQ(Form->FileEd->SelLength(), 9);
  EXPECT_GT(CountPixels(line->grab().toImage(), QApplication::palette(line).color(QPalette::Highlight)), 20);

  const std::string written = WriteComponentToText(Form);
  EXPECT_NE(written.find("    AutoSize = False\n"), std::string::npos) << written;
  EXPECT_NE(written.find("    HideSelection = False\n"), std::string::npos) << written;
}

// The standard menu of a focused edit holding text, nothing selected, with text on the clipboard.
const std::vector<std::string> kEditMenu = {"&Undo (grey)", "----",          "Cu&t (grey)", "&Copy (grey)",
                                            "&Paste",       "Delete (grey)", "----",        "Select All"};

TEST_F(UserInputTest, RightClicksAskTheControlItsMenuAndItsParents) {
  Form->FileEd->SetText("datei.dbf");
  struct TCase {
    const char* Name;
    const char* Control;  // the spin button and the file-name edit's button stand for their names
    QPoint Local;
    bool WithMenu;
    std::set<std::string> Handles;
    std::vector<std::string> Events;
    std::vector<std::vector<std::string>> Menus;
  };
  const TCase cases[] = {
    {"a spin edit without a menu shows its own", "SpinEd", {5, 5}, false, {}, {"popup SpinEd 5,5"}, {kEditMenu}},
    {"a spin edit's popup menu", "SpinEd", {5, 5}, true, {}, {"popup SpinEd 5,5"}, {{"Eins"}}},
    {"a spin edit's handler keeps its menu back", "SpinEd", {5, 5}, true, {"SpinEd"}, {"popup SpinEd 5,5"}, {}},
    {"a handled request shows no standard menu either", "SpinEd", {5, 5}, false, {"SpinEd"}, {"popup SpinEd 5,5"}, {}},
    {"the spin button is no edit: its edit's popup menu", "SpinButton", {3, 3}, true, {}, {"popup SpinEd 63,4"},
     {{"Eins"}}},
    {"the spin button without a menu shows none", "SpinButton", {3, 3}, false, {}, {"popup SpinEd 63,4"}, {}},
    {"a file-name edit without a menu shows its own", "FileEd", {5, 5}, false, {}, {"popup FileEd 5,5"},
     {kEditMenu}},
    {"a file-name edit's popup menu", "FileEd", {5, 5}, true, {}, {"popup FileEd 5,5"}, {{"Eins"}}},
    {"the browse button is no edit: its edit's popup menu", "EditButton", {3, 3}, true, {}, {"popup FileEd 130,5"},
     {{"Eins"}}},
    {"the browse button's edit handler keeps it back", "EditButton", {3, 3}, true, {"FileEd"},
     {"popup FileEd 130,5"}, {}},
    {"the browse button without a menu shows none", "EditButton", {3, 3}, false, {}, {"popup FileEd 130,5"}, {}},
    {"an XP button's popup menu", "XPBtn", {10, 10}, true, {}, {"popup XPBtn 10,10"}, {{"Eins"}}},
    {"an XP button's handler keeps it back", "XPBtn", {10, 10}, true, {"XPBtn"}, {"popup XPBtn 10,10"}, {}},
    {"an XP button without a menu shows none", "XPBtn", {10, 10}, false, {}, {"popup XPBtn 10,10"}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const bool spinButton = std::string(c.Control) == "SpinButton";
    const bool editButton = std::string(c.Control) == "EditButton";
    auto* control = spinButton ? Form->SpinEd : editButton ? Form->FileEd : Find<TControl>(Form, c.Control);
    TControl* clicked = spinButton ? static_cast<TControl*>(Form->SpinEd->SpinButton())
                        : editButton ? static_cast<TControl*>(Form->FileEd->Button())
                                     : control;
    control->SetPopupMenu(c.WithMenu ? Form->EdMenu : nullptr);
    // An edit that takes the focus may select its text; here it has the focus, nothing selected.
    if (auto* edit = dynamic_cast<TCustomEdit*>(control)) {
      edit->SetFocus();
      QCoreApplication::processEvents();
      edit->SetSelStart(0);
    }
    Form->Events.clear();
    Form->Handles = c.Handles;
    TMenuWatch watch;
    RightClick(clicked, c.Local);
    EXPECT_EQ(Form->Events, c.Events);
    EXPECT_EQ(watch.Shown, c.Menus);
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(Form->XPBtn->Widget())->isDown()) << "no click is left half done";
  }
  EXPECT_TRUE(std::find(Form->Events.begin(), Form->Events.end(), "click XPBtn") == Form->Events.end());
}

TEST_F(UserInputTest, TheMenuKeyAndShiftF10AskTheFileNameEditAndNeverBrowse) {
  TFilenameEdit* ed = Form->FileEd;
  ed->SetText("datei.dbf");
  struct TCase {
    const char* Name;
    int Key;
    Qt::KeyboardModifiers Mods;
    bool WithMenu;
    std::vector<std::vector<std::string>> Menus;
  };
  const TCase cases[] = {
    {"the menu key: the edit's own menu", Qt::Key_Menu, Qt::NoModifier, false, {kEditMenu}},
    {"Shift+F10: the edit's own menu", Qt::Key_F10, Qt::ShiftModifier, false, {kEditMenu}},
    {"the menu key: the edit's popup menu", Qt::Key_Menu, Qt::NoModifier, true, {{"Eins"}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ed->SetPopupMenu(c.WithMenu ? Form->EdMenu : nullptr);
    ed->SetFocus();
    QCoreApplication::processEvents();
    ed->SetSelStart(0);
    Form->Events.clear();
    TMenuWatch watch;
    testinput::Key(Top(), c.Key, c.Mods);
    EXPECT_EQ(Form->Events, std::vector<std::string>{"popup FileEd -1,-1"});
    EXPECT_EQ(watch.Shown, c.Menus);
    EXPECT_TRUE(ColorDialogs.FileRequests.empty());
  }
}

// The browse button asks its edit for the menu also when another control has the focus, and the
// edit, asked for the button, shows no menu of its own.
TEST_F(UserInputTest, ARightClickOnTheBrowseButtonOfAnEditWithoutTheFocus) {
  Form->FileEd->SetText("datei.dbf");
  Form->SpinEd->SetFocus();
  QCoreApplication::processEvents();
  TMenuWatch watch;
  RightClick(Form->FileEd->Button(), QPoint(3, 3));
  EXPECT_EQ(Form->Events, std::vector<std::string>{"popup FileEd 130,5"});
  EXPECT_TRUE(watch.Shown.empty());
  EXPECT_TRUE(ColorDialogs.FileRequests.empty()) << "the right button does not browse";
}

TEST_F(UserInputTest, TheStandardMenuOfASpinEditActsThroughItsMessages) {
  TOrvSpinEdit* ed = Form->SpinEd;
  ed->SetText("34");
  auto choose = [&](const char* entry) {
    TMenuWatch watch;
    watch.Choose = entry;
    RightClick(ed, QPoint(5, 5));
    ASSERT_EQ(watch.Shown.size(), 1u) << entry;
  };
  ed->SetEditorEnabled(false);
  choose("Select All");
  choose("&Paste");
  EXPECT_EQ(ed->GetText(), "34") << "without its editor the spin edit refuses the paste";
  choose("Cu&t");
  EXPECT_EQ(ed->GetText(), "34") << "and the cut";
  ed->SetEditorEnabled(true);
  choose("&Paste");
  EXPECT_EQ(ed->GetText(), "12");
}

// ----- speed button -----

class SpeedButtonInputTest : public UserInputTest {
 protected:
  TOrvSpeedButton* NewButton(Integer left, Integer top) {
    auto* b = new TOrvSpeedButton(Form);
    b->SetParent(Form);
    b->SetBounds(left, top, 30, 30);
    b->OnClick = [this, b](TObject*) { Clicks.push_back(b); };
    b->OnMouseDown = [this, b](TObject*, TMouseButton, TShiftState, Integer, Integer) { Presses.push_back(b); };
    return b;
  }
  // The button as the window shows it.
  QImage Face(TOrvSpeedButton* b) {
    return Top()->grab(QRect(InWindow(b, QPoint(0, 0)), QSize(b->Width(), b->Height()))).toImage();
  }
  static bool Shows(const QImage& image, const QColor& colour) { return CountPixels(image, colour) > 0; }
  std::vector<TOrvSpeedButton*> Clicks, Presses;
};

TEST_F(SpeedButtonInputTest, AClickIsAPressAndAReleaseOverTheButton) {
  TOrvSpeedButton* b = NewButton(300, 100);
  const QPoint inside = InWindow(b, QPoint(10, 10));
  testinput::Click(Top(), inside);
  EXPECT_EQ(Clicks.size(), 1u);
  testinput::Press(Top(), inside);
  EXPECT_EQ(b->State(), obsDown);
  const QColor shadow = ShownColor(clBtnShadow);
  EXPECT_EQ(Face(b).pixelColor(1, 1), shadow) << "the down frame, as painted";
  testinput::Move(Top(), InWindow(b, QPoint(60, 10)));
  EXPECT_EQ(b->State(), obsUp) << "the mouse left it";
  EXPECT_NE(Face(b).pixelColor(1, 1), shadow);
  testinput::Release(Top(), InWindow(b, QPoint(60, 10)));
  EXPECT_EQ(Clicks.size(), 1u) << "a release elsewhere is no click";
}

TEST_F(SpeedButtonInputTest, AltWithTheCaptionsAcceleratorClicksTheButton) {
  TOrvSpeedButton* b = NewButton(300, 100);
  b->SetCaption("&Next");
  TCustomEdit* edit = Form->FileEd;
  edit->SetFocus();
  struct TCase {
    const char* Name;
    bool Enabled;
    Qt::KeyboardModifiers Mods;
    size_t Clicks;
    const char* Text;
  };
  const TCase cases[] = {
    {"Alt+N", true, Qt::AltModifier, 1, ""},
    {"a disabled button takes no accelerator: the edit has the key as Qt gives it", false, Qt::AltModifier, 0, "n"},
    {"N alone is typed", true, Qt::NoModifier, 0, "n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Clicks.clear();
    edit->SetText("");
    b->SetEnabled(c.Enabled);
    testinput::Key(Top(), Qt::Key_N, c.Mods, "n");
    EXPECT_EQ(Clicks.size(), c.Clicks);
    EXPECT_EQ(static_cast<QLineEdit*>(edit->Widget())->text(), QString(c.Text));
  }
}

TEST_F(SpeedButtonInputTest, TheActionsImageShowsOnlyInAnEmptyGlyph) {
  auto* images = new TCustomImageList(Form);
  images->SetWidth(12);
  images->SetHeight(12);
  TBitmap red(12, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) red.SetPixelRGB(x, y, x == 0 && y == 11 ? 0xFF00FF : RGB(200, 0, 0));
  images->AddMasked(&red, clFuchsia);
  auto* list = new TActionList(Form);
  list->SetImages(images);
  auto* action = new TAction(Form);
  action->SetActionList(list);
  action->SetImageIndex(0);

  TOrvSpeedButton* own = NewButton(300, 100);
  own->SetGlyph(Strip({RGB(0, 160, 0)}, 0xFF00FF, 12).get());
  own->SetAction(action);
  TOrvSpeedButton* empty = NewButton(340, 100);
  empty->SetAction(action);
  const QColor actionColour(200, 0, 0), ownColour(0, 160, 0);
  const QImage ownFace = Face(own), emptyFace = Face(empty);
  EXPECT_TRUE(Shows(ownFace, ownColour)) << "a glyph of its own is painted";
  EXPECT_FALSE(Shows(ownFace, actionColour));
  EXPECT_TRUE(Shows(emptyFace, actionColour)) << "the action's image fills an empty glyph";
  // After a press and a release through the window the faces are the same.
  testinput::Click(Top(), InWindow(own, QPoint(5, 5)));
  EXPECT_FALSE(Shows(Face(own), actionColour));
  EXPECT_TRUE(Shows(Face(own), ownColour));
}

TEST_F(SpeedButtonInputTest, TheClickThatClosesTheDropDownMenuIsSwallowedOnlyOverTheButton) {
  TOrvSpeedButton* b = NewButton(300, 100);
  TOrvSpeedButton* other = NewButton(300, 200);
  auto* menu = new TPopupMenu(Form);
  auto* item = new TMenuItem(Form);
  item->SetCaption("Eins");
  menu->Items()->Add(item);
  b->SetDropDownMenu(menu);
  int opened = 0;
  menu->OnPopup = [&](TObject*) { ++opened; };
  QWindow* window = Top()->windowHandle();
  // While the real menu is open: a click far from both buttons closes it (the menu takes that
  // click); meanwhile presses wait in the queue, posted to the form's window, and the press the
  // window system hands on once a pop-up closed, over each button.
  QTimer::singleShot(30, [&] {
    QMenu* open = OpenMenu();
    ASSERT_NE(open, nullptr);
    for (TOrvSpeedButton* target : {b, other}) {
      const LPARAM at = PointToLParam(target->Left() + 5, target->Top() + 5);
      PostMessageA(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageA(Form->Handle(), WM_LBUTTONUP, 0, at);
    }
    testinput::Click(Top(), QPoint(150, 250));
    for (TOrvSpeedButton* target : {b, other}) {
      const QPoint at = InWindow(target, QPoint(8, 8));
      const QPoint global = Top()->mapToGlobal(at);
      QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonPress, at, at, global, Qt::LeftButton,
                                                          Qt::LeftButton, Qt::NoModifier));
      QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonRelease, at, at, global, Qt::LeftButton,
                                                          Qt::NoButton, Qt::NoModifier));
    }
  });
  // A second menu, had a press reached the button again, is closed at once.
  QTimer closer;
  closer.setInterval(100);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (opened > 1 && OpenMenu() != nullptr) OpenMenu()->close();
  });
  closer.start();
  testinput::Move(Top(), InWindow(b, QPoint(10, 10)));
  testinput::Press(Top(), InWindow(b, QPoint(10, 10)));
  testinput::Release(Top(), InWindow(b, QPoint(10, 10)));
  QTest::qWait(50);
  Application->ProcessMessages();
  EXPECT_EQ(opened, 1) << "the click over the button did not press it again";
  EXPECT_EQ(std::count(Presses.begin(), Presses.end(), b), 1);
  EXPECT_EQ(std::count(Presses.begin(), Presses.end(), other), 2) << "the presses elsewhere are not lost";
  EXPECT_EQ(std::count(Clicks.begin(), Clicks.end(), other), 2);
  EXPECT_EQ(std::count(Clicks.begin(), Clicks.end(), b), 0);
}

// ----- XP button -----

TEST_F(UserInputTest, TheXPButtonClicksOnReleaseOverItAndOnItsKey) {
  TBitBtnXP* b = Form->XPBtn;
  const QPoint inside = InWindow(b, QPoint(10, 10));
  testinput::Click(Top(), inside);
  EXPECT_EQ(Form->Events, std::vector<std::string>{"click XPBtn"});
  Form->Events.clear();
  // The left edge, as painted: the shadow of the down face while held.
  auto leftEdgeShadowed = [b] {
    const QImage face = b->Widget()->grab().toImage();
    const QColor shadow = ShownColor(clBtnShadow);
    return face.pixelColor(0, 12) == shadow || face.pixelColor(1, 12) == shadow;
  };
  EXPECT_FALSE(leftEdgeShadowed());
  testinput::Press(Top(), inside);
  EXPECT_TRUE(qobject_cast<QAbstractButton*>(b->Widget())->isDown()) << "shown pressed";
  EXPECT_TRUE(leftEdgeShadowed());
  testinput::Move(Top(), InWindow(b, QPoint(120, 10)));
  testinput::Release(Top(), InWindow(b, QPoint(120, 10)));
  EXPECT_TRUE(Form->Events.empty()) << "released elsewhere";
  // A quick second click comes as a double click, which presses the button again.
  QTest::mouseDClick(Top()->windowHandle(), Qt::LeftButton, Qt::NoModifier, inside);
  EXPECT_EQ(Form->Events.size(), 2u);
  Form->Events.clear();
  b->SetFocus();
  testinput::Key(Top(), Qt::Key_Space, Qt::NoModifier, " ");
  EXPECT_EQ(Form->Events, std::vector<std::string>{"click XPBtn"});
}

}  // namespace
}  // namespace orv::test
