// Pictures against the imaging peers: run-length coded bitmaps written by ImageMagick and read by
// us and Pillow, and written by hand (runs past a row's end and deltas included) and read by us and
// ImageMagick; progressive and grey JPEG files from Pillow decoded by both.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Jpeg.h"
#include "tests/platform/graphics/RunLengthFiles.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ShellCommand.h"

namespace orv {
namespace {

class PictureInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orv_pic_XXXXXX";
    FDir = std::string(::mkdtemp(pattern)) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }
  std::string Python(const std::string& script) {
    std::ofstream(FDir + "peer.py") << script;
    return test::RunCommand("/usr/bin/python3 " + FDir + "peer.py 2>&1");
  }
  // Every pixel of the file as Pillow reads it: "w h rrggbb rrggbb ...".
  std::string PillowPixels(const std::string& path) {
    return Python("from PIL import Image\n"
                  "im = Image.open('" + path + "')\n"
                  "im.load()\n"
                  "im = im.convert('RGB')\n"
                  "print(im.size[0], im.size[1], ' '.join('%02x%02x%02x' % im.getpixel((x, y))"
                  " for y in range(im.size[1]) for x in range(im.size[0])))\n");
  }
  static std::string OurPixels(TBitmap& b) {
    std::string s = std::to_string(b.Width()) + " " + std::to_string(b.Height());
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        const COLORREF c = b.PixelRGB(x, y);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
        s += std::string(" ") + hex;
      }
    return s + "\n";
  }
  std::string FDir;
};

TEST_F(PictureInterop, RunLengthBitmapsFromImageMagickReadAsPillowReadsThem) {
  // A palette picture with long runs and single pixels, odd width, written by ImageMagick with
  // run-length coding.
  ASSERT_EQ(Python("from PIL import Image\n"
                   "im = Image.new('P', (37, 9))\n"
                   "im.putpalette([v for c in range(256) for v in (c, 255 - c, (c * 7) % 256)])\n"
                   "for y in range(9):\n"
                   "    for x in range(37):\n"
                   "        im.putpixel((x, y), (x // 5 + y) % 6 if x < 25 else (x * 11 + y) % 256)\n"
                   "im.save('" + FDir + "p.png')\n"),
            "");
  ASSERT_EQ(test::RunCommand("convert " + FDir + "p.png -compress RLE bmp3:" + FDir + "rle.bmp 2>&1"), "");
  const std::string file = test::ReadFileBytes(FDir + "rle.bmp");
  ASSERT_GT(file.size(), 34u);
  ASSERT_EQ(file[30], 1) << "ImageMagick wrote 8-bit run-length codes";
  TBitmap b;
  b.LoadFromFile(FDir + "rle.bmp");
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(OurPixels(b), PillowPixels(FDir + "p.png"));
}

TEST_F(PictureInterop, HandMadeRunLengthCodesReadAsImageMagickReadsThem) {
  const std::vector<COLORREF> palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x808080, 0x00FFFF, 0xFF00FF,
                                         0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x111111, 0x222222, 0x333333};
  auto bytes = [](std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
  };
  struct TCase {
    const char* Name;
    int Bpp, Width, Height;
    std::string Codes;
  };
  const TCase cases[] = {
      {"rle8", 8, 6, 4,
       bytes({3, 1, 2, 2, 0, 0, 0, 3, 4, 5, 6, 0, 1, 7, 0, 0, 0, 2, 2, 1, 4, 3, 0, 0, 6, 12, 0, 1})},
      {"rle8-delta", 8, 5, 3, bytes({1, 9, 0, 2, 3, 1, 2, 10, 0, 0, 5, 11, 0, 1})},
      {"rle4", 4, 7, 3,
       bytes({7, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 2, 0xAB, 0, 0, 0, 4, 0xCD, 0xEF, 3, 0x99, 0, 1})},
      {"rle4-delta", 4, 6, 3, bytes({2, 0x11, 0, 2, 2, 1, 2, 0x23, 0, 0, 6, 0x45, 0, 1})},
  };
  for (const TCase& c : cases) {
    const std::string path = FDir + c.Name + ".bmp";
    std::ofstream(path, std::ios::binary) << test::RleBmp(c.Bpp, c.Width, c.Height, palette, c.Codes);
    TBitmap b;
    b.LoadFromFile(path);
    // ImageMagick's reading, handed over as a PNG.
    ASSERT_EQ(test::RunCommand(std::string("convert ") + path + " " + path + ".png 2>&1"), "") << c.Name;
    EXPECT_EQ(OurPixels(b), PillowPixels(path + ".png")) << c.Name;
  }
}

TEST_F(PictureInterop, ProgressiveAndGreyJpegFilesDecodeAsPillowDecodesThem) {
  // A photograph-like gradient with detail, saved in several ways.
  ASSERT_EQ(Python("from PIL import Image\n"
                   "im = Image.new('RGB', (83, 61))\n"
                   "for y in range(61):\n"
                   "    for x in range(83):\n"
                   "        im.putpixel((x, y), ((x * 3) % 256, (y * 4) % 256, ((x ^ y) * 5) % 256))\n"
                   "im.save('" + FDir + "progressive.jpg', quality=90, progressive=True)\n"
                   "im.save('" + FDir + "full.jpg', quality=95, progressive=True, subsampling=0)\n"
                   "im.save('" + FDir + "baseline.jpg', quality=85)\n"
                   "im.convert('L').save('" + FDir + "grey.jpg', quality=90, progressive=True)\n"),
            "");
  for (const char* name : {"progressive.jpg", "full.jpg", "baseline.jpg", "grey.jpg"}) {
    const std::string path = FDir + name;
    const std::string data = test::ReadFileBytes(path);
    std::unique_ptr<TBitmap> b = DecodeJpeg(reinterpret_cast<const Byte*>(data.data()), data.size());
    std::istringstream peer(PillowPixels(path));
    int width = 0, height = 0;
    peer >> width >> height;
    ASSERT_EQ(b->Width(), width) << name;
    ASSERT_EQ(b->Height(), height) << name;
    // Both use the same decoder library, but its options may differ: allow a little.
    int worst = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        std::string hex;
        peer >> hex;
        const unsigned long rgb = std::stoul(hex, nullptr, 16);
        const COLORREF c = b->PixelRGB(x, y);
        worst = std::max({worst, std::abs(static_cast<int>((rgb >> 16) & 0xFF) - GetRValue(c)),
                          std::abs(static_cast<int>((rgb >> 8) & 0xFF) - GetGValue(c)), std::abs(static_cast<int>(rgb & 0xFF) - GetBValue(c))});
      }
    EXPECT_LE(worst, 3) << name;
  }
}

}  // namespace
}  // namespace orv
