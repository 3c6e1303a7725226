// TWinControl: the window object and its widget, Qt events turned into messages, the default
// window procedure that hands them back to the widget, children, alignment, focus and keys.
#include <algorithm>
#include <utility>
#include <QApplication>
#include <QDropEvent>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMimeData>
#include <QUrl>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <unordered_map>
#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/forms/QtInput.h"
#include "platform/forms/QtText.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/DropFiles.h"
#include "platform/win/MessageQueue.h"

namespace orv {
namespace {

std::unordered_map<HWND, TWinControl*>& ControlMap() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}

QColor ToQColor(TColor color) {
  const COLORREF rgb = ColorToRGB(color);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// The message a mouse event becomes (0 for none).
UINT MouseMessage(QEvent::Type type, Qt::MouseButton button) {
  const int base = button == Qt::LeftButton ? 0 : (button == Qt::RightButton ? 3 : (button == Qt::MiddleButton ? 6 : -1));
  if (base < 0) return 0;
  switch (type) {
    case QEvent::MouseButtonPress: return WM_LBUTTONDOWN + base;
    case QEvent::MouseButtonRelease: return WM_LBUTTONUP + base;
    case QEvent::MouseButtonDblClick: return WM_LBUTTONDBLCLK + base;
    default: return 0;
  }
}

}  // namespace

void DragAcceptFiles(HWND window, bool accept) {
  if (!window) return;
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_EXSTYLE);
  SetWindowLongPtrA(window, GWL_EXSTYLE,
                    accept ? (style | WS_EX_ACCEPTFILES) : (style & ~static_cast<LONG_PTR>(WS_EX_ACCEPTFILES)));
  if (TWinControl* control = FindControl(window); control != nullptr && control->Host() != nullptr)
    control->Host()->Widget()->setAcceptDrops(accept);
}

TWinControl* FindControl(HWND hwnd) {
  auto it = ControlMap().find(hwnd);
  return it == ControlMap().end() ? nullptr : it->second;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Children go first: their widgets are Qt children of ours.
  while (!FControls.empty()) {
    TControl* child = FControls.back();
    if (child->ComponentState().Contains(csDestroying) && child->Owner() != nullptr) {
      RemoveControl(child);
      continue;
    }
    delete child;
  }
  // Leaving the parent while still a windowed control, so the form forgets it as its active
  // control; once only the control part is left the parent can no longer tell.
  if (FParent != nullptr) FParent->RemoveControl(this);
  // The derived parts are gone: the window's last messages go to the class procedure only.
  if (FHandle && FDefWndProc != nullptr) SetWindowLongPtrW(FHandle, GWL_WNDPROC, ProcToLong(&TWinControl::WidgetDefWindowProc));
  DestroyWnd();
}

HWND TWinControl::Handle() {
  if (!FHandle) {
    if (FParent != nullptr) FParent->HandleNeeded();
    // Making the parent's window makes its children's windows too, this one among them.
    if (!FHandle) CreateWnd();
  }
  return FHandle;
}

QWidget* TWinControl::Widget() {
  HandleNeeded();
  return FHost->Widget();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = FText;
  params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (FParent != nullptr) params.Style |= WS_CHILD;
  if (FVisible) params.Style |= WS_VISIBLE;
  if (!FEnabled) params.Style |= WS_DISABLED;
  if (FTabStop) params.Style |= WS_TABSTOP;
  params.X = FLeft;
  params.Y = FTop;
  params.Width = FWidth;
  params.Height = FHeight;
  if (FParent != nullptr) params.WndParent = FParent->Handle();
  params.WinClassName = ClassName();
  if (FControlStyle & csDoubleClicks) params.WindowClassStyle |= CS_DBLCLKS;
}

LRESULT TWinControl::WidgetDefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (TWinControl* control = FindControl(hwnd)) {
    TMessage m{msg, wParam, lParam, 0};
    return control->DefWndProc(m);
  }
  const LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
  return msg == WM_NCCREATE ? 1 : r;
}

TWinControl*& TWinControl::CreationControl() {
  static TWinControl* control = nullptr;
  return control;
}

LRESULT TWinControl::InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = CreationControl();
  if (control == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  CreationControl() = nullptr;
  control->AttachCreatedWindow(hwnd);
  if (control->FObjectInstance == nullptr)
    control->FObjectInstance = MakeObjectInstance(
        [control](HWND h, UINT m, WPARAM w, LPARAM l) { return control->MainWndProc(h, m, w, l); });
  SetWindowLongPtrW(hwnd, GWL_WNDPROC, ProcToLong(control->FObjectInstance));
  return CallWindowProcW(control->FObjectInstance, hwnd, msg, wParam, lParam);
}

void TWinControl::AttachCreatedWindow(HWND hwnd) {
  FHandle = hwnd;
  ControlMap()[hwnd] = this;
}

void TWinControl::DetachWindow() {
  if (!FHandle) return;
  if (auto it = ControlMap().find(FHandle); it != ControlMap().end() && it->second == this) ControlMap().erase(it);
  FHandle = HWND();
}

LRESULT TWinControl::CallMainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return MainWndProc(hwnd, msg, wParam, lParam);
}

WideString TWinControl::WidgetCaption() const {
  if (FHandle && IsWindow(FHandle)) {
    const LRESULT length = DefWindowProcW(FHandle, WM_GETTEXTLENGTH, 0, 0);
    WideString text(static_cast<std::size_t>(std::max<LRESULT>(0, length)) + 1, u'\0');
    const LRESULT n = DefWindowProcW(FHandle, WM_GETTEXT, text.size(), PtrLParam(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, n)));
    return text;
  }
  return AnsiToWide(FText);
}

WideString TWinControl::WideTextFromWidget() const { return AnsiToWide(TextFromWidget()); }

void TWinControl::CreateWindowHandle(const TCreateParams& params) { CreateNarrowWindowHandle(params); }

void TWinControl::CreateNarrowWindowHandle(const TCreateParams& params) {
  HWND hwnd = CreateWindowExA(params.ExStyle, params.WinClassName, params.Caption, params.Style,
                              params.X, params.Y, params.Width, params.Height, params.WndParent,
                              HMENU(), HInstance(), params.Param);
  if (!hwnd) throw Exception("Cannot create a window for " + Name());
  SubclassNarrowWindow(hwnd);
}

void TWinControl::SubclassNarrowWindow(HWND hwnd) {
  AttachCreatedWindow(hwnd);
  FObjectInstance = MakeObjectInstance(
      [this](HWND h, UINT m, WPARAM w, LPARAM l) { return MainWndProc(h, m, w, l); });
  FDefWndProc = LongToProc(SetWindowLongPtrA(hwnd, GWL_WNDPROC, ProcToLong(FObjectInstance)));
}

void TWinControl::DestroyWindowHandle() {
  if (!FHandle) return;
  ControlMap().erase(FHandle);
  DestroyWindow(FHandle);
  FHandle = HWND();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  WNDCLASSW known;
  const WideString className = AnsiToWide(params.WinClassName);
  if (!GetClassInfoW(HInstance(), className, &known)) {
    WNDCLASSW wc;
    wc.style = params.WindowClassStyle;
    wc.lpfnWndProc = &TWinControl::WidgetDefWindowProc;
    wc.hInstance = HInstance();
    wc.lpszClassName = className.c_str();
    if (RegisterClassW(wc) == 0) throw Exception("Cannot register window class " + params.WinClassName);
  }
  FDefWndProc = &TWinControl::WidgetDefWindowProc;
  CreateWindowHandle(params);
  if (!FHandle) throw Exception("Cannot create a window for " + Name());

  QWidget* parentWidget = FParent != nullptr ? FParent->Widget() : nullptr;
  FHost = CreateWidget(parentWidget);
  QWidget* w = FHost->Widget();
  w->setObjectName(ToQString(Name()));
  w->setAttribute(Qt::WA_MouseTracking, true);
  w->setMouseTracking(true);
  ApplyFont();
  ApplyPalette();
  TextToWidget();
  InitWidget();
  FWidgetImeDefault = w->testAttribute(Qt::WA_InputMethodEnabled);
  ApplyImeMode();
  ApplyConstraints();
  UpdateWidgetGeometry();
  w->setEnabled(FEnabled);
  if (GetWindowLongPtrA(FHandle, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) w->setAcceptDrops(true);
  // Windows of the child controls follow their parent's.
  for (TControl* child : FControls)
    if (auto* wc = dynamic_cast<TWinControl*>(child)) wc->HandleNeeded();
  ApplyVisibility();
  AlignControls();
}

void TWinControl::DestroyWnd() {
  if (FHost) {
    FHost->SetSink(nullptr);
    FHost.reset();
  }
  DestroyWindowHandle();
  if (FObjectInstance != nullptr) {
    FreeObjectInstance(FObjectInstance);
    FObjectInstance = nullptr;
  }
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  (void)GetText();  // keeps what the user typed
  std::vector<TWinControl*> children;
  for (TControl* c : FControls)
    if (auto* wc = dynamic_cast<TWinControl*>(c); wc != nullptr && wc->HandleAllocated())
      children.push_back(wc);
  // Children lose their windows with ours and get new ones when ours is made again.
  for (TWinControl* c : children) c->DestroyWndTree();
  DestroyWnd();
  CreateWnd();
}

void TWinControl::DestroyWndTree() {
  (void)GetText();
  for (TControl* c : FControls)
    if (auto* wc = dynamic_cast<TWinControl*>(c); wc != nullptr && wc->HandleAllocated())
      wc->DestroyWndTree();
  DestroyWnd();
}

std::unique_ptr<IHostWidget> TWinControl::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QWidget>>(this, parentWidget);
}

void TWinControl::TextToWidget() {}

LRESULT TWinControl::MainWndProc(HWND /*hwnd*/, UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  try {
    WindowProc(m);
  } catch (const std::exception& e) {
    HandleControlException(e);
  }
  return m.Result;
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (FHandle && FDefWndProc != nullptr)
    message.Result = CallWindowProcA(FDefWndProc, FHandle, message.Msg, message.WParam, message.LParam);
}

LRESULT TWinControl::DefWndProc(TMessage& message) {
  if (FCurrentEvent != nullptr && message.Msg == FCurrentMsg && FHost) {
    QEvent* e = FCurrentEvent;
    FCurrentEvent = nullptr;  // handed back once
    FHost->BaseEvent(e);
    return 0;
  }
  // Text reaches this procedure wide (see WidgetDefWindowProc); the window keeps it wide and the
  // control its ANSI form.
  switch (message.Msg) {
    case WM_SETTEXT: {
      const char16_t* text = LParamPtr<const char16_t>(message.LParam);
      FText = text != nullptr ? WideToAnsi(WideString(text)) : AnsiString();
      const LRESULT r = DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
      if (FHost) TextToWidget();
      return r;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      if (WidgetHoldsText() && FHost) {
        const WideString typed = WideTextFromWidget();
        FText = WideToAnsi(typed);
        DefWindowProcW(FHandle, WM_SETTEXT, 0, PtrLParam(typed.c_str()));
      }
      return DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
    case WM_CHAR:
      // A character sent by code is typed into the widget as if from the keyboard.
      if (FHost && message.WParam >= 0x20 && message.WParam <= 0xFFFF) {
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(static_cast<char16_t>(message.WParam))));
        FHost->BaseEvent(&typed);
        return 0;
      }
      return DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
    case WM_CLOSE:
      return 0;  // closing is the form's decision
    case WM_DROPFILES:
      // Nobody took the files: the drop is released here.
      DragFinish(HDROP(static_cast<std::uint64_t>(message.WParam)));
      return 0;
    case WM_NCCREATE:
      DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
      return 1;
    default:
      return DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
  }
}

bool TWinControl::WidgetEvent(QEvent* event) {
  if (!FHandle) return false;
  MSG msg;
  msg.hwnd = FHandle;
  bool input = false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(event);
      SyncModifierState(me->modifiers());
      if (event->type() == QEvent::MouseMove) {
        msg.message = WM_MOUSEMOVE;
      } else {
        msg.message = MouseMessage(event->type(), me->button());
        if (msg.message == 0) return false;
        if (event->type() == QEvent::MouseButtonDblClick && !(FControlStyle & csDoubleClicks))
          msg.message -= (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
        const int vk = me->button() == Qt::LeftButton ? VK_LBUTTON
                       : me->button() == Qt::RightButton ? VK_RBUTTON : VK_MBUTTON;
        SetKeyDown(vk, event->type() != QEvent::MouseButtonRelease);
        FKeyAskedContextMenu = false;
      }
      const TPoint offset = WidgetClientOffset();
      const QPoint p = me->position().toPoint() - QPoint(offset.X, offset.Y);
      msg.wParam = QtMouseKeys(me->buttons(), me->modifiers());
      msg.lParam = PointToLParam(p.x(), p.y());
      const QPoint g = me->globalPosition().toPoint();
      msg.pt = POINT{g.x(), g.y()};
      SetCursorPosState(msg.pt);
      input = true;
      break;
    }
    case QEvent::Wheel: {
      // The turn in WM_MOUSEWHEEL's high word, the mouse on the screen in its LParam.
      auto* we = static_cast<QWheelEvent*>(event);
      SyncModifierState(we->modifiers());
      const int turn = std::clamp(we->angleDelta().y() != 0 ? we->angleDelta().y() : we->angleDelta().x(), -32768, 32767);
      msg.message = WM_MOUSEWHEEL;
      msg.wParam = MAKEWPARAM(static_cast<WORD>(QtMouseKeys(we->buttons(), we->modifiers())),
                              static_cast<WORD>(static_cast<std::int16_t>(turn)));
      const QPoint g = we->globalPosition().toPoint();
      msg.lParam = PointToLParam(g.x(), g.y());
      msg.pt = POINT{g.x(), g.y()};
      input = true;
      break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* ke = static_cast<QKeyEvent*>(event);
      SyncModifierState(ke->modifiers());
      const int vk = QtKeyToVK(ke->key());
      const bool release = event->type() == QEvent::KeyRelease;
      if (vk != 0) SetKeyDown(vk, !release);
      if (release) {
        if (vk == 0) return false;
        msg.message = WM_KEYUP;
        msg.wParam = static_cast<WPARAM>(vk);
        msg.lParam = QtKeyData(vk, ke->modifiers(), true);
        input = true;
        break;
      }
      // A key press is a key-down and then, for text, one character message per UTF-16 unit.
      FDialogKeyHandled = false;
      FKeyAskedContextMenu = false;
      bool handedBack = false;
      if (vk != 0) {
        msg.message = WM_KEYDOWN;
        msg.wParam = static_cast<WPARAM>(vk);
        msg.lParam = QtKeyData(vk, ke->modifiers(), false);
        QEvent* saved = FCurrentEvent;
        const UINT savedMsg = FCurrentMsg;
        // Keys with text reach the widget through their characters.
        FCurrentEvent = ke->text().isEmpty() ? event : nullptr;
        FCurrentMsg = WM_KEYDOWN;
        DeliverInputMessage(msg);
        handedBack = FCurrentEvent == nullptr && ke->text().isEmpty();
        FCurrentEvent = saved;
        FCurrentMsg = savedMsg;
        if (!FHandle) return true;
      }
      if (FDialogKeyHandled) {
        event->accept();
        return true;
      }
      const QString text = ke->text();
      bool anyChar = false;
      for (QChar ch : text) {
        if (ch.unicode() == 0x7F || (ch.unicode() < 0x20 && ch.unicode() != 8 && ch.unicode() != 13 &&
                                     ch.unicode() != 27 && ch.unicode() != 9 && !(ke->modifiers() & Qt::ControlModifier)))
          continue;
        anyChar = true;
        MSG chMsg;
        chMsg.hwnd = FHandle;
        chMsg.message = WM_CHAR;
        chMsg.wParam = ch.unicode();
        chMsg.lParam = msg.lParam;
        QEvent* saved = FCurrentEvent;
        const UINT savedMsg = FCurrentMsg;
        FCurrentEvent = nullptr;
        FCurrentMsg = WM_CHAR;
        FPendingKeyEvent = ke;
        DeliverInputMessage(chMsg);
        FPendingKeyEvent = nullptr;
        FCurrentEvent = saved;
        FCurrentMsg = savedMsg;
        if (!FHandle) return true;
      }
      (void)anyChar;
      (void)handedBack;
      // The key went the control's own route (dialog keys included); a widget that ignored it
      // must not pass it on to its parent's widget, which would handle it a second time.
      event->accept();
      return true;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
      QEvent* saved = FCurrentEvent;
      const UINT savedMsg = FCurrentMsg;
      FCurrentEvent = event;
      FCurrentMsg = event->type() == QEvent::FocusIn ? WM_SETFOCUS : WM_KILLFOCUS;
      SendMessageA(FHandle, FCurrentMsg, 0, 0);
      FCurrentEvent = saved;
      FCurrentMsg = savedMsg;
      return true;
    }
    case QEvent::Resize: {
      auto* re = static_cast<QResizeEvent*>(event);
      QEvent* saved = FCurrentEvent;
      const UINT savedMsg = FCurrentMsg;
      FCurrentEvent = event;
      FCurrentMsg = WM_SIZE;
      // The size of the client area, which a form's menu bar does not belong to.
      const TPoint offset = WidgetClientOffset();
      const int width = std::max(0, re->size().width() - offset.X);
      const int height = std::max(0, re->size().height() - offset.Y);
      SendMessageA(FHandle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
      FCurrentEvent = saved;
      FCurrentMsg = savedMsg;
      return true;
    }
    case QEvent::Paint: {
      QEvent* saved = FCurrentEvent;
      const UINT savedMsg = FCurrentMsg;
      FCurrentEvent = event;
      FCurrentMsg = WM_PAINT;
      SendMessageA(FHandle, WM_PAINT, 0, 0);
      FCurrentEvent = saved;
      FCurrentMsg = savedMsg;
      return true;
    }
    case QEvent::ContextMenu: {
      // The mouse's context menu comes with the right button's release, never from Qt at the
      // press; the keyboard's is WM_CONTEXTMENU without a position, once for the key that asked.
      auto* ce = static_cast<QContextMenuEvent*>(event);
      event->accept();
      if (ce->reason() == QContextMenuEvent::Mouse) return true;
      if (std::exchange(FKeyAskedContextMenu, false)) return true;
      QEvent* saved = FCurrentEvent;
      const UINT savedMsg = FCurrentMsg;
      FCurrentEvent = event;
      FCurrentMsg = WM_CONTEXTMENU;
      SendMessageA(FHandle, WM_CONTEXTMENU, FHandle.AsWParam(), static_cast<LPARAM>(-1));
      FCurrentEvent = saved;
      FCurrentMsg = savedMsg;
      // Handed back to the widget, the event is not passed on to the parents' widgets.
      event->accept();
      return true;
    }
    case QEvent::Enter:
      SendMessageA(FHandle, CM_MOUSEENTER, 0, 0);
      return false;
    case QEvent::Leave:
      SendMessageA(FHandle, CM_MOUSELEAVE, 0, 0);
      return false;
    case QEvent::Close: {
      event->ignore();
      SendMessageA(FHandle, WM_CLOSE, 0, 0);
      return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
      // Only files, and only for a window that accepts them; anything else is the widget's own.
      auto* drop = static_cast<QDropEvent*>(event);
      if (!(GetWindowLongPtrA(FHandle, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) || !drop->mimeData()->hasUrls())
        return false;
      std::vector<AnsiString> files;
      for (const QUrl& url : drop->mimeData()->urls())
        if (url.isLocalFile()) files.push_back(FromQString(url.toLocalFile()));
      if (files.empty()) return false;
      drop->acceptProposedAction();
      if (event->type() == QEvent::Drop) SendMessageA(FHandle, WM_DROPFILES, CreateDropHandle(std::move(files)).AsWParam(), 0);
      return true;
    }
    default:
      return false;
  }
  if (input) {
    QEvent* saved = FCurrentEvent;
    const UINT savedMsg = FCurrentMsg;
    FCurrentEvent = event;
    FCurrentMsg = msg.message;
    DeliverInputMessage(msg);
    FCurrentEvent = saved;
    FCurrentMsg = savedMsg;
    // The control took the mouse: Qt must not pass it on to the parents' widgets as well, whose
    // controls would handle it a second time (a right release opening two context menus).
    if (event->type() != QEvent::Wheel) event->accept();
  }
  return true;
}

void TWinControl::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      if (DragMouseMessage(this, message)) return;
      if (IsControlMouseMsg(message)) return;
      TControl::MessageHandler(message);
      // The right button's release asks for the context menu at its place on the screen.
      if (message.Msg == WM_RBUTTONUP && FHandle) {
        const TPoint at = ClientToScreen(Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)));
        Perform(WM_CONTEXTMENU, FHandle.AsWParam(), PointToLParam(at.X, at.Y));
      }
      return;
    case WM_CONTEXTMENU: {
      // The position is on the screen, (-1, -1) from the keyboard. When no handler and no popup
      // menu takes it, the default handling shows the widget's own menu, if it has one.
      if (!FEnabled) return;
      const TPoint at = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
      if (ContextPopupAt(at == Point(-1, -1) ? at : ScreenToClient(at))) {
        message.Result = 1;
        return;
      }
      TControl::MessageHandler(message);
      return;
    }
    case CM_SHOWHINTCHANGED:
      TControl::MessageHandler(message);
      for (TControl* c : FControls) c->Perform(CM_PARENTSHOWHINTCHANGED);
      return;
    case WM_PAINT: WMPaint(message); return;
    case WM_ERASEBKGND:
      // Erasing into a given DC fills the client area with the control's colour.
      if (message.WParam != 0) {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        HBRUSH brush = CreateSolidBrush(ColorToRGB(FColor));
        ::orv::FillRect(dc, ClientRect(), brush);
        DeleteObject(brush);
        message.Result = 1;
        return;
      }
      TControl::MessageHandler(message);
      return;
    case WM_SIZE: WMSize(message); return;
    case WM_KEYDOWN: WMKeyDown(message); return;
    case WM_KEYUP: WMKeyUp(message); return;
    case WM_CHAR: WMChar(message); return;
    case WM_SETFOCUS: WMSetFocus(message); return;
    case WM_KILLFOCUS: WMKillFocus(message); return;
    case CM_BIDIMODECHANGED:
      TControl::MessageHandler(message);
      for (TControl* c : FControls) c->Perform(CM_PARENTBIDIMODECHANGED);
      return;
    case CM_CTL3DCHANGED:
      TControl::MessageHandler(message);
      for (TControl* c : FControls) c->Perform(CM_PARENTCTL3DCHANGED);
      return;
    case CM_PARENTCTL3DCHANGED: ParentCtl3DChanged(); return;
    case CM_DIALOGCHAR:
      // Offered to each child in turn (a windowed one offers it to its own) until one takes it.
      for (TControl* c : std::vector<TControl*>(FControls)) {
        if (!c->Visible()) continue;
        message.Result = c->Perform(CM_DIALOGCHAR, message.WParam, message.LParam);
        if (message.Result != 0) return;
      }
      return;
    case CM_FOCUSCHANGED:
      // Every control of the window hears which control has the focus now.
      for (TControl* c : FControls) c->Perform(CM_FOCUSCHANGED, message.WParam, message.LParam);
      return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case CM_MOUSELEAVE:
      if (FMouseControl != nullptr) {
        TControl* old = FMouseControl;
        FMouseControl = nullptr;
        old->Perform(CM_MOUSELEAVE);
      }
      TControl::MessageHandler(message);
      return;
    default:
      TControl::MessageHandler(message);
  }
}

bool TWinControl::IsControlMouseMsg(TMessage& message) {
  const TPoint p = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
  // Entering and leaving follow the control really under the mouse, also while another holds
  // it: the control that holds the mouse still gets every mouse message.
  TControl* under = ControlAtPos(p, false);
  TControl* target = FCaptureControl != nullptr ? FCaptureControl : under;
  if (message.Msg == WM_MOUSEMOVE && under != FMouseControl) {
    TControl* old = FMouseControl;
    FMouseControl = under;
    if (old != nullptr) old->Perform(CM_MOUSELEAVE);
    if (under != nullptr) under->Perform(CM_MOUSEENTER);
  }
  if (target == nullptr) return false;
  if ((message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) &&
      (target->ControlStyle() & csCaptureMouse))
    FCaptureControl = target;
  const LPARAM local = PointToLParam(p.X - target->Left(), p.Y - target->Top());
  message.Result = target->Perform(message.Msg, message.WParam, local);
  if (message.Msg == WM_LBUTTONUP || message.Msg == WM_RBUTTONUP || message.Msg == WM_MBUTTONUP)
    FCaptureControl = nullptr;
  if (message.Msg == WM_RBUTTONUP) target->ContextPopupAt(Point(GET_X_LPARAM(local), GET_Y_LPARAM(local)));
  return true;
}

TControl* TWinControl::ControlAtPos(const TPoint& p, bool allowDisabled, bool allowWinControls) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!allowWinControls && dynamic_cast<TWinControl*>(c) != nullptr) continue;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    if (PtInRect(c->BoundsRect(), p)) return c;
  }
  return nullptr;
}

void TWinControl::WMPaint(TMessage& message) {
  if (message.WParam != 0) {
    // A paint into a given DC (a copy behind a transparent control): the control's own painting,
    // without its children, which the caller paints as it needs them.
    QPainter* painter = DCPainter(reinterpret_cast<HDC>(message.WParam));
    if (painter == nullptr) return;
    painter->save();
    PaintWindow(*painter);
    painter->restore();
    return;
  }
  QEvent* e = FCurrentEvent;
  DefaultHandler(message);  // the widget's own look first
  if (e == nullptr || e->type() != QEvent::Paint || !FHost) return;
  QPainter painter(FHost->Widget());
  const TPoint offset = WidgetClientOffset();
  painter.translate(offset.X, offset.Y);
  PaintWindow(painter);
  PaintControls(painter);
}

void TWinControl::PaintWindow(QPainter& /*painter*/) {}

void TWinControl::PaintControls(QPainter& painter) {
  for (TControl* c : FControls) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (g == nullptr || !g->Visible() || g->Width() <= 0 || g->Height() <= 0) continue;
    painter.save();
    painter.translate(g->Left(), g->Top());
    painter.setClipRect(0, 0, g->Width(), g->Height());
    try {
      g->PaintOn(painter);
    } catch (const std::exception& ex) {
      painter.restore();
      HandleControlException(ex);
      continue;
    }
    painter.restore();
  }
}

void TWinControl::WMSize(TMessage& message) {
  DefaultHandler(message);
  if (FHost) {
    const QSize s = FHost->Widget()->size();
    if (s.width() != FWidth || s.height() != FHeight) {
      FWidth = s.width();
      FHeight = s.height();
    }
  }
  AlignControls();
  Resize();
}

void TWinControl::Resize() { OnResize(this); }

bool TWinControl::WantsKey(Word key) const {
  return key != VK_RETURN && key != VK_ESCAPE && key != VK_TAB;
}

void TWinControl::WMKeyDown(TMessage& message) {
  Word key = static_cast<Word>(message.WParam);
  const TShiftState shift = KeyDataToShiftState(message.LParam);
  // Escape gives a drag up, wherever the focus is; the key goes no further.
  if (key == VK_ESCAPE && DragActive()) {
    CancelDrag();
    FDialogKeyHandled = true;
    return;
  }
  TCustomForm* form = ParentForm();
  if (form != nullptr && form != this && form->KeyPreview()) {
    form->KeyDown(key, shift);
    if (key == 0) return;
  }
  KeyDown(key, shift);
  if (key == 0) return;
  // The menu key and Shift+F10 ask for the context menu; the widget does not see them.
  if (key == VK_APPS || (key == VK_F10 && shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt))) {
    FKeyAskedContextMenu = true;
    FDialogKeyHandled = true;
    Perform(WM_CONTEXTMENU, FHandle.AsWParam(), static_cast<LPARAM>(-1));
    return;
  }
  if (!WantsKey(key)) {
    SendDialogKey(key, shift);
    if (key == 0) {
      FDialogKeyHandled = true;
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::SendDialogKey(Word& key, TShiftState /*shift*/) {
  TCustomForm* form = ParentForm();
  if (form == nullptr) return;
  if (form->Perform(CM_DIALOGKEY, key, 0) != 0) key = 0;
}

void TWinControl::WMKeyUp(TMessage& message) {
  Word key = static_cast<Word>(message.WParam);
  const TShiftState shift = KeyDataToShiftState(message.LParam);
  // Escape gives a drag up, wherever the focus is; the key goes no further.
  if (key == VK_ESCAPE && DragActive()) {
    CancelDrag();
    FDialogKeyHandled = true;
    return;
  }
  TCustomForm* form = ParentForm();
  if (form != nullptr && form != this && form->KeyPreview()) {
    form->KeyUp(key, shift);
    if (key == 0) return;
  }
  KeyUp(key, shift);
  if (key == 0) return;
  DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message) {
  char ch = static_cast<char>(message.WParam & 0xFF);
  const char original = ch;
  TCustomForm* form = ParentForm();
  // With Alt held the character is first the accelerator of a control of the form (a window-less
  // one among them); the control that takes it ends the character.
  if (form != nullptr && ((message.LParam & (1 << 29)) != 0 || GetKeyState(VK_MENU) < 0) &&
      form->Perform(CM_DIALOGCHAR, static_cast<unsigned char>(ch), message.LParam) != 0) {
    FDialogKeyHandled = true;
    return;
  }
  if (form != nullptr && form != this && form->KeyPreview()) {
    form->KeyPress(ch);
    if (ch == 0) return;
  }
  KeyPress(ch);
  if (ch == 0) return;
  // Bits above the narrow character stay (a wide character travels packed in them).
  if (ch != original) message.WParam = static_cast<unsigned char>(ch);
  // The widget takes the character from the key event it came with, or a new one when a handler
  // changed it.
  if (FPendingKeyEvent != nullptr && FHost) {
    QKeyEvent* ke = FPendingKeyEvent;
    FPendingKeyEvent = nullptr;
    if (ch == original) {
      FHost->BaseEvent(ke);
    } else {
      const QString text = ToQString(AnsiString(1, ch));
      QKeyEvent changed(QEvent::KeyPress, 0, ke->modifiers(), text);
      FHost->BaseEvent(&changed);
    }
    return;
  }
  DefaultHandler(message);
}

void TWinControl::KeyDown(Word& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(Word& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char& key) { OnKeyPress(this, key); }

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  if (TCustomForm* form = ParentForm(); form != nullptr && form != this) form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& message) { DefaultHandler(message); }

void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c != nullptr; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return ParentForm() != nullptr;
}

void TWinControl::SetFocus() {
  TCustomForm* form = ParentForm();
  if (!CanFocus()) throw Exception("Cannot focus a disabled or invisible window");
  HandleNeeded();
  FHost->Widget()->setFocus(Qt::OtherFocusReason);
  // Enter and exit do not wait for the window system's focus events, which an inactive window
  // does not get.
  if (form != nullptr && form != this) form->SetFocusedControl(this);
}

bool TWinControl::Focused() const {
  if (TCustomForm* form = ParentForm(); form != nullptr && form != this)
    return form->ActiveControl() == this;
  return FHost && FHost->Widget()->hasFocus();
}

void TWinControl::InsertControl(TControl* control) {
  control->FParent = this;
  FControls.push_back(control);
  if (auto* wc = dynamic_cast<TWinControl*>(control)) {
    FTabOrderList.push_back(wc);
    if (FHandle) {
      // A window moves to a new parent by being made again under it.
      if (wc->HandleAllocated()) wc->DestroyWndTree();
      wc->HandleNeeded();
    }
  }
  const TRect client = ClientRect();
  control->FAnchorRight = client.Right - (control->Left() + control->Width());
  control->FAnchorBottom = client.Bottom - (control->Top() + control->Height());
  if (control->Align() != alNone) Realign();
  Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(FControls.begin(), FControls.end(), control);
  if (it == FControls.end()) return;
  FControls.erase(it);
  if (FMouseControl == control) FMouseControl = nullptr;
  if (FCaptureControl == control) FCaptureControl = nullptr;
  if (auto* wc = dynamic_cast<TWinControl*>(control)) {
    FTabOrderList.erase(std::remove(FTabOrderList.begin(), FTabOrderList.end(), wc), FTabOrderList.end());
    if (TCustomForm* form = ParentForm()) form->ControlRemoving(wc);
    // A window cannot live without its parent's: it is made again when the control gets one.
    if (wc->HandleAllocated()) wc->DestroyWndTree();
  }
  control->FParent = nullptr;
  if (control->FHostDockSite == this) control->FHostDockSite = nullptr;
  if (control->Align() != alNone) Realign();
  Invalidate();
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TControl* c : FControls)
    if (c->Owner() == root) proc(c);
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c != nullptr; c = c->Parent())
    if (c == this) return true;
  return false;
}

Integer TWinControl::TabOrder() const {
  if (FParent == nullptr) return -1;
  const auto& list = FParent->FTabOrderList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TWinControl::SetTabOrder(Integer order) {
  if (FParent == nullptr) return;
  auto& list = FParent->FTabOrderList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (order < 0) order = 0;
  if (order > static_cast<Integer>(list.size())) order = static_cast<Integer>(list.size());
  list.insert(list.begin() + order, this);
}

std::vector<TWinControl*> TWinControl::TabList() const { return FTabOrderList; }

const AnsiString& TWinControl::GetText() const {
  if (WidgetHoldsText()) FText = TextFromWidget();
  return FText;
}

void TWinControl::SetText(const AnsiString& text) {
  if (GetText() == text) return;
  if (FHandle) {
    const AnsiString copy = text;
    Perform(WM_SETTEXT, 0, PtrLParam(copy.c_str()));
  } else {
    FText = text;
  }
  TextChanged();
  Perform(CM_TEXTCHANGED);
  Invalidate();
}

void TWinControl::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  TControl::SetBounds(left, top, width, height);
}

void TWinControl::BoundsChanged() {
  UpdateWidgetGeometry();
  AlignControls();
}

void TWinControl::UpdateWidgetGeometry() {
  if (!FHost) return;
  QWidget* w = FHost->Widget();
  if (w->isWindow()) {
    w->move(FLeft, FTop);
    w->resize(FWidth, FHeight);
  } else {
    const TPoint offset = FParent != nullptr ? FParent->WidgetClientOffset() : Point(0, 0);
    const QRect wanted(FLeft + offset.X, FTop + offset.Y, FWidth, FHeight);
    if (w->geometry() != wanted) w->setGeometry(wanted);
  }
}

void TWinControl::Realign() { AlignControls(); }

void TWinControl::AlignControls() {
  TRect r = AlignClientRect();
  auto place = [](TControl* c, Integer l, Integer t, Integer w, Integer h) {
    c->FLeft = l;
    c->FTop = t;
    c->FWidth = w < 0 ? 0 : w;
    c->FHeight = h < 0 ? 0 : h;
    c->BoundsChanged();
    c->Invalidate();
  };
  auto ordered = [this](TAlign align) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->Align() == align && c->Visible()) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop: return a->Top() < b->Top();
        case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
        case alLeft: return a->Left() < b->Left();
        case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
        default: return false;
      }
    });
    return list;
  };
  for (TControl* c : ordered(alTop)) {
    place(c, r.Left, r.Top, r.Width(), c->Height());
    r.Top += c->Height();
  }
  for (TControl* c : ordered(alBottom)) {
    place(c, r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
    r.Bottom -= c->Height();
  }
  for (TControl* c : ordered(alLeft)) {
    place(c, r.Left, r.Top, c->Width(), r.Height());
    r.Left += c->Width();
  }
  for (TControl* c : ordered(alRight)) {
    place(c, r.Right - c->Width(), r.Top, c->Width(), r.Height());
    r.Right -= c->Width();
  }
  for (TControl* c : ordered(alClient)) place(c, r.Left, r.Top, r.Width(), r.Height());
  UpdateAnchors();
}

void TWinControl::UpdateAnchors() {
  const TRect client = ClientRect();
  for (TControl* c : FControls) {
    if (c->Align() != alNone) continue;
    const TAnchors a = c->Anchors();
    Integer l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
    if (a.Contains(akRight)) {
      const Integer right = client.Right - c->FAnchorRight;
      if (a.Contains(akLeft)) w = right - l;
      else l = right - w;
    }
    if (a.Contains(akBottom)) {
      const Integer bottom = client.Bottom - c->FAnchorBottom;
      if (a.Contains(akTop)) h = bottom - t;
      else t = bottom - h;
    }
    if (l != c->Left() || t != c->Top() || w != c->Width() || h != c->Height()) {
      c->FLeft = l;
      c->FTop = t;
      c->FWidth = w < 0 ? 0 : w;
      c->FHeight = h < 0 ? 0 : h;
      c->BoundsChanged();
    }
  }
}

void TWinControl::SetImeMode(TImeMode mode) {
  if (FImeMode == mode) return;
  FImeMode = mode;
  ApplyImeMode();
}

void TWinControl::ApplyImeMode() {
  if (!FHost) return;
  const bool on = FImeMode == imDontCare ? FWidgetImeDefault : (FImeMode != imDisable && FImeMode != imClose);
  FHost->Widget()->setAttribute(Qt::WA_InputMethodEnabled, on);
}

void TWinControl::ConstraintsChanged() {
  ApplyConstraints();
  TControl::ConstraintsChanged();
}

void TWinControl::ApplyConstraints() {
  if (!FHost) return;
  // The widget keeps the limits too: a window resized by the user stays within them. Without
  // limits (now and before) the widget keeps its own, such as a dialog's fixed size.
  const bool any = FConstraints->MinWidth() > 0 || FConstraints->MinHeight() > 0 ||
                   FConstraints->MaxWidth() > 0 || FConstraints->MaxHeight() > 0;
  if (!any && !FConstraintsOnWidget) return;
  if (const auto* form = dynamic_cast<const TCustomForm*>(this);
      form != nullptr && (form->BorderStyle() == bsSingle || form->BorderStyle() == bsDialog ||
                          form->BorderStyle() == bsToolWindow))
    return;  // a window of fixed size
  FConstraintsOnWidget = any;
  QWidget* w = FHost->Widget();
  w->setMinimumSize(FConstraints->MinWidth(), FConstraints->MinHeight());
  w->setMaximumSize(FConstraints->MaxWidth() > 0 ? FConstraints->MaxWidth() : QWIDGETSIZE_MAX,
                    FConstraints->MaxHeight() > 0 ? FConstraints->MaxHeight() : QWIDGETSIZE_MAX);
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
  if (FParent != nullptr && FParentCtl3D) ParentCtl3DChanged();
}

void TWinControl::SetCtl3D(bool value) {
  FParentCtl3D = false;
  if (FCtl3D == value) return;
  FCtl3D = value;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  FParentCtl3D = value;
  if (value) ParentCtl3DChanged();
}

void TWinControl::ParentCtl3DChanged() {
  if (!FParentCtl3D || FParent == nullptr || FParent->Ctl3D() == FCtl3D) return;
  FCtl3D = FParent->Ctl3D();
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetVisible(bool value) { TControl::SetVisible(value); }

void TWinControl::VisibleChanged() { ApplyVisibility(); }

void TWinControl::ApplyVisibility() {
  if (FHost && FParent != nullptr) FHost->Widget()->setVisible(FVisible);
}

void TWinControl::SetEnabled(bool value) { TControl::SetEnabled(value); }

void TWinControl::EnabledChanged() {
  if (FHost) FHost->Widget()->setEnabled(FEnabled);
}

void TWinControl::ColorChanged() {
  ApplyPalette();
  for (TControl* c : FControls) c->Perform(CM_PARENTCOLORCHANGED);
  Invalidate();
}

void TWinControl::FontChanged() {
  ApplyFont();
  for (TControl* c : FControls) c->Perform(CM_PARENTFONTCHANGED);
  Invalidate();
}

void TWinControl::ApplyPalette() {
  if (!FHost) return;
  QWidget* w = FHost->Widget();
  QPalette pal = w->palette();
  const QColor back = ToQColor(FColor);
  pal.setColor(QPalette::Window, back);
  pal.setColor(QPalette::Button, back);
  if (FColor != clBtnFace) pal.setColor(QPalette::Base, back);
  pal.setColor(QPalette::WindowText, ToQColor(FFont->Color()));
  pal.setColor(QPalette::ButtonText, ToQColor(FFont->Color()));
  pal.setColor(QPalette::Text, ToQColor(FFont->Color()));
  // A colour set for a role holds for every state: a disabled control would read as enabled.
  const QColor grayText = ToQColor(clGrayText);
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
    pal.setColor(QPalette::Disabled, role, grayText);
  w->setPalette(pal);
  w->setAutoFillBackground((FControlStyle & csOpaque) != 0);
}

void TWinControl::ApplyFont() {
  if (!FHost) return;
  FHost->Widget()->setFont(FFont->ToQFont());
  ApplyPalette();
}

void TWinControl::Invalidate() {
  if (FHost) FHost->Widget()->update();
}

void TWinControl::Repaint() {
  if (FHost) FHost->Widget()->repaint();
}

}  // namespace orv
