// Building GIF files byte by byte for the picture tests: blocks, colour tables, extensions and a
// plain LZW encoding that never grows its code size (every pixel a code of its own).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "controls/GIFImage.h"
#include "platform/rtl/Streams.h"

namespace orv::test {

// Pixels as literal codes, a clear code whenever the table would make the codes wider; then the
// end code (unless left out) and the sub-blocks with their terminator.
inline std::string RawLzw(const std::vector<int>& pixels, int minCodeSize, bool endCode = true,
                          int codeSize = 0) {
  const int clear = 1 << minCodeSize;
  const int size = codeSize ? codeSize : minCodeSize + 1;
  std::vector<std::uint8_t> bytes;
  std::uint64_t buffer = 0;
  int bits = 0;
  auto put = [&](int code) {
    buffer |= static_cast<std::uint64_t>(code) << bits;
    bits += size;
    while (bits >= 8) {
      bytes.push_back(static_cast<std::uint8_t>(buffer));
      buffer >>= 8;
      bits -= 8;
    }
  };
  int sinceClear = 0;
  put(clear);
  for (int p : pixels) {
    if (sinceClear == clear - 2) {
      put(clear);
      sinceClear = 0;
    }
    put(p);
    ++sinceClear;
  }
  if (endCode) put(clear + 1);
  if (bits > 0) bytes.push_back(static_cast<std::uint8_t>(buffer));
  std::string out;
  for (std::size_t at = 0; at < bytes.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, bytes.size() - at);
    out += static_cast<char>(n);
    out.append(reinterpret_cast<const char*>(bytes.data() + at), n);
  }
  out += '\0';
  return std::string(1, static_cast<char>(minCodeSize)) + out;
}

// A GIF file put together block by block.
struct TGifBytes {
  std::string Bytes;

  TGifBytes& Raw(const std::string& s) { Bytes += s; return *this; }
  TGifBytes& Byte1(int b) { Bytes += static_cast<char>(b & 0xFF); return *this; }
  TGifBytes& Word2(int w) { return Byte1(w).Byte1(w >> 8); }
  TGifBytes& Header(const char* signature = "GIF89a") { return Raw(signature); }
  TGifBytes& Screen(int width, int height, int packed, int background = 0, int aspect = 0) {
    return Word2(width).Word2(height).Byte1(packed).Byte1(background).Byte1(aspect);
  }
  // Colours as 0xRRGGBB.
  TGifBytes& Table(const std::vector<int>& colours) {
    for (int c : colours) Byte1(c >> 16).Byte1(c >> 8).Byte1(c);
    return *this;
  }
  TGifBytes& GraphicControl(int packed, int delay, int transparent) {
    return Byte1('!').Byte1(0xF9).Byte1(4).Byte1(packed).Word2(delay).Byte1(transparent).Byte1(0);
  }
  TGifBytes& SubBlocks(const std::vector<std::string>& blocks) {
    for (const std::string& b : blocks) Byte1(static_cast<int>(b.size())).Raw(b);
    return Byte1(0);
  }
  TGifBytes& Comment(const std::vector<std::string>& lines) { return Byte1('!').Byte1(0xFE).SubBlocks(lines); }
  TGifBytes& Application(const std::string& id, const std::vector<std::string>& blocks) {
    return Byte1('!').Byte1(0xFF).Byte1(11).Raw(id).SubBlocks(blocks);
  }
  TGifBytes& Loop(int count) {
    return Application("NETSCAPE2.0", {std::string{'\x01', static_cast<char>(count & 0xFF), static_cast<char>((count >> 8) & 0xFF)}});
  }
  TGifBytes& PlainText() {
    return Byte1('!').Byte1(0x01).Byte1(12).Raw(std::string(12, '\0')).SubBlocks({"text"});
  }
  TGifBytes& Image(int left, int top, int width, int height, int packed) {
    return Byte1(',').Word2(left).Word2(top).Word2(width).Word2(height).Byte1(packed);
  }
  TGifBytes& Trailer() { return Byte1(';'); }
};

// A two-bit palette: black, white, red, blue (0xRRGGBB).
inline const std::vector<int> kFourColours = {0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF};

// A complete one-frame GIF of the pixels over the four colours, in the global table.
inline std::string FourColourGif(int width, int height, const std::vector<int>& pixels, int imagePacked = 0) {
  TGifBytes g;
  g.Header().Screen(width, height, 0x80 | 0x11).Table(kFourColours).Image(0, 0, width, height, imagePacked);
  g.Raw(RawLzw(pixels, 2)).Trailer();
  return g.Bytes;
}

inline void LoadGif(TGIFImage& image, const std::string& bytes) {
  TStringStream stream(bytes);
  image.LoadFromStream(stream);
}

// The colour (0xBBGGRR) of every pixel of a bitmap, row by row.
inline std::vector<TColor> PixelsOf(TBitmap& bitmap) {
  std::vector<TColor> out;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) out.push_back(static_cast<TColor>(bitmap.PixelRGB(x, y)));
  return out;
}

// 0xRRGGBB to a colour value.
inline TColor Rgb(int c) { return static_cast<TColor>(((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16)); }

// A bitmap of the size whose pixel (x, y) is colour(x, y), in the pixel format given.
template <class F>
std::unique_ptr<TBitmap> Painted(int w, int h, TPixelFormat format, F colour) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetPixelRGB(x, y, static_cast<COLORREF>(colour(x, y)));
  if (format != pf24bit) b->SetPixelFormat(format);
  return b;
}

}  // namespace orv::test
