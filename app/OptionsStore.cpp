// options.dat: five 32-bit fields, the bcc flag and the address-table path as a short string.
#include "app/OptionsStore.h"

#include <algorithm>

#include "app/Tervan.h"
#include "platform/rtl/Format.h"

namespace orv {

void ReadOptions(TStream& data, TOptionsRec& options, Integer& kept) {
  options.MailField = ReadInt32(data);
  kept = 1;
  options.BccCount = std::clamp(ReadInt32(data), MinBccCount, MaxBccCount);
  kept = 2;
  (void)ReadInt32(data);
  kept = 3;
  options.KontoIndex = ReadInt32(data);
  kept = 4;
  options.VirusCount = std::clamp(ReadInt32(data), MinVirusCount, MaxVirusCount);
  kept = 5;
  options.Bcc = ReadInt32(data) != 0;
  kept = 6;
  options.TablePath = ReadShortStr(data);
  options.HasTablePath = true;
  kept = 7;
}

void WriteOptions(TStream& data, const TOptionsRec& options) {
  WriteInt32(data, options.MailField);
  WriteInt32(data, options.BccCount);
  WriteInt32(data, OptionsFixedField);
  WriteInt32(data, options.KontoIndex);
  WriteInt32(data, options.VirusCount);
  WriteInt32(data, options.Bcc ? 1 : 0);
  WriteShortStr(data, options.TablePath);
}

TDataFileResult OpenOptionsFile(const AnsiString& fileName, TOptionsRec& options) {
  // Fields land in a copy first only to keep the caller's record unchanged for a missing file;
  // every whole field read before damage is kept.
  TOptionsRec read = options;
  TDataFileResult result = LoadDataFile(
      fileName, [&read](TStream& data, Integer& kept) { ReadOptions(data, read, kept); });
  if (result.State != dfMissing) options = read;
  return result;
}

bool SaveOptionsFile(const AnsiString& fileName, const TOptionsRec& options) {
  return RewriteDataFile(fileName, [&options](TStream& data) { WriteOptions(data, options); });
}

AnsiString CheckTablePath(const AnsiString& path) {
  if (path.size() <= MaxShortStrLength) return {};
  return Format("The path of the data base is %d bytes long; at most %d bytes can be stored.",
                {static_cast<Int64>(path.size()), static_cast<Int64>(MaxShortStrLength)});
}

}  // namespace orv
