// The combo edit's pop-up, proven with a small editor of the tests' own that has one: where it
// drops down, what it is given, Enter taking its value, Escape and every outside close leaving
// the text alone, the button closing it without opening it again; and the edit's own behaviour on
// focus (caret, selection), its OEM conversion, its minimum height and its published mask.
#include "tests/controls/ControlsFixture.h"

#include <QLineEdit>
#include <QStyle>
#include "controls/FilenameEdit.h"
#include "platform/classes/ObjectText.h"
#include "platform/forms/QtText.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Nls.h"
#include "platform/win/SysColors.h"

namespace orv::test {
namespace {

// A pop-up whose press picks "row N" (N the pressed pixel row div 20) and accepts it.
class TRowPopup : public TPopupWindow {
 public:
  explicit TRowPopup(TComponent* owner) : TPopupWindow(owner) { SetBounds(0, 0, 150, 80); }
  std::vector<TPopupValue> Given;
  void SetValue(const TPopupValue& value) override {
    Given.push_back(value);
    TPopupWindow::SetValue(value);
  }

 protected:
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override {
    TPopupWindow::MouseUp(button, shift, x, y);
    SetValue(AnsiString("row ") + std::to_string(y / 20));
    if (OnChange) OnChange(this);
    CloseUp(true);
  }
};

// An editor with a pop-up: the protocol's steps are recorded.
class TRowEdit : public TCustomComboEdit {
 public:
  explicit TRowEdit(TComponent* owner) : TCustomComboEdit(owner) {
    Rows = new TRowPopup(this);
    SetPopup(Rows);
    SetGlyphKind(gkDropDown);
  }
  TRowPopup* Rows = nullptr;
  bool Refuse = false;
  std::vector<std::string> Steps;

 protected:
  bool AcceptPopup(TPopupValue& value) override {
    Steps.push_back("accept? " + value.value_or("(null)"));
    return !Refuse;
  }
  void PopupChange() override { Steps.push_back("popup changed"); }
};

class TEditForm : public TForm {
 public:
  explicit TEditForm(TComponent* owner) : TForm(owner) {}
  TEdit* Other = nullptr;
  TButton* CancelBtn = nullptr;
  std::vector<std::string> Events;
  void CancelBtnClick(TObject*) { Events.push_back("cancel button"); }
};

const char* const kEditForm = R"(object EditForm: TEditForm
  Left = 0
  Top = 0
  Width = 800
  Height = 600
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  object Other: TEdit
    Left = 8
    Top = 40
    Width = 100
    Height = 21
  end
  object CancelBtn: TButton
    Left = 8
    Top = 80
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    OnClick = CancelBtnClick
  end
end
)";

class ComboEditTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    using F = TEditForm;
    RegisterClassType<F, TForm>("TEditForm")
        .Field("Other", &F::Other)
        .Field("CancelBtn", &F::CancelBtn)
        .Method("CancelBtnClick", &F::CancelBtnClick);
    Form = MakeForm<TEditForm>("TEditForm", kEditForm);
    RegisterClassType<TRowEdit, TCustomMaskEdit>("TRowEdit");
    Ed = new TRowEdit(Form);
    Ed->SetName("RowEdit1");
    Ed->SetParent(Form);
    Ed->SetBounds(300, 100, 121, 21);
    Ed->OnChange = TNotifyEvent([this](TObject*) { Changes.push_back(Ed->GetText()); });
    Ed->OnButtonClick = TNotifyEvent([this](TObject*) { ++ButtonClicks; });
    Form->Show();
    Ed->SetFocus();
  }

  QLineEdit* Line() const { return static_cast<QLineEdit*>(Ed->Widget()); }
  QWidget* PopupWidget() const { return Ed->Rows->Widget(); }
  void ClickButton() {
    Click(Ed->ButtonWindow()->Widget(), QPoint(Ed->ButtonWindow()->Width() / 2, Ed->ButtonWindow()->Height() / 2));
  }

  TEditForm* Form = nullptr;
  TRowEdit* Ed = nullptr;
  std::vector<std::string> Changes;
  int ButtonClicks = 0;
};

TEST_F(ComboEditTest, DropDownPlacesThePopupUnderTheEditAndKeepsItOnTheScreen) {
  const Integer sw = Screen->Width(), sh = Screen->Height();
  struct Case {
    Integer Left, Top;
    TPopupAlign Align;
    const char* Where;
  };
  const Case cases[] = {
      {300, 100, epaRight, "right"},   // right edges meet
      {300, 100, epaLeft, "left"},     // left edges meet
      {10, 100, epaRight, "left"},     // right-aligned would leave the screen at the left
      {sw - 140, 100, epaLeft, "right"},  // left-aligned would leave it at the right
      {sw - 60, 100, epaRight, "clamp"},  // kept within the screen's width
      {300, sh - 50, epaRight, "above"},  // no room below
  };
  for (const Case& c : cases) {
    Ed->SetBounds(c.Left, c.Top, 121, 21);
    Ed->SetPopupAlign(c.Align);
    const TPoint origin = Ed->ClientToScreen(Point(0, 0));
    ClickButton();
    ASSERT_TRUE(Ed->PopupVisible()) << c.Left;
    const QRect g = PopupWidget()->geometry();
    const std::string where = c.Where;
    Integer x = origin.X + 121 - 150;
    if (where == "left") x = origin.X;
    if (where == "clamp") x = sw - 150;
    const Integer y = where == "above" ? origin.Y - 80 : origin.Y + 21;
    EXPECT_EQ(g.x(), x) << c.Left << " " << c.Where;
    EXPECT_EQ(g.y(), y) << c.Top << " " << c.Where;
    EXPECT_EQ(g.size(), QSize(150, 80));
    EXPECT_TRUE(PopupWidget()->isVisible());
    EXPECT_TRUE(PopupWidget()->testAttribute(Qt::WA_ShowWithoutActivating));
    Key(Ed->Widget(), Qt::Key_Escape, QString(QChar(27)));
    EXPECT_FALSE(Ed->PopupVisible());
  }
}

TEST_F(ComboEditTest, DropDownGivesTheTextAndEnterTakesThePopupsValue) {
  ClickButton();
  ASSERT_TRUE(Ed->PopupVisible());
  ASSERT_EQ(Ed->Rows->Given.size(), 1u);
  EXPECT_FALSE(Ed->Rows->Given[0].has_value()) << "an empty text is passed as no value";
  EXPECT_EQ(ButtonClicks, 1);
  EXPECT_TRUE(Line()->isReadOnly()) << "the edit is read-only while the pop-up is shown";
  EXPECT_EQ(Form->ActiveControl(), Ed);

  Ed->Rows->SetValue(AnsiString("row 3"));
  Key(Ed->Widget(), Qt::Key_Return, QString(QChar(13)));
  EXPECT_FALSE(Ed->PopupVisible());
  EXPECT_FALSE(PopupWidget()->isVisible());
  EXPECT_EQ(Ed->GetText(), "row 3");
  EXPECT_TRUE(Ed->Modified());
  EXPECT_EQ(Changes, std::vector<std::string>{"row 3"});
  EXPECT_EQ(Ed->Steps, std::vector<std::string>{"accept? row 3"});
  EXPECT_FALSE(Line()->isReadOnly()) << "the read-only state follows DirectInput again";
  EXPECT_TRUE(Form->Events.empty()) << "Enter closed the pop-up and reached no button";

  // The text goes to the pop-up; the same value taken back changes nothing.
  ClickButton();
  ASSERT_EQ(Ed->Rows->Given.size(), 3u);
  EXPECT_EQ(Ed->Rows->Given[2], TPopupValue("row 3"));
  Ed->SetModified(false);
  Key(Ed->Widget(), Qt::Key_Return, QString(QChar(13)));
  EXPECT_EQ(Changes.size(), 1u);
  EXPECT_FALSE(Ed->Modified());

  // A value the editor refuses is not taken.
  Ed->Refuse = true;
  ClickButton();
  Ed->Rows->SetValue(AnsiString("row 9"));
  Key(Ed->Widget(), Qt::Key_Return, QString(QChar(13)));
  EXPECT_EQ(Ed->GetText(), "row 3");
  EXPECT_EQ(Ed->Steps.back(), "accept? row 9");
}

TEST_F(ComboEditTest, EscapeCancelsThePopupWithoutReachingTheForm) {
  Ed->SetText("start");
  Changes.clear();
  ClickButton();
  Ed->Rows->SetValue(AnsiString("row 1"));
  Key(Ed->Widget(), Qt::Key_Escape, QString(QChar(27)));
  EXPECT_FALSE(Ed->PopupVisible());
  EXPECT_EQ(Ed->GetText(), "start");
  EXPECT_TRUE(Changes.empty());
  EXPECT_TRUE(Ed->Steps.empty()) << "a cancel does not ask to accept";
  EXPECT_TRUE(Form->Events.empty()) << "the cancel button is not pressed";
  // Without a pop-up, Escape reaches the form's cancel button as before.
  Key(Ed->Widget(), Qt::Key_Escape, QString(QChar(27)));
  EXPECT_EQ(Form->Events, std::vector<std::string>{"cancel button"});
}

TEST_F(ComboEditTest, PickingInThePopupTakesTheValueAndAClickElsewhereCancels) {
  Ed->SetText("start");
  Changes.clear();
  ClickButton();
  Click(PopupWidget(), QPoint(20, 45));
  EXPECT_FALSE(Ed->PopupVisible());
  EXPECT_EQ(Ed->GetText(), "row 2");
  EXPECT_EQ(Ed->Steps, (std::vector<std::string>{"popup changed", "accept? row 2"}));

  struct Closer {
    const char* Name;
    std::function<void()> Close;
  };
  const Closer closers[] = {
      {"press on another control", [this] { Click(Form->Other->Widget(), QPoint(5, 5)); }},
      {"press on the form", [this] { Click(Form->Widget(), QPoint(600, 400)); }},
      {"press in the edit", [this] { Click(Ed->Widget(), QPoint(5, 5)); }},
      {"focus loss", [this] { Form->Other->SetFocus(); }},
      {"cancel mode of another control", [this] { Ed->Perform(CM_CANCELMODE, 0, PtrLParam(Form->Other)); }},
  };
  for (const Closer& c : closers) {
    Ed->SetText("start");
    Ed->SetFocus();
    Changes.clear();
    Ed->Steps.clear();
    ClickButton();
    ASSERT_TRUE(Ed->PopupVisible()) << c.Name;
    Ed->Rows->SetValue(AnsiString("row 7"));
    c.Close();
    EXPECT_FALSE(Ed->PopupVisible()) << c.Name;
    EXPECT_FALSE(PopupWidget()->isVisible()) << c.Name;
    EXPECT_EQ(Ed->GetText(), "start") << c.Name;
    EXPECT_TRUE(Changes.empty()) << c.Name;
    EXPECT_TRUE(Ed->Steps.empty()) << c.Name;
    EXPECT_FALSE(Line()->isReadOnly()) << c.Name;
  }
  // Its own cancel mode leaves the pop-up open.
  ClickButton();
  Ed->Perform(CM_CANCELMODE, 0, PtrLParam(Ed));
  EXPECT_TRUE(Ed->PopupVisible());
}

TEST_F(ComboEditTest, TheButtonClosesAVisiblePopupAndItsClickOpensNothing) {
  ClickButton();
  ASSERT_TRUE(Ed->PopupVisible());
  EXPECT_EQ(ButtonClicks, 1);
  Ed->Rows->SetValue(AnsiString("row 4"));
  ClickButton();
  EXPECT_FALSE(Ed->PopupVisible()) << "the press closed it and the click did not open it again";
  EXPECT_FALSE(Ed->Button()->NoAction()) << "the flag lasts for one click";
  EXPECT_EQ(ButtonClicks, 1);
  EXPECT_EQ(Ed->GetText(), "row 4") << "the button closes taking the value";
  ClickButton();
  EXPECT_TRUE(Ed->PopupVisible());
  EXPECT_EQ(ButtonClicks, 2);

  // The click key opens and closes it as well.
  Key(Ed->Widget(), Qt::Key_Escape, QString(QChar(27)));
  Key(Ed->Widget(), Qt::Key_Down, QString(), Qt::AltModifier);
  EXPECT_TRUE(Ed->PopupVisible());
  Key(Ed->Widget(), Qt::Key_Down, QString(), Qt::AltModifier);
  EXPECT_FALSE(Ed->PopupVisible());

  // A read-only editor does not drop down; the pop-up's removal leaves a plain editor.
  Ed->SetReadOnly(true);
  Ed->PopupDropDown(true);
  EXPECT_FALSE(Ed->PopupVisible());
  Ed->SetReadOnly(false);
  ClickButton();
  ASSERT_TRUE(Ed->PopupVisible());
  Ed->Rows->Free();
  EXPECT_EQ(Ed->Popup(), nullptr);
  EXPECT_FALSE(Ed->PopupVisible());
  ClickButton();
  EXPECT_FALSE(Ed->PopupVisible());
}

TEST_F(ComboEditTest, TheButtonShowsHintsAsItsEditDoes) {
  EXPECT_TRUE(Ed->Button()->ParentShowHint());
  Ed->SetShowHint(true);
  EXPECT_TRUE(Ed->Button()->ShowHint());
  Ed->SetShowHint(false);
  EXPECT_FALSE(Ed->Button()->ShowHint());
}

TEST_F(ComboEditTest, CaretIsOnePixelAndTwoForABoldFont) {
  const auto caretOf = [this] {
    return Line()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, Line());
  };
  Form->Other->SetFocus();
  Ed->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(Ed->CaretWidth(), 1);
  EXPECT_EQ(caretOf(), 1);
  Form->Other->SetFocus();
  Ed->Font().SetStyle(TFontStyles{fsBold});
  Ed->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(Ed->CaretWidth(), 2);
  EXPECT_EQ(caretOf(), 2);
}

TEST_F(ComboEditTest, EnteringSelectsTheTextOnlyWithDirectInput) {
  struct Case {
    bool AutoSelect, DirectInput, Selected;
  };
  const Case cases[] = {{true, true, true}, {true, false, false}, {false, true, false}};
  for (const Case& c : cases) {
    Form->Other->SetFocus();
    Ed->SetText("some text");
    Ed->SetSelStart(0);
    Ed->SetAutoSelect(c.AutoSelect);
    Ed->SetDirectInput(c.DirectInput);
    Ed->SetFocus();
    EXPECT_EQ(Ed->SelLength() == 9, c.Selected) << c.AutoSelect << c.DirectInput;
  }
}

TEST_F(ComboEditTest, FileEditsConvertTypedCharactersThroughTheOemCodePage) {
  auto* files = new TFilenameEdit(Form);
  files->SetParent(Form);
  files->SetBounds(300, 200, 200, 21);
  EXPECT_TRUE(files->OEMConvert());
  EXPECT_FALSE(Ed->OEMConvert());
  files->SetFocus();
  // Under an OEM code page without it a character comes back as the page's stand-in; one the page
  // has stays.
  struct TRestore {
    TNlsSettings Saved = NlsSettings();
    ~TRestore() { SetNlsSettings(Saved); }
  } restore;
  TNlsSettings oem437 = restore.Saved;
  oem437.OemCodePage = 437;
  SetNlsSettings(oem437);
  EXPECT_NE(OemToChar(CharToOem("\xA4")), "\xA4") << "the code page lacks the currency sign";
  for (const char c : {'\xA4', '\xAE', '\xE9', 'x'}) {
    files->SetText("");
    Key(files->Widget(), 0, QString(QChar(static_cast<char16_t>(static_cast<unsigned char>(c)))));
    EXPECT_EQ(files->GetText(), OemToChar(CharToOem(std::string(1, c)))) << int(static_cast<unsigned char>(c));
  }
  EXPECT_EQ(files->GetText(), "x");
  files->SetOEMConvert(false);
  files->SetText("");
  Key(files->Widget(), 0, QString(QChar(static_cast<char16_t>(0xA4))));
  EXPECT_EQ(files->GetText(), "\xA4");
}

TEST_F(ComboEditTest, MinimumHeightFollowsTheSmallerOfTheScreenAndTheControlFont) {
  const Integer border = 4 * GetSystemMetrics(SM_CYBORDER) + 1;
  const Integer screenFont = QFontMetrics(QApplication::font()).height();
  Ed->Font().SetHeight(-40);
  EXPECT_EQ(Ed->MinimumHeight(), std::min(screenFont, QFontMetrics(Ed->Font().ToQFont()).height()) + border);
  EXPECT_EQ(Ed->MinimumHeight(), screenFont + border) << "a large control font does not raise it";
  Ed->Font().SetHeight(-6);
  EXPECT_EQ(Ed->MinimumHeight(), QFontMetrics(Ed->Font().ToQFont()).height() + border);
  Ed->SetHeight(2);
  EXPECT_EQ(Ed->Height(), Ed->MinimumHeight());
}

TEST_F(ComboEditTest, FileEditPublishesItsMaskAndTypesThroughIt) {
  auto* files = new TFilenameEdit(Form);
  files->SetName("Files");
  files->SetParent(Form);
  files->SetBounds(300, 200, 200, 21);
  files->SetEditMask(">LL;1;_");
  files->SetFocus();
  Key(files->Widget(), Qt::Key_A, "a");
  Key(files->Widget(), Qt::Key_1, "1");
  Key(files->Widget(), Qt::Key_B, "b");
  EXPECT_EQ(files->GetText(), "AB");
  const AnsiString text = WriteComponentToText(Form);
  EXPECT_NE(text.find("EditMask = '>LL;1;_'"), AnsiString::npos) << text;
}

}  // namespace
}  // namespace orv::test
