// Menus: TMenuItem trees and TPopupMenu shown at screen coordinates over a Qt menu.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"

namespace orv {

class TMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& caption) { FCaption = caption; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool value) { FChecked = value; }
  Word ShortCut() const { return FShortCut; }
  void SetShortCut(Word value) { FShortCut = value; }
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint) { FHint = hint; }

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TMenuItem* Items(Integer index) const { return FItems.at(static_cast<std::size_t>(index)); }
  // Takes item as a sub-item (it leaves its earlier parent item).
  void Add(TMenuItem* item);
  void Insert(Integer index, TMenuItem* item);
  void Remove(TMenuItem* item);
  TMenuItem* Parent() const { return FParent; }
  Integer MenuIndex() const;
  // A separator is an item whose caption is "-".
  bool IsLine() const { return FCaption == "-"; }

  virtual void Click();

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  TNotifyEvent OnClick;

 private:
  friend class TMenu;
  AnsiString FCaption;
  AnsiString FHint;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  Word FShortCut = 0;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  // The root item; its sub-items are the menu's entries.
  TMenuItem* Items() const { return FItems.get(); }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 private:
  std::unique_ptr<TMenuItem> FItems;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}
  // Shows the menu at screen coordinates and runs the chosen item's Click.
  virtual void Popup(Integer x, Integer y);
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* component) { FPopupComponent = component; }
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }

  TNotifyEvent OnPopup;

 private:
  TComponent* FPopupComponent = nullptr;
  bool FAutoPopup = true;
};

// Chooses an item of a popup menu shown at (x, y), or nullptr; Qt's menu by default. Tests set
// their own (nullptr restores Qt's).
using TPopupPresenter = std::function<TMenuItem*(TPopupMenu& menu, Integer x, Integer y)>;
void SetPopupPresenter(TPopupPresenter presenter);

}  // namespace orv
