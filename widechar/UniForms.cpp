// The application companion with its message hook and idle-event control, and TUniForm.
#include "widechar/UniForms.h"

#include <memory>

#include "platform/classes/ComponentRes.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/HintWindow.h"
#include "platform/forms/Menus.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/FlatScrollBars.h"
#include "platform/win/LastError.h"
#include "platform/win/MdiWindows.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Version.h"
#include "widechar/UniActnList.h"
#include "widechar/UniClasses.h"
#include "widechar/UniControls.h"
#include "widechar/UniControlsInternal.h"
#include "widechar/UniMenus.h"
#include "widechar/UniSysUtils.h"
#include "widechar/UniSystem.h"

namespace orv {

TUniApplication* UniApplication = nullptr;

namespace {

HHOOK gGetMessageHook;
std::unique_ptr<TUniApplication> gCompanion;

}  // namespace

void SetWideApplicationHint(const WideString& hint) {
  if (UniApplication != nullptr) UniApplication->SetHint(hint);
  else if (Application != nullptr) Application->SetHint(WideToAnsi(hint));
}

// ----- TUniApplication -----

TUniApplication::TUniApplication() : TComponent(nullptr) {
  if (Application != nullptr) FHookId = Application->HookMainWindow([this](TMessage& m) { return MainWindowHook(m); });
}

TUniApplication::~TUniApplication() {
  if (FIdleEventControl != nullptr) FIdleEventControl->Free();  // it clears our reference itself
  if (Application != nullptr && FHookId != 0) Application->UnhookMainWindow(FHookId);
}

WideString TUniApplication::ReadHint() { return SyncWideFromNarrow(FHint, Application->Hint()); }

void TUniApplication::SetHint(const WideString& hint) {
  SetWideWithNarrowShadow(hint, FHint, [] { return Application->Hint(); },
                          [](const AnsiString& narrow) { Application->SetHint(narrow); });
}

WideString TUniApplication::GetTitle() {
  const HWND window = Application->Handle();
  if (Win32PlatformIsUnicode && window && IsWindow(window)) {
    const LRESULT length = DefWindowProcW(window, WM_GETTEXTLENGTH, 0, 0);
    WideString text(static_cast<std::size_t>(std::max<LRESULT>(0, length)) + 1, u'\0');
    const LRESULT n = DefWindowProcW(window, WM_GETTEXT, text.size(), PtrLParam(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, n)));
    return text;
  }
  return SyncWideFromNarrow(FPendingTitle, Application->Title());
}

void TUniApplication::SetTitle(const WideString& title) {
  const HWND window = Application->Handle();
  if (Win32PlatformIsUnicode && window && IsWindow(window)) {
    if (GetTitle() != title || !FPendingTitle.empty()) {
      DefWindowProcW(window, WM_SETTEXT, 0, PtrLParam(title.c_str()));
      FPendingTitle.clear();
    }
    return;
  }
  SetWideWithNarrowShadow(title, FPendingTitle, [] { return Application->Title(); },
                          [](const AnsiString& narrow) { Application->SetTitle(narrow); });
}

void TUniApplication::UpdateHint() { SetHint(WideGetLongHint(GetWideHintOfControlChain(Application->MouseControl()))); }

bool TUniApplication::IsDlgMsg(MSG& msg) {
  TCustomForm* dialog = Application->ActiveDialog();
  return dialog != nullptr && dialog->HandleAllocated() && IsDialogMessageA(dialog->Handle(), &msg);
}

bool TUniApplication::ProcessMessage(MSG& msg) {
  if (!FMainFormChecked && Application->MainForm() != nullptr) {
    if (dynamic_cast<TUniForm*>(Application->MainForm()) == nullptr)
      new TUniAppIdleEventControl(Application->MainForm());  // owned by the main form
    FMainFormChecked = true;
  }
  if (msg.message != WM_CHAR || msg.wParam < 256 || !IsWindowUnicode(msg.hwnd)) return false;
  // The dialog manager is asked once: asking again would process the message a second time.
  const bool dialogMessage = IsDlgMsg(msg);
  TCustomForm* dialog = Application->ActiveDialog();
  if (dialogMessage && (dialog == nullptr || !IsWindowUnicode(dialog->Handle()))) return true;
  bool handled = false;
  Application->OnMessage(msg, handled);
  Application->CancelHint();
  if (!handled && !dialogMessage) DispatchMessageW(&msg);
  return true;
}

bool TUniApplication::MainWindowHook(TMessage& message) {
  if (message.Msg == WM_CREATE) {
    if (!FPendingTitle.empty()) {
      const WideString title = FPendingTitle;
      FPendingTitle.clear();
      SetTitle(title);
    }
    return false;
  }
  if (message.Msg != CM_ACTIONEXECUTE) return false;
  auto* action = LParamPtr<TBasicAction>(message.LParam);
  if (action == nullptr || typeid(*action) != typeid(THintAction)) return false;
  if (static_cast<THintAction*>(action)->Hint() != WideToAnsi(ReadHint())) return false;
  message.Result = 1;
  TUniHintAction wide(this);
  wide.SetWideHint(ReadHint());
  wide.Execute();
  return true;
}

// ----- TUniAppIdleEventControl -----

TUniAppIdleEventControl::TUniAppIdleEventControl(TComponent* owner) : TControl(owner) {
  FParentFont = false;
  if (auto* form = dynamic_cast<TWinControl*>(Application->MainForm())) SetParent(form);
  SetVisible(true);
  auto* action = new TUniAction(this);  // owned by the control
  action->OnExecute = [](TObject*) {
    if (UniApplication != nullptr) UniApplication->UpdateHint();
  };
  action->OnUpdate = action->OnExecute;
  SetAction(action);
  if (UniApplication != nullptr) UniApplication->FIdleEventControl = this;
}

TUniAppIdleEventControl::~TUniAppIdleEventControl() {
  if (UniApplication != nullptr && UniApplication->FIdleEventControl == this) UniApplication->FIdleEventControl = nullptr;
  // The action goes with us; the link must not outlive it.
  SetAction(nullptr);
}

// ----- the message hook -----

LRESULT GetMessageHookProc(int code, WPARAM removal, LPARAM msg) {
  if (code >= 0 && removal == PM_REMOVE && UniApplication != nullptr && msg != 0) {
    MSG& m = *LParamPtr<MSG>(msg);
    if (UniApplication->ProcessMessage(m)) m.message = WM_NULL;
  }
  return CallNextHookEx(gGetMessageHook, code, removal, msg);
}

HHOOK InstallGetMessageHook() {
  return SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHookProc, 0, GetCurrentThreadId());
}

bool IsServerHostProcess() {
  const WideString name = WideUpperCase(WideExtractFileName(WideParamStr(0)));
  return name.rfind(u"W3WP.", 0) == 0 || name.rfind(u"DLLHOST.", 0) == 0;
}

// ----- TUniForm -----

WideString TUniForm::GetWideCaption() { return GetWideText(this); }
void TUniForm::SetWideCaption(const WideString& caption) { SetWideText(this, caption); }
WideString TUniForm::WideHint() { return GetWideHint(this); }
void TUniForm::SetWideHint(const WideString& hint) { orv::SetWideHint(this, hint); }
bool TUniForm::IsWideCaptionStored() const { return IsCaptionStoredFor(const_cast<TUniForm*>(this)); }
bool TUniForm::IsWideHintStored() const { return IsHintStoredFor(const_cast<TUniForm*>(this)); }

void TUniForm::DefineProperties(TFiler& filer) {
  TForm::DefineProperties(filer);
  DefineWideProperties(filer, this);
}

void TUniForm::ReadFormDescriptions() {
  // TUniForm and its ancestors have no descriptions of their own.
  if (ClassType() == ClassInfoOf<TUniForm>() || ComponentState().Contains(csDesigning)) return;
  InitComponentFromResource(this, ClassInfoOf<TUniForm>());
}

void TUniForm::CreateWindowHandle(const TCreateParams& params) {
  if (!Win32PlatformIsUnicode) {
    TForm::CreateWindowHandle(params);
    return;
  }
  if (FFormStyle != fsMDIChild || ComponentState().Contains(csDesigning)) {
    TCreateParams copy = params;
    copy.ExStyle &= ~WS_EX_LAYERED;
    // The class library's procedure of the form's own class stays its default procedure, so the
    // form's window keeps working with its widget.
    CreateUnicodeWindow(this, copy, AnsiToWide(copy.WinClassName), false);
    FFormState.Exclude(fsCreatedMDIChild);
    return;
  }
  const HWND client = MDIMainClientHandle();
  WideString className;
  RegisterUnicodeWindowClass(params, className, false);
  SetDefWndProcPtr(&DefMDIChildProcW);
  HWND hwnd;
  {
    unicontrols::State().CreatingControl = this;
    struct TClear {
      ~TClear() { unicontrols::State().CreatingControl = nullptr; }
    } clear;
    hwnd = CreateMDIWindowW(className, WideString(), params.Style, params.X, params.Y, params.Width, params.Height,
                            client, HInstance(), PtrLParam(params.Param));
  }
  if (!hwnd) RaiseLastSystemError();
  AttachCreatedWindow(hwnd);
  SubClassUnicodeControl(this, params.Caption, false);
  FFormState.Include(fsCreatedMDIChild);
}

void TUniForm::DestroyWindowHandle() {
  if (Win32PlatformIsUnicode && HandleAllocated()) UninitializeFlatSB(FHandle);
  TForm::DestroyWindowHandle();
}

void TUniForm::DefaultHandler(TMessage& message) {
  if (Win32PlatformIsUnicode && FClientHandle && FHandle) {
    if (message.Msg == WM_SIZE)
      message.Result = DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
    else
      message.Result = DefFrameProcW(FHandle, FClientHandle, message.Msg, message.WParam, message.LParam);
    return;
  }
  TForm::DefaultHandler(message);
}

void TUniForm::ActionChange(TObject* sender, bool checkDefaults) {
  ApplyWideActionTexts(this, dynamic_cast<TBasicAction*>(sender), checkDefaults);
  TForm::ActionChange(sender, checkDefaults);
}

TControlActionLinkClass TUniForm::GetActionLinkClass() const { return WideActionLinkClassFor(this); }

void TUniForm::UpdateActions() {
  TForm::UpdateActions();
  if (UniApplication != nullptr) UniApplication->UpdateHint();
}

void TUniForm::WMMenuSelect(TMessage& message) {
  TForm::MessageHandler(message);
  if (Menu() == nullptr) return;
  const UINT flags = HIWORD(message.WParam);
  const UINT id = LOWORD(message.WParam);
  const HMENU source = HMENU::FromParam(static_cast<std::uint64_t>(message.LParam));
  TMenuItem* item = nullptr;
  // A menu that closes names no item.
  if (flags != MF_MENUCLOSED || id != 0) {
    if ((flags & MF_POPUP) != 0) item = Menu()->FindItem(GetSubMenu(source, static_cast<int>(id)).Value, fkHandle);
    else item = Menu()->FindItem(id, fkCommand);
  }
  SetWideApplicationHint(item != nullptr ? WideGetLongHint(GetMenuItemWideHint(item)) : WideString());
}

void TUniForm::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_MENUSELECT:
      WMMenuSelect(message);
      return;
    case CM_BIDIMODECHANGED:
      TForm::MessageHandler(message);
      for (Integer i = 0; i < ComponentCount(); ++i)
        if (auto* menu = dynamic_cast<TMenu*>(Components(i))) RefreshMenuForBiDi(menu);
      return;
    case WM_WINDOWPOSCHANGING:
      TForm::MessageHandler(message);
      RefreshMenuForBiDi(Menu());
      return;
    default:
      TForm::MessageHandler(message);
  }
}

// ----- start and exit -----

void InitUniForms() {
  if (!gCompanion) {
    gCompanion = std::make_unique<TUniApplication>();
    UniApplication = gCompanion.get();
  }
  if (OSVersion().PlatformId == VER_PLATFORM_WIN32_NT && !gGetMessageHook) {
    gGetMessageHook = InstallGetMessageHook();
    if (!gGetMessageHook) RaiseLastSystemError();
  }
}

void FinalizeUniForms() {
  if (gGetMessageHook) {
    const bool removed = UnhookWindowsHookEx(gGetMessageHook);
    gGetMessageHook = HHOOK();
    if (!removed && !IsServerHostProcess()) RaiseLastSystemError();
  }
  gCompanion.reset();
  UniApplication = nullptr;
}

void RegisterUniFormClasses() {
  RegisterClassType<TUniForm, TForm>("TUniForm")
      .Prop("Caption", &TUniForm::WideCaption, &TUniForm::SetWideCaption).Stored(&TUniForm::IsWideCaptionStored)
      .Prop("Hint", &TUniForm::WideHint, &TUniForm::SetWideHint).Stored(&TUniForm::IsWideHintStored);
  RegisterClassType<TUniAppIdleEventControl, TControl>("TUniAppIdleEventControl");
}

}  // namespace orv
