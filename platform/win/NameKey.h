// Names of classes, atoms and properties compare without regard to the case of a-z: the key form.
#pragma once
#include "platform/rtl/Types.h"

namespace orv {

inline WideString NameKey(std::u16string_view name) {
  WideString key(name);
  for (auto& c : key)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return key;
}

// Length of a terminated wide or narrow text at p (0 for none).
inline std::size_t TextLength(const char16_t* p) { return p == nullptr ? 0 : std::char_traits<char16_t>::length(p); }
inline std::size_t TextLength(const char* p) { return p == nullptr ? 0 : std::char_traits<char>::length(p); }

}  // namespace orv
