// Inside the drawing layer: the device context object behind an HDC and the pixel helpers the
// blits, text drawing and bitmaps share.
#pragma once
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <optional>
#include "platform/graphics/Gdi.h"

namespace orv {

// The state a DC saves and restores.
struct TDcState {
  COLORREF TextColor = 0x000000;
  COLORREF BkColor = 0xFFFFFF;
  int BkMode = OPAQUE;
  int Rop2 = R2_COPYPEN;
  int StretchMode = BLACKONWHITE;
  int MapMode = MM_TEXT;
  TGdiBrush Brush;
  TGdiPen Pen;
  TGdiFont Font;
  HGDIOBJ BrushHandle = nullptr;
  HGDIOBJ PenHandle = nullptr;
  HGDIOBJ FontHandle = nullptr;
  HPALETTE Palette = nullptr;
  TPoint ViewportOrg;
  TPoint WindowOrg;
  // In device coordinates.
  std::optional<QRegion> Clip;
  TPoint CurPos;
  HBITMAP Bitmap = nullptr;
};

class TDeviceContext {
 public:
  enum TDcKind { dkMemory, dkImage, dkPainter };
  TDeviceContext(TDcKind kind);
  ~TDeviceContext();

  TDcKind Kind() const { return FKind; }
  TDcState S;
  std::vector<TDcState> Saved;

  // Logical to device offset.
  int Dx() const { return S.ViewportOrg.X - S.WindowOrg.X; }
  int Dy() const { return S.ViewportOrg.Y - S.WindowOrg.Y; }

  // The pixels of this DC, with its own painter finished; nullptr when there are none to read.
  // For a painter DC on an image the painter stays active (the raster engine writes the same memory).
  QImage* Pixels();
  // Device-coordinate offset of Pixels() against this DC's device coordinates.
  QPoint PixelsOrigin() const;
  // Whether the surface is monochrome (a 1-bit bitmap is selected).
  bool Mono() const { return FKind == dkMemory && S.Bitmap && S.Bitmap->Monochrome(); }
  // Size of the surface in device pixels.
  QSize SurfaceSize() const;
  // The clip in device coordinates: the surface intersected with the clip rectangle.
  QRegion DeviceClip() const;

  // A painter with the origin and clip applied; valid until the next call that reads pixels or
  // changes the selected bitmap.
  QPainter* Painter();
  // Finishes this DC's own painter.
  void EndPaint();
  // Selects a bitmap (nullptr: none); the previous one is returned.
  HBITMAP SelectBitmap(HBITMAP bitmap);

  QPainter* External = nullptr;
  QImage* ExternalImage = nullptr;

 private:
  TDcKind FKind;
  std::unique_ptr<QPainter> FOwnPainter;
  QTransform FBaseTransform;
  std::optional<QRegion> FBaseClip;
  bool FBaseSaved = false;
};

// Colour helpers: COLORREF is 0x00BBGGRR, QRgb is 0xAARRGGBB.
inline QRgb ToQRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQRgb(QRgb c) { return RGB(static_cast<Byte>(qRed(c)), static_cast<Byte>(qGreen(c)), static_cast<Byte>(qBlue(c))); }
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
// A monochrome surface holds black or white only: a colour becomes white when it is brighter than mid-grey.
inline bool IsLight(QRgb c) { return qRed(c) * 30 + qGreen(c) * 59 + qBlue(c) * 11 >= 128 * 100; }

// A Qt brush for a brush record as drawn on this DC (hatches: DC background mode and colour apply).
QBrush MakeQBrush(const TGdiBrush& brush, const TDeviceContext& dc);
QPen MakeQPen(const TGdiPen& pen);
// The composition mode of a binary raster operation; false when the operation draws nothing.
bool ApplyRop2(QPainter& p, int rop2);
// Combines pattern, source and destination bit by bit by the ternary raster operation's table.
inline std::uint32_t Rop3(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((code >> i) & 1)) continue;
    std::uint32_t term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    r |= term;
  }
  return r;
}
// The pixel of the DC's brush at a device position (patterns repeat from the device origin).
QRgb BrushPixel(const TDeviceContext& dc, int x, int y);
QImage NewImage(int width, int height, int bitsPerPixel);

}  // namespace orv
