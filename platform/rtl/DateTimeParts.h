// The whole days and milliseconds of a TDateTime, rounded as every decoding routine sees them.
#pragma once
#include "platform/rtl/DateTime.h"

namespace orv {

// days = the date part (truncated towards zero), msecs = the time of day in 0 .. 86399999.
void SplitDateTime(TDateTime dt, Int64& days, Int64& msecs);

}  // namespace orv
