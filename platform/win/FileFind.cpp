// The file search: the folder is listed once at FindFirstFileA, matches are handed out in name order.
#include "platform/win/FileFind.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>
#include "platform/win/LastError.h"

namespace orv {
namespace {

struct TSearch {
  std::vector<WIN32_FIND_DATAA> Matches;
  std::size_t Next = 0;
};

std::map<HANDLE, std::unique_ptr<TSearch>>& Searches() {
  static std::map<HANDLE, std::unique_ptr<TSearch>> searches;
  return searches;
}

bool Describe(const AnsiString& path, const AnsiString& name, WIN32_FIND_DATAA* data) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  DWORD attrs = 0;
  if (S_ISDIR(st.st_mode)) attrs |= FILE_ATTRIBUTE_DIRECTORY;
  else attrs |= FILE_ATTRIBUTE_ARCHIVE;
  if (::access(path.c_str(), W_OK) != 0) attrs |= FILE_ATTRIBUTE_READONLY;
  if (!name.empty() && name[0] == '.') attrs |= FILE_ATTRIBUTE_HIDDEN;
  data->dwFileAttributes = attrs;
  data->nFileSize = S_ISDIR(st.st_mode) ? 0 : static_cast<Int64>(st.st_size);
  data->cFileName = name;
  data->cAlternateFileName.clear();
  return true;
}

}  // namespace

DWORD GetFileAttributesA(const AnsiString& fileName) {
  WIN32_FIND_DATAA data;
  AnsiString path = fileName;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const auto slash = path.find_last_of('/');
  if (path.empty() || !Describe(path, slash == AnsiString::npos ? path : path.substr(slash + 1), &data)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  return data.dwFileAttributes;
}

HANDLE FindFirstFileA(const AnsiString& pattern, WIN32_FIND_DATAA* data) {
  const auto slash = pattern.find_last_of('/');
  const AnsiString folder = slash == AnsiString::npos ? AnsiString(".") : pattern.substr(0, slash + 1);
  const AnsiString mask = slash == AnsiString::npos ? pattern : pattern.substr(slash + 1);
  auto search = std::make_unique<TSearch>();
  if (!mask.empty()) {
    std::vector<AnsiString> names;
    if (mask.find_first_of("*?") == AnsiString::npos) {
      names.push_back(mask);
    } else if (DIR* dir = ::opendir(folder.c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        AnsiString name = entry->d_name;
        if (name != "." && name != ".." && ::fnmatch(mask.c_str(), name.c_str(), 0) == 0) names.push_back(name);
      }
      ::closedir(dir);
      std::sort(names.begin(), names.end());
    }
    const AnsiString prefix = slash == AnsiString::npos ? AnsiString() : folder;
    for (const AnsiString& name : names) {
      WIN32_FIND_DATAA found;
      if (name != "." && name != ".." && Describe(prefix + name, name, &found)) search->Matches.push_back(found);
    }
  }
  if (search->Matches.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (data) *data = search->Matches[0];
  search->Next = 1;
  HANDLE handle = search.get();
  Searches()[handle] = std::move(search);
  return handle;
}

bool FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data) {
  auto it = Searches().find(search);
  if (it == Searches().end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  TSearch& s = *it->second;
  if (s.Next >= s.Matches.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return false;
  }
  if (data) *data = s.Matches[s.Next];
  ++s.Next;
  return true;
}

bool FindClose(HANDLE search) {
  if (Searches().erase(search) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

std::size_t OpenFileSearchCount() { return Searches().size(); }

}  // namespace orv
