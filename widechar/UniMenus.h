// Wide menus: TUniMenuItem with a wide caption and hint written into the system menu through the
// wide interface and drawn and measured as wide text, the wide shortcut texts, hot-key markers,
// and the popup list that would give wide menu hints.
#pragma once
#include "platform/forms/Menus.h"

namespace orv {

// On the wide platform the key's own character (digits, letters, keypad digits) or name after the
// class library's modifier prefixes; the class library's text for the keys it names itself, and on
// the narrow platform. An empty key text gives an empty result.
WideString WideShortCutToText(Word shortCut);
// The keyboard's name of a virtual key; empty when it has no scan code.
WideString WideKeyName(Word key);

// Every "&" removed (the character after one is not examined, so "&&" leaves "&"); on a Far-East
// system a "(&X)" group goes whole.
WideString WideStripHotkey(const WideString& text);
// Equal without hot-key markers: ignoring case, and exactly.
bool WideSameCaption(const WideString& a, const WideString& b);
bool WideSameCaptionExact(const WideString& a, const WideString& b);
// The destination with the hot-key markers of the source, after the class library moved the
// marker of a narrow caption. EUniInternalError when the markers cannot be matched.
WideString SyncHotKeyPosition(const WideString& source, const WideString& destination);

inline constexpr const char* SSyncHotKeyPositionFailed = "Internal Error: SyncHotKeyPosition Failed (\"%s\" <> \"%s\").";

class TUniMenuItem;

// The wide hint of a TUniMenuItem; the narrow hint converted for any other item.
WideString GetMenuItemWideHint(TMenuItem* item);
// Writes the item's wide text (with its shortcut) into the system menu of menu, where it differs.
void UpdateWideMenuItemText(TUniMenuItem* item, TMenu* menu);
// The sub-items first, last to first, then the item itself when it is a TUniMenuItem.
void UpdateWideMenuTexts(TMenuItem* item, TMenu* menu);
// On a Middle East system: the first item's text again, when it is a TUniMenuItem.
void RefreshMenuForBiDi(TMenu* menu);

// The measuring handler an item keeps in its own OnMeasureItem; the user's event is kept aside.
struct TUniMeasureHandler {
  TUniMenuItem* Item;
  void operator()(TObject* sender, TCanvas* canvas, Integer& width, Integer& height) const;
};

class TUniMenuItem : public TMenuItem {
 public:
  explicit TUniMenuItem(TComponent* owner);

  // The wide caption: the narrow one's markers are taken over when only they moved, and a narrow
  // caption changed elsewhere wins.
  WideString WideCaption();
  void SetWideCaption(const WideString& caption);
  WideString WideHint();
  void SetWideHint(const WideString& hint);

  // The user's measure event (OnMeasureItem itself holds the item's own handler).
  TMenuMeasureItemEvent UserMeasureItem;
  bool HasOwnMeasureHandler() const;
  void InstallOwnMeasureHandler();

  void DefineProperties(TFiler& filer) override;
  void Loaded() override;
  void AdvancedDrawItem(TCanvas* canvas, TRect rect, TOwnerDrawState state, bool topLevel) override;
  void MenuChanged(bool rebuild) override;
  void ActionChange(TObject* sender, bool checkDefaults) override;
  TMenuActionLinkClass GetActionLinkClass() const override;

 private:
  friend struct TUniMeasureHandler;
  void MeasureItemHandler(TCanvas* canvas, Integer& width, Integer& height);
  void DrawWideItemText(TCanvas* canvas, TRect rect, TOwnerDrawState state, bool topLevel);
  // One text of the item (caption or shortcut) in rect, or its size with DT_CALCRECT.
  void DrawItemText(TCanvas* canvas, WideString text, UINT flags, bool selected, TRect& rect);

  WideString FCaptionStore;
  WideString FHintStore;
  bool FIgnoreMenuChanged = false;
};

// A popup list whose menu-selection messages set the wide application hint; it remembers the
// class library's popup list of its making and puts it back when a menu loop starts.
class TUniPopupList : public TPopupList {
 public:
  TUniPopupList();
  TPopupList* SavedPopupList() const { return FSavedPopupList; }

 protected:
  void WndProc(TMessage& message) override;

 private:
  TPopupList* FSavedPopupList;
};

// The start step makes the wide popup list (it does not become the class library's popup list);
// the exit step frees it.
void InitUniMenus();
void FinalizeUniMenus();
TUniPopupList* UniPopupList();

void RegisterUniMenuClasses();

}  // namespace orv
