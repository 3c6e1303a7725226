// The control action links: linked tests against the client and the client following its action.
#include "platform/forms/ActionLinks.h"

#include "platform/forms/StdCtrls.h"

namespace orv {

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}

bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}

bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}

bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}

void TControlActionLink::SetCaption(const AnsiString& value) {
  if (IsCaptionLinked()) FClient->SetCaption(value);
}

void TControlActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) FClient->SetEnabled(value);
}

void TControlActionLink::SetHint(const AnsiString& value) {
  if (IsHintLinked()) FClient->SetHint(value);
}

void TControlActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) FClient->SetVisible(value);
}

std::unique_ptr<TControlActionLink> TControlActionLink::Create(TControl* client) {
  return std::make_unique<TControlActionLink>(client);
}

std::unique_ptr<TControlActionLink> TWinControlActionLink::Create(TControl* client) {
  return std::make_unique<TWinControlActionLink>(client);
}

std::unique_ptr<TControlActionLink> TButtonActionLink::Create(TControl* client) {
  return std::make_unique<TButtonActionLink>(client);
}

TControlActionLinkClass TControl::GetActionLinkClass() const { return &TControlActionLink::Create; }
TControlActionLinkClass TWinControl::GetActionLinkClass() const { return &TWinControlActionLink::Create; }
TControlActionLinkClass TButtonControl::GetActionLinkClass() const { return &TButtonActionLink::Create; }

}  // namespace orv
