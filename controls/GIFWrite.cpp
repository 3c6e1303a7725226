// Writing GIF files: encoding frames made from bitmaps (colour table and LZW codes), the graphic
// control extensions brought up to date, and the blocks of the file.
#include <QImage>
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

constexpr int kHashSize = 17777;
constexpr int kMaxNodes = 4096;

// Codes least-significant bit first into 255-byte data sub-blocks.
class TCodeWriter {
 public:
  explicit TCodeWriter(std::vector<Byte>& out) : FOut(out) {}
  void Put(int code, int codeSize) {
    FBuffer |= static_cast<std::uint64_t>(code) << FBits;
    FBits += codeSize;
    while (FBits >= 8) {
      FBlock[FCount++] = static_cast<Byte>(FBuffer);
      FBuffer >>= 8;
      FBits -= 8;
      if (FCount == 255) WriteBlock();
    }
  }
  // The partly filled bytes as a last sub-block, then the terminator.
  void Flush() {
    if (FBits > 0) {
      FBlock[FCount++] = static_cast<Byte>(FBuffer);
      FBuffer = 0;
      FBits = 0;
      if (FCount == 255) WriteBlock();
    }
    if (FCount > 0) WriteBlock();
    FOut.push_back(0);
  }

 private:
  void WriteBlock() {
    FOut.push_back(static_cast<Byte>(FCount));
    FOut.insert(FOut.end(), FBlock, FBlock + FCount);
    FCount = 0;
  }
  std::vector<Byte>& FOut;
  std::uint64_t FBuffer = 0;
  int FBits = 0;
  Byte FBlock[255] = {};
  int FCount = 0;
};

struct TNode {
  std::uint16_t Prefix;
  std::uint16_t Code;
  Byte Suffix;
};

}  // namespace

void EncodeLZW(std::vector<Byte>& out, const Byte* pixels, int width, int height, int bpp, bool interlaced,
               const std::function<void(int rowsDone)>& rowDone) {
  const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
  const int initialSize = bpp == 1 ? 3 : bpp + 1;
  out.push_back(static_cast<Byte>(initialSize - 1));
  const int clearCode = 1 << (initialSize - 1);
  const int endCode = clearCode + 1;
  int last = endCode;
  int capacity = 1 << initialSize;
  int codeSize = initialSize;
  TCodeWriter codes(out);
  codes.Put(clearCode, codeSize);
  std::vector<int> hashSlots(kHashSize, -1);
  std::vector<TNode> nodes;
  nodes.reserve(kMaxNodes);

  bool open = false;
  int prefix = 0;
  long long hash = 0;
  int length = 0;
  auto pixelAt = [&](const Byte* row, int x) -> int {
    switch (bpp) {
      case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
      case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
      default: return row[x];
    }
  };
  auto encodeRow = [&](int y) {
    const Byte* row = pixels + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const int e = pixelAt(row, x);
      if (!open) {
        open = true;
        prefix = e;
        hash = e * 301 + 903;
        length = 1;
        continue;
      }
      ++length;
      hash = ((e + length + 4) * hash) % kHashSize;
      auto slot = static_cast<std::size_t>(hash);
      for (;;) {
        const int n = hashSlots[slot];
        if (n < 0 || (nodes[static_cast<std::size_t>(n)].Prefix == prefix && nodes[static_cast<std::size_t>(n)].Suffix == e)) break;
        slot = slot + 1 == kHashSize ? 0 : slot + 1;
      }
      if (hashSlots[slot] >= 0) {
        prefix = nodes[static_cast<std::size_t>(hashSlots[slot])].Code;
        continue;
      }
      codes.Put(prefix, codeSize);
      ++last;
      hashSlots[slot] = static_cast<int>(nodes.size());
      nodes.push_back({static_cast<std::uint16_t>(prefix), static_cast<std::uint16_t>(last), static_cast<Byte>(e)});
      prefix = e;
      hash = e * 301 + 903;
      length = 1;
      if (last >= capacity) {
        capacity <<= 1;
        ++codeSize;
      } else if (last >= 4094) {
        codes.Put(prefix, codeSize);
        codes.Put(clearCode, codeSize);
        open = false;
        last = endCode;
        codeSize = initialSize;
        capacity = 1 << initialSize;
        std::fill(hashSlots.begin(), hashSlots.end(), -1);
        nodes.clear();
      }
    }
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
  if (open) codes.Put(prefix, codeSize);
  codes.Put(endCode, codeSize);
  codes.Flush();
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

  constexpr std::size_t kSlots = 1024;
  std::array<std::uint32_t, kSlots> keys{};
  std::array<Byte, kSlots> values{};
  std::array<bool, kSlots> used{};
  auto slotOf = [&](std::uint32_t key) {
    std::size_t slot = (key * 2654435761u) >> 22;
    while (used[slot] && keys[slot] != key) slot = (slot + 1) & (kSlots - 1);
    return slot;
  };
  for (std::size_t i = palette.size(); i-- > 0;) {
    const COLORREF c = palette[i];
    const std::uint32_t key = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    const std::size_t slot = slotOf(key);
    // The first entry of a colour wins, as the nearest search takes it.
    used[slot] = true;
    keys[slot] = key;
    values[slot] = static_cast<Byte>(i);
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
  std::uint32_t lastColor = 0;
  Byte lastIndex = 0;
  bool haveLast = false;
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    Byte* out = rows.data() + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = in[x] | 0xFF000000u;
      if (!haveLast || c != lastColor) {
        const std::size_t slot = slotOf(c);
        lastIndex = used[slot] ? values[slot] : nearest(c);
        lastColor = c;
        haveLast = true;
      }
      out[x] = lastIndex;
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
  TGIFData& data = FOwner->UniqueData();
  if (data.Colors.Count == 0) {
    data.Colors = FItem->Colors;
    data.BitsPerPixel = FItem->BitsPerPixel;
    LocalColors = false;
  } else {
    LocalColors = true;
  }
  FOwner->FScreenWidth = static_cast<Word>(std::max<int>(FOwner->FScreenWidth, std::min(Left + width, 0xFFFF)));
  FOwner->FScreenHeight = static_cast<Word>(std::max<int>(FOwner->FScreenHeight, std::min(Top + height, 0xFFFF)));
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
void TGIFImage::WriteData(TStream& stream) { WriteGIF(stream, true); }

}  // namespace orv
