// What the wide-character tests share: the platform flags and the version provider put back after
// each test, and readable wide literals in failure messages.
#pragma once
#include <gtest/gtest.h>
#include <ostream>
#include "platform/rtl/CodePages.h"
#include "platform/win/Version.h"
#include "tests/platform/forms/FormsFixture.h"
#include "widechar/UniSystem.h"

namespace orv::test {

// Runs each test with the platform flags as the start step sets them for the default (NT 5.1)
// version, and restores flags and version afterwards; over a plain test or one with windows.
template <class Base>
class TWidePlatformFixture : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    FSavedUnicode = Win32PlatformIsUnicode;
    FSavedXP = Win32PlatformIsXPOrLater;
    ResetOSVersion();
    InitUniSysUtils();
  }
  void TearDown() override {
    Base::TearDown();
    ResetOSVersion();
    Win32PlatformIsUnicode = FSavedUnicode;
    Win32PlatformIsXPOrLater = FSavedXP;
  }
  // The narrow (Windows 9x) roads for the rest of the test.
  static void UseNarrowPlatform() { Win32PlatformIsUnicode = false; }

 private:
  bool FSavedUnicode = true;
  bool FSavedXP = true;
};

class WidePlatformTest : public TWidePlatformFixture<::testing::Test> {};
// The same for tests with windows: the offscreen application of the forms fixture.
class WideWindowTest : public TWidePlatformFixture<FormsTest> {};

// Window tests with the layer's start steps run (once for the test program): wide classes
// registered, wide streaming on, the application companion with its message hook, the wide popup
// list, the holder lists and atoms.
class WideLayerTest : public WideWindowTest {
 protected:
  static void SetUpTestSuite();
};

// A wide text shown as UTF-8 with the units of lone surrogates in hex.
inline std::string Show(const WideString& w) {
  std::string out;
  for (char16_t u : w) {
    if (u >= 0xD800 && u <= 0xDFFF) {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(u));
      out += buf;
    } else {
      out += WideToUtf8(WideString(1, u));
    }
  }
  return out;
}

}  // namespace orv::test
