// Edit masks: parsing, formatting a text into the mask's positions and back, and typing.
#include "platform/forms/MaskUtils.h"

#include "platform/rtl/LocaleFormats.h"
#include "platform/rtl/SysUtils.h"

namespace orv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Letters of the ANSI code page: the Latin ones and the accented ones above 0xC0 (without the
// multiplication and division signs).
bool IsLetter(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (c >= 0xC0 && c != 0xD7 && c != 0xF7) return true;
  return c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9A || c == 0x9C || c == 0x9E || c == 0x9F;
}

char Shift(char ch, TMaskCase mc) {
  if (mc == mcNone) return ch;
  const std::string_view one(&ch, 1);
  return mc == mcUpper ? AnsiUpperCase(one)[0] : AnsiLowerCase(one)[0];
}

}  // namespace

TEditMask::TEditMask(const AnsiString& mask) : FSource(mask) {
  // The sections are split at the last two unescaped separators.
  std::vector<std::size_t> separators;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] == '\\') {
      ++i;
      continue;
    }
    if (mask[i] == MaskFieldSeparator) separators.push_back(i);
  }
  std::size_t maskEnd = mask.size();
  if (!separators.empty()) {
    const std::size_t count = std::min<std::size_t>(separators.size(), 2);
    const std::size_t first = separators[separators.size() - count];
    maskEnd = first;
    const std::size_t saveEnd = count == 2 ? separators.back() : mask.size();
    const AnsiString save = mask.substr(first + 1, saveEnd - first - 1);
    FSaveLiterals = save.empty() || save[0] != MaskNoSave;
    if (count == 2 && separators.back() + 1 < mask.size()) FBlank = mask[separators.back() + 1];
  }
  const TLocaleFormats& formats = CurrentLocaleFormats();
  TMaskCase mc = mcNone;
  for (std::size_t i = 0; i < maskEnd; ++i) {
    const char c = mask[i];
    TMaskPosition p;
    p.Case = mc;
    switch (c) {
      case '!': FLeadingBlanks = true; continue;
      case '>':
        if (i + 1 < maskEnd && mask[i + 1] == '<') {
          mc = mcNone;
          ++i;
        } else {
          mc = mcUpper;
        }
        continue;
      case '<':
        if (i + 1 < maskEnd && mask[i + 1] == '>') {
          mc = mcNone;
          ++i;
        } else {
          mc = mcLower;
        }
        continue;
      case '\\':
        if (i + 1 >= maskEnd) continue;
        p.Literal = mask[++i];
        break;
      case 'L': case 'l': p.Kind = mkLetter; p.Required = c == 'L'; break;
      case 'A': case 'a': p.Kind = mkAlphaNum; p.Required = c == 'A'; break;
      case 'C': case 'c': p.Kind = mkAnyChar; p.Required = c == 'C'; break;
      case '0': case '9': p.Kind = mkDigit; p.Required = c == '0'; break;
      case '#': p.Kind = mkDigitSign; break;
      case ':': p.Literal = formats.TimeSeparator; break;
      case '/': p.Literal = formats.DateSeparator; break;
      case '_': p.Literal = ' '; break;
      default: p.Literal = c; break;
    }
    FPositions.push_back(p);
  }
}

AnsiString TEditMask::EmptyText() const {
  AnsiString out;
  out.reserve(FPositions.size());
  for (const TMaskPosition& p : FPositions) out += p.Kind == mkLiteral ? p.Literal : FBlank;
  return out;
}

char TEditMask::Accept(Integer index, char ch) const {
  if (index < 0 || index >= Count()) return 0;
  const TMaskPosition& p = Position(index);
  bool fits = false;
  switch (p.Kind) {
    case mkLiteral: return 0;
    case mkLetter: fits = IsLetter(ch); break;
    case mkAlphaNum: fits = IsLetter(ch) || IsDigit(ch); break;
    case mkAnyChar: fits = static_cast<unsigned char>(ch) >= 0x20; break;
    case mkDigit: fits = IsDigit(ch); break;
    case mkDigitSign: fits = IsDigit(ch) || ch == '+' || ch == '-'; break;
  }
  return fits ? Shift(ch, p.Case) : 0;
}

AnsiString TEditMask::FormatEditText(const AnsiString& editText) const {
  AnsiString out = EmptyText();
  const Integer length = std::min<Integer>(static_cast<Integer>(editText.size()), Count());
  for (Integer i = 0; i < length; ++i) {
    const char c = editText[static_cast<std::size_t>(i)];
    if (IsLiteral(i) || c == ' ' || c == FBlank) continue;
    if (const char a = Accept(i, c)) out[static_cast<std::size_t>(i)] = a;
  }
  return out;
}

AnsiString TEditMask::Format(const AnsiString& text) const {
  AnsiString out = EmptyText();
  const auto put = [&](Integer index, char c) {
    if (c == ' ' || c == FBlank) return;
    if (const char a = Accept(index, c)) out[static_cast<std::size_t>(index)] = a;
  };
  if (FSaveLiterals) {
    const Integer length = std::min<Integer>(static_cast<Integer>(text.size()), Count());
    const Integer offset = FLeadingBlanks ? Count() - length : 0;
    for (Integer i = 0; i < length; ++i)
      if (!IsLiteral(i + offset)) put(i + offset, text[static_cast<std::size_t>(i)]);
    return out;
  }
  std::vector<Integer> typed;
  for (Integer i = 0; i < Count(); ++i)
    if (!IsLiteral(i)) typed.push_back(i);
  const std::size_t length = std::min(text.size(), typed.size());
  const std::size_t offset = FLeadingBlanks ? typed.size() - length : 0;
  for (std::size_t j = 0; j < length; ++j) put(typed[j + offset], text[j]);
  return out;
}

AnsiString TEditMask::TextOf(const AnsiString& editText) const {
  AnsiString out;
  for (Integer i = 0; i < Count(); ++i) {
    const char c = static_cast<std::size_t>(i) < editText.size() ? editText[static_cast<std::size_t>(i)] : FBlank;
    if (IsLiteral(i)) {
      if (FSaveLiterals) out += Position(i).Literal;
    } else {
      out += c == FBlank ? ' ' : c;
    }
  }
  return out;
}

Integer TEditMask::NextTyped(Integer index) const {
  for (Integer i = std::max<Integer>(index, 0); i < Count(); ++i)
    if (!IsLiteral(i)) return i;
  return Count();
}

Integer TEditMask::PrevTyped(Integer index) const {
  for (Integer i = std::min<Integer>(index, Count()) - 1; i >= 0; --i)
    if (!IsLiteral(i)) return i;
  return -1;
}

Integer TEditMask::FirstMissing(const AnsiString& editText) const {
  for (Integer i = 0; i < Count(); ++i) {
    if (!Position(i).Required) continue;
    const char c = static_cast<std::size_t>(i) < editText.size() ? editText[static_cast<std::size_t>(i)] : FBlank;
    if (c == FBlank || c == ' ') return i;
  }
  return -1;
}

namespace {

// The edit text fitted to the mask's length (a text set from outside may be shorter or longer).
AnsiString Fitted(const TEditMask& mask, const AnsiString& editText) {
  AnsiString out = editText.substr(0, static_cast<std::size_t>(mask.Count()));
  const AnsiString empty = mask.EmptyText();
  if (out.size() < empty.size()) out += empty.substr(out.size());
  return out;
}

void BlankRange(const TEditMask& mask, AnsiString& text, Integer from, Integer length) {
  const Integer to = std::min<Integer>(from + length, mask.Count());
  for (Integer i = std::max<Integer>(from, 0); i < to; ++i)
    if (!mask.IsLiteral(i)) text[static_cast<std::size_t>(i)] = mask.Blank();
}

}  // namespace

TMaskEditResult MaskTypeChar(const TEditMask& mask, const AnsiString& editText, Integer selStart,
                             Integer selLength, char ch) {
  TMaskEditResult r{Fitted(mask, editText), selStart, true};
  // A literal typed where the mask has it steps over it.
  for (Integer p = selStart; p < mask.Count() && mask.IsLiteral(p); ++p) {
    if (mask.Position(p).Literal == ch) {
      BlankRange(mask, r.EditText, selStart, selLength);
      r.Caret = mask.NextTyped(p + 1);
      return r;
    }
  }
  // The caret already stepped over that literal (its field is full): nothing to do.
  for (Integer p = selStart - 1; selLength == 0 && p >= 0 && mask.IsLiteral(p); --p)
    if (mask.Position(p).Literal == ch && mask.Accept(mask.NextTyped(selStart), ch) == 0) return r;
  const Integer p = mask.NextTyped(selStart);
  const char c = mask.Accept(p, ch);
  if (c == 0) {
    // A separator typed before its field is full moves the caret past it.
    for (Integer q = p; q < mask.Count(); ++q) {
      if (!mask.IsLiteral(q)) continue;
      if (mask.Position(q).Literal == ch) {
        BlankRange(mask, r.EditText, selStart, selLength);
        r.Caret = mask.NextTyped(q + 1);
        return r;
      }
      break;
    }
    r.Accepted = false;
    return r;
  }
  BlankRange(mask, r.EditText, selStart, selLength);
  r.EditText[static_cast<std::size_t>(p)] = c;
  r.Caret = mask.NextTyped(p + 1);
  return r;
}

TMaskEditResult MaskDelete(const TEditMask& mask, const AnsiString& editText, Integer selStart,
                           Integer selLength, bool forward) {
  TMaskEditResult r{Fitted(mask, editText), selStart, true};
  if (selLength > 0) {
    BlankRange(mask, r.EditText, selStart, selLength);
    return r;
  }
  const Integer p = forward ? mask.NextTyped(selStart) : mask.PrevTyped(selStart);
  if (p < 0 || p >= mask.Count()) {
    r.Accepted = false;
    return r;
  }
  r.EditText[static_cast<std::size_t>(p)] = mask.Blank();
  if (!forward) r.Caret = p;
  return r;
}

}  // namespace orv
