// TCustomDockForm: a tool window without description, sized by the control it floats.
#include "platform/forms/DockForm.h"

namespace orv {

TCustomDockForm::TCustomDockForm(TComponent* owner) : TCustomForm(owner) {
  FBorderStyle = bsSizeToolWin;
}

}  // namespace orv
