// The main window: its four pages (address table, writing mails, accounts, sending), the status bar
// with its owner-drawn progress panel, and the window's start-up and shut-down.
#pragma once
#include <memory>
#include <optional>
#include "app/FillPlaceholders.h"
#include "app/MailRecords.h"
#include "controls/FilenameEdit.h"
#include "controls/ImageBtnUnit.h"
#include "controls/OrvLabel.h"
#include "controls/OrvSpin.h"
#include "controls/XPStyleButtons.h"
#include "dbf/DbfTable.h"
#include "mail/VudeMail.h"
#include "platform/db/DataSource.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/DBCtrls.h"
#include "platform/forms/DBGrids.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

// The window message that sets the progress panel; its first parameter is the percentage.
inline constexpr UINT WM_PROGRESSPANEL = 1024;
// The web address of the program's maker (the caption of the web button).
inline constexpr const char* MakerWebAddress = "www.orvinta.example";

class TMainForm : public TForm {
 public:
  explicit TMainForm(TComponent* owner);
  ~TMainForm() override;

  // Controls, set from the window description.
  TPanel* TopPanel = nullptr;
  TImageBtn* QuitBtn = nullptr;
  TImageBtn* AboutBtn = nullptr;
  TSpeedButton* wwwBtn = nullptr;
  TPageControl* PageControl2 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TTabSheet* TabSheet3 = nullptr;
  TTabSheet* TabSheet4 = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  // Each page's heading, and the titles of its sections.
  TOrvLabel* DataBaseHeading = nullptr;
  TOrvLabel* RecordsTitle = nullptr;
  TOrvLabel* MailsHeading = nullptr;
  TOrvLabel* AccountsHeading = nullptr;
  TOrvLabel* SendHeading = nullptr;
  TOrvLabel* AddressesTitle = nullptr;
  TOrvLabel* ErrorLogTitle = nullptr;
  // "eMail data base "
  TFilenameEdit* FilenameEdit1 = nullptr;
  TBitBtnXP* Button1 = nullptr;
  TBitBtnXP* ImportBtn = nullptr;
  TEdit* FilterEd = nullptr;
  TBitBtnXP* FilterBtn = nullptr;
  TOrvSpinEdit* MailFieldEd = nullptr;
  TDBNavigator* DBNavigator2 = nullptr;
  TDBGrid* DBGrid2 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  // "Write emails"
  TBitBtnXP* NewBtn = nullptr;
  TBitBtnXP* DelBtn = nullptr;
  TListView* ListView1 = nullptr;
  TPanel* Panel19 = nullptr;
  TOrvLabel* Label8 = nullptr;
  TOrvLabel* Label9Betreff = nullptr;
  TRichEdit* RichEdit1 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  // "eMail accounts"
  TBitBtnXP* NewKontoBtn = nullptr;
  TBitBtnXP* EditKontoBtn = nullptr;
  TBitBtnXP* DelKontoBtn = nullptr;
  TListView* ListView2 = nullptr;
  // "Send emails"
  TComboBox* AbsenderCombo = nullptr;
  TComboBox* MailCombo = nullptr;
  TRadioButton* AlleEmpfCheck = nullptr;
  TRadioButton* SelectedEmpfCheck = nullptr;
  TRadioButton* OneEmpfCheck = nullptr;
  TEdit* EmpfEd = nullptr;
  TRadioButton* PersonalCheck = nullptr;
  TRadioButton* bccCheck = nullptr;
  TOrvSpinEdit* bccCountEd = nullptr;
  TOrvSpinEdit* VirusEd = nullptr;
  TListView* ListView3 = nullptr;
  // The address table and its source for the grid and navigator; owned by the window.
  TDbfTable* Table1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TBitBtnXP* SendBtn = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TLabel* statlabel = nullptr;
  TMemo* ErrorLog = nullptr;

  // Lifecycle.
  void FormCreate(TObject* sender);
  void FormDestroy(TObject* sender);
  // A close asked for during a send run cancels the run and closes once the run has unwound.
  void FormCloseQuery(TObject* sender, bool& canClose);

  // Small handlers.
  void QuitBtnClick(TObject* sender);
  void AboutBtnClick(TObject* sender);
  void wwwBtnClick(TObject* sender);
  void RichEdit1Enter(TObject* sender);
  void RichEdit1Exit(TObject* sender);

  // The progress panel (status panel 1).
  void StatusBar1DrawPanel(TStatusBar* statusBar, TStatusPanel* panel, const TRect& rect);
  // Paints the progress over the kept image of the bar, without a repaint.
  void SBarPaintMore();
  // Grows by painting over; shrinks by repainting the bar. Kept within 0..100.
  void SetProStatus(Integer percent);
  Integer ProgressPercent() const { return FProgressPercent; }
  const TRect& ProgressRect() const { return FProgressRect; }

  // The send run brackets itself with these (the button turns into "Cancel" in between).
  void BeginSendRun();
  void EndSendRun();
  // Asks the running send run to stop after the current mail and drops its connection.
  void CancelSendRun();
  bool Sending() const { return FSending; }
  bool Cancelled() const { return FCancelled; }

  const AnsiString& AppDir() const { return FAppDir; }
  bool Loading() const { return FLoading; }
  TDynaArray<TMailRec>* Mails() const { return FMails.get(); }
  TDynaArray<TKontoRec>* Konten() const { return FKonten.get(); }

  // Address table page.
  void Button1Click(TObject* sender);
  void FilenameEdit1Change(TObject* sender);
  // Names the address table in FilenameEdit1, which opens it through FilenameEdit1Change (also
  // when the name is the one it holds).
  void ChooseTableFile(const AnsiString& name);
  void ImportBtnClick(TObject* sender);
  void FilterBtnClick(TObject* sender);
  void PageControl2Change(TObject* sender);
  void Table1FilterRecord(TDataSet* dataSet, bool& accept);
  void Table1BeforeAutoCreate(TDbfTable* dbf, bool& doCreate);
  // Mail page.
  // Fills the editor and the designer from a mail (nullptr: a new mail) without running their
  // change handlers, and shows the editor; true when it closed with OK.
  bool EditMail(const TMailRec* mail);
  // The editor's field list: the address table's field names in order, the first chosen.
  void FillFieldNames();
  void NewBtnClick(TObject* sender);
  void DelBtnClick(TObject* sender);
  void ListView1DblClick(TObject* sender);
  void ListView1Change(TObject* sender, TListItem* item, TItemChange change);
  void ListView1KeyDown(TObject* sender, Word& key, TShiftState shift);
  void ListView1MouseDown(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  // Account page.
  void NewKontoBtnClick(TObject* sender);
  void EditKontoBtnClick(TObject* sender);
  void DelKontoBtnClick(TObject* sender);
  void ListView2Change(TObject* sender, TListItem* item, TItemChange change);
  void ListView2KeyDown(TObject* sender, Word& key, TShiftState shift);
  // Options.
  void MailFieldEdChange(TObject* sender);
  void bccCountEdChange(TObject* sender);
  void VirusEdChange(TObject* sender);
  void PersonalCheckClick(TObject* sender);
  void bccCheckClick(TObject* sender);
  void AbsenderComboChange(TObject* sender);
  // Send page.
  void SendBtnClick(TObject* sender);
  // The message and session of the send run. The session sends Msg; Msg outlives it.
  std::unique_ptr<TMailMessage> Msg = NewSendMessage();
  std::unique_ptr<TSMTPSession> SMTP = NewSendSession(*Msg);
  static std::unique_ptr<TMailMessage> NewSendMessage();
  static std::unique_ptr<TSMTPSession> NewSendSession(TMailMessage& message);
  // One run to recipients already gathered, uniform (batches in Bcc) or personalised; the
  // recipients are copied, so nothing the window changes during the run reaches the loop.
  // Each value must be one plain address; every address that gets no mail has its own line in
  // the error log. A refused value or a failed mail counts each of its addresses as failed; a
  // recipient the server refuses in a mail that still goes to the others is logged only.
  void SendTo(const std::vector<TSendRecipient>& recipients, bool uniform);
  // The recipients of the send page's radios, read once when a run starts.
  std::vector<TSendRecipient> GatherRecipients();
  // A body filled for the recipient of a personalised mail; raises when the table cannot give
  // the record, so the mail is not sent with its placeholders unfilled. With `record`, the
  // recipient's fields are read into it on first use and taken from it after that, so the bodies
  // of one mail share one read of the record.
  AnsiString FillPlaceholders(const AnsiString& text, bool uniform, const TSendRecipient& recipient,
                              std::optional<TPlaceholderFields>* record = nullptr);
  // The address table's side of the run: the send page's rows (all or the selected ones) with
  // their record positions and bookmarks, and one recipient's fields (raises when the table fails).
  std::vector<TSendRecipient> TableRecipients(bool selectedOnly);
  TPlaceholderFields RecipientFields(const TSendRecipient& recipient);

  // The files and lists of the mails, accounts and options.
  void OpenMails();
  void SaveMails();
  void ListMails();
  void FreeMails();
  void OpenKonten();
  void SaveKonten();
  void ListKonten();
  void FreeKonten();
  void OpenOptions();
  void SaveOptions();

 private:
  TApplication* OwningApplication() const;
  void PaintProgress(TCanvas& canvas) const;
  void WMUser(TMessage& message);
  // Puts the address table's pending edit into the file, swallowing its errors.
  void PostAddressTable();
  // Builds Table1 and DataSource1 before the window description binds its controls.
  void CreateAddressTable();
  // The rows of ListView3 with their record positions and bookmarks, row for row.
  std::vector<TSendRecipient> FAddressRows;

  TRect FProgressRect{};
  Integer FProgressPercent = 0;
  AnsiString FAppDir;
  std::unique_ptr<TDynaArray<TMailRec>> FMails;
  TMailRec* FMail = nullptr;
  std::unique_ptr<TDynaArray<TKontoRec>> FKonten;
  TKontoRec* FKonto = nullptr;
  Integer FKontoIndex = 0;
  bool FLoading = false;
  bool FSending = false;
  bool FCancelled = false;
  bool FCloseAfterRun = false;
};

extern TMainForm* MainForm;

// Registers the main window's class with its controls and handlers (idempotent).
void RegisterMainFormClass();

}  // namespace orv
