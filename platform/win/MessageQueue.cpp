// The posted-message queue of the GUI thread: posting, taking with hooks, dispatch, draining.
#include "platform/win/MessageQueue.h"

#include <chrono>
#include <deque>
#include "platform/win/Immortal.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Hooks.h"
#include "platform/win/LastError.h"
#include "platform/win/QueueInternal.h"
#include "platform/win/WindowInternal.h"

namespace orv {

namespace {

struct TPosted {
  MSG Msg;
  bool Wide = false;
};

struct TQueueState {
  std::deque<TPosted> Queue;
  bool QuitPending = false;
  int QuitCode = 0;
  int GetMessageDepth = 0;
  TApplicationMessageHandler Handler;
  POINT CursorPos;
};

TQueueState& State() {
  static winimpl::TImmortal<TQueueState> state;
  return state.Get();
}

bool Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
  if (hwnd && !winimpl::FindOrFail(hwnd)) return false;
  auto& s = State();
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = GetMessageTime();
  m.pt = s.CursorPos;
  s.Queue.push_back({m, wide});
  winimpl::ScheduleDrain();
  return true;
}

// A character code posted by one kind (A or W) and taken by the other.
WPARAM ConvertCharCode(UINT msg, WPARAM w, bool toWide) {
  if (toWide) {
    if (w > (msg == WM_CHAR ? 0xFFu : 0xFFFFu)) return w;
    AnsiString bytes = w > 0xFF ? AnsiString{static_cast<char>(w >> 8), static_cast<char>(w & 0xFF)}
                                : AnsiString(1, static_cast<char>(w));
    WideString c = AnsiToWide(bytes);
    return c.empty() ? 0 : c[0];
  }
  if (w > 0xFFFF) return w;
  AnsiString bytes = WideToAnsi(WideString(1, static_cast<char16_t>(w)));
  if (bytes.empty()) return 0;
  if (bytes.size() == 2) return (static_cast<WPARAM>(static_cast<Byte>(bytes[0])) << 8) | static_cast<Byte>(bytes[1]);
  return static_cast<Byte>(bytes[0]);
}

bool InRange(UINT msg, UINT filterMin, UINT filterMax) {
  return (filterMin == 0 && filterMax == 0) || (msg >= filterMin && msg <= filterMax);
}

bool Take(MSG* out, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg, bool wide) {
  auto& s = State();
  bool remove = (removeMsg & PM_REMOVE) != 0;
  MSG m;
  bool found = false;
  for (auto it = s.Queue.begin(); it != s.Queue.end(); ++it) {
    if ((hwnd && it->Msg.hwnd != hwnd) || !InRange(it->Msg.message, filterMin, filterMax)) continue;
    m = it->Msg;
    if ((m.message == WM_CHAR || m.message == WM_IME_CHAR) && it->Wide != wide)
      m.wParam = ConvertCharCode(m.message, m.wParam, wide);
    if (remove) s.Queue.erase(it);
    found = true;
    break;
  }
  if (!found) {
    if (!s.QuitPending || hwnd || !InRange(WM_QUIT, filterMin, filterMax)) return false;
    m = MSG();
    m.message = WM_QUIT;
    m.wParam = static_cast<WPARAM>(static_cast<std::int64_t>(s.QuitCode));
    m.time = GetMessageTime();
    m.pt = s.CursorPos;
    if (remove) s.QuitPending = false;
  }
  RunGetMessageHooks(m, remove ? PM_REMOVE : PM_NOREMOVE);
  if (out != nullptr) *out = m;
  return true;
}

int Get(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool wide) {
  auto& s = State();
  for (;;) {
    if (Take(msg, hwnd, filterMin, filterMax, PM_REMOVE, wide)) {
      if (!s.Queue.empty() || s.QuitPending) winimpl::ScheduleDrain();
      return msg != nullptr && msg->message == WM_QUIT ? 0 : 1;
    }
    if (hwnd && !winimpl::FindOrFail(hwnd)) return -1;
    ++s.GetMessageDepth;
    bool waited = winimpl::WaitForEvents();
    --s.GetMessageDepth;
    if (!waited) return -1;
  }
}

LRESULT Dispatch(const MSG* msg, bool wide) {
  if (msg == nullptr || !msg->hwnd) return 0;
  winimpl::TWindowObject* obj = winimpl::FindOrFail(msg->hwnd);
  if (obj == nullptr) return 0;
  return winimpl::CallConverted(obj->Proc, obj->Unicode, msg->hwnd, msg->message, msg->wParam,
                                msg->lParam, wide);
}

LRESULT Handle(MSG& m) {
  auto& s = State();
  if (s.Handler) {
    // A copy: the handler may replace itself while it runs.
    TApplicationMessageHandler handler = s.Handler;
    if (handler(m)) return 0;
  }
  if (m.message == WM_QUIT) {
    winimpl::ExitEventLoop(static_cast<int>(m.wParam));
    return 0;
  }
  TranslateMessage(&m);
  return DispatchMessageW(&m);
}

}  // namespace

namespace winimpl {

void DiscardPostedMessages(HWND hwnd) {
  auto& q = State().Queue;
  std::erase_if(q, [&](const TPosted& p) { return p.Msg.hwnd == hwnd; });
}

void DrainFromEventLoop() {
  // A GetMessage loop below us takes the messages itself.
  if (State().GetMessageDepth > 0) return;
  DrainPostedMessages();
}

}  // namespace winimpl

bool PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return Post(hwnd, msg, wParam, lParam, false); }
bool PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return Post(hwnd, msg, wParam, lParam, true); }

void PostQuitMessage(int exitCode) {
  auto& s = State();
  s.QuitPending = true;
  s.QuitCode = exitCode;
  winimpl::ScheduleDrain();
}

bool PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  return Take(msg, hwnd, filterMin, filterMax, removeMsg, false);
}
bool PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  return Take(msg, hwnd, filterMin, filterMax, removeMsg, true);
}

int GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) { return Get(msg, hwnd, filterMin, filterMax, false); }
int GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) { return Get(msg, hwnd, filterMin, filterMax, true); }

bool TranslateMessage(const MSG*) { return false; }

LRESULT DispatchMessageA(const MSG* msg) { return Dispatch(msg, false); }
LRESULT DispatchMessageW(const MSG* msg) { return Dispatch(msg, true); }

bool IsDialogMessageA(HWND dialog, MSG* msg) {
  if (msg == nullptr || !dialog || !IsWindow(dialog) || !msg->hwnd) return false;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return false;
  DispatchMessageA(msg);
  return true;
}

std::size_t PendingMessageCount() { return State().Queue.size(); }

void ClearMessageQueue() {
  auto& s = State();
  s.Queue.clear();
  s.QuitPending = false;
  s.QuitCode = 0;
}

void SetApplicationMessageHandler(TApplicationMessageHandler handler) { State().Handler = std::move(handler); }

void DrainPostedMessages() {
  auto& s = State();
  // Only what is waiting now; what these messages post waits for the next turn of the loop.
  std::size_t n = s.Queue.size() + (s.QuitPending ? 1 : 0);
  // Also when a handler throws: what is left must still be drained later.
  struct TReschedule {
    TQueueState& State;
    ~TReschedule() {
      if (!State.Queue.empty() || State.QuitPending) winimpl::ScheduleDrain();
    }
  } reschedule{s};
  for (std::size_t i = 0; i < n; ++i) {
    MSG m;
    if (!Take(&m, nullptr, 0, 0, PM_REMOVE, true)) break;
    Handle(m);
  }
}

LRESULT DeliverInputMessage(const MSG& msg) {
  auto& s = State();
  if (s.GetMessageDepth == 0 && (!s.Queue.empty())) {
    std::size_t n = s.Queue.size();
    for (std::size_t i = 0; i < n; ++i) {
      MSG m;
      if (!Take(&m, nullptr, 0, 0, PM_REMOVE, true) ) break;
      if (m.message == WM_QUIT) {
        // The quit stays behind the input.
        s.QuitPending = true;
        s.QuitCode = static_cast<int>(m.wParam);
        break;
      }
      Handle(m);
    }
  }
  MSG m = msg;
  if (m.time == 0) m.time = GetMessageTime();
  RunGetMessageHooks(m, PM_REMOVE);
  return Handle(m);
}

DWORD GetMessageTime() {
  static const auto start = std::chrono::steady_clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  return static_cast<DWORD>(ms.count());
}

void SetCursorPosState(POINT screenPos) { State().CursorPos = screenPos; }

bool GetCursorPos(POINT* pos) {
  if (pos == nullptr) return false;
  *pos = State().CursorPos;
  return true;
}

}  // namespace orv
