// UTF-7 (RFC 2152) of the wide-character layer: base64 runs of UTF-16 units, Set O written directly
// or encoded, decoding that goes on past invalid input and stops at once at a full target.
#include <array>
#include <cstdint>
#include <cstring>
#include "widechar/UniSystem.h"

namespace orv {

namespace {

constexpr const char* Base64Chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr const char* SetD = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?";
constexpr const char* SetO = "!\"#$%&*;<=>@[]^_`{|}";
constexpr const char* WhiteSpace = " \t\r\n";

struct TUtf7Tables {
  // For each ASCII value: must it be base64-encoded when Set O is encoded, and when it is direct.
  std::array<bool, 128> EncodeWithSetO{};
  std::array<bool, 128> EncodeWithoutSetO{};
  std::array<signed char, 256> Base64Value{};

  TUtf7Tables() {
    EncodeWithSetO.fill(true);
    EncodeWithoutSetO.fill(true);
    for (const char* p = SetD; *p; ++p) EncodeWithSetO[*p] = EncodeWithoutSetO[*p] = false;
    for (const char* p = WhiteSpace; *p; ++p) EncodeWithSetO[*p] = EncodeWithoutSetO[*p] = false;
    for (const char* p = SetO; *p; ++p) EncodeWithoutSetO[*p] = false;
    Base64Value.fill(-1);
    for (int i = 0; i < 64; ++i) Base64Value[static_cast<unsigned char>(Base64Chars[i])] = static_cast<signed char>(i);
  }
};

// Built on first use and kept for the life of the process.
const TUtf7Tables& Tables() {
  static const TUtf7Tables tables;
  return tables;
}

bool IsBase64Char(WideChar c) { return c < 128 && Tables().Base64Value[c] >= 0; }

}  // namespace

TUtf7Result Utf7EncodeRun(const WideChar*& source, const WideChar* sourceEnd, char*& target,
                          const char* targetEnd, bool withTerminator, bool setODirect) {
  const auto& encodeTable = setODirect ? Tables().EncodeWithoutSetO : Tables().EncodeWithSetO;
  bool inRun = false;
  std::uint32_t bits = 0;
  int bitCount = 0;
  auto put = [&](char c) {
    if (target >= targetEnd) return false;
    *target++ = c;
    return true;
  };
  // Pads the bits to a multiple of 6 and writes what is left of them.
  auto flush = [&]() {
    if (bitCount > 0) {
      if (!put(Base64Chars[(bits << (6 - bitCount)) & 0x3F])) return false;
      bitCount = 0;
    }
    bits = 0;
    return true;
  };
  while (source < sourceEnd) {
    const WideChar u = *source;
    const bool needsEncoding = u > 0x7F || encodeTable[u];
    if (!inRun) {
      if (!needsEncoding) {
        if (!put(static_cast<char>(u))) return utf7TargetFull;
        ++source;
        continue;
      }
      if (!put('+')) return utf7TargetFull;
      if (u == u'+') {
        if (!put('-')) return utf7TargetFull;
        ++source;
        continue;
      }
      inRun = true;
    }
    if (needsEncoding) {
      bits = (bits << 16) | u;
      bitCount += 16;
      while (bitCount >= 6) {
        bitCount -= 6;
        if (!put(Base64Chars[(bits >> bitCount) & 0x3F])) return utf7TargetFull;
      }
      bits &= (1u << bitCount) - 1;
      ++source;
      continue;
    }
    if (!flush()) return utf7TargetFull;
    if (withTerminator || IsBase64Char(u) || u == u'-')
      if (!put('-')) return utf7TargetFull;
    inRun = false;
    if (!put(static_cast<char>(u))) return utf7TargetFull;
    ++source;
  }
  if (inRun) {
    if (!flush()) return utf7TargetFull;
    if (withTerminator && !put('-')) return utf7TargetFull;
  }
  return utf7Done;
}

TUtf7Result Utf7DecodeRun(const char*& source, const char* sourceEnd, WideChar*& target,
                          const WideChar* targetEnd) {
  const auto& base64 = Tables().Base64Value;
  TUtf7Result result = utf7Done;
  bool inRun = false;
  bool justOpened = false;
  std::size_t storedInRun = 0;
  std::uint32_t bits = 0;
  int bitCount = 0;
  auto store = [&](WideChar u) {
    if (target >= targetEnd) return false;
    *target++ = u;
    return true;
  };
  // Ends a run: bits left over must be zero, and a run must have stored something.
  auto endRun = [&](bool emptyIsInvalid) {
    if (bitCount > 0 && (bits & ((1u << bitCount) - 1)) != 0) result = utf7Invalid;
    if (emptyIsInvalid && storedInRun == 0) result = utf7Invalid;
    inRun = false;
    bits = 0;
    bitCount = 0;
  };
  while (source < sourceEnd) {
    const auto b = static_cast<unsigned char>(*source);
    if (!inRun) {
      if (b == '+') {
        ++source;
        inRun = true;
        justOpened = true;
        storedInRun = 0;
        continue;
      }
      if (!store(b)) return utf7TargetFull;
      if (b > 0x7F) result = utf7Invalid;
      ++source;
      continue;
    }
    if (base64[b] >= 0) {
      bits = (bits << 6) | static_cast<std::uint32_t>(base64[b]);
      bitCount += 6;
      justOpened = false;
      if (bitCount >= 16) {
        bitCount -= 16;
        if (!store(static_cast<WideChar>((bits >> bitCount) & 0xFFFF))) return utf7TargetFull;
        bits &= (1u << bitCount) - 1;
        ++storedInRun;
      }
      ++source;
      continue;
    }
    if (b == '-' && justOpened) {
      if (!store(u'+')) return utf7TargetFull;
      ++source;
      inRun = false;
      continue;
    }
    endRun(true);
    // "-" (and "+", which cannot get here being a base64 character) ends the run and goes with it;
    // any other character is read again outside the run.
    if (b == '-' || b == '+') ++source;
  }
  if (inRun) endRun(true);
  return result;
}

AnsiString WideToUtf7(const WideString& text) {
  if (text.empty()) return {};
  AnsiString out(7 * text.size(), '\0');
  const WideChar* source = text.data();
  char* target = out.data();
  if (Utf7EncodeRun(source, text.data() + text.size(), target, out.data() + out.size(), false, true) != utf7Done)
    throw EUniInternalError(SBufferOverflow);
  out.resize(static_cast<std::size_t>(target - out.data()));
  return out;
}

WideString Utf7ToWide(const AnsiString& text) {
  if (text.empty()) return {};
  WideString out(text.size(), u'\0');
  const char* source = text.data();
  WideChar* target = out.data();
  switch (Utf7DecodeRun(source, text.data() + text.size(), target, out.data() + out.size())) {
    case utf7Invalid: throw EUniGeneralError(SInvalidUtf7);
    case utf7TargetFull: throw EUniInternalError(SBufferOverflow);
    case utf7Done: break;
  }
  out.resize(static_cast<std::size_t>(target - out.data()));
  return out;
}

}  // namespace orv
