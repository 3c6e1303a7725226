// The mail editor window: subject, design, written HTML, plain text and attachments of one mail.
#pragma once
#include <vector>
#include "controls/XPStyleButtons.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "platform/forms/WebBrowser.h"

namespace orv {

// Lives as long as the application and is reused for every mail; the main window fills it before
// showing it and reads it back when it closes with OK. It never reads or writes the mail store.
class TWriteMailForm : public TForm {
 public:
  explicit TWriteMailForm(TComponent* owner) : TForm(owner) {}
  ~TWriteMailForm() override;

  // Controls, set from the window description.
  TEdit* Edit1 = nullptr;
  TRadioButton* MailTyp1 = nullptr;
  TRadioButton* MailTyp2 = nullptr;
  TRadioButton* MailTyp3 = nullptr;
  TCheckBox* AutoCreateCheck = nullptr;
  TComboBox* FelderCombo = nullptr;
  TBitBtnXP* InsertField = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TListView* ListView1 = nullptr;
  TBitBtnXP* AttachBtn = nullptr;
  TBitBtnXP* DelAttachBtn = nullptr;
  TBitBtnXP* DelAllAttachBtn = nullptr;
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;  // "Design"
  TTabSheet* TabSheet2 = nullptr;  // "Blank HTML"
  TTabSheet* TabSheet3 = nullptr;  // "Blank text"
  TPageControl* PageControl2 = nullptr;  // the design's "Edit", "Source code", "Preview"
  TPageControl* PageControl3 = nullptr;  // the written HTML's "Edit", "Preview"
  TRichEdit* RichEdit1 = nullptr;
  TMemo* Memo1 = nullptr;  // written HTML
  TMemo* Memo2 = nullptr;  // plain text
  TMemo* Memo3 = nullptr;  // HTML generated from the design
  TBitBtnXP* EditBtn = nullptr;
  TWebBrowser* WebBrowser1 = nullptr;
  TWebBrowser* WebBrowser2 = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;
  TBitBtnXP* HTMLImport = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TSpeedButton* PLeftBtn = nullptr;
  TSpeedButton* PCenterBtn = nullptr;
  TSpeedButton* PRightBtn = nullptr;
  TSpeedButton* BoldBtn = nullptr;
  TSpeedButton* ItalicBtn = nullptr;
  TSpeedButton* UnderlineBtn = nullptr;
  TSpeedButton* FColorBtn = nullptr;
  TSpeedButton* BkColorBtn = nullptr;
  TSpeedButton* NumberingBtn = nullptr;
  TSpeedButton* PicBtn = nullptr;
  TComboBox* FontName = nullptr;
  TComboBox* FontSize = nullptr;
  TBitBtnXP* ImportBtn = nullptr;
  TRadioButton* NewsCheck = nullptr;
  TRadioButton* NormalCheck = nullptr;
  TBitBtnXP* NewsConfigBtn = nullptr;
  TTimer* Timer1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;  // attachments
  TOpenDialog* OpenDialog2 = nullptr;  // pictures
  TOpenDialog* OpenDialog3 = nullptr;  // RTF import
  TOpenDialog* OpenDialog4 = nullptr;  // HTML import
  TColorDialog* ColorDialog1 = nullptr;

  // Window lifecycle.
  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void SpeedButton1Click(TObject* sender);
  void GetFontNames();

  // Mail type and the text kept from the HTML.
  void MailTypClick();
  void MailTyp1Click(TObject* sender);
  void MailTyp2Click(TObject* sender);
  void MailTyp3Click(TObject* sender);
  void AutoCreateCheckClick(TObject* sender);
  void PageControl1Change(TObject* sender);
  void Memo1Change(TObject* sender);
  void HTMLToText();
  void RTFToHTML();
  // The design as HTML into Memo3: framed as a newsletter when NewsCheck is checked.
  void BuildDesignHTML();
  void RichEdit1Change(TObject* sender);
  void Timer1Timer(TObject* sender);
  void NewsConfigBtnClick(TObject* sender);
  void NewsCheckClick(TObject* sender);
  void EditBtnClick(TObject* sender);

  // Design tool bar.
  TTextAttributes& CurrText();
  void PLeftBtnClick(TObject* sender);
  void PCenterBtnClick(TObject* sender);
  void PRightBtnClick(TObject* sender);
  void BoldBtnClick(TObject* sender);
  void ItalicBtnClick(TObject* sender);
  void UnderlineBtnClick(TObject* sender);
  void FColorBtnClick(TObject* sender);
  void BkColorBtnClick(TObject* sender);
  void NumberingBtnClick(TObject* sender);
  void FontNameChange(TObject* sender);
  void FontSizeChange(TObject* sender);
  void RichEdit1SelectionChange(TObject* sender);
  void ImportBtnClick(TObject* sender);

  // Fields, pictures and attachments.
  void InsertFieldClick(TObject* sender);
  // Inserts text at the caret of a memo or the rich edit; the caret lands after it.
  static void InsertTextAtCaret(TCustomMemo& edit, const AnsiString& text);
  void PicBtnClick(TObject* sender);
  void AttachBtnClick(TObject* sender);
  void DelAttachBtnClick(TObject* sender);
  void DelAllAttachBtnClick(TObject* sender);
  void ListView1Change(TObject* sender, TListItem* item, TItemChange change);
  // Adds an attachment row for a file: caption its path, CID its upper-cased file name.
  void AddAttachment(const AnsiString& path);

  // Previews and the HTML import.
  void PageControl2Change(TObject* sender);
  void PageControl3Change(TObject* sender);
  // Writes the lines, with "CID:" references turned into the attachments' paths, into the
  // program folder's mail~.htm and shows it in the browser.
  void ShowPreview(const TMemo& source, TWebBrowser& browser);
  void HTMLImportClick(TObject* sender);

  // Filling the window from a mail runs none of the change handlers: between BeginFill and
  // EndFill the HTML is neither generated nor turned into text, and the design timer stays off.
  void BeginFill() { ++FFilling; }
  void EndFill();
  // Before the window's content is read back: a design change the timer has not yet turned into
  // HTML is turned now, so what is stored is what was designed.
  void FlushDesign();

 private:
  bool DesignEditShowing() const;
  bool HtmlEditShowing() const;
  bool FImporting = false;
  bool FBuildingHTML = false;
  bool FUpdatingToolbar = false;
  Integer FFilling = 0;
};

extern TWriteMailForm* WriteMailForm;

void RegisterWriteMailFormClass();

// The file name of a path without its folder ("/" or "\" ends the folder).
AnsiString PathFileName(const AnsiString& path);
// A picture's content id: its file name, a to z upper-cased.
AnsiString ContentIdOf(const AnsiString& path);
// True for a path that names a file by itself: a leading "/" or "\", or a drive letter and colon.
bool IsAbsoluteFilePath(const AnsiString& path);

// Preview lines: every double-quoted "CID:" + name becomes the quoted path of the first
// attachment whose content id equals name (case aside), or empty quotes when none does.
std::vector<AnsiString> PreviewLines(const std::vector<AnsiString>& lines,
                                     const std::vector<std::pair<AnsiString, AnsiString>>& attachments);

// The HTML import's scan of a file's lines: picture tags whose src names an existing file
// (absolute, or relative to base) get "CID:" + its content id, and found gives each such file's
// path in order. A tag split over lines is joined with a blank where the line broke.
struct THtmlImport {
  std::vector<AnsiString> Lines;
  std::vector<AnsiString> Pictures;
};
THtmlImport ImportHtmlLines(const std::vector<AnsiString>& lines, const AnsiString& base,
                            const std::function<void(Integer percent)>& progress = {});

}  // namespace orv
