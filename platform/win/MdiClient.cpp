// The MDI client window: its children's lists, activation, arrangements and the window menu, the
// creation of MDI children, and the default procedures of frame and child windows.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include "platform/rtl/CodePages.h"
#include "platform/win/Immortal.h"
#include "platform/win/LastError.h"
#include "platform/win/MdiWindows.h"
#include "platform/win/Menus.h"
#include "platform/win/WindowInternal.h"

namespace orv {

using namespace winimpl;

namespace {

struct TMdiClient {
  HMENU WindowMenu;
  UINT IdFirstChild = 0;
  std::vector<HWND> Children;    // creation order
  std::vector<HWND> Activation;  // the active child first
  HWND Active;
  int ListedEntries = 0;         // children listed in the window menu
  int SeparatorAt = -1;          // the position of the separator put before them
  TMdiClientView View;
};

std::unordered_map<HWND, TMdiClient>& Clients() {
  static TImmortal<std::unordered_map<HWND, TMdiClient>> clients;
  return clients.Get();
}

TMdiClient* FindClient(HWND client) {
  auto it = Clients().find(client);
  return it == Clients().end() ? nullptr : &it->second;
}

// Drops children that are gone or were moved elsewhere; a lost active child hands over to the
// next one in activation order.
void Prune(HWND client, TMdiClient& c) {
  auto gone = [client](HWND h) { return !IsWindow(h) || GetParent(h) != client; };
  c.Children.erase(std::remove_if(c.Children.begin(), c.Children.end(), gone), c.Children.end());
  c.Activation.erase(std::remove_if(c.Activation.begin(), c.Activation.end(), gone), c.Activation.end());
  if (c.Active && gone(c.Active)) c.Active = nullptr;
}

// Takes our entries off the menu: the children's by their command ids, then the separator, when
// it is still the last entry. The menu's owner may have rebuilt it meanwhile, so positions and the
// count we appended prove nothing.
void RemoveListedEntries(TMdiClient& c) {
  if (IsMenu(c.WindowMenu)) {
    for (int i = 0; i < c.ListedEntries; ++i)
      RemoveMenu(c.WindowMenu, c.IdFirstChild + static_cast<UINT>(i), MF_BYCOMMAND);
    const int count = GetMenuItemCount(c.WindowMenu);
    if (c.SeparatorAt >= 0 && count == c.SeparatorAt + 1) {
      MENUITEMINFOW info;
      info.fMask = MIIM_FTYPE | MIIM_ID;
      if (GetMenuItemInfoW(c.WindowMenu, static_cast<UINT>(c.SeparatorAt), true, &info) &&
          (info.fType & MFT_SEPARATOR) != 0 && info.wID == 0)
        RemoveMenu(c.WindowMenu, static_cast<UINT>(c.SeparatorAt), MF_BYPOSITION);
    }
  }
  c.ListedEntries = 0;
  c.SeparatorAt = -1;
}

void RefreshWindowMenu(HWND client) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return;
  Prune(client, *c);
  RemoveListedEntries(*c);
  if (c->Children.empty() || !IsMenu(c->WindowMenu)) return;
  if (const int count = GetMenuItemCount(c->WindowMenu); count > 0) {
    AppendMenuW(c->WindowMenu, MF_SEPARATOR, 0, WideString());
    c->SeparatorAt = count;
  }
  for (std::size_t i = 0; i < c->Children.size(); ++i) {
    const HWND child = c->Children[i];
    const WideString text = u"&" + AnsiToWide(std::to_string(i + 1)) + u" " + WindowTextW(child);
    AppendMenuW(c->WindowMenu, child == c->Active ? MF_CHECKED : MF_STRING,
                static_cast<std::uint64_t>(GetDlgCtrlID(child)), text);
    ++c->ListedEntries;
  }
}

// Gives the children their command ids again after one went (the first, the next, ...).
void Renumber(TMdiClient& c) {
  for (std::size_t i = 0; i < c.Children.size(); ++i)
    SetWindowLongPtrW(c.Children[i], GWL_ID, static_cast<LONG_PTR>(c.IdFirstChild + i));
}

void Activate(HWND client, HWND child) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return;
  Prune(client, *c);
  if (child && std::find(c->Children.begin(), c->Children.end(), child) == c->Children.end()) return;
  const HWND old = c->Active;
  if (old == child) {
    if (child && c->View.ShowActive) c->View.ShowActive(child);
    return;
  }
  c->Active = child;
  if (child) {
    c->Activation.erase(std::remove(c->Activation.begin(), c->Activation.end(), child), c->Activation.end());
    c->Activation.insert(c->Activation.begin(), child);
  }
  const TMdiClientView view = c->View;  // the record may go while the children hear of it
  if (old) SendMessageW(old, WM_MDIACTIVATE, old.AsWParam(), child.AsLParam());
  if (child) {
    if (view.ShowActive) view.ShowActive(child);
    SendMessageW(child, WM_MDIACTIVATE, old.AsWParam(), child.AsLParam());
  }
  RefreshWindowMenu(client);
}

void ChildGoing(HWND client, HWND child) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return;
  c->Children.erase(std::remove(c->Children.begin(), c->Children.end(), child), c->Children.end());
  c->Activation.erase(std::remove(c->Activation.begin(), c->Activation.end(), child), c->Activation.end());
  Renumber(*c);
  const TWindowObject* clientObj = Find(client);
  if (c->Active == child && clientObj != nullptr && clientObj->Destroying) {
    // The whole client goes: no other child becomes active on the way.
    c->Active = nullptr;
    return;
  }
  if (c->Active == child) {
    c->Active = nullptr;
    HWND next;
    for (HWND h : c->Activation)
      if (IsWindow(h) && !(GetWindowLongPtrW(h, GWL_STYLE) & WS_MINIMIZE)) {
        next = h;
        break;
      }
    if (!next && !c->Activation.empty()) next = c->Activation.front();
    if (next) {
      Activate(client, next);
      return;
    }
  }
  RefreshWindowMenu(client);
}

bool Minimized(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & WS_MINIMIZE) != 0; }

std::vector<HWND> ArrangedChildren(TMdiClient& c, bool skipDisabled) {
  std::vector<HWND> list;
  // Bottom of the activation order first, so the active child ends on top.
  for (auto it = c.Activation.rbegin(); it != c.Activation.rend(); ++it) {
    if (Minimized(*it)) continue;
    if (skipDisabled && (GetWindowLongPtrW(*it, GWL_STYLE) & WS_DISABLED)) continue;
    list.push_back(*it);
  }
  return list;
}

TRect AreaOf(const TMdiClient& c) { return c.View.Area ? c.View.Area() : TRect{}; }

// Room left for the arranged windows: above the row of minimised children.
TRect ArrangeArea(const TMdiClient& c) {
  TRect area = AreaOf(c);
  if (std::any_of(c.Children.begin(), c.Children.end(), Minimized))
    area.Bottom = std::max(area.Top, area.Bottom - MdiIconHeight);
  return area;
}

void Place(const TMdiClientView& view, HWND child, const TRect& r) {
  if (view.PlaceChild) view.PlaceChild(child, r);
}

bool Cascade(HWND client, WPARAM flags) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return false;
  Prune(client, *c);
  const std::vector<HWND> list = ArrangedChildren(*c, (flags & MDITILE_SKIPDISABLED) != 0);
  if (list.empty()) return false;
  const TRect area = ArrangeArea(*c);
  const int n = static_cast<int>(list.size());
  // As many steps as leave each window at least half the area; then the cascade starts over.
  const int maxSteps = std::max(1, std::min(area.Width(), area.Height()) / 2 / MdiCascadeStep + 1);
  const int steps = std::min(n, maxSteps);
  const int width = std::max(0, area.Width() - MdiCascadeStep * (steps - 1));
  const int height = std::max(0, area.Height() - MdiCascadeStep * (steps - 1));
  const TMdiClientView view = c->View;
  for (int i = 0; i < n; ++i) {
    const int offset = (i % steps) * MdiCascadeStep;
    Place(view, list[static_cast<std::size_t>(i)],
          Rect(area.Left + offset, area.Top + offset, area.Left + offset + width, area.Top + offset + height));
  }
  return true;
}

bool Tile(HWND client, WPARAM how) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return false;
  Prune(client, *c);
  std::vector<HWND> list = ArrangedChildren(*c, (how & MDITILE_SKIPDISABLED) != 0);
  if (list.empty()) return false;
  std::reverse(list.begin(), list.end());  // the active child takes the first tile
  const TRect area = ArrangeArea(*c);
  const int n = static_cast<int>(list.size());
  const bool horizontal = (how & MDITILE_HORIZONTAL) != 0;
  // Up to three windows share the area in one direction; more make a grid of near-square tiles.
  const int lines = n <= 3 ? n : static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
  const TMdiClientView view = c->View;
  int placed = 0;
  for (int line = 0; line < lines; ++line) {
    const int inLine = n / lines + (line < n % lines ? 1 : 0);
    for (int k = 0; k < inLine; ++k, ++placed) {
      TRect r;
      if (horizontal) {  // lines are rows, stacked top to bottom
        r.Top = area.Top + area.Height() * line / lines;
        r.Bottom = area.Top + area.Height() * (line + 1) / lines;
        r.Left = area.Left + area.Width() * k / inLine;
        r.Right = area.Left + area.Width() * (k + 1) / inLine;
      } else {  // lines are columns, side by side
        r.Left = area.Left + area.Width() * line / lines;
        r.Right = area.Left + area.Width() * (line + 1) / lines;
        r.Top = area.Top + area.Height() * k / inLine;
        r.Bottom = area.Top + area.Height() * (k + 1) / inLine;
      }
      Place(view, list[static_cast<std::size_t>(placed)], r);
    }
  }
  return true;
}

void ArrangeIcons(HWND client) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return;
  Prune(client, *c);
  const TRect area = AreaOf(*c);
  const int perRow = std::max(1, area.Width() / MdiIconWidth);
  const TMdiClientView view = c->View;
  int i = 0;
  for (HWND h : std::vector<HWND>(c->Children)) {
    if (!Minimized(h)) continue;
    const int x = area.Left + (i % perRow) * MdiIconWidth;
    const int y = area.Bottom - (i / perRow + 1) * MdiIconHeight;
    Place(view, h, Rect(x, y, x + MdiIconWidth, y + MdiIconHeight));
    ++i;
  }
}

void Next(HWND client, HWND from, bool previous) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return;
  Prune(client, *c);
  if (c->Activation.size() < 2) return;
  if (!from) from = c->Active;
  if (!previous) {
    // The one behind comes forward; the one left goes to the back.
    auto it = std::find(c->Activation.begin(), c->Activation.end(), from);
    if (it == c->Activation.end()) return;
    const std::size_t at = static_cast<std::size_t>(it - c->Activation.begin());
    const HWND next = c->Activation[(at + 1) % c->Activation.size()];
    Activate(client, next);
    if ((c = FindClient(client)) == nullptr) return;
    c->Activation.erase(std::remove(c->Activation.begin(), c->Activation.end(), from), c->Activation.end());
    if (IsWindow(from)) c->Activation.push_back(from);
  } else {
    Activate(client, c->Activation.back());
  }
}

HWND CreateChild(HWND client, const WideString& className, const WideString& title, DWORD style, int x, int y,
                 int width, int height, HINSTANCE instance, LPARAM param, bool wide) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  Prune(client, *c);
  const UINT id = c->IdFirstChild + static_cast<UINT>(c->Children.size());
  style = (style & ~(WS_POPUP | WS_VISIBLE)) | WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
  MDICREATESTRUCTW mcs;
  mcs.szClass = className.c_str();
  mcs.szTitle = title.c_str();
  mcs.hOwner = instance;
  mcs.x = x;
  mcs.y = y;
  mcs.cx = width;
  mcs.cy = height;
  mcs.style = style;
  mcs.lParam = param;
  const HWND child = wide ? CreateWindowExW(WS_EX_MDICHILD, className, title, style, x, y, width, height, client,
                                            HMENU(id), instance, &mcs)
                          : CreateWindowExA(WS_EX_MDICHILD, WideToAnsi(className), WideToAnsi(title), style, x, y,
                                            width, height, client, HMENU(id), instance, &mcs);
  if (!child) return nullptr;
  if ((c = FindClient(client)) == nullptr) return child;
  c->Children.push_back(child);
  c->Activation.push_back(child);
  SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) | WS_VISIBLE);
  Activate(client, child);  // lists the new child in the window menu too
  return child;
}

LRESULT ClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      TMdiClient c;
      if (const auto* cs = LParamPtr<const CREATESTRUCTW>(lParam); cs != nullptr && cs->lpCreateParams != nullptr) {
        const auto* ccs = static_cast<const CLIENTCREATESTRUCT*>(cs->lpCreateParams);
        c.WindowMenu = ccs->hWindowMenu;
        c.IdFirstChild = ccs->idFirstChild;
      }
      Clients()[hwnd] = std::move(c);
      return 0;
    }
    case WM_NCDESTROY:
      Clients().erase(hwnd);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_MDICREATE: {
      const auto* mcs = LParamPtr<const MDICREATESTRUCTW>(lParam);
      if (mcs == nullptr || mcs->szClass == nullptr) return 0;
      const WideString title = mcs->szTitle != nullptr ? WideString(mcs->szTitle) : WideString();
      return CreateChild(hwnd, mcs->szClass, title, mcs->style, mcs->x, mcs->y, mcs->cx, mcs->cy, mcs->hOwner,
                         mcs->lParam, true).AsLParam();
    }
    case WM_MDIDESTROY: {
      const HWND child = HWND::FromParam(wParam);
      if (GetParent(child) != hwnd) return 0;
      ChildGoing(hwnd, child);
      DestroyWindow(child);
      return 0;
    }
    case WM_MDIACTIVATE:
      Activate(hwnd, HWND::FromParam(wParam));
      return 0;
    case WM_MDIGETACTIVE: {
      TMdiClient* c = FindClient(hwnd);
      if (c == nullptr) return 0;
      Prune(hwnd, *c);
      if (auto* maximized = LParamPtr<int>(lParam))
        *maximized = c->Active && (GetWindowLongPtrW(c->Active, GWL_STYLE) & WS_MAXIMIZE) != 0;
      return c->Active.AsLParam();
    }
    case WM_MDINEXT:
      Next(hwnd, HWND::FromParam(wParam), lParam != 0);
      return 0;
    case WM_MDICASCADE:
      return Cascade(hwnd, wParam) ? 1 : 0;
    case WM_MDITILE:
      return Tile(hwnd, wParam) ? 1 : 0;
    case WM_MDIICONARRANGE:
      ArrangeIcons(hwnd);
      return 0;
    case WM_MDISETMENU: {
      TMdiClient* c = FindClient(hwnd);
      if (c == nullptr) return 0;
      const HMENU old = c->WindowMenu;
      if (lParam != 0) {
        // The old menu loses our entries before the new one gets them.
        RemoveListedEntries(*c);
        c->WindowMenu = HMENU::FromParam(static_cast<std::uint64_t>(lParam));
      }
      RefreshWindowMenu(hwnd);
      return old.AsLParam();
    }
    case WM_MDIREFRESHMENU:
      RefreshWindowMenu(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

// The procedure that ends a frame's or a child's default handling.
WNDPROC FallbackOf(HWND client, bool frame) {
  if (TMdiClient* c = FindClient(client)) {
    const WNDPROC proc = frame ? c->View.FrameDefProc : c->View.ChildDefProc;
    if (proc != nullptr) return proc;
  }
  return &DefWindowProcW;
}

LRESULT FrameProc(HWND frame, HWND client, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
  TMdiClient* c = FindClient(client);
  if (c != nullptr) {
    switch (msg) {
      case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        Prune(client, *c);
        if (HIWORD(wParam) == 0 && id >= c->IdFirstChild && id < c->IdFirstChild + c->Children.size()) {
          Activate(client, c->Children[id - c->IdFirstChild]);
          return 0;
        }
        break;
      }
      case WM_SETFOCUS:
        if (c->Active) SetFocusState(c->Active);
        return 0;
      case WM_SIZE:
        if (c->View.PlaceClient) {
          const TMdiClientView view = c->View;  // the record may go while the client is placed
          const auto size = static_cast<std::uint64_t>(lParam);
          view.PlaceClient(Rect(0, 0, LOWORD(size), HIWORD(size)));
        }
        return 0;
      default:
        break;
    }
  }
  const WNDPROC fallback = FallbackOf(client, true);
  return wide ? CallWindowProcW(fallback, frame, msg, wParam, lParam)
              : CallWindowProcA(fallback, frame, msg, wParam, lParam);
}

LRESULT ChildProc(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
  const HWND client = GetParent(child);
  switch (msg) {
    case WM_CHILDACTIVATE:
      Activate(client, child);
      return 0;
    case WM_DESTROY:
      ChildGoing(client, child);
      break;
    default:
      break;
  }
  const WNDPROC fallback = FallbackOf(client, false);
  const LRESULT r = wide ? CallWindowProcW(fallback, child, msg, wParam, lParam)
                         : CallWindowProcA(fallback, child, msg, wParam, lParam);
  if (msg == WM_SETTEXT) RefreshWindowMenu(client);
  return r;
}

void NoteMdiProcKinds() {
  NoteProcKind(&DefMDIChildProcW, true);
  NoteProcKind(&DefMDIChildProcA, false);
}

}  // namespace

void RegisterMdiClientClass() {
  NoteMdiProcKinds();
  WNDCLASSW known;
  if (GetClassInfoW(HInstance(), MDIClientClassName, &known)) return;
  WNDCLASSW wc;
  wc.lpfnWndProc = &ClientProc;
  wc.hInstance = HInstance();
  wc.lpszClassName = MDIClientClassName;
  RegisterClassW(wc);
}

bool SetMdiClientView(HWND client, TMdiClientView view) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return false;
  c->View = std::move(view);
  return true;
}

bool IsMdiClient(HWND hwnd) { return FindClient(hwnd) != nullptr; }

HWND CreateMDIWindowW(const WideString& className, const WideString& windowName, DWORD style, int x, int y,
                      int width, int height, HWND client, HINSTANCE instance, LPARAM param) {
  NoteMdiProcKinds();
  return CreateChild(client, className, windowName, style, x, y, width, height, instance, param, true);
}

HWND CreateMDIWindowA(const AnsiString& className, const AnsiString& windowName, DWORD style, int x, int y,
                      int width, int height, HWND client, HINSTANCE instance, LPARAM param) {
  NoteMdiProcKinds();
  return CreateChild(client, AnsiToWide(className), AnsiToWide(windowName), style, x, y, width, height, instance,
                     param, false);
}

LRESULT DefFrameProcW(HWND frame, HWND client, UINT msg, WPARAM wParam, LPARAM lParam) {
  return FrameProc(frame, client, msg, wParam, lParam, true);
}
LRESULT DefFrameProcA(HWND frame, HWND client, UINT msg, WPARAM wParam, LPARAM lParam) {
  return FrameProc(frame, client, msg, wParam, lParam, false);
}
LRESULT DefMDIChildProcW(HWND child, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ChildProc(child, msg, wParam, lParam, true);
}
LRESULT DefMDIChildProcA(HWND child, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ChildProc(child, msg, wParam, lParam, false);
}

std::vector<HWND> MdiChildWindows(HWND client) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return {};
  Prune(client, *c);
  return c->Children;
}

std::vector<HWND> MdiChildrenByActivation(HWND client) {
  TMdiClient* c = FindClient(client);
  if (c == nullptr) return {};
  Prune(client, *c);
  return c->Activation;
}

}  // namespace orv
