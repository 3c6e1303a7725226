// Message hooks of the GUI thread (WH_GETMESSAGE): called for every message taken from the queue.
#pragma once
#include <functional>
#include "platform/win/Messages.h"
#include "platform/win/WinTypes.h"

namespace orv {

// code is HC_ACTION, wParam the removal flag (PM_REMOVE or PM_NOREMOVE), lParam points to the MSG,
// which the hook may change (e.g. into WM_NULL). A hook passes on by CallNextHookEx.
using HOOKPROC = std::function<LRESULT(int code, WPARAM wParam, LPARAM lParam)>;

// Only WH_GETMESSAGE is known; another kind fails with ERROR_INVALID_HOOK_FILTER, an empty procedure
// with ERROR_INVALID_FILTER_PROC. The last one installed runs first.
HHOOK SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
// Calls the hook installed before hook (0 at the end of the chain or for an unknown hook).
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
// Fails (ERROR_INVALID_HOOK_HANDLE) for an unknown or already removed hook. A hook may remove
// itself or another while running.
bool UnhookWindowsHookEx(HHOOK hook);

// Runs the WH_GETMESSAGE chain on a message taken from the queue.
void RunGetMessageHooks(MSG& msg, UINT removeFlag);

}  // namespace orv
