// The shadow label: read from a description as the windows place it, its shadow in pixels, the
// auto-size rules (empty caption, "&", right alignment, word wrap), the vertical layout, the
// disabled look, the accelerator and focus of its focus control, and the mouse events.
#include "tests/controls/ControlsFixture.h"

#include <QPainter>
#include "controls/OrvLabel.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

class TLabelForm : public TForm {
 public:
  explicit TLabelForm(TComponent* owner) : TForm(owner) {}
  TOrvLabel* HeadingLabel = nullptr;
  TOrvLabel* WrapLabel = nullptr;
  TEdit* Edit1 = nullptr;
};

const char* const kLabelForm = R"(object LabelForm: TLabelForm
  Width = 400
  Height = 300
  Color = clBtnFace
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  object HeadingLabel: TOrvLabel
    Left = 8
    Top = 8
    Caption = 'Sender accounts'
    Font.Name = 'DejaVu Sans'
    Font.Height = -16
    Font.Style = [fsBold]
    ParentFont = False
  end
  object WrapLabel: TOrvLabel
    Left = 8
    Top = 40
    Width = 90
    Height = 40
    AutoSize = False
    WordWrap = True
    Caption = 'One mail to many readers, from your own address table.'
  end
  object Edit1: TEdit
    Left = 200
    Top = 8
    Width = 100
    Height = 21
  end
end
)";

class OrvLabelTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    using F = TLabelForm;
    RegisterClassType<F, TForm>("TLabelForm")
        .Field("HeadingLabel", &F::HeadingLabel)
        .Field("WrapLabel", &F::WrapLabel)
        .Field("Edit1", &F::Edit1);
    Form = MakeForm<TLabelForm>("TLabelForm", kLabelForm);
  }

  TOrvLabel* NewLabel(const AnsiString& caption) {
    auto* l = new TOrvLabel(Form);
    l->SetParent(Form);
    l->SetBounds(20, 120, 65, 17);
    l->SetCaption(caption);
    return l;
  }

  static QImage Shot(TOrvLabel* l) {
    QImage image(l->Width(), l->Height(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    l->PaintOn(painter);
    painter.end();
    return image;
  }

  static int LineHeight(TOrvLabel* l) {
    TBitmap b(1, 1);
    b.Canvas()->Font()->Assign(l->Font());
    TRect r = Rect(0, 0, 100, 0);
    DrawTextA(b.Canvas()->Handle(), " ", -1, &r, DT_CALCRECT);
    return r.Height();
  }

  TLabelForm* Form = nullptr;
};

TEST_F(OrvLabelTest, DescriptionGivesADefaultShadowUpAndLeftOfTheText) {
  TOrvLabel* heading = Form->HeadingLabel;
  EXPECT_EQ(heading->ShadowColor(), clBtnHighlight);
  EXPECT_EQ(heading->ShadowSize(), 1);
  EXPECT_EQ(heading->ShadowPos(), spLeftTop);
  EXPECT_FALSE(heading->Transparent());
  EXPECT_TRUE(heading->AutoSize());
  EXPECT_EQ(heading->Height(), LineHeight(heading) + 1) << "sized to the text and its shadow";
  const QImage shot = Shot(heading);
  const QPoint text = FindColour(shot, QColor(0, 0, 0));
  ASSERT_NE(text, QPoint(-1, -1));
  EXPECT_EQ(shot.pixelColor(text - QPoint(1, 1)), ShownColor(clBtnHighlight)) << "the shadow one pixel up and left";
  EXPECT_EQ(shot.pixelColor(0, shot.height() - 1), ShownColor(clBtnFace)) << "an opaque label fills with its colour";

  TOrvLabel* wrap = Form->WrapLabel;
  EXPECT_EQ(wrap->Width(), 90);
  EXPECT_EQ(wrap->Height(), 40) << "AutoSize False keeps the bounds";
}

TEST_F(OrvLabelTest, AutoSizeKeepsOneLineForAnEmptyCaptionAndGrowsAsTheTextNeeds) {
  TOrvLabel* empty = NewLabel("");
  empty->AdjustLabelBounds();
  const int line = LineHeight(empty);
  EXPECT_EQ(empty->Height(), line + 1) << "one line and the shadow";
  TOrvLabel* amp = NewLabel("&");
  EXPECT_EQ(amp->Height(), line + 1) << "a lone accelerator mark still has a line";
  TOrvLabel* literal = NewLabel("a&&b");
  const Integer withAccel = literal->Width();
  literal->SetShowAccelChar(false);
  literal->SetCaption("a&&b ");
  literal->SetCaption("a&&b");
  EXPECT_GT(literal->Width(), withAccel) << "without ShowAccelChar every & is drawn";

  TOrvLabel* right = NewLabel("Short");
  right->SetAlignment(taRightJustify);
  const Integer rightEdge = right->Left() + right->Width();
  right->SetCaption("A much longer caption");
  EXPECT_EQ(right->Left() + right->Width(), rightEdge) << "a right-aligned label grows to the left";
  EXPECT_LT(right->Left(), 20);

  TOrvLabel* wrap = NewLabel("word word word word word word");
  wrap->SetWordWrap(true);
  wrap->SetAutoSize(false);
  wrap->SetWidth(60);
  wrap->SetAutoSize(true);
  EXPECT_LE(wrap->Width(), 60) << "word wrap does not widen the label";
  EXPECT_GT(wrap->Height(), 2 * line) << "and the height follows the lines";
  wrap->SetShadowSize(4);
  const Integer tall = wrap->Height();
  wrap->SetShadowSize(0);
  EXPECT_EQ(wrap->Height(), tall - 4);
}

TEST_F(OrvLabelTest, LayoutCentresTheTextBlockWithTheOddPixelBelow) {
  TOrvLabel* l = NewLabel("X");
  l->SetAutoSize(false);
  l->SetShadowSize(0);
  const int line = LineHeight(l);
  l->SetHeight(line + 7);
  const QImage top = Shot(l);
  l->SetLayout(tlCenter);
  const QImage centred = Shot(l);
  l->SetLayout(tlBottom);
  const QImage bottom = Shot(l);
  const int y0 = FindColour(top, QColor(0, 0, 0)).y();
  EXPECT_EQ(FindColour(centred, QColor(0, 0, 0)).y(), y0 + 3) << "7 spare pixels: 3 above, 4 below";
  EXPECT_EQ(FindColour(bottom, QColor(0, 0, 0)).y(), y0 + 7);
}

TEST_F(OrvLabelTest, DisabledLabelIsGreyWithAHighlightCopyDownAndRight) {
  TOrvLabel* l = NewLabel("Mail");
  l->SetShadowSize(0);
  l->SetEnabled(false);
  const QImage shot = Shot(l);
  EXPECT_EQ(FindColour(shot, QColor(0, 0, 0)), QPoint(-1, -1));
  const QPoint grey = FindColour(shot, ShownColor(clGrayText));
  ASSERT_NE(grey, QPoint(-1, -1));
  EXPECT_NE(FindColour(shot, ShownColor(clBtnHighlight)), QPoint(-1, -1));
  EXPECT_NE(shot.pixelColor(grey - QPoint(1, 1)), ShownColor(clBtnHighlight)) << "nothing up and left";
}

TEST_F(OrvLabelTest, AcceleratorFocusesTheFocusControlAndShowFocusFramesTheText) {
  Form->Show();
  TOrvLabel* l = NewLabel("&Name");
  l->SetFocusControl(Form->Edit1);
  EXPECT_EQ(l->Perform(CM_DIALOGCHAR, 'n'), 1);
  EXPECT_TRUE(Form->Edit1->Focused());
  EXPECT_TRUE(l->LabelFocused()) << "the label hears the focus change";
  EXPECT_EQ(l->Perform(CM_DIALOGCHAR, 'x'), 0);
  const QImage plain = Shot(l);
  l->SetShowFocus(true);
  const QImage framed = Shot(l);
  EXPECT_NE(plain, framed) << "a focus rectangle around the text";
  l->SetFocusControl(nullptr);
  EXPECT_EQ(l->Perform(CM_DIALOGCHAR, 'n'), 0);
  l->SetFocusControl(Form->Edit1);
  Form->Edit1->Free();
  Form->Edit1 = nullptr;
  EXPECT_EQ(l->FocusControl(), nullptr) << "a removed focus control is forgotten";
}

TEST_F(OrvLabelTest, MouseEnterAndLeaveFireWhileTheProgramsWindowIsActive) {
  Form->Show();
  TOrvLabel* l = NewLabel("Hover");
  std::vector<std::string> events;
  l->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
  l->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
  const HWND previous = SetActiveWindowState(Form->Handle());
  Mouse(Form->Widget(), QEvent::MouseMove, QPoint(25, 125));
  EXPECT_TRUE(l->MouseInControl());
  Mouse(Form->Widget(), QEvent::MouseMove, QPoint(300, 250));
  EXPECT_FALSE(l->MouseInControl());
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
  SetActiveWindowState(previous);
}

TEST_F(OrvLabelTest, TheWindowShowsTheLabelWithItsShadowAndHandsItTheMouse) {
  Form->Show();
  const HWND previous = SetActiveWindowState(Form->Handle());
  TOrvLabel* l = Form->HeadingLabel;
  QWidget* top = Form->Widget();
  const QPoint origin = testinput::At(top, QPoint(l->Left(), l->Top()));

  // What the window shows at the label's place: black text, its highlight copy up and left.
  const QImage shot = top->grab().toImage();
  QPoint text(-1, -1);
  for (int y = 0; y < l->Height() && text.x() < 0; ++y)
    for (int x = 0; x < l->Width(); ++x)
      if (shot.pixelColor(origin + QPoint(x, y)) == QColor(0, 0, 0)) {
        text = origin + QPoint(x, y);
        break;
      }
  ASSERT_NE(text, QPoint(-1, -1)) << "the window shows the text";
  EXPECT_EQ(shot.pixelColor(text - QPoint(1, 1)), ShownColor(clBtnHighlight));

  std::vector<std::string> events;
  l->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
  l->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
  l->OnClick = [&](TObject*) { events.push_back("click"); };
  const QPoint inside = origin + QPoint(5, 5), outside = testinput::At(top, QPoint(380, 250));
  testinput::Move(top, outside);
  testinput::Move(top, inside);
  testinput::Move(top, outside);
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));

  // Pressed on the label, the mouse may leave it: it is not gone until the button is let go.
  events.clear();
  testinput::Move(top, inside);
  testinput::Press(top, inside);
  testinput::Move(top, outside);
  EXPECT_TRUE(l->MouseInControl()) << "no leave while the button is held";
  testinput::Release(top, outside);
  EXPECT_FALSE(l->MouseInControl());
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"})) << "a release elsewhere is no click";

  // The hand moves on from where it let go before it comes back.
  events.clear();
  testinput::Move(top, outside + QPoint(-5, 0));
  testinput::Click(top, inside);
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "click"}));
  l->SetEnabled(false);
  testinput::Click(top, inside);
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "click", "leave"}))
      << "a disabled label is left, and not clicked";
  SetActiveWindowState(previous);
}

TEST_F(OrvLabelTest, ARightClickMakesTheLabelLookAgainWhetherTheMouseIsOverIt) {
  Form->Show();
  TOrvLabel* l = Form->HeadingLabel;
  std::vector<std::string> events;
  l->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
  l->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
  QWidget* top = Form->Widget();
  const QPoint inside = testinput::At(top, QPoint(l->Left() + 5, l->Top() + 5));
  // The mouse comes while another program's window is active: the label does not light up.
  const HWND previous = SetActiveWindowState(HWND{});
  testinput::Move(top, inside + QPoint(0, 40));
  testinput::Move(top, inside);
  EXPECT_TRUE(events.empty());
  // The window is ours again; the right button's press and release make the label look.
  SetActiveWindowState(Form->Handle());
  testinput::Press(top, inside, Qt::RightButton);
  EXPECT_EQ(events, std::vector<std::string>{"enter"});
  testinput::Release(top, inside, Qt::RightButton);
  EXPECT_EQ(events, std::vector<std::string>{"enter"}) << "once";
  if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
  SetActiveWindowState(previous);
}

}  // namespace
}  // namespace orv::test
