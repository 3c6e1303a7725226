// The about box and its registration.
#include "app/AboutBoxUnit.h"

#include "app/FormTeardown.h"
#include "app/ShellOpen.h"

namespace orv {

TAboutBox::~TAboutBox() { TearDownForm(*this); }

void TAboutBox::BitBtnXP1Click(TObject*) { ShellOpen(BitBtnXP1->Caption()); }

void RegisterAboutBoxClass() {
  using F = TAboutBox;
  RegisterClassType<F, TForm>("TAboutBox")
      .Field("Panel1", &F::Panel1)
      .Field("ProgramIcon", &F::ProgramIcon)
      .Field("ProductName", &F::ProductName)
      .Field("Version", &F::Version)
      .Field("Copyright", &F::Copyright)
      .Field("MailLabel", &F::MailLabel)
      .Field("BitBtnXP1", &F::BitBtnXP1)
      .Field("OKButton", &F::OKButton)
      .Method("BitBtnXP1Click", &F::BitBtnXP1Click);
}

}  // namespace orv
