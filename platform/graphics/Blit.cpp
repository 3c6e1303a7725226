// Blits with ternary raster operations, pattern fills and single pixels, computed on the pixels of
// the destination, or composed by the painter where the destination cannot be read.
#include <algorithm>
#include <cstdlib>
#include "platform/graphics/GdiInternal.h"

namespace orv {

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

bool HatchBit(int hatch, int x, int y) {
  x &= 7;
  y &= 7;
  switch (hatch) {
    case HS_HORIZONTAL: return y == 0;
    case HS_VERTICAL: return x == 0;
    case HS_FDIAGONAL: return x == y;
    case HS_BDIAGONAL: return x + y == 7;
    case HS_CROSS: return x == 0 || y == 0;
    case HS_DIAGCROSS: return x == y || x + y == 7;
    default: return false;
  }
}

QRgb MonoOf(QRgb c) { return IsLight(c) ? kWhite : kBlack; }

bool UsesSource(std::uint8_t code) { return ((code >> 2) ^ code) & 0x33; }
bool UsesPattern(std::uint8_t code) { return ((code >> 4) ^ code) & 0x0F; }

}  // namespace

QRgb BrushPixel(const TDeviceContext& dc, int x, int y) {
  const TGdiBrush& b = dc.S.Brush;
  QRgb c;
  switch (b.Style) {
    case gbNull: c = ToQRgb(dc.S.BkColor); break;
    case gbHatched: c = HatchBit(b.Hatch, x, y) ? ToQRgb(b.Color) : ToQRgb(dc.S.BkColor); break;
    case gbPattern:
      if (b.Pattern && !b.Pattern->isNull()) {
        int w = b.Pattern->width(), h = b.Pattern->height();
        QRgb p = b.Pattern->pixel(((x % w) + w) % w, ((y % h) + h) % h);
        c = b.PatternMono ? (IsLight(p) ? ToQRgb(dc.S.BkColor) : ToQRgb(dc.S.TextColor)) : p;
      } else {
        c = ToQRgb(b.Color);
      }
      break;
    default: c = ToQRgb(b.Color); break;
  }
  c |= 0xFF000000;
  return dc.Mono() ? MonoOf(c) : c;
}

QBrush MakeQBrush(const TGdiBrush& brush, const TDeviceContext& dc) {
  bool mono = dc.Mono();
  auto colour = [&](COLORREF c) { QRgb q = ToQRgb(c); return QColor::fromRgb(mono ? MonoOf(q) : q); };
  switch (brush.Style) {
    case gbNull: return QBrush(Qt::NoBrush);
    case gbSolid: return QBrush(colour(brush.Color));
    case gbHatched: {
      QImage tex(8, 8, QImage::Format_ARGB32);
      QRgb bk = dc.S.BkMode == OPAQUE ? colour(dc.S.BkColor).rgb() : 0x00000000;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tex.setPixel(x, y, HatchBit(brush.Hatch, x, y) ? colour(brush.Color).rgb() : bk);
      return QBrush(tex);
    }
    case gbPattern: {
      if (!brush.Pattern || brush.Pattern->isNull()) return QBrush(colour(brush.Color));
      QImage tex = brush.Pattern->convertToFormat(QImage::Format_RGB32);
      for (int y = 0; y < tex.height(); ++y)
        for (int x = 0; x < tex.width(); ++x) {
          QRgb p = tex.pixel(x, y);
          if (brush.PatternMono) p = IsLight(p) ? ToQRgb(dc.S.BkColor) : ToQRgb(dc.S.TextColor);
          tex.setPixel(x, y, mono ? MonoOf(p) : p);
        }
      return QBrush(tex);
    }
  }
  return QBrush(Qt::NoBrush);
}

QPen MakeQPen(const TGdiPen& pen) {
  if (pen.Style == PS_NULL) return QPen(Qt::NoPen);
  QPen p(ToQColor(pen.Color));
  p.setWidth(std::max(pen.Width, 1) == 1 ? 0 : pen.Width);
  p.setCapStyle(Qt::FlatCap);
  p.setJoinStyle(Qt::MiterJoin);
  switch (pen.Style) {
    case PS_DASH: p.setStyle(Qt::DashLine); break;
    case PS_DOT: p.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: p.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: p.setStyle(Qt::DashDotDotLine); break;
    default: p.setStyle(Qt::SolidLine); break;
  }
  return p;
}

bool ApplyRop2(QPainter& p, int rop2) {
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  switch (rop2) {
    case R2_NOP: return false;
    case R2_BLACK: mode = QPainter::RasterOp_ClearDestination; break;
    case R2_WHITE: mode = QPainter::RasterOp_SetDestination; break;
    case R2_NOT: mode = QPainter::RasterOp_NotDestination; break;
    case R2_XORPEN: mode = QPainter::RasterOp_SourceXorDestination; break;
    case R2_NOTXORPEN: mode = QPainter::RasterOp_NotSourceXorDestination; break;
    case R2_MASKPEN: mode = QPainter::RasterOp_SourceAndDestination; break;
    case R2_MERGEPEN: mode = QPainter::RasterOp_SourceOrDestination; break;
    case R2_NOTCOPYPEN: mode = QPainter::RasterOp_NotSource; break;
    case R2_NOTMASKPEN: mode = QPainter::RasterOp_NotSourceOrNotDestination; break;
    case R2_NOTMERGEPEN: mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case R2_MASKNOTPEN: mode = QPainter::RasterOp_NotSourceAndDestination; break;
    case R2_MERGENOTPEN: mode = QPainter::RasterOp_NotSourceOrDestination; break;
    case R2_MASKPENNOT: mode = QPainter::RasterOp_SourceAndNotDestination; break;
    case R2_MERGEPENNOT: mode = QPainter::RasterOp_SourceOrNotDestination; break;
    default: break;
  }
  p.setCompositionMode(mode);
  return true;
}

namespace {

struct TBlitArea {
  int X, Y, W, H;  // destination, device coordinates
};

// The source pixels for each destination pixel, in the destination's colours. Shrinking combines
// the dropped pixels as the destination's stretch mode says: AND (black wins), OR (white wins),
// averaged (halftone), or not at all (the first pixel of each block).
QImage BuildSource(HDC dest, const TBlitArea& a, HDC src, int sx, int sy, int sw, int sh,
                   bool flipX, bool flipY) {
  QImage out(a.W, a.H, QImage::Format_ARGB32);
  out.fill(kWhite);
  QImage* s = src->Pixels();
  if (!s) return out;
  QPoint so = src->PixelsOrigin();
  int baseX = sx + src->Dx() + so.x(), baseY = sy + src->Dy() + so.y();
  // A deep copy of just the source area: a blit within one surface reads the pixels as they were
  // before it, and a shared copy would make a surface under an active painter detach from it.
  QRect area = QRect(baseX, baseY, sw, sh).intersected(s->rect());
  if (area.isEmpty()) return out;
  QImage copy = s->copy(area);
  baseX -= area.x();
  baseY -= area.y();
  bool srcMono = src->Mono(), destMono = dest->Mono();
  bool opaqueFormat = copy.format() == QImage::Format_RGB32;
  QRgb srcBk = ToQRgb(src->S.BkColor) | 0xFF000000;
  QRgb fore = ToQRgb(dest->S.TextColor) | 0xFF000000, back = ToQRgb(dest->S.BkColor) | 0xFF000000;
  auto convert = [&](QRgb c) {
    if (opaqueFormat) c |= 0xFF000000;
    if (srcMono && !destMono) return IsLight(c) ? back : fore;
    if (!srcMono && destMono) return ((c | 0xFF000000) == srcBk) ? kWhite : kBlack;
    return c;
  };
  int mode = dest->S.StretchMode;
  bool combine = (sw > a.W || sh > a.H) && mode != COLORONCOLOR;
  auto span = [](int index, int count, int srcCount, int& from, int& to) {
    from = static_cast<int>(static_cast<long long>(index) * srcCount / count);
    to = std::max(from + 1, static_cast<int>(static_cast<long long>(index + 1) * srcCount / count));
  };
  for (int j = 0; j < a.H; ++j) {
    int rj = flipY ? a.H - 1 - j : j;
    int y0, y1;
    span(rj, a.H, sh, y0, y1);
    if (!combine) y1 = y0 + 1;
    auto* o = reinterpret_cast<QRgb*>(out.scanLine(j));
    for (int i = 0; i < a.W; ++i) {
      int ri = flipX ? a.W - 1 - i : i;
      int x0, x1;
      span(ri, a.W, sw, x0, x1);
      if (!combine) x1 = x0 + 1;
      std::uint32_t acc = mode == WHITEONBLACK ? 0 : 0xFFFFFFFF;
      long sumR = 0, sumG = 0, sumB = 0, n = 0;
      QRgb alpha = 0xFF000000;
      for (int yy = baseY + y0; yy < baseY + y1; ++yy) {
        if (yy < 0 || yy >= copy.height()) continue;
        const auto* row = reinterpret_cast<const QRgb*>(copy.constScanLine(yy));
        for (int xx = baseX + x0; xx < baseX + x1; ++xx) {
          if (xx < 0 || xx >= copy.width()) continue;
          QRgb c = convert(row[xx]);
          if (n == 0) alpha = c & 0xFF000000;
          ++n;
          sumR += qRed(c); sumG += qGreen(c); sumB += qBlue(c);
          if (mode == WHITEONBLACK) acc |= c; else acc &= c;
        }
      }
      if (n == 0) continue;
      if (combine && mode == HALFTONE)
        o[i] = qRgb(static_cast<int>(sumR / n), static_cast<int>(sumG / n), static_cast<int>(sumB / n));
      else
        o[i] = (static_cast<QRgb>(acc) & 0x00FFFFFF) | alpha;
    }
  }
  return out;
}

QImage BuildPattern(HDC dest, const TBlitArea& a) {
  QImage out(a.W, a.H, QImage::Format_ARGB32);
  for (int j = 0; j < a.H; ++j) {
    auto* o = reinterpret_cast<QRgb*>(out.scanLine(j));
    for (int i = 0; i < a.W; ++i) o[i] = BrushPixel(*dest, a.X + i, a.Y + j);
  }
  return out;
}

// D' = (D & A) ^ B holds for every ternary operation, with A and B functions of pattern and source
// only; a painter that cannot read its device composes the blit that way.
void ComposeBlit(HDC dest, const TBlitArea& a, std::uint8_t code, const QImage& s, const QImage& p) {
  QPainter* painter = dest->Painter();
  if (!painter) return;
  painter->translate(-dest->Dx(), -dest->Dy());
  if (code == 0xCC && !s.isNull()) {
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(a.X, a.Y, s);
    return;
  }
  QImage ia(a.W, a.H, QImage::Format_RGB32), ib(a.W, a.H, QImage::Format_RGB32);
  for (int j = 0; j < a.H; ++j)
    for (int i = 0; i < a.W; ++i) {
      std::uint32_t pv = p.isNull() ? 0 : p.pixel(i, j), sv = s.isNull() ? 0 : s.pixel(i, j);
      std::uint32_t f1 = Rop3(code, pv, sv, 0xFFFFFFFF), f0 = Rop3(code, pv, sv, 0);
      ia.setPixel(i, j, (f1 ^ f0) | 0xFF000000);
      ib.setPixel(i, j, f0 | 0xFF000000);
    }
  painter->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  painter->drawImage(a.X, a.Y, ia);
  painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter->drawImage(a.X, a.Y, ib);
  painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

BOOL DoBlit(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  if (!dest) return 0;
  auto code = static_cast<std::uint8_t>((rop >> 16) & 0xFF);
  bool needSource = UsesSource(code);
  if (needSource && !src) return 0;
  bool flipX = false, flipY = false;
  if (w < 0) { x += w; w = -w; flipX = !flipX; }
  if (h < 0) { y += h; h = -h; flipY = !flipY; }
  if (sw < 0) { sx += sw; sw = -sw; flipX = !flipX; }
  if (sh < 0) { sy += sh; sh = -sh; flipY = !flipY; }
  if (w == 0 || h == 0 || (needSource && (sw == 0 || sh == 0))) return 1;
  TBlitArea a{x + dest->Dx(), y + dest->Dy(), w, h};
  QImage s = needSource ? BuildSource(dest, a, src, sx, sy, sw, sh, flipX, flipY) : QImage();
  QImage p = UsesPattern(code) ? BuildPattern(dest, a) : QImage();
  QImage* d = dest->Pixels();
  if (!d) {
    ComposeBlit(dest, a, code, s, p);
    return 1;
  }
  QPoint o = dest->PixelsOrigin();
  bool keepAlpha = d->format() == QImage::Format_ARGB32 && code == 0xCC;
  QRegion clip = dest->DeviceClip() & QRegion(QRect(a.X, a.Y, a.W, a.H));
  for (const QRect& r : clip) {
    for (int yy = r.top(); yy <= r.bottom(); ++yy) {
      auto* row = reinterpret_cast<QRgb*>(d->scanLine(yy + o.y()));
      int j = yy - a.Y;
      const QRgb* srow = s.isNull() ? nullptr : reinterpret_cast<const QRgb*>(s.constScanLine(j));
      const QRgb* prow = p.isNull() ? nullptr : reinterpret_cast<const QRgb*>(p.constScanLine(j));
      for (int xx = r.left(); xx <= r.right(); ++xx) {
        int i = xx - a.X;
        QRgb sv = srow ? srow[i] : 0, pv = prow ? prow[i] : 0;
        QRgb& dv = row[xx + o.x()];
        QRgb bits = code == 0xCC ? sv : Rop3(code, pv, sv, dv);
        QRgb res = (bits & 0x00FFFFFF) | (keepAlpha ? (sv & 0xFF000000) : 0xFF000000);
        dv = res;
      }
    }
  }
  return 1;
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  return DoBlit(dest, x, y, width, height, src, srcX, srcY, width, height, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop) {
  return DoBlit(dest, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, rop);
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
  auto code = static_cast<std::uint8_t>((rop >> 16) & 0xFF);
  if (UsesSource(code)) return 0;
  return DoBlit(dc, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  if (!dc) return CLR_INVALID;
  QRgb c = ToQRgb(color);
  if (dc->Mono()) c = MonoOf(c);
  QImage* d = dc->Pixels();
  QPoint dp(x + dc->Dx(), y + dc->Dy());
  if (!d) {
    QPainter* p = dc->Painter();
    if (!p) return CLR_INVALID;
    p->fillRect(QRect(x, y, 1, 1), QColor::fromRgb(c));
    return FromQRgb(c);
  }
  if (!dc->DeviceClip().contains(dp)) return CLR_INVALID;
  QPoint ip = dp + dc->PixelsOrigin();
  auto* row = reinterpret_cast<QRgb*>(d->scanLine(ip.y()));
  row[ip.x()] = c | 0xFF000000;
  return FromQRgb(c);
}

COLORREF GetPixel(HDC dc, int x, int y) {
  if (!dc) return CLR_INVALID;
  QImage* d = dc->Pixels();
  if (!d) return CLR_INVALID;
  QPoint ip = QPoint(x + dc->Dx(), y + dc->Dy()) + dc->PixelsOrigin();
  if (!d->rect().contains(ip)) return CLR_INVALID;
  return FromQRgb(d->pixel(ip));
}

}  // namespace orv
