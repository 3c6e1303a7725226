// Utility module of the application: the record array with its cursor, and length-prefixed strings
// on the record files (mails.dat, konten.dat, options.dat).
#pragma once
#include <vector>
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

namespace orv {

// A growable array of records with a current-record cursor, which it also writes into the
// owner's pointer variable (when one is given) so the owner reads the current record through its
// own typed pointer.
//
// Contract: the pointer variable stays at the same address for the life of the array (an array
// whose owner moves, such as a mail's attachment array inside a mail record, is created without
// one and read through Current()). Element addresses, Current() and the pointer variable are valid
// only until the next Append or Delete. New elements are value-initialised (all fields zero/empty).
//
// The walk idiom: First(), then while (Next()) handle the current element; each element is visited
// once.
template <typename T>
class TDynaArray {
 public:
  explicit TDynaArray(T** pointerVariable = nullptr) : FPointerVar(pointerVariable) {}
  TDynaArray(const TDynaArray&) = delete;
  TDynaArray& operator=(const TDynaArray&) = delete;
  ~TDynaArray() { SetCurrent(nullptr); }

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  Integer Index() const { return FIndex; }
  T* Current() const { return FCurrent; }

  // Makes element i current. The caller passes a valid index (0 <= i < Count()).
  T* Select(Integer i) {
    FIndex = i;
    SetCurrent(&FItems[static_cast<std::size_t>(i)]);
    return FCurrent;
  }
  T& operator[](Integer i) { return FItems[static_cast<std::size_t>(i)]; }
  const T& operator[](Integer i) const { return FItems[static_cast<std::size_t>(i)]; }

  // Appends a value-initialised element and makes it current.
  T* Append() {
    FItems.emplace_back();
    return Select(Count() - 1);
  }
  // Removes element i keeping the order of the rest; out-of-range indexes are ignored. The cursor
  // is cleared.
  void Delete(Integer i) {
    if (i < 0 || i >= Count()) return;
    FItems.erase(FItems.begin() + i);
    FIndex = -1;
    SetCurrent(nullptr);
  }
  // Makes element 0 current (index 0); on an empty array nothing changes.
  void First() {
    if (FItems.empty()) return;
    Select(0);
  }
  // Makes the element at the walk index current and advances; false when the walk is done.
  bool Next() {
    if (FItems.empty() || FIndex < 0 || FIndex >= Count()) return false;
    Select(FIndex);
    ++FIndex;
    return true;
  }

 private:
  void SetCurrent(T* p) {
    FCurrent = p;
    if (FPointerVar != nullptr) *FPointerVar = p;
  }
  T** FPointerVar;
  T* FCurrent = nullptr;
  Integer FIndex = -1;
  std::vector<T> FItems;
};

// The longest string a short-string prefix can describe.
inline constexpr std::size_t MaxShortStrLength = 255;

// A 1-byte length, then the bytes. A string over 255 bytes raises EInOutError before anything is
// written; a failed write raises EInOutError.
void WriteShortStr(TStream& file, const AnsiString& s);
// Reads a 1-byte length N, then N bytes; a short read raises EInOutError.
AnsiString ReadShortStr(TStream& file);
// A 32-bit little-endian length, then the bytes; a failed write raises EInOutError.
void WriteLongStr(TStream& file, const AnsiString& s);
// Reads a 32-bit length N, then N bytes. A negative N, or one larger than the bytes left in the
// file, is damage: EInOutError, and nothing is reserved for it.
AnsiString ReadLongStr(TStream& file);

// Fixed-size little-endian values on the record files, with the same error rule.
void WriteInt32(TStream& file, Integer value);
Integer ReadInt32(TStream& file);
void WriteByte(TStream& file, Byte value);
Byte ReadByte(TStream& file);

}  // namespace orv
