// Graphics on the clipboard (bitmaps as device-independent blocks or handles, icons as icon-file
// blocks), icon resources, the nearest colour of a DC, and graphics that copy themselves into
// bitmaps.
#include <gtest/gtest.h>
#include <cstring>
#include "platform/graphics/Icon.h"
#include "platform/win/Clipboard.h"
#include "GraphicsTestSupport.h"

namespace orv {
namespace {

using test::Px;

std::vector<Byte> IconBytes(int size, TColor colour) {
  auto b = test::WhiteBitmap(size, size);
  b->Canvas()->Brush()->SetColor(colour);
  b->Canvas()->FillRect(Rect(0, 0, size, size));
  TIcon icon;
  icon.AddImage(*b, nullptr);
  TMemoryStream out;
  icon.SaveToStream(out);
  const auto* p = static_cast<const Byte*>(out.Memory());
  return std::vector<Byte>(p, p + out.Size());
}

TEST(ClipboardPicture, BitmapsGoAsDibBlocksAndComeFromBlocksOrHandles) {
  auto source = test::WhiteBitmap(3, 2);
  source->Canvas()->SetPixels(1, 0, clRed);
  Word format = 0;
  std::uint64_t data = 0;
  HPALETTE palette = reinterpret_cast<HPALETTE>(1);
  source->SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_DIB);
  EXPECT_EQ(palette, nullptr);
  ASSERT_TRUE(IsGlobalBlock(HGLOBAL(data)));
  TBitmap fromBlock;
  fromBlock.LoadFromClipboardFormat(CF_DIB, data, nullptr);
  EXPECT_EQ(fromBlock.Width(), 3);
  EXPECT_EQ(Px(fromBlock, 1, 0), 0x0000FFu);
  GlobalFree(HGLOBAL(data));

  TBitmap fromHandle;
  fromHandle.LoadFromClipboardFormat(CF_BITMAP, reinterpret_cast<std::uint64_t>(source->Handle()), nullptr);
  EXPECT_EQ(fromHandle.Height(), 2);
  EXPECT_EQ(Px(fromHandle, 1, 0), 0x0000FFu);
  EXPECT_EQ(TPicture::ClipboardFormatClass(CF_DIB), TBitmap::Class());

  const HGLOBAL junk = GlobalAlloc(GMEM_MOVEABLE, 10);
  EXPECT_THROW(fromBlock.LoadFromClipboardFormat(CF_DIB, junk.Value, nullptr), EInvalidGraphic);
  GlobalFree(junk);
  EXPECT_THROW(fromBlock.LoadFromClipboardFormat(CF_DIB, 0, nullptr), EInvalidGraphic);
  EXPECT_THROW(fromBlock.LoadFromClipboardFormat(CF_TEXT, 0, nullptr), EInvalidGraphic);
  EXPECT_EQ(fromBlock.Width(), 3) << "a failed read leaves the bitmap as it was";
}

TEST(ClipboardPicture, IconsComeFromIconFileBlocks) {
  const std::vector<Byte> file = IconBytes(16, clBlue);
  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, file.size());
  std::memcpy(GlobalLock(block), file.data(), file.size());
  GlobalUnlock(block);
  TIcon icon;
  icon.LoadFromClipboardFormat(0xC123, block.Value, nullptr);
  EXPECT_EQ(icon.Width(), 16);
  GlobalFree(block);
  EXPECT_THROW(icon.LoadFromClipboardFormat(0xC123, 0, nullptr), EInvalidGraphic);
}

TEST(ClipboardPicture, IconResourcesLoadByNameIgnoringCase) {
  RegisterIconResource(HInstance(), "Orv_Test_Icon", IconBytes(24, clGreen));
  RegisterIconResource(HInstance(), "ORV_BROKEN", {1, 2, 3});
  HICON icon = LoadIconA(HInstance(), "ORV_TEST_ICON");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->Colour->Width(), 24);
  DestroyIcon(icon);
  EXPECT_EQ(LoadIconA(HInstance(), "ORV_MISSING"), nullptr);
  EXPECT_EQ(LoadIconA(HInstance() + 1, "ORV_TEST_ICON"), nullptr) << "another module";
  EXPECT_EQ(LoadIconA(HInstance(), "ORV_BROKEN"), nullptr);
}

TEST(ClipboardPicture, NearestColourOfADeviceContext) {
  auto colour = test::WhiteBitmap(1, 1);
  EXPECT_EQ(GetNearestColor(colour->Canvas()->Handle(), 0x123456), 0x123456u);
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(1, 1);
  EXPECT_EQ(GetNearestColor(mono.Canvas()->Handle(), 0x203040), 0x000000u);
  EXPECT_EQ(GetNearestColor(mono.Canvas()->Handle(), 0xE0E0E0), 0xFFFFFFu);
  EXPECT_EQ(GetNearestColor(nullptr, 0), CLR_INVALID);
}

// A graphic that hands bitmaps a fixed colour instead of being drawn.
class TSelfCopying : public TGraphic {
 public:
  static TGraphicClass Class() {
    static const TGraphicClassInfo info{"TSelfCopying", [] { return std::unique_ptr<TGraphic>(std::make_unique<TSelfCopying>()); }};
    return &info;
  }
  TGraphicClass GraphicClass() const override { return Class(); }
  bool Empty() const override { return false; }
  int Width() const override { return 2; }
  int Height() const override { return 2; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) override {}
  void Draw(TCanvas&, const TRect&) override { ++Draws; }
  bool CopiesInto(const TPersistent* dest) const override { return dynamic_cast<const TBitmap*>(dest) != nullptr; }
  int Draws = 0;
 protected:
  void AssignTo(TPersistent* dest) override {
    auto* b = static_cast<TBitmap*>(dest);
    b->SetSize(5, 1);
  }
};

TEST(ClipboardPicture, BitmapsTakeTheCopyOfGraphicsThatMakeOne) {
  TSelfCopying graphic;
  TBitmap bitmap;
  bitmap.Assign(&graphic);
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(graphic.Draws, 0);
}

}  // namespace
}  // namespace orv
