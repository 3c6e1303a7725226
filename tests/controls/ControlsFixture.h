// The window-test fixture of the extended controls: the forms fixture with the extended controls
// registered, scripted colour-dialog answers, and the beeps counted.
#pragma once
#include <deque>
#include "controls/ExtendedControls.h"
#include "platform/win/Version.h"
#include "tests/platform/forms/FormsFixture.h"

namespace orv::test {

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
