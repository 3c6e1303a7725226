// Device contexts and drawing objects: creation, selection, saved states, clipping and origins.
#include <algorithm>
#include "platform/graphics/GdiInternal.h"
#include "platform/rtl/Exceptions.h"

namespace orv {

// ----- objects -----

QImage NewImage(int width, int height, int bitsPerPixel) {
  QImage img(std::max(width, 1), std::max(height, 1),
             bitsPerPixel == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  img.fill(bitsPerPixel == 1 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
  return img;
}

TGdiBitmap::TGdiBitmap(int width, int height, int bitsPerPixel)
    : TGdiObject(gkBitmap), FImage(std::make_unique<QImage>(NewImage(width, height, bitsPerPixel))),
      FBitsPerPixel(bitsPerPixel) {}

struct TGdiBitmap::TIndexedPixels {
  int Width = 0, Height = 0;
  std::unique_ptr<Byte[]> Values;
  std::vector<int> Rows;
  std::array<std::uint32_t, 256> Colors{};
};

void TGdiBitmap::SetIndexedPixels(int width, int height, std::unique_ptr<Byte[]> values, std::vector<int> rows,
                                  const std::array<std::uint32_t, 256>& colors) {
  for (TDeviceContext* dc : FUsers) dc->EndPaint();
  auto indexed = std::make_unique<TIndexedPixels>();
  indexed->Width = std::max(width, 1);
  indexed->Height = std::max(height, 1);
  indexed->Values = std::move(values);
  indexed->Rows = std::move(rows);
  indexed->Colors = colors;
  *FImage = QImage();
  FIndexed = std::move(indexed);
}

void TGdiBitmap::ExpandIndexed() const {
  if (!FIndexed) return;
  const TIndexedPixels& from = *FIndexed;
  // Every pixel is written below, so the image is not filled first.
  QImage image(from.Width, from.Height, FBitsPerPixel == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull()) throw EOutOfMemory("Out of memory");
  const auto width = static_cast<std::size_t>(from.Width);
  for (int n = 0; n < from.Height; ++n) {
    const int y = from.Rows.empty() ? n : from.Rows[static_cast<std::size_t>(n)];
    auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    const Byte* values = from.Values.get() + static_cast<std::size_t>(n) * width;
    for (std::size_t x = 0; x < width; ++x) row[x] = from.Colors[values[x]];
  }
  *FImage = std::move(image);
  FIndexed.reset();
}

TGdiBitmap::~TGdiBitmap() {
  for (TDeviceContext* dc : std::vector<TDeviceContext*>(FUsers)) {
    for (auto& saved : dc->Saved)
      if (saved.Bitmap == this) saved.Bitmap = nullptr;
    dc->SelectBitmap(nullptr);
  }
}

QImage& TGdiBitmap::Image() {
  for (TDeviceContext* dc : FUsers) dc->EndPaint();
  ExpandIndexed();
  return *FImage;
}
const QImage& TGdiBitmap::Image() const {
  for (TDeviceContext* dc : FUsers) dc->EndPaint();
  ExpandIndexed();
  return *FImage;
}
bool TGdiBitmap::Monochrome() const {
  if (FBitsPerPixel != 1) return false;
  if (Palette.size() < 2) return true;
  const COLORREF a = Palette[0] & 0xFFFFFF, b = Palette[1] & 0xFFFFFF;
  return (a == 0x000000 && b == 0xFFFFFF) || (a == 0xFFFFFF && b == 0x000000);
}

int TGdiBitmap::Width() const { return FIndexed ? FIndexed->Width : FImage->width(); }
int TGdiBitmap::Height() const { return FIndexed ? FIndexed->Height : FImage->height(); }

TGdiFont::TGdiFont() : TGdiObject(gkFont), FaceName("DejaVu Sans") {}
TGdiFont::~TGdiFont() = default;

namespace {

std::unique_ptr<TGdiObject> MakeStock(int index) {
  switch (index) {
    case WHITE_BRUSH: case LTGRAY_BRUSH: case GRAY_BRUSH: case DKGRAY_BRUSH: case BLACK_BRUSH: {
      static const COLORREF colours[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
      auto b = std::make_unique<TGdiBrush>();
      b->Color = colours[index];
      return b;
    }
    case NULL_BRUSH: { auto b = std::make_unique<TGdiBrush>(); b->Style = gbNull; return b; }
    case WHITE_PEN: { auto p = std::make_unique<TGdiPen>(); p->Color = 0xFFFFFF; return p; }
    case BLACK_PEN: return std::make_unique<TGdiPen>();
    case NULL_PEN: { auto p = std::make_unique<TGdiPen>(); p->Style = PS_NULL; return p; }
    case SYSTEM_FONT: case DEFAULT_GUI_FONT: return std::make_unique<TGdiFont>();
    case DEFAULT_PALETTE: return std::make_unique<TGdiPalette>();
    default: return nullptr;
  }
}

}  // namespace

HGDIOBJ GetStockObject(int index) {
  static std::unique_ptr<TGdiObject> stock[20];
  if (index < 0 || index >= 20) return nullptr;
  if (!stock[index]) {
    stock[index] = MakeStock(index);
    if (stock[index]) stock[index]->Permanent = true;
  }
  return stock[index].get();
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  int bpp = static_cast<int>(planes * bitsPerPixel);
  if (width < 0 || height < 0 || width > 32767 || height > 32767) return nullptr;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
  if (width == 0 || height == 0) { width = 1; height = 1; bpp = 1; }
  auto* bmp = new TGdiBitmap(width, height, bpp);
  if (bits) {
    const auto* src = static_cast<const Byte*>(bits);
    int stride = ((width * bpp + 15) / 16) * 2;
    QImage& img = bmp->Image();
    for (int y = 0; y < height; ++y) {
      const Byte* row = src + static_cast<std::size_t>(y) * stride;
      auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < width; ++x) {
        QRgb c = 0;
        switch (bpp) {
          case 1: c = (row[x >> 3] >> (7 - (x & 7))) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0); break;
          case 4: { int v = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF; int g = v * 17; c = qRgb(g, g, g); break; }
          case 8: c = qRgb(row[x], row[x], row[x]); break;
          case 16: { int v = row[2 * x] | (row[2 * x + 1] << 8);
                     c = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31); break; }
          case 24: c = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
          case 32: c = qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]); break;
        }
        out[x] = c;
      }
    }
  }
  return bmp;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  bool mono = dc && dc->Mono();
  return CreateBitmap(width, height, 1, mono ? 1 : 24, nullptr);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new TGdiBrush();
  b->Color = color & 0xFFFFFF;
  return b;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  auto* b = new TGdiBrush();
  b->Style = gbHatched;
  b->Hatch = hatch;
  b->Color = color & 0xFFFFFF;
  return b;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  if (!bitmap) return nullptr;
  auto* b = new TGdiBrush();
  b->Style = gbPattern;
  b->Pattern = std::make_shared<QImage>(bitmap->Image().copy());
  b->PatternMono = bitmap->Monochrome();
  return b;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  auto* p = new TGdiPen();
  p->Style = style;
  p->Width = width;
  p->Color = color & 0xFFFFFF;
  return p;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!object || object->Permanent) return 0;
  if (object->Kind() == gkBitmap && static_cast<TGdiBitmap*>(object)->SelectCount() > 0) return 0;
  delete object;
  return 1;
}

// ----- device contexts -----

TDeviceContext::TDeviceContext(TDcKind kind) : FKind(kind) {}

TDeviceContext::~TDeviceContext() {
  EndPaint();
  SelectBitmap(nullptr);
  if (FKind == dkPainter && External && FBaseSaved) External->restore();
}

HBITMAP TDeviceContext::SelectBitmap(HBITMAP bitmap) {
  HBITMAP old = S.Bitmap;
  if (old == bitmap) return old;
  EndPaint();
  if (old) {
    auto& users = old->FUsers;
    users.erase(std::remove(users.begin(), users.end(), this), users.end());
  }
  S.Bitmap = bitmap;
  if (bitmap) bitmap->FUsers.push_back(this);
  return old;
}

void TDeviceContext::EndPaint() {
  if (FOwnPainter && FOwnPainter->isActive()) FOwnPainter->end();
}

QImage* TDeviceContext::Pixels() {
  switch (FKind) {
    case dkMemory:
      if (!S.Bitmap) return nullptr;
      return &S.Bitmap->Image();
    case dkImage:
      EndPaint();
      return ExternalImage;
    case dkPainter:
      if (External && External->device() && External->device()->devType() == QInternal::Image)
        return static_cast<QImage*>(External->device());
      return nullptr;
  }
  return nullptr;
}

QPoint TDeviceContext::PixelsOrigin() const {
  if (FKind == dkPainter) return QPoint(static_cast<int>(FBaseTransform.dx()), static_cast<int>(FBaseTransform.dy()));
  return QPoint(0, 0);
}

QSize TDeviceContext::SurfaceSize() const {
  switch (FKind) {
    case dkMemory: return S.Bitmap ? QSize(S.Bitmap->Width(), S.Bitmap->Height()) : QSize(0, 0);
    case dkImage: return ExternalImage ? ExternalImage->size() : QSize(0, 0);
    case dkPainter:
      if (External && External->device())
        return QSize(External->device()->width(), External->device()->height());
      return QSize(0, 0);
  }
  return QSize(0, 0);
}

QRegion TDeviceContext::DeviceClip() const {
  QSize size = SurfaceSize();
  QRegion all(QRect(QPoint(0, 0), size).translated(-PixelsOrigin()));
  if (FKind == dkPainter && FBaseClip) all &= *FBaseClip;
  if (S.Clip) all &= *S.Clip;
  return all;
}

QPainter* TDeviceContext::Painter() {
  QPainter* p = nullptr;
  if (FKind == dkPainter) {
    p = External;
    if (!p || !p->isActive()) return nullptr;
    if (!FBaseSaved) {
      p->save();
      FBaseSaved = true;
      FBaseTransform = p->worldTransform();
      if (p->hasClipping()) FBaseClip = p->clipRegion();
    }
    p->setWorldTransform(FBaseTransform);
    if (FBaseClip) p->setClipRegion(*FBaseClip); else p->setClipping(false);
  } else {
    QImage* target = nullptr;
    if (FKind == dkMemory) {
      if (!S.Bitmap) return nullptr;
      for (TDeviceContext* other : S.Bitmap->FUsers)
        if (other != this) other->EndPaint();
      S.Bitmap->ExpandIndexed();
      target = S.Bitmap->FImage.get();
    } else {
      target = ExternalImage;
    }
    if (!target || target->isNull()) return nullptr;
    if (!FOwnPainter) FOwnPainter = std::make_unique<QPainter>();
    if (!FOwnPainter->isActive() && !FOwnPainter->begin(target)) return nullptr;
    p = FOwnPainter.get();
    p->resetTransform();
    p->setClipping(false);
  }
  p->setRenderHint(QPainter::Antialiasing, false);
  p->setRenderHint(QPainter::TextAntialiasing, false);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setOpacity(1.0);
  if (S.Clip) p->setClipRegion(*S.Clip, FKind == dkPainter && FBaseClip ? Qt::IntersectClip : Qt::ReplaceClip);
  p->translate(Dx(), Dy());
  return p;
}

HDC CreateCompatibleDC(HDC) {
  auto* dc = new TDeviceContext(TDeviceContext::dkMemory);
  static const std::unique_ptr<TGdiBitmap> stockBitmap = [] {
    auto b = std::make_unique<TGdiBitmap>(1, 1, 1);
    b->Permanent = true;
    return b;
  }();
  dc->SelectBitmap(stockBitmap.get());
  return dc;
}

HDC CreatePainterDC(QPainter* painter) {
  auto* dc = new TDeviceContext(TDeviceContext::dkPainter);
  dc->External = painter;
  return dc;
}

HDC CreateImageDC(QImage* image) {
  auto* dc = new TDeviceContext(TDeviceContext::dkImage);
  dc->ExternalImage = image;
  return dc;
}

BOOL DeleteDC(HDC dc) {
  if (!dc) return 0;
  delete dc;
  return 1;
}

void GdiFlush(HDC dc) {
  if (dc) dc->EndPaint();
}

QPainter* DCPainter(HDC dc) { return dc ? dc->Painter() : nullptr; }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (!dc || !object) return nullptr;
  switch (object->Kind()) {
    case gkBitmap: {
      if (dc->Kind() != TDeviceContext::dkMemory) return nullptr;
      return dc->SelectBitmap(static_cast<HBITMAP>(object));
    }
    case gkBrush: {
      HGDIOBJ old = dc->S.BrushHandle ? dc->S.BrushHandle : GetStockObject(WHITE_BRUSH);
      dc->S.Brush = *static_cast<TGdiBrush*>(object);
      dc->S.BrushHandle = object;
      return old;
    }
    case gkPen: {
      HGDIOBJ old = dc->S.PenHandle ? dc->S.PenHandle : GetStockObject(BLACK_PEN);
      dc->S.Pen = *static_cast<TGdiPen*>(object);
      dc->S.PenHandle = object;
      return old;
    }
    case gkFont: {
      HGDIOBJ old = dc->S.FontHandle ? dc->S.FontHandle : GetStockObject(SYSTEM_FONT);
      dc->S.Font = *static_cast<TGdiFont*>(object);
      dc->S.FontHandle = object;
      return old;
    }
    case gkPalette: {
      HGDIOBJ old = dc->S.Palette ? dc->S.Palette : GetStockObject(DEFAULT_PALETTE);
      dc->S.Palette = static_cast<HPALETTE>(object);
      return old;
    }
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC dc, TGdiKind kind) {
  if (!dc) return nullptr;
  switch (kind) {
    case gkBitmap: return dc->S.Bitmap;
    case gkBrush: return dc->S.BrushHandle ? dc->S.BrushHandle : GetStockObject(WHITE_BRUSH);
    case gkPen: return dc->S.PenHandle ? dc->S.PenHandle : GetStockObject(BLACK_PEN);
    case gkFont: return dc->S.FontHandle ? dc->S.FontHandle : GetStockObject(SYSTEM_FONT);
    case gkPalette: return dc->S.Palette ? dc->S.Palette : GetStockObject(DEFAULT_PALETTE);
  }
  return nullptr;
}

#define ORV_DC_SETTER(Name, Field, Type, Bad)          \
  Type Set##Name(HDC dc, Type value) {                 \
    if (!dc) return Bad;                               \
    Type old = dc->S.Field;                            \
    dc->S.Field = value;                               \
    return old;                                        \
  }                                                    \
  Type Get##Name(HDC dc) { return dc ? dc->S.Field : Bad; }

ORV_DC_SETTER(BkColor, BkColor, COLORREF, CLR_INVALID)
ORV_DC_SETTER(TextColor, TextColor, COLORREF, CLR_INVALID)
ORV_DC_SETTER(BkMode, BkMode, int, 0)
ORV_DC_SETTER(ROP2, Rop2, int, 0)
ORV_DC_SETTER(StretchBltMode, StretchMode, int, 0)
ORV_DC_SETTER(MapMode, MapMode, int, 0)
#undef ORV_DC_SETTER

int GetDeviceCaps(HDC dc, int index) {
  switch (index) {
    case LOGPIXELSX: case LOGPIXELSY: return ScreenPixelsPerInch;
    case BITSPIXEL: return dc && dc->Mono() ? 1 : 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS: return 0;
    case SIZEPALETTE: return 0;
    case HORZRES: return dc ? dc->SurfaceSize().width() : 0;
    case VERTRES: return dc ? dc->SurfaceSize().height() : 0;
    default: return 0;
  }
}

int SaveDC(HDC dc) {
  if (!dc) return 0;
  dc->Saved.push_back(dc->S);
  return static_cast<int>(dc->Saved.size());
}

BOOL RestoreDC(HDC dc, int savedDC) {
  if (!dc) return 0;
  int count = static_cast<int>(dc->Saved.size());
  int level = savedDC < 0 ? count + 1 + savedDC : savedDC;
  if (level < 1 || level > count) return 0;
  TDcState state = dc->Saved[level - 1];
  dc->Saved.resize(level - 1);
  HBITMAP bitmap = state.Bitmap;
  state.Bitmap = dc->S.Bitmap;
  dc->S = state;
  dc->SelectBitmap(bitmap);
  return 1;
}

namespace {

int RegionKind(const QRegion& r) {
  if (r.isEmpty()) return NULLREGION;
  return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QRect DeviceRect(HDC dc, int left, int top, int right, int bottom) {
  return QRect(QPoint(left + dc->Dx(), top + dc->Dy()), QPoint(right + dc->Dx() - 1, bottom + dc->Dy() - 1));
}

}  // namespace

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  if (!dc) return ERROR;
  QRegion r = right > left && bottom > top ? QRegion(DeviceRect(dc, left, top, right, bottom)) : QRegion();
  dc->S.Clip = dc->S.Clip ? (*dc->S.Clip & r) : (r & dc->DeviceClip());
  return RegionKind(*dc->S.Clip);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  if (!dc) return ERROR;
  QRegion base = dc->S.Clip ? *dc->S.Clip : dc->DeviceClip();
  if (right > left && bottom > top) base -= QRegion(DeviceRect(dc, left, top, right, bottom));
  dc->S.Clip = base;
  return RegionKind(base);
}

int SelectClipRgn(HDC dc, std::nullptr_t) {
  if (!dc) return ERROR;
  dc->S.Clip.reset();
  return SIMPLEREGION;
}

int GetClipBox(HDC dc, TRect* rect) {
  if (!dc || !rect) return ERROR;
  QRegion clip = dc->DeviceClip();
  QRect b = clip.boundingRect();
  if (clip.isEmpty()) { *rect = {}; return NULLREGION; }
  *rect = {b.left() - dc->Dx(), b.top() - dc->Dy(), b.right() + 1 - dc->Dx(), b.bottom() + 1 - dc->Dy()};
  return RegionKind(clip);
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, TPoint* previous) {
  if (!dc) return 0;
  if (previous) *previous = dc->S.ViewportOrg;
  dc->S.ViewportOrg = {x, y};
  return 1;
}
BOOL GetViewportOrgEx(HDC dc, TPoint* origin) {
  if (!dc || !origin) return 0;
  *origin = dc->S.ViewportOrg;
  return 1;
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* previous) {
  if (!dc) return 0;
  if (previous) *previous = dc->S.ViewportOrg;
  dc->S.ViewportOrg.X += dx;
  dc->S.ViewportOrg.Y += dy;
  return 1;
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, TPoint* previous) {
  if (!dc) return 0;
  if (previous) *previous = dc->S.WindowOrg;
  dc->S.WindowOrg = {x, y};
  return 1;
}
BOOL GetWindowOrgEx(HDC dc, TPoint* origin) {
  if (!dc || !origin) return 0;
  *origin = dc->S.WindowOrg;
  return 1;
}

COLORREF GetNearestColor(HDC dc, COLORREF color) {
  if (!dc) return CLR_INVALID;
  color &= 0xFFFFFF;
  if (dc->Mono()) return IsLight(ToQRgb(color)) ? 0xFFFFFF : 0x000000;
  return color;
}

// Every DC draws in true colour; palettes are kept only so callers can select them back.
HPALETTE CreateHalftonePalette(HDC) { return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)); }
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL) {
  return static_cast<HPALETTE>(SelectObject(dc, palette));
}
UINT RealizePalette(HDC) { return 0; }
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  if (!palette) return 0;
  UINT size = static_cast<UINT>(palette->Entries.size());
  if (!entries) return size;
  UINT n = 0;
  for (UINT i = start; i < size && n < count; ++i, ++n) {
    COLORREF c = palette->Entries[i];
    entries[n] = {static_cast<Byte>(GetRValue(c)), static_cast<Byte>(GetGValue(c)), static_cast<Byte>(GetBValue(c)), 0};
  }
  return n;
}

}  // namespace orv
