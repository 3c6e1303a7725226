// Wide actions: actions that keep a wide caption and hint in a helper beside their narrow ones,
// and the action links that hand the wide texts to wide clients.
#pragma once
#include "platform/classes/Object.h"
#include "platform/forms/ActionLinks.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Menus.h"
#include "platform/forms/ToolBars.h"

namespace orv {

// An action that hands this out keeps wide texts in a TCustomActionHelper; its owner, not the
// interface, ends its life.
class IWideTextAction : public IInterface {
 public:
  static inline const TGUID IID = TGUID::FromString("{59D0AE37-8161-4AD6-9102-14B28E5761EB}");
};

// The wide caption and hint of one action, owned by it. While a wide text is being set, the
// action's links see the text as it was before the change (emptied once the narrow side was
// emptied to make a change visible), and a link whose client follows hands it the new text.
class TCustomActionHelper : public TComponent {
 public:
  TCustomActionHelper(TComponent* owner, TCustomAction* action);
  TCustomAction* Action() const { return FAction; }

  WideString Caption();
  void SetCaption(const WideString& caption);
  WideString Hint();
  void SetHint(const WideString& hint);

  // The text a link gives its client for the narrow value the action tells it: the new wide text
  // while it is being set, else the narrow value converted.
  WideString CaptionForClient(const AnsiString& narrow) const;
  WideString HintForClient(const AnsiString& narrow) const;

 private:
  struct TWideText {
    WideString Store;
    bool Changing = false;
    WideString Before;
    AnsiString AnsiBeingSet;
  };
  WideString Read(TWideText& text, const AnsiString& narrow);
  void Write(TWideText& text, const WideString& value, const std::function<AnsiString()>& getNarrow,
             const std::function<void(const AnsiString&)>& setNarrow);
  TCustomAction* FAction;
  TWideText FCaption;
  TWideText FHint;
};

// For an action that hands out IWideTextAction: its helper (made when missing); otherwise nullptr.
TCustomActionHelper* GetActionHelper(TBasicAction* action);
WideString GetActionWideCaption(TBasicAction* action);
void SetActionWideCaption(TBasicAction* action, const WideString& caption);
WideString GetActionWideHint(TBasicAction* action);
void SetActionWideHint(TBasicAction* action, const WideString& hint);
WideString GetActionWideCaptionForClient(TBasicAction* action, const AnsiString& narrow);
WideString GetActionWideHintForClient(TBasicAction* action, const AnsiString& narrow);
// Takes the wide texts of another action or of a control.
void CopyWideActionTexts(TBasicAction* action, TPersistent* source);
// For a control linked to a wide action: its caption (when not checking defaults, or when it is
// empty or its name) and its hint (when not checking defaults, or when empty) from the action.
void ApplyWideActionTexts(TControl* control, TBasicAction* action, bool checkDefaults);
// The wide link kind for a control: tool buttons, button controls, other windowed controls, other
// controls.
TControlActionLinkClass WideActionLinkClassFor(const TControl* control);

class TUniAction : public TAction, public IWideTextAction {
 public:
  explicit TUniAction(TComponent* owner) : TAction(owner) {}
  WideString WideCaption() { return GetActionWideCaption(this); }
  void SetWideCaption(const WideString& caption) { SetActionWideCaption(this, caption); }
  WideString WideHint() { return GetActionWideHint(this); }
  void SetWideHint(const WideString& hint) { SetActionWideHint(this, hint); }
  bool QueryInterface(const TGUID& iid, void** obj) override;
  void DefineProperties(TFiler& filer) override;
  void Assign(TPersistent* source) override;
};

class TUniHintAction : public THintAction, public IWideTextAction {
 public:
  explicit TUniHintAction(TComponent* owner) : THintAction(owner) {}
  WideString WideHint() { return GetActionWideHint(this); }
  void SetWideHint(const WideString& hint) { SetActionWideHint(this, hint); }
  bool QueryInterface(const TGUID& iid, void** obj) override;
  void DefineProperties(TFiler& filer) override;
  void Assign(TPersistent* source) override;
};

// The links to wide clients: linked while the client shows the action's narrow and wide values,
// and then given the action's wide text.
class TUniControlActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const AnsiString& value) override;
  void SetHint(const AnsiString& value) override;
  static std::unique_ptr<TControlActionLink> Create(TControl* client);
};

class TUniWinControlActionLink : public TWinControlActionLink {
 public:
  using TWinControlActionLink::TWinControlActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const AnsiString& value) override;
  void SetHint(const AnsiString& value) override;
  static std::unique_ptr<TControlActionLink> Create(TControl* client);
};

class TUniToolButtonActionLink : public TToolButtonActionLink {
 public:
  using TToolButtonActionLink::TToolButtonActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const AnsiString& value) override;
  void SetHint(const AnsiString& value) override;
  static std::unique_ptr<TControlActionLink> Create(TControl* client);
};

class TUniButtonActionLink : public TButtonActionLink {
 public:
  using TButtonActionLink::TButtonActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const AnsiString& value) override;
  void SetHint(const AnsiString& value) override;
  static std::unique_ptr<TControlActionLink> Create(TControl* client);
};

// The client is a TUniMenuItem: a caption counts as linked without regard to hot-key markers and
// case, a hint exactly.
class TUniMenuActionLink : public TMenuActionLink {
 public:
  using TMenuActionLink::TMenuActionLink;
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const AnsiString& value) override;
  void SetHint(const AnsiString& value) override;
  static std::unique_ptr<TMenuActionLink> Create(TMenuItem* client);
};

void RegisterUniActionClasses();

}  // namespace orv
