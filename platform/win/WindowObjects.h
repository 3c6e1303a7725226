// Window objects: classes, creation and destruction, window procedures and their chain, the text
// messages with their narrow/wide conversion, window longs and properties.
#pragma once
#include <functional>
#include <vector>
#include "platform/win/Messages.h"
#include "platform/win/WinTypes.h"

namespace orv {

// Window styles kept with the window (the layer only reads WS_CHILD itself).
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
// Button styles (the low four bits of a button's style) and edit styles.
inline constexpr DWORD BS_PUSHBUTTON = 0x0, BS_DEFPUSHBUTTON = 0x1, BS_OWNERDRAW = 0xB, BS_TYPEMASK = 0xF;
inline constexpr DWORD ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_MULTILINE = 0x4;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
inline constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr DWORD WS_EX_RTLREADING = 0x00002000;
inline constexpr DWORD WS_EX_LAYERED = 0x00080000;
inline constexpr DWORD CS_DBLCLKS = 0x0008;
inline constexpr DWORD CS_DROPSHADOW = 0x00020000;
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// Indices of GetWindowLongPtr / SetWindowLongPtr.
inline constexpr int GWL_WNDPROC = -4;
inline constexpr int GWL_HINSTANCE = -6;
inline constexpr int GWL_HWNDPARENT = -8;
inline constexpr int GWL_ID = -12;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWL_USERDATA = -21;

struct WNDCLASSA {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  HINSTANCE hInstance = 0;
  const char* lpszMenuName = nullptr;
  const char* lpszClassName = nullptr;
};
struct WNDCLASSW {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  HINSTANCE hInstance = 0;
  const char16_t* lpszMenuName = nullptr;
  const char16_t* lpszClassName = nullptr;
};

// The lParam of WM_NCCREATE and WM_CREATE; the A or W form matches the receiving procedure.
struct CREATESTRUCTA {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = 0;
  HMENU hMenu;
  HWND hwndParent;
  int cy = 0, cx = 0, y = 0, x = 0;
  LONG style = 0;
  const char* lpszName = nullptr;
  const char* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};
struct CREATESTRUCTW {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = 0;
  HMENU hMenu;
  HWND hwndParent;
  int cy = 0, cx = 0, y = 0, x = 0;
  LONG style = 0;
  const char16_t* lpszName = nullptr;
  const char16_t* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

// Classes. Names compare without regard to a-z case; a class is known by name and instance.
// Registering returns the class atom (0 on failure with the last error set, e.g. a name taken).
ATOM RegisterClassA(const WNDCLASSA& wc);
ATOM RegisterClassW(const WNDCLASSW& wc);
bool GetClassInfoA(HINSTANCE instance, const AnsiString& className, WNDCLASSA* out);
bool GetClassInfoW(HINSTANCE instance, const WideString& className, WNDCLASSW* out);
// Fails while windows of the class exist.
bool UnregisterClassA(const AnsiString& className, HINSTANCE instance);
bool UnregisterClassW(const WideString& className, HINSTANCE instance);

// Creates a window of a registered class: the one of that name for the instance, else any
// instance's.
// WM_NCCREATE (returning 0 aborts the creation) then WM_CREATE (-1 aborts) are sent first;
// a failed creation destroys the half-made window and returns none.
HWND CreateWindowExA(DWORD exStyle, const AnsiString& className, const AnsiString& windowName,
                     DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
HWND CreateWindowExW(DWORD exStyle, const WideString& className, const WideString& windowName,
                     DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
// Sends WM_DESTROY to the window and then to its children, then WM_NCDESTROY to the children and
// the window; afterwards the handle and every child's handle are invalid and their posted messages
// are gone.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);
bool IsWindowUnicode(HWND hwnd);
HWND GetParent(HWND hwnd);
// Returns the previous parent (none on failure).
HWND SetParent(HWND child, HWND newParent);
bool IsChild(HWND parent, HWND hwnd);
// The direct children in creation order.
std::vector<HWND> GetChildWindows(HWND parent);
int GetDlgCtrlID(HWND hwnd);
int GetClassNameA(HWND hwnd, char* buffer, int maxCount);
int GetClassNameW(HWND hwnd, char16_t* buffer, int maxCount);
WideString WindowClassName(HWND hwnd);
// The number of live windows (for leak checks in tests).
std::size_t WindowCount();
// The top-level windows created by the thread, oldest first, until the callback returns false.
// False when the thread has none.
bool EnumThreadWindows(DWORD threadId, const std::function<bool(HWND)>& callback);
// The creating thread's id (and this process's id in *processId); 0 for an invalid window.
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
// The active top-level window and the window with the keyboard focus, as the forms layer reports
// them from Qt; none once that window is destroyed. The setters return the previous one.
HWND GetActiveWindow();
HWND SetActiveWindowState(HWND hwnd);
HWND GetFocus();
HWND SetFocusState(HWND hwnd);

// Window longs. GWL_WNDPROC installs a new procedure: the A form makes the window narrow, the W
// form Unicode; the previous procedure is returned for CallWindowProc.
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
inline LONG_PTR GetWindowLongA(HWND h, int i) { return GetWindowLongPtrA(h, i); }
inline LONG_PTR GetWindowLongW(HWND h, int i) { return GetWindowLongPtrW(h, i); }
inline LONG_PTR SetWindowLongA(HWND h, int i, LONG_PTR v) { return SetWindowLongPtrA(h, i, v); }
inline LONG_PTR SetWindowLongW(HWND h, int i, LONG_PTR v) { return SetWindowLongPtrW(h, i, v); }
inline LONG_PTR ProcToLong(WNDPROC p) { return static_cast<LONG_PTR>(reinterpret_cast<std::intptr_t>(p)); }
inline WNDPROC LongToProc(LONG_PTR v) { return reinterpret_cast<WNDPROC>(static_cast<std::intptr_t>(v)); }

// Sending calls the window's current procedure at once. When the call's kind (A or W) differs from
// the window's (IsWindowUnicode), the text-bearing messages are converted through the ANSI code
// page: WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH, WM_CHAR, WM_IME_CHAR, WM_NCCREATE, WM_CREATE.
// An invalid window gives 0.
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls a procedure taken from GetWindowLongPtr(GWL_WNDPROC) or GetClassInfo; the procedure's kind
// is the one it was installed with, and the same conversions apply between it and the call.
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The default procedure keeps the window text (wide; the A form converts), answers
// WM_NOTIFYFORMAT by the window's kind, destroys the window on WM_CLOSE and returns 0 otherwise.
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Text through the messages above.
bool SetWindowTextA(HWND hwnd, const AnsiString& text);
bool SetWindowTextW(HWND hwnd, const WideString& text);
int GetWindowTextA(HWND hwnd, char* buffer, int maxCount);
int GetWindowTextW(HWND hwnd, char16_t* buffer, int maxCount);
int GetWindowTextLengthA(HWND hwnd);
int GetWindowTextLengthW(HWND hwnd);
AnsiString WindowTextA(HWND hwnd);
WideString WindowTextW(HWND hwnd);

// Properties, named by atom; the string forms add (Set) or look up (Get, Remove) the global atom.
bool SetPropA(HWND hwnd, const AnsiString& name, HANDLE data);
bool SetPropW(HWND hwnd, const WideString& name, HANDLE data);
bool SetProp(HWND hwnd, ATOM atom, HANDLE data);
HANDLE GetPropA(HWND hwnd, const AnsiString& name);
HANDLE GetPropW(HWND hwnd, const WideString& name);
HANDLE GetProp(HWND hwnd, ATOM atom);
HANDLE RemovePropA(HWND hwnd, const AnsiString& name);
HANDLE RemovePropW(HWND hwnd, const WideString& name);
HANDLE RemoveProp(HWND hwnd, ATOM atom);

// Turns a closure into a window procedure (the class library's object instances). Slots are
// limited (MaxObjectInstances); none left raises EOutOfMemory. Freeing an unknown procedure is
// ignored.
using TWndMethod = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
inline constexpr std::size_t MaxObjectInstances = 4096;
WNDPROC MakeObjectInstance(TWndMethod method);
void FreeObjectInstance(WNDPROC proc);

}  // namespace orv
