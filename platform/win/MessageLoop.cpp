// One pass of the event loop: Qt's pending events, then our posted messages.
#include "platform/win/MessageLoop.h"

#include <QCoreApplication>

namespace orv {

void ProcessMessages() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

}  // namespace orv
