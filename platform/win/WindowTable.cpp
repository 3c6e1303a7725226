// The handle table of window objects: creation, destruction, parents, window longs and class names.
#include <algorithm>
#include "platform/win/Immortal.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Atoms.h"
#include "platform/win/LastError.h"
#include "platform/win/Version.h"
#include "platform/win/WindowInternal.h"

namespace orv {

namespace winimpl {

namespace {

// A handle is (generation << 32) | (slot + 1). A slot's generation changes whenever its window
// goes, so an old handle never finds the slot's next window.
struct TSlot {
  std::unique_ptr<TWindowObject> Object;
  std::uint32_t Generation = 1;
};

struct TWindowTable {
  std::vector<TSlot> Slots;
  std::vector<std::uint32_t> Free;
  std::size_t Live = 0;
  std::uint64_t NextSerial = 1;
  HWND Active;
  HWND Focus;
};

TWindowTable& Table() {
  static TImmortal<TWindowTable> table;
  return table.Get();
}

HWND Allocate(std::unique_ptr<TWindowObject> obj) {
  auto& t = Table();
  std::uint32_t index;
  if (!t.Free.empty()) {
    index = t.Free.back();
    t.Free.pop_back();
  } else {
    index = static_cast<std::uint32_t>(t.Slots.size());
    t.Slots.emplace_back();
  }
  obj->Serial = t.NextSerial++;
  t.Slots[index].Object = std::move(obj);
  ++t.Live;
  return HWND((static_cast<std::uint64_t>(t.Slots[index].Generation) << 32) | (index + 1ull));
}

void Release(HWND hwnd) {
  auto& t = Table();
  std::uint64_t low = hwnd.Value & 0xFFFFFFFFu;
  if (low == 0 || low > t.Slots.size()) return;
  auto& slot = t.Slots[low - 1];
  if (!slot.Object || slot.Generation != (hwnd.Value >> 32)) return;
  // Moved out first: the record's destructor must not see itself still in the table.
  std::unique_ptr<TWindowObject> gone = std::move(slot.Object);
  if (++slot.Generation == 0) slot.Generation = 1;
  if (t.Active == hwnd) t.Active = nullptr;
  if (t.Focus == hwnd) t.Focus = nullptr;
  t.Free.push_back(static_cast<std::uint32_t>(low - 1));
  --t.Live;
}

}  // namespace

TWindowObject* Find(HWND hwnd) {
  auto& t = Table();
  std::uint64_t low = hwnd.Value & 0xFFFFFFFFu;
  if (low == 0 || low > t.Slots.size()) return nullptr;
  auto& slot = t.Slots[low - 1];
  if (!slot.Object || slot.Generation != (hwnd.Value >> 32)) return nullptr;
  return slot.Object.get();
}

TWindowObject* FindOrFail(HWND hwnd) {
  TWindowObject* obj = Find(hwnd);
  if (obj == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return obj;
}

namespace {

void Unlink(HWND hwnd, TWindowObject& obj) {
  if (TWindowObject* parent = Find(obj.Parent)) {
    auto& c = parent->Children;
    c.erase(std::remove(c.begin(), c.end(), hwnd), c.end());
  }
  obj.Parent = nullptr;
}

void SendDestroy(HWND hwnd, bool wide) {
  TWindowObject* obj = Find(hwnd);
  if (obj == nullptr) return;
  CallConverted(obj->Proc, obj->Unicode, hwnd, WM_DESTROY, 0, 0, wide);
  obj = Find(hwnd);
  if (obj == nullptr) return;
  for (HWND child : std::vector<HWND>(obj->Children)) {
    if (TWindowObject* c = Find(child); c != nullptr && !c->Destroying) {
      c->Destroying = true;
      SendDestroy(child, wide);
    }
  }
}

void SendNcDestroyAndFree(HWND hwnd, bool wide) {
  TWindowObject* obj = Find(hwnd);
  if (obj == nullptr) return;
  for (HWND child : std::vector<HWND>(obj->Children)) SendNcDestroyAndFree(child, wide);
  obj = Find(hwnd);
  if (obj == nullptr) return;
  CallConverted(obj->Proc, obj->Unicode, hwnd, WM_NCDESTROY, 0, 0, wide);
  obj = Find(hwnd);
  if (obj == nullptr) return;
  for (HWND child : std::vector<HWND>(obj->Children))
    if (TWindowObject* c = Find(child)) c->Parent = nullptr;
  obj->Children.clear();
  Unlink(hwnd, *obj);
  for (auto& [atom, prop] : obj->Props)
    if (prop.OwnsAtom) GlobalDeleteAtom(atom);
  obj->Props.clear();
  if (obj->Class != nullptr) --obj->Class->Windows;
  DiscardPostedMessages(hwnd);
  Release(hwnd);
}

template <class TCreate, class TChar>
HWND Create(bool wide, DWORD exStyle, const WideString& className, const TChar* nameText,
            const TChar* classText, DWORD style, int x, int y, int width, int height, HWND parent,
            HMENU menu, HINSTANCE instance, void* param) {
  TWindowClass* cls = FindClass(className, instance);
  if (cls == nullptr) cls = FindClass(className, 0);
  if (cls == nullptr) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  TWindowObject* parentObj = nullptr;
  if (parent) {
    parentObj = FindOrFail(parent);
    if (parentObj == nullptr) return nullptr;
  }
  auto obj = std::make_unique<TWindowObject>();
  obj->Class = cls;
  obj->Proc = cls->Proc;
  obj->Unicode = cls->Unicode;
  obj->Style = style;
  obj->ExStyle = exStyle;
  obj->Instance = instance;
  obj->ThreadId = GetCurrentThreadId();
  obj->Parent = parent;
  if ((style & WS_CHILD) != 0)
    obj->Id = static_cast<LONG_PTR>(menu.Value);
  else
    obj->Menu = menu;
  ++cls->Windows;
  HWND hwnd = Allocate(std::move(obj));
  if (parentObj != nullptr) parentObj->Children.push_back(hwnd);

  TCreate cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = static_cast<LONG>(style);
  cs.dwExStyle = exStyle;
  cs.lpszName = nameText;
  cs.lpszClass = classText;
  auto send = [&](UINT msg) -> LRESULT {
    TWindowObject* o = Find(hwnd);
    if (o == nullptr) return -1;
    return CallConverted(o->Proc, o->Unicode, hwnd, msg, 0, PtrLParam(&cs), wide);
  };
  if (send(WM_NCCREATE) == 0) {
    SendNcDestroyAndFree(hwnd, wide);
    return nullptr;
  }
  if (send(WM_CREATE) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  return Find(hwnd) != nullptr ? hwnd : HWND();
}

}  // namespace
}  // namespace winimpl

using namespace winimpl;

HWND CreateWindowExA(DWORD exStyle, const AnsiString& className, const AnsiString& windowName,
                     DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param) {
  return Create<CREATESTRUCTA>(false, exStyle, AnsiToWide(className), windowName.c_str(),
                               className.c_str(), style, x, y, width, height, parent, menu,
                               instance, param);
}

HWND CreateWindowExW(DWORD exStyle, const WideString& className, const WideString& windowName,
                     DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param) {
  return Create<CREATESTRUCTW>(true, exStyle, className, windowName.c_str(), className.c_str(),
                               style, x, y, width, height, parent, menu, instance, param);
}

bool DestroyWindow(HWND hwnd) {
  TWindowObject* obj = FindOrFail(hwnd);
  if (obj == nullptr) return false;
  if (obj->Destroying) return true;
  obj->Destroying = true;
  bool wide = obj->Unicode;
  SendDestroy(hwnd, wide);
  SendNcDestroyAndFree(hwnd, wide);
  return true;
}

bool IsWindow(HWND hwnd) { return Find(hwnd) != nullptr; }

bool IsWindowUnicode(HWND hwnd) {
  TWindowObject* obj = Find(hwnd);
  return obj != nullptr && obj->Unicode;
}

HWND GetParent(HWND hwnd) {
  TWindowObject* obj = FindOrFail(hwnd);
  return obj != nullptr ? obj->Parent : HWND();
}

HWND SetParent(HWND child, HWND newParent) {
  TWindowObject* obj = FindOrFail(child);
  if (obj == nullptr) return nullptr;
  TWindowObject* parentObj = nullptr;
  if (newParent) {
    parentObj = FindOrFail(newParent);
    if (parentObj == nullptr || newParent == child || IsChild(child, newParent)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  }
  HWND old = obj->Parent;
  Unlink(child, *obj);
  obj->Parent = newParent;
  if (parentObj != nullptr) parentObj->Children.push_back(child);
  return old;
}

bool IsChild(HWND parent, HWND hwnd) {
  for (TWindowObject* obj = Find(hwnd); obj != nullptr; obj = Find(obj->Parent))
    if (obj->Parent == parent) return true;
  return false;
}

std::vector<HWND> GetChildWindows(HWND parent) {
  TWindowObject* obj = Find(parent);
  return obj != nullptr ? obj->Children : std::vector<HWND>{};
}

int GetDlgCtrlID(HWND hwnd) {
  TWindowObject* obj = FindOrFail(hwnd);
  return obj != nullptr ? static_cast<int>(obj->Id) : 0;
}

WideString WindowClassName(HWND hwnd) {
  TWindowObject* obj = FindOrFail(hwnd);
  return obj != nullptr && obj->Class != nullptr ? obj->Class->Name : WideString();
}

int GetClassNameW(HWND hwnd, char16_t* buffer, int maxCount) {
  WideString name = WindowClassName(hwnd);
  if (name.empty() || buffer == nullptr || maxCount <= 0) return 0;
  std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(maxCount) - 1);
  name.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

int GetClassNameA(HWND hwnd, char* buffer, int maxCount) {
  AnsiString name = WideToAnsi(WindowClassName(hwnd));
  if (name.empty() || buffer == nullptr || maxCount <= 0) return 0;
  std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(maxCount) - 1);
  name.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

std::size_t WindowCount() { return Table().Live; }

bool EnumThreadWindows(DWORD threadId, const std::function<bool(HWND)>& callback) {
  std::vector<std::pair<std::uint64_t, HWND>> found;
  auto& t = Table();
  for (std::size_t i = 0; i < t.Slots.size(); ++i) {
    const auto& slot = t.Slots[i];
    if (slot.Object && slot.Object->ThreadId == threadId && !slot.Object->Parent)
      found.emplace_back(slot.Object->Serial, HWND((static_cast<std::uint64_t>(slot.Generation) << 32) | (i + 1)));
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // The callback may destroy windows, so each is checked before it is handed out.
  for (const auto& [serial, hwnd] : found)
    if (Find(hwnd) != nullptr && !callback(hwnd)) break;
  return !found.empty();
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  TWindowObject* obj = FindOrFail(hwnd);
  if (obj == nullptr) return 0;
  if (processId != nullptr) *processId = GetCurrentProcessId();
  return obj->ThreadId;
}

HWND GetActiveWindow() { return Table().Active; }
HWND GetFocus() { return Table().Focus; }

HWND SetActiveWindowState(HWND hwnd) {
  auto& t = Table();
  HWND old = t.Active;
  t.Active = Find(hwnd) != nullptr ? hwnd : HWND();
  return old;
}

HWND SetFocusState(HWND hwnd) {
  auto& t = Table();
  HWND old = t.Focus;
  t.Focus = Find(hwnd) != nullptr ? hwnd : HWND();
  return old;
}

namespace {

LONG_PTR GetLong(HWND hwnd, int index) {
  TWindowObject* obj = FindOrFail(hwnd);
  if (obj == nullptr) return 0;
  switch (index) {
    case GWL_WNDPROC: return ProcToLong(obj->Proc);
    case GWL_HINSTANCE: return static_cast<LONG_PTR>(obj->Instance);
    case GWL_HWNDPARENT: return (obj->Parent ? obj->Parent : obj->Owner).AsLParam();
    case GWL_ID: return obj->Id;
    case GWL_STYLE: return static_cast<LONG_PTR>(obj->Style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(obj->ExStyle);
    case GWL_USERDATA: return obj->UserData;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
}

LONG_PTR SetLong(HWND hwnd, int index, LONG_PTR value, bool wide) {
  TWindowObject* obj = FindOrFail(hwnd);
  if (obj == nullptr) return 0;
  LONG_PTR old = GetLong(hwnd, index);
  switch (index) {
    case GWL_WNDPROC: {
      WNDPROC proc = LongToProc(value);
      if (proc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      // DefWindowProcA/W keep their own kind whoever installs them.
      bool unicode = proc == &DefWindowProcW ? true : proc == &DefWindowProcA ? false : wide;
      NoteProcKind(proc, unicode);
      obj->Proc = proc;
      obj->Unicode = unicode;
      break;
    }
    case GWL_HINSTANCE: obj->Instance = static_cast<HINSTANCE>(value); break;
    case GWL_HWNDPARENT: obj->Owner = HWND(static_cast<std::uint64_t>(value)); break;
    case GWL_ID: obj->Id = value; break;
    case GWL_STYLE: obj->Style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: obj->ExStyle = static_cast<DWORD>(value); break;
    case GWL_USERDATA: obj->UserData = value; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
  return old;
}

}  // namespace

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) { return GetLong(hwnd, index); }
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) { return GetLong(hwnd, index); }
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) { return SetLong(hwnd, index, value, false); }
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) { return SetLong(hwnd, index, value, true); }

}  // namespace orv
