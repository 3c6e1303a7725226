// The status bar's progress panel: growing paints over the kept image of the bar without an
// owner-draw call, shrinking repaints the bar through one; checked on the rendered pixels too.
#include "tests/app/AppFixture.h"

#include <QImage>

namespace orv::test {
namespace {

class ProgressPanelTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWindows();
    Bar = MainForm->StatusBar1;
    // Counts the owner-draw calls while still drawing through the window's handler.
    Bar->OnDrawPanel = [this](TStatusBar* bar, TStatusPanel* panel, const TRect& rect) {
      ++DrawCalls;
      MainForm->StatusBar1DrawPanel(bar, panel, rect);
    };
    Bar->Repaint();
    Application->ProcessMessages();
    DrawCalls = 0;
    Panel = Bar->PanelRect(1);
  }

  // True when the pixel at fraction (0..1) of the progress panel's width is navy.
  bool NavyAt(double fraction) const {
    const QImage& image = Bar->Image();
    const int x = Panel.Left + static_cast<int>((Panel.Right - Panel.Left) * fraction);
    const int y = (Panel.Top + Panel.Bottom) / 2;
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return false;
    return image.pixel(x, y) == qRgb(0, 0, 128);
  }

  TStatusBar* Bar = nullptr;
  TRect Panel{};
  int DrawCalls = 0;
};

TEST_F(ProgressPanelTest, GrowingPaintsOverAndShrinkingRepaints) {
  ASSERT_GT(Panel.Right - Panel.Left, 10);
  EXPECT_EQ(MainForm->ProgressRect(), Panel) << "the first paint keeps the panel's rectangle";

  struct TStep {
    Integer Percent;
    int DrawCalls;      // owner-draw calls this step causes
    double NavyUpTo;    // a point inside the bar
    double PlainFrom;   // a point past its end
  };
  const TStep steps[] = {
    {60, 0, 0.55, 0.65},
    {80, 0, 0.75, 0.85},
    {30, 1, 0.25, 0.35},  // shrinking needs the panel drawn again
    {30, 0, 0.25, 0.35},
    {100, 0, 0.95, -1},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Percent);
    const int before = DrawCalls;
    MainForm->SetProStatus(s.Percent);
    Application->ProcessMessages();
    EXPECT_EQ(MainForm->ProgressPercent(), s.Percent);
    EXPECT_EQ(DrawCalls - before, s.DrawCalls) << "owner-draw calls";
    EXPECT_TRUE(NavyAt(0.02)) << "the bar starts at the panel's left edge";
    EXPECT_TRUE(NavyAt(s.NavyUpTo)) << "the bar reaches its percentage";
    if (s.PlainFrom >= 0) {
      EXPECT_FALSE(NavyAt(s.PlainFrom)) << "nothing is painted past the percentage";
    }
  }
  MainForm->SetProStatus(0);
  Application->ProcessMessages();
  EXPECT_FALSE(NavyAt(0.02)) << "0 percent leaves the panel empty";
}

TEST_F(ProgressPanelTest, WindowMessageSetsTheProgressWithinZeroToHundred) {
  struct TCase {
    LONG_PTR Value;
    Integer Expected;
  };
  const TCase cases[] = {{40, 40}, {150, 100}, {-5, 0}, {100, 100}, {0, 0}, {73, 73}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    MainForm->Perform(WM_PROGRESSPANEL, static_cast<WPARAM>(c.Value), 0);
    EXPECT_EQ(MainForm->ProgressPercent(), c.Expected);
  }
  // Posted through the message queue, as another program's window would.
  PostMessageA(MainForm->Handle(), WM_PROGRESSPANEL, 20, 0);
  Application->ProcessMessages();
  EXPECT_EQ(MainForm->ProgressPercent(), 20);
  EXPECT_TRUE(NavyAt(0.15));
  EXPECT_FALSE(NavyAt(0.25));
}

}  // namespace
}  // namespace orv::test
