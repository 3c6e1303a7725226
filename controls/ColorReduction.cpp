// Colour reduction of bitmaps to 8-bit palettes by histogram, median cut, fixed palettes, channel
// triples or greys, and the 1-, 4- and 24-bit copies.
#include "controls/ColorReduction.h"

#include <algorithm>
#include <array>
#include "controls/OrvHelpers.h"

namespace orv {

Byte DefaultReductionMethod = rmHistogram;

namespace {

constexpr Byte kLevels4[4] = {0, 85, 170, 255};
constexpr Byte kLevels6[6] = {0, 51, 102, 153, 204, 255};
constexpr Byte kLevels7[7] = {0, 43, 85, 128, 170, 213, 255};
constexpr Byte kLevels8[8] = {0, 36, 73, 109, 146, 182, 219, 255};

struct TLevelTables {
  std::array<Byte, 256> Nearest4{}, Nearest6{}, Nearest7{}, Nearest8{};
};

void Build(std::array<Byte, 256>& table, const Byte* levels, int count) {
  for (int v = 0; v < 256; ++v) {
    int best = 0;
    for (int i = 1; i < count; ++i)
      if (std::abs(v - levels[i]) < std::abs(v - levels[best])) best = i;
    table[static_cast<std::size_t>(v)] = static_cast<Byte>(best);
  }
}

const TLevelTables& Tables() {
  static const TLevelTables tables = [] {
    TLevelTables t;
    Build(t.Nearest4, kLevels4, 4);
    Build(t.Nearest6, kLevels6, 6);
    Build(t.Nearest7, kLevels7, 7);
    Build(t.Nearest8, kLevels8, 8);
    return t;
  }();
  return tables;
}

// An 8-bit reduction: one palette index per pixel (bottom-up rows) and the palette.
struct TIndexed {
  int Width = 0, Height = 0;
  std::vector<Byte> Indices;             // Width * Height, row 0 = bottom row
  std::array<COLORREF, 256> Palette{};   // unused entries black
  std::uint32_t ColorsUsed = 0;          // 0: all 256
};

// The 24-bit pixels as 0x00BBGGRR, bottom row first.
struct TPixels {
  int Width = 0, Height = 0;
  std::vector<COLORREF> Data;
  COLORREF At(int x, int storageRow) const { return Data[static_cast<std::size_t>(storageRow) * Width + x]; }
};

TPixels ReadPixels(TBitmap& bitmap) {
  TBitmap copy;
  copy.Assign(&bitmap);
  copy.SetPixelFormat(pf24bit);
  TPixels p;
  p.Width = copy.Width();
  p.Height = copy.Height();
  p.Data.resize(static_cast<std::size_t>(p.Width) * p.Height);
  for (int y = 0; y < p.Height; ++y) {
    const std::uint32_t* row = copy.PixelRow(y);
    COLORREF* out = p.Data.data() + static_cast<std::size_t>(p.Height - 1 - y) * p.Width;
    for (int x = 0; x < p.Width; ++x) {
      const std::uint32_t c = row[x];
      out[x] = ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16);
    }
  }
  return p;
}

long Distance(COLORREF a, COLORREF b) {
  const long dr = GetRValue(a) - GetRValue(b), dg = GetGValue(a) - GetGValue(b), db = GetBValue(a) - GetBValue(b);
  return dr * dr + dg * dg + db * db;
}

// The transparent colour of a reduction: its pixels get a palette entry of their own that no other
// pixel shares, so that what was transparent stays transparent.
struct TKeep {
  bool Active = false;
  COLORREF Color = 0;
};

// Sums of the original colours per palette entry, for entries that show the mean of what they
// stand for.
struct TColorSums {
  std::array<std::array<long long, 3>, 256> Sum{};
  std::array<long long, 256> Count{};
  void Add(Byte index, COLORREF c) {
    auto& s = Sum[index];
    s[0] += GetRValue(c);
    s[1] += GetGValue(c);
    s[2] += GetBValue(c);
    ++Count[index];
  }
  void SetMeans(std::array<COLORREF, 256>& palette, int entries) const {
    for (int e = 0; e < entries; ++e) {
      const long long n = Count[static_cast<std::size_t>(e)];
      if (n == 0) continue;
      const auto& s = Sum[static_cast<std::size_t>(e)];
      auto mean = [n](long long sum) { return static_cast<Byte>((sum + n / 2) / n); };
      palette[static_cast<std::size_t>(e)] = RGB(mean(s[0]), mean(s[1]), mean(s[2]));
    }
  }
};

// Gives the kept colour the entry `entry` and its pixels that index. Any other entry that shows
// the same colour moves one step in blue, so the kept colour's entry is the only one of its colour.
void KeepColor(TIndexed& out, const TPixels& p, const TKeep& keep, int entry) {
  const auto index = static_cast<Byte>(entry);
  for (std::size_t i = 0; i < p.Data.size(); ++i)
    if (p.Data[i] == keep.Color) out.Indices[i] = index;
  for (std::size_t e = 0; e < out.Palette.size(); ++e) {
    if (out.Palette[e] != keep.Color) continue;
    const Byte b = GetBValue(keep.Color);
    out.Palette[e] = RGB(GetRValue(keep.Color), GetGValue(keep.Color), static_cast<Byte>(b == 255 ? 254 : b + 1));
  }
  out.Palette[index] = keep.Color;
}

// ----- histogram -----

constexpr int kHashSlots = 5191;
constexpr int kMaxColors = 2049;

struct THistogram {
  Byte MaskR = 255, MaskG = 255, MaskB = 255;
  std::vector<int> Slots;                 // index into Colors, -1 empty
  std::vector<COLORREF> Colors;           // masked, in the order first seen
  std::vector<long long> Counts;

  COLORREF Mask(COLORREF c) const {
    return RGB(static_cast<Byte>(GetRValue(c) & MaskR), static_cast<Byte>(GetGValue(c) & MaskG),
               static_cast<Byte>(GetBValue(c) & MaskB));
  }
  static int Hash(COLORREF m) {
    const long r = GetRValue(m), g = GetGValue(m), b = GetBValue(m);
    return static_cast<int>(((r + g) * (b + g) * (r + b)) % kHashSlots);
  }
  // The slot of the masked colour: its own or the empty one where it belongs.
  int Find(COLORREF m) const {
    int slot = Hash(m);
    while (Slots[static_cast<std::size_t>(slot)] >= 0 && Colors[static_cast<std::size_t>(Slots[static_cast<std::size_t>(slot)])] != m)
      slot = (slot + 1) % kHashSlots;
    return slot;
  }
  // False when a new colour would be one too many.
  bool Count(const TPixels& p, const TKeep& keep) {
    Slots.assign(kHashSlots, -1);
    Colors.clear();
    Counts.clear();
    for (COLORREF c : p.Data) {
      if (keep.Active && c == keep.Color) continue;
      const COLORREF m = Mask(c);
      const int slot = Find(m);
      int& entry = Slots[static_cast<std::size_t>(slot)];
      if (entry < 0) {
        if (static_cast<int>(Colors.size()) >= kMaxColors) return false;
        entry = static_cast<int>(Colors.size());
        Colors.push_back(m);
        Counts.push_back(0);
      }
      ++Counts[static_cast<std::size_t>(entry)];
    }
    return true;
  }
  // Takes one more bit off one channel: green when red keeps fewer bits than green, else red when
  // red keeps more than blue, else blue.
  bool Coarsen() {
    auto drop = [](Byte& mask) {
      if (mask == 0) return false;
      mask = static_cast<Byte>(mask & (mask - 1));
      return true;
    };
    if (MaskR < MaskG) return drop(MaskG);
    if (MaskR > MaskB) return drop(MaskR);
    return drop(MaskB);
  }
};

TIndexed Histogram(const TPixels& p, const TKeep& keep) {
  THistogram h;
  while (!h.Count(p, keep))
    if (!h.Coarsen()) break;
  TIndexed out;
  out.Palette.fill(RGB(128, 128, 128));
  const int limit = keep.Active ? 255 : 256;
  std::vector<bool> taken(h.Colors.size(), false);
  int chosen = 0;
  for (; chosen < limit; ++chosen) {
    int best = -1;
    for (std::size_t i = 0; i < h.Colors.size(); ++i)
      if (!taken[i] && (best < 0 || h.Counts[i] > h.Counts[static_cast<std::size_t>(best)])) best = static_cast<int>(i);
    if (best < 0) break;
    taken[static_cast<std::size_t>(best)] = true;
    out.Palette[static_cast<std::size_t>(chosen)] = h.Colors[static_cast<std::size_t>(best)];
  }
  // Each counted colour to its nearest chosen entry, then every pixel through its colour.
  std::vector<Byte> entryOf(h.Colors.size(), 0);
  for (std::size_t i = 0; i < h.Colors.size(); ++i) {
    int best = 0;
    long bestDistance = -1;
    for (int e = 0; e < chosen; ++e) {
      const long d = Distance(h.Colors[i], out.Palette[static_cast<std::size_t>(e)]);
      if (bestDistance < 0 || d < bestDistance) {
        bestDistance = d;
        best = e;
      }
    }
    entryOf[i] = static_cast<Byte>(best);
  }
  out.Indices.resize(p.Data.size());
  TColorSums sums;
  for (std::size_t i = 0; i < p.Data.size(); ++i) {
    const COLORREF c = p.Data[i];
    if (keep.Active && c == keep.Color) continue;
    const int slot = h.Find(h.Mask(c));
    const int entry = h.Slots[static_cast<std::size_t>(slot)];
    const Byte index = entry >= 0 ? entryOf[static_cast<std::size_t>(entry)] : 0;
    out.Indices[i] = index;
    sums.Add(index, c);
  }
  // Once bits were dropped an entry stands for a box of colours, so it shows the mean of those
  // mapped to it rather than the low end of its box. While every colour was counted exactly, each
  // entry is a colour of the picture itself.
  if (h.MaskR != 255 || h.MaskG != 255 || h.MaskB != 255) sums.SetMeans(out.Palette, chosen);
  if (keep.Active) KeepColor(out, p, keep, chosen);
  return out;
}

// ----- median cut -----

struct TCell {
  int Index;  // r << 8 | g << 4 | b, 4 bits each
  long long Count;
  int Channel(int c) const { return (Index >> (8 - 4 * c)) & 0xF; }
};

TIndexed MedianCut(const TPixels& p, const TKeep& keep) {
  std::vector<long long> histogram(4096, 0);
  auto cellOf = [](COLORREF c) { return ((GetRValue(c) >> 4) << 8) | ((GetGValue(c) >> 4) << 4) | (GetBValue(c) >> 4); };
  for (COLORREF c : p.Data)
    if (!(keep.Active && c == keep.Color)) ++histogram[static_cast<std::size_t>(cellOf(c))];
  const std::size_t limit = keep.Active ? 255 : 256;
  std::vector<std::vector<TCell>> boxes(1);
  for (int i = 0; i < 4096; ++i)
    if (histogram[static_cast<std::size_t>(i)] > 0) boxes[0].push_back({i, histogram[static_cast<std::size_t>(i)]});
  auto extent = [](const std::vector<TCell>& box, int channel) {
    int lo = 15, hi = 0;
    for (const TCell& cell : box) {
      lo = std::min(lo, cell.Channel(channel));
      hi = std::max(hi, cell.Channel(channel));
    }
    return hi - lo;
  };
  while (boxes.size() < limit) {
    int bestBox = -1, bestChannel = 0, bestExtent = -1;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
      if (boxes[b].size() < 2) continue;
      for (int c = 0; c < 3; ++c) {
        const int e = extent(boxes[b], c);
        if (e > bestExtent) {
          bestExtent = e;
          bestBox = static_cast<int>(b);
          bestChannel = c;
        }
      }
    }
    if (bestBox < 0) break;
    std::vector<TCell>& box = boxes[static_cast<std::size_t>(bestBox)];
    std::stable_sort(box.begin(), box.end(),
                     [&](const TCell& a, const TCell& b) { return a.Channel(bestChannel) < b.Channel(bestChannel); });
    long long total = 0;
    for (const TCell& cell : box) total += cell.Count;
    long long running = 0;
    std::size_t cut = 0;
    while (cut < box.size() - 1) {
      running += box[cut].Count;
      ++cut;
      if (running * 2 >= total) break;
    }
    std::vector<TCell> upper(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
  }
  TIndexed out;
  std::vector<Byte> boxOfCell(4096, 0);
  for (std::size_t b = 0; b < boxes.size(); ++b)
    for (const TCell& cell : boxes[b]) boxOfCell[static_cast<std::size_t>(cell.Index)] = static_cast<Byte>(b);
  // A box's entry is the mean of the pixels in it.
  out.Indices.resize(p.Data.size());
  TColorSums sums;
  for (std::size_t i = 0; i < p.Data.size(); ++i) {
    const COLORREF c = p.Data[i];
    if (keep.Active && c == keep.Color) continue;
    const Byte index = boxOfCell[static_cast<std::size_t>(cellOf(c))];
    out.Indices[i] = index;
    sums.Add(index, c);
  }
  const int count = boxes[0].empty() ? 0 : static_cast<int>(boxes.size());
  sums.SetMeans(out.Palette, count);
  out.ColorsUsed = static_cast<std::uint32_t>(count);
  if (keep.Active) {
    KeepColor(out, p, keep, count);
    out.ColorsUsed = static_cast<std::uint32_t>(count + 1);
  }
  return out;
}

// ----- fixed palettes, channel triples, greys -----

TIndexed Fixed224(const TPixels& p, const TKeep& keep) {
  const TLevelTables& t = Tables();
  TIndexed out;
  for (int r = 0; r < 7; ++r)
    for (int g = 0; g < 8; ++g)
      for (int b = 0; b < 4; ++b) out.Palette[static_cast<std::size_t>(r * 32 + g * 4 + b)] = RGB(kLevels7[r], kLevels8[g], kLevels4[b]);
  out.ColorsUsed = 224;
  out.Indices.resize(p.Data.size());
  for (std::size_t i = 0; i < p.Data.size(); ++i) {
    const COLORREF c = p.Data[i];
    out.Indices[i] = static_cast<Byte>(t.Nearest7[static_cast<std::size_t>(GetRValue(c))] * 32 +
                                       t.Nearest8[static_cast<std::size_t>(GetGValue(c))] * 4 +
                                       t.Nearest4[static_cast<std::size_t>(GetBValue(c))]);
  }
  if (keep.Active) {
    KeepColor(out, p, keep, 224);
    out.ColorsUsed = 225;
  }
  return out;
}

TIndexed Fixed216(const TPixels& p, const TKeep& keep) {
  const TLevelTables& t = Tables();
  TIndexed out;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) out.Palette[static_cast<std::size_t>(r * 36 + g * 6 + b)] = RGB(kLevels6[r], kLevels6[g], kLevels6[b]);
  out.ColorsUsed = 216;
  out.Indices.resize(p.Data.size());
  for (std::size_t i = 0; i < p.Data.size(); ++i) {
    const COLORREF c = p.Data[i];
    out.Indices[i] = static_cast<Byte>(t.Nearest6[static_cast<std::size_t>(GetRValue(c))] * 36 +
                                       t.Nearest6[static_cast<std::size_t>(GetGValue(c))] * 6 +
                                       t.Nearest6[static_cast<std::size_t>(GetBValue(c))]);
  }
  if (keep.Active) {
    KeepColor(out, p, keep, 216);
    out.ColorsUsed = 217;
  }
  return out;
}

TIndexed ChannelTriples(const TPixels& p, const TKeep& keep) {
  TIndexed out;
  for (int i = 0; i < 64; ++i) {
    const auto v = static_cast<Byte>(i * 4);
    out.Palette[static_cast<std::size_t>(i)] = RGB(v, 0, 0);
    out.Palette[static_cast<std::size_t>(64 + i)] = RGB(0, v, 0);
    out.Palette[static_cast<std::size_t>(128 + i)] = RGB(0, 0, v);
  }
  out.Indices.resize(p.Data.size());
  for (int row = 0; row < p.Height; ++row)
    for (int x = 0; x < p.Width; ++x) {
      const COLORREF c = p.At(x, row);
      int index;
      switch ((row + x) % 3) {
        case 0: index = GetRValue(c) / 4; break;
        case 1: index = GetGValue(c) / 4 + 64; break;
        default: index = GetBValue(c) / 4 + 128; break;
      }
      out.Indices[static_cast<std::size_t>(row) * p.Width + x] = static_cast<Byte>(index);
    }
  if (keep.Active) {
    KeepColor(out, p, keep, 192);
  }
  return out;
}

Byte Grey(COLORREF c) { return static_cast<Byte>((GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29) / 256); }

TIndexed Grayscale(const TPixels& p, const TKeep& keep) {
  TIndexed out;
  for (int i = 0; i < 256; ++i) out.Palette[static_cast<std::size_t>(i)] = RGB(static_cast<Byte>(i), static_cast<Byte>(i), static_cast<Byte>(i));
  out.Indices.resize(p.Data.size());
  std::array<long long, 256> used{};
  for (std::size_t i = 0; i < p.Data.size(); ++i) {
    out.Indices[i] = Grey(p.Data[i]);
    if (!(keep.Active && p.Data[i] == keep.Color)) ++used[out.Indices[i]];
  }
  if (keep.Active) {
    // Every entry is a grey: the kept colour takes the least used one, whose pixels go to the
    // grey next to it.
    const auto spare = static_cast<std::size_t>(std::min_element(used.begin(), used.end()) - used.begin());
    if (used[spare] > 0) {
      const auto next = static_cast<Byte>(spare == 255 ? 254 : spare + 1);
      for (Byte& index : out.Indices)
        if (index == spare) index = next;
    }
    KeepColor(out, p, keep, static_cast<int>(spare));
  }
  return out;
}

void Put16(std::vector<Byte>& v, std::uint32_t x) {
  v.push_back(static_cast<Byte>(x));
  v.push_back(static_cast<Byte>(x >> 8));
}
void Put32(std::vector<Byte>& v, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<Byte>(x >> (8 * i)));
}

void PutHeaders(std::vector<Byte>& file, int width, int height, int bpp, std::size_t paletteEntries,
                std::size_t imageSize, std::uint32_t colorsUsed) {
  const std::size_t offset = 14 + 40 + 4 * paletteEntries;
  file.push_back('B');
  file.push_back('M');
  Put32(file, static_cast<std::uint32_t>(offset + imageSize));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(offset));
  Put32(file, 40);
  Put32(file, static_cast<std::uint32_t>(width));
  Put32(file, static_cast<std::uint32_t>(height));
  Put16(file, 1);
  Put16(file, static_cast<std::uint32_t>(bpp));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(imageSize));
  Put32(file, 0);
  Put32(file, 0);
  Put32(file, colorsUsed);
  Put32(file, 0);
}

std::unique_ptr<TMemoryStream> IndexedFile(const TIndexed& image) {
  const std::size_t stride = (static_cast<std::size_t>(image.Width) + 3) & ~std::size_t{3};
  const std::size_t imageSize = stride * static_cast<std::size_t>(image.Height);
  std::vector<Byte> file;
  file.reserve(14 + 40 + 1024 + imageSize);
  PutHeaders(file, image.Width, image.Height, 8, 256, imageSize, image.ColorsUsed);
  for (COLORREF c : image.Palette) {
    file.push_back(static_cast<Byte>(GetBValue(c)));
    file.push_back(static_cast<Byte>(GetGValue(c)));
    file.push_back(static_cast<Byte>(GetRValue(c)));
    file.push_back(0);
  }
  for (int row = 0; row < image.Height; ++row) {
    const Byte* in = image.Indices.data() + static_cast<std::size_t>(row) * image.Width;
    file.insert(file.end(), in, in + image.Width);
    file.resize(file.size() + stride - static_cast<std::size_t>(image.Width), 0);
  }
  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer(file.data(), static_cast<Int64>(file.size()));
  stream->SetPosition(0);
  return stream;
}

std::unique_ptr<TMemoryStream> FileOf(TBitmap& bitmap) {
  auto stream = std::make_unique<TMemoryStream>();
  bitmap.SaveToStream(*stream);
  stream->SetPosition(0);
  return stream;
}

}  // namespace

void InitColorReductionTables() { (void)Tables(); }

int NearestLevel(int levels, int value) {
  const TLevelTables& t = Tables();
  const auto v = static_cast<std::size_t>(std::clamp(value, 0, 255));
  switch (levels) {
    case 4: return t.Nearest4[v];
    case 6: return t.Nearest6[v];
    case 7: return t.Nearest7[v];
    case 8: return t.Nearest8[v];
    default: return 0;
  }
}

std::unique_ptr<TMemoryStream> ReduceBitmap(TBitmap& bitmap, TPixelFormat format, Byte method, TColor transparent) {
  if (!bitmap.HandleAllocated() || bitmap.Empty()) throw EInvalidGraphic("Bitmap ist ung\xFC" "ltig");
  if (bitmap.PixelFormat() == format && method != rmGrayscale) return FileOf(bitmap);
  if (format != pf1bit && format != pf4bit && format != pf8bit && format != pf24bit) ReportNotImplemented();
  if (format == pf1bit || format == pf4bit) {
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(format);
    return FileOf(copy);
  }
  const TPixels pixels = ReadPixels(bitmap);
  if (format == pf24bit) {
    // More than 256 colours keep their 24 bits; only the grey method changes them.
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf24bit);
    if (method == rmGrayscale)
      for (int y = 0; y < copy.Height(); ++y) {
        std::uint32_t* row = copy.PixelRow(y);
        for (int x = 0; x < copy.Width(); ++x) {
          const std::uint32_t c = row[x];
          const Byte g = Grey(((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16));
          row[x] = 0xFF000000u | (static_cast<std::uint32_t>(g) * 0x010101u);
        }
      }
    return FileOf(copy);
  }
  TKeep keep;
  if (transparent != clNone) {
    keep.Active = true;
    keep.Color = ColorToRGB(transparent) & 0xFFFFFF;
  }
  TIndexed image;
  switch (method) {
    case rmMedianCut: image = MedianCut(pixels, keep); break;
    case rmFixed224: image = Fixed224(pixels, keep); break;
    case rmFixed216: image = Fixed216(pixels, keep); break;
    case rmChannelTriples: image = ChannelTriples(pixels, keep); break;
    case rmGrayscale: image = Grayscale(pixels, keep); break;
    default: image = Histogram(pixels, keep); break;
  }
  image.Width = pixels.Width;
  image.Height = pixels.Height;
  return IndexedFile(image);
}

std::unique_ptr<TMemoryStream> ReduceToColors(TBitmap& bitmap, int colors) {
  TPixelFormat format = pf8bit;
  if (colors <= 2) format = pf1bit;
  else if (colors <= 16) format = pf4bit;
  else if (colors > 256) format = pf24bit;
  return ReduceBitmap(bitmap, format, DefaultReductionMethod, bitmap.Transparent() ? bitmap.TransparentColor() : clNone);
}

void DecreaseBitmapColors(TBitmap* bitmap, int colors) {
  if (bitmap == nullptr || colors <= 0) return;
  std::unique_ptr<TMemoryStream> reduced = ReduceToColors(*bitmap, colors);
  bitmap->LoadFromStream(*reduced);
}

}  // namespace orv
