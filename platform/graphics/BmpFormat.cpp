// BMP and DIB reading and writing with bounds checks on every size and offset read from a file.
#include "platform/graphics/BmpFormat.h"
#include <QImage>
#include <unordered_map>
#include "platform/graphics/GdiInternal.h"
#include "platform/graphics/Graphics.h"

namespace orv {

namespace {

constexpr const char* kInvalid = "Bitmap image is not valid";

[[noreturn]] void Invalid() { throw EInvalidGraphic(kInvalid); }

std::uint32_t U16(const Byte* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const Byte* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24); }
void Put16(std::vector<Byte>& v, std::uint32_t x) { v.push_back(x & 0xFF); v.push_back((x >> 8) & 0xFF); }
void Put32(std::vector<Byte>& v, std::uint32_t x) { for (int i = 0; i < 4; ++i) v.push_back((x >> (8 * i)) & 0xFF); }

std::size_t Stride(int width, int bpp) { return ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4; }

// Position of the lowest set bit and the number of bits of a channel mask.
void MaskShift(std::uint32_t mask, int& shift, int& bits) {
  shift = 0;
  bits = 0;
  if (!mask) return;
  while (!((mask >> shift) & 1)) ++shift;
  while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) ++bits;
}

int Channel(std::uint32_t v, std::uint32_t mask, int shift, int bits) {
  if (!bits) return 0;
  std::uint32_t c = (v & mask) >> shift;
  std::uint32_t max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
  return static_cast<int>((static_cast<std::uint64_t>(c) * 255 + max / 2) / max);
}

struct TDibHeader {
  std::uint32_t HeaderSize = 0;
  int Width = 0, Height = 0;
  bool TopDown = false;
  int Bpp = 0;
  std::uint32_t Compression = 0;
  std::uint32_t ColorsUsed = 0;
  std::uint32_t Masks[4] = {0, 0, 0, 0};
};

constexpr std::uint32_t kRle8 = 1, kRle4 = 2;

// Run-length coded pixels of 8 or 4 bits, bottom row first: runs, absolute runs, end of line, end
// of picture and delta codes. Runs and moves never leave the picture: what lies past a row's end
// is dropped, a move past the top row ends the picture, and so do codes cut short. Pixels no code
// reaches keep palette entry 0.
void DecodeRle(const Byte* p, std::size_t n, int bpp, const std::vector<COLORREF>& palette, QImage& img) {
  QRgb colours[256];
  for (std::size_t i = 0; i < 256; ++i) colours[i] = i < palette.size() ? (ToQRgb(palette[i]) | 0xFF000000) : 0xFF000000;
  img.fill(colours[0]);
  const int width = img.width(), height = img.height();
  int x = 0, y = 0;
  QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(height - 1));
  // Runs are cut to the row's end before they are put, so x stays within the row.
  auto put = [&](std::uint32_t index) { row[x++] = colours[index]; };
  std::size_t i = 0;
  while (n - i >= 2) {
    const std::uint32_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      const std::uint32_t run = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(width - x));
      for (std::uint32_t k = 0; k < run; ++k) put(bpp == 8 ? value : (k & 1) ? (value & 0xF) : (value >> 4));
    } else if (value == 0 || value == 2) {
      int dx = 0, dy = 1;
      if (value == 2) {
        if (n - i < 2) return;
        dx = x + p[i];
        dy = p[i + 1];
        i += 2;
      }
      x = std::min(dx, width);
      y += dy;
      if (y >= height) return;
      row = reinterpret_cast<QRgb*>(img.scanLine(height - 1 - y));
    } else if (value == 1) {
      return;
    } else {
      const std::size_t bytes = bpp == 8 ? value : (value + 1) / 2;
      if (n - i < bytes) return;
      const Byte* run = p + i;
      for (std::uint32_t k = 0; k < value && x < width; ++k)
        put(bpp == 8 ? run[k] : (k & 1) ? (run[k >> 1] & 0xF) : (run[k >> 1] >> 4));
      i += std::min(n - i, bytes + (bytes & 1));
    }
  }
}

}  // namespace

std::vector<COLORREF> DefaultPalette(int bpp) {
  if (bpp == 1) return {0x000000, 0xFFFFFF};
  if (bpp == 4)
    return {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
            0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  std::vector<COLORREF> pal = DefaultPalette(4);
  // A 6x6x6 cube, then greys, to 256 entries.
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) pal.push_back(RGB(static_cast<Byte>(r * 51), static_cast<Byte>(g * 51), static_cast<Byte>(b * 51)));
  for (int i = 1; pal.size() < 256; ++i) {
    auto g = static_cast<Byte>(i * 255 / 41);
    pal.push_back(RGB(g, g, g));
  }
  return pal;
}

namespace {

int Nearest(const std::vector<COLORREF>& pal, QRgb c, std::unordered_map<QRgb, int>& cache) {
  auto it = cache.find(c);
  if (it != cache.end()) return it->second;
  int best = 0;
  long bestDist = -1;
  for (std::size_t i = 0; i < pal.size(); ++i) {
    long dr = qRed(c) - GetRValue(pal[i]), dg = qGreen(c) - GetGValue(pal[i]), db = qBlue(c) - GetBValue(pal[i]);
    long d = dr * dr + dg * dg + db * db;
    if (bestDist < 0 || d < bestDist) { bestDist = d; best = static_cast<int>(i); }
    if (d == 0) break;
  }
  cache.emplace(c, best);
  return best;
}

}  // namespace

void QuantizeBitmap(TGdiBitmap& bitmap, int bpp) {
  QImage& img = bitmap.Image();
  if (bpp == 32 && img.format() != QImage::Format_ARGB32) img = img.convertToFormat(QImage::Format_ARGB32);
  if (bpp != 32 && img.format() != QImage::Format_RGB32) img = img.convertToFormat(QImage::Format_RGB32);
  bitmap.SetBitsPerPixel(bpp);
  if (bpp > 8) { bitmap.Palette.clear(); return; }
  std::vector<COLORREF>& pal = bitmap.Palette;
  if (bpp == 1) {
    pal = DefaultPalette(1);
    for (int y = 0; y < img.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < img.width(); ++x) row[x] = IsLight(row[x]) ? 0xFFFFFFFF : 0xFF000000;
    }
    return;
  }
  std::size_t limit = std::size_t{1} << bpp;
  if ((pal.empty() || pal.size() > limit) && bpp == 4) {
    pal = DefaultPalette(4);
  } else if (pal.empty() || pal.size() > limit) {
    std::vector<COLORREF> own;
    std::unordered_map<QRgb, int> seen;
    for (int y = 0; y < img.height() && own.size() <= limit; ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
      for (int x = 0; x < img.width() && own.size() <= limit; ++x)
        if (seen.emplace(row[x] | 0xFF000000, 0).second) own.push_back(FromQRgb(row[x]));
    }
    pal = own.size() <= limit ? own : DefaultPalette(bpp);
    if (pal.empty()) pal = DefaultPalette(bpp);
  }
  std::unordered_map<QRgb, int> cache;
  for (int y = 0; y < img.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) row[x] = ToQRgb(pal[Nearest(pal, row[x] | 0xFF000000, cache)]) | 0xFF000000;
  }
}

std::unique_ptr<TGdiBitmap> ReadDib(const Byte* data, std::size_t size, bool iconImage,
                                    std::unique_ptr<TGdiBitmap>* mask, std::size_t pixelOffset) {
  if (size < 12) Invalid();
  TDibHeader h;
  h.HeaderSize = U32(data);
  std::size_t pos;
  int rawHeight;
  std::vector<COLORREF> palette;
  if (h.HeaderSize == 12) {
    h.Width = static_cast<int>(U16(data + 4));
    rawHeight = static_cast<std::int16_t>(U16(data + 6));
    if (U16(data + 8) != 1) Invalid();
    h.Bpp = static_cast<int>(U16(data + 10));
    pos = 12;
  } else {
    if (h.HeaderSize < 40 || h.HeaderSize > size) Invalid();
    h.Width = static_cast<std::int32_t>(U32(data + 4));
    rawHeight = static_cast<std::int32_t>(U32(data + 8));
    if (U16(data + 12) != 1) Invalid();
    h.Bpp = static_cast<int>(U16(data + 14));
    h.Compression = U32(data + 16);
    h.ColorsUsed = U32(data + 32);
    pos = h.HeaderSize;
    if (h.Compression == 3 || h.Compression == 6) {
      if (h.HeaderSize >= 52) {
        for (int i = 0; i < (h.HeaderSize >= 56 ? 4 : 3); ++i) h.Masks[i] = U32(data + 40 + 4 * i);
      } else {
        if (size < pos + 12) Invalid();
        for (int i = 0; i < 3; ++i) h.Masks[i] = U32(data + pos + 4 * i);
        pos += 12;
      }
    }
  }
  if (rawHeight == INT32_MIN) Invalid();
  h.TopDown = rawHeight < 0;
  h.Height = rawHeight < 0 ? -rawHeight : rawHeight;
  if (iconImage) {
    if (h.TopDown) Invalid();
    h.Height /= 2;
  }
  if (h.Width <= 0 || h.Height <= 0 || h.Width > kMaxBitmapSide || h.Height > kMaxBitmapSide ||
      static_cast<long long>(h.Width) * h.Height > kMaxBitmapPixels)
    Invalid();
  if (h.Bpp != 1 && h.Bpp != 4 && h.Bpp != 8 && h.Bpp != 16 && h.Bpp != 24 && h.Bpp != 32) Invalid();
  const bool rle = (h.Compression == kRle8 && h.Bpp == 8) || (h.Compression == kRle4 && h.Bpp == 4);
  if (rle && (iconImage || h.TopDown)) Invalid();
  if (h.Compression != 0 && !rle && !((h.Compression == 3 || h.Compression == 6) && (h.Bpp == 16 || h.Bpp == 32))) Invalid();
  if (h.Bpp <= 8) {
    std::uint32_t count = h.ColorsUsed ? h.ColorsUsed : (1u << h.Bpp);
    if (count > 256) Invalid();
    std::size_t entry = h.HeaderSize == 12 ? 3 : 4;
    if (size < pos + count * entry) Invalid();
    for (std::uint32_t i = 0; i < count; ++i) {
      const Byte* e = data + pos + i * entry;
      palette.push_back(RGB(e[2], e[1], e[0]));
    }
    pos += count * entry;
  } else if (h.ColorsUsed && h.ColorsUsed <= 256 && h.HeaderSize != 12) {
    pos += h.ColorsUsed * 4;
  }
  if (pixelOffset) pos = pixelOffset;
  if (rle) {
    if (pos > size) Invalid();
    auto bmp = std::make_unique<TGdiBitmap>(h.Width, h.Height, h.Bpp);
    bmp->Palette = palette;
    DecodeRle(data + pos, size - pos, h.Bpp, palette, bmp->Image());
    if (mask) mask->reset();
    return bmp;
  }
  std::size_t stride = Stride(h.Width, h.Bpp);
  std::size_t pixelBytes = stride * static_cast<std::size_t>(h.Height);
  std::size_t maskStride = Stride(h.Width, 1);
  std::size_t maskBytes = iconImage ? maskStride * static_cast<std::size_t>(h.Height) : 0;
  if (pos > size || size - pos < pixelBytes) Invalid();
  bool hasMask = iconImage && size - pos - pixelBytes >= maskBytes;

  int shift[4] = {0, 0, 0, 0}, bits[4] = {0, 0, 0, 0};
  std::uint32_t masks[4];
  if (h.Compression == 0) {
    if (h.Bpp == 16) { masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F; masks[3] = 0; }
    else { masks[0] = 0xFF0000; masks[1] = 0xFF00; masks[2] = 0xFF; masks[3] = h.Bpp == 32 ? 0xFF000000u : 0; }
  } else {
    for (int i = 0; i < 4; ++i) masks[i] = h.Masks[i];
  }
  for (int i = 0; i < 4; ++i) MaskShift(masks[i], shift[i], bits[i]);

  int outBpp = h.Bpp == 16 ? 24 : h.Bpp;
  auto bmp = std::make_unique<TGdiBitmap>(h.Width, h.Height, outBpp);
  bmp->Palette = palette;
  QImage& img = bmp->Image();
  bool anyAlpha = false;
  for (int y = 0; y < h.Height; ++y) {
    int srcRow = h.TopDown ? y : h.Height - 1 - y;
    const Byte* row = data + pos + stride * static_cast<std::size_t>(srcRow);
    auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < h.Width; ++x) {
      QRgb c = 0xFF000000;
      if (h.Bpp <= 8) {
        std::uint32_t idx;
        if (h.Bpp == 1) idx = (row[x >> 3] >> (7 - (x & 7))) & 1;
        else if (h.Bpp == 4) idx = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
        else idx = row[x];
        c = idx < palette.size() ? (ToQRgb(palette[idx]) | 0xFF000000) : 0xFF000000;
      } else if (h.Bpp == 24) {
        c = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
      } else {
        std::uint32_t v = h.Bpp == 16 ? U16(row + 2 * x) : U32(row + 4 * x);
        int a = bits[3] ? Channel(v, masks[3], shift[3], bits[3]) : 255;
        if (bits[3] && a != 0) anyAlpha = true;
        c = qRgba(Channel(v, masks[0], shift[0], bits[0]), Channel(v, masks[1], shift[1], bits[1]),
                  Channel(v, masks[2], shift[2], bits[2]), a);
      }
      out[x] = c;
    }
  }
  // A 32-bit image whose alpha bytes are all zero carries no transparency; an icon image of that
  // kind takes it from its AND mask, as one of fewer bits does.
  if (h.Bpp == 32 && !anyAlpha) {
    for (int y = 0; y < h.Height; ++y) {
      auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < h.Width; ++x) out[x] |= 0xFF000000;
    }
    if (iconImage && hasMask) img = img.convertToFormat(QImage::Format_RGB32);
  }
  if (mask) {
    mask->reset();
    if (hasMask) {
      auto m = std::make_unique<TGdiBitmap>(h.Width, h.Height, 1);
      QImage& mi = m->Image();
      const Byte* base = data + pos + pixelBytes;
      for (int y = 0; y < h.Height; ++y) {
        const Byte* row = base + maskStride * static_cast<std::size_t>(h.Height - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(mi.scanLine(y));
        for (int x = 0; x < h.Width; ++x) out[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFFFFFFFF : 0xFF000000;
      }
      *mask = std::move(m);
    }
  }
  return bmp;
}

std::unique_ptr<TGdiBitmap> ReadBmpFile(TStream& stream) {
  Byte fh[14];
  if (stream.Read(fh, 14) != 14 || fh[0] != 'B' || fh[1] != 'M') Invalid();
  std::uint32_t offBits = U32(fh + 10);
  Byte hs[4];
  if (stream.Read(hs, 4) != 4) Invalid();
  std::uint32_t headerSize = U32(hs);
  if (headerSize != 12 && (headerSize < 40 || headerSize > 256)) Invalid();
  std::vector<Byte> buf(headerSize);
  std::copy(hs, hs + 4, buf.begin());
  if (stream.Read(buf.data() + 4, headerSize - 4) != static_cast<Int64>(headerSize - 4)) Invalid();
  // The size of the whole file follows from the header; the stream must hold all of it.
  long long width, height;
  int bpp;
  std::uint32_t compression = 0, imageSize = 0;
  if (headerSize == 12) {
    width = U16(buf.data() + 4);
    height = static_cast<std::int16_t>(U16(buf.data() + 6));
    bpp = static_cast<int>(U16(buf.data() + 10));
  } else {
    width = static_cast<std::int32_t>(U32(buf.data() + 4));
    height = static_cast<std::int32_t>(U32(buf.data() + 8));
    bpp = static_cast<int>(U16(buf.data() + 14));
    compression = U32(buf.data() + 16);
    imageSize = U32(buf.data() + 20);
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide || bpp <= 0 || bpp > 32 ||
      width * height > kMaxBitmapPixels || compression == 4 || compression == 5)
    Invalid();
  std::size_t pixelBytes = Stride(static_cast<int>(width), bpp) * static_cast<std::size_t>(height);
  if (compression == kRle8 || compression == kRle4) {
    // Coded pixels take the image size the header gives, or else the rest of the file's size.
    const std::uint32_t fileSize = U32(fh + 2);
    if (imageSize == 0 && fileSize > offBits) imageSize = fileSize - offBits;
    if (imageSize == 0) Invalid();
    pixelBytes = imageSize;
  }
  // Palette, masks and any gap before the pixels; more than a megabyte of them is not a bitmap.
  if (offBits < 14 + headerSize || offBits - 14 - headerSize > (1u << 20)) Invalid();
  std::size_t total = offBits - 14 + pixelBytes;
  Int64 remaining = stream.Size() - stream.Position();
  if (remaining < static_cast<Int64>(total - headerSize)) Invalid();
  buf.resize(total);
  if (stream.Read(buf.data() + headerSize, static_cast<Int64>(total - headerSize)) != static_cast<Int64>(total - headerSize))
    Invalid();
  return ReadDib(buf.data(), buf.size(), false, nullptr, offBits - 14);
}

std::vector<Byte> WriteDib(const TGdiBitmap& bitmap, const TGdiBitmap* mask) {
  int bpp = bitmap.BitsPerPixel();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 32) bpp = 24;
  const QImage& img = bitmap.Image();
  int w = img.width(), h = img.height();
  std::vector<COLORREF> pal;
  if (bpp <= 8) {
    pal = bitmap.Palette;
    if (pal.empty() || pal.size() > (std::size_t{1} << bpp)) pal = DefaultPalette(bpp);
  }
  std::vector<Byte> out;
  std::size_t stride = Stride(w, bpp), maskStride = Stride(w, 1);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(mask ? 2 * h : h));
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(bpp));
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(stride * h + (mask ? maskStride * h : 0)));
  Put32(out, 3780);
  Put32(out, 3780);
  Put32(out, static_cast<std::uint32_t>(pal.size()));
  Put32(out, 0);
  for (COLORREF c : pal) {
    out.push_back(static_cast<Byte>(GetBValue(c)));
    out.push_back(static_cast<Byte>(GetGValue(c)));
    out.push_back(static_cast<Byte>(GetRValue(c)));
    out.push_back(0);
  }
  std::unordered_map<QRgb, int> cache;
  for (int y = h - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    std::vector<Byte> line(stride, 0);
    for (int x = 0; x < w; ++x) {
      QRgb c = row[x];
      switch (bpp) {
        case 1: case 4: case 8: {
          int idx = Nearest(pal, c | 0xFF000000, cache);
          if (bpp == 1) line[x >> 3] |= static_cast<Byte>(idx << (7 - (x & 7)));
          else if (bpp == 4) line[x >> 1] |= static_cast<Byte>(idx << ((x & 1) ? 0 : 4));
          else line[x] = static_cast<Byte>(idx);
          break;
        }
        case 24:
          line[3 * x] = static_cast<Byte>(qBlue(c));
          line[3 * x + 1] = static_cast<Byte>(qGreen(c));
          line[3 * x + 2] = static_cast<Byte>(qRed(c));
          break;
        default:
          line[4 * x] = static_cast<Byte>(qBlue(c));
          line[4 * x + 1] = static_cast<Byte>(qGreen(c));
          line[4 * x + 2] = static_cast<Byte>(qRed(c));
          line[4 * x + 3] = static_cast<Byte>(img.format() == QImage::Format_ARGB32 ? qAlpha(c) : 0);
          break;
      }
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  if (mask) {
    const QImage& mi = mask->Image();
    for (int y = h - 1; y >= 0; --y) {
      std::vector<Byte> line(maskStride, 0);
      for (int x = 0; x < w; ++x)
        if (x < mi.width() && y < mi.height() && IsLight(mi.pixel(x, y))) line[x >> 3] |= static_cast<Byte>(1 << (7 - (x & 7)));
      out.insert(out.end(), line.begin(), line.end());
    }
  }
  return out;
}

void WriteBmpFile(TStream& stream, const TGdiBitmap& bitmap) {
  std::vector<Byte> dib = WriteDib(bitmap);
  std::uint32_t palBytes = U32(dib.data() + 32) * 4;
  std::vector<Byte> fh;
  fh.push_back('B');
  fh.push_back('M');
  Put32(fh, static_cast<std::uint32_t>(14 + dib.size()));
  Put32(fh, 0);
  Put32(fh, 14 + 40 + palBytes);
  stream.WriteBuffer(fh.data(), static_cast<Int64>(fh.size()));
  stream.WriteBuffer(dib.data(), static_cast<Int64>(dib.size()));
}

}  // namespace orv
