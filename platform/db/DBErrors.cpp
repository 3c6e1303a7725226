// The data-set framework's database error.
#include "platform/db/DBErrors.h"

namespace orv {

void DatabaseError(const AnsiString& message) { throw EDatabaseError(message); }

}  // namespace orv
