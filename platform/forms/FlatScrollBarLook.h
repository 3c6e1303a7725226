// Flat scroll bars on the screen: a window whose flat scroll bars are turned on shows its widget's
// scroll bars flat, without the raised edges of arrows and thumb.
#pragma once

class QStyle;

namespace orv {

// Makes the forms layer hear of flat scroll bars turned on and off (idempotent).
void InstallFlatScrollBarLook();
// The style that flat scroll bars are drawn with (made at first use, freed with the Qt application).
QStyle* FlatScrollBarStyle();

}  // namespace orv
