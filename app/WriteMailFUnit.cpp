// The mail editor window and its registration.
#include "app/WriteMailFUnit.h"

#include "app/FormTeardown.h"

namespace orv {

TWriteMailForm* WriteMailForm = nullptr;

TWriteMailForm::~TWriteMailForm() {
  TearDownForm(*this);
  if (WriteMailForm == this) WriteMailForm = nullptr;
}

void RegisterWriteMailFormClass() { RegisterClassType<TWriteMailForm, TForm>("TWriteMailForm"); }

}  // namespace orv
