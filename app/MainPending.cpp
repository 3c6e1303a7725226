// Handlers of the main window whose pages are filled in by the mail store, the address table
// and the send run. Until each of them arrives its handlers keep the
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
std::vector<TSendRecipient> TMainForm::TableRecipients(bool) { return {}; }
TPlaceholderFields TMainForm::RecipientFields(const TSendRecipient&) { return {}; }

// ----- Mail store (mails.dat) and the "Write emails" page. -----

void TMainForm::NewBtnClick(TObject*) {}
void TMainForm::DelBtnClick(TObject*) {}
void TMainForm::ListView1DblClick(TObject*) {}
void TMainForm::ListView1Change(TObject*, TListItem*, TItemChange) {}
void TMainForm::ListView1KeyDown(TObject*, Word&, TShiftState) {}
void TMainForm::ListView1MouseDown(TObject*, TMouseButton, TShiftState, Integer, Integer) {}

}  // namespace orv
