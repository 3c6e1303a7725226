// One pass of the event loop: Qt's pending events, the calls threads wait to have run here, then
// our posted messages.
#include "platform/win/MessageLoop.h"

#include "platform/win/MessageQueue.h"
#include "platform/win/QueueInternal.h"
#include "platform/win/Threads.h"

namespace orv {

void ProcessMessages() {
  winimpl::ProcessQtEvents();
  CheckSynchronize();
  DrainPostedMessages();
}

}  // namespace orv
