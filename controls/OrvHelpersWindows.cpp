// The window helpers of the extended controls: a parent's background behind a control, text that
// fits, queued messages, the active window, and the "not implemented" report.
#include "controls/OrvHelpers.h"

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
