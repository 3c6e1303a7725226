// Actions: a command with a caption, hint, enabled and checked state, shortcut and handlers, shared
// by the controls and menu items that link to it. Each client holds an action link; the action
// tells every link of a property change before it takes the new value, so a link can still see
// whether its client showed the old one, and only a client that did follows. Update runs at idle
// time.
#pragma once
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"

namespace orv {

class TBasicActionLink;
class TCustomImageList;

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
  ~TBasicAction() override;
  // Runs OnExecute; false when there is none.
  virtual bool Execute();
  // Runs OnUpdate; false when there is none.
  virtual bool Update();
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* component) { FActionComponent = component; }
  // The links of the clients, in the order they linked.
  const std::vector<TBasicActionLink*>& Clients() const { return FClients; }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  // After any property of the action changed.
  TNotifyEvent OnChange;

 protected:
  void Change() { OnChange(this); }

 private:
  friend class TBasicActionLink;
  TComponent* FActionComponent = nullptr;
  std::vector<TBasicActionLink*> FClients;
};

// The link of one client to one action. The client owns it.
class TBasicActionLink : public TObject {
 public:
  TBasicActionLink() = default;
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return FAction; }
  // Leaves the earlier action's client list and joins the new one's.
  void SetAction(TBasicAction* action);
  // Runs the action for target.
  virtual bool Execute(TComponent* target);
  virtual bool Update();

 protected:
  friend class TBasicAction;
  TBasicAction* FAction = nullptr;
};

class TCustomAction;

// The properties a custom action hands to its clients. Each Set* is called by the action before
// its own value changes; the client follows only while it is linked (showing the action's value).
class TActionLink : public TBasicActionLink {
 public:
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHintLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();
  virtual bool IsImageIndexLinked();
  virtual void SetCaption(const AnsiString&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHint(const AnsiString&) {}
  virtual void SetShortCut(Word) {}
  virtual void SetVisible(bool) {}
  virtual void SetImageIndex(Integer) {}

 protected:
  TCustomAction* CustomAction() const;
};

class TCustomActionList;

class TCustomAction : public TBasicAction {
 public:
  explicit TCustomAction(TComponent* owner) : TBasicAction(owner) {}
  ~TCustomAction() override;
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& caption);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  Word ShortCut() const { return FShortCut; }
  void SetShortCut(Word shortCut);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  // The action's image in its list's Images; -1 for none.
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer value);
  // The list the action belongs to (its images); none by default.
  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* list);
  // Takes caption, hint, enabled, checked, shortcut, visible and image of another custom action.
  void Assign(TPersistent* source) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Each link sees the new value while the action still holds the old one.
  template <class TValue, class TSetter>
  void ChangeProperty(TValue& field, const TValue& value, TSetter tellLink);

  AnsiString FCaption;
  AnsiString FHint;
  bool FEnabled = true;
  bool FChecked = false;
  Word FShortCut = 0;
  bool FVisible = true;
  Integer FImageIndex = -1;
  TCustomActionList* FActionList = nullptr;
};

// A list of actions with the images they show.
class TCustomActionList : public TComponent {
 public:
  explicit TCustomActionList(TComponent* owner) : TComponent(owner) {}
  ~TCustomActionList() override;
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* images);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TCustomImageList* FImages = nullptr;
};

class TActionList : public TCustomActionList {
 public:
  explicit TActionList(TComponent* owner) : TCustomActionList(owner) {}
};

class TAction : public TCustomAction {
 public:
  explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

// The action that carries a hint text (the application's hint) to whatever shows hints.
class THintAction : public TCustomAction {
 public:
  explicit THintAction(TComponent* owner) : TCustomAction(owner) {}
};

// Links a client (a control or a menu item) to an action, or unlinks it when action is null: the
// client's link (made by makeLink when it has none) follows the action, and the client hears when
// the action is freed. True when the client now has an action whose values it should take.
template <class Client, class Link, class MakeLink>
bool LinkClientAction(Client* client, TBasicAction*& current, std::unique_ptr<Link>& link,
                      TBasicAction* action, MakeLink makeLink) {
  if (current == action) return false;
  if (current != nullptr) current->RemoveFreeNotification(client);
  current = action;
  if (current == nullptr) {
    link.reset();
    return false;
  }
  if (link == nullptr) link = makeLink();
  link->SetAction(current);
  current->FreeNotification(client);
  return true;
}

}  // namespace orv
