// Plain mail addresses: whether a value is exactly one address that a header field and the SMTP
// envelope carry alike, and if not, why.
#pragma once
#include <string_view>
#include "platform/rtl/Types.h"

namespace orv {

// Longest address and longest part before the "@" that servers must take.
inline constexpr std::size_t MaxAddressLength = 254;
inline constexpr std::size_t MaxLocalPartLength = 64;

// Empty when value is one plain address: a dot-separated name of letters, digits and the signs
// "!#$%&'*+-/=?^_`{|}~", an "@", and a host name of dot-separated labels of letters, digits and
// inner hyphens. Otherwise the reason, as a sentence part such as "it holds a blank". Anything a
// header or a command would read differently (several addresses, a display name, angle brackets,
// quotes, comments, blanks, control or non-ASCII characters) is refused.
AnsiString PlainAddressFault(std::string_view value);

}  // namespace orv
