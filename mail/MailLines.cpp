// Line ends of mail texts: finding the next CR or LF many bytes at a time, and making every line end CRLF.
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include "mail/MailText.h"

namespace orv {

namespace {

// The high bit of each byte of the result is set where w holds CR or LF (the lowest set bit marks
// the first one exactly; bits above it may be false alarms from borrows).
inline std::uint64_t BreakMask(std::uint64_t w) {
  constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
  const std::uint64_t cr = w ^ (ones * '\r');
  const std::uint64_t lf = w ^ (ones * '\n');
  return (((cr - ones) & ~cr) | ((lf - ones) & ~lf)) & highs;
}

}  // namespace

const char* FindLineBreak(const char* p, const char* end) {
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (end - p >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t mask = BreakMask(w);
    if (mask != 0) return p + __builtin_ctzll(mask) / 8;
    p += 8;
  }
  while (p < end && *p != '\r' && *p != '\n') ++p;
  return p;
}

void AppendWithCRLF(AnsiString& out, std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* brk = FindLineBreak(p, end);
    out.append(p, static_cast<size_t>(brk - p));
    if (brk == end) break;
    // CRLF, a lone CR and a lone LF each end one line.
    p = brk + 1;
    if (*brk == '\r' && p < end && *p == '\n') ++p;
    out.append("\r\n", 2);
  }
}

AnsiString WithCRLF(std::string_view text) {
  AnsiString out;
  out.reserve(text.size() + text.size() / 40 + 2);
  AppendWithCRLF(out, text);
  return out;
}

}  // namespace orv
