// Colours through the system table and as text; fonts keep their face name and convert sizes at 96 dpi.
#include <gtest/gtest.h>
#include "platform/graphics/Graphics.h"
#include "platform/win/SysColors.h"
#include "GraphicsTestSupport.h"
#include <QFontMetrics>

namespace orv {
namespace {

TEST(Colors, SystemColoursResolveThroughTheTable) {
  struct Case { TColor Color; COLORREF Expected; };
  const Case cases[] = {
      {clBtnFace, GetSysColor(COLOR_BTNFACE)},     {clBtnHighlight, GetSysColor(COLOR_BTNHIGHLIGHT)},
      {clBtnShadow, GetSysColor(COLOR_BTNSHADOW)}, {clHighlight, GetSysColor(COLOR_HIGHLIGHT)},
      {clWindow, GetSysColor(COLOR_WINDOW)},       {clGrayText, GetSysColor(COLOR_GRAYTEXT)},
      {clRed, 0x0000FF},                           {clNavy, 0x800000},
      {clNone, 0x1FFFFFFF},                        {clDefault, 0x20000000},  // markers pass unchanged
  };
  for (const auto& c : cases) EXPECT_EQ(ColorToRGB(c.Color), c.Expected) << ColorToString(c.Color);
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(GetRValue(ColorToRGB(clRed)), 255) << "red lives in the low byte";
}

TEST(Colors, TextFormsBothWays) {
  struct Case { TColor Color; const char* Text; };
  const Case cases[] = {
      {clRed, "clRed"}, {clBtnFace, "clBtnFace"}, {clNone, "clNone"}, {clDefault, "clDefault"},
      {static_cast<TColor>(0x00123456), "$00123456"}, {clBlue, "clBlue"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColorToString(c.Color), c.Text);
    EXPECT_EQ(StringToColor(c.Text), c.Color) << c.Text;
  }
  EXPECT_EQ(StringToColor("$00FF0000"), clBlue);
  EXPECT_EQ(StringToColor("CLRED"), clRed) << "names are case-insensitive";
  EXPECT_EQ(StringToColor("255"), clRed);
  for (const char* bad : {"", "clReddish", "$", "$1234567890", "12x"})
    EXPECT_THROW(StringToColor(bad), EConvertError) << bad;
}

TEST(Fonts, FaceNameIsKeptAsGivenAndSizesUse96Dpi) {
  TFont font;
  int changes = 0;
  font.OnChange = [&](TObject*) { ++changes; };
  font.SetName("Some Face Nobody Has");
  EXPECT_EQ(font.Name(), "Some Face Nobody Has");
  EXPECT_EQ(font.ToQFont().family(), "DejaVu Sans") << "an unknown face draws with the bundled family";
  EXPECT_EQ(font.Name(), "Some Face Nobody Has") << "drawing must not rename the font";
  font.SetName("DejaVu Serif");
  EXPECT_EQ(font.ToQFont().family(), "DejaVu Serif");
  font.SetSize(8);
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);
  font.SetStyle({fsBold, fsUnderline});
  EXPECT_TRUE(font.Style().Contains(fsBold));
  EXPECT_FALSE(font.Style().Contains(fsItalic));
  EXPECT_TRUE(font.ToQFont().bold());
  EXPECT_TRUE(font.ToQFont().underline());
  EXPECT_EQ(changes, 4) << "a change fires once; setting the size it already has (8 pt) fires nothing";
  font.SetHeight(20);
  EXPECT_NEAR(QFontMetrics(font.ToQFont()).height(), 20, 1) << "a positive height is the cell height";
  font.SetHeight(-20);
  EXPECT_EQ(font.ToQFont().pixelSize(), 20) << "a negative height is the character height";
  TFont copy;
  copy.Assign(&font);
  EXPECT_EQ(copy.Name(), "DejaVu Serif");
  EXPECT_EQ(copy.Height(), -20);
}

}  // namespace
}  // namespace orv
