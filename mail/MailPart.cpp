// A MIME part: header-line operations, the per-part codecs and the wire text.
#include <algorithm>
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"
#include "mail/MailText.h"

namespace orv {

namespace {

AnsiString Lower(std::string_view s) {
  AnsiString r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

// Strips outer double quotes, then outer quotes of either kind once more on longer values.
AnsiString StripOuterQuotes(AnsiString v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  if (v.size() > 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\''))
    v = v.substr(1, v.size() - 2);
  return v;
}

struct TParamSpan {
  size_t ValueStart = AnsiString::npos;   // behind the "="
  size_t ValueEndSet = 0;                 // next unquoted ";" (or the end)
  size_t ValueEndGet = 0;                 // also ended by an unquoted "="
};

// The text as TrimBlanks leaves it (leading blanks and TABs, trailing blanks gone), as a view.
std::string_view TrimmedView(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
  size_t e = s.size();
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

// Equal once both are lower-cased in A to Z only.
bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Finds parameter param of a header line after its first unquoted ":".
bool FindParam(const AnsiString& line, std::string_view param, TParamSpan& span) {
  const size_t colon = FindUnquoted(line, ':', 0);
  if (colon == AnsiString::npos) return false;
  const std::string_view want = TrimmedView(param);
  size_t semi = FindUnquoted(line, ';', colon + 1);
  while (semi != AnsiString::npos) {
    const size_t next = FindUnquoted(line, ';', semi + 1);
    const size_t stop = next == AnsiString::npos ? line.size() : next;
    const size_t eq = line.find('=', semi + 1);
    if (eq != AnsiString::npos && eq < stop) {
      if (SameNoCase(TrimmedView(std::string_view(line).substr(semi + 1, eq - semi - 1)), want)) {
        span.ValueStart = eq + 1;
        span.ValueEndSet = stop;
        const size_t eq2 = FindUnquoted(line, '=', eq + 1);
        span.ValueEndGet = (eq2 != AnsiString::npos && eq2 < stop) ? eq2 : stop;
        return true;
      }
    }
    semi = next;
  }
  return false;
}

// A value on one line: CR and LF become blanks (so no value can start a header line of its own),
// then it is trimmed as TrimBlanks does (leading blanks and TABs, trailing blanks).
void AppendOneLineTrimmed(AnsiString& out, std::string_view value) {
  size_t b = 0;
  while (b < value.size() && (value[b] == ' ' || value[b] == '\t' || value[b] == '\r' || value[b] == '\n')) ++b;
  size_t e = value.size();
  while (e > b && (value[e - 1] == ' ' || value[e - 1] == '\r' || value[e - 1] == '\n')) --e;
  const size_t from = out.size();
  out.append(value.substr(b, e - b));
  char* const end = out.data() + out.size();
  for (char* c = const_cast<char*>(FindLineBreak(out.data() + from, end)); c < end;
       c = const_cast<char*>(FindLineBreak(c + 1, end)))
    *c = ' ';
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char a = s[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

bool IsFieldLine(std::string_view line, std::string_view name) {
  return line.size() > name.size() && line[name.size()] == ':' && StartsWithNoCase(line, name);
}

}  // namespace

size_t FindUnquoted(std::string_view s, char target, size_t from) {
  if (from >= s.size()) return AnsiString::npos;
  // Most header lines hold no quote before the character looked for.
  const size_t at = s.find(target, from);
  const size_t quote = s.find('"', from);
  if (quote == std::string_view::npos || (at != std::string_view::npos && at < quote)) return at;
  bool quoted = false;
  for (size_t i = from; i < s.size(); ++i) {
    const char c = s[i];
    if (quoted) {
      if (c == '\\') ++i;
      else if (c == '"') quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == target) {
      return i;
    }
  }
  return AnsiString::npos;
}

bool HeaderLineIs(std::string_view line, std::string_view prefix) {
  return StartsWithNoCase(line, prefix);
}

TMailPart::TMailPart(TMailMessage* owner) : FOwnerMessage(owner) {}
TMailPart::~TMailPart() = default;

Integer TMailPart::FindHeaderLine(const THeaderLines* list, std::string_view prefix, Integer n) {
  if (!list) return -1;
  for (size_t i = 0; i < list->size(); ++i)
    if (StartsWithNoCase((*list)[i], prefix) && n-- == 0) return static_cast<Integer>(i);
  return -1;
}

// The line of field name: the first that begins with name and ":" (name a-z case-insensitive).
static Integer FieldLine(const THeaderLines& h, std::string_view name) {
  for (size_t i = 0; i < h.size(); ++i)
    if (IsFieldLine(h[i], name)) return static_cast<Integer>(i);
  return -1;
}

AnsiString TMailPart::GetHeaderValue(std::string_view name) const {
  const Integer i = FieldLine(FHeader, name);
  if (i < 0) return {};
  const AnsiString& line = FHeader[static_cast<size_t>(i)];
  const size_t colon = FindUnquoted(line, ':', 0);
  if (colon == AnsiString::npos) return {};
  size_t semi = FindUnquoted(line, ';', colon + 1);
  if (semi == AnsiString::npos) semi = line.size();
  return StripOuterQuotes(TrimBlanks(std::string_view(line).substr(colon + 1, semi - colon - 1)));
}

AnsiString TMailPart::GetHeaderParam(std::string_view name, std::string_view param) const {
  const Integer i = FieldLine(FHeader, name);
  if (i < 0) return {};
  const AnsiString& line = FHeader[static_cast<size_t>(i)];
  TParamSpan span;
  if (!FindParam(line, param, span)) return {};
  return StripOuterQuotes(
      TrimBlanks(std::string_view(line).substr(span.ValueStart, span.ValueEndGet - span.ValueStart)));
}

void TMailPart::SetHeaderValue(std::string_view name, std::string_view value) {
  Integer i = FieldLine(FHeader, name);
  if (value.empty()) {
    if (i >= 0) FHeader.erase(FHeader.begin() + i);
    return;
  }
  if (i < 0) {
    FHeader.push_back(AnsiString(name) + ": ");
    i = static_cast<Integer>(FHeader.size() - 1);
  }
  AnsiString& line = FHeader[static_cast<size_t>(i)];
  const size_t colon = FindUnquoted(line, ':', 0);
  size_t semi = FindUnquoted(line, ';', colon + 1);
  if (semi == AnsiString::npos) semi = line.size();
  // Most lines hold the value alone: the new line is written whole rather than spliced.
  AnsiString updated;
  updated.reserve(colon + 2 + value.size() + (line.size() - semi));
  updated.append(line, 0, colon + 1);
  updated.push_back(' ');
  AppendOneLineTrimmed(updated, value);
  updated.append(line, semi, AnsiString::npos);
  line.swap(updated);
}

void TMailPart::SetHeaderParam(std::string_view name, std::string_view param,
                               std::string_view value) {
  Integer i = FieldLine(FHeader, name);
  if (i < 0) {
    FHeader.push_back(AnsiString(name) + ": ");
    i = static_cast<Integer>(FHeader.size() - 1);
  }
  AnsiString& line = FHeader[static_cast<size_t>(i)];
  const std::string_view trimmed = TrimmedView(line);
  if (trimmed.size() != line.size()) line = AnsiString(trimmed);
  const bool added = line.empty() || line.back() != ';';
  if (added) line.push_back(';');
  AnsiString v;
  AppendOneLineTrimmed(v, value);
  TParamSpan span;
  if (FindParam(line, param, span)) {
    line.replace(span.ValueStart, span.ValueEndSet - span.ValueStart, v);
    if (added) line.pop_back();
  } else {
    if (added) line.pop_back();
    line += added ? "; " : " ";
    AppendOneLineTrimmed(line, param);
    line += '=';
    line += v;
  }
}

void TMailPart::RemoveHeaderLines(std::string_view name) {
  std::erase_if(FHeader, [&](const AnsiString& l) { return IsFieldLine(l, name); });
}

bool TMailPart::HasHeader(std::string_view name) const { return FieldLine(FHeader, name) >= 0; }

bool TMailPart::HasHeaderParam(std::string_view name, std::string_view param) const {
  return HasHeader(name) && !GetHeaderParam(name, param).empty();
}

AnsiString TMailPart::GetContentType() const { return Lower(GetHeaderValue("Content-Type")); }
AnsiString TMailPart::GetBoundary() const { return GetHeaderParam("Content-Type", "boundary"); }

AnsiString TMailPart::HeaderText() const {
  AnsiString t;
  size_t size = 0;
  for (const AnsiString& l : FHeader) size += l.size() + 2;
  t.reserve(size);
  for (const AnsiString& l : FHeader) {
    t += l;
    t += "\r\n";
  }
  return t;
}

bool TMailPart::HeaderTextIs(std::string_view text) const {
  size_t pos = 0;
  for (const AnsiString& l : FHeader) {
    if (text.size() - pos < l.size() + 2 || text.compare(pos, l.size(), l) != 0 ||
        text[pos + l.size()] != '\r' || text[pos + l.size() + 1] != '\n')
      return false;
    pos += l.size() + 2;
  }
  return pos == text.size();
}

void TMailPart::SetHeaderText(std::string_view text) {
  FHeader.clear();
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find_first_of("\r\n", pos);
    if (eol == std::string_view::npos) eol = text.size();
    FHeader.emplace_back(text.substr(pos, eol - pos));
    pos = eol;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}

AnsiString TMailPart::GetSource() const {
  AnsiString s = FoldHeader(HeaderText());
  s += "\r\n";
  s += FBody;
  return s;
}

bool TMailPart::Decode() {
  if (IsDecoded) return true;
  IsDecoded = true;
  if (FBody.empty()) return true;
  FEncodedAs = -1;
  const AnsiString cte = Lower(GetHeaderValue("Content-Transfer-Encoding"));
  if (cte == "quoted-printable") {
    FDecoded = DecodeQuotedPrintable(FBody);
  } else if (cte == "base64") {
    FDecoded.clear();
    FDecoded.reserve(FBody.size() / 4 * 3);
    Integer pos = 1;
    while (pos != -1) DecodeBase64Line(TrimBlanks(NextLine(FBody, pos)), FDecoded);
  } else if (cte == "uucode" || cte == "x-uuencode") {
    FDecoded.clear();
    Integer pos = 1;
    while (pos != -1) {
      AnsiString line = NextLine(FBody, pos);
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      DecodeUULine(TrimBlanks(line), FDecoded);
    }
    Encode(etBase64);
  } else {
    FDecoded = FBody;
  }
  return true;
}

void TMailPart::Encode(TEncodingType type) {
  // A part moved whole into another keeps its encoded body: encoding it again gives the same.
  const bool encoded = FEncodedAs == static_cast<int>(type);
  switch (type) {
    case etBase64:
      if (!encoded) FBody = EncodeBase64(FDecoded);
      SetHeaderValue("Content-Transfer-Encoding", "base64");
      break;
    case etQuotedPrintable:
      if (!encoded) FBody.clear();
      SetHeaderValue("Content-Transfer-Encoding", "quoted-printable");
      if (!encoded && !FDecoded.empty()) FBody = EncodeQuotedPrintable(FDecoded, false);
      break;
    case etNoEncoding:
      if (!encoded) FBody = FDecoded;
      SetHeaderValue("Content-Transfer-Encoding", "");
      break;
  }
  FEncodedAs = static_cast<int>(type);
}

void TMailPart::DetachPart(TMailPart* part) {
  if (!part || !part->FParentPart || part == part->FOwnerMessage) return;
  TMailPartList& list = part->FParentPart->FSubParts;
  auto it = std::find(list.begin(), list.end(), part);
  if (it == list.end()) return;
  list.erase(it);
  part->FParentPart = nullptr;
}

}  // namespace orv
