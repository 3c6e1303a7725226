// The extended controls in the property registry, so window descriptions create them by class
// name and set their published properties.
#pragma once

namespace orv {

// Registers TOrvSpinEdit, TOrvSpinButton, TOrvUpDown, TVorelColorComboBox, TBitBtnXP and TImageBtn
// with their published properties (and the class library's classes they build on). Idempotent;
// call it before the first window that places them is read from its description.
void RegisterExtendedControls();

}  // namespace orv
