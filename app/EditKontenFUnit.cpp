// The account dialog and its registration.
#include "app/EditKontenFUnit.h"

#include "app/FormTeardown.h"

namespace orv {

TEditKontenForm* EditKontenForm = nullptr;

TEditKontenForm::~TEditKontenForm() {
  TearDownForm(*this);
  if (EditKontenForm == this) EditKontenForm = nullptr;
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
      .Field("CancelBtn", &F::CancelBtn);
}

}  // namespace orv
