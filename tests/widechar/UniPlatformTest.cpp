// The platform flags from the version provider, the wrapper family on both roads, the path and
// string helpers, and wide stores that follow their narrow shadows.
#include "platform/graphics/Graphics.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Nls.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniDialogs.h"
#include "widechar/UniGraphics.h"
#include "widechar/UniSysUtils.h"
#include "widechar/UniWindows.h"

namespace orv::test {
namespace {

class UniPlatformTest : public WidePlatformTest {};

TEST_F(UniPlatformTest, FlagsFollowThePlatformAndVersion) {
  struct TCase {
    DWORD Platform, Major, Minor;
    bool Unicode, XPOrLater;
  };
  const TCase cases[] = {
      {VER_PLATFORM_WIN32_NT, 5, 1, true, true},  {VER_PLATFORM_WIN32_NT, 5, 0, true, false},
      {VER_PLATFORM_WIN32_NT, 4, 0, true, false}, {VER_PLATFORM_WIN32_NT, 6, 0, true, true},
      {VER_PLATFORM_WIN32_NT, 5, 2, true, true},  {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Platform) + " " + std::to_string(c.Major) + "." + std::to_string(c.Minor));
    TOSVersion v;
    v.PlatformId = c.Platform;
    v.MajorVersion = c.Major;
    v.MinorVersion = c.Minor;
    SetOSVersion(v);
    InitUniSysUtils();
    EXPECT_EQ(Win32PlatformIsUnicode, c.Unicode);
    EXPECT_EQ(Win32PlatformIsXPOrLater, c.XPOrLater);
  }
}

TEST_F(UniPlatformTest, WindowsDirectoryTooSmallGivesTheSizeNeededOnBothRoads) {
  for (bool unicode : {true, false}) {
    SCOPED_TRACE(unicode ? "wide" : "narrow");
    Win32PlatformIsUnicode = unicode;
    WideChar small[5] = {u'#', u'#', u'#', u'#', u'#'};
    EXPECT_EQ(WideGetWindowsDirectory(small, 5), 11u) << "the length of C:\\Windows and its terminator";
    EXPECT_EQ(WideString(small, 5), u"#####") << "the buffer is left as it was";
    WideChar room[32];
    EXPECT_EQ(WideGetWindowsDirectory(room, 32), 10u);
    EXPECT_EQ(WideString(room), u"C:\\Windows");
  }
}

TEST_F(UniPlatformTest, ModuleFileNameTooSmallFillsTheBufferWithoutTerminator) {
  const WideString full = Utf8ToWide(ParamStr0());
  ASSERT_GT(full.size(), 4u);
  for (bool unicode : {true, false}) {
    SCOPED_TRACE(unicode ? "wide" : "narrow");
    Win32PlatformIsUnicode = unicode;
    std::vector<WideChar> small(4, u'#');
    EXPECT_EQ(WideGetModuleFileName(0, small.data(), 4), 4u);
    EXPECT_EQ(WideString(small.data(), 4), full.substr(0, 4));
    std::vector<WideChar> room(full.size() + 1, u'#');
    EXPECT_EQ(WideGetModuleFileName(0, room.data(), static_cast<DWORD>(room.size())), full.size());
    EXPECT_EQ(WideString(room.data()), full) << "the test's own path is ASCII";
  }
  EXPECT_EQ(WideGetModuleFileName(0x1234, nullptr, 0), 0u) << "no such module";
  try {
    WideGetModuleFileName(HINSTANCE(0x1234));
    ADD_FAILURE() << "a module without a name raised nothing";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 126);
    EXPECT_EQ(e.Message(), "System Error.  Code: 126.\r\nThe specified module could not be found.");
  }
}

TEST_F(UniPlatformTest, CompareStringOrdersByCodeUnitsOnTheNarrowRoadWithoutFlags) {
  const WideString upperB = u"B", lowerA = u"a";
  UseNarrowPlatform();
  EXPECT_EQ(WideCompareString(0x409, 0, upperB.c_str(), -1, lowerA.c_str(), -1), 1) << "B (0x42) before a (0x61)";
  EXPECT_EQ(WideCompareString(0x409, NORM_IGNORECASE, upperB.c_str(), -1, lowerA.c_str(), -1), 3)
      << "ignoring case the locale puts a first";
  EXPECT_EQ(WideCompareString(0x409, 0, u"abc", 2, u"abx", 2), 2) << "counts limit the texts";
  EXPECT_EQ(WideCompareStr(u"B", u"a"), -1);
  EXPECT_TRUE(WideSameText(u"MAIL", u"mail"));
  Win32PlatformIsUnicode = true;
  EXPECT_EQ(WideCompareStr(u"B", u"a"), 1) << "the locale puts a before B";
  EXPECT_EQ(WideCompareText(u"\u00C9T\u00C9", u"\u00E9t\u00E9"), 0);
  EXPECT_FALSE(WideSameStr(u"\u00C9", u"\u00E9"));
}

TEST_F(UniPlatformTest, UpperCasingOnBothRoads) {
  EXPECT_EQ(WideUpperCase(u"stra\u00DFe \u00E9t\u00E9 \u0101\u03B1"), u"STRA\u00DFE \u00C9T\u00C9 \u0100\u0391");
  UseNarrowPlatform();
  // Only what the ANSI code page holds is upper-cased on the narrow road.
  EXPECT_EQ(WideCharUpper(u'\u00E9'), u'\u00C9');
  EXPECT_EQ(WideCharUpper(u'\u0101'), u'\u0101') << "a-macron is not in code page 1252";
  EXPECT_EQ(WideCharUpper(u'\u00FF'), u'\u0178') << "y-diaeresis comes back as one character";
  WideString text = u"m\u00FCller \u03B1";
  WideCharUpper(text.data());
  EXPECT_EQ(text, u"M\u00DCLLER \u03B1");
  EXPECT_EQ(WideUpperCase(u""), u"");
}

TEST_F(UniPlatformTest, PathHelpers) {
  struct TDrive {
    WideString Path, Drive;
  };
  const TDrive drives[] = {
      {u"C:\\x", u"C:"}, {u"C:", u"C:"}, {u"\\x", u""}, {u"x", u""}, {u"", u""},
      {u"\\\\srv\\share\\", u"\\\\srv\\share"}, {u"\\\\srv\\share\\dir\\f", u"\\\\srv\\share"},
      {u"\\\\srv", u"\\\\srv"}, {u"\\\\", u"\\\\"},
  };
  for (const TDrive& d : drives) {
    SCOPED_TRACE(WideToAnsi(d.Path));
    EXPECT_EQ(WideDriveOfPath(d.Path), d.Drive);
  }
  EXPECT_EQ(WideAddTrailingBackslash(u"C:\\Windows"), u"C:\\Windows\\");
  EXPECT_EQ(WideAddTrailingBackslash(u"C:\\"), u"C:\\");
  EXPECT_EQ(WideAddTrailingBackslash(u""), u"\\");
  EXPECT_EQ(WideExtractFileName(u"C:name.txt"), u"name.txt");
  EXPECT_EQ(WideExtractFileName(u"C:\\dir\\n\u00E4me.txt"), u"n\u00E4me.txt");
  EXPECT_EQ(WideExtractFileName(u"plain"), u"plain");
  EXPECT_EQ(WideLastDelimiter(u"\\:", u"a:b\\c"), 4);
  EXPECT_EQ(WideLastDelimiter(u"\\:", u"abc"), 0);
  EXPECT_TRUE(WideIsPathDelimiter(u"a\\b", 2));
  EXPECT_FALSE(WideIsPathDelimiter(u"a\\b", 0));
  EXPECT_FALSE(WideIsPathDelimiter(u"a\\b", 4));
}

TEST_F(UniPlatformTest, FormatGoesThroughTheAnsiCodePage) {
  EXPECT_EQ(WideFormat(u"%s: %d \u00E9", {u"Mails", 3}), u"Mails: 3 \u00E9");
  EXPECT_EQ(WideFormat(u"%s \u263A", {u"\u0101"}), u"? ?") << "characters outside the code page are lost";
}

TEST_F(UniPlatformTest, HintsAndRawBuffers) {
  EXPECT_EQ(WideGetShortHint(u"Send|Sends the mails"), u"Send");
  EXPECT_EQ(WideGetLongHint(u"Send|Sends the mails|x"), u"Sends the mails|x");
  EXPECT_EQ(WideGetShortHint(u"Only"), u"Only");
  EXPECT_EQ(WideGetLongHint(u"Only"), u"Only");
  WideChar buffer[4] = {u'#', u'#', u'#', u'#'};
  WideStrLCopy(buffer, u"abcdef", 3);
  EXPECT_EQ(WideString(buffer), u"abc");
  WideStrLCopy(buffer, u"x", 3);
  EXPECT_EQ(WideString(buffer), u"x");
  const WideChar* text = u"a|b";
  EXPECT_EQ(WideStrScan(text, u'|'), text + 1);
  EXPECT_EQ(WideStrScan(text, u'#'), nullptr);
  EXPECT_TRUE(IsIntegerResourceId(std::uintptr_t{0xC123}));
  EXPECT_FALSE(IsIntegerResourceId(std::uintptr_t{0x10000}));
  EXPECT_EQ(CheckSystemResult(5), 5);
  SetLastError(1400);
  EXPECT_THROW(CheckSystemResult(0), EOSError);
}

TEST_F(UniPlatformTest, WideStoreFollowsItsNarrowShadow) {
  AnsiString narrow = "Send";
  WideString store;
  std::vector<AnsiString> narrowSets;
  auto get = [&] { return narrow; };
  auto set = [&](const AnsiString& v) {
    narrowSets.push_back(v);
    narrow = v;
  };
  EXPECT_EQ(SyncWideFromNarrow(store, narrow), u"Send") << "an empty store takes the narrow value";
  SetWideWithNarrowShadow(u"Senden \u263A", store, get, set);
  EXPECT_EQ(store, u"Senden \u263A");
  EXPECT_EQ(narrow, "Senden ?");
  EXPECT_EQ(SyncWideFromNarrow(store, narrow), u"Senden \u263A") << "the shadow still matches";
  // A second text with the same ANSI form: the narrow side is emptied first so it sees a change.
  narrowSets.clear();
  SetWideWithNarrowShadow(u"Senden \u263B", store, get, set);
  EXPECT_EQ(narrowSets, (std::vector<AnsiString>{"", "Senden ?"}));
  EXPECT_EQ(store, u"Senden \u263B");
  // The same text again changes nothing.
  narrowSets.clear();
  SetWideWithNarrowShadow(u"Senden \u263B", store, get, set);
  EXPECT_TRUE(narrowSets.empty());
  // Changed behind its back, the narrow value wins.
  narrow = "Quit";
  EXPECT_EQ(SyncWideFromNarrow(store, narrow), u"Quit");
}

class UniDrawingTest : public WideWindowTest {};

TEST_F(UniDrawingTest, DrawingAndMeasuringTakeTheRoadOfTheFlag) {
  TBitmap bitmap;
  bitmap.SetWidth(200);
  bitmap.SetHeight(40);
  TCanvas& canvas = *bitmap.Canvas();
  canvas.Font()->SetName("DejaVu Sans");
  const WideString text = u"\u263A\u263A\u263A";
  const TSize wide = WideCanvasTextExtent(canvas, text);
  EXPECT_GT(wide.cx, 0);
  EXPECT_EQ(WideCanvasTextWidth(canvas, text), wide.cx);
  EXPECT_EQ(WideCanvasTextHeight(canvas, text), wide.cy);
  TRect r{0, 0, 0, 0};
  WideDrawText(canvas.Handle(), text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
  const int wideWidth = r.Right;
  UseNarrowPlatform();
  TRect n{0, 0, 0, 0};
  WideDrawText(canvas.Handle(), text.c_str(), 2, &n, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(n.Right, canvas.TextWidth("??")) << "the narrow road draws the first two characters as ANSI";
  EXPECT_NE(n.Right, wideWidth);
}

TEST_F(UniPlatformTest, DialogButtonNamesLiveFromStartToExit) {
  InitUniDialogs();
  EXPECT_EQ(WideDialogButtonNames[0], u"Yes");
  EXPECT_EQ(WideDialogButtonNames[10], u"Help");
  FinalizeUniDialogs();
  EXPECT_TRUE(WideDialogButtonNames[0].empty());
}

}  // namespace
}  // namespace orv::test
