// The account dialog: sender name, sender and reply addresses and the SMTP server of one account.
#pragma once
#include "controls/XPStyleButtons.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

// Lives as long as the application and is reused for every account; OK and Cancel close it with
// their modal results.
class TEditKontenForm : public TForm {
 public:
  explicit TEditKontenForm(TComponent* owner) : TForm(owner) {}
  ~TEditKontenForm() override;
  TEdit* AbsenderEd = nullptr;
  TEdit* EmailEd = nullptr;
  TEdit* AntwortEd = nullptr;
  TEdit* ServerEd = nullptr;
  TEdit* UserEd = nullptr;
  TEdit* PasswordEd = nullptr;
  TBitBtnXP* OKBtn = nullptr;
  TBitBtnXP* CancelBtn = nullptr;

  void FormShow(TObject* sender);
  // OK is refused while a text could not be stored whole in konten.dat: the user is told which
  // one and the dialog stays open, so nothing is ever cut.
  void FormCloseQuery(TObject* sender, bool& canClose);
  // The message for the first text that does not fit, or empty when all fit.
  AnsiString CheckTexts() const;
};

extern TEditKontenForm* EditKontenForm;

void RegisterEditKontenFormClass();

}  // namespace orv
