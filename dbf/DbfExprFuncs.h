// The operators and functions of table expressions, registered into a parser's word table.
#pragma once
#include <memory>
#include <vector>
#include "dbf/ExprWords.h"

namespace orv {

// The words in registration order; text comparisons ignore case when caseInsensitive.
std::vector<std::unique_ptr<TExprWord>> MakeDbfWords(bool caseInsensitive);

}  // namespace orv
