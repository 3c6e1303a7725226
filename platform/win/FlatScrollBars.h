// Flat scroll bars of a window: turned on and off per window; the forms layer hears of each change
// and gives the window's widget the look.
#pragma once
#include <functional>
#include "platform/win/WinTypes.h"

namespace orv {

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

// False for an invalid window.
bool InitializeFlatSB(HWND hwnd);
// S_OK once they are off again; S_FALSE when the window had none.
HRESULT UninitializeFlatSB(HWND hwnd);
bool HasFlatScrollBars(HWND hwnd);

// Told (window, flat) whenever a window's bars turn flat or back to normal.
void SetFlatScrollBarSink(std::function<void(HWND, bool)> sink);

}  // namespace orv
