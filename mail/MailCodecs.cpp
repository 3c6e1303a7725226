// Quoted-printable, base64 and uuencode: the body and line codecs of the mail module.
#include <array>
#include <cstring>
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"

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
      bool headSpecial = c <= 32 || c == '"' || c == '\'' || c == '(' || c == ')' || c == '<' ||
                         c == '>' || c == '?' || c == '_';
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

// Rewrites the literal blanks and TABs from position start to the end of out as escapes.
void EscapeTrailingRun(AnsiString& out, size_t start) {
  AnsiString run = out.substr(start);
  out.resize(start);
  for (char c : run) PutEscape(out, static_cast<unsigned char>(c));
}

// Cuts every line of at least 72 characters with soft line breaks and ends every line with CRLF.
// The cut keeps the longest prefix of at most 71 characters that does not split an escape, which
// is where walking back from the line's end over whole escapes stops.
AnsiString CutQPLines(const AnsiString& in) {
  AnsiString out;
  out.reserve(in.size() + in.size() / 35 + 4);
  const char* p = in.data();
  const char* end = p + in.size();
  while (p < end) {
    const char* eol = p;
    for (;;) {
      eol = static_cast<const char*>(std::memchr(eol, '\r', static_cast<size_t>(end - eol)));
      if (!eol || (eol + 1 < end && eol[1] == '\n')) break;
      ++eol;
    }
    const char* lineEnd = eol ? eol : end;
    while (lineEnd - p >= 72) {
      // 1-based positions 71 and 70 are p[70] and p[69].
      size_t cut = 71;
      if (p[70] == '=') cut = 70;
      else if (p[69] == '=') cut = 69;
      out.append(p, cut);
      out.append("=\r\n", 3);
      p += cut;
    }
    out.append(p, static_cast<size_t>(lineEnd - p));
    out.append("\r\n", 2);
    p = eol ? eol + 2 : end;
  }
  return out;
}

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

// Two output characters for every 12-bit value, so a group of three bytes is two lookups.
struct TB64Pairs {
  std::array<std::array<char, 2>, 4096> P{};
  TB64Pairs() {
    for (int i = 0; i < 4096; ++i) P[i] = {kB64[i >> 6], kB64[i & 63]};
  }
};
const TB64Pairs& B64Pairs() {
  static const TB64Pairs table;
  return table;
}

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
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t blankRun = kNone;   // start in out of the literal blanks written last
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = s[i];
    switch (t.Body[c]) {
      case qpLiteral:
        out.push_back(static_cast<char>(c));
        blankRun = kNone;
        break;
      case qpBlank:
        if (blankRun == kNone) blankRun = out.size();
        out.push_back(static_cast<char>(c));
        break;
      case qpCR:
        if (i + 1 < n && s[i + 1] == '\n') {
          // A line end: blanks before it would be lost in transport.
          if (blankRun != kNone) EscapeTrailingRun(out, blankRun);
          out.append("\r\n", 2);
          ++i;
        } else {
          PutEscape(out, c);
        }
        blankRun = kNone;
        break;
      default:   // lone LF and every byte that must be escaped
        PutEscape(out, c);
        blankRun = kNone;
        break;
    }
  }
  // The final CRLF comes after this check, so blanks at the very end are escaped too.
  if (blankRun != kNone) EscapeTrailingRun(out, blankRun);
  return CutQPLines(out);
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
  const auto& pairs = B64Pairs().P;
  const size_t n = data.size();
  const auto* s = reinterpret_cast<const unsigned char*>(data.data());
  const size_t groups = n / 3;
  const size_t chars = (n + 2) / 3 * 4;
  AnsiString out;
  out.resize(chars + (chars + 75) / 76 * 2);
  char* o = out.data();
  size_t g = 0;
  // Whole lines of 57 bytes first: 19 groups give 76 characters.
  while (g + 19 <= groups) {
    for (int k = 0; k < 19; ++k, s += 3) {
      const unsigned v = (unsigned(s[0]) << 16) | (unsigned(s[1]) << 8) | s[2];
      std::memcpy(o, pairs[v >> 12].data(), 2);
      std::memcpy(o + 2, pairs[v & 4095].data(), 2);
      o += 4;
    }
    *o++ = '\r';
    *o++ = '\n';
    g += 19;
  }
  const size_t rest = n - g * 3;
  if (rest > 0) {
    for (; g < groups; ++g, s += 3) {
      const unsigned v = (unsigned(s[0]) << 16) | (unsigned(s[1]) << 8) | s[2];
      std::memcpy(o, pairs[v >> 12].data(), 2);
      std::memcpy(o + 2, pairs[v & 4095].data(), 2);
      o += 4;
    }
    const size_t tail = n - groups * 3;
    if (tail == 1) {
      const unsigned v = unsigned(s[0]) << 16;
      *o++ = kB64[v >> 18];
      *o++ = kB64[(v >> 12) & 63];
      *o++ = '=';
      *o++ = '=';
    } else if (tail == 2) {
      const unsigned v = (unsigned(s[0]) << 16) | (unsigned(s[1]) << 8);
      *o++ = kB64[v >> 18];
      *o++ = kB64[(v >> 12) & 63];
      *o++ = kB64[(v >> 6) & 63];
      *o++ = '=';
    }
    *o++ = '\r';
    *o++ = '\n';
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

AnsiString EncodeBase64Text(std::string_view text) {
  // The text's lines joined with CRLF, without a final one.
  AnsiString joined;
  joined.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      joined.append("\r\n", 2);
    } else {
      joined.push_back(c);
    }
  }
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
