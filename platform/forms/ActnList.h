// Actions: a command with a caption, hint, enabled state and handlers, shared by the controls and
// menu items that link to it; Update runs at idle time.
#pragma once
#include "platform/classes/Classes.h"

namespace orv {

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
  // Runs OnExecute; false when there is none.
  virtual bool Execute();
  // Runs OnUpdate; false when there is none.
  virtual bool Update();
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* component) { FActionComponent = component; }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

 private:
  TComponent* FActionComponent = nullptr;
};

class TCustomAction : public TBasicAction {
 public:
  explicit TCustomAction(TComponent* owner) : TBasicAction(owner) {}
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& caption) { FCaption = caption; }
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint) { FHint = hint; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool value) { FChecked = value; }
  Word ShortCut() const { return FShortCut; }
  void SetShortCut(Word shortCut) { FShortCut = shortCut; }

 private:
  AnsiString FCaption;
  AnsiString FHint;
  bool FEnabled = true;
  bool FChecked = false;
  Word FShortCut = 0;
};

class TAction : public TCustomAction {
 public:
  explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

// The action that shows a hint text (the application's hint) where a status bar wants it.
class THintAction : public TCustomAction {
 public:
  explicit THintAction(TComponent* owner) : TCustomAction(owner) {}
};

}  // namespace orv
