// The posted-message queue of the GUI thread: PostMessage, PeekMessage/GetMessage, dispatch, the quit
// message, and the entry through which input made from Qt events takes the same path.
#pragma once
#include <functional>
#include "platform/win/Messages.h"
#include "platform/win/WinTypes.h"

namespace orv {

// Queues a message for the window (none: a thread message). False for an invalid window.
// Everything here runs on the GUI thread.
bool PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// WM_QUIT with the exit code is returned once every posted message has been taken.
void PostQuitMessage(int exitCode);

// Takes (PM_REMOVE) or looks at (PM_NOREMOVE) the oldest message for hwnd (none: any window and
// thread messages) whose number is in [filterMin, filterMax] (0, 0: all). The WH_GETMESSAGE hooks
// run on it first and may change it. WM_CHAR / WM_IME_CHAR posted with the other kind (A or W) are
// converted to the kind of the call. Never blocks.
bool PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
bool PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Like PeekMessage with PM_REMOVE, but waits for a message by running the Qt event loop.
// Returns 1 for a message, 0 for WM_QUIT, -1 when nothing can arrive (no Qt application and an
// empty queue).
int GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
int GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Characters are made by the forms layer from Qt's text, so this makes nothing.
bool TranslateMessage(const MSG* msg);
// Sends the message to its window's procedure, converting by the call's kind against the window's.
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);

// The dialog manager of a dialog window: a message addressed to the dialog or a window inside it
// is processed here (dispatched in the narrow form, the forms layer doing the dialog-key work in
// the controls' own route) and true returned; it must then not be dispatched again. Any other
// message, or no dialog: false.
bool IsDialogMessageA(HWND dialog, MSG* msg);

// Number of messages waiting (WM_QUIT not counted).
std::size_t PendingMessageCount();
// Drops every waiting message and a pending quit (tests start clean).
void ClearMessageQueue();

// What the application does with each message taken by the draining below: true means handled
// (nothing more happens), false means TranslateMessage and DispatchMessageW follow. Without a
// handler, messages are dispatched and WM_QUIT ends the Qt event loop with its exit code.
using TApplicationMessageHandler = std::function<bool(MSG&)>;
void SetApplicationMessageHandler(TApplicationMessageHandler handler);

// Handles the messages that are waiting now (those posted meanwhile wait for the next turn, so Qt's
// events are never starved). Runs by itself from the Qt event loop whenever the queue is non-empty;
// nothing runs while it is empty.
void DrainPostedMessages();

// Input from Qt events, in wide form (character codes are UTF-16): first the messages posted before it are drained (posted messages come before
// input), then the hooks run on it as on a message taken from the queue and it is handled as above.
// Returns the window procedure's result (0 when a hook or the handler consumed it).
LRESULT DeliverInputMessage(const MSG& msg);

// Message time and position stamps: milliseconds since start, and the cursor position the forms
// layer keeps up to date.
DWORD GetMessageTime();
void SetCursorPosState(POINT screenPos);
bool GetCursorPos(POINT* pos);

}  // namespace orv
