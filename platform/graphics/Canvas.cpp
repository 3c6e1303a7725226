// The canvas: the class library's drawing calls on a device context with its font, brush and pen.
#include <QPainter>
#include "platform/graphics/GdiInternal.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/CodePages.h"

namespace orv {

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>()) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetHandle(HDC dc) {
  FHandle = dc;
  if (dc) MoveToEx(dc, FPenPos.X, FPenPos.Y, nullptr);
}

void TCanvas::Select() {
  HDC dc = FHandle;
  SelectObject(dc, FFont->Handle());
  SelectObject(dc, FBrush->Handle());
  SelectObject(dc, FPen->Handle());
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  SetBkColor(dc, ColorToRGB(FBrush->Color()));
  SetBkMode(dc, FBrush->Style() == bsClear ? TRANSPARENT : OPAQUE);
  SetROP2(dc, FPen->Rop2());
}

HDC TCanvas::Handle() {
  if (!FHandle) CreateHandle();
  if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
  Select();
  return FHandle;
}

void TCanvas::MoveTo(int x, int y) {
  FPenPos = {x, y};
  if (FHandle) MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  HDC dc = Handle();
  MoveToEx(dc, FPenPos.X, FPenPos.Y, nullptr);
  ::orv::LineTo(dc, x, y);
  FPenPos = {x, y};
  Changed();
}

void TCanvas::FillRect(const TRect& rect) {
  Changing();
  ::orv::FillRect(Handle(), rect, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
  Changing();
  ::orv::FrameRect(Handle(), rect, FBrush->Handle());
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  ::orv::Rectangle(Handle(), x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  HDC dc = Handle();
  if (QPainter* p = dc->Painter()) {
    p->setBrushOrigin(-dc->Dx(), -dc->Dy());
    p->setBrush(MakeQBrush(dc->S.Brush, *dc));
    p->setPen(MakeQPen(dc->S.Pen));
    p->drawRoundedRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), x3 / 2.0, y3 / 2.0);
  }
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  ::orv::Ellipse(Handle(), x1, y1, x2, y2);
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  Changing();
  ::orv::Polygon(Handle(), points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  Changing();
  ::orv::Polyline(Handle(), points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  Changing();
  ::orv::DrawFocusRect(Handle(), rect);
  Changed();
}

void TCanvas::TextOutW(int x, int y, const WideString& text) {
  Changing();
  HDC dc = Handle();
  ::orv::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  TSize size;
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  MoveTo(x + size.cx, y);
  Changed();
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) { TextOutW(x, y, AnsiToWide(text)); }

void TCanvas::TextRect(const TRect& rect, int x, int y, const AnsiString& text) {
  Changing();
  HDC dc = Handle();
  WideString w = AnsiToWide(text);
  if (FBrush->Style() != bsClear) ::orv::FillRect(dc, rect, FBrush->Handle());
  int saved = SaveDC(dc);
  IntersectClipRect(dc, rect.Left, rect.Top, rect.Right, rect.Bottom);
  SetBkMode(dc, TRANSPARENT);
  ::orv::TextOutW(dc, x, y, w.c_str(), static_cast<int>(w.size()));
  RestoreDC(dc, saved);
  Changed();
}

TSize TCanvas::TextExtentW(const WideString& text) {
  TSize size;
  GetTextExtentPoint32W(Handle(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

TSize TCanvas::TextExtent(const AnsiString& text) { return TextExtentW(AnsiToWide(text)); }

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  graphic->Draw(*this, Bounds(x, y, graphic->Width(), graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  graphic->Draw(*this, rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& srcRect) {
  Changing();
  HDC src = source.Handle();
  StretchBlt(Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), src, srcRect.Left, srcRect.Top,
             srcRect.Width(), srcRect.Height(), FCopyMode);
  Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& srcRect, TColor transparent) {
  if (!bitmap || bitmap->Empty()) return;
  Changing();
  HDC dc = Handle();
  HDC src = CreateCompatibleDC(nullptr);
  SelectObject(src, bitmap->Handle());
  StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src, srcRect.Left, srcRect.Top,
             srcRect.Width(), srcRect.Height(), SRCCOPY);
  HBITMAP mask = bitmap->MaskHandleFor(transparent);
  SelectObject(src, mask);
  // The mask is white where the bitmap had the transparent colour: the brush goes there.
  COLORREF oldText = SetTextColor(dc, 0x000000), oldBk = SetBkColor(dc, 0xFFFFFF);
  StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src, srcRect.Left, srcRect.Top,
             srcRect.Width(), srcRect.Height(), ROP_DSPDxax);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  DeleteDC(src);
  DeleteObject(mask);
  Changed();
}

TColor TCanvas::Pixels(int x, int y) {
  COLORREF c = GetPixel(Handle(), x, y);
  return c == CLR_INVALID ? -1 : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  SetPixel(Handle(), x, y, ColorToRGB(color));
  Changed();
}

TRect TCanvas::ClipRect() {
  TRect r;
  GetClipBox(Handle(), &r);
  return r;
}

}  // namespace orv
