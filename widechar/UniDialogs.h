// The wide names of the message-dialog buttons, kept from start to exit.
#pragma once
#include <array>
#include "platform/rtl/Types.h"

namespace orv {

// "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"
// while the layer runs; empty before its start and after its exit.
extern std::array<WideString, 11> WideDialogButtonNames;

void InitUniDialogs();
void FinalizeUniDialogs();

}  // namespace orv
