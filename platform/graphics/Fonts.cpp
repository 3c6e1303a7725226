// Fonts, brushes and pens of the class library, and the Qt font a font record draws with.
#include <QFontDatabase>
#include <QFontMetrics>
#include <cmath>
#include <unordered_map>
#include "platform/graphics/GdiInternal.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

bool gTextAntialiasing = false;
constexpr const char* kFallbackFamily = "DejaVu Sans";

int MulDiv(int a, int b, int c) {
  return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

// Looked up once per face name: the font database is searched under a lock on every query.
QString FamilyFor(const AnsiString& face) {
  static std::unordered_map<AnsiString, QString> known;
  auto it = known.find(face);
  if (it != known.end()) return it->second;
  QString name = QString::fromStdU16String(AnsiToWide(face));
  QString family = !name.isEmpty() && QFontDatabase::hasFamily(name) ? name : QString::fromLatin1(kFallbackFamily);
  known.emplace(face, family);
  return family;
}

}  // namespace

int EnumFontFamilies(HDC, const std::function<int(const AnsiString& faceName)>& proc) {
  constexpr std::size_t kFaceSize = 31;  // a face name field holds 32 bytes with its terminator
  int result = 1;
  for (const QString& family : QFontDatabase::families()) {
    AnsiString face = WideToAnsi(family.toStdU16String());
    if (face.size() > kFaceSize) face.resize(kFaceSize);
    result = proc(face);
    if (result == 0) break;
  }
  return result;
}

void SetTextAntialiasing(bool on) { gTextAntialiasing = on; }
bool TextAntialiasing() { return gTextAntialiasing; }

QFont GdiFontToQFont(const TGdiFont& font) {
  QFont f(FamilyFor(font.FaceName));
  f.setBold(font.Bold);
  f.setItalic(font.Italic);
  f.setUnderline(font.Underline);
  f.setStrikeOut(font.StrikeOut);
  f.setKerning(false);
  f.setHintingPreference(QFont::PreferFullHinting);
  f.setStyleStrategy(gTextAntialiasing ? QFont::PreferAntialias : QFont::NoAntialias);
  if (font.Pitch == fpFixed) f.setStyleHint(QFont::Monospace);
  int h = font.Height;
  if (h == 0) h = -11;
  if (h < 0) {
    f.setPixelSize(-h);
  } else {
    // A positive height is the cell height: scale the character height to fit it.
    f.setPixelSize(h);
    int cell = QFontMetrics(f).height();
    if (cell > 0) f.setPixelSize(std::max(1, MulDiv(h, h, cell)));
  }
  return f;
}

// ----- TFont -----

TFont::TFont() : FHandle(std::make_unique<TGdiFont>()) { FHandle->Permanent = true; }
TFont::~TFont() = default;

void TFont::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TFont*>(source)) { Assign(*other); return; }
  TPersistent::Assign(source);
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  *FHandle = *source.FHandle;
  FHandle->Permanent = true;
  FColor = source.FColor;
  Changed();
}

void TFont::SetName(const AnsiString& name) {
  if (name.empty() || name == FHandle->FaceName) return;
  FHandle->FaceName = name;
  Changed();
}

int TFont::Size() const {
  int h = FHandle->Height;
  return h < 0 ? MulDiv(-h, 72, ScreenPixelsPerInch) : MulDiv(h, 72, ScreenPixelsPerInch);
}

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch, 72)); }

void TFont::SetHeight(int pixels) {
  if (pixels == FHandle->Height) return;
  FHandle->Height = pixels;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

TFontStyles TFont::Style() const {
  TFontStyles s;
  if (FHandle->Bold) s.Include(fsBold);
  if (FHandle->Italic) s.Include(fsItalic);
  if (FHandle->Underline) s.Include(fsUnderline);
  if (FHandle->StrikeOut) s.Include(fsStrikeOut);
  return s;
}

void TFont::SetStyle(TFontStyles style) {
  if (style == Style()) return;
  FHandle->Bold = style.Contains(fsBold);
  FHandle->Italic = style.Contains(fsItalic);
  FHandle->Underline = style.Contains(fsUnderline);
  FHandle->StrikeOut = style.Contains(fsStrikeOut);
  Changed();
}

void TFont::SetCharset(TFontCharset charset) {
  if (charset == FHandle->Charset) return;
  FHandle->Charset = charset;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == FHandle->Pitch) return;
  FHandle->Pitch = pitch;
  Changed();
}

QFont TFont::ToQFont() const { return GdiFontToQFont(*FHandle); }

// ----- TBrush -----

TBrush::TBrush() : FHandle(std::make_unique<TGdiBrush>()) {
  FHandle->Permanent = true;
  Rebuild();
}
TBrush::~TBrush() = default;

void TBrush::Rebuild() {
  TGdiBrush& b = *FHandle;
  b.Color = ColorToRGB(FColor);
  b.Pattern.reset();
  b.PatternMono = false;
  if (FBitmap && !FBitmap->Empty()) {
    b.Style = gbPattern;
    b.Pattern = std::make_shared<QImage>(FBitmap->Handle()->Image().copy());
    b.PatternMono = FBitmap->Monochrome();
    return;
  }
  switch (FStyle) {
    case bsSolid: b.Style = gbSolid; break;
    case bsClear: b.Style = gbNull; break;
    default:
      b.Style = gbHatched;
      b.Hatch = static_cast<int>(FStyle) - static_cast<int>(bsHorizontal) + HS_HORIZONTAL;
      break;
  }
}

HBRUSH TBrush::Handle() const { return FHandle.get(); }

void TBrush::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TBrush*>(source)) { Assign(*other); return; }
  TPersistent::Assign(source);
}

void TBrush::Assign(const TBrush& source) {
  if (&source == this) return;
  FColor = source.FColor;
  FStyle = source.FStyle;
  if (source.FBitmap) {
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->Assign(source.FBitmap.get());
  } else {
    FBitmap.reset();
  }
  Rebuild();
  Changed();
}

void TBrush::SetColor(TColor color) {
  if (color == FColor && FStyle != bsClear) return;
  FColor = color;
  if (FStyle == bsClear) FStyle = bsSolid;
  Rebuild();
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == FStyle && !FBitmap) return;
  FStyle = style;
  FBitmap.reset();
  Rebuild();
  Changed();
}

void TBrush::SetBitmap(const TBitmap* bitmap) {
  if (bitmap) {
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->Assign(const_cast<TBitmap*>(bitmap));
  } else {
    FBitmap.reset();
  }
  Rebuild();
  Changed();
}

// ----- TPen -----

TPen::TPen() : FHandle(std::make_unique<TGdiPen>()) {
  FHandle->Permanent = true;
  FHandle->Color = ColorToRGB(FColor);
}
TPen::~TPen() = default;

void TPen::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TPen*>(source)) { Assign(*other); return; }
  TPersistent::Assign(source);
}

void TPen::Assign(const TPen& source) {
  if (&source == this) return;
  *FHandle = *source.FHandle;
  FHandle->Permanent = true;
  FColor = source.FColor;
  FStyle = source.FStyle;
  FMode = source.FMode;
  Changed();
}

void TPen::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  FHandle->Color = ColorToRGB(color);
  Changed();
}

void TPen::SetWidth(int width) {
  if (width < 0) width = 0;
  if (width == FHandle->Width) return;
  FHandle->Width = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
  FHandle->Style = styles[style];
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode == FMode) return;
  FMode = mode;
  Changed();
}

int TPen::Rop2() const {
  static const int rops[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                             R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,
                             R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
  return rops[FMode];
}

}  // namespace orv
