// TApplication over QApplication: start-up, the message loop with our queue and the idle step
// (run when Qt's loop is about to wait), termination, hints, message boxes and exceptions; TScreen.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include "platform/forms/ActnList.h"
#include "platform/forms/DialogService.h"
#include "platform/forms/FlatScrollBarLook.h"
#include "platform/forms/Forms.h"
#include "platform/forms/HintWindow.h"
#include "platform/rtl/ModuleInit.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

// Never freed before exit on purpose: forms and widgets die in DoneApplication, before Qt goes.
TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

struct TGlobalsMaker {
  TGlobalsMaker() {
    Screen = new TScreen();
    Application = new TApplication(nullptr);
  }
};
const TGlobalsMaker gGlobals;

}  // namespace

struct TApplication::TQtState {
  std::unique_ptr<QApplication> OwnApp;
  QMetaObject::Connection IdleConnection;
  int Argc = 1;
  std::string Arg0 = "orvinta";
  char* Argv[2] = {nullptr, nullptr};
};

TApplication::TApplication(TComponent* owner) : TComponent(owner), FQt(std::make_unique<TQtState>()) {
  ApplicationHandleException = [](const std::exception& e) {
    if (Application != nullptr) Application->HandleException(e);
  };
}

TApplication::~TApplication() {
  ApplicationHandleException = nullptr;
  for (Integer i = ComponentCount() - 1; i >= 0; --i)
    if (auto* form = dynamic_cast<TCustomForm*>(Components(i))) form->DoDestroy();
  Destroying();
  DestroyComponents();
  if (FHandle) {
    SetWindowLongPtrA(FHandle, GWL_WNDPROC, ProcToLong(&DefWindowProcA));
    DestroyWindow(FHandle);
  }
  if (FWndProc != nullptr) FreeObjectInstance(FWndProc);
  SetApplicationMessageHandler(nullptr);
  if (FQt->IdleConnection) QObject::disconnect(FQt->IdleConnection);
  FQt->OwnApp.reset();
}

void TApplication::Initialize() {
  if (FInitialized) return;
  FInitialized = true;
  if (QCoreApplication::instance() == nullptr) {
    const AnsiString exe = ParamStr0();
    if (!exe.empty()) FQt->Arg0 = exe;
    FQt->Argv[0] = FQt->Arg0.data();
    FQt->OwnApp = std::make_unique<QApplication>(FQt->Argc, FQt->Argv);
  } else if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    // Windows need a widget application; a plain core application made earlier cannot host them.
    FInitialized = false;
    throw Exception("The application cannot show windows: a non-widget Qt application already exists");
  }
  RegisterFormsClasses();
  if (!ModulesInitialized()) InitializeModules();
  SetApplicationMessageHandler([this](MSG& msg) { return HandleQueuedMessage(msg); });
  InstallFlatScrollBarLook();
  WNDCLASSA known;
  if (!GetClassInfoA(HInstance(), "TApplication", &known)) {
    WNDCLASSA wc;
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = HInstance();
    wc.lpszClassName = "TApplication";
    RegisterClassA(wc);
  }
  FHandle = CreateWindowExA(0, "TApplication", FTitle, WS_POPUP, 0, 0, 0, 0, HWND(), HMENU(), HInstance(), nullptr);
  if (FHandle) {
    FWndProc = MakeObjectInstance([this](HWND, UINT m, WPARAM w, LPARAM l) { return AppWndProc(m, w, l); });
    SetWindowLongPtrA(FHandle, GWL_WNDPROC, ProcToLong(FWndProc));
  }
  if (auto* dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread())) {
    FQt->IdleConnection =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] { Idle(); });
  }
}

const AnsiString& TApplication::Title() const {
  if (FHandle) const_cast<TApplication*>(this)->FTitle = WindowTextA(FHandle);
  return FTitle;
}

void TApplication::SetTitle(const AnsiString& title) {
  FTitle = title;
  if (FHandle) SetWindowTextA(FHandle, title);
}

Integer TApplication::HookMainWindow(TWindowHook hook) {
  const Integer id = FNextHookId++;
  FHooks.emplace_back(id, std::move(hook));
  return id;
}

void TApplication::UnhookMainWindow(Integer hookId) {
  FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(), [hookId](const auto& h) { return h.first == hookId; }),
               FHooks.end());
}

LRESULT TApplication::AppWndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  try {
    const auto hooks = FHooks;  // a hook may unhook itself
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
      if (it->second(m)) return m.Result;
  } catch (const std::exception& e) {
    HandleException(e);
    return 0;
  }
  if (msg == WM_CLOSE) {
    if (FMainForm != nullptr) FMainForm->Close();
    return 0;
  }
  return DefWindowProcA(FHandle, msg, wParam, lParam);
}

bool TApplication::ExecuteAction(TBasicAction* action) {
  if (!FHandle) return false;
  return SendMessageA(FHandle, CM_ACTIONEXECUTE, 0, PtrLParam(action)) != 0;
}

bool TApplication::HandleQueuedMessage(MSG& msg) {
  bool handled = false;
  OnMessage(msg, handled);
  if (handled) return true;
  if (msg.message == WM_QUIT && !msg.hwnd) {
    FTerminated = true;
    return true;
  }
  return false;
}

bool TApplication::HelpCommand(Word command, LONG_PTR data) {
  FLastHelpCommand = command;
  bool callHelp = true;
  OnHelp(command, data, callHelp);
  return true;
}

void TApplication::Run() {
  if (!FInitialized) Initialize();
  FTerminated = false;
  const bool hadMainForm = FMainForm != nullptr;
  if (FMainForm != nullptr && !FMainForm->Visible()) FMainForm->Show();
  while (!FTerminated) {
    HandleMessage();
    if (hadMainForm && FMainForm == nullptr) break;
  }
  // Whatever asked to end has been handled: a later loop starts afresh.
  FTerminated = false;
}

void TApplication::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  DrainPostedMessages();
}

void TApplication::HandleMessage() {
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::Terminate() {
  if (FTerminated) return;
  FTerminated = true;
  // Wakes a loop that waits, so Run sees the flag.
  if (auto* dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()))
    dispatcher->wakeUp();
}

void TApplication::SetHint(const AnsiString& hint) {
  if (FHint == hint) return;
  FHint = hint;
  if (OnHint) {
    OnHint(this);
    return;
  }
  THintAction action(this);
  action.SetHint(hint);
  action.Execute();
}

const TClassInfo* TApplication::HintWindowClass() const {
  return FHintWindowClass != nullptr ? FHintWindowClass : ClassInfoOf<THintWindow>();
}

void TApplication::ActivateHint(TControl* control, TPoint cursorPos) {
  if (control == nullptr) return;
  THintInfo info;
  info.HintControl = control;
  info.HintWindowClass = HintWindowClass();
  info.HintPos = Point(cursorPos.X, cursorPos.Y + 20);
  info.HintMaxWidth = Screen != nullptr && Screen->Width() > 0 ? Screen->Width() : 800;
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.CursorRect = control->ClientRect();
  for (TControl* c = control; c != nullptr; c = c->Parent())
    if (!c->Hint().empty()) {
      info.HintStr = GetShortHint(c->Hint());
      break;
    }
  if (control->Perform(CM_HINTSHOW, 0, PtrLParam(&info)) != 0 || info.HintStr.empty()) {
    CancelHint();
    return;
  }
  const TClassInfo* cls = info.HintWindowClass != nullptr ? info.HintWindowClass : HintWindowClass();
  if (FHintWindow != nullptr && FHintWindow->ClassType() != cls) {
    FHintWindow->Free();
    FHintWindow = nullptr;
  }
  if (FHintWindow == nullptr) {
    auto* window = dynamic_cast<THintWindow*>(cls->CreateComponent(this));
    if (window == nullptr) throw Exception("A hint window class must descend from THintWindow");
    FHintWindow = window;
  }
  FHintWindow->Font().SetColor(Screen != nullptr ? Screen->HintFont().Color() : clInfoText);
  FHintWindow->SetColor(info.HintColor);
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  r = Rect(info.HintPos.X, info.HintPos.Y, info.HintPos.X + r.Width(), info.HintPos.Y + r.Height());
  FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
}

void TApplication::CancelHint() {
  if (FHintWindow != nullptr) FHintWindow->ReleaseHandle();
}

void TApplication::SetMouseControl(TControl* control) {
  if (FMouseControl == control) return;
  if (FMouseControl != nullptr) FMouseControl->RemoveFreeNotification(this);
  FMouseControl = control;
  if (FMouseControl != nullptr) FMouseControl->FreeNotification(this);
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FMouseControl) FMouseControl = nullptr;
  if (component == FMainForm) FMainForm = nullptr;
  if (component == FHintWindow) FHintWindow = nullptr;
  FModalStack.erase(std::remove(FModalStack.begin(), FModalStack.end(), component), FModalStack.end());
}

TCustomForm* TApplication::ActiveDialog() const {
  return FModalStack.empty() ? nullptr : FModalStack.back();
}

void TApplication::Idle() {
  // The hint follows the control under the mouse.
  AnsiString hint;
  for (TControl* c = FMouseControl; c != nullptr; c = c->Parent()) {
    if (!c->Hint().empty()) {
      hint = GetLongHint(c->Hint());
      break;
    }
  }
  SetHint(hint);
  if (Screen != nullptr) {
    for (Integer i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* form = Screen->Forms(i);
      if (form->Visible()) form->UpdateActions();
    }
    // A main form that is not shown yet still updates what sits on it.
    if (FMainForm != nullptr && !FMainForm->Visible()) FMainForm->UpdateActions();
  }
  bool done = true;
  OnIdle(this, done);
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags) {
  return DialogService().MessageBox(text, caption.empty() ? FTitle : caption, flags);
}

void TApplication::ShowException(const std::exception& e) {
  const auto* ex = dynamic_cast<const Exception*>(&e);
  AnsiString text = ex != nullptr ? ex->Message() : AnsiString(e.what());
  // A sentence gets its full stop unless it ends in a stop, a mark or a blank already.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  MessageBox(text, FTitle, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(const std::exception& e) {
  if (dynamic_cast<const EAbort*>(&e) != nullptr) return;
  if (OnException) {
    OnException(this, e);
    return;
  }
  ShowException(e);
}

void DoneApplication() {
  TApplication* app = Application;
  Application = nullptr;
  delete app;  // the root of the ownership tree
  TScreen* screen = Screen;
  Screen = nullptr;
  delete screen;
}

void HandleControlException(const std::exception& e) {
  if (Application != nullptr) Application->HandleException(e);
}

AnsiString GetShortHint(const AnsiString& hint) {
  const std::size_t bar = hint.find('|');
  return bar == AnsiString::npos ? hint : hint.substr(0, bar);
}

AnsiString GetLongHint(const AnsiString& hint) {
  const std::size_t bar = hint.find('|');
  return bar == AnsiString::npos ? hint : hint.substr(bar + 1);
}

// ----- TScreen -----

TScreen::TScreen() = default;

TFont& TScreen::HintFont() const {
  if (!FHintFont) {
    FHintFont = std::make_unique<TFont>();
    FHintFont->SetColor(clInfoText);
  }
  return *FHintFont;
}
TScreen::~TScreen() = default;

HCURSOR TScreen::Cursors(Integer index) const {
  auto it = FCursors.find(index);
  return it == FCursors.end() ? HCURSOR() : it->second;
}

void TScreen::SetCursors(Integer index, HCURSOR cursor) {
  if (cursor) FCursors[index] = std::move(cursor);
  else FCursors.erase(index);
}

void TScreen::SetCursor(TCursor cursor) {
  if (FCursor == cursor) return;
  const bool had = FCursor != crDefault;
  FCursor = cursor;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
  if (had) QGuiApplication::restoreOverrideCursor();
  if (cursor == crDefault) return;
  HCURSOR own = Cursors(cursor);
  if (own && !own->Frames.empty()) {
    QGuiApplication::setOverrideCursor(QCursor(QPixmap::fromImage(own->Frames.front()), own->HotX, own->HotY));
    return;
  }
  Qt::CursorShape shape = Qt::ArrowCursor;
  switch (cursor) {
    case crHourGlass: case crSQLWait: shape = Qt::WaitCursor; break;
    case crAppStart: shape = Qt::BusyCursor; break;
    case crIBeam: shape = Qt::IBeamCursor; break;
    case crCross: shape = Qt::CrossCursor; break;
    case crHandPoint: shape = Qt::PointingHandCursor; break;
    case crSizeAll: shape = Qt::SizeAllCursor; break;
    case crSizeNS: case crVSplit: shape = Qt::SizeVerCursor; break;
    case crSizeWE: case crHSplit: shape = Qt::SizeHorCursor; break;
    case crNo: case crNoDrop: shape = Qt::ForbiddenCursor; break;
    case crDrag: shape = Qt::DragMoveCursor; break;
    case crMultiDrag: shape = Qt::DragCopyCursor; break;
    case crNone: shape = Qt::BlankCursor; break;
    default: break;
  }
  QGuiApplication::setOverrideCursor(QCursor(shape));
}

Integer TScreen::Width() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s != nullptr ? s->geometry().width() : 0;
}

Integer TScreen::Height() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s != nullptr ? s->geometry().height() : 0;
}

TCustomForm* TScreen::ActiveForm() const {
  for (TCustomForm* f : FForms)
    if (f->Active()) return f;
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* f = ActiveForm();
  return f != nullptr ? f->ActiveControl() : nullptr;
}

void TScreen::AddForm(TCustomForm* form) { FForms.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
}

}  // namespace orv
