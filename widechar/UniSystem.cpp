// The platform flags and the conversion code page, set once at start.
#include "widechar/UniSystem.h"

#include "platform/win/Version.h"

namespace orv {

// The wide interface is always present on this system; the start step still reads the platform from
// the version provider, which tests set to another one.
bool Win32PlatformIsUnicode = true;
bool Win32PlatformIsXPOrLater = true;
Cardinal DefaultConversionCodePage = 0;

void InitUniSystem() { DefaultConversionCodePage = 0; }

void InitUniSysUtils() {
  const TOSVersion& v = OSVersion();
  Win32PlatformIsUnicode = v.PlatformId == VER_PLATFORM_WIN32_NT;
  Win32PlatformIsXPOrLater = (v.MajorVersion == 5 && v.MinorVersion >= 1) || v.MajorVersion > 5;
}

}  // namespace orv
