// The window-test fixture of the extended controls: the forms fixture with the extended controls
// registered, scripted colour-dialog answers, and the beeps counted.
#pragma once
#include <QColor>
#include <deque>
#include <initializer_list>
#include <memory>
#include "controls/ExtendedControls.h"
#include "platform/win/Version.h"
#include "tests/platform/forms/FormsFixture.h"

namespace orv::test {

// A colour as the pixels of a drawn control show it.
inline QColor ShownColor(TColor color) {
  const COLORREF c = ColorToRGB(color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// A glyph strip of equal square images of the given colours, each with a one-pixel border of the
// border colour (the see-through colour the strip's lower left pixel gives).
inline std::unique_ptr<TBitmap> Strip(std::initializer_list<COLORREF> colours, COLORREF border,
                                      int size = 10) {
  auto bitmap = std::make_unique<TBitmap>(size * static_cast<int>(colours.size()), size);
  int i = 0;
  for (COLORREF c : colours) {
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
        bitmap->SetPixelRGB(i * size + x, y, edge ? border : c);
      }
    ++i;
  }
  return bitmap;
}

// Answers the colour dialog from a script (no answer: cancelled) and keeps the colours it was
// opened with.
class TScriptedColorDialogs : public TScriptedDialogs {
 public:
  std::deque<TColor> ColorAnswers;
  std::vector<TColor> ColorsAsked;
  std::function<void()> WhileAsked;

  bool ChooseColor(TColor& color) override {
    ColorsAsked.push_back(color);
    if (WhileAsked) WhileAsked();
    if (ColorAnswers.empty()) return false;
    color = ColorAnswers.front();
    ColorAnswers.pop_front();
    return true;
  }
};

class ControlsTest : public FormsTest {
 protected:
  static void SetUpTestSuite() {
    FormsTest::SetUpTestSuite();
    RegisterExtendedControls();
  }

  void SetUp() override {
    FormsTest::SetUp();
    SetDialogService(&ColorDialogs);
    SetMessageBeepSink([this](UINT) { ++Beeps; });
  }

  void TearDown() override {
    SetMessageBeepSink(nullptr);
    FormsTest::TearDown();
  }

  TScriptedColorDialogs ColorDialogs;
  int Beeps = 0;
};

}  // namespace orv::test
