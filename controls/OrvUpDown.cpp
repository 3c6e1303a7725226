// The up-down control of the spin edit's standard button kind: a vertical pair of arrows at
// position 0 between -1 and 1, whose every step is reported as the click of its arrow.
#include "controls/OrvSpin.h"
#include "platform/win/SysColors.h"

namespace orv {

Integer DefaultSpinWidth() {
  const int width = GetSystemMetrics(SM_CXVSCROLL);
  return width < 16 ? width : 15;
}

TOrvUpDown::TOrvUpDown(TComponent* owner) : TUpDown(owner) {
  SetOrientation(udVertical);
  SetMin(-1);
  SetMax(1);
  SetPosition(0);
  FWidth = DefaultSpinWidth();
}

TOrvUpDown::~TOrvUpDown() { OnClick = nullptr; }

void TOrvUpDown::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case CN_VSCROLL:
    case CN_HSCROLL:
      ScrollStep(message);
      return;
    case WM_SIZE:
      TUpDown::MessageHandler(message);
      if (FWidth != DefaultSpinWidth()) SetWidth(DefaultSpinWidth());
      return;
    default:
      TUpDown::MessageHandler(message);
  }
}

void TOrvUpDown::ScrollStep(TMessage& message) {
  if (LOWORD(message.WParam) != SB_THUMBPOSITION || FChanging) return;
  FChanging = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FChanging};
  if (FPosition > 0) OnClick(this, btNext);
  else if (FPosition < 0) OnClick(this, btPrev);
  // Back to the middle, so the next press of either arrow moves the position again; the position
  // is the control's own, so it goes back whether or not the window exists yet.
  SetPosition(0);
}

}  // namespace orv
