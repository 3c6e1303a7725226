// Message throughput of the window layer: posted messages through hooks and dispatch, and sent
// text messages converted between a narrow caller and a Unicode window.
#include <chrono>
#include <cstdio>
#include "platform/win/Hooks.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/WindowObjects.h"

using namespace orv;

namespace {

long gHandled = 0;

LRESULT CountingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_USER) ++gHandled;
  return DefWindowProcW(h, msg, w, l);
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  WNDCLASSW wc;
  wc.lpfnWndProc = &CountingProc;
  wc.lpszClassName = u"BenchWin";
  RegisterClassW(wc);
  HWND hwnd = CreateWindowExW(0, u"BenchWin", u"", 0, 0, 0, 1, 1, nullptr, nullptr, HInstance(), nullptr);
  HHOOK hook = nullptr;
  hook = SetWindowsHookExW(WH_GETMESSAGE, [&](int c, WPARAM w, LPARAM l) { return CallNextHookEx(hook, c, w, l); }, 0, 0);

  constexpr long posted = 2'000'000;
  auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < posted; i += 1000) {
    for (int j = 0; j < 1000; ++j) PostMessageW(hwnd, WM_USER, 0, 0);
    DrainPostedMessages();
  }
  double postSeconds = Seconds(start);
  if (gHandled != posted) return 1;

  constexpr long sent = 500'000;
  const char* text = "Gr\xFC\xDF" "e aus dem Posteingang \x80";
  char back[64];
  start = std::chrono::steady_clock::now();
  for (long i = 0; i < sent; ++i) {
    SendMessageA(hwnd, WM_SETTEXT, 0, PtrLParam(text));
    SendMessageA(hwnd, WM_GETTEXT, sizeof back, PtrLParam(back));
  }
  double sendSeconds = Seconds(start);

  double postRate = posted / postSeconds;
  std::printf("posted and dispatched through a hook: %.0f messages/s\n", postRate);
  std::printf("narrow set/get text pairs on a Unicode window: %.0f pairs/s\n", sent / sendSeconds);
  std::printf("messages: %.0f\n", postRate);
  UnhookWindowsHookEx(hook);
  DestroyWindow(hwnd);
  return 0;
}
