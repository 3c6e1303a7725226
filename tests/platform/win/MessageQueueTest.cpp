// The posted-message queue: hooks on posted and input messages, peeking and getting, the quit
// message, and draining from a running Qt event loop.
#include <gtest/gtest.h>

#include <QTimer>
#include <stdexcept>
#include <string>
#include <vector>
#include "platform/win/Hooks.h"
#include "platform/win/LastError.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/WindowObjects.h"
#include "tests/platform/win/WinTestSupport.h"

namespace orv {
namespace {

std::vector<UINT> gReceived;
std::vector<std::string> gHookLog;

LRESULT RecordingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg >= WM_USER || msg == WM_NULL || msg == WM_LBUTTONDOWN || msg == WM_CHAR) gReceived.push_back(msg);
  return DefWindowProcW(h, msg, w, l);
}

class MessageQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::CoreApp();
    // Whatever earlier tests left behind is handled before this one starts.
    QCoreApplication::processEvents();
    ClearMessageQueue();
    SetApplicationMessageHandler(nullptr);
    gReceived.clear();
    gHookLog.clear();
    FWnd = FClass.Create();
    ASSERT_TRUE(FWnd);
  }
  void TearDown() override {
    for (HHOOK h : FHooks) UnhookWindowsHookEx(h);
    SetApplicationMessageHandler(nullptr);
    ClearMessageQueue();
  }
  HHOOK Hook(HOOKPROC proc) {
    HHOOK h = SetWindowsHookExW(WH_GETMESSAGE, std::move(proc), 0, 0);
    FHooks.push_back(h);
    return h;
  }
  wintest::TScopedClass FClass{u"QueueWin", &RecordingProc, true};
  HWND FWnd;
  std::vector<HHOOK> FHooks;
};

TEST_F(MessageQueue, HooksSeePostedThenInputMessagesNewestHookFirstAndCanSwallowOne) {
  HHOOK older = nullptr;
  HHOOK newer = nullptr;
  older = Hook([&](int code, WPARAM removal, LPARAM lp) -> LRESULT {
    MSG& m = *LParamPtr<MSG>(lp);
    gHookLog.push_back("older " + std::to_string(m.message));
    EXPECT_EQ(removal, PM_REMOVE);
    if (m.message == WM_USER + 1) m.message = WM_NULL;
    return CallNextHookEx(older, code, removal, lp);
  });
  newer = Hook([&](int code, WPARAM removal, LPARAM lp) -> LRESULT {
    gHookLog.push_back("newer " + std::to_string(LParamPtr<MSG>(lp)->message));
    return CallNextHookEx(newer, code, removal, lp);
  });

  PostMessageW(FWnd, WM_USER, 0, 0);
  PostMessageW(FWnd, WM_USER + 1, 0, 0);
  MSG input;
  input.hwnd = FWnd;
  input.message = WM_LBUTTONDOWN;
  // The posted messages come before the input that follows them.
  DeliverInputMessage(input);

  const std::string u0 = std::to_string(WM_USER), u1 = std::to_string(WM_USER + 1),
                    lb = std::to_string(WM_LBUTTONDOWN);
  EXPECT_EQ(gHookLog, (std::vector<std::string>{"newer " + u0, "older " + u0, "newer " + u1,
                                                "older " + u1, "newer " + lb, "older " + lb}));
  EXPECT_EQ(gReceived, (std::vector<UINT>{WM_USER, WM_NULL, WM_LBUTTONDOWN}));
  EXPECT_EQ(PendingMessageCount(), 0u);
}

TEST_F(MessageQueue, AHookThatDoesNotPassOnEndsTheChainAndMayRemoveItself) {
  HHOOK self = nullptr;
  int olderCalls = 0;
  Hook([&](int, WPARAM, LPARAM) -> LRESULT { ++olderCalls; return 0; });
  self = Hook([&](int, WPARAM, LPARAM lp) -> LRESULT {
    LParamPtr<MSG>(lp)->message = WM_NULL;
    EXPECT_TRUE(UnhookWindowsHookEx(self));
    return 0;
  });
  PostMessageW(FWnd, WM_USER, 0, 0);
  PostMessageW(FWnd, WM_USER + 2, 0, 0);
  DrainPostedMessages();
  EXPECT_EQ(gReceived, (std::vector<UINT>{WM_NULL, WM_USER + 2}));
  EXPECT_EQ(olderCalls, 1);
  EXPECT_FALSE(UnhookWindowsHookEx(self));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HOOK_HANDLE);
  EXPECT_FALSE(SetWindowsHookExW(4, [](int, WPARAM, LPARAM) -> LRESULT { return 0; }, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HOOK_FILTER);
}

TEST_F(MessageQueue, RemovingHooksWhileTheChainRunsNeitherCutsNorBreaksIt) {
  HHOOK oldest = nullptr, middle = nullptr, newest = nullptr;
  oldest = Hook([&](int code, WPARAM w, LPARAM lp) -> LRESULT {
    gHookLog.push_back("oldest");
    return CallNextHookEx(oldest, code, w, lp);
  });
  middle = Hook([&](int code, WPARAM w, LPARAM lp) -> LRESULT {
    gHookLog.push_back("middle");
    return CallNextHookEx(middle, code, w, lp);
  });
  newest = Hook([&](int code, WPARAM w, LPARAM lp) -> LRESULT {
    gHookLog.push_back("newest");
    // Gone for later messages; this one still reaches the oldest, and the middle is skipped.
    EXPECT_TRUE(UnhookWindowsHookEx(newest));
    EXPECT_TRUE(UnhookWindowsHookEx(middle));
    return CallNextHookEx(newest, code, w, lp);
  });
  PostMessageW(FWnd, WM_USER, 0, 0);
  PostMessageW(FWnd, WM_USER, 0, 0);
  DrainPostedMessages();
  EXPECT_EQ(gHookLog, (std::vector<std::string>{"newest", "oldest", "oldest"}));
}

TEST_F(MessageQueue, PeekFiltersLeavesOrTakesAndQuitComesLast) {
  PostQuitMessage(3);
  PostMessageW(FWnd, WM_USER, 1, 0);
  PostMessageW(nullptr, WM_USER + 5, 2, 0);
  PostMessageW(FWnd, WM_USER + 9, 3, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 9, WM_USER + 9, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(PendingMessageCount(), 3u);
  ASSERT_TRUE(PeekMessageW(&m, FWnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER);
  ASSERT_TRUE(PeekMessageW(&m, FWnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 9);
  // A window filter never sees thread messages or the quit.
  EXPECT_FALSE(PeekMessageW(&m, FWnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  EXPECT_FALSE(m.hwnd);
  EXPECT_EQ(m.message, WM_USER + 5);
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, PostedCharactersAreTakenInTheTakersKind) {
  PostMessageA(FWnd, WM_CHAR, 0x80, 0);
  PostMessageW(FWnd, WM_CHAR, 0x20AC, 0);
  PostMessageA(FWnd, WM_CHAR, 0x9F, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 0x20ACu);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 0x80u);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 0x9Fu);
}

TEST_F(MessageQueue, TheApplicationHandlerSeesMessagesFirstAndCanKeepThem) {
  std::vector<UINT> seen;
  SetApplicationMessageHandler([&](MSG& m) {
    seen.push_back(m.message);
    return m.message == WM_USER + 1;
  });
  PostMessageW(FWnd, WM_USER, 0, 0);
  PostMessageW(FWnd, WM_USER + 1, 0, 0);
  PostQuitMessage(0);
  DrainPostedMessages();
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_QUIT}));
  EXPECT_EQ(gReceived, (std::vector<UINT>{WM_USER}));
}

TEST_F(MessageQueue, ARunningQtLoopDrainsTheQueueAndEndsOnQuit) {
  auto& app = wintest::CoreApp();
  PostMessageW(FWnd, WM_USER, 0, 0);
  // Each handled message posts the next one: the chain must not keep Qt's own events waiting.
  int chain = 0;
  bool timerRanDuringChain = false;
  WNDPROC old = nullptr;
  WNDPROC repost = MakeObjectInstance([&](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == WM_USER + 3) {
      if (++chain < 50) PostMessageW(h, WM_USER + 3, 0, 0);
      else PostQuitMessage(7);
      return 0;
    }
    return CallWindowProcW(old, h, msg, w, l);
  });
  old = LongToProc(SetWindowLongPtrW(FWnd, GWL_WNDPROC, ProcToLong(repost)));
  PostMessageW(FWnd, WM_USER + 3, 0, 0);
  QObject timers;  // the timers go with this test: fired later they would reach its finished frame
  QTimer::singleShot(0, &timers, [&] { timerRanDuringChain = chain > 0 && chain < 50; });
  // A safety net: the loop must end by the quit message long before this.
  QTimer::singleShot(5000, &timers, [&] { app.exit(-1); });
  int code = app.exec();
  EXPECT_EQ(code, 7);
  EXPECT_EQ(chain, 50);
  EXPECT_TRUE(timerRanDuringChain);
  EXPECT_EQ(gReceived.front(), WM_USER);
  EXPECT_EQ(PendingMessageCount(), 0u);
  SetWindowLongPtrW(FWnd, GWL_WNDPROC, ProcToLong(old));
  FreeObjectInstance(repost);
}

TEST_F(MessageQueue, MessagesLeftBehindAThrowingHandlerAreStillDrainedByTheLoop) {
  SetApplicationMessageHandler([](MSG& m) -> bool {
    if (m.message == WM_USER) throw std::runtime_error("handler failed");
    return false;
  });
  PostMessageW(FWnd, WM_USER, 0, 0);
  PostMessageW(FWnd, WM_USER + 7, 0, 0);
  EXPECT_THROW(DrainPostedMessages(), std::runtime_error);
  SetApplicationMessageHandler(nullptr);
  EXPECT_EQ(PendingMessageCount(), 1u);
  QCoreApplication::processEvents();
  EXPECT_EQ(gReceived, (std::vector<UINT>{WM_USER + 7}));
}

TEST_F(MessageQueue, ProcessMessagesDrainsWhatIsPosted) {
  PostMessageW(FWnd, WM_USER + 4, 0, 0);
  ProcessMessages();
  EXPECT_EQ(gReceived, (std::vector<UINT>{WM_USER + 4}));
}

TEST_F(MessageQueue, GetMessageWaitsInTheQtLoopForAPostedMessage) {
  QTimer::singleShot(10, [&] { PostMessageW(FWnd, WM_USER + 6, 0, 0); });
  MSG m;
  ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.message, WM_USER + 6);
  // Taken by GetMessage, not by the loop's own draining.
  EXPECT_TRUE(gReceived.empty());
  EXPECT_EQ(DispatchMessageW(&m), 0);
  EXPECT_EQ(gReceived, (std::vector<UINT>{WM_USER + 6}));
}

}  // namespace
}  // namespace orv
