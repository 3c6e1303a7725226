// Window objects: creation and destruction messages, handle validity after destruction, the
// subclassing chain with CallWindowProc, classes, properties and atoms.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "platform/win/Atoms.h"
#include "platform/win/LastError.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Version.h"
#include "platform/win/WindowObjects.h"
#include "tests/platform/win/WinTestSupport.h"

namespace orv {
namespace {

std::vector<std::string> gLog;

std::string Tag(HWND h) { return std::to_string(GetWindowLongPtrW(h, GWL_USERDATA)); }

LRESULT LoggingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_NCCREATE: gLog.push_back("nccreate"); break;
    case WM_CREATE: gLog.push_back("create " + WindowTextA(h)); break;
    case WM_DESTROY: gLog.push_back("destroy " + Tag(h)); break;
    case WM_NCDESTROY: gLog.push_back("ncdestroy " + Tag(h)); break;
    case WM_USER: gLog.push_back("user " + Tag(h)); return 42;
    default: break;
  }
  return DefWindowProcW(h, msg, w, l);
}

LRESULT FailCreateProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_CREATE) return -1;
  return DefWindowProcW(h, msg, w, l);
}

class WindowObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    gLog.clear();
    ClearMessageQueue();
  }
  wintest::TScopedClass FClass{u"LogWin", &LoggingProc, true};
};

TEST_F(WindowObjects, CreationSendsNcCreateThenCreateWithTheText) {
  std::size_t before = WindowCount();
  HWND h = FClass.Create(u"Hello");
  ASSERT_TRUE(h);
  EXPECT_EQ(gLog, (std::vector<std::string>{"nccreate", "create Hello"}));
  EXPECT_EQ(WindowCount(), before + 1);
  EXPECT_EQ(WindowClassName(h), u"LogWin");
}

TEST_F(WindowObjects, FailedCreationLeavesNoWindow) {
  wintest::TScopedClass failing(u"FailWin", &FailCreateProc, true);
  std::size_t before = WindowCount();
  EXPECT_FALSE(failing.Create(u"x"));
  EXPECT_EQ(WindowCount(), before);
  SetLastError(0);
  EXPECT_FALSE(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WindowObjects, DestroyingAParentDestroysItsChildrenInOrder) {
  HWND parent = FClass.Create();
  HWND child = FClass.Create(u"", parent, WS_CHILD);
  HWND grandchild = FClass.Create(u"", child, WS_CHILD);
  SetWindowLongPtrW(parent, GWL_USERDATA, 1);
  SetWindowLongPtrW(child, GWL_USERDATA, 2);
  SetWindowLongPtrW(grandchild, GWL_USERDATA, 3);
  EXPECT_TRUE(IsChild(parent, grandchild));
  PostMessageW(child, WM_USER, 0, 0);
  gLog.clear();

  EXPECT_TRUE(DestroyWindow(parent));
  EXPECT_EQ(gLog, (std::vector<std::string>{"destroy 1", "destroy 2", "destroy 3", "ncdestroy 3",
                                            "ncdestroy 2", "ncdestroy 1"}));
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
  // The child's posted message went with it.
  EXPECT_EQ(PendingMessageCount(), 0u);
  EXPECT_FALSE(DestroyWindow(parent));
}

TEST_F(WindowObjects, AnOldHandleNeverReachesTheWindowThatReusesItsSlot) {
  HWND old = FClass.Create(u"old");
  SetWindowLongPtrW(old, GWL_USERDATA, 7);
  ASSERT_TRUE(DestroyWindow(old));
  HWND fresh = FClass.Create(u"fresh");
  SetWindowLongPtrW(fresh, GWL_USERDATA, 8);
  ASSERT_TRUE(fresh);
  EXPECT_NE(fresh, old);
  gLog.clear();

  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(SendMessageW(old, WM_USER, 0, 0), 0);
  EXPECT_FALSE(SetWindowTextW(old, u"hijack"));
  EXPECT_FALSE(PostMessageW(old, WM_USER, 0, 0));
  EXPECT_EQ(GetWindowLongPtrW(old, GWL_USERDATA), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_TRUE(gLog.empty());
  EXPECT_EQ(WindowTextW(fresh), u"fresh");
  EXPECT_EQ(SendMessageW(fresh, WM_USER, 0, 0), 42);

  // Many turns of the same slot never bring back a handle seen before.
  std::vector<HWND> seen{old, fresh};
  for (int i = 0; i < 200; ++i) {
    HWND h = CreateWindowExW(0, u"LogWin", u"", 0, 0, 0, 1, 1, nullptr, nullptr, HInstance(), nullptr);
    ASSERT_EQ(std::count(seen.begin(), seen.end(), h), 0);
    seen.push_back(h);
    DestroyWindow(h);
  }
}

TEST_F(WindowObjects, DestroyFromInsideItsOwnProcedureIsSafe) {
  HWND h = FClass.Create();
  // WM_CLOSE reaches the default procedure, which destroys the window while it is being called.
  EXPECT_EQ(SendMessageW(h, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindow(h));
}

// The subclassing chain: each procedure logs and hands on to the one it replaced.
WNDPROC gBaseProc = nullptr;
WNDPROC gFirstOld = nullptr;
std::string gFirstSawNarrow;

LRESULT FirstSubclass(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_SETTEXT) {
    gLog.push_back("first");
    gFirstSawNarrow = LParamPtr<const char>(l);
  }
  return CallWindowProcA(gFirstOld, h, msg, w, l);
}

TEST_F(WindowObjects, SubclassingChainsThroughCallWindowProcAcrossKinds) {
  HWND h = FClass.Create();
  ASSERT_TRUE(IsWindowUnicode(h));
  gBaseProc = LongToProc(GetWindowLongPtrW(h, GWL_WNDPROC));
  EXPECT_EQ(gBaseProc, &LoggingProc);

  // A narrow subclass makes the window narrow.
  gFirstOld = LongToProc(SetWindowLongPtrA(h, GWL_WNDPROC, ProcToLong(&FirstSubclass)));
  EXPECT_EQ(gFirstOld, &LoggingProc);
  EXPECT_FALSE(IsWindowUnicode(h));

  // A closure on top, wide again.
  WNDPROC secondOld = nullptr;
  WNDPROC second = MakeObjectInstance([&](HWND hw, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == WM_SETTEXT) gLog.push_back("second");
    return CallWindowProcW(secondOld, hw, msg, w, l);
  });
  secondOld = LongToProc(SetWindowLongPtrW(h, GWL_WNDPROC, ProcToLong(second)));
  EXPECT_EQ(secondOld, &FirstSubclass);
  EXPECT_TRUE(IsWindowUnicode(h));

  gLog.clear();
  ASSERT_TRUE(SetWindowTextW(h, u"\u20AC\u00E4"));
  EXPECT_EQ(gLog, (std::vector<std::string>{"second", "first"}));
  // The narrow link saw bytes; the wide base stored the text back in wide form.
  EXPECT_EQ(gFirstSawNarrow, "\x80\xE4");
  EXPECT_EQ(WindowTextW(h), u"\u20AC\u00E4");

  // Unhooking restores the previous kind.
  SetWindowLongPtrW(h, GWL_WNDPROC, ProcToLong(gFirstOld));
  EXPECT_TRUE(IsWindowUnicode(h));
  gLog.clear();
  SetWindowTextW(h, u"x");
  EXPECT_TRUE(gLog.empty());
  FreeObjectInstance(second);
}

TEST_F(WindowObjects, ClassesAreFoundWithoutRegardToCaseAndOnlyRemovedWhenUnused) {
  WNDCLASSA info;
  ASSERT_TRUE(GetClassInfoA(HInstance(), "LOGWIN", &info));
  EXPECT_EQ(info.lpfnWndProc, &LoggingProc);
  EXPECT_STREQ(info.lpszClassName, "LogWin");
  WNDCLASSW again;
  again.lpfnWndProc = &LoggingProc;
  again.lpszClassName = u"logwin";
  EXPECT_EQ(RegisterClassW(again), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

  HWND h = FClass.Create();
  EXPECT_FALSE(UnregisterClassW(u"LogWin", HInstance()));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  DestroyWindow(h);
}

TEST_F(WindowObjects, PropertiesLiveUnderAtomsAndGoWithTheWindow) {
  HWND h = FClass.Create();
  int value = 5;
  ASSERT_TRUE(SetPropA(h, "ControlOfs00400000", &value));
  ATOM atom = GlobalFindAtomW(u"controlofs00400000");
  ASSERT_NE(atom, 0);
  EXPECT_EQ(GetProp(h, atom), &value);
  EXPECT_EQ(GetPropW(h, u"CONTROLOFS00400000"), &value);
  EXPECT_EQ(GetPropA(h, "Other"), nullptr);

  // An atom added by the program outlives the window; the property's own reference does not.
  ATOM kept = GlobalAddAtomA("KeptAtom");
  ASSERT_TRUE(SetProp(h, kept, &value));
  DestroyWindow(h);
  EXPECT_EQ(GlobalFindAtomA("ControlOfs00400000"), 0);
  EXPECT_EQ(GlobalFindAtomA("KeptAtom"), kept);
  EXPECT_EQ(GlobalDeleteAtom(kept), 0);
  EXPECT_EQ(GlobalFindAtomA("KeptAtom"), 0);
}

TEST_F(WindowObjects, AtomsCountAdditionsAndKnowIntegerNames) {
  ATOM a = GlobalAddAtomW(u"Shared");
  EXPECT_GE(a, 0xC000);
  EXPECT_EQ(GlobalAddAtomA("SHARED"), a);
  EXPECT_EQ(GlobalDeleteAtom(a), 0);
  EXPECT_EQ(GlobalFindAtomW(u"shared"), a);
  EXPECT_EQ(AtomName(a), u"Shared");
  EXPECT_EQ(GlobalDeleteAtom(a), 0);
  EXPECT_EQ(GlobalFindAtomW(u"shared"), 0);
  EXPECT_EQ(GlobalDeleteAtom(a), a);

  EXPECT_EQ(GlobalAddAtomA("#123"), 123);
  EXPECT_EQ(AtomName(123), u"#123");
  EXPECT_EQ(GlobalAddAtomA("#49152"), 0);
  EXPECT_EQ(GlobalAddAtomA(""), 0);
  EXPECT_EQ(GlobalAddAtomA(std::string(256, 'a')), 0);
}

TEST_F(WindowObjects, RemovingAPropertyHandsBackItsData) {
  HWND h = FClass.Create();
  int value = 1;
  SetPropW(h, u"P", &value);
  EXPECT_EQ(RemovePropW(h, u"p"), &value);
  EXPECT_EQ(GetPropW(h, u"P"), nullptr);
  EXPECT_EQ(GlobalFindAtomW(u"P"), 0);
  EXPECT_EQ(RemovePropW(h, u"P"), nullptr);
}

TEST_F(WindowObjects, ThreadWindowsAreTheTopLevelOnesOldestFirst) {
  HWND first = FClass.Create();
  HWND child = FClass.Create(u"", first, WS_CHILD);
  HWND second = FClass.Create();
  std::vector<HWND> seen;
  EXPECT_TRUE(EnumThreadWindows(GetCurrentThreadId(), [&](HWND h) {
    if (h == first || h == second || h == child) seen.push_back(h);
    return true;
  }));
  EXPECT_EQ(seen, (std::vector<HWND>{first, second}));
  int calls = 0;
  EnumThreadWindows(GetCurrentThreadId(), [&](HWND) { return ++calls < 1; });
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(EnumThreadWindows(GetCurrentThreadId() + 1, [](HWND) { return true; }));
  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(child, &pid), GetCurrentThreadId());
  EXPECT_EQ(pid, GetCurrentProcessId());
}

TEST_F(WindowObjects, ActiveAndFocusWindowsForgetADestroyedWindow) {
  HWND form = FClass.Create();
  HWND edit = FClass.Create(u"", form, WS_CHILD);
  SetActiveWindowState(form);
  SetFocusState(edit);
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_EQ(GetFocus(), edit);
  DestroyWindow(form);
  EXPECT_FALSE(GetActiveWindow());
  EXPECT_FALSE(GetFocus());
  EXPECT_FALSE(SetFocusState(edit));  // an invalid window is not taken
  EXPECT_FALSE(GetFocus());
}

TEST_F(WindowObjects, NotifyFormatAnswersByTheWindowsKind) {
  wintest::TScopedClass narrow(u"NarrowFmt", &DefWindowProcA, false);
  HWND a = narrow.Create();
  HWND w = FClass.Create();
  EXPECT_EQ(SendMessageW(a, WM_NOTIFYFORMAT, 0, NF_QUERY), NFR_ANSI);
  EXPECT_EQ(SendMessageA(w, WM_NOTIFYFORMAT, 0, NF_QUERY), NFR_UNICODE);
}

}  // namespace
}  // namespace orv
