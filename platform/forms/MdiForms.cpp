// Multiple-document forms: the MDI parent's client window shown by a Qt MDI area, its children in
// Qt sub-windows, and the child operations (activation, arrangement, the window menu).
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include "platform/forms/Forms.h"
#include "platform/forms/MenuBarView.h"
#include "platform/forms/Menus.h"
#include "platform/win/LastError.h"
#include "platform/win/MdiWindows.h"

namespace orv {

// Keeps an MDI child's bounds equal to its sub-window's when Qt moves or sizes it.
class TMdiAreaWatcher : public QObject {
 public:
  TMdiAreaWatcher(TCustomForm* form, QObject* parent) : QObject(parent), FForm(form) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) FForm->MDISubWindowMoved();
    return QObject::eventFilter(watched, event);
  }

 private:
  TCustomForm* FForm;
};

namespace {

TCustomForm* FormOf(HWND hwnd) { return dynamic_cast<TCustomForm*>(FindControl(hwnd)); }

}  // namespace

void TCustomForm::SetFormStyle(TFormStyle style) {
  if (FFormStyle == style) return;
  const bool made = HandleAllocated();
  if (made) DestroyWndTree();
  FFormStyle = style;
  if (made) HandleNeeded();
}

void TCustomForm::SetWindowMenu(TMenuItem* item) {
  if (FWindowMenu == item) return;
  if (FWindowMenu != nullptr) FWindowMenu->RemoveFreeNotification(this);
  FWindowMenu = item;
  if (FWindowMenu != nullptr) FWindowMenu->FreeNotification(this);
  if (FClientHandle && item != nullptr)
    SendMessageA(FClientHandle, WM_MDISETMENU, 0, item->Handle().AsLParam());
}

HWND TCustomForm::MDIMainClientHandle() {
  TCustomForm* main = Application != nullptr ? Application->MainForm() : nullptr;
  if (main == nullptr || main->FFormStyle != fsMDIForm || !main->FClientHandle) throw EInvalidOperation(SNoMDIForm);
  return main->FClientHandle;
}

void TCustomForm::CreateWindowHandle(const TCreateParams& params) {
  if (FFormStyle != fsMDIChild || ComponentState().Contains(csDesigning)) {
    TWinControl::CreateWindowHandle(params);
    FFormState.Exclude(fsCreatedMDIChild);
    return;
  }
  const HWND client = MDIMainClientHandle();
  const HWND hwnd = CreateMDIWindowA(params.WinClassName, params.Caption, params.Style, params.X, params.Y,
                                     params.Width, params.Height, client, HInstance(), PtrLParam(params.Param));
  if (!hwnd) RaiseLastSystemError();
  SubclassNarrowWindow(hwnd);
  SetDefWndProcPtr(&DefMDIChildProcA);
  FFormState.Include(fsCreatedMDIChild);
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (FFormStyle == fsMDIForm && !ComponentState().Contains(csDesigning)) CreateMDIClient();
  if (FFormStyle == fsMDIChild && FHandle) {
    // The client made this child the active one before the form had its window: it hears of
    // that now.
    const HWND client = GetParent(FHandle);
    if (HWND::FromParam(static_cast<std::uint64_t>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0))) == FHandle)
      Perform(WM_MDIACTIVATE, 0, FHandle.AsLParam());
  }
}

void TCustomForm::DestroyWnd() {
  DestroyMDIClient();
  if (FHandle) SetMenuBarView(FHandle, nullptr);
  FMenuBar.reset();
  FMenuBarHeight = 0;
  QPointer<QMdiSubWindow> sub = FMdiSubWindow;
  FMdiSubWindow = nullptr;
  TWinControl::DestroyWnd();
  delete sub.data();
}

void TCustomForm::CreateMDIClient() {
  RegisterMdiClientClass();
  CLIENTCREATESTRUCT ccs;
  if (FWindowMenu != nullptr) ccs.hWindowMenu = FWindowMenu->Handle();
  ccs.idFirstChild = MDIFirstChildId;
  FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, MDIClientClassName, WideString(),
                                  WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0,
                                  FWidth, FHeight, FHandle, HMENU(), HInstance(), &ccs);
  if (!FClientHandle) RaiseLastSystemError();
  FMdiArea = new QMdiArea(Widget());  // the form's widget owns it
  FMdiArea->setObjectName("MDIClient");
  FMdiArea->show();
  QObject::connect(FMdiArea, &QMdiArea::subWindowActivated, FMdiArea, [this](QMdiSubWindow* sub) {
    if (sub == nullptr || !FClientHandle) return;
    for (HWND child : MdiChildWindows(FClientHandle))
      if (TCustomForm* form = FormOf(child); form != nullptr && form->FMdiSubWindow == sub) {
        RunGuarded([&] { SendMessageA(FClientHandle, WM_MDIACTIVATE, child.AsWParam(), 0); });
        return;
      }
  });
  TMdiClientView view;
  view.Area = [this] {
    PlaceMDIClient();
    const QSize size = FMdiArea != nullptr ? FMdiArea->viewport()->size() : QSize();
    return Rect(0, 0, size.width(), size.height());
  };
  view.ChildBounds = [](HWND child) {
    TCustomForm* form = FormOf(child);
    return form != nullptr ? form->BoundsRect() : TRect{};
  };
  view.PlaceChild = [](HWND child, const TRect& bounds) {
    if (TCustomForm* form = FormOf(child)) form->SetBoundsRect(bounds);
  };
  view.PlaceClient = [this](const TRect& bounds) {
    if (FMdiArea == nullptr) return;
    const TPoint offset = WidgetClientOffset();
    FMdiArea->setGeometry(bounds.Left + offset.X, bounds.Top + offset.Y, std::max(0, bounds.Width()),
                          std::max(0, bounds.Height()));
  };
  view.ShowActive = [this](HWND child) {
    TCustomForm* form = FormOf(child);
    if (form != nullptr && form->FMdiSubWindow != nullptr && FMdiArea != nullptr &&
        FMdiArea->activeSubWindow() != form->FMdiSubWindow)
      FMdiArea->setActiveSubWindow(form->FMdiSubWindow);
  };
  view.FrameDefProc = DefWndProcPtr();
  view.ChildDefProc = &TWinControl::WidgetDefWindowProc;
  SetMdiClientView(FClientHandle, std::move(view));
  PlaceMDIClient();
}

void TCustomForm::DestroyMDIClient() {
  if (!FClientHandle) return;
  // The children's windows live inside ours: they go first, and come back when ours is made again.
  for (HWND child : MdiChildWindows(FClientHandle))
    if (TCustomForm* form = FormOf(child)) form->DestroyWndTree();
  SetMdiClientView(FClientHandle, TMdiClientView());
  delete FMdiArea;
  FMdiArea = nullptr;
  const HWND client = FClientHandle;
  FClientHandle = HWND();
  DestroyWindow(client);
}

void TCustomForm::PlaceMDIClient() {
  if (FMdiArea == nullptr) return;
  TRect r = ClientRect();
  for (TControl* c : FControls) {
    if (!c->Visible()) continue;
    switch (c->Align()) {
      case alTop: r.Top = std::max(r.Top, c->Top() + c->Height()); break;
      case alBottom: r.Bottom = std::min(r.Bottom, c->Top()); break;
      case alLeft: r.Left = std::max(r.Left, c->Left() + c->Width()); break;
      case alRight: r.Right = std::min(r.Right, c->Left()); break;
      default: break;
    }
  }
  const TPoint offset = WidgetClientOffset();
  const QRect wanted(r.Left + offset.X, r.Top + offset.Y, std::max(0, r.Width()), std::max(0, r.Height()));
  if (FMdiArea->geometry() != wanted) FMdiArea->setGeometry(wanted);
}

void TCustomForm::InsertIntoMDIArea() {
  if (!FHandle || Host() == nullptr) return;
  TCustomForm* main = Application != nullptr ? Application->MainForm() : nullptr;
  QMdiArea* area = main != nullptr ? main->FMdiArea : nullptr;
  if (area == nullptr) return;
  if (FMdiSubWindow == nullptr) {
    QWidget* w = Host()->Widget();
    FMdiSubWindow = area->addSubWindow(w);
    FMdiSubWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    FMdiSubWindow->installEventFilter(new TMdiAreaWatcher(this, FMdiSubWindow));
    QObject::connect(FMdiSubWindow, &QMdiSubWindow::windowStateChanged, FMdiSubWindow,
                     [this](Qt::WindowStates, Qt::WindowStates now) { MDISubWindowStateChanged(now); });
    UpdateWidgetGeometry();
  }
  ApplyMDIStateStyle();
  Host()->Widget()->setVisible(FVisible);
  if (!FVisible) {
    FMdiSubWindow->hide();
    return;
  }
  if (FWindowState == wsMinimized) FMdiSubWindow->showMinimized();
  else if (FWindowState == wsMaximized) FMdiSubWindow->showMaximized();
  else FMdiSubWindow->showNormal();
}

void TCustomForm::ApplyMDIStateStyle() {
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(FHandle, GWL_STYLE)) & ~(WS_MINIMIZE | WS_MAXIMIZE);
  if (FWindowState == wsMinimized) style |= WS_MINIMIZE;
  if (FWindowState == wsMaximized) style |= WS_MAXIMIZE;
  SetWindowLongPtrA(FHandle, GWL_STYLE, static_cast<LONG_PTR>(style));
}

void TCustomForm::MDISubWindowStateChanged(Qt::WindowStates state) {
  // Qt already shows the state: the form and the window's style take it over, so the client's
  // arrangements see a restored child as a window and a minimised one as an icon.
  if (!FHandle) return;
  FWindowState = state.testFlag(Qt::WindowMinimized)   ? wsMinimized
                 : state.testFlag(Qt::WindowMaximized) ? wsMaximized
                                                       : wsNormal;
  ApplyMDIStateStyle();
}

void TCustomForm::UpdateWidgetGeometry() {
  if (FMdiSubWindow == nullptr) {
    TWinControl::UpdateWidgetGeometry();
    return;
  }
  const QRect wanted(FLeft, FTop, FWidth, FHeight);
  if (FMdiSubWindow->geometry() != wanted) FMdiSubWindow->setGeometry(wanted);
}

void TCustomForm::MDISubWindowMoved() {
  if (FMdiSubWindow == nullptr) return;
  const QRect g = FMdiSubWindow->geometry();
  if (g == QRect(FLeft, FTop, FWidth, FHeight)) return;
  FLeft = g.x();
  FTop = g.y();
  FWidth = g.width();
  FHeight = g.height();
  AlignControls();
}

void TCustomForm::MDIActivated(TMessage& message) {
  DefaultHandler(message);
  if (!FHandle) return;
  if (HWND::FromParam(static_cast<std::uint64_t>(message.LParam)) == FHandle) RunGuarded([this] { OnActivate(this); });
  else if (HWND::FromParam(message.WParam) == FHandle) RunGuarded([this] { OnDeactivate(this); });
}

void TCustomForm::DefaultHandler(TMessage& message) {
  if (FClientHandle && FHandle) {
    // The form places its client window itself, beside the aligned controls: DefFrameProc would
    // stretch it over the whole client area.
    if (message.Msg == WM_SIZE)
      message.Result = DefWindowProcA(FHandle, message.Msg, message.WParam, message.LParam);
    else
      message.Result = DefFrameProcA(FHandle, FClientHandle, message.Msg, message.WParam, message.LParam);
    return;
  }
  TWinControl::DefaultHandler(message);
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
  if (FFormStyle != fsMDIForm || !FClientHandle) return nullptr;
  return FormOf(HWND::FromParam(static_cast<std::uint64_t>(SendMessageA(FClientHandle, WM_MDIGETACTIVE, 0, 0))));
}

Integer TCustomForm::MDIChildCount() const {
  if (FFormStyle != fsMDIForm || !FClientHandle) return 0;
  Integer n = 0;
  for (HWND child : MdiChildWindows(FClientHandle))
    if (FormOf(child) != nullptr) ++n;
  return n;
}

TCustomForm* TCustomForm::MDIChildren(Integer index) const {
  if (FFormStyle == fsMDIForm && FClientHandle && index >= 0)
    for (HWND child : MdiChildWindows(FClientHandle))
      if (TCustomForm* form = FormOf(child); form != nullptr && index-- == 0) return form;
  return nullptr;
}

void TCustomForm::Cascade() {
  if (FFormStyle == fsMDIForm && FClientHandle) SendMessageA(FClientHandle, WM_MDICASCADE, 0, 0);
}

void TCustomForm::Tile() {
  if (FFormStyle != fsMDIForm || !FClientHandle) return;
  SendMessageA(FClientHandle, WM_MDITILE, FTileMode == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TCustomForm::ArrangeIcons() {
  if (FFormStyle == fsMDIForm && FClientHandle) SendMessageA(FClientHandle, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next() {
  if (FFormStyle == fsMDIForm && FClientHandle) SendMessageA(FClientHandle, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
  if (FFormStyle == fsMDIForm && FClientHandle) SendMessageA(FClientHandle, WM_MDINEXT, 0, 1);
}

}  // namespace orv
