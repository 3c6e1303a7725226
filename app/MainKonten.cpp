// The main window's sender accounts: konten.dat loaded and saved, the "eMail accounts" page and
// the account dialog driven from it.
#include "app/EditKontenFUnit.h"
#include "app/KontenStore.h"
#include "app/MainUnit.h"
#include "platform/forms/DialogService.h"

namespace orv {

namespace {

AnsiString KontenFileName(const AnsiString& appDir) { return appDir + "konten.dat"; }

// Texts of the dialog into the account; the password is stored scrambled.
void DialogToKonto(const TEditKontenForm& dialog, TKontoRec& konto) {
  konto.SenderName = dialog.AbsenderEd->GetText();
  konto.SenderAddress = dialog.EmailEd->GetText();
  konto.ReplyAddress = dialog.AntwortEd->GetText();
  konto.Server = dialog.ServerEd->GetText();
  konto.UserName = dialog.UserEd->GetText();
  konto.Password = ScramblePassword(dialog.PasswordEd->GetText());
}

}  // namespace

void TMainForm::OpenKonten() {
  if (!FKonten) FKonten = std::make_unique<TDynaArray<TKontoRec>>(&FKonto);
  const TDataFileResult result = OpenKontenFile(KontenFileName(FAppDir), *FKonten);
  if (result.Damaged())
    DialogService().MessageBox(DamagedFileMessage(result), Application->Title(), MB_OK | MB_ICONWARNING);
}

void TMainForm::SaveKonten() {
  // A file that cannot be written is passed over without a message; the old one stays whole.
  if (FKonten) (void)SaveKontenFile(KontenFileName(FAppDir), *FKonten);
}

void TMainForm::ListKonten() {
  TListItems& items = ListView2->Items();
  items.BeginUpdate();
  items.Clear();
  if (FKonten) {
    for (Integer i = 0; i < FKonten->Count(); ++i) {
      const TKontoRec& konto = (*FKonten)[i];
      TListItem* item = items.Add();
      item->SetCaption(konto.SenderName);
      item->SubItems().Add(konto.SenderAddress);
      item->SubItems().Add(konto.Server);
    }
  }
  items.EndUpdate();
  ListView2Change(ListView2, nullptr, ctState);
}

void TMainForm::FreeKonten() {
  FKonten.reset();
  FKonto = nullptr;
}

void TMainForm::NewKontoBtnClick(TObject*) {
  TEditKontenForm* dialog = EditKontenForm;
  if (dialog == nullptr || !FKonten) return;
  for (TEdit* edit : {dialog->AbsenderEd, dialog->EmailEd, dialog->AntwortEd, dialog->ServerEd,
                      dialog->UserEd, dialog->PasswordEd})
    edit->SetText("");
  if (dialog->ShowModal() != mrOk) return;
  DialogToKonto(*dialog, *FKonten->Append());
  ListKonten();
  SaveKonten();
}

void TMainForm::EditKontoBtnClick(TObject*) {
  TEditKontenForm* dialog = EditKontenForm;
  TListItem* row = ListView2->Selected();
  if (row == nullptr || dialog == nullptr || !FKonten) return;
  const Integer index = row->Index();
  if (index < 0 || index >= FKonten->Count()) return;
  const TKontoRec* konto = FKonten->Select(index);
  dialog->AbsenderEd->SetText(konto->SenderName);
  dialog->EmailEd->SetText(konto->SenderAddress);
  dialog->AntwortEd->SetText(konto->ReplyAddress);
  dialog->ServerEd->SetText(konto->Server);
  dialog->UserEd->SetText(konto->UserName);
  dialog->PasswordEd->SetText(DeCodePassw(konto->Password));
  if (dialog->ShowModal() != mrOk) return;
  // The array may not have moved while the dialog was up, but its element is looked up afresh.
  if (index >= FKonten->Count()) return;
  DialogToKonto(*dialog, (*FKonten)[index]);
  ListKonten();
  SaveKonten();
}

void TMainForm::DelKontoBtnClick(TObject*) {
  if (ListView2->Selected() == nullptr || !FKonten) return;
  if (DialogService().MessageBox("Do you want to delete all selected accounts?", "Delete",
                                 MB_YESNO | MB_ICONINFORMATION) != IDYES)
    return;
  TListItems& items = ListView2->Items();
  for (Integer i = items.Count() - 1; i >= 0; --i)
    if (items[i]->Selected()) FKonten->Delete(i);
  ListKonten();
  SaveKonten();
}

void TMainForm::ListView2Change(TObject*, TListItem*, TItemChange) {
  const bool selected = ListView2->Selected() != nullptr;
  EditKontoBtn->SetEnabled(selected);
  DelKontoBtn->SetEnabled(selected);
}

void TMainForm::ListView2KeyDown(TObject*, Word& key, TShiftState) {
  if (key == 13) EditKontoBtnClick(this);
  else if (key == 46) DelKontoBtnClick(this);
}

}  // namespace orv
