// Inside the window layer: the window and class records behind the handles, shared by its sources.
#pragma once
#include <map>
#include <memory>
#include <vector>
#include "platform/win/WindowObjects.h"

namespace orv::winimpl {

struct TWindowClass {
  WideString Name;
  AnsiString NameA;      // kept for GetClassInfoA's pointers
  WideString MenuName;
  AnsiString MenuNameA;
  bool HasMenuName = false;
  UINT Style = 0;
  WNDPROC Proc = nullptr;
  bool Unicode = false;
  HINSTANCE Instance = 0;
  ATOM Atom = 0;
  int Windows = 0;
};

struct TWindowProp {
  HANDLE Data = nullptr;
  bool OwnsAtom = false;  // a string name added the atom, so removal deletes it
};

struct TWindowObject {
  TWindowClass* Class = nullptr;
  WNDPROC Proc = nullptr;
  bool Unicode = false;
  WideString Text;
  std::map<ATOM, TWindowProp> Props;
  HWND Parent;
  HWND Owner;
  HMENU Menu;  // the menu bar of a top-level window
  std::vector<HWND> Children;
  LONG_PTR Id = 0;
  LONG_PTR UserData = 0;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  HINSTANCE Instance = 0;
  DWORD ThreadId = 0;
  std::uint64_t Serial = 0;  // creation order
  bool Destroying = false;
};

// The class of that name for the instance (0: any instance, the program's first), or null.
TWindowClass* FindClass(const WideString& name, HINSTANCE instance);

// The record of a live handle, or null. Never keep the pointer across a call into a procedure:
// the procedure may destroy the window.
TWindowObject* Find(HWND hwnd);
// Same, setting ERROR_INVALID_WINDOW_HANDLE when there is none.
TWindowObject* FindOrFail(HWND hwnd);

// The kind a procedure was installed with (class registration, GWL_WNDPROC): true for Unicode.
// An unknown procedure counts as the given kind.
bool ProcIsUnicode(WNDPROC proc, bool otherwise);
void NoteProcKind(WNDPROC proc, bool unicode);
// A freed object instance's procedure may come back for another closure of the other kind.
void ForgetProcKind(WNDPROC proc);

// Calls proc, converting the text-bearing messages when the call's kind differs from the
// procedure's.
LRESULT CallConverted(WNDPROC proc, bool procUnicode, HWND hwnd, UINT msg, WPARAM wParam,
                      LPARAM lParam, bool callUnicode);
bool IsTextMessage(UINT msg);

// Drops the messages posted to a window that is going away.
void DiscardPostedMessages(HWND hwnd);

}  // namespace orv::winimpl
