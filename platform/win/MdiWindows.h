// Multiple-document windows: the MDI client window class that keeps a frame's child windows (their
// activation order, the active one, their arrangement and the window menu that lists them),
// children made through it, and the default handling of frame and child windows.
#pragma once
#include <functional>
#include "platform/rtl/Geometry.h"
#include "platform/win/WindowObjects.h"

namespace orv {

inline constexpr UINT WM_CHILDACTIVATE = 0x0022;
inline constexpr UINT WM_MDICREATE = 0x0220;
inline constexpr UINT WM_MDIDESTROY = 0x0221;
inline constexpr UINT WM_MDIACTIVATE = 0x0222;
inline constexpr UINT WM_MDIRESTORE = 0x0223;
inline constexpr UINT WM_MDINEXT = 0x0224;
inline constexpr UINT WM_MDIMAXIMIZE = 0x0225;
inline constexpr UINT WM_MDITILE = 0x0226;
inline constexpr UINT WM_MDICASCADE = 0x0227;
inline constexpr UINT WM_MDIICONARRANGE = 0x0228;
inline constexpr UINT WM_MDIGETACTIVE = 0x0229;
// lParam: the new window menu (0 keeps the one there is); the result is the one before.
inline constexpr UINT WM_MDISETMENU = 0x0230;
inline constexpr UINT WM_MDIREFRESHMENU = 0x0234;

inline constexpr WPARAM MDITILE_VERTICAL = 0x0000;
inline constexpr WPARAM MDITILE_HORIZONTAL = 0x0001;
inline constexpr WPARAM MDITILE_SKIPDISABLED = 0x0002;

inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_EX_MDICHILD = 0x00000040;

// The class name of the MDI client window.
inline constexpr const char16_t* MDIClientClassName = u"MDICLIENT";

// The creation parameter of an MDI client window: the menu its children are listed in (none for no
// list) and the command id of the first child's entry.
struct CLIENTCREATESTRUCT {
  HMENU hWindowMenu;
  UINT idFirstChild = 0;
};

// What WM_MDICREATE takes (the W form; CreateMDIWindowA makes the narrow kind itself).
struct MDICREATESTRUCTW {
  const char16_t* szClass = nullptr;
  const char16_t* szTitle = nullptr;
  HINSTANCE hOwner = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  DWORD style = 0;
  LPARAM lParam = 0;
};

// How an MDI client is shown (the forms layer puts it over its widgets): the area the children are
// arranged in, a child's bounds inside it, placing and bringing a child to the front, placing the
// client window itself in the frame's client area, and the
// procedures that end what DefFrameProc and DefMDIChildProc leave to the window's own default
// handling (DefWindowProcW when none is given). Without a view children still have their order, but
// an arrangement has no room to place them in.
struct TMdiClientView {
  std::function<TRect()> Area;
  std::function<TRect(HWND child)> ChildBounds;
  std::function<void(HWND child, const TRect& bounds)> PlaceChild;
  std::function<void(HWND child)> ShowActive;
  std::function<void(const TRect& bounds)> PlaceClient;
  WNDPROC FrameDefProc = nullptr;
  WNDPROC ChildDefProc = nullptr;
};

// Registers the MDI client class for every instance (idempotent); CreateWindowEx then makes client
// windows by its name, with a CLIENTCREATESTRUCT as the creation parameter.
void RegisterMdiClientClass();
// The view of a client window (replaced; an empty view detaches it). False for a window that is
// not an MDI client.
bool SetMdiClientView(HWND client, TMdiClientView view);
bool IsMdiClient(HWND hwnd);

// Makes an MDI child of the client: a child window with the MDI child extended style, its command
// id the next one after the client's first, activated at once and listed in the window menu. The
// creation parameter reaching WM_NCCREATE/WM_CREATE is the MDICREATESTRUCT. None on failure, with
// the last error set (ERROR_INVALID_WINDOW_HANDLE for a window that is no MDI client).
HWND CreateMDIWindowW(const WideString& className, const WideString& windowName, DWORD style, int x, int y,
                      int width, int height, HWND client, HINSTANCE instance, LPARAM param);
HWND CreateMDIWindowA(const AnsiString& className, const AnsiString& windowName, DWORD style, int x, int y,
                      int width, int height, HWND client, HINSTANCE instance, LPARAM param);

// The default handling of a frame window: a command of a window-menu entry activates that child,
// WM_SIZE stretches the client window over the frame's new client area (its size in LParam),
// WM_SETFOCUS goes to the active child; the rest goes to the view's frame procedure.
LRESULT DefFrameProcW(HWND frame, HWND client, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefFrameProcA(HWND frame, HWND client, UINT msg, WPARAM wParam, LPARAM lParam);
// The default handling of an MDI child: WM_CHILDACTIVATE makes it the active child,
// WM_DESTROY takes it off the client's lists, a new text renews the window menu; the rest goes to
// the view's child procedure.
LRESULT DefMDIChildProcW(HWND child, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefMDIChildProcA(HWND child, UINT msg, WPARAM wParam, LPARAM lParam);

// The client's children in creation order, and in activation order (the active one first).
std::vector<HWND> MdiChildWindows(HWND client);
std::vector<HWND> MdiChildrenByActivation(HWND client);

// The step between cascaded windows and the size of a minimised child's title in an arrangement.
inline constexpr int MdiCascadeStep = 24;
inline constexpr int MdiIconWidth = 160;
inline constexpr int MdiIconHeight = 24;

}  // namespace orv
