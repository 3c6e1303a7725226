// Menus: TMenuItem trees and the system menus (HMENU) that carry them, shortcut texts, owner
// drawing and measuring of items, action links of items, TMainMenu on a form's window, TPopupMenu
// shown at screen coordinates over a Qt menu, and the popup list window that hears the popup
// menus' messages.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Controls.h"
#include "platform/rtl/Geometry.h"
#include "platform/win/Menus.h"

namespace orv {

class TMenu;
class TMenuItem;
class TCanvas;
class TBitmap;
class TCustomImageList;

// The class library's shortcut text: "Umsch+", "Strg+" and "Alt+" before the key's name; 0 gives
// an empty text.
AnsiString ShortCutToText(Word shortCut);
Word ShortCut(Word key, TShiftState shift);
// Without its "&" hot-key markers ("&&" leaves one "&").
AnsiString StripHotkey(const AnsiString& text);
// Equal without hot-key markers and without regard to case.
bool AnsiSameCaption(const AnsiString& a, const AnsiString& b);

using TMenuMeasureItemEvent = TEvent<TObject*, TCanvas*, Integer&, Integer&>;
using TAdvancedMenuDrawItemEvent = TEvent<TObject*, TCanvas*, TRect, TOwnerDrawState>;

class TMenuActionLink;
// A kind of menu action link, as TControlActionLinkClass is for controls.
using TMenuActionLinkClass = std::unique_ptr<TMenuActionLink> (*)(TMenuItem* client);

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& caption);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  Word ShortCut() const { return FShortCut; }
  void SetShortCut(Word value);
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  // The hint is kept as it is: a change tells nobody.
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint) { FHint = hint; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer index);
  // A picture of the item; made on first use.
  TBitmap* Bitmap();
  bool HasBitmap() const { return FBitmap != nullptr; }

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
  // The menu the item belongs to (through its parents), or nullptr.
  TMenu* GetParentMenu() const;
  // An entry of a main menu's bar (a child of the main menu's root item).
  bool IsMenuBarEntry() const;

  // The item's command number: unique among the living items, below the first MDI child's window-
  // menu id (so it fits WM_COMMAND's low word), the id of its system entry.
  UINT Command() const { return FCommand; }
  // The system menu of the sub-items (for a menu's root item, the menu's own), made on first use.
  HMENU Handle();
  bool HandleAllocated() const;
  // The system entry's text: the caption, and for a command of a drop-down menu a tab and the
  // shortcut text.
  WideString SystemText() const;

  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* action);
  TMenuActionLink* ActionLink() const { return FActionLink.get(); }
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  virtual TMenuActionLinkClass GetActionLinkClass() const;
  bool IsCaptionStored() const;
  bool IsHintStored() const;

  // Runs the item's handler, or its action when it has none.
  virtual void Click();
  // Paints the item into rect: OnAdvancedDrawItem when assigned, else background, check mark or
  // image, caption and shortcut.
  virtual void AdvancedDrawItem(TCanvas* canvas, TRect rect, TOwnerDrawState state, bool topLevel);
  // The size of the item for the caption, then OnMeasureItem.
  virtual void MeasureItem(TCanvas* canvas, Integer& width, Integer& height);
  // After a change of the item: its system entry is written again, with rebuild its sub-menu made
  // anew, and the menu bar of its window redrawn.
  virtual void MenuChanged(bool rebuild);
  void Loaded() override;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // Writes the item's own entry into its parent's system menu, when that exists.
  void WriteSystemEntry();
  // Removes every entry of the item's system menu and writes them again.
  void RebuildHandle();

 private:
  friend class TMenu;
  void FillHandle();
  MENUITEMINFOW EntryInfo(WideString& text);
  Integer VisiblePosition() const;

  AnsiString FCaption;
  AnsiString FHint;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  bool FDefault = false;
  Word FShortCut = 0;
  Integer FImageIndex = -1;
  std::unique_ptr<TBitmap> FBitmap;
  UINT FCommand = 0;
  HMENU FHandle;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;
  TBasicAction* FAction = nullptr;
  std::unique_ptr<TMenuActionLink> FActionLink;
};

// The link of a menu item to its action; a caption counts as linked without regard to hot-key
// markers and case.
class TMenuActionLink : public TActionLink {
 public:
  explicit TMenuActionLink(TMenuItem* client) : FClient(client) {}
  TMenuItem* Client() const { return FClient; }
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  void SetCaption(const AnsiString& value) override;
  void SetChecked(bool value) override;
  void SetEnabled(bool value) override;
  void SetHint(const AnsiString& value) override;
  void SetShortCut(Word value) override;
  void SetVisible(bool value) override;
  static std::unique_ptr<TMenuActionLink> Create(TMenuItem* client);

 protected:
  TMenuItem* FClient;
};

enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  // The root item; its sub-items are the menu's entries.
  TMenuItem* Items() const { return FItems.get(); }
  HMENU Handle() { return FItems->Handle(); }
  // The item with that command, sub-menu handle or shortcut, searched through the whole tree.
  TMenuItem* FindItem(std::uint64_t value, TFindItemKind kind) const;
  // Owner-drawn menus (and those with images) draw their items themselves.
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* images);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode mode);
  // Right to left in force: a right-to-left mode on a Middle East system.
  bool IsRightToLeft() const;
  // The window whose bar shows the menu (main menus), redrawn after a change.
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND window) { FWindowHandle = window; }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TMenuItem;
  std::unique_ptr<TMenuItem> FItems;
  bool FOwnerDraw = false;
  TCustomImageList* FImages = nullptr;
  TBiDiMode FBiDiMode = bdLeftToRight;
  HWND FWindowHandle;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
};

// Where the point a popup menu is shown at lies on it: its left edge, its right edge, its centre.
enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment value) { FAlignment = value; }
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
  TPopupAlignment FAlignment = paLeft;
};

// The popup menus of the program and the window that owns them while they are shown: a command
// clicks its item, a selection makes the item's long hint the application's hint.
class TPopupList {
 public:
  TPopupList();
  virtual ~TPopupList();
  TPopupList(const TPopupList&) = delete;
  TPopupList& operator=(const TPopupList&) = delete;

  void Add(TPopupMenu* menu);
  void Remove(TPopupMenu* menu);
  const std::vector<TPopupMenu*>& Menus() const { return FMenus; }
  // The hidden window, made on first use.
  HWND Window();

 protected:
  virtual void WndProc(TMessage& message);
  // The default window procedure's answer.
  void DefaultHandler(TMessage& message);

 private:
  std::vector<TPopupMenu*> FMenus;
  HWND FWindow;
  WNDPROC FInstance = nullptr;
};

// The class library's popup list (made at first use). Another list may take its place; the one
// made first stays until exit.
TPopupList* PopupList();
void SetPopupList(TPopupList* list);

// Chooses an item of a popup menu shown at (x, y), or nullptr; Qt's menu by default. Tests set
// their own (nullptr restores Qt's).
using TPopupPresenter = std::function<TMenuItem*(TPopupMenu& menu, Integer x, Integer y)>;
void SetPopupPresenter(TPopupPresenter presenter);

}  // namespace orv
