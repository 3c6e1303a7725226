// Text drawing in a rectangle: the sizes DT_CALCRECT reports, "&" prefixes, word breaks, tab
// stops, alignment and vertical centring, checked on rectangles and on the rendered pixels.
#include <gtest/gtest.h>
#include "GraphicsTestSupport.h"

namespace orv {
namespace {

using test::WhiteBitmap;

class DrawTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FBitmap = WhiteBitmap(200, 80);
    TCanvas* cv = FBitmap->Canvas();
    cv->Font()->SetName("DejaVu Sans");
    cv->Font()->SetHeight(-12);
    cv->Font()->SetColor(clBlack);
    cv->Brush()->SetStyle(bsClear);
  }
  TSize Extent(const char* text) { return FBitmap->Canvas()->TextExtent(text); }
  TRect Calc(const char* text, UINT flags, int width = 200) {
    TRect r = Rect(10, 5, 10 + width, 5);
    DrawTextA(FBitmap->Canvas()->Handle(), text, -1, &r, flags | DT_CALCRECT);
    return r;
  }
  std::unique_ptr<TBitmap> FBitmap;
};

TEST_F(DrawTextTest, CalcRectSizes) {
  const int lh = Extent("X").cy;
  const int avg = QFontMetrics(FBitmap->Canvas()->Font()->ToQFont()).averageCharWidth();
  struct Case { const char* Text; UINT Flags; int Width; int Height; };
  const Case cases[] = {
      {"Hello", DT_SINGLELINE, Extent("Hello").cx, lh},
      {"&File", DT_SINGLELINE, Extent("File").cx, lh},
      {"&File", DT_SINGLELINE | DT_NOPREFIX, Extent("&File").cx, lh},
      {"Fish && Chips", DT_SINGLELINE, Extent("Fish & Chips").cx, lh},
      {"one\r\ntwo\nthree", 0, Extent("three").cx, 3 * lh},
      {"one\r\ntwo", DT_SINGLELINE, Extent("one two").cx, lh},
      {"a\tb", DT_SINGLELINE | DT_EXPANDTABS, 8 * avg + Extent("b").cx, lh},
      {"", DT_SINGLELINE, 0, 0},
      {"\xE4rger", DT_SINGLELINE, FBitmap->Canvas()->TextExtentW(u"\u00E4rger").cx, lh},  // narrow text is ANSI
  };
  for (const auto& c : cases) {
    TRect r = Calc(c.Text, c.Flags);
    EXPECT_EQ(r.Left, 10) << c.Text;
    EXPECT_EQ(r.Top, 5) << c.Text;
    EXPECT_EQ(r.Width(), c.Width) << c.Text;
    EXPECT_EQ(r.Height(), c.Height) << c.Text;
  }
}

TEST_F(DrawTextTest, WordBreakWrapsAtBlanksAndKeepsLongWordsWhole) {
  const int lh = Extent("X").cy;
  const int two = Extent("alpha beta").cx;
  TRect r = Calc("alpha beta gamma", DT_WORDBREAK, two + 2);
  EXPECT_EQ(r.Height(), 2 * lh) << "\"alpha beta\" fits, \"gamma\" goes to the next line";
  EXPECT_EQ(r.Width(), two);
  r = Calc("alpha beta gamma", DT_WORDBREAK, 5);
  EXPECT_EQ(r.Height(), 3 * lh) << "a word wider than the rectangle keeps a line of its own";
  EXPECT_EQ(r.Width(), std::max({Extent("alpha").cx, Extent("beta").cx, Extent("gamma").cx}))
      << "the widest line sets the width, even past the rectangle";
  r = Calc("alpha beta gamma", DT_WORDBREAK | DT_SINGLELINE, 5);
  EXPECT_EQ(r.Height(), lh) << "single line wins over word break";
}

TEST_F(DrawTextTest, PrefixUnderlinesTheMnemonicOnlyWhenShown) {
  const int lh = Extent("X").cy;
  const int ascent = QFontMetrics(FBitmap->Canvas()->Font()->ToQFont()).ascent();
  struct Case { const char* Text; UINT Flags; bool Underline; };
  const Case cases[] = {
      {"&Open", DT_SINGLELINE, true},
      {"&Open", DT_SINGLELINE | DT_HIDEPREFIX, false},
      {"Open", DT_SINGLELINE, false},
      {"&&Open", DT_SINGLELINE, false},
  };
  for (const auto& c : cases) {
    auto b = WhiteBitmap(200, 40);
    TCanvas* cv = b->Canvas();
    cv->Font()->SetHeight(-12);
    cv->Brush()->SetStyle(bsClear);
    TRect r = Rect(0, 0, 200, 40);
    DrawTextA(cv->Handle(), c.Text, -1, &r, c.Flags);
    // Rows below the baseline, over the first letter, hold ink only from the underline.
    int ink = test::InkCount(*b, Rect(0, ascent + 1, Extent("O").cx, lh), 0xFFFFFF);
    if (c.Underline) {
      EXPECT_GE(ink, Extent("O").cx - 2) << c.Text;
    } else {
      EXPECT_EQ(ink, 0) << c.Text;
    }
  }
}

TEST_F(DrawTextTest, AlignmentAndVerticalCentrePlaceTheInk) {
  const TSize size = Extent("Wg");
  struct Case { UINT Flags; int Left; int Top; };
  const Case cases[] = {
      {DT_SINGLELINE, 0, 0},
      {DT_SINGLELINE | DT_RIGHT, 200 - size.cx, 0},
      {DT_SINGLELINE | DT_CENTER | DT_VCENTER, (200 - size.cx) / 2, (80 - size.cy) / 2},
      {DT_SINGLELINE | DT_BOTTOM, 0, 80 - size.cy},
      {DT_VCENTER, 0, 0},  // vertical placement needs a single line
  };
  for (const auto& c : cases) {
    auto b = WhiteBitmap(200, 80);
    TCanvas* cv = b->Canvas();
    cv->Font()->SetHeight(-12);
    cv->Brush()->SetStyle(bsClear);
    // The same text drawn at a known position gives the ink box relative to the text cell.
    auto ref = WhiteBitmap(200, 80);
    ref->Canvas()->Font()->SetHeight(-12);
    ref->Canvas()->Brush()->SetStyle(bsClear);
    ref->Canvas()->TextOut(0, 0, "Wg");
    TRect refBox = test::InkBox(*ref, 0xFFFFFF);
    TRect r = Rect(0, 0, 200, 80);
    DrawTextA(cv->Handle(), "Wg", -1, &r, c.Flags);
    TRect box = test::InkBox(*b, 0xFFFFFF);
    EXPECT_EQ(box.Left - refBox.Left, c.Left) << std::hex << c.Flags;
    EXPECT_EQ(box.Top - refBox.Top, c.Top) << std::hex << c.Flags;
  }
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
  for (UINT extra : {0u, DT_NOCLIP}) {
    auto b = WhiteBitmap(200, 40);
    b->Canvas()->Font()->SetHeight(-12);
    b->Canvas()->Brush()->SetStyle(bsClear);
    TRect r = Rect(0, 0, 8, 40);
    DrawTextA(b->Canvas()->Handle(), "WWWWWW", -1, &r, DT_SINGLELINE | extra);
    int outside = test::InkCount(*b, Rect(8, 0, 200, 40), 0xFFFFFF);
    if (extra) {
      EXPECT_GT(outside, 0);
    } else {
      EXPECT_EQ(outside, 0);
    }
  }
}

TEST_F(DrawTextTest, EndEllipsisFitsTheWidth) {
  const int width = Extent("Hello").cx;
  TRect r = Calc("Hello wonderful world", DT_SINGLELINE | DT_END_ELLIPSIS, width);
  EXPECT_LE(r.Width(), width);
  EXPECT_GT(r.Width(), 0);
}

TEST_F(DrawTextTest, OpaqueBackgroundFillsBehindTheText) {
  TCanvas* cv = FBitmap->Canvas();
  HDC dc = cv->Handle();
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, 0x00FFFF);
  SetTextColor(dc, 0x000000);
  TRect r = Rect(0, 0, 200, 80);
  DrawTextW(dc, u"Hi", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(test::Px(*FBitmap, 0, 0), 0x00FFFFu);
  EXPECT_EQ(test::Px(*FBitmap, 150, 0), 0xFFFFFFu);
}

}  // namespace
}  // namespace orv
