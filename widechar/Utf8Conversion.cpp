// UTF-8 of the wide-character layer: each UTF-16 unit on its own (surrogates as three bytes each),
// bounded buffers, and malformed input reported as -1 or an empty text.
#include <vector>
#include "widechar/UniSystem.h"

namespace orv {

namespace {

std::size_t Utf8Length(WideChar unit) { return unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3; }

// The bytes of a sequence that starts with lead, or 0 for a continuation byte (0x80..0xBF).
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xC0) == 0x80) return 0;
  return (lead & 0x20) == 0 ? 2 : 3;
}

}  // namespace

std::size_t WideToUtf8Buffer(char* destination, std::size_t capacity, const WideChar* source, std::size_t count) {
  if (source == nullptr || count == 0) return 0;
  if (destination == nullptr) {
    std::size_t needed = 1;
    for (std::size_t i = 0; i < count; ++i) needed += Utf8Length(source[i]);
    return needed;
  }
  // No room even for the terminator: nothing is stored.
  if (capacity == 0) return 0;
  std::size_t stored = 0;
  for (std::size_t i = 0; i < count && stored < capacity; ++i) {
    const WideChar u = source[i];
    const std::size_t n = Utf8Length(u);
    if (stored + n > capacity) break;
    if (n == 1) {
      destination[stored] = static_cast<char>(u);
    } else if (n == 2) {
      destination[stored] = static_cast<char>(0xC0 | (u >> 6));
      destination[stored + 1] = static_cast<char>(0x80 | (u & 0x3F));
    } else {
      destination[stored] = static_cast<char>(0xE0 | (u >> 12));
      destination[stored + 1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      destination[stored + 2] = static_cast<char>(0x80 | (u & 0x3F));
    }
    stored += n;
  }
  if (stored >= capacity) {
    // The last byte gives way to the terminator; the sequence it belongs to goes with it, so the
    // text never ends in half a character.
    stored = capacity - 1;
    while (stored > 0 && SequenceLength(static_cast<unsigned char>(destination[stored])) == 0) --stored;
  }
  destination[stored] = 0;
  return stored + 1;
}

std::ptrdiff_t Utf8ToWideBuffer(WideChar* destination, std::size_t capacity, const char* source, std::size_t count) {
  if (source == nullptr || count == 0) return 0;
  if (destination != nullptr && capacity == 0) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(source);
  std::size_t stored = 0;
  std::size_t i = 0;
  while (i < count && (destination == nullptr || stored < capacity)) {
    const unsigned char lead = bytes[i++];
    WideChar unit;
    if (lead < 0x80) {
      unit = lead;
    } else {
      const bool twoBytes = (lead & 0x20) == 0;
      const std::size_t more = twoBytes ? 1 : 2;
      if (count - i < more) return -1;
      for (std::size_t k = 0; k < more; ++k)
        if ((bytes[i + k] & 0xC0) != 0x80) return -1;
      if (twoBytes) {
        unit = static_cast<WideChar>(((lead & 0x1F) << 6) | (bytes[i] & 0x3F));
      } else {
        unit = static_cast<WideChar>(((lead & 0x3F) << 12) | ((bytes[i] & 0x3F) << 6) | (bytes[i + 1] & 0x3F));
      }
      i += more;
    }
    if (destination != nullptr) destination[stored] = unit;
    ++stored;
  }
  if (destination == nullptr) return static_cast<std::ptrdiff_t>(stored + 1);
  if (stored >= capacity) stored = capacity - 1;
  destination[stored] = 0;
  return static_cast<std::ptrdiff_t>(stored + 1);
}

namespace uni {

AnsiString WideToUtf8(const WideString& text) {
  if (text.empty()) return {};
  AnsiString out(3 * text.size() + 1, '\0');
  const std::size_t n = WideToUtf8Buffer(out.data(), out.size(), text.data(), text.size());
  out.resize(n < 1 ? 0 : n - 1);
  return out;
}

WideString Utf8ToWide(const AnsiString& text) {
  if (text.empty()) return {};
  WideString out(text.size() + 1, u'\0');
  const std::ptrdiff_t n = Utf8ToWideBuffer(out.data(), out.size(), text.data(), text.size());
  if (n < 1) return {};
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

}  // namespace uni

}  // namespace orv
