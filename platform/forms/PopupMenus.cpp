// Popup menus: the list of them with its window, and their showing over a Qt menu built from the
// menu's system entries (so the texts are those the system menu holds).
#include <QAction>
#include <QMenu>
#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/forms/QtText.h"

namespace orv {

namespace {

TPopupPresenter& Presenter() {
  static TPopupPresenter presenter;
  return presenter;
}

// The text of an item's system entry; "&" marks the accelerator and a tab the shortcut in both.
QString EntryText(HMENU menu, int position) {
  const int length = GetMenuStringW(menu, static_cast<UINT>(position), nullptr, 0, MF_BYPOSITION);
  WideString text(static_cast<std::size_t>(length) + 1, u'\0');
  const int n = GetMenuStringW(menu, static_cast<UINT>(position), text.data(), length + 1, MF_BYPOSITION);
  text.resize(static_cast<std::size_t>(std::max(0, n)));
  return ToQString(text);
}

void FillMenu(QMenu& menu, TMenuItem* root, std::vector<std::pair<QAction*, TMenuItem*>>& map) {
  const HMENU handle = root->Handle();
  int position = 0;
  for (Integer i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (!item->Visible()) continue;
    const int entry = position++;
    if (item->IsLine()) {
      menu.addSeparator();
      continue;
    }
    if (item->Count() > 0) {
      QMenu* sub = menu.addMenu(EntryText(handle, entry));
      sub->setEnabled(item->Enabled());
      FillMenu(*sub, item, map);
      continue;
    }
    QAction* action = menu.addAction(EntryText(handle, entry));
    action->setEnabled(item->Enabled());
    action->setCheckable(item->Checked());
    action->setChecked(item->Checked());
    map.emplace_back(action, item);
  }
}

TMenuItem* QtPresent(TPopupMenu& popup, Integer x, Integer y) {
  QMenu menu;
  std::vector<std::pair<QAction*, TMenuItem*>> map;
  FillMenu(menu, popup.Items(), map);
  const int width = menu.sizeHint().width();
  if (popup.Alignment() == paRight) x -= width;
  else if (popup.Alignment() == paCenter) x -= width / 2;
  QAction* chosen = menu.exec(QPoint(x, y));
  for (auto& [action, item] : map)
    if (action == chosen) return item;
  return nullptr;
}

std::unique_ptr<TPopupList>& FirstList() {
  static std::unique_ptr<TPopupList> list;
  return list;
}

TPopupList*& CurrentList() {
  static TPopupList* list = nullptr;
  return list;
}

}  // namespace

void SetPopupPresenter(TPopupPresenter presenter) { Presenter() = std::move(presenter); }

TPopupList* PopupList() {
  if (CurrentList() == nullptr) {
    if (!FirstList()) FirstList() = std::make_unique<TPopupList>();
    CurrentList() = FirstList().get();
  }
  return CurrentList();
}

void SetPopupList(TPopupList* list) { CurrentList() = list; }

// ----- TPopupMenu -----

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) { PopupList()->Add(this); }

TPopupMenu::~TPopupMenu() {
  PopupList()->Remove(this);
  if (FirstList() && FirstList().get() != PopupList()) FirstList()->Remove(this);
}

void TPopupMenu::Popup(Integer x, Integer y) {
  OnPopup(this);
  TMenuItem* chosen = Presenter() ? Presenter()(*this, x, y) : QtPresent(*this, x, y);
  if (chosen != nullptr) chosen->Click();
}

// ----- TPopupList -----

TPopupList::TPopupList() = default;

TPopupList::~TPopupList() {
  if (FWindow) DestroyWindow(FWindow);
  if (FInstance != nullptr) FreeObjectInstance(FInstance);
  if (CurrentList() == this) CurrentList() = nullptr;
}

void TPopupList::Add(TPopupMenu* menu) {
  if (std::find(FMenus.begin(), FMenus.end(), menu) == FMenus.end()) FMenus.push_back(menu);
}

void TPopupList::Remove(TPopupMenu* menu) { FMenus.erase(std::remove(FMenus.begin(), FMenus.end(), menu), FMenus.end()); }

HWND TPopupList::Window() {
  if (!FWindow) {
    WNDCLASSA known;
    if (!GetClassInfoA(HInstance(), "TPUtilWindow", &known)) {
      WNDCLASSA wc;
      wc.lpfnWndProc = &DefWindowProcA;
      wc.hInstance = HInstance();
      wc.lpszClassName = "TPUtilWindow";
      RegisterClassA(wc);
    }
    FWindow = CreateWindowExA(0, "TPUtilWindow", "", WS_POPUP, 0, 0, 0, 0, HWND(), HMENU(), HInstance(), nullptr);
    FInstance = MakeObjectInstance([this](HWND, UINT msg, WPARAM w, LPARAM l) {
      TMessage m{msg, w, l, 0};
      try {
        WndProc(m);
      } catch (const std::exception& e) {
        HandleControlException(e);
      }
      return m.Result;
    });
    SetWindowLongPtrA(FWindow, GWL_WNDPROC, ProcToLong(FInstance));
  }
  return FWindow;
}

void TPopupList::DefaultHandler(TMessage& message) {
  message.Result = DefWindowProcA(FWindow, message.Msg, message.WParam, message.LParam);
}

void TPopupList::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND:
      for (TPopupMenu* menu : std::vector<TPopupMenu*>(FMenus))
        if (TMenuItem* item = menu->FindItem(LOWORD(message.WParam), fkCommand)) {
          item->Click();
          return;
        }
      break;
    case WM_MENUSELECT: {
      const UINT flags = HIWORD(message.WParam);
      const UINT id = LOWORD(message.WParam);
      const HMENU source = HMENU::FromParam(static_cast<std::uint64_t>(message.LParam));
      TMenuItem* found = nullptr;
      if (!(flags == 0xFFFF && !source)) {
        for (TPopupMenu* menu : FMenus) {
          found = (flags & MF_POPUP) != 0 ? menu->FindItem(GetSubMenu(source, static_cast<int>(id)).Value, fkHandle)
                                          : menu->FindItem(id, fkCommand);
          if (found != nullptr) break;
        }
      }
      if (Application != nullptr) Application->SetHint(found != nullptr ? GetLongHint(found->Hint()) : AnsiString());
      return;
    }
    default:
      break;
  }
  DefaultHandler(message);
}

}  // namespace orv
