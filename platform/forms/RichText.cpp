// Rich text positions, lines and attribute look-ups over paragraphs of runs.
#include "platform/forms/RichText.h"

namespace orv {

WideString TRichDocument::Text() const {
  WideString out;
  for (size_t p = 0; p < Paragraphs.size(); ++p) {
    if (p > 0) out += kRichParagraphBreak;
    for (const TRichRun& run : Paragraphs[p].Runs) out += run.Text;
  }
  return out;
}

std::vector<WideString> TRichDocument::Lines() const {
  std::vector<WideString> lines;
  for (const TRichParagraph& para : Paragraphs) {
    lines.emplace_back();
    for (const TRichRun& run : para.Runs)
      for (char16_t c : run.Text) {
        if (c == kRichLineBreak)
          lines.emplace_back();
        else
          lines.back() += c;
      }
  }
  return lines;
}

Integer TRichDocument::Length() const {
  size_t n = Paragraphs.empty() ? 0 : Paragraphs.size() - 1;
  for (const TRichParagraph& para : Paragraphs)
    for (const TRichRun& run : para.Runs) n += run.Text.size();
  return static_cast<Integer>(n);
}

TRichCharFormat TRichDocument::FormatAt(Integer position) const {
  const TRichCharFormat* last = &DefaultFormat;
  Integer pos = 0;
  for (const TRichParagraph& para : Paragraphs) {
    if (para.Runs.empty()) last = &DefaultFormat;
    for (const TRichRun& run : para.Runs) {
      if (run.Text.empty()) continue;
      const Integer len = static_cast<Integer>(run.Text.size());
      if (position < pos + len) return run.Format;
      pos += len;
      last = &run.Format;
    }
    if (position == pos) return *last;   // the paragraph's break
    ++pos;
  }
  return *last;
}

TRichParaFormat TRichDocument::ParagraphAt(Integer position) const {
  if (Paragraphs.empty()) return {};
  Integer pos = 0;
  for (const TRichParagraph& para : Paragraphs) {
    Integer len = 0;
    for (const TRichRun& run : para.Runs) len += static_cast<Integer>(run.Text.size());
    if (position <= pos + len) return para.Format;
    pos += len + 1;
  }
  return Paragraphs.back().Format;
}

void TRichDocument::Append(const WideString& text, const TRichCharFormat& format) {
  if (Paragraphs.empty()) Paragraphs.emplace_back();
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != kRichParagraphBreak) continue;
    if (i > start) Paragraphs.back().Runs.push_back({format, text.substr(start, i - start)});
    if (i < text.size()) {
      const TRichParaFormat para = Paragraphs.back().Format;
      Paragraphs.emplace_back().Format = para;
      // CR LF counts as one break
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    }
    start = i + 1;
  }
}

void TRichDocument::Normalize() {
  for (TRichParagraph& para : Paragraphs) {
    std::vector<TRichRun> runs;
    for (TRichRun& run : para.Runs) {
      if (run.Text.empty()) continue;
      if (!runs.empty() && runs.back().Format == run.Format)
        runs.back().Text += run.Text;
      else
        runs.push_back(std::move(run));
    }
    para.Runs = std::move(runs);
  }
}

}  // namespace orv
