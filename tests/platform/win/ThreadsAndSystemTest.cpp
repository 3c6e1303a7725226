// Threads with calls synchronised onto the window thread, the module file name, Windows directory
// and command line, system error texts, wide upper-casing, the dialog manager, object instances
// coming back for another kind, and the desktop folder.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <vector>
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/LastError.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/Nls.h"
#include "platform/win/ShellFolders.h"
#include "platform/win/SystemPaths.h"
#include "platform/win/Threads.h"
#include "tests/platform/win/WinTestSupport.h"

namespace orv {
namespace {

class TCountingThread : public TThread {
 public:
  explicit TCountingThread(bool suspended) : TThread(suspended) {}
  ~TCountingThread() override {
    Terminate();
    WaitFor();
  }
  std::atomic<int> Loops{0};
  std::vector<std::thread::id> SyncThreads;

 protected:
  void Execute() override {
    while (!Terminated()) {
      if (Loops++ == 0) Synchronize([this] { SyncThreads.push_back(std::this_thread::get_id()); });
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
};

TEST(Threads, ASuspendedThreadStartsOnResumeAndSynchronisesOntoTheWindowThread) {
  wintest::CoreApp();
  TCountingThread thread(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(thread.Loops, 0) << "a thread made suspended does not run";
  EXPECT_TRUE(thread.Suspended());
  int terminated = 0;
  thread.OnTerminate = [&](TObject*) {
    ++terminated;
    EXPECT_TRUE(TThread::IsMainThread()) << "OnTerminate runs on the window thread";
  };
  thread.Resume();
  // The synchronised call waits for the window thread, which runs it while pumping.
  while (thread.SyncThreads.empty()) ProcessMessages();
  EXPECT_EQ(thread.SyncThreads, std::vector<std::thread::id>{std::this_thread::get_id()});
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(terminated, 1) << "waiting on the window thread runs the thread's last synchronised call";
}

TEST(Threads, SynchronizeOnTheWindowThreadRunsAtOnceAndPassesExceptionsOn) {
  int runs = 0;
  TThread::Synchronize([&] { ++runs; });
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(CheckSynchronize()) << "nothing was queued";
  EXPECT_THROW(TThread::Synchronize([] { throw Exception("failed"); }), Exception);
  TCriticalSection section;
  {
    TLock outer(section);
    TLock inner(section);  // the owner may enter again
  }
  EXPECT_GE(NumberOfProcessors(), 1u);
}

TEST(SystemPaths, ModuleNameWindowsDirectoryAndCommandLine) {
  const WideString full = Utf8ToWide(ParamStr0());
  std::vector<char16_t> room(full.size() + 1);
  EXPECT_EQ(GetModuleFileNameW(0, room.data(), static_cast<DWORD>(room.size())), full.size());
  EXPECT_EQ(WideString(room.data()), full);
  std::vector<char> narrow(4, '#');
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(HInstance(), narrow.data(), 4), 4u) << "a short buffer is filled to its end";
  EXPECT_EQ(std::string(narrow.data(), 4), WideToAnsi(full).substr(0, 4));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(GetModuleFileNameW(7, room.data(), 10), 0u);
  EXPECT_EQ(GetLastError(), 126u);

  char dir[16];
  EXPECT_EQ(GetWindowsDirectoryA(dir, sizeof dir), 10u);
  EXPECT_STREQ(dir, "C:\\Windows");
  EXPECT_EQ(GetWindowsDirectoryA(dir, 10), 11u) << "no room for the terminator: the size needed";
  EXPECT_EQ(GetWindowsDirectoryW(nullptr, 0), 11u);

  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string argv0;
  std::getline(in, argv0, '\0');
  const WideString line = GetCommandLineW();
  EXPECT_EQ(line.substr(0, argv0.size()), Utf8ToWide(argv0)) << "the command line starts with the program";
  EXPECT_EQ(line, WideString(GetCommandLineW())) << "read once, the same text every time";
}

TEST(SystemErrors, TextsOfTheCodesAndTheRaisedException) {
  EXPECT_EQ(SysErrorMessage(1400), "Invalid window handle.");
  EXPECT_EQ(SysErrorMessage(4242), "Unknown error 4242");
  SetLastError(1410);
  try {
    RaiseLastSystemError();
    ADD_FAILURE();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 1410);
    EXPECT_EQ(e.Message(), "System Error.  Code: 1410.\r\nClass already exists.");
  }
  SetLastError(0);
  EXPECT_THROW(RaiseLastSystemError(), EOSError);
}

TEST(WideUpperCase, SimpleMappingOfEachUnit) {
  EXPECT_EQ(CharUpperW(u'a'), u'A');
  EXPECT_EQ(CharUpperW(u'\u00E9'), u'\u00C9');
  EXPECT_EQ(CharUpperW(u'\u00DF'), u'\u00DF') << "sharp s has no one-unit upper case";
  EXPECT_EQ(CharUpperW(u'\u03C9'), u'\u03A9');
  EXPECT_EQ(CharUpperW(char16_t(0xD801)), char16_t(0xD801));
  WideString text = u"gr\u00FC\u00DFe";
  CharUpperBuffW(text.data(), 3);
  EXPECT_EQ(text, u"GR\u00DC\u00DFe");
}

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  static std::vector<std::pair<UINT, WPARAM>>* seen = nullptr;
  if (hwnd == HWND() && msg == 0) {
    seen = reinterpret_cast<std::vector<std::pair<UINT, WPARAM>>*>(l);
    return 0;
  }
  if (seen != nullptr && msg == WM_CHAR) seen->emplace_back(msg, w);
  return DefWindowProcA(hwnd, msg, w, l);
}

TEST(DialogManager, TakesTheMessagesOfTheDialogAndItsChildrenInNarrowForm) {
  std::vector<std::pair<UINT, WPARAM>> seen;
  RecordingProc(HWND(), 0, 0, reinterpret_cast<LPARAM>(&seen));
  wintest::TScopedClass cls(u"DialogManagerTest", &RecordingProc, false);
  HWND dialog = CreateWindowExA(0, "DialogManagerTest", "", WS_POPUP, 0, 0, 10, 10, HWND(), HMENU(), HInstance(), nullptr);
  HWND child = CreateWindowExA(0, "DialogManagerTest", "", WS_CHILD, 0, 0, 5, 5, dialog, HMENU(), HInstance(), nullptr);
  HWND other = CreateWindowExA(0, "DialogManagerTest", "", WS_POPUP, 0, 0, 10, 10, HWND(), HMENU(), HInstance(), nullptr);
  MSG msg;
  msg.hwnd = child;
  msg.message = WM_CHAR;
  msg.wParam = 0xE9;
  EXPECT_TRUE(IsDialogMessageA(dialog, &msg));
  msg.hwnd = other;
  EXPECT_FALSE(IsDialogMessageA(dialog, &msg)) << "a window outside the dialog is not its business";
  EXPECT_FALSE(IsDialogMessageA(HWND(), &msg));
  EXPECT_EQ(seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_CHAR, 0xE9}}));
  DestroyWindow(other);
  DestroyWindow(dialog);
  RecordingProc(HWND(), 0, 0, 0);
}

TEST(ObjectInstances, AFreedProcedureForgetsTheKindItWasInstalledWith) {
  wintest::TScopedClass cls(u"InstanceKindTest", &DefWindowProcW, true);
  HWND hwnd = CreateWindowExW(0, u"InstanceKindTest", u"", WS_POPUP, 0, 0, 1, 1, HWND(), HMENU(), HInstance(), nullptr);
  WNDPROC narrowProc = MakeObjectInstance([](HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); });
  SetWindowLongPtrA(hwnd, GWL_WNDPROC, ProcToLong(narrowProc));
  SetWindowLongPtrW(hwnd, GWL_WNDPROC, ProcToLong(&DefWindowProcW));
  FreeObjectInstance(narrowProc);
  // The same slot now holds a closure that expects wide text.
  WideString got;
  WNDPROC wideProc = MakeObjectInstance([&](HWND, UINT m, WPARAM, LPARAM l) -> LRESULT {
    if (m == WM_SETTEXT) got = LParamPtr<const char16_t>(l);
    return 1;
  });
  ASSERT_EQ(wideProc, narrowProc) << "the freed slot is given out again";
  const WideString text = u"\u263A wide";
  CallWindowProcW(wideProc, hwnd, WM_SETTEXT, 0, PtrLParam(text.c_str()));
  EXPECT_EQ(got, text) << "no narrow conversion for a procedure of unknown kind";
  FreeObjectInstance(wideProc);
  DestroyWindow(hwnd);
}

TEST(ShellFolders, TheDesktopComesFromTheUsersSettings) {
  const char* savedHome = std::getenv("HOME");
  const std::string home = savedHome != nullptr ? savedHome : "";
  const char* savedDesktop = std::getenv("XDG_DESKTOP_DIR");
  const std::string desktop = savedDesktop != nullptr ? savedDesktop : "";
  unsetenv("XDG_DESKTOP_DIR");
  setenv("HOME", "/home/tester", 1);
  TShellFolderRef folder;
  EXPECT_EQ(SHGetDesktopFolder(&folder), S_OK);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Path, "/home/tester/Desktop");
  setenv("XDG_DESKTOP_DIR", "/srv/desk", 1);
  EXPECT_EQ(SHGetDesktopFolder(&folder), S_OK);
  EXPECT_EQ(folder->Path, "/srv/desk");
  unsetenv("XDG_DESKTOP_DIR");
  unsetenv("HOME");
  EXPECT_EQ(SHGetDesktopFolder(&folder), E_FAIL);
  EXPECT_FALSE(folder);
  if (savedHome != nullptr) setenv("HOME", home.c_str(), 1);
  if (savedDesktop != nullptr) setenv("XDG_DESKTOP_DIR", desktop.c_str(), 1);
}

}  // namespace
}  // namespace orv
