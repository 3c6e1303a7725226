// The send options' file options.dat: seven fields, the options read back with their ranges.
#pragma once
#include "app/DataFiles.h"

namespace orv {

// The ranges of the option controls that clamp.
inline constexpr Integer MinBccCount = 1;
inline constexpr Integer MaxBccCount = 100;
inline constexpr Integer MinVirusCount = 0;
inline constexpr Integer MaxVirusCount = 100000;
// Field 3 of the file: always written, skipped when read.
inline constexpr Integer OptionsFixedField = 20;
// The number of fields in options.dat.
inline constexpr Integer OptionsFieldCount = 7;

struct TOptionsRec {
  Integer MailField = 0;     // MailFieldEd, no limits
  Integer BccCount = 20;     // bccCountEd
  Integer KontoIndex = 0;    // FKontoIndex, as stored (the send page resolves one out of range)
  Integer VirusCount = 0;    // VirusEd
  bool Bcc = false;          // bccCheck checked
  AnsiString TablePath;      // FilenameEdit1's file name
  // False when the path was not read (missing or damaged file): the default table stays.
  bool HasTablePath = false;
};

// Reads options.dat into `options`, clamping bccCountEd and VirusEd into their ranges. Fields are
// taken one by one as they are read whole; those after damage keep what `options` held. A missing
// file leaves `options` unchanged. RecordsKept counts the fields read (field 3 included).
// The caller fills `options` from its controls first and puts every field back afterwards, so a
// damaged file changes only what it held whole; it sets the table only when HasTablePath.
TDataFileResult OpenOptionsFile(const AnsiString& fileName, TOptionsRec& options);
// Rewrites options.dat atomically; false (old file untouched) when it cannot be written,
// including when the path is over 255 bytes.
bool SaveOptionsFile(const AnsiString& fileName, const TOptionsRec& options);

void ReadOptions(TStream& data, TOptionsRec& options, Integer& kept);
void WriteOptions(TStream& data, const TOptionsRec& options);

// The message shown where a table path is chosen when options.dat could not hold it (over 255
// bytes in the ANSI code page), or empty when it fits.
AnsiString CheckTablePath(const AnsiString& path);

}  // namespace orv
