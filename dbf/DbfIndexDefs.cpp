// Lookups in a table data set's index definitions.
#include "dbf/DbfIndexDefs.h"
#include "dbf/DbfTable.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

TDbfIndexDefs::TDbfIndexDefs(TDbfTable* dbf) : TCollection(dbf, ItemsOf<TDbfIndexDef>()), FDbf(dbf) {}

TDbfIndexDef* TDbfIndexDefs::FindByName(const AnsiString& name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->IndexFile() == name) return Items(i);
  return nullptr;
}

TDbfIndexDef* TDbfIndexDefs::FindBySortField(const AnsiString& expression) const {
  const AnsiString wanted = UpperCase(Trim(expression));
  if (wanted.empty()) return nullptr;
  for (Integer i = 0; i < Count(); ++i)
    if (UpperCase(Trim(Items(i)->SortField())) == wanted) return Items(i);
  return nullptr;
}

}  // namespace orv
