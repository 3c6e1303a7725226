// Unicode windows for controls: the class registered for them, the first message that hands the
// window to the control, and the trap that packs wide characters for the narrow key handling and
// lets the system convert the text messages the control sends itself.
#include <algorithm>
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/win/Atoms.h"
#include "platform/win/LastError.h"
#include "platform/win/Version.h"
#include "widechar/UniControls.h"
#include "widechar/UniControlsInternal.h"
#include "widechar/UniSysUtils.h"
#include "widechar/UniSystem.h"

namespace orv {

using namespace unicontrols;

namespace {

constexpr std::size_t MaxClassNameChars = 64;

LRESULT UnicodeInitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = State().CreatingControl;
  if (control == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  control->AttachCreatedWindow(hwnd);
  TWinControlTrap* trap = AcquireTrap(control);
  State().SpareTraps.push_back(trap);
  SetWindowLongPtrW(hwnd, GWL_WNDPROC, ProcToLong(trap->MainStub()));
  if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0 && GetWindowLongPtrW(hwnd, GWL_ID) == 0)
    SetWindowLongPtrW(hwnd, GWL_ID, hwnd.AsLParam());
  for (ATOM atom : State().Atoms)
    if (atom != 0) SetProp(hwnd, atom, control);
  State().CreatingControl = nullptr;
  return CallWindowProcW(trap->MainStub(), hwnd, msg, wParam, lParam);
}

}  // namespace

TWinControlTrap* AcquireTrap(TWinControl* control) {
  auto& spare = State().SpareTraps;
  for (auto it = spare.rbegin(); it != spare.rend(); ++it) {
    if ((*it)->Control() == control) {
      TWinControlTrap* trap = *it;
      spare.erase(std::next(it).base());
      return trap;
    }
  }
  return new TWinControlTrap(control);  // frees itself when its control goes
}

// ----- TWinControlTrap -----

TWinControlTrap::TWinControlTrap(TWinControl* control) : TComponent(nullptr), FControl(control) {
  FControl->FreeNotification(this);
  FMainStub = MakeObjectInstance([this](HWND h, UINT m, WPARAM w, LPARAM l) { return FControl->CallMainWndProc(h, m, w, l); });
  FWndProcStub = MakeObjectInstance([this](HWND h, UINT m, WPARAM w, LPARAM l) { return TrapWndProc(h, m, w, l); });
  FDefWndProcStub = MakeObjectInstance([this](HWND h, UINT m, WPARAM w, LPARAM l) { return TrapDefWndProc(h, m, w, l); });
}

TWinControlTrap::~TWinControlTrap() {
  auto& spare = State().SpareTraps;
  spare.erase(std::remove(spare.begin(), spare.end(), this), spare.end());
  FreeObjectInstance(FMainStub);
  FreeObjectInstance(FWndProcStub);
  FreeObjectInstance(FDefWndProcStub);
}

void TWinControlTrap::Release() {
  if (FNesting > 0) FFreePending = true;
  else delete this;
}

void TWinControlTrap::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove || component != FControl) return;
  FControl = nullptr;
  auto& spare = State().SpareTraps;
  spare.erase(std::remove(spare.begin(), spare.end(), this), spare.end());
  Release();
}

bool TWinControlTrap::IsInSubclassChain() {
  if (const TTrapMethod* method = FControl->WindowProc.target<TTrapMethod>()) return method->Trap == this;
  if (!FControl->WindowProc) return false;
  FTestingForNull = true;
  FFoundNull = false;
  TMessage probe{WM_NULL, 0, 0, 0};
  FControl->WindowProc(probe);
  FTestingForNull = false;
  return FFoundNull;
}

void TWinControlTrap::SubClass(const AnsiString& narrowCaption, bool useLibraryCreation) {
  FHandle = FControl->Handle();
  FPrevWindowProc = LongToProc(GetWindowLongPtrW(FHandle, GWL_WNDPROC));
  FPrevDefWindowProc = FControl->DefWndProcPtr();
  SetWindowLongPtrW(FHandle, GWL_WNDPROC, ProcToLong(FWndProcStub));
  FControl->SetDefWndProcPtr(FDefWndProcStub);
  if (!IsInSubclassChain()) {
    FPrevWindowProcMethod = FControl->WindowProc;
    FControl->WindowProc = TTrapMethod{this};
  }
  if (TWideCaptionHolder* holder = FindWideCaptionHolder(FControl, false)) SetWideText(FControl, holder->Caption);
  else SetWideText(FControl, AnsiToWide(narrowCaption));
  FUsesLibraryCreation = useLibraryCreation;
}

void TWinControlTrap::UnSubClass() {
  TWinControl* control = FControl;
  const bool destroying = control->ComponentState().Contains(csDestroying);
  if (!destroying) {
    const WideString text = GetWideText(control);
    FindWideCaptionHolder(control, true)->Caption = text;
    control->SetCaption(WideToAnsi(text));
  }
  if (const TTrapMethod* method = control->WindowProc.target<TTrapMethod>(); method != nullptr && method->Trap == this) {
    control->WindowProc = FPrevWindowProcMethod;
    FPrevWindowProcMethod = nullptr;
  }
  control->SetDefWndProcPtr(FPrevDefWindowProc);
  if (IsWindow(FHandle)) SetWindowLongPtrW(FHandle, GWL_WNDPROC, ProcToLong(FPrevWindowProc));
  if (FUsesLibraryCreation) FFreePending = true;
  else if (!destroying) State().SpareTraps.push_back(this);
}

LRESULT TWinControlTrap::TrapWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  FLastWinControlMsg = msg;
  ++FNesting;
  struct TLeave {
    TWinControlTrap* Trap;
    ~TLeave() {
      if (--Trap->FNesting == 0 && Trap->FFreePending) delete Trap;
    }
  } leave{this};
  // After the layer's exit nothing reaches the control any more; a window that goes then only
  // takes its handle from the control.
  if (State().Finalized) {
    if (msg == WM_DESTROY && FControl != nullptr && FControl->HandleAllocated() && FControl->Handle() == hwnd)
      FControl->DetachWindow();
    return 0;
  }
  return CallWindowProcW(FPrevWindowProc, hwnd, msg, wParam, lParam);
}

void TWinControlTrap::TrapWindowProc(TMessage& message) {
  if (message.Msg == WM_NULL && FTestingForNull) {
    FFoundNull = true;
    return;
  }
  if (!FControl->HandleAllocated()) {
    FControl->WndProc(message);
    return;
  }
  const UINT recorded = FLastWinControlMsg;
  FLastWinControlMsg = 0;
  if (message.Msg == CM_HINTSHOW && message.LParam != 0) RetypeHintWindow(*LParamPtr<THintInfo>(message.LParam));
  if ((message.Msg == WM_SETTEXT || message.Msg == WM_GETTEXT || message.Msg == WM_GETTEXTLENGTH) && recorded != message.Msg) {
    // Sent by the control to itself in narrow form: the system converts it at the window.
    message.Result = SendMessageA(FControl->Handle(), message.Msg, message.WParam, message.LParam);
    return;
  }
  if (message.Msg == WM_CHAR && message.WParam >= 256 && message.WParam <= 0xFFFF)
    message.WParam = (message.WParam << 16) | 255;
  if (FPrevWindowProcMethod) FPrevWindowProcMethod(message);
  else FControl->WndProc(message);
}

LRESULT TWinControlTrap::TrapDefWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NOTIFYFORMAT: {
      const HWND asking = HWND::FromParam(wParam);
      const TWinControl* creating = State().CreatingControl;
      const bool unicode = IsWindowUnicode(asking) || (creating != nullptr && creating->HandleAllocated() &&
                                                       const_cast<TWinControl*>(creating)->Handle() == asking);
      return Win32PlatformIsUnicode && unicode ? NFR_UNICODE : NFR_ANSI;
    }
    case WM_CHAR:
      if ((wParam >> 16) != 0 && (wParam & 0xFFFF) == 255) wParam = (wParam >> 16) & 0xFFFF;
      wParam &= 0xFFFF;
      break;
    case WM_IME_CHAR:
      if (!Win32PlatformIsXPOrLater) return SendMessageW(hwnd, WM_CHAR, wParam, lParam);
      break;
    case WM_DESTROY: {
      const WNDPROC previous = FPrevDefWindowProc;
      UnSubClass();
      return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
    }
    default:
      break;
  }
  return CallWindowProcW(FPrevDefWindowProc, hwnd, msg, wParam, lParam);
}

// ----- Unicode windows -----

void RegisterUnicodeWindowClass(const TCreateParams& params, WideString& className, bool useLibraryCreation) {
  className = AnsiToWide(params.WinClassName.substr(0, MaxClassNameChars)) + u".UnicodeClass";
  const WNDPROC wanted = useLibraryCreation ? &TWinControl::InitWndProc : &UnicodeInitWndProc;
  WNDCLASSW known;
  if (GetClassInfoW(HInstance(), className, &known)) {
    if (known.lpfnWndProc == wanted) return;
    if (!UnregisterClassW(className, HInstance())) RaiseLastSystemError();
  }
  WNDCLASSW base;
  const bool hasBase = GetClassInfoW(HInstance(), AnsiToWide(params.WinClassName), &base);
  WideString menuName;
  WNDCLASSW wc;
  wc.style = hasBase ? base.style : params.WindowClassStyle;
  wc.hInstance = HInstance();
  wc.lpfnWndProc = wanted;
  if (hasBase && base.lpszMenuName != nullptr && !IsIntegerResourceId(base.lpszMenuName)) {
    menuName = base.lpszMenuName;
    wc.lpszMenuName = menuName.c_str();
  }
  wc.lpszClassName = className.c_str();
  if (RegisterClassW(wc) == 0) RaiseLastSystemError();
}

void CreateUnicodeWindow(TWinControl* control, const TCreateParams& params, const WideString& subClassName,
                         bool useLibraryCreation) {
  if (!Win32PlatformIsUnicode) {
    control->CreateNarrowWindowHandle(params);
    return;
  }
  WNDPROC defaultProc = &DefWindowProcW;
  if (!subClassName.empty()) {
    WNDCLASSW sub;
    if (GetClassInfoW(HInstance(), subClassName, &sub)) defaultProc = sub.lpfnWndProc;
  }
  control->SetDefWndProcPtr(defaultProc);
  WideString className;
  RegisterUnicodeWindowClass(params, className, useLibraryCreation);
  State().CreatingControl = control;
  if (useLibraryCreation) TWinControl::CreationControl() = control;
  HWND hwnd;
  {
    struct TClear {
      ~TClear() {
        State().CreatingControl = nullptr;
        TWinControl::CreationControl() = nullptr;
      }
    } clear;
    hwnd = CreateWindowExW(params.ExStyle, className, u"", params.Style, params.X, params.Y, params.Width,
                           params.Height, params.WndParent, HMENU(), HInstance(), params.Param);
  }
  if (!hwnd) RaiseLastSystemError();
  control->AttachCreatedWindow(hwnd);
  if (useLibraryCreation) SetWindowLongPtrW(hwnd, GWL_WNDPROC, GetWindowLongPtrA(hwnd, GWL_WNDPROC));
  SubClassUnicodeControl(control, params.Caption, useLibraryCreation);
}

void SubClassUnicodeControl(TWinControl* control, const AnsiString& narrowCaption, bool useLibraryCreation) {
  if (!IsWindowUnicode(control->Handle())) throw EUniInternalError(SControlNotUnicode);
  AcquireTrap(control)->SubClass(narrowCaption, useLibraryCreation);
}

// ----- start and exit -----

void InitUniControls() {
  auto& s = State();
  if (s.Started) return;
  s.Started = true;
  s.Finalized = false;
  s.AtomNames[0] = Format("WindowControl%.8X", {static_cast<unsigned>(GetCurrentProcessId())});
  s.AtomNames[1] = Format("ControlOfs%.8X%.8X", {static_cast<unsigned>(HInstance()), static_cast<unsigned>(GetCurrentThreadId())});
  for (int i = 0; i < 2; ++i) {
    s.Atoms[i] = GlobalAddAtomA(s.AtomNames[i]);
    if (s.Atoms[i] == 0) RaiseLastSystemError();
  }
}

void FinalizeUniControls() {
  auto& s = State();
  if (!s.Started) return;
  s.Started = false;
  for (ATOM& atom : s.Atoms) {
    if (atom != 0) GlobalDeleteAtom(atom);
    atom = 0;
  }
  s.Holders.clear();
  s.SpareTraps.clear();
  s.Finalized = true;
  for (AnsiString& name : s.AtomNames) name.clear();
}

}  // namespace orv
