// Basic types of the runtime: narrow and wide text and the fixed-size integers the stored formats use.
#pragma once
#include <cstdint>
#include <string>

namespace orv {

// Narrow text: bytes in the ANSI code page (Windows-1252 unless changed), kept as they are on disk.
using AnsiString = std::string;
// Wide text: UTF-16 code units.
using WideString = std::u16string;
using WideChar = char16_t;

using Byte = std::uint8_t;
using Word = std::uint16_t;
using LongWord = std::uint32_t;
using Cardinal = std::uint32_t;
using Integer = std::int32_t;
using Int64 = std::int64_t;
using SmallInt = std::int16_t;
using ShortInt = std::int8_t;
// The 80-bit extended float where values are compared at that precision.
using Extended = long double;

}  // namespace orv
