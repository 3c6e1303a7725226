// The word table's order and lookup, and the slicing of an expression's words.
#include "dbf/ExprWordLists.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

int TExpressList::CompareKeys(std::string_view key1, std::string_view key2) const {
  return CompareText(key1, key2);
}

TExprWord* TExpressList::Find(std::string_view name) const {
  Integer index = 0;
  return FindKey(name, index) ? Items(index) : nullptr;
}

TExprCollection TExprCollection::Slice(Integer from, Integer to) const {
  TExprCollection part(to > from ? to - from : 0);
  for (Integer i = from; i < to; ++i) part.Add(Items(i));
  return part;
}

}  // namespace orv
