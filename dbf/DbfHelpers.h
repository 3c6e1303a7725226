// Small helpers the table engine shares: POSIX paths resolved against a base folder, numbers as
// fixed-width field text, byte order and byte search.
#pragma once
#include <cstddef>
#include <cstdint>
#include "platform/rtl/Types.h"

namespace orv {

// On this system a path is absolute when it starts with "/".
bool IsAbsolutePath(const AnsiString& path);
// An absolute path stays; otherwise it is expanded against base (the current folder when base is
// empty). A non-empty result ends with "/".
AnsiString ResolvePath(const AnsiString& base, const AnsiString& path);
// The folder part of name resolved by ResolvePath, then the file-name part.
AnsiString ResolveFileName(const AnsiString& base, const AnsiString& name);

// Digits right-aligned in width bytes, padded with '0', '-' in front of a negative value; when
// there are too many, the high digits are dropped.
void IntToTextPadded(Integer value, Integer width, char* buffer);
void Int64ToTextPadded(Int64 value, Integer width, char* buffer);
// The digits of the absolute value without sign or padding; returns their count (buffer: 20 bytes).
Integer IntToDigits(Integer value, char* buffer);
Integer Int64ToDigits(Int64 value, char* buffer);

inline std::uint32_t SwapInt32(std::uint32_t v) { return __builtin_bswap32(v); }
inline std::uint64_t SwapInt64(std::uint64_t v) { return __builtin_bswap64(v); }

// The first place of b within length bytes, or nullptr.
const Byte* FindByte(const Byte* buffer, Byte b, std::size_t length);

}  // namespace orv
