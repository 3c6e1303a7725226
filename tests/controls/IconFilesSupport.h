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
