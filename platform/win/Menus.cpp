// Menu objects in a handle table: items by position or command, sub-menus, texts, change sinks.
#include "platform/win/Menus.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>
#include "platform/win/Immortal.h"
#include "platform/win/LastError.h"
#include "platform/win/Messages.h"
#include "platform/win/NameKey.h"
#include "platform/win/WindowInternal.h"

namespace orv {

namespace {

struct TMenuItemRec {
  UINT Type = MFT_STRING;
  UINT State = 0;
  UINT Id = 0;
  HMENU SubMenu;
  std::uint64_t Data = 0;
  WideString Text;
};

struct TMenuRec {
  std::vector<TMenuItemRec> Items;
};

struct TMenuTable {
  // Handle values are never reused, so a destroyed menu's handle stays invalid.
  std::unordered_map<HMENU, std::unique_ptr<TMenuRec>> Menus;
  std::uint64_t Next = 1;
  std::function<void(HMENU, int)> ChangeSink;
  std::function<void(HWND)> BarSink;
  std::unordered_map<HWND, std::function<void()>> BarViews;
};

TMenuTable& Table() {
  static winimpl::TImmortal<TMenuTable> table;
  return table.Get();
}

TMenuRec* FindMenu(HMENU menu) {
  auto& menus = Table().Menus;
  auto it = menus.find(menu);
  if (it == menus.end()) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return nullptr;
  }
  return it->second.get();
}

struct TItemRef {
  HMENU Menu;
  int Position = -1;
  TMenuItemRec* Item = nullptr;
};

// By command the sub-menus are searched depth first; a cycle of sub-menus is not followed twice.
TItemRef FindByCommand(HMENU menu, UINT id, std::vector<HMENU>& visited) {
  if (std::find(visited.begin(), visited.end(), menu) != visited.end()) return {};
  visited.push_back(menu);
  TMenuRec* rec = FindMenu(menu);
  if (rec == nullptr) return {};
  for (std::size_t i = 0; i < rec->Items.size(); ++i) {
    auto& item = rec->Items[i];
    // An entry that opens a sub-menu is found by the id it was given (0 means it has none).
    if (item.Id == id && (!item.SubMenu || id != 0)) return {menu, static_cast<int>(i), &item};
    if (item.SubMenu)
      if (TItemRef found = FindByCommand(item.SubMenu, id, visited); found.Item != nullptr) return found;
  }
  return {};
}

TItemRef FindItem(HMENU menu, UINT item, bool byPosition) {
  TItemRef ref;
  if (byPosition) {
    TMenuRec* rec = FindMenu(menu);
    if (rec != nullptr && item < rec->Items.size()) ref = {menu, static_cast<int>(item), &rec->Items[item]};
  } else {
    std::vector<HMENU> visited;
    ref = FindByCommand(menu, item, visited);
  }
  if (ref.Item == nullptr && IsMenu(menu)) SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
  return ref;
}

HMENU NewMenu() {
  auto& t = Table();
  HMENU h(t.Next++);
  t.Menus.emplace(h, std::make_unique<TMenuRec>());
  return h;
}

void Changed(HMENU menu, int position) {
  if (auto sink = Table().ChangeSink) sink(menu, position);
}

void Apply(TMenuItemRec& item, const MENUITEMINFOW& info) {
  if (info.fMask & (MIIM_TYPE | MIIM_FTYPE)) item.Type = info.fType;
  if ((info.fMask & MIIM_STRING) || ((info.fMask & MIIM_TYPE) && (info.fType & (MFT_BITMAP | MFT_SEPARATOR)) == 0))
    item.Text.assign(info.dwTypeData != nullptr ? info.dwTypeData : u"", TextLength(info.dwTypeData));
  if (info.fMask & MIIM_STATE) item.State = info.fState;
  if (info.fMask & MIIM_ID) item.Id = info.wID;
  if (info.fMask & MIIM_SUBMENU) item.SubMenu = info.hSubMenu;
  if (info.fMask & MIIM_DATA) item.Data = info.dwItemData;
}

}  // namespace

HMENU CreateMenu() { return NewMenu(); }
HMENU CreatePopupMenu() { return NewMenu(); }

bool DestroyMenu(HMENU menu) {
  auto& menus = Table().Menus;
  auto it = menus.find(menu);
  if (it == menus.end()) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return false;
  }
  std::unique_ptr<TMenuRec> gone = std::move(it->second);
  menus.erase(it);
  for (auto& item : gone->Items)
    if (item.SubMenu && IsMenu(item.SubMenu)) DestroyMenu(item.SubMenu);
  return true;
}

bool IsMenu(HMENU menu) { return Table().Menus.count(menu) != 0; }

int GetMenuItemCount(HMENU menu) {
  TMenuRec* rec = FindMenu(menu);
  return rec != nullptr ? static_cast<int>(rec->Items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  TMenuRec* rec = FindMenu(menu);
  if (rec == nullptr || position < 0 || static_cast<std::size_t>(position) >= rec->Items.size()) return ~0u;
  const auto& item = rec->Items[static_cast<std::size_t>(position)];
  return item.SubMenu ? ~0u : item.Id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  TMenuRec* rec = FindMenu(menu);
  if (rec == nullptr || position < 0 || static_cast<std::size_t>(position) >= rec->Items.size()) return nullptr;
  return rec->Items[static_cast<std::size_t>(position)].SubMenu;
}

bool InsertMenuItemW(HMENU menu, UINT item, bool byPosition, const MENUITEMINFOW* info) {
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HMENU target = menu;
  std::size_t position;
  if (byPosition) {
    TMenuRec* rec = FindMenu(menu);
    if (rec == nullptr) return false;
    position = std::min<std::size_t>(item, rec->Items.size());
  } else {
    TItemRef ref = FindItem(menu, item, false);
    if (ref.Item == nullptr) return false;
    target = ref.Menu;
    position = static_cast<std::size_t>(ref.Position);
  }
  TMenuItemRec rec;
  Apply(rec, *info);
  auto& items = FindMenu(target)->Items;
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(position), std::move(rec));
  Changed(target, static_cast<int>(position));
  return true;
}

bool AppendMenuW(HMENU menu, UINT flags, std::uint64_t idOrSubMenu, const WideString& text) {
  MENUITEMINFOW info;
  info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
  info.fType = flags & (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP);
  info.fState = (flags & MF_CHECKED) | ((flags & (MF_GRAYED | MF_DISABLED)) != 0 ? MFS_GRAYED : 0);
  WideString copy = text;
  info.dwTypeData = copy.data();
  if (flags & MF_POPUP) {
    info.hSubMenu = HMENU(idOrSubMenu);
    if (!IsMenu(info.hSubMenu)) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return false;
    }
  } else {
    info.wID = static_cast<UINT>(idOrSubMenu);
  }
  return InsertMenuItemW(menu, ~0u, true, &info);
}

bool GetMenuItemInfoW(HMENU menu, UINT item, bool byPosition, MENUITEMINFOW* info) {
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  TItemRef ref = FindItem(menu, item, byPosition);
  if (ref.Item == nullptr) return false;
  const auto& it = *ref.Item;
  if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it.Type;
  bool wantsText = (info->fMask & MIIM_STRING) ||
                   ((info->fMask & MIIM_TYPE) && (it.Type & (MFT_BITMAP | MFT_SEPARATOR)) == 0);
  if (wantsText) {
    if (info->dwTypeData == nullptr || info->cch == 0) {
      info->cch = static_cast<UINT>(it.Text.size());
    } else {
      std::size_t n = std::min<std::size_t>(it.Text.size(), info->cch - 1);
      std::copy_n(it.Text.begin(), n, info->dwTypeData);
      info->dwTypeData[n] = 0;
      info->cch = static_cast<UINT>(n);
    }
  }
  if (info->fMask & MIIM_STATE) info->fState = it.State;
  if (info->fMask & MIIM_ID) info->wID = it.Id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = it.SubMenu;
  if (info->fMask & MIIM_DATA) info->dwItemData = it.Data;
  return true;
}

bool SetMenuItemInfoW(HMENU menu, UINT item, bool byPosition, const MENUITEMINFOW* info) {
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  TItemRef ref = FindItem(menu, item, byPosition);
  if (ref.Item == nullptr) return false;
  if ((info->fMask & MIIM_SUBMENU) && info->hSubMenu && !IsMenu(info->hSubMenu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return false;
  }
  Apply(*ref.Item, *info);
  Changed(ref.Menu, ref.Position);
  return true;
}

bool RemoveMenu(HMENU menu, UINT item, UINT flags) {
  TItemRef ref = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (ref.Item == nullptr) return false;
  auto& items = FindMenu(ref.Menu)->Items;
  items.erase(items.begin() + ref.Position);
  Changed(ref.Menu, ref.Position);
  return true;
}

int GetMenuStringW(HMENU menu, UINT item, char16_t* buffer, int maxCount, UINT flags) {
  TItemRef ref = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (ref.Item == nullptr) return 0;
  const WideString& text = ref.Item->Text;
  if (buffer == nullptr || maxCount <= 0) return static_cast<int>(text.size());
  std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(maxCount) - 1);
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}

bool SetMenu(HWND hwnd, HMENU menu) {
  winimpl::TWindowObject* obj = winimpl::FindOrFail(hwnd);
  if (obj == nullptr) return false;
  if (menu && !IsMenu(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return false;
  }
  obj->Menu = menu;
  return true;
}

HMENU GetMenu(HWND hwnd) {
  winimpl::TWindowObject* obj = winimpl::FindOrFail(hwnd);
  return obj != nullptr ? obj->Menu : HMENU();
}

bool DrawMenuBar(HWND hwnd) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  // Copies: what they run may set them anew.
  if (auto it = Table().BarViews.find(hwnd); it != Table().BarViews.end()) {
    const std::function<void()> redraw = it->second;
    redraw();
  }
  if (auto sink = Table().BarSink) sink(hwnd);
  return true;
}

void SetMenuChangeSink(std::function<void(HMENU, int)> sink) { Table().ChangeSink = std::move(sink); }
void SetMenuBarSink(std::function<void(HWND)> sink) { Table().BarSink = std::move(sink); }

void SetMenuBarView(HWND hwnd, std::function<void()> redraw) {
  if (redraw) Table().BarViews[hwnd] = std::move(redraw);
  else Table().BarViews.erase(hwnd);
}

}  // namespace orv
