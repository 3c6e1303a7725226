// TPersistent assignment and TComponent ownership, names, notification and state.
#include <algorithm>
#include "platform/classes/Classes.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

constinit TExceptionHandler ApplicationHandleException = nullptr;

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) {
  if (dest) dest->AssignError(this);
  throw EConvertError("Zuweisung an nil");
}

void TPersistent::AssignError(TPersistent* source) {
  AnsiString from = source ? source->ClassName() : AnsiString("nil");
  throw EConvertError(Format("%s kann nicht an %s zugewiesen werden", {from, ClassName()}));
}

void TPersistent::DefineProperties(TFiler&) {}

namespace {

bool IsValidIdent(const AnsiString& s) {
  if (s.empty()) return false;
  auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!alpha(s[0])) return false;
  return std::all_of(s.begin(), s.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

[[noreturn]] void IndexError(Integer index) {
  throw EListError(Format("List index out of bounds (%d)", {index}));
}

}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Free notifications first: those components may still look at this one's owner and name.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& back = other->FFreeNotifies;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Free() {
  Destroying();
  delete this;
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    Remove(c);
    delete c;
  }
}

TComponent* TComponent::Components(Integer index) const {
  if (index < 0 || index >= ComponentCount()) IndexError(index);
  return FComponents[static_cast<size_t>(index)];
}

Integer TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, name)) return c;
  return nullptr;
}

void TComponent::SetName(const AnsiString& name) {
  if (name == FName) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError("'" + name + "' ist kein g\xFCltiger Komponentenname");
  if (FOwner && !name.empty()) {
    TComponent* other = FOwner->FindComponent(name);
    if (other && other != this)
      throw EComponentError(Format("Eine Komponente namens %s existiert bereits", {name}));
  }
  ClearOwnerField();
  FName = name;
  SetOwnerField();
}

void TComponent::ClearOwnerField() {
  // A dying owner's fields die with it, and its derived part may already be gone: the field
  // accessors must not reach into it.
  if (!FOwner || FName.empty() || FOwner->FComponentState.Contains(csDestroying)) return;
  const TClassInfo* c = FOwner->ClassType();
  const TFieldEntry* f = c ? c->FindField(FName) : nullptr;
  if (f && f->Get(FOwner) == this) f->Set(FOwner, nullptr);
}

void TComponent::SetOwnerField() {
  if (!FOwner || FName.empty()) return;
  const TClassInfo* c = FOwner->ClassType();
  const TFieldEntry* f = c ? c->FindField(FName) : nullptr;
  if (f && !f->Set(FOwner, this))
    throw EComponentError(Format(SFieldType, {FName, ClassName()}));
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->FOwner == this) return;
  if (!component->FName.empty() && FindComponent(component->FName))
    throw EComponentError(Format("Eine Komponente namens %s existiert bereits", {component->FName}));
  if (component->FOwner) component->FOwner->RemoveComponent(component);
  Insert(component);
  component->SetOwnerField();
  // What a designing owner takes over is being designed too.
  if (FComponentState.Contains(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->FOwner != this) return;
  Notification(component, opRemove);
  component->ClearOwnerField();
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  FComponents.push_back(component);
  component->FOwner = this;
}

void TComponent::Remove(TComponent* component) {
  FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), component), FComponents.end());
  component->FOwner = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  auto add = [](std::vector<TComponent*>& list, TComponent* c) {
    if (std::find(list.begin(), list.end(), c) == list.end()) list.push_back(c);
  };
  add(FFreeNotifies, component);
  add(component->FFreeNotifies, this);
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  auto drop = [](std::vector<TComponent*>& list, TComponent* c) {
    list.erase(std::remove(list.begin(), list.end(), c), list.end());
  };
  drop(FFreeNotifies, component);
  drop(component->FFreeNotifies, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // A copy: a handler may free components of this list.
  std::vector<TComponent*> list = FComponents;
  for (TComponent* c : list)
    if (std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end())
      c->Notification(component, operation);
}

void TComponent::SetDesigning(bool value, bool children) {
  if (value) FComponentState.Include(csDesigning);
  else FComponentState.Exclude(csDesigning);
  if (children)
    for (TComponent* c : FComponents) c->SetDesigning(value, true);
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::ReadState(TReader& reader) { reader.ReadData(this); }

void TComponent::WriteState(TWriter& writer) { writer.WriteData(this); }

void TComponent::GetChildren(const TGetChildProc& proc, TComponent* root) {
  if (root != this) return;
  std::vector<TComponent*> list = FComponents;
  for (TComponent* c : list)
    if (!c->HasParent() || !c->GetParentComponent()) proc(c);
}

void TComponent::SetParentComponent(TComponent*) {}

bool TComponent::QueryInterface(const TGUID& iid, void** obj) { return TPersistent::QueryInterface(iid, obj); }

void TComponent::SetLoadingState(bool loading) {
  if (loading) FComponentState.Include(csLoading);
  else FComponentState.Exclude(csLoading);
}

void TComponent::SetReadingState(bool reading) {
  if (reading) FComponentState.Include(csReading);
  else FComponentState.Exclude(csReading);
}

void TComponent::SetWritingState(bool writing) {
  if (writing) FComponentState.Include(csWriting);
  else FComponentState.Exclude(csWriting);
}

}  // namespace orv
