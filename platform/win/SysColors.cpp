// The fixed system colour table (classic scheme) and the system metrics at 96 dpi.
#include "platform/win/SysColors.h"

#include <array>
#include "platform/win/Version.h"

namespace orv {

namespace {

constexpr std::array<COLORREF, 31> SysColorTable = {
    RGB(212, 208, 200),  // scroll bar
    RGB(58, 110, 165),   // desktop
    RGB(10, 36, 106),    // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(212, 208, 200),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(212, 208, 200),  // active border
    RGB(212, 208, 200),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(10, 36, 106),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(212, 208, 200),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(212, 208, 200),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3D dark shadow
    RGB(212, 208, 200),  // 3D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
    RGB(181, 181, 181),  // (unused index 25)
    RGB(0, 0, 128),      // hot-tracked item
    RGB(166, 202, 240),  // active caption gradient
    RGB(192, 192, 192),  // inactive caption gradient
    RGB(10, 36, 106),    // menu highlight
    RGB(212, 208, 200),  // menu bar
};

struct TScreenState {
  int Width = 1024;
  int Height = 768;
};

TScreenState& Screen() {
  static TScreenState screen;
  return screen;
}

}  // namespace

COLORREF GetSysColor(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= SysColorTable.size()) return 0;
  return SysColorTable[static_cast<std::size_t>(index)];
}

void SetScreenSize(int width, int height) {
  if (width > 0 && height > 0) Screen() = {width, height};
}

int GetSystemMetrics(int index) {
  const auto& screen = Screen();
  switch (index) {
    case SM_CXSCREEN: case SM_CXVIRTUALSCREEN: return screen.Width;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return screen.Height;
    case SM_CXFULLSCREEN: return screen.Width;
    // Less the caption and a 28-pixel task bar.
    case SM_CYFULLSCREEN: return screen.Height - 19 - 28;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL:
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: case SM_CYMENU: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: case SM_CYSMCAPTION: return 16;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXMIN: case SM_CXMINTRACK: return 112;
    case SM_CYMIN: case SM_CYMINTRACK: return 27;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_MOUSEPRESENT: case SM_MOUSEWHEELPRESENT: case SM_CMONITORS: return 1;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_DBCSENABLED: return OSVersion().FarEast ? 1 : 0;
    case SM_MIDEASTENABLED: return OSVersion().MiddleEast ? 1 : 0;
    default: return 0;
  }
}

UINT GetDoubleClickTime() { return 500; }

}  // namespace orv
