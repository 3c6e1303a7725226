// The standard controls: label, button, check box, radio button, edit, memo, combo box, group box.
#pragma once
#include "platform/forms/Forms.h"
#include "platform/forms/StringsProperty.h"
#include "platform/rtl/Lists.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace orv {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* owner);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; Invalidate(); }
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout value) { FLayout = value; Invalidate(); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value) { FWordWrap = value; AdjustBounds(); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value) { FTransparent = value; Invalidate(); }
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value) { FShowAccelChar = value; AdjustBounds(); }
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* control) { FFocusControl = control; }

 protected:
  void Paint() override;
  void TextChanged() override { AdjustBounds(); }
  void FontChanged() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  UINT DrawFlags() const;
  void AdjustBounds();

  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// The Qt button classes share this: the clicked signal becomes CN_COMMAND, which clicks.
class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* owner);
  TControlActionLinkClass GetActionLinkClass() const override;

 protected:
  void MessageHandler(TMessage& message) override;
  bool WantsKey(Word key) const override;
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* owner);
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  // Runs OnClick; a button with a modal result then sets it on its form.
  void Click() override;
  // The button Enter presses on its form: the focused button, or the default button while the
  // focus is on a control that is no button. Follows every focus change of the form.
  bool Active() const { return FActive; }

 protected:
  // Runs when the button becomes or stops being the active one.
  virtual void ApplyButtonStyle(bool isDefault) { (void)isDefault; }
  void CMFocusChanged(TMessage& message);
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void TextToWidget() override;
  void InitWidget() override;
  void MessageHandler(TMessage& message) override;

  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = 0;
  bool FActive = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TButtonControl {
 public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const { return State() == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const;
  void SetState(TCheckBoxState state);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; }
  void Click() override;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void TextToWidget() override;
  void InitWidget() override;

  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
  bool FUpdating = false;
};

// Radio buttons with the same parent form one group: checking one unchecks the others.
class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* owner);
  bool Checked() const { return FChecked; }
  // Checking by code runs OnClick, as a click does.
  void SetChecked(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; }

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void TextToWidget() override;
  void InitWidget() override;
  void MessageHandler(TMessage& message) override;

  bool FChecked = false;
  TAlignment FAlignment = taRightJustify;
};

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  bool ReadOnly() const { return FReadOnly; }
  virtual void SetReadOnly(bool value);
  Integer MaxLength() const { return FMaxLength; }
  virtual void SetMaxLength(Integer value);
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value) { FCharCase = value; }
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }
  // While set, the height follows the font: its text height and room for the border.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  // While set, the selection is kept but not drawn while the edit has no focus.
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);

  // Positions count one per character and one per line break.
  virtual Integer SelStart() const;
  virtual void SetSelStart(Integer value);
  virtual Integer SelLength() const;
  virtual void SetSelLength(Integer value);
  virtual AnsiString SelText() const;
  virtual void SetSelText(const AnsiString& text);
  virtual void SelectAll();
  virtual void Clear();
  void ClearSelection() { SetSelText(""); }
  // WM_COPY, WM_CUT and WM_PASTE, as the keyboard shortcuts and the context menu of a one-line
  // edit send them, so a control can refuse them in its handler.
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();

  TNotifyEvent OnChange;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void TextToWidget() override;
  // The default handling of the clipboard, undo and selection messages is the widget's own; that
  // of WM_CONTEXTMENU is the edit's standard menu.
  LRESULT DefWndProc(TMessage& message) override;
  // The focus keeps the selection, which is drawn as HideSelection says.
  void MessageHandler(TMessage& message) override;
  void Loaded() override;
  void FontChanged() override;
  void ColorChanged() override;
  // The height AutoSize gives: the font's text height, the border and a margin of two pixels on
  // either side.
  Integer AutoHeight() const;
  void AdjustHeight();
  // The selection's colours: hidden (those of the text) while HideSelection is set and the edit
  // has no focus, else the system's.
  void ApplySelectionLook(bool focused);
  bool WidgetHoldsText() const override { return true; }
  AnsiString TextFromWidget() const override;
  WideString WideTextFromWidget() const override;
  void KeyPress(char& key) override;
  virtual void Change();
  QLineEdit* LineEdit() const;

  bool FReadOnly = false;
  Integer FMaxLength = 0;
  char FPasswordChar = 0;
  TEditCharCase FCharCase = ecNormal;
  bool FAutoSelect = true;
  TFormBorderStyle FBorderStyle = bsSingle;
  bool FModified = false;
  bool FAutoSize = true;
  bool FHideSelection = true;
  bool FSettingText = false;
  Integer FSelStart = 0;
  Integer FSelLength = 0;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomMemo;

// The lines of a memo as a string list kept in step with the widget.
class TMemoStrings {
 public:
  explicit TMemoStrings(TCustomMemo& memo) : FMemo(memo) {}
  Integer Count() const;
  AnsiString Get(Integer index) const;
  void Put(Integer index, const AnsiString& line);
  Integer Add(const AnsiString& line);
  void Insert(Integer index, const AnsiString& line);
  void Delete(Integer index);
  void Clear();
  // Lines joined with CRLF, each followed by one.
  AnsiString Text() const;
  void SetText(const AnsiString& text);
  void Assign(const TMemoStrings& source) { SetText(source.Text()); }
  void Assign(const TStringList& source) { SetText(source.Text()); }
  void AddStrings(const TStringList& source);
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  std::vector<AnsiString> ToVector() const;
  void FromVector(const std::vector<AnsiString>& lines);

 private:
  TCustomMemo& FMemo;
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* owner);
  ~TCustomMemo() override;
  TMemoStrings& Lines() { return FLines; }
  const TMemoStrings& Lines() const { return FLines; }
  // The lines as a published property.
  TStringsProperty* LinesProp() const { return FLinesProp.get(); }
  bool WordWrap() const { return FWordWrap; }
  virtual void SetWordWrap(bool value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  virtual void SetScrollBars(TScrollStyle value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; }
  void SetReadOnly(bool value) override;
  void SetMaxLength(Integer value) override;

  Integer SelStart() const override;
  void SetSelStart(Integer value) override;
  Integer SelLength() const override;
  void SetSelLength(Integer value) override;
  AnsiString SelText() const override;
  void SetSelText(const AnsiString& text) override;
  void SelectAll() override;
  void Clear() override;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void TextToWidget() override;
  AnsiString TextFromWidget() const override;
  bool WantsKey(Word key) const override;
  void KeyPress(char& key) override;
  QPlainTextEdit* TextEdit() const;
  // Our positions (a line break counts one) to the widget's and back; they are the same since the
  // widget keeps one character per break, but the text crossing it has CRLF.
  void ApplySelection(Integer start, Integer length);

  TMemoStrings FLines;
  std::unique_ptr<TStringsProperty> FLinesProp;
  bool FWordWrap = true;
  TScrollStyle FScrollBars = ssNone;
  bool FWantReturns = true;
  bool FWantTabs = false;
  TAlignment FAlignment = taLeftJustify;
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// Control, item index, item rectangle, state; the control's Canvas draws the item.
using TDrawItemEvent = TEvent<TWinControl*, Integer, const TRect&, TOwnerDrawState>;
// Control, item index, the item's height to set.
using TMeasureItemEvent = TEvent<TWinControl*, Integer, Integer&>;

// The owner draw request a control sends itself as CN_DRAWITEM (pointer in the lParam).
inline constexpr UINT ODT_MENU = 1, ODT_LISTBOX = 2, ODT_COMBOBOX = 3, ODT_BUTTON = 4;
inline constexpr UINT ODA_DRAWENTIRE = 0x0001;
inline constexpr UINT ODS_SELECTED = 0x0001, ODS_GRAYED = 0x0002, ODS_DISABLED = 0x0004,
  ODS_CHECKED = 0x0008, ODS_FOCUS = 0x0010, ODS_DEFAULT = 0x0020, ODS_HOTLIGHT = 0x0040,
  ODS_INACTIVE = 0x0080, ODS_NOACCEL = 0x0100, ODS_NOFOCUSRECT = 0x0200, ODS_COMBOBOXEDIT = 0x1000;
struct DRAWITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  // -1 for none (an empty selection field).
  Integer itemID = -1;
  UINT itemAction = ODA_DRAWENTIRE;
  UINT itemState = 0;
  HWND hwndItem;
  // Valid during the message only.
  HDC hDC = nullptr;
  TRect rcItem;
};
// The size request of an owner-drawn item, sent as CN_MEASUREITEM (pointer in the lParam).
struct MEASUREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  Integer itemID = -1;
  UINT itemWidth = 0;
  UINT itemHeight = 0;
};

// A combo box over QComboBox: editable (csDropDown) or a pick list (csDropDownList). The
// owner-drawn styles are pick lists whose items, in the list and in the selection field, are
// painted through CN_DRAWITEM: the control's Canvas gets the brush and font colours of a selected
// or an unselected item, then DrawItem (OnDrawItem, or the item text) paints the item; list rows
// are ItemHeight pixels high (csOwnerDrawVariable: as MeasureItem says).
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;
  TStringList& Items() { return *FItems; }
  TStringsProperty* ItemsProp() const { return FItemsProp.get(); }
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle style);
  bool OwnerDrawn() const { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
  Integer ItemIndex() const;
  void SetItemIndex(Integer index);
  Integer DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(Integer value) { FDropDownCount = value; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer value) { FMaxLength = value; }
  void Clear();
  bool DroppedDown() const;
  void SetDroppedDown(bool value);
  // Valid while an item is being drawn.
  TCanvas& Canvas() const { return *FCanvas; }

  TNotifyEvent OnChange, OnSelect, OnDropDown;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void TextToWidget() override;
  bool WidgetHoldsText() const override { return true; }
  AnsiString TextFromWidget() const override;
  bool WantsKey(Word key) const override;
  void MessageHandler(TMessage& message) override;
  void PaintWindow(QPainter& painter) override;
  // The edit field of an editable combo box takes the edit messages and shows the edit's
  // standard menu for WM_CONTEXTMENU.
  LRESULT DefWndProc(TMessage& message) override;
  // The change notification of a choice from the list or typed text: fires OnChange.
  virtual void Change();
  virtual void DrawItem(Integer index, const TRect& rect, TOwnerDrawState state);
  virtual void MeasureItem(Integer index, Integer& height);
  QComboBox* Combo() const;
  void SyncItems();
  void ApplyOwnerDraw();

  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TStringsProperty> FItemsProp;
  std::unique_ptr<TCanvas> FCanvas;
  TComboBoxStyle FStyle = csDropDown;
  Integer FItemIndex = -1;
  Integer FDropDownCount = 8;
  bool FSorted = false;
  Integer FItemHeight = 16;
  Integer FMaxLength = 0;
  bool FSyncing = false;

 private:
  friend class TComboItemDelegate;
  void CNDrawItem(TMessage& message);
  // Sends CN_DRAWITEM for an item drawn on painter (index -1: the empty selection field).
  void DrawItemOn(QPainter& painter, const TRect& rect, Integer index, UINT itemState);
};

class TGroupBox : public TCustomControl {
 public:
  explicit TGroupBox(TComponent* owner);
  TRect AlignClientRect() const override;

 protected:
  void Paint() override;
};

}  // namespace orv
