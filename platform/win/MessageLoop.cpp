// One pass of the event loop: Qt's pending events, then our posted messages.
#include "platform/win/MessageLoop.h"

#include "platform/win/MessageQueue.h"
#include "platform/win/QueueInternal.h"

namespace orv {

void ProcessMessages() {
  winimpl::ProcessQtEvents();
  DrainPostedMessages();
}

}  // namespace orv
