// Window properties: data handles kept with a window under an atom.
#include "platform/rtl/CodePages.h"
#include "platform/win/Atoms.h"
#include "platform/win/LastError.h"
#include "platform/win/WindowInternal.h"

namespace orv {

using namespace winimpl;

namespace {

bool Set(HWND hwnd, ATOM atom, HANDLE data, bool ownsAtom) {
  TWindowObject* obj = FindOrFail(hwnd);
  if (obj == nullptr || atom == 0) {
    if (ownsAtom) GlobalDeleteAtom(atom);
    if (atom == 0) SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  auto [it, added] = obj->Props.try_emplace(atom, TWindowProp{data, ownsAtom});
  if (!added) {
    it->second.Data = data;
    // One reference per property is enough.
    if (ownsAtom && it->second.OwnsAtom) GlobalDeleteAtom(atom);
    it->second.OwnsAtom = it->second.OwnsAtom || ownsAtom;
  }
  return true;
}

HANDLE Get(HWND hwnd, ATOM atom) {
  TWindowObject* obj = FindOrFail(hwnd);
  if (obj == nullptr || atom == 0) return nullptr;
  auto it = obj->Props.find(atom);
  return it == obj->Props.end() ? nullptr : it->second.Data;
}

HANDLE Remove(HWND hwnd, ATOM atom) {
  TWindowObject* obj = FindOrFail(hwnd);
  if (obj == nullptr || atom == 0) return nullptr;
  auto it = obj->Props.find(atom);
  if (it == obj->Props.end()) return nullptr;
  HANDLE data = it->second.Data;
  bool owns = it->second.OwnsAtom;
  obj->Props.erase(it);
  if (owns) GlobalDeleteAtom(atom);
  return data;
}

}  // namespace

bool SetPropW(HWND hwnd, const WideString& name, HANDLE data) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  ATOM atom = GlobalAddAtomW(name);
  // Integer atoms ("#12") are not counted, so they are never deleted either.
  return Set(hwnd, atom, data, atom >= 0xC000);
}
bool SetPropA(HWND hwnd, const AnsiString& name, HANDLE data) { return SetPropW(hwnd, AnsiToWide(name), data); }
bool SetProp(HWND hwnd, ATOM atom, HANDLE data) { return Set(hwnd, atom, data, false); }

HANDLE GetPropW(HWND hwnd, const WideString& name) { return Get(hwnd, GlobalFindAtomW(name)); }
HANDLE GetPropA(HWND hwnd, const AnsiString& name) { return Get(hwnd, GlobalFindAtomA(name)); }
HANDLE GetProp(HWND hwnd, ATOM atom) { return Get(hwnd, atom); }

HANDLE RemovePropW(HWND hwnd, const WideString& name) { return Remove(hwnd, GlobalFindAtomW(name)); }
HANDLE RemovePropA(HWND hwnd, const AnsiString& name) { return Remove(hwnd, GlobalFindAtomA(name)); }
HANDLE RemoveProp(HWND hwnd, ATOM atom) { return Remove(hwnd, atom); }

}  // namespace orv
