// Icon files and animated cursor files for the picture tests: icons made by the icon class, RIFF
// chunks put together by hand.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/graphics/Icon.h"

namespace orv::test {

inline std::string U32Bytes(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  return s;
}

// An icon (or cursor) file with one image of the size and colour; its top-left pixel is
// transparent.
inline std::string IconFile(int size, TColor colour, TPixelFormat format = pf24bit, int type = kIconTypeIcon,
                            TPoint hotSpot = {}) {
  TBitmap image;
  image.SetPixelFormat(pf24bit);
  image.SetSize(size, size);
  image.Canvas()->Brush()->SetColor(colour);
  image.Canvas()->FillRect(Rect(0, 0, size, size));
  // Black under the mask's white: the screen shows through unchanged.
  image.Canvas()->SetPixels(0, 0, clBlack);
  if (format != pf24bit) image.SetPixelFormat(format);
  TBitmap mask;
  mask.SetSize(size, size);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(0, 0, size, size));
  mask.Canvas()->SetPixels(0, 0, clWhite);
  mask.SetMonochrome(true);
  TIcon icon;
  icon.SetImageType(type);
  icon.AddImage(image, &mask, hotSpot);
  TMemoryStream out;
  icon.SaveToStream(out);
  return std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
}

// An icon file of one black 1-bit image of the size, written byte by byte (so that large ones cost
// no more than their file). withPixels false leaves the rows out: the image claims its size but
// does not read.
inline std::string MonochromeIconFile(int width, int height, bool withPixels = true) {
  const std::size_t stride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
  const std::size_t rows = withPixels ? 2 * stride * static_cast<std::size_t>(height) : 0;
  const std::size_t image = 40 + 8 + rows;
  auto u16 = [](int v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; };
  std::string s = u16(0) + u16(kIconTypeIcon) + u16(1);
  s += static_cast<char>(width >= 256 ? 0 : width);
  s += static_cast<char>(height >= 256 ? 0 : height);
  s += std::string(2, '\0') + u16(1) + u16(1) + U32Bytes(static_cast<std::uint32_t>(image)) + U32Bytes(22);
  s += U32Bytes(40) + U32Bytes(static_cast<std::uint32_t>(width)) + U32Bytes(static_cast<std::uint32_t>(2 * height)) + u16(1) + u16(1);
  s += std::string(24, '\0');
  s += U32Bytes(0) + U32Bytes(0xFFFFFF);  // black, white
  s.resize(s.size() + rows, '\0');         // black pixels, an opaque mask
  return s;
}

// A RIFF chunk: id, size, the bytes and a pad byte after an odd size. claimed overrides the size.
inline std::string Chunk(const std::string& id, const std::string& body, long long claimed = -1) {
  std::string s = id + U32Bytes(static_cast<std::uint32_t>(claimed >= 0 ? claimed : static_cast<long long>(body.size()))) + body;
  if (body.size() & 1) s += '\0';
  return s;
}

inline std::string List(const std::string& type, const std::string& chunks) { return Chunk("LIST", type + chunks); }

inline std::string AniHeader(int frames, int steps, int rate, int flags, std::size_t size = 36) {
  std::string h = U32Bytes(36) + U32Bytes(static_cast<std::uint32_t>(frames)) + U32Bytes(static_cast<std::uint32_t>(steps)) +
                  U32Bytes(0) + U32Bytes(0) + U32Bytes(0) + U32Bytes(0) + U32Bytes(static_cast<std::uint32_t>(rate)) +
                  U32Bytes(static_cast<std::uint32_t>(flags));
  h.resize(size, '\x7f');
  return Chunk("anih", h);
}

inline std::string AniFile(const std::string& chunks) {
  return "RIFF" + U32Bytes(static_cast<std::uint32_t>(4 + chunks.size())) + "ACON" + chunks;
}

}  // namespace orv::test
