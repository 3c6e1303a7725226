// Decoding a GIF frame: the LZW decoder, writing whole strings straight into the rows of the frame's
// bitmap, and the bounds a frame is decoded within.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include <QImage>

#include "controls/GIFImage.h"
#include "controls/GIFInternal.h"
#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/Gdi.h"

namespace orv {
namespace gif {
namespace {

constexpr int kTableSize = 4096;
constexpr int kStackSize = 4097;

// Codes least-significant bit first across the data sub-blocks. The blocks' bytes are joined first,
// with zeros after them, so a code is one unaligned load; a size byte promising more than the
// data holds gives what there is, and a block of size 0 is passed over as an empty one.
class TCodeReader {
 public:
  TCodeReader(const std::vector<Byte>& data, std::size_t start) : FData(data), FStart(start), FEnd(start) {
    FBytes.reserve(data.size() + sizeof(std::uint64_t));
    for (std::size_t pos = start; pos < data.size();) {
      const std::size_t size = data[pos++];
      const std::size_t length = std::min(size, data.size() - pos);
      FBytes.insert(FBytes.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                    data.begin() + static_cast<std::ptrdiff_t>(pos + length));
      pos += length;
    }
    FBits = FBytes.size() * 8;
    FBytes.resize(FBytes.size() + sizeof(std::uint64_t), 0);
  }
  // False when the data ends before the code is complete.
  bool Read(int codeSize, int& code) {
    if (FBit + static_cast<std::size_t>(codeSize) > FBits) return false;
    std::uint64_t word;
    std::memcpy(&word, FBytes.data() + (FBit >> 3), sizeof word);
    code = static_cast<int>((word >> (FBit & 7)) & ((1u << codeSize) - 1));
    FBit += static_cast<std::size_t>(codeSize);
    return true;
  }
  // The position in the encoded data just past the last byte the codes so far have taken bits
  // from. The blocks are walked again as far as that byte, each once over all calls.
  std::size_t Position() {
    if (FBit == 0) return FStart;
    const std::size_t taken = (FBit + 7) / 8;
    while (FJoinedEnd < taken) {
      const std::size_t size = FData[FEnd++];
      const std::size_t length = std::min(size, FData.size() - FEnd);
      FEnd += length;
      FJoinedEnd += length;
    }
    return FEnd - (FJoinedEnd - taken);
  }

 private:
  const std::vector<Byte>& FData;
  std::size_t FStart;
  std::vector<Byte> FBytes;
  std::size_t FBits = 0;
  std::size_t FBit = 0;
  // The end of the block walked last, in the encoded data and among the joined bytes.
  std::size_t FEnd;
  std::size_t FJoinedEnd = 0;
};

}  // namespace

long long MaxDecodedPixels(const std::vector<Byte>& encoded) {
  if (encoded.empty()) return 0;
  const int minCodeSize = std::clamp<int>(encoded[0], 2, 9);
  long long payload = 0;
  for (std::size_t pos = 1; pos < encoded.size();) {
    const std::size_t length = encoded[pos];
    if (length == 0) break;
    payload += static_cast<long long>(std::min(length, encoded.size() - pos - 1));
    pos += 1 + length;
  }
  // Every code is at least minCodeSize + 1 bits wide, and the k-th code after a clear yields at
  // most k + 1 pixels.
  const long long codes = payload * 8 / (minCodeSize + 1);
  if (codes < 2 * kMaxStringPixels) return std::min(codes * (codes + 3) / 2, codes * kMaxStringPixels);
  return codes * kMaxStringPixels;
}

int DecodedRowTarget(int n, int height, bool interlaced) {
  if (!interlaced) return n;
  // Pass 1 takes every 8th row from 0, pass 2 every 8th from 4, pass 3 every 4th from 2, pass 4
  // every 2nd from 1.
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (n < rows) return kStart[pass] + n * kStep[pass];
    n -= rows;
  }
  return height - 1;
}

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
  Byte* const out = job.Values;
  const std::size_t total =
      job.Width > 0 && job.Height > 0 ? static_cast<std::size_t>(job.Width) * static_cast<std::size_t>(job.Height) : 0;
  std::size_t done = 0;

  std::array<std::uint16_t, kTableSize> prefix{};
  std::array<Byte, kTableSize> suffix{};
  // A code's string is, once decoded, a run of values already written: the previous code's values
  // and the first value of the code after it. start and length say where (length 0: not known to
  // be, as for strings built on a damaged code; those are walked through prefix and suffix).
  std::array<std::uint32_t, kTableSize> start;
  std::array<std::uint16_t, kTableSize> length{};
  // A string walked is built from its last pixel backwards, so it ends up in order at the buffer's end.
  std::array<Byte, kStackSize> string;

  int codeSize = minCodeSize + 1;
  int capacity = 1 << codeSize;
  int nextFree = clearCode + 2;
  bool tableFull = false;
  int previous = -1;
  int first = 0;
  // Where the previous code's values went, how many, and whether they are its string in the table
  // (not so for a code past the table's end other than the next free one).
  std::size_t previousStart = 0;
  std::size_t previousLength = 0;
  bool previousInTable = false;
  TCodeReader codes(data, 1);
  bool ended = false;
  auto report = [&] {
    if (job.Progress) job.Progress(codes.Position());
  };
  auto put = [&](const Byte* values, std::size_t count) {
    const std::size_t n = std::min(count, total - done);
    if (out) std::memcpy(out + done, values, n);
    done += n;
  };
  // Copies the count values at from, all written already, to the end of the output. A short run
  // with room after it goes as one 16-byte move: the values past the run are overwritten later,
  // by the following codes or by the zeros after the last.
  auto putRun = [&](std::size_t from, std::size_t count) {
    if (count <= 16 && total - done >= 16) {
      Byte run[16];
      std::memcpy(run, out + from, 16);
      std::memcpy(out + done, run, 16);
      done += count;
    } else {
      put(out + from, count);
    }
  };

  while (done < total) {
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
      previousStart = done;
      previousLength = 1;
      previousInTable = code < clearCode;
      if (out) out[done] = static_cast<Byte>(first);
      ++done;
      previous = code;
      report();
      continue;
    }
    const int current = code;
    const std::size_t at = done;
    std::size_t count;
    bool inTable = true;
    if (code < clearCode) {
      // Codes below the clear code are pixels, whatever the colour table's size: a file may use a
      // minimum code size smaller than its table's bits.
      first = code & pixelMask;
      if (out) out[done] = static_cast<Byte>(first);
      ++done;
      count = 1;
    } else if (code < nextFree && length[static_cast<std::size_t>(code)] != 0) {
      count = length[static_cast<std::size_t>(code)];
      const std::size_t from = start[static_cast<std::size_t>(code)];
      first = out[from];
      putRun(from, count);
    } else if (code == nextFree && previousInTable && out) {
      // The code being defined: the previous code's values and their first again.
      first = out[previousStart];
      count = previousLength + 1;
      putRun(previousStart, previousLength);
      if (done < total) out[done++] = static_cast<Byte>(first);
    } else {
      // A string walked may still change: its chain can lead through codes past the table's end
      // that are filled in later.
      inTable = false;
      std::size_t sp = kStackSize;
      if (code >= nextFree) {
        string[--sp] = static_cast<Byte>(first);
        code = previous;
        inTable = current == nextFree && previousInTable;
      }
      while (code >= clearCode) {
        if (sp <= 1) break;
        string[--sp] = suffix[static_cast<std::size_t>(code)];
        code = prefix[static_cast<std::size_t>(code)];
      }
      if (code >= clearCode) {
        if (!job.AllowDamaged) Fail("GIF encoded data is corrupt");
        damaged = true;
        ended = true;
        break;
      }
      first = code & pixelMask;
      string[--sp] = static_cast<Byte>(first);
      count = kStackSize - sp;
      put(string.data() + sp, count);
    }
    if (!tableFull) {
      const auto entry = static_cast<std::size_t>(nextFree);
      prefix[entry] = static_cast<std::uint16_t>(previous);
      suffix[entry] = static_cast<Byte>(first);
      // The previous code's values followed by the first of this one's.
      start[entry] = static_cast<std::uint32_t>(previousStart);
      length[entry] = out && previousInTable ? static_cast<std::uint16_t>(previousLength + 1) : 0;
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
    previousStart = at;
    previousLength = count;
    previousInTable = inTable;
    report();
  }
  if (!ended && done < total) Fail(SReadError);
  if (out && done < total) std::memset(out + done, 0, total - done);
  return damaged;
}

}  // namespace gif

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
  gif::CheckFrameSize(width, height);
  if (width <= 0 || height <= 0) return;

  // The palette of the depth: the table's entries, grey past them, black without a table.
  const int entries = 1 << bpp;
  std::vector<COLORREF> palette(static_cast<std::size_t>(entries), RGB(0, 0, 0));
  if (item.Colors.Count > 0)
    for (int i = 0; i < entries; ++i) {
      if (i < item.Colors.Count) {
        const auto& rgb = item.Colors.Entries[static_cast<std::size_t>(i)];
        palette[static_cast<std::size_t>(i)] = RGB(rgb[0], rgb[1], rgb[2]);
      } else {
        palette[static_cast<std::size_t>(i)] = RGB(128, 128, 128);
      }
    }
  // A value keeps the bits the depth holds, as the rows of a device-independent bitmap would.
  std::array<std::uint32_t, 256> colors{};
  for (int v = 0; v < 256; ++v) {
    const COLORREF c = palette[static_cast<std::size_t>(v & (entries - 1))];
    colors[static_cast<std::size_t>(v)] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
  }

  gif::TDecodeJob job;
  job.Encoded = &item.EncodedData;
  job.Width = width;
  job.Height = height;
  job.ColorBits = item.BitsPerPixel;
  job.AllowDamaged = AllowDamagedGIF;
  if (FOwner->OnProgress) {
    const double total = static_cast<double>(item.EncodedData.size());
    job.Progress = [this, total](std::size_t position) {
      FOwner->FrameProgress(psRunning, static_cast<Byte>(std::lround(static_cast<double>(position) / total * 100)), AnsiString());
    };
  }
  std::unique_ptr<TGdiBitmap> bitmap;
  FOwner->FrameProgress(psStarting, 0, AnsiString());
  try {
    // Codes that cannot fill the frame are run once without pixels first: only data that ends as
    // it should (an end code before the last row) gets the frame's memory; data that runs out
    // fails before anything is allocated.
    if (gif::MaxDecodedPixels(item.EncodedData) < static_cast<long long>(width) * height) {
      gif::TDecodeJob dry = job;
      dry.Progress = nullptr;
      (void)gif::DecodeLZW(dry);
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // Every value is written by the decoder, so the buffer is not cleared first.
    auto values = std::make_unique_for_overwrite<Byte[]>(count);
    job.Values = values.get();
    Corrupted = gif::DecodeLZW(job) || Corrupted;
    // The bitmap keeps the values and makes its pixels from them when they are first needed.
    std::vector<int> rows;
    if (Interlaced) {
      rows.resize(static_cast<std::size_t>(height));
      for (int n = 0; n < height; ++n) rows[static_cast<std::size_t>(n)] = gif::DecodedRowTarget(n, height, true);
    }
    bitmap = std::make_unique<TGdiBitmap>(1, 1, bpp);
    bitmap->Palette = std::move(palette);
    bitmap->SetIndexedPixels(width, height, std::move(values), std::move(rows), colors);
  } catch (const Exception& e) {
    FOwner->FrameProgress(psEnding, 0, e.Message());
    throw;
  }
  FOwner->FrameProgress(psEnding, 100, AnsiString());

  FBitmap->SetHandle(bitmap.release());
  if (!FBitmap->Monochrome()) FBitmap->SetHandleType(bmDDB);
}

}  // namespace orv
