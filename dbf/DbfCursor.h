// Record cursors over a table: the abstract cursor that the data set walks with, and the cursor
// in physical order (record numbers 1..count, with 0 before the first and count + 1 after the last).
#pragma once
#include "dbf/PagedFile.h"

namespace orv {

class TVirtualCursor {
 public:
  // The file is not owned and must outlive the cursor.
  explicit TVirtualCursor(TPagedFile* file) : FFile(file) {}
  virtual ~TVirtualCursor() = default;
  TPagedFile* File() const { return FFile; }

  virtual Integer GetPhysicalRecNo() = 0;
  virtual Integer GetSequentialRecNo() = 0;
  virtual Integer GetSequentialRecordCount() = 0;
  virtual void SetPhysicalRecNo(Integer n) = 0;
  virtual void SetSequentialRecNo(Integer n) = 0;
  // Both return whether the cursor stands on a record afterwards.
  virtual bool Next() = 0;
  virtual bool Prev() = 0;
  virtual void First() = 0;
  virtual void Last() = 0;
  virtual Integer GetBookmark() = 0;
  virtual void GotoBookmark(Integer bookmark) = 0;
  virtual void RecordAppended() = 0;
  virtual void RecordUpdated() = 0;

 private:
  TPagedFile* FFile;
};

class TDbfCursor : public TVirtualCursor {
 public:
  using TVirtualCursor::TVirtualCursor;

  Integer GetPhysicalRecNo() override { return FPosition; }
  Integer GetSequentialRecNo() override { return FPosition; }
  // The file's current count, so other processes' appends show at the next call.
  Integer GetSequentialRecordCount() override { return File()->RecordCount(); }
  void SetPhysicalRecNo(Integer n) override { FPosition = n; }
  void SetSequentialRecNo(Integer n) override { FPosition = n; }
  bool Next() override;
  bool Prev() override;
  void First() override { FPosition = 0; }
  void Last() override;
  // A count the file has reached: records are never removed while a table is shared, so every
  // number up to it stands for a record without asking the file again.
  Integer KnownRecordCount();
  Integer GetBookmark() override { return FPosition; }
  void GotoBookmark(Integer bookmark) override { FPosition = bookmark; }
  void RecordAppended() override { FPosition = File()->RecordCount(); }
  void RecordUpdated() override {}

 private:
  Integer FPosition = 0;
  Integer FKnownCount = 0;
};

}  // namespace orv
