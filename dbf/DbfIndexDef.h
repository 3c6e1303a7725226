// TDbfIndexDef, the description of one index of a data set (file or tag name, sort expression,
// options), and TLCIDList, the process's list of supported locales that index locales are checked
// against.
#pragma once
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/rtl/Types.h"

namespace orv {

class TDbfIndexDef : public TCollectionItem {
 public:
  explicit TDbfIndexDef(TCollection* collection);
  // From another index definition: IndexFile, SortField and Options; other sources as any item.
  void CopyFrom(TPersistent* source);
  void Assign(TPersistent* source) override { CopyFrom(source); }

  const AnsiString& IndexFile() const { return FIndexFile; }
  // Both writers store the value trimmed and upper-cased.
  void SetIndexFile(const AnsiString& value);
  const AnsiString& SortField() const { return FSortField; }
  void SetSortField(const AnsiString& value);
  Byte Options() const { return FOptions; }
  void SetOptions(Byte value) { FOptions = value; }
  bool FromIndexFile() const { return FFromIndexFile; }
  void SetFromIndexFile(bool value) { FFromIndexFile = value; }

 private:
  AnsiString FIndexFile;
  AnsiString FSortField;
  Byte FOptions = 0;
  bool FFromIndexFile = false;
};

class TLCIDList {
 public:
  // Clears the list and adds every locale the system supports.
  void EnumerateLocales();
  bool Contains(Cardinal lcid) const;
  const std::vector<Cardinal>& Items() const { return FItems; }

 private:
  std::vector<Cardinal> FItems;
};

// The process-wide list, filled on first use.
const TLCIDList& LCIDList();

}  // namespace orv
