// The common dialogs as components (open, save, colour, font) and the message dialogs, all
// through the dialog service.
#pragma once
#include "platform/classes/Classes.h"
#include "platform/forms/DialogService.h"
#include "platform/forms/StringsProperty.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Lists.h"

namespace orv {

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;
// Whether the file name is typed into an edit or a combo box that offers the history list.
enum TFileEditStyle { fsEdit, fsComboBox };

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;
  // Shows the dialog; true when files were chosen (FileName and Files hold them).
  virtual bool Execute();
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& name) { FFileName = name; }
  TStringList& Files() { return *FFiles; }
  const AnsiString& Filter() const { return FFilter; }
  void SetFilter(const AnsiString& filter) { FFilter = filter; }
  Integer FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(Integer index) { FFilterIndex = index; }
  const AnsiString& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const AnsiString& dir) { FInitialDir = dir; }
  const AnsiString& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const AnsiString& ext) { FDefaultExt = ext; }
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& title) { FTitle = title; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions options) { FOptions = options; }
  TFileEditStyle FileEditStyle() const { return FFileEditStyle; }
  void SetFileEditStyle(TFileEditStyle value) { FFileEditStyle = value; }
  // Names offered for the file name (with fsComboBox).
  TStringList& HistoryList() { return *FHistoryList; }
  TStringsProperty* HistoryListProp() const { return FHistoryListProp.get(); }
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer value) { FHelpContext = value; }

 protected:
  bool DoExecute(bool save);

  AnsiString FFileName;
  std::unique_ptr<TStringList> FFiles;
  AnsiString FFilter;
  Integer FFilterIndex = 1;
  AnsiString FInitialDir;
  AnsiString FDefaultExt;
  AnsiString FTitle;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  TFileEditStyle FFileEditStyle = fsEdit;
  std::unique_ptr<TStringList> FHistoryList;
  std::unique_ptr<TStringsProperty> FHistoryListProp;
  Integer FHelpContext = 0;
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
  bool Execute() override;
};

// The open and save dialogs for pictures: their filter starts as the registered picture formats.
class TOpenPictureDialog : public TOpenDialog {
 public:
  explicit TOpenPictureDialog(TComponent* owner);
};

class TSavePictureDialog : public TSaveDialog {
 public:
  explicit TSavePictureDialog(TComponent* owner);
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;

class TColorDialog : public TComponent {
 public:
  explicit TColorDialog(TComponent* owner) : TComponent(owner) {}
  bool Execute();
  TColor Color() const { return FColor; }
  void SetColor(TColor color) { FColor = color; }
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions options) { FOptions = options; }

 private:
  TColor FColor = clBlack;
  TColorDialogOptions FOptions;
};

class TFontDialog : public TComponent {
 public:
  explicit TFontDialog(TComponent* owner);
  ~TFontDialog() override;
  bool Execute();
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* font) { FFont->Assign(font); }

 private:
  std::unique_ptr<TFont> FFont;
};

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// The answer as a modal result (mrYes, mrNo, mrOk, mrCancel, ...).
Integer MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons, Integer helpContext = 0);
void ShowMessage(const AnsiString& text);

}  // namespace orv
