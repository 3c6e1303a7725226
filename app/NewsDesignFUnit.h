// The newsletter designer: colours, fonts, size and captions of the newsletter frame of a design.
#pragma once
#include "platform/forms/Forms.h"

namespace orv {

// Lives as long as the application; the mail editor shows it modally.
class TNewsDesignForm : public TForm {
 public:
  explicit TNewsDesignForm(TComponent* owner) : TForm(owner) {}
  ~TNewsDesignForm() override;
};

extern TNewsDesignForm* NewsDesignForm;

void RegisterNewsDesignFormClass();

}  // namespace orv
