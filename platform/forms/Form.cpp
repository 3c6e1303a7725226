// TCustomForm: reading from the form description, showing modeless and modal, the close query,
// focus bookkeeping and the dialog keys (Enter for the default button, Esc for the cancel button).
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include "platform/classes/ComponentRes.h"
#include "platform/forms/ActionLinks.h"
#include "platform/forms/MenuBarView.h"
#include "platform/forms/Menus.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/forms/QtText.h"
#include "platform/win/MdiWindows.h"

namespace orv {
namespace {

// A top-level widget: the form's window.
class TFormWidget : public THostWidget<QWidget> {
 public:
  using THostWidget<QWidget>::THostWidget;
};

}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  FVisible = false;
  FParentFont = false;
  FParentColor = false;
  FColor = clBtnFace;
  FWidth = 320;
  FHeight = 240;
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque |
                  csDoubleClicks;
  if (Screen != nullptr) Screen->AddForm(this);
}

void TCustomForm::DoDestroy() {
  if (FDestroyed) return;
  FDestroyed = true;
  // Forms this one owns go first, each while it is whole.
  for (Integer i = ComponentCount() - 1; i >= 0; --i)
    if (auto* owned = dynamic_cast<TCustomForm*>(Components(i))) owned->DoDestroy();
  RunGuarded([this] { OnDestroy(this); });
}

void TCustomForm::Free() {
  DoDestroy();
  TComponent::Free();
}

TCustomForm::~TCustomForm() {
  // An MDI parent's children and an MDI child's place in its client go while the form is whole.
  if (HandleAllocated() && (FClientHandle || FFormStyle == fsMDIChild)) DestroyWndTree();
  // The bar's view may not outlive the form, whoever destroys the window.
  if (HandleAllocated()) SetMenuBarView(FHandle, nullptr);
  *FAlive = false;
  if (FModalLoop != nullptr) FModalLoop->exit(0);
  if (Screen != nullptr) Screen->RemoveForm(this);
  if (Application != nullptr) Application->Notification(this, opRemove);
  // Owned components may reach back into the form: they go while it is still whole.
  Destroying();
  DestroyComponents();
}

void TCustomForm::InitForm() {
  FFormState.Include(fsCreating);
  try {
    ReadFormDescriptions();
  } catch (...) {
    FFormState.Exclude(fsCreating);
    throw;
  }
  FFormState.Exclude(fsCreating);
  DoCreate();
  // Reading the description set the flag without showing anything: the form is shown now, an MDI
  // child whatever its description says.
  if (FFormStyle == fsMDIChild || FVisible) {
    FVisible = false;
    Show();
  }
}

void TCustomForm::ReadFormDescriptions() { InitComponentFromResource(this, ClassInfoOf<TForm>()); }

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  AlignControls();
}

void TCustomForm::DoCreate() { OnCreate(this); }
void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style &= ~(WS_CHILD | WS_VISIBLE);
  params.Style |= WS_CAPTION | WS_SYSMENU;
  if (FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin) params.Style |= WS_THICKFRAME;
  params.WndParent = HWND();
  if (FFormStyle == fsMDIChild) params.ExStyle |= WS_EX_MDICHILD;
}

std::unique_ptr<IHostWidget> TCustomForm::CreateWidget(QWidget* /*parentWidget*/) {
  auto host = std::make_unique<TFormWidget>(this, nullptr);
  return host;
}

void TCustomForm::InitWidget() {
  QWidget* w = FHost->Widget();
  if (FFormStyle == fsMDIChild) {
    w->setAutoFillBackground(true);
    InsertIntoMDIArea();
    return;
  }
  Qt::WindowFlags flags = Qt::Window;
  switch (FBorderStyle) {
    case bsNone: flags |= Qt::FramelessWindowHint; break;
    case bsDialog: flags = Qt::Dialog; break;
    case bsToolWindow: case bsSizeToolWin: flags = Qt::Tool; break;
    default: break;
  }
  w->setWindowFlags(flags);
  if (FBorderStyle == bsSingle || FBorderStyle == bsDialog || FBorderStyle == bsToolWindow)
    w->setFixedSize(FWidth, FHeight);
  w->setAutoFillBackground(true);
  ApplyMenu();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FWindowMenu) FWindowMenu = nullptr;
  if (operation == opRemove && component == FMenu) {
    FMenu = nullptr;
    if (HandleAllocated() && IsWindow(FHandle) && !ComponentState().Contains(csDestroying)) ApplyMenu();
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
  if (FBorderStyle == style) return;
  FBorderStyle = style;
  RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState state) {
  FWindowState = state;
  if (FFormStyle == fsMDIChild) {
    if (HandleAllocated()) InsertIntoMDIArea();
    return;
  }
  if (!HandleAllocated() || !FVisible) return;
  QWidget* w = Widget();
  if (state == wsMaximized) w->showMaximized();
  else if (state == wsMinimized) w->showMinimized();
  else w->showNormal();
}

void TCustomForm::TextToWidget() {
  if (FHost) FHost->Widget()->setWindowTitle(ToQString(WidgetCaption()));
}

TRect TCustomForm::ClientRect() const {
  // An MDI child's bounds are those of its frame in the client; the widget is what is inside it.
  if (FMdiSubWindow != nullptr && Host() != nullptr) {
    const QSize inner = Host()->Widget()->size();
    return Rect(0, 0, inner.width(), inner.height());
  }
  return Rect(0, 0, FWidth, std::max<Integer>(0, FHeight - MenuBarHeight()));
}

void TCustomForm::PlaceWindow() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  TCustomForm* center = nullptr;
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
      SetBounds(area.x() + (area.width() - FWidth) / 2, area.y() + (area.height() - FHeight) / 2,
                FWidth, FHeight);
      return;
    case poMainFormCenter:
      center = Application != nullptr ? Application->MainForm() : nullptr;
      break;
    case poOwnerFormCenter:
      center = dynamic_cast<TCustomForm*>(Owner());
      break;
    default:
      return;
  }
  if (center == nullptr || center == this) {
    SetBounds(area.x() + (area.width() - FWidth) / 2, area.y() + (area.height() - FHeight) / 2,
              FWidth, FHeight);
    return;
  }
  SetBounds(center->Left() + (center->Width() - FWidth) / 2,
            center->Top() + (center->Height() - FHeight) / 2, FWidth, FHeight);
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::BringToFront() {
  if (!HandleAllocated()) return;
  if (FFormStyle == fsMDIChild) {
    SendMessageA(GetParent(FHandle), WM_MDIACTIVATE, FHandle.AsWParam(), 0);
    return;
  }
  QWidget* w = Widget();
  w->raise();
  w->activateWindow();
}

void TCustomForm::SetVisible(bool value) {
  if (FFormState.Contains(fsCreating) || ComponentState().Contains(csLoading)) {
    FVisible = value;  // shown once the form is made
    return;
  }
  TControl::SetVisible(value);
}

void TCustomForm::VisibleChanged() {
  if (FVisible) {
    const bool mdiChild = FFormStyle == fsMDIChild;
    if (!HandleAllocated() && !mdiChild) PlaceWindow();
    HandleNeeded();
    if (!FFormState.Contains(fsVisible) && !mdiChild) PlaceWindow();
    FFormState.Include(fsVisible);
    FFormState.Include(fsShowing);
    try {
      DoShow();
    } catch (...) {
      FFormState.Exclude(fsShowing);
      throw;
    }
    FFormState.Exclude(fsShowing);
    QWidget* w = Widget();
    if (mdiChild) InsertIntoMDIArea();
    else if (FWindowState == wsMaximized) w->showMaximized();
    else w->show();
    if (FActiveControl != nullptr && FActiveControl->CanFocus()) FActiveControl->SetFocus();
  } else {
    if (HandleAllocated() && FFormStyle == fsMDIChild) InsertIntoMDIArea();
    else if (HandleAllocated()) Widget()->hide();
    DoHide();
  }
}

TModalResult TCustomForm::ShowModal() {
  if (FVisible || FFormState.Contains(fsModal))
    throw Exception("Cannot make a visible window modal");
  FFormState.Include(fsModal);
  FModalResult = mrNone;
  std::vector<TCustomForm*> disabled;
  if (Screen != nullptr) {
    for (Integer i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (f != this && f->HandleAllocated() && f->FVisible && f->FEnabled) {
        f->Widget()->setEnabled(false);
        disabled.push_back(f);
      }
    }
  }
  if (Application != nullptr) Application->FModalStack.push_back(this);
  struct TRestore {
    TCustomForm* Form;
    std::vector<TCustomForm*>& Disabled;
    ~TRestore() {
      if (Form == nullptr) {
        // The form is gone: it left the modal stack as it died; the others are enabled again.
        if (Screen != nullptr)
          for (TCustomForm* f : Disabled)
            for (Integer i = 0; i < Screen->FormCount(); ++i)
              if (Screen->Forms(i) == f && f->HandleAllocated()) f->Widget()->setEnabled(f->Enabled());
        return;
      }
      if (Application != nullptr) {
        auto& stack = Application->FModalStack;
        stack.erase(std::remove(stack.begin(), stack.end(), Form), stack.end());
      }
      if (Screen != nullptr)
        for (TCustomForm* f : Disabled)
          for (Integer i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i) == f && f->HandleAllocated()) f->Widget()->setEnabled(f->Enabled());
    }
  } restore{this, disabled};
  try {
    Show();
    HandleNeeded();
    Widget()->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    FModalLoop = &loop;
    const std::shared_ptr<bool> alive = FAlive;
    while (FModalResult == mrNone) {
      if (Application != nullptr && Application->Terminated()) FModalResult = mrCancel;
      else loop.processEvents(QEventLoop::WaitForMoreEvents);
      if (!*alive) {
        // Freed by a handler while shown: nothing of it may be touched any more.
        restore.Form = nullptr;
        return mrCancel;
      }
      if (FModalResult != mrNone && !CloseQuery()) FModalResult = mrNone;
      if (FModalResult != mrNone) {
        TCloseAction action = caHide;
        DoClose(action);
        if (action == caNone) FModalResult = mrNone;
      }
    }
    FModalLoop = nullptr;
    if (HandleAllocated()) Widget()->setWindowModality(Qt::NonModal);
    Hide();
  } catch (...) {
    FModalLoop = nullptr;
    FFormState.Exclude(fsModal);
    if (FVisible) {
      try { Hide(); } catch (...) {}
    }
    throw;
  }
  FFormState.Exclude(fsModal);
  return FModalResult;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    if (FModalResult == mrNone) FModalResult = mrCancel;
    return;  // the modal loop asks the close query
  }
  if (!CloseQuery()) return;
  // An MDI child cannot hide inside its parent: it is minimised unless told otherwise.
  TCloseAction action = FFormStyle == fsMDIChild ? caMinimize : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  if (action == caHide) Hide();
  else if (action == caMinimize) SetWindowState(wsMinimized);
  else if (action == caFree) Release();
}

void TCustomForm::Release() {
  if (HandleAllocated()) PostMessageA(Handle(), CM_RELEASE, 0, 0);
  else Free();
}

bool TCustomForm::Active() const {
  return FHost && FHost->Widget()->isActiveWindow();
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == nullptr) {
    SetFocusedControl(nullptr);
    return;
  }
  if (ComponentState().Contains(csLoading) || FFormState.Contains(fsCreating) || !FVisible) {
    FActiveControl = control;
    return;
  }
  if (control->CanFocus()) control->SetFocus();
}

void TCustomForm::SetFocusedControl(TWinControl* control) {
  if (control == FActiveControl) return;
  TWinControl* old = FActiveControl;
  FActiveControl = control;
  if (old != nullptr) old->Perform(CM_EXIT);
  // A handler of the exit may have moved the focus on.
  if (FActiveControl == control && control != nullptr) control->Perform(CM_ENTER);
  Perform(CM_FOCUSCHANGED, 0, PtrLParam(FActiveControl));
}

void TCustomForm::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (Integer i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent() || c->GetParentComponent() == nullptr) proc(c);
  }
  TWinControl::GetChildren(proc, root);
}

void TCustomForm::UpdateActions() {
  std::vector<TControl*> pending{this};
  while (!pending.empty()) {
    TControl* c = pending.back();
    pending.pop_back();
    if (c != this && !c->Visible()) continue;
    // The action tells its links what the update changed.
    if (c->ActionLink() != nullptr) c->ActionLink()->Update();
    if (auto* wc = dynamic_cast<TWinControl*>(c))
      for (Integer i = 0; i < wc->ControlCount(); ++i) pending.push_back(wc->Controls(i));
  }
}

void TCustomForm::ControlRemoving(TWinControl* control) {
  if (FActiveControl != nullptr && control->ContainsControl(FActiveControl)) FActiveControl = nullptr;
}

void TCustomForm::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      return;
    case CM_DIALOGKEY:
      CMDialogKey(message);
      return;
    case CM_RELEASE:
      Free();  // nothing of the form may be touched after this
      return;
    case WM_MDIACTIVATE:
      MDIActivated(message);
      return;
    case WM_COMMAND:
      WMCommand(message);
      return;
    case WM_MENUSELECT:
      WMMenuSelect(message);
      return;
    case CM_MENUCHANGED:
      // A rebuilt window menu lost the children's entries: the client writes them again.
      if (FClientHandle) SendMessageA(FClientHandle, WM_MDIREFRESHMENU, 0, 0);
      return;
    case WM_SIZE:
      PlaceMenuBar();
      TWinControl::MessageHandler(message);
      if (FFormStyle == fsMDIChild) MDISubWindowMoved();
      PlaceMDIClient();
      return;
    default:
      TWinControl::MessageHandler(message);
  }
}

void TCustomForm::CMDialogKey(TMessage& message) {
  // Every control on the form is asked, in the order they sit; the first that takes the key ends
  // the search.
  std::vector<TWinControl*> pending{this};
  while (!pending.empty()) {
    TWinControl* parent = pending.front();
    pending.erase(pending.begin());
    for (Integer i = 0; i < parent->ControlCount(); ++i) {
      TControl* c = parent->Controls(i);
      if (!c->Visible() || !c->Enabled()) continue;
      const LRESULT r = c->Perform(CM_DIALOGKEY, message.WParam, message.LParam);
      if (r != 0) {
        message.Result = r;
        return;
      }
      if (auto* wc = dynamic_cast<TWinControl*>(c)) pending.push_back(wc);
    }
  }
  message.Result = 0;
}

}  // namespace orv
