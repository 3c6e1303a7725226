// Menu item trees, and the popup menu over QMenu.
#include "platform/forms/Menus.h"

#include <QAction>
#include <QMenu>
#include "platform/forms/QtText.h"

namespace orv {
namespace {

TPopupPresenter& Presenter() {
  static TPopupPresenter presenter;
  return presenter;
}

// "&" marks the accelerator in both; a caption's "&&" stays a literal ampersand.
void FillMenu(QMenu& menu, TMenuItem* root, std::vector<std::pair<QAction*, TMenuItem*>>& map) {
  for (Integer i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (!item->Visible()) continue;
    if (item->IsLine()) {
      menu.addSeparator();
      continue;
    }
    if (item->Count() > 0) {
      QMenu* sub = menu.addMenu(ToQString(item->Caption()));
      sub->setEnabled(item->Enabled());
      FillMenu(*sub, item, map);
      continue;
    }
    QAction* action = menu.addAction(ToQString(item->Caption()));
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
  QAction* chosen = menu.exec(QPoint(x, y));
  for (auto& [action, item] : map)
    if (action == chosen) return item;
  return nullptr;
}

}  // namespace

void SetPopupPresenter(TPopupPresenter presenter) { Presenter() = std::move(presenter); }

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  Destroying();
  while (!FItems.empty()) {
    TMenuItem* child = FItems.back();
    FItems.pop_back();
    child->FParent = nullptr;
    if (child->Owner() == nullptr) delete child;  // unowned sub-items belong to their parent item
  }
  if (FParent != nullptr) FParent->Remove(this);
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(Integer index, TMenuItem* item) {
  if (item == nullptr || item == this) return;
  if (item->FParent != nullptr) item->FParent->Remove(item);
  if (index < 0) index = 0;
  if (index > Count()) index = Count();
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
}

Integer TMenuItem::MenuIndex() const {
  if (FParent == nullptr) return -1;
  auto it = std::find(FParent->FItems.begin(), FParent->FItems.end(), this);
  return static_cast<Integer>(it - FParent->FItems.begin());
}

void TMenuItem::Click() {
  if (FEnabled) OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent != nullptr && FParent->FMenu != nullptr) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TMenu*>(parent)) menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent)) item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* /*root*/) {
  for (TMenuItem* item : FItems) proc(item);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  // Items owned by the form go with the form; the root only lets go of them.
  FItems.reset();
}

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { FItems->GetChildren(proc, root); }

void TPopupMenu::Popup(Integer x, Integer y) {
  OnPopup(this);
  TMenuItem* chosen = Presenter() ? Presenter()(*this, x, y) : QtPresent(*this, x, y);
  if (chosen != nullptr) chosen->Click();
}

}  // namespace orv
