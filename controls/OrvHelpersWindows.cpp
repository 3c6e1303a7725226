// The window helpers of the extended controls: a parent's background behind a control, text that
// fits, queued messages, the active window, and the "not implemented" report.
#include "controls/OrvHelpers.h"

#include <QMouseEvent>
#include <QWindow>

#include "platform/forms/Controls.h"
#include "platform/forms/DialogService.h"
#include "platform/forms/Forms.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Version.h"
#include "platform/win/WindowObjects.h"

namespace orv {
namespace {

// Marks a control as painting a copy for as long as it lives, also when the painting raises.
class TPaintCopyMark {
 public:
  explicit TPaintCopyMark(TControl* control) : FControl(control) {
    FControl->SetControlState(FControl->ControlState() | csPaintCopy);
  }
  ~TPaintCopyMark() { FControl->SetControlState(FControl->ControlState() & ~csPaintCopy); }
  TPaintCopyMark(const TPaintCopyMark&) = delete;
  TPaintCopyMark& operator=(const TPaintCopyMark&) = delete;
 private:
  TControl* FControl;
};

// Restores a DC's saved drawing state when it goes, also when the painting raises.
class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : FDc(dc), FLevel(SaveDC(dc)) {}
  ~TSavedDC() { RestoreDC(FDc, FLevel); }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;
 private:
  HDC FDc;
  int FLevel;
};

bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace

void PaintParentBackground(TControl* control, TCanvas& dest) {
  if (control == nullptr || control->Parent() == nullptr) return;
  TWinControl* parent = control->Parent();
  HDC dc = dest.Handle();
  const auto dcParam = reinterpret_cast<WPARAM>(dc);
  const TRect r = control->BoundsRect();
  TPaintCopyMark parentMark(parent);
  {
    TSavedDC saved(dc);
    OffsetViewportOrgEx(dc, -r.Left, -r.Top, nullptr);
    IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
    parent->Perform(WM_ERASEBKGND, dcParam, 0);
    parent->Perform(WM_PAINT, dcParam, 0);
  }
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* sibling = parent->Controls(i);
    if (sibling == control) break;
    if (dynamic_cast<TGraphicControl*>(sibling) == nullptr || !sibling->Visible()) continue;
    if (!Overlap(sibling->BoundsRect(), r)) continue;
    TPaintCopyMark mark(sibling);
    TSavedDC saved(dc);
    OffsetViewportOrgEx(dc, sibling->Left() - r.Left, sibling->Top() - r.Top, nullptr);
    IntersectClipRect(dc, 0, 0, sibling->Width(), sibling->Height());
    sibling->Perform(WM_PAINT, dcParam, 0);
  }
}

AnsiString ShortenText(const AnsiString& text, TCanvas& canvas, int maxWidth) {
  AnsiString result = text;
  const int length = static_cast<int>(text.size());
  for (int k = 1; k <= length && canvas.TextWidth(result) > maxWidth; ++k)
    result = text.substr(0, static_cast<std::size_t>(IntMax(0, length - k - 1))) + "...";
  return result;
}

void DiscardQueuedMessage(HWND window, UINT msg) {
  MSG taken;
  if (PeekMessageA(&taken, window, msg, msg, PM_REMOVE) && taken.message == WM_QUIT)
    PostQuitMessage(static_cast<int>(taken.wParam));
}

namespace {

// Drops the first left press or double click that reaches a window inside a rectangle on the
// screen, until the events waiting when it was made are through.
class TClickSwallower : public QObject {
 public:
  TClickSwallower(QWindow* window, const QRect& screenRect) : QObject(window), FRect(screenRect) {
    window->installEventFilter(this);
    // Queued behind what is waiting now, so it ends the filter after those events.
    QMetaObject::invokeMethod(this, [this] { deleteLater(); }, Qt::QueuedConnection);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
      return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && FRect.contains(mouse->globalPosition().toPoint())) {
      watched->removeEventFilter(this);  // one press
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QRect FRect;
};

}  // namespace

void DiscardQueuedClickOver(TControl* control) {
  if (control == nullptr) return;
  // A window-less control gets its mouse input through its parent's window, in the parent's
  // client coordinates.
  auto* windowed = dynamic_cast<TWinControl*>(control);
  TWinControl* host = windowed != nullptr ? windowed : control->Parent();
  if (host == nullptr || !host->HandleAllocated()) return;
  const TPoint origin = windowed != nullptr ? Point(0, 0) : Point(control->Left(), control->Top());
  const TRect client = control->ClientRect();
  for (const UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
    MSG waiting;
    if (!PeekMessageA(&waiting, host->Handle(), msg, msg, PM_NOREMOVE)) continue;
    const TPoint at = Point(GET_X_LPARAM(waiting.lParam) - origin.X, GET_Y_LPARAM(waiting.lParam) - origin.Y);
    if (PtInRect(client, at)) PeekMessageA(&waiting, host->Handle(), msg, msg, PM_REMOVE);
  }
  QWidget* top = host->Widget()->window();
  if (QWindow* window = top->windowHandle()) {
    const TPoint corner = control->ClientToScreen(Point(client.Left, client.Top));
    new TClickSwallower(window, QRect(corner.X, corner.Y, client.Width(), client.Height()));
  }
}

bool ThreadOwnsActiveWindow() {
  const HWND active = GetActiveWindow();
  if (!active) return false;
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), [&](HWND hwnd) {
    found = hwnd == active;
    return !found;
  });
  return found;
}

void ReportNotImplemented() {
  Screen->SetCursor(crDefault);
  Application->MessageBox("Function not yet implemented", AnsiString(), MB_OK | MB_ICONINFORMATION);
  Abort();
}

}  // namespace orv
