// Helpers for the window-layer tests: a Qt application for the event loop, and a clean queue.
#pragma once
#include <QCoreApplication>
#include "platform/win/MessageQueue.h"
#include "platform/win/WindowObjects.h"

namespace orv::wintest {

// One application object for the whole test program, whichever test wants it first.
inline QCoreApplication& CoreApp() {
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "win_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
  }
  return *QCoreApplication::instance();
}

// Registers a class for the test and removes it (with any window left) afterwards.
class TScopedClass {
 public:
  TScopedClass(const char16_t* name, WNDPROC proc, bool unicode) : FName(name) {
    if (unicode) {
      WNDCLASSW wc;
      wc.lpfnWndProc = proc;
      wc.lpszClassName = name;
      FAtom = RegisterClassW(wc);
    } else {
      AnsiString narrow(FName.begin(), FName.end());
      WNDCLASSA wc;
      wc.lpfnWndProc = proc;
      wc.lpszClassName = narrow.c_str();
      FAtom = RegisterClassA(wc);
    }
  }
  ~TScopedClass() {
    for (HWND h : FWindows) DestroyWindow(h);
    UnregisterClassW(FName, 0);
  }
  HWND Create(const WideString& text = u"", HWND parent = nullptr, DWORD style = 0) {
    HWND h = CreateWindowExW(0, FName, text, style, 0, 0, 10, 10, parent, nullptr, HInstance(), nullptr);
    FWindows.push_back(h);
    return h;
  }
  ATOM Atom() const { return FAtom; }
  const WideString& Name() const { return FName; }

 private:
  WideString FName;
  ATOM FAtom = 0;
  std::vector<HWND> FWindows;
};

}  // namespace orv::wintest
