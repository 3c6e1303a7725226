// Path and number helpers of the table engine.
#include "dbf/DbfHelpers.h"
#include <cstring>
#include "platform/rtl/SysUtils.h"

namespace orv {

bool IsAbsolutePath(const AnsiString& path) { return !path.empty() && path[0] == '/'; }

AnsiString ResolvePath(const AnsiString& base, const AnsiString& path) {
  AnsiString result;
  if (IsAbsolutePath(path))
    result = path;
  else if (base.empty())
    result = ExpandFileName(path.empty() ? AnsiString(".") : path);
  else
    result = ExpandFileName(IncludeTrailingPathDelimiter(base) + path);
  return result.empty() ? result : IncludeTrailingPathDelimiter(result);
}

AnsiString ResolveFileName(const AnsiString& base, const AnsiString& name) {
  return ResolvePath(base, ExtractFilePath(name)) + ExtractFileName(name);
}

Integer Int64ToDigits(Int64 value, char* buffer) {
  std::uint64_t v = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char tmp[20];
  Integer n = 0;
  do {
    tmp[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (Integer i = 0; i < n; ++i) buffer[i] = tmp[n - 1 - i];
  return n;
}

Integer IntToDigits(Integer value, char* buffer) { return Int64ToDigits(value, buffer); }

void Int64ToTextPadded(Int64 value, Integer width, char* buffer) {
  if (width <= 0) return;
  char digits[20];
  Integer n = Int64ToDigits(value, digits);
  const bool negative = value < 0;
  Integer room = negative ? width - 1 : width;
  if (room < 0) room = 0;
  const Integer skip = n > room ? n - room : 0;  // the high digits that do not fit
  char* out = buffer;
  if (negative) *out++ = '-';
  const Integer pad = room - (n - skip);
  std::memset(out, '0', static_cast<std::size_t>(pad));
  std::memcpy(out + pad, digits + skip, static_cast<std::size_t>(n - skip));
}

void IntToTextPadded(Integer value, Integer width, char* buffer) { Int64ToTextPadded(value, width, buffer); }

const Byte* FindByte(const Byte* buffer, Byte b, std::size_t length) {
  return static_cast<const Byte*>(std::memchr(buffer, b, length));
}

}  // namespace orv
