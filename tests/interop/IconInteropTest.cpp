// Icon and cursor files of the animated cursor and icon list against icoutils: cursors and icons
// made by icotool read as animated cursor frames, and the icons an icon list streams listed and
// extracted by icotool.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "controls/AnimatedCursor.h"
#include "controls/IconList.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/FileBytes.h"

namespace orv {
namespace {

std::string RunPeer(const std::string& command) { return test::RunCommand(command + " 2>&1"); }
std::string U32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  return s;
}

std::string Chunk(const std::string& id, const std::string& body) {
  std::string s = id + U32(static_cast<std::uint32_t>(body.size())) + body;
  if (body.size() & 1) s += '\0';
  return s;
}

class IconInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orv_ico_XXXXXX";
    FDir = std::string(::mkdtemp(pattern)) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }
  // A PNG of the size in one colour (0xRRGGBB) with a transparent top-left pixel.
  void Png(const std::string& name, int size, int rgb) {
    const std::string script = "from PIL import Image\nim=Image.new('RGBA',(" + std::to_string(size) + "," +
                               std::to_string(size) + "),(" + std::to_string(rgb >> 16) + "," + std::to_string((rgb >> 8) & 255) +
                               "," + std::to_string(rgb & 255) + ",255))\nim.putpixel((0,0),(0,0,0,0))\nim.save('" + FDir + name + "')\n";
    std::ofstream(FDir + "png.py") << script;
    ASSERT_EQ(RunPeer("/usr/bin/python3 " + FDir + "png.py"), "");
  }
  std::string FDir;
};

TEST_F(IconInterop, CursorsAndIconsFromIcotoolAreAnimatedCursorFrames) {
  Png("blue.png", 16, 0x0000FF);
  Png("red.png", 32, 0xFF0000);
  ASSERT_EQ(RunPeer("icotool -c --cursor --hotspot-x=3 --hotspot-y=5 -o " + FDir + "a.cur " + FDir + "blue.png"), "");
  ASSERT_EQ(RunPeer("icotool -c -o " + FDir + "b.ico " + FDir + "red.png"), "");
  const std::string anih = U32(36) + U32(2) + U32(2) + U32(0) + U32(0) + U32(0) + U32(0) + U32(8) + U32(1);
  const std::string body = Chunk("anih", anih) +
                           Chunk("LIST", "fram" + Chunk("icon", test::ReadFileBytes(FDir + "a.cur")) + Chunk("icon", test::ReadFileBytes(FDir + "b.ico")));
  const std::string file = "RIFF" + U32(static_cast<std::uint32_t>(4 + body.size())) + "ACON" + body;
  std::ofstream(FDir + "busy.ani", std::ios::binary) << file;

  TAnimatedCursorImage image;
  image.ReadFromFile(FDir + "busy.ani");
  ASSERT_EQ(image.Count(), 2);
  EXPECT_FALSE(image.Frames(0)->IsIcon);
  EXPECT_EQ(image.Frames(0)->HotSpot, (TPoint{3, 5})) << "the cursor's own hot spot";
  EXPECT_TRUE(image.Frames(1)->IsIcon);
  EXPECT_EQ(image.Frames(1)->HotSpot, (TPoint{16, 16})) << "an icon's middle";
  EXPECT_EQ(image.SourceColorCount(), 2) << "icotool writes one colour as a 1-bit image";
  TBitmap strip;
  image.DrawToBitmap(strip, clWhite, false, false);
  EXPECT_EQ(strip.Width(), 32) << "frame 0's width for every frame";
  EXPECT_EQ(strip.PixelRGB(5, 5), 0xFF0000u) << "blue";
  EXPECT_EQ(strip.PixelRGB(0, 0), 0xFFFFFFu) << "the transparent pixel shows the background";
  EXPECT_EQ(strip.PixelRGB(20, 5), 0x0000FFu) << "red";
}

TEST_F(IconInterop, IconListEntriesAreIconFilesForIcotool) {
  Png("blue.png", 16, 0x0000FF);
  Png("red.png", 24, 0xFF0000);
  ASSERT_EQ(RunPeer("icotool -c -o " + FDir + "blue.ico " + FDir + "blue.png"), "");
  ASSERT_EQ(RunPeer("icotool -c -o " + FDir + "red.ico " + FDir + "red.png"), "");
  TIconList list;
  for (const char* name : {"blue.ico", "red.ico"}) {
    TIcon icon;
    icon.LoadFromFile(FDir + name);
    list.Add(&icon);
  }
  TMemoryStream data;
  list.WriteToStream(data);
  // The stream: a count, then a size and an icon file per entry.
  const auto* bytes = static_cast<const Byte*>(data.Memory());
  std::size_t at = 4;
  const char* expected[] = {"--width=16 --height=16", "--width=24 --height=24"};
  for (int i = 0; i < 2; ++i) {
    const std::uint32_t size = bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
    const std::string path = FDir + "entry" + std::to_string(i) + ".ico";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes + at + 4), size);
    at += 4 + size;
    EXPECT_NE(RunPeer("icotool -l " + path).find(expected[i]), std::string::npos) << RunPeer("icotool -l " + path);
    ASSERT_EQ(RunPeer("icotool -x -o " + FDir + "out" + std::to_string(i) + ".png " + path), "");
  }
  const std::string check =
      "from PIL import Image\n"
      "for n, c in ((0, (0, 0, 255)), (1, (255, 0, 0))):\n"
      "    im = Image.open('" + FDir + "out%d.png' % n).convert('RGBA')\n"
      "    print(im.getpixel((5, 5))[:3] == c, im.getpixel((0, 0))[3])\n";
  std::ofstream(FDir + "check.py") << check;
  EXPECT_EQ(RunPeer("/usr/bin/python3 " + FDir + "check.py"), "True 0\nTrue 0\n");
}

}  // namespace
}  // namespace orv
