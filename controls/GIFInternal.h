// Inside the GIF picture format: the bounded byte reader of the block parser, the LZW decoder
// and encoder, and the limits on what a file may ask for.
#pragma once
#include <cstddef>
#include <functional>
#include <vector>
#include "controls/GIFImage.h"

namespace orv::gif {

// A decoded frame may hold at most this many pixels (and at most 32767 on a side, as any bitmap):
// the pixels are held four bytes each, and a header alone can ask for 65535 by 65535.
inline constexpr long long kMaxFramePixels = 1LL << 25;
inline constexpr int kMaxFrameSide = 32767;
// All frames of one image together: each decoded frame is kept, so a few hundred bytes of
// clear-and-end codes could otherwise ask for gigabytes.
inline constexpr long long kMaxImagePixels = 1LL << 27;

[[noreturn]] void Fail(const char* message);

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
  bool Interlaced = false;
  int Bpp = 8;                        // of the output rows: 1, 4 or 8
  int ColorBits = 8;                  // of the frame's colour table
  bool AllowDamaged = true;
  Byte* Pixels = nullptr;             // bottom-up rows of Stride bytes, zero-filled
  std::size_t Stride = 0;
  // Called after each code with the position in the encoded data.
  std::function<void(std::size_t position)> Progress;
};

// Fills job.Pixels; returns whether the data was found damaged on the way (a clamped code size or
// an overlong code chain, where AllowDamaged lets decoding go on or stop quietly). Raises
// EInvalidGraphicOperation for damage that is not allowed and for codes that end before the end
// code while rows are still missing.
bool DecodeLZW(const TDecodeJob& job);

// Appends the minimum code size byte, the sub-blocks and the terminator for the pixels of a
// bottom-up bitmap of 1, 4 or 8 bits. rowDone is called after each row with the rows done so far.
void EncodeLZW(std::vector<Byte>& out, const Byte* pixels, int width, int height, int bpp, bool interlaced,
               const std::function<void(int rowsDone)>& rowDone);

}  // namespace orv::gif
