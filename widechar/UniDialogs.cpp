// The wide button names of the message dialogs.
#include "widechar/UniDialogs.h"

namespace orv {

std::array<WideString, 11> WideDialogButtonNames;

void InitUniDialogs() {
  WideDialogButtonNames = {u"Yes", u"No", u"OK", u"Cancel", u"Abort", u"Retry", u"Ignore",
                           u"All", u"NoToAll", u"YesToAll", u"Help"};
}

void FinalizeUniDialogs() { WideDialogButtonNames = {}; }

}  // namespace orv
