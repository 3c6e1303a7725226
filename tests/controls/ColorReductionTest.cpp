// Colour reduction: the nearest-level tables, each 8-bit method's palette and indices, the depth a
// colour count asks for, and the failures.
#include "tests/controls/ControlsFixture.h"

#include <algorithm>
#include "controls/ColorReduction.h"

namespace orv::test {
namespace {

class ColorReductionTest : public ControlsTest {};

std::unique_ptr<TBitmap> Pixels24(int w, int h, const std::vector<COLORREF>& colours) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (int i = 0; i < w * h; ++i) b->SetPixelRGB(i % w, i / w, colours[static_cast<std::size_t>(i) % colours.size()]);
  return b;
}

struct TReduced {
  std::vector<Byte> File;
  std::unique_ptr<TBitmap> Owned = std::make_unique<TBitmap>();
  TBitmap& Bitmap() const { return *Owned; }
  std::uint32_t ColorsUsed() const { return File[46] | (File[47] << 8) | (File[48] << 16) | (File[49] << 24); }
  int Bpp() const { return File[28]; }
  // The palette entry a pixel's index names (8-bit files: bottom-up rows, 4-byte aligned).
  int Index(int x, int y) const {
    const int w = Bitmap().Width(), h = Bitmap().Height();
    const std::size_t offset = File[10] | (File[11] << 8);
    const std::size_t stride = (static_cast<std::size_t>(w) + 3) & ~std::size_t{3};
    return File[offset + stride * static_cast<std::size_t>(h - 1 - y) + static_cast<std::size_t>(x)];
  }
  COLORREF Entry(int index) const {
    const Byte* e = File.data() + 54 + 4 * index;
    return RGB(e[2], e[1], e[0]);
  }
};

TReduced Reduce(TBitmap& bitmap, TPixelFormat format, Byte method) {
  TReduced r;
  std::unique_ptr<TMemoryStream> file = ReduceBitmap(bitmap, format, method);
  const auto* bytes = static_cast<const Byte*>(file->Memory());
  r.File.assign(bytes, bytes + file->Size());
  file->SetPosition(0);
  r.Bitmap().LoadFromStream(*file);
  return r;
}

TEST_F(ColorReductionTest, NearestLevelsGoToTheLowerOneOnTies) {
  InitColorReductionTables();
  struct TCase {
    int Levels, Value, Index;
  };
  const TCase cases[] = {{4, 0, 0},  {4, 42, 0}, {4, 43, 1},  {4, 255, 3}, {6, 25, 0}, {6, 26, 1},
                         {6, 230, 5}, {7, 64, 1}, {7, 65, 2},  {7, 149, 3}, {8, 18, 0}, {8, 19, 1},
                         {8, 237, 6}, {8, 238, 7}, {7, 234, 5}, {7, 235, 6}};
  for (const TCase& c : cases) EXPECT_EQ(NearestLevel(c.Levels, c.Value), c.Index) << c.Levels << " levels, " << c.Value;
}

TEST_F(ColorReductionTest, HistogramTakesTheMostFrequentColoursFirst) {
  // Blue 3 times, red twice, white once.
  auto bitmap = Pixels24(6, 1, {RGB(0, 0, 255), RGB(255, 0, 0), RGB(0, 0, 255), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 255)});
  TReduced r = Reduce(*bitmap, pf8bit, rmHistogram);
  EXPECT_EQ(r.Bpp(), 8);
  EXPECT_EQ(r.Entry(0), RGB(0, 0, 255));
  EXPECT_EQ(r.Entry(1), RGB(255, 0, 0));
  EXPECT_EQ(r.Entry(2), RGB(255, 255, 255));
  EXPECT_EQ(r.Entry(3), RGB(128, 128, 128)) << "unused entries are grey";
  EXPECT_EQ(r.Index(3, 0), 2);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(r.Bitmap().PixelRGB(x, 0), bitmap->PixelRGB(x, 0));
}

TEST_F(ColorReductionTest, HistogramCoarsensItsCountsBeyond2049Colours) {
  // 4096 distinct colours: the counting starts over with fewer bits until they fit.
  std::vector<COLORREF> colours;
  for (int i = 0; i < 4096; ++i) colours.push_back(RGB(static_cast<Byte>(i & 0xFF), static_cast<Byte>((i >> 4) * 16), static_cast<Byte>((i >> 8) * 16)));
  auto bitmap = Pixels24(64, 64, colours);
  TReduced r = Reduce(*bitmap, pf8bit, rmHistogram);
  ASSERT_EQ(r.Bitmap().Width(), 64);
  // Blue loses its lowest bit first (no help here: its values are multiples of 16), then red,
  // after which 2048 colours are left, each standing for two reds 2k and 2k + 1: every palette
  // entry shows their mean, rounded up to the odd one.
  for (int i = 0; i < 256; ++i) EXPECT_EQ(GetRValue(r.Entry(i)) & 1, 1) << i;
  // Counts are equal; the first colour counted wins, the bottom-left pixel's (192, 192, 240).
  EXPECT_EQ(r.Entry(0), RGB(193, 192, 240));
}

TEST_F(ColorReductionTest, HistogramEntriesAreExactColoursWhileNothingWasCoarsened) {
  // 1145 white pixels, 150 of (250, 250, 250) and 255 far colours of 151 pixels each: 257 colours,
  // counted exactly. The near grey is left out and maps to white, whose entry stays white.
  std::vector<COLORREF> colours(1145, RGB(255, 255, 255));
  colours.insert(colours.end(), 150, RGB(250, 250, 250));
  for (int k = 0; k < 255; ++k) colours.insert(colours.end(), 151, RGB(static_cast<Byte>(k), 0, static_cast<Byte>(255 - k)));
  ASSERT_EQ(colours.size(), 200u * 199u);
  auto bitmap = Pixels24(200, 199, colours);
  TReduced r = Reduce(*bitmap, pf8bit, rmHistogram);
  EXPECT_EQ(r.Entry(0), RGB(255, 255, 255)) << "not moved towards the grey it stands for as well";
  const int grey = static_cast<int>(std::find(colours.begin(), colours.end(), RGB(250, 250, 250)) - colours.begin());
  EXPECT_EQ(r.Index(grey % 200, grey / 200), 0);
  for (int e = 0; e < 256; ++e)
    EXPECT_NE(std::find(colours.begin(), colours.end(), r.Entry(e)), colours.end()) << "entry " << e << " is no colour of the picture";
}

TEST_F(ColorReductionTest, MedianCutBoxesTheColours) {
  auto bitmap = Pixels24(4, 1, {RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 0, 0), RGB(255, 0, 0)});
  TReduced r = Reduce(*bitmap, pf8bit, rmMedianCut);
  EXPECT_EQ(r.ColorsUsed(), 2u) << "one box per colour here";
  const int red = r.Index(0, 0), black = r.Index(2, 0);
  EXPECT_NE(red, black);
  EXPECT_EQ(r.Entry(red), RGB(255, 0, 0)) << "a box's colour is the mean of its pixels";
  EXPECT_EQ(r.Entry(black), RGB(0, 0, 0));
}

TEST_F(ColorReductionTest, MedianCutSplitsOnUntilEveryBoxIsOneCellOrThePaletteIsFull) {
  // Five colours in five cells, of different counts along every channel: a box each.
  const std::vector<COLORREF> five = {RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 255, 0),
                                      RGB(0, 0, 255), RGB(0, 0, 0),   RGB(255, 255, 255)};
  auto small = Pixels24(8, 1, five);
  TReduced r = Reduce(*small, pf8bit, rmMedianCut);
  EXPECT_EQ(r.ColorsUsed(), 5u);
  std::vector<int> indices;
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(r.Entry(r.Index(x, 0)), five[static_cast<std::size_t>(x)]) << x;
    indices.push_back(r.Index(x, 0));
  }
  std::sort(indices.begin(), indices.end());
  EXPECT_EQ(std::unique(indices.begin(), indices.end()) - indices.begin(), 5);

  // Every one of the 4096 cells once: boxes are halved at their medians, the one of the widest
  // extent first, so once the palette is full the last 64 halvings have made 128 boxes of 8 cells
  // out of 64 of 16, and 64 boxes of 32 cells are left; every entry lies close to its pixels.
  std::vector<COLORREF> cube;
  for (int i = 0; i < 4096; ++i)
    cube.push_back(RGB(static_cast<Byte>((i >> 8) * 16), static_cast<Byte>(((i >> 4) & 15) * 16), static_cast<Byte>((i & 15) * 16)));
  auto all = Pixels24(64, 64, cube);
  TReduced c = Reduce(*all, pf8bit, rmMedianCut);
  EXPECT_EQ(c.ColorsUsed(), 256u);
  std::vector<int> perEntry(256, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int index = c.Index(x, y);
      ++perEntry[static_cast<std::size_t>(index)];
      const COLORREF a = all->PixelRGB(x, y), b = c.Entry(index);
      EXPECT_LE(std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) + std::abs(GetBValue(a) - GetBValue(b)), 64)
          << x << "," << y;
    }
  std::sort(perEntry.begin(), perEntry.end());
  std::vector<int> expected(128, 8);
  expected.insert(expected.end(), 64, 16);
  expected.insert(expected.end(), 64, 32);
  EXPECT_EQ(perEntry, expected) << "the boxes split at their medians";
}

// A picture of many colours, as a photograph has: smooth gradients with a little noise, far more
// than the histogram counts before it coarsens.
std::unique_ptr<TBitmap> Photograph(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  unsigned seed = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) % 9) - 4;
      auto clampByte = [](int v) { return static_cast<Byte>(std::clamp(v, 0, 255)); };
      b->SetPixelRGB(x, y, RGB(clampByte(x * 255 / (w - 1) + noise), clampByte(y * 255 / (h - 1) - noise),
                               clampByte((x + y) * 255 / (w + h - 2) + noise / 2)));
    }
  return b;
}

TEST_F(ColorReductionTest, AdaptivePalettesShowTheMeanOfWhatTheyStandFor) {
  // Entries at the low or high end of their boxes shift the whole picture by several levels; the
  // mean keeps every channel's average error under one level.
  auto bitmap = Photograph(96, 80);
  for (Byte method : {rmHistogram, rmMedianCut}) {
    TReduced r = Reduce(*bitmap, pf8bit, method);
    long long error[3] = {0, 0, 0};
    for (int y = 0; y < bitmap->Height(); ++y)
      for (int x = 0; x < bitmap->Width(); ++x) {
        const COLORREF a = bitmap->PixelRGB(x, y), b = r.Entry(r.Index(x, y));
        error[0] += GetRValue(b) - GetRValue(a);
        error[1] += GetGValue(b) - GetGValue(a);
        error[2] += GetBValue(b) - GetBValue(a);
      }
    const double pixels = static_cast<double>(bitmap->Width()) * bitmap->Height();
    for (int c = 0; c < 3; ++c) EXPECT_LT(std::abs(error[c] / pixels), 1.0) << "method " << int(method) << ", channel " << c;
  }
}

TEST_F(ColorReductionTest, TheTransparentColourKeepsAnEntryOfItsOwn) {
  // Every method: the pixels of the transparent colour, and only they, name the one entry that
  // holds exactly that colour, even where the method's own palette has no such colour (a histogram
  // that coarsens, fixed levels, greys) or has it already (white in every palette here).
  auto photograph = Photograph(80, 60);
  auto greys = Pixels24(16, 16, {RGB(0, 0, 0)});
  for (int i = 0; i < 256; ++i) greys->SetPixelRGB(i % 16, i / 16, RGB(static_cast<Byte>(i), static_cast<Byte>(i), static_cast<Byte>(i)));
  struct TCase {
    TBitmap* Bitmap;
    COLORREF Transparent;
  };
  const TCase cases[] = {{photograph.get(), RGB(253, 3, 251)}, {photograph.get(), RGB(255, 255, 255)},
                         {greys.get(), RGB(77, 77, 77)}, {greys.get(), RGB(255, 0, 255)}};
  for (const TCase& c : cases) {
    TBitmap& bitmap = *c.Bitmap;
    std::vector<bool> transparent(static_cast<std::size_t>(bitmap.Width()) * bitmap.Height());
    for (int i = 0; i < bitmap.Width() * bitmap.Height(); i += 7) {
      bitmap.SetPixelRGB(i % bitmap.Width(), i / bitmap.Width(), c.Transparent);
      transparent[static_cast<std::size_t>(i)] = true;
    }
    for (Byte method : {rmHistogram, rmMedianCut, rmFixed224, rmFixed216, rmChannelTriples, rmGrayscale}) {
      TReduced r;
      std::unique_ptr<TMemoryStream> file = ReduceBitmap(bitmap, pf8bit, method, static_cast<TColor>(c.Transparent));
      const auto* bytes = static_cast<const Byte*>(file->Memory());
      r.File.assign(bytes, bytes + file->Size());
      file->SetPosition(0);
      r.Bitmap().LoadFromStream(*file);
      const int entries = r.ColorsUsed() ? static_cast<int>(r.ColorsUsed()) : 256;
      int entry = -1;
      for (int e = 0; e < entries; ++e)
        if (r.Entry(e) == c.Transparent) {
          EXPECT_LT(entry, 0) << "a second entry " << e << " of the colour, method " << int(method);
          entry = e;
        }
      ASSERT_GE(entry, 0) << "method " << int(method) << ", colour " << std::hex << c.Transparent;
      int kept = 0, others = 0;
      for (int i = 0; i < bitmap.Width() * bitmap.Height(); ++i) {
        const bool named = r.Index(i % bitmap.Width(), i / bitmap.Width()) == entry;
        if (transparent[static_cast<std::size_t>(i)]) kept += named;
        else others += named;
      }
      EXPECT_EQ(kept, static_cast<int>(std::count(transparent.begin(), transparent.end(), true))) << "method " << int(method);
      EXPECT_EQ(others, 0) << "method " << int(method) << ", colour " << std::hex << c.Transparent;
    }
  }
}

TEST_F(ColorReductionTest, FixedPalettesChannelTriplesAndGreys) {
  auto bitmap = Pixels24(3, 2, {RGB(128, 36, 170), RGB(51, 102, 255), RGB(100, 150, 200)});
  struct TCase {
    Byte Method;
    int X, Y, Index;
    COLORREF Entry;
    std::uint32_t ColorsUsed;
  };
  const TCase cases[] = {
      {rmFixed224, 0, 0, 3 * 32 + 1 * 4 + 2, RGB(128, 36, 170), 224},
      {rmFixed216, 1, 0, 1 * 36 + 2 * 6 + 5, RGB(51, 102, 255), 216},
      {rmGrayscale, 2, 0, 140, RGB(140, 140, 140), 0},
      // Storage rows count from the bottom: (0, 1) is row 0, column 0: its red.
      {rmChannelTriples, 0, 1, 128 / 4, RGB(128, 0, 0), 0},
      {rmChannelTriples, 1, 1, 102 / 4 + 64, RGB(0, 100, 0), 0},
      {rmChannelTriples, 2, 1, 200 / 4 + 128, RGB(0, 0, 200), 0},
      {rmChannelTriples, 0, 0, 36 / 4 + 64, RGB(0, 36, 0), 0},
  };
  for (const TCase& c : cases) {
    TReduced r = Reduce(*bitmap, pf8bit, c.Method);
    EXPECT_EQ(r.Index(c.X, c.Y), c.Index) << int(c.Method) << " at " << c.X << "," << c.Y;
    EXPECT_EQ(r.Entry(c.Index), c.Entry) << int(c.Method);
    EXPECT_EQ(r.ColorsUsed(), c.ColorsUsed) << int(c.Method);
  }
}

TEST_F(ColorReductionTest, ColourCountsChooseTheDepth) {
  auto bitmap = Pixels24(4, 4, {RGB(10, 20, 30), RGB(200, 100, 50)});
  struct TCase {
    int Colors;
    int Bpp;
  };
  for (TCase c : {TCase{2, 1}, TCase{16, 4}, TCase{17, 8}, TCase{256, 8}, TCase{257, 24}}) {
    std::unique_ptr<TMemoryStream> file = ReduceToColors(*bitmap, c.Colors);
    EXPECT_EQ(static_cast<const Byte*>(file->Memory())[28], c.Bpp) << c.Colors << " colours";
  }
  // A transparent bitmap keeps its colour through the reduction.
  auto many = Photograph(70, 50);
  many->SetPixelRGB(0, 49, RGB(1, 254, 3));
  many->SetTransparent(true);
  DecreaseBitmapColors(many.get(), 256);
  EXPECT_EQ(many->PixelFormat(), pf8bit);
  EXPECT_EQ(many->PixelRGB(0, 49), RGB(1, 254, 3)) << "the bottom-left pixel names the transparent colour";

  TBitmap target;
  target.Assign(bitmap.get());
  DecreaseBitmapColors(&target, 16);
  EXPECT_EQ(target.PixelFormat(), pf4bit);
  DecreaseBitmapColors(&target, 0);
  EXPECT_EQ(target.PixelFormat(), pf4bit) << "no count, no change";
  DecreaseBitmapColors(nullptr, 16);

  TBitmap own;
  own.Assign(bitmap.get());
  own.SetPixelFormat(pf8bit);
  TMemoryStream expected;
  own.SaveToStream(expected);
  std::unique_ptr<TMemoryStream> same = ReduceBitmap(own, pf8bit, rmHistogram);
  EXPECT_EQ(same->Size(), expected.Size()) << "a bitmap of the format already is its own file";
}

TEST_F(ColorReductionTest, BitmapsWithoutPixelsAndOtherFormatsFail) {
  TBitmap empty;
  try {
    ReduceBitmap(empty, pf8bit, rmHistogram);
    ADD_FAILURE() << "reduced";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Bitmap ist ung\xFCltig");
  }
  auto bitmap = Pixels24(2, 2, {RGB(1, 2, 3)});
  EXPECT_THROW(ReduceBitmap(*bitmap, pf16bit, rmHistogram), EAbort);
  ASSERT_EQ(ColorDialogs.Asked.size(), 1u);
  EXPECT_EQ(ColorDialogs.Asked[0].Text, "Function not yet implemented");
}

}  // namespace
}  // namespace orv::test
