// The icon list: entries, change reporting through nested updates, and the "Icons" stream data.
#include "controls/IconList.h"

#include "platform/classes/Filer.h"
#include "platform/rtl/Lists.h"

namespace orv {

TIconList::TIconList() = default;

TIconList::~TIconList() {
  OnChange = nullptr;
  Clear();
}

void TIconList::FinishUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) NotifyChanged();
}

void TIconList::NotifyChanged() {
  if (FUpdateCount == 0) OnChange(this);
}

void TIconList::CheckIndex(int index, bool allowEnd) const {
  if (index < 0 || index > IconCount() || (!allowEnd && index == IconCount()))
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

TIcon* TIconList::Get(int index) const {
  CheckIndex(index, false);
  return FIcons[static_cast<std::size_t>(index)].get();
}

std::unique_ptr<TIcon> TIconList::NewIcon(TGraphic* graphic) {
  auto icon = std::make_unique<TIcon>();
  icon->Assign(graphic);
  icon->OnChange = [this](TObject*) { NotifyChanged(); };
  return icon;
}

std::unique_ptr<TIcon> TIconList::NewResourceIcon(HINSTANCE module, const AnsiString& name) {
  auto icon = std::make_unique<TIcon>();
  if (HICON handle = LoadIconA(module, name)) icon->SetHandle(handle);
  icon->OnChange = [this](TObject*) { NotifyChanged(); };
  return icon;
}

void TIconList::Put(int index, TGraphic* graphic) {
  CheckIndex(index, true);
  StartUpdate();
  struct TFinish {
    TIconList* List;
    ~TFinish() { List->FinishUpdate(); }
  } finish{this};
  if (index == IconCount()) FIcons.push_back(nullptr);
  auto& entry = FIcons[static_cast<std::size_t>(index)];
  if (!entry) entry = NewIcon(nullptr);
  entry->Assign(graphic);
}

int TIconList::Add(TGraphic* graphic) {
  FIcons.push_back(NewIcon(graphic));
  NotifyChanged();
  return IconCount() - 1;
}

int TIconList::AddResource(HINSTANCE module, const AnsiString& name) {
  FIcons.push_back(NewResourceIcon(module, name));
  NotifyChanged();
  return IconCount() - 1;
}

void TIconList::Insert(int index, TGraphic* graphic) {
  CheckIndex(index, true);
  FIcons.insert(FIcons.begin() + index, NewIcon(graphic));
  NotifyChanged();
}

void TIconList::InsertResource(int index, HINSTANCE module, const AnsiString& name) {
  CheckIndex(index, true);
  FIcons.insert(FIcons.begin() + index, NewResourceIcon(module, name));
  NotifyChanged();
}

void TIconList::Delete(int index) {
  CheckIndex(index, false);
  if (auto& icon = FIcons[static_cast<std::size_t>(index)]) icon->OnChange = nullptr;
  FIcons.erase(FIcons.begin() + index);
  NotifyChanged();
}

void TIconList::Clear() {
  StartUpdate();
  struct TFinish {
    TIconList* List;
    ~TFinish() { List->FinishUpdate(); }
  } finish{this};
  for (int i = IconCount() - 1; i >= 0; --i) Delete(i);
}

void TIconList::Exchange(int a, int b) {
  CheckIndex(a, false);
  CheckIndex(b, false);
  std::swap(FIcons[static_cast<std::size_t>(a)], FIcons[static_cast<std::size_t>(b)]);
  NotifyChanged();
}

void TIconList::Move(int from, int to) {
  CheckIndex(from, false);
  CheckIndex(to, false);
  auto icon = std::move(FIcons[static_cast<std::size_t>(from)]);
  FIcons.erase(FIcons.begin() + from);
  FIcons.insert(FIcons.begin() + to, std::move(icon));
  NotifyChanged();
}

int TIconList::FindIconIndex(const TIcon* icon) const {
  for (int i = 0; i < IconCount(); ++i)
    if (FIcons[static_cast<std::size_t>(i)].get() == icon) return i;
  return -1;
}

void TIconList::Assign(TPersistent* source) {
  if (source == nullptr) {
    Clear();
    return;
  }
  auto* list = dynamic_cast<TIconList*>(source);
  auto* icon = dynamic_cast<TIcon*>(source);
  if (list == nullptr && icon == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (list == this) return;
  StartUpdate();
  struct TFinish {
    TIconList* List;
    ~TFinish() { List->FinishUpdate(); }
  } finish{this};
  if (list != nullptr) {
    Clear();
    for (int i = 0; i < list->IconCount(); ++i) Add(list->Get(i));
  } else {
    // Copied first: the icon may be one of this list's own, which Clear frees.
    TIcon copy;
    copy.Assign(icon);
    Clear();
    Add(&copy);
  }
}

void TIconList::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  bool hasData = IconCount() > 0;
  if (auto* ancestor = dynamic_cast<TIconList*>(filer.Ancestor()); ancestor != nullptr && ancestor->IconCount() == IconCount()) {
    hasData = false;
    for (int i = 0; i < IconCount(); ++i)
      if (ancestor->FIcons[static_cast<std::size_t>(i)].get() != FIcons[static_cast<std::size_t>(i)].get()) hasData = true;
  }
  filer.DefineBinaryProperty("Icons", [this](TStream& s) { ReadFromStream(s); }, [this](TStream& s) { WriteToStream(s); },
                             hasData);
}

void TIconList::ReadFromStream(TStream& stream) {
  StartUpdate();
  struct TFinish {
    TIconList* List;
    ~TFinish() { List->FinishUpdate(); }
  } finish{this};
  Clear();
  std::int32_t count = 0;
  stream.ReadBuffer(&count, 4);
  // Every entry takes at least its four size bytes.
  if (count < 0 || static_cast<Int64>(count) * 4 > stream.Size() - stream.Position()) throw EReadError(SReadError);
  // The icons of one list draw on one budget.
  TIconBudget budget;
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t size = 0;
    stream.ReadBuffer(&size, 4);
    if (size <= 0) {
      FIcons.push_back(nullptr);
      NotifyChanged();
      continue;
    }
    if (size > stream.Size() - stream.Position()) throw EReadError(SReadError);
    std::vector<Byte> data(static_cast<std::size_t>(size));
    stream.ReadBuffer(data.data(), size);
    auto icon = NewIcon(nullptr);
    icon->LoadFromMemory(data.data(), data.size(), budget);
    FIcons.push_back(std::move(icon));
    NotifyChanged();
  }
}

void TIconList::WriteToStream(TStream& stream) {
  const auto count = static_cast<std::int32_t>(IconCount());
  stream.WriteBuffer(&count, 4);
  for (const auto& icon : FIcons) {
    TMemoryStream data;
    if (icon && !icon->Empty()) icon->SaveToStream(data);
    const auto size = static_cast<std::int32_t>(data.Size());
    stream.WriteBuffer(&size, 4);
    if (size > 0) stream.WriteBuffer(data.Memory(), size);
  }
}

}  // namespace orv
