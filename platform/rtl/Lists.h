// Lists of the class library: TList of pointers, TObjectList that owns, TStringList with Objects.
#pragma once
#include <functional>
#include <vector>
#include "platform/rtl/Types.h"
#include "platform/rtl/Exceptions.h"

namespace orv {

class TStream;

// Errors: EListError "List index out of bounds (%d)".
class TList {
 public:
  virtual ~TList() = default;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  void* Get(Integer index) const;
  void Put(Integer index, void* item);
  Integer Add(void* item);
  void Insert(Integer index, void* item);
  void Delete(Integer index);
  Integer Remove(void* item);
  Integer IndexOf(void* item) const;
  void Clear();
  void Exchange(Integer a, Integer b);
  void Move(Integer from, Integer to);
  void Sort(const std::function<int(void*, void*)>& compare);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
 protected:
  enum TListNotification { lnAdded, lnExtracted, lnDeleted };
  virtual void Notify(void* /*item*/, TListNotification /*action*/) {}
  std::vector<void*> FItems;
};

// A list that owns its items: an item deleted from the list (Delete, Remove, Clear, Put over it,
// or the list's end) is destroyed when OwnsObjects; Extract takes one out without destroying it.
template <class T>
class TObjectList : public TList {
 public:
  explicit TObjectList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
  ~TObjectList() override { Clear(); }
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;
  T* Items(Integer index) const { return static_cast<T*>(Get(index)); }
  Integer Add(T* item) { return TList::Add(item); }
  T* Extract(T* item) {
    Integer i = IndexOf(item);
    if (i < 0) return nullptr;
    FItems.erase(FItems.begin() + i);
    Notify(item, lnExtracted);
    return item;
  }
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool value) { FOwnsObjects = value; }
 protected:
  void Notify(void* item, TListNotification action) override {
    if (action == lnDeleted && FOwnsObjects) delete static_cast<T*>(item);
  }
 private:
  bool FOwnsObjects;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// A list of narrow strings, each with an object pointer beside it.
// Errors: EListError "List index out of bounds (%d)", "String list does not allow duplicates",
// "Operation not allowed on sorted string list".
class TStringList {
 public:
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const AnsiString& Get(Integer index) const;
  void Put(Integer index, const AnsiString& s);
  void* GetObject(Integer index) const;
  void PutObject(Integer index, void* object);
  Integer Add(const AnsiString& s);
  Integer AddObject(const AnsiString& s, void* object);
  void Insert(Integer index, const AnsiString& s);
  void InsertObject(Integer index, const AnsiString& s, void* object);
  void Delete(Integer index);
  void Clear();
  Integer IndexOf(const AnsiString& s) const;   // a-z case-insensitive unless CaseSensitive
  bool Find(const AnsiString& s, Integer& index) const;   // sorted lists: binary search
  void Exchange(Integer a, Integer b);
  void Sort();
  void CustomSort(const std::function<int(const TStringList&, Integer, Integer)>& compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates value) { FDuplicates = value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool value);

  // Lines joined with CRLF (each line followed by CRLF); setting splits at CRLF, LF or CR.
  AnsiString Text() const;
  void SetText(std::string_view text);
  // Comma text both ways: items with blanks, commas or quotes are quoted with '"', quotes doubled.
  AnsiString CommaText() const;
  void SetCommaText(std::string_view text);
  // "name=value" items.
  AnsiString Names(Integer index) const;
  AnsiString Values(const AnsiString& name) const;

  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;

  // Called after any change.
  std::function<void()> OnChange;
 private:
  struct Item { AnsiString S; void* Object = nullptr; };
  int CompareStrings(const AnsiString& a, const AnsiString& b) const;
  void Changed();
  Integer AddSorted(const AnsiString& s, void* object);
  void InsertItem(Integer index, const AnsiString& s, void* object);
  void QuickSort(Integer lo, Integer hi, const std::function<int(const TStringList&, Integer, Integer)>& compare);
  std::vector<Item> FItems;
  int FUpdateCount = 0;   // bulk changes report OnChange once, at their end
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
};

}  // namespace orv
