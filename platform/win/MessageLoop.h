// One pass of the program's event loop, for code below the forms layer that waits (the SMTP client).
#pragma once

namespace orv {

// Handles what is pending: Qt's events when a Qt application exists, the calls threads wait to have
// run on this (the window) thread, then the messages posted to our queue. Never blocks.
void ProcessMessages();

}  // namespace orv
