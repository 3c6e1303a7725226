// Pictures: the kind chosen by file extension, JPEG pictures against the imaging peer and JPEG
// headers claiming too much, icons and cursors made by the icon tool, icon images shared, bounded
// and drawn through their mask, malformed icon files.
#include <gtest/gtest.h>
#include <functional>
#include "platform/classes/Filer.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"
#include "GraphicsTestSupport.h"

namespace orv {
namespace {

using test::Px;

TEST(Picture, KindIsChosenByExtension) {
  test::TTempDir dir;
  auto b = test::WhiteBitmap(3, 2);
  b->SaveToFile(dir.File("a.bmp"));
  b->SaveToFile(dir.File("b.BMP"));
  std::vector<Byte> jpeg = EncodeJpeg(*b, 90);
  {
    TFileStream f(dir.File("c.JPG"), fmCreate);
    f.WriteBuffer(jpeg.data(), static_cast<Int64>(jpeg.size()));
  }
  {
    TFileStream f(dir.File("d.jpeg"), fmCreate);
    f.WriteBuffer(jpeg.data(), static_cast<Int64>(jpeg.size()));
  }
  struct Case { const char* File; TGraphicClass Class; };
  const Case cases[] = {
      {"a.bmp", TBitmap::Class()}, {"b.BMP", TBitmap::Class()},
      {"c.JPG", TJPEGImage::Class()}, {"d.jpeg", TJPEGImage::Class()},
  };
  for (const auto& c : cases) {
    TPicture pic;
    int changes = 0;
    pic.OnChange = [&](TObject*) { ++changes; };
    pic.LoadFromFile(dir.File(c.File));
    ASSERT_NE(pic.Graphic(), nullptr) << c.File;
    EXPECT_EQ(pic.Graphic()->GraphicClass(), c.Class) << c.File;
    EXPECT_EQ(pic.Width(), 3) << c.File;
    EXPECT_GE(changes, 1);
  }
  TPicture progressed;
  std::vector<TProgressStage> stages;
  progressed.OnProgress = [&](TObject* sender, TProgressStage stage, Byte, bool, const TRect&, const AnsiString&) {
    EXPECT_EQ(sender, &progressed);
    stages.push_back(stage);
  };
  progressed.LoadFromFile(dir.File("c.JPG"));
  EXPECT_EQ(stages, (std::vector<TProgressStage>{psStarting, psEnding}));

  TPicture pic;
  try {
    pic.LoadFromFile(dir.File("x.xyz"));
    FAIL() << "unknown extension accepted";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_EQ(TPicture::FileFormatClass("ico"), TIcon::Class());
  EXPECT_EQ(TPicture::ClipboardFormatClass(CF_BITMAP), TBitmap::Class());

  // A kind registered later wins its extension, and goes again with its class.
  static const TGraphicClassInfo other{"TOtherPicture", [] { return std::unique_ptr<TGraphic>(std::make_unique<TBitmap>()); }};
  TPicture::RegisterFileFormat("bmp", "Other", &other);
  EXPECT_EQ(TPicture::FileFormatClass("BMP"), &other);
  EXPECT_EQ(TPicture::ClassByName("TOtherPicture"), &other);
  TPicture::UnregisterGraphicClass(&other);
  EXPECT_EQ(TPicture::FileFormatClass("bmp"), TBitmap::Class());
  EXPECT_EQ(TPicture::ClassByName("TOtherPicture"), nullptr);
  EXPECT_NE(TPicture::FileFilter().find("Bitmaps (*.bmp)|*.bmp"), std::string::npos);
}

TEST(Jpeg, PeerJpegDecodesToItsColoursAndOursIsReadByThePeer) {
  test::TTempDir dir;
  std::string path = dir.File("peer.jpg");
  int status = 0;
  std::string out = test::RunPython(
      "from PIL import Image\n"
      "im = Image.new('RGB', (32, 16), (255, 255, 255))\n"
      "for y in range(16):\n"
      "    for x in range(32):\n"
      "        im.putpixel((x, y), [(220, 30, 30), (30, 200, 40), (20, 40, 210), (250, 250, 250)][x // 8])\n"
      "im.save('" + path + "', quality=95)\n"
      "print('ok')\n",
      &status);
  ASSERT_EQ(status, 0) << out;
  TJPEGImage jpeg;
  jpeg.LoadFromFile(path);
  ASSERT_EQ(jpeg.Width(), 32);
  ASSERT_EQ(jpeg.Height(), 16);
  const COLORREF expected[4] = {RGB(220, 30, 30), RGB(30, 200, 40), RGB(20, 40, 210), RGB(250, 250, 250)};
  TBitmap* b = jpeg.Bitmap();
  for (int block = 0; block < 4; ++block)
    EXPECT_TRUE(test::Near(Px(*b, block * 8 + 4, 8), expected[block], 12)) << "block " << block << " got " << std::hex << Px(*b, block * 8 + 4, 8);

  // Drawn on a canvas, the picture shows the same colours.
  auto canvas = test::WhiteBitmap(32, 16);
  canvas->Canvas()->Draw(0, 0, &jpeg);
  EXPECT_TRUE(test::Near(Px(*canvas, 4, 8), expected[0], 12));

  TJPEGImage ours;
  ours.Assign(b);
  ours.SetCompressionQuality(95);
  std::string oursPath = dir.File("ours.jpg");
  ours.SaveToFile(oursPath);
  out = test::RunPython(
      "from PIL import Image\n"
      "im = Image.open('" + oursPath + "').convert('RGB')\n"
      "print(im.format if hasattr(im, 'format') else '', im.size[0], im.size[1], *im.getpixel((4, 8)))\n",
      &status);
  ASSERT_EQ(status, 0) << out;
  int w = 0, h = 0, r = 0, g = 0, bl = 0;
  ASSERT_EQ(std::sscanf(out.c_str(), "%*s %d %d %d %d %d", &w, &h, &r, &g, &bl), 5) << out;
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 16);
  EXPECT_TRUE(test::Near(RGB(static_cast<Byte>(r), static_cast<Byte>(g), static_cast<Byte>(bl)), expected[0], 16)) << out;
}

TEST(Jpeg, BrokenFilesAreRefusedWithAJpegError) {
  auto b = test::WhiteBitmap(16, 16);
  std::vector<Byte> good = EncodeJpeg(*b, 80);
  struct Case { const char* What; std::vector<Byte> Data; };
  std::vector<Byte> cut(good.begin(), good.begin() + 40);
  std::vector<Byte> noise(200, 0x5A);
  std::vector<Byte> badMarker = good;
  badMarker[2] = 0x00;
  const Case cases[] = {{"cut", cut}, {"noise", noise}, {"marker", badMarker}, {"empty", {}}};
  for (const auto& c : cases) {
    TMemoryStream s;
    if (!c.Data.empty()) s.WriteBuffer(c.Data.data(), static_cast<Int64>(c.Data.size()));
    s.SetPosition(0);
    TJPEGImage jpeg;
    try {
      jpeg.LoadFromStream(s);
      // A file cut after its header may decode with grey rows; it must still have its size.
      EXPECT_EQ(jpeg.Width(), 16) << c.What;
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message().rfind("JPEG error #", 0), 0u) << c.What << ": " << e.Message();
    }
  }
  TJPEGImage empty;
  TMemoryStream none;
  EXPECT_THROW(empty.LoadFromStream(none), EInvalidGraphic);
  EXPECT_THROW(empty.SetWidth(3), EInvalidGraphicOperation);
}

TEST(Icon, IconsAndCursorsFromTheIconTool) {
  test::TTempDir dir;
  int status = 0;
  std::string out = test::RunPython(
      "from PIL import Image\n"
      "for size, name in ((16, 'i16'), (32, 'i32')):\n"
      "    im = Image.new('RGBA', (size, size), (0, 0, 0, 0))\n"
      "    for y in range(size // 2):\n"
      "        for x in range(size):\n"
      "            im.putpixel((x, y), (200, 10, 20, 255))\n"
      "    im.save('" + dir.File("") + "' + name + '.png')\n"
      "print('ok')\n",
      &status);
  ASSERT_EQ(status, 0) << out;
  std::string cmd = "cd " + dir.File("") + " && icotool -c -b 8 -o icon.ico i16.png i32.png 2>&1 && "
                    "icotool -c -b 24 -o bits24.ico i16.png 2>&1 && "
                    "icotool -c -b 4 -o bits4.ico i16.png 2>&1 && "
                    "icotool -c -b 32 -o bits32.ico i16.png 2>&1 && "
                    "icotool -c --cursor -X 3 -Y 5 -o arrow.cur i16.png 2>&1";
  out = test::RunCommand(cmd, &status);
  ASSERT_EQ(status, 0) << out;

  for (const char* name : {"icon.ico", "bits24.ico", "bits4.ico", "bits32.ico"}) {
    TIcon icon;
    icon.LoadFromFile(dir.File(name));
    ASSERT_FALSE(icon.Empty()) << name;
    EXPECT_EQ(icon.ImageType(), kIconTypeIcon);
    EXPECT_EQ(icon.Width(), 16) << name;
    // Drawn over blue: the top half is the picture, the bottom half shows through the mask.
    auto under = test::WhiteBitmap(16, 16);
    under->Canvas()->Brush()->SetColor(clBlue);
    under->Canvas()->FillRect(Rect(0, 0, 16, 16));
    under->Canvas()->Draw(0, 0, &icon);
    int tolerance = std::string(name) == "bits4.ico" ? 80 : 24;  // sixteen colours only
    EXPECT_TRUE(test::Near(Px(*under, 5, 3), RGB(200, 10, 20), tolerance)) << name << std::hex << " " << Px(*under, 5, 3);
    EXPECT_EQ(Px(*under, 5, 12), 0xFF0000u) << name << " mask";
  }
  TIcon two;
  two.LoadFromFile(dir.File("icon.ico"));
  EXPECT_EQ(two.ImageCount(), 2);
  EXPECT_EQ(two.Image(1).Colour->Width(), 32);

  TIcon cursor;
  cursor.LoadFromFile(dir.File("arrow.cur"));
  EXPECT_EQ(cursor.ImageType(), kIconTypeCursor);
  EXPECT_EQ(cursor.Image(0).HotSpot, Point(3, 5));

  // Saved and read back by the peer tool.
  cursor.SaveToFile(dir.File("again.cur"));
  two.SaveToFile(dir.File("again.ico"));
  out = test::RunCommand("icotool -l " + dir.File("again.ico") + " " + dir.File("again.cur") + " 2>&1", &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_NE(out.find("--width=16"), std::string::npos) << out;
  EXPECT_NE(out.find("--width=32"), std::string::npos) << out;
  EXPECT_NE(out.find("--hotspot-x=3 --hotspot-y=5"), std::string::npos) << out;
}

TEST(Icon, OneBitPicturesDrawInTheirPaletteColours) {
  // icotool writes a picture of one colour as a 1-bit image whose palette holds that colour.
  test::TTempDir dir;
  int status = 0;
  std::string out = test::RunPython(
      "from PIL import Image\n"
      "im = Image.new('RGBA', (16, 16), (0, 0, 255, 255))\n"
      "im.putpixel((0, 0), (0, 0, 0, 0))\n"
      "im.save('" + dir.File("blue.png") + "')\n",
      &status);
  ASSERT_EQ(status, 0) << out;
  out = test::RunCommand("icotool -c -o " + dir.File("blue.ico") + " " + dir.File("blue.png") + " 2>&1", &status);
  ASSERT_EQ(status, 0) << out;
  TIcon icon;
  icon.LoadFromFile(dir.File("blue.ico"));
  EXPECT_EQ(icon.Image(0).BitCount, 1);
  auto under = test::WhiteBitmap(16, 16);
  under->Canvas()->Draw(0, 0, &icon);
  EXPECT_EQ(Px(*under, 5, 5), 0xFF0000u) << "blue, not black";
  EXPECT_EQ(Px(*under, 0, 0), 0xFFFFFFu);

  // A 1-bit bitmap file with red and green.
  std::vector<Byte> bmp = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,
                           1, 0, 1, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                           0, 0, 255, 0, 0, 255, 0, 0, 0x40, 0, 0, 0};
  TMemoryStream stream;
  stream.WriteBuffer(bmp.data(), static_cast<Int64>(bmp.size()));
  stream.SetPosition(0);
  TBitmap twoColours;
  twoColours.LoadFromStream(stream);
  auto target = test::WhiteBitmap(2, 1);
  target->Canvas()->Draw(0, 0, &twoColours);
  EXPECT_EQ(Px(*target, 0, 0), 0x0000FFu) << "red";
  EXPECT_EQ(Px(*target, 1, 0), 0x00FF00u) << "green";
  TBitmap blackAndWhite;
  blackAndWhite.SetMonochrome(true);
  blackAndWhite.SetSize(1, 1);
  EXPECT_TRUE(blackAndWhite.Handle()->Monochrome());
}

TEST(Icon, MalformedIconFilesAreRefused) {
  auto le16 = [](std::string& s, std::uint32_t v) { s += static_cast<char>(v & 0xFF); s += static_cast<char>(v >> 8); };
  auto le32 = [&](std::string& s, std::uint32_t v) { le16(s, v & 0xFFFF); le16(s, v >> 16); };
  auto header = [&](int type, int count) { std::string s; le16(s, 0); le16(s, static_cast<std::uint32_t>(type)); le16(s, static_cast<std::uint32_t>(count)); return s; };
  auto entry = [&](std::uint32_t size, std::uint32_t offset) {
    std::string s(8, '\0');
    s[0] = 16; s[1] = 16;
    le32(s, size);
    le32(s, offset);
    return s;
  };
  struct Case { const char* What; std::string Data; };
  const Case cases[] = {
      {"empty", ""},
      {"type", header(3, 1) + entry(40, 22)},
      {"no images", header(1, 0)},
      {"directory cut", header(1, 2) + entry(40, 38)},
      {"image past the end", header(1, 1) + entry(4000, 22) + std::string(40, '\0')},
      {"offset inside the directory", header(1, 1) + entry(10, 2) + std::string(40, '\0')},
      {"garbage image", header(1, 1) + entry(40, 22) + std::string(40, '\x7F')},
  };
  for (const auto& c : cases) {
    TStringStream s(c.Data);
    TIcon icon;
    EXPECT_THROW(icon.LoadFromStream(s), EInvalidGraphic) << c.What;
  }
}

// The stored bytes of an icon image made from a square of one colour.
std::string IconImageBytes(int size, TColor colour, TPixelFormat format = pf24bit) {
  auto b = test::WhiteBitmap(size, size);
  b->Canvas()->Brush()->SetColor(colour);
  b->Canvas()->FillRect(Rect(0, 0, size, size));
  b->SetPixelFormat(format);
  TIcon icon;
  icon.AddImage(*b, nullptr);
  const std::vector<Byte>& data = *icon.Image(0).Data;
  return std::string(data.begin(), data.end());
}

// An icon file holding the images and a directory entry for each index of entries.
std::string IconFileOf(const std::vector<std::string>& images, const std::vector<int>& entries) {
  std::string s;
  auto le16 = [&](std::uint32_t v) { s += static_cast<char>(v & 0xFF); s += static_cast<char>((v >> 8) & 0xFF); };
  auto le32 = [&](std::uint32_t v) { le16(v & 0xFFFF); le16(v >> 16); };
  le16(0);
  le16(kIconTypeIcon);
  le16(static_cast<std::uint32_t>(entries.size()));
  std::vector<std::uint32_t> offsets;
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const std::string& image : images) {
    offsets.push_back(offset);
    offset += static_cast<std::uint32_t>(image.size());
  }
  for (int i : entries) {
    s += std::string(4, '\0');
    le16(1);
    le16(24);
    le32(static_cast<std::uint32_t>(images[static_cast<std::size_t>(i)].size()));
    le32(offsets[static_cast<std::size_t>(i)]);
  }
  for (const std::string& image : images) s += image;
  return s;
}

void LoadIcon(TIcon& icon, const std::string& file, TIconBudget& budget) {
  icon.LoadFromMemory(reinterpret_cast<const Byte*>(file.data()), file.size(), budget);
}

TEST(Icon, EntriesNamingTheSameBytesShareOneImage) {
  const std::string image = IconImageBytes(256, clRed, pf8bit);
  const std::string file = IconFileOf({image}, std::vector<int>(65535, 0));
  TStringStream in(file);
  TIcon icon;
  icon.LoadFromStream(in);
  ASSERT_EQ(icon.ImageCount(), 65535);
  const TGdiBitmap* pixels = icon.Image(0).Colour.get();
  EXPECT_EQ(icon.Image(65534).Colour.get(), pixels);
  EXPECT_EQ(icon.Image(65534).Mask.get(), icon.Image(0).Mask.get());
  EXPECT_EQ(icon.Width(), 256);

  TIcon copy;
  copy.Assign(&icon);
  EXPECT_EQ(copy.Image(100).Colour.get(), pixels) << "an assigned icon shares the images";

  // Saved, the shared image is written once and every entry points at it.
  TMemoryStream out;
  icon.SaveToStream(out);
  EXPECT_EQ(out.Size(), static_cast<Int64>(6 + 16 * 65535 + image.size()));
  out.SetPosition(0);
  TIcon back;
  back.LoadFromStream(out);
  ASSERT_EQ(back.ImageCount(), 65535);
  EXPECT_EQ(back.Image(65534).Colour.get(), back.Image(0).Colour.get());
  EXPECT_EQ(back.Image(7).Colour->Image().pixel(9, 9) & 0xFFFFFF, 0xFF0000u);
}

TEST(Icon, TheImagesOfOneFileStayWithinItsBudget) {
  const std::vector<std::string> four = {IconImageBytes(16, clRed), IconImageBytes(16, clLime), IconImageBytes(16, clBlue),
                                         IconImageBytes(16, clYellow)};
  auto tooLarge = [](const std::function<void()>& load, const char* what) {
    try {
      load();
      ADD_FAILURE() << what << ": loaded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "Icon image is too large") << what;
    }
  };
  {
    TIconBudget budget;
    budget.Pixels = 3 * 256;
    TIcon icon;
    tooLarge([&] { LoadIcon(icon, IconFileOf(four, {0, 1, 2, 3}), budget); }, "four images, room for three");
    EXPECT_TRUE(icon.Empty()) << "a refused file changes nothing";
  }
  {
    // Entries sharing an image cost it once.
    TIconBudget budget;
    budget.Pixels = 2 * 256;
    TIcon icon;
    LoadIcon(icon, IconFileOf(four, {0, 0, 0, 1, 1, 0}), budget);
    EXPECT_EQ(icon.ImageCount(), 6);
    EXPECT_EQ(budget.Pixels, 0);
    // The icons read from one file share its budget.
    TIcon next;
    tooLarge([&] { LoadIcon(next, IconFileOf(four, {2}), budget); }, "a second icon of the same file");
  }
  {
    // Entries naming one image's bytes, each a byte shorter than the one before: three of them
    // name more than twice the file, two do not.
    auto overlapping = [&](int entries) {
      std::string file = IconFileOf({four[0]}, std::vector<int>(static_cast<std::size_t>(entries), 0));
      for (int i = 1; i < entries; ++i) file[6 + 16 * i + 8] = static_cast<char>(file[6 + 16 * i + 8] - i);
      return file;
    };
    TIconBudget budget;
    TIcon icon;
    tooLarge([&] { LoadIcon(icon, overlapping(3), budget); }, "three overlapping entries");
    LoadIcon(icon, overlapping(2), budget);
    EXPECT_EQ(icon.ImageCount(), 2) << "two overlapping entries";
  }
  {
    // A picture claiming more than the budget holds is refused before anything is decoded.
    const std::string side("\0\0\x27\x10", 4);  // 10000, big-endian
    std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + side + side +
                      std::string("\x08\x06\0\0\0", 5) + std::string(4, '\0');
    TIconBudget budget;
    TIcon icon;
    tooLarge([&] { LoadIcon(icon, IconFileOf({png}, {0}), budget); }, "a claimed 10000 x 10000 picture");
    EXPECT_EQ(budget.Pixels, kMaxIconFilePixels);
  }
}

TEST(Icon, ThirtyTwoBitImagesWithoutAlphaTakeTheMaskForTransparency) {
  // A 2 x 2 image: the top-left pixel is black and masked, the others red and opaque.
  auto image = [](Byte alpha) {
    std::string s;
    auto le32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF); };
    le32(40); le32(2); le32(4);
    s += std::string("\x01\0\x20\0", 4);
    for (int i = 0; i < 6; ++i) le32(0);
    const std::string red = std::string("\0\0\xff", 3) + static_cast<char>(alpha);
    const std::string black = std::string("\0\0\0", 3) + static_cast<char>(alpha);
    s += red + red;      // bottom row
    s += black + red;    // top row
    le32(0);             // mask, bottom row: opaque
    le32(0x80);          // top row: the first pixel transparent
    return s;
  };
  struct TCase {
    const char* What;
    Byte Alpha;
    COLORREF TopLeft;
  };
  const TCase cases[] = {
      {"alpha all zero: the mask decides", 0, 0x00FF00},
      {"alpha present: the alpha decides", 255, 0x000000},
  };
  for (const TCase& c : cases) {
    TIconBudget budget;
    TIcon icon;
    LoadIcon(icon, IconFileOf({image(c.Alpha)}, {0}), budget);
    auto target = test::WhiteBitmap(2, 2);
    target->Canvas()->Brush()->SetColor(clLime);
    target->Canvas()->FillRect(Rect(0, 0, 2, 2));
    target->Canvas()->Draw(0, 0, &icon);
    EXPECT_EQ(test::Px(*target, 0, 0), c.TopLeft) << c.What;
    EXPECT_EQ(test::Px(*target, 1, 0), 0x0000FFu) << c.What;
    EXPECT_EQ(test::Px(*target, 1, 1), 0x0000FFu) << c.What;
    HDC dc = target->Canvas()->Handle();
    target->Canvas()->FillRect(Rect(0, 0, 2, 2));
    ASSERT_TRUE(DrawIcon(dc, 0, 0, icon.Handle()));
    EXPECT_EQ(test::Px(*target, 0, 0), c.TopLeft) << c.What << ", drawn through the handle";
  }
}

TEST(Picture, JpegHeadersClaimingMoreThanABitmapHoldsAreRefusedBeforeDecoding) {
  auto b = test::WhiteBitmap(16, 8);
  const std::vector<Byte> jpeg = EncodeJpeg(*b, 80);
  std::size_t sof = 0;
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) { sof = i; break; }
  ASSERT_NE(sof, 0u);
  // The frame header: marker, length, precision, height, width (big-endian).
  auto claiming = [&](Byte kind, int width, int height) {
    std::vector<Byte> f = jpeg;
    f[sof + 1] = kind;
    f[sof + 5] = static_cast<Byte>(height >> 8);
    f[sof + 6] = static_cast<Byte>(height);
    f[sof + 7] = static_cast<Byte>(width >> 8);
    f[sof + 8] = static_cast<Byte>(width);
    return f;
  };
  struct TCase {
    const char* What;
    std::vector<Byte> File;
  };
  const TCase cases[] = {
      {"progressive, 65500 x 65500", claiming(0xC2, 65500, 65500)},
      {"baseline, 65500 x 65500", claiming(0xC0, 65500, 65500)},
      {"a side beyond the largest", claiming(0xC2, 40000, 16)},
      {"more pixels than a bitmap holds", claiming(0xC2, 32768, 32768)},
  };
  for (const TCase& c : cases) {
    try {
      DecodeJpeg(c.File.data(), c.File.size());
      ADD_FAILURE() << c.What << ": decoded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "JPEG error #-1: image too large") << c.What;
    }
  }
  // The same file with its own size decodes.
  std::unique_ptr<TBitmap> own = DecodeJpeg(jpeg.data(), jpeg.size());
  EXPECT_EQ(own->Width(), 16);
  EXPECT_EQ(own->Height(), 8);
  EXPECT_EQ(test::Px(*own, 3, 3), 0xFFFFFFu);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// Records the binary properties an object defines.
class TRecordingFiler : public TFiler {
 public:
  TRecordingFiler() : TFiler(FDummy) {}
  void DefineProperty(const AnsiString&, const TReaderProc&, const TWriterProc&, bool) override {}
  void DefineBinaryProperty(const AnsiString& name, const TStreamProc& read, const TStreamProc& write,
                            bool hasData) override {
    Name = name;
    Read = read;
    Write = write;
    HasData = hasData;
  }
  AnsiString Name;
  TStreamProc Read, Write;
  bool HasData = false;
 private:
  TMemoryStream FDummy;
};

TEST(Picture, FormDataIsOneBinaryPropertyWrittenOnlyWithAGraphic) {
  TPicture empty;
  TRecordingFiler none;
  empty.DefineProperties(none);
  EXPECT_EQ(none.Name, "Data");
  EXPECT_FALSE(none.HasData);

  auto b = test::WhiteBitmap(3, 2);
  b->Canvas()->SetPixels(2, 1, clRed);
  TPicture pic;
  pic.Assign(b.get());
  TRecordingFiler filer;
  pic.DefineProperties(filer);
  ASSERT_TRUE(filer.HasData);
  TMemoryStream data;
  filer.Write(data);
  data.SetPosition(0);
  TPicture back;
  TRecordingFiler reader;
  back.DefineProperties(reader);
  reader.Read(data);
  ASSERT_NE(dynamic_cast<TBitmap*>(back.Graphic()), nullptr);
  EXPECT_EQ(test::Px(*back.Bitmap(), 2, 1), 0x0000FFu);

  // A JPEG picture's own data: a 32-bit byte count, then the file.
  TJPEGImage jpeg;
  jpeg.Assign(b.get());
  TRecordingFiler jf;
  jpeg.DefineProperties(jf);
  TMemoryStream jd;
  jf.Write(jd);
  LongWord size = 0;
  std::memcpy(&size, jd.Memory(), 4);
  EXPECT_EQ(static_cast<Int64>(size) + 4, jd.Size());
  EXPECT_EQ(jd.Memory()[4], 0xFF);
  EXPECT_EQ(jd.Memory()[5], 0xD8);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(Icon, HandlesMadeFromBitmapsDrawThroughTheirMaskAndSave) {
  auto colour = test::WhiteBitmap(8, 8);
  colour->Canvas()->Brush()->SetColor(clRed);
  colour->Canvas()->FillRect(Rect(0, 0, 8, 4));
  colour->Canvas()->Brush()->SetColor(clBlack);
  colour->Canvas()->FillRect(Rect(0, 4, 8, 8));
  TBitmap mask;
  mask.SetMonochrome(true);
  mask.SetSize(8, 8);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(0, 0, 8, 4));
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(Rect(0, 4, 8, 8));
  ICONINFO info;
  info.fIcon = 0;
  info.xHotspot = 2;
  info.yHotspot = 1;
  info.hbmColor = colour->Handle();
  info.hbmMask = mask.Handle();
  HICON handle = CreateIconIndirect(&info);
  ASSERT_NE(handle, nullptr);

  auto under = test::WhiteBitmap(8, 8);
  under->Canvas()->Brush()->SetColor(clLime);
  under->Canvas()->FillRect(Rect(0, 0, 8, 8));
  EXPECT_TRUE(DrawIcon(under->Canvas()->Handle(), 0, 0, handle));
  EXPECT_EQ(test::Px(*under, 3, 1), 0x0000FFu);
  EXPECT_EQ(test::Px(*under, 3, 6), 0x00FF00u) << "masked part shows the ground";

  TIcon icon;
  icon.SetHandle(handle);
  EXPECT_EQ(icon.ImageType(), kIconTypeCursor);
  EXPECT_EQ(icon.Image(0).HotSpot, Point(2, 1));
  test::TTempDir dir;
  icon.SaveToFile(dir.File("made.cur"));
  int status = 0;
  std::string out = test::RunCommand("icotool -l " + dir.File("made.cur") + " 2>&1", &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_NE(out.find("--width=8 --height=8"), std::string::npos) << out;
  EXPECT_NE(out.find("--hotspot-x=2 --hotspot-y=1"), std::string::npos) << out;
  TIcon back;
  back.LoadFromFile(dir.File("made.cur"));
  auto again = test::WhiteBitmap(8, 8);
  again->Canvas()->Draw(0, 0, &back);
  EXPECT_EQ(test::Px(*again, 3, 1), 0x0000FFu);
  EXPECT_EQ(test::Px(*again, 3, 6), 0xFFFFFFu);

  HICON released = back.ReleaseHandle();
  EXPECT_TRUE(back.Empty());
  ICONINFO got;
  ASSERT_TRUE(GetIconInfo(released, &got));
  EXPECT_EQ(got.xHotspot, 2u);
  EXPECT_TRUE(DeleteObject(got.hbmColor));
  EXPECT_TRUE(DeleteObject(got.hbmMask));
  EXPECT_TRUE(DestroyIcon(released));
}

}  // namespace
}  // namespace orv
