// The value types of the window and message layer: handles, message parameters, points and rectangles.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include "platform/rtl/Types.h"

namespace orv {

using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using WORD = std::uint16_t;
using ATOM = std::uint16_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR
using LONG_PTR = std::int64_t;
using WPARAM = std::uint64_t;
using LPARAM = std::int64_t;
using LRESULT = std::int64_t;
using HANDLE = void*;

// An opaque handle: a small value looked up in a table, never a pointer. The value 0 is "none".
// A handle whose object is gone is simply invalid; a new object never gets the value of an old one.
template <class Tag>
struct THandle {
  std::uint64_t Value = 0;
  constexpr THandle() = default;
  constexpr THandle(std::nullptr_t) {}
  constexpr explicit THandle(std::uint64_t value) : Value(value) {}
  constexpr explicit operator bool() const { return Value != 0; }
  friend constexpr bool operator==(THandle, THandle) = default;
  // The handle as a message parameter and back.
  constexpr WPARAM AsWParam() const { return Value; }
  constexpr LPARAM AsLParam() const { return static_cast<LPARAM>(Value); }
  static constexpr THandle FromParam(std::uint64_t v) { return THandle(v); }
};

using HWND = THandle<struct THwndTag>;
using HHOOK = THandle<struct THhookTag>;
using HMENU = THandle<struct THmenuTag>;
// Module instances: the program's own is HInstance(); any non-zero value names a module.
using HINSTANCE = std::uint64_t;
HINSTANCE HInstance();

// A window procedure. Closures become window procedures through MakeObjectInstance.
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
  LONG x = 0;
  LONG y = 0;
  friend bool operator==(const POINT&, const POINT&) = default;
};
struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
  friend bool operator==(const SIZE&, const SIZE&) = default;
};
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
  friend bool operator==(const RECT&, const RECT&) = default;
};

struct MSG {
  HWND hwnd;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};

constexpr WORD LOWORD(std::uint64_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uint64_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LONG MAKELONG(WORD lo, WORD hi) {
  return static_cast<LONG>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<DWORD>(MAKELONG(lo, hi)); }
constexpr COLORREF RGB(Byte r, Byte g, Byte b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
// Signed mouse coordinates packed in an LPARAM.
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<std::int16_t>(LOWORD(static_cast<std::uint64_t>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<std::int16_t>(HIWORD(static_cast<std::uint64_t>(lp))); }

// Pointers carried in message parameters.
template <class T>
T* LParamPtr(LPARAM lp) { return reinterpret_cast<T*>(static_cast<std::intptr_t>(lp)); }
template <class T>
LPARAM PtrLParam(T* p) { return static_cast<LPARAM>(reinterpret_cast<std::intptr_t>(p)); }

}  // namespace orv

template <class Tag>
struct std::hash<orv::THandle<Tag>> {
  std::size_t operator()(orv::THandle<Tag> h) const noexcept { return std::hash<std::uint64_t>()(h.Value); }
};
