// Writing GIF files: encoding frames made from bitmaps (colour table and LZW codes), the graphic
// control extensions brought up to date, and the blocks of the file.
#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "controls/ColorReduction.h"
#include "controls/GIFImage.h"
#include "controls/GIFInternal.h"
#include "platform/graphics/BmpFormat.h"

namespace orv {
namespace gif {
namespace {

constexpr std::uint32_t kHashSize = 17777;
// The table is started afresh once a code this high has been assigned without the code size growing.
constexpr std::uint32_t kLastCode = 4094;

// Slot of the string table: 0 for an empty slot (no code below 6 is ever assigned), else the
// string's prefix code (12 bits) and last pixel (8 bits) above its own code (12 bits), so a probe
// compares one word and the table is the node store as well.
constexpr std::uint32_t SlotKey(std::uint32_t prefix, std::uint32_t pixel) { return (prefix << 8) | pixel; }

// The LZW compressor: strings of pixels become codes through a 17777-slot hash with linear probing;
// codes are packed least-significant bit first into 255-byte data sub-blocks.
class TLZWEncoder {
 public:
  // Writes the minimum code size byte and the first clear code.
  TLZWEncoder(std::vector<Byte>& out, int initialSize)
      : FOut(out), FInitialSize(initialSize), FClearCode(1u << (initialSize - 1)), FEndCode(FClearCode + 1),
        FLast(FEndCode), FCapacity(1u << initialSize), FCodeSize(initialSize), FTable(kHashSize, 0) {
    out.push_back(static_cast<Byte>(initialSize - 1));
    std::uint64_t buffer = 0;
    int bits = 0;
    Put(buffer, bits, FClearCode);
    FBuffer = buffer;
    FBits = bits;
  }
  // Compresses count pixels, one byte each, every one below the clear code.
  void Row(const Byte* pixels, int count);
  // The open string, the end code, the last partly filled sub-block and the terminator.
  void Finish();

 private:
  // Adds the code at the current code size to the bit buffer; a full 32 bits go to the block.
  // The buffer holds fewer than 32 bits between calls and a code at most 12.
  void Put(std::uint64_t& buffer, int& bits, std::uint32_t code) {
    buffer |= static_cast<std::uint64_t>(code) << bits;
    bits += FCodeSize;
    if (bits < 32) return;
    const auto word = static_cast<std::uint32_t>(buffer);
    FBlock[FCount] = static_cast<Byte>(word);
    FBlock[FCount + 1] = static_cast<Byte>(word >> 8);
    FBlock[FCount + 2] = static_cast<Byte>(word >> 16);
    FBlock[FCount + 3] = static_cast<Byte>(word >> 24);
    FCount += 4;
    buffer >>= 32;
    bits -= 32;
    if (FCount >= 255) NextBlock();
  }
  // Writes the full block; the bytes past it start the next one.
  void NextBlock() {
    WriteBlock(255);
    FCount -= 255;
    for (int i = 0; i < FCount; ++i) FBlock[i] = FBlock[255 + i];
  }
  void WriteBlock(int count) {
    FOut.push_back(static_cast<Byte>(count));
    FOut.insert(FOut.end(), FBlock, FBlock + count);
  }

  std::vector<Byte>& FOut;
  const int FInitialSize;
  const std::uint32_t FClearCode, FEndCode;
  std::uint32_t FLast, FCapacity;
  int FCodeSize;
  std::vector<std::uint32_t> FTable;
  // The open string: its code, its hash and its length. The hash stays below 5 * kHashSize and
  // the length below 4096 (the table is reset before it holds a longer string), so the next
  // hash's product fits in 32 bits.
  bool FOpen = false;
  std::uint32_t FPrefix = 0, FHash = 0, FLength = 0;
  std::uint64_t FBuffer = 0;
  int FBits = 0;
  // A full block and the three bytes of a four-byte write that go past it.
  Byte FBlock[255 + 3] = {};
  int FCount = 0;
};

void TLZWEncoder::Row(const Byte* pixels, int count) {
  if (count <= 0) return;
  // The state lives in locals through the loop and goes back to the members at the end.
  std::uint32_t* const table = FTable.data();
  std::uint64_t buffer = FBuffer;
  int bits = FBits;
  std::uint32_t prefix = FPrefix, hash = FHash, length = FLength, last = FLast;
  int x = 0;
  auto open = [&](std::uint32_t e) {
    prefix = e;
    hash = e * 301 + 903;
    length = 1;
  };
  if (!FOpen) open(pixels[x++]);
  FOpen = true;
  for (; x < count; ++x) {
    const std::uint32_t e = pixels[x];
    ++length;
    hash = ((e + length + 4) * hash) % kHashSize;
    const std::uint32_t key = SlotKey(prefix, e);
    std::uint32_t slot = hash;
    std::uint32_t entry;
    while ((entry = table[slot]) != 0 && (entry >> 12) != key) slot = slot + 1 == kHashSize ? 0 : slot + 1;
    if (entry != 0) {
      prefix = entry & 0xFFF;
      continue;
    }
    Put(buffer, bits, prefix);
    ++last;
    table[slot] = (key << 12) | last;
    open(e);
    if (last >= FCapacity) {
      FCapacity <<= 1;
      ++FCodeSize;
    } else if (last >= kLastCode) {
      // The pixel goes out as a code of its own and the table starts again; the next pixel
      // opens a new string.
      Put(buffer, bits, prefix);
      Put(buffer, bits, FClearCode);
      last = FEndCode;
      FCodeSize = FInitialSize;
      FCapacity = 1u << FInitialSize;
      std::fill(FTable.begin(), FTable.end(), 0);
      if (++x == count) {
        FOpen = false;
        break;
      }
      open(pixels[x]);
    }
  }
  FBuffer = buffer;
  FBits = bits;
  FPrefix = prefix;
  FHash = hash;
  FLength = length;
  FLast = last;
}

void TLZWEncoder::Finish() {
  std::uint64_t buffer = FBuffer;
  int bits = FBits;
  if (FOpen) Put(buffer, bits, FPrefix);
  Put(buffer, bits, FEndCode);
  for (; bits > 0; bits -= 8) {
    FBlock[FCount++] = static_cast<Byte>(buffer);
    buffer >>= 8;
    if (FCount == 255) {
      WriteBlock(255);
      FCount = 0;
    }
  }
  if (FCount > 0) WriteBlock(FCount);
  FOut.push_back(0);
}

}  // namespace

void EncodeLZW(std::vector<Byte>& out, const Byte* pixels, int width, int height, int bpp, bool interlaced,
               const std::function<void(int rowsDone)>& rowDone) {
  const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
  TLZWEncoder encoder(out, bpp == 1 ? 3 : bpp + 1);
  // Rows of 1 or 4 bits are unpacked into a byte a pixel (from the most significant bits) first.
  std::vector<Byte> unpacked(bpp == 8 ? 0 : static_cast<std::size_t>(std::max(width, 0)));
  auto encodeRow = [&](int y) {
    const Byte* row = pixels + static_cast<std::size_t>(height - 1 - y) * stride;
    if (bpp == 1) {
      for (int x = 0; x < width; ++x) unpacked[static_cast<std::size_t>(x)] = (row[x >> 3] >> (7 - (x & 7))) & 1;
      row = unpacked.data();
    } else if (bpp == 4) {
      for (int x = 0; x < width; ++x) unpacked[static_cast<std::size_t>(x)] = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
      row = unpacked.data();
    }
    encoder.Row(row, width);
  };

  int done = 0;
  if (!interlaced) {
    for (int y = 0; y < height; ++y) {
      encodeRow(y);
      rowDone(++done);
    }
  } else {
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = kStart[pass]; y < height; y += kStep[pass]) {
        encodeRow(y);
        rowDone(++done);
      }
  }
  encoder.Finish();
}

}  // namespace gif

namespace {

std::uint32_t U16(const Byte* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const Byte* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Put16(std::vector<Byte>& v, std::uint32_t x) {
  v.push_back(static_cast<Byte>(x));
  v.push_back(static_cast<Byte>(x >> 8));
}

// The smallest b from 1 up with 2^b at least count.
int BitsCovering(Integer count) {
  int bits = 1;
  while (bits < 8 && (1 << bits) < count) ++bits;
  return bits;
}

// Each line as data sub-blocks (a line longer than 255 bytes goes on in the next block); empty
// lines are left out; then the terminator.
void PutLines(std::vector<Byte>& out, const TStringList& lines) {
  for (Integer i = 0; i < lines.Count(); ++i) {
    const AnsiString& line = lines.Get(i);
    for (std::size_t at = 0; at < line.size(); at += 255) {
      const std::size_t n = std::min<std::size_t>(255, line.size() - at);
      out.push_back(static_cast<Byte>(n));
      out.insert(out.end(), line.begin() + static_cast<std::ptrdiff_t>(at), line.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
  }
  out.push_back(0);
}

// The encoded data as kept, closed with a block terminator when it has none (a frame whose blocks
// were cut short), so the blocks of the next part of the file are not read as its own.
void PutEncoded(std::vector<Byte>& out, const std::vector<Byte>& encoded) {
  out.insert(out.end(), encoded.begin(), encoded.end());
  if (encoded.empty()) return;
  std::size_t pos = 1;
  while (pos < encoded.size()) {
    const std::size_t length = encoded[pos];
    if (length == 0) return;
    pos += 1 + length;
  }
  out.push_back(0);
}

// The pixels of an 8-bit bitmap as its bitmap file holds them: bottom-up rows of the nearest palette
// entry's index, 4-byte aligned, with the palette the file names (the bitmap's own, or the standard
// one when it has none that fits). Pixels of a palette colour, as every pixel of a bitmap kept
// within its palette is, find their index in a small table.
void IndexRows(TGdiBitmap& bitmap, std::vector<COLORREF>& palette, std::vector<Byte>& rows) {
  palette = bitmap.Palette;
  if (palette.empty() || palette.size() > 256) palette = DefaultPalette(8);
  const QImage& image = bitmap.Image();
  const int width = image.width(), height = image.height();
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
  rows.assign(stride * static_cast<std::size_t>(height), 0);

  // Colours to their index: each slot holds a colour (never 0, its alpha being set) above the
  // index's 8 bits, or 0 when empty, so a probe is one load and one compare. The table starts with
  // the palette and takes the nearest entry of other colours while it is at most half full; it is
  // looked up for every pixel, which costs less than guessing at runs of one colour.
  constexpr std::size_t kSlots = 4096;
  std::array<std::uint64_t, kSlots> colorSlots{};
  std::size_t filled = 0;
  auto slotOf = [&](std::uint32_t key) {
    std::size_t slot = (key * 2654435761u) >> 20;
    while (colorSlots[slot] != 0 && (colorSlots[slot] >> 8) != key) slot = (slot + 1) & (kSlots - 1);
    return slot;
  };
  auto remember = [&](std::size_t slot, std::uint32_t key, std::size_t index) {
    if (colorSlots[slot] == 0) ++filled;
    colorSlots[slot] = (static_cast<std::uint64_t>(key) << 8) | index;
  };
  for (std::size_t i = palette.size(); i-- > 0;) {
    const COLORREF c = palette[i];
    const std::uint32_t key = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    // The first entry of a colour wins, as the nearest search takes it.
    remember(slotOf(key), key, i);
  }
  auto nearest = [&](std::uint32_t c) {
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const long dr = static_cast<long>((c >> 16) & 0xFF) - GetRValue(palette[i]);
      const long dg = static_cast<long>((c >> 8) & 0xFF) - GetGValue(palette[i]);
      const long db = static_cast<long>(c & 0xFF) - GetBValue(palette[i]);
      const long d = dr * dr + dg * dg + db * db;
      if (bestDistance < 0 || d < bestDistance) {
        bestDistance = d;
        best = static_cast<int>(i);
      }
    }
    return static_cast<Byte>(best);
  };
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    Byte* out = rows.data() + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = in[x] | 0xFF000000u;
      const std::size_t slot = slotOf(c);
      const std::uint64_t entry = colorSlots[slot];
      if (entry != 0) {
        out[x] = static_cast<Byte>(entry);
        continue;
      }
      out[x] = nearest(c);
      if (filled < kSlots / 2) remember(slot, c, out[x]);
    }
  }
}

void PutTable(std::vector<Byte>& out, const TGIFColorTable& table, Integer entries) {
  for (Integer i = 0; i < entries; ++i) {
    const auto& e = table.Entries[static_cast<std::size_t>(i)];
    out.insert(out.end(), e.begin(), e.end());
  }
}

}  // namespace

void TGIFFrame::EncodeFrame() {
  if (!HasBitmap()) gif::Fail("No GIF Data to write");
  TBitmap& bitmap = *FBitmap;
  // The bitmap may have grown since it was assigned; what is written must read back.
  gif::CheckFrameSize(bitmap.Width(), bitmap.Height());
  // The pixels: bottom-up rows of 1, 4 or 8 bits, and the palette.
  const Byte* pixels = nullptr;
  int width = 0, height = 0, bpp = 0;
  std::vector<COLORREF> palette;
  std::vector<Byte> indexRows;
  std::unique_ptr<TMemoryStream> file;
  const TPixelFormat format = bitmap.PixelFormat();
  if (format == pf8bit && bitmap.Handle()->BitsPerPixel() == 8) {
    // As its own bitmap file would hold it, without making the file.
    IndexRows(*bitmap.Handle(), palette, indexRows);
    pixels = indexRows.data();
    width = bitmap.Handle()->Width();
    height = bitmap.Handle()->Height();
    bpp = 8;
  } else {
    if (format == pf1bit || format == pf4bit || format == pf8bit) {
      file = std::make_unique<TMemoryStream>();
      bitmap.SaveToStream(*file);
    } else {
      const Byte method = Grayscale ? Byte{rmGrayscale} : DefaultReductionMethod;
      file = ReduceBitmap(bitmap, pf8bit, method, TransparentColor);
      if (method == rmGrayscale) Grayscale = true;
    }
    const auto* bytes = static_cast<const Byte*>(file->Memory());
    const auto size = static_cast<std::size_t>(file->Size());
    if (size < 54) gif::Fail("GIF image encoding error");
    const std::uint32_t offset = U32(bytes + 10);
    width = static_cast<std::int32_t>(U32(bytes + 18));
    height = static_cast<std::int32_t>(U32(bytes + 22));
    bpp = static_cast<int>(U16(bytes + 28));
    if (bpp != 1 && bpp != 4 && bpp != 8) gif::Fail("GIF image encoding error");
    const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    if (width <= 0 || height <= 0 || offset > size || size - offset < stride * static_cast<std::size_t>(height))
      gif::Fail("GIF image encoding error");
    // A file whose palette is shorter than the depth's (its colour-used count set) gives black for
    // the rest, never the bytes that follow the palette.
    const std::uint32_t colorsUsed = U32(bytes + 46);
    const std::size_t depthColors = std::size_t{1} << bpp;
    const std::size_t stored = colorsUsed != 0 && colorsUsed < depthColors ? colorsUsed : depthColors;
    for (std::size_t i = 0; i < stored && 54 + 4 * i + 3 <= offset; ++i) {
      const Byte* e = bytes + 54 + 4 * i;
      palette.push_back(RGB(e[2], e[1], e[0]));
    }
    pixels = bytes + offset;
  }
  if (width <= 0 || height <= 0) gif::Fail("GIF image encoding error");

  // A new item: one shared with a copy of this frame must not change under it.
  auto item = std::make_shared<TGIFItem>();
  Interlaced = false;
  item->Colors.Count = 1 << bpp;
  for (std::size_t i = 0; i < palette.size() && i < 256; ++i)
    item->Colors.Entries[i] = {static_cast<Byte>(GetRValue(palette[i])), static_cast<Byte>(GetGValue(palette[i])),
                               static_cast<Byte>(GetBValue(palette[i]))};
  const int total = height;
  try {
    FOwner->FrameProgress(psStarting, 0, AnsiString());
    gif::EncodeLZW(item->EncodedData, pixels, width, height, bpp, false, [&](int rowsDone) {
      FOwner->FrameProgress(psRunning, static_cast<Byte>(std::lround(100.0 * rowsDone / total)), AnsiString());
    });
    FOwner->FrameProgress(psEnding, 100, AnsiString());
  } catch (const EAbort&) {
    ClearFrame();
    throw;
  } catch (const Exception& e) {
    FOwner->FrameProgress(psEnding, 0, e.Message());
    throw;
  }
  item->BitsPerPixel = static_cast<Byte>(BitsCovering(item->Colors.Count));
  item->Width = width;
  item->Height = height;
  FItem = std::move(item);
  PlaceEncoded();
}

void TGIFFrame::PlaceEncoded() {
  TGIFData& data = FOwner->UniqueData();
  if (data.Colors.Count == 0) {
    data.Colors = FItem->Colors;
    data.BitsPerPixel = FItem->BitsPerPixel;
    LocalColors = false;
  } else {
    LocalColors = true;
  }
  FOwner->FScreenWidth = static_cast<Word>(std::max<int>(FOwner->FScreenWidth, std::min(Left + FItem->Width, 0xFFFF)));
  FOwner->FScreenHeight = static_cast<Word>(std::max<int>(FOwner->FScreenHeight, std::min(Top + FItem->Height, 0xFFFF)));
}

void TGIFFrame::UpdateGraphicControl() {
  TExtension* control = nullptr;
  for (const auto& ext : FExtensions)
    if (ext->Kind == ekGraphicControl) {
      control = ext.get();
      break;
    }
  if (control == nullptr && (Delay != 0 || TransparentColor != clNone || Disposal != 0)) {
    auto ext = std::make_unique<TExtension>(ekGraphicControl);
    ext->Bytes = {4, 0, 0, 0, 0, 0};
    control = ext.get();
    FExtensions.push_back(std::move(ext));
  }
  if (control != nullptr) {
    std::vector<Byte>& b = control->Bytes;
    b.resize(6, 0);
    const int delay = Delay / 10;
    b[2] = static_cast<Byte>(delay);
    b[3] = static_cast<Byte>(delay >> 8);
    int index = -1;
    if (TransparentColor != clNone) {
      const COLORREF wanted = ColorToRGB(TransparentColor) & 0xFFFFFF;
      for (Integer i = 0; i < FItem->Colors.Count && index < 0; ++i)
        if ((ColorToRGB(FItem->Colors.Color(i)) & 0xFFFFFF) == wanted) index = i;
    }
    if (index >= 0) {
      b[1] = static_cast<Byte>(b[1] | 1);
      b[4] = static_cast<Byte>(index);
    } else {
      b[1] = static_cast<Byte>(b[1] & ~1);
    }
    b[1] = static_cast<Byte>((b[1] & ~0x1C) | ((Disposal & 7) << 2));
  }
  std::erase_if(FExtensions, [](const std::unique_ptr<TExtension>& ext) {
    return ext->Kind == ekComment && (!ext->Lines || ext->Lines->Count() == 0);
  });
  if (!FExtensions.empty()) FOwner->FVersion = 2;
}

TGIFData& TGIFImage::UniqueData() {
  if (FData.use_count() > 1) FData = std::make_shared<TGIFData>(*FData);
  return *FData;
}

bool TGIFFrame::EncodesLike(const TGIFFrame& other) {
  if (!HasBitmap() || !other.HasBitmap() || Grayscale != other.Grayscale || TransparentColor != other.TransparentColor)
    return false;
  TBitmap& a = *FBitmap;
  TBitmap& b = *other.FBitmap;
  return a.Width() == b.Width() && a.Height() == b.Height() && a.PixelFormat() == b.PixelFormat() &&
         a.Handle()->BitsPerPixel() == b.Handle()->BitsPerPixel() && a.Handle()->Palette == b.Handle()->Palette &&
         a.Handle()->Image().constBits() == b.Handle()->Image().constBits();
}

void TGIFFrame::TakeEncoding(const TGIFFrame& same) {
  FItem = same.FItem;
  Interlaced = false;
  Grayscale = same.Grayscale;
  PlaceEncoded();
}

void TGIFImage::EncodeFrames() {
  // The frames encoded here, by the pixels their bitmaps show.
  std::unordered_map<const uchar*, std::vector<TGIFFrame*>> encoded;
  for (const auto& frame : FFrames) {
    if (!frame->FItem->EncodedData.empty()) continue;
    const uchar* pixels = frame->HasBitmap() ? frame->FBitmap->Handle()->Image().constBits() : nullptr;
    TGIFFrame* same = nullptr;
    if (pixels != nullptr)
      if (const auto found = encoded.find(pixels); found != encoded.end())
        for (TGIFFrame* candidate : found->second)
          if (frame->EncodesLike(*candidate)) {
            same = candidate;
            break;
          }
    if (same != nullptr) {
      frame->TakeEncoding(*same);
      continue;
    }
    frame->EncodeFrame();
    if (pixels != nullptr) encoded[pixels].push_back(frame.get());
  }
  for (const auto& frame : FFrames) frame->UpdateGraphicControl();
}

void TGIFImage::WriteGIF(TStream& stream, bool withLength) {
  if (FFrames.empty()) gif::Fail("No GIF Data to write");
  // Only what reads back is written: frames and positions as a read image may have them.
  gif::CheckFrameCount(FFrames.size());
  for (const auto& frame : FFrames) gif::CheckFramePosition(frame->Left, frame->Top);
  EncodeFrames();
  long long pixels = 0;
  for (const auto& frame : FFrames) {
    const TGIFItem& item = *frame->FItem;
    if (item.Width > 0xFFFF || item.Height > 0xFFFF) gif::Fail("GIF image is too large");
    pixels += static_cast<long long>(item.Width) * item.Height;
  }
  gif::CheckImagePixels(pixels);
  const TGIFData& data = *FData;
  if (data.Comment.Count() > 0) FVersion = 2;
  std::vector<Byte> out;
  const char* header = FVersion == 2 ? "GIF89a" : "GIF87a";
  out.insert(out.end(), header, header + 6);

  UpdateScreenSize();
  Put16(out, FScreenWidth);
  Put16(out, FScreenHeight);
  if (data.Colors.Count == 0) {
    out.push_back(0);
    out.push_back(0);
  } else {
    const int bits = GIFBitsForCount(data.Colors.Count);
    if (bits == 0) gif::Fail("Wrong number of colors; must be a power of 2");
    // The size field must say how many entries follow, so it is taken from the count itself.
    out.push_back(static_cast<Byte>(0x80 + (bits - 1) * 16 + (bits - 1)));
    int background = 0;
    if (FBackgroundColor != clNone) {
      const COLORREF wanted = ColorToRGB(FBackgroundColor) & 0xFFFFFF;
      for (Integer i = 0; i < data.Colors.Count; ++i)
        if ((ColorToRGB(data.Colors.Color(i)) & 0xFFFFFF) == wanted) {
          background = i;
          break;
        }
    }
    out.push_back(static_cast<Byte>(background));
  }
  out.push_back(data.AspectRatio);
  if (data.Colors.Count > 0) PutTable(out, data.Colors, data.Colors.Count);

  if (FLooping && FFrames.size() > 1) {
    static const char kLoop[] = "NETSCAPE2.0";
    out.push_back('!');
    out.push_back(0xFF);
    out.push_back(11);
    out.insert(out.end(), kLoop, kLoop + 11);
    out.push_back(3);
    out.push_back(1);
    Put16(out, FRepeatCount);
    out.push_back(0);
  }

  for (const auto& frame : FFrames) {
    for (const auto& ext : frame->FExtensions) {
      out.push_back('!');
      switch (ext->Kind) {
        case ekGraphicControl:
          out.push_back(0xF9);
          out.insert(out.end(), ext->Bytes.begin(), ext->Bytes.end());
          break;
        case ekPlainText:
        case ekApplication:
          out.push_back(ext->Kind == ekPlainText ? 0x01 : 0xFF);
          out.insert(out.end(), ext->Bytes.begin(), ext->Bytes.end());
          if (ext->Lines) PutLines(out, *ext->Lines);
          else out.push_back(0);
          break;
        case ekComment:
          out.push_back(0xFE);
          if (ext->Lines) PutLines(out, *ext->Lines);
          else out.push_back(0);
          break;
      }
    }
    const TGIFItem& item = *frame->FItem;
    out.push_back(',');
    Put16(out, static_cast<std::uint32_t>(frame->Left));
    Put16(out, static_cast<std::uint32_t>(frame->Top));
    Put16(out, static_cast<std::uint32_t>(item.Width));
    Put16(out, static_cast<std::uint32_t>(item.Height));
    Byte packed = 0;
    int localBits = 0;
    if (frame->LocalColors) {
      localBits = BitsCovering(item.Colors.Count);
      packed = static_cast<Byte>(0x80 + localBits - 1);
    }
    if (frame->Interlaced) packed = static_cast<Byte>(packed | 0x40);
    out.push_back(packed);
    // As many entries as the size field says, whatever the table holds.
    if (frame->LocalColors) PutTable(out, item.Colors, 1 << localBits);
    PutEncoded(out, item.EncodedData);
  }

  if (data.Comment.Count() > 0) {
    out.push_back('!');
    out.push_back(0xFE);
    PutLines(out, data.Comment);
  }
  out.push_back(';');
  if (withLength) {
    const auto length = static_cast<LongWord>(out.size());
    stream.WriteBuffer(&length, 4);
  }
  stream.WriteBuffer(out.data(), static_cast<Int64>(out.size()));
}

void TGIFImage::SaveToStream(TStream& stream) { WriteGIF(stream, false); }
void TGIFImage::WriteData(TStream& stream) {
  // Frames that hold nothing, as a frame drawn or asked for its bitmap before it had any pixels
  // does, make an image that is not empty, so a window description stores it: as a count of no
  // bytes, which reads back as an empty image.
  const bool nothing = !FFrames.empty() && std::all_of(FFrames.begin(), FFrames.end(), [](const auto& frame) {
    return !frame->HasBitmap() && frame->FItem->EncodedData.empty();
  });
  if (nothing) {
    const LongWord zero = 0;
    stream.WriteBuffer(&zero, 4);
    return;
  }
  WriteGIF(stream, true);
}

}  // namespace orv
