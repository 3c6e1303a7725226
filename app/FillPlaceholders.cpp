// The placeholder scan of mail bodies: text up to "[", then "%" and a name up to "]".
#include "app/FillPlaceholders.h"

namespace orv {

AnsiString UpperAsciiName(std::string_view name) {
  AnsiString result(name);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

namespace {

// Equal once both are upper-cased in a to z only.
bool SameAsciiName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

AnsiString FillPlaceholderText(std::string_view text, const TPlaceholderFields& fields) {
  AnsiString result;
  result.reserve(text.size() + text.size() / 4);
  std::size_t pos = 0;
  const std::size_t n = text.size();
  while (pos < n) {
    // Text: copied up to the next "[", which is held back.
    const std::size_t open = text.find('[', pos);
    if (open == std::string_view::npos) {
      result.append(text.substr(pos));
      break;
    }
    result.append(text.substr(pos, open - pos));
    // "[" at the very end is dropped.
    if (open + 1 >= n) break;
    if (text[open + 1] != '%') {
      result += '[';
      result += text[open + 1];
      pos = open + 2;
      continue;
    }
    // A name runs up to the next "]"; one left open at the end is dropped with its "[%".
    const std::size_t close = text.find(']', open + 2);
    if (close == std::string_view::npos) break;
    const std::string_view name = text.substr(open + 2, close - open - 2);
    const std::pair<AnsiString, AnsiString>* found = nullptr;
    for (const auto& field : fields)
      if (SameAsciiName(field.first, name)) {
        found = &field;
        break;
      }
    if (found != nullptr) {
      result += found->second;
    } else {
      result.append("[%", 2);
      result.append(name);
      result += ']';
    }
    pos = close + 1;
  }
  return result;
}

}  // namespace orv
