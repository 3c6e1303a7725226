// Animated cursors: the RIFF chunks (header, rates, sequence, frames, title and creator), icons and
// cursors as frames, damaged and malformed files, and the cursor handed to icons, bitmaps, icon
// lists and GIF images.
#include "tests/controls/ControlsFixture.h"
#include "tests/controls/IconFilesSupport.h"

#include "controls/AnimatedCursor.h"
#include "controls/GIFImage.h"
#include "controls/IconList.h"

namespace orv::test {
namespace {

class AnimatedCursorTest : public ControlsTest {
 protected:
  static void SetUpTestSuite() {
    ControlsTest::SetUpTestSuite();
    RegisterGIFImage();
  }
  static void Read(TAnimatedCursorImage& image, const std::string& bytes) {
    TStringStream in(bytes);
    image.ReadFromStream(in);
  }
};

const std::string kRed = IconFile(16, clRed, pf8bit);
const std::string kBlue = IconFile(16, clBlue, pf4bit);

TEST_F(AnimatedCursorTest, FramesTitleCreatorAndRates) {
  TAnimatedCursorImage image;
  Read(image, AniFile(AniHeader(2, 2, 10, 1) + List("INFO", Chunk("INAM", "Odd") + Chunk("IART", "Orvinta")) +
                      List("fram", Chunk("icon", kRed) + Chunk("icon", kBlue))));
  ASSERT_EQ(image.Count(), 2);
  EXPECT_EQ(image.Title(), "Odd");
  EXPECT_EQ(image.Creator(), "Orvinta") << "an odd-sized chunk is followed by its pad byte";
  EXPECT_EQ(image.Header().StepCount, 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(image.Frames(i)->Sequence, i);
    EXPECT_EQ(image.Frames(i)->Rate, 10u);
    EXPECT_TRUE(image.Frames(i)->IsIcon);
    EXPECT_EQ(image.Frames(i)->HotSpot, (TPoint{8, 8})) << "an icon's hot spot is its middle";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.Frames(i)->Tag.data()), 4), "icon");
  }
  EXPECT_EQ(static_cast<TColor>(image.Icons(1)->Image(0).Colour->Image().pixel(5, 5) & 0xFFFFFF), 0x0000FF);
  EXPECT_EQ(image.SourceColorCount(), 256) << "the most colours any frame's image has";
}

TEST_F(AnimatedCursorTest, HeaderChunksLongerOrShorterThanTheHeader) {
  TAnimatedCursorImage image;
  Read(image, AniFile(AniHeader(1, 1, 5, 1, 40) + List("fram", Chunk("icon", kRed))));
  EXPECT_EQ(image.Count(), 1) << "the 4 bytes beyond the header are skipped";
  EXPECT_EQ(image.Header().DisplayRate, 5u);
  // 30 bytes leave the rate half and the flags 0: no icon flag.
  EXPECT_THROW(Read(image, AniFile(AniHeader(1, 1, 5, 1, 30) + List("fram", Chunk("icon", kRed)))), EReadError);
}

TEST_F(AnimatedCursorTest, TitlesAreCutAt255Bytes) {
  TAnimatedCursorImage image;
  Read(image, AniFile(AniHeader(1, 1, 5, 1) + List("INFO", Chunk("INAM", std::string(300, 't'))) +
                      List("fram", Chunk("icon", kRed))));
  EXPECT_EQ(image.Title(), std::string(255, 't'));
}

TEST_F(AnimatedCursorTest, CursorFramesKeepTheirHotSpot) {
  const std::string cursor = IconFile(32, clLime, pf24bit, kIconTypeCursor, {3, 4});
  TAnimatedCursorImage image;
  Read(image, AniFile(AniHeader(1, 1, 6, 1) + List("fram", Chunk("icon", cursor))));
  ASSERT_EQ(image.Count(), 1);
  EXPECT_FALSE(image.Frames(0)->IsIcon);
  EXPECT_EQ(image.Frames(0)->HotSpot, (TPoint{3, 4}));
  EXPECT_EQ(image.Icons(0)->Width(), 32);
}

TEST_F(AnimatedCursorTest, RateAndSequenceChunksReachTheirFrames) {
  // Sequence: the first icon shows second and the second first.
  TAnimatedCursorImage image;
  Read(image, AniFile(AniHeader(2, 2, 10, 1) + Chunk("rate", U32Bytes(20) + U32Bytes(99)) + Chunk("rate", U32Bytes(30)) +
                      Chunk("seq ", U32Bytes(1)) + Chunk("seq ", U32Bytes(0)) +
                      List("fram", Chunk("icon", kRed) + Chunk("icon", kBlue))));
  ASSERT_EQ(image.Count(), 2);
  EXPECT_EQ(image.Frames(0)->Rate, 20u);
  EXPECT_EQ(image.Frames(1)->Rate, 30u);
  EXPECT_EQ(image.Frames(0)->Sequence, 1);
  EXPECT_EQ(image.Icons(0)->Image(0).Colour->Image().pixel(5, 5) & 0xFFFFFF, 0x0000FFu) << "frame 0 shows the second icon";
  EXPECT_EQ(image.Icons(1)->Image(0).Colour->Image().pixel(5, 5) & 0xFFFFFF, 0xFF0000u);

  TAnimatedCursorImage noHeader;
  Read(noHeader, AniFile(List("fram", Chunk("icon", kRed) + Chunk("icon", kBlue))));
  ASSERT_EQ(noHeader.Count(), 2) << "without a header every icon makes its own frame";
  EXPECT_EQ(noHeader.Frames(0)->Sequence, -1);
}

// The colour of each frame's icon and each frame's sequence number.
std::vector<std::pair<TColor, Integer>> FramesOf(const TAnimatedCursorImage& image) {
  std::vector<std::pair<TColor, Integer>> frames;
  for (int i = 0; i < image.Count(); ++i)
    frames.emplace_back(static_cast<TColor>(image.Icons(i)->Image(0).Colour->Image().pixel(5, 5) & 0xFFFFFF),
                        image.Frames(i)->Sequence);
  return frames;
}

TEST_F(AnimatedCursorTest, IconsGoToTheFramesNumberedSoWhenTheyAreRead) {
  // Pixel colours as read back (0xRRGGBB).
  const TColor red = 0xFF0000, blue = 0x0000FF, lime = 0x00FF00, yellow = 0xFFFF00;
  const std::string a = Chunk("icon", kRed), b = Chunk("icon", kBlue), c = Chunk("icon", IconFile(16, clLime)),
                    d = Chunk("icon", IconFile(16, clYellow));
  struct TCase {
    const char* Name;
    std::string Chunks;
    std::vector<std::pair<TColor, Integer>> Frames;
  };
  const TCase cases[] = {
      {"renumbered after its icon was read: keeps it", AniHeader(2, 2, 1, 1) + List("fram", a + b) + Chunk("seq ", U32Bytes(1)),
       {{red, 1}, {blue, 1}}},
      {"renumbered to an icon still to come: the later one wins",
       AniHeader(3, 3, 1, 1) + List("fram", a) + Chunk("seq ", U32Bytes(2)) + List("fram", b + c), {{lime, 2}, {blue, 1}, {lime, 2}}},
      {"renumbered to one already read: keeps what it had",
       AniHeader(2, 2, 1, 1) + List("fram", a + b) + Chunk("seq ", U32Bytes(0)) + Chunk("seq ", U32Bytes(0)) + List("fram", c),
       {{red, 0}, {blue, 0}, {lime, -1}}},
      {"two headers number their frames from 0 each", AniHeader(2, 2, 1, 1) + AniHeader(2, 2, 1, 1) + List("fram", a + b),
       {{red, 0}, {blue, 1}, {red, 0}, {blue, 1}}},
      {"icons beyond the frames make their own", AniHeader(1, 1, 1, 1) + List("fram", a + b + c), {{red, 0}, {blue, -1}, {lime, -1}}},
      {"a frame of its own renumbered later", List("fram", a) + Chunk("seq ", U32Bytes(1)) + List("fram", b + d),
       {{blue, 1}, {yellow, -1}}},
      {"numbers no icon reaches", AniHeader(3, 3, 1, 1) + Chunk("seq ", U32Bytes(0xFFFFFFFF)) + Chunk("seq ", U32Bytes(0x7FFFFFFF)) +
       List("fram", a + b + c), {{lime, 2}, {red, -1}, {blue, -1}}},
  };
  for (const TCase& t : cases) {
    TAnimatedCursorImage image;
    Read(image, AniFile(t.Chunks));
    EXPECT_EQ(FramesOf(image), t.Frames) << t.Name;
  }
}

TEST_F(AnimatedCursorTest, FramesShowingOneIconShareItsImages) {
  // One 256 x 256 icon shown by every frame of a long sequence.
  const int frames = 10000;
  std::string chunks = AniHeader(frames, frames, 2, 1);
  for (int i = 0; i < frames; ++i) chunks += Chunk("seq ", U32Bytes(0));
  chunks += List("fram", Chunk("icon", IconFile(256, clRed, pf8bit)));
  TAnimatedCursorImage image;
  Read(image, AniFile(chunks));
  ASSERT_EQ(image.Count(), frames);
  const TGdiBitmap* pixels = image.Icons(0)->Image(0).Colour.get();
  for (int i = 0; i < frames; ++i) {
    ASSERT_EQ(image.Icons(i)->Image(0).Colour.get(), pixels) << i;
    ASSERT_EQ(image.Frames(i)->Rate, 2u);
  }
  EXPECT_NE(image.Icons(0), image.Icons(1)) << "every frame owns its icon";
  EXPECT_EQ(image.Icons(9999)->Width(), 256);

  // Copies of the cursor and of its icons share the images as well.
  TAnimatedCursorImage copy;
  copy.Assign(&image);
  EXPECT_EQ(copy.Icons(5)->Image(0).Colour.get(), pixels);
  TIconList list;
  list.Assign(&image);
  ASSERT_EQ(list.IconCount(), frames);
  EXPECT_EQ(list.Get(7)->Image(0).Colour.get(), pixels);
}

TEST_F(AnimatedCursorTest, ManyFramesAndIconsAreMatchedInOnePass) {
  // A header claiming far more frames than icons follow; each icon finds its frame directly.
  const int frames = 200000, icons = 10000;
  const std::string icon = Chunk("icon", IconFile(2, clBlue));
  std::string list;
  for (int i = 0; i < icons; ++i) list += icon;
  std::string chunks = AniHeader(frames, frames, 3, 1) + Chunk("seq ", U32Bytes(icons - 1)) + List("fram", list);
  TAnimatedCursorImage image;
  Read(image, AniFile(chunks));
  // Frame 0, renumbered, shows the last icon; the first icon then has no frame and makes its own.
  ASSERT_EQ(image.Count(), icons + 1) << "frames without an icon go";
  EXPECT_EQ(image.Frames(0)->Sequence, icons - 1);
  for (int i = 1; i < icons; ++i) ASSERT_EQ(image.Frames(i)->Sequence, i);
  EXPECT_EQ(image.Frames(icons)->Sequence, -1);
  EXPECT_EQ(image.Header().StepCount, static_cast<LongWord>(icons + 1));
}

TEST_F(AnimatedCursorTest, AFrameThatDoesNotReadEndsItsList) {
  const std::string notAnIcon = std::string("\0\0\x05\0\x01\0", 6) + std::string(20, 'x');
  TAnimatedCursorImage image;
  Read(image, AniFile(AniHeader(3, 3, 10, 1) + List("fram", Chunk("icon", kRed) + Chunk("icon", notAnIcon) + Chunk("icon", kBlue)) +
                      List("INFO", Chunk("INAM", "after"))));
  EXPECT_EQ(image.Count(), 1) << "the icons after the bad one are skipped; frames without an icon go";
  EXPECT_EQ(image.Header().StepCount, 1u);
  EXPECT_EQ(image.Title(), "after") << "the chunks after it are read on";
}

TEST_F(AnimatedCursorTest, IconsBeyondTheFilesBudgetRefuseTheCursor) {
  // All icons of one file together hold at most 8192 x 8192 pixels. An image claiming more than is
  // left refuses the cursor; it neither ends its list quietly nor leaves the cursor without frames.
  struct TCase {
    const char* Name;
    std::string Frames;
  };
  const TCase cases[] = {
      {"one claim beyond the whole budget", List("fram", Chunk("icon", MonochromeIconFile(8192, 8193, false)))},
      {"the whole budget after an icon", List("fram", Chunk("icon", kRed) + Chunk("icon", MonochromeIconFile(8192, 8192, false)))},
      {"the rest in the next list", List("fram", Chunk("icon", kRed)) + List("fram", Chunk("icon", MonochromeIconFile(8192, 8192, false)))},
      {"real images: 8192 x 8191 after 128 x 128",
       List("fram", Chunk("icon", IconFile(128, clRed)) + Chunk("icon", MonochromeIconFile(8192, 8191)))},
  };
  for (const TCase& c : cases) {
    TAnimatedCursorImage image;
    try {
      Read(image, AniFile(AniHeader(2, 2, 1, 1) + c.Frames));
      ADD_FAILURE() << c.Name << ": read " << image.Count() << " frames";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "Icon image is too large") << c.Name;
    }
    EXPECT_EQ(image.Count(), 0) << c.Name;
  }
  // Within the budget, an image that does not read still only ends its list.
  TAnimatedCursorImage image;
  Read(image, AniFile(AniHeader(2, 2, 1, 1) + List("fram", Chunk("icon", MonochromeIconFile(4096, 4096, false)) + Chunk("icon", kRed)) +
                      List("fram", Chunk("icon", MonochromeIconFile(64, 32)))));
  ASSERT_EQ(image.Count(), 1);
  EXPECT_EQ(image.Icons(0)->Width(), 64);
  EXPECT_EQ(image.Icons(0)->Height(), 32);
}

TEST_F(AnimatedCursorTest, DrawingIsBoundLikeABitmapRead) {
  // Frames of one icon, drawn side by side (or one under another) into one bitmap.
  auto frames = [](int count, const std::string& icon) {
    std::string chunks = AniHeader(count, count, 1, 1);
    for (int i = 0; i < count; ++i) chunks += Chunk("seq ", U32Bytes(0));
    return AniFile(chunks + List("fram", Chunk("icon", icon)));
  };
  struct TCase {
    const char* Name;
    int Count;
    std::string Icon;
    bool Vertical;
  };
  const TCase cases[] = {
      {"8193 x 32768 pixels side by side", 8193, MonochromeIconFile(1, 32768), false},
      {"32768 x 8193 pixels one under another", 8193, MonochromeIconFile(32768, 1), true},
      {"a row wider than 32768", 2, MonochromeIconFile(16385, 1), false},
      {"a column higher than 32768", 2, MonochromeIconFile(1, 16385), true},
  };
  for (const TCase& c : cases) {
    TAnimatedCursorImage image;
    Read(image, frames(c.Count, c.Icon));
    ASSERT_EQ(image.Count(), c.Count) << c.Name;
    TBitmap bitmap;
    try {
      image.DrawToBitmap(bitmap, clWhite, c.Vertical, false);
      ADD_FAILURE() << c.Name << ": drew " << bitmap.Width() << " x " << bitmap.Height();
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message(), "Animated cursor is too large to draw") << c.Name;
    }
    EXPECT_TRUE(bitmap.Empty()) << c.Name;
  }
  TAnimatedCursorImage fits;
  Read(fits, frames(2, MonochromeIconFile(16384, 1)));
  TBitmap row;
  fits.DrawToBitmap(row, clWhite, false, false);
  EXPECT_EQ(row.Width(), 32768);
  EXPECT_EQ(row.Height(), 1);
}

TEST_F(AnimatedCursorTest, MalformedFiles) {
  const std::string frames = List("fram", Chunk("icon", kRed));
  struct TCase {
    const char* Name;
    std::string Bytes;
  };
  const TCase cases[] = {
      {"not RIFF", "RIFX" + AniFile(AniHeader(1, 1, 1, 1) + frames).substr(4)},
      {"not ACON", AniFile(frames).replace(8, 4, "WAVE")},
      {"too short", "RIFF\x04\0\0\0AC"},
      {"no icon flag", AniFile(AniHeader(1, 1, 1, 0) + frames)},
      {"no steps", AniFile(AniHeader(1, 0, 1, 1) + frames)},
      {"no frames", AniFile(AniHeader(1, 1, 1, 1))},
  };
  for (const TCase& c : cases) {
    TAnimatedCursorImage image;
    EXPECT_THROW(Read(image, c.Bytes), EReadError) << c.Name;
    EXPECT_EQ(image.Count(), 0) << c.Name;
  }
  // A header asking for four billion frames costs no more than the frames the file can hold.
  TAnimatedCursorImage many;
  Read(many, AniFile(AniHeader(-1, 1, 1, 1) + frames));
  EXPECT_EQ(many.Count(), 1);
  // A list claiming more than there is ends the chunks after what it holds.
  TAnimatedCursorImage claiming;
  Read(claiming, AniFile(AniHeader(1, 1, 1, 1) + Chunk("LIST", "fram" + Chunk("icon", kRed), 100000)));
  EXPECT_EQ(claiming.Count(), 1);
  // A file cut inside its second frame keeps the first.
  const std::string whole = AniFile(AniHeader(2, 2, 1, 1) + List("fram", Chunk("icon", kRed) + Chunk("icon", kBlue)));
  TAnimatedCursorImage cut;
  Read(cut, whole.substr(0, whole.size() - 40));
  EXPECT_EQ(cut.Count(), 1);
  TAnimatedCursorImage empty;
  Read(empty, "");
  EXPECT_EQ(empty.Count(), 0) << "an empty stream reads nothing";
}

TEST_F(AnimatedCursorTest, FilesAndWriting) {
  const std::string name = FDataDir + "busy.ani";
  {
    TFileStream out(name, fmCreate);
    const std::string bytes = AniFile(AniHeader(1, 1, 1, 1) + List("fram", Chunk("icon", kRed)));
    out.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  }
  TAnimatedCursorImage image;
  image.ReadFromFile(name);
  EXPECT_EQ(image.Count(), 1);
  EXPECT_THROW(image.ReadFromFile(FDataDir + "missing.ani"), EStreamError);
  EXPECT_EQ(image.Count(), 0) << "a failed read leaves the image empty";
  TMemoryStream out;
  EXPECT_THROW(image.WriteToStream(out), EAbort);
  ASSERT_EQ(ColorDialogs.Asked.size(), 1u);
  EXPECT_EQ(ColorDialogs.Asked[0].Text, "Function not yet implemented");
}

TEST_F(AnimatedCursorTest, TheCursorGoesToIconsBitmapsListsAndGifs) {
  TAnimatedCursorImage image;
  Read(image, AniFile(AniHeader(2, 2, 10, 1) + List("fram", Chunk("icon", kRed) + Chunk("icon", kBlue))));

  TAnimatedCursorImage copy;
  copy.Assign(&image);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_NE(copy.Icons(0), image.Icons(0));

  TIcon icon;
  icon.Assign(&image);
  EXPECT_EQ(icon.Width(), 16);

  TBitmap strip;
  strip.Canvas()->Brush()->SetColor(clYellow);
  strip.Assign(&image);
  EXPECT_EQ(strip.Width(), 32);
  EXPECT_EQ(strip.Height(), 16);
  EXPECT_EQ(static_cast<TColor>(strip.PixelRGB(0, 0)), clYellow) << "transparent pixels show the brush colour";
  EXPECT_EQ(static_cast<TColor>(strip.PixelRGB(20, 5)), clBlue);
  TBitmap column;
  image.DrawToBitmap(column, clWhite, true, false);
  EXPECT_EQ(column.Width(), 16);
  EXPECT_EQ(column.Height(), 32);
  EXPECT_EQ(static_cast<TColor>(column.PixelRGB(5, 20)), clBlue);

  TIconList list;
  list.Assign(&image);
  EXPECT_EQ(list.IconCount(), 2);

  TGIFImage gif;
  gif.Assign(&image);
  ASSERT_EQ(gif.FrameCount(), 2);
  EXPECT_EQ(gif.Frames(0)->Delay, 166) << "10 sixtieths of a second";
  EXPECT_EQ(gif.BackgroundColor(), clWindow);
  EXPECT_EQ(gif.Frames(0)->TransparentColor, static_cast<TColor>(0xFF00FF)) << "icons are drawn on magenta";
  TBitmap target;
  target.SetSize(16, 16);
  target.Canvas()->Brush()->SetColor(clLime);
  target.Canvas()->FillRect(Rect(0, 0, 16, 16));
  target.Canvas()->Draw(0, 0, &gif);
  EXPECT_EQ(static_cast<TColor>(target.PixelRGB(0, 0)), clLime) << "the icon's transparent pixel stays transparent";
  EXPECT_EQ(static_cast<TColor>(target.PixelRGB(5, 5)), clBlue) << "the current frame is the last one added";

  TGIFImage fromEmpty;
  TAnimatedCursorImage none;
  fromEmpty.Assign(&none);
  EXPECT_EQ(fromEmpty.FrameCount(), 0);
  TGIFImage other;
  EXPECT_THROW(image.Assign(&other), EConvertError);
}

}  // namespace
}  // namespace orv::test
