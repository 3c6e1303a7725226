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

// Values never carry a line end, so no value can start a header line of its own.
AnsiString OneLine(std::string_view value) {
  AnsiString r(value);
  for (char& c : r)
    if (c == '\r' || c == '\n') c = ' ';
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

// Finds parameter param of a header line after its first unquoted ":".
bool FindParam(const AnsiString& line, std::string_view param, TParamSpan& span) {
  const size_t colon = FindUnquoted(line, ':', 0);
  if (colon == AnsiString::npos) return false;
  const AnsiString want = Lower(TrimBlanks(param));
  size_t semi = FindUnquoted(line, ';', colon + 1);
  while (semi != AnsiString::npos) {
    const size_t next = FindUnquoted(line, ';', semi + 1);
    const size_t stop = next == AnsiString::npos ? line.size() : next;
    const size_t eq = line.find('=', semi + 1);
    if (eq != AnsiString::npos && eq < stop) {
      if (Lower(TrimBlanks(std::string_view(line).substr(semi + 1, eq - semi - 1))) == want) {
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

}  // namespace

size_t FindUnquoted(std::string_view s, char target, size_t from) {
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

static Integer FieldLine(const THeaderLines& h, std::string_view name) {
  return TMailPart::FindHeaderLine(&h, AnsiString(name) + ":", 0);
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
  line.replace(colon + 1, semi - colon - 1, " " + TrimBlanks(OneLine(value)));
}

void TMailPart::SetHeaderParam(std::string_view name, std::string_view param,
                               std::string_view value) {
  Integer i = FieldLine(FHeader, name);
  if (i < 0) {
    FHeader.push_back(AnsiString(name) + ": ");
    i = static_cast<Integer>(FHeader.size() - 1);
  }
  AnsiString& line = FHeader[static_cast<size_t>(i)];
  line = TrimBlanks(line);
  const bool added = line.empty() || line.back() != ';';
  if (added) line.push_back(';');
  const AnsiString v = TrimBlanks(OneLine(value));
  TParamSpan span;
  if (FindParam(line, param, span)) {
    line.replace(span.ValueStart, span.ValueEndSet - span.ValueStart, v);
    if (added) line.pop_back();
  } else {
    if (added) line.pop_back();
    line += (added ? "; " : " ") + TrimBlanks(OneLine(param)) + "=" + v;
  }
}

void TMailPart::RemoveHeaderLines(std::string_view name) {
  const AnsiString prefix = AnsiString(name) + ":";
  std::erase_if(FHeader, [&](const AnsiString& l) { return StartsWithNoCase(l, prefix); });
}

bool TMailPart::HasHeader(std::string_view name) const { return FieldLine(FHeader, name) >= 0; }

bool TMailPart::HasHeaderParam(std::string_view name, std::string_view param) const {
  return HasHeader(name) && !GetHeaderParam(name, param).empty();
}

AnsiString TMailPart::GetContentType() const { return Lower(GetHeaderValue("Content-Type")); }
AnsiString TMailPart::GetBoundary() const { return GetHeaderParam("Content-Type", "boundary"); }

AnsiString TMailPart::HeaderText() const {
  AnsiString t;
  for (const AnsiString& l : FHeader) {
    t += l;
    t += "\r\n";
  }
  return t;
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
  switch (type) {
    case etBase64:
      FBody = EncodeBase64(FDecoded);
      SetHeaderValue("Content-Transfer-Encoding", "base64");
      break;
    case etQuotedPrintable:
      FBody.clear();
      SetHeaderValue("Content-Transfer-Encoding", "quoted-printable");
      if (!FDecoded.empty()) FBody = EncodeQuotedPrintable(FDecoded, false);
      break;
    case etNoEncoding:
      FBody = FDecoded;
      SetHeaderValue("Content-Transfer-Encoding", "");
      break;
  }
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
