// UTF-8 <-> UTF-16 without a converter: strict decoding, one U+FFFD per bad sequence.
#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

// Decodes one scalar value at s[i]; returns -1 when invalid, having skipped the maximal
// ill-formed prefix (so each bad sequence becomes one U+FFFD, as the Unicode standard advises).
long DecodeOne(const std::string& s, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  if (b0 < 0x80) { ++i; return b0; }
  int len;
  long cp;
  unsigned char lo = 0x80, hi = 0xBF;   // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; cp = b0 & 0x1F; }
  else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3; cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;        // overlong
    if (b0 == 0xED) hi = 0x9F;        // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4; cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;        // overlong
    if (b0 == 0xF4) hi = 0x8F;        // past U+10FFFF
  } else { ++i; return -1; }
  std::size_t k = i + 1;
  for (int n = 1; n < len; ++n, ++k) {
    unsigned char min = n == 1 ? lo : 0x80, max = n == 1 ? hi : 0xBF;
    if (k >= s.size() || byte(k) < min || byte(k) > max) { i = k; return -1; }
    cp = (cp << 6) | (byte(k) & 0x3F);
  }
  i = k;
  return cp;
}

}  // namespace

WideString Utf8ToWide(const std::string& text) {
  WideString out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    long cp = DecodeOne(text, i);
    if (cp < 0) out += u'\uFFFD';
    else if (cp < 0x10000) out += static_cast<char16_t>(cp);
    else {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
  }
  return out;
}

std::string WideToUtf8(const WideString& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned long cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;   // a lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

bool IsValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();)
    if (DecodeOne(text, i) < 0) return false;
  return true;
}

}  // namespace orv
