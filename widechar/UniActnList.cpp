// Wide action texts in their helpers, the links that hand them to wide clients, and the two wide
// action classes.
#include "widechar/UniActnList.h"

#include "platform/forms/StdCtrls.h"
#include "platform/rtl/CodePages.h"
#include "widechar/UniClasses.h"
#include "widechar/UniControls.h"
#include "widechar/UniMenus.h"
#include "widechar/UniSysUtils.h"

namespace orv {

// ----- TCustomActionHelper -----

TCustomActionHelper::TCustomActionHelper(TComponent* owner, TCustomAction* action) : TComponent(owner), FAction(action) {}

WideString TCustomActionHelper::Read(TWideText& text, const AnsiString& narrow) {
  // The store is not taken from the narrow side while a change runs: it already holds the new text.
  if (text.Changing) return text.Before;
  return SyncWideFromNarrow(text.Store, narrow);
}

void TCustomActionHelper::Write(TWideText& text, const WideString& value, const std::function<AnsiString()>& getNarrow,
                                const std::function<void(const AnsiString&)>& setNarrow) {
  text.Before = Read(text, getNarrow());
  text.AnsiBeingSet = WideToAnsi(value);
  text.Changing = true;
  struct TDone {
    TWideText& Text;
    ~TDone() { Text.Changing = false; }
  } done{text};
  SetWideWithNarrowShadow(value, text.Store, getNarrow, [&](const AnsiString& narrow) {
    setNarrow(narrow);
    // Clients that followed the emptied narrow text show nothing now.
    if (narrow.empty() && !text.AnsiBeingSet.empty()) text.Before.clear();
  });
}

WideString TCustomActionHelper::Caption() { return Read(FCaption, FAction->Caption()); }

void TCustomActionHelper::SetCaption(const WideString& caption) {
  Write(FCaption, caption, [this] { return FAction->Caption(); }, [this](const AnsiString& s) { FAction->SetCaption(s); });
}

WideString TCustomActionHelper::Hint() { return Read(FHint, FAction->Hint()); }

void TCustomActionHelper::SetHint(const WideString& hint) {
  Write(FHint, hint, [this] { return FAction->Hint(); }, [this](const AnsiString& s) { FAction->SetHint(s); });
}

WideString TCustomActionHelper::CaptionForClient(const AnsiString& narrow) const {
  if (FCaption.Changing && narrow == FCaption.AnsiBeingSet) return FCaption.Store;
  return AnsiToWide(narrow);
}

WideString TCustomActionHelper::HintForClient(const AnsiString& narrow) const {
  if (FHint.Changing && narrow == FHint.AnsiBeingSet) return FHint.Store;
  return AnsiToWide(narrow);
}

// ----- the action operations -----

TCustomActionHelper* GetActionHelper(TBasicAction* action) {
  auto* custom = dynamic_cast<TCustomAction*>(action);
  if (custom == nullptr || !SupportsInterface(action, IWideTextAction::IID)) return nullptr;
  for (Integer i = 0; i < action->ComponentCount(); ++i)
    if (auto* helper = dynamic_cast<TCustomActionHelper*>(action->Components(i))) return helper;
  return new TCustomActionHelper(action, custom);  // owned by the action
}

WideString GetActionWideCaption(TBasicAction* action) {
  if (TCustomActionHelper* helper = GetActionHelper(action)) return helper->Caption();
  auto* custom = dynamic_cast<TCustomAction*>(action);
  return custom != nullptr ? AnsiToWide(custom->Caption()) : WideString();
}

void SetActionWideCaption(TBasicAction* action, const WideString& caption) {
  if (TCustomActionHelper* helper = GetActionHelper(action)) helper->SetCaption(caption);
  else if (auto* custom = dynamic_cast<TCustomAction*>(action)) custom->SetCaption(WideToAnsi(caption));
}

WideString GetActionWideHint(TBasicAction* action) {
  if (TCustomActionHelper* helper = GetActionHelper(action)) return helper->Hint();
  auto* custom = dynamic_cast<TCustomAction*>(action);
  return custom != nullptr ? AnsiToWide(custom->Hint()) : WideString();
}

void SetActionWideHint(TBasicAction* action, const WideString& hint) {
  if (TCustomActionHelper* helper = GetActionHelper(action)) helper->SetHint(hint);
  else if (auto* custom = dynamic_cast<TCustomAction*>(action)) custom->SetHint(WideToAnsi(hint));
}

WideString GetActionWideCaptionForClient(TBasicAction* action, const AnsiString& narrow) {
  if (TCustomActionHelper* helper = GetActionHelper(action)) return helper->CaptionForClient(narrow);
  return AnsiToWide(narrow);
}

WideString GetActionWideHintForClient(TBasicAction* action, const AnsiString& narrow) {
  if (TCustomActionHelper* helper = GetActionHelper(action)) return helper->HintForClient(narrow);
  return AnsiToWide(narrow);
}

// The texts go over wide, as they are: through their ANSI forms every character outside the code
// page would come out as "?" in the target ("Senden \u263A" as "Senden ?").
void CopyWideActionTexts(TBasicAction* action, TPersistent* source) {
  if (auto* from = dynamic_cast<TBasicAction*>(source)) {
    SetActionWideCaption(action, GetActionWideCaption(from));
    SetActionWideHint(action, GetActionWideHint(from));
  } else if (auto* control = dynamic_cast<TControl*>(source)) {
    SetActionWideCaption(action, GetWideText(control));
    SetActionWideHint(action, GetWideHint(control));
  }
}

void ApplyWideActionTexts(TControl* control, TBasicAction* action, bool checkDefaults) {
  if (!SupportsInterface(action, IWideTextAction::IID)) return;
  const WideString text = GetWideText(control);
  if (!checkDefaults || text.empty() || text == AnsiToWide(control->Name())) SetWideText(control, GetActionWideCaption(action));
  if (!checkDefaults || GetWideHint(control).empty()) SetWideHint(control, GetActionWideHint(action));
}

TControlActionLinkClass WideActionLinkClassFor(const TControl* control) {
  if (dynamic_cast<const TToolButton*>(control) != nullptr) return &TUniToolButtonActionLink::Create;
  if (dynamic_cast<const TButtonControl*>(control) != nullptr) return &TUniButtonActionLink::Create;
  if (dynamic_cast<const TWinControl*>(control) != nullptr) return &TUniWinControlActionLink::Create;
  return &TUniControlActionLink::Create;
}

// ----- links -----

namespace {

// The wide half of the linked tests, shared by the control links.
bool WideCaptionLinked(TActionLink& link, TControl* client) {
  return GetActionWideCaption(link.Action()) == GetWideText(client);
}
bool WideHintLinked(TActionLink& link, TControl* client) {
  return GetActionWideHint(link.Action()) == GetWideHint(client);
}

}  // namespace

#define ORV_UNI_CONTROL_LINK(Link, Base)                                                                  \
  bool Link::IsCaptionLinked() { return Base::IsCaptionLinked() && WideCaptionLinked(*this, FClient); } \
  bool Link::IsHintLinked() { return Base::IsHintLinked() && WideHintLinked(*this, FClient); }          \
  void Link::SetCaption(const AnsiString& value) {                                                      \
    if (IsCaptionLinked()) SetWideText(FClient, GetActionWideCaptionForClient(Action(), value));        \
  }                                                                                                     \
  void Link::SetHint(const AnsiString& value) {                                                         \
    if (IsHintLinked()) SetWideHint(FClient, GetActionWideHintForClient(Action(), value));              \
  }                                                                                                     \
  std::unique_ptr<TControlActionLink> Link::Create(TControl* client) { return std::make_unique<Link>(client); }

ORV_UNI_CONTROL_LINK(TUniControlActionLink, TControlActionLink)
ORV_UNI_CONTROL_LINK(TUniWinControlActionLink, TWinControlActionLink)
ORV_UNI_CONTROL_LINK(TUniButtonActionLink, TButtonActionLink)
ORV_UNI_CONTROL_LINK(TUniToolButtonActionLink, TToolButtonActionLink)
#undef ORV_UNI_CONTROL_LINK

bool TUniMenuActionLink::IsCaptionLinked() {
  auto* item = dynamic_cast<TUniMenuItem*>(FClient);
  return TMenuActionLink::IsCaptionLinked() && item != nullptr &&
         WideSameCaption(item->WideCaption(), GetActionWideCaption(Action()));
}

bool TUniMenuActionLink::IsHintLinked() {
  auto* item = dynamic_cast<TUniMenuItem*>(FClient);
  return TMenuActionLink::IsHintLinked() && item != nullptr && GetActionWideHint(Action()) == item->WideHint();
}

void TUniMenuActionLink::SetCaption(const AnsiString& value) {
  if (!IsCaptionLinked()) return;
  if (auto* item = dynamic_cast<TUniMenuItem*>(FClient)) item->SetWideCaption(GetActionWideCaptionForClient(Action(), value));
}

void TUniMenuActionLink::SetHint(const AnsiString& value) {
  if (!IsHintLinked()) return;
  if (auto* item = dynamic_cast<TUniMenuItem*>(FClient)) item->SetWideHint(GetActionWideHintForClient(Action(), value));
}

std::unique_ptr<TMenuActionLink> TUniMenuActionLink::Create(TMenuItem* client) {
  return std::make_unique<TUniMenuActionLink>(client);
}

// ----- the wide action classes -----

bool TUniAction::QueryInterface(const TGUID& iid, void** obj) {
  if (iid == IWideTextAction::IID) {
    *obj = static_cast<IWideTextAction*>(this);
    return true;
  }
  return TAction::QueryInterface(iid, obj);
}

void TUniAction::DefineProperties(TFiler& filer) {
  TAction::DefineProperties(filer);
  DefineWideProperties(filer, this);
}

void TUniAction::Assign(TPersistent* source) {
  TAction::Assign(source);
  CopyWideActionTexts(this, source);
}

bool TUniHintAction::QueryInterface(const TGUID& iid, void** obj) {
  if (iid == IWideTextAction::IID) {
    *obj = static_cast<IWideTextAction*>(this);
    return true;
  }
  return THintAction::QueryInterface(iid, obj);
}

void TUniHintAction::DefineProperties(TFiler& filer) {
  THintAction::DefineProperties(filer);
  DefineWideProperties(filer, this);
}

void TUniHintAction::Assign(TPersistent* source) {
  THintAction::Assign(source);
  CopyWideActionTexts(this, source);
}

void RegisterUniActionClasses() {
  RegisterClassType<TCustomActionHelper, TComponent>("TCustomActionHelper");
  RegisterClassType<TUniAction, TAction>("TUniAction")
      .Prop("Caption", &TUniAction::WideCaption, &TUniAction::SetWideCaption)
      .Prop("Hint", &TUniAction::WideHint, &TUniAction::SetWideHint);
  RegisterClassType<TUniHintAction, THintAction>("TUniHintAction")
      .Prop("Hint", &TUniHintAction::WideHint, &TUniHintAction::SetWideHint);
}

}  // namespace orv
