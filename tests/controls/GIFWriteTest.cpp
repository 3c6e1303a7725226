// Writing GIF pictures: what a read file keeps and what is rebuilt, frames encoded from bitmaps
// (tables, code sizes, graphic controls, versions), the LZW encoder against the decoder, and the
// errors.
#include "tests/controls/ControlsFixture.h"
#include "tests/controls/GifTestSupport.h"

#include <algorithm>
#include <random>
#include "controls/ColorReduction.h"
#include "controls/GIFImage.h"
#include "controls/GIFInternal.h"

namespace orv::test {
namespace {

class GIFWriteTest : public ControlsTest {
 protected:
  static void SetUpTestSuite() {
    ControlsTest::SetUpTestSuite();
    RegisterGIFImage();
  }
};

const std::vector<int> kPixels = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2};  // 4 x 3

std::string Saved(TGIFImage& image) {
  TMemoryStream out;
  image.SaveToStream(out);
  return std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
}

TEST_F(GIFWriteTest, AReadFileKeepsItsPartsAndRebuildsTheRest) {
  const std::vector<int> local = {0x00FF00, 0xFFFF00, 0x00FFFF, 0x808080};
  const std::vector<int> pixels = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2};
  TGifBytes g;
  g.Header().Screen(100, 90, 0x80 | 0x11, 3, 49).Table(kFourColours).Loop(7);
  g.Application("XMP DataXMP", {"<xmp/>"}).GraphicControl(0x01 | (2 << 2), 12, 3).PlainText();
  g.GraphicControl(0x01 | (2 << 2), 12, 3);
  g.Image(0, 0, 4, 3, 0).Raw(RawLzw(pixels, 2));
  g.Comment({"second"}).Image(1, 2, 4, 3, 0x81 | 0x40).Table(local).Raw(RawLzw(pixels, 2));
  g.Comment({"trailing"}).Trailer();
  TGIFImage image;
  LoadGif(image, g.Bytes);
  ASSERT_EQ(image.FrameCount(), 2);
  const std::string out = Saved(image);

  EXPECT_EQ(out.substr(0, 6), "GIF89a");
  EXPECT_EQ(static_cast<Byte>(out[6]), 5) << "the screen is rebuilt from the frames";
  EXPECT_EQ(static_cast<Byte>(out[8]), 5);
  EXPECT_EQ(static_cast<Byte>(out[10]), 0x80 | 0x11);
  EXPECT_EQ(static_cast<Byte>(out[11]), 3) << "the background's index";
  EXPECT_EQ(static_cast<Byte>(out[12]), 49) << "the aspect ratio as kept";
  EXPECT_EQ(out.substr(25, 19), std::string("!\xFF\x0BNETSCAPE2.0\x03\x01\x07\x00\x00", 19))
      << "one loop extension after the global table";
  EXPECT_EQ(out.find("XMP DataXMP"), std::string::npos) << "other application extensions are left out";
  EXPECT_EQ(out.find("text"), std::string::npos) << "plain-text extensions are left out";

  TGIFImage back;
  LoadGif(back, out);
  ASSERT_EQ(back.FrameCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(back.Frames(i)->Item().EncodedData, image.Frames(i)->Item().EncodedData) << i;
    EXPECT_EQ(back.Frames(i)->Left, image.Frames(i)->Left);
    EXPECT_EQ(back.Frames(i)->Top, image.Frames(i)->Top);
    EXPECT_EQ(back.Frames(i)->Interlaced, image.Frames(i)->Interlaced);
    EXPECT_EQ(back.Frames(i)->LocalColors, image.Frames(i)->LocalColors);
    EXPECT_EQ(PixelsOf(*back.Frames(i)->FrameBitmap()), PixelsOf(*image.Frames(i)->FrameBitmap()));
  }
  EXPECT_TRUE(back.Frames(1)->Interlaced);
  EXPECT_EQ(back.Frames(0)->Delay, 120);
  EXPECT_EQ(back.Frames(0)->Disposal, 2);
  EXPECT_EQ(back.Frames(0)->TransparentColor, clBlue);
  EXPECT_EQ(back.Frames(1)->Comment(false)->Get(0), "second");
  EXPECT_EQ(back.Data().Comment.Get(0), "trailing");
  EXPECT_TRUE(back.Looping());
  EXPECT_EQ(back.RepeatCount(), 7);
}

TEST_F(GIFWriteTest, FramesFromBitmapsGetTablesCodesAndGraphicControls) {
  // Four colours at 24 bits, two at 1 bit.
  auto colour = Painted(6, 5, pf24bit, [](int x, int y) { return (x + y) % 4 == 0 ? 0x0000FF : (x % 2 ? 0x00FF00 : (y % 2 ? 0xFF0000 : 0x123456)); });
  auto mono = Painted(9, 3, pf1bit, [](int x, int) { return x % 3 ? 0xFFFFFF : 0x000000; });
  TGIFImage image;
  image.Assign(colour.get());
  EXPECT_EQ(image.Version(), 1);
  image.Frames(0)->Delay = 1234;
  image.Frames(0)->TransparentColor = clLime;
  image.Frames(0)->Disposal = 3;
  const int second = image.AddFrame(mono.get());
  image.Frames(second)->Left = 2;
  image.SetLooping(true);
  image.SetRepeatCount(0);
  const std::string out = Saved(image);
  EXPECT_EQ(out.substr(0, 6), "GIF89a");

  TGIFImage back;
  LoadGif(back, out);
  ASSERT_EQ(back.FrameCount(), 2);
  EXPECT_FALSE(back.Frames(0)->LocalColors) << "the first encoded frame supplies the global table";
  EXPECT_EQ(back.Data().Colors.Count, 256);
  EXPECT_TRUE(back.Frames(1)->LocalColors) << "a later one carries its own";
  EXPECT_EQ(back.Frames(1)->Item().Colors.Count, 2);
  EXPECT_EQ(back.Frames(1)->Item().EncodedData[0], 2) << "1-bit pixels start with code size 2";
  EXPECT_EQ(back.Frames(0)->Delay, 1230) << "delays are kept in hundredths";
  EXPECT_EQ(back.Frames(0)->TransparentColor, clLime);
  EXPECT_EQ(back.Frames(0)->Disposal, 3);
  EXPECT_EQ(back.ScreenWidth(), 11);
  EXPECT_EQ(back.ScreenHeight(), 5);
  EXPECT_EQ(PixelsOf(*back.Frames(0)->FrameBitmap()), PixelsOf(*colour));
  EXPECT_EQ(PixelsOf(*back.Frames(1)->FrameBitmap()), PixelsOf(*mono));
  // The graphic control's delay field holds 123 hundredths.
  const std::size_t control = out.find("!\xF9\x04");
  ASSERT_NE(control, std::string::npos);
  EXPECT_EQ(static_cast<Byte>(out[control + 4]) | (static_cast<Byte>(out[control + 5]) << 8), 123);
}

TEST_F(GIFWriteTest, TheVersionFollowsWhatTheFileNeeds) {
  auto bitmap = Painted(3, 3, pf8bit, [](int x, int) { return x * 0x101010; });
  struct TCase {
    const char* Name;
    int Frames;
    bool Comment;
    int Delay;
    const char* Version;
  };
  const TCase cases[] = {
      {"one plain frame", 1, false, 0, "GIF87a"},
      {"two frames", 2, false, 0, "GIF89a"},
      {"a comment", 1, true, 0, "GIF89a"},
      {"a graphic control", 1, false, 50, "GIF89a"},
  };
  for (const TCase& c : cases) {
    TGIFImage image;
    for (int i = 0; i < c.Frames; ++i) image.AddFrame(bitmap.get());
    if (c.Comment) image.Data().Comment.Add("made by Orvinta");
    image.Frames(0)->Delay = static_cast<Word>(c.Delay);
    EXPECT_EQ(Saved(image).substr(0, 6), c.Version) << c.Name;
  }
}

TEST_F(GIFWriteTest, CommentLinesAreWrittenWhole) {
  auto bitmap = Painted(2, 2, pf8bit, [](int, int) { return 0x336699; });
  TGIFImage image;
  image.AddFrame(bitmap.get());
  const AnsiString longLine(300, 'c');
  image.Data().Comment.Add(longLine);
  image.Data().Comment.Add("");
  image.Data().Comment.Add("last");
  TGIFImage back;
  LoadGif(back, Saved(image));
  const TStringList& comment = back.Data().Comment;
  ASSERT_EQ(comment.Count(), 3) << "a long line goes on in a second block; an empty line is left out";
  EXPECT_EQ(comment.Get(0) + comment.Get(1), longLine);
  EXPECT_EQ(comment.Get(0).size(), 255u);
  EXPECT_EQ(comment.Get(2), "last");
}

TEST_F(GIFWriteTest, TheEncoderMatchesTheDecoderOverLongRuns) {
  // Noise over 256 colours fills the code table many times; stripes make long strings; in a
  // column one pixel wide every start of a new table falls on the end of a row.
  std::mt19937 random(42);
  std::vector<COLORREF> palette;
  for (int i = 0; i < 256; ++i) palette.push_back(RGB(static_cast<Byte>(i), static_cast<Byte>(255 - i), static_cast<Byte>(i * 7)));
  auto noise = Painted(211, 167, pf24bit, [&](int, int) { return static_cast<int>(palette[random() % 256]); });
  auto stripes = Painted(640, 90, pf24bit, [&](int x, int y) { return static_cast<int>(palette[(x / 37 + y / 5) % 256]); });
  auto column = Painted(1, 15000, pf24bit, [&](int, int) { return static_cast<int>(palette[random() % 256]); });
  for (TBitmap* source : {noise.get(), stripes.get(), column.get()}) {
    TGIFImage image;
    image.AddFrame(source);
    TGIFImage back;
    LoadGif(back, Saved(image));
    EXPECT_FALSE(back.Frames(0)->Corrupted);
    EXPECT_EQ(PixelsOf(*back.Frames(0)->FrameBitmap()), PixelsOf(*source)) << source->Width();
  }
}

TEST_F(GIFWriteTest, AFrameCutShortIsClosedWhenWritten) {
  // The file ends inside the frame's blocks: kept with the corrupted flag. A frame added after it
  // must not be read as more of its blocks.
  std::string cut = FourColourGif(4, 3, std::vector<int>(12, 2));
  cut.resize(cut.size() - 2);
  TGIFImage image;
  LoadGif(image, cut);
  ASSERT_EQ(image.FrameCount(), 1);
  EXPECT_TRUE(image.Frames(0)->Corrupted);
  auto added = Painted(2, 2, pf8bit, [](int, int) { return 0x00FF00; });
  image.AddFrame(added.get());
  TGIFImage back;
  LoadGif(back, Saved(image));
  ASSERT_EQ(back.FrameCount(), 2) << "the added frame is still a frame of its own";
  EXPECT_EQ(PixelsOf(*back.Frames(1)->FrameBitmap()), std::vector<TColor>(4, clLime));
}

TEST_F(GIFWriteTest, WindowDescriptionDataStartsWithTheLength) {
  auto bitmap = Painted(5, 4, pf4bit, [](int x, int y) { return ((x + y) & 1) ? 0xFFFFFF : 0x000080; });
  TGIFImage image;
  image.Assign(bitmap.get());
  TMemoryStream out;
  image.WriteData(out);
  ASSERT_GT(out.Size(), 4);
  const auto* bytes = static_cast<const Byte*>(out.Memory());
  const auto length = static_cast<Int64>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (bytes[3] << 24));
  EXPECT_EQ(length, out.Size() - 4);
  out.SetPosition(0);
  TGIFImage back;
  back.ReadData(out);
  EXPECT_EQ(PixelsOf(*back.Frames(0)->FrameBitmap()), PixelsOf(*bitmap));
}

TEST_F(GIFWriteTest, AWindowDescriptionOfFramesHoldingNothingIsNoGifData) {
  // A frame made from an empty bitmap holds nothing; drawn, it holds an empty bitmap, and the image
  // is no longer empty, so a window description stores its picture.
  TGIFImage image;
  TBitmap empty;
  image.AddFrame(&empty);
  image.AddFrame(&empty);
  TBitmap target;
  target.SetSize(4, 4);
  image.Draw(*target.Canvas(), Rect(0, 0, 4, 4));
  TPicture picture;
  picture.Assign(&image);
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_FALSE(picture.Graphic()->Empty());
  TMemoryStream out;
  picture.WriteData(out);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size())),
            std::string("\x09TGIFImage\0\0\0\0", 14));
  out.SetPosition(0);
  TPicture back;
  back.ReadData(out);
  auto* gif = dynamic_cast<TGIFImage*>(back.Graphic());
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(gif->FrameCount(), 0);
  EXPECT_TRUE(gif->Empty());
  // As a file there is nothing to write.
  try {
    Saved(image);
    ADD_FAILURE() << "written";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "No GIF Data to write");
  }
  // Beside a frame with pixels they are frames without data, refused as in a file.
  auto bitmap = Painted(2, 1, pf8bit, [](int x, int) { return x * 0xFFFFFF; });
  image.AddFrame(bitmap.get());
  TMemoryStream some;
  EXPECT_THROW(image.WriteData(some), EInvalidGraphicOperation);
}

TEST_F(GIFWriteTest, EncodingAnotherImagesFramesLeavesThatImageAlone) {
  auto first = Painted(4, 4, pf8bit, [](int x, int) { return x * 0x202020; });
  auto other = Painted(4, 4, pf8bit, [](int, int y) { return y * 0x300000; });
  TGIFImage a;
  a.AddFrame(first.get());
  TGIFImage b;
  b.Assign(&a);
  EXPECT_TRUE(b.SameImageAs(&a));
  b.AddFrame(other.get());
  const std::string savedB = Saved(b);
  EXPECT_EQ(a.Data().Colors.Count, 0) << "the image it was copied from keeps its own global table";
  EXPECT_TRUE(a.Frames(0)->Item().EncodedData.empty()) << "and its frame stays unencoded";
  EXPECT_FALSE(b.SameImageAs(&a));
  TGIFImage backA;
  LoadGif(backA, Saved(a));
  EXPECT_EQ(PixelsOf(*backA.Frames(0)->FrameBitmap()), PixelsOf(*first));
  TGIFImage backB;
  LoadGif(backB, savedB);
  EXPECT_EQ(PixelsOf(*backB.Frames(1)->FrameBitmap()), PixelsOf(*other));
}

TEST_F(GIFWriteTest, WritingErrors) {
  auto expectMessage = [](TGIFImage& image, const char* message) {
    try {
      Saved(image);
      ADD_FAILURE() << "written";
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_STREQ(e.what(), message);
    }
  };
  TGIFImage none;
  expectMessage(none, "No GIF Data to write");
  TGIFImage emptyFrame;
  TBitmap empty;
  emptyFrame.AddFrame(&empty);
  expectMessage(emptyFrame, "No GIF Data to write");
  TGIFImage badTable;
  LoadGif(badTable, FourColourGif(2, 1, {0, 1}));
  badTable.Data().Colors.Count = 3;
  expectMessage(badTable, "Wrong number of colors; must be a power of 2");
}

// The message of the graphic operation error act raises; empty when it raises none.
template <class F>
std::string Refusal(F act) {
  try {
    act();
  } catch (const EInvalidGraphicOperation& e) {
    return e.Message();
  }
  return std::string();
}

TEST_F(GIFWriteTest, FramesAreAddedAndWrittenWithinTheBoundsOfARead) {
  // A frame wider than a frame may be decoded is not taken, through AddFrame or assignment; the
  // image stays as it was.
  TBitmap wide;
  wide.SetSize(32769, 1);
  TGIFImage image;
  EXPECT_EQ(Refusal([&] { image.AddFrame(&wide); }), "GIF image is too large");
  EXPECT_EQ(Refusal([&] { image.Assign(&wide); }), "GIF image is too large");
  EXPECT_EQ(image.FrameCount(), 0);
  EXPECT_EQ(image.CurrentIndex(), -1);
  EXPECT_EQ(image.Version(), 0);
  auto small = Painted(2, 1, pf8bit, [](int x, int) { return x * 0xFFFFFF; });
  image.Assign(small.get());
  EXPECT_EQ(Refusal([&] { image.Assign(&wide); }), "GIF image is too large");
  EXPECT_EQ(image.FrameCount(), 1) << "the frame it had stays";
  EXPECT_EQ(image.Width(), 2);

  // Nor does a frame's bitmap grown after it was added get written, cut to 16 bits or too wide to
  // read back.
  for (int width : {32769, 65537}) {
    TBitmap small;
    small.SetSize(2, 2);
    TGIFImage grown;
    grown.AddFrame(&small);
    grown.Frames(0)->FrameBitmap()->SetSize(width, 1);
    EXPECT_EQ(Refusal([&] { Saved(grown); }), "GIF image is too large") << width;
  }

  // Positions as far as the file holds them.
  struct TCase {
    Integer Left, Top;
    bool Written;
  };
  for (const TCase& c : {TCase{65535, 0, true}, TCase{0, 65535, true}, TCase{65536, 0, false}, TCase{-1, 0, false},
                         TCase{0, 70000, false}, TCase{0, -3, false}}) {
    auto bitmap = Painted(2, 1, pf8bit, [](int x, int) { return x * 0xFFFFFF; });
    TGIFImage placed;
    placed.AddFrame(bitmap.get());
    placed.Frames(0)->Left = c.Left;
    placed.Frames(0)->Top = c.Top;
    if (!c.Written) {
      EXPECT_EQ(Refusal([&] { Saved(placed); }), "GIF frame position out of range") << c.Left << "," << c.Top;
      continue;
    }
    TGIFImage back;
    LoadGif(back, Saved(placed));
    EXPECT_EQ(back.Frames(0)->Left, c.Left);
    EXPECT_EQ(back.Frames(0)->Top, c.Top);
    EXPECT_EQ(back.ScreenWidth(), std::min(c.Left + 2, 65535));
  }

  // All frames together: sixteen frames of 4096 x 4096 (sharing one bitmap's pixels) hold as many
  // pixels as a read image may, a seventeenth is refused.
  TBitmap large;
  large.SetSize(4096, 4096);
  TGIFImage many;
  for (int i = 0; i < 16; ++i) many.AddFrame(&large);
  EXPECT_EQ(Refusal([&] { many.AddFrame(&large); }), "GIF image is too large");
  EXPECT_EQ(many.FrameCount(), 16);
  EXPECT_EQ(many.CurrentIndex(), 15);
}

TEST_F(GIFWriteTest, ImagesAsReadAreWrittenWhetherTheirFramesDecodeOrNot) {
  // The second frame's codes run out, the third has no colour table, the fourth is wider than a
  // frame may be decoded: each is written as read.
  TGifBytes g;
  g.Header().Screen(4, 3, 0);
  g.Image(0, 0, 4, 3, 0x81).Table(kFourColours).Raw(RawLzw(kPixels, 2));
  g.Image(0, 0, 4, 3, 0x81).Table(kFourColours).Raw(RawLzw({1, 2}, 2, false));
  g.Image(1, 0, 4, 3, 0).Raw(RawLzw(kPixels, 2));
  g.Image(0, 0, 40000, 1, 0x81).Table(kFourColours).Raw(RawLzw({}, 2));
  g.Trailer();
  TGIFImage image;
  LoadGif(image, g.Bytes);
  ASSERT_EQ(image.FrameCount(), 4);
  const std::string out = Saved(image);
  TGIFImage back;
  TStringStream stream(out);
  back.LoadGIF(stream.Size(), stream, true);
  ASSERT_EQ(back.FrameCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(back.Frames(i)->Item().EncodedData, image.Frames(i)->Item().EncodedData) << i;
  EXPECT_EQ(back.Frames(3)->Item().Width, 40000);
  EXPECT_EQ(back.ScreenWidth(), 40000) << "measured by the descriptors of the frames that do not decode";
  EXPECT_EQ(PixelsOf(*back.Frames(0)->FrameBitmap()), PixelsOf(*image.Frames(0)->FrameBitmap()));
}

TEST_F(GIFWriteTest, EncodingReportsProgressAndAnAbortClearsTheFrame) {
  auto bitmap = Painted(3, 4, pf8bit, [](int x, int y) { return (x + y) % 2 ? 0xFF0000 : 0x0000FF; });
  TGIFImage image;
  image.AddFrame(bitmap.get());
  std::vector<std::pair<TProgressStage, int>> events;
  image.OnProgress = [&](TObject* sender, TProgressStage stage, Byte percent, bool redraw, const TRect&, const AnsiString& message) {
    EXPECT_EQ(sender, &image);
    EXPECT_FALSE(redraw);
    EXPECT_TRUE(message.empty());
    events.emplace_back(stage, percent);
  };
  Saved(image);
  const std::vector<std::pair<TProgressStage, int>> expected = {
      {psStarting, 0}, {psRunning, 25}, {psRunning, 50}, {psRunning, 75}, {psRunning, 100}, {psEnding, 100}};
  EXPECT_EQ(events, expected) << "a running report after every row";

  // Aborted on the way: the frame is cleared and the abort passes on.
  TGIFImage aborted;
  aborted.AddFrame(bitmap.get());
  TGIFFrame& frame = *aborted.Frames(0);
  frame.Delay = 500;
  frame.Left = 3;
  frame.TransparentColor = clRed;
  aborted.OnProgress = [](TObject*, TProgressStage stage, Byte percent, bool, const TRect&, const AnsiString&) {
    if (stage == psRunning && percent >= 50) throw EAbort("");
  };
  EXPECT_THROW(Saved(aborted), EAbort);
  EXPECT_TRUE(frame.Item().EncodedData.empty());
  EXPECT_EQ(frame.Delay, 0);
  EXPECT_EQ(frame.Left, 0);
  EXPECT_EQ(frame.TransparentColor, clNone);
}

TEST_F(GIFWriteTest, OnlyAnImageOfSeveralFramesGetsTheLoopExtension) {
  auto bitmap = Painted(2, 2, pf8bit, [](int x, int) { return x * 0x808080; });
  for (int frames : {1, 2, 3}) {
    TGIFImage image;
    for (int i = 0; i < frames; ++i) image.AddFrame(bitmap.get());
    image.SetLooping(true);
    image.SetRepeatCount(4);
    const std::string out = Saved(image);
    const std::size_t loop = out.find("NETSCAPE2.0");
    if (frames == 1) {
      EXPECT_EQ(loop, std::string::npos) << "one frame";
      continue;
    }
    ASSERT_NE(loop, std::string::npos) << frames << " frames";
    EXPECT_EQ(out.find("NETSCAPE2.0", loop + 1), std::string::npos) << "once";
    TGIFImage back;
    LoadGif(back, out);
    EXPECT_TRUE(back.Looping());
    EXPECT_EQ(back.RepeatCount(), 4);
  }
}

TEST_F(GIFWriteTest, DrawingIntoADecodedFrameIsSeenAndEncoded) {
  // A decoded frame's bitmap is drawn on with one of its own colours and with one it lacks; read
  // back, then encoded as a frame of another image, the drawing is there (the lacking colour as
  // its nearest palette entry).
  TGIFImage image;
  LoadGif(image, FourColourGif(4, 3, kPixels));
  TBitmap* bitmap = image.Frames(0)->FrameBitmap();
  bitmap->Canvas()->Brush()->SetColor(static_cast<TColor>(Rgb(0xFF0000)));
  bitmap->Canvas()->FillRect(Rect(0, 0, 2, 1));
  bitmap->Canvas()->Brush()->SetColor(static_cast<TColor>(Rgb(0x0000F0)));
  bitmap->Canvas()->FillRect(Rect(3, 2, 4, 3));
  std::vector<TColor> expected;
  for (int i = 0; i < 12; ++i) expected.push_back(Rgb(kFourColours[static_cast<std::size_t>(kPixels[static_cast<std::size_t>(i)])]));
  expected[0] = expected[1] = Rgb(0xFF0000);
  expected[11] = Rgb(0x0000F0);
  EXPECT_EQ(PixelsOf(*bitmap), expected);

  TGIFImage copy;
  copy.AddFrame(bitmap);
  TGIFImage back;
  LoadGif(back, Saved(copy));
  expected[11] = Rgb(0x0000FF);
  EXPECT_EQ(PixelsOf(*back.Frames(0)->FrameBitmap()), expected);
  EXPECT_EQ(PixelsOf(*image.Frames(0)->FrameBitmap())[11], Rgb(0x0000F0)) << "the frame drawn on is left as drawn";
}

TEST_F(GIFWriteTest, FramesShowingTheSamePixelsAreEncodedOnce) {
  // Frames 0, 1 and 3 are copies of one bitmap, frame 3 with a transparent colour; frame 2 is
  // another picture; frame 4 a copy drawn on after it was added.
  auto shared = Painted(9, 6, pf24bit, [](int x, int y) { return (x * y) % 3 ? 0x2040C0 : 0xC08020; });
  auto other = Painted(9, 6, pf24bit, [](int x, int) { return x * 0x1C1C1C; });
  TGIFImage image;
  for (TBitmap* b : {shared.get(), shared.get(), other.get(), shared.get(), shared.get()}) image.AddFrame(b);
  image.Frames(3)->TransparentColor = static_cast<TColor>(0xC08020);
  image.Frames(4)->FrameBitmap()->Canvas()->SetPixels(0, 0, clWhite);
  int encodings = 0;
  image.OnProgress = [&](TObject*, TProgressStage stage, Byte, bool, const TRect&, const AnsiString&) { encodings += stage == psStarting; };
  const std::string out = Saved(image);
  EXPECT_EQ(encodings, 4);
  EXPECT_EQ(image.Frames(1)->SharedItem(), image.Frames(0)->SharedItem());
  for (int i : {2, 3, 4}) EXPECT_NE(image.Frames(i)->SharedItem(), image.Frames(0)->SharedItem()) << i;
  EXPECT_FALSE(image.Frames(0)->LocalColors);
  EXPECT_TRUE(image.Frames(1)->LocalColors) << "as every frame after the first one encoded";

  TGIFImage back;
  LoadGif(back, out);
  ASSERT_EQ(back.FrameCount(), 5);
  for (int i : {0, 1, 3}) EXPECT_EQ(PixelsOf(*back.Frames(i)->FrameBitmap()), PixelsOf(*shared)) << i;
  EXPECT_EQ(PixelsOf(*back.Frames(2)->FrameBitmap()), PixelsOf(*other));
  EXPECT_EQ(back.Frames(3)->TransparentColor, static_cast<TColor>(0xC08020));
  EXPECT_EQ(back.Frames(1)->TransparentColor, clNone);
  EXPECT_EQ(static_cast<TColor>(back.Frames(4)->FrameBitmap()->PixelRGB(0, 0)), clWhite);
  EXPECT_EQ(static_cast<TColor>(back.Frames(0)->FrameBitmap()->PixelRGB(0, 0)), static_cast<TColor>(0xC08020));
}

TEST_F(GIFWriteTest, EightBitFramesEncodeWhatTheirOwnFileHolds) {
  // Taken from the pixels straight, an 8-bit frame gets the palette and the indices its bitmap
  // file would give: a picture of its own few colours, and one of many colours on the standard
  // palette (nearest entries, the first of equal ones), and one of more colours than the lookup
  // of nearest entries keeps.
  std::mt19937 random(7);
  auto few = Painted(37, 23, pf8bit, [&](int x, int y) { return (x / 5 + y / 3) % 7 * 0x241B12; });
  auto many = Painted(41, 19, pf8bit, [&](int, int) { return static_cast<int>(random() & 0xFFFFFF); });
  auto crowded = Painted(67, 53, pf8bit, [&](int, int) { return static_cast<int>(random() & 0xFFFFFF); });
  for (TBitmap* bitmap : {few.get(), many.get(), crowded.get()}) {
    TMemoryStream file;
    bitmap->SaveToStream(file);
    const auto* bytes = static_cast<const Byte*>(file.Memory());
    const std::uint32_t offset = bytes[10] | (bytes[11] << 8);
    std::vector<Byte> expected;
    gif::EncodeLZW(expected, bytes + offset, bitmap->Width(), bitmap->Height(), 8, false, [](int) {});
    TGIFImage image;
    image.AddFrame(bitmap);
    image.EncodeFrames();
    const TGIFItem& item = image.Frames(0)->Item();
    EXPECT_EQ(item.EncodedData, expected) << bitmap->Width();
    const std::uint32_t used = bytes[46] | (bytes[47] << 8);
    for (std::uint32_t i = 0; i < (used ? used : 256); ++i) {
      const Byte* e = bytes + 54 + 4 * i;
      EXPECT_EQ(item.Colors.Color(static_cast<Integer>(i)), static_cast<TColor>(RGB(e[2], e[1], e[0]))) << i;
    }
  }
}

TEST_F(GIFWriteTest, ReducedFramesStayTransparent) {
  // Far more colours than the histogram counts before it coarsens, and 600 pixels of the frame's
  // transparent colour: written, they still name the transparent index, and nothing else does.
  auto bitmap = Painted(60, 50, pf24bit, [](int x, int y) { return (x * 4) << 16 | (y * 5) << 8 | ((x + y) * 2 + 1); });
  for (int i = 0; i < 600; ++i) bitmap->SetPixelRGB(i % 60, (i / 60) * 5, RGB(251, 3, 253));
  for (Byte method : {rmHistogram, rmMedianCut, rmFixed224}) {
    const Byte saved = DefaultReductionMethod;
    DefaultReductionMethod = method;
    TGIFImage image;
    image.AddFrame(bitmap.get());
    image.Frames(0)->TransparentColor = static_cast<TColor>(RGB(251, 3, 253));
    const std::string out = Saved(image);
    DefaultReductionMethod = saved;
    TGIFImage back;
    LoadGif(back, out);
    ASSERT_EQ(back.FrameCount(), 1);
    EXPECT_EQ(back.Frames(0)->TransparentColor, static_cast<TColor>(RGB(251, 3, 253))) << "method " << int(method);
    EXPECT_TRUE(back.Transparent());
    const std::vector<TColor> pixels = PixelsOf(*back.Frames(0)->FrameBitmap());
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), static_cast<TColor>(RGB(251, 3, 253))), 600) << "method " << int(method);
  }
}

TEST_F(GIFWriteTest, ColourBitmapsAreReducedByTheProgramsMethod) {
  // 24-bit pixels over few colours come back exactly through the histogram; the grey method
  // marks the frame grey.
  auto bitmap = Painted(8, 8, pf24bit, [](int x, int y) { return (x * 31 + y * 17) % 5 * 0x332211; });
  TGIFImage image;
  image.AddFrame(bitmap.get());
  TGIFImage back;
  LoadGif(back, Saved(image));
  EXPECT_EQ(PixelsOf(*back.Frames(0)->FrameBitmap()), PixelsOf(*bitmap));

  TGIFImage grey;
  grey.AddFrame(bitmap.get());
  grey.Frames(0)->Grayscale = true;
  TGIFImage greyBack;
  LoadGif(greyBack, Saved(grey));
  EXPECT_TRUE(grey.Frames(0)->Grayscale);
  for (TColor c : PixelsOf(*greyBack.Frames(0)->FrameBitmap()))
    EXPECT_TRUE(GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c)) << std::hex << c;
}

}  // namespace
}  // namespace orv::test
