// Sending messages and calling procedures, with the narrow/wide conversion of the text-bearing
// messages through the ANSI code page when the caller's kind and the procedure's differ.
#include <algorithm>
#include "platform/rtl/CodePages.h"
#include "platform/win/LastError.h"
#include "platform/win/NameKey.h"
#include "platform/win/WindowInternal.h"

namespace orv {

namespace winimpl {

bool IsTextMessage(UINT msg) {
  switch (msg) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_NCCREATE:
    case WM_CREATE:
      return true;
    default:
      return false;
  }
}

namespace {

// Wide text from a narrow caller, or narrow text from a wide caller, at a message's lParam.
WideString WideOf(LPARAM lp) {
  const char* p = LParamPtr<const char>(lp);
  return AnsiToWide(AnsiString(p, TextLength(p)));
}
AnsiString NarrowOf(LPARAM lp) {
  const char16_t* p = LParamPtr<const char16_t>(lp);
  return WideToAnsi(WideString(p, TextLength(p)));
}

// The text left in a buffer of capacity units by a procedure that answered result: up to the
// terminator, never beyond the buffer.
template <class TChar>
std::basic_string<TChar> TextIn(const std::basic_string<TChar>& buffer, LRESULT result) {
  std::size_t n = std::find(buffer.begin(), buffer.end(), TChar(0)) - buffer.begin();
  if (result >= 0) n = std::min<std::size_t>(n, static_cast<std::size_t>(result));
  return buffer.substr(0, n);
}

// Longer texts are not converted: no window holds one, and a buffer for it is not made.
constexpr std::uint64_t MaxConvertedText = 1u << 24;

// A temporary buffer for the procedure's text: the caller's capacity, but no more than the text
// needs, so a large capacity never makes a large buffer.
std::size_t BufferUnits(WNDPROC proc, HWND hwnd, WPARAM capacity) {
  LRESULT length = proc(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::uint64_t need = length < 0 ? 1 : static_cast<std::uint64_t>(length) + 1;
  return static_cast<std::size_t>(std::min<std::uint64_t>({capacity, need, MaxConvertedText}));
}

template <class TChar>
LRESULT CopyOut(const std::basic_string<TChar>& text, WPARAM capacity, LPARAM lp) {
  TChar* out = LParamPtr<TChar>(lp);
  std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
  std::copy_n(text.begin(), n, out);
  out[n] = 0;
  return static_cast<LRESULT>(n);
}

// A narrow character code (single byte, or lead byte in the high half for WM_IME_CHAR) as bytes.
AnsiString BytesOfChar(WPARAM w) {
  if (w > 0xFF) return {static_cast<char>((w >> 8) & 0xFF), static_cast<char>(w & 0xFF)};
  return AnsiString(1, static_cast<char>(w));
}

template <class TFrom, class TTo>
TTo ConvertCreate(const TFrom& cs, const decltype(TTo::lpszName)& name,
                  const decltype(TTo::lpszClass)& cls) {
  TTo out;
  out.lpCreateParams = cs.lpCreateParams;
  out.hInstance = cs.hInstance;
  out.hMenu = cs.hMenu;
  out.hwndParent = cs.hwndParent;
  out.cy = cs.cy;
  out.cx = cs.cx;
  out.y = cs.y;
  out.x = cs.x;
  out.style = cs.style;
  out.lpszName = name;
  out.lpszClass = cls;
  out.dwExStyle = cs.dwExStyle;
  return out;
}

// Narrow caller, Unicode procedure.
LRESULT NarrowToWide(WNDPROC proc, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SETTEXT: {
      if (l == 0) return proc(hwnd, msg, w, l);
      WideString text = WideOf(l);
      return proc(hwnd, msg, w, PtrLParam(text.c_str()));
    }
    case WM_GETTEXT: {
      if (w == 0 || l == 0) return 0;
      WideString buffer(BufferUnits(proc, hwnd, w), u'\0');
      LRESULT r = proc(hwnd, msg, buffer.size(), PtrLParam(buffer.data()));
      return CopyOut(WideToAnsi(TextIn(buffer, r)), w, l);
    }
    case WM_GETTEXTLENGTH: {
      LRESULT length = proc(hwnd, msg, w, l);
      if (length <= 0 || static_cast<std::uint64_t>(length) > MaxConvertedText) return length;
      WideString buffer(static_cast<std::size_t>(length) + 1, u'\0');
      LRESULT r = proc(hwnd, WM_GETTEXT, buffer.size(), PtrLParam(buffer.data()));
      return static_cast<LRESULT>(WideToAnsi(TextIn(buffer, r)).size());
    }
    case WM_CHAR:
    case WM_IME_CHAR: {
      if (w > (msg == WM_CHAR ? 0xFFu : 0xFFFFu)) return proc(hwnd, msg, w, l);
      WideString c = AnsiToWide(BytesOfChar(w));
      return proc(hwnd, msg, c.empty() ? 0 : c[0], l);
    }
    case WM_NCCREATE:
    case WM_CREATE: {
      if (l == 0) return proc(hwnd, msg, w, l);
      const auto& cs = *LParamPtr<const CREATESTRUCTA>(l);
      WideString name = AnsiToWide(AnsiString(cs.lpszName, TextLength(cs.lpszName)));
      WideString cls = AnsiToWide(AnsiString(cs.lpszClass, TextLength(cs.lpszClass)));
      auto csw = ConvertCreate<CREATESTRUCTA, CREATESTRUCTW>(
          cs, cs.lpszName != nullptr ? name.c_str() : nullptr, cls.c_str());
      return proc(hwnd, msg, w, PtrLParam(&csw));
    }
    default:
      return proc(hwnd, msg, w, l);
  }
}

// Wide caller, narrow procedure.
LRESULT WideToNarrow(WNDPROC proc, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SETTEXT: {
      if (l == 0) return proc(hwnd, msg, w, l);
      AnsiString text = NarrowOf(l);
      return proc(hwnd, msg, w, PtrLParam(text.c_str()));
    }
    case WM_GETTEXT: {
      if (w == 0 || l == 0) return 0;
      // Room for a double-byte code page: two bytes a character.
      AnsiString buffer(BufferUnits(proc, hwnd, w > MaxConvertedText ? w : w * 2), '\0');
      LRESULT r = proc(hwnd, msg, buffer.size(), PtrLParam(buffer.data()));
      return CopyOut(AnsiToWide(TextIn(buffer, r)), w, l);
    }
    case WM_GETTEXTLENGTH: {
      LRESULT length = proc(hwnd, msg, w, l);
      if (length <= 0 || static_cast<std::uint64_t>(length) > MaxConvertedText) return length;
      AnsiString buffer(static_cast<std::size_t>(length) + 1, '\0');
      LRESULT r = proc(hwnd, WM_GETTEXT, buffer.size(), PtrLParam(buffer.data()));
      return static_cast<LRESULT>(AnsiToWide(TextIn(buffer, r)).size());
    }
    case WM_CHAR:
    case WM_IME_CHAR: {
      if (w > 0xFFFF) return proc(hwnd, msg, w, l);
      AnsiString bytes = WideToAnsi(WideString(1, static_cast<char16_t>(w)));
      if (bytes.size() == 2 && msg == WM_IME_CHAR)
        return proc(hwnd, msg, (static_cast<Byte>(bytes[0]) << 8) | static_cast<Byte>(bytes[1]), l);
      LRESULT r = 0;
      // A double-byte character reaches a narrow WM_CHAR handler as its two bytes in turn.
      for (char b : bytes) r = proc(hwnd, msg, static_cast<Byte>(b), l);
      return r;
    }
    case WM_NCCREATE:
    case WM_CREATE: {
      if (l == 0) return proc(hwnd, msg, w, l);
      const auto& cs = *LParamPtr<const CREATESTRUCTW>(l);
      AnsiString name = WideToAnsi(WideString(cs.lpszName, TextLength(cs.lpszName)));
      AnsiString cls = WideToAnsi(WideString(cs.lpszClass, TextLength(cs.lpszClass)));
      auto csa = ConvertCreate<CREATESTRUCTW, CREATESTRUCTA>(
          cs, cs.lpszName != nullptr ? name.c_str() : nullptr, cls.c_str());
      return proc(hwnd, msg, w, PtrLParam(&csa));
    }
    default:
      return proc(hwnd, msg, w, l);
  }
}

}  // namespace

LRESULT CallConverted(WNDPROC proc, bool procUnicode, HWND hwnd, UINT msg, WPARAM wParam,
                      LPARAM lParam, bool callUnicode) {
  if (proc == nullptr) return 0;
  if (procUnicode == callUnicode || !IsTextMessage(msg)) return proc(hwnd, msg, wParam, lParam);
  return callUnicode ? WideToNarrow(proc, hwnd, msg, wParam, lParam)
                     : NarrowToWide(proc, hwnd, msg, wParam, lParam);
}

}  // namespace winimpl

using namespace winimpl;

namespace {

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
  TWindowObject* obj = FindOrFail(hwnd);
  if (obj == nullptr) return 0;
  return CallConverted(obj->Proc, obj->Unicode, hwnd, msg, wParam, lParam, wide);
}

}  // namespace

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Send(hwnd, msg, wParam, lParam, false);
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Send(hwnd, msg, wParam, lParam, true);
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallConverted(proc, ProcIsUnicode(proc, false), hwnd, msg, wParam, lParam, false);
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallConverted(proc, ProcIsUnicode(proc, true), hwnd, msg, wParam, lParam, true);
}

}  // namespace orv
