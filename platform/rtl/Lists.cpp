// TList: a vector of pointers with the class library's index errors and change notification.
#include "platform/rtl/Lists.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

[[noreturn]] void IndexError(Integer index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

void* TList::Get(Integer index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return FItems[static_cast<std::size_t>(index)];
}

void TList::Put(Integer index, void* item) {
  if (index < 0 || index >= Count()) IndexError(index);
  void* old = FItems[static_cast<std::size_t>(index)];
  if (old == item) return;
  FItems[static_cast<std::size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

Integer TList::Add(void* item) {
  FItems.push_back(item);
  if (item) Notify(item, lnAdded);
  return Count() - 1;
}

void TList::Insert(Integer index, void* item) {
  if (index < 0 || index > Count()) IndexError(index);
  FItems.insert(FItems.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(Integer index) {
  if (index < 0 || index >= Count()) IndexError(index);
  void* item = FItems[static_cast<std::size_t>(index)];
  FItems.erase(FItems.begin() + index);
  if (item) Notify(item, lnDeleted);
}

Integer TList::Remove(void* item) {
  Integer i = IndexOf(item);
  if (i >= 0) Delete(i);
  return i;
}

Integer TList::IndexOf(void* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

void TList::Clear() {
  // Items leave one by one from the end, so a notification sees a consistent list.
  while (!FItems.empty()) Delete(Count() - 1);
  FItems.shrink_to_fit();
}

void TList::Exchange(Integer a, Integer b) {
  if (a < 0 || a >= Count()) IndexError(a);
  if (b < 0 || b >= Count()) IndexError(b);
  std::swap(FItems[static_cast<std::size_t>(a)], FItems[static_cast<std::size_t>(b)]);
}

void TList::Move(Integer from, Integer to) {
  if (from == to) return;
  if (from < 0 || from >= Count()) IndexError(from);
  if (to < 0 || to >= Count()) IndexError(to);
  void* item = FItems[static_cast<std::size_t>(from)];
  FItems.erase(FItems.begin() + from);
  FItems.insert(FItems.begin() + to, item);
}

void TList::Sort(const std::function<int(void*, void*)>& compare) {
  std::stable_sort(FItems.begin(), FItems.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

}  // namespace orv
