// The data-set framework's database error, the base of every table engine's error.
#pragma once
#include "platform/rtl/Exceptions.h"

namespace orv {

// Raised by data sets and their engines for failures of the database itself (files, keys, fields).
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// Raises EDatabaseError with the given message.
[[noreturn]] void DatabaseError(const AnsiString& message);

}  // namespace orv
