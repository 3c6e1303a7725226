// The mail store's file half on the main window: mails.dat read into FMails and written back,
// the "Write emails" list filled from it, and the mails freed.
#include "app/MailStore.h"
#include "app/MainUnit.h"
#include "platform/forms/DialogService.h"

namespace orv {

namespace {
AnsiString MailsFileName(const AnsiString& appDir) { return appDir + "mails.dat"; }
}  // namespace

void TMainForm::OpenMails() {
  if (FMails == nullptr) FMails = std::make_unique<TDynaArray<TMailRec>>(&FMail);
  const TDataFileResult result = OpenMailsFile(MailsFileName(FAppDir), *FMails);
  // The mails read before the damage are kept; the file as found is kept beside it.
  if (result.Damaged())
    DialogService().MessageBox(DamagedFileMessage(result), Application->Title(), MB_OK | MB_ICONWARNING);
}

void TMainForm::SaveMails() {
  if (FMails == nullptr) return;
  SaveMailsFile(MailsFileName(FAppDir), *FMails);
}

void TMainForm::ListMails() {
  if (ListView1 == nullptr) return;
  TListItems& items = ListView1->Items();
  items.BeginUpdate();
  items.Clear();
  if (FMails != nullptr)
    for (Integer i = 0; i < FMails->Count(); ++i) {
      TListItem* item = items.Add();
      item->SubItems().Add((*FMails)[i].Subject);
      item->SubItems().Add(StoredMailDateText((*FMails)[i].Date));
    }
  items.EndUpdate();
  // The rows are new and none is selected: the delete button and the preview must not go on
  // showing a mail that was just changed or deleted.
  ListView1Change(ListView1, nullptr, ctState);
}

void TMainForm::FreeMails() {
  // A running send run copied what it sends when it started.
  FMails.reset();
  FMail = nullptr;
}

}  // namespace orv
