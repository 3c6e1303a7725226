// Scanning helpers shared by the header, address and body code of the mail module.
#pragma once
#include <string_view>
#include "platform/rtl/Types.h"

namespace orv {

// First position of target at or after from outside double quotes (a backslash inside quotes
// escapes the next character); npos when none.
size_t FindUnquoted(std::string_view s, char target, size_t from);
// The line begins with prefix, a-z case-insensitive.
bool HeaderLineIs(std::string_view line, std::string_view prefix);

// The first CR or LF in [p, end); end when there is none.
const char* FindLineBreak(const char* p, const char* end);
// The text with every line end (CRLF, a lone CR, a lone LF) made CRLF; appended to out.
void AppendWithCRLF(AnsiString& out, std::string_view text);
AnsiString WithCRLF(std::string_view text);

// value in decimal, with leading zeros up to minDigits digits.
inline void AppendDecimal(AnsiString& out, unsigned value, int minDigits) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = n; i < minDigits; ++i) out.push_back('0');
  while (n > 0) out.push_back(digits[--n]);
}

// value in upper-case hexadecimal, with leading zeros up to minDigits digits.
inline void AppendHex(AnsiString& out, unsigned value, int minDigits) {
  char digits[8];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[value & 15];
    value >>= 4;
  } while (value != 0);
  for (int i = n; i < minDigits; ++i) out.push_back('0');
  while (n > 0) out.push_back(digits[--n]);
}

}  // namespace orv
