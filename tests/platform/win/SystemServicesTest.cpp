// Global memory blocks, the process clipboard with registered formats, the absent libraries, and
// the process's error mode.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include "platform/win/Clipboard.h"
#include "platform/win/ErrorMode.h"
#include "platform/win/GlobalMemory.h"
#include "platform/win/LastError.h"
#include "platform/win/Libraries.h"

namespace orv {
namespace {

HGLOBAL BlockWith(const char* text) {
  std::size_t n = std::strlen(text) + 1;
  HGLOBAL h = GlobalAlloc(GHND, n);
  std::memcpy(GlobalLock(h), text, n);
  GlobalUnlock(h);
  return h;
}

TEST(GlobalMemory, BlocksAreZeroedBoundedAndDeadAfterFree) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_TRUE(h);
  EXPECT_EQ(GlobalSize(h), 16u);
  auto* p = static_cast<Byte*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  EXPECT_NE(GlobalLock(h), nullptr);
  EXPECT_TRUE(GlobalUnlock(h));   // still locked once
  EXPECT_FALSE(GlobalUnlock(h));  // now unlocked
  EXPECT_FALSE(GlobalFree(h));
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalFree(h), h);

  HGLOBAL empty = GlobalAlloc(GHND, 0);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalFree(empty);
  EXPECT_FALSE(GlobalAlloc(GHND, MaxGlobalBlock + 1));
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

class Clipboard : public ::testing::Test {
 protected:
  void TearDown() override {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    SetClipboardChangeSink(nullptr);
  }
};

TEST_F(Clipboard, RegisteredFormatsAreStableByName) {
  UINT gif = RegisterClipboardFormatA("GIF Image");
  EXPECT_GE(gif, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatW(u"gif image"), gif);
  EXPECT_EQ(ClipboardFormatName(gif), u"GIF Image");
  EXPECT_NE(RegisterClipboardFormatA("Shell IDList Array"), gif);
  EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
  EXPECT_EQ(RegisterClipboardFormatA("#12"), 0u);
  EXPECT_TRUE(ClipboardFormatName(CF_TEXT).empty());
}

TEST_F(Clipboard, DataIsHeldPerFormatReplacedAndFreedByEmpty) {
  int changes = 0;
  SetClipboardChangeSink([&] { ++changes; });
  // Changes need the clipboard open (the block stays the caller's), and one opener at a time.
  HGLOBAL refused = BlockWith("x");
  EXPECT_EQ(SetClipboardData(CF_TEXT, refused.Value), 0u);
  EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
  EXPECT_FALSE(GlobalFree(refused));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());

  UINT gif = RegisterClipboardFormatA("GIF Image");
  HGLOBAL first = BlockWith("first");
  HGLOBAL second = BlockWith("second");
  EXPECT_EQ(SetClipboardData(gif, first.Value), first.Value);
  EXPECT_EQ(SetClipboardData(gif, second.Value), second.Value);
  EXPECT_FALSE(IsGlobalBlock(first));  // replaced data is freed
  EXPECT_EQ(SetClipboardData(2, 0xABCDEF), 0xABCDEFu);  // a bitmap handle, not a block
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, 12345), 0u);  // not a block
  EXPECT_EQ(ClipboardFormats(), (std::vector<UINT>{gif, 2}));
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(changes, 1);

  EXPECT_TRUE(IsClipboardFormatAvailable(gif));
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(HGLOBAL(GetClipboardData(gif)))), "second");
  GlobalUnlock(HGLOBAL(GetClipboardData(gif)));

  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(CloseClipboard());
  EXPECT_FALSE(IsGlobalBlock(second));
  EXPECT_FALSE(IsClipboardFormatAvailable(2));
}

TEST(Libraries, NoLibraryLoadsAndComOnlyCounts) {
  EXPECT_FALSE(LoadLibraryA("uxtheme.dll"));
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(HMODULE(), "OpenThemeData"), nullptr);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_SPEED_OVER_MEMORY), S_OK);
  EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
  OleUninitialize();
  CoUninitialize();
  EXPECT_EQ(ComInitCount(), 0);
  CoUninitialize();
  EXPECT_EQ(ComInitCount(), 0);
}

TEST(ErrorMode, EachSettingReturnsTheOneBeforeAndAScopePutsItBack) {
  const UINT start = SetErrorMode(SEM_FAILCRITICALERRORS);
  EXPECT_EQ(GetErrorMode(), SEM_FAILCRITICALERRORS);
  EXPECT_EQ(SetErrorMode(SEM_NOOPENFILEERRORBOX), SEM_FAILCRITICALERRORS);
  try {
    TErrorModeScope scope(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    EXPECT_EQ(scope.Previous(), SEM_NOOPENFILEERRORBOX);
    EXPECT_EQ(GetErrorMode(), SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    throw std::runtime_error("out of the scope");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(GetErrorMode(), SEM_NOOPENFILEERRORBOX) << "left by an exception, the scope still restores";
  SetErrorMode(start);
}

}  // namespace
}  // namespace orv
