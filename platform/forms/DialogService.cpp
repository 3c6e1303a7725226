// The Qt dialogs behind the dialog service, and the filter and extension rules every service shares.
#include "platform/forms/DialogService.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include "platform/forms/QtText.h"

namespace orv {
namespace {

class TQtDialogService : public IDialogService {
 public:
  int MessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags) override {
    QMessageBox box;
    box.setText(ToQString(text));
    box.setWindowTitle(ToQString(caption));
    switch (flags & MB_ICONMASK) {
      case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
      case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
      case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
      case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
      default: break;
    }
    struct TButtonMap { QMessageBox::StandardButton Button; int Id; };
    std::vector<TButtonMap> buttons;
    switch (flags & MB_TYPEMASK) {
      case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
      case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY},
                   {QMessageBox::Ignore, IDIGNORE}};
        break;
      case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO},
                   {QMessageBox::Cancel, IDCANCEL}};
        break;
      case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
      case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
      default: buttons = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const auto& b : buttons) set |= b.Button;
    box.setStandardButtons(set);
    const int answer = box.exec();
    for (const auto& b : buttons)
      if (answer == b.Button) return b.Id;
    // Closing the box without a button counts as its cancelling answer.
    return (flags & MB_TYPEMASK) == MB_YESNO ? IDNO : ((flags & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL);
  }

  bool ChooseFiles(const TFileRequest& request, std::vector<AnsiString>& files) override {
    QFileDialog dialog;
    dialog.setWindowTitle(ToQString(request.Title));
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.Save) dialog.setFileMode(QFileDialog::AnyFile);
    else dialog.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles
                                                : (request.MustExist ? QFileDialog::ExistingFile
                                                                     : QFileDialog::AnyFile));
    if (request.Save && !request.OverwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const auto& f : SplitDialogFilter(request.Filter)) filters << ToQString(f);
    if (!filters.isEmpty()) {
      dialog.setNameFilters(filters);
      const int index = request.FilterIndex - 1;
      if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
    }
    if (!request.InitialDir.empty()) dialog.setDirectory(ToQString(request.InitialDir));
    if (!request.FileName.empty()) dialog.selectFile(ToQString(request.FileName));
    if (!request.DefaultExt.empty()) dialog.setDefaultSuffix(ToQString(request.DefaultExt));
    if (dialog.exec() != QDialog::Accepted) return false;
    files.clear();
    for (const auto& name : dialog.selectedFiles()) files.push_back(FromQString(name));
    return !files.empty();
  }

  bool ChooseColor(TColor& color) override {
    const COLORREF rgb = ColorToRGB(color);
    const QColor chosen = QColorDialog::getColor(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    if (!chosen.isValid()) return false;
    color = static_cast<TColor>(RGB(chosen.red(), chosen.green(), chosen.blue()));
    return true;
  }

  bool ChooseFont(TFontChoice& font) override {
    QFont initial(ToQString(font.Name), font.Size);
    initial.setBold(font.Style & 1);
    initial.setItalic(font.Style & 2);
    initial.setUnderline(font.Style & 4);
    initial.setStrikeOut(font.Style & 8);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial);
    if (!ok) return false;
    font.Name = FromQString(chosen.family());
    font.Size = chosen.pointSize();
    font.Style = static_cast<Byte>((chosen.bold() ? 1 : 0) | (chosen.italic() ? 2 : 0) |
                                   (chosen.underline() ? 4 : 0) | (chosen.strikeOut() ? 8 : 0));
    return true;
  }
};

IDialogService* gService = nullptr;

}  // namespace

IDialogService& DialogService() {
  static TQtDialogService qtService;
  return gService != nullptr ? *gService : qtService;
}

void SetDialogService(IDialogService* service) { gService = service; }

std::vector<AnsiString> SplitDialogFilter(const AnsiString& filter) {
  std::vector<AnsiString> parts;
  std::size_t start = 0;
  while (start <= filter.size() && !filter.empty()) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == AnsiString::npos ? AnsiString::npos : bar - start));
    if (bar == AnsiString::npos) break;
    start = bar + 1;
  }
  std::vector<AnsiString> result;
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    AnsiString patterns = i + 1 < parts.size() ? parts[i + 1] : AnsiString("*");
    for (auto& c : patterns)
      if (c == ';') c = ' ';
    result.push_back(parts[i] + " (" + patterns + ")");
  }
  return result;
}

AnsiString ApplyDefaultExt(const AnsiString& fileName, const AnsiString& defaultExt) {
  if (defaultExt.empty() || fileName.empty()) return fileName;
  const std::size_t slash = fileName.rfind('/');
  const std::size_t dot = fileName.rfind('.');
  if (dot != AnsiString::npos && (slash == AnsiString::npos || dot > slash)) return fileName;
  return fileName + "." + defaultExt;
}

}  // namespace orv
