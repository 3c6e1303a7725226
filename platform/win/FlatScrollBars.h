// Flat scroll bars of a window: turned on and off per window (the look is the widget's own).
#pragma once
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

}  // namespace orv
