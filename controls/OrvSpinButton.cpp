// The diagonal two-arrow button of the spin edit: its face, which half a point is in, and the
// press, drag and repeat of the mouse.
#include <memory>
#include "controls/OrvSpin.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Keyboard.h"

namespace orv {
namespace {

// The button's two bitmaps, ORVSPINUP and ORVSPINDOWN: 6 by 6 pixels, black on white, white being
// the see-through colour ('#' white).
constexpr const char* ORVSPINUP[6] = {"##..##", "#....#", "......", "##..##", "##..##", "##..##"};
constexpr const char* ORVSPINDOWN[6] = {"##..##", "##..##", "##..##", "......", "#....#", "##..##"};

std::unique_ptr<TBitmap> MakeArrow(const char* const (&rows)[6]) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetMonochrome(true);
  bitmap->SetSize(6, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) bitmap->SetPixelRGB(x, y, rows[y][x] == '#' ? 0xFFFFFF : 0x000000);
  return bitmap;
}

// The arrows never change, so they are made once.
TBitmap& UpArrow() {
  static const std::unique_ptr<TBitmap> bitmap = MakeArrow(ORVSPINUP);
  return *bitmap;
}

TBitmap& DownArrow() {
  static const std::unique_ptr<TBitmap> bitmap = MakeArrow(ORVSPINDOWN);
  return *bitmap;
}

Integer RoundEven(double value) { return static_cast<Integer>(RoundHalfEven(value, 0)); }

bool LeftButtonDown() { return GetKeyState(VK_LBUTTON) < 0; }

}  // namespace

TOrvSpinButton::TOrvSpinButton(TComponent* owner) : TGraphicControl(owner) {
  FWidth = 20;
  FHeight = 20;
}

TOrvSpinButton::~TOrvSpinButton() {
  if (FFocusControl != nullptr) FFocusControl->RemoveFreeNotification(this);
}

void TOrvSpinButton::SetFocusControl(TWinControl* control) {
  if (FFocusControl == control) return;
  if (FFocusControl != nullptr) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = control;
  if (FFocusControl != nullptr) FFocusControl->FreeNotification(this);
}

void TOrvSpinButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FFocusControl) FFocusControl = nullptr;
  if (component == FRepeatTimer) FRepeatTimer = nullptr;
}

TSpinButtonState TOrvSpinButton::PartAt(Integer x, Integer y) const {
  if (FWidth <= 0) return sbTopDown;
  const double diagonal = FHeight - static_cast<double>(FHeight) / FWidth * x;
  return y > diagonal ? sbBottomDown : sbTopDown;
}

void TOrvSpinButton::Paint() {
  if (!FEnabled && !ComponentState().Contains(csDesigning)) FDragging = false;
  DrawFace(FDown);
}

void TOrvSpinButton::DrawFace(TSpinButtonState state) {
  TCanvas& c = Canvas();
  const Integer w = FWidth, h = FHeight;
  c.Pen()->SetWidth(1);
  c.Brush()->SetColor(clBtnFace);
  c.Brush()->SetStyle(bsSolid);
  c.FillRect(Rect(0, 0, w, h));

  c.Pen()->SetColor(clWindowFrame);
  c.Rectangle(0, 0, w, h);
  c.MoveTo(-1, h);
  c.LineTo(w, -1);

  c.Pen()->SetColor(state == sbTopDown ? clBtnShadow : clBtnHighlight);
  c.MoveTo(1, h - 4);
  c.LineTo(1, 1);
  c.LineTo(w - 3, 1);

  if (state != sbTopDown) {
    c.Pen()->SetColor(clBtnShadow);
    c.MoveTo(1, h - 3);
    c.LineTo(w - 2, 0);
  }

  c.Pen()->SetColor(state == sbBottomDown ? clBtnHighlight : clBtnShadow);
  c.MoveTo(2, h - 2);
  c.LineTo(w - 2, h - 2);
  c.LineTo(w - 2, 1);

  c.Pen()->SetColor(state == sbBottomDown ? clBtnShadow : clBtnHighlight);
  c.MoveTo(2, h - 2);
  c.LineTo(w - 1, 1);

  TBitmap& up = UpArrow();
  const Integer bw = up.Width(), bh = up.Height();
  const Integer d = state == sbTopDown ? 2 : 1;
  const Integer ux = RoundEven(w / 4.0 - bw / 2.0) + d, uy = RoundEven(h / 4.0 - bh / 2.0) + d;
  c.BrushCopy(Rect(ux, uy, ux + bw, uy + bh), &up, Rect(0, 0, bw, bh), up.TransparentColor());

  TBitmap& down = DownArrow();
  const Integer dx = RoundEven(3.0 * w / 4.0 - bw / 2.0) - 1, dy = RoundEven(3.0 * h / 4.0 - bh / 2.0) - 1;
  c.BrushCopy(Rect(dx, dy, dx + bw, dy + bh), &down, Rect(0, 0, bw, bh), down.TransparentColor());

  if (state == sbBottomDown) {
    c.Pen()->SetColor(clBtnShadow);
    c.MoveTo(3, h - 2);
    c.LineTo(w - 1, 2);
  }
}

void TOrvSpinButton::FireTopClick() {
  if (OnTopClick) {
    OnTopClick(this);
    if (!LeftButtonDown()) FDown = sbNotDown;
  }
}

void TOrvSpinButton::FireBottomClick() {
  if (OnBottomClick) {
    OnBottomClick(this);
    if (!LeftButtonDown()) FDown = sbNotDown;
  }
}

void TOrvSpinButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !FEnabled) return;
  if (FFocusControl != nullptr && FFocusControl->TabStop() && FFocusControl->CanFocus() &&
      !FFocusControl->Focused())
    FFocusControl->SetFocus();
  if (FDown == sbNotDown) {
    FLastDown = sbNotDown;
    FDown = PartAt(x, y);
    if (FDown == sbBottomDown) FireBottomClick();
    else FireTopClick();
    if (FDown != FLastDown) {
      FLastDown = FDown;
      Repaint();
    }
    if (FRepeatTimer == nullptr) {
      FRepeatTimer = new TTimer(this);
      FRepeatTimer->OnTimer = TNotifyEvent(this, &TOrvSpinButton::RepeatTick);
    }
    // Enabling it anew restarts the wait, so the first repeat always comes 400 ms after the press.
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetInterval(400);
    FRepeatTimer->SetEnabled(true);
  }
  FDragging = true;
}

void TOrvSpinButton::RepeatTick(TObject* /*sender*/) {
  FRepeatTimer->SetInterval(100);
  if (FDown == sbNotDown || !MouseCapture()) return;
  try {
    if (FDown == sbBottomDown) FireBottomClick();
    else FireTopClick();
  } catch (...) {
    if (FRepeatTimer != nullptr) FRepeatTimer->SetEnabled(false);
    throw;
  }
}

void TOrvSpinButton::MouseMove(TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!FDragging) return;
  if (x >= 0 && x <= FWidth && y >= 0 && y <= FHeight) {
    const TSpinButtonState half = PartAt(x, y);
    if (half == FDown) return;
    // Only the half first pressed may be pressed again: dragging never starts the other direction.
    const TSpinButtonState next = half == FLastDown ? half : sbNotDown;
    if (next != FDown) {
      FDown = next;
      Repaint();
    }
  } else if (FDown != sbNotDown) {
    FDown = sbNotDown;
    Repaint();
  }
}

void TOrvSpinButton::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (!FDragging) return;
  FDragging = false;
  // With the mouse released the repeat has nothing left to do: its ticks would find no capture.
  if (FRepeatTimer != nullptr) FRepeatTimer->SetEnabled(false);
  if (x >= 0 && x <= FWidth && y >= 0 && y <= FHeight) {
    FDown = sbNotDown;
    FLastDown = sbNotDown;
    Repaint();
  }
}

}  // namespace orv
