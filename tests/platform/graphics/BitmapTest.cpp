// Bitmaps: BMP streams at every depth both ways with the imaging peer, malformed files, depth
// conversion, monochrome drawing and transparency, form data.
#include <gtest/gtest.h>
#include <functional>
#include "platform/graphics/BmpFormat.h"
#include "GraphicsTestSupport.h"

namespace orv {
namespace {

using test::Px;

const COLORREF kColours[4] = {0x000000, 0x0000FF, 0x00FF00, 0xFFFFFF};

// 5x3 with the four colours in a pattern that tells rows and columns apart.
std::unique_ptr<TBitmap> Pattern(TPixelFormat format) {
  auto b = test::WhiteBitmap(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) b->Canvas()->SetPixels(x, y, static_cast<TColor>(kColours[(x + 2 * y) % 4]));
  if (format == pf1bit) {
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) b->Canvas()->SetPixels(x, y, ((x + y) & 1) ? clWhite : clBlack);
  }
  b->SetPixelFormat(format);
  return b;
}

TEST(Bitmap, BmpRoundTripKeepsPixelsDepthAndPalette) {
  for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
    auto b = Pattern(f);
    TMemoryStream s;
    b->SaveToStream(s);
    s.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(s);
    EXPECT_EQ(s.Position(), s.Size()) << "the reader consumes exactly the file";
    EXPECT_EQ(back.PixelFormat(), f);
    ASSERT_EQ(back.Width(), 5);
    ASSERT_EQ(back.Height(), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) EXPECT_EQ(Px(back, x, y), Px(*b, x, y)) << "format " << f << " at " << x << "," << y;
    if (f <= pf8bit) {
      ASSERT_NE(back.Palette(), nullptr);
      EXPECT_EQ(back.Palette()->Entries, b->Palette()->Entries);
    }
  }
}

TEST(Bitmap, DepthConversionMapsToThePalette) {
  auto b = test::WhiteBitmap(3, 1);
  b->Canvas()->SetPixels(0, 0, static_cast<TColor>(RGB(250, 5, 5)));
  b->Canvas()->SetPixels(1, 0, static_cast<TColor>(RGB(100, 100, 100)));
  b->Canvas()->SetPixels(2, 0, static_cast<TColor>(RGB(200, 200, 190)));
  TBitmap four;
  four.Assign(b.get());
  four.SetPixelFormat(pf4bit);
  EXPECT_EQ(Px(four, 0, 0), 0x0000FFu) << "nearest of the sixteen colours";
  EXPECT_EQ(Px(four, 1, 0), 0x808080u);
  EXPECT_EQ(Px(four, 2, 0), 0xC0C0C0u);
  TBitmap mono;
  mono.Assign(b.get());
  mono.SetMonochrome(true);
  EXPECT_TRUE(mono.Monochrome());
  EXPECT_EQ(Px(mono, 0, 0), 0x000000u);
  EXPECT_EQ(Px(mono, 1, 0), 0x000000u);
  EXPECT_EQ(Px(mono, 2, 0), 0xFFFFFFu);
  EXPECT_EQ(Px(*b, 0, 0), static_cast<COLORREF>(RGB(250, 5, 5))) << "the copy is independent";
}

TEST(Bitmap, MalformedFilesAreRefused) {
  auto good = Pattern(pf8bit);
  TMemoryStream gs;
  good->SaveToStream(gs);
  std::string file(reinterpret_cast<const char*>(gs.Memory()), static_cast<std::size_t>(gs.Size()));
  auto put32 = [](std::string& s, std::size_t at, std::uint32_t v) { for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF); };
  auto put16 = [](std::string& s, std::size_t at, std::uint32_t v) { s[at] = static_cast<char>(v & 0xFF); s[at + 1] = static_cast<char>(v >> 8); };
  struct Case { const char* What; std::function<void(std::string&)> Damage; };
  const Case cases[] = {
      {"empty", [](std::string& s) { s.clear(); }},
      {"magic", [](std::string& s) { s[0] = 'X'; }},
      {"header cut", [](std::string& s) { s.resize(20); }},
      {"pixels cut", [](std::string& s) { s.resize(s.size() - 1); }},
      {"zero width", [&](std::string& s) { put32(s, 18, 0); }},
      {"huge", [&](std::string& s) { put32(s, 18, 100000); put32(s, 22, 100000); }},
      {"odd depth", [&](std::string& s) { put16(s, 28, 7); }},
      {"run-length codes on a 24-bit picture", [&](std::string& s) { put16(s, 28, 24); put32(s, 30, 1); }},
      {"4-bit run-length codes on an 8-bit picture", [&](std::string& s) { put32(s, 30, 2); }},
      {"palette too long", [&](std::string& s) { put32(s, 46, 5000); }},
      {"header size", [&](std::string& s) { put32(s, 14, 1000000); }},
      {"pixel offset", [&](std::string& s) { put32(s, 10, 0xFFFFFF00u); }},
  };
  // A gap between the header and the pixels is allowed: the pixel offset says where they start.
  std::string gap = file;
  std::uint32_t offBits = 0;
  std::memcpy(&offBits, file.data() + 10, 4);
  gap.insert(offBits, 100, '\0');
  put32(gap, 10, offBits + 100);
  TStringStream gs2(gap);
  TBitmap withGap;
  withGap.LoadFromStream(gs2);
  EXPECT_EQ(Px(withGap, 3, 1), Px(*good, 3, 1));

  for (const auto& c : cases) {
    std::string bad = file;
    c.Damage(bad);
    TStringStream s(bad);
    TBitmap b;
    EXPECT_THROW(b.LoadFromStream(s), EInvalidGraphic) << c.What;
  }
}

TEST(Bitmap, PeerReadsOursAndWeReadThePeers) {
  test::TTempDir dir;
  // Ours, read by the peer: every pixel as RGB.
  for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit}) {
    auto b = Pattern(f);
    std::string path = dir.File("ours" + std::to_string(f) + ".bmp");
    b->SaveToFile(path);
    int status = 0;
    std::string out = test::RunPython(
        "from PIL import Image\n"
        "im = Image.open('" + path + "')\n"
        "print(im.size[0], im.size[1], end=' ')\n"
        "im = im.convert('RGB')\n"
        "print(' '.join('%02x%02x%02x' % im.getpixel((x, y)) for y in range(im.size[1]) for x in range(im.size[0])))\n",
        &status);
    ASSERT_EQ(status, 0) << out;
    std::string expected = "5 3 ";
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        COLORREF c = Px(*b, x, y);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
        expected += hex;
        if (!(y == 2 && x == 4)) expected += " ";
      }
    EXPECT_EQ(out, expected + "\n") << "format " << f;
  }
  // The peer's, read by us.
  int status = 0;
  std::string out = test::RunPython(
      "from PIL import Image\n"
      "cols = [(0,0,0),(255,0,0),(0,255,0),(255,255,255),(0,0,255),(10,20,30)]\n"
      "for mode, name in (('1','p1'),('P','p8'),('RGB','p24'),('RGBA','p32')):\n"
      "    im = Image.new('RGB', (7, 4))\n"
      "    for y in range(4):\n"
      "        for x in range(7):\n"
      "            c = cols[(x + 3 * y) % len(cols)]\n"
      "            if mode == '1': c = (255,255,255) if (x + y) % 2 else (0,0,0)\n"
      "            im.putpixel((x, y), c)\n"
      "    if mode == 'P': im = im.quantize(colors=16)\n"
      "    else: im = im.convert(mode)\n"
      "    im.save('" + dir.File("") + "' + name + '.bmp')\n"
      "print('ok')\n",
      &status);
  ASSERT_EQ(status, 0) << out;
  const COLORREF cols[6] = {0x000000, 0x0000FF, 0x00FF00, 0xFFFFFF, 0xFF0000, RGB(10, 20, 30)};
  for (const char* name : {"p1", "p8", "p24", "p32"}) {
    TBitmap b;
    b.LoadFromFile(dir.File(std::string(name) + ".bmp"));
    ASSERT_EQ(b.Width(), 7) << name;
    ASSERT_EQ(b.Height(), 4) << name;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 7; ++x) {
        COLORREF want = std::string(name) == "p1" ? (((x + y) % 2) ? 0xFFFFFF : 0x000000) : cols[(x + 3 * y) % 6];
        EXPECT_EQ(Px(b, x, y), want) << name << " at " << x << "," << y;
      }
  }
}

TEST(Bitmap, MonochromeDrawsWithCanvasColoursAndWhiteIsTransparent) {
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(2, 1);
  mono.Canvas()->SetPixels(0, 0, clBlack);
  mono.Canvas()->SetPixels(1, 0, clWhite);
  EXPECT_EQ(mono.TransparentColor(), clWhite);

  auto dest = test::WhiteBitmap(2, 1);
  dest->Canvas()->Font()->SetColor(clBlue);
  dest->Canvas()->Brush()->SetColor(clYellow);
  dest->Canvas()->Draw(0, 0, &mono);
  EXPECT_EQ(Px(*dest, 0, 0), 0xFF0000u) << "black takes the font colour";
  EXPECT_EQ(Px(*dest, 1, 0), 0x00FFFFu) << "white takes the brush colour";

  auto under = test::WhiteBitmap(2, 1);
  under->Canvas()->Brush()->SetColor(clRed);
  under->Canvas()->FillRect(Rect(0, 0, 2, 1));
  under->Canvas()->Font()->SetColor(clBlack);
  mono.SetTransparent(true);
  under->Canvas()->Draw(0, 0, &mono);
  EXPECT_EQ(Px(*under, 0, 0), 0x000000u);
  EXPECT_EQ(Px(*under, 1, 0), 0x0000FFu) << "white is transparent";
}

TEST(Bitmap, TransparentColourAutoIsTheBottomLeftPixelUnlessFixed) {
  auto b = Pattern(pf24bit);
  EXPECT_EQ(b->TransparentMode(), tmAuto);
  EXPECT_EQ(b->TransparentColor(), static_cast<TColor>(Px(*b, 0, 2)));
  b->SetTransparentColor(clLime);
  EXPECT_EQ(b->TransparentMode(), tmFixed);
  b->SetTransparent(true);
  auto under = test::WhiteBitmap(5, 3);
  under->Canvas()->Brush()->SetColor(clNavy);
  under->Canvas()->FillRect(Rect(0, 0, 5, 3));
  under->Canvas()->Draw(0, 0, b.get());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      COLORREF src = Px(*b, x, y);
      EXPECT_EQ(Px(*under, x, y), src == 0x00FF00 ? 0x800000u : src) << x << "," << y;
    }
  b->SetTransparentColor(clDefault);
  EXPECT_EQ(b->TransparentMode(), tmAuto);
}

TEST(Bitmap, HandleReleaseAndSizeChanges) {
  auto b = Pattern(pf24bit);
  b->SetSize(7, 4);
  EXPECT_EQ(Px(*b, 1, 0), kColours[1]) << "kept pixels stay";
  EXPECT_EQ(Px(*b, 6, 3), 0xFFFFFFu) << "new pixels are white";
  HBITMAP h = b->ReleaseHandle();
  EXPECT_TRUE(b->Empty());
  EXPECT_EQ(h->Width(), 7);
  TBitmap other;
  other.SetHandle(h);
  EXPECT_EQ(other.Width(), 7);
  EXPECT_EQ(Px(other, 1, 0), kColours[1]);
  other.Canvas()->SetPixels(0, 0, clRed);
  EXPECT_EQ(Px(other, 0, 0), 0x0000FFu) << "the canvas draws into the adopted handle";
}

TEST(Bitmap, FormDataCarriesASizeAndPicturesTheirClassName) {
  auto b = Pattern(pf4bit);
  TMemoryStream data;
  b->WriteData(data);
  LongWord size = 0;
  std::memcpy(&size, data.Memory(), 4);
  EXPECT_EQ(static_cast<Int64>(size) + 4, data.Size());
  EXPECT_EQ(data.Memory()[4], 'B');
  data.SetPosition(0);
  TBitmap back;
  back.ReadData(data);
  EXPECT_EQ(Px(back, 3, 1), Px(*b, 3, 1));

  TMemoryStream cut;
  cut.WriteBuffer(data.Memory(), data.Size() - 10);
  cut.SetPosition(0);
  EXPECT_THROW(back.ReadData(cut), EInvalidGraphic);

  TPicture pic;
  pic.SetGraphic(b.get());
  TMemoryStream pd;
  pic.WriteData(pd);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(pd.Memory()), 8), std::string("\x07TBitmap"));
  pd.SetPosition(0);
  TPicture back2;
  back2.ReadData(pd);
  ASSERT_NE(dynamic_cast<TBitmap*>(back2.Graphic()), nullptr);
  EXPECT_EQ(back2.Width(), 5);

  TStringStream unknown(std::string("\x05TNope") + std::string(8, '\0'));
  EXPECT_THROW(back2.ReadData(unknown), EInvalidGraphic);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// A black stroke on grey, made monochrome: a device-dependent bitmap keys on its brush colour,
// a device-independent one goes by brightness.
TEST(Bitmap, DeviceDependentBitmapsTurnMonochromeByTheBrushColour) {
  struct Case { TBitmapHandleType Type; TColor Brush; COLORREF Stroke; COLORREF Ground; };
  const Case cases[] = {
      {bmDDB, clBlack, 0xFFFFFF, 0x000000},
      {bmDDB, clSilver, 0x000000, 0xFFFFFF},
      {bmDIB, clBlack, 0x000000, 0xFFFFFF},
  };
  for (const auto& c : cases) {
    auto b = test::WhiteBitmap(3, 1);
    b->Canvas()->SetPixels(0, 0, clBlack);
    b->Canvas()->SetPixels(1, 0, clSilver);
    b->Canvas()->SetPixels(2, 0, clSilver);
    b->SetHandleType(c.Type);
    b->Canvas()->Brush()->SetColor(c.Brush);
    b->SetMonochrome(true);
    EXPECT_EQ(Px(*b, 0, 0), c.Stroke) << c.Type << " " << c.Brush;
    EXPECT_EQ(Px(*b, 1, 0), c.Ground) << c.Type << " " << c.Brush;
  }
  auto m = test::WhiteBitmap(2, 1);
  m->Canvas()->SetPixels(0, 0, clBlack);
  m->SetMonochrome(true);
  m->SetHandleType(bmDDB);
  m->Canvas()->Font()->SetColor(clRed);
  m->Canvas()->Brush()->SetColor(clBlue);
  m->SetMonochrome(false);
  EXPECT_EQ(Px(*m, 0, 0), 0x0000FFu) << "black takes the font colour";
  EXPECT_EQ(Px(*m, 1, 0), 0xFF0000u) << "white takes the brush colour";
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(Bitmap, PixelRowsAndCanvasDrawingSeeTheSamePixels) {
  auto b = test::WhiteBitmap(4, 2);
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->FillRect(Rect(0, 0, 2, 2));
  std::uint32_t* row = b->PixelRow(1);
  EXPECT_EQ(row[0] & 0xFFFFFF, 0xFF0000u) << "rows are 0xAARRGGBB";
  row[3] = 0xFF0000FF;
  EXPECT_EQ(Px(*b, 3, 1), 0xFF0000u);
  b->SetPixelRGB(2, 0, 0x00FF00);
  b->Canvas()->Brush()->SetColor(clBlue);
  b->Canvas()->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(Px(*b, 2, 0), 0x00FF00u);
  EXPECT_EQ(b->PixelRow(0)[0] & 0xFFFFFF, 0x0000FFu) << "canvas drawing is visible in the row";
}

TEST(Bitmap, CopiesShareThePixelsUntilEitherWrites) {
  struct TCase {
    const char* Name;
    std::function<void(TBitmap&)> Write;
  };
  const TCase cases[] = {
      {"the canvas", [](TBitmap& b) { b.Canvas()->Brush()->SetColor(clBlue); b.Canvas()->FillRect(Rect(0, 0, 4, 2)); }},
      {"a pixel", [](TBitmap& b) { b.SetPixelRGB(1, 1, 0xFF0000); }},
      {"a row", [](TBitmap& b) { b.PixelRow(1)[1] = 0xFF0000FF; }},
      {"a new depth", [](TBitmap& b) { b.SetPixelFormat(pf1bit); }},
  };
  for (const TCase& c : cases)
    for (bool writeCopy : {true, false}) {
      auto source = test::WhiteBitmap(4, 2);
      source->Canvas()->Brush()->SetColor(clRed);
      source->Canvas()->FillRect(Rect(0, 0, 2, 2));  // its canvas's painter is still open here
      TBitmap copy;
      copy.Assign(source.get());
      EXPECT_EQ(copy.Handle()->Image().constBits(), source->Handle()->Image().constBits()) << c.Name << ": shared";
      TBitmap& written = writeCopy ? copy : *source;
      TBitmap& other = writeCopy ? *source : copy;
      c.Write(written);
      EXPECT_EQ(Px(other, 0, 0), 0x0000FFu) << c.Name << (writeCopy ? ", written in the copy" : ", written in the source");
      EXPECT_EQ(Px(other, 1, 1), 0x0000FFu) << c.Name;
      EXPECT_EQ(Px(other, 3, 1), 0xFFFFFFu) << c.Name;
      EXPECT_NE(written.Handle()->Image().constBits(), other.Handle()->Image().constBits()) << c.Name;
    }
}

}  // namespace
}  // namespace orv
