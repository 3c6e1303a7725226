// Header texts of the mail module: small text helpers, encoded words, folding, dates, boundaries.
#include <vector>
#include "mail/MailEncoders.h"
#include "mail/MailText.h"
#include "platform/rtl/Random.h"

namespace orv {

AnsiString TrimBlanks(std::string_view text) {
  size_t b = 0;
  while (b < text.size() && (text[b] == ' ' || text[b] == '\t')) ++b;
  size_t e = text.size();
  while (e > b && text[e - 1] == ' ') --e;
  return AnsiString(text.substr(b, e - b));
}

AnsiString TrimLeadingBlanks(std::string_view text) {
  size_t b = 0;
  while (b < text.size() && (text[b] == ' ' || text[b] == '\t')) ++b;
  return AnsiString(text.substr(b));
}

AnsiString PadLeft(std::string_view text, Integer width, std::string_view fill) {
  AnsiString s = TrimLeadingBlanks(text);
  if (width < 0) width = 0;
  const auto w = static_cast<size_t>(width);
  if (s.size() > w) return s.substr(s.size() - w);
  if (fill.empty()) return s;
  while (s.size() < w) s.insert(0, fill);
  return s;
}

AnsiString NextLine(std::string_view text, Integer& position) {
  if (position < 1 || static_cast<size_t>(position) > text.size()) {
    position = -1;
    return {};
  }
  const size_t start = static_cast<size_t>(position - 1);
  const size_t crlf = text.find("\r\n", start);
  const size_t end = crlf == std::string_view::npos ? text.size() : crlf + 2;
  position = end >= text.size() ? -1 : static_cast<Integer>(end + 1);
  return AnsiString(text.substr(start, end - start));
}

bool IsDottedNumber(std::string_view text) {
  if (text.empty()) return false;
  size_t pieceLen = 0;
  for (char c : text) {
    if (c == '.') {
      if (pieceLen == 0) return false;
      pieceLen = 0;
    } else if (c >= '0' && c <= '9') {
      ++pieceLen;
    } else {
      return false;
    }
  }
  return pieceLen > 0;
}

AnsiString SafeFileName(std::string_view text) {
  AnsiString s = TrimBlanks(text);
  if (s.size() > 254) s.resize(254);
  for (char& c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || c == ':' || c == '\\' || c == '/' || c == '*' || c == '?' || c == '"' ||
        c == '<' || c == '>' || c == '|' || c == '\'')
      c = '_';
  }
  return s;
}

LongWord Random32() {
  static const bool seeded = (Randomize(), true);
  (void)seeded;
  const auto hi = static_cast<LongWord>(Random(65536));
  const auto lo = static_cast<LongWord>(Random(65536));
  return (hi << 16) | lo;
}

AnsiString NewBoundary() {
  AnsiString b = "boundary";
  AppendHex(b, static_cast<unsigned>(Random32()), 8);
  return b;
}

AnsiString EncodeHeaderWord(std::string_view text, std::string_view charset) {
  AnsiString q = EncodeQuotedPrintable(text, true);
  if (q == text) return AnsiString(text);
  return "=?" + AnsiString(charset) + "?Q?" + q + "?=";
}

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Encoded words of at most 75 characters separated by blanks; keep(c) says which bytes stay.
template <class Keep>
AnsiString EncodeWords(std::string_view text, std::string_view charset, Keep keep) {
  const AnsiString open = "=?" + AnsiString(charset) + "?Q?";
  const size_t overhead = open.size() + 2;
  const size_t room = overhead + 3 <= 75 ? 75 - overhead : 3;
  AnsiString out;
  AnsiString word;
  auto flush = [&] {
    if (word.empty()) return;
    if (!out.empty()) out.push_back(' ');
    out += open;
    out += word;
    out += "?=";
    word.clear();
  };
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const size_t need = keep(c) ? 1 : 3;
    if (word.size() + need > room) flush();
    if (need == 1) {
      word.push_back(ch);
    } else {
      word.push_back('=');
      word.push_back(kHexDigits[c >> 4]);
      word.push_back(kHexDigits[c & 15]);
    }
  }
  flush();
  return out;
}

// A long run of text with no place to fold would pass the line limit of 998.
constexpr size_t kPlainLimit = 900;

}  // namespace

AnsiString EncodeHeaderWords(std::string_view text, std::string_view charset) {
  const AnsiString q = EncodeQuotedPrintable(text, true);
  // Folding cuts a plain text without blanks only after a ",", and the fold's TAB would become
  // part of the subject; a text that fits the line after "Subject: " is never folded.
  const bool foldedAtComma = text.size() > 72 - 9 && text.find(',') != std::string_view::npos;
  if (q == text && text.size() <= kPlainLimit && text.find(';') == std::string_view::npos &&
      !foldedAtComma)
    return AnsiString(text);
  return EncodeWords(text, charset, [](unsigned char c) {
    return c > 32 && c <= 126 && c != '=' && c != '"' && c != '\'' && c != '(' && c != ')' &&
           c != '<' && c != '>' && c != '?' && c != '_' && c != ',' && c != ';' && c != '\\';
  });
}

AnsiString EncodeDisplayName(std::string_view name, std::string_view charset) {
  if (name.empty()) return {};
  // A name that looks like an encoded word would be decoded when read back.
  bool printable = name.find("=?") == std::string_view::npos;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 32 || c > 126) printable = false;
  }
  if (printable) {
    AnsiString out = "\"";
    for (char ch : name) {
      if (ch == '\\' || ch == '"') out.push_back('\\');
      out.push_back(ch);
    }
    out.push_back('"');
    // The escapes count too: a quoted string has no place to fold.
    if (out.size() <= kPlainLimit) return out;
  }
  // A phrase allows only these characters inside an encoded word.
  return EncodeWords(name, charset, [](unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '!' || c == '*' || c == '+' || c == '-' || c == '/';
  });
}

AnsiString DecodeHeaderWords(std::string_view input) {
  const AnsiString text = TrimBlanks(input);
  const size_t n = text.size();
  AnsiString out;
  out.reserve(n);
  size_t pos = 0;
  bool afterWord = false;
  while (pos < n) {
    const size_t start = text.find("=?", pos);
    if (start == AnsiString::npos) break;
    const size_t q1 = text.find('?', start + 2);
    if (q1 == AnsiString::npos) break;
    // Past the encoding letter's "?", so a leading escape "=XX" is not taken for the end.
    const size_t from = (q1 + 2 < n && text[q1 + 2] == '?') ? q1 + 3 : q1 + 1;
    const size_t end = text.find("?=", from);
    if (end == AnsiString::npos) break;
    const std::string_view gap(text.data() + pos, start - pos);
    bool blankGap = afterWord;
    for (char c : gap)
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') blankGap = false;
    if (!blankGap) out.append(gap);
    const std::string_view stretch(text.data() + q1 + 1, end - q1 - 1);
    char kind = 'Q';
    if (stretch.size() >= 2 && stretch[1] == '?') {
      char k = stretch[0];
      if (k >= 'a' && k <= 'z') k = static_cast<char>(k - 'a' + 'A');
      if (k == 'B' || k == 'U') kind = k;
    }
    const std::string_view data = stretch.size() >= 2 ? stretch.substr(2) : std::string_view();
    if (kind == 'B') {
      DecodeBase64Line(data, out);
    } else if (kind == 'U') {
      DecodeUULine(data, out);
    } else {
      AnsiString q(data);
      for (char& c : q)
        if (c == '_') c = ' ';
      out += DecodeQuotedPrintable(q);
    }
    pos = end + 2;
    afterWord = true;
  }
  out.append(text, pos, AnsiString::npos);
  return out;
}

AnsiString FoldHeader(std::string_view headerText) {
  AnsiString text;
  text.reserve(headerText.size() + 16);
  AppendWithCRLF(text, headerText);
  while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
    text.resize(text.size() - 2);
  AnsiString out;
  if (text.empty()) return out;
  out.reserve(text.size() + text.size() / 30 + 4);
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t eol = text.find("\r\n", pos);
    if (eol == AnsiString::npos) eol = text.size();
    const size_t from = pos;
    pos = eol + 2;
    if (eol - from <= 72) {
      out.append(text, from, eol - from);
      out += "\r\n";
      if (eol >= text.size()) break;
      continue;
    }
    AnsiString line = text.substr(from, eol - from);
    std::vector<bool> quoted;
    bool rest = false;
    for (;;) {
      if (line.size() <= 72) {
        out += line;
        out += "\r\n";
        break;
      }
      // 1-based positions: the cut is searched from the end down to start. Only the field's own
      // line has a name to keep whole; a ": " in the rest of a cut line belongs to its value (a
      // display name), and starting there would leave the whole rest uncut.
      size_t start = 2;
      if (rest) {
        // start stays 2
      } else if (line[0] == '\t') {
        start = 36;
      } else if (size_t colon = line.find(": "); colon != AnsiString::npos) {
        start = colon + 3;
      }
      // Quoted stretches are found from the start of the line: inside double quotes a backslash
      // escapes the next character, so an escaped quote in a display name neither ends nor opens
      // a stretch (a cut there would turn the name's blank into the fold's TAB).
      quoted.assign(line.size(), false);
      char quote = 0;
      for (size_t k = 0; k < line.size(); ++k) {
        const char c = line[k];
        if (quote) {
          quoted[k] = true;
          if (c == '\\' && quote == '"' && k + 1 < line.size()) quoted[++k] = true;
          else if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
          quoted[k] = true;
        }
      }
      // The rightmost cut at or before 72; when there is none, the leftmost after it, so that a
      // line of long words (encoded words are up to 75 characters) is still folded between them.
      size_t cut = 0;
      size_t later = 0;
      for (size_t i = line.size(); i >= start && i >= 1; --i) {
        const char c = line[i - 1];
        if (quoted[i - 1]) continue;
        if (c == ' ' || c == ',' || c == ';') {
          if (i <= 72) {
            cut = i;
            break;
          }
          later = i;
        }
      }
      if (cut == 0) cut = later;
      if (cut == 0) {
        out += line;
        out += "\r\n";
        break;
      }
      if (line[cut - 1] == ' ') out.append(line, 0, cut - 1);
      else out.append(line, 0, cut);
      out += "\r\n\t";
      line.erase(0, cut);
      rest = true;
    }
    if (eol >= text.size()) break;
  }
  return out;
}

}  // namespace orv
