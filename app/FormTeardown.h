// The first step of every application window's destructor.
#pragma once
#include "platform/forms/Forms.h"

namespace orv {

// Runs the form's OnDestroy while its controls still exist, then frees the controls while the
// form is still whole: freeing a control clears the form's field of the same name, which must not
// happen once the window's own class has been torn down. Call it first in the most derived
// destructor.
inline void TearDownForm(TCustomForm& form) {
  TNotifyEvent onDestroy = form.OnDestroy;
  form.OnDestroy = nullptr;  // the form's own destructor must not run it a second time
  try {
    onDestroy(&form);
  } catch (const std::exception& e) {
    HandleControlException(e);
  }
  form.Destroying();
  form.DestroyComponents();
}

}  // namespace orv
