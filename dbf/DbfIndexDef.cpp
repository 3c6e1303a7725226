// Index definitions of a data set and the list of supported locales.
#include "dbf/DbfIndexDef.h"
#include <algorithm>
#include "platform/rtl/SysUtils.h"
#include "platform/win/Nls.h"

namespace orv {

TDbfIndexDef::TDbfIndexDef(TCollection* collection) : TCollectionItem(collection) {}

void TDbfIndexDef::CopyFrom(TPersistent* source) {
  if (auto* def = dynamic_cast<TDbfIndexDef*>(source)) {
    FIndexFile = def->FIndexFile;
    FSortField = def->FSortField;
    FOptions = def->FOptions;
    return;
  }
  TCollectionItem::Assign(source);
}

void TDbfIndexDef::SetIndexFile(const AnsiString& value) { FIndexFile = AnsiUpperCase(Trim(value)); }
void TDbfIndexDef::SetSortField(const AnsiString& value) { FSortField = AnsiUpperCase(Trim(value)); }

void TLCIDList::EnumerateLocales() {
  FItems = SupportedLocales();
  std::sort(FItems.begin(), FItems.end());
}

bool TLCIDList::Contains(Cardinal lcid) const { return std::binary_search(FItems.begin(), FItems.end(), lcid); }

const TLCIDList& LCIDList() {
  static const TLCIDList list = [] {
    TLCIDList l;
    l.EnumerateLocales();
    return l;
  }();
  return list;
}

}  // namespace orv
