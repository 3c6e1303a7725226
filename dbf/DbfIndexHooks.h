// What the table file asks of its open index files, and the factory that opens them; the index
// layer implements both.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "dbf/PagedFile.h"

namespace orv {

class TDbfFile;

// Called when an index file's locale cannot be used (error 1: the table's language driver has no
// locale, 2: the index's driver differs from the table's, 3: the locale is not supported).
// solution starts as 0: the file is dropped; 1 keeps it with its keys frozen; any other value is
// the locale id to use.
using TDbfLocaleErrorEvent = std::function<void(int error, Cardinal& solution)>;

class TDbfIndexFile {
 public:
  virtual ~TDbfIndexFile() = default;
  virtual void CloseIndex() = 0;
  // True when the file turned out unusable at open; the table drops it.
  virtual bool Unusable() const = 0;
  virtual std::vector<AnsiString> TagNames() const = 0;
  // True when the record cannot take its keys: a distinct tag holds one of them already, or a
  // tag's expression cannot be used; the violation is noted for RaiseKeyViolation.
  virtual bool CanInsertKeys(Integer recNo, const Byte* record) = 0;
  // True when changing the record from oldRecord to newRecord would give a distinct tag a key
  // that another record holds; the violation is noted for RaiseKeyViolation.
  virtual bool CanUpdateKeys(Integer recNo, const Byte* oldRecord, const Byte* newRecord) = 0;
  [[noreturn]] virtual void RaiseKeyViolation() = 0;
  // Each returns false when a write of the index failed.
  virtual bool InsertKeys(Integer recNo, const Byte* record) = 0;
  virtual bool UpdateKeys(Integer recNo, const Byte* oldRecord, const Byte* newRecord) = 0;
  virtual bool RemoveKeys(Integer recNo, const Byte* record) = 0;
  virtual bool RemoveDistinctKeys(Integer recNo, const Byte* record) = 0;
  virtual bool IndexWriteError() const = 0;
  virtual void ResetIndexWriteError() = 0;
  virtual void TryExclusive() = 0;
  virtual void EndExclusive() = 0;
};

// Opens an index file of the table in a mode with the table's code page; set by the index layer.
using TIndexFileFactory = std::function<std::unique_ptr<TDbfIndexFile>(
    TDbfFile& table, const AnsiString& fileName, TPagedFileMode mode, Cardinal codePage)>;
void SetIndexFileFactory(TIndexFileFactory factory);
const TIndexFileFactory& IndexFileFactory();

}  // namespace orv
