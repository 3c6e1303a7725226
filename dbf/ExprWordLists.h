// The parser's lists of words: the word table sorted by name, and the words of one expression
// while it is compiled.
#pragma once
#include <string_view>
#include "dbf/ExprCollections.h"
#include "dbf/ExprWords.h"

namespace orv {

// The word table; it owns its words. Names compare without regard to ASCII letter case; with
// duplicates allowed one name carries several overloads, the one registered last found first.
class TExpressList : public TSortedCollection<TExprWord, std::string_view> {
 public:
  explicit TExpressList(Integer capacity = 30) : TSortedCollection(capacity) {}

  int CompareKeys(std::string_view key1, std::string_view key2) const override;
  std::string_view KeyOfItem(const TExprWord* item) const override { return item->Name(); }

  // The first word of that name, or none.
  TExprWord* Find(std::string_view name) const;
};

// The words of one expression while it is compiled. It never frees them: they belong to the word
// table or to the parser's constants.
class TExprCollection : public TNoOwnerCollection<TExprWord> {
 public:
  explicit TExprCollection(Integer capacity = 16) : TNoOwnerCollection(capacity) {}

  // A new collection of the words from position from up to, not including, position to.
  TExprCollection Slice(Integer from, Integer to) const;
};

}  // namespace orv
