// File-name helpers and file-system queries; names use "/" and a folder ends with "/".
#include <dirent.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace orv {

AnsiString ExtractFilePath(std::string_view fileName) {
  auto p = fileName.rfind('/');
  return p == std::string_view::npos ? AnsiString() : AnsiString(fileName.substr(0, p + 1));
}

AnsiString ExtractFileName(std::string_view fileName) {
  auto p = fileName.rfind('/');
  return AnsiString(p == std::string_view::npos ? fileName : fileName.substr(p + 1));
}

AnsiString ExtractFileExt(std::string_view fileName) {
  auto slash = fileName.rfind('/');
  auto dot = fileName.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return AnsiString(fileName.substr(dot));
}

AnsiString ChangeFileExt(std::string_view fileName, std::string_view ext) {
  auto slash = fileName.rfind('/');
  auto dot = fileName.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) dot = fileName.size();
  return AnsiString(fileName.substr(0, dot)) + AnsiString(ext);
}

AnsiString IncludeTrailingPathDelimiter(std::string_view path) {
  AnsiString out(path);
  if (out.empty() || out.back() != '/') out += '/';
  return out;
}

AnsiString GetCurrentDir() {
  std::vector<char> buf(PATH_MAX);
  while (!getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE || buf.size() > (1u << 20)) RaiseLastOSError();
    buf.resize(buf.size() * 2);
  }
  return AnsiString(buf.data());
}

AnsiString ExpandFileName(std::string_view fileName) {
  AnsiString full = !fileName.empty() && fileName[0] == '/' ? AnsiString(fileName)
                                                            : IncludeTrailingPathDelimiter(GetCurrentDir()) + AnsiString(fileName);
  bool trailing = !full.empty() && full.back() == '/';
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= full.size()) {
    auto j = full.find('/', i);
    if (j == AnsiString::npos) j = full.size();
    std::string part = full.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  AnsiString out;
  for (const auto& p : parts) out += "/" + p;
  if (out.empty() || trailing) out += "/";
  return out;
}

bool FileExists(const AnsiString& fileName) {
  struct stat st;
  return stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& dir) {
  struct stat st;
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const AnsiString& fileName) { return unlink(fileName.c_str()) == 0; }

bool RenameFile(const AnsiString& oldName, const AnsiString& newName) {
  return std::rename(oldName.c_str(), newName.c_str()) == 0;
}

Int64 FileSizeOf(const AnsiString& fileName) {
  struct stat st;
  if (stat(fileName.c_str(), &st) != 0) return -1;
  return static_cast<Int64>(st.st_size);
}

AnsiString FindFileNoCase(const AnsiString& fileName) {
  if (FileExists(fileName)) return fileName;
  AnsiString dir = ExtractFilePath(fileName);
  AnsiString name = ExtractFileName(fileName);
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return fileName;
  AnsiString found = fileName;
  while (dirent* e = readdir(d)) {
    if (SameText(e->d_name, name)) {
      found = dir + e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}

AnsiString ParamStr0() {
  std::vector<char> buf(PATH_MAX + 1);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  return n > 0 ? AnsiString(buf.data(), static_cast<std::size_t>(n)) : AnsiString();
}

std::uint64_t GetTickCount64() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

void Sleep(unsigned milliseconds) {
  timespec ts{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

AnsiString GetComputerName() {
  char buf[256] = {};
  if (gethostname(buf, sizeof buf - 1) != 0) return {};
  return AnsiString(buf);
}

}  // namespace orv
