// Lines, rectangles, ellipses, polygons, focus rectangles and text output on a device context,
// with the system's pixel rules (end points and right/bottom edges left out).
#include <QFontMetrics>
#include <QPolygon>
#include <cstdlib>
#include "platform/graphics/GdiInternal.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

QColor PenColour(HDC dc) {
  QRgb c = ToQRgb(dc->S.Pen.Color);
  if (dc->Mono()) c = IsLight(c) ? 0xFFFFFFFF : 0xFF000000;
  return QColor::fromRgb(c);
}

bool ThinSolidPen(HDC dc) {
  return dc->S.Pen.Style != PS_NULL && dc->S.Pen.Width <= 1 &&
         (dc->S.Pen.Style == PS_SOLID || dc->S.Pen.Style == PS_INSIDEFRAME);
}

// Points of the line from (x0, y0) towards (x1, y1), the last one left out.
QPolygon LinePoints(int x0, int y0, int x1, int y1) {
  QPolygon pts;
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  while (!(x0 == x1 && y0 == y1)) {
    pts << QPoint(x0, y0);
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x0 += sx; }
    if (e2 <= dx) { err += dx; y0 += sy; }
  }
  return pts;
}

QPainter* PenPainter(HDC dc) {
  QPainter* p = dc->Painter();
  if (!p) return nullptr;
  if (!ApplyRop2(*p, dc->S.Rop2)) return nullptr;
  return p;
}

}  // namespace

int FillRect(HDC dc, const TRect& rect, HBRUSH brush) {
  if (!dc || !brush) return 0;
  if (IsRectEmpty(rect)) return 1;
  QPainter* p = dc->Painter();
  if (!p) return 0;
  p->setBrushOrigin(-dc->Dx(), -dc->Dy());
  p->fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), MakeQBrush(*brush, *dc));
  return 1;
}

int FrameRect(HDC dc, const TRect& rect, HBRUSH brush) {
  if (!dc || !brush || IsRectEmpty(rect)) return 0;
  QPainter* p = dc->Painter();
  if (!p) return 0;
  QBrush b = MakeQBrush(*brush, *dc);
  int w = rect.Width(), h = rect.Height();
  p->fillRect(QRect(rect.Left, rect.Top, w, 1), b);
  p->fillRect(QRect(rect.Left, rect.Bottom - 1, w, 1), b);
  p->fillRect(QRect(rect.Left, rect.Top, 1, h), b);
  p->fillRect(QRect(rect.Right - 1, rect.Top, 1, h), b);
  return 1;
}

BOOL DrawFocusRect(HDC dc, const TRect& rect) {
  if (!dc || IsRectEmpty(rect)) return 0;
  QPolygon pts;
  for (int x = rect.Left; x < rect.Right; ++x) {
    if (((x - rect.Left) & 1) == 0) { pts << QPoint(x, rect.Top); }
    if (rect.Bottom - 1 > rect.Top && ((x - rect.Left + rect.Height() - 1) & 1) == 0) pts << QPoint(x, rect.Bottom - 1);
  }
  for (int y = rect.Top + 1; y < rect.Bottom - 1; ++y) {
    if (((y - rect.Top) & 1) == 0) pts << QPoint(rect.Left, y);
    if (rect.Right - 1 > rect.Left && ((y - rect.Top + rect.Width() - 1) & 1) == 0) pts << QPoint(rect.Right - 1, y);
  }
  QImage* d = dc->Pixels();
  if (d) {
    QRegion clip = dc->DeviceClip();
    QPoint o = dc->PixelsOrigin();
    for (const QPoint& pt : pts) {
      QPoint dp(pt.x() + dc->Dx(), pt.y() + dc->Dy());
      if (!clip.contains(dp)) continue;
      QPoint ip = dp + o;
      auto* row = reinterpret_cast<QRgb*>(d->scanLine(ip.y()));
      row[ip.x()] ^= 0x00FFFFFF;
    }
    return 1;
  }
  QPainter* p = dc->Painter();
  if (!p) return 0;
  p->setCompositionMode(QPainter::RasterOp_NotDestination);
  p->setPen(QPen(Qt::black, 0));
  p->drawPoints(pts);
  return 1;
}

BOOL MoveToEx(HDC dc, int x, int y, TPoint* previous) {
  if (!dc) return 0;
  if (previous) *previous = dc->S.CurPos;
  dc->S.CurPos = {x, y};
  return 1;
}

BOOL LineTo(HDC dc, int x, int y) {
  if (!dc) return 0;
  TPoint from = dc->S.CurPos;
  dc->S.CurPos = {x, y};
  if (dc->S.Pen.Style == PS_NULL) return 1;
  QPainter* p = PenPainter(dc);
  if (!p) return 1;
  if (ThinSolidPen(dc)) {
    p->setPen(QPen(PenColour(dc), 0));
    p->drawPoints(LinePoints(from.X, from.Y, x, y));
  } else {
    QPen pen = MakeQPen(dc->S.Pen);
    pen.setColor(PenColour(dc));
    p->setPen(pen);
    p->drawLine(from.X, from.Y, x, y);
  }
  return 1;
}

BOOL Polyline(HDC dc, const TPoint* points, int count) {
  if (!dc || !points || count < 2) return 0;
  TPoint keep = dc->S.CurPos;
  MoveToEx(dc, points[0].X, points[0].Y, nullptr);
  for (int i = 1; i < count; ++i) LineTo(dc, points[i].X, points[i].Y);
  dc->S.CurPos = keep;
  return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  if (!dc) return 0;
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  int w = right - left, h = bottom - top;
  if (w <= 0 || h <= 0) return 1;
  QPainter* p = dc->Painter();
  if (!p) return 0;
  bool pen = dc->S.Pen.Style != PS_NULL;
  if (dc->S.Brush.Style != gbNull) {
    p->setBrushOrigin(-dc->Dx(), -dc->Dy());
    QRect inner = pen ? QRect(left + 1, top + 1, w - 2, h - 2) : QRect(left, top, w - 1, h - 1);
    if (inner.width() > 0 && inner.height() > 0) p->fillRect(inner, MakeQBrush(dc->S.Brush, *dc));
  }
  if (!pen || !ApplyRop2(*p, dc->S.Rop2)) return 1;
  if (ThinSolidPen(dc)) {
    QColor c = PenColour(dc);
    p->fillRect(QRect(left, top, w, 1), c);
    if (h > 1) p->fillRect(QRect(left, bottom - 1, w, 1), c);
    if (h > 2) {
      p->fillRect(QRect(left, top + 1, 1, h - 2), c);
      if (w > 1) p->fillRect(QRect(right - 1, top + 1, 1, h - 2), c);
    }
  } else {
    QPen qp = MakeQPen(dc->S.Pen);
    qp.setColor(PenColour(dc));
    p->setPen(qp);
    p->setBrush(Qt::NoBrush);
    int pw = std::max(dc->S.Pen.Width, 1);
    double inset = pw / 2.0;
    p->drawRect(QRectF(left + inset, top + inset, w - pw, h - pw));
  }
  return 1;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  if (!dc) return 0;
  QPainter* p = dc->Painter();
  if (!p) return 0;
  p->setBrushOrigin(-dc->Dx(), -dc->Dy());
  p->setBrush(MakeQBrush(dc->S.Brush, *dc));
  QPen qp = MakeQPen(dc->S.Pen);
  if (dc->S.Pen.Style != PS_NULL) qp.setColor(PenColour(dc));
  p->setPen(qp);
  p->drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
  return 1;
}

BOOL Polygon(HDC dc, const TPoint* points, int count) {
  if (!dc || !points || count < 2) return 0;
  QPainter* p = dc->Painter();
  if (!p) return 0;
  QPolygon poly;
  for (int i = 0; i < count; ++i) poly << QPoint(points[i].X, points[i].Y);
  p->setBrushOrigin(-dc->Dx(), -dc->Dy());
  p->setBrush(MakeQBrush(dc->S.Brush, *dc));
  QPen qp = MakeQPen(dc->S.Pen);
  if (dc->S.Pen.Style != PS_NULL) qp.setColor(PenColour(dc));
  p->setPen(qp);
  p->drawPolygon(poly, Qt::OddEvenFill);
  return 1;
}

namespace {

QString ToQString(const WideChar* text, int length) {
  if (!text) return {};
  if (length < 0) {
    length = 0;
    while (text[length]) ++length;
  }
  return QString(reinterpret_cast<const QChar*>(text), length);
}

WideString AnsiPart(const char* text, int length) {
  if (!text) return {};
  AnsiString s = length < 0 ? AnsiString(text) : AnsiString(text, static_cast<std::size_t>(length));
  return AnsiToWide(s);
}

}  // namespace

BOOL TextOutW(HDC dc, int x, int y, const WideChar* text, int length) {
  if (!dc) return 0;
  QString s = ToQString(text, length);
  QPainter* p = dc->Painter();
  if (!p) return 0;
  QFont f = GdiFontToQFont(dc->S.Font);
  QFontMetrics fm(f);
  bool mono = dc->Mono();
  auto colour = [&](COLORREF c) {
    QRgb q = ToQRgb(c);
    return QColor::fromRgb(mono ? (IsLight(q) ? 0xFFFFFFFF : 0xFF000000) : q);
  };
  if (dc->S.BkMode == OPAQUE) p->fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()), colour(dc->S.BkColor));
  p->setFont(f);
  p->setPen(colour(dc->S.TextColor));
  p->drawText(x, y + fm.ascent(), s);
  return 1;
}

BOOL TextOutA(HDC dc, int x, int y, const char* text, int length) {
  WideString w = AnsiPart(text, length);
  return TextOutW(dc, x, y, w.c_str(), static_cast<int>(w.size()));
}

BOOL GetTextExtentPoint32W(HDC dc, const WideChar* text, int length, TSize* size) {
  if (!dc || !size) return 0;
  QFontMetrics fm(GdiFontToQFont(dc->S.Font));
  *size = {fm.horizontalAdvance(ToQString(text, length)), fm.height()};
  return 1;
}

BOOL GetTextExtentPoint32A(HDC dc, const char* text, int length, TSize* size) {
  WideString w = AnsiPart(text, length);
  return GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), size);
}

// ----- classic frames -----

namespace {

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c) {
  QPainter* p = dc->Painter();
  if (!p) return;
  QColor q = ToQColor(c);
  p->fillRect(QRect(QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1))), q);
}

void EdgePair(HDC dc, TRect& r, COLORREF tl, COLORREF br, UINT flags) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  if (flags & BF_TOP) Line(dc, r.Left, r.Top, r.Right - 1, r.Top, tl);
  if (flags & BF_LEFT) Line(dc, r.Left, r.Top, r.Left, r.Bottom - 1, tl);
  if (flags & BF_BOTTOM) Line(dc, r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1, br);
  if (flags & BF_RIGHT) Line(dc, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1, br);
  if (flags & BF_LEFT) ++r.Left;
  if (flags & BF_TOP) ++r.Top;
  if (flags & BF_RIGHT) --r.Right;
  if (flags & BF_BOTTOM) --r.Bottom;
}

}  // namespace

BOOL DrawEdge(HDC dc, TRect* rect, UINT edge, UINT flags) {
  if (!dc || !rect) return 0;
  TRect r = *rect;
  COLORREF light = ColorToRGB(cl3DLight), hi = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow),
           dark = ColorToRGB(cl3DDkShadow), frame = ColorToRGB(clWindowFrame);
  if (flags & BF_MONO) {
    EdgePair(dc, r, frame, frame, flags);
  } else if (flags & BF_FLAT) {
    EdgePair(dc, r, shadow, shadow, flags);
  } else {
    bool soft = flags & BF_SOFT;
    if (edge & BDR_RAISEDOUTER) EdgePair(dc, r, soft ? hi : light, dark, flags);
    else if (edge & BDR_SUNKENOUTER) EdgePair(dc, r, soft ? dark : shadow, hi, flags);
    if (edge & BDR_RAISEDINNER) EdgePair(dc, r, soft ? light : hi, shadow, flags);
    else if (edge & BDR_SUNKENINNER) EdgePair(dc, r, soft ? shadow : dark, light, flags);
  }
  if ((flags & BF_MIDDLE) && !IsRectEmpty(r)) {
    QPainter* p = dc->Painter();
    if (p) p->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQColor(ColorToRGB(clBtnFace)));
  }
  if (flags & BF_ADJUST) *rect = r;
  return 1;
}

BOOL DrawFrameControl(HDC dc, TRect* rect, UINT type, UINT state) {
  if (!dc || !rect) return 0;
  TRect r = *rect;
  if (type == DFC_BUTTON && (state & 0xFF) == DFCS_BUTTONPUSH) {
    if (state & DFCS_FLAT) {
      DrawEdge(dc, &r, 0, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST);
    } else if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
      DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
    } else {
      DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST);
    }
    if (state & DFCS_ADJUSTRECT) *rect = r;
    return 1;
  }
  if (type == DFC_BUTTON) {
    // Check boxes and radio buttons: a sunken white box, a mark when checked.
    int size = std::min(r.Width(), r.Height());
    TRect box = Bounds(r.Left, r.Top + (r.Height() - size) / 2, size, size);
    DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    QPainter* p = dc->Painter();
    if (!p) return 0;
    bool inactive = state & DFCS_INACTIVE;
    p->fillRect(QRect(box.Left, box.Top, box.Width(), box.Height()),
                ToQColor(ColorToRGB((state & DFCS_PUSHED) || inactive ? clBtnFace : clWindow)));
    if (state & DFCS_CHECKED) {
      QColor mark = ToQColor(ColorToRGB(inactive ? clGrayText : clWindowText));
      p->fillRect(QRect(box.Left + 2, box.Top + 2, std::max(box.Width() - 4, 1), std::max(box.Height() - 4, 1)), mark);
    }
    return 1;
  }
  DrawEdge(dc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  return 1;
}

}  // namespace orv
