// The action links of controls: a control follows its action's caption, hint, enabled and visible
// state while it shows the action's value; windowed controls and buttons have links of their own.
#pragma once
#include "platform/forms/ActnList.h"
#include "platform/forms/Controls.h"

namespace orv {

class TControlActionLink : public TActionLink {
 public:
  explicit TControlActionLink(TControl* client) : FClient(client) {}
  TControl* Client() const { return FClient; }

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  void SetCaption(const AnsiString& value) override;
  void SetEnabled(bool value) override;
  void SetHint(const AnsiString& value) override;
  void SetVisible(bool value) override;

  static std::unique_ptr<TControlActionLink> Create(TControl* client);

 protected:
  TControl* FClient;
};

class TWinControlActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
  static std::unique_ptr<TControlActionLink> Create(TControl* client);
};

class TButtonActionLink : public TWinControlActionLink {
 public:
  using TWinControlActionLink::TWinControlActionLink;
  static std::unique_ptr<TControlActionLink> Create(TControl* client);
};

}  // namespace orv
