// Which windows have flat scroll bars turned on.
#include "platform/win/FlatScrollBars.h"

#include <unordered_set>
#include "platform/win/Immortal.h"
#include "platform/win/WindowObjects.h"

namespace orv {
namespace {

std::unordered_set<HWND>& FlatWindows() {
  static winimpl::TImmortal<std::unordered_set<HWND>> windows;
  return windows.Get();
}

}  // namespace

bool InitializeFlatSB(HWND hwnd) {
  if (!IsWindow(hwnd)) return false;
  FlatWindows().insert(hwnd);
  return true;
}

HRESULT UninitializeFlatSB(HWND hwnd) { return FlatWindows().erase(hwnd) != 0 ? S_OK : S_FALSE; }

// A handle is never given to a later window, so a destroyed window's entry only waits here.
bool HasFlatScrollBars(HWND hwnd) { return IsWindow(hwnd) && FlatWindows().count(hwnd) != 0; }

}  // namespace orv
