// The start and exit steps of the wide-character layer as the program's module list runs them, in
// their places among the other modules: the platform flags first; then the wide forms with the
// application companion and its message hook; the wide menus; the wide controls.
#pragma once

namespace orv {

// The conversion code page, the platform flags and the dialog button names.
void InitWidePlatformFlags();
void FinalizeWidePlatformFlags();
// The wide classes registered, wide streaming on, the application companion and its message hook.
void InitWideForms();
void FinalizeWideForms();
// The wide popup list.
void InitWideMenus();
void FinalizeWideMenus();
// The caption holders, the spare traps and the window-property atoms.
void InitWideControls();
void FinalizeWideControls();

}  // namespace orv
