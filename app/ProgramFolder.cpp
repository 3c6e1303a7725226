// The folder rule of the data files: beside the program, or in the user's data folder.
#include "app/ProgramFolder.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include "platform/rtl/SysUtils.h"

namespace orv {
namespace {

AnsiString& ProgramPathOverride() {
  static AnsiString path;
  return path;
}

bool Writable(const AnsiString& dir) {
  return !dir.empty() && access(dir.c_str(), W_OK | X_OK) == 0;
}

// mkdir -p; true when dir exists as a folder afterwards.
bool MakeFolders(const AnsiString& dir) {
  for (std::size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    const AnsiString part = dir.substr(0, i);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

AnsiString UserDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  // The base-directory rules ignore a relative XDG_DATA_HOME.
  if (xdg != nullptr && xdg[0] == '/') return IncludeTrailingPathDelimiter(xdg) + "orvinta/";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return AnsiString();
  return IncludeTrailingPathDelimiter(home) + ".local/share/orvinta/";
}

}  // namespace

AnsiString ProgramFolderOf(const AnsiString& path) {
  const AnsiString folder = ExtractFilePath(path);
  // A bare program name runs from the current folder.
  return folder.empty() ? AnsiString("./") : IncludeTrailingPathDelimiter(folder);
}

AnsiString DataFolderFor(const AnsiString& programFolder) {
  if (Writable(programFolder)) return programFolder;
  const AnsiString user = UserDataFolder();
  if (user.empty() || !MakeFolders(user)) return programFolder;
  return user;
}

AnsiString ProgramPath() {
  const AnsiString& path = ProgramPathOverride();
  return path.empty() ? ParamStr0() : path;
}

void SetProgramPath(const AnsiString& path) { ProgramPathOverride() = path; }

}  // namespace orv
