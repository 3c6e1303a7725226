// The version and platform provider, the computer name, and MessageBeep's replaceable sink.
#include "platform/win/Version.h"

#include <sys/syscall.h>
#include <unistd.h>
#include <algorithm>
#include "platform/rtl/CodePages.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/LastError.h"

namespace orv {

namespace {

TOSVersion& Current() {
  static TOSVersion version;
  return version;
}

std::function<void(UINT)>& BeepSink() {
  static std::function<void(UINT)> sink;
  return sink;
}

}  // namespace

const TOSVersion& OSVersion() { return Current(); }
void SetOSVersion(const TOSVersion& version) { Current() = version; }
void ResetOSVersion() { Current() = TOSVersion(); }

bool GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return false;
  const auto& v = Current();
  info->dwMajorVersion = v.MajorVersion;
  info->dwMinorVersion = v.MinorVersion;
  info->dwBuildNumber = v.BuildNumber;
  info->dwPlatformId = v.PlatformId;
  std::size_t n = std::min(v.CSDVersion.size(), sizeof(info->szCSDVersion) - 1);
  v.CSDVersion.copy(info->szCSDVersion, n);
  info->szCSDVersion[n] = 0;
  return true;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

AnsiString ComputerName() {
  AnsiString host = GetComputerName();
  host = host.substr(0, host.find('.'));
  if (host.size() > MAX_COMPUTERNAME_LENGTH) host.resize(MAX_COMPUTERNAME_LENGTH);
  return UpperCase(host);
}

namespace {

template <class TString>
bool CopyName(const TString& name, typename TString::value_type* buffer, DWORD* size) {
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (buffer == nullptr || *size <= name.size()) {
    *size = static_cast<DWORD>(name.size() + 1);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return false;
  }
  name.copy(buffer, name.size());
  buffer[name.size()] = 0;
  *size = static_cast<DWORD>(name.size());
  return true;
}

}  // namespace

bool GetComputerNameA(char* buffer, DWORD* size) { return CopyName(ComputerName(), buffer, size); }
bool GetComputerNameW(char16_t* buffer, DWORD* size) { return CopyName(AnsiToWide(ComputerName()), buffer, size); }

bool MessageBeep(UINT type) {
  if (auto sink = BeepSink()) sink(type);
  return true;
}

void SetMessageBeepSink(std::function<void(UINT)> sink) { BeepSink() = std::move(sink); }

}  // namespace orv
