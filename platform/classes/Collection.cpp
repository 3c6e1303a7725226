// TCollection and TCollectionItem: an owned, ordered list of items of one class.
#include <algorithm>
#include "platform/classes/Classes.h"
#include "platform/rtl/Format.h"

namespace orv {

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
  if (FCollection) {
    FCollection->Notify(this, cnDeleting);
    FCollection->RemoveItem(this);
  }
}

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == FCollection) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

Integer TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& items = FCollection->FItems;
  return static_cast<Integer>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(Integer index) {
  if (!FCollection) return;
  auto& items = FCollection->FItems;
  Integer cur = Index();
  if (index < 0) index = 0;
  if (index >= static_cast<Integer>(items.size())) index = static_cast<Integer>(items.size()) - 1;
  if (index == cur) return;
  items.erase(items.begin() + cur);
  items.insert(items.begin() + index, this);
  Changed(true);
}

AnsiString TCollectionItem::DisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

void TCollectionItem::Changed(bool allItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(allItems ? nullptr : this);
}

TCollection::TCollection(TPersistent* owner, TItemFactory itemFactory)
    : FOwner(owner), FItemFactory(std::move(itemFactory)) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no change notifications to an owner that is going away
  Clear();
}

TCollectionItem* TCollection::Add() {
  if (!FItemFactory) throw EListError("Collection without item class");
  BeginUpdate();
  TCollectionItem* item = nullptr;
  try {
    item = FItemFactory(this);
    if (item && item->FCollection != this) item->SetCollection(this);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return item;
}

TCollectionItem* TCollection::Insert(Integer index) {
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(Integer index) { delete Items(index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

TCollectionItem* TCollection::Items(Integer index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FItems[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(Integer id) const {
  for (TCollectionItem* i : FItems)
    if (i->FID == id) return i;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->FItems) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::InsertItem(TCollectionItem* item) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FCollection = nullptr;
  Changed();
}

}  // namespace orv
