// Decoding a GIF frame: the LZW decoder into bottom-up rows, and the bitmap file built around them.
#include <cmath>
#include <cstring>

#include "controls/GIFImage.h"
#include "controls/GIFInternal.h"

namespace orv {
namespace gif {
namespace {

constexpr int kTableSize = 4096;
constexpr int kStackSize = 4097;

// Codes least-significant bit first across the data sub-blocks.
class TCodeReader {
 public:
  TCodeReader(const std::vector<Byte>& data, std::size_t start) : FData(data), FPos(start) {}
  // False when the data ends before the code is complete.
  bool Read(int codeSize, int& code) {
    while (FBits < codeSize) {
      if (FBlockLeft == 0) {
        if (FPos >= FData.size()) return false;
        FBlockLeft = FData[FPos++];
        continue;
      }
      if (FPos >= FData.size()) return false;
      FBuffer |= static_cast<std::uint32_t>(FData[FPos++]) << FBits;
      FBits += 8;
      --FBlockLeft;
    }
    code = static_cast<int>(FBuffer & ((1u << codeSize) - 1));
    FBuffer >>= codeSize;
    FBits -= codeSize;
    return true;
  }
  std::size_t Position() const { return FPos; }

 private:
  const std::vector<Byte>& FData;
  std::size_t FPos;
  std::uint32_t FBuffer = 0;
  int FBits = 0;
  std::size_t FBlockLeft = 0;
};

// Puts pixels into the rows in order, through the four passes when interlaced.
class TPixelWriter {
 public:
  explicit TPixelWriter(const TDecodeJob& job) : FJob(job) { FDone = job.Width <= 0 || job.Height <= 0; }
  bool Done() const { return FDone; }
  void Put(int value) {
    if (FDone) return;
    Byte* row = FJob.Pixels + static_cast<std::size_t>(FJob.Height - 1 - FY) * FJob.Stride;
    const auto v = static_cast<Byte>(value);
    switch (FJob.Bpp) {
      case 1: row[FX >> 3] |= static_cast<Byte>((v & 1) << (7 - (FX & 7))); break;
      case 4: row[FX >> 1] |= static_cast<Byte>((v & 0xF) << ((FX & 1) ? 0 : 4)); break;
      default: row[FX] = v; break;
    }
    if (++FX < FJob.Width) return;
    FX = 0;
    if (!FJob.Interlaced) {
      if (++FY >= FJob.Height) FDone = true;
      return;
    }
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    FY += kStep[FPass];
    while (FY >= FJob.Height) {
      if (++FPass > 3) {
        FDone = true;
        return;
      }
      FY = kStart[FPass];
    }
  }

 private:
  const TDecodeJob& FJob;
  int FX = 0, FY = 0, FPass = 0;
  bool FDone = false;
};

}  // namespace

bool DecodeLZW(const TDecodeJob& job) {
  const std::vector<Byte>& data = *job.Encoded;
  bool damaged = false;
  int minCodeSize = data.empty() ? 0 : data[0];
  if (minCodeSize < 2 || minCodeSize > 9) {
    if (!job.AllowDamaged) Fail("GIF code size not in range 2 to 9");
    minCodeSize = std::clamp(minCodeSize, 2, 9);
    damaged = true;
  }
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  const int pixelMask = (1 << job.ColorBits) - 1;
  std::vector<std::uint16_t> prefix(kTableSize, 0);
  std::vector<Byte> suffix(kTableSize, 0);
  std::vector<Byte> stack(kStackSize);

  int codeSize = minCodeSize + 1;
  int capacity = 1 << codeSize;
  int nextFree = clearCode + 2;
  bool tableFull = false;
  int previous = -1;
  int first = 0;
  TCodeReader codes(data, 1);
  TPixelWriter out(job);
  bool ended = false;
  auto report = [&] {
    if (job.Progress) job.Progress(codes.Position());
  };

  while (!out.Done()) {
    int code;
    if (!codes.Read(codeSize, code)) break;
    if (code == endCode) {
      ended = true;
      break;
    }
    if (code == clearCode || previous < 0) {
      if (code == clearCode) {
        codeSize = minCodeSize + 1;
        capacity = 1 << codeSize;
        nextFree = clearCode + 2;
        tableFull = false;
        previous = -1;
        report();
        continue;
      }
      // The first code after a clear is a pixel of its own.
      first = code & pixelMask;
      out.Put(first);
      previous = code;
      report();
      continue;
    }
    const int current = code;
    int sp = 0;
    if (code >= nextFree) {
      stack[sp++] = static_cast<Byte>(first);
      code = previous;
    }
    bool overflow = false;
    // Codes below the clear code are pixels, whatever the colour table's size: a file may use a
    // minimum code size smaller than its table's bits.
    while (code >= clearCode) {
      if (sp >= kStackSize - 1) {
        overflow = true;
        break;
      }
      stack[sp++] = suffix[static_cast<std::size_t>(code)];
      code = prefix[static_cast<std::size_t>(code)];
    }
    if (overflow) {
      if (!job.AllowDamaged) Fail("GIF encoded data is corrupt");
      damaged = true;
      ended = true;
      break;
    }
    first = code & pixelMask;
    stack[sp++] = static_cast<Byte>(first);
    while (sp > 0) out.Put(stack[--sp]);
    if (!tableFull) {
      prefix[static_cast<std::size_t>(nextFree)] = static_cast<std::uint16_t>(previous);
      suffix[static_cast<std::size_t>(nextFree)] = static_cast<Byte>(first);
      if (++nextFree >= capacity) {
        if (codeSize < 12) {
          ++codeSize;
          capacity <<= 1;
        } else {
          tableFull = true;
        }
      }
    }
    previous = current;
    report();
  }
  if (!ended && !out.Done()) Fail(SReadError);
  return damaged;
}

}  // namespace gif

namespace {

void Put16(std::vector<Byte>& v, std::size_t at, std::uint32_t x) {
  v[at] = static_cast<Byte>(x);
  v[at + 1] = static_cast<Byte>(x >> 8);
}
void Put32(std::vector<Byte>& v, std::size_t at, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + static_cast<std::size_t>(i)] = static_cast<Byte>(x >> (8 * i));
}

}  // namespace

TBitmap* TGIFFrame::FrameBitmap() {
  if (FBitmap && !FBitmap->Empty()) return FBitmap.get();
  NewBitmap();
  if (FItem->EncodedData.empty()) return FBitmap.get();
  Decode();
  return FBitmap.get();
}

void TGIFFrame::Decode() {
  const TGIFItem& item = *FItem;
  int bpp;
  if (item.BitsPerPixel == 1) bpp = 1;
  else if (item.BitsPerPixel >= 2 && item.BitsPerPixel <= 4) bpp = 4;
  else if (item.BitsPerPixel >= 5 && item.BitsPerPixel <= 8) bpp = 8;
  else gif::Fail("Wrong number of colors; must be a power of 2");
  // Two colours other than black and white are drawn as colours, not as a monochrome bitmap.
  if (bpp == 1 && item.Colors.Count >= 2) {
    const TColor a = item.Colors.Color(0), b = item.Colors.Color(1);
    if (!((a == clBlack && b == clWhite) || (a == clWhite && b == clBlack))) bpp = 4;
  }
  const int width = item.Width, height = item.Height;
  if (width > gif::kMaxFrameSide || height > gif::kMaxFrameSide ||
      static_cast<long long>(width) * height > gif::kMaxFramePixels)
    gif::Fail("GIF image is too large");
  if (width <= 0 || height <= 0) return;

  const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
  const std::size_t imageSize = stride * static_cast<std::size_t>(height);
  const std::size_t paletteEntries = std::size_t{1} << bpp;
  const std::size_t offset = 54 + 4 * paletteEntries;
  std::vector<Byte> file(offset + imageSize, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(offset + imageSize));
  Put32(file, 10, static_cast<std::uint32_t>(offset));
  Put32(file, 14, 40);
  Put32(file, 18, static_cast<std::uint32_t>(width));
  Put32(file, 22, static_cast<std::uint32_t>(height));
  Put16(file, 26, 1);
  Put16(file, 28, static_cast<std::uint32_t>(bpp));
  Put32(file, 34, static_cast<std::uint32_t>(imageSize));
  for (std::size_t i = 0; i < paletteEntries; ++i) {
    Byte* e = file.data() + 54 + 4 * i;
    if (item.Colors.Count == 0) continue;
    if (i < static_cast<std::size_t>(item.Colors.Count)) {
      const auto& rgb = item.Colors.Entries[i];
      e[0] = rgb[2];
      e[1] = rgb[1];
      e[2] = rgb[0];
    } else {
      e[0] = e[1] = e[2] = 128;
    }
  }

  gif::TDecodeJob job;
  job.Encoded = &item.EncodedData;
  job.Width = width;
  job.Height = height;
  job.Interlaced = Interlaced;
  job.Bpp = bpp;
  job.ColorBits = item.BitsPerPixel;
  job.AllowDamaged = AllowDamagedGIF;
  job.Pixels = file.data() + offset;
  job.Stride = stride;
  const double total = static_cast<double>(item.EncodedData.size());
  job.Progress = [this, total](std::size_t position) {
    FOwner->FrameProgress(psRunning, static_cast<Byte>(std::lround(static_cast<double>(position) / total * 100)), AnsiString());
  };
  FOwner->FrameProgress(psStarting, 0, AnsiString());
  try {
    Corrupted = gif::DecodeLZW(job) || Corrupted;
  } catch (const Exception& e) {
    FOwner->FrameProgress(psEnding, 0, e.Message());
    throw;
  }
  FOwner->FrameProgress(psEnding, 100, AnsiString());

  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<Int64>(file.size()));
  stream.SetPosition(0);
  FBitmap->LoadFromStream(stream);
  if (!FBitmap->Monochrome()) FBitmap->SetHandleType(bmDDB);
}

}  // namespace orv
