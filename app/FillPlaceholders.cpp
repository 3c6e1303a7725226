// The placeholder scan of mail bodies: three states (text, "[" seen, collecting a name).
#include "app/FillPlaceholders.h"

namespace orv {

AnsiString UpperAsciiName(std::string_view name) {
  AnsiString result(name);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

AnsiString FillPlaceholderText(std::string_view text, const TPlaceholderFields& fields) {
  enum { sText, sOpen, sName } state = sText;
  AnsiString result;
  result.reserve(text.size());
  AnsiString name;
  for (char c : text) {
    switch (state) {
      case sText:
        if (c == '[') state = sOpen;
        else result += c;
        break;
      case sOpen:
        if (c == '%') {
          name.clear();
          state = sName;
        } else {
          result += '[';
          result += c;
          state = sText;
        }
        break;
      case sName:
        if (c != ']') {
          name += c;
          break;
        }
        {
          const AnsiString wanted = UpperAsciiName(name);
          const std::pair<AnsiString, AnsiString>* found = nullptr;
          for (const auto& field : fields)
            if (UpperAsciiName(field.first) == wanted) {
              found = &field;
              break;
            }
          if (found != nullptr) result += found->second;
          else result += "[%" + name + "]";
        }
        state = sText;
        break;
    }
  }
  return result;
}

}  // namespace orv
