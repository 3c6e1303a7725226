// Icon and cursor files: directory, DIB or PNG images with AND masks, drawing through the mask.
#include "platform/graphics/Icon.h"
#include <QImage>
#include <QPainter>
#include <cstring>
#include <map>
#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/GdiInternal.h"
#include "platform/win/GlobalMemory.h"

namespace orv {

namespace {

constexpr const char* kInvalidIcon = "Icon image is not valid";
[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(kInvalidIcon); }
std::uint32_t U16(const Byte* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const Byte* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24); }
void Put16(std::vector<Byte>& v, std::uint32_t x) { v.push_back(x & 0xFF); v.push_back((x >> 8) & 0xFF); }
void Put32(std::vector<Byte>& v, std::uint32_t x) { for (int i = 0; i < 4; ++i) v.push_back((x >> (8 * i)) & 0xFF); }

constexpr std::uint32_t kMaxIconImageBytes = 16u << 20;
constexpr Byte kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool IsPng(const Byte* d, std::size_t size) { return size >= 8 && std::memcmp(d, kPngSignature, 8) == 0; }

// The size an image claims in its header (a DIB's height counts the mask rows too), checked before
// anything is decoded so that an image costs no more than the budget grants.
long long ClaimedPixels(const Byte* d, std::size_t size) {
  long long width = 0, height = 0;
  if (IsPng(d, size)) {
    if (size < 24 || std::memcmp(d + 12, "IHDR", 4) != 0) InvalidIcon();
    auto be32 = [](const Byte* p) { return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; };
    width = be32(d + 16);
    height = be32(d + 20);
  } else {
    if (size < 12) InvalidIcon();
    if (U32(d) == 12) {
      width = U16(d + 4);
      height = static_cast<std::int16_t>(U16(d + 6));
    } else {
      if (size < 16) InvalidIcon();
      width = static_cast<std::int32_t>(U32(d + 4));
      height = static_cast<std::int32_t>(U32(d + 8));
    }
    height = (height < 0 ? -height : height) / 2;
  }
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) InvalidIcon();
  return width * height;
}

void DecodeImage(TIconImage& img, TIconBudget& budget) {
  const std::vector<Byte>& d = *img.Data;
  const long long pixels = ClaimedPixels(d.data(), d.size());
  if (pixels > budget.Pixels) throw EIconTooLarge();
  budget.Pixels -= pixels;
  if (IsPng(d.data(), d.size())) {
    QImage q = QImage::fromData(d.data(), static_cast<int>(d.size()), "PNG");
    if (q.isNull() || static_cast<long long>(q.width()) * q.height() > pixels) InvalidIcon();
    q = q.convertToFormat(QImage::Format_ARGB32);
    img.Colour = std::make_shared<TGdiBitmap>(q.width(), q.height(), 32);
    img.Colour->Image() = q;
    img.BitCount = 32;
  } else {
    std::unique_ptr<TGdiBitmap> mask;
    std::unique_ptr<TGdiBitmap> colour;
    try {
      colour = ReadDib(d.data(), d.size(), true, &mask);
    } catch (const EInvalidGraphic&) {
      InvalidIcon();
    }
    img.BitCount = colour->BitsPerPixel();
    img.Colour = std::move(colour);
    img.Mask = std::move(mask);
  }
  if (!img.Mask) {
    const QImage& c = img.Colour->Image();
    img.Mask = std::make_shared<TGdiBitmap>(c.width(), c.height(), 1);
    QImage& m = img.Mask->Image();
    const bool alpha = c.format() == QImage::Format_ARGB32;
    for (int y = 0; y < c.height(); ++y) {
      const auto* in = reinterpret_cast<const QRgb*>(c.constScanLine(y));
      auto* out = reinterpret_cast<QRgb*>(m.scanLine(y));
      for (int x = 0; x < c.width(); ++x) out[x] = alpha && qAlpha(in[x]) == 0 ? 0xFFFFFFFF : 0xFF000000;
    }
  }
}

const std::vector<TIconImage> kNoImages;

}  // namespace

TGraphicClass TIcon::Class() {
  static const TGraphicClassInfo info{"TIcon", [] { return std::unique_ptr<TGraphic>(std::make_unique<TIcon>()); }};
  return &info;
}

TIcon::TIcon() { FTransparent = true; }

const std::vector<TIconImage>& TIcon::Images() const { return FImages ? *FImages : kNoImages; }

void TIcon::SetImages(std::vector<TIconImage> images) {
  if (images.empty()) FImages.reset();
  else FImages = std::make_shared<const std::vector<TIconImage>>(std::move(images));
}

void TIcon::Changed() {
  FHandle.reset();
  TGraphic::Changed();
}

HICON TIcon::Handle() {
  if (Images().empty()) return nullptr;
  if (!FHandle) {
    const TIconImage& first = Images()[0];
    FHandle = std::make_unique<TGdiIcon>();
    FHandle->Colour = first.Colour;
    FHandle->Mask = first.Mask;
    FHandle->IsIcon = FType == kIconTypeIcon;
    FHandle->HotSpot = first.HotSpot;
  }
  return FHandle.get();
}

void TIcon::SetHandle(HICON icon) {
  std::unique_ptr<TGdiIcon> owned(icon);
  std::vector<TIconImage> images;
  if (owned && owned->Colour) {
    TIconImage img;
    img.Colour = owned->Colour;
    img.Mask = owned->Mask;
    img.BitCount = owned->Colour->BitsPerPixel();
    img.HotSpot = owned->HotSpot;
    img.Data = std::make_shared<const std::vector<Byte>>(WriteDib(*img.Colour, img.Mask.get()));
    FType = owned->IsIcon ? kIconTypeIcon : kIconTypeCursor;
    images.push_back(std::move(img));
  }
  SetImages(std::move(images));
  Changed();
}

HICON TIcon::ReleaseHandle() {
  Handle();
  std::unique_ptr<TGdiIcon> handle = std::move(FHandle);
  FImages.reset();
  Changed();
  return handle.release();  // the caller owns it
}

namespace {

std::shared_ptr<TGdiBitmap> CopyBitmap(const TGdiBitmap& b) {
  auto copy = std::make_shared<TGdiBitmap>(1, 1, b.BitsPerPixel());
  copy->Image() = b.Image().copy();
  copy->Palette = b.Palette;
  copy->Permanent = true;
  return copy;
}

}  // namespace

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !info->hbmMask) return nullptr;
  auto icon = std::make_unique<TGdiIcon>();
  icon->IsIcon = info->fIcon != 0;
  icon->HotSpot = {static_cast<Integer>(info->xHotspot), static_cast<Integer>(info->yHotspot)};
  if (info->hbmColor) {
    icon->Colour = CopyBitmap(*info->hbmColor);
    icon->Mask = CopyBitmap(*info->hbmMask);
  } else {
    // A monochrome icon: the mask bitmap holds the AND mask above the XOR image.
    const QImage& m = info->hbmMask->Image();
    int h = m.height() / 2;
    if (h <= 0) return nullptr;
    icon->Mask = std::make_shared<TGdiBitmap>(m.width(), h, 1);
    icon->Colour = std::make_shared<TGdiBitmap>(m.width(), h, 1);
    icon->Mask->Image() = m.copy(0, 0, m.width(), h);
    icon->Colour->Image() = m.copy(0, h, m.width(), h);
  }
  return icon.release();  // the caller owns it (DestroyIcon)
}

BOOL DestroyIcon(HICON icon) {
  if (!icon) return 0;
  std::unique_ptr<TGdiIcon> owned(icon);
  return 1;
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  if (!icon || !info || !icon->Colour) return 0;
  info->fIcon = icon->IsIcon ? 1 : 0;
  info->xHotspot = static_cast<DWORD>(icon->HotSpot.X);
  info->yHotspot = static_cast<DWORD>(icon->HotSpot.Y);
  auto colour = std::make_unique<TGdiBitmap>(1, 1, icon->Colour->BitsPerPixel());
  colour->Image() = icon->Colour->Image().copy();
  auto mask = std::make_unique<TGdiBitmap>(1, 1, 1);
  if (icon->Mask) mask->Image() = icon->Mask->Image().copy();
  info->hbmColor = colour.release();  // the caller owns both (DeleteObject)
  info->hbmMask = mask.release();
  return 1;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT, HBRUSH, UINT flags) {
  if (!dc || !icon || !icon->Colour) return 0;
  const QImage& colour = icon->Colour->Image();
  if (width <= 0) width = colour.width();
  if (height <= 0) height = colour.height();
  HDC src = CreateCompatibleDC(nullptr);
  COLORREF oldText = SetTextColor(dc, 0x000000), oldBk = SetBkColor(dc, 0xFFFFFF);
  bool alpha = colour.format() == QImage::Format_ARGB32;
  // An image with alpha blends by itself; its mask would darken the half-transparent pixels.
  if ((flags & DI_MASK) && icon->Mask && !(alpha && (flags & DI_IMAGE))) {
    SelectObject(src, icon->Mask.get());
    StretchBlt(dc, x, y, width, height, src, 0, 0, colour.width(), colour.height(), (flags & DI_IMAGE) ? SRCAND : SRCCOPY);
  }
  if (flags & DI_IMAGE) {
    if (alpha && (flags & DI_MASK)) {
      if (QPainter* p = dc->Painter()) p->drawImage(QRect(x, y, width, height), colour);
    } else {
      SelectObject(src, icon->Colour.get());
      StretchBlt(dc, x, y, width, height, src, 0, 0, colour.width(), colour.height(), (flags & DI_MASK) ? SRCINVERT : SRCCOPY);
    }
  }
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  DeleteDC(src);
  return 1;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) { return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }
TIcon::~TIcon() = default;

int TIcon::Width() const { return Images().empty() ? 0 : Images()[0].Colour->Width(); }
int TIcon::Height() const { return Images().empty() ? 0 : Images()[0].Colour->Height(); }
void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::Assign(TPersistent* source) {
  if (!source) { FImages.reset(); Changed(); return; }
  if (auto* other = dynamic_cast<TIcon*>(source)) {
    if (other != this) {
      FImages = other->FImages;  // shared: images never change once made
      FType = other->FType;
      Changed();
    }
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::LoadFromStream(TStream& stream) {
  TIconBudget budget;
  LoadFromStream(stream, budget);
}

void TIcon::LoadFromStream(TStream& stream, TIconBudget& budget) {
  Int64 start = stream.Position();
  Int64 available = stream.Size() - start;
  Byte header[6];
  if (stream.Read(header, 6) != 6) InvalidIcon();
  int type = static_cast<int>(U16(header + 2));
  int count = static_cast<int>(U16(header + 4));
  if (U16(header) != 0 || (type != kIconTypeIcon && type != kIconTypeCursor) || count == 0) InvalidIcon();
  std::vector<Byte> dir(static_cast<std::size_t>(count) * 16);
  if (available < 6 + static_cast<Int64>(dir.size()) || stream.Read(dir.data(), static_cast<Int64>(dir.size())) != static_cast<Int64>(dir.size()))
    InvalidIcon();
  std::uint64_t end = 6 + dir.size();
  for (int i = 0; i < count; ++i) {
    const Byte* e = dir.data() + 16 * i;
    std::uint32_t size = U32(e + 8), offset = U32(e + 12);
    if (size == 0 || size > kMaxIconImageBytes || offset < 6 + dir.size()) InvalidIcon();
    end = std::max<std::uint64_t>(end, static_cast<std::uint64_t>(offset) + size);
  }
  // Exactly the file's bytes are consumed.
  if (end > static_cast<std::uint64_t>(available)) InvalidIcon();
  std::vector<Byte> file(end);
  std::memcpy(file.data(), header, 6);
  std::memcpy(file.data() + 6, dir.data(), dir.size());
  Int64 rest = static_cast<Int64>(end - 6 - dir.size());
  if (stream.Read(file.data() + 6 + dir.size(), rest) != rest) InvalidIcon();
  LoadFromMemory(file.data(), file.size(), budget);
}

void TIcon::LoadFromMemory(const Byte* data, std::size_t size, TIconBudget& budget) {
  if (data == nullptr || size < 6) InvalidIcon();
  int type = static_cast<int>(U16(data + 2));
  std::size_t count = U16(data + 4);
  if (U16(data) != 0 || (type != kIconTypeIcon && type != kIconTypeCursor) || count == 0) InvalidIcon();
  const std::size_t dirEnd = 6 + 16 * count;
  if (size < dirEnd) InvalidIcon();
  std::vector<TIconImage> images;
  images.reserve(count);
  // Entries naming the same bytes share the image decoded for the first of them. Entries of one
  // file name bytes of their own, give or take a little overlap: what overlaps more is no icon.
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::size_t> decoded;
  std::uint64_t named = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Byte* e = data + 6 + 16 * i;
    std::uint32_t length = U32(e + 8), offset = U32(e + 12);
    if (length == 0 || length > kMaxIconImageBytes || offset < dirEnd || offset > size || size - offset < length)
      InvalidIcon();
    TIconImage img;
    auto [it, fresh] = decoded.emplace(std::make_pair(offset, length), images.size());
    if (fresh) {
      named += length;
      if (named > 2 * static_cast<std::uint64_t>(size)) throw EInvalidGraphic("Icon image is too large");
      img.Data = std::make_shared<const std::vector<Byte>>(data + offset, data + offset + length);
      DecodeImage(img, budget);
    } else {
      img = images[it->second];
    }
    img.HotSpot = type == kIconTypeCursor ? TPoint{static_cast<Integer>(U16(e + 4)), static_cast<Integer>(U16(e + 6))} : TPoint{};
    images.push_back(std::move(img));
  }
  SetImages(std::move(images));
  FType = type;
  Changed();
}

void TIcon::SaveToStream(TStream& stream) {
  std::vector<Byte> out;
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(FType));
  const std::vector<TIconImage>& images = Images();
  Put16(out, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  // An image shared by several entries is written once, where all of them point.
  std::map<const std::vector<Byte>*, std::uint32_t> written;
  std::vector<const std::vector<Byte>*> order;
  for (const auto& img : images) {
    int w = img.Colour->Width(), h = img.Colour->Height();
    out.push_back(static_cast<Byte>(w >= 256 ? 0 : w));
    out.push_back(static_cast<Byte>(h >= 256 ? 0 : h));
    out.push_back(static_cast<Byte>(img.BitCount < 8 ? (1 << img.BitCount) : 0));
    out.push_back(0);
    if (FType == kIconTypeCursor) {
      Put16(out, static_cast<std::uint32_t>(img.HotSpot.X));
      Put16(out, static_cast<std::uint32_t>(img.HotSpot.Y));
    } else {
      Put16(out, 1);
      Put16(out, static_cast<std::uint32_t>(img.BitCount));
    }
    Put32(out, static_cast<std::uint32_t>(img.Data->size()));
    auto [at, fresh] = written.emplace(img.Data.get(), offset);
    Put32(out, at->second);
    if (fresh) {
      order.push_back(img.Data.get());
      offset += static_cast<std::uint32_t>(img.Data->size());
    }
  }
  for (const std::vector<Byte>* data : order) out.insert(out.end(), data->begin(), data->end());
  stream.WriteBuffer(out.data(), static_cast<Int64>(out.size()));
}

void TIcon::AddImage(TBitmap& colour, TBitmap* mask, TPoint hotSpot) {
  TIconImage img;
  int bpp = colour.PixelFormat() == pf1bit ? 1 : colour.PixelFormat() == pf4bit ? 4
            : colour.PixelFormat() == pf8bit ? 8 : colour.PixelFormat() == pf32bit ? 32 : 24;
  img.Colour = std::make_shared<TGdiBitmap>(colour.Width(), colour.Height(), bpp);
  img.Colour->Image() = colour.Handle()->Image().copy();
  img.Colour->Palette = colour.Handle()->Palette;
  img.Mask = std::make_shared<TGdiBitmap>(colour.Width(), colour.Height(), 1);
  img.Mask->Image().fill(0xFF000000);
  if (mask) img.Mask->Image() = mask->Handle()->Image().copy();
  img.BitCount = bpp;
  img.HotSpot = hotSpot;
  img.Data = std::make_shared<const std::vector<Byte>>(WriteDib(*img.Colour, img.Mask.get()));
  std::vector<TIconImage> images = Images();
  images.push_back(std::move(img));
  SetImages(std::move(images));
  Changed();
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
  if (Images().empty()) return;
  // Kept alive while drawing, whatever the drawing's handlers do to the icon.
  const std::shared_ptr<const std::vector<TIconImage>> images = FImages;
  const TIconImage* best = &(*images)[0];
  long bestScore = -1;
  for (const auto& img : *images) {
    long score = std::labs(img.Colour->Width() - rect.Width()) * 1000 + (64 - img.BitCount);
    if (bestScore < 0 || score < bestScore) { bestScore = score; best = &img; }
  }
  HDC dc = canvas.Handle();
  const QImage& colour = best->Colour->Image();
  if (colour.format() == QImage::Format_ARGB32) {
    if (QPainter* p = dc->Painter()) {
      p->setRenderHint(QPainter::SmoothPixmapTransform, false);
      p->drawImage(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), colour);
    }
    return;
  }
  // The screen = (screen AND mask) XOR image rule of icons.
  HDC src = CreateCompatibleDC(nullptr);
  COLORREF oldText = SetTextColor(dc, 0x000000), oldBk = SetBkColor(dc, 0xFFFFFF);
  SelectObject(src, best->Mask.get());
  StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, colour.width(), colour.height(), SRCAND);
  SelectObject(src, best->Colour.get());
  StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, colour.width(), colour.height(), SRCINVERT);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  DeleteDC(src);
}

void TIcon::LoadFromClipboardFormat(Word, std::uint64_t data, HPALETTE) {
  const HGLOBAL block(data);
  const auto* bytes = static_cast<const Byte*>(GlobalLock(block));
  if (bytes == nullptr) InvalidIcon();
  TMemoryStream stream;
  stream.WriteBuffer(bytes, static_cast<Int64>(GlobalSize(block)));
  GlobalUnlock(block);
  stream.SetPosition(0);
  LoadFromStream(stream);
}

namespace {

struct TIconResource {
  HINSTANCE Module;
  AnsiString Name;
  std::vector<Byte> File;
};

std::vector<TIconResource>& IconResources() {
  static std::vector<TIconResource> resources;
  return resources;
}

AnsiString UpperAscii(AnsiString s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

void RegisterIconResource(HINSTANCE module, const AnsiString& name, std::vector<Byte> iconFile) {
  auto& resources = IconResources();
  const AnsiString key = UpperAscii(name);
  std::erase_if(resources, [&](const TIconResource& r) { return r.Module == module && r.Name == key; });
  resources.push_back({module, key, std::move(iconFile)});
}

HICON LoadIconA(HINSTANCE module, const AnsiString& name) {
  const AnsiString key = UpperAscii(name);
  for (const TIconResource& r : IconResources()) {
    if (r.Module != module || r.Name != key) continue;
    TIcon icon;
    TMemoryStream stream;
    stream.WriteBuffer(r.File.data(), static_cast<Int64>(r.File.size()));
    stream.SetPosition(0);
    try {
      icon.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
      return nullptr;
    }
    return icon.ReleaseHandle();
  }
  return nullptr;
}

}  // namespace orv
