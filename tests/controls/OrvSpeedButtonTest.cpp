// The speed button: glyph strips and their state images, layout, the frame of each state in
// pixels, groups, the repeat timer, the drop-down menu, the modal result, the accelerator, and the
// flat look that follows the mouse.
#include "tests/controls/ControlsFixture.h"

#include <QCursor>
#include <QPainter>
#include "controls/OrvSpeedButton.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Menus.h"
#include "platform/graphics/ImgList.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

// The see-through colour of the test glyphs.
constexpr COLORREF kBorder = 0xFF00FF;

class OrvSpeedButtonTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Form = new TForm(nullptr);
    FForms.push_back(Form);
    Form->SetBounds(0, 0, 300, 200);
    Form->Show();
  }

  TOrvSpeedButton* NewButton(Integer left = 10, Integer top = 10) {
    auto* b = new TOrvSpeedButton(Form);
    b->SetParent(Form);
    b->SetBounds(left, top, 25, 25);
    b->OnClick = [this, b](TObject*) { Clicks.push_back(b); };
    return b;
  }

  // The button as it paints itself.
  static QImage Shot(TOrvSpeedButton* b) {
    QImage image(b->Width(), b->Height(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    b->PaintOn(painter);
    painter.end();
    return image;
  }

  static QPoint FindColour(const QImage& image, const QColor& colour, int frame = 0) {
    for (int y = frame; y < image.height() - frame; ++y)
      for (int x = frame; x < image.width() - frame; ++x)
        if (image.pixelColor(x, y) == colour) return QPoint(x, y);
    return QPoint(-1, -1);
  }

  void At(TOrvSpeedButton* b, QEvent::Type type, QPoint p = QPoint(5, 5)) {
    Mouse(Form->Widget(), type, p + QPoint(b->Left(), b->Top()));
  }
  void ClickOn(TOrvSpeedButton* b) {
    At(b, QEvent::MouseButtonPress);
    At(b, QEvent::MouseButtonRelease);
  }

  TForm* Form = nullptr;
  std::vector<TOrvSpeedButton*> Clicks;
};

TEST_F(OrvSpeedButtonTest, GlyphStripSetsNumGlyphsUpToFive) {
  struct TCase {
    int Width, Height, Expected;
  };
  const TCase cases[] = {{64, 16, 4}, {80, 16, 5}, {112, 16, 1}, {40, 16, 3}, {16, 16, 1}};
  TOrvSpeedButton* b = NewButton();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
    b->SetNumGlyphs(3);
    TBitmap strip(c.Width, c.Height);
    b->SetGlyph(&strip);
    EXPECT_EQ(b->NumGlyphs(), c.Expected);
  }
  b->SetNumGlyphs(9);
  EXPECT_EQ(b->NumGlyphs(), 5);
  EXPECT_EQ(b->ButtonGlyph().TransparentColor(), clWhite) << "the strip's bottom-left pixel";
}

TEST_F(OrvSpeedButtonTest, StateImagesComeFromTheStripOrAreMadeFromTheUpImage) {
  TOrvSpeedButton* b = NewButton();
  b->SetGlyph(Strip({0x0000FF, 0x00FF00, 0xFF0000}, kBorder).get());
  QImage shot = Shot(b);
  EXPECT_NE(FindColour(shot, QColor(255, 0, 0), 2), QPoint(-1, -1)) << "up: image 0";
  At(b, QEvent::MouseButtonPress);
  shot = Shot(b);
  EXPECT_NE(FindColour(shot, QColor(0, 0, 255), 2), QPoint(-1, -1)) << "down: image 2";
  At(b, QEvent::MouseButtonRelease);
  b->SetEnabled(false);
  shot = Shot(b);
  EXPECT_NE(FindColour(shot, QColor(0, 255, 0), 2), QPoint(-1, -1)) << "disabled: image 1";

  TOrvSpeedButton* one = NewButton(50);
  one->SetGlyph(Strip({0x000000}, kBorder).get());
  one->SetEnabled(false);
  shot = Shot(one);
  EXPECT_EQ(FindColour(shot, QColor(0, 0, 0), 2), QPoint(-1, -1)) << "nothing black when disabled";
  const QPoint shadow = FindColour(shot, ShownColor(clBtnShadow), 2);
  ASSERT_NE(shadow, QPoint(-1, -1)) << "the shape in the shadow colour";
  EXPECT_EQ(shot.pixelColor(shadow + QPoint(8, 8)), ShownColor(clBtnHighlight)) << "with its highlight copy";
  EXPECT_EQ(one->ButtonGlyph().StateIndex(obsDisabled) >= 0, true);
  EXPECT_EQ(one->ButtonGlyph().GlyphList(), b->ButtonGlyph().GlyphList()) << "one list for the size";
}

TEST_F(OrvSpeedButtonTest, FlatButtonIsGreyAndFramelessUntilTheMouseComesOver) {
  TOrvSpeedButton* b = NewButton();
  b->SetFlat(true);
  b->SetGlyph(Strip({0x0000FF}, kBorder).get());
  int entered = 0, left = 0;
  b->OnMouseEnter = [&](TObject*) { ++entered; };
  b->OnMouseLeave = [&](TObject*) { ++left; };
  QImage shot = Shot(b);
  EXPECT_EQ(shot.pixelColor(0, 0), ShownColor(clBtnFace)) << "no frame";
  const int grey = (77 * 255) >> 8;
  EXPECT_NE(FindColour(shot, QColor(grey, grey, grey)), QPoint(-1, -1)) << "red in its grey";
  EXPECT_EQ(FindColour(shot, QColor(255, 0, 0)), QPoint(-1, -1));
  // The mouse is tracked only while a window of the program is the active one.
  At(b, QEvent::MouseMove);
  EXPECT_FALSE(b->MouseInControl()) << "no active window";
  Mouse(Form->Widget(), QEvent::MouseMove, QPoint(200, 150));
  const HWND previous = SetActiveWindowState(Form->Handle());
  At(b, QEvent::MouseMove);
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_EQ(entered, 1);
  shot = Shot(b);
  EXPECT_EQ(shot.pixelColor(0, 0), ShownColor(clBtnHighlight)) << "the raised frame";
  EXPECT_EQ(shot.pixelColor(24, 24), ShownColor(clBtnShadow));
  EXPECT_NE(FindColour(shot, QColor(255, 0, 0)), QPoint(-1, -1)) << "in colour";
  Mouse(Form->Widget(), QEvent::MouseMove, QPoint(200, 150));
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(left, 1);
  SetActiveWindowState(previous);
}

// The mouse through the window: a flat button lights up where the mouse is, as the last mouse
// input left it (not where the windowing system's cursor may be), also after a press held out of
// it and let go outside.
TEST_F(OrvSpeedButtonTest, FlatButtonLightsUpWhereTheWindowsMouseIs) {
  TOrvSpeedButton* b = NewButton(40, 30);
  b->SetFlat(true);
  std::vector<std::string> events;
  b->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
  b->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
  b->OnClick = [&](TObject*) { events.push_back("click"); };
  const HWND previous = SetActiveWindowState(Form->Handle());
  QWidget* top = Form->Widget();
  const QPoint corner = testinput::At(top, QPoint(b->Left(), b->Top()));
  const QPoint inside = corner + QPoint(8, 8), outside = testinput::At(top, QPoint(200, 150));
  auto framed = [&] { return top->grab().toImage().pixelColor(corner) == ShownColor(clBtnHighlight); };
  const QPoint savedCursor = QCursor::pos();
  QCursor::setPos(top->mapToGlobal(outside) + QPoint(500, 500));

  testinput::Move(top, outside);
  testinput::Move(top, inside);
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_TRUE(framed()) << "raised while the mouse is over it";
  testinput::Press(top, inside);
  testinput::Move(top, outside);
  EXPECT_TRUE(b->MouseInControl()) << "still held";
  testinput::Release(top, outside);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_FALSE(framed());
  testinput::Move(top, inside);
  EXPECT_TRUE(b->MouseInControl()) << "one move back in after the release";
  EXPECT_TRUE(framed());

  // A click inside: the release looks again where the mouse is and finds it over the button.
  testinput::Press(top, inside);
  testinput::Release(top, inside);
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_TRUE(framed());

  // Disabled and enabled again under the mouse.
  b->SetEnabled(false);
  EXPECT_FALSE(b->MouseInControl());
  b->SetEnabled(true);
  EXPECT_TRUE(b->MouseInControl()) << "the mouse is still where the last input left it";
  testinput::Move(top, outside);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_FALSE(framed());
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "enter", "click", "enter", "leave", "enter", "leave"}));

  // Hidden, the mouse comes to its place; shown there, it is entered at once.
  events.clear();
  b->SetVisible(false);
  testinput::Move(top, inside);
  EXPECT_FALSE(b->MouseInControl());
  b->SetVisible(true);
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_TRUE(framed());
  testinput::Move(top, inside + QPoint(1, 0));
  EXPECT_EQ(events, (std::vector<std::string>{"enter"})) << "once";
  QCursor::setPos(savedCursor);
  SetActiveWindowState(previous);
}

TEST_F(OrvSpeedButtonTest, FramesOfTheStates) {
  TOrvSpeedButton* b = NewButton();
  QImage shot = Shot(b);
  EXPECT_EQ(shot.pixelColor(0, 0), ShownColor(clBtnHighlight));
  EXPECT_EQ(shot.pixelColor(24, 24), ShownColor(clWindowFrame));
  EXPECT_EQ(shot.pixelColor(23, 23), ShownColor(clBtnShadow));
  At(b, QEvent::MouseButtonPress);
  shot = Shot(b);
  EXPECT_EQ(b->State(), obsDown);
  EXPECT_EQ(shot.pixelColor(0, 0), ShownColor(clWindowFrame)) << "pressed";
  EXPECT_EQ(shot.pixelColor(1, 1), ShownColor(clBtnShadow));
  EXPECT_EQ(shot.pixelColor(24, 24), ShownColor(clBtnHighlight));
  At(b, QEvent::MouseButtonRelease);

  b->SetGroupIndex(1);
  b->SetAllowAllUp(true);
  b->SetDown(true);
  shot = Shot(b);
  EXPECT_EQ(b->State(), obsExclusive);
  EXPECT_NE(shot.pixelColor(5, 5), shot.pixelColor(6, 5)) << "a down toggle shows the checked pattern";

  b->SetStyle(bsWin31);
  b->SetDown(false);
  shot = Shot(b);
  EXPECT_EQ(shot.pixelColor(0, 0), ShownColor(clWindowFrame)) << "the old style has a frame around";
  EXPECT_EQ(shot.pixelColor(1, 1), ShownColor(clBtnHighlight));
}

TEST_F(OrvSpeedButtonTest, GroupKeepsOneButtonDown) {
  TOrvSpeedButton* a = NewButton(10);
  TOrvSpeedButton* b = NewButton(40);
  TOrvSpeedButton* loose = NewButton(70);
  loose->SetDown(true);
  EXPECT_FALSE(loose->Down()) << "outside a group a button does not stay down";
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  ClickOn(a);
  EXPECT_TRUE(a->Down());
  ClickOn(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down()) << "the group's other button went up";
  ClickOn(b);
  EXPECT_TRUE(b->Down()) << "without AllowAllUp the down button stays down";
  EXPECT_EQ(Clicks, (std::vector<TOrvSpeedButton*>{a, b, b}));
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp()) << "the group shares AllowAllUp";
  ClickOn(b);
  EXPECT_FALSE(b->Down());
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_FALSE(a->Down()) << "setting Down by code tells the group too";
  EXPECT_EQ(Clicks.size(), 4u) << "and clicks nothing";

  // Released outside: no click, and a down button keeps showing down.
  At(b, QEvent::MouseButtonPress);
  At(b, QEvent::MouseMove, QPoint(100, 100));
  EXPECT_EQ(b->State(), obsExclusive);
  At(b, QEvent::MouseButtonRelease, QPoint(100, 100));
  EXPECT_EQ(Clicks.size(), 4u);
  EXPECT_TRUE(b->Down());
}

TEST_F(OrvSpeedButtonTest, HeldButtonRepeatsItsClick) {
  TOrvSpeedButton* b = NewButton();
  b->SetAllowTimer(true);
  b->SetInitPause(300);
  b->SetRepeatInterval(50);
  At(b, QEvent::MouseButtonPress);
  TTimer* timer = b->RepeatTimer();
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 300u) << "the first click after the initial pause";
  timer->OnTimer(timer);
  EXPECT_EQ(timer->Interval(), 50u) << "then every repeat interval";
  timer->OnTimer(timer);
  EXPECT_EQ(Clicks.size(), 2u);
  At(b, QEvent::MouseMove, QPoint(100, 100));
  timer->OnTimer(timer);
  EXPECT_EQ(Clicks.size(), 2u) << "no repeat while the mouse is off the button";
  At(b, QEvent::MouseMove);
  At(b, QEvent::MouseButtonRelease);
  EXPECT_EQ(Clicks.size(), 3u) << "and one click at the release inside";
  EXPECT_FALSE(timer->Enabled());
  b->SetAllowTimer(false);
  EXPECT_EQ(b->RepeatTimer(), nullptr);
}

TEST_F(OrvSpeedButtonTest, DropDownMenuOpensBelowTheButtonAndTheClosingClickDoesNotPress) {
  TOrvSpeedButton* b = NewButton(30, 40);
  auto* menu = new TPopupMenu(Form);
  b->SetDropDownMenu(menu);
  std::vector<TPoint> shownAt;
  SetPopupPresenter([&](TPopupMenu& m, Integer x, Integer y) -> TMenuItem* {
    EXPECT_EQ(m.PopupComponent(), b);
    shownAt.push_back(Point(x, y));
    return nullptr;
  });
  ClickOn(b);
  SetPopupPresenter(nullptr);
  ASSERT_EQ(shownAt.size(), 1u);
  EXPECT_EQ(shownAt[0], b->ClientToScreen(Point(-1, 25)));
  EXPECT_TRUE(Clicks.empty()) << "the press that opened the menu clicks nothing";
  EXPECT_EQ(b->State(), obsUp);

  const QImage shot = Shot(b);
  EXPECT_NE(FindColour(shot, ShownColor(clBtnText), 2), QPoint(-1, -1)) << "the drop-down mark";
  menu->Free();
  EXPECT_EQ(b->DropDownMenu(), nullptr);
}

TEST_F(OrvSpeedButtonTest, DropDownMenuIsPlacedByItsAlignmentAndTheMenuPosition) {
  TOrvSpeedButton* b = NewButton(30, 40);
  b->SetBounds(30, 40, 40, 24);
  auto* menu = new TPopupMenu(Form);
  b->SetDropDownMenu(menu);
  struct Case {
    TOrvDropDownMenuPos Position;
    TPopupAlignment Align;
    TPoint At;
  };
  const Case cases[] = {
      {dmpBottom, paLeft, Point(-1, 24)},  {dmpBottom, paRight, Point(41, 24)},
      {dmpBottom, paCenter, Point(20, 24)}, {dmpRight, paLeft, Point(40, -1)},
      {dmpRight, paRight, Point(-1, -1)},  {dmpRight, paCenter, Point(20, 24)},
  };
  std::vector<TPoint> shownAt;
  SetPopupPresenter([&](TPopupMenu&, Integer x, Integer y) -> TMenuItem* {
    shownAt.push_back(Point(x, y));
    return nullptr;
  });
  for (const Case& c : cases) {
    b->SetMenuPosition(c.Position);
    menu->SetAlignment(c.Align);
    shownAt.clear();
    ClickOn(b);
    ASSERT_EQ(shownAt.size(), 1u);
    EXPECT_EQ(shownAt[0], b->ClientToScreen(c.At)) << c.Position << " " << c.Align;
  }
  SetPopupPresenter(nullptr);
}

// An action list whose images are 12 x 10, each filled with one colour inside a see-through frame.
class SpeedButtonActionTest : public OrvSpeedButtonTest {
 protected:
  void SetUp() override {
    OrvSpeedButtonTest::SetUp();
    Images = new TCustomImageList(Form);
    Images->SetWidth(12);
    Images->SetHeight(10);
    for (COLORREF c : {RGB(200, 0, 0), RGB(0, 0, 200)}) {
      TBitmap image(12, 10);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) image.SetPixelRGB(x, y, x == 0 || y == 0 ? kBorder : c);
      Images->AddMasked(&image, clFuchsia);
    }
    List = new TActionList(Form);
    List->SetImages(Images);
    Act = new TAction(Form);
    Act->SetActionList(List);
  }

  TCustomImageList* Images = nullptr;
  TActionList* List = nullptr;
  TAction* Act = nullptr;
};

TEST_F(SpeedButtonActionTest, CheckedActionPutsAGroupedButtonDown) {
  TOrvSpeedButton* grouped = NewButton(10, 10);
  grouped->SetGroupIndex(1);
  grouped->SetAllowAllUp(true);
  TOrvSpeedButton* plain = NewButton(40, 10);
  Act->SetChecked(true);
  grouped->SetAction(Act);
  plain->SetAction(Act);
  EXPECT_TRUE(grouped->Down());
  EXPECT_FALSE(plain->Down()) << "outside a group a button never stays down";
  Act->SetChecked(false);
  EXPECT_FALSE(grouped->Down()) << "the button follows the action";
  Act->SetChecked(true);
  EXPECT_TRUE(grouped->Down());
  EXPECT_EQ(grouped->State(), obsExclusive);
}

TEST_F(SpeedButtonActionTest, ActionImageFillsAnEmptyGlyphAndAGlyphOfItsOwnStays) {
  Act->SetImageIndex(1);
  TOrvSpeedButton* empty = NewButton(10, 10);
  empty->SetAction(Act);
  ASSERT_FALSE(empty->Glyph()->Empty());
  EXPECT_EQ(empty->Glyph()->Width(), 12);
  EXPECT_EQ(empty->Glyph()->Height(), 10);
  EXPECT_EQ(empty->Glyph()->PixelRGB(5, 5), RGB(0, 0, 200));
  EXPECT_EQ(empty->Glyph()->PixelRGB(0, 0), 0xFF00FFu) << "the ground is clFuchsia";
  EXPECT_EQ(empty->Glyph()->TransparentColor(), clFuchsia);

  TOrvSpeedButton* own = NewButton(40, 10);
  auto strip = Strip({RGB(0, 160, 0)}, kBorder);
  own->SetGlyph(strip.get());
  own->SetAction(Act);
  EXPECT_EQ(own->Glyph()->Width(), 10) << "a glyph of its own is kept";

  // An index outside the list, or no list, copies nothing.
  for (Integer index : {-1, 2}) {
    Act->SetImageIndex(index);
    TOrvSpeedButton* none = NewButton(70, 10);
    none->SetAction(Act);
    EXPECT_TRUE(none->Glyph()->Empty()) << index;
  }
}

TEST_F(SpeedButtonActionTest, ListImageIsDrawnPlainDisabledOrGrey) {
  Act->SetImageIndex(0);
  TOrvSpeedButton* b = NewButton(10, 10);
  b->SetBounds(10, 10, 30, 30);
  b->SetAction(Act);
  const QColor red(200, 0, 0);
  QImage shot = Shot(b);
  EXPECT_NE(FindColour(shot, red), QPoint(-1, -1)) << "enabled: the image itself";

  b->SetEnabled(false);
  shot = Shot(b);
  EXPECT_EQ(FindColour(shot, red), QPoint(-1, -1));
  EXPECT_NE(FindColour(shot, ShownColor(clBtnShadow), 3), QPoint(-1, -1)) << "disabled: its shape in the shadow colour";

  b->SetEnabled(true);
  b->SetFlat(true);
  shot = Shot(b);
  EXPECT_EQ(FindColour(shot, red), QPoint(-1, -1));
  const int v = (77 * 200) >> 8;
  EXPECT_NE(FindColour(shot, QColor(v, v, v)), QPoint(-1, -1)) << "inactive: a grey copy";

  // Without the list the glyph copied from it is drawn.
  Images->Free();
  EXPECT_EQ(List->Images(), nullptr);
  b->SetFlat(false);
  shot = Shot(b);
  EXPECT_NE(FindColour(shot, red), QPoint(-1, -1));
  EXPECT_EQ(b->ButtonGlyph().ActionImageList(), nullptr);
}

TEST_F(OrvSpeedButtonTest, ClickSetsTheFormsModalResultAndTheAcceleratorClicks) {
  TOrvSpeedButton* b = NewButton();
  b->SetCaption("&Next");
  b->SetModalResult(mrRetry);
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'n'), 1);
  EXPECT_EQ(Form->ModalResult(), mrRetry);
  EXPECT_EQ(Clicks.size(), 1u);
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'x'), 0);
  b->SetEnabled(false);
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'n'), 0);
  EXPECT_EQ(Clicks.size(), 1u);
}

TEST_F(OrvSpeedButtonTest, LayoutSpreadsFreeSpaceOrCentres) {
  TOrvSpeedButton* b = NewButton();
  b->SetBounds(0, 0, 100, 40);
  b->SetGlyph(Strip({0x0000FF}, kBorder, 16).get());
  TBitmap target(100, 40);
  TCanvas& canvas = *target.Canvas();
  canvas.Font()->Assign(b->Font());
  const int tw = canvas.TextWidth("OK");
  struct TCase {
    const char* Name;
    Integer Margin, Spacing;
    int GlyphX, TextX;
  };
  const int third = (100 - (16 + tw)) / 3;
  const TCase cases[] = {
    {"equal thirds", -1, -1, third, 2 * third + 16},
    {"centred group", -1, 4, 50 - (16 + 4 + tw) / 2, 50 - (16 + 4 + tw) / 2 + 20},
    {"margin given", 3, -1, 3, 3 + 16 + (100 - 3 - 16) / 2 - tw / 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TPoint glyph;
    TRect text;
    b->ButtonGlyph().LayoutButtonContent(canvas, Rect(0, 0, 100, 40), "OK", blGlyphLeft, c.Margin, c.Spacing,
                                         false, glyph, text, 0);
    EXPECT_EQ(glyph.X, c.GlyphX);
    EXPECT_EQ(text.Left, c.TextX);
    EXPECT_EQ(glyph.Y, 20 - 8);
  }
  TPoint glyph;
  TRect text;
  const AnsiString shown = b->ButtonGlyph().LayoutButtonContent(
      canvas, Rect(0, 0, 40, 40), "A rather long caption", blGlyphLeft, -1, -1, false, glyph, text, 0);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...") << "a caption that does not fit is shortened";
  EXPECT_LE(text.Width(), 40 - 16);
}

}  // namespace
}  // namespace orv::test
