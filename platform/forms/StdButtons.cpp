// Push button, check box and radio button over Qt's buttons: Qt's clicked signal becomes
// CN_COMMAND; a button with a modal result closes its modal form; Enter and Esc reach the default
// and cancel buttons as dialog keys.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include "platform/forms/QtText.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
  // The widget decides what a click is (a release inside it, or the space bar).
  FControlStyle &= ~(csClickEvents | csDoubleClicks);
  FTabStop = true;
}

void TButtonControl::MessageHandler(TMessage& message) {
  if (message.Msg == CN_COMMAND) {
    Click();
    return;
  }
  TWinControl::MessageHandler(message);
}

bool TButtonControl::WantsKey(Word key) const { return TWinControl::WantsKey(key); }

// ----- TButton -----

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  FWidth = 75;
  FHeight = 25;
}

std::unique_ptr<IHostWidget> TButton::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QPushButton>>(this, parentWidget);
}

void TButton::InitWidget() {
  auto* button = static_cast<QPushButton*>(Widget());
  button->setDefault(FDefault);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, [this] { RunGuarded([&] { Perform(CN_COMMAND); }); });
}

void TButton::TextToWidget() {
  if (Host() != nullptr) static_cast<QPushButton*>(Host()->Widget())->setText(ToQString(WidgetCaption()));
}

void TButton::SetDefault(bool value) {
  FDefault = value;
  if (HandleAllocated()) static_cast<QPushButton*>(Widget())->setDefault(value);
}

void TButton::Click() {
  if (TCustomForm* form = ParentForm(); form != nullptr && FModalResult != mrNone)
    form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::CMFocusChanged(TMessage& message) {
  auto* focused = LParamPtr<TWinControl>(message.LParam);
  FActive = dynamic_cast<TButton*>(focused) != nullptr ? focused == this : FDefault;
  ApplyButtonStyle(FActive);
}

void TButton::MessageHandler(TMessage& message) {
  if (message.Msg == CM_FOCUSCHANGED) {
    CMFocusChanged(message);
    TButtonControl::MessageHandler(message);
    return;
  }
  if (message.Msg == CM_DIALOGKEY) {
    const Word key = static_cast<Word>(message.WParam);
    TCustomForm* form = ParentForm();
    TWinControl* focused = form != nullptr ? form->ActiveControl() : nullptr;
    // The focused button is the active one; otherwise the default button is.
    const bool active = focused == this || (FDefault && dynamic_cast<TButton*>(focused) == nullptr);
    if (((key == VK_RETURN && active) || (key == VK_ESCAPE && FCancel)) && Showing() && FEnabled) {
      Click();
      message.Result = 1;
      return;
    }
    message.Result = 0;
    return;
  }
  TButtonControl::MessageHandler(message);
}

// ----- TCheckBox -----

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {
  FWidth = 97;
  FHeight = 17;
}

std::unique_ptr<IHostWidget> TCheckBox::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QCheckBox>>(this, parentWidget);
}

void TCheckBox::InitWidget() {
  auto* box = static_cast<QCheckBox*>(Widget());
  box->setTristate(FAllowGrayed);
  box->setCheckState(FState == cbChecked ? Qt::Checked : (FState == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked));
  QObject::connect(box, &QCheckBox::clicked, [this, box] { RunGuarded([&] {
    const Qt::CheckState s = box->checkState();
    FState = s == Qt::Checked ? cbChecked : (s == Qt::PartiallyChecked ? cbGrayed : cbUnchecked);
    Perform(CN_COMMAND);
  }); });
}

void TCheckBox::TextToWidget() {
  if (Host() != nullptr) static_cast<QCheckBox*>(Host()->Widget())->setText(ToQString(WidgetCaption()));
}

TCheckBoxState TCheckBox::State() const { return FState; }

void TCheckBox::SetState(TCheckBoxState state) {
  if (FState == state) return;
  FState = state;
  if (Host() != nullptr) {
    auto* box = static_cast<QCheckBox*>(Host()->Widget());
    box->setCheckState(state == cbChecked ? Qt::Checked : (state == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked));
  }
  // A change by code clicks as a change by the user does, except while the form is read.
  if (!ComponentState().Contains(csLoading)) Click();
}

void TCheckBox::Click() { TButtonControl::Click(); }

// ----- TRadioButton -----

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  FWidth = 113;
  FHeight = 17;
}

std::unique_ptr<IHostWidget> TRadioButton::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QRadioButton>>(this, parentWidget);
}

void TRadioButton::InitWidget() {
  auto* radio = static_cast<QRadioButton*>(Widget());
  // Groups are by parent control, kept here.
  radio->setAutoExclusive(false);
  radio->setChecked(FChecked);
  QObject::connect(radio, &QRadioButton::clicked, [this] { RunGuarded([&] { Perform(CN_COMMAND); }); });
}

void TRadioButton::MessageHandler(TMessage& message) {
  if (message.Msg == CN_COMMAND) {
    if (FChecked) {
      // A click on the checked radio keeps it checked and changes nothing.
      if (Host() != nullptr) static_cast<QRadioButton*>(Host()->Widget())->setChecked(true);
      return;
    }
    SetChecked(true);
    return;
  }
  TButtonControl::MessageHandler(message);
}

void TRadioButton::TextToWidget() {
  if (Host() != nullptr) static_cast<QRadioButton*>(Host()->Widget())->setText(ToQString(WidgetCaption()));
}

void TRadioButton::SetChecked(bool value) {
  if (Host() != nullptr) static_cast<QRadioButton*>(Host()->Widget())->setChecked(value);
  if (FChecked == value) return;
  FChecked = value;
  if (!value) return;
  if (FParent != nullptr) {
    for (Integer i = 0; i < FParent->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(FParent->Controls(i)); other != nullptr && other != this)
        other->SetChecked(false);
  }
  if (!ComponentState().Contains(csLoading)) Click();
}

}  // namespace orv
