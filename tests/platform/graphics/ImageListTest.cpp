// Image lists: adding with a mask or a mask colour, replacing, deleting, and drawing normally,
// through the mask and as the mask.
#include <gtest/gtest.h>
#include "platform/graphics/ImgList.h"
#include "GraphicsTestSupport.h"

namespace orv {
namespace {

using test::Px;

// A strip of `count` 4x4 images: image i is filled with colours[i], its top-left pixel fuchsia.
std::unique_ptr<TBitmap> Strip(const std::vector<TColor>& colours) {
  auto b = test::WhiteBitmap(4 * static_cast<int>(colours.size()), 4);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    b->Canvas()->Brush()->SetColor(colours[i]);
    b->Canvas()->FillRect(Bounds(4 * static_cast<int>(i), 0, 4, 4));
    b->Canvas()->SetPixels(4 * static_cast<int>(i), 0, clFuchsia);
  }
  return b;
}

std::unique_ptr<TBitmap> DrawOnGreen(TCustomImageList& list, int index, UINT style) {
  auto out = test::WhiteBitmap(4, 4);
  out->Canvas()->Brush()->SetColor(clLime);
  out->Canvas()->FillRect(Rect(0, 0, 4, 4));
  ImageList_Draw(list.Handle(), index, out->Canvas()->Handle(), 0, 0, style);
  return out;
}

TEST(ImageList, AddMaskedSplitsTheStripAndDrawsThroughTheMask) {
  auto list = TCustomImageList::CreateSize(4, 4);
  auto strip = Strip({clRed, clBlue, clNavy});
  EXPECT_EQ(list->AddMasked(strip.get(), clFuchsia), 0);
  EXPECT_EQ(list->Count(), 3);
  struct Case { int Index; UINT Style; COLORREF Corner; COLORREF Inside; };
  const Case cases[] = {
      {0, ILD_TRANSPARENT, 0x00FF00, 0x0000FF},
      {1, ILD_NORMAL, 0x00FF00, 0xFF0000},       // no background colour: transparent too
      {2, ILD_TRANSPARENT, 0x00FF00, 0x800000},
      {0, ILD_MASK, 0xFFFFFF, 0x000000},         // the mask itself: white where transparent
  };
  for (const auto& c : cases) {
    auto out = DrawOnGreen(*list, c.Index, c.Style);
    EXPECT_EQ(Px(*out, 0, 0), c.Corner) << c.Index << " style " << c.Style;
    EXPECT_EQ(Px(*out, 2, 2), c.Inside) << c.Index << " style " << c.Style;
  }
  list->SetBkColor(clYellow);
  auto filled = DrawOnGreen(*list, 0, ILD_NORMAL);
  EXPECT_EQ(Px(*filled, 0, 0), 0x00FFFFu) << "a background colour fills the masked part";
  // The none colour of the class library passed as background draws transparently.
  auto out = test::WhiteBitmap(4, 4);
  ImageList_DrawEx(list->Handle(), 0, out->Canvas()->Handle(), 0, 0, 0, 0, 0x1FFFFFFF, 0x1FFFFFFF, ILD_TRANSPARENT);
  EXPECT_EQ(Px(*out, 0, 0), 0xFFFFFFu);
}

TEST(ImageList, AddWithMaskReplaceAndDelete) {
  auto list = TCustomImageList::CreateSize(4, 4);
  auto strip = Strip({clRed, clBlue});
  TBitmap mask;
  mask.SetMonochrome(true);
  mask.SetSize(8, 4);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(0, 0, 8, 4));
  mask.Canvas()->SetPixels(3, 3, clWhite);
  EXPECT_EQ(list->Add(strip.get(), &mask), 0);
  auto out = DrawOnGreen(*list, 0, ILD_TRANSPARENT);
  EXPECT_EQ(Px(*out, 3, 3), 0x00FF00u) << "white mask pixel is transparent";
  EXPECT_EQ(Px(*out, 0, 0), 0xFF00FFu) << "no colour key with an explicit mask";

  auto green = Strip({clLime});
  list->ReplaceMasked(1, green.get(), clFuchsia);
  out = DrawOnGreen(*list, 1, ILD_TRANSPARENT);
  EXPECT_EQ(Px(*out, 2, 2), 0x00FF00u);
  auto red = Strip({clRed});
  list->Replace(1, red.get(), nullptr);
  out = DrawOnGreen(*list, 1, ILD_TRANSPARENT);
  EXPECT_EQ(Px(*out, 0, 0), 0xFF00FFu) << "no mask: opaque";

  list->Delete(0);
  EXPECT_EQ(list->Count(), 1);
  out = DrawOnGreen(*list, 0, ILD_TRANSPARENT);
  EXPECT_EQ(Px(*out, 2, 2), 0x0000FFu) << "later images move down";

  struct Bad { const char* What; std::function<void()> Call; };
  auto narrow = test::WhiteBitmap(3, 4);
  TBitmap empty;
  const Bad bad[] = {
      {"delete past the end", [&] { list->Delete(1); }},
      {"replace past the end", [&] { list->Replace(5, red.get(), nullptr); }},
      {"replace masked negative", [&] { list->ReplaceMasked(-1, red.get(), clFuchsia); }},
      {"narrower than an image", [&] { list->Add(narrow.get(), nullptr); }},
      {"empty bitmap", [&] { list->AddMasked(&empty, clFuchsia); }},
  };
  for (const auto& b : bad) EXPECT_THROW(b.Call(), EInvalidOperation) << b.What;
  EXPECT_EQ(list->Count(), 1);
}

TEST(ImageList, DisabledDrawEmbossesTheOpaquePart) {
  auto list = TCustomImageList::CreateSize(4, 4);
  auto strip = Strip({clRed});
  list->AddMasked(strip.get(), clFuchsia);
  auto out = test::WhiteBitmap(6, 6);
  list->Draw(out->Canvas(), 0, 0, 0, false);
  EXPECT_EQ(Px(*out, 2, 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(*out, 4, 4), ColorToRGB(clBtnHighlight)) << "highlight one pixel down-right";
  EXPECT_EQ(Px(*out, 0, 0), 0xFFFFFFu) << "transparent pixel untouched";
}

}  // namespace
}  // namespace orv
