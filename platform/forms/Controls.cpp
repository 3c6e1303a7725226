// TControl and TGraphicControl: properties, the message entry and the mouse handlers with the
// click rule (a left release inside the control after a left press on it).
#include "platform/forms/Controls.h"

#include <QPainter>
#include <QWidget>
#include "platform/forms/ActionLinks.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphics.h"
#include "platform/win/Version.h"

namespace orv {

TShiftState MouseKeysToShift(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(ssShift);
  if (keys & MK_CONTROL) s.Include(ssCtrl);
  if (keys & MK_LBUTTON) s.Include(ssLeft);
  if (keys & MK_RBUTTON) s.Include(ssRight);
  if (keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if ((keyData & (1 << 29)) != 0 || GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

void PaintWithCanvas(TCanvas& canvas, QPainter& painter, const TFont& font,
                     const std::function<void()>& paint) {
  canvas.Font()->Assign(font);
  HDC dc = CreatePainterDC(&painter);
  canvas.SetHandle(dc);
  struct TDetach {
    TCanvas& Canvas;
    HDC Dc;
    ~TDetach() { Canvas.SetHandle(nullptr); DeleteDC(Dc); }
  } detach{canvas, dc};
  paint();
}

void RunGuarded(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    HandleControlException(e);
  }
}

TControl::TControl(TComponent* owner)
    : TComponent(owner), FFont(std::make_unique<TFont>()), FConstraints(std::make_unique<TSizeConstraints>()) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  FConstraints->OnChange = [this](TObject*) { ConstraintsChanged(); };
  FFont->OnChange = [this](TObject*) {
    if (FSettingFont) return;
    FParentFont = false;
    FontChanged();
  };
}

TControl::~TControl() {
  DragControlGone(this);
  FActionLink.reset();
  if (FParent != nullptr) FParent->RemoveControl(this);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) { Dispatch(message); }

void TControl::Dispatch(TMessage& message) {
  auto it = FHandlers.find(message.Msg);
  if (it != FHandlers.end()) {
    TWndMethodProc handler = it->second;  // the handler may replace itself
    handler(message);
    return;
  }
  MessageHandler(message);
}

void TControl::SetMessageHandler(UINT msg, TWndMethodProc handler) {
  if (handler) FHandlers[msg] = std::move(handler);
  else FHandlers.erase(msg);
}

void TControl::DefaultHandler(TMessage& /*message*/) {}

void TControl::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      if (DragMouseMessage(this, message)) return;
      WMMouse(message);
      return;
    case WM_MOUSEWHEEL:
      WMMouseWheel(message);
      return;
    case CM_DRAG:
      CMDrag(message);
      return;
    case CM_PARENTSHOWHINTCHANGED:
      ParentShowHintChanged();
      return;
    case CM_MOUSEENTER:
      if (Application != nullptr) Application->SetMouseControl(this);
      OnMouseEnter(this);
      DefaultHandler(message);
      return;
    case CM_MOUSELEAVE:
      if (Application != nullptr && Application->MouseControl() == this) Application->SetMouseControl(nullptr);
      OnMouseLeave(this);
      DefaultHandler(message);
      return;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      return;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      return;
    case CM_PARENTBIDIMODECHANGED:
      ParentBiDiModeChanged();
      return;
    default:
      DefaultHandler(message);
  }
}

void TControl::WMMouse(TMessage& message) {
  const Integer x = GET_X_LPARAM(message.LParam);
  const Integer y = GET_Y_LPARAM(message.LParam);
  TShiftState shift = MouseKeysToShift(message.WParam);
  // The widget does its own handling first (a button shows itself pressed), then the events fire.
  DefaultHandler(message);
  if (!FEnabled) return;
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (message.Msg == WM_LBUTTONDBLCLK && (FControlStyle & csDoubleClicks)) {
        shift.Include(ssDouble);
        DblClick();
      }
      FControlState |= csLButtonDown;
      if (FControlStyle & csClickEvents) FControlState |= csClicked;
      MouseDown(mbLeft, shift, x, y);
      // An automatic drag waits for the mouse to move; a release before that is a click.
      if (message.Msg == WM_LBUTTONDOWN && FDragMode == dmAutomatic && !DragActive()) BeginDrag(false);
      break;
    case WM_LBUTTONUP: {
      const bool clicked = (FControlState & csClicked) != 0;
      FControlState &= ~(csClicked | csLButtonDown);
      if (clicked && PtInRect(ClientRect(), Point(x, y))) Click();
      MouseUp(mbLeft, shift, x, y);
      break;
    }
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, shift, x, y);
      break;
    case WM_RBUTTONUP:
      MouseUp(mbRight, shift, x, y);
      break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK:
      MouseDown(mbMiddle, shift, x, y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, x, y);
      break;
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      break;
    default:
      break;
  }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, Integer x, Integer y) { OnMouseMove(this, shift, x, y); }

void TControl::WMMouseWheel(TMessage& message) {
  const TShiftState shift = MouseKeysToShift(LOWORD(message.WParam));
  const auto delta = static_cast<std::int16_t>(HIWORD(message.WParam));
  const TPoint pos = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
  if (FEnabled && DoMouseWheel(shift, delta, pos)) {
    message.Result = 1;
    if (auto* w = dynamic_cast<TWinControl*>(this); w != nullptr && w->CurrentEvent() != nullptr)
      w->CurrentEvent()->accept();
    return;
  }
  DefaultHandler(message);
}

bool TControl::DoMouseWheel(TShiftState shift, Integer wheelDelta, const TPoint& mousePos) {
  bool handled = false;
  OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
  if (handled) return true;
  // Whole notches go to the up and down handlers; a fine wheel's parts add up to them.
  FWheelAccumulator += wheelDelta;
  while (FWheelAccumulator >= WHEEL_DELTA || FWheelAccumulator <= -WHEEL_DELTA) {
    const bool down = FWheelAccumulator < 0;
    FWheelAccumulator += down ? WHEEL_DELTA : -WHEEL_DELTA;
    handled = (down ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos)) || handled;
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, const TPoint& mousePos) {
  bool handled = false;
  OnMouseWheelDown(this, shift, mousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, const TPoint& mousePos) {
  bool handled = false;
  OnMouseWheelUp(this, shift, mousePos, handled);
  return handled;
}

bool TControl::ContextPopupAt(const TPoint& local) {
  if (!FEnabled) return false;
  const bool fromKeyboard = local == Point(-1, -1);
  const TPoint screen = fromKeyboard ? Point(-1, -1) : ClientToScreen(local);
  for (TControl* c = this; c != nullptr; c = c->Parent()) {
    bool handled = false;
    c->DoContextPopup(fromKeyboard ? local : c->ScreenToClient(screen), handled);
    if (handled) return true;
    if (c->FPopupMenu == nullptr || !c->FPopupMenu->AutoPopup()) continue;
    // From the keyboard (no position) the menu opens at the middle of the control asked.
    const TPoint s = fromKeyboard ? ClientToScreen(Point(FWidth / 2, FHeight / 2)) : screen;
    c->FPopupMenu->SetPopupComponent(c);
    c->FPopupMenu->Popup(s.X, s.Y);
    return true;
  }
  return false;
}

void TControl::DoContextPopup(const TPoint& mousePos, bool& handled) {
  OnContextPopup(this, mousePos, handled);
}

void TControl::CMDrag(TMessage& message) {
  auto* rec = reinterpret_cast<TDragRec*>(message.LParam);
  if (rec == nullptr) return;
  const TPoint p = ScreenToClient(rec->Pos);
  switch (static_cast<TDragMessage>(message.WParam)) {
    case dmDragEnter: case dmDragLeave: case dmDragMove: {
      const TDragState state = message.WParam == dmDragEnter ? dsDragEnter
                               : message.WParam == dmDragLeave ? dsDragLeave : dsDragMove;
      bool accept = false;
      DragOver(rec->EventSource, p.X, p.Y, state, accept);
      message.Result = accept ? 1 : 0;
      return;
    }
    case dmDragDrop:
      DragDrop(rec->EventSource, p.X, p.Y);
      return;
    default:
      return;
  }
}

void TControl::DoStartDrag(TDragObject*& dragObject) { OnStartDrag(this, dragObject); }

void TControl::DragOver(TObject* source, Integer x, Integer y, TDragState state, bool& accept) {
  // Without a handler nothing is dropped here; with one, the handler decides.
  if (!OnDragOver) return;
  accept = true;
  OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TObject* source, Integer x, Integer y) { OnDragDrop(this, source, x, y); }
void TControl::DoEndDrag(TObject* target, Integer x, Integer y) { OnEndDrag(this, target, x, y); }
void TControl::DoStartDock(TDragDockObject*& dragObject) { OnStartDock(this, dragObject); }
void TControl::DoEndDock(TObject* target, Integer x, Integer y) { OnEndDock(this, target, x, y); }

void TControl::SetConstraintsObject(TSizeConstraints* constraints) {
  if (constraints != nullptr && constraints != FConstraints.get()) FConstraints->Assign(constraints);
}

void TControl::ConstraintsChanged() { SetBounds(FLeft, FTop, FWidth, FHeight); }

void TControl::SetShowHint(bool value) {
  FParentShowHint = false;
  if (FShowHint == value) return;
  FShowHint = value;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  FParentShowHint = value;
  if (value) ParentShowHintChanged();
}

void TControl::ParentShowHintChanged() {
  if (!FParentShowHint || FParent == nullptr || FParent->ShowHint() == FShowHint) return;
  FShowHint = FParent->ShowHint();
  Perform(CM_SHOWHINTCHANGED);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* wc = dynamic_cast<TWinControl*>(parent)) SetParent(wc);
}

void TControl::SetFontObject(TFont* font) {
  if (font != nullptr && font != FFont.get()) FFont->Assign(*font);
}

void TControl::Click() {
  // A linked action runs unless the control has a handler of its own.
  if (FActionLink != nullptr && FActionLink->Action() != nullptr && !OnClick) {
    FActionLink->Execute(this);
    return;
  }
  OnClick(this);
}

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (action == nullptr) return;
  if (!checkDefaults || Caption().empty() || Caption() == Name()) SetCaption(action->Caption());
  if (!checkDefaults || Enabled()) SetEnabled(action->Enabled());
  if (!checkDefaults || Hint().empty()) SetHint(action->Hint());
  if (!checkDefaults || Visible()) SetVisible(action->Visible());
}


bool TControl::IsCaptionStored() const { return FActionLink == nullptr || !FActionLink->IsCaptionLinked(); }
bool TControl::IsHintStored() const { return FActionLink == nullptr || !FActionLink->IsHintLinked(); }
void TControl::DblClick() { OnDblClick(this); }

void TControl::SetParent(TWinControl* parent) {
  if (FParent == parent) return;
  if (parent != nullptr && parent == this) throw Exception("A control cannot be its own parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  FHostDockSite = nullptr;  // docking and floating name the new one themselves
  if (parent != nullptr) {
    parent->InsertControl(this);
    if (FParentFont) ParentFontChanged();
    if (FParentColor) ParentColorChanged();
    if (FParentBiDiMode) ParentBiDiModeChanged();
    if (FParentShowHint) ParentShowHintChanged();
  }
}

TCustomForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->FParent != nullptr) c = c->FParent;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

const AnsiString& TControl::GetText() const { return FText; }

void TControl::SetText(const AnsiString& text) {
  if (FText == text) return;
  FText = text;
  TextChanged();
  Perform(CM_TEXTCHANGED);
  Invalidate();
}

void TControl::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  EnabledChanged();
  Perform(CM_ENABLEDCHANGED);
  Invalidate();
}

void TControl::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  VisibleChanged();
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  if (FParent != nullptr) {
    FParent->Realign();
    FParent->Invalidate();
  }
}

bool TControl::Showing() const {
  for (const TControl* c = this; c != nullptr; c = c->FParent)
    if (!c->FVisible) return false;
  return true;
}

void TControl::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  FConstraints->Apply(width, height);
  const bool changed = left != FLeft || top != FTop || width != FWidth || height != FHeight;
  if (changed && FParent != nullptr && FAlign == alNone) FParent->Invalidate();
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  if (FParent != nullptr) {
    const TRect client = FParent->ClientRect();
    FAnchorRight = client.Right - (FLeft + FWidth);
    FAnchorBottom = client.Bottom - (FTop + FHeight);
  }
  if (changed) {
    BoundsChanged();
    if (FParent != nullptr && FAlign != alNone) FParent->Realign();
    Invalidate();
  }
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
  TPoint r = p;
  for (const TControl* c = this; c != nullptr; c = c->FParent) {
    if (c->FParent == nullptr) {
      const auto* w = dynamic_cast<const TWinControl*>(c);
      if (w != nullptr && w->HandleAllocated() && w->Host() != nullptr) {
        const TPoint offset = w->WidgetClientOffset();
        const QPoint g = w->Host()->Widget()->mapToGlobal(QPoint(offset.X, offset.Y));
        r.X += g.x();
        r.Y += g.y();
      } else {
        r.X += c->FLeft;
        r.Y += c->FTop;
      }
    } else {
      r.X += c->FLeft;
      r.Y += c->FTop;
      const TRect pc = c->FParent->ClientRect();
      r.X += pc.Left;
      r.Y += pc.Top;
    }
  }
  return r;
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
  const TPoint origin = ClientToScreen(Point(0, 0));
  return Point(p.X - origin.X, p.Y - origin.Y);
}

void TControl::SetAlign(TAlign align) {
  if (FAlign == align) return;
  FAlign = align;
  if (FParent != nullptr) FParent->Realign();
}

void TControl::SetColor(TColor color) {
  if (FColor == color && !FParentColor) return;
  FColor = color;
  FParentColor = false;
  ColorChanged();
}

void TControl::SetParentFont(bool value) {
  FParentFont = value;
  if (value) ParentFontChanged();
}

void TControl::SetParentColor(bool value) {
  FParentColor = value;
  if (value) ParentColorChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || FParent == nullptr) return;
  FSettingFont = true;
  FFont->Assign(FParent->Font());
  FSettingFont = false;
  FontChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || FParent == nullptr) return;
  FColor = FParent->Color();
  ColorChanged();
}

void TControl::SetBiDiMode(TBiDiMode value) {
  FParentBiDiMode = false;
  if (FBiDiMode == value) return;
  FBiDiMode = value;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool value) {
  FParentBiDiMode = value;
  if (value) ParentBiDiModeChanged();
}

void TControl::ParentBiDiModeChanged() {
  if (!FParentBiDiMode || FParent == nullptr || FParent->BiDiMode() == FBiDiMode) return;
  FBiDiMode = FParent->BiDiMode();
  Perform(CM_BIDIMODECHANGED);
}

bool TControl::UseRightToLeftReading() const {
  return OSVersion().MiddleEast && FBiDiMode != bdLeftToRight;
}

bool TControl::UseRightToLeftAlignment() const {
  return OSVersion().MiddleEast && FBiDiMode == bdRightToLeft;
}

bool TControl::MouseCapture() const {
  if (const auto* w = dynamic_cast<const TWinControl*>(this))
    return w->FHost != nullptr && QWidget::mouseGrabber() == w->FHost->Widget();
  return FParent != nullptr && FParent->FCaptureControl == this;
}

bool NewStyleControls() { return OSVersion().MajorVersion >= 4; }

bool IsAccel(char typed, const AnsiString& caption) {
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return upper(caption[i + 1]) == upper(typed);
  }
  return false;
}

void TControl::ColorChanged() { Invalidate(); }
void TControl::FontChanged() { Invalidate(); }

void TControl::SetAction(TBasicAction* action) {
  if (LinkClientAction(this, FAction, FActionLink, action,
                       [this] { return GetActionLinkClass()(this); }))
    ActionChange(FAction, ComponentState().Contains(csLoading));
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FPopupMenu) FPopupMenu = nullptr;
  if (component == FAction) {
    FAction = nullptr;
    FActionLink.reset();
  }
}

void TControl::Invalidate() {}
void TControl::Repaint() { Invalidate(); }

void TControl::Update() {
  if (FParent != nullptr) FParent->Update();
}

void TControl::BringToFront() {
  if (FParent == nullptr) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) {
    list.erase(it);
    list.push_back(this);
  }
  if (auto* w = dynamic_cast<TWinControl*>(this); w != nullptr && w->HandleAllocated())
    w->Widget()->raise();
  Invalidate();
}

// ----- TGraphicControl -----

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintOn(QPainter& painter) {
  PaintWithCanvas(*FCanvas, painter, Font(), [this] { Paint(); });
}

void TGraphicControl::MessageHandler(TMessage& message) {
  if (message.Msg == WM_PAINT && message.WParam != 0) {
    QPainter* painter = DCPainter(reinterpret_cast<HDC>(message.WParam));
    if (painter == nullptr) return;
    painter->save();
    PaintOn(*painter);
    painter->restore();
    return;
  }
  TControl::MessageHandler(message);
}

void TGraphicControl::Invalidate() {
  if (FParent != nullptr && FParent->HandleAllocated() && FVisible) {
    const TPoint offset = FParent->WidgetClientOffset();
    FParent->Widget()->update(FLeft + offset.X, FTop + offset.Y, FWidth, FHeight);
  }
}

// ----- TCustomControl -----

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(QPainter& painter) {
  PaintWithCanvas(*FCanvas, painter, Font(), [this] { Paint(); });
}

}  // namespace orv
