// Menu objects: items found by position or by command through sub-menus, texts read and rewritten,
// change and redraw notifications, and handles that die with their menus.
#include <gtest/gtest.h>

#include <utility>
#include <vector>
#include "platform/win/LastError.h"
#include "platform/win/Menus.h"
#include "tests/platform/win/WinTestSupport.h"

namespace orv {
namespace {

class Menus : public ::testing::Test {
 protected:
  void SetUp() override {
    FBar = CreateMenu();
    FFile = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(FFile, MF_STRING, 10, u"&Open\tCtrl+O"));
    ASSERT_TRUE(AppendMenuW(FFile, MF_SEPARATOR, 0, u""));
    ASSERT_TRUE(AppendMenuW(FFile, MF_STRING | MF_GRAYED, 11, u"E&xit"));
    ASSERT_TRUE(AppendMenuW(FBar, MF_POPUP, FFile.Value, u"&File"));
    SetMenuChangeSink([this](HMENU m, int pos) { FChanges.emplace_back(m, pos); });
  }
  void TearDown() override {
    SetMenuChangeSink(nullptr);
    SetMenuBarSink(nullptr);
    DestroyMenu(FBar);
  }
  HMENU FBar, FFile;
  std::vector<std::pair<HMENU, int>> FChanges;
};

TEST_F(Menus, ItemsAreFoundByPositionOrByCommandThroughSubMenus) {
  EXPECT_EQ(GetMenuItemCount(FBar), 1);
  EXPECT_EQ(GetSubMenu(FBar, 0), FFile);
  EXPECT_EQ(GetMenuItemID(FBar, 0), ~0u);
  EXPECT_EQ(GetMenuItemID(FFile, 2), 11u);

  struct TCase {
    const char* Label;
    UINT Item;
    bool ByPosition;
    UINT Type;
    WideString Text;
    UINT State;
  } cases[] = {
      {"command in the sub-menu", 11, false, MFT_STRING, u"E&xit", MFS_GRAYED},
      {"position in the bar", 0, true, MFT_STRING, u"&File", 0},
      {"separator keeps no text", 1, true, MFT_SEPARATOR, u"untouched", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    HMENU in = c.ByPosition && c.Type == MFT_SEPARATOR ? FFile : FBar;
    char16_t buffer[32] = u"untouched";
    MENUITEMINFOW info;
    info.fMask = MIIM_TYPE | MIIM_STATE;
    info.dwTypeData = buffer;
    info.cch = 32;
    ASSERT_TRUE(GetMenuItemInfoW(in, c.Item, c.ByPosition, &info));
    EXPECT_EQ(info.fType, c.Type);
    EXPECT_EQ(info.fState, c.State);
    EXPECT_EQ(WideString(buffer), c.Text);
  }

  MENUITEMINFOW missing;
  missing.fMask = MIIM_TYPE;
  EXPECT_FALSE(GetMenuItemInfoW(FBar, 99, false, &missing));
  EXPECT_EQ(GetLastError(), ERROR_MENU_ITEM_NOT_FOUND);
  EXPECT_FALSE(GetMenuItemInfoW(FFile, 3, true, &missing));
}

TEST_F(Menus, TextIsReadLengthFirstAndRewrittenWithNotice) {
  EXPECT_EQ(GetMenuStringW(FBar, 10, nullptr, 0, MF_BYCOMMAND), 12);
  char16_t small[6];
  EXPECT_EQ(GetMenuStringW(FBar, 10, small, 6, MF_BYCOMMAND), 5);
  EXPECT_EQ(WideString(small), u"&Open");

  MENUITEMINFOW info;
  info.fMask = MIIM_TYPE;
  info.fType = MFT_STRING;
  WideString text = u"\u00D6&ffnen\tStrg+O";
  info.dwTypeData = text.data();
  ASSERT_TRUE(SetMenuItemInfoW(FBar, 10, false, &info));
  EXPECT_EQ(FChanges, (std::vector<std::pair<HMENU, int>>{{FFile, 0}}));
  char16_t buffer[32];
  EXPECT_EQ(GetMenuStringW(FFile, 0, buffer, 32, MF_BYPOSITION), 14);
  EXPECT_EQ(WideString(buffer), text);

  // The text query with no buffer gives the length in cch.
  MENUITEMINFOW query;
  query.fMask = MIIM_STRING;
  ASSERT_TRUE(GetMenuItemInfoW(FFile, 10, false, &query));
  EXPECT_EQ(query.cch, 14u);
}

TEST_F(Menus, BarsBelongToWindowsAndHandlesDieWithTheirMenus) {
  wintest::TScopedClass cls(u"MenuWin", &DefWindowProcW, true);
  HWND hwnd = cls.Create();
  std::vector<HWND> redrawn;
  SetMenuBarSink([&](HWND h) { redrawn.push_back(h); });
  ASSERT_TRUE(SetMenu(hwnd, FBar));
  EXPECT_EQ(GetMenu(hwnd), FBar);
  EXPECT_TRUE(DrawMenuBar(hwnd));
  EXPECT_EQ(redrawn, std::vector<HWND>{hwnd});

  HMENU bar = FBar;
  ASSERT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(bar));
  EXPECT_FALSE(IsMenu(FFile));
  EXPECT_EQ(GetMenuItemCount(FFile), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
  // A new menu never takes an old handle.
  HMENU fresh = CreateMenu();
  EXPECT_NE(fresh, bar);
  EXPECT_NE(fresh, FFile);
  FBar = fresh;
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST_F(Menus, ASubMenuEntryIsFoundByTheIdItWasGivenButNeverByZero) {
  MENUITEMINFOW info;
  info.fMask = MIIM_ID;
  info.wID = 77;
  ASSERT_TRUE(SetMenuItemInfoW(FBar, 0, true, &info));
  char16_t buffer[16] = {};
  EXPECT_EQ(GetMenuStringW(FBar, 77, buffer, 16, MF_BYCOMMAND), 5);
  EXPECT_EQ(WideString(buffer), u"&File");
  info.wID = 0;
  ASSERT_TRUE(SetMenuItemInfoW(FBar, 0, true, &info));
  MENUITEMINFOW zero;
  zero.fMask = MIIM_SUBMENU | MIIM_TYPE;
  ASSERT_TRUE(GetMenuItemInfoW(FBar, 0, false, &zero)) << "the separator inside has id 0";
  EXPECT_FALSE(zero.hSubMenu) << "id 0 never names the sub-menu entry";
  EXPECT_EQ(zero.fType, MFT_SEPARATOR);
  EXPECT_EQ(GetMenuStringW(FBar, 10, buffer, 16, MF_BYCOMMAND), 12) << "commands inside still found";
}

}  // namespace
}  // namespace orv
