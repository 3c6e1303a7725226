// The plain-text body made from HTML lines: markup dropped, lines broken at br, p, tr and div tags.
#pragma once
#include <vector>

#include "platform/rtl/Types.h"

namespace orv {

// A character scanner, not an HTML parser: entities, comments and scripts are text like any other.
// A tag may span input lines (the line break adds nothing to it); a br, tr or div tag breaks the line
// only when a blank follows its name somewhere in the tag, a p tag also when it is bare.
std::vector<AnsiString> HTMLLinesToText(const std::vector<AnsiString>& lines);

}  // namespace orv
