// The newsletter designer window and its registration.
#include "app/NewsDesignFUnit.h"

#include "app/FormTeardown.h"

namespace orv {

TNewsDesignForm* NewsDesignForm = nullptr;

TNewsDesignForm::~TNewsDesignForm() {
  TearDownForm(*this);
  if (NewsDesignForm == this) NewsDesignForm = nullptr;
}

TNewsletterFrame NewsletterFrame() {
  return NewsDesignForm != nullptr ? NewsDesignForm->Frame() : TNewsletterFrame{};
}

void RegisterNewsDesignFormClass() { RegisterClassType<TNewsDesignForm, TForm>("TNewsDesignForm"); }

}  // namespace orv
