// The wide-character layer's module steps, each unit's own steps in the order of their units.
#include "widechar/WideCharModules.h"

#include "widechar/UniDialogs.h"
#include "widechar/UniSystem.h"

namespace orv {

void InitWidePlatformFlags() {
  InitUniSystem();
  InitUniSysUtils();
  InitUniDialogs();
}

void FinalizeWidePlatformFlags() { FinalizeUniDialogs(); }

}  // namespace orv
