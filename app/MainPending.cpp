// Handlers of the main window whose pages are filled in by the mail store. Until it arrives its
// handlers keep the window's state as it is; the bodies below are where they go.
#include "app/MainUnit.h"

namespace orv {

// ----- Mail store (mails.dat) and the "Write emails" page. -----

void TMainForm::NewBtnClick(TObject*) {}
void TMainForm::DelBtnClick(TObject*) {}
void TMainForm::ListView1DblClick(TObject*) {}
void TMainForm::ListView1Change(TObject*, TListItem*, TItemChange) {}
void TMainForm::ListView1KeyDown(TObject*, Word&, TShiftState) {}
void TMainForm::ListView1MouseDown(TObject*, TMouseButton, TShiftState, Integer, Integer) {}

}  // namespace orv
