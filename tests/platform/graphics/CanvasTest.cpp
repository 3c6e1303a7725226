// Canvas and device-context drawing checked on pixels: line end points, rectangles, focus
// rectangles, raster operations, colour conversion of monochrome blits, saved states and origins.
#include <gtest/gtest.h>
#include <QPainter>
#include <QPixmap>
#include "GraphicsTestSupport.h"

namespace orv {
namespace {

using test::Px;
using test::WhiteBitmap;

TEST(Canvas, LineToLeavesTheEndPointOut) {
  struct Case { int X0, Y0, X1, Y1; };
  const Case cases[] = {{2, 3, 12, 3}, {12, 3, 2, 3}, {4, 1, 4, 15}, {1, 1, 11, 11}, {2, 14, 16, 5}, {3, 3, 3, 3}};
  for (const auto& c : cases) {
    auto b = WhiteBitmap(20, 20);
    TCanvas* cv = b->Canvas();
    cv->Pen()->SetColor(clBlack);
    cv->MoveTo(c.X0, c.Y0);
    cv->LineTo(c.X1, c.Y1);
    SCOPED_TRACE(testing::Message() << c.X0 << "," << c.Y0 << " -> " << c.X1 << "," << c.Y1);
    EXPECT_EQ(Px(*b, c.X1, c.Y1), 0xFFFFFFu) << "end point painted";
    int expected = std::max(std::abs(c.X1 - c.X0), std::abs(c.Y1 - c.Y0));
    EXPECT_EQ(test::InkCount(*b, Rect(0, 0, 20, 20), 0xFFFFFF), expected);
    if (expected) {
      EXPECT_EQ(Px(*b, c.X0, c.Y0), 0u) << "start point missing";
    }
    EXPECT_EQ(cv->PenPos(), Point(c.X1, c.Y1));
  }
}

TEST(Canvas, RectangleFillRectAndFrameKeepRightAndBottomOut) {
  auto b = WhiteBitmap(12, 10);
  TCanvas* cv = b->Canvas();
  cv->Pen()->SetColor(clBlack);
  cv->Brush()->SetColor(clRed);
  cv->Rectangle(2, 2, 8, 6);
  EXPECT_EQ(test::InkBox(*b, 0xFFFFFF), Rect(2, 2, 8, 6));
  for (int x = 2; x < 8; ++x) {
    EXPECT_EQ(Px(*b, x, 2), 0u);
    EXPECT_EQ(Px(*b, x, 5), 0u);
  }
  EXPECT_EQ(Px(*b, 2, 3), 0u);
  EXPECT_EQ(Px(*b, 7, 4), 0u);
  EXPECT_EQ(Px(*b, 3, 3), 0x0000FFu) << "inside takes the brush";

  auto f = WhiteBitmap(12, 10);
  f->Canvas()->Brush()->SetColor(clNavy);
  f->Canvas()->FillRect(Rect(1, 2, 5, 9));
  EXPECT_EQ(test::InkBox(*f, 0xFFFFFF), Rect(1, 2, 5, 9));
  EXPECT_EQ(Px(*f, 1, 2), 0x800000u);
  EXPECT_EQ(f->Canvas()->Pixels(4, 8), static_cast<TColor>(0x800000));
  EXPECT_EQ(f->Canvas()->Pixels(40, 8), -1) << "outside the bitmap";
}

TEST(Canvas, FocusRectangleTwiceRestoresThePixels) {
  auto b = WhiteBitmap(16, 12);
  TCanvas* cv = b->Canvas();
  cv->Brush()->SetColor(clTeal);
  cv->FillRect(Rect(0, 0, 8, 12));
  QImage before = b->Handle()->Image().copy();
  cv->DrawFocusRect(Rect(1, 1, 15, 11));
  EXPECT_GT(test::InkCount(*b, Rect(8, 0, 16, 12), 0xFFFFFF), 0) << "focus rectangle not drawn";
  EXPECT_EQ(Px(*b, 2, 1), ColorToRGB(clTeal)) << "dotted: every other pixel";
  cv->DrawFocusRect(Rect(1, 1, 15, 11));
  EXPECT_EQ(b->Handle()->Image(), before);
}

// One pixel of each: destination, source and brush, combined by the operation.
TEST(Gdi, RasterOperationsCombinePatternSourceAndDestination) {
  const COLORREF d = 0x00F0A050, s = 0x003C66CC, p = 0x00123456;
  struct Case { DWORD Rop; COLORREF Expected; };
  const Case cases[] = {
      {SRCCOPY, s},           {SRCAND, s & d},           {SRCPAINT, s | d},
      {SRCINVERT, s ^ d},     {NOTSRCCOPY, ~s & 0xFFFFFF}, {PATCOPY, p},
      {ROP_DSPDxax, (s & p) | (~s & d & 0xFFFFFF)},      {BLACKNESS, 0}, {DSTINVERT, ~d & 0xFFFFFF},
  };
  for (const auto& c : cases) {
    HDC dst = CreateCompatibleDC(nullptr), src = CreateCompatibleDC(nullptr);
    HBITMAP db = CreateBitmap(4, 4, 1, 24, nullptr), sb = CreateBitmap(4, 4, 1, 24, nullptr);
    SelectObject(dst, db);
    SelectObject(src, sb);
    SetPixel(dst, 1, 1, d);
    SetPixel(src, 2, 2, s);
    HBRUSH brush = CreateSolidBrush(p);
    HGDIOBJ old = SelectObject(dst, brush);
    BitBlt(dst, 1, 1, 1, 1, src, 2, 2, c.Rop);
    EXPECT_EQ(GetPixel(dst, 1, 1), c.Expected) << std::hex << c.Rop;
    EXPECT_EQ(GetPixel(dst, 2, 2), 0xFFFFFFu) << "outside the blit";
    SelectObject(dst, old);
    DeleteObject(brush);
    DeleteDC(dst);
    DeleteDC(src);
    EXPECT_TRUE(DeleteObject(db));
    EXPECT_TRUE(DeleteObject(sb));
  }
}

TEST(Gdi, MonochromeBlitsConvertThroughTextAndBackgroundColours) {
  HDC mono = CreateCompatibleDC(nullptr);
  HBITMAP mb = CreateBitmap(2, 1, 1, 1, nullptr);
  SelectObject(mono, mb);
  SetPixel(mono, 0, 0, 0x000000);
  SetPixel(mono, 1, 0, 0x123456);
  EXPECT_EQ(GetPixel(mono, 1, 0), 0x000000u) << "a monochrome bitmap holds black and white only";
  SetPixel(mono, 1, 0, 0xFFFFFF);

  HDC colour = CreateCompatibleDC(nullptr);
  HBITMAP cb = CreateBitmap(2, 1, 1, 24, nullptr);
  SelectObject(colour, cb);
  SetTextColor(colour, 0x0000FF);
  SetBkColor(colour, 0xFF0000);
  BitBlt(colour, 0, 0, 2, 1, mono, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(colour, 0, 0), 0x0000FFu) << "black takes the text colour";
  EXPECT_EQ(GetPixel(colour, 1, 0), 0xFF0000u) << "white takes the background colour";

  // Colour to monochrome: the source's background colour becomes white, every other colour black.
  SetPixel(colour, 0, 0, 0x00FF00);
  SetPixel(colour, 1, 0, 0xFFFFFF);
  SetBkColor(colour, 0x00FF00);
  BitBlt(mono, 0, 0, 2, 1, colour, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mono, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(mono, 1, 0), 0x000000u);
  DeleteDC(mono);
  DeleteDC(colour);
  EXPECT_TRUE(DeleteObject(mb));
  EXPECT_TRUE(DeleteObject(cb));
}

TEST(Gdi, SelectedBitmapCannotBeDeletedAndSaveDcRestoresClipAndOrigin) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 10, 10);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1) << "a fresh memory DC holds a monochrome bitmap";
  DeleteObject(bmp);
  bmp = CreateBitmap(10, 10, 1, 24, nullptr);
  SelectObject(dc, bmp);
  EXPECT_FALSE(DeleteObject(bmp)) << "selected bitmaps stay";
  HBRUSH red = CreateSolidBrush(0x0000FF);
  int saved = SaveDC(dc);
  SetViewportOrgEx(dc, 5, 5, nullptr);
  IntersectClipRect(dc, 0, 0, 2, 10);
  TRect clip;
  EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION);
  EXPECT_EQ(clip, Rect(0, 0, 2, 5));
  FillRect(dc, Rect(-5, -5, 5, 5), red);
  EXPECT_TRUE(RestoreDC(dc, saved));
  EXPECT_EQ(GetPixel(dc, 5, 5), 0x0000FFu);
  EXPECT_EQ(GetPixel(dc, 6, 9), 0x0000FFu);
  EXPECT_EQ(GetPixel(dc, 7, 5), 0xFFFFFFu) << "clipped";
  EXPECT_EQ(GetPixel(dc, 4, 5), 0xFFFFFFu) << "before the origin";
  FillRect(dc, Rect(0, 0, 1, 1), red);
  EXPECT_EQ(GetPixel(dc, 0, 0), 0x0000FFu) << "restored: no clip, no offset";
  EXPECT_FALSE(RestoreDC(dc, 3));
  DeleteObject(red);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(bmp));
}

// A painter on a device whose pixels cannot be read composes the raster operation; the result
// must equal the computed one.
TEST(Gdi, PainterDeviceComposesRasterOperationsLikeTheComputedPath) {
  for (DWORD rop : {SRCAND, SRCPAINT, SRCINVERT, NOTSRCCOPY, ROP_DSPDxax}) {
    auto src = WhiteBitmap(4, 1);
    src->Canvas()->SetPixels(0, 0, clBlack);
    src->Canvas()->SetPixels(1, 0, static_cast<TColor>(0x3C66CC));
    QImage ref(4, 1, QImage::Format_RGB32);
    ref.fill(qRgb(0x50, 0xA0, 0xF0));
    QPixmap pix = QPixmap::fromImage(ref);
    HDC memSrc = CreateCompatibleDC(nullptr);
    SelectObject(memSrc, src->Handle());
    HBRUSH brush = CreateSolidBrush(0x123456);
    {
      HDC refDc = CreateImageDC(&ref);
      SelectObject(refDc, brush);
      BitBlt(refDc, 0, 0, 4, 1, memSrc, 0, 0, rop);
      DeleteDC(refDc);
    }
    {
      QPainter painter(&pix);
      HDC pdc = CreatePainterDC(&painter);
      SelectObject(pdc, brush);
      BitBlt(pdc, 0, 0, 4, 1, memSrc, 0, 0, rop);
      DeleteDC(pdc);
    }
    QImage got = pix.toImage().convertToFormat(QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(got.pixel(x, 0) & 0xFFFFFF, ref.pixel(x, 0) & 0xFFFFFF) << std::hex << rop << " x=" << x;
    DeleteDC(memSrc);
    DeleteObject(brush);
  }
}

TEST(Canvas, CopyRectStretchesWithCopyModeAndBrushCopyReplacesAColour) {
  auto src = WhiteBitmap(2, 2);
  src->Canvas()->SetPixels(0, 0, clRed);
  src->Canvas()->SetPixels(1, 1, clLime);
  auto dst = WhiteBitmap(4, 4);
  dst->Canvas()->CopyRect(Rect(0, 0, 4, 4), *src->Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(Px(*dst, 1, 1), 0x0000FFu);
  EXPECT_EQ(Px(*dst, 3, 3), 0x00FF00u);
  EXPECT_EQ(Px(*dst, 3, 0), 0xFFFFFFu);
  dst->Canvas()->SetCopyMode(cmNotSrcCopy);
  dst->Canvas()->CopyRect(Rect(0, 0, 2, 2), *src->Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(Px(*dst, 0, 0), 0xFFFF00u);

  auto out = WhiteBitmap(2, 2);
  out->Canvas()->Brush()->SetColor(clBlue);
  out->Canvas()->BrushCopy(Rect(0, 0, 2, 2), src.get(), Rect(0, 0, 2, 2), clWhite);
  EXPECT_EQ(Px(*out, 0, 0), 0x0000FFu) << "kept colour";
  EXPECT_EQ(Px(*out, 1, 0), 0xFF0000u) << "white replaced by the brush";
  EXPECT_EQ(Px(*out, 1, 1), 0x00FF00u);
}

TEST(Canvas, CanvasWithoutDeviceRefusesDrawing) {
  TCanvas canvas;
  EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
  canvas.Lock();
  EXPECT_EQ(canvas.LockCount(), 1);
  EXPECT_FALSE(canvas.TryLock());
  canvas.Unlock();
  EXPECT_TRUE(canvas.TryLock());
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(Gdi, PainterOnAnImageMixesComputedAndPaintedDrawing) {
  QImage img(6, 2, QImage::Format_RGB32);
  img.fill(qRgb(255, 255, 255));
  {
    QPainter painter(&img);
    painter.translate(1, 0);  // the owner's own offset stays under the DC's drawing
    HDC dc = CreatePainterDC(&painter);
    HBRUSH red = CreateSolidBrush(0x0000FF);
    FillRect(dc, Rect(0, 0, 1, 2), red);
    auto src = test::WhiteBitmap(1, 1);
    src->Canvas()->SetPixels(0, 0, static_cast<TColor>(0x00FF00));
    HDC mem = CreateCompatibleDC(nullptr);
    SelectObject(mem, src->Handle());
    BitBlt(dc, 1, 0, 1, 1, mem, 0, 0, SRCAND);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0x0000FFu) << "reads through the owner's offset";
    FillRect(dc, Rect(2, 0, 3, 1), red);
    DeleteDC(mem);
    DeleteDC(dc);
    DeleteObject(red);
    EXPECT_EQ(painter.worldTransform().dx(), 1.0) << "the owner's painter state comes back";
  }
  EXPECT_EQ(img.pixel(1, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img.pixel(2, 0) & 0xFFFFFF, 0x00FF00u) << "white AND green";
  EXPECT_EQ(img.pixel(3, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Canvas, HatchBrushesDrawLinesOnTheBackgroundColour) {
  struct Case { TBrushStyle Style; int X; int Y; bool Line; };
  const Case cases[] = {
      {bsHorizontal, 3, 0, true}, {bsHorizontal, 3, 1, false}, {bsVertical, 0, 5, true},
      {bsVertical, 1, 5, false},  {bsCross, 0, 3, true},      {bsCross, 3, 3, false},
      {bsFDiagonal, 2, 2, true},  {bsBDiagonal, 0, 7, true},  {bsDiagCross, 1, 6, true},
  };
  for (const auto& c : cases) {
    auto b = test::WhiteBitmap(8, 8);
    TCanvas* cv = b->Canvas();
    cv->Brush()->SetColor(clRed);
    cv->Brush()->SetStyle(c.Style);
    HDC dc = cv->Handle();
    SetBkColor(dc, 0x00FF00);
    FillRect(dc, Rect(0, 0, 8, 8), cv->Brush()->Handle());
    EXPECT_EQ(Px(*b, c.X, c.Y), c.Line ? 0x0000FFu : 0x00FF00u) << c.Style << " at " << c.X << "," << c.Y;
  }
  // A pattern bitmap repeats from the surface's origin; a colour set later keeps the pattern.
  auto pattern = test::WhiteBitmap(2, 2);
  pattern->Canvas()->SetPixels(0, 0, clRed);
  pattern->Canvas()->SetPixels(1, 1, clRed);
  auto p = test::WhiteBitmap(6, 6);
  p->Canvas()->Brush()->SetBitmap(pattern.get());
  p->Canvas()->Brush()->SetColor(clBlue);
  p->Canvas()->FillRect(Rect(1, 1, 6, 6));
  EXPECT_EQ(Px(*p, 2, 2), 0x0000FFu);
  EXPECT_EQ(Px(*p, 3, 2), 0xFFFFFFu);
  EXPECT_EQ(Px(*p, 3, 3), 0x0000FFu);
  EXPECT_EQ(Px(*p, 0, 0), 0xFFFFFFu) << "outside the fill";

  auto clear = test::WhiteBitmap(4, 4);
  clear->Canvas()->Brush()->SetStyle(bsClear);
  clear->Canvas()->FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(Px(*clear, 1, 1), 0xFFFFFFu) << "a clear brush paints nothing";
}

TEST(Canvas, TextOutFillsItsCellWithASolidBrushOnly) {
  for (TBrushStyle style : {bsSolid, bsClear}) {
    auto b = test::WhiteBitmap(60, 20);
    TCanvas* cv = b->Canvas();
    cv->Font()->SetHeight(-12);
    cv->Brush()->SetColor(clYellow);
    cv->Brush()->SetStyle(style);
    cv->TextOut(2, 2, "ii");
    TSize size = cv->TextExtent("ii");
    EXPECT_EQ(Px(*b, 2, 2 + size.cy - 1), style == bsSolid ? 0x00FFFFu : 0xFFFFFFu);
    EXPECT_EQ(Px(*b, 2 + size.cx, 2), 0xFFFFFFu) << "the cell ends at the text width";
    EXPECT_EQ(cv->PenPos(), Point(2 + size.cx, 2)) << "the pen moves past the text";
  }
}

TEST(Gdi, PushButtonFrameHasTheClassicEdges) {
  struct Case { UINT State; int X; int Y; TColor Colour; };
  const Case cases[] = {
      {DFCS_BUTTONPUSH, 0, 0, clBtnHighlight},  {DFCS_BUTTONPUSH, 9, 9, cl3DDkShadow},
      {DFCS_BUTTONPUSH, 8, 8, clBtnShadow},     {DFCS_BUTTONPUSH, 5, 5, clBtnFace},
      {DFCS_BUTTONPUSH | DFCS_PUSHED, 0, 0, clBtnShadow}, {DFCS_BUTTONPUSH | DFCS_PUSHED, 9, 9, clBtnHighlight},
  };
  for (const auto& c : cases) {
    auto b = test::WhiteBitmap(10, 10);
    TRect r = Rect(0, 0, 10, 10);
    DrawFrameControl(b->Canvas()->Handle(), &r, DFC_BUTTON, c.State | DFCS_ADJUSTRECT);
    EXPECT_EQ(Px(*b, c.X, c.Y), ColorToRGB(c.Colour)) << std::hex << c.State << " at " << c.X << "," << c.Y;
    EXPECT_EQ(r, Rect(2, 2, 8, 8)) << "adjusted to the face";
  }
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(Canvas, PenModesCombineWithTheDestination) {
  struct Case { TPenMode Mode; TColor Pen; COLORREF Expected; };
  const Case cases[] = {
      {pmCopy, clRed, 0x0000FF}, {pmXor, clRed, 0xFFFF00}, {pmNot, clRed, 0x000000},
      {pmNop, clRed, 0xFFFFFF},  {pmMask, clRed, 0x0000FF}, {pmBlack, clLime, 0x000000},
  };
  for (const auto& c : cases) {
    auto b = test::WhiteBitmap(6, 3);
    TCanvas* cv = b->Canvas();
    cv->Pen()->SetColor(c.Pen);
    cv->Pen()->SetMode(c.Mode);
    cv->MoveTo(0, 1);
    cv->LineTo(6, 1);
    EXPECT_EQ(Px(*b, 2, 1), c.Expected) << "mode " << c.Mode;
    EXPECT_EQ(Px(*b, 2, 0), 0xFFFFFFu);
  }
  auto b = test::WhiteBitmap(6, 3);
  b->Canvas()->Pen()->SetMode(pmNot);
  for (int i = 0; i < 2; ++i) {
    b->Canvas()->MoveTo(0, 1);
    b->Canvas()->LineTo(6, 1);
  }
  EXPECT_EQ(test::InkCount(*b, Rect(0, 0, 6, 3), 0xFFFFFF), 0) << "inverting twice restores";
  auto w = test::WhiteBitmap(10, 10);
  w->Canvas()->Pen()->SetWidth(3);
  w->Canvas()->Brush()->SetStyle(bsClear);
  w->Canvas()->Rectangle(0, 0, 10, 10);
  EXPECT_EQ(Px(*w, 2, 5), 0x000000u) << "a wide pen stays inside the rectangle";
  EXPECT_EQ(Px(*w, 3, 5), 0xFFFFFFu);
  EXPECT_EQ(Px(*w, 9, 9), 0x000000u);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// Two columns shrunk into one: black and white meet; the stretch mode decides.
TEST(Gdi, ShrinkingCombinesDroppedPixelsByTheStretchMode) {
  struct Case { int Mode; COLORREF Expected; };
  const Case cases[] = {
      {BLACKONWHITE, 0x000000}, {WHITEONBLACK, 0xFFFFFF}, {COLORONCOLOR, 0x000000}, {HALFTONE, 0x7F7F7F},
  };
  for (const auto& c : cases) {
    auto src = test::WhiteBitmap(2, 1);
    src->Canvas()->SetPixels(0, 0, clBlack);
    auto dst = test::WhiteBitmap(1, 1);
    HDC dc = dst->Canvas()->Handle();
    SetStretchBltMode(dc, c.Mode);
    HDC mem = CreateCompatibleDC(nullptr);
    SelectObject(mem, src->Handle());
    StretchBlt(dc, 0, 0, 1, 1, mem, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(Px(*dst, 0, 0), c.Expected) << "mode " << c.Mode;
    DeleteDC(mem);
  }
  // Drawing a colour bitmap drops instead, so white-on-black shrinks to its first column.
  auto src = test::WhiteBitmap(2, 1);
  src->Canvas()->SetPixels(1, 0, clBlack);
  auto dst = test::WhiteBitmap(1, 1);
  dst->Canvas()->StretchDraw(Rect(0, 0, 1, 1), src.get());
  EXPECT_EQ(Px(*dst, 0, 0), 0xFFFFFFu);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(Canvas, TextRectClipsAndShapesStayInsideTheirBounds) {
  auto b = test::WhiteBitmap(80, 30);
  TCanvas* cv = b->Canvas();
  cv->Font()->SetHeight(-14);
  cv->Brush()->SetColor(clYellow);
  cv->TextRect(Rect(10, 5, 30, 25), 12, 6, "WWWWWWWW");
  EXPECT_EQ(test::InkBox(*b, 0xFFFFFF), Rect(10, 5, 30, 25)) << "filled with the brush, text clipped";
  EXPECT_GT(test::InkCount(*b, Rect(10, 5, 30, 25), 0x00FFFF), 0) << "text drawn";
  cv->Brush()->SetColor(clWhite);
  cv->FillRect(Rect(0, 0, 80, 30));
  EXPECT_EQ(test::InkBox(*b, 0xFFFFFF), TRect{}) << "clip removed after TextRect";

  cv->Brush()->SetColor(clRed);
  cv->Ellipse(5, 5, 25, 21);
  TRect box = test::InkBox(*b, 0xFFFFFF);
  EXPECT_GE(box.Left, 5);
  EXPECT_GE(box.Top, 5);
  EXPECT_LE(box.Right, 25);
  EXPECT_LE(box.Bottom, 21);
  EXPECT_EQ(test::Px(*b, 15, 13), 0x0000FFu) << "filled inside";
  EXPECT_EQ(test::Px(*b, 5, 5), 0xFFFFFFu) << "corner outside the ellipse";

  cv->Brush()->SetColor(clWhite);
  cv->FillRect(Rect(0, 0, 80, 30));
  cv->Brush()->SetColor(clBlue);
  cv->Polygon({Point(40, 2), Point(70, 2), Point(40, 28)});
  EXPECT_EQ(test::Px(*b, 45, 6), 0xFF0000u);
  EXPECT_EQ(test::Px(*b, 68, 26), 0xFFFFFFu) << "outside the triangle";
  box = test::InkBox(*b, 0xFFFFFF);
  EXPECT_GE(box.Left, 40);
  EXPECT_LE(box.Right, 71);
  EXPECT_LE(box.Bottom, 29);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// Copies within one surface read the pixels as they were, also under an owner's active painter.
TEST(Gdi, OverlappingBlitWithinOneSurface) {
  QImage img(5, 1, QImage::Format_RGB32);
  const QRgb start[5] = {qRgb(1, 0, 0), qRgb(2, 0, 0), qRgb(3, 0, 0), qRgb(4, 0, 0), qRgb(5, 0, 0)};
  for (int x = 0; x < 5; ++x) img.setPixel(x, 0, start[x]);
  {
    QPainter painter(&img);
    HDC dc = CreatePainterDC(&painter);
    BitBlt(dc, 1, 0, 4, 1, dc, 0, 0, SRCCOPY);
    HBRUSH b = CreateSolidBrush(0x000009);
    FillRect(dc, Rect(0, 0, 1, 1), b);  // painting after the blit lands in the same image
    DeleteObject(b);
    DeleteDC(dc);
  }
  EXPECT_EQ(qRed(img.pixel(0, 0)), 9);
  for (int x = 1; x < 5; ++x) EXPECT_EQ(qRed(img.pixel(x, 0)), x) << x;

  auto b = test::WhiteBitmap(5, 1);
  for (int x = 0; x < 5; ++x) b->Canvas()->SetPixels(x, 0, static_cast<TColor>(x + 1));
  b->Canvas()->CopyRect(Rect(0, 0, 4, 1), *b->Canvas(), Rect(1, 0, 5, 1));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(Px(*b, x, 0), static_cast<COLORREF>(x + 2)) << x;
}

}  // namespace
}  // namespace orv
