// The wide-character layer's module steps, each unit's own steps in the order of their units.
#include "widechar/WideCharModules.h"

#include "platform/forms/Forms.h"
#include "widechar/UniActnList.h"
#include "widechar/UniClasses.h"
#include "widechar/UniControls.h"
#include "widechar/UniDialogs.h"
#include "widechar/UniForms.h"
#include "widechar/UniMenus.h"
#include "widechar/UniSystem.h"

namespace orv {

void InitWidePlatformFlags() {
  InitUniSystem();
  InitUniSysUtils();
  InitUniDialogs();
}

void FinalizeWidePlatformFlags() { FinalizeUniDialogs(); }

void InitWideForms() {
  // The wide classes derive from the class library's, which may not be registered yet.
  RegisterFormsClasses();
  RegisterUniActionClasses();
  RegisterUniMenuClasses();
  RegisterUniControlClasses();
  RegisterUniFormClasses();
  InitUniClasses();
  InitUniForms();
}

void FinalizeWideForms() { FinalizeUniForms(); }

void InitWideMenus() { InitUniMenus(); }
void FinalizeWideMenus() { FinalizeUniMenus(); }

void InitWideControls() { InitUniControls(); }
void FinalizeWideControls() { FinalizeUniControls(); }

}  // namespace orv
