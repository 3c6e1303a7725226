// TUniMenuItem: the wide caption and hint with their narrow shadows, the life steps that write the
// wide text into the system menu, and the action that gives wide texts.
#include "platform/rtl/CodePages.h"
#include "widechar/UniActnList.h"
#include "widechar/UniClasses.h"
#include "widechar/UniMenus.h"
#include "widechar/UniSysUtils.h"

namespace orv {

TUniMenuItem::TUniMenuItem(TComponent* owner) : TMenuItem(owner) { InstallOwnMeasureHandler(); }

bool TUniMenuItem::HasOwnMeasureHandler() const {
  const TUniMeasureHandler* own = OnMeasureItem.Target<TUniMeasureHandler>();
  return own != nullptr && own->Item == this;
}

void TUniMenuItem::InstallOwnMeasureHandler() { OnMeasureItem = TUniMeasureHandler{this}; }

WideString TUniMenuItem::WideCaption() {
  const AnsiString narrow = Caption();
  if (WideToAnsi(FCaptionStore) != narrow &&
      WideStripHotkey(AnsiToWide(WideToAnsi(FCaptionStore))) == WideStripHotkey(AnsiToWide(narrow)))
    FCaptionStore = SyncHotKeyPosition(AnsiToWide(narrow), FCaptionStore);
  return SyncWideFromNarrow(FCaptionStore, narrow);
}

void TUniMenuItem::SetWideCaption(const WideString& caption) {
  WideCaption();
  SetWideWithNarrowShadow(caption, FCaptionStore, [this] { return Caption(); },
                          [this](const AnsiString& narrow) { TMenuItem::SetCaption(narrow); });
}

WideString TUniMenuItem::WideHint() { return SyncWideFromNarrow(FHintStore, Hint()); }

void TUniMenuItem::SetWideHint(const WideString& hint) {
  SetWideWithNarrowShadow(hint, FHintStore, [this] { return Hint(); },
                          [this](const AnsiString& narrow) { TMenuItem::SetHint(narrow); });
}

void TUniMenuItem::DefineProperties(TFiler& filer) {
  TMenuItem::DefineProperties(filer);
  DefineWideProperties(filer, this);
}

void TUniMenuItem::Loaded() {
  TMenuItem::Loaded();
  UpdateWideMenuItemText(this, GetParentMenu());
}

void TUniMenuItem::MenuChanged(bool rebuild) {
  if (FIgnoreMenuChanged) return;
  TMenuItem::MenuChanged(rebuild);
  UpdateWideMenuTexts(this, GetParentMenu());
  RefreshMenuForBiDi(GetParentMenu());
}

void TUniMenuItem::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TBasicAction*>(sender);
  if (action != nullptr && SupportsInterface(action, IWideTextAction::IID)) {
    if (!checkDefaults || WideCaption().empty()) SetWideCaption(GetActionWideCaption(action));
    if (!checkDefaults || WideHint().empty()) SetWideHint(GetActionWideHint(action));
  }
  TMenuItem::ActionChange(sender, checkDefaults);
}

TMenuActionLinkClass TUniMenuItem::GetActionLinkClass() const { return &TUniMenuActionLink::Create; }

void RegisterUniMenuClasses() {
  RegisterClassType<TUniMenuItem, TMenuItem>("TUniMenuItem")
      .Prop("Caption", &TUniMenuItem::WideCaption, &TUniMenuItem::SetWideCaption).Stored(&TUniMenuItem::IsCaptionStored)
      .Prop("Hint", &TUniMenuItem::WideHint, &TUniMenuItem::SetWideHint).Stored(&TUniMenuItem::IsHintStored)
      .Prop("OnMeasureItem", &TUniMenuItem::UserMeasureItem, &TUniMenuItem::UserMeasureItem);
}

}  // namespace orv
