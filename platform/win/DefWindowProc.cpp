// The default window procedure: keeps the window text (wide), answers the format query and closes.
#include <algorithm>
#include "platform/rtl/CodePages.h"
#include "platform/win/NameKey.h"
#include "platform/win/WindowInternal.h"

namespace orv {

using namespace winimpl;

namespace {

template <class TChar>
LRESULT CopyText(const std::basic_string<TChar>& text, WPARAM capacity, LPARAM lp) {
  if (capacity == 0 || lp == 0) return 0;
  TChar* out = LParamPtr<TChar>(lp);
  std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
  std::copy_n(text.begin(), n, out);
  out[n] = 0;
  return static_cast<LRESULT>(n);
}

LRESULT DefProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
  TWindowObject* obj = Find(hwnd);
  if (obj == nullptr) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      if (lParam != 0) {
        if (wide) {
          const auto& cs = *LParamPtr<const CREATESTRUCTW>(lParam);
          obj->Text = WideString(cs.lpszName, TextLength(cs.lpszName));
        } else {
          const auto& cs = *LParamPtr<const CREATESTRUCTA>(lParam);
          obj->Text = AnsiToWide(AnsiString(cs.lpszName, TextLength(cs.lpszName)));
        }
      }
      return 1;
    }
    case WM_SETTEXT:
      if (lParam == 0) {
        obj->Text.clear();
      } else if (wide) {
        const char16_t* p = LParamPtr<const char16_t>(lParam);
        obj->Text.assign(p, TextLength(p));
      } else {
        const char* p = LParamPtr<const char>(lParam);
        obj->Text = AnsiToWide(AnsiString(p, TextLength(p)));
      }
      return 1;
    case WM_GETTEXT:
      return wide ? CopyText(obj->Text, wParam, lParam) : CopyText(WideToAnsi(obj->Text), wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(wide ? obj->Text.size() : WideToAnsi(obj->Text).size());
    case WM_NOTIFYFORMAT:
      if (lParam == NF_QUERY) return obj->Unicode ? NFR_UNICODE : NFR_ANSI;
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    default:
      return 0;
  }
}

}  // namespace

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefProc(hwnd, msg, wParam, lParam, false);
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefProc(hwnd, msg, wParam, lParam, true);
}

}  // namespace orv
