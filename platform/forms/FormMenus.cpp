// A form's main menu on the screen: the menu bar over the window's system menu, the commands and
// selections it sends the form, and the form's handling of them.
#include <QMenu>
#include <QMenuBar>
#include <vector>
#include "platform/forms/Forms.h"
#include "platform/forms/MenuBarView.h"
#include "platform/forms/Menus.h"
#include "platform/forms/QtText.h"
#include "platform/win/MdiWindows.h"

namespace orv {

namespace {

// One entry of a system menu as the bar shows it.
struct TMenuEntry {
  UINT Type = 0;
  UINT State = 0;
  UINT Id = 0;
  HMENU SubMenu;
  QString Text;
  bool Separator() const { return (Type & MFT_SEPARATOR) != 0; }
};

TMenuEntry ReadEntry(HMENU menu, int position) {
  TMenuEntry entry;
  MENUITEMINFOW info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), true, &info)) return entry;
  WideString text(static_cast<std::size_t>(info.cch) + 1, u'\0');
  info.dwTypeData = text.data();
  info.cch = static_cast<UINT>(text.size());
  GetMenuItemInfoW(menu, static_cast<UINT>(position), true, &info);
  text.resize(info.cch);
  entry.Type = info.fType;
  entry.State = info.fState;
  entry.Id = info.wID;
  entry.SubMenu = info.hSubMenu;
  entry.Text = ToQString(text);
  return entry;
}

std::vector<TMenuEntry> ReadEntries(HMENU menu) {
  std::vector<TMenuEntry> entries;
  const int count = IsMenu(menu) ? GetMenuItemCount(menu) : 0;
  for (int i = 0; i < count; ++i) entries.push_back(ReadEntry(menu, i));
  return entries;
}

// The text, the grey state and the check mark; "&" marks the accelerator and a tab the shortcut
// in the system menu and in Qt alike.
void ShowEntry(QAction* action, const TMenuEntry& entry) {
  action->setText(entry.Text);
  action->setEnabled((entry.State & MFS_GRAYED) == 0);
  const bool checked = (entry.State & MFS_CHECKED) != 0;
  action->setCheckable(checked);
  action->setChecked(checked);
}

HWND FormWindow(TCustomForm* form) { return form->HandleAllocated() ? form->Handle() : HWND(); }

// The entry under the mouse, as the form hears of it: a command by its id, a sub-menu entry by its
// position in the menu that holds it.
void SendSelect(TCustomForm* form, UINT item, UINT flags, HMENU menu) {
  if (const HWND window = FormWindow(form))
    SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(static_cast<WORD>(item), static_cast<WORD>(flags)), menu.AsLParam());
}

UINT SelectFlags(const TMenuEntry& entry) {
  return MF_HILITE | (entry.State & (MFS_GRAYED | MFS_CHECKED)) | (entry.SubMenu ? MF_POPUP : 0);
}

// Menu commands reach the window after the menu has closed, as posted WM_COMMAND.
void PostCommand(TCustomForm* form, UINT id) {
  if (const HWND window = FormWindow(form)) PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
}

// A sub-menu of the bar: its entries are read from its system menu whenever it opens. A sub-menu
// of the bar itself tells the form when it closes.
class TSystemMenuPopup : public QMenu {
 public:
  TSystemMenuPopup(TCustomForm* form, HMENU handle, bool onBar, QWidget* parent)
      : QMenu(parent), FForm(form), FHandle(handle) {
    connect(this, &QMenu::aboutToShow, this, [this, onBar] {
      Fill();
      if (onBar) SelectOwnEntry();
    });
    if (onBar) connect(this, &QMenu::aboutToHide, this, [this] { SendSelect(FForm, 0, MF_MENUCLOSED, HMENU()); });
  }
  HMENU Handle() const { return FHandle; }
  // The entry that opens this sub-menu: its menu and position there.
  void SetOwnEntry(HMENU menu, int position, UINT flags) {
    FOwner = menu;
    FPosition = position;
    FFlags = flags;
  }
  void SelectOwnEntry() { SendSelect(FForm, static_cast<UINT>(FPosition), FFlags, FOwner); }

 private:
  void Fill() {
    // The sub-menus made for the last showing go with their entries.
    for (QMenu* old : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) old->deleteLater();
    clear();
    const std::vector<TMenuEntry> entries = ReadEntries(FHandle);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const TMenuEntry& entry = entries[i];
      if (entry.Separator()) {
        addSeparator();
      } else if (entry.SubMenu) {
        auto* sub = new TSystemMenuPopup(FForm, entry.SubMenu, false, this);
        sub->SetOwnEntry(FHandle, static_cast<int>(i), SelectFlags(entry));
        QAction* opener = addMenu(sub);
        ShowEntry(opener, entry);
        connect(opener, &QAction::hovered, sub, [sub] { sub->SelectOwnEntry(); });
      } else {
        QAction* action = addAction(entry.Text);
        ShowEntry(action, entry);
        TCustomForm* form = FForm;
        const UINT id = entry.Id;
        const UINT flags = SelectFlags(entry);
        const HMENU menu = FHandle;
        connect(action, &QAction::triggered, this, [form, id] { PostCommand(form, id); });
        connect(action, &QAction::hovered, this, [form, id, flags, menu] { SendSelect(form, id, flags, menu); });
      }
    }
  }

  TCustomForm* FForm;
  HMENU FHandle;
  HMENU FOwner;
  int FPosition = 0;
  UINT FFlags = 0;
};

// An entry of the bar fits a system entry when it is of the same kind: a separator, the sub-menu
// of the same handle, or a command of the same id.
bool Fits(QAction* action, const TMenuEntry& entry) {
  if (action->isSeparator() != entry.Separator()) return false;
  auto* popup = dynamic_cast<TSystemMenuPopup*>(action->menu());
  if (entry.SubMenu) return popup != nullptr && popup->Handle() == entry.SubMenu;
  return popup == nullptr && action->menu() == nullptr && action->data().toUInt() == entry.Id;
}

void Dispose(QAction* action) {
  if (QMenu* popup = action->menu()) popup->deleteLater();  // its opening action goes with it
  else action->deleteLater();
}

}  // namespace

// ----- TMenuBarView -----

TMenuBarView::TMenuBarView(TCustomForm* form) : FForm(form), FBar(new QMenuBar(form->Widget())) {
  FBar->setObjectName("MenuBar");
  FBar->setNativeMenuBar(false);
}

TMenuBarView::~TMenuBarView() { delete FBar.data(); }

bool TMenuBarView::ShownIn(const QWidget* widget) const { return FBar && FBar->parentWidget() == widget; }

void TMenuBarView::Sync() {
  QMenuBar* bar = FBar.data();
  if (bar == nullptr || !FForm->HandleAllocated()) return;
  const HMENU menu = GetMenu(FForm->Handle());
  const std::vector<TMenuEntry> entries = ReadEntries(menu);
  // Entries of the same kind are shown anew in place, so a menu open or an action being
  // triggered at this moment stays; others are made, and the ones left over go.
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TMenuEntry& entry = entries[i];
    const QList<QAction*> shown = bar->actions();
    QAction* have = static_cast<qsizetype>(i) < shown.size() ? shown[static_cast<qsizetype>(i)] : nullptr;
    QAction* action = have;
    if (have == nullptr || !Fits(have, entry)) {
      if (entry.Separator()) {
        action = new QAction(bar);
        action->setSeparator(true);
      } else if (entry.SubMenu) {
        action = (new TSystemMenuPopup(FForm, entry.SubMenu, true, bar))->menuAction();
      } else {
        action = new QAction(bar);
        action->setData(entry.Id);
        TCustomForm* form = FForm;
        const UINT id = entry.Id;
        QObject::connect(action, &QAction::triggered, bar, [form, id] { PostCommand(form, id); });
      }
      bar->insertAction(have, action);
      if (have != nullptr) {
        bar->removeAction(have);
        Dispose(have);
      }
    }
    if (auto* popup = dynamic_cast<TSystemMenuPopup*>(action->menu()))
      popup->SetOwnEntry(menu, static_cast<int>(i), SelectFlags(entry));
    if (!entry.Separator()) ShowEntry(action, entry);
  }
  const QList<QAction*> shown = bar->actions();
  for (qsizetype i = static_cast<qsizetype>(entries.size()); i < shown.size(); ++i) {
    bar->removeAction(shown[i]);
    Dispose(shown[i]);
  }
}

Integer TMenuBarView::Place(Integer width) {
  QMenuBar* bar = FBar.data();
  if (bar == nullptr) return 0;
  int height = bar->heightForWidth(width);
  if (height <= 0) height = bar->sizeHint().height();
  bar->setGeometry(0, 0, width, height);
  bar->raise();
  bar->show();
  return height;
}

// ----- TCustomForm -----

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (FMenu == menu) return;
  if (FMenu != nullptr) {
    FMenu->RemoveFreeNotification(this);
    FMenu->SetWindowHandle(HWND());
  }
  FMenu = menu;
  if (FMenu != nullptr) FMenu->FreeNotification(this);
  ApplyMenu();
}

void TCustomForm::ApplyMenu() {
  if (!HandleAllocated()) return;
  if (FMenu != nullptr) {
    FMenu->SetWindowHandle(FHandle);
    ::orv::SetMenu(FHandle, FMenu->Handle());
  } else {
    ::orv::SetMenu(FHandle, HMENU());
  }
  // An MDI child's menu has no bar of its own.
  const bool shown = FMenu != nullptr && FFormStyle != fsMDIChild && Host() != nullptr;
  if (!shown) FMenuBar.reset();
  else if (!FMenuBar || !FMenuBar->ShownIn(Host()->Widget())) FMenuBar = std::make_unique<TMenuBarView>(this);
  // DrawMenuBar of the window reads the bar again.
  if (shown) SetMenuBarView(FHandle, [this] { RefreshMenuBar(); });
  else SetMenuBarView(FHandle, nullptr);
  RefreshMenuBar();
}

void TCustomForm::RefreshMenuBar() {
  if (ComponentState().Contains(csDestroying)) return;
  if (FMenuBar) FMenuBar->Sync();
  PlaceMenuBar();
}

Integer TCustomForm::MenuBarHeight() const { return FMenuBar && FMenuBar->Bar() != nullptr ? FMenuBarHeight : 0; }

TPoint TCustomForm::WidgetClientOffset() const { return Point(0, MenuBarHeight()); }

void TCustomForm::SetClientHeight(Integer value) { SetHeight(value + MenuBarHeight()); }

void TCustomForm::PlaceMenuBar() {
  const Integer height = FMenuBar && Host() != nullptr ? FMenuBar->Place(FWidth) : 0;
  if (height == FMenuBarHeight) return;
  FMenuBarHeight = height;
  // The client area begins elsewhere now: the children move with it.
  for (TControl* c : FControls)
    if (auto* wc = dynamic_cast<TWinControl*>(c)) wc->UpdateWidgetGeometry();
  AlignControls();
  PlaceMDIClient();
  Invalidate();
}

void TCustomForm::WMCommand(TMessage& message) {
  // A menu's command (no control in LParam) clicks the main menu's item; the rest, a window-menu
  // entry of an MDI parent among them, goes the default way.
  if (FMenu != nullptr && message.LParam == 0 && HIWORD(message.WParam) == 0)
    if (TMenuItem* item = FMenu->FindItem(LOWORD(message.WParam), fkCommand)) {
      item->Click();
      return;
    }
  TWinControl::MessageHandler(message);
}

void TCustomForm::WMMenuSelect(TMessage& message) {
  if (FMenu == nullptr) return;
  const UINT flags = HIWORD(message.WParam);
  const UINT id = LOWORD(message.WParam);
  TMenuItem* item = nullptr;
  if (flags != MF_MENUCLOSED || id != 0) {
    const HMENU source = HMENU::FromParam(static_cast<std::uint64_t>(message.LParam));
    item = (flags & MF_POPUP) != 0 ? FMenu->FindItem(GetSubMenu(source, static_cast<int>(id)).Value, fkHandle)
                                   : FMenu->FindItem(id, fkCommand);
  }
  if (Application != nullptr) Application->SetHint(item != nullptr ? GetLongHint(item->Hint()) : AnsiString());
}

}  // namespace orv
