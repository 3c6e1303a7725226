// The one mechanism behind the application's data files (mails.dat, konten.dat, options.dat):
// loading with damage detection and a kept ".damaged" copy, and the atomic rewrite.
#pragma once
#include <functional>
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

namespace orv {

enum TDataFileState {
  dfMissing,  // the file could not be opened: nothing was read, the caller keeps what it had
  dfWhole,    // read to its end without a fault
  dfDamaged   // cut short, a negative or impossible count or size, or bytes past the last record
};

struct TDataFileResult {
  TDataFileState State = dfMissing;
  AnsiString FileName;
  // Whole records (for options.dat: whole fields) taken from the file; on damage, those read
  // before the damage.
  Integer RecordsKept = 0;
  // What was wrong, for the message; empty unless damaged.
  AnsiString Reason;

  bool Damaged() const { return State == dfDamaged; }
};

// Signals damage found by a record reader (a bad count, size or value). Reading past the end of
// the data raises the record strings' EInOutError, which the loader counts as damage as well.
class EDataFileDamaged : public EInOutError {
 public:
  using EInOutError::EInOutError;
};

// Reads records from the file's bytes. It raises EInOutError (or EDataFileDamaged) at the first
// damage; `kept` holds the count of whole records taken so far at every moment, so the loader can
// report it. The stream holds the whole file in memory, so Size() - Position() is the exact
// number of bytes left, which readers use to refuse counts the file cannot hold.
using TDataFileReader = std::function<void(TStream& data, Integer& kept)>;
// Writes the whole file into the stream; raising anything abandons the rewrite.
using TDataFileWriter = std::function<void(TStream& data)>;

// Opens the file and runs the reader on its bytes. A file that cannot be opened gives dfMissing
// without running the reader. Damage gives dfDamaged; then the file as found is copied to
// fileName + ".damaged" (through the atomic rewrite, replacing an older copy) before any later
// rewrite can replace it. Bytes left after the reader returns are damage too.
TDataFileResult LoadDataFile(const AnsiString& fileName, const TDataFileReader& reader);

// Rewrites the file atomically: the writer's bytes go into a temporary file beside it, which is
// flushed to the disk and renamed over the old file, and then the folder is flushed. Any failure
// (the writer raising, the folder not writable, a full disk) removes the temporary file, leaves
// the old file as it was, and returns false without a message. An existing file's permission
// bits are kept; a new file is readable by its owner only, since konten.dat holds passwords. A
// file that is a symbolic link is rewritten at the link's target, and the link stays.
bool RewriteDataFile(const AnsiString& fileName, const TDataFileWriter& writer);

// Writes the bytes as the file, atomically (as RewriteDataFile).
bool RewriteDataFileBytes(const AnsiString& fileName, const void* data, std::size_t size);

// The text of the message box that tells the user about a damaged file.
AnsiString DamagedFileMessage(const TDataFileResult& result);

// Raises EDataFileDamaged when count is negative or more than `available / minRecordBytes`:
// a count the remaining bytes cannot hold is never used to reserve anything.
void CheckRecordCount(Integer count, Int64 available, Int64 minRecordBytes, const char* what);

}  // namespace orv
