// Window text through WM_SETTEXT / WM_GETTEXT / WM_GETTEXTLENGTH, in buffer and string forms.
#include "platform/win/WindowObjects.h"

namespace orv {

bool SetWindowTextA(HWND hwnd, const AnsiString& text) {
  return IsWindow(hwnd) && SendMessageA(hwnd, WM_SETTEXT, 0, PtrLParam(text.c_str())) != 0;
}

bool SetWindowTextW(HWND hwnd, const WideString& text) {
  return IsWindow(hwnd) && SendMessageW(hwnd, WM_SETTEXT, 0, PtrLParam(text.c_str())) != 0;
}

int GetWindowTextA(HWND hwnd, char* buffer, int maxCount) {
  if (buffer == nullptr || maxCount <= 0) return 0;
  buffer[0] = 0;
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), PtrLParam(buffer)));
}

int GetWindowTextW(HWND hwnd, char16_t* buffer, int maxCount) {
  if (buffer == nullptr || maxCount <= 0) return 0;
  buffer[0] = 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), PtrLParam(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) { return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0)); }
int GetWindowTextLengthW(HWND hwnd) { return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

AnsiString WindowTextA(HWND hwnd) {
  int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  AnsiString buffer(static_cast<std::size_t>(length) + 1, '\0');
  int n = GetWindowTextA(hwnd, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(std::max(0, std::min(n, length))));
  return buffer;
}

WideString WindowTextW(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  WideString buffer(static_cast<std::size_t>(length) + 1, u'\0');
  int n = GetWindowTextW(hwnd, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(std::max(0, std::min(n, length))));
  return buffer;
}

}  // namespace orv
