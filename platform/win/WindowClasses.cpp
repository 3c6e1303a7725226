// Window classes: registration by name and module instance, lookup and removal.
#include <unordered_map>
#include "platform/win/Immortal.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Atoms.h"
#include "platform/win/LastError.h"
#include "platform/win/NameKey.h"
#include "platform/win/WindowInternal.h"

namespace orv {

namespace winimpl {

namespace {

struct TClassKey {
  WideString Name;
  HINSTANCE Instance;
  friend bool operator==(const TClassKey&, const TClassKey&) = default;
};
struct TClassKeyHash {
  std::size_t operator()(const TClassKey& k) const noexcept {
    return std::hash<WideString>()(k.Name) ^ (std::hash<HINSTANCE>()(k.Instance) << 1);
  }
};

std::unordered_map<TClassKey, std::unique_ptr<TWindowClass>, TClassKeyHash>& Classes() {
  static TImmortal<std::unordered_map<TClassKey, std::unique_ptr<TWindowClass>, TClassKeyHash>> classes;
  return classes.Get();
}

std::unordered_map<WNDPROC, bool>& ProcKinds() {
  static TImmortal<std::unordered_map<WNDPROC, bool>> kinds;
  return kinds.Get();
}

}  // namespace

void ForgetProcKind(WNDPROC proc) { ProcKinds().erase(proc); }

bool ProcIsUnicode(WNDPROC proc, bool otherwise) {
  if (proc == &DefWindowProcA) return false;
  if (proc == &DefWindowProcW) return true;
  auto& kinds = ProcKinds();
  auto it = kinds.find(proc);
  return it == kinds.end() ? otherwise : it->second;
}

void NoteProcKind(WNDPROC proc, bool unicode) {
  if (proc == nullptr || proc == &DefWindowProcA || proc == &DefWindowProcW) return;
  ProcKinds()[proc] = unicode;
}

// Instance 0 looks in every instance, the program's first.
TWindowClass* FindClass(const WideString& name, HINSTANCE instance) {
  auto& classes = Classes();
  WideString key = NameKey(name);
  HINSTANCE first = instance != 0 ? instance : HInstance();
  if (auto it = classes.find({key, first}); it != classes.end()) return it->second.get();
  if (instance != 0) return nullptr;
  for (auto& [k, cls] : classes)
    if (k.Name == key) return cls.get();
  return nullptr;
}

namespace {

ATOM Register(WideString name, UINT style, WNDPROC proc, bool unicode, HINSTANCE instance,
              bool hasMenu, WideString menu) {
  if (name.empty() || proc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (instance == 0) instance = HInstance();
  TClassKey key{NameKey(name), instance};
  auto& classes = Classes();
  if (classes.count(key) != 0) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  ATOM atom = GlobalAddAtomW(name);
  if (atom == 0) return 0;
  auto cls = std::make_unique<TWindowClass>();
  cls->NameA = WideToAnsi(name);
  cls->Name = std::move(name);
  cls->HasMenuName = hasMenu;
  cls->MenuNameA = WideToAnsi(menu);
  cls->MenuName = std::move(menu);
  cls->Style = style;
  cls->Proc = proc;
  cls->Unicode = unicode;
  cls->Instance = instance;
  cls->Atom = atom;
  NoteProcKind(proc, unicode);
  classes.emplace(std::move(key), std::move(cls));
  return atom;
}

bool Unregister(const WideString& name, HINSTANCE instance) {
  if (instance == 0) instance = HInstance();
  auto& classes = Classes();
  auto it = classes.find({NameKey(name), instance});
  if (it == classes.end()) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  if (it->second->Windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return false;
  }
  GlobalDeleteAtom(it->second->Atom);
  classes.erase(it);
  return true;
}

}  // namespace
}  // namespace winimpl

using namespace winimpl;

HINSTANCE HInstance() { return 0x400000; }

ATOM RegisterClassA(const WNDCLASSA& wc) {
  return Register(AnsiToWide(wc.lpszClassName != nullptr ? wc.lpszClassName : ""), wc.style,
                  wc.lpfnWndProc, false, wc.hInstance, wc.lpszMenuName != nullptr,
                  AnsiToWide(wc.lpszMenuName != nullptr ? wc.lpszMenuName : ""));
}

ATOM RegisterClassW(const WNDCLASSW& wc) {
  return Register(wc.lpszClassName != nullptr ? wc.lpszClassName : u"", wc.style, wc.lpfnWndProc,
                  true, wc.hInstance, wc.lpszMenuName != nullptr,
                  wc.lpszMenuName != nullptr ? wc.lpszMenuName : u"");
}

bool GetClassInfoW(HINSTANCE instance, const WideString& className, WNDCLASSW* out) {
  TWindowClass* cls = FindClass(className, instance == 0 ? HInstance() : instance);
  if (cls == nullptr) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  if (out != nullptr) {
    out->style = cls->Style;
    out->lpfnWndProc = cls->Proc;
    out->hInstance = cls->Instance;
    out->lpszMenuName = cls->HasMenuName ? cls->MenuName.c_str() : nullptr;
    out->lpszClassName = cls->Name.c_str();
  }
  return true;
}

bool GetClassInfoA(HINSTANCE instance, const AnsiString& className, WNDCLASSA* out) {
  TWindowClass* cls = FindClass(AnsiToWide(className), instance == 0 ? HInstance() : instance);
  if (cls == nullptr) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  if (out != nullptr) {
    out->style = cls->Style;
    out->lpfnWndProc = cls->Proc;
    out->hInstance = cls->Instance;
    out->lpszMenuName = cls->HasMenuName ? cls->MenuNameA.c_str() : nullptr;
    out->lpszClassName = cls->NameA.c_str();
  }
  return true;
}

bool UnregisterClassW(const WideString& className, HINSTANCE instance) {
  return Unregister(className, instance);
}

bool UnregisterClassA(const AnsiString& className, HINSTANCE instance) {
  return Unregister(AnsiToWide(className), instance);
}

}  // namespace orv
