// The wrapper family of the wide system calls and their narrow roads.
#include "widechar/UniWindows.h"

#include <algorithm>
#include "platform/rtl/CodePages.h"
#include "platform/win/Nls.h"
#include "platform/win/SystemPaths.h"
#include "widechar/UniSystem.h"

namespace orv {

namespace {

constexpr DWORD NarrowPathBuffer = 260;

std::size_t TerminatedLength(const WideChar* text) {
  std::size_t n = 0;
  if (text != nullptr)
    while (text[n] != 0) ++n;
  return n;
}

WideString Counted(const WideChar* text, int count) {
  if (text == nullptr) return {};
  return WideString(text, count < 0 ? TerminatedLength(text) : static_cast<std::size_t>(count));
}

}  // namespace

DWORD CopyNarrowResultToWideBuffer(DWORD size, WideChar* buffer, const AnsiString& narrow, TNarrowCopyMode mode) {
  const WideString wide = AnsiToWide(narrow);
  const auto length = static_cast<DWORD>(wide.size());
  if (length < size) {
    std::copy(wide.begin(), wide.end(), buffer);
    buffer[length] = 0;
    return length;
  }
  if (mode == ncmTruncate) {
    std::copy_n(wide.begin(), size, buffer);
    return size;
  }
  return length + 1;
}

bool WideSetWindowText(HWND window, const WideString& text) {
  if (Win32PlatformIsUnicode) return SetWindowTextW(window, text);
  return SetWindowTextA(window, WideToAnsi(text));
}

int WideDrawText(HDC dc, const WideChar* text, int count, TRect* rect, UINT format) {
  if (Win32PlatformIsUnicode) return DrawTextW(dc, text, count, rect, format);
  const AnsiString narrow = WideToAnsi(Counted(text, count));
  return DrawTextA(dc, narrow.c_str(), -1, rect, format);
}

DWORD WideGetModuleFileName(HINSTANCE module, WideChar* buffer, DWORD size) {
  if (Win32PlatformIsUnicode) return GetModuleFileNameW(module, buffer, size);
  char narrow[NarrowPathBuffer];
  const DWORD n = GetModuleFileNameA(module, narrow, NarrowPathBuffer);
  if (n == 0) return 0;
  return CopyNarrowResultToWideBuffer(size, buffer, AnsiString(narrow, std::min(n, NarrowPathBuffer)), ncmTruncate);
}

UINT WideGetWindowsDirectory(WideChar* buffer, UINT size) {
  if (Win32PlatformIsUnicode) return GetWindowsDirectoryW(buffer, size);
  char narrow[NarrowPathBuffer];
  const UINT n = GetWindowsDirectoryA(narrow, NarrowPathBuffer);
  // A failure, or a directory the narrow buffer cannot hold, is reported as the system reports it.
  if (n == 0 || n >= NarrowPathBuffer) return n;
  return CopyNarrowResultToWideBuffer(size, buffer, AnsiString(narrow, n), ncmSize);
}

int WideCompareString(Cardinal locale, Cardinal flags, const WideChar* text1, int count1,
                      const WideChar* text2, int count2) {
  const WideString a = Counted(text1, count1);
  const WideString b = Counted(text2, count2);
  if (Win32PlatformIsUnicode) return CompareStringW(locale, flags, a, b) + 2;
  if (flags == 0) {
    const int r = a.compare(b);
    return r < 0 ? 1 : r == 0 ? 2 : 3;
  }
  return CompareStringA(locale, flags, WideToAnsi(a), WideToAnsi(b)) + 2;
}

WideChar WideCharUpper(WideChar c) {
  if (Win32PlatformIsUnicode) return CharUpperW(c);
  bool usedDefault = false;
  const AnsiString narrow = WideToMultiByte(WideString(1, c), DefaultConversionCodePage, &usedDefault);
  if (usedDefault) return c;
  const WideString back = MultiByteToWide(CharUpper(narrow), DefaultConversionCodePage);
  return back.size() == 1 ? back[0] : c;
}

WideChar* WideCharUpper(WideChar* text) {
  if (text == nullptr) return text;
  for (WideChar* p = text; *p != 0; ++p) *p = WideCharUpper(*p);
  return text;
}

DWORD WideCharUpperBuff(WideChar* buffer, DWORD count) {
  if (Win32PlatformIsUnicode) {
    CharUpperBuffW(buffer, count);
    return count;
  }
  for (DWORD i = 0; i < count; ++i) buffer[i] = WideCharUpper(buffer[i]);
  return count;
}

}  // namespace orv
