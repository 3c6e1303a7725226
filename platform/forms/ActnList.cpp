// Actions, their client links, and the change protocol between them.
#include "platform/forms/ActnList.h"

#include <algorithm>
#include "platform/forms/Forms.h"
#include "platform/graphics/ImgList.h"

namespace orv {

// ----- TBasicAction -----

TBasicAction::~TBasicAction() {
  // The clients stay; they only lose the action (their owners also hear of it by notification).
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients)) link->FAction = nullptr;
  FClients.clear();
}

bool TBasicAction::Execute() {
  // The application window's hooks may take the action over.
  if (Application != nullptr && Application->ExecuteAction(this)) return true;
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

// ----- TBasicActionLink -----

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* action) {
  if (FAction == action) return;
  if (FAction != nullptr) {
    auto& clients = FAction->FClients;
    clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
  }
  FAction = action;
  if (FAction != nullptr) FAction->FClients.push_back(this);
}

bool TBasicActionLink::Execute(TComponent* target) {
  if (FAction == nullptr) return false;
  FAction->SetActionComponent(target);
  struct TReset {
    TBasicAction* Action;
    ~TReset() { Action->SetActionComponent(nullptr); }
  } reset{FAction};
  return FAction->Execute();
}

bool TBasicActionLink::Update() { return FAction != nullptr && FAction->Update(); }

// ----- TActionLink -----

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }

bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }

// ----- TCustomAction -----

template <class TValue, class TSetter>
void TCustomAction::ChangeProperty(TValue& field, const TValue& value, TSetter tellLink) {
  if (field == value) return;
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(Clients()))
    if (auto* actionLink = dynamic_cast<TActionLink*>(link)) tellLink(*actionLink, value);
  field = value;
  Change();
}

void TCustomAction::SetCaption(const AnsiString& caption) {
  ChangeProperty(FCaption, caption, [](TActionLink& l, const AnsiString& v) { l.SetCaption(v); });
}

void TCustomAction::SetHint(const AnsiString& hint) {
  ChangeProperty(FHint, hint, [](TActionLink& l, const AnsiString& v) { l.SetHint(v); });
}

void TCustomAction::SetEnabled(bool value) {
  ChangeProperty(FEnabled, value, [](TActionLink& l, bool v) { l.SetEnabled(v); });
}

void TCustomAction::SetChecked(bool value) {
  ChangeProperty(FChecked, value, [](TActionLink& l, bool v) { l.SetChecked(v); });
}

void TCustomAction::SetShortCut(Word shortCut) {
  ChangeProperty(FShortCut, shortCut, [](TActionLink& l, Word v) { l.SetShortCut(v); });
}

void TCustomAction::SetVisible(bool value) {
  ChangeProperty(FVisible, value, [](TActionLink& l, bool v) { l.SetVisible(v); });
}

void TCustomAction::SetImageIndex(Integer value) {
  ChangeProperty(FImageIndex, value, [](TActionLink& l, Integer v) { l.SetImageIndex(v); });
}

TCustomAction::~TCustomAction() { SetActionList(nullptr); }

void TCustomAction::SetActionList(TCustomActionList* list) {
  if (list == FActionList) return;
  if (FActionList != nullptr) FActionList->RemoveFreeNotification(this);
  FActionList = list;
  if (list != nullptr) list->FreeNotification(this);
  Change();
}

void TCustomAction::Notification(TComponent* component, TOperation operation) {
  TBasicAction::Notification(component, operation);
  if (operation == opRemove && component == FActionList) FActionList = nullptr;
}

// ----- TCustomActionList -----

TCustomActionList::~TCustomActionList() { SetImages(nullptr); }

void TCustomActionList::SetImages(TCustomImageList* images) {
  if (images == FImages) return;
  if (FImages != nullptr) FImages->RemoveFreeNotification(this);
  FImages = images;
  if (images != nullptr) images->FreeNotification(this);
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FImages) FImages = nullptr;
}

void TCustomAction::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCustomAction*>(source);
  if (other == nullptr) {
    TBasicAction::Assign(source);
    return;
  }
  SetCaption(other->Caption());
  SetHint(other->Hint());
  SetEnabled(other->Enabled());
  SetChecked(other->Checked());
  SetShortCut(other->ShortCut());
  SetVisible(other->Visible());
  SetImageIndex(other->ImageIndex());
}

}  // namespace orv
