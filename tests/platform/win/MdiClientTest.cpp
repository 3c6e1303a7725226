// The MDI client window: children made through it (all three ways), activation and its messages,
// the window menu that lists the children, frame commands, arrangements inside the client's area,
// next/previous, and children that go.
#include <gtest/gtest.h>

#include <unordered_map>
#include <string>
#include <vector>
#include "platform/rtl/CodePages.h"
#include "platform/win/LastError.h"
#include "platform/win/MdiWindows.h"
#include "platform/win/Menus.h"
#include "tests/platform/win/WinTestSupport.h"

namespace orv {
namespace {

std::vector<std::string> gActivations;

std::string Text(HWND h) { return h ? WideToAnsi(WindowTextW(h)) : std::string("-"); }

// A child that leaves everything to the MDI default and notes the activation messages it hears.
LRESULT ChildProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_MDIACTIVATE)
    gActivations.push_back(Text(h) + ": " + Text(HWND::FromParam(w)) + " -> " +
                           Text(HWND::FromParam(static_cast<std::uint64_t>(l))));
  return DefMDIChildProcW(h, msg, w, l);
}

LRESULT FrameProc(HWND h, UINT msg, WPARAM w, LPARAM l) { return DefWindowProcW(h, msg, w, l); }

int gFrameFallbacks = 0;
LRESULT FrameFallback(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_COMMAND) ++gFrameFallbacks;
  return DefWindowProcW(h, msg, w, l);
}

TRect Inter(const TRect& a, const TRect& b) {
  return Rect(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom));
}
bool Overlap(const TRect& a, const TRect& b) {
  const TRect i = Inter(a, b);
  return i.Width() > 0 && i.Height() > 0;
}
bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom && inner.Width() > 0 && inner.Height() > 0;
}

class MdiClient : public ::testing::Test {
 protected:
  void SetUp() override {
    gActivations.clear();
    gFrameFallbacks = 0;
    RegisterMdiClientClass();
    Frame = FFrameClass.Create(u"Frame");
    WindowMenu = CreatePopupMenu();
    AppendMenuW(WindowMenu, MF_STRING, 100, u"&Cascade");
    CLIENTCREATESTRUCT ccs;
    ccs.hWindowMenu = WindowMenu;
    ccs.idFirstChild = 0xFF00;
    Client = CreateWindowExW(0, MDIClientClassName, u"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, Frame, HMENU(),
                             HInstance(), &ccs);
    ASSERT_TRUE(Client);
    TMdiClientView view;
    view.Area = [this] { return AreaRect; };
    view.ChildBounds = [this](HWND child) { return Bounds[child]; };
    view.PlaceChild = [this](HWND child, const TRect& r) { Bounds[child] = r; };
    view.ShowActive = [this](HWND child) { Shown.push_back(child); };
    view.PlaceClient = [this](const TRect& r) { ClientPlaces.push_back(r); };
    view.FrameDefProc = &FrameFallback;
    ASSERT_TRUE(SetMdiClientView(Client, view));
  }
  void TearDown() override {
    DestroyWindow(Frame);
    DestroyMenu(WindowMenu);
  }
  // One child each way: CreateMDIWindowW, WM_MDICREATE, CreateMDIWindowA.
  void MakeThree() {
    One = CreateMDIWindowW(FChildClass.Name(), u"One", 0, 0, 0, 100, 80, Client, HInstance(), 0);
    MDICREATESTRUCTW mcs;
    mcs.szClass = FChildClass.Name().c_str();
    mcs.szTitle = u"Two";
    mcs.cx = 100;
    mcs.cy = 80;
    Two = HWND::FromParam(static_cast<std::uint64_t>(SendMessageW(Client, WM_MDICREATE, 0, PtrLParam(&mcs))));
    Three = CreateMDIWindowA("MdiTestChild", "Three", 0, 0, 0, 100, 80, Client, HInstance(), 0);
    ASSERT_TRUE(One && Two && Three);
  }
  HWND Active() { return HWND::FromParam(static_cast<std::uint64_t>(SendMessageW(Client, WM_MDIGETACTIVE, 0, 0))); }
  std::vector<std::string> MenuTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(WindowMenu); ++i) {
      MENUITEMINFOW info;
      info.fMask = MIIM_STATE | MIIM_ID | MIIM_FTYPE;
      GetMenuItemInfoW(WindowMenu, static_cast<UINT>(i), true, &info);
      char16_t buffer[64] = {};
      GetMenuStringW(WindowMenu, static_cast<UINT>(i), buffer, 64, MF_BYPOSITION);
      std::string entry = (info.fType & MFT_SEPARATOR) ? "----" : WideToAnsi(buffer);
      if (info.fState & MFS_CHECKED) entry += " *";
      texts.push_back(entry);
    }
    return texts;
  }

  wintest::TScopedClass FFrameClass{u"MdiTestFrame", &FrameProc, true};
  wintest::TScopedClass FChildClass{u"MdiTestChild", &ChildProc, true};
  HWND Frame, Client, One, Two, Three;
  HMENU WindowMenu;
  TRect AreaRect = Rect(0, 0, 400, 300);
  std::unordered_map<HWND, TRect> Bounds;
  std::vector<HWND> Shown;
  std::vector<TRect> ClientPlaces;
};

TEST_F(MdiClient, ChildrenMadeEveryWayAreListedAndTheNewestIsActive) {
  MakeThree();
  EXPECT_TRUE(IsMdiClient(Client));
  EXPECT_EQ(MdiChildWindows(Client), (std::vector<HWND>{One, Two, Three}));
  EXPECT_EQ(MdiChildrenByActivation(Client), (std::vector<HWND>{Three, Two, One}));
  EXPECT_EQ(Active(), Three);
  EXPECT_EQ(Shown.back(), Three);
  for (HWND h : {One, Two, Three}) {
    EXPECT_EQ(GetParent(h), Client);
    EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_MDICHILD);
    EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD);
  }
  EXPECT_EQ(GetDlgCtrlID(One), 0xFF00);
  EXPECT_EQ(GetDlgCtrlID(Three), 0xFF02);
  EXPECT_EQ(Text(Three), "Three") << "the narrow title reached the window";
  EXPECT_EQ(gActivations, (std::vector<std::string>{"One: - -> One", "One: One -> Two", "Two: One -> Two",
                                                     "Two: Two -> Three", "Three: Two -> Three"}));
  EXPECT_EQ(MenuTexts(), (std::vector<std::string>{"&Cascade", "----", "&1 One", "&2 Two", "&3 Three *"}));

  // Activating through the client, and a child's new title, show in the menu.
  SendMessageW(Client, WM_MDIACTIVATE, One.AsWParam(), 0);
  EXPECT_EQ(Active(), One);
  SendMessageW(One, WM_SETTEXT, 0, PtrLParam(u"Erste"));
  EXPECT_EQ(MenuTexts(), (std::vector<std::string>{"&Cascade", "----", "&1 Erste *", "&2 Two", "&3 Three"}));
  // The menu's owner builds it again: its own entries stay, ours come after them once more.
  while (GetMenuItemCount(WindowMenu) > 0) RemoveMenu(WindowMenu, 0, MF_BYPOSITION);
  AppendMenuW(WindowMenu, MF_STRING, 100, u"&Cascade");
  AppendMenuW(WindowMenu, MF_STRING, 101, u"&Tile");
  SendMessageW(Client, WM_MDIREFRESHMENU, 0, 0);
  EXPECT_EQ(MenuTexts(), (std::vector<std::string>{"&Cascade", "&Tile", "----", "&1 Erste *", "&2 Two", "&3 Three"}));
  SendMessageW(Client, WM_MDIREFRESHMENU, 0, 0);
  EXPECT_EQ(MenuTexts().size(), 6u) << "a refresh replaces the list";
  // Activating the active child again tells nobody.
  gActivations.clear();
  SendMessageW(Client, WM_MDIACTIVATE, One.AsWParam(), 0);
  EXPECT_TRUE(gActivations.empty());
}

TEST_F(MdiClient, AFrameCommandOfAWindowMenuEntryActivatesItsChild) {
  MakeThree();
  EXPECT_EQ(DefFrameProcW(Frame, Client, WM_COMMAND, 0xFF01, 0), 0);
  EXPECT_EQ(Active(), Two);
  EXPECT_EQ(gFrameFallbacks, 0);
  DefFrameProcA(Frame, Client, WM_COMMAND, 100, 0);
  DefFrameProcW(Frame, Client, WM_COMMAND, 0xFF03, 0);  // no such child
  EXPECT_EQ(gFrameFallbacks, 2) << "other commands go on to the frame's own default handling";
  EXPECT_EQ(Active(), Two);
  // WM_CHILDACTIVATE through the child's default procedure.
  SendMessageW(One, WM_CHILDACTIVATE, 0, 0);
  EXPECT_EQ(Active(), One);
}

TEST_F(MdiClient, AFramesSizeStretchesItsClientOverTheNewClientArea) {
  EXPECT_EQ(DefFrameProcA(Frame, Client, WM_SIZE, SIZE_RESTORED, MAKELPARAM(500, 320)), 0);
  DefFrameProcW(Frame, Client, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(800, 600));
  EXPECT_EQ(ClientPlaces, (std::vector<TRect>{Rect(0, 0, 500, 320), Rect(0, 0, 800, 600)}));
  EXPECT_EQ(gFrameFallbacks, 0) << "the size is the frame procedure's own";
}

TEST_F(MdiClient, ArrangementsKeepEveryChildInsideTheArea) {
  MakeThree();
  AreaRect = Rect(0, 0, 400, 300);
  ASSERT_EQ(SendMessageW(Client, WM_MDICASCADE, 0, 0), 1);
  for (HWND h : {One, Two, Three}) EXPECT_TRUE(Inside(Bounds[h], AreaRect)) << Text(h);
  // The active child is the last placed, furthest down the cascade, so it is on top.
  EXPECT_GT(Bounds[Three].Top, Bounds[Two].Top);
  EXPECT_GT(Bounds[Two].Top, Bounds[One].Top);
  EXPECT_EQ(Bounds[One].Width(), Bounds[Three].Width());

  struct TCase {
    WPARAM How;
    const char* Name;
  };
  for (const TCase& c : {TCase{MDITILE_HORIZONTAL, "horizontal"}, TCase{MDITILE_VERTICAL, "vertical"}}) {
    Bounds.clear();
    ASSERT_EQ(SendMessageW(Client, WM_MDITILE, c.How, 0), 1) << c.Name;
    long covered = 0;
    for (HWND h : {One, Two, Three}) {
      EXPECT_TRUE(Inside(Bounds[h], AreaRect)) << c.Name << " " << Text(h);
      covered += static_cast<long>(Bounds[h].Width()) * Bounds[h].Height();
    }
    EXPECT_FALSE(Overlap(Bounds[One], Bounds[Two]) || Overlap(Bounds[Two], Bounds[Three]) ||
                 Overlap(Bounds[One], Bounds[Three])) << c.Name;
    EXPECT_EQ(covered, 400L * 300L) << c.Name << ": the tiles fill the area";
    if (c.How == MDITILE_HORIZONTAL) EXPECT_EQ(Bounds[Three].Width(), 400) << "rows span the width";
    else EXPECT_EQ(Bounds[Three].Height(), 300) << "columns span the height";
    EXPECT_EQ(Bounds[Three].TopLeft(), Point(0, 0)) << "the active child takes the first tile";
  }

  // Many children in a small area: the cascade starts over rather than leave the area.
  std::vector<HWND> more;
  for (int i = 0; i < 12; ++i)
    more.push_back(CreateMDIWindowW(FChildClass.Name(), u"More", 0, 0, 0, 50, 50, Client, HInstance(), 0));
  AreaRect = Rect(10, 20, 210, 170);
  Bounds.clear();
  SendMessageW(Client, WM_MDICASCADE, 0, 0);
  for (HWND h : more) EXPECT_TRUE(Inside(Bounds[h], AreaRect));
  SendMessageW(Client, WM_MDITILE, MDITILE_VERTICAL, 0);
  for (HWND h : more) EXPECT_TRUE(Inside(Bounds[h], AreaRect));

  // A minimised child is left out of the arrangements; arranging icons puts it along the bottom.
  SetWindowLongPtrW(One, GWL_STYLE, GetWindowLongPtrW(One, GWL_STYLE) | WS_MINIMIZE);
  Bounds.clear();
  SendMessageW(Client, WM_MDICASCADE, 0, 0);
  EXPECT_EQ(Bounds.count(One), 0u);
  for (const auto& [h, r] : Bounds) EXPECT_LE(r.Bottom, AreaRect.Bottom - MdiIconHeight) << "room is left for the icons";
  SendMessageW(Client, WM_MDIICONARRANGE, 0, 0);
  EXPECT_EQ(Bounds[One], Rect(10, 170 - MdiIconHeight, 10 + MdiIconWidth, 170));
}

TEST_F(MdiClient, NextAndPreviousWalkTheActivationOrder) {
  MakeThree();
  ASSERT_EQ(MdiChildrenByActivation(Client), (std::vector<HWND>{Three, Two, One}));
  SendMessageW(Client, WM_MDINEXT, 0, 0);
  EXPECT_EQ(Active(), Two);
  EXPECT_EQ(MdiChildrenByActivation(Client), (std::vector<HWND>{Two, One, Three})) << "the one left goes to the back";
  SendMessageW(Client, WM_MDINEXT, 0, 0);
  EXPECT_EQ(Active(), One);
  SendMessageW(Client, WM_MDINEXT, 0, 0);
  EXPECT_EQ(Active(), Three) << "the walk comes round";
  SendMessageW(Client, WM_MDINEXT, 0, 1);
  EXPECT_EQ(Active(), One) << "previous brings the one at the back";
  SendMessageW(Client, WM_MDINEXT, 0, 1);
  EXPECT_EQ(Active(), Two);
}

TEST_F(MdiClient, AChildThatGoesHandsOverToTheNextInActivationOrder) {
  MakeThree();
  SendMessageW(Client, WM_MDIACTIVATE, One.AsWParam(), 0);
  SendMessageW(Client, WM_MDIACTIVATE, Two.AsWParam(), 0);
  ASSERT_EQ(MdiChildrenByActivation(Client), (std::vector<HWND>{Two, One, Three}));
  DestroyWindow(Two);
  EXPECT_EQ(Active(), One);
  EXPECT_EQ(MdiChildWindows(Client), (std::vector<HWND>{One, Three}));
  EXPECT_EQ(GetDlgCtrlID(Three), 0xFF01) << "the entries are numbered again";
  EXPECT_EQ(MenuTexts(), (std::vector<std::string>{"&Cascade", "----", "&1 One *", "&2 Three"}));
  SendMessageW(Client, WM_MDIDESTROY, One.AsWParam(), 0);
  EXPECT_FALSE(IsWindow(One));
  EXPECT_EQ(Active(), Three);
  DestroyWindow(Three);
  EXPECT_EQ(Active(), HWND());
  EXPECT_EQ(MenuTexts(), (std::vector<std::string>{"&Cascade"})) << "no children, no list";
  EXPECT_EQ(SendMessageW(Client, WM_MDICASCADE, 0, 0), 0) << "nothing to arrange";
  // Destroying the whole client makes no child active on the way.
  MakeThree();
  gActivations.clear();
  DestroyWindow(Client);
  EXPECT_TRUE(gActivations.empty());
  EXPECT_FALSE(IsMdiClient(Client));
}

TEST_F(MdiClient, ChildrenNeedAClientWindow) {
  SetLastError(0);
  EXPECT_FALSE(CreateMDIWindowW(FChildClass.Name(), u"Lost", 0, 0, 0, 10, 10, Frame, HInstance(), 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(SetMdiClientView(Frame, TMdiClientView()));
  SetLastError(0);
  EXPECT_FALSE(CreateMDIWindowW(u"NoSuchClass", u"Lost", 0, 0, 0, 10, 10, Client, HInstance(), 0));
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_TRUE(MdiChildWindows(Client).empty());
}

}  // namespace
}  // namespace orv
