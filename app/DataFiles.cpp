// Loading the data files with damage detection, and their atomic rewrite.
#include "app/DataFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {
namespace {

bool WriteAll(int fd, const Byte* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Makes the rename itself durable. The new file is in place by then, so a folder that cannot be
// flushed leaves nothing to undo and is not reported.
void FlushFolder(const AnsiString& fileName) {
  AnsiString dir = ExtractFilePath(fileName);
  if (dir.empty()) dir = ".";
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

bool RewriteDataFileBytes(const AnsiString& linkOrFile, const void* data, std::size_t size) {
  // A data file the user replaced by a link is rewritten where the link points, so the link stays.
  AnsiString fileName = linkOrFile;
  struct stat link {};
  if (::lstat(linkOrFile.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char* target = ::realpath(linkOrFile.c_str(), nullptr);
    if (target == nullptr) return false;
    fileName = target;
    std::free(target);
  }
  std::vector<char> tmpName(fileName.begin(), fileName.end());
  for (char c : std::string_view(".XXXXXX")) tmpName.push_back(c);
  tmpName.push_back('\0');
  const int fd = ::mkostemp(tmpName.data(), O_CLOEXEC);
  if (fd < 0) return false;
  struct stat old {};
  if (::stat(fileName.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, static_cast<const Byte*>(data), size) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(tmpName.data(), fileName.c_str()) == 0;
  if (!ok) {
    ::unlink(tmpName.data());
    return false;
  }
  FlushFolder(fileName);
  return true;
}

bool RewriteDataFile(const AnsiString& fileName, const TDataFileWriter& writer) {
  TMemoryStream bytes;
  try {
    writer(bytes);
  } catch (const Exception&) {
    return false;
  }
  return RewriteDataFileBytes(fileName, bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
}

TDataFileResult LoadDataFile(const AnsiString& fileName, const TDataFileReader& reader) {
  TDataFileResult result;
  result.FileName = fileName;
  TMemoryStream data;
  try {
    TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
    data.LoadFromStream(file);
  } catch (const Exception&) {
    return result;
  }
  data.SetPosition(0);
  Integer kept = 0;
  try {
    reader(data, kept);
    if (data.Position() != data.Size())
      throw EDataFileDamaged(Format("%d bytes after the last record",
                                    {static_cast<Int64>(data.Size() - data.Position())}));
    result.State = dfWhole;
  } catch (const Exception& e) {
    // Short reads, refused counts and the streams' own read errors all mean the same: the
    // bytes are not a whole file of this kind.
    result.State = dfDamaged;
    result.Reason = e.Message();
  }
  result.RecordsKept = kept;
  if (result.Damaged())
    (void)RewriteDataFileBytes(fileName + ".damaged", data.Memory(),
                               static_cast<std::size_t>(data.Size()));
  return result;
}

AnsiString DamagedFileMessage(const TDataFileResult& result) {
  return Format(
      "The file \"%s\" is damaged (%s). The %d whole entries read before the damage were kept; "
      "a copy of the damaged file was saved as \"%s.damaged\".",
      {result.FileName, result.Reason, static_cast<Int64>(result.RecordsKept), result.FileName});
}

void CheckRecordCount(Integer count, Int64 available, Int64 minRecordBytes, const char* what) {
  if (count < 0) throw EDataFileDamaged(Format("negative %s count %d", {what, static_cast<Int64>(count)}));
  if (minRecordBytes > 0 && count > available / minRecordBytes)
    throw EDataFileDamaged(Format("%s count %d larger than the file can hold",
                                  {what, static_cast<Int64>(count)}));
}

}  // namespace orv
