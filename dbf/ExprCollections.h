// Lists of objects for the expression parser: the owning collection, the collection that only refers
// to its items, and the sorted collection searched by key.
#pragma once
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace orv {

// A list of items held by Holder: std::unique_ptr<T> owns them, a plain T* only refers to them.
// Every entry that leaves the list by a disposing operation goes through DisposeItem, which frees an
// owned item; Extract hands an entry back to the caller without disposing it.
template <typename T, typename Holder = std::unique_ptr<T>>
class TOCollection {
 public:
  explicit TOCollection(Integer capacity) {
    if (capacity > 0) FItems.reserve(static_cast<size_t>(capacity));
  }
  // The base's DisposeItem runs here: owned items are freed, items only referred to are left alone.
  virtual ~TOCollection() { DisposeAll(); }
  TOCollection(const TOCollection&) = delete;
  TOCollection& operator=(const TOCollection&) = delete;
  TOCollection(TOCollection&& other) noexcept : FItems(std::move(other.FItems)) { other.FItems.clear(); }

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
  T* Items(Integer index) const { return Raw(FItems[Checked(index, Count())]); }
  // Appends the item and returns its position.
  Integer Add(Holder item) {
    FItems.push_back(std::move(item));
    return Count() - 1;
  }
  // index may be Count (an append).
  void Insert(Integer index, Holder item) {
    FItems.insert(FItems.begin() + static_cast<std::ptrdiff_t>(Checked(index, Count() + 1)), std::move(item));
  }
  // Stores item at index; the entry it replaces is disposed.
  void Put(Integer index, Holder item) {
    Holder old = std::exchange(FItems[Checked(index, Count())], std::move(item));
    DisposeItem(std::move(old));
  }
  // Removes the entry without disposing it: the caller receives the item.
  Holder Extract(Integer index) {
    const size_t at = Checked(index, Count());
    Holder item = std::move(FItems[at]);
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(at));
    return item;
  }
  void DeleteAndDispose(Integer index) { DisposeItem(Extract(index)); }
  // Removes count entries from index on, then disposes them from first to last.
  void DeleteAndDisposeRange(Integer index, Integer count) {
    if (count <= 0) return;
    const size_t from = Checked(index, Count());
    const size_t to = Checked(index + count - 1, Count()) + 1;
    std::vector<Holder> gone(std::make_move_iterator(FItems.begin() + static_cast<std::ptrdiff_t>(from)),
                             std::make_move_iterator(FItems.begin() + static_cast<std::ptrdiff_t>(to)));
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(from), FItems.begin() + static_cast<std::ptrdiff_t>(to));
    for (Holder& item : gone) DisposeItem(std::move(item));
  }
  // Disposes every item from first to last; the list is empty afterwards even when a disposal fails.
  void DisposeAll() {
    std::vector<Holder> gone = std::move(FItems);
    FItems.clear();
    for (Holder& item : gone) DisposeItem(std::move(item));
  }

 protected:
  // Frees an owned item; an absent item, or one the list only refers to, is left as it is.
  virtual void DisposeItem(Holder item) {
    if constexpr (std::is_pointer_v<Holder>) static_cast<void>(item);
    else item.reset();
  }

  static T* Raw(const Holder& item) {
    if constexpr (std::is_pointer_v<Holder>) return item;
    else return item.get();
  }

 private:
  static size_t Checked(Integer index, Integer limit) {
    if (index < 0 || index >= limit) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return static_cast<size_t>(index);
  }

  std::vector<Holder> FItems;
};

// Refers to items that belong elsewhere: disposing an entry only removes it.
template <typename T>
class TNoOwnerCollection : public TOCollection<T, T*> {
 public:
  using TOCollection<T, T*>::TOCollection;

 protected:
  void DisposeItem(T* /*item*/) override {}
};

// Items kept in the order of their keys and found by binary search. With AllowDuplicates an item goes
// in front of the items of an equal key, so a search finds the one inserted last.
template <typename T, typename Key = const T*, typename Holder = std::unique_ptr<T>>
class TSortedCollection : public TOCollection<T, Holder> {
  using TBase = TOCollection<T, Holder>;

 public:
  using TBase::TBase;

  bool AllowDuplicates = false;

  // Below 0 when key1 sorts before key2, 0 when they are equal, above 0 otherwise.
  virtual int CompareKeys(Key key1, Key key2) const = 0;

  // The position of the item itself, or -1 when it is not in the list.
  virtual Integer IndexOfItem(const T* item) const {
    const Key key = KeyOfItem(item);
    Integer index = 0;
    if (!FindKey(key, index)) return -1;
    for (; index < this->Count(); ++index) {
      const T* at = this->Items(index);
      if (at == item) return index;
      if (CompareKeys(KeyOfItem(at), key) != 0) break;
    }
    return -1;
  }

  // Inserts at the search position. Without duplicates an item whose key is present is refused and
  // handed back to the caller (not disposed); an accepted item leaves the holder empty.
  virtual Holder InsertItem(Holder item) {
    Integer index = 0;
    if (FindKey(KeyOfItem(this->Raw(item)), index) && !AllowDuplicates) return item;
    this->Insert(index, std::move(item));
    return Holder();
  }

  // The entry with an equal key (the first of several) is taken out and handed back, not disposed;
  // then the item is inserted.
  virtual Holder ReplaceItem(Holder item) {
    Integer index = 0;
    Holder old = FindKey(KeyOfItem(this->Raw(item)), index) ? this->Extract(index) : Holder();
    // The key is gone (or duplicates are allowed), so the item is always taken.
    InsertItem(std::move(item));
    return old;
  }

  // The item is its own key unless the collection says otherwise.
  virtual Key KeyOfItem(const T* item) const {
    if constexpr (std::is_convertible_v<const T*, Key>) {
      return item;
    } else {
      // A collection whose keys are not its items overrides this; reaching it is a fault of the code.
      throw EListError("Sorted collection without a key for its items");
    }
  }

  // Binary search: true when an equal key is present, index then at the first of the equal keys;
  // otherwise index is where the key would be inserted.
  virtual bool FindKey(Key key, Integer& index) const {
    Integer low = 0, high = this->Count() - 1;
    bool found = false;
    while (low <= high) {
      const Integer middle = low + (high - low) / 2;
      const int c = CompareKeys(KeyOfItem(this->Items(middle)), key);
      if (c < 0) {
        low = middle + 1;
      } else {
        high = middle - 1;
        if (c == 0) {
          found = true;
          if (!AllowDuplicates) low = middle;
        }
      }
    }
    index = low;
    return found;
  }
};

}  // namespace orv
