// GIF pictures both ways against the peers: files we write read by giflib, Pillow, gifsicle and
// ImageMagick with the same frames, pixels and timing; files they write (interlaced, transparent,
// animated, with local colour tables) read by us with the frames giflib sees in them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include "controls/AnimatedCursor.h"
#include "controls/GIFImage.h"
#include "platform/rtl/Streams.h"
#include "tests/support/ShellCommand.h"
#include "tests/controls/GifTestSupport.h"
#include "tests/controls/IconFilesSupport.h"

namespace orv {
namespace {

using test::Painted;

const std::string kPeer = "/usr/bin/python3 " + std::string(ORV_SOURCE_DIR) + "/tests/interop/gif_peer.py";

std::string RunPeer(const std::string& command) { return test::RunCommand(command + " 2>&1"); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string Hex(TColor c) {
  char s[8];
  std::snprintf(s, sizeof s, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return s;
}

std::string PixelHex(TBitmap& b) {
  std::string out;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) out += Hex(static_cast<TColor>(b.PixelRGB(x, y)));
  return out;
}

// Our frames in the peer script's dump form.
std::vector<std::string> OurDump(TGIFImage& image) {
  std::vector<std::string> out{"screen " + std::to_string(image.ScreenWidth()) + " " + std::to_string(image.ScreenHeight())};
  if (image.Looping()) out.push_back("loop " + std::to_string(image.RepeatCount()));
  auto comment = [&](const TStringList& lines) {
    std::string text;
    for (Integer k = 0; k < lines.Count(); ++k) text += (k ? "|" : "") + lines.Get(k);
    out.push_back("comment " + text);
  };
  for (int i = 0; i < image.FrameCount(); ++i) {
    TGIFFrame& f = *image.Frames(i);
    for (const auto& ext : f.Extensions())
      if (ext->Kind == ekComment && ext->Lines) comment(*ext->Lines);
    TBitmap& b = *f.FrameBitmap();
    std::ostringstream line;
    line << "frame " << f.Left << " " << f.Top << " " << b.Width() << " " << b.Height() << " " << (f.Interlaced ? 1 : 0)
         << " " << f.Delay / 10 << " " << int(f.Disposal) << " " << (f.TransparentColor == clNone ? "-" : Hex(f.TransparentColor))
         << " " << PixelHex(b);
    out.push_back(line.str());
  }
  if (image.Data().Comment.Count() > 0) comment(image.Data().Comment);
  return out;
}

class GifInterop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterGIFImage(); }
  void SetUp() override {
    char pattern[] = "/tmp/orv_gif_XXXXXX";
    FDir = std::string(::mkdtemp(pattern)) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }
  std::string FDir;
};

TEST_F(GifInterop, OurFilesReadByThePeers) {
  std::mt19937 random(7);
  std::vector<COLORREF> palette;
  for (int i = 0; i < 256; ++i) palette.push_back(RGB(static_cast<Byte>(i * 3), static_cast<Byte>(255 - i), static_cast<Byte>(i * 11)));
  struct TFile {
    std::string Name;
    std::unique_ptr<TBitmap> Bitmap;
  };
  std::vector<TFile> singles;
  singles.push_back({"noise", Painted(211, 167, pf24bit, [&](int, int) { return static_cast<int>(palette[random() % 256]); })});
  // One pixel wide: every start of a new code table falls on the end of a row.
  singles.push_back({"column", Painted(1, 15000, pf24bit, [&](int, int) { return static_cast<int>(palette[random() % 256]); })});
  singles.push_back({"mono", Painted(33, 9, pf1bit, [](int x, int y) { return (x * y) % 3 ? 0xFFFFFF : 0; })});
  singles.push_back({"four", Painted(19, 7, pf4bit, [](int x, int y) { return (x + y) % 3 ? 0x0000FF : 0x808000; })});
  singles.push_back({"gradient", Painted(64, 40, pf24bit, [](int x, int y) { return RGB(static_cast<Byte>(x * 4), static_cast<Byte>(y * 6), 90); })});
  for (TFile& f : singles) {
    SCOPED_TRACE(f.Name);
    TGIFImage image;
    image.Assign(f.Bitmap.get());
    const std::string path = FDir + f.Name + ".gif";
    image.SaveToFile(path);
    TGIFImage ours;
    ours.LoadFromFile(path);
    const std::string pixels = PixelHex(*ours.Frames(0)->FrameBitmap());
    // Up to 256 colours come through exactly; more are reduced, and the peers see what we see.
    if (f.Name != "gradient") {
      EXPECT_EQ(pixels, PixelHex(*f.Bitmap));
    }
    const std::string size = std::to_string(f.Bitmap->Width()) + " " + std::to_string(f.Bitmap->Height());
    const std::vector<std::string> giflib = Lines(RunPeer(kPeer + " dump " + path));
    ASSERT_EQ(giflib.size(), 2u) << RunPeer(kPeer + " dump " + path);
    EXPECT_EQ(giflib[1], "frame 0 0 " + size + " 0 0 0 - " + pixels);
    const std::vector<std::string> pillow = Lines(RunPeer(kPeer + " pillow " + path));
    ASSERT_GE(pillow.size(), 4u);
    EXPECT_EQ(pillow[0], "frames 1");
    EXPECT_EQ(pillow[3], "first " + size + " " + pixels);
    EXPECT_EQ(RunPeer("/usr/bin/identify -format '%w %h\\n' " + path), size + "\n");
  }

  // More colours than the reduction counts exactly, and a transparent one: the peers find the
  // transparent index on exactly the pixels that had that colour.
  int magenta = 0;
  auto many = Painted(64, 40, pf24bit, [&](int x, int y) {
    if ((x + y) % 9 != 0) return static_cast<int>(RGB(static_cast<Byte>(x * 4), static_cast<Byte>(y * 6), 90));
    ++magenta;
    return 0xFF00FF;
  });
  TGIFImage clear;
  clear.AddFrame(many.get());
  clear.Frames(0)->TransparentColor = static_cast<TColor>(0xFF00FF);
  const std::string clearPath = FDir + "transparent.gif";
  clear.SaveToFile(clearPath);
  TGIFImage clearBack;
  clearBack.LoadFromFile(clearPath);
  TBitmap& clearBitmap = *clearBack.Frames(0)->FrameBitmap();
  int kept = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 64; ++x) kept += clearBitmap.PixelRGB(x, y) == 0xFF00FF;
  EXPECT_EQ(kept, magenta);
  const std::vector<std::string> dumped = Lines(RunPeer(kPeer + " dump " + clearPath));
  ASSERT_EQ(dumped.size(), 2u);
  EXPECT_EQ(dumped[1], "frame 0 0 64 40 0 0 0 FF00FF " + PixelHex(clearBitmap));

  // An animation: frames with their own colours, offsets, delays, disposal, transparency, a loop
  // count and a comment.
  auto a = Painted(20, 12, pf8bit, [](int x, int y) { return RGB(static_cast<Byte>(x * 12), static_cast<Byte>(y * 20), 0); });
  auto b = Painted(7, 5, pf4bit, [](int x, int) { return x % 2 ? 0x00FF00 : 0xFF0000; });
  auto c = Painted(20, 12, pf1bit, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFF : 0; });
  TGIFImage anim;
  anim.AddFrame(a.get());
  anim.AddFrame(b.get());
  anim.AddFrame(c.get());
  anim.Frames(0)->Delay = 100;
  anim.Frames(1)->Left = 4;
  anim.Frames(1)->Top = 3;
  anim.Frames(1)->Delay = 250;
  anim.Frames(1)->Disposal = 2;
  anim.Frames(1)->TransparentColor = clLime;
  anim.Frames(2)->Delay = 40;
  anim.Frames(2)->Disposal = 1;
  anim.SetLooping(true);
  anim.SetRepeatCount(5);
  anim.Data().Comment.Add("made by Orvinta");
  const std::string path = FDir + "anim.gif";
  anim.SaveToFile(path);

  std::vector<std::string> expected = OurDump(anim);
  EXPECT_EQ(Lines(RunPeer(kPeer + " dump " + path)), expected) << "giflib sees our frames";
  const std::vector<std::string> pillow = Lines(RunPeer(kPeer + " pillow " + path));
  ASSERT_EQ(pillow.size(), 4u) << RunPeer(kPeer + " pillow " + path);
  EXPECT_EQ(pillow[0], "frames 3");
  EXPECT_EQ(pillow[1], "loop 5");
  EXPECT_EQ(pillow[2], "durations 100,250,40");
  EXPECT_EQ(pillow[3], "first 20 12 " + PixelHex(*a));
  const std::string info = RunPeer("gifsicle --info " + path);
  EXPECT_NE(info.find("loop count 5"), std::string::npos) << info;
  EXPECT_NE(info.find("end comment made by Orvinta"), std::string::npos) << info;
  EXPECT_NE(info.find("+ image #1 7x5 at 4,3 transparent"), std::string::npos) << info;
  EXPECT_NE(info.find("local color table [16]"), std::string::npos) << info;
  EXPECT_NE(info.find("disposal background delay 0.25s"), std::string::npos) << info;
  EXPECT_EQ(RunPeer("/usr/bin/identify -format '%w %h %X %Y %T\\n' " + path), "20 12 +0 +0 10\n7 5 +4 +3 25\n20 12 +0 +0 4\n");
}

TEST_F(GifInterop, ConvertedCursorsAndFramesAtTheEdgesReadByThePeers) {
  // Five cursor frames showing two icons in turn: the frames of one icon share one drawing and
  // one encoding, and the peers see every frame with its delay and transparency.
  std::string chunks = test::AniHeader(5, 5, 6, 1);
  for (int sequence : {0, 1, 0, 1, 0}) chunks += test::Chunk("seq ", test::U32Bytes(static_cast<std::uint32_t>(sequence)));
  for (int rate : {6, 12, 6, 12, 30}) chunks += test::Chunk("rate", test::U32Bytes(static_cast<std::uint32_t>(rate)));
  chunks += test::List("fram", test::Chunk("icon", test::IconFile(16, clRed)) + test::Chunk("icon", test::IconFile(16, clBlue)));
  TAnimatedCursorImage cursor;
  TStringStream in(test::AniFile(chunks));
  cursor.ReadFromStream(in);
  ASSERT_EQ(cursor.Count(), 5);
  TGIFImage converted;
  converted.Assign(&cursor);
  const std::string path = FDir + "cursor.gif";
  converted.SaveToFile(path);
  EXPECT_EQ(converted.Frames(2)->SharedItem(), converted.Frames(0)->SharedItem());
  EXPECT_EQ(Lines(RunPeer(kPeer + " dump " + path)), OurDump(converted)) << "giflib sees our frames";
  const std::vector<std::string> pillow = Lines(RunPeer(kPeer + " pillow " + path));
  ASSERT_GE(pillow.size(), 4u) << RunPeer(kPeer + " pillow " + path);
  EXPECT_EQ(pillow[0], "frames 5");
  EXPECT_EQ(pillow[2], "durations 100,200,100,200,500");

  // Frames reaching the last pixel a screen holds, the screen as wide and high as it goes.
  auto a = Painted(3, 1, pf8bit, [](int x, int) { return x * 0x7F7F7F; });
  auto b = Painted(1, 2, pf8bit, [](int, int y) { return y ? 0x0000FF : 0x00FF00; });
  TGIFImage edges;
  edges.AddFrame(a.get());
  edges.AddFrame(b.get());
  edges.Frames(0)->Left = 65532;
  edges.Frames(1)->Top = 65533;
  const std::string edgePath = FDir + "edges.gif";
  edges.SaveToFile(edgePath);
  const std::vector<std::string> dumped = Lines(RunPeer(kPeer + " dump " + edgePath));
  EXPECT_EQ(dumped, OurDump(edges));
  ASSERT_FALSE(dumped.empty());
  EXPECT_EQ(dumped[0], "screen 65535 65535");
  const std::string info = RunPeer("gifsicle --info " + edgePath);
  EXPECT_NE(info.find("+ image #0 3x1 at 65532,0"), std::string::npos) << info;
  EXPECT_NE(info.find("+ image #1 1x2 at 0,65533"), std::string::npos) << info;
}

TEST_F(GifInterop, PeerFilesReadByUs) {
  const std::string made = RunPeer(kPeer + " make " + FDir);
  ASSERT_EQ(made, "") << made;
  for (const char* name : {"pillow", "gifsicle", "magick", "gifbuild"}) {
    SCOPED_TRACE(name);
    const std::string path = FDir + name + ".gif";
    const std::vector<std::string> giflib = Lines(RunPeer(kPeer + " dump " + path));
    ASSERT_GE(giflib.size(), 2u);
    TGIFImage image;
    image.LoadFromFile(path);
    EXPECT_EQ(OurDump(image), giflib);
    // Written again by us, the file still reads the same in giflib.
    const std::string again = FDir + name + "-again.gif";
    image.SaveToFile(again);
    EXPECT_EQ(Lines(RunPeer(kPeer + " dump " + again)), giflib);
  }
  TGIFImage built;
  built.LoadFromFile(FDir + "gifbuild.gif");
  EXPECT_TRUE(built.Frames(0)->Interlaced);
  EXPECT_TRUE(built.Frames(1)->LocalColors);
  ASSERT_NE(built.Frames(0)->Comment(false), nullptr);
  EXPECT_EQ(built.Frames(0)->Comment(false)->Get(0), "made by gifbuild");
}

}  // namespace
}  // namespace orv
