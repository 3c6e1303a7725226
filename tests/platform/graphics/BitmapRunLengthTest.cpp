// Run-length coded bitmaps (4 and 8 bits): runs, absolute runs, end of line, delta and end of
// picture codes, and hostile codes that try to leave the picture.
#include <gtest/gtest.h>
#include <span>
#include "GraphicsTestSupport.h"
#include "tests/platform/graphics/RunLengthFiles.h"

namespace orv {
namespace {

using test::Px;
using test::RleBmp;

// Palette entries 0..4 as COLORREF; the rest of a 16-entry palette is grey.
constexpr COLORREF kBlack = 0x000000, kRed = 0x0000FF, kLime = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;
const std::vector<COLORREF> kPalette = {kBlack, kRed, kLime, kBlue, kWhite, 0x808080, 0x808080, 0x808080,
                                        0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080};

// The pixels top row first, as palette indexes into kPalette.
using TRows = std::vector<std::vector<int>>;

void ExpectPixels(TBitmap& b, const TRows& rows, const char* what) {
  ASSERT_EQ(b.Height(), static_cast<int>(rows.size())) << what;
  ASSERT_EQ(b.Width(), static_cast<int>(rows[0].size())) << what;
  for (std::size_t y = 0; y < rows.size(); ++y)
    for (std::size_t x = 0; x < rows[y].size(); ++x)
      EXPECT_EQ(Px(b, static_cast<int>(x), static_cast<int>(y)), kPalette[static_cast<std::size_t>(rows[y][x])])
          << what << " at " << x << "," << y;
}

struct TRleCase {
  const char* What;
  std::string Codes;
  TRows Rows;
};

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

// Loads each case's codes as a picture of that depth and size, and checks its format and pixels.
void ExpectDecoded(int bits, int width, int height, TPixelFormat format, std::span<const TRleCase> cases) {
  for (const TRleCase& c : cases) {
    TStringStream s(RleBmp(bits, width, height, kPalette, c.Codes));
    TBitmap b;
    b.LoadFromStream(s);
    EXPECT_EQ(b.PixelFormat(), format) << c.What;
    ExpectPixels(b, c.Rows, c.What);
  }
}

TEST(BitmapRunLength, EightBitCodes) {
  const TRleCase cases[] = {
      {"runs, absolute run with its pad byte, delta, end of picture",
       Bytes({3, 1, 0, 0, /**/ 0, 3, 2, 3, 4, 0, 0, 0, /**/ 0, 2, 1, 0, 2, 3, 0, 1}),
       {{0, 3, 3, 0}, {2, 3, 4, 0}, {1, 1, 1, 0}}},
      {"a delta moves up rows and along", Bytes({1, 4, 0, 2, 2, 2, 1, 2, 0, 1}), {{0, 0, 0, 2}, {0, 0, 0, 0}, {4, 0, 0, 0}}},
      {"no end code: the picture ends with the codes", Bytes({4, 2}), {{0, 0, 0, 0}, {0, 0, 0, 0}, {2, 2, 2, 2}}},
      {"a run past the row's end is cut there", Bytes({200, 1, 7, 2, 0, 0, 2, 3}), {{0, 0, 0, 0}, {3, 3, 0, 0}, {1, 1, 1, 1}}},
      {"an absolute run past the row's end", Bytes({0, 6, 1, 2, 3, 4, 1, 2, 1, 3, 0, 1}), {{0, 0, 0, 0}, {0, 0, 0, 0}, {1, 2, 3, 4}}},
      {"a delta past the right edge leaves the row's rest out",
       Bytes({1, 1, 0, 2, 250, 0, 3, 2, 0, 0, 1, 4}), {{0, 0, 0, 0}, {4, 0, 0, 0}, {1, 0, 0, 0}}},
      {"a delta past the top row ends the picture", Bytes({2, 3, 0, 2, 0, 200, 4, 4}), {{0, 0, 0, 0}, {0, 0, 0, 0}, {3, 3, 0, 0}}},
      {"an end of line on the top row ends the picture",
       Bytes({1, 1, 0, 0, 1, 2, 0, 0, 1, 3, 0, 0, 4, 4}), {{3, 0, 0, 0}, {2, 0, 0, 0}, {1, 0, 0, 0}}},
      {"an absolute run cut short", Bytes({1, 2, 0, 40, 3, 3}), {{0, 0, 0, 0}, {0, 0, 0, 0}, {2, 0, 0, 0}}},
      {"a delta cut short", Bytes({1, 2, 0, 2, 1}), {{0, 0, 0, 0}, {0, 0, 0, 0}, {2, 0, 0, 0}}},
      {"indexes beyond the palette are black", Bytes({2, 200, 1, 4}), {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 4, 0}}},
  };
  ExpectDecoded(8, 4, 3, pf8bit, cases);
}

TEST(BitmapRunLength, FourBitCodes) {
  const TRleCase cases[] = {
      {"runs alternate the two nibbles", Bytes({5, 0x12, 0, 0, 3, 0x44, 0, 1}), {{4, 4, 4, 0, 0}, {1, 2, 1, 2, 1}}},
      {"absolute runs: even, odd with a pad byte", Bytes({0, 3, 0x12, 0x30, 0, 0, 0, 5, 0x34, 0x12, 0x40, 0, 0, 1}),
       {{3, 4, 1, 2, 4}, {1, 2, 3, 0, 0}}},
      {"delta, then a run", Bytes({0, 2, 3, 1, 2, 0x31}), {{0, 0, 0, 3, 1}, {0, 0, 0, 0, 0}}},
      {"a run past the row's end", Bytes({255, 0x21, 0, 0, 0, 9, 0x12, 0x34, 0x12, 0x34, 0x10, 0}),
       {{1, 2, 3, 4, 1}, {2, 1, 2, 1, 2}}},
  };
  ExpectDecoded(4, 5, 2, pf4bit, cases);
}

TEST(BitmapRunLength, ManyRunsCostNoMoreThanTheirBytes) {
  // A long file of runs over a small picture: every run is cut at the row's end.
  std::string codes;
  for (int i = 0; i < 100000; ++i) codes += Bytes({255, 1 + i % 3});
  TStringStream s(RleBmp(8, 3, 2, kPalette, codes));
  TBitmap b;
  b.LoadFromStream(s);
  ExpectPixels(b, {{0, 0, 0}, {1, 1, 1}}, "runs");
}

TEST(BitmapRunLength, TheCodedSizeAndFile) {
  const std::string codes = Bytes({2, 1, 0, 0, 2, 2, 0, 1});
  const TRows rows = {{2, 2}, {1, 1}};
  // Without an image size in the header the file's size gives the coded bytes.
  std::string noImageSize = RleBmp(8, 2, 2, kPalette, codes);
  noImageSize.replace(34, 4, std::string(4, '\0'));
  {
    TStringStream s(noImageSize);
    TBitmap b;
    b.LoadFromStream(s);
    ExpectPixels(b, rows, "file size");
  }
  // A picture followed by other data: exactly its bytes are read.
  TStringStream two(RleBmp(8, 2, 2, kPalette, codes) + "tail");
  TBitmap first;
  first.LoadFromStream(two);
  EXPECT_EQ(two.Position(), two.Size() - 4);

  struct TBad {
    const char* What;
    std::string File;
  };
  auto damaged = [&](std::size_t at, std::string bytes) {
    std::string f = RleBmp(8, 2, 2, kPalette, codes);
    return f.replace(at, bytes.size(), bytes);
  };
  const TBad bad[] = {
      {"image size past the end", damaged(34, Bytes({0, 1, 0, 0}))},
      {"no image size and no file size", damaged(2, std::string(4, '\0')).replace(34, 4, std::string(4, '\0'))},
      {"8-bit codes on a 4-bit picture", damaged(28, Bytes({4, 0}))},
      {"4-bit codes on an 8-bit picture", damaged(30, Bytes({2}))},
      {"codes on a 24-bit picture", damaged(28, Bytes({24, 0}))},
      {"top-down", damaged(22, Bytes({0xFE, 0xFF, 0xFF, 0xFF}))},
  };
  for (const TBad& c : bad) {
    TStringStream s(c.File);
    TBitmap b;
    EXPECT_THROW(b.LoadFromStream(s), EInvalidGraphic) << c.What;
  }
}

}  // namespace
}  // namespace orv
