// The dialog components and message dialogs over the dialog service.
#include "platform/forms/Dialogs.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

TOpenDialog::TOpenDialog(TComponent* owner)
    : TComponent(owner), FFiles(std::make_unique<TStringList>()), FHistoryList(std::make_unique<TStringList>()) {
  FHistoryListProp = std::make_unique<TStringsProperty>(
      [this] {
        std::vector<AnsiString> lines;
        for (Integer i = 0; i < FHistoryList->Count(); ++i) lines.push_back(FHistoryList->Get(i));
        return lines;
      },
      [this](const std::vector<AnsiString>& lines) {
        FHistoryList->Clear();
        for (const auto& line : lines) FHistoryList->Add(line);
      });
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* owner) : TOpenDialog(owner) {
  FFilter = TPicture::FileFilter();
}

TSavePictureDialog::TSavePictureDialog(TComponent* owner) : TSaveDialog(owner) {
  FFilter = TPicture::FileFilter();
}
TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() { return DoExecute(false); }
bool TSaveDialog::Execute() { return DoExecute(true); }

bool TOpenDialog::DoExecute(bool save) {
  TFileRequest request;
  request.Save = save;
  request.Title = FTitle;
  request.Filter = FFilter;
  request.FilterIndex = FFilterIndex;
  request.InitialDir = FInitialDir;
  request.FileName = FFileName;
  request.DefaultExt = FDefaultExt;
  request.MultiSelect = FOptions.Contains(ofAllowMultiSelect);
  request.MustExist = FOptions.Contains(ofFileMustExist);
  request.OverwritePrompt = save && FOptions.Contains(ofOverwritePrompt);
  std::vector<AnsiString> files;
  if (!DialogService().ChooseFiles(request, files) || files.empty()) return false;
  FFiles->Clear();
  for (auto& f : files) FFiles->Add(ApplyDefaultExt(f, FDefaultExt));
  FFileName = FFiles->Get(0);
  return true;
}

bool TColorDialog::Execute() {
  TColor color = FColor;
  if (!DialogService().ChooseColor(color)) return false;
  FColor = color;
  return true;
}

TFontDialog::TFontDialog(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>()) {}
TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute() {
  TFontChoice choice;
  choice.Name = FFont->Name();
  choice.Size = FFont->Size();
  choice.Color = FFont->Color();
  const TFontStyles style = FFont->Style();
  choice.Style = static_cast<Byte>((style.Contains(fsBold) ? 1 : 0) | (style.Contains(fsItalic) ? 2 : 0) |
                                   (style.Contains(fsUnderline) ? 4 : 0) | (style.Contains(fsStrikeOut) ? 8 : 0));
  if (!DialogService().ChooseFont(choice)) return false;
  FFont->SetName(choice.Name);
  FFont->SetSize(choice.Size);
  FFont->SetColor(choice.Color);
  TFontStyles chosen;
  if (choice.Style & 1) chosen.Include(fsBold);
  if (choice.Style & 2) chosen.Include(fsItalic);
  if (choice.Style & 4) chosen.Include(fsUnderline);
  if (choice.Style & 8) chosen.Include(fsStrikeOut);
  FFont->SetStyle(chosen);
  return true;
}

Integer MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons, Integer /*helpContext*/) {
  Cardinal flags = MB_OK;
  if (buttons.Contains(mbYes) && buttons.Contains(mbNo))
    flags = buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (buttons.Contains(mbAbort) && buttons.Contains(mbRetry))
    flags = MB_ABORTRETRYIGNORE;
  else if (buttons.Contains(mbRetry) && buttons.Contains(mbCancel))
    flags = MB_RETRYCANCEL;
  else if (buttons.Contains(mbOK) && buttons.Contains(mbCancel))
    flags = MB_OKCANCEL;
  switch (type) {
    case mtWarning: flags |= MB_ICONWARNING; break;
    case mtError: flags |= MB_ICONERROR; break;
    case mtInformation: flags |= MB_ICONINFORMATION; break;
    case mtConfirmation: flags |= MB_ICONQUESTION; break;
    default: break;
  }
  const AnsiString caption = type == mtWarning ? "Warning" : type == mtError ? "Error"
                           : type == mtInformation ? "Information" : type == mtConfirmation ? "Confirm"
                           : (Application != nullptr ? Application->Title() : AnsiString());
  // The dialog answers match the modal results one to one.
  return DialogService().MessageBox(text, caption, flags);
}

void ShowMessage(const AnsiString& text) {
  DialogService().MessageBox(text, Application != nullptr ? Application->Title() : AnsiString(), MB_OK);
}

}  // namespace orv
