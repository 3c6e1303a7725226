// The module file name, the fixed Windows directory and the command line read from the process.
#include "platform/win/SystemPaths.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include "platform/rtl/CodePages.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/LastError.h"
#include "platform/win/Libraries.h"

namespace orv {

namespace {

constexpr const char16_t* WindowsDirectory = u"C:\\Windows";

template <class TChar>
DWORD CopyModuleName(const std::basic_string<TChar>& name, HINSTANCE module, TChar* buffer, DWORD size) {
  if (module != 0 && module != HInstance()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (buffer == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (name.size() < size) {
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = 0;
    return static_cast<DWORD>(name.size());
  }
  std::copy_n(name.begin(), size, buffer);
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

template <class TChar>
UINT CopyOrSize(const std::basic_string<TChar>& text, TChar* buffer, UINT size) {
  if (buffer == nullptr || text.size() >= size) return static_cast<UINT>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<UINT>(text.size());
}

// Paths on this system are UTF-8 bytes.
WideString ProgramFileName() { return Utf8ToWide(ParamStr0()); }

WideString ReadCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  WideString line;
  std::size_t start = 0;
  while (start < raw.size()) {
    std::size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    WideString arg = Utf8ToWide(raw.substr(start, end - start));
    if (!line.empty()) line += u' ';
    if (arg.empty() || arg.find_first_of(u" \t") != WideString::npos) line += u'"' + arg + u'"';
    else line += arg;
    start = end + 1;
  }
  return line;
}

}  // namespace

DWORD GetModuleFileNameA(HINSTANCE module, char* buffer, DWORD size) {
  return CopyModuleName(WideToAnsi(ProgramFileName()), module, buffer, size);
}

DWORD GetModuleFileNameW(HINSTANCE module, char16_t* buffer, DWORD size) {
  return CopyModuleName(ProgramFileName(), module, buffer, size);
}

UINT GetWindowsDirectoryA(char* buffer, UINT size) {
  return CopyOrSize(WideToAnsi(WindowsDirectory), buffer, size);
}

UINT GetWindowsDirectoryW(char16_t* buffer, UINT size) {
  return CopyOrSize(WideString(WindowsDirectory), buffer, size);
}

const char16_t* GetCommandLineW() {
  static const WideString line = ReadCommandLine();
  return line.c_str();
}

}  // namespace orv
