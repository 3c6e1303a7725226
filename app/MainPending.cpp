// Handlers of the main window whose pages are filled in by the mail store, the accounts, the
// options, the address table and the send run. Until each of them arrives its handlers keep the
// window's state as it is; the bodies below are where they go.
#include "app/MainUnit.h"

namespace orv {

// ----- Address table: opened, created, imported into and filtered through Table1. -----

void TMainForm::Button1Click(TObject*) {}
void TMainForm::FilenameEdit1Change(TObject*) {
  // Closing and opening the table come first; the options follow the chosen file.
  SaveOptions();
}
void TMainForm::ImportBtnClick(TObject*) {}
void TMainForm::FilterBtnClick(TObject*) {}
void TMainForm::PageControl2Change(TObject*) {}
void TMainForm::PostAddressTable() {}

// ----- Mail store (mails.dat) and the "Write emails" page. -----

void TMainForm::OpenMails() {}
void TMainForm::SaveMails() {}
void TMainForm::ListMails() {}
void TMainForm::FreeMails() { FMails.reset(); FMail = nullptr; }
void TMainForm::NewBtnClick(TObject*) {}
void TMainForm::DelBtnClick(TObject*) {}
void TMainForm::ListView1DblClick(TObject*) {}
void TMainForm::ListView1Change(TObject*, TListItem*, TItemChange) {}
void TMainForm::ListView1KeyDown(TObject*, Word&, TShiftState) {}
void TMainForm::ListView1MouseDown(TObject*, TMouseButton, TShiftState, Integer, Integer) {}

// ----- Sender accounts (konten.dat) and the "eMail accounts" page. -----

void TMainForm::OpenKonten() {}
void TMainForm::SaveKonten() {}
void TMainForm::ListKonten() {}
void TMainForm::FreeKonten() { FKonten.reset(); FKonto = nullptr; }
void TMainForm::NewKontoBtnClick(TObject*) {}
void TMainForm::EditKontoBtnClick(TObject*) {}
void TMainForm::DelKontoBtnClick(TObject*) {}
void TMainForm::ListView2Change(TObject*, TListItem*, TItemChange) {}
void TMainForm::ListView2KeyDown(TObject*, Word&, TShiftState) {}

// ----- Send options (options.dat). -----

void TMainForm::OpenOptions() {}
void TMainForm::SaveOptions() {
  // The change events that reading the window and loading the files fire write nothing back.
  if (FLoading || ComponentState().Contains(csLoading)) return;
}
void TMainForm::MailFieldEdChange(TObject*) { SaveOptions(); }
void TMainForm::bccCountEdChange(TObject*) { SaveOptions(); }
void TMainForm::VirusEdChange(TObject*) { SaveOptions(); }
void TMainForm::PersonalCheckClick(TObject*) { SaveOptions(); }
void TMainForm::bccCheckClick(TObject*) { SaveOptions(); }
void TMainForm::AbsenderComboChange(TObject*) {
  FKontoIndex = AbsenderCombo->ItemIndex();
  SaveOptions();
}

// ----- Send run. -----

void TMainForm::SendBtnClick(TObject*) {
  if (FSending) {
    CancelSendRun();
    return;
  }
}

}  // namespace orv
