// Reading address lines for the table import: line ends, byte-order mark, the encoding of each
// line, and the pieces of a line split at "," and ";".
#pragma once
#include <string_view>
#include <vector>
#include "platform/rtl/Types.h"

namespace orv {

// The lines of a text file's bytes without their ends (LF, CRLF or CR) and without a leading
// UTF-8 byte-order mark.
std::vector<std::string_view> SplitImportLines(std::string_view data);

// Each piece ends at whichever of "," and ";" comes first; the rest after the last separator is
// the last piece (empty when the line ends in a separator). No trimming, quotes or escapes.
std::vector<AnsiString> SplitImportPieces(std::string_view line);

// A line as ANSI text: valid UTF-8 is converted (characters the code page lacks become '?' and
// are added to replaced), anything else is taken as ANSI bytes already.
AnsiString ImportLineText(std::string_view line, Integer& replaced);

}  // namespace orv
