// Device-independent bitmaps in memory and in BMP files: reading (1/4/8/16/24/32 bits, palettes,
// bit fields, run-length coded 4 and 8 bits, bottom-up or top-down) and writing (1/4/8/24/32 bits
// with palettes).
#pragma once
#include <memory>
#include <vector>
#include "platform/graphics/Gdi.h"
#include "platform/rtl/Streams.h"

namespace orv {

// Largest side and pixel count accepted from a file.
inline constexpr int kMaxBitmapSide = 32768;
inline constexpr long long kMaxBitmapPixels = 1LL << 28;

// A DIB (info header, palette, pixels) from bytes. For an icon image the height counts the
// colour rows and the AND mask rows; the mask (white = transparent) is returned in *mask.
// EInvalidGraphic "Bitmap image is not valid" for anything malformed or cut short.
std::unique_ptr<TGdiBitmap> ReadDib(const Byte* data, std::size_t size, bool iconImage,
                                    std::unique_ptr<TGdiBitmap>* mask, std::size_t pixelOffset = 0);
// A BMP file from the stream's position; exactly the file's bytes are consumed.
std::unique_ptr<TGdiBitmap> ReadBmpFile(TStream& stream);
// Info header, palette and pixels; at 1/4/8 bits pixels map to the nearest palette entry.
// With a mask the AND rows (black = opaque) follow and the header height is doubled.
std::vector<Byte> WriteDib(const TGdiBitmap& bitmap, const TGdiBitmap* mask = nullptr);
void WriteBmpFile(TStream& stream, const TGdiBitmap& bitmap);

// Standard palettes: 2 (black, white), 16 (the system's sixteen colours) and 256 colours.
std::vector<COLORREF> DefaultPalette(int bitsPerPixel);
// Converts pixels in place to the depth: 1 bit by brightness, 4/8 bits to the nearest colour of
// the palette (chosen when empty: the sixteen colours at 4 bits; at 8 bits the image's own colours
// if few enough, else the default).
void QuantizeBitmap(TGdiBitmap& bitmap, int bitsPerPixel);

}  // namespace orv
