// Text-bearing messages between narrow and wide callers and windows: what the procedure receives.
#include <gtest/gtest.h>

#include "platform/win/WindowObjects.h"
#include "tests/platform/win/WinTestSupport.h"

namespace orv {
namespace {

// What the window's own procedure last received.
std::string gNarrowText;
WideString gWideText;
WPARAM gChar = 0;

LRESULT NarrowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_SETTEXT && l != 0) gNarrowText = LParamPtr<const char>(l);
  if (msg == WM_CHAR || msg == WM_IME_CHAR) gChar = w;
  return DefWindowProcA(h, msg, w, l);
}

LRESULT WideProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_SETTEXT && l != 0) gWideText = LParamPtr<const char16_t>(l);
  if (msg == WM_CHAR || msg == WM_IME_CHAR) gChar = w;
  return DefWindowProcW(h, msg, w, l);
}

class TextConversion : public ::testing::Test {
 protected:
  wintest::TScopedClass FNarrow{u"ConvNarrow", &NarrowProc, false};
  wintest::TScopedClass FWide{u"ConvWide", &WideProc, true};
  HWND FNarrowWnd = FNarrow.Create();
  HWND FWideWnd = FWide.Create();
  void SetUp() override {
    ASSERT_TRUE(FNarrowWnd);
    ASSERT_TRUE(FWideWnd);
    ASSERT_FALSE(IsWindowUnicode(FNarrowWnd));
    ASSERT_TRUE(IsWindowUnicode(FWideWnd));
    gNarrowText.clear();
    gWideText.clear();
    gChar = 0;
  }
};

struct TSetTextCase {
  const char* Label;
  bool WideCall;
  bool WideWindow;
  std::string NarrowIn;   // sent by a narrow call
  WideString WideIn;      // sent by a wide call
  std::string NarrowSeen; // received by a narrow window
  WideString WideSeen;    // received by a wide window
};

TEST_F(TextConversion, SetTextIsConvertedOnlyWhenCallAndWindowDiffer) {
  const TSetTextCase cases[] = {
      {"narrow call, wide window", false, true, "\x80\x9F\x8A\x81 a", u"", "", u"\u20AC\u0178\u0160\u0081 a"},
      {"wide call, narrow window", true, false, "", u"\u20AC\u0178\u263A\u00E4", "\x80\x9F?\xE4", u""},
      {"narrow call, narrow window", false, false, "\x80\x9F\x81", u"", "\x80\x9F\x81", u""},
      {"wide call, wide window", true, true, "", u"\u263A\u20AC", "", u"\u263A\u20AC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    gNarrowText.clear();
    gWideText.clear();
    HWND target = c.WideWindow ? FWideWnd : FNarrowWnd;
    if (c.WideCall)
      SendMessageW(target, WM_SETTEXT, 0, PtrLParam(c.WideIn.c_str()));
    else
      SendMessageA(target, WM_SETTEXT, 0, PtrLParam(c.NarrowIn.c_str()));
    EXPECT_EQ(gNarrowText, c.NarrowSeen);
    EXPECT_EQ(gWideText, c.WideSeen);
  }
}

struct TCharCase {
  const char* Label;
  UINT Msg;
  bool WideCall;
  bool WideWindow;
  WPARAM Sent;
  WPARAM Seen;
};

TEST_F(TextConversion, CharacterCodesAreConvertedOnlyWhenCallAndWindowDiffer) {
  const TCharCase cases[] = {
      {"0x80 to a wide window", WM_CHAR, false, true, 0x80, 0x20AC},
      {"0x9F to a wide window", WM_CHAR, false, true, 0x9F, 0x0178},
      {"0xE4 to a wide window", WM_CHAR, false, true, 0xE4, 0x00E4},
      {"euro to a narrow window", WM_CHAR, true, false, 0x20AC, 0x80},
      {"unmappable to a narrow window", WM_CHAR, true, false, 0x263A, '?'},
      {"narrow to narrow untouched", WM_CHAR, false, false, 0x80, 0x80},
      {"wide to wide untouched", WM_CHAR, true, true, 0x263A, 0x263A},
      {"packed code beyond 16 bits untouched", WM_CHAR, true, false, 0x263A00FF, 0x263A00FF},
      {"IME char to a wide window", WM_IME_CHAR, false, true, 0x9C, 0x0153},
      {"IME char to a narrow window", WM_IME_CHAR, true, false, 0x0153, 0x9C},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    gChar = 0;
    HWND target = c.WideWindow ? FWideWnd : FNarrowWnd;
    if (c.WideCall)
      SendMessageW(target, c.Msg, c.Sent, 0);
    else
      SendMessageA(target, c.Msg, c.Sent, 0);
    EXPECT_EQ(gChar, c.Seen);
  }
}

TEST_F(TextConversion, TextAndLengthAreReadBackInTheCallersUnits) {
  // The wide window keeps u"€☺ä"; a narrow reader sees three bytes, ☺ lost to '?'.
  ASSERT_TRUE(SetWindowTextW(FWideWnd, u"\u20AC\u263A\u00E4"));
  EXPECT_EQ(GetWindowTextLengthW(FWideWnd), 3);
  EXPECT_EQ(GetWindowTextLengthA(FWideWnd), 3);
  EXPECT_EQ(WindowTextA(FWideWnd), "\x80?\xE4");
  EXPECT_EQ(WindowTextW(FWideWnd), u"\u20AC\u263A\u00E4");

  // The narrow window keeps its bytes, 0x81 included, through the wide store.
  ASSERT_TRUE(SetWindowTextA(FNarrowWnd, "\x80\x81\x9F"));
  EXPECT_EQ(WindowTextA(FNarrowWnd), "\x80\x81\x9F");
  EXPECT_EQ(WindowTextW(FNarrowWnd), u"\u20AC\u0081\u0178");
  EXPECT_EQ(GetWindowTextLengthW(FNarrowWnd), 3);
}

TEST_F(TextConversion, ShortBuffersAreCutAndTerminated) {
  SetWindowTextA(FNarrowWnd, "\x80" "bcdef");
  SetWindowTextW(FWideWnd, u"\u20AC" "bcdef");
  struct TCase {
    const char* Label;
    HWND Target;
  } cases[] = {{"narrow window", FNarrowWnd}, {"wide window", FWideWnd}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    char narrow[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetWindowTextA(c.Target, narrow, 3), 2);
    EXPECT_EQ(std::string(narrow), "\x80" "b");
    char16_t wide[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(GetWindowTextW(c.Target, wide, 3), 2);
    EXPECT_EQ(WideString(wide), u"\u20AC" "b");
    // A capacity far beyond the text (as a caller may pass for a buffer it knows is big enough)
    // makes no buffer of that size on the way.
    char big[16] = {};
    EXPECT_EQ(SendMessageA(c.Target, WM_GETTEXT, WPARAM(1) << 62, PtrLParam(big)), 6);
    EXPECT_EQ(std::string(big), "\x80" "bcdef");
    char16_t bigWide[16] = {};
    EXPECT_EQ(SendMessageW(c.Target, WM_GETTEXT, WPARAM(1) << 62, PtrLParam(bigWide)), 6);
    EXPECT_EQ(WideString(bigWide), u"\u20AC" "bcdef");
    // Capacity 0 writes nothing.
    EXPECT_EQ(SendMessageA(c.Target, WM_GETTEXT, 0, PtrLParam(narrow)), 0);
    EXPECT_EQ(narrow[0], '\x80');
  }
}

TEST_F(TextConversion, CreationTextReachesTheWindowInItsOwnKind) {
  HWND narrowFromWide = CreateWindowExW(0, u"ConvNarrow", u"\u20AC1", 0, 0, 0, 1, 1, nullptr,
                                        nullptr, HInstance(), nullptr);
  HWND wideFromNarrow = CreateWindowExA(0, "ConvWide", "\x80" "2", 0, 0, 0, 1, 1, nullptr,
                                        nullptr, HInstance(), nullptr);
  ASSERT_TRUE(narrowFromWide);
  ASSERT_TRUE(wideFromNarrow);
  EXPECT_EQ(WindowTextA(narrowFromWide), "\x80" "1");
  EXPECT_EQ(WindowTextW(wideFromNarrow), u"\u20AC2");
  // The class decides the kind, not the creating call.
  EXPECT_FALSE(IsWindowUnicode(narrowFromWide));
  EXPECT_TRUE(IsWindowUnicode(wideFromNarrow));
  DestroyWindow(narrowFromWide);
  DestroyWindow(wideFromNarrow);
}

}  // namespace
}  // namespace orv
