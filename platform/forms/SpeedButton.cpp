// The speed button over a Qt tool button: no focus, and Down kept by the control so that a group's
// buttons and code that sets Down agree with what is shown.
#include <QToolButton>
#include "platform/forms/Buttons.h"
#include "platform/forms/QtText.h"

namespace orv {

TSpeedButton::TSpeedButton(TComponent* owner) : TButtonControl(owner) {
  FWidth = 23;
  FHeight = 22;
  FTabStop = false;
}

std::unique_ptr<IHostWidget> TSpeedButton::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QToolButton>>(this, parentWidget);
}

void TSpeedButton::InitWidget() {
  auto* button = static_cast<QToolButton*>(Widget());
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRaise(FFlat);
  QObject::connect(button, &QToolButton::clicked, [this] { RunGuarded([&] { Perform(CN_COMMAND); }); });
  UpdateDown();
}

void TSpeedButton::TextToWidget() {
  if (Host() != nullptr) static_cast<QToolButton*>(Host()->Widget())->setText(ToQString(WidgetCaption()));
}

void TSpeedButton::UpdateDown() {
  if (Host() == nullptr) return;
  auto* button = static_cast<QToolButton*>(Host()->Widget());
  // Qt toggles a checkable button on its own before the click arrives; the state shown is ours.
  button->setCheckable(FGroupIndex != 0);
  button->setChecked(FDown);
}

void TSpeedButton::ReleaseGroup() {
  if (FGroupIndex == 0 || Parent() == nullptr) return;
  for (Integer i = 0; i < Parent()->ControlCount(); ++i) {
    auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
    if (other != nullptr && other != this && other->FGroupIndex == FGroupIndex && other->FDown) {
      other->FDown = false;
      other->UpdateDown();
    }
  }
}

void TSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  FDown = value;
  if (value) ReleaseGroup();
  UpdateDown();
}

void TSpeedButton::SetGroupIndex(Integer value) {
  FGroupIndex = value;
  if (value == 0) FDown = false;
  UpdateDown();
}

void TSpeedButton::SetFlat(bool value) {
  FFlat = value;
  if (Host() != nullptr) static_cast<QToolButton*>(Host()->Widget())->setAutoRaise(value);
}

void TSpeedButton::Click() {
  if (FGroupIndex != 0) {
    if (!FDown) SetDown(true);
    else if (FAllowAllUp) SetDown(false);
    else UpdateDown();  // stays down: undo Qt's own toggle
  }
  TButtonControl::Click();
}

}  // namespace orv
