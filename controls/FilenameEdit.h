// The file-name edit: a one-line edit with a small browse button at its right edge that opens a
// file dialog and writes the chosen path back; and the combo-edit family it is built from (a
// masked edit with an embedded button and an optional drop-down pop-up, and its file-oriented form).
#pragma once
#include <memory>
#include <optional>
#include <QObject>
#include <QPointer>
#include "controls/OrvSpeedButton.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Mask.h"

namespace orv {

class EComboEditError : public Exception { public: using Exception::Exception; };

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
enum TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };
using TShortCut = Word;
// Sender, the file name (may be changed), whether to go on (may be changed).
using TExecOpenDialogEvent = TEvent<TObject*, AnsiString&, bool&>;

class TCustomComboEdit;

// The value a pop-up shows and gives back; none for an empty text.
using TPopupValue = std::optional<AnsiString>;
// Sender (the pop-up) and whether its value is taken.
using TCloseUpEvent = TEvent<TObject*, bool>;

// The drop-down window of a combo edit: a frameless top-level window shown under the edit without
// taking the focus. A derived editor gives it its content; the pop-up tells the editor when the
// user chose (OnCloseUp with accept) or changed (OnChange) its value.
class TPopupWindow : public TCustomControl {
 public:
  explicit TPopupWindow(TComponent* owner);
  virtual TPopupValue GetValue() const { return FValue; }
  virtual void SetValue(const TPopupValue& value) { FValue = value; }
  // Shows the window with its top left corner at origin (screen coordinates).
  virtual void ShowAt(const TPoint& origin);
  virtual void HideWindow();
  // The user's choice: OnCloseUp(accept).
  void CloseUp(bool accept) { OnCloseUp(this, accept); }

  TCloseUpEvent OnCloseUp;
  TNotifyEvent OnChange;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;

  TPopupValue FValue;
};

enum TPopupAlign { epaRight, epaLeft };

// The embedded button: a speed button that first gives the focus to its edit, or closes the
// edit's visible pop-up (and then does nothing for the click that follows).
class TEditButton : public TOrvSpeedButton {
 public:
  explicit TEditButton(TComponent* owner);
  bool NoAction() const { return FNoAction; }
  void Click() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

 private:
  bool FNoAction = false;
};

// An edit with a button at its right edge; the button (or ClickKey) runs ButtonClick, which
// drops a pop-up down when the editor has one.
class TCustomComboEdit : public TCustomMaskEdit {
 public:
  explicit TCustomComboEdit(TComponent* owner);
  ~TCustomComboEdit() override;

  TShortCut ClickKey() const { return FClickKey; }
  void SetClickKey(TShortCut value) { FClickKey = value; }
  bool DirectInput() const { return FDirectInput; }
  // Without direct input the text can be changed only through the button.
  void SetDirectInput(bool value);
  bool ComboReadOnly() const { return FComboReadOnly; }
  void SetReadOnly(bool value) override;
  TGlyphKind GlyphKind() const { return FGlyphKind; }
  void SetGlyphKind(TGlyphKind value);
  TBitmap* Glyph() const;
  // Sets gkCustom.
  void SetGlyph(TBitmap* value);
  Integer NumGlyphs() const;
  void SetNumGlyphs(Integer value);
  Integer ButtonWidth() const;
  void SetButtonWidth(Integer value);
  const AnsiString& ButtonHint() const;
  void SetButtonHint(const AnsiString& value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

  TEditButton* Button() const { return FButton; }
  TWinControl* ButtonWindow() const { return FBtnControl; }
  // Whether the text may be changed by typing.
  bool EditCanModify() const override { return !GetReadOnly(); }
  // The smaller of the screen font's and the control font's text height, with room for the border.
  Integer MinimumHeight() const;
  // The caret's width while the edit has the focus: 1 pixel, 2 with a bold font.
  Integer CaretWidth() const { return FCaretWidth; }
  // Typed characters are taken through the OEM code page and back.
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool value) { FOEMConvert = value; }

  // The pop-up (none unless a derived editor sets one) and where it drops down.
  TPopupWindow* Popup() const { return FPopup; }
  TPopupAlign PopupAlign() const { return FPopupAlign; }
  void SetPopupAlign(TPopupAlign value) { FPopupAlign = value; }
  bool PopupVisible() const { return FPopupVisible; }
  // Places the pop-up under the edit (above when it would leave the screen), gives it the text,
  // focuses the edit and shows the pop-up; with disableEdit the edit is read-only meanwhile.
  virtual void PopupDropDown(bool disableEdit);
  // Hides the pop-up and refocuses the edit; with accept a different value becomes the text.
  void PopupCloseUp(TObject* sender, bool accept);
  // The text rectangle in client coordinates, clear of the button.
  const TRect& TextArea() const { return FTextArea; }
  bool IsButtonWidthStored() const;

  TNotifyEvent OnButtonClick;

  // Runs when the button is clicked or ClickKey pressed (with ReadOnly off).
  virtual void ButtonClick();

 protected:
  // The glyph of gkDefault (none here); destroyNeeded says whether the caller frees it after
  // taking a copy, or leaves it to the editor that keeps it.
  virtual TBitmap* GetDefaultBitmap(bool& destroyNeeded) {
    destroyNeeded = false;
    return nullptr;
  }
  void RebuildButtonGlyph();
  void PlaceEditButton();
  void SetEditRect();
  virtual void ShowPopup(const TPoint& origin);
  virtual void HidePopup();
  // Whether the pop-up's value may be taken (and may change it).
  virtual bool AcceptPopup(TPopupValue& value);
  // A value different from the text becomes the text, marks the edit modified and fires OnChange.
  virtual void AcceptValue(const TPopupValue& value);
  virtual void SetPopupValue(const TPopupValue& value);
  virtual TPopupValue GetPopupValue();
  // The pop-up's value changed while it is shown.
  virtual void PopupChange() {}
  virtual bool GetReadOnly() const { return FComboReadOnly; }
  // A derived editor's pop-up; the edit hears its choices.
  void SetPopup(TPopupWindow* popup);
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  bool WantsKey(Word key) const override;
  void MessageHandler(TMessage& message) override;
  void DoEnter() override;
  void DoExit() override;
  void InitWidget() override;
  void BoundsChanged() override;
  void FontChanged() override;
  void EnabledChanged() override;
  void TextChanged() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void EditButtonClick(TObject* sender);
  // A disabled edit's text is grey, unless its background is that grey already.
  void ApplyDisabledTextColor();
  void ColorChanged() override;
  void PopupCloseUpEvent(TObject* sender, bool accept) { PopupCloseUp(sender, accept); }
  void PopupChangeEvent(TObject*) { PopupChange(); }
  Integer BorderOffset() const;
  void ApplyReadOnly();
  void ApplyCaret();
  // Closes a visible pop-up; the focus goes back to the edit unless it is leaving.
  void ClosePopup(bool accept, bool refocus);

  TShortCut FClickKey;
  bool FDirectInput = true;
  bool FComboReadOnly = false;
  TGlyphKind FGlyphKind = gkCustom;
  Integer FDefNumGlyphs = 1;
  bool FAlwaysEnable = false;
  TAlignment FAlignment = taLeftJustify;
  TRect FTextArea;
  // Owned by the edit (component ownership).
  TWinControl* FBtnControl = nullptr;
  TEditButton* FButton = nullptr;
  TPopupWindow* FPopup = nullptr;
  TPopupAlign FPopupAlign = epaRight;
  bool FPopupVisible = false;
  bool FFocused = false;
  Integer FCaretWidth = 1;
  bool FOEMConvert = false;
  // While the pop-up is shown: closes it on a press anywhere but the pop-up and the button.
  std::unique_ptr<QObject> FClickWatch;
  // The widget's caret width, parented to the widget.
  QPointer<QObject> FCaretStyle;
};

// The file-oriented edits: the default glyph and the dialog events.
class TFileDirEdit : public TCustomComboEdit {
 public:
  explicit TFileDirEdit(TComponent* owner);
  bool AcceptFiles() const { return FAcceptFiles; }
  // Files dropped onto the edit become its file name (all of them the dialog's file list, when
  // several may be chosen); the window accepts drops from now on, or no longer.
  void SetAcceptFiles(bool value);

  // The file name in its long form, and in its short (8.3) form.
  virtual AnsiString GetLongName() const = 0;
  virtual AnsiString GetShortName() const = 0;

  TExecOpenDialogEvent OnBeforeDialog, OnAfterDialog;
  TNotifyEvent OnDropFiles;

 protected:
  // The shared browse glyph, which the caller does not free.
  TBitmap* GetDefaultBitmap(bool& destroyNeeded) override;
  virtual void DoBeforeDialog(AnsiString& fileName, bool& action);
  virtual void DoAfterDialog(AnsiString& fileName, bool& action);
  virtual void ClearFileList() {}
  virtual void AddDroppedFile(const AnsiString& fileName) = 0;
  // Whether every dropped file is taken, or only the first.
  virtual bool TakesSeveralFiles() const { return false; }
  void CreateWnd() override;
  void DestroyWnd() override;
  void MessageHandler(TMessage& message) override;

 private:
  void WMDropFiles(TMessage& message);
  bool FAcceptFiles = false;

 protected:
  // The system's error mode from before the dialog, put back when it closes.
  UINT FSavedErrorMode = 0;
};

// The browse glyph: 14 x 12 pixels, magenta see-through; made once.
TBitmap* FileEditGlyph();

class TFilenameEdit : public TFileDirEdit {
 public:
  explicit TFilenameEdit(TComponent* owner);
  ~TFilenameEdit() override;

  // The text as a file name: the whole text when such a file exists, else its first word
  // (double quotes group words and are removed).
  AnsiString GetFileName() const;
  // Writes the name, in double quotes when it holds a blank; EComboEditError "Ungültiger
  // Dateiname - %s" for a name with <, >, ", [, ] or |. A changed text fires OnChange.
  void SetFileName(const AnsiString& value);
  AnsiString GetLongName() const override;
  AnsiString GetShortName() const override;

  TFileDialogKind DialogKind() const { return FDialogKind; }
  // Makes a dialog of the new kind that takes over the old one's settings.
  void SetDialogKind(TFileDialogKind value);
  TOpenDialog* Dialog() const { return FDialog; }
  const AnsiString& DefaultExt() const { return FDialog->DefaultExt(); }
  void SetDefaultExt(const AnsiString& value) { FDialog->SetDefaultExt(value); }
  TFileEditStyle FileEditStyle() const { return FDialog->FileEditStyle(); }
  void SetFileEditStyle(TFileEditStyle value) { FDialog->SetFileEditStyle(value); }
  const AnsiString& Filter() const { return FDialog->Filter(); }
  void SetFilter(const AnsiString& value) { FDialog->SetFilter(value); }
  Integer FilterIndex() const { return FDialog->FilterIndex(); }
  void SetFilterIndex(Integer value) { FDialog->SetFilterIndex(value); }
  const AnsiString& InitialDir() const { return FDialog->InitialDir(); }
  void SetInitialDir(const AnsiString& value) { FDialog->SetInitialDir(value); }
  TStringsProperty* HistoryList() const { return FDialog->HistoryListProp(); }
  TOpenOptions DialogOptions() const { return FDialog->Options(); }
  void SetDialogOptions(TOpenOptions value);
  const AnsiString& DialogTitle() const { return FDialog->Title(); }
  void SetDialogTitle(const AnsiString& value) { FDialog->SetTitle(value); }

  bool IsFilterStored() const;
  bool IsDialogTitleStored() const;
  bool IsGlyphStored() const { return FGlyphKind == gkCustom; }

  void ButtonClick() override;

  static const char* const DefaultFilter;
  static const char* const DefaultTitle;

 protected:
  void ClearFileList() override;
  // A dropped file: the name (the first, with several files allowed) and the dialog's list.
  void AddDroppedFile(const AnsiString& fileName) override;
  bool TakesSeveralFiles() const override { return FMultipleFiles; }

 private:
  void CreateEditDialog();

  TOpenDialog* FDialog = nullptr;  // owned by the edit
  TFileDialogKind FDialogKind = dkOpen;
  bool FMultipleFiles = false;
};

// A name is a valid path name when it is not empty and holds none of <, >, ", [, ] and |.
AnsiString CleanFileName(const AnsiString& text);
AnsiString QuoteFileName(const AnsiString& name);

}  // namespace orv
