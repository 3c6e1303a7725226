// Which windows have flat scroll bars turned on, and who is told of a change.
#include "platform/win/FlatScrollBars.h"

#include <unordered_set>
#include "platform/win/Immortal.h"
#include "platform/win/WindowObjects.h"

namespace orv {
namespace {

struct TFlatState {
  std::unordered_set<HWND> Windows;
  std::function<void(HWND, bool)> Sink;
};

TFlatState& State() {
  static winimpl::TImmortal<TFlatState> state;
  return state.Get();
}

}  // namespace

bool InitializeFlatSB(HWND hwnd) {
  if (!IsWindow(hwnd)) return false;
  if (State().Windows.insert(hwnd).second && State().Sink) State().Sink(hwnd, true);
  return true;
}

HRESULT UninitializeFlatSB(HWND hwnd) {
  if (State().Windows.erase(hwnd) == 0) return S_FALSE;
  if (State().Sink && IsWindow(hwnd)) State().Sink(hwnd, false);
  return S_OK;
}

// A handle is never given to a later window, so a destroyed window's entry only waits here.
bool HasFlatScrollBars(HWND hwnd) { return IsWindow(hwnd) && State().Windows.count(hwnd) != 0; }

void SetFlatScrollBarSink(std::function<void(HWND, bool)> sink) { State().Sink = std::move(sink); }

}  // namespace orv
