// Menu item trees and the system menus behind them, with the action links of items.
#include "platform/forms/Menus.h"

#include <algorithm>
#include "platform/forms/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Immortal.h"
#include "platform/win/Keyboard.h"
#include "platform/win/Version.h"

namespace orv {

namespace {

// Command numbers travel in the low word of WM_COMMAND and stay below the window-menu entries of
// MDI children. A number goes back to the pool when its item goes and is handed out again only
// after the others, so a command still on its way finds no new item.
class TCommandPool {
 public:
  UINT Take() {
    for (std::size_t tried = 1; tried < FUsed.size(); ++tried) {
      const UINT command = FNext;
      FNext = FNext + 1 < FUsed.size() ? FNext + 1 : 1;
      if (!FUsed[command]) {
        FUsed[command] = true;
        return command;
      }
    }
    return 0;  // every number is taken: the item cannot be chosen
  }
  void Give(UINT command) {
    if (command != 0 && command < FUsed.size()) FUsed[command] = false;
  }

 private:
  std::vector<bool> FUsed = std::vector<bool>(MDIFirstChildId, false);
  UINT FNext = 1;
};

TCommandPool& Commands() {
  static winimpl::TImmortal<TCommandPool> pool;
  return pool.Get();
}

struct TKeyCap {
  Word Key;
  const char* Name;
};

// The names the class library gives keys in shortcut texts; others are the keyboard's own names.
constexpr TKeyCap KeyCaps[] = {
    {VK_BACK, "R\xFC" "ck"}, {VK_TAB, "Tab"}, {VK_ESCAPE, "Esc"}, {VK_RETURN, "Eingabe"},
    {VK_SPACE, "Leer"}, {VK_PRIOR, "Bild auf"}, {VK_NEXT, "Bild ab"}, {VK_END, "Ende"},
    {VK_HOME, "Pos1"}, {VK_LEFT, "Links"}, {VK_UP, "Nach oben"}, {VK_RIGHT, "Rechts"},
    {VK_DOWN, "Nach unten"}, {VK_INSERT, "Einfg"}, {VK_DELETE, "Entf"},
};

AnsiString KeyText(Word key) {
  for (const TKeyCap& cap : KeyCaps)
    if (cap.Key == key) return cap.Name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return AnsiString(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  if (scan == 0) return {};
  return WideToAnsi(KeyNameText(static_cast<LONG>(scan << 16)));
}

}  // namespace

AnsiString ShortCutToText(Word shortCut) {
  const AnsiString key = KeyText(static_cast<Word>(shortCut & 0xFF));
  if (key.empty()) return {};
  AnsiString text;
  if (shortCut & scShift) text += "Umsch+";
  if (shortCut & scCtrl) text += "Strg+";
  if (shortCut & scAlt) text += "Alt+";
  return text + key;
}

Word ShortCut(Word key, TShiftState shift) {
  if ((key & 0xFF00) != 0) return 0;
  Word result = key;
  if (shift.Contains(ssShift)) result |= scShift;
  if (shift.Contains(ssCtrl)) result |= scCtrl;
  if (shift.Contains(ssAlt)) result |= scAlt;
  return result;
}

AnsiString StripHotkey(const AnsiString& text) {
  AnsiString out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size()) out += text[++i];
      continue;
    }
    out += text[i];
  }
  return out;
}

bool AnsiSameCaption(const AnsiString& a, const AnsiString& b) { return AnsiCompareText(StripHotkey(a), StripHotkey(b)) == 0; }

// ----- TMenuItem -----

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), FCommand(Commands().Take()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  FActionLink.reset();
  while (!FItems.empty()) {
    TMenuItem* child = FItems.back();
    FItems.pop_back();
    child->FParent = nullptr;
    if (child->Owner() == nullptr) delete child;  // unowned sub-items belong to their parent item
  }
  if (FParent != nullptr) FParent->Remove(this);
  if (FHandle && IsMenu(FHandle)) DestroyMenu(FHandle);
  Commands().Give(FCommand);
}

void TMenuItem::SetCaption(const AnsiString& caption) {
  if (FCaption == caption) return;
  FCaption = caption;
  MenuChanged(true);
}

void TMenuItem::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  MenuChanged(false);
}

void TMenuItem::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  if (FParent != nullptr && FParent->HandleAllocated()) FParent->RebuildHandle();
  MenuChanged(true);
}

void TMenuItem::SetChecked(bool value) {
  if (FChecked == value) return;
  FChecked = value;
  MenuChanged(false);
}

void TMenuItem::SetShortCut(Word value) {
  if (FShortCut == value) return;
  FShortCut = value;
  MenuChanged(true);
}

void TMenuItem::SetDefault(bool value) {
  if (FDefault == value) return;
  FDefault = value;
  MenuChanged(false);
}

void TMenuItem::SetImageIndex(Integer index) {
  if (FImageIndex == index) return;
  FImageIndex = index;
  MenuChanged(false);
}

TBitmap* TMenuItem::Bitmap() {
  if (!FBitmap) FBitmap = std::make_unique<TBitmap>();
  return FBitmap.get();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(Integer index, TMenuItem* item) {
  if (item == nullptr || item == this) return;
  if (item->FParent != nullptr) item->FParent->Remove(item);
  if (index < 0) index = 0;
  if (index > Count()) index = Count();
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  // Rebuilding lets every child, the new one too, write its entry.
  if (HandleAllocated()) RebuildHandle();
  // A first sub-item turns the item's own entry into a sub-menu entry.
  if (FParent != nullptr && FItems.size() == 1) MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
  if (ComponentState().Contains(csDestroying)) return;
  if (HandleAllocated()) RebuildHandle();
  if (FParent != nullptr && FItems.empty()) MenuChanged(true);
}

Integer TMenuItem::MenuIndex() const {
  if (FParent == nullptr) return -1;
  auto it = std::find(FParent->FItems.begin(), FParent->FItems.end(), this);
  return static_cast<Integer>(it - FParent->FItems.begin());
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent != nullptr) item = item->FParent;
  return item->FMenu;
}

bool TMenuItem::IsMenuBarEntry() const {
  return FParent != nullptr && FParent->FMenu != nullptr && dynamic_cast<TMainMenu*>(FParent->FMenu) != nullptr;
}

bool TMenuItem::HandleAllocated() const { return FHandle && IsMenu(FHandle); }

HMENU TMenuItem::Handle() {
  if (!HandleAllocated()) {
    FHandle = FMenu != nullptr && dynamic_cast<TMainMenu*>(FMenu) != nullptr ? CreateMenu() : CreatePopupMenu();
    FillHandle();
  }
  return FHandle;
}

WideString TMenuItem::SystemText() const {
  WideString text = AnsiToWide(FCaption);
  if (FShortCut != 0 && FItems.empty() && !IsMenuBarEntry()) text += u"\t" + AnsiToWide(ShortCutToText(FShortCut));
  return text;
}

MENUITEMINFOW TMenuItem::EntryInfo(WideString& text) {
  TMenu* menu = GetParentMenu();
  MENUITEMINFOW info;
  info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  if (IsLine()) {
    info.fType = MFT_SEPARATOR;
  } else {
    info.fType = menu != nullptr && (menu->OwnerDraw() || menu->Images() != nullptr) ? MFT_OWNERDRAW : MFT_STRING;
    if (menu != nullptr && menu->IsRightToLeft()) info.fType |= MFT_RIGHTORDER;
  }
  info.fState = (FEnabled ? MFS_ENABLED : MFS_GRAYED) | (FChecked ? MFS_CHECKED : 0) | (FDefault ? MFS_DEFAULT : 0);
  info.wID = FCommand;
  info.hSubMenu = FItems.empty() ? HMENU() : Handle();
  info.dwItemData = reinterpret_cast<std::uintptr_t>(this);
  text = SystemText();
  info.dwTypeData = text.data();
  return info;
}

Integer TMenuItem::VisiblePosition() const {
  if (FParent == nullptr || !FVisible) return -1;
  Integer position = 0;
  for (TMenuItem* sibling : FParent->FItems) {
    if (sibling == this) return position;
    if (sibling->FVisible) ++position;
  }
  return -1;
}

void TMenuItem::FillHandle() {
  for (TMenuItem* child : FItems) {
    if (!child->FVisible) continue;
    WideString text;
    MENUITEMINFOW info = child->EntryInfo(text);
    InsertMenuItemW(FHandle, ~0u, true, &info);
  }
  // Each child writes its entry as its own class has it.
  for (TMenuItem* child : std::vector<TMenuItem*>(FItems))
    if (child->FVisible) child->MenuChanged(false);
}

void TMenuItem::RebuildHandle() {
  if (!HandleAllocated()) return;
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  FillHandle();
  // The window of the menu hears of it: the entries others put into this menu (an MDI parent's
  // list of children) were lost with the rest.
  TMenu* menu = GetParentMenu();
  if (menu != nullptr && menu->WindowHandle() && IsWindow(menu->WindowHandle()))
    SendMessageA(menu->WindowHandle(), CM_MENUCHANGED, 0, FHandle.AsLParam());
}

void TMenuItem::WriteSystemEntry() {
  if (FParent == nullptr || !FParent->HandleAllocated()) return;
  const Integer position = VisiblePosition();
  if (position < 0) return;
  WideString text;
  MENUITEMINFOW info = EntryInfo(text);
  SetMenuItemInfoW(FParent->FHandle, static_cast<UINT>(position), true, &info);
}

void TMenuItem::MenuChanged(bool rebuild) {
  WriteSystemEntry();
  if (rebuild) RebuildHandle();
  TMenu* menu = GetParentMenu();
  if (menu != nullptr && menu->WindowHandle() && menu->Items()->HandleAllocated()) DrawMenuBar(menu->WindowHandle());
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  if (FAction != nullptr) ActionChange(FAction, true);
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (!OnClick && FActionLink != nullptr && FActionLink->Action() != nullptr) {
    FActionLink->Execute(this);
    return;
  }
  OnClick(this);
}

void TMenuItem::SetAction(TBasicAction* action) {
  if (LinkClientAction(this, FAction, FActionLink, action,
                       [this] { return GetActionLinkClass()(this); }))
    ActionChange(FAction, ComponentState().Contains(csLoading));
}


void TMenuItem::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (action == nullptr) return;
  if (!checkDefaults || FCaption.empty()) SetCaption(action->Caption());
  if (!checkDefaults || !FChecked) SetChecked(action->Checked());
  if (!checkDefaults || FEnabled) SetEnabled(action->Enabled());
  if (!checkDefaults || FHint.empty()) SetHint(action->Hint());
  if (!checkDefaults || FShortCut == 0) SetShortCut(action->ShortCut());
  if (!checkDefaults || FVisible) SetVisible(action->Visible());
}

TMenuActionLinkClass TMenuItem::GetActionLinkClass() const { return &TMenuActionLink::Create; }

bool TMenuItem::IsCaptionStored() const { return FActionLink == nullptr || !FActionLink->IsCaptionLinked(); }
bool TMenuItem::IsHintStored() const { return FActionLink == nullptr || !FActionLink->IsHintLinked(); }

void TMenuItem::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FAction) {
    FAction = nullptr;
    FActionLink.reset();
  }
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

// ----- TMenuActionLink -----

bool TMenuActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && AnsiSameCaption(FClient->Caption(), CustomAction()->Caption());
}
bool TMenuActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && FClient->Checked() == CustomAction()->Checked();
}
bool TMenuActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TMenuActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
bool TMenuActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && FClient->ShortCut() == CustomAction()->ShortCut();
}
bool TMenuActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
void TMenuActionLink::SetCaption(const AnsiString& value) {
  if (IsCaptionLinked()) FClient->SetCaption(value);
}
void TMenuActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) FClient->SetChecked(value);
}
void TMenuActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) FClient->SetEnabled(value);
}
void TMenuActionLink::SetHint(const AnsiString& value) {
  if (IsHintLinked()) FClient->SetHint(value);
}
void TMenuActionLink::SetShortCut(Word value) {
  if (IsShortCutLinked()) FClient->SetShortCut(value);
}
void TMenuActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) FClient->SetVisible(value);
}
std::unique_ptr<TMenuActionLink> TMenuActionLink::Create(TMenuItem* client) {
  return std::make_unique<TMenuActionLink>(client);
}

// ----- TMenu -----

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  // Items owned by the form go with the form; the root only lets go of them.
  FItems.reset();
}

namespace {

TMenuItem* Find(TMenuItem* item, std::uint64_t value, TFindItemKind kind) {
  for (Integer i = 0; i < item->Count(); ++i) {
    TMenuItem* child = item->Items(i);
    switch (kind) {
      case fkCommand:
        if (child->Command() == value) return child;
        break;
      case fkHandle:
        if (child->HandleAllocated() && child->Handle().Value == value) return child;
        break;
      case fkShortCut:
        if (child->ShortCut() != 0 && child->ShortCut() == value) return child;
        break;
    }
    if (TMenuItem* found = Find(child, value, kind)) return found;
  }
  return nullptr;
}

}  // namespace

TMenuItem* TMenu::FindItem(std::uint64_t value, TFindItemKind kind) const { return Find(FItems.get(), value, kind); }

void TMenu::SetOwnerDraw(bool value) {
  if (FOwnerDraw == value) return;
  FOwnerDraw = value;
  FItems->RebuildHandle();
}

void TMenu::SetImages(TCustomImageList* images) {
  if (FImages == images) return;
  if (FImages != nullptr) FImages->RemoveFreeNotification(this);
  FImages = images;
  if (FImages != nullptr) FImages->FreeNotification(this);
  FItems->RebuildHandle();
}

void TMenu::SetBiDiMode(TBiDiMode mode) {
  if (FBiDiMode == mode) return;
  FBiDiMode = mode;
  FItems->RebuildHandle();
}

bool TMenu::IsRightToLeft() const { return OSVersion().MiddleEast && FBiDiMode != bdLeftToRight; }

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FImages) FImages = nullptr;
}

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { FItems->GetChildren(proc, root); }

}  // namespace orv
