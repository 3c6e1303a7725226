// The wide layer started once for the window tests of this program.
#include "tests/widechar/WideTestSupport.h"

#include "widechar/WideCharModules.h"

namespace orv::test {

void WideLayerTest::SetUpTestSuite() {
  WideWindowTest::SetUpTestSuite();
  static const bool started = [] {
    InitWidePlatformFlags();
    InitWideForms();
    InitWideMenus();
    InitWideControls();
    return true;
  }();
  (void)started;
}

}  // namespace orv::test
