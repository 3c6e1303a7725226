// Wide system calls with narrow fall-backs: each calls the W function unchanged when
// Win32PlatformIsUnicode is set, and otherwise converts through the ANSI code page and calls the A
// function. The results are the system function's.
#pragma once
#include "platform/graphics/Gdi.h"
#include "platform/win/WindowObjects.h"

namespace orv {

bool WideSetWindowText(HWND window, const WideString& text);
// count -1: the whole terminated text. The narrow road draws the first count characters converted,
// with count -1.
int WideDrawText(HDC dc, const WideChar* text, int count, TRect* rect, UINT format);
// The buffer forms: see GetModuleFileNameW and GetWindowsDirectoryW. The narrow road reads into a
// 260-byte buffer and copies by CopyNarrowResultToWideBuffer (module names truncated, the
// directory reporting the size it needs).
DWORD WideGetModuleFileName(HINSTANCE module, WideChar* buffer, DWORD size);
UINT WideGetWindowsDirectory(WideChar* buffer, UINT size);
// The system's less (1), equal (2) and greater (3). count -1: up to the terminator. The narrow road
// compares by code units when flags are 0, else converts to ANSI and compares with the locale.
int WideCompareString(Cardinal locale, Cardinal flags, const WideChar* text1, int count1,
                      const WideChar* text2, int count2);
// One character; the narrow road upper-cases only a character that converts to
// DefaultConversionCodePage without the default character and comes back as one character.
WideChar WideCharUpper(WideChar c);
// A terminated text, upper-cased in place; returns it.
WideChar* WideCharUpper(WideChar* text);
// Each of the count characters by WideCharUpper; returns count.
DWORD WideCharUpperBuff(WideChar* buffer, DWORD count);

enum TNarrowCopyMode { ncmTruncate, ncmSize };
// Copies a narrow result into a wide buffer of size units. It fits: text and terminator, the
// result is its length. Otherwise truncate mode copies exactly size units without terminator and
// returns size; size mode leaves the buffer and returns the length + 1.
DWORD CopyNarrowResultToWideBuffer(DWORD size, WideChar* buffer, const AnsiString& narrow, TNarrowCopyMode mode);

}  // namespace orv
