// The newsletter designer window and its registration.
#include "app/NewsDesignFUnit.h"

#include "app/FormTeardown.h"

namespace orv {

TNewsDesignForm* NewsDesignForm = nullptr;

TNewsDesignForm::~TNewsDesignForm() {
  TearDownForm(*this);
  if (NewsDesignForm == this) NewsDesignForm = nullptr;
}

void RegisterNewsDesignFormClass() { RegisterClassType<TNewsDesignForm, TForm>("TNewsDesignForm"); }

}  // namespace orv
