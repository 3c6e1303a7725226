// Progress bar over QProgressBar and up-down arrows stepping a position (and their associated edit).
#include <QHBoxLayout>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>
#include "platform/forms/ComCtrls.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

// ----- TProgressBar -----

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  FWidth = 150;
  FHeight = 16;
}

std::unique_ptr<IHostWidget> TProgressBar::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QProgressBar>>(this, parentWidget);
}

void TProgressBar::InitWidget() {
  auto* bar = static_cast<QProgressBar*>(Widget());
  bar->setTextVisible(false);
  UpdateBar();
}

void TProgressBar::UpdateBar() {
  if (Host() == nullptr) return;
  auto* bar = static_cast<QProgressBar*>(Host()->Widget());
  bar->setOrientation(FOrientation == pbVertical ? Qt::Vertical : Qt::Horizontal);
  bar->setRange(FMin, std::max(FMin, FMax));
  bar->setValue(FPosition);
}

void TProgressBar::SetMin(Integer value) {
  FMin = value;
  SetPosition(FPosition);
  UpdateBar();
}

void TProgressBar::SetMax(Integer value) {
  FMax = value;
  SetPosition(FPosition);
  UpdateBar();
}

void TProgressBar::SetPosition(Integer value) {
  FPosition = std::clamp(value, FMin, std::max(FMin, FMax));
  UpdateBar();
}

void TProgressBar::SetOrientation(TProgressBarOrientation value) {
  FOrientation = value;
  UpdateBar();
}

// ----- TUpDown -----

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner) {
  FWidth = 17;
  FHeight = 25;
  FControlStyle &= ~(csClickEvents | csDoubleClicks);
}

std::unique_ptr<IHostWidget> TUpDown::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QWidget>>(this, parentWidget);
}

void TUpDown::InitWidget() {
  QWidget* w = Widget();
  QBoxLayout* layout = FOrientation == udVertical ? static_cast<QBoxLayout*>(new QVBoxLayout(w))
                                                  : static_cast<QBoxLayout*>(new QHBoxLayout(w));
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* up = new QToolButton(w);  // the layout's widget owns its buttons
  auto* down = new QToolButton(w);
  up->setArrowType(FOrientation == udVertical ? Qt::UpArrow : Qt::RightArrow);
  down->setArrowType(FOrientation == udVertical ? Qt::DownArrow : Qt::LeftArrow);
  up->setAutoRepeat(true);
  down->setAutoRepeat(true);
  up->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  down->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  if (FOrientation == udVertical) {
    layout->addWidget(up);
    layout->addWidget(down);
  } else {
    layout->addWidget(down);
    layout->addWidget(up);
  }
  QObject::connect(up, &QToolButton::clicked, [this] { RunGuarded([&] { ClickButton(btNext); }); });
  QObject::connect(down, &QToolButton::clicked, [this] { RunGuarded([&] { ClickButton(btPrev); }); });
}

void TUpDown::ClickButton(TUDBtnType button) {
  bool allow = true;
  OnChanging(this, allow);
  if (!allow) return;
  Integer next = FPosition + (button == btNext ? FIncrement : -FIncrement);
  if (next > FMax) next = FWrap ? FMin : FMax;
  if (next < FMin) next = FWrap ? FMax : FMin;
  SetPosition(static_cast<SmallInt>(next));
  FClickedButton = button;
  const UINT msg = FOrientation == udVertical ? CN_VSCROLL : CN_HSCROLL;
  Perform(msg, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(FPosition)), 0);
  Perform(msg, MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(FPosition)), 0);
}

void TUpDown::MessageHandler(TMessage& message) {
  if ((message.Msg == CN_VSCROLL || message.Msg == CN_HSCROLL) && LOWORD(message.WParam) == SB_THUMBPOSITION) {
    OnClick(this, FClickedButton);
    return;
  }
  TWinControl::MessageHandler(message);
}

void TUpDown::SetPosition(SmallInt value) {
  FPosition = static_cast<SmallInt>(std::clamp<Integer>(value, FMin, std::max(FMin, FMax)));
  if (FAssociate != nullptr && !ComponentState().Contains(csLoading))
    FAssociate->SetText(IntToStr(FPosition));
}

void TUpDown::SetAssociate(TWinControl* control) {
  if (FAssociate != nullptr) FAssociate->RemoveFreeNotification(this);
  FAssociate = control;
  if (FAssociate != nullptr) {
    FAssociate->FreeNotification(this);
    SetPosition(FPosition);
  }
}

void TUpDown::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FAssociate) FAssociate = nullptr;
}

}  // namespace orv
