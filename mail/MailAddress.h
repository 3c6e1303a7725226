// Mail addresses of recipients: whether a value is exactly one address that a header field and the
// SMTP envelope carry alike, and if not, why; and what a stored or typed value is sent as.
#pragma once
#include <string_view>
#include "platform/rtl/Types.h"

namespace orv {

// Longest address and longest part before the "@" that servers must take.
inline constexpr std::size_t MaxAddressLength = 254;
inline constexpr std::size_t MaxLocalPartLength = 64;

// Empty when value is exactly one mailbox: a local part, an "@" and a domain. The local part is
// dot-separated names of letters, digits and the signs "!#$%&'*+-/=?^_`{|}~", or one quoted string
// of printable ASCII without blanks, backslashes, quotes or "@"; the domain is a host name of
// dot-separated labels of letters, digits and inner hyphens, or an IP address in brackets
// ("[192.0.2.1]", "[IPv6:2001:db8::1]"). Otherwise the reason, as a sentence part such as "it holds
// a blank". Whatever a header field or a command would read as other recipients or as the end of
// the field is refused: commas, semicolons and comments outside the quotes, angle brackets,
// blanks and control characters anywhere, characters outside ASCII. The value is taken as it is.
AnsiString AddressFault(std::string_view value);

// The value without the blanks and tabs before and after it.
std::string_view TrimAddressSpace(std::string_view value);

// What a recipient value is sent as, in the header and the envelope alike.
struct TSendAddress {
  // Empty when Fault is not.
  AnsiString Address;
  // Why the value cannot be sent; empty when it can.
  AnsiString Fault;
};

// The value without the white space around it and without one pair of double quotes around the
// whole of it (the form quoting exports store), when what stands inside is an address; a value
// wrapped so whose inside is none gets the inside's fault.
TSendAddress SendAddressOf(std::string_view value);

}  // namespace orv
