// The owner-drawn progress panel of the main window's status bar, and the window message that
// sets it.
#include <algorithm>
#include "app/MainUnit.h"

namespace orv {

void TMainForm::PaintProgress(TCanvas& canvas) const {
  const TRect& r = FProgressRect;
  const Integer right = r.Left + (r.Right - r.Left) * FProgressPercent / 100;
  if (right <= r.Left) return;
  canvas.Brush()->SetColor(clNavy);
  canvas.Pen()->SetColor(clNavy);
  canvas.Rectangle(r.Left, r.Top, right, r.Bottom);
}

void TMainForm::StatusBar1DrawPanel(TStatusBar* statusBar, TStatusPanel*, const TRect& rect) {
  FProgressRect = rect;
  PaintProgress(statusBar->Canvas());
}

void TMainForm::SBarPaintMore() {
  // Before the bar's first paint there is no panel rectangle to paint into.
  if (FProgressRect.Right <= FProgressRect.Left) return;
  PaintProgress(StatusBar1->Canvas());
}

void TMainForm::SetProStatus(Integer percent) {
  percent = std::clamp<Integer>(percent, 0, 100);
  if (percent < FProgressPercent) {
    FProgressPercent = percent;
    StatusBar1->Repaint();
    return;
  }
  FProgressPercent = percent;
  SBarPaintMore();
}

void TMainForm::WMUser(TMessage& message) {
  // The parameter is a signed percentage; anything outside 0..100 is held at the nearer end.
  const auto value = static_cast<std::intptr_t>(message.WParam);
  SetProStatus(static_cast<Integer>(std::clamp<std::intptr_t>(value, 0, 100)));
  message.Result = 0;
}

}  // namespace orv
