// The fixed system tables: colours, metrics, key state, scan codes and names, version provider.
#include <gtest/gtest.h>

#include <unistd.h>
#include <thread>
#include "platform/win/Keyboard.h"
#include "platform/win/LastError.h"
#include "platform/win/SysColors.h"
#include "platform/win/Version.h"

namespace orv {
namespace {

TEST(SystemTables, ColoursAreTheClassicScheme) {
  struct TCase {
    int Index;
    COLORREF Value;
  } cases[] = {
      {15, 0x00C8D0D4},  // button face
      {16, 0x00808080},  // button shadow
      {20, 0x00FFFFFF},  // button highlight
      {13, 0x006A240A},  // highlight
      {5, 0x00FFFFFF},   // window
      {17, 0x00808080},  // grey text
      {24, 0x00E1FFFF},  // tooltip background
      {30, 0x00C8D0D4},  // menu bar, the last index
      {31, 0},
      {-1, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(GetSysColor(c.Index), c.Value) << c.Index;
}

TEST(SystemTables, MetricsAreFixedAndFollowTheProviders) {
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CYBORDER), 1);
  EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  SetScreenSize(1280, 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  SetScreenSize(0, 5);  // ignored
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  SetScreenSize(1024, 768);
  EXPECT_EQ(GetSystemMetrics(9999), 0);

  EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 0);
  TOSVersion v;
  v.PlatformId = VER_PLATFORM_WIN32_WINDOWS;
  v.MajorVersion = 4;
  v.MinorVersion = 10;
  v.FarEast = true;
  SetOSVersion(v);
  EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 1);
  EXPECT_EQ(GetSystemMetrics(SM_MIDEASTENABLED), 0);
  OSVERSIONINFOA info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(info.dwMinorVersion, 10u);
  info.dwOSVersionInfoSize = 4;
  EXPECT_FALSE(GetVersionExA(&info));
  ResetOSVersion();
  EXPECT_EQ(OSVersion().PlatformId, VER_PLATFORM_WIN32_NT);
}

TEST(SystemTables, KeyStateCombinesBothSidesOfAModifier) {
  ResetKeyboardState();
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
  SetKeyDown(VK_RSHIFT, true);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetKeyState(VK_RSHIFT), 0);
  EXPECT_EQ(GetKeyState(VK_LSHIFT), 0);
  SetKeyDown(VK_RSHIFT, false);
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
  SetKeyToggled(VK_CAPITAL, true);
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1);
  EXPECT_EQ(GetAsyncKeyState(VK_CAPITAL), 0);
  EXPECT_EQ(GetKeyState(300), 0);
  ResetKeyboardState();
}

TEST(SystemTables, ScanCodesCharactersAndKeyNames) {
  struct TMap {
    UINT Code, Type, Result;
  } maps[] = {
      {'A', MAPVK_VK_TO_VSC, 0x1E},     {VK_DELETE, MAPVK_VK_TO_VSC, 0x53},
      {VK_SHIFT, MAPVK_VK_TO_VSC, 0x2A}, {0x1E, MAPVK_VSC_TO_VK, 'A'},
      {0x47, MAPVK_VSC_TO_VK, VK_HOME},  {VK_OEM_1, MAPVK_VK_TO_CHAR, ';'},
      {'Q', MAPVK_VK_TO_CHAR, 'Q'},      {VK_F1, MAPVK_VK_TO_CHAR, 0},
      {0xFF, MAPVK_VK_TO_VSC, 0},        {VK_NUMPAD0 + 7, MAPVK_VK_TO_CHAR, '7'},
      {VK_NUMPAD0, MAPVK_VK_TO_CHAR, '0'}, {VK_NUMPAD0 + 7, MAPVK_VK_TO_VSC, 0x47},
  };
  for (const auto& m : maps) EXPECT_EQ(MapVirtualKeyW(m.Code, m.Type), m.Result) << m.Code;

  auto lp = [](UINT scan, bool extended) { return static_cast<LONG>((scan << 16) | (extended ? 1u << 24 : 0)); };
  struct TName {
    LONG Param;
    WideString Name;
  } names[] = {
      {lp(0x53, true), u"Delete"}, {lp(0x53, false), u"Num Del"}, {lp(0x1C, false), u"Enter"},
      {lp(0x1C, true), u"Num Enter"}, {lp(0x27, false), u";"}, {lp(0x3B, false), u"F1"},
      {lp(0x7F, false), u""},
  };
  for (const auto& n : names) EXPECT_EQ(KeyNameText(n.Param), n.Name);

  char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(GetKeyNameTextW(lp(0x53, true), buffer, 4), 3);
  EXPECT_EQ(WideString(buffer), u"Del");
}

TEST(SystemTables, ComputerNameIsTheShortUpperCaseHostName) {
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  std::string expected(host);
  expected = expected.substr(0, expected.find('.')).substr(0, MAX_COMPUTERNAME_LENGTH);
  for (char& c : expected)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  EXPECT_EQ(ComputerName(), expected);

  char buffer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof buffer;
  ASSERT_TRUE(GetComputerNameA(buffer, &size));
  EXPECT_EQ(size, expected.size());
  EXPECT_EQ(std::string(buffer), expected);
  // Too small: nothing written, the needed capacity reported.
  char16_t small[1] = {u'x'};
  size = 1;
  if (!expected.empty()) {
    EXPECT_FALSE(GetComputerNameW(small, &size));
    EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(size, expected.size() + 1);
    EXPECT_EQ(small[0], u'x');
  }
}

TEST(SystemTables, ThreadIdsDifferBetweenThreadsAndTheMainOneIsTheProcess) {
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
  EXPECT_EQ(GetCurrentThreadId(), GetCurrentProcessId());
  DWORD other = 0;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, GetCurrentThreadId());
}

TEST(SystemTables, MessageBeepGoesToTheInstalledSink) {
  UINT heard = 0xFFFF;
  SetMessageBeepSink([&](UINT type) { heard = type; });
  EXPECT_TRUE(MessageBeep(0x30));
  EXPECT_EQ(heard, 0x30u);
  SetMessageBeepSink(nullptr);
  EXPECT_TRUE(MessageBeep(0));
}

}  // namespace
}  // namespace orv
