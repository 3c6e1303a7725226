// The window a control floats in when a dock drag ends outside every dock site.
#pragma once
#include "platform/forms/Forms.h"

namespace orv {

// A small tool window holding one floating control in its client area. It is a dock site of its
// own kind: the control leaves it by being docked elsewhere, and the window is freed then.
class TCustomDockForm : public TCustomForm {
 public:
  explicit TCustomDockForm(TComponent* owner);
  // The floating control (nullptr once it has left).
  TControl* DockedControl() const { return ControlCount() > 0 ? Controls(0) : nullptr; }
};

}  // namespace orv
