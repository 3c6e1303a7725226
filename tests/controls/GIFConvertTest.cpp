// GIF images in assignments between graphics and on the clipboard.
#include "tests/controls/ControlsFixture.h"
#include "tests/controls/GifTestSupport.h"
#include "tests/controls/IconFilesSupport.h"

#include "controls/AnimatedCursor.h"
#include "controls/GIFImage.h"
#include "controls/GIFInternal.h"
#include "platform/win/Clipboard.h"

namespace orv::test {
namespace {

class GIFConvertTest : public ControlsTest {
 protected:
  static void SetUpTestSuite() {
    ControlsTest::SetUpTestSuite();
    RegisterGIFImage();
  }
  void SetUp() override {
    ControlsTest::SetUp();
    ASSERT_TRUE(OpenClipboard(HWND()));
    EmptyClipboard();
    CloseClipboard();
  }
  // Two frames: 4 x 3 in the global colours with blue transparent, 2 x 2 with its own colours.
  static std::string TwoFrames() {
    TGifBytes g;
    g.Header().Screen(4, 3, 0x80 | 0x11).Table(kFourColours).GraphicControl(0x01, 10, 3);
    g.Image(0, 0, 4, 3, 0).Raw(RawLzw({0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 3}, 2));
    g.Image(1, 1, 2, 2, 0x81).Table({0x00FF00, 0xFFFF00, 0x00FFFF, 0x808080}).Raw(RawLzw({0, 1, 2, 3}, 2));
    g.Trailer();
    return g.Bytes;
  }
};

TEST_F(GIFConvertTest, AGifAssignedToAnotherSharesItsData) {
  TGIFImage source;
  LoadGif(source, TwoFrames());
  source.SetCurrentIndex(1);
  TGIFImage copy;
  int changes = 0;
  copy.OnChange = [&](TObject*) { ++changes; };
  copy.Assign(&source);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(copy.SameImageAs(&source));
  ASSERT_EQ(copy.FrameCount(), 2);
  EXPECT_EQ(copy.CurrentIndex(), 1);
  EXPECT_EQ(copy.ScreenWidth(), source.ScreenWidth());
  EXPECT_FALSE(copy.Frames(0)->LocalColors);
  EXPECT_TRUE(copy.Frames(1)->LocalColors);
  EXPECT_EQ(copy.Frames(1)->SharedItem(), source.Frames(1)->SharedItem()) << "the encoded data is shared";
  EXPECT_EQ(copy.Frames(0)->TransparentColor, clBlue);
  EXPECT_EQ(copy.Frames(0)->Delay, 100);
  TGIFImage fresh;
  EXPECT_FALSE(fresh.SameImageAs(&source));
  copy.Assign(nullptr);
  EXPECT_EQ(copy.FrameCount(), 0);
  EXPECT_EQ(changes, 2);
}

TEST_F(GIFConvertTest, AFrameOrABitmapBecomesAOneFrameImage) {
  TGIFImage source;
  LoadGif(source, TwoFrames());
  TGIFImage one;
  one.Assign(source.Frames(1));
  ASSERT_EQ(one.FrameCount(), 1);
  EXPECT_EQ(one.CurrentIndex(), 0);
  EXPECT_EQ(one.Version(), 1);
  EXPECT_EQ(one.Data().Colors.Count, 4) << "the global colours of the frame's image come along";
  EXPECT_TRUE(one.Frames(0)->LocalColors) << "a frame of another image keeps its colours with it";
  EXPECT_EQ(PixelsOf(*one.Frames(0)->FrameBitmap()), PixelsOf(*source.Frames(1)->FrameBitmap()));

  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  bitmap.Canvas()->Brush()->SetColor(clTeal);
  bitmap.Canvas()->FillRect(Rect(0, 0, 3, 2));
  TGIFImage fromBitmap;
  fromBitmap.Assign(&bitmap);
  ASSERT_EQ(fromBitmap.FrameCount(), 1);
  EXPECT_EQ(fromBitmap.Width(), 3);
  EXPECT_EQ(fromBitmap.ScreenWidth(), 3);
  EXPECT_EQ(fromBitmap.Frames(0)->TransparentColor, clNone) << "an opaque bitmap";
  bitmap.SetTransparent(true);
  bitmap.SetTransparentColor(clTeal);
  fromBitmap.Assign(&bitmap);
  EXPECT_EQ(fromBitmap.Frames(0)->TransparentColor, clTeal) << "a transparent bitmap brings its colour";

  TIcon icon;
  EXPECT_THROW(fromBitmap.Assign(&icon), EConvertError) << "an icon is no source of a GIF image";
  TStringStream in(IconFile(16, clRed));
  icon.LoadFromStream(in);
  EXPECT_THROW(fromBitmap.Assign(&icon), EConvertError);
  const int index = fromBitmap.AddFrame(&icon);
  EXPECT_EQ(fromBitmap.Frames(index)->TransparentColor, static_cast<TColor>(0xFF00FF))
      << "a frame from another graphic is drawn on magenta";
  EXPECT_EQ(static_cast<TColor>(fromBitmap.Frames(index)->FrameBitmap()->PixelRGB(0, 0)), static_cast<TColor>(0xFF00FF));

  // Written and read back, the icon's transparent area is still transparent.
  TMemoryStream written;
  fromBitmap.SaveToStream(written);
  written.SetPosition(0);
  TGIFImage back;
  back.LoadFromStream(written);
  ASSERT_EQ(back.FrameCount(), 2);
  EXPECT_EQ(back.Frames(index)->TransparentColor, static_cast<TColor>(0xFF00FF));
  EXPECT_EQ(static_cast<TColor>(back.Frames(index)->FrameBitmap()->PixelRGB(0, 0)), static_cast<TColor>(0xFF00FF));
}

TEST_F(GIFConvertTest, AnImageBecomesOneOfItsOwnFramesOrBitmaps) {
  // Clearing the image frees its frames: the frame or bitmap assigned is taken before they go.
  TGIFImage source;
  LoadGif(source, TwoFrames());
  const std::vector<TColor> second = PixelsOf(*source.Frames(1)->FrameBitmap());
  const std::vector<TColor> first = PixelsOf(*source.Frames(0)->FrameBitmap());

  TGIFImage byFrame;
  LoadGif(byFrame, TwoFrames());
  byFrame.Assign(byFrame.Frames(1));
  ASSERT_EQ(byFrame.FrameCount(), 1);
  EXPECT_EQ(byFrame.Data().Colors.Count, 4) << "with the global colours it had";
  EXPECT_EQ(byFrame.Frames(0)->Left, 1);
  EXPECT_EQ(PixelsOf(*byFrame.Frames(0)->FrameBitmap()), second);

  TGIFImage byBitmap;
  LoadGif(byBitmap, TwoFrames());
  byBitmap.Assign(byBitmap.CurrentBitmap());
  ASSERT_EQ(byBitmap.FrameCount(), 1);
  EXPECT_EQ(PixelsOf(*byBitmap.Frames(0)->FrameBitmap()), first);
  TMemoryStream written;
  byBitmap.SaveToStream(written);
  written.SetPosition(0);
  TGIFImage back;
  back.LoadFromStream(written);
  EXPECT_EQ(PixelsOf(*back.Frames(0)->FrameBitmap()), first);
}

TEST_F(GIFConvertTest, CopyingAnImagesFramesTakesEachOnceAndDecodesNone) {
  // As many one-pixel frames as an image may hold, none decoded: the copy shares every frame's
  // item, keeps the source's screen and measures no frame on the way.
  TGifBytes g;
  g.Header().Screen(300, 7, 0x80).Table({0x000000, 0xFFFFFF});
  for (int i = 0; i < gif::kMaxFrames; ++i) g.Image(i % 300, i % 7, 1, 1, 0).Raw(RawLzw({i & 1}, 2));
  g.Trailer();
  TGIFImage source;
  TStringStream stream(g.Bytes);
  source.LoadGIF(stream.Size(), stream, false);
  ASSERT_EQ(source.FrameCount(), gif::kMaxFrames);
  TGIFImage copy;
  int decoded = 0;
  copy.OnProgress = [&](TObject*, TProgressStage stage, Byte, bool, const TRect&, const AnsiString&) { decoded += stage == psStarting; };
  copy.Assign(&source);
  ASSERT_EQ(copy.FrameCount(), gif::kMaxFrames);
  EXPECT_EQ(decoded, 0);
  EXPECT_EQ(copy.ScreenWidth(), 300);
  EXPECT_EQ(copy.ScreenHeight(), 7);
  for (int i : {0, 1, 4242, gif::kMaxFrames - 1}) {
    EXPECT_EQ(copy.Frames(i)->SharedItem(), source.Frames(i)->SharedItem()) << i;
    EXPECT_EQ(copy.Frames(i)->Left, i % 300);
  }
  // Nor does it take a frame more than a read image may hold.
  TBitmap one;
  one.SetSize(1, 1);
  try {
    copy.AddFrame(&one);
    ADD_FAILURE() << "added a frame";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "GIF image has too many frames");
  }
  EXPECT_EQ(copy.FrameCount(), gif::kMaxFrames);
}

TEST_F(GIFConvertTest, CursorFramesOfOneIconShareOneDrawingWithinTheBoundsOfARead) {
  auto cursor = [](int frames, const std::string& icon) {
    std::string chunks = AniHeader(frames, frames, 3, 1);
    for (int i = 0; i < frames; ++i) chunks += Chunk("seq ", U32Bytes(0));
    auto image = std::make_unique<TAnimatedCursorImage>();
    TStringStream in(AniFile(chunks + List("fram", Chunk("icon", icon))));
    image->ReadFromStream(in);
    return image;
  };
  // 4096 frames of one 256 x 256 icon: as many pixels as a read image may hold, drawn once.
  const std::string icon = IconFile(256, clRed, pf8bit);
  auto frames = cursor(4096, icon);
  TGIFImage gif;
  gif.Assign(frames.get());
  ASSERT_EQ(gif.FrameCount(), 4096);
  EXPECT_EQ(gif.ScreenWidth(), 256);
  EXPECT_EQ(gif.CurrentIndex(), 4095);
  const uchar* pixels = gif.Frames(0)->FrameBitmap()->Handle()->Image().constBits();
  for (int i = 0; i < gif.FrameCount(); ++i) {
    TGIFFrame& frame = *gif.Frames(i);
    ASSERT_EQ(frame.FrameBitmap()->Handle()->Image().constBits(), pixels) << i;
    ASSERT_EQ(frame.Delay, 50) << i;
    ASSERT_EQ(frame.TransparentColor, static_cast<TColor>(0xFF00FF)) << i;
  }
  EXPECT_EQ(static_cast<TColor>(gif.Frames(7)->FrameBitmap()->PixelRGB(0, 0)), static_cast<TColor>(0xFF00FF));
  EXPECT_EQ(static_cast<TColor>(gif.Frames(7)->FrameBitmap()->PixelRGB(9, 9)), clRed);
  // Drawing into one frame leaves the others as they were.
  gif.Frames(1)->FrameBitmap()->Canvas()->Brush()->SetColor(clBlue);
  gif.Frames(1)->FrameBitmap()->Canvas()->FillRect(Rect(0, 0, 256, 256));
  EXPECT_EQ(static_cast<TColor>(gif.Frames(1)->FrameBitmap()->PixelRGB(9, 9)), clBlue);
  EXPECT_EQ(static_cast<TColor>(gif.Frames(2)->FrameBitmap()->PixelRGB(9, 9)), clRed);
  EXPECT_EQ(gif.Frames(2)->FrameBitmap()->Handle()->Image().constBits(), pixels);

  // Beyond those bounds the cursor is refused before anything is drawn; the image stays as it was.
  struct TCase {
    int Frames;
    std::string Icon;
    const char* Message;
  };
  const TCase cases[] = {
      {4097, icon, "GIF image is too large"},
      {10000, icon, "GIF image is too large"},
      {gif::kMaxFrames + 1, IconFile(1, clRed), "GIF image has too many frames"},
  };
  for (const TCase& c : cases) {
    auto refused = cursor(c.Frames, c.Icon);
    ASSERT_EQ(refused->Count(), c.Frames);
    TGIFImage target;
    LoadGif(target, FourColourGif(2, 1, {0, 1}));
    try {
      target.Assign(refused.get());
      ADD_FAILURE() << c.Frames << " frames converted";
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.Frames;
    }
    EXPECT_EQ(target.FrameCount(), 1) << c.Frames;
    EXPECT_EQ(target.BackgroundColor(), clBlack) << c.Frames;
  }
}

TEST_F(GIFConvertTest, AGifAssignedToABitmapGivesTheCurrentFrame) {
  TGIFImage source;
  LoadGif(source, TwoFrames());
  TBitmap bitmap;
  bitmap.Assign(&source);
  EXPECT_EQ(bitmap.Width(), 4);
  EXPECT_TRUE(bitmap.Transparent());
  EXPECT_EQ(bitmap.TransparentColor(), clBlue);
  EXPECT_EQ(PixelsOf(bitmap), PixelsOf(*source.Frames(0)->FrameBitmap()));
  source.SetCurrentIndex(1);
  bitmap.Assign(&source);
  EXPECT_EQ(bitmap.Width(), 2);

  TGIFImage empty;
  bitmap.Assign(&empty);
  EXPECT_TRUE(bitmap.Empty()) << "an empty image assigns nothing";

  TGIFFrame* frame = source.Frames(0);
  TBitmap fromFrame;
  fromFrame.Assign(frame);
  EXPECT_EQ(fromFrame.Width(), 4);
  EXPECT_EQ(fromFrame.TransparentColor(), clBlue);
  TGIFImage fromFrameImage;
  fromFrameImage.Assign(frame);
  EXPECT_EQ(fromFrameImage.FrameCount(), 1);
  TIcon icon;
  EXPECT_THROW(icon.Assign(&source), EConvertError);
}

TEST_F(GIFConvertTest, TheClipboardHoldsTheBitmapAndTheGifData) {
  TGIFImage source;
  LoadGif(source, TwoFrames());
  ASSERT_TRUE(OpenClipboard(HWND()));
  Word format = 0;
  std::uint64_t data = 0;
  HPALETTE palette = nullptr;
  source.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_DIB);
  SetClipboardData(format, data);
  CloseClipboard();
  EXPECT_TRUE(IsClipboardFormatAvailable(GIFClipboardFormat())) << "every frame is encoded: the GIF goes along";

  TGIFImage back;
  back.LoadFromClipboardFormat(CF_DIB, GetClipboardData(CF_DIB), nullptr);
  ASSERT_EQ(back.FrameCount(), 2);
  EXPECT_EQ(back.CurrentIndex(), 0);
  EXPECT_TRUE(back.Frames(0)->HasBitmap()) << "frame 0 takes the clipboard's bitmap";
  EXPECT_FALSE(back.Frames(1)->HasBitmap());
  EXPECT_EQ(PixelsOf(*back.Frames(0)->FrameBitmap()), PixelsOf(*source.Frames(0)->FrameBitmap()));
  EXPECT_EQ(PixelsOf(*back.Frames(1)->FrameBitmap()), PixelsOf(*source.Frames(1)->FrameBitmap()));

  // A frame made from a bitmap is not encoded yet: only the bitmap goes.
  TBitmap bitmap;
  bitmap.SetSize(2, 2);
  TGIFImage fromBitmap;
  fromBitmap.Assign(&bitmap);
  ASSERT_TRUE(OpenClipboard(HWND()));
  EmptyClipboard();
  fromBitmap.SaveToClipboardFormat(format, data, palette);
  SetClipboardData(format, data);
  CloseClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(GIFClipboardFormat()));
  TGIFImage plain;
  plain.LoadFromClipboardFormat(CF_DIB, GetClipboardData(CF_DIB), nullptr);
  ASSERT_EQ(plain.FrameCount(), 1);
  EXPECT_EQ(plain.Width(), 2);

  TGIFImage none;
  data = 7;
  none.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(data, 0u) << "no frames, no data";
}

}  // namespace
}  // namespace orv::test
