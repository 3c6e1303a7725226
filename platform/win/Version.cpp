// The version and platform provider, and MessageBeep's replaceable sink.
#include "platform/win/Version.h"

#include <algorithm>

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

bool MessageBeep(UINT type) {
  if (auto sink = BeepSink()) sink(type);
  return true;
}

void SetMessageBeepSink(std::function<void(UINT)> sink) { BeepSink() = std::move(sink); }

}  // namespace orv
