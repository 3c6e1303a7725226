// The hint window: a small top-level window that shows a control's hint text, and what a control
// is told before its hint is shown (CM_HINTSHOW with a THintInfo it may change).
#pragma once
#include "platform/forms/Controls.h"

namespace orv {

// Filled by the application before a hint shows; the control under the mouse may change any part
// (CM_HINTSHOW: lParam points to it, a non-zero result keeps the hint hidden).
struct THintInfo {
  TControl* HintControl = nullptr;
  // The class of the window that shows the hint (THintWindow or a descendant).
  const TClassInfo* HintWindowClass = nullptr;
  TPoint HintPos;
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;
  TPoint CursorPos;
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  AnsiString HintStr;
  void* HintData = nullptr;
};

class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* owner);
  // Shows hint in rect (screen coordinates).
  virtual void ActivateHint(TRect rect, const AnsiString& hint);
  // The same with the hint's data; the default ignores the data.
  virtual void ActivateHintData(TRect rect, const AnsiString& hint, void* data);
  // The rectangle (from 0, 0) the hint needs, wrapped at maxWidth.
  virtual TRect CalcHintRect(Integer maxWidth, const AnsiString& hint, void* data);
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& params) override;
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void Paint() override;
  // The reading-order flags of DrawText for this control.
  UINT DrawTextBiDiModeFlagsReadingOnly() const;
};

}  // namespace orv
