// Opening a document or web address with the desktop's program for it, behind a hook tests set.
#pragma once
#include <functional>
#include "platform/rtl/Types.h"

namespace orv {

// Opens target ("open" with no parameters, shown normally). A bare host name such as
// "www.example.org" is opened as an http address. False when nothing could open it.
bool ShellOpen(const AnsiString& target);

// Replaces the desktop with handler (tests); an empty handler restores the desktop.
using TShellOpenHandler = std::function<bool(const AnsiString& url)>;
void SetShellOpenHandler(TShellOpenHandler handler);

}  // namespace orv
