// The hint window over a frameless tool-tip widget, and its text layout.
#include "platform/forms/HintWindow.h"

#include "platform/forms/Forms.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphics.h"

namespace orv {

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  FColor = clInfoBk;
  FParentColor = false;
  FVisible = false;
  Font().SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

std::unique_ptr<IHostWidget> THintWindow::CreateWidget(QWidget* /*parentWidget*/) {
  auto host = std::make_unique<THostWidget<QWidget>>(this, nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
  host->Widget()->setAttribute(Qt::WA_ShowWithoutActivating);
  return host;
}

UINT THintWindow::DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

TRect THintWindow::CalcHintRect(Integer maxWidth, const AnsiString& hint, void* /*data*/) {
  TRect r{0, 0, maxWidth, 0};
  TBitmap measure;
  measure.SetWidth(1);
  measure.SetHeight(1);
  measure.Canvas()->Font()->Assign(Font());
  DrawTextA(measure.Canvas()->Handle(), hint.c_str(), -1, &r,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect rect, const AnsiString& hint) {
  SetCaption(hint);
  SetBoundsRect(rect);
  HandleNeeded();
  Widget()->setGeometry(rect.Left, rect.Top, rect.Width(), rect.Height());
  Widget()->show();
  FVisible = true;
  Invalidate();
}

void THintWindow::ActivateHintData(TRect rect, const AnsiString& hint, void* /*data*/) { ActivateHint(rect, hint); }

void THintWindow::ReleaseHandle() {
  FVisible = false;
  if (HandleAllocated()) DestroyWndTree();
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  r.Left += 2;
  r.Top += 2;
  Canvas().Font()->SetColor(Screen != nullptr ? Screen->HintFont().Color() : clInfoText);
  Canvas().Brush()->SetStyle(bsClear);
  const AnsiString text = Caption();
  DrawTextA(Canvas().Handle(), text.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
}

}  // namespace orv
