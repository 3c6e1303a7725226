// The mail editor window: subject, design, written HTML, plain text and attachments of one mail.
#pragma once
#include "platform/forms/Forms.h"

namespace orv {

// Lives as long as the application and is reused for every mail; the main window fills it before
// showing it and reads it back when it closes with OK.
class TWriteMailForm : public TForm {
 public:
  explicit TWriteMailForm(TComponent* owner) : TForm(owner) {}
  ~TWriteMailForm() override;
};

extern TWriteMailForm* WriteMailForm;

void RegisterWriteMailFormClass();

}  // namespace orv
