// TBitmap: pixels of a depth with a palette, its canvas, masks and transparency, BMP streams.
#include <QImage>
#include <QPainter>
#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/GdiInternal.h"
#include "platform/graphics/Graphics.h"
#include "platform/win/GlobalMemory.h"

namespace orv {

// The bitmap's own canvas: a memory DC with the bitmap selected, made on first use and dropped
// whenever the bitmap gets new pixels.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }
  void FreeContext() {
    if (FHandle) DeleteDC(FHandle);
    FHandle = nullptr;
  }
 protected:
  void CreateHandle() override {
    FBitmap->HandleNeeded();
    FHandle = CreateCompatibleDC(nullptr);
    SelectObject(FHandle, FBitmap->FImage.get());
  }
 private:
  TBitmap* FBitmap;
};

namespace {

int BppOf(TPixelFormat f) {
  switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: case pf16bit: return 16;
    case pf32bit: return 32;
    default: return 24;
  }
}

TPixelFormat FormatOf(int bpp) {
  switch (bpp) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf16bit;
    case 32: return pf32bit;
    default: return pf24bit;
  }
}

}  // namespace

TGraphicClass TBitmap::Class() {
  static const TGraphicClassInfo info{"TBitmap", [] { return std::unique_ptr<TGraphic>(std::make_unique<TBitmap>()); }};
  return &info;
}

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height) { SetSize(width, height); }
TBitmap::~TBitmap() {
  if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::Changed() { TGraphic::Changed(); }

void TBitmap::HandleNeeded() {
  if (!FImage) FImage = std::make_unique<TGdiBitmap>(std::max(FWidth, 1), std::max(FHeight, 1), BppOf(FPixelFormat));
  FImage->Permanent = true;
}

bool TBitmap::Empty() const { return FWidth == 0 || FHeight == 0; }
int TBitmap::Width() const { return FWidth; }
int TBitmap::Height() const { return FHeight; }
void TBitmap::SetWidth(int width) { SetSize(width, FHeight); }
void TBitmap::SetHeight(int height) { SetSize(FWidth, height); }

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight && FImage) return;
  if (FCanvas) FCanvas->FreeContext();
  auto image = std::make_unique<TGdiBitmap>(std::max(width, 1), std::max(height, 1), BppOf(FPixelFormat));
  image->Permanent = true;
  QImage& dst = image->Image();
  dst.fill(0xFFFFFFFF);
  if (FImage) {
    image->Palette = FImage->Palette;
    const QImage& src = FImage->Image();
    int w = std::min({FWidth, width, src.width()}), h = std::min({FHeight, height, src.height()});
    for (int y = 0; y < h; ++y)
      std::copy_n(reinterpret_cast<const QRgb*>(src.constScanLine(y)), w, reinterpret_cast<QRgb*>(dst.scanLine(y)));
  }
  FImage = std::move(image);
  FWidth = width;
  FHeight = height;
  Changed();
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->OnChange = [this](TObject*) { Changed(); };
  }
  return FCanvas.get();
}

HBITMAP TBitmap::Handle() {
  HandleNeeded();
  return FImage.get();
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  if (FCanvas) FCanvas->FreeContext();
  FImage.reset(bitmap);
  if (bitmap) {
    bitmap->Permanent = true;
    FWidth = bitmap->Width();
    FHeight = bitmap->Height();
    FPixelFormat = FormatOf(bitmap->BitsPerPixel());
  } else {
    FWidth = FHeight = 0;
  }
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  HandleNeeded();
  if (FCanvas) FCanvas->FreeContext();
  TGdiBitmap* b = FImage.release();
  b->Permanent = false;
  FWidth = FHeight = 0;
  return b;
}

TPixelFormat TBitmap::PixelFormat() const { return FPixelFormat; }

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == FPixelFormat) return;
  bool wasMono = FPixelFormat == pf1bit;
  FPixelFormat = format;
  if (FImage) {
    if (FCanvas) FCanvas->FreeContext();
    if (FHandleType == bmDDB && (format == pf1bit) != wasMono) {
      // A device-dependent bitmap converts as a blit does: to monochrome, the brush colour becomes
      // white and every other colour black; from monochrome, black takes the font colour and white
      // the brush colour.
      COLORREF brush = ColorToRGB(FCanvas ? FCanvas->Brush()->Color() : clWhite);
      COLORREF font = ColorToRGB(FCanvas ? FCanvas->Font()->Color() : clBlack);
      QImage& img = FImage->Image();
      for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
          if (format == pf1bit) row[x] = FromQRgb(row[x]) == brush ? 0xFFFFFFFF : 0xFF000000;
          else row[x] = ToQRgb(IsLight(row[x]) ? brush : font) | 0xFF000000;
        }
      }
    }
    QuantizeBitmap(*FImage, BppOf(format));
  }
  Changed();
}

bool TBitmap::Monochrome() const { return FPixelFormat == pf1bit; }

void TBitmap::SetMonochrome(bool value) {
  if (value == Monochrome()) return;
  SetPixelFormat(value ? pf1bit : pfDevice);
}

COLORREF TBitmap::PixelRGB(int x, int y) {
  HandleNeeded();
  return FromQRgb(FImage->Image().pixel(x, y));
}

void TBitmap::SetPixelRGB(int x, int y, COLORREF color) {
  HandleNeeded();
  FImage->Image().setPixel(x, y, ToQRgb(color) | 0xFF000000);
}

std::uint32_t* TBitmap::PixelRow(int y) {
  HandleNeeded();
  return reinterpret_cast<std::uint32_t*>(FImage->Image().scanLine(y));
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Monochrome()) return clWhite;
  if (Empty()) return clDefault;
  return static_cast<TColor>(PixelRGB(0, FHeight - 1));
}

void TBitmap::SetTransparentColor(TColor color) {
  FTransparentColor = color;
  FTransparentMode = color == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == FTransparentMode) return;
  if (mode == tmAuto) FTransparentColor = clDefault;
  else FTransparentColor = TransparentColor();
  FTransparentMode = mode;
  Changed();
}

HPALETTE TBitmap::Palette() {
  if (!FImage || FImage->BitsPerPixel() > 8) return nullptr;
  if (!FPaletteObj) FPaletteObj = std::make_unique<TGdiPalette>();
  FPaletteObj->Permanent = true;
  FPaletteObj->Entries = FImage->Palette.empty() ? DefaultPalette(FImage->BitsPerPixel()) : FImage->Palette;
  return FPaletteObj.get();
}

void TBitmap::SetPalette(HPALETTE palette) {
  HandleNeeded();
  FImage->Palette = palette ? palette->Entries : std::vector<COLORREF>{};
  Changed();
}

HBITMAP TBitmap::MaskHandleFor(TColor transparent) {
  HandleNeeded();
  COLORREF key = ColorToRGB(transparent);
  if (transparent != clNone && transparent != clDefault) key &= 0xFFFFFF;
  const QImage& src = FImage->Image();
  auto mask = std::make_unique<TGdiBitmap>(src.width(), src.height(), 1);
  QImage& m = mask->Image();
  for (int y = 0; y < src.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(m.scanLine(y));
    for (int x = 0; x < src.width(); ++x) out[x] = FromQRgb(in[x]) == key ? 0xFFFFFFFF : 0xFF000000;
  }
  return mask.release();  // the caller owns the handle
}

void TBitmap::Mask(TColor transparent) {
  HBITMAP mask = MaskHandleFor(transparent);
  int w = FWidth, h = FHeight;
  SetHandle(mask);
  FWidth = w;
  FHeight = h;
}

void TBitmap::Assign(TPersistent* source) {
  if (!source) {
    if (FCanvas) FCanvas->FreeContext();
    FImage.reset();
    FWidth = FHeight = 0;
    Changed();
    return;
  }
  if (auto* other = dynamic_cast<TBitmap*>(source)) {
    if (other == this) return;
    if (FCanvas) FCanvas->FreeContext();
    FPixelFormat = other->FPixelFormat;
    FWidth = other->FWidth;
    FHeight = other->FHeight;
    FTransparentColor = other->FTransparentColor;
    FTransparentMode = other->FTransparentMode;
    FTransparent = other->FTransparent;
    FHandleType = other->FHandleType;
    if (other->FImage) {
      // The pixels are shared until either bitmap writes to them (rows, pixels or a painter on its
      // canvas take a copy of their own first); the source's painters have ended by now.
      auto image = std::make_unique<TGdiBitmap>(1, 1, other->FImage->BitsPerPixel());
      image->Image() = other->FImage->Image();
      image->Palette = other->FImage->Palette;
      image->Permanent = true;
      FImage = std::move(image);
    } else {
      FImage.reset();
    }
    Changed();
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    if (graphic->CopiesInto(this)) {
      TGraphic::Assign(source);
      return;
    }
    if (FCanvas) FCanvas->FreeContext();
    FImage.reset();
    FWidth = FHeight = 0;
    SetSize(graphic->Width(), graphic->Height());
    if (!Empty()) {
      Canvas()->Brush()->SetColor(clWhite);
      Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
      Canvas()->Draw(0, 0, graphic);
    }
    FTransparent = graphic->Transparent();
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TBitmap::TakeImage(std::unique_ptr<TGdiBitmap> image) {
  if (FCanvas) FCanvas->FreeContext();
  image->Permanent = true;
  FWidth = image->Width();
  FHeight = image->Height();
  FPixelFormat = FormatOf(image->BitsPerPixel());
  FImage = std::move(image);
  Changed();
}

void TBitmap::LoadFromStream(TStream& stream) {
  std::unique_ptr<TGdiBitmap> image = ReadBmpFile(stream);
  TakeImage(std::move(image));
}

void TBitmap::SaveToStream(TStream& stream) {
  if (Empty()) return;
  HandleNeeded();
  WriteBmpFile(stream, *FImage);
}

void TBitmap::ReadData(TStream& stream) {
  LongWord size = 0;
  stream.ReadBuffer(&size, 4);
  Int64 remaining = stream.Size() - stream.Position();
  if (static_cast<Int64>(size) > remaining) throw EInvalidGraphic("Bitmap image is not valid");
  if (size == 0) {
    Assign(nullptr);
    return;
  }
  TMemoryStream data;
  data.SetSize(size);
  stream.ReadBuffer(data.Memory(), size);
  data.SetPosition(0);
  LoadFromStream(data);
}

void TBitmap::WriteData(TStream& stream) {
  TMemoryStream data;
  SaveToStream(data);
  auto size = static_cast<LongWord>(data.Size());
  stream.WriteBuffer(&size, 4);
  if (size) stream.WriteBuffer(data.Memory(), size);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  HDC dc = canvas.Handle();
  HandleNeeded();
  HDC src = CreateCompatibleDC(nullptr);
  // Colour pictures drop rows and columns when shrunk; combining them would darken the picture.
  int oldMode = Monochrome() ? 0 : SetStretchBltMode(dc, STRETCH_DELETESCANS);
  if (!Transparent()) {
    SelectObject(src, FImage.get());
    StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, FWidth, FHeight, canvas.CopyMode());
    DeleteDC(src);
    if (oldMode) SetStretchBltMode(dc, oldMode);
    return;
  }
  // Opaque pixels are cut out with the mask, then the colours (black where transparent) are ORed in.
  std::unique_ptr<TGdiBitmap> mask(MaskHandleFor(TransparentColor()));
  const QImage& img = FImage->Image();
  auto colours = std::make_unique<TGdiBitmap>(img.width(), img.height(), 24);
  QImage& c = colours->Image();
  const QImage& m = mask->Image();
  QRgb fore = ToQRgb(GetTextColor(dc)) | 0xFF000000;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      QRgb p = img.pixel(x, y);
      if (Monochrome()) p = IsLight(p) ? 0xFFFFFFFF : fore;
      c.setPixel(x, y, IsLight(m.pixel(x, y)) ? 0xFF000000 : p);
    }
  COLORREF oldText = SetTextColor(dc, 0x000000), oldBk = SetBkColor(dc, 0xFFFFFF);
  SelectObject(src, mask.get());
  StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, FWidth, FHeight, SRCAND);
  SelectObject(src, colours.get());
  StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, FWidth, FHeight, SRCPAINT);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  DeleteDC(src);
  if (oldMode) SetStretchBltMode(dc, oldMode);
}

void TBitmap::LoadFromClipboardFormat(Word format, std::uint64_t data, HPALETTE palette) {
  std::unique_ptr<TGdiBitmap> image;
  if (format == CF_DIB) {
    const HGLOBAL block(data);
    const auto* bytes = static_cast<const Byte*>(GlobalLock(block));
    if (bytes == nullptr) throw EInvalidGraphic("Bitmap image is not valid");
    struct TUnlock {
      HGLOBAL Block;
      ~TUnlock() { GlobalUnlock(Block); }
    } unlock{block};
    image = ReadDib(bytes, GlobalSize(block), false, nullptr);
  } else if (format == CF_BITMAP) {
    const auto* handle = reinterpret_cast<const TGdiBitmap*>(data);
    if (handle == nullptr) throw EInvalidGraphic("Bitmap image is not valid");
    image = std::make_unique<TGdiBitmap>(1, 1, handle->BitsPerPixel());
    image->Image() = handle->Image().copy();
    image->Palette = handle->Palette;
  } else {
    TGraphic::LoadFromClipboardFormat(format, data, palette);
    return;
  }
  if (palette && image->BitsPerPixel() <= 8 && palette->Entries.size() <= (std::size_t{1} << image->BitsPerPixel()))
    image->Palette = palette->Entries;
  TakeImage(std::move(image));
}

void TBitmap::SaveToClipboardFormat(Word& format, std::uint64_t& data, HPALETTE& palette) {
  HandleNeeded();
  const std::vector<Byte> dib = WriteDib(*FImage);
  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dib.size());
  void* bytes = GlobalLock(block);
  if (bytes == nullptr) {
    GlobalFree(block);
    throw EOutOfMemory("Out of memory");
  }
  std::copy(dib.begin(), dib.end(), static_cast<Byte*>(bytes));
  GlobalUnlock(block);
  format = CF_DIB;
  data = block.Value;
  palette = nullptr;
}

}  // namespace orv
