// The drag in progress: started by a control, moved and dropped by that control's mouse
// messages, asking the control under the mouse through CM_DRAG; a dock drag moves the control
// itself into a dock site or into a floating window once the mouse message is done with.
#include <QCoreApplication>
#include <QMetaObject>
#include <cstdlib>
#include <memory>
#include "platform/forms/Controls.h"
#include "platform/forms/DockForm.h"
#include "platform/forms/Forms.h"
#include "platform/win/MessageQueue.h"

namespace orv {

namespace {

struct TDragData {
  TControl* Control = nullptr;
  std::unique_ptr<TDragObject> OwnObject;
  TDragObject* Object = nullptr;
  TObject* EventSource = nullptr;
  bool Docking = false;
  bool Started = false;
  TPoint StartPos;
  TPoint GrabOffset;  // where the control was taken, in its client area
  Integer Threshold = kDragThreshold;
  TControl* Target = nullptr;
  bool Accepted = false;
  bool CursorSet = false;
  TCursor SavedCursor = crDefault;
};

// A dock drop waits until the mouse message that made it is done: moving the control makes its
// window again, and the old one may still be delivering the message.
struct TPendingDock {
  TControl* Control = nullptr;
  TWinControl* Site = nullptr;
  TPoint At;             // in the site's client area
  TRect FloatRect;       // on the screen, when there is no site
};

TDragData& Drag() {
  static TDragData data;
  return data;
}

TPendingDock& Pending() {
  static TPendingDock pending;
  return pending;
}

// The control a drop ends for, while its target's drop handler runs (cleared if it goes away).
TControl*& Ending() {
  static TControl* control = nullptr;
  return control;
}

TPoint CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return Point(p.x, p.y);
}

}  // namespace

class TDragOperation {
 public:
  static void Begin(TControl* control, bool immediate, Integer threshold) {
    TDragData& d = Drag();
    if (d.Control != nullptr) return;
    d = TDragData();
    d.Control = control;
    d.Docking = control->FDragKind == dkDock;
    d.Threshold = threshold < 0 ? kDragThreshold : threshold;
    d.StartPos = CursorPos();
    d.GrabOffset = control->ScreenToClient(d.StartPos);
    if (immediate) Start();
  }

  static void Start() {
    TDragData& d = Drag();
    TControl* control = d.Control;
    d.Started = true;
    if (d.Docking) {
      TDragDockObject* object = nullptr;
      control->DoStartDock(object);
      if (object == nullptr) {
        d.OwnObject = std::make_unique<TDragDockObject>(control);
        object = static_cast<TDragDockObject*>(d.OwnObject.get());
      }
      d.Object = object;
    } else {
      TDragObject* object = nullptr;
      control->DoStartDrag(object);
      if (object == nullptr) d.OwnObject = std::make_unique<TDragControlObject>(control);
      d.Object = object != nullptr ? object : d.OwnObject.get();
    }
    if (Drag().Control != control) return;  // a handler ended the drag
    d.EventSource = d.OwnObject != nullptr ? static_cast<TObject*>(control) : d.Object;
    if (Screen != nullptr) {
      d.SavedCursor = Screen->Cursor();
      d.CursorSet = true;
    }
    d.Object->FDragPos = CursorPos();
    UpdateCursor();
  }

  // One move of the mouse to screen position pos.
  static void Step(const TPoint& pos) {
    TDragData& d = Drag();
    if (!d.Started) {
      if (std::abs(pos.X - d.StartPos.X) < d.Threshold && std::abs(pos.Y - d.StartPos.Y) < d.Threshold) return;
      Start();
      if (Drag().Control == nullptr || !d.Started) return;
    }
    d.Object->FDragPos = pos;
    if (d.Docking) {
      TWinControl* site = FindDockSite(pos);
      d.Target = site;
      d.Accepted = site != nullptr;
      auto* dock = static_cast<TDragDockObject*>(d.Object);
      dock->FFloating = site == nullptr;
      const Integer w = site != nullptr ? d.Control->Width() : d.Control->UndockWidth();
      const Integer h = site != nullptr ? d.Control->Height() : d.Control->UndockHeight();
      // The control moves as it was taken: the point grabbed stays under the mouse.
      dock->SetDockRect(Bounds(pos.X - d.GrabOffset.X, pos.Y - d.GrabOffset.Y, w, h));
    } else {
      TControl* target = FindDragTarget(pos, false);
      if (target != d.Target) {
        if (d.Target != nullptr) SendDrag(d.Target, dmDragLeave, pos);
        if (Drag().Control == nullptr) return;
        d.Target = target;
        d.Accepted = target != nullptr && SendDrag(target, dmDragEnter, pos);
      } else if (target != nullptr) {
        d.Accepted = SendDrag(target, dmDragMove, pos);
      }
      if (Drag().Control == nullptr) return;
    }
    d.Object->FDragTarget = d.Accepted ? d.Target : nullptr;
    d.Object->FDragTargetPos = d.Target != nullptr ? d.Target->ScreenToClient(pos) : Point(0, 0);
    UpdateCursor();
  }

  // The end of the drag at screen position pos: a drop on the accepting target, or a cancel.
  static void Finish(bool drop, const TPoint& pos) {
    TDragData& d = Drag();
    if (d.Control == nullptr) return;
    if (!d.Started) {
      Reset();
      return;
    }
    if (drop) Step(pos);
    if (d.Control == nullptr) return;
    TControl* control = d.Control;
    // The press that began the drag makes no click any more.
    control->SetControlState(control->ControlState() & ~(csClicked | csLButtonDown));
    TControl* target = drop && d.Accepted ? d.Target : nullptr;
    d.Object->FDropped = target != nullptr;
    d.Object->FCancelling = !drop;
    const bool docking = d.Docking;
    const TPoint local = target != nullptr ? target->ScreenToClient(pos) : Point(0, 0);
    if (docking) {
      const TRect rect = static_cast<TDragDockObject*>(d.Object)->DockRect();
      const TPoint at = target != nullptr ? target->ScreenToClient(Point(rect.Left, rect.Top)) : Point(0, 0);
      Reset();
      if (!drop) {
        control->DoEndDock(nullptr, 0, 0);
        return;
      }
      TPendingDock& p = Pending();
      p.Control = control;
      p.Site = static_cast<TWinControl*>(target);
      p.At = at;
      p.FloatRect = rect;
      QMetaObject::invokeMethod(QCoreApplication::instance(), [] { RunPendingDock(); }, Qt::QueuedConnection);
      return;
    }
    if (d.Target != nullptr && target == nullptr) SendDrag(d.Target, dmDragLeave, pos);
    TDragRec rec{pos, d.Object, d.EventSource, false};
    // The drag object lives until the end of the drop; the state is free for a new drag already.
    std::unique_ptr<TDragObject> own = std::move(d.OwnObject);
    Reset();
    Ending() = control;
    if (target != nullptr) target->Perform(CM_DRAG, dmDragDrop, reinterpret_cast<LPARAM>(&rec));
    if (Ending() == control) control->DoEndDrag(target, local.X, local.Y);
    Ending() = nullptr;
  }

  static void RunPendingDock() {
    TPendingDock p = Pending();
    Pending() = TPendingDock();
    if (p.Control == nullptr) return;
    Ending() = p.Control;
    if (p.Site != nullptr) {
      p.Control->ManualDock(p.Site, p.At);
      if (Ending() == p.Control) p.Control->DoEndDock(p.Site, p.At.X, p.At.Y);
    } else {
      p.Control->ManualFloat(p.FloatRect);
      if (Ending() == p.Control) p.Control->DoEndDock(nullptr, p.FloatRect.Left, p.FloatRect.Top);
    }
    Ending() = nullptr;
  }

  static bool SendDrag(TControl* target, TDragMessage step, const TPoint& pos) {
    TDragData& d = Drag();
    TDragRec rec{pos, d.Object, d.EventSource, d.Docking};
    return target->Perform(CM_DRAG, step, reinterpret_cast<LPARAM>(&rec)) != 0;
  }

  static void UpdateCursor() {
    TDragData& d = Drag();
    if (Screen == nullptr || !d.Started) return;
    // A dock drag may always end: outside a dock site the control floats.
    const bool welcome = d.Docking || d.Accepted;
    Screen->SetCursor(static_cast<TCursor>(welcome ? d.Control->FDragCursor : crNoDrop));
  }

  static void Reset() {
    TDragData& d = Drag();
    if (d.CursorSet && Screen != nullptr) Screen->SetCursor(d.SavedCursor);
    d = TDragData();
  }

  // The floating window that moves with a docked control's drag is not under the mouse.
  static bool IsMovingWindow(TCustomForm* form) {
    const TDragData& d = Drag();
    return d.Docking && d.Control != nullptr && d.Control->Floating() && d.Control->Parent() == form;
  }

  // The innermost visible, enabled control at a screen position, the newest window first.
  static TControl* FindDragTarget(const TPoint& pos, bool allowDisabled) {
    if (Screen == nullptr) return nullptr;
    for (Integer i = Screen->FormCount() - 1; i >= 0; --i) {
      TCustomForm* form = Screen->Forms(i);
      if (!form->Visible() || !form->HandleAllocated() || IsMovingWindow(form)) continue;
      QWidget* w = form->Widget();
      if (!w->isVisible() || !QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).contains(QPoint(pos.X, pos.Y))) continue;
      TControl* found = form;
      while (auto* wc = dynamic_cast<TWinControl*>(found)) {
        TControl* child = wc->ControlAtPos(wc->ScreenToClient(pos), allowDisabled, true);
        if (child == nullptr) break;
        found = child;
      }
      return found;
    }
    return nullptr;
  }

  // The dock site at a screen position that may take the dragged control: the innermost one,
  // neither the control nor inside it.
  static TWinControl* FindDockSite(const TPoint& pos) {
    TControl* source = Drag().Control;
    for (TControl* c = FindDragTarget(pos, false); c != nullptr; c = c->Parent()) {
      auto* site = dynamic_cast<TWinControl*>(c);
      if (site == nullptr || !site->DockSite()) continue;
      if (site == source) return nullptr;
      if (auto* ws = dynamic_cast<TWinControl*>(source); ws != nullptr && ws->ContainsControl(site)) return nullptr;
      return site;
    }
    return nullptr;
  }

  static void Gone(TControl* control) {
    TDragData& d = Drag();
    if (d.Control == control) Reset();
    if (d.Target == control) {
      d.Target = nullptr;
      d.Accepted = false;
      if (d.Object != nullptr) d.Object->FDragTarget = nullptr;
    }
    TPendingDock& p = Pending();
    if (p.Control == control) p = TPendingDock();
    if (p.Site == control) p.Site = nullptr;  // floats instead
    if (Ending() == control) Ending() = nullptr;
  }
};

bool DragActive() { return Drag().Control != nullptr && Drag().Started; }
TControl* DragControl() { return Drag().Control; }

void CancelDrag() {
  if (Drag().Control != nullptr) TDragOperation::Finish(false, CursorPos());
}

void DragControlGone(TControl* control) { TDragOperation::Gone(control); }

bool DragMouseMessage(TControl* control, TMessage& message) {
  TDragData& d = Drag();
  if (d.Control != control) return false;
  const TPoint pos = control->ClientToScreen(Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)));
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      TDragOperation::Step(pos);
      return d.Started;
    case WM_LBUTTONUP: {
      if (!d.Started) {
        // The mouse never moved far enough: the press and release are a click.
        TDragOperation::Reset();
        return false;
      }
      TDragOperation::Finish(true, pos);
      return true;
    }
    case WM_RBUTTONDOWN:
      // The other button gives the drag up.
      if (!d.Started) return false;
      TDragOperation::Finish(false, pos);
      return true;
    default:
      return d.Started;
  }
}

void TControl::BeginDrag(bool immediate, Integer threshold) { TDragOperation::Begin(this, immediate, threshold); }

bool TControl::Dragging() const { return Drag().Control == this; }

void TControl::EndDrag(bool drop) {
  if (Dragging()) TDragOperation::Finish(drop, CursorPos());
}

bool TControl::Floating() const {
  return FParent != nullptr && FHostDockSite == FParent && dynamic_cast<TCustomDockForm*>(FParent) != nullptr;
}

void TControl::ManualFloat(const TRect& screenRect) {
  TCustomDockForm* form = Floating() ? static_cast<TCustomDockForm*>(FParent) : nullptr;
  if (form == nullptr) {
    // The window goes with the control's owner (the application for a control without one).
    TComponent* owner = Owner() != nullptr ? Owner() : Application;
    form = new TCustomDockForm(owner);
    form->SetCaption(Caption());
  }
  form->SetBounds(screenRect.Left, screenRect.Top, screenRect.Width(), screenRect.Height());
  FUndockWidth = screenRect.Width();
  FUndockHeight = screenRect.Height();
  if (FParent != form) SetParent(form);
  FHostDockSite = form;
  SetBounds(0, 0, form->ClientWidth(), form->ClientHeight());
  form->Show();
}

void TControl::ManualDock(TWinControl* site, const TPoint& at) {
  if (site == nullptr) return;
  TCustomDockForm* floating = Floating() ? static_cast<TCustomDockForm*>(FParent) : nullptr;
  if (floating != nullptr) {
    FUndockWidth = FWidth;
    FUndockHeight = FHeight;
  }
  SetParent(site);
  FHostDockSite = site;
  SetBounds(at.X, at.Y, FWidth, FHeight);
  if (floating != nullptr) {
    floating->Hide();
    floating->Release();
  }
}

}  // namespace orv
