// The file-name edit: a one-line edit with a small browse button at its right edge that opens a
// file dialog and writes the chosen path back; and the combo-edit family it is built from (an
// edit with an embedded button, and its file-oriented form).
#pragma once
#include <memory>
#include "controls/OrvSpeedButton.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

class EComboEditError : public Exception { public: using Exception::Exception; };

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
enum TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };
using TShortCut = Word;
// Sender, the file name (may be changed), whether to go on (may be changed).
using TExecOpenDialogEvent = TEvent<TObject*, AnsiString&, bool&>;

class TCustomComboEdit;

// The embedded button: a speed button that first gives the focus to its edit.
class TEditButton : public TOrvSpeedButton {
 public:
  explicit TEditButton(TComponent* owner);
  bool NoAction() const { return FNoAction; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

 private:
  bool FNoAction = false;
};

// An edit with a button at its right edge; the button (or ClickKey) runs ButtonClick.
class TCustomComboEdit : public TCustomEdit {
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
  virtual bool EditCanModify() const { return !FComboReadOnly; }
  Integer MinimumHeight() const;
  // The text rectangle in client coordinates, clear of the button.
  const TRect& TextArea() const { return FTextArea; }
  bool IsButtonWidthStored() const;

  TNotifyEvent OnButtonClick;

  // Runs when the button is clicked or ClickKey pressed (with ReadOnly off).
  virtual void ButtonClick();

 protected:
  // The glyph of gkDefault and the number of its images (none here).
  virtual TBitmap* GetDefaultBitmap() { return nullptr; }
  void RebuildButtonGlyph();
  void PlaceEditButton();
  void SetEditRect();
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  bool WantsKey(Word key) const override;
  void MessageHandler(TMessage& message) override;
  void InitWidget() override;
  void BoundsChanged() override;
  void FontChanged() override;
  void EnabledChanged() override;
  void TextChanged() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void EditButtonClick(TObject* sender);
  Integer BorderOffset() const;
  void ApplyReadOnly();

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
};

// The file-oriented edits: the default glyph and the dialog events.
class TFileDirEdit : public TCustomComboEdit {
 public:
  explicit TFileDirEdit(TComponent* owner);
  bool AcceptFiles() const { return FAcceptFiles; }
  // Files dropped onto the edit become its file name (all of them the dialog's file list, when
  // several may be chosen); the window accepts drops from now on, or no longer.
  void SetAcceptFiles(bool value);

  TExecOpenDialogEvent OnBeforeDialog, OnAfterDialog;
  TNotifyEvent OnDropFiles;

 protected:
  TBitmap* GetDefaultBitmap() override;
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
};

// The browse glyph: 14 x 12 pixels, magenta see-through; made once.
TBitmap* FileEditGlyph();

class TFilenameEdit : public TFileDirEdit {
 public:
  explicit TFilenameEdit(TComponent* owner);
  ~TFilenameEdit() override;

  // The text as a file name: the whole text when such a file exists, else its first word
  // (double quotes group words and are removed).
  AnsiString FileName() const;
  // Writes the name, in double quotes when it holds a blank; EComboEditError "Ungültiger
  // Dateiname - %s" for a name with <, >, ", [, ] or |. A changed text fires OnChange.
  void SetFileName(const AnsiString& value);
  AnsiString LongName() const;
  AnsiString ShortName() const;

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
