// Memo files beside a table: .dbt files of dBASE III, IV and VII tables and .fpt files of FoxPro
// tables, with their blocks as the pages of a paged file.
#pragma once
#include <string_view>
#include "dbf/DbfFieldDef.h"
#include "dbf/PagedFile.h"
#include "platform/rtl/Streams.h"

namespace orv {

class TMemoFile : public TPagedFile {
 public:
  // newBlockSize: the block size of a new file (0 when an existing file is opened).
  TMemoFile(AnsiString fileName, int levelCode, Integer newBlockSize);
  ~TMemoFile() override;

  void OpenMemo();
  void CloseMemo();
  bool MemoOpened() const { return FMemoOpened; }
  int LevelCode() const { return FLevelCode; }

  // The memo that starts at block, whole (empty when the block is 0 or cannot be read; a memo
  // whose size runs past the end of the file gives what is there).
  AnsiString ReadMemo(Integer block);
  void ReadMemo(Integer block, TStream& stream);
  // Stores data and sets block to its first block (0 for empty data). oldSize is the size of the
  // memo stored at block before. EDbfWriteError when the blocks could not be written.
  void WriteMemo(Integer& block, Integer oldSize, std::string_view data);
  void WriteMemo(Integer& block, Integer oldSize, TStream& stream);

  virtual Integer GetBlockSize() const = 0;
  // The memo's size from its first bytes (8 of them, zero-filled when the file is shorter);
  // -1: unknown, the memo ends at a terminator.
  virtual Int64 GetMemoSize(const Byte* first) const = 0;
  virtual LongWord GetNextFreeBlock() const = 0;
  virtual void SetNextFreeBlock(LongWord n) = 0;
  virtual void SetBlockSize(Integer n) = 0;

 protected:
  virtual void WriteBlockHeader(Byte* first, LongWord size) const = 0;
  virtual Integer BlockHeaderBytes() const = 0;
  virtual Integer TerminatorBytes() const = 0;
  // A kind-specific repair of an unusable block size read from the file.
  virtual void CheckBlockSize() = 0;

 private:
  AnsiString ReadTerminated(Int64 position);

  int FLevelCode;
  Integer FNewBlockSize;
  bool FMemoOpened = false;
};

class TDbaseMemoFile : public TMemoFile {
 public:
  using TMemoFile::TMemoFile;
  Integer GetBlockSize() const override;
  Int64 GetMemoSize(const Byte* first) const override;
  LongWord GetNextFreeBlock() const override;
  void SetNextFreeBlock(LongWord n) override;
  void SetBlockSize(Integer n) override;

 protected:
  void WriteBlockHeader(Byte* first, LongWord size) const override;
  Integer BlockHeaderBytes() const override;
  Integer TerminatorBytes() const override;
  void CheckBlockSize() override;
};

class TFoxProMemoFile : public TMemoFile {
 public:
  using TMemoFile::TMemoFile;
  Integer GetBlockSize() const override;
  Int64 GetMemoSize(const Byte* first) const override;
  LongWord GetNextFreeBlock() const override;
  void SetNextFreeBlock(LongWord n) override;
  void SetBlockSize(Integer n) override;

 protected:
  void WriteBlockHeader(Byte* first, LongWord size) const override;
  Integer BlockHeaderBytes() const override { return 8; }
  Integer TerminatorBytes() const override { return 0; }
  void CheckBlockSize() override;
};

}  // namespace orv
