// Menu objects behind HMENU handles: items with type, state, command, sub-menu and wide text, read
// and changed by position or command. The forms layer shows them and hears of changes.
#pragma once
#include <functional>
#include "platform/win/WinTypes.h"

namespace orv {

// Item types (fType) and states (fState).
inline constexpr UINT MFT_STRING = 0x0000;
inline constexpr UINT MFT_BITMAP = 0x0004;
inline constexpr UINT MFT_MENUBARBREAK = 0x0020;
inline constexpr UINT MFT_MENUBREAK = 0x0040;
inline constexpr UINT MFT_OWNERDRAW = 0x0100;
inline constexpr UINT MFT_RADIOCHECK = 0x0200;
inline constexpr UINT MFT_SEPARATOR = 0x0800;
inline constexpr UINT MFT_RIGHTORDER = 0x2000;
inline constexpr UINT MFT_RIGHTJUSTIFY = 0x4000;
inline constexpr UINT MFS_ENABLED = 0x0000;
inline constexpr UINT MFS_GRAYED = 0x0003;
inline constexpr UINT MFS_CHECKED = 0x0008;
inline constexpr UINT MFS_HILITE = 0x0080;
inline constexpr UINT MFS_DEFAULT = 0x1000;

// Which fields of MENUITEMINFOW are read or written.
inline constexpr UINT MIIM_STATE = 0x0001;
inline constexpr UINT MIIM_ID = 0x0002;
inline constexpr UINT MIIM_SUBMENU = 0x0004;
inline constexpr UINT MIIM_DATA = 0x0020;
inline constexpr UINT MIIM_TYPE = 0x0010;    // fType, and the text of a string item
inline constexpr UINT MIIM_STRING = 0x0040;  // the text alone
inline constexpr UINT MIIM_FTYPE = 0x0100;   // fType alone

// Item lookup (uFlags of GetMenuString, AppendMenu).
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_OWNERDRAW = 0x0100;
// MF_POPUP (0x10) is in Messages.h: it also flags WM_MENUSELECT.

inline constexpr DWORD ERROR_INVALID_MENU_HANDLE = 1401;
inline constexpr DWORD ERROR_MENU_ITEM_NOT_FOUND = 1456;

struct MENUITEMINFOW {
  UINT cbSize = sizeof(MENUITEMINFOW);
  UINT fMask = 0;
  UINT fType = 0;
  UINT fState = 0;
  UINT wID = 0;
  HMENU hSubMenu;
  std::uint64_t dwItemData = 0;
  // The text: on reading, a buffer of cch characters (or none: cch then receives the length);
  // on writing, a terminated text.
  char16_t* dwTypeData = nullptr;
  UINT cch = 0;
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its sub-menus; their handles are invalid afterwards.
bool DestroyMenu(HMENU menu);
bool IsMenu(HMENU menu);
int GetMenuItemCount(HMENU menu);
// -1 for a sub-menu entry or a position out of range.
UINT GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);

// By command the menu's sub-menus are searched too, and an entry that opens a sub-menu is found
// by the id it was given. A position past the end appends.
bool InsertMenuItemW(HMENU menu, UINT item, bool byPosition, const MENUITEMINFOW* info);
// flags: MF_STRING / MF_SEPARATOR / MF_OWNERDRAW, MF_GRAYED or MF_DISABLED (both MFS_GRAYED),
// MF_CHECKED, MF_POPUP (idOrSubMenu is then the sub-menu's handle value).
bool AppendMenuW(HMENU menu, UINT flags, std::uint64_t idOrSubMenu, const WideString& text);
bool GetMenuItemInfoW(HMENU menu, UINT item, bool byPosition, MENUITEMINFOW* info);
bool SetMenuItemInfoW(HMENU menu, UINT item, bool byPosition, const MENUITEMINFOW* info);
bool RemoveMenu(HMENU menu, UINT item, UINT flags);
// The item's text: with no buffer the length; else at most maxCount - 1 characters and a
// terminator, returning the count copied. 0 when the item is not found.
int GetMenuStringW(HMENU menu, UINT item, char16_t* buffer, int maxCount, UINT flags);

// The menu bar of a window.
bool SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
// Asks for the window's menu bar to be drawn again (through the sink).
bool DrawMenuBar(HWND hwnd);

// The forms layer hears of changed items (menu, position) and of bars to redraw.
void SetMenuChangeSink(std::function<void(HMENU, int)> sink);
void SetMenuBarSink(std::function<void(HWND)> sink);
// What shows the menu bar of one window: DrawMenuBar of that window runs it (before the sink). An
// empty function lets the window go without one.
void SetMenuBarView(HWND hwnd, std::function<void()> redraw);

}  // namespace orv
