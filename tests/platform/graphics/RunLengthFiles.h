// Run-length coded BMP files put together by hand for the picture tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/graphics/Gdi.h"

namespace orv::test {

// A bottom-up BMP file of 8 or 4 bits whose pixels are the run-length codes given.
inline std::string RleBmp(int bpp, int width, int height, const std::vector<COLORREF>& palette, const std::string& codes) {
  std::string s;
  auto put16 = [&](std::uint32_t v) { s += static_cast<char>(v & 0xFF); s += static_cast<char>((v >> 8) & 0xFF); };
  auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
  const auto paletteBytes = static_cast<std::uint32_t>(4 * palette.size());
  s += "BM";
  put32(14 + 40 + paletteBytes + static_cast<std::uint32_t>(codes.size()));
  put32(0);
  put32(14 + 40 + paletteBytes);
  put32(40);
  put32(static_cast<std::uint32_t>(width));
  put32(static_cast<std::uint32_t>(height));
  put16(1);
  put16(static_cast<std::uint32_t>(bpp));
  put32(bpp == 8 ? 1 : 2);
  put32(static_cast<std::uint32_t>(codes.size()));
  put32(2835);
  put32(2835);
  put32(static_cast<std::uint32_t>(palette.size()));
  put32(0);
  for (COLORREF c : palette) {
    s += static_cast<char>((c >> 16) & 0xFF);
    s += static_cast<char>((c >> 8) & 0xFF);
    s += static_cast<char>(c & 0xFF);
    s += '\0';
  }
  return s + codes;
}

}  // namespace orv::test
