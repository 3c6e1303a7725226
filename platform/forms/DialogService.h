// The small interface behind every dialog of the system (message boxes, file, colour and font
// choosers): the Qt one by default, a scripted one in tests.
#pragma once
#include <memory>
#include <vector>
#include "platform/graphics/Colors.h"
#include "platform/rtl/Types.h"

namespace orv {

// Message-box buttons, icons and answers with their system values.
inline constexpr Cardinal MB_OK = 0x0000, MB_OKCANCEL = 0x0001, MB_ABORTRETRYIGNORE = 0x0002,
  MB_YESNOCANCEL = 0x0003, MB_YESNO = 0x0004, MB_RETRYCANCEL = 0x0005;
inline constexpr Cardinal MB_ICONHAND = 0x0010, MB_ICONQUESTION = 0x0020,
  MB_ICONEXCLAMATION = 0x0030, MB_ICONASTERISK = 0x0040;
inline constexpr Cardinal MB_ICONERROR = MB_ICONHAND, MB_ICONSTOP = MB_ICONHAND,
  MB_ICONWARNING = MB_ICONEXCLAMATION, MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr Cardinal MB_TYPEMASK = 0x000F, MB_ICONMASK = 0x00F0;
inline constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6,
  IDNO = 7;

// What a file chooser is asked: filters in "description|pattern|description|pattern" form, the
// 1-based filter index, a default extension ("txt", without the dot) added to a bare name.
struct TFileRequest {
  bool Save = false;
  AnsiString Title;
  AnsiString Filter;
  Integer FilterIndex = 1;
  AnsiString InitialDir;
  AnsiString FileName;
  AnsiString DefaultExt;
  bool MultiSelect = false;
  bool MustExist = false;
  // A save dialog asks before an existing file is chosen only when told to (ofOverwritePrompt).
  bool OverwritePrompt = false;
};

struct TFontChoice {
  AnsiString Name;
  Integer Size = 8;
  TColor Color = clBlack;
  Byte Style = 0;  // bit 0 bold, 1 italic, 2 underline, 3 strike-out
};

class IDialogService {
 public:
  virtual ~IDialogService() = default;
  // Returns one of IDOK .. IDNO; flags hold MB_* buttons and icon.
  virtual int MessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags) = 0;
  // False when cancelled; files gets the chosen names (one unless MultiSelect).
  virtual bool ChooseFiles(const TFileRequest& request, std::vector<AnsiString>& files) = 0;
  virtual bool ChooseColor(TColor& color) = 0;
  virtual bool ChooseFont(TFontChoice& font) = 0;
};

// The service in force; the Qt dialogs unless a test has put its own in place.
IDialogService& DialogService();
// Replaces the service; nullptr restores the Qt dialogs. The caller keeps ownership and keeps the
// object alive while it is in force.
void SetDialogService(IDialogService* service);

// The Qt patterns of a "description|pattern" filter ("TXT (*.txt;*.csv)|*.txt;*.csv" becomes
// "TXT (*.txt;*.csv) (*.txt *.csv)"), one entry per pair; a lone description counts as "*".
std::vector<AnsiString> SplitDialogFilter(const AnsiString& filter);
// The name with the default extension added when it has none.
AnsiString ApplyDefaultExt(const AnsiString& fileName, const AnsiString& defaultExt);

}  // namespace orv
