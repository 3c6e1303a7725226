// The XP-style button as the windows use it: the kinds with their captions, results and glyphs,
// reading and writing window descriptions, the glyph strip and its state images in the shared
// lists, the layout of glyph and caption, the classic face in pixels, clicks, modal results, the
// help and close kinds, and the theme binding that finds no theme library here.
#include "tests/controls/ControlsFixture.h"

#include <QTimer>
#include "controls/XPStyleButtons.h"
#include "platform/classes/ObjectText.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/graphics/ImgList.h"

namespace orv::test {
namespace {

// The see-through colour of the test glyphs.
constexpr COLORREF kBorder = 0x008080;

class TXPForm : public TForm {
 public:
  explicit TXPForm(TComponent* owner) : TForm(owner) {}
  TBitBtnXP* OKBtn = nullptr;
  TBitBtnXP* CancelBtn = nullptr;
  TBitBtnXP* CloseBtn = nullptr;
  TBitBtnXP* NewBtn = nullptr;
  TBitBtnXP* HelpBtn = nullptr;
  TPanel* Panel1 = nullptr;
  TEdit* Edit1 = nullptr;
  std::vector<std::string> Events;
  void BtnClick(TObject* sender) { Events.push_back("click " + static_cast<TComponent*>(sender)->Name()); }
};

const char* const kXPForm = R"(object XPForm: TXPForm
  Width = 400
  Height = 300
  HelpContext = 12
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  object Edit1: TEdit
    Left = 8
    Top = 8
    Width = 100
    Height = 21
  end
  object OKBtn: TBitBtnXP
    Left = 8
    Top = 40
    Width = 75
    Height = 25
    Kind = bkOK
    OnClick = BtnClick
  end
  object CancelBtn: TBitBtnXP
    Left = 90
    Top = 40
    Width = 75
    Height = 25
    Caption = 'Abbrechen'
    Kind = bkCancel
    OnClick = BtnClick
  end
  object CloseBtn: TBitBtnXP
    Left = 170
    Top = 40
    Width = 75
    Height = 25
    Kind = bkClose
    OnClick = BtnClick
  end
  object NewBtn: TBitBtnXP
    Left = 8
    Top = 80
    Width = 110
    Height = 25
    Caption = '&New database'
    OnClick = BtnClick
  end
  object Panel1: TPanel
    Left = 200
    Top = 100
    Width = 150
    Height = 60
    object HelpBtn: TBitBtnXP
      Left = 8
      Top = 8
      Width = 75
      Height = 25
      Kind = bkHelp
      OnClick = BtnClick
    end
  end
end
)";

class BitBtnXPTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    using F = TXPForm;
    RegisterClassType<F, TForm>("TXPForm")
        .Field("OKBtn", &F::OKBtn)
        .Field("CancelBtn", &F::CancelBtn)
        .Field("CloseBtn", &F::CloseBtn)
        .Field("NewBtn", &F::NewBtn)
        .Field("HelpBtn", &F::HelpBtn)
        .Field("Panel1", &F::Panel1)
        .Field("Edit1", &F::Edit1)
        .Method("BtnClick", &F::BtnClick);
    Form = MakeForm<TXPForm>("TXPForm", kXPForm);
  }

  TBitBtnXP* NewButton(const AnsiString& caption = "") {
    auto* b = new TBitBtnXP(Form);
    b->SetParent(Form);
    b->SetBounds(8, 200, 75, 25);
    b->SetCaption(caption);
    return b;
  }

  // The face as the button draws it for a draw-item request with the given item state bits.
  static QImage Face(TBitBtnXP* button, UINT itemState) {
    QImage image(button->Width(), button->Height(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_BUTTON;
    item.itemState = itemState;
    item.rcItem = button->ClientRect();
    item.hDC = CreateImageDC(&image);
    button->Perform(CN_DRAWITEM, 0, PtrLParam(&item));
    GdiFlush(item.hDC);
    DeleteDC(item.hDC);
    return image;
  }

  static int TextWidth(TBitBtnXP* button, const AnsiString& text) {
    TBitmap b(10, 10);
    b.Canvas()->Font()->Assign(button->Font());
    TRect r = Rect(0, 0, 200, 0);
    DrawTextA(b.Canvas()->Handle(), text.c_str(), -1, &r, DT_CALCRECT);
    return r.Width();
  }

  TModalResult RunModal(std::function<void()> action) {
    QTimer::singleShot(0, &FTimers, [action] { action(); });
    QTimer::singleShot(5000, &FTimers, [this] { if (Form->FormState().Contains(fsModal)) Form->SetModalResult(-1); });
    return Form->ShowModal();
  }

  TXPForm* Form = nullptr;
  // The timers of RunModal end with the test.
  QObject FTimers;
};

TEST_F(BitBtnXPTest, KindsSetCaptionResultsAndTheirTwoImageGlyph) {
  struct TCase {
    TBitBtnXPKind Kind;
    const char* Caption;
    TModalResult Result;
    bool Default, Cancel;
    int GlyphHeight;
  };
  const TCase cases[] = {
    {bkOK, "OK", mrOk, true, false, 18},         {bkCancel, "Cancel", mrCancel, false, true, 18},
    {bkHelp, "&Help", mrNone, false, false, 18}, {bkYes, "&Yes", mrYes, true, false, 18},
    {bkNo, "&No", mrNo, false, true, 18},        {bkClose, "&Close", mrNone, false, false, 18},
    {bkAbort, "Abort", mrAbort, false, false, 18}, {bkRetry, "&Retry", mrRetry, false, false, 18},
    {bkIgnore, "&Ignore", mrIgnore, false, false, 18}, {bkAll, "&All", mrAll, false, false, 19},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Caption);
    TBitBtnXP* b = NewButton("old caption");
    b->SetDefault(!c.Default);
    b->SetCancel(!c.Cancel);
    b->SetKind(c.Kind);
    EXPECT_EQ(b->Kind(), c.Kind);
    EXPECT_EQ(b->GetText(), c.Caption) << "a kind set in code replaces the caption";
    EXPECT_EQ(b->ModalResult(), c.Result);
    EXPECT_EQ(b->Default(), c.Default);
    EXPECT_EQ(b->Cancel(), c.Cancel);
    EXPECT_EQ(b->NumGlyphs(), 2);
    ASSERT_NE(b->Glyph(), nullptr);
    EXPECT_EQ(b->Glyph()->Width(), 36);
    EXPECT_EQ(b->Glyph()->Height(), c.GlyphHeight);
    EXPECT_EQ(b->Glyph()->PixelRGB(0, c.GlyphHeight - 1), 0x008080u) << "olive is the see-through colour";
    EXPECT_EQ(b->ButtonGlyph().TransparentColor(), clOlive);
  }
}

TEST_F(BitBtnXPTest, KindReadsCustomOnceItsResultsOrGlyphAreChanged) {
  struct TCase {
    const char* Name;
    std::function<void(TBitBtnXP*)> Change;
  };
  const TCase cases[] = {
    {"modal result", [](TBitBtnXP* b) { b->SetModalResult(mrCancel); }},
    {"default", [](TBitBtnXP* b) { b->SetDefault(false); }},
    {"cancel", [](TBitBtnXP* b) { b->SetCancel(true); }},
    {"glyph", [](TBitBtnXP* b) { b->SetGlyph(Strip({0x0000FF}, kBorder).get()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TBitBtnXP* b = NewButton();
    b->SetKind(bkOK);
    c.Change(b);
    EXPECT_EQ(b->Kind(), bkCustom);
    EXPECT_EQ(b->GetText(), "OK") << "the caption stays";
  }
  TBitBtnXP* again = NewButton();
  again->SetKind(bkOK);
  again->SetModalResult(mrCancel);
  again->SetKind(bkOK);
  EXPECT_EQ(again->ModalResult(), mrOk) << "setting the kind again restores what was changed";
  EXPECT_EQ(again->Kind(), bkOK);
  TBitBtnXP* b = NewButton("Keep");
  b->SetKind(bkCustom);
  EXPECT_EQ(b->GetText(), "Keep");
  EXPECT_EQ(b->Glyph()->Width(), 0);
  b->SetKind(bkYes);
  b->SetKind(bkCustom);
  EXPECT_EQ(b->GetText(), "&Yes") << "bkCustom keeps caption, glyph and results";
  EXPECT_EQ(b->ModalResult(), mrYes);
  EXPECT_EQ(b->Glyph()->Width(), 36);
}

TEST_F(BitBtnXPTest, DescriptionKeepsAGivenCaptionAndWritesOnlyWhatTheKindDoesNotCarry) {
  EXPECT_EQ(Form->OKBtn->GetText(), "OK");
  EXPECT_TRUE(Form->OKBtn->Default());
  EXPECT_EQ(Form->CancelBtn->GetText(), "Abbrechen") << "a caption read before the kind is kept";
  EXPECT_EQ(Form->CancelBtn->ModalResult(), mrCancel);
  EXPECT_TRUE(Form->CancelBtn->Cancel());
  EXPECT_EQ(Form->NewBtn->Kind(), bkCustom);
  EXPECT_EQ(Form->NewBtn->Margin(), -1);
  EXPECT_EQ(Form->NewBtn->Spacing(), 4);
  EXPECT_EQ(Form->NewBtn->Layout(), blGlyphLeft);
  EXPECT_EQ(Form->NewBtn->Style(), bsAutoDetect);
  EXPECT_TRUE(Form->NewBtn->TabStop());

  Form->NewBtn->SetModalResult(mrAbort);
  Form->NewBtn->SetGlyph(Strip({0x0000FF, 0x00FF00, 0xFF0000}, kBorder).get());
  const AnsiString text = WriteComponentToText(Form);
  const auto block = [&](const char* name) {
    const auto start = text.find(AnsiString("object ") + name + ":");
    return text.substr(start, text.find("\n  end", start) - start);
  };
  const AnsiString ok = block("OKBtn");
  EXPECT_NE(ok.find("Kind = bkOK"), AnsiString::npos) << ok;
  for (const char* absent : {" Caption =", " Default =", " ModalResult =", " Glyph.Data", " NumGlyphs ="})
    EXPECT_EQ(ok.find(absent), AnsiString::npos) << absent << " is the kind's own:\n" << ok;
  const AnsiString cancel = block("CancelBtn");
  EXPECT_NE(cancel.find("Caption = 'Abbrechen'"), AnsiString::npos) << cancel;
  EXPECT_EQ(cancel.find("Cancel = True"), AnsiString::npos) << cancel;
  const AnsiString custom = block("NewBtn");
  EXPECT_NE(custom.find("ModalResult = 3"), AnsiString::npos) << custom;
  EXPECT_NE(custom.find("Glyph.Data"), AnsiString::npos) << custom;
  EXPECT_NE(custom.find("NumGlyphs = 3"), AnsiString::npos) << custom;
  EXPECT_EQ(custom.find(" Kind ="), AnsiString::npos) << custom;

  // Read back into a form of its own.
  RegisterComponentResource("TXPForm", text.c_str());
  auto* again = TCustomForm::Create<TXPForm>(nullptr);
  FForms.push_back(again);
  EXPECT_EQ(again->OKBtn->Kind(), bkOK);
  EXPECT_EQ(again->CancelBtn->GetText(), "Abbrechen");
  EXPECT_EQ(again->NewBtn->ModalResult(), mrAbort);
  EXPECT_EQ(again->NewBtn->NumGlyphs(), 3);
  EXPECT_EQ(again->NewBtn->Glyph()->PixelRGB(25, 5), 0xFF0000u);
}

TEST_F(BitBtnXPTest, GlyphStripSetsNumGlyphsWhenItsWidthIsAMultipleOfItsHeight) {
  struct TCase {
    int Width, Height, Before, After;
  };
  const TCase cases[] = {
    {54, 18, 1, 3}, {72, 18, 1, 4}, {90, 18, 2, 1}, {40, 18, 2, 2}, {18, 18, 3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
    TBitBtnXP* b = NewButton();
    b->SetNumGlyphs(c.Before);
    TBitmap strip(c.Width, c.Height);
    b->SetGlyph(&strip);
    EXPECT_EQ(b->NumGlyphs(), c.After);
  }
  TBitBtnXP* b = NewButton();
  b->SetNumGlyphs(9);
  EXPECT_EQ(b->NumGlyphs(), 4) << "values above 4 become 4";
  b->SetNumGlyphs(0);
  EXPECT_EQ(b->NumGlyphs(), 4) << "0 images is no count";
  b->SetMargin(3);
  b->SetMargin(-2);
  EXPECT_EQ(b->Margin(), 3) << "a margin below -1 is ignored";
  b->SetMargin(-1);
  EXPECT_EQ(b->Margin(), -1);
}

TEST_F(BitBtnXPTest, StateImagesAreSharedPerSizeAndTheirSlotsReused) {
  auto strip = Strip({0x0000FF, 0x00FF00, 0xFF0000}, kBorder);
  TBitBtnXP* a = NewButton();
  TBitBtnXP* b = NewButton();
  a->SetGlyph(strip.get());
  b->SetGlyph(strip.get());
  const Integer up = a->ButtonGlyph().MakeStateImage(bsUp);
  const Integer down = a->ButtonGlyph().MakeStateImage(bsDown);
  const Integer other = b->ButtonGlyph().MakeStateImage(bsUp);
  ASSERT_NE(a->ButtonGlyph().GlyphList(), nullptr);
  EXPECT_EQ(a->ButtonGlyph().GlyphList(), b->ButtonGlyph().GlyphList()) << "one list per image size";
  EXPECT_EQ(a->ButtonGlyph().MakeStateImage(bsUp), up) << "an image is made once";
  EXPECT_NE(up, down);
  EXPECT_NE(up, other);
  TGlyphList* list = a->ButtonGlyph().GlyphList();
  EXPECT_EQ(list->UsedCount(), 3);
  EXPECT_EQ(list->Width(), 10);

  a->SetNumGlyphs(1);  // drops a's images
  EXPECT_EQ(a->ButtonGlyph().StateIndex(bsUp), -1);
  EXPECT_EQ(list->UsedCount(), 1);
  TBitBtnXP* c = NewButton();
  c->SetGlyph(strip.get());
  EXPECT_EQ(c->ButtonGlyph().MakeStateImage(bsUp), std::min(up, down)) << "the lowest free slot is reused";
  EXPECT_EQ(list->Count(), 3) << "no image is added while a slot is free";

  const int lists = TButtonGlyph::Cache()->ListCount();
  b->Free();
  c->Free();
  EXPECT_EQ(TButtonGlyph::Cache()->ListCount(), lists - 1) << "a list nobody uses is freed";
}

TEST_F(BitBtnXPTest, DownUsesTheUpImageUnlessTheStripHasADownImage) {
  TBitBtnXP* b = NewButton();
  b->SetGlyph(Strip({0x0000FF, 0x00FF00}, kBorder).get());
  const QImage up = Face(b, 0);
  const QImage down = Face(b, ODS_SELECTED);
  const QPoint upAt = FindColour(up, QColor(255, 0, 0));
  const QPoint downAt = FindColour(down, QColor(255, 0, 0));
  ASSERT_NE(upAt, QPoint(-1, -1));
  EXPECT_EQ(downAt, upAt + QPoint(1, 1)) << "two images: down shows the up image one pixel down-right";
  EXPECT_EQ(up.pixelColor(upAt - QPoint(1, 1)), ShownColor(clBtnFace)) << "the olive border is see-through";

  b->SetGlyph(Strip({0x0000FF, 0x00FF00, 0xFF0000}, kBorder).get());
  const QImage ownDown = Face(b, ODS_SELECTED);
  EXPECT_EQ(FindColour(ownDown, QColor(255, 0, 0)), QPoint(-1, -1));
  EXPECT_EQ(FindColour(ownDown, QColor(0, 0, 255)), downAt) << "three images: down shows image 2";
}

TEST_F(BitBtnXPTest, DisabledGlyphIsTheStripsOwnImageOrEmbossedFromTheUpImage) {
  // Two images: image 1, whose white, grey and see-through pixels take the system's colours.
  TBitBtnXP* b = NewButton();
  auto strip = Strip({0x0000FF, 0x808080}, kBorder);
  strip->SetPixelRGB(15, 5, 0xFFFFFF);
  b->SetGlyph(strip.get());
  b->SetEnabled(false);
  QImage face = Face(b, ODS_DISABLED);
  EXPECT_EQ(FindColour(face, QColor(255, 0, 0)), QPoint(-1, -1)) << "the up image is not shown";
  const QPoint grey = FindColour(face, ShownColor(clBtnShadow), 3);
  ASSERT_NE(grey, QPoint(-1, -1)) << "grey stays the shadow colour";
  EXPECT_EQ(face.pixelColor(grey + QPoint(4, 4)), ShownColor(clBtnHighlight)) << "white is the highlight colour";
  EXPECT_EQ(face.pixelColor(grey - QPoint(1, 1)), ShownColor(clBtnFace)) << "olive became the face colour";

  // One image: its black pixels in shadow with a highlight copy one pixel down and right.
  TBitBtnXP* one = NewButton();
  auto black = Strip({0x000000}, kBorder);
  one->SetGlyph(black.get());
  one->SetEnabled(false);
  face = Face(one, ODS_DISABLED);
  const QPoint corner = FindColour(face, ShownColor(clBtnShadow), 3);
  ASSERT_NE(corner, QPoint(-1, -1));
  EXPECT_EQ(face.pixelColor(corner + QPoint(8, 8)), ShownColor(clBtnHighlight)) << "the highlight below-right";
  EXPECT_EQ(face.pixelColor(corner + QPoint(7, 7)), ShownColor(clBtnShadow));
  EXPECT_EQ(FindColour(face, QColor(0, 0, 0)), QPoint(-1, -1)) << "nothing is drawn black";
}

TEST_F(BitBtnXPTest, CaptionAndGlyphAreCentredAsAGroupOrSpreadEvenly) {
  TBitBtnXP* b = NewButton("OK");
  b->SetBounds(0, 0, 100, 30);
  b->SetGlyph(Strip({0x0000FF}, kBorder, 16).get());
  TBitmap target(100, 30);
  TCanvas& canvas = *target.Canvas();
  canvas.Font()->Assign(b->Font());
  const int tw = TextWidth(b, "OK");
  const TRect client = Rect(0, 0, 100, 30);
  struct TCase {
    const char* Name;
    TButtonLayout Layout;
    Integer Margin, Spacing;
    AnsiString Caption;
    int GlyphX, TextX;
  };
  const int free3 = (100 - (16 + tw)) / 3;
  const int group = (100 - (16 + 4 + tw) + 1) / 2;
  const TCase cases[] = {
    {"centred group", blGlyphLeft, -1, 4, "OK", group, group + 16 + 4},
    {"three equal parts", blGlyphLeft, -1, -1, "OK", free3, 2 * free3 + 16},
    {"margin given", blGlyphLeft, 5, -1, "OK", 5, 5 + 16 + (100 - 21 - tw) / 2},
    {"glyph right", blGlyphRight, 6, 4, "OK", 100 - 6 - 16, 100 - 6 - 16 - 4 - tw},
    {"no caption: spacing 0", blGlyphLeft, -1, 4, "", (100 - 16 + 1) / 2, (100 - 16 + 1) / 2 + 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TPoint glyph;
    TRect text;
    b->ButtonGlyph().CalcLayout(canvas, client, c.Caption, c.Layout, c.Margin, c.Spacing, glyph, text, 0);
    EXPECT_EQ(glyph.X, c.GlyphX);
    EXPECT_EQ(text.Left, c.TextX);
    EXPECT_EQ(glyph.Y, (30 - 16 + 1) / 2);
  }
  TPoint glyph;
  TRect text;
  b->ButtonGlyph().CalcLayout(canvas, Rect(10, 20, 110, 80), "OK", blGlyphTop, 2, 3, glyph, text, 0);
  EXPECT_EQ(glyph, Point(10 + (100 - 16 + 1) / 2, 22)) << "top: moved by the client's corner";
  EXPECT_EQ(text.Top, 20 + 2 + 16 + 3);
  b->ButtonGlyph().CalcLayout(canvas, client, "OK", blGlyphLeft, 6, 4, glyph, text, DT_RIGHT);
  EXPECT_EQ(glyph.X, 100 - 6 - 16) << "right-to-left alignment swaps left and right";

  TBitBtnXP* bare = NewButton("OK");
  bare->ButtonGlyph().CalcLayout(canvas, client, "OK", blGlyphLeft, -1, 4, glyph, text, 0);
  EXPECT_EQ(text.Left, (100 - tw + 1) / 2) << "without a glyph the spacing is 0";
}

TEST_F(BitBtnXPTest, ClassicFaceFramesTheFocusedDefaultButton) {
  Form->Show();
  TBitBtnXP* ok = Form->OKBtn;
  Form->Edit1->SetFocus();
  EXPECT_TRUE(ok->IsFocused()) << "the default button is the active one while an edit has the focus";
  EXPECT_FALSE(Form->CancelBtn->IsFocused());
  const QImage plain = Face(Form->CancelBtn, 0);
  const QImage framed = Face(ok, ODS_FOCUS);
  EXPECT_EQ(framed.pixelColor(0, 0), ShownColor(clWindowFrame)) << "a window-frame rectangle around it";
  EXPECT_EQ(framed.pixelColor(40, 24), ShownColor(clWindowFrame));
  EXPECT_NE(plain.pixelColor(0, 12), ShownColor(clWindowFrame));
  EXPECT_EQ(plain.pixelColor(40, 12), ShownColor(clBtnFace));
  int dots = 0;
  for (int x = 4; x < 71; ++x) dots += framed.pixelColor(x, 4) != ShownColor(clBtnFace);
  EXPECT_GT(dots, 10) << "the focus rectangle four pixels inside";

  const QImage glyph = Face(ok, 0);
  const QPoint green = FindColour(glyph, QColor(0, 128, 0));
  ASSERT_NE(green, QPoint(-1, -1)) << "the OK glyph is drawn";
  const int tw = TextWidth(ok, "OK");
  // The check mark's first green pixel is at (14, 3) of the image; the frame of a focused button
  // takes one pixel off each side, then the edge, and the group is centred in what is left.
  const int inner = 75 - 2 * 1;
  EXPECT_EQ(green.x(), 1 + (inner - (18 + 4 + tw) + 1) / 2 + 14);

  Form->CancelBtn->SetFocus();
  EXPECT_FALSE(ok->IsFocused()) << "another button took the focus";
  EXPECT_TRUE(Form->CancelBtn->IsFocused());
}

TEST_F(BitBtnXPTest, ActionImageFillsAnEmptyGlyphOnly) {
  auto* images = new TCustomImageList(Form);
  images->SetWidth(14);
  images->SetHeight(12);
  for (COLORREF c : {RGB(0, 150, 0), RGB(150, 0, 150)}) {
    TBitmap image(14, 12);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 14; ++x) image.SetPixelRGB(x, y, x < 2 ? 0xFF00FF : c);
    images->AddMasked(&image, clFuchsia);
  }
  auto* list = new TActionList(Form);
  list->SetImages(images);
  auto* action = new TAction(Form);
  action->SetCaption("Import");
  action->SetActionList(list);
  action->SetImageIndex(1);

  Form->NewBtn->SetGlyph(nullptr);
  ASSERT_TRUE(Form->NewBtn->Glyph()->Empty());
  Form->NewBtn->SetAction(action);
  EXPECT_EQ(Form->NewBtn->GetText(), "Import");
  ASSERT_FALSE(Form->NewBtn->Glyph()->Empty());
  EXPECT_EQ(Form->NewBtn->Glyph()->Width(), 14);
  EXPECT_EQ(Form->NewBtn->Glyph()->Height(), 12);
  EXPECT_EQ(Form->NewBtn->Glyph()->PixelRGB(6, 6), RGB(150, 0, 150)) << "the action's image, drawn enabled";
  EXPECT_EQ(Form->NewBtn->Glyph()->PixelRGB(0, 6), 0xFF00FFu) << "on a fuchsia ground";

  // The OK button's kind glyph stays; an image index outside the list copies nothing.
  const Integer kindWidth = Form->OKBtn->Glyph()->Width();
  Form->OKBtn->SetAction(action);
  EXPECT_EQ(Form->OKBtn->Glyph()->Width(), kindWidth);
  action->SetImageIndex(5);
  Form->CancelBtn->SetGlyph(nullptr);
  Form->CancelBtn->SetAction(action);
  EXPECT_TRUE(Form->CancelBtn->Glyph()->Empty());
}

TEST_F(BitBtnXPTest, DisabledCaptionIsEngraved) {
  TBitBtnXP* b = NewButton("Mail");
  b->SetEnabled(false);
  const QImage face = Face(b, ODS_DISABLED);
  EXPECT_NE(FindColour(face, ShownColor(clBtnShadow)), QPoint(-1, -1));
  EXPECT_EQ(FindColour(face, QColor(0, 0, 0)), QPoint(-1, -1)) << "no text in the font colour";
}

TEST_F(BitBtnXPTest, ClicksFireOnClickAndEndTheModalFormWithTheKindsResult) {
  Form->Show();
  Click(Form->NewBtn->Widget(), QPoint(10, 10));
  EXPECT_EQ(Form->Events, std::vector<std::string>{"click NewBtn"});
  Form->Events.clear();
  // A double click: press, release, double click, release.
  QWidget* w = Form->NewBtn->Widget();
  Mouse(w, QEvent::MouseButtonPress, QPoint(10, 10));
  Mouse(w, QEvent::MouseButtonRelease, QPoint(10, 10));
  Mouse(w, QEvent::MouseButtonDblClick, QPoint(10, 10));
  Mouse(w, QEvent::MouseButtonRelease, QPoint(10, 10));
  EXPECT_EQ(Form->Events.size(), 2u) << "a double click presses the button twice";
  Form->Hide();

  EXPECT_EQ(RunModal([this] { Click(Form->OKBtn->Widget(), QPoint(5, 5)); }), mrOk);
  EXPECT_EQ(RunModal([this] { Click(Form->CancelBtn->Widget(), QPoint(5, 5)); }), mrCancel);
  Form->Events.clear();
  EXPECT_EQ(RunModal([this] { Key(Form->Edit1->Widget(), Qt::Key_Return); }), mrOk)
      << "Enter presses the default button";
  EXPECT_EQ(Form->Events, std::vector<std::string>{"click OKBtn"});
}

TEST_F(BitBtnXPTest, CloseKindClosesTheFormAndHelpKindShowsTheNearestHelpContext) {
  Form->Show();
  Click(Form->CloseBtn->Widget(), QPoint(5, 5));
  EXPECT_FALSE(Form->Visible());
  EXPECT_TRUE(Form->Events.empty()) << "closing replaces the click";

  Form->Show();
  std::vector<LONG_PTR> shown;
  Application->OnHelp = [&](Word command, LONG_PTR data, bool&) {
    if (command == HELP_CONTEXT) shown.push_back(data);
  };
  Click(Form->HelpBtn->Widget(), QPoint(5, 5));
  EXPECT_EQ(shown, std::vector<LONG_PTR>{12}) << "the panel has none, the form 12";
  Form->Panel1->SetHelpContext(7);
  Click(Form->HelpBtn->Widget(), QPoint(5, 5));
  Form->HelpBtn->SetHelpContext(3);
  Click(Form->HelpBtn->Widget(), QPoint(5, 5));
  EXPECT_EQ(shown, (std::vector<LONG_PTR>{12, 7, 3}));
  EXPECT_TRUE(Form->Events.empty());
  Form->SetHelpContext(0);
  Form->Panel1->SetHelpContext(0);
  Form->HelpBtn->SetHelpContext(0);
  Click(Form->HelpBtn->Widget(), QPoint(5, 5));
  EXPECT_EQ(Form->Events, std::vector<std::string>{"click HelpBtn"}) << "no help context: a plain click";
  Application->OnHelp = nullptr;
}

TEST_F(BitBtnXPTest, WindowIsAnOwnerDrawnButton) {
  Form->Show();
  EXPECT_EQ(GetWindowLongA(Form->OKBtn->Handle(), GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_OWNERDRAW));
  MEASUREITEMSTRUCT item;
  Form->OKBtn->Perform(CN_MEASUREITEM, 0, PtrLParam(&item));
  EXPECT_EQ(item.itemWidth, 75u);
  EXPECT_EQ(item.itemHeight, 25u);
  const QImage shot = Form->OKBtn->Widget()->grab().toImage();
  EXPECT_NE(FindColour(shot, QColor(0, 128, 0)), QPoint(-1, -1)) << "the widget shows the owner-drawn face";
}

// ----- the theme binding -----

TEST(ThemeBindingTest, NoThemeLibraryHereSoTheButtonsDrawClassic) {
  FinalizeThemeLibrary();
  EXPECT_FALSE(BindThemeLibrary());
  EXPECT_FALSE(BindThemeLibrary());
  EXPECT_EQ(ThemeLibraryReferenceCount(), 2);
  EXPECT_FALSE(ThemeModule());
  EXPECT_FALSE(ThemesAvailable());
  for (const char* name : ThemeEntryPointNames) EXPECT_EQ(ThemeEntryPoint(name), nullptr) << name;
  EXPECT_EQ(OpenThemeData, nullptr);
  EXPECT_EQ(DrawThemeBackground, nullptr);
  UnbindThemeLibrary();
  UnbindThemeLibrary();
  UnbindThemeLibrary();
  EXPECT_EQ(ThemeLibraryReferenceCount(), 0) << "the count never drops below 0";
}

struct TFakeTheme {
  static inline std::vector<std::string> Calls;
  static inline BOOL AppThemed = 1, Active = 1;
  static BOOL IsAppThemed() { Calls.push_back("IsAppThemed"); return AppThemed; }
  static BOOL IsThemeActive() { Calls.push_back("IsThemeActive"); return Active; }
};

TEST(ThemeBindingTest, LibraryIsLoadedOnceAndUnloadedWithItsLastUser) {
  FinalizeThemeLibrary();
  std::vector<std::string> resolved, events;
  bool withActive = true;
  SetThemeLibraryLoader({
      [&](const AnsiString& name) { events.push_back("load " + name); return HMODULE(42); },
      [&](HMODULE, const AnsiString& name) -> void* {
        resolved.push_back(name);
        if (name == "IsAppThemed") return reinterpret_cast<void*>(&TFakeTheme::IsAppThemed);
        if (name == "IsThemeActive" && withActive) return reinterpret_cast<void*>(&TFakeTheme::IsThemeActive);
        return nullptr;
      },
      [&](HMODULE) { events.push_back("free"); return true; }});
  EXPECT_TRUE(BindThemeLibrary());
  EXPECT_TRUE(BindThemeLibrary());
  EXPECT_EQ(events, std::vector<std::string>{"load uxtheme.dll"});
  ASSERT_EQ(resolved.size(), 46u);
  EXPECT_EQ(resolved.front(), "OpenThemeData");
  EXPECT_EQ(resolved.back(), "EnableTheming");
  EXPECT_NE(IsAppThemed, nullptr);
  EXPECT_EQ(OpenThemeData, nullptr) << "a name the library lacks stays null";

  struct TCase {
    BOOL AppThemed, Active;
    bool Expected;
    std::vector<std::string> Calls;
  };
  const TCase cases[] = {
    {1, 1, true, {"IsAppThemed", "IsThemeActive"}},
    {0, 1, false, {"IsAppThemed"}},
    {1, 0, false, {"IsAppThemed", "IsThemeActive"}},
  };
  for (const auto& c : cases) {
    TFakeTheme::Calls.clear();
    TFakeTheme::AppThemed = c.AppThemed;
    TFakeTheme::Active = c.Active;
    EXPECT_EQ(ThemesAvailable(), c.Expected);
    EXPECT_EQ(TFakeTheme::Calls, c.Calls);
  }

  {
    // A button made while themes are on but the library cannot open a theme draws classic.
    TFakeTheme::AppThemed = TFakeTheme::Active = 1;
    TBitBtnXP button(nullptr);
    EXPECT_EQ(button.Theme(), nullptr);
    EXPECT_EQ(ThemeLibraryReferenceCount(), 3);
  }
  UnbindThemeLibrary();
  UnbindThemeLibrary();
  EXPECT_EQ(events.size(), 1u) << "a button's end does not lower the count";
  UnbindThemeLibrary();
  EXPECT_EQ(events.back(), "free");
  EXPECT_FALSE(ThemeModule());
  EXPECT_EQ(IsAppThemed, nullptr) << "unloading clears the entry points";
  EXPECT_FALSE(ThemesAvailable());

  withActive = false;
  EXPECT_TRUE(BindThemeLibrary());
  TFakeTheme::Calls.clear();
  EXPECT_FALSE(ThemesAvailable()) << "without IsThemeActive nothing can say themes are on";
  EXPECT_TRUE(TFakeTheme::Calls.empty()) << "and nothing is called";
  FinalizeThemeLibrary();
  EXPECT_EQ(ThemeLibraryReferenceCount(), 0);
  SetThemeLibraryLoader({});
}

struct TFakeThemeDrawing {
  static inline std::vector<int> States;
  static inline int Opened = 0, Closed = 0;
  static HTHEME Open(HWND, const WideChar* classList) {
    ++Opened;
    return WideString(classList) == u"BUTTON" ? reinterpret_cast<HTHEME>(0x7) : nullptr;
  }
  static HRESULT Close(HTHEME) { ++Closed; return S_OK; }
  static HRESULT Draw(HTHEME, HDC, int part, int state, const TRect*, const TRect*) {
    EXPECT_EQ(part, BP_PUSHBUTTON);
    States.push_back(state);
    return S_OK;
  }
  static BOOL Yes() { return 1; }
};

TEST_F(BitBtnXPTest, ThemedFaceIsTheThemesBackgroundForEachState) {
  FinalizeThemeLibrary();
  SetThemeLibraryLoader({[](const AnsiString&) { return HMODULE(9); },
                         [](HMODULE, const AnsiString& name) -> void* {
                           if (name == "OpenThemeData") return reinterpret_cast<void*>(&TFakeThemeDrawing::Open);
                           if (name == "CloseThemeData") return reinterpret_cast<void*>(&TFakeThemeDrawing::Close);
                           if (name == "DrawThemeBackground") return reinterpret_cast<void*>(&TFakeThemeDrawing::Draw);
                           if (name == "IsAppThemed" || name == "IsThemeActive")
                             return reinterpret_cast<void*>(&TFakeThemeDrawing::Yes);
                           return nullptr;
                         },
                         [](HMODULE) { return true; }});
  {
    TBitBtnXP* b = NewButton("Themed");
    EXPECT_NE(b->Theme(), nullptr);
    b->SetColor(clWhite);
    const QImage up = Face(b, 0);
    EXPECT_EQ(up.pixelColor(0, 0), QColor(255, 255, 255)) << "the whole client area in the button's colour";
    Face(b, ODS_SELECTED);
    Face(b, ODS_FOCUS);
    b->SetEnabled(false);
    Face(b, ODS_DISABLED);
    EXPECT_EQ(TFakeThemeDrawing::States, (std::vector<int>{PBS_NORMAL, PBS_PRESSED, PBS_DEFAULTED, PBS_DISABLED}));
    EXPECT_NE(up.pixelColor(0, 0), ShownColor(clWindowFrame)) << "no classic frame while themed";
    b->Free();
    EXPECT_EQ(TFakeThemeDrawing::Closed, 1) << "the theme is closed with the button";
  }
  FinalizeThemeLibrary();
  SetThemeLibraryLoader({});
}

}  // namespace
}  // namespace orv::test
