// Filling "[%Field]" placeholders of a mail body from one recipient's record, and the recipients
// and mode of one send run, taken once when the run starts.
#pragma once
#include <functional>
#include <string_view>
#include <vector>
#include "platform/rtl/Types.h"

namespace orv {

// One recipient of a send run. Position is the record's position in the address table's walk, or
// -1 for a typed address; Bookmark (empty for a typed address) finds the record without a walk.
struct TSendRecipient {
  AnsiString Address;
  Integer Position = -1;
  AnsiString Bookmark;
};

// A record's fields as the placeholders see them: (name, value as text), in field order.
using TPlaceholderFields = std::vector<std::pair<AnsiString, AnsiString>>;

// The field names compare with only a to z folded, so other bytes of a name must match exactly.
AnsiString UpperAsciiName(std::string_view name);

// Replaces each "[%name]" by the value of the first field whose name equals name (both
// upper-cased); a name matching no field stays as written. "[" followed by anything but "%" stays;
// a "[" or "[%name" left open at the end of the text is dropped.
AnsiString FillPlaceholderText(std::string_view text, const TPlaceholderFields& fields);

}  // namespace orv
