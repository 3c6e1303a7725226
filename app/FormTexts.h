// The window descriptions compiled into the program (generated from app/forms/*.form).
#pragma once

namespace orv {

// Registers every window description under its class name; running it again replaces them.
void RegisterFormTexts();

}  // namespace orv
