// Inside the GIF picture format: the bounded byte reader of the block parser, the LZW decoder
// and encoder, and the limits on what a file may ask for.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>
#include "controls/GIFImage.h"

namespace orv::gif {

// A decoded frame is held at four bytes a pixel: a frame may be as large as the bitmap reader
// accepts (kMaxBitmapSide, kMaxBitmapPixels), and all frames of one image together, each decoded
// frame being kept, no larger either.
inline constexpr long long kMaxImagePixels = 1LL << 28;
// The frames one image may hold: each costs about a kilobyte of bookkeeping (its item with a colour
// table, its extensions) however few pixels it has.
inline constexpr int kMaxFrames = 65535;
// Frame positions, like the logical screen, are 16-bit in the file.
inline constexpr int kMaxPosition = 0xFFFF;
// One LZW code yields at most this many pixels.
inline constexpr int kMaxStringPixels = 4097;

// The most pixels the encoded data (minimum code size, then sub-blocks) can yield before its end
// code; a frame larger than that is decoded once without pixels before its memory is taken.
long long MaxDecodedPixels(const std::vector<Byte>& encoded);

[[noreturn]] void Fail(const char* message);

// The bounds of what an image may hold, whether read, added or converted, and write: a frame no
// larger than a frame may be decoded ("GIF image is too large"), at a position the file can hold
// ("GIF frame position out of range"), no more than kMaxFrames frames ("GIF image has too many
// frames") and no more than kMaxImagePixels pixels in all ("GIF image is too large").
void CheckFrameSize(long long width, long long height);
void CheckFramePosition(long long left, long long top);
void CheckFrameCount(std::size_t frames);
void CheckImagePixels(long long pixels);

// Reads from bytes that are all in memory; a structure that runs past the end fails with the
// stream read error text.
struct TReader {
  const Byte* Data;
  std::size_t Size;
  std::size_t Pos;
  bool AtEnd() const { return Pos >= Size; }
  void Need(std::size_t count) const;
  Byte ReadByte();
  Word ReadWord();
  void Read(Byte* out, std::size_t count);
  // The next byte that is not 0; 0 at the end of the data.
  Byte NextBlockByte();
  void ReadColorTable(TGIFColorTable& table, int bits);
  void ReadSubBlocks(TStringList& lines);
};

// What the LZW decoder is given and what it reports.
struct TDecodeJob {
  const std::vector<Byte>* Encoded;   // minimum code size, then the sub-blocks
  int Width = 0, Height = 0;
  int ColorBits = 8;                  // of the frame's colour table
  bool AllowDamaged = true;
  // Width * Height bytes receiving the decoded values in the order the codes give them (pass by
  // pass when the frame is interlaced); nullptr only counts them off.
  Byte* Values = nullptr;
  // Called after each code with the position in the encoded data; may be empty.
  std::function<void(std::size_t position)> Progress;
};

// Fills every value of job.Values (those the codes do not reach take value 0); returns whether the
// data was found damaged on the way (a clamped code size or an overlong code chain, where
// AllowDamaged lets decoding go on or stop quietly). Raises EInvalidGraphicOperation for damage
// that is not allowed and for codes that end before the end code while values are still missing.
bool DecodeLZW(const TDecodeJob& job);

// The row of a frame that the n-th decoded row goes to (the four passes when interlaced).
int DecodedRowTarget(int n, int height, bool interlaced);

// Appends the minimum code size byte, the sub-blocks and the terminator for the pixels of a
// bottom-up bitmap of 1, 4 or 8 bits. rowDone is called after each row with the rows done so far.
void EncodeLZW(std::vector<Byte>& out, const Byte* pixels, int width, int height, int bpp, bool interlaced,
               const std::function<void(int rowsDone)>& rowDone);

}  // namespace orv::gif
