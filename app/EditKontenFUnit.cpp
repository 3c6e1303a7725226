// The account dialog, its checks before OK and its registration.
#include "app/EditKontenFUnit.h"

#include "app/FormTeardown.h"
#include "app/KontenStore.h"
#include "platform/forms/DialogService.h"
#include "platform/rtl/CodePages.h"

namespace orv {

TEditKontenForm* EditKontenForm = nullptr;

TEditKontenForm::~TEditKontenForm() {
  TearDownForm(*this);
  if (EditKontenForm == this) EditKontenForm = nullptr;
}

void TEditKontenForm::FormShow(TObject*) {
  if (AbsenderEd != nullptr && AbsenderEd->CanFocus()) AbsenderEd->SetFocus();
  SetActiveControl(AbsenderEd);
}

AnsiString TEditKontenForm::CheckTexts() const {
  const std::pair<const char*, TEdit*> texts[] = {
      {"Sender name:", AbsenderEd},     {"Sender email address:", EmailEd},
      {"Return email addresse:", AntwortEd}, {"Outgoing STMP email server:", ServerEd},
      {"User name (if necessary):", UserEd}};
  for (const auto& [label, edit] : texts) {
    AnsiString message = CheckKontoText(label, AnsiToWide(edit->GetText()));
    if (!message.empty()) return message;
  }
  return CheckKontoPassword(AnsiToWide(PasswordEd->GetText()));
}

void TEditKontenForm::FormCloseQuery(TObject*, bool& canClose) {
  if (ModalResult() != mrOk) return;
  const AnsiString message = CheckTexts();
  if (message.empty()) return;
  canClose = false;
  DialogService().MessageBox(message, Caption(), MB_OK | MB_ICONWARNING);
}

void RegisterEditKontenFormClass() {
  using F = TEditKontenForm;
  RegisterClassType<F, TForm>("TEditKontenForm")
      .Field("AbsenderEd", &F::AbsenderEd)
      .Field("EmailEd", &F::EmailEd)
      .Field("AntwortEd", &F::AntwortEd)
      .Field("ServerEd", &F::ServerEd)
      .Field("UserEd", &F::UserEd)
      .Field("PasswordEd", &F::PasswordEd)
      .Field("OKBtn", &F::OKBtn)
      .Field("CancelBtn", &F::CancelBtn)
      .Method("FormShow", &F::FormShow)
      .Method("FormCloseQuery", &F::FormCloseQuery);
}

}  // namespace orv
