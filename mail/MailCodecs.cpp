// Quoted-printable, base64 and uuencode: the body and line codecs of the mail module.
#include <algorithm>
#include <array>
#include <cstring>
#include <sys/mman.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"
#include "mail/MailText.h"

namespace orv {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Byte classes of the quoted-printable encoder.
enum : unsigned char { qpLiteral, qpEscape, qpCR, qpLF, qpBlank };

struct TQPTables {
  std::array<unsigned char, 256> Body{};
  std::array<unsigned char, 256> Head{};
  TQPTables() {
    for (int c = 0; c < 256; ++c) {
      unsigned char k = qpEscape;
      if (c <= 126 && c != '=' && c >= 32) k = qpLiteral;
      if (c == ' ' || c == '\t') k = qpBlank;
      if (c == '\r') k = qpCR;
      if (c == '\n') k = qpLF;
      Body[c] = k;
      // A backslash is escaped too: inside the quoted name parameters it would escape the
      // closing quote and run the parameters together.
      bool headSpecial = c <= 32 || c == '"' || c == '\'' || c == '(' || c == ')' || c == '<' ||
                         c == '>' || c == '?' || c == '_' || c == '\\';
      Head[c] = (k == qpLiteral && !headSpecial) ? qpLiteral : qpEscape;
    }
  }
};
const TQPTables& QPTables() {
  static const TQPTables tables;
  return tables;
}

inline void PutEscape(AnsiString& out, unsigned char c) {
  char e[3] = {'=', kHex[c >> 4], kHex[c & 15]};
  out.append(e, 3);
}

// Any byte of the word that may need an escape in body mode: below a blank (controls, TAB, CR,
// LF), above "~", or "=". Blanks themselves are copied unless they end a line.
// A large output buffer asks for huge pages: filling fresh memory page by page costs more than
// the encoding itself.
void ReserveLarge(AnsiString& out, size_t size) {
  out.reserve(size);
  constexpr size_t kHuge = size_t(2) << 20;
  if (size < 4 * kHuge) return;
  const auto begin = (reinterpret_cast<std::uintptr_t>(out.data()) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(out.data()) + size) & ~(kHuge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// The lowest set bit of the result marks the first such byte exactly (bits above it may be
// false alarms from borrows and carries).
inline std::uint64_t CareMask(std::uint64_t w) {
  constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
  const std::uint64_t below = (w - ones * 0x20) & ~w & highs;
  const std::uint64_t above = ((w + ones * (127 - 0x7E)) | w) & highs;
  const std::uint64_t eq = w ^ (ones * '=');
  const std::uint64_t equals = (eq - ones) & ~eq & highs;
  return below | above | equals;
}

// Writes body-mode tokens with the soft line breaks made as it goes: a token (one character or a
// three-character escape) that would take a line past 71 characters starts a new line after "=".
// That is the longest prefix of at most 71 characters that does not split an escape, the cut of
// every line of 72 or more characters.
struct TQPBody {
  char* O;
  size_t Col = 0;

  void SoftBreakIf(size_t width) {
    if (Col + width > 71) {
      O[0] = '=';
      O[1] = '\r';
      O[2] = '\n';
      O += 3;
      Col = 0;
    }
  }
  void Escape(unsigned char c) {
    SoftBreakIf(3);
    O[0] = '=';
    O[1] = kHex[c >> 4];
    O[2] = kHex[c & 15];
    O += 3;
    Col += 3;
  }
  // Bytes of a line up to its trailing blanks: blanks and TABs are copied here.
  void Segment(const unsigned char* p, const unsigned char* end, const unsigned char* cls) {
    while (p < end) {
#ifdef __SSE2__
      if (end - p >= 16) {
        // The same with sixteen bytes: as signed bytes, those below a blank and those above 0x7F
        // are all less than 0x20; 0x7F and "=" are matched alone.
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i care = _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x20)),
                                          _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)),
                                                       _mm_cmpeq_epi8(v, _mm_set1_epi8('='))));
        const int mask = _mm_movemask_epi8(care);
        size_t k = mask ? static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask))) : 16;
        k = std::min(k, size_t(71) - Col);
        if (k > 0) {
          _mm_storeu_si128(reinterpret_cast<__m128i*>(O), v);
          O += k;
          Col += k;
          p += k;
          continue;
        }
      }
#endif
      if (end - p >= 8) {
        // Eight bytes are stored at once and as many kept as are plain and fit on the line; the
        // output always has room for sixteen more bytes than a line can need.
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        const std::uint64_t care = CareMask(w);
        size_t k = care ? static_cast<size_t>(__builtin_ctzll(care)) / 8 : 8;
        k = std::min(k, size_t(71) - Col);
        if (k > 0) {
          std::memcpy(O, &w, 8);
          O += k;
          Col += k;
          p += k;
          continue;
        }
      }
      const unsigned char c = *p++;
      const unsigned char k = cls[c];
      if (k == qpLiteral || k == qpBlank) {
        SoftBreakIf(1);
        *O++ = static_cast<char>(c);
        ++Col;
      } else {
        Escape(c);
      }
    }
  }
  void LineEnd() {
    O[0] = '\r';
    O[1] = '\n';
    O += 2;
    Col = 0;
  }
};

// Base64 value of each byte; -1 outside the alphabet, -2 for the pad.
struct TB64Decode {
  std::array<signed char, 256> V{};
  TB64Decode() {
    V.fill(-1);
    for (int i = 0; i < 64; ++i) V[static_cast<unsigned char>(kB64[i])] = static_cast<signed char>(i);
    V['='] = -2;
  }
};
const TB64Decode& B64Decode() {
  static const TB64Decode table;
  return table;
}

// Two output characters for every 12-bit value, as one little-endian 16-bit word.
struct TB64Pairs {
  std::array<std::uint16_t, 4096> P{};
  TB64Pairs() {
    for (int i = 0; i < 4096; ++i)
      P[i] = static_cast<std::uint16_t>(static_cast<unsigned char>(kB64[i >> 6]) |
                                        (static_cast<unsigned char>(kB64[i & 63]) << 8));
  }
};
const TB64Pairs& B64Pairs() {
  static const TB64Pairs table;
  return table;
}

}  // namespace

size_t Base64EncodedSize(size_t n) {
  const size_t chars = (n + 2) / 3 * 4;
  return chars + (chars + 75) / 76 * 2;
}

size_t EncodeBase64Block(const unsigned char* s, size_t n, char* out) {
  const auto& pairs = B64Pairs().P;
  char* o = out;
  auto group = [&](const unsigned char* g) {
    const unsigned v = (unsigned(g[0]) << 16) | (unsigned(g[1]) << 8) | g[2];
    const std::uint32_t w = pairs[v >> 12] | (std::uint32_t(pairs[v & 4095]) << 16);
    std::memcpy(o, &w, 4);
    o += 4;
  };
  // Whole lines of 57 bytes first: 19 groups give 76 characters.
  size_t lines = n / 57;
  for (; lines > 0; --lines) {
    for (int k = 0; k < 19; ++k, s += 3) group(s);
    o[0] = '\r';
    o[1] = '\n';
    o += 2;
  }
  size_t rest = n % 57;
  if (rest == 0) return static_cast<size_t>(o - out);
  for (; rest >= 3; rest -= 3, s += 3) group(s);
  if (rest == 1) {
    const unsigned v = unsigned(s[0]) << 16;
    *o++ = kB64[v >> 18];
    *o++ = kB64[(v >> 12) & 63];
    *o++ = '=';
    *o++ = '=';
  } else if (rest == 2) {
    const unsigned v = (unsigned(s[0]) << 16) | (unsigned(s[1]) << 8);
    *o++ = kB64[v >> 18];
    *o++ = kB64[(v >> 12) & 63];
    *o++ = kB64[(v >> 6) & 63];
    *o++ = '=';
  }
  *o++ = '\r';
  *o++ = '\n';
  return static_cast<size_t>(o - out);
}

namespace {
}  // namespace

AnsiString EncodeQuotedPrintable(std::string_view text, bool headerMode) {
  const TQPTables& t = QPTables();
  const size_t n = text.size();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  AnsiString out;
  out.reserve(n + n / 8 + 16);
  if (headerMode) {
    for (size_t i = 0; i < n; ++i) {
      if (t.Head[s[i]] == qpLiteral) out.push_back(static_cast<char>(s[i]));
      else PutEscape(out, s[i]);
    }
    return out;
  }
  if (n == 0) return out;
  const unsigned char* cls = t.Body.data();
  // Room for the text with an eighth more, and for the worst case of a last line of ordinary
  // length on top, so a short text is not enlarged (copied and filled again) near its end.
  const size_t room = n + n / 8 + 64 + 4 * 80;
  ReserveLarge(out, room);
  out.resize(room);
  size_t len = 0;
  TQPBody w{out.data() + len};
  const unsigned char* p = s;
  const unsigned char* const end = s + n;
  while (p < end) {
    // One line of the text: up to its CRLF (a lone CR is an ordinary byte, escaped) or the end.
    const unsigned char* eol = p;
    for (;;) {
      eol = static_cast<const unsigned char*>(std::memchr(eol, '\r', static_cast<size_t>(end - eol)));
      if (!eol || (eol + 1 < end && eol[1] == '\n')) break;
      ++eol;
    }
    const unsigned char* lineEnd = eol ? eol : end;
    // Worst case of this line: every byte an escape, plus its soft line breaks and the CRLF.
    const size_t need = static_cast<size_t>(lineEnd - p) * 4 + 16;
    len = static_cast<size_t>(w.O - out.data());
    if (len + need > out.size()) out.resize(std::max(out.size() + out.size() / 2, len + need + 4096));
    w.O = out.data() + len;
    // Blanks before a line end or at the very end would be lost in transport.
    const unsigned char* trail = lineEnd;
    while (trail > p && (trail[-1] == ' ' || trail[-1] == '\t')) --trail;
    w.Segment(p, trail, cls);
    for (; trail < lineEnd; ++trail) w.Escape(*trail);
    w.LineEnd();
    p = eol ? eol + 2 : end;
  }
  out.resize(static_cast<size_t>(w.O - out.data()));
  return out;
}

namespace {
inline int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

AnsiString DecodeQuotedPrintable(std::string_view text) {
  AnsiString out;
  out.reserve(text.size());
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* eq = static_cast<const char*>(std::memchr(p, '=', static_cast<size_t>(end - p)));
    if (!eq) {
      out.append(p, static_cast<size_t>(end - p));
      break;
    }
    out.append(p, static_cast<size_t>(eq - p));
    if (end - eq < 3) break;
    const auto a = static_cast<unsigned char>(eq[1]);
    const auto b = static_cast<unsigned char>(eq[2]);
    if (!(a == '\r' && b == '\n')) {
      int hi = HexValue(a), lo = HexValue(b);
      if (hi >= 0 && lo >= 0) out.push_back(static_cast<char>(hi * 16 + lo));
    }
    p = eq + 3;
  }
  return out;
}

AnsiString EncodeBase64(std::string_view data) {
  AnsiString out;
  ReserveLarge(out, Base64EncodedSize(data.size()));
  out.resize(Base64EncodedSize(data.size()));
  out.resize(EncodeBase64Block(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                               out.data()));
  return out;
}

AnsiString EncodeBase64Text(std::string_view text) {
  // The text's lines joined with CRLF, without a final one.
  AnsiString joined = WithCRLF(text);
  while (joined.size() >= 2 && joined.compare(joined.size() - 2, 2, "\r\n") == 0)
    joined.resize(joined.size() - 2);
  AnsiString lines = EncodeBase64(joined);
  AnsiString out;
  out.reserve(lines.size());
  for (char c : lines)
    if (c != '\r' && c != '\n') out.push_back(c);
  return out;
}

Integer DecodeBase64Line(std::string_view line, AnsiString& out) {
  const auto& v = B64Decode().V;
  const size_t before = out.size();
  int group[4];
  int filled = 0;
  for (char ch : line) {
    const int x = v[static_cast<unsigned char>(ch)];
    if (x == -1) continue;
    group[filled++] = x;
    if (filled < 4) continue;
    filled = 0;
    if (group[0] < 0 || group[1] < 0) continue;
    const unsigned a = unsigned(group[0]), b = unsigned(group[1]);
    out.push_back(static_cast<char>((a << 2) | (b >> 4)));
    if (group[2] < 0) continue;
    const unsigned c = unsigned(group[2]);
    out.push_back(static_cast<char>(((b & 15) << 4) | (c >> 2)));
    if (group[3] < 0) continue;
    out.push_back(static_cast<char>(((c & 3) << 6) | unsigned(group[3])));
  }
  return static_cast<Integer>(out.size() - before);
}

Integer UUCharValue(char c) {
  if (c == '`' || c == ' ') return 0;
  if (c >= '!' && c <= '_') return c - 32;
  throw EMailError("UUCODE message format error");
}

Integer DecodeUULine(std::string_view line, AnsiString& out) {
  if (line.empty()) return 0;
  unsigned char bytes[45] = {};
  Integer count = 0;
  try {
    count = UUCharValue(line[0]);
    // At most 60 data characters carry the 45 bytes a line can hold.
    const std::string_view data = line.substr(1, 60);
    unsigned bitPos = 0;
    for (char ch : data) {
      const unsigned value = static_cast<unsigned>(UUCharValue(ch));
      for (int b = 5; b >= 0; --b, ++bitPos)
        if (value & (1u << b)) bytes[bitPos / 8] |= static_cast<unsigned char>(0x80u >> (bitPos % 8));
    }
  } catch (const EMailError&) {
    return 0;
  }
  if (count > 45) count = 45;
  out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
  return count;
}

}  // namespace orv
