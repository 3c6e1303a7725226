// TDbfIndexDefs: the index definitions a table data set owns (index file or tag name, sort
// expression, options), with lookups by name and by sort expression.
#pragma once
#include "dbf/DbfIndexDef.h"

namespace orv {

class TDbfTable;

class TDbfIndexDefs : public TCollection {
 public:
  explicit TDbfIndexDefs(TDbfTable* dbf);
  TDbfIndexDef* Add() { return static_cast<TDbfIndexDef*>(TCollection::Add()); }
  // EListError outside 0..Count()-1.
  TDbfIndexDef* Items(Integer index) const { return ItemsAs<TDbfIndexDef>(index); }
  TDbfTable* Dbf() const { return FDbf; }
  // The entry whose name is exactly name; nullptr when none.
  TDbfIndexDef* FindByName(const AnsiString& name) const;
  // The entry whose sort expression equals expression, both trimmed and upper-cased; an empty
  // expression finds nothing.
  TDbfIndexDef* FindBySortField(const AnsiString& expression) const;

 private:
  TDbfTable* FDbf;
};

}  // namespace orv
