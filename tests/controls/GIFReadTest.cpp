// Reading and drawing GIF pictures: window-description data, frames with their tables, positions,
// timing and transparency, interlaced rows, damaged data, and a table of malformed files.
#include "tests/controls/ControlsFixture.h"
#include "tests/controls/GifTestSupport.h"

#include "controls/GIFImage.h"
#include "controls/GIFInternal.h"
#include "controls/OrvHelpers.h"
#include "platform/classes/Filer.h"

namespace orv::test {
namespace {

class GIFReadTest : public ControlsTest {
 protected:
  static void SetUpTestSuite() {
    ControlsTest::SetUpTestSuite();
    RegisterGIFImage();
  }
  void TearDown() override {
    AllowDamagedGIF = true;
    ControlsTest::TearDown();
  }
};

const std::vector<int> kPixels = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2};  // 4 x 3

std::vector<TColor> Expected(const std::vector<int>& indices, const std::vector<int>& table = kFourColours) {
  std::vector<TColor> out;
  for (int i : indices) out.push_back(Rgb(table[static_cast<std::size_t>(i)]));
  return out;
}

TEST_F(GIFReadTest, WindowDescriptionDataIsALengthThenTheFile) {
  const std::string gif = FourColourGif(4, 3, kPixels);
  std::string data(4, '\0');
  const auto n = static_cast<std::uint32_t>(gif.size());
  for (int i = 0; i < 4; ++i) data[static_cast<std::size_t>(i)] = static_cast<char>(n >> (8 * i));
  data += gif + "after";
  TStringStream stream(data);
  TGIFImage image;
  image.ReadData(stream);
  EXPECT_EQ(stream.Position(), static_cast<Int64>(4 + gif.size())) << "exactly the counted bytes are read";
  ASSERT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(image.Width(), 4);
  EXPECT_EQ(image.Height(), 3);
  EXPECT_TRUE(image.Frames(0)->HasBitmap()) << "the first frame is decoded at once";
  EXPECT_EQ(PixelsOf(*image.Frames(0)->FrameBitmap()), Expected(kPixels));

  // The same through a picture, as a window description holds it.
  std::string pictureData = std::string(1, 9) + "TGIFImage" + data.substr(0, 4 + gif.size());
  TStringStream pictureStream(pictureData);
  TPicture picture;
  picture.ReadData(pictureStream);
  ASSERT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 4);
}

TEST_F(GIFReadTest, TheFormatIsRegisteredForGifFilesAndTheClipboard) {
  EXPECT_EQ(TPicture::FileFormatClass("GIF"), TGIFImage::Class());
  EXPECT_NE(GIFClipboardFormat(), 0u);
  EXPECT_EQ(TPicture::ClipboardFormatClass(static_cast<Word>(GIFClipboardFormat())), TGIFImage::Class());
  EXPECT_NE(TPicture::FileFilter().find("CompuServe GIF Image (*.gif)"), AnsiString::npos);
  const std::string file = FDataDir + "Picture.Gif";
  {
    TFileStream out(file, fmCreate);
    const std::string gif = FourColourGif(4, 3, kPixels);
    out.WriteBuffer(gif.data(), static_cast<Int64>(gif.size()));
  }
  TPicture picture;
  picture.LoadFromFile(file);
  EXPECT_EQ(picture.Width(), 4);
  UnregisterGIFImage();
  EXPECT_EQ(TPicture::FileFormatClass("gif"), nullptr);
  RegisterGIFImage();
}

TEST_F(GIFReadTest, SignatureAndVersionIgnoreCase) {
  for (const char* signature : {"GIF89a", "gif89a", "GiF87A"}) {
    std::string gif = FourColourGif(4, 3, kPixels);
    gif.replace(0, 6, signature);
    TGIFImage image;
    LoadGif(image, gif);
    EXPECT_EQ(image.Version(), signature[4] == '9' ? 2 : 1) << signature;
    EXPECT_EQ(image.Width(), 4) << signature;
  }
}

TEST_F(GIFReadTest, ATrailerAloneIsAnEmptyImage) {
  TGifBytes g;
  g.Header().Screen(10, 10, 0).Trailer();
  TGIFImage image;
  LoadGif(image, g.Bytes);
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(image.Height(), 0);
  EXPECT_EQ(image.CurrentIndex(), -1);
  TBitmap canvas;
  canvas.SetSize(4, 4);
  canvas.Canvas()->Brush()->SetColor(clLime);
  canvas.Canvas()->FillRect(Rect(0, 0, 4, 4));
  image.Draw(*canvas.Canvas(), Rect(0, 0, 4, 4));
  EXPECT_EQ(static_cast<TColor>(canvas.PixelRGB(1, 1)), clLime) << "nothing is drawn";

  EXPECT_EQ(image.Palette(), nullptr);
  TBitmap* current = image.CurrentBitmap();
  EXPECT_TRUE(current->Empty());
  EXPECT_EQ(image.FrameCount(), 1) << "asking for the current bitmap of no frames adds an empty one";
  EXPECT_EQ(image.CurrentIndex(), 0);

  TGIFImage zero;
  TStringStream empty("");
  zero.LoadFromStream(empty);
  EXPECT_TRUE(zero.Empty()) << "no bytes at all read nothing";
}

TEST_F(GIFReadTest, FramesKeepTheirTablesPositionsAndTiming) {
  // Frame 1: global table, at (0, 0); frame 2: its own table, at (2, 1), a zero-sized descriptor.
  const std::vector<int> local = {0x00FF00, 0xFFFF00, 0x00FFFF, 0x808080};
  TGifBytes g;
  g.Header().Screen(6, 4, 0x80 | 0x11, 2).Table(kFourColours).Loop(50000);
  g.GraphicControl(0x01 | (2 << 2), 7, 3).GraphicControl(0x00 | (1 << 2), 25, 0);
  g.Image(0, 0, 4, 3, 0).Raw(RawLzw(kPixels, 2));
  g.Comment({"frame two"}).GraphicControl(0x01, 3, 1);
  g.Image(2, 1, 0, 0, 0x81).Table(local).Raw(RawLzw(std::vector<int>(24, 1), 2));
  g.Comment({"the", "end"}).Comment({"really"}).Trailer();
  TGIFImage image;
  LoadGif(image, g.Bytes);
  ASSERT_EQ(image.FrameCount(), 2);
  EXPECT_EQ(image.BackgroundColor(), clRed);
  EXPECT_TRUE(image.Looping());
  EXPECT_EQ(image.RepeatCount(), 30000) << "loop counts are bounded";
  const TStringList& comment = image.Data().Comment;
  ASSERT_EQ(comment.Count(), 4) << "the trailing comments, a blank-line line between two";
  EXPECT_EQ(comment.Get(0), "the");
  EXPECT_EQ(comment.Get(2), "\r\n\r\n");
  EXPECT_EQ(comment.Get(3), "really");

  TGIFFrame& first = *image.Frames(0);
  EXPECT_EQ(first.Delay, 250) << "the larger delay of two graphic controls";
  EXPECT_EQ(first.TransparentColor, clNone) << "the last graphic control's transparency";
  EXPECT_EQ(first.Disposal, 1);
  EXPECT_FALSE(first.LocalColors);

  TGIFFrame& second = *image.Frames(1);
  EXPECT_TRUE(second.LocalColors);
  EXPECT_EQ(second.Left, 2);
  EXPECT_EQ(second.Top, 1);
  EXPECT_EQ(second.Item().Width, 6) << "a width of 0 takes the screen's";
  EXPECT_EQ(second.Item().Height, 4);
  EXPECT_EQ(second.TransparentColor, Rgb(0xFFFF00));
  EXPECT_EQ(second.Delay, 30);
  ASSERT_NE(second.Comment(false), nullptr);
  EXPECT_EQ(second.Comment(false)->Get(0), "frame two");
  EXPECT_FALSE(second.HasBitmap()) << "later frames wait until they are needed";
  EXPECT_EQ(PixelsOf(*second.FrameBitmap()), std::vector<TColor>(24, Rgb(0xFFFF00)));
  EXPECT_TRUE(image.Transparent());
  image.SetTransparent(false);
  EXPECT_FALSE(image.Transparent());
}

TEST_F(GIFReadTest, ReadingMarksThePaletteModified) {
  for (const std::string& bytes : {FourColourGif(4, 3, kPixels), std::string()}) {
    TGIFImage image;
    EXPECT_FALSE(image.PaletteModified());
    int changes = 0;
    image.OnChange = [&](TObject*) {
      EXPECT_TRUE(image.PaletteModified()) << "set before the change is signalled";
      ++changes;
    };
    LoadGif(image, bytes);
    EXPECT_TRUE(image.PaletteModified()) << bytes.size() << " bytes";
    EXPECT_EQ(changes, 1);
  }
}

TEST_F(GIFReadTest, ADecodedFramesPaletteIsItsColourTable) {
  // Four colours decode at 4 bits: the table's entries, then grey.
  TGIFImage image;
  LoadGif(image, FourColourGif(4, 3, kPixels));
  HPALETTE palette = image.Palette();
  ASSERT_NE(palette, nullptr);
  ASSERT_EQ(palette->Entries.size(), 16u);
  for (std::size_t i = 0; i < 16; ++i) {
    const COLORREF expected = i < 4 ? static_cast<COLORREF>(Rgb(kFourColours[i])) : RGB(128, 128, 128);
    EXPECT_EQ(palette->Entries[i] & 0xFFFFFF, expected) << i;
  }
  // A frame's own table, at 8 bits for 32 entries.
  std::vector<int> table;
  for (int i = 0; i < 32; ++i) table.push_back(i * 0x070503);
  TGifBytes g;
  g.Header().Screen(2, 1, 0).Image(0, 0, 2, 1, 0x84).Table(table).Raw(RawLzw({31, 7}, 5)).Trailer();
  TGIFImage local;
  LoadGif(local, g.Bytes);
  HPALETTE own = local.Palette();
  ASSERT_NE(own, nullptr);
  ASSERT_EQ(own->Entries.size(), 256u);
  EXPECT_EQ(own->Entries[31] & 0xFFFFFF, static_cast<COLORREF>(Rgb(31 * 0x070503)));
  EXPECT_EQ(own->Entries[32] & 0xFFFFFF, RGB(128, 128, 128));
  EXPECT_EQ(PixelsOf(*local.CurrentBitmap()), (std::vector<TColor>{Rgb(31 * 0x070503), Rgb(7 * 0x070503)}));
}

TEST_F(GIFReadTest, AFrameIsEmptyWithNeitherABitmapNorEncodedData) {
  TGIFImage image;
  EXPECT_TRUE(image.Empty()) << "no frames";
  TBitmap empty;
  image.AddFrame(&empty);
  ASSERT_EQ(image.FrameCount(), 1);
  EXPECT_TRUE(image.Empty()) << "an empty bitmap makes a frame holding nothing";
  EXPECT_TRUE(image.CurrentBitmap()->Empty());
  EXPECT_FALSE(image.Frames(0)->HasBitmap());
  EXPECT_FALSE(image.Empty()) << "the frame holds the bitmap asked for, if an empty one";
  image.Frames(0)->Assign(nullptr);
  EXPECT_TRUE(image.Empty()) << "a cleared frame holds nothing";
  image.Frames(0)->NewBitmap();
  EXPECT_FALSE(image.Empty());
  EXPECT_EQ(image.Width(), 0);

  TGIFImage read;
  LoadGif(read, FourColourGif(4, 3, kPixels));
  read.SetCurrentIndex(-1);
  EXPECT_FALSE(read.Empty()) << "a negative index looks at frame 0";
  read.SetCurrentIndex(1);
  EXPECT_TRUE(read.Empty()) << "an index past the frames";
}

TEST_F(GIFReadTest, TheScreenIsMeasuredThroughTheDecodedFrames) {
  // Frame 1 decodes, frame 2's codes run out: the screen covers both, frame 2 by its descriptor.
  TGifBytes g;
  g.Header().Screen(1, 1, 0x80 | 0x11).Table(kFourColours);
  g.Image(1, 0, 4, 3, 0).Raw(RawLzw(kPixels, 2));
  g.Image(0, 2, 2, 5, 0).Raw(RawLzw({1, 2}, 2, false));
  g.Trailer();
  TGIFImage image;
  TStringStream stream(g.Bytes);
  image.LoadGIF(stream.Size(), stream, false);
  ASSERT_EQ(image.FrameCount(), 2);
  EXPECT_FALSE(image.Frames(0)->HasBitmap());
  image.UpdateScreenSize();
  EXPECT_TRUE(image.Frames(0)->HasBitmap()) << "measured through its bitmap";
  EXPECT_EQ(image.ScreenWidth(), 5);
  EXPECT_EQ(image.ScreenHeight(), 7);
  // A decoded frame measures as its bitmap is now.
  image.Frames(0)->FrameBitmap()->SetSize(9, 1);
  image.UpdateScreenSize();
  EXPECT_EQ(image.ScreenWidth(), 10);
}

TEST_F(GIFReadTest, AddFrameIsTheOneWayFramesAreAdded) {
  // An image that counts its frames sees those a bitmap assignment adds.
  class TCounting : public TGIFImage {
   public:
    int AddFrame(TGraphic* graphic) override {
      ++Added;
      return TGIFImage::AddFrame(graphic);
    }
    int Added = 0;
  };
  auto bitmap = Painted(2, 2, pf24bit, [](int, int) { return 0x123456; });
  TCounting image;
  image.Assign(bitmap.get());
  TGIFImage& base = image;
  base.AddFrame(bitmap.get());
  EXPECT_EQ(image.Added, 2);
  EXPECT_EQ(image.FrameCount(), 2);
}

TEST_F(GIFReadTest, InterlacedRowsArriveInTheirPasses) {
  for (int height : {1, 2, 3, 5, 8, 10, 17}) {
    // Row y holds colour y % 4 across its two pixels; the file sends the rows pass by pass.
    std::vector<int> sent;
    const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = starts[pass]; y < height; y += steps[pass]) sent.insert(sent.end(), {y % 4, y % 4});
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(2 * height));
    TGIFImage image;
    LoadGif(image, FourColourGif(2, height, sent, 0x40));
    std::vector<int> rows;
    for (int y = 0; y < height; ++y) rows.insert(rows.end(), {y % 4, y % 4});
    EXPECT_TRUE(image.Frames(0)->Interlaced);
    EXPECT_EQ(PixelsOf(*image.Frames(0)->FrameBitmap()), Expected(rows)) << height << " rows";
  }
}

TEST_F(GIFReadTest, CodesAboveTheClearCodeAreTableEntriesWhateverTheTableSize) {
  // A 64-colour table with a minimum code size of 2 (as encoders that count the colours used
  // write it): clear, 1, then 6 (the entry being made: 1 1), end.
  std::vector<int> table(64);
  for (int i = 0; i < 64; ++i) table[static_cast<std::size_t>(i)] = i * 0x030405;
  TGifBytes g;
  g.Header().Screen(3, 1, 0x80 | 0x55).Table(table).Image(0, 0, 3, 1, 0);
  g.Byte1(2).Byte1(2).Byte1(0x8C).Byte1(0x0B).Byte1(0).Trailer();
  TGIFImage image;
  LoadGif(image, g.Bytes);
  EXPECT_EQ(PixelsOf(*image.Frames(0)->FrameBitmap()), Expected({1, 1, 1}, table));
}

TEST_F(GIFReadTest, TwoColoursDecodeAsMonochromeOnlyWhenBlackAndWhite) {
  struct TCase {
    std::vector<int> Table;
    bool Monochrome;
  };
  for (const TCase& c : {TCase{{0x000000, 0xFFFFFF}, true}, TCase{{0xFF0000, 0x0000FF}, false}}) {
    TGifBytes g;
    g.Header().Screen(3, 1, 0x80).Table(c.Table).Image(0, 0, 3, 1, 0).Raw(RawLzw({0, 1, 0}, 2)).Trailer();
    TGIFImage image;
    LoadGif(image, g.Bytes);
    TBitmap* bitmap = image.Frames(0)->FrameBitmap();
    EXPECT_EQ(bitmap->Monochrome(), c.Monochrome);
    EXPECT_EQ(PixelsOf(*bitmap), Expected({0, 1, 0}, c.Table));
    // Drawn on a canvas the colours stay what the table says.
    TBitmap target;
    target.SetSize(3, 1);
    target.Canvas()->Draw(0, 0, &image);
    EXPECT_EQ(PixelsOf(target), Expected({0, 1, 0}, c.Table));
  }
}

TEST_F(GIFReadTest, DrawingLeavesTheTransparentColourOut) {
  TGifBytes g;
  g.Header().Screen(4, 3, 0x80 | 0x11).Table(kFourColours).GraphicControl(0x01, 0, 2);
  g.Image(0, 0, 4, 3, 0).Raw(RawLzw(kPixels, 2)).Trailer();
  TGIFImage image;
  LoadGif(image, g.Bytes);
  TBitmap target;
  target.SetSize(8, 6);
  target.Canvas()->Brush()->SetColor(clLime);
  target.Canvas()->FillRect(Rect(0, 0, 8, 6));
  target.Canvas()->StretchDraw(Rect(0, 0, 8, 6), &image);
  // Pixel (2, 0) is red, the transparent colour; (1, 0) white.
  EXPECT_EQ(static_cast<TColor>(target.PixelRGB(4, 0)), clLime);
  EXPECT_EQ(static_cast<TColor>(target.PixelRGB(5, 1)), clLime);
  EXPECT_EQ(static_cast<TColor>(target.PixelRGB(2, 0)), clWhite);
  EXPECT_EQ(static_cast<TColor>(target.PixelRGB(0, 0)), clBlack);
  image.SetTransparent(false);
  target.Canvas()->StretchDraw(Rect(0, 0, 8, 6), &image);
  EXPECT_EQ(static_cast<TColor>(target.PixelRGB(4, 0)), clRed) << "without Transparent every pixel is drawn";
}

TEST_F(GIFReadTest, DecodingReportsProgress) {
  std::vector<int> pixels(64 * 8, 3);
  TGIFImage image;
  std::vector<std::pair<TProgressStage, int>> events;
  image.OnProgress = [&](TObject* sender, TProgressStage stage, Byte percent, bool redraw, const TRect&, const AnsiString&) {
    EXPECT_EQ(sender, &image);
    EXPECT_FALSE(redraw);
    events.emplace_back(stage, percent);
  };
  LoadGif(image, FourColourGif(64, 8, pixels));
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), std::make_pair(psStarting, 0));
  EXPECT_EQ(events.back(), std::make_pair(psEnding, 100));
  int last = 0;
  for (std::size_t i = 1; i + 1 < events.size(); ++i) {
    EXPECT_EQ(events[i].first, psRunning);
    EXPECT_GE(events[i].second, last);
    last = events[i].second;
  }
  EXPECT_GE(last, 90);
}

TEST_F(GIFReadTest, DamagedFramesLoadWithTheCorruptedFlag) {
  // A minimum code size of 12, its codes written 10 bits wide: taken as 9.
  std::string lzw = RawLzw(kPixels, 9);
  lzw[0] = 12;
  TGifBytes big;
  big.Header().Screen(4, 3, 0x80 | 0x11).Table(kFourColours).Image(0, 0, 4, 3, 0).Raw(lzw).Trailer();
  TGIFImage image;
  LoadGif(image, big.Bytes);
  EXPECT_TRUE(image.Frames(0)->Corrupted);
  EXPECT_EQ(PixelsOf(*image.Frames(0)->FrameBitmap()), Expected(kPixels));

  // The last sub-block cut short: kept, marked; decoding runs out of codes before the last row.
  TGifBytes second;
  second.Raw(FourColourGif(4, 3, kPixels));
  second.Bytes.pop_back();  // no trailer: a second image follows
  second.Image(0, 0, 4, 3, 0).Raw(RawLzw(kPixels, 2).substr(0, 4));
  TGIFImage two;
  LoadGif(two, second.Bytes);
  ASSERT_EQ(two.FrameCount(), 2);
  EXPECT_FALSE(two.Frames(0)->Corrupted);
  EXPECT_TRUE(two.Frames(1)->Corrupted);
  try {
    two.Frames(1)->FrameBitmap();
    ADD_FAILURE() << "decoding a frame without its codes";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Stream-Read-Fehler");
  }

  // Garbage after the last image ends the reading quietly.
  std::string garbage = FourColourGif(4, 3, kPixels);
  garbage.back() = 'X';
  garbage += "trailing rubbish";
  TGIFImage quiet;
  LoadGif(quiet, garbage);
  EXPECT_EQ(quiet.FrameCount(), 1);
}

TEST_F(GIFReadTest, MalformedFilesAreRefusedWithTheirMessage) {
  const std::string good = FourColourGif(4, 3, kPixels);
  const std::size_t imageAt = 13 + 12;  // header, screen, table
  auto withByte = [&](std::size_t at, int value) {
    std::string s = good;
    s[at] = static_cast<char>(value);
    return s;
  };
  std::string noTable;
  {
    TGifBytes g;
    g.Header().Screen(4, 3, 0).Image(0, 0, 4, 3, 0).Raw(RawLzw(kPixels, 2)).Trailer();
    noTable = g.Bytes;
  }
  std::string huge;
  {
    TGifBytes g;
    g.Header().Screen(60000, 60000, 0x80 | 0x11).Table(kFourColours).Image(0, 0, 60000, 60000, 0).Raw(RawLzw({0}, 2)).Trailer();
    huge = g.Bytes;
  }
  std::string noEnd;
  {
    TGifBytes g;
    g.Header().Screen(4, 3, 0x80 | 0x11).Table(kFourColours).Image(0, 0, 4, 3, 0).Raw(RawLzw({0, 1}, 2, false)).Trailer();
    noEnd = g.Bytes;
  }
  std::string stray;
  {
    TGifBytes g;
    g.Header().Screen(4, 3, 0x80 | 0x11).Table(kFourColours).Raw("Q").Image(0, 0, 4, 3, 0).Raw(RawLzw(kPixels, 2)).Trailer();
    stray = g.Bytes;
  }
  std::string unknownExtension;
  {
    TGifBytes g;
    g.Header().Screen(4, 3, 0x80 | 0x11).Table(kFourColours).Byte1('!').Byte1(0x2C).Trailer();
    unknownExtension = g.Bytes;
  }
  struct TCase {
    const char* Name;
    std::string Bytes;
    bool AllowDamaged;
    const char* Message;
  };
  const TCase cases[] = {
      {"no signature", "PNG89a" + good.substr(6), true, "Unknown GIF version"},
      {"unknown version", "GIF88a" + good.substr(6), true, "Unknown GIF version"},
      {"shorter than a signature", "GIF8", true, "Unknown GIF version"},
      {"screen descriptor cut short", good.substr(0, 9), true, "Stream-Read-Fehler"},
      {"colour table cut short", good.substr(0, 20), true, "Stream-Read-Fehler"},
      {"image descriptor cut short", good.substr(0, imageAt + 5), true, "Stream-Read-Fehler"},
      {"image ending before its code size", good.substr(0, imageAt + 10), true, "Stream-Read-Fehler"},
      {"unrecognized extension", unknownExtension, true, "Unrecognized extension block: 2c"},
      {"stray byte before an image", stray, true, "Stream-Read-Fehler"},
      {"no colour table anywhere", noTable, true, "Wrong number of colors; must be a power of 2"},
      {"code size out of range", withByte(imageAt + 10, 1), false, "GIF code size not in range 2 to 9"},
      {"blocks past the data", good.substr(0, good.size() - 4), false, "Stream-Read-Fehler"},
      {"codes end before the end code", noEnd, true, "Stream-Read-Fehler"},
      {"a frame too large to hold", huge, true, "GIF image is too large"},
  };
  for (const TCase& c : cases) {
    AllowDamagedGIF = c.AllowDamaged;
    TGIFImage image;
    try {
      LoadGif(image, c.Bytes);
      ADD_FAILURE() << c.Name << ": loaded";
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.Name;
    }
    EXPECT_EQ(image.FrameCount(), 0) << c.Name << ": a first frame that fails is removed";
  }
  AllowDamagedGIF = true;

  // More bytes counted than the stream holds: the stream's own read error.
  std::string counted = "\xff\xff\xff\x7f" + good;
  TStringStream stream(counted);
  TGIFImage image;
  EXPECT_THROW(image.ReadData(stream), EReadError);
  EXPECT_THROW(image.SetWidth(3), EInvalidGraphicOperation);
  try {
    image.SetHeight(3);
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Cannot change the Size of a GIF image");
  }
}

TEST_F(GIFReadTest, FramesAreBoundByTheMemoryTheyTake) {
  // As large as the bitmap reader accepts, one frame alone or all frames together: a frame of
  // 16384 x 16384 is the most; two of them, or a larger one, are refused.
  auto frames = [](int count, int width, int height) {
    TGifBytes g;
    g.Header().Screen(width, height, 0x80 | 0x11).Table(kFourColours);
    for (int i = 0; i < count; ++i) g.Image(0, 0, width, height, 0).Raw(RawLzw({}, 2));
    return g.Trailer().Bytes;
  };
  struct TCase {
    int Count, Width, Height;
    bool Loads;
  };
  for (const TCase& c : {TCase{1, 16384, 16384, true}, TCase{2, 16384, 16384, false}, TCase{8, 32767, 1000, true},
                         TCase{9, 32767, 1000, false}}) {
    const std::string bytes = frames(c.Count, c.Width, c.Height);
    TGIFImage image;
    TStringStream stream(bytes);
    try {
      image.LoadGIF(stream.Size(), stream, false);
      EXPECT_TRUE(c.Loads) << c.Count << " frames of " << c.Width << " x " << c.Height;
      EXPECT_EQ(image.FrameCount(), c.Count);
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_FALSE(c.Loads) << c.Count << " frames of " << c.Width << " x " << c.Height;
      EXPECT_STREQ(e.what(), "GIF image is too large");
      EXPECT_LT(image.FrameCount(), c.Count);
    }
  }
  // Larger than a bitmap on a side.
  TGIFImage wide;
  const std::string tooWide = frames(1, 40000, 2);
  TStringStream tooWideStream(tooWide);
  wide.LoadGIF(tooWideStream.Size(), tooWideStream, false);
  try {
    wide.Frames(0)->FrameBitmap();
    ADD_FAILURE() << "decoded 40000 pixels wide";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "GIF image is too large");
  }
}

TEST_F(GIFReadTest, TheFrameCountIsBounded) {
  // However small, every frame costs its bookkeeping: one frame more than an image may hold is
  // refused, the frames before it kept.
  TGifBytes g;
  g.Header().Screen(1, 1, 0x80).Table({0x000000, 0xFFFFFF});
  const std::string frame = TGifBytes().Image(0, 0, 1, 1, 0).Raw(RawLzw({1}, 2)).Bytes;
  for (int i = 0; i <= gif::kMaxFrames; ++i) g.Raw(frame);
  g.Trailer();
  TGIFImage image;
  TStringStream stream(g.Bytes);
  try {
    image.LoadGIF(stream.Size(), stream, false);
    ADD_FAILURE() << "loaded " << image.FrameCount() << " frames";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "GIF image has too many frames");
  }
  EXPECT_EQ(image.FrameCount(), gif::kMaxFrames);
}

TEST_F(GIFReadTest, LargeFramesDecodeAsFarAsTheirCodesGo) {
  // 6000 x 6000 pixels, more than 2^25: a few codes and the end code give the first pixels, the
  // rest take value 0.
  TGifBytes g;
  g.Header().Screen(6000, 6000, 0x80 | 0x11).Table(kFourColours).Image(0, 0, 6000, 6000, 0).Raw(RawLzw({1, 2, 3}, 2)).Trailer();
  TGIFImage image;
  LoadGif(image, g.Bytes);
  TBitmap* bitmap = image.Frames(0)->FrameBitmap();
  ASSERT_EQ(bitmap->Width(), 6000);
  ASSERT_EQ(bitmap->Height(), 6000);
  EXPECT_EQ(bitmap->PixelRGB(1, 0), static_cast<COLORREF>(Rgb(kFourColours[2])));
  EXPECT_EQ(bitmap->PixelRGB(5999, 5999), static_cast<COLORREF>(Rgb(kFourColours[0])));

  // The same frame with its codes cut off before the end code fails before its pixels are taken.
  TGifBytes cut;
  cut.Header().Screen(6000, 6000, 0x80 | 0x11).Table(kFourColours).Image(0, 0, 6000, 6000, 0);
  cut.Raw(RawLzw({1, 2, 3}, 2, false)).Trailer();
  TGIFImage damaged;
  TStringStream cutStream(cut.Bytes);
  damaged.LoadGIF(cutStream.Size(), cutStream, false);
  try {
    damaged.Frames(0)->FrameBitmap();
    ADD_FAILURE() << "decoded without an end code";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Stream-Read-Fehler");
  }
}

// Packs (code, bit width) pairs least-significant bit first, as a GIF's image data holds them.
template <std::size_t N>
std::string PackCodes(const std::pair<int, int> (&codes)[N]) {
  std::uint32_t buffer = 0;
  int n = 0;
  std::string bytes;
  for (auto [code, size] : codes) {
    buffer |= static_cast<std::uint32_t>(code) << n;
    n += size;
    while (n >= 8) {
      bytes += static_cast<char>(buffer & 0xFF);
      buffer >>= 8;
      n -= 8;
    }
  }
  if (n) bytes += static_cast<char>(buffer);
  return bytes;
}

TEST_F(GIFReadTest, OverlongCodeChainsAreDamage) {
  // Minimum code size 2: codes 6 and 7 are made (7 pointing at 6), a clear keeps them, and the
  // first code after it, 7, becomes the prefix of the new 6: 6 and 7 now point at each other.
  const std::pair<int, int> codes[] = {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {4, 4}, {7, 3}, {1, 3}, {6, 3}};
  const std::string bytes = PackCodes(codes);
  TGifBytes g;
  g.Header().Screen(40, 40, 0x80 | 0x11).Table(kFourColours).Image(0, 0, 40, 40, 0);
  g.Byte1(2).Byte1(static_cast<int>(bytes.size())).Raw(bytes).Byte1(0).Trailer();
  {
    TGIFImage image;
    LoadGif(image, g.Bytes);
    EXPECT_TRUE(image.Frames(0)->Corrupted) << "with damage allowed the rows so far stay";
  }
  AllowDamagedGIF = false;
  TGIFImage strict;
  try {
    LoadGif(strict, g.Bytes);
    ADD_FAILURE() << "loaded";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "GIF encoded data is corrupt");
  }
}

TEST_F(GIFReadTest, EntriesBuiltOnCodesPastTheTableFollowThoseCodesOnceMade) {
  // Minimum code size 2. After clear, 1, 2, 7 (the entry being made) the codes are 4 bits wide;
  // 10 lies past the table (decoded as the previous string and its first pixel) and so entry 9 is
  // made on it. Looking 9 up makes 10 (3 0), which changes 9 to 3 0 3; entry 11, made on 9, is
  // 9's string as the table now holds it and 1, not the pixels 9 gave when it was decoded.
  const std::pair<int, int> codes[] = {{4, 3}, {1, 3}, {2, 3}, {7, 3}, {10, 4}, {3, 4},
                                       {9, 4}, {1, 4}, {11, 4}, {5, 4}};
  const std::string bytes = PackCodes(codes);
  TGifBytes g;
  g.Header().Screen(4, 4, 0x80 | 0x11).Table(kFourColours).Image(0, 0, 4, 4, 0);
  g.Byte1(2).Byte1(static_cast<int>(bytes.size())).Raw(bytes).Byte1(0).Trailer();
  TGIFImage image;
  LoadGif(image, g.Bytes);
  EXPECT_EQ(PixelsOf(*image.Frames(0)->FrameBitmap()), Expected({1, 2, 2, 2, 2, 2, 2, 3, 0, 0, 3, 1, 3, 0, 3, 1}));
}

TEST_F(GIFReadTest, LongStringsArriveWholeAndStopAtTheLastPixel) {
  // Long runs and their repeats make strings of many pixels, among them codes that name the entry
  // being made. Read as frames of the picture's size and of fewer pixels, each holds exactly the
  // picture's first pixels, row by row.
  const int width = 90, height = 30;
  std::vector<int> pixels(static_cast<std::size_t>(width * height));
  for (int i = 0; i < width * height; ++i) pixels[static_cast<std::size_t>(i)] = (i / 97) % 5 == 4 ? i % 4 : (i / 611) % 4;
  const std::size_t stride = (width + 3) & ~3;
  std::vector<Byte> rows(stride * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rows[(height - 1 - y) * stride + x] = static_cast<Byte>(pixels[static_cast<std::size_t>(y * width + x)]);
  std::vector<Byte> lzw;
  gif::EncodeLZW(lzw, rows.data(), width, height, 8, false, [](int) {});
  const std::string data(lzw.begin(), lzw.end());
  const std::pair<int, int> sizes[] = {{90, 30}, {90, 29}, {89, 30}, {45, 7}, {17, 1}, {1, 1}};
  for (auto [w, h] : sizes) {
    TGifBytes g;
    g.Header().Screen(w, h, 0x80 | 0x11).Table(kFourColours).Image(0, 0, w, h, 0).Raw(data).Trailer();
    TGIFImage image;
    LoadGif(image, g.Bytes);
    const std::vector<int> first(pixels.begin(), pixels.begin() + w * h);
    EXPECT_EQ(PixelsOf(*image.Frames(0)->FrameBitmap()), Expected(first)) << w << " x " << h;
    EXPECT_FALSE(image.Frames(0)->Corrupted);
  }
}

}  // namespace
}  // namespace orv::test
