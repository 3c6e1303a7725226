// Rich text as the rich edit holds it: paragraphs of runs with character and paragraph attributes,
// and positions counted the way the control counts them (one per paragraph or line break).
#pragma once
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Types.h"

namespace orv {

// Inside run text a line break (\line) is U+000B and a tab is U+0009; paragraph ends are not stored
// in the text, they separate the paragraphs.
inline constexpr char16_t kRichLineBreak = u'\v';
inline constexpr char16_t kRichParagraphBreak = u'\r';

struct TRichCharFormat {
  AnsiString Name = "Arial";   // the face as the document names it, never substituted
  Integer Size = 10;            // points
  TColor Color = clBlack;
  TFontStyles Style;
  TFontCharset Charset = ANSI_CHARSET;
  friend bool operator==(const TRichCharFormat&, const TRichCharFormat&) = default;
};

enum TNumberingStyle { nsNone, nsBullet };

struct TRichParaFormat {
  TAlignment Alignment = taLeftJustify;
  TNumberingStyle Numbering = nsNone;
  friend bool operator==(const TRichParaFormat&, const TRichParaFormat&) = default;
};

struct TRichRun {
  TRichCharFormat Format;
  WideString Text;
  friend bool operator==(const TRichRun&, const TRichRun&) = default;
};

struct TRichParagraph {
  TRichParaFormat Format;
  std::vector<TRichRun> Runs;   // an empty paragraph has no runs
  friend bool operator==(const TRichParagraph&, const TRichParagraph&) = default;
};

struct TRichDocument {
  std::vector<TRichParagraph> Paragraphs;
  TRichCharFormat DefaultFormat;   // of text typed where no run gives one (an empty paragraph)

  // The whole text with a paragraph break between paragraphs (none after the last).
  WideString Text() const;
  // The text split at paragraph and line breaks: what the control shows as Lines.
  std::vector<WideString> Lines() const;
  // Number of positions: characters plus one per break between paragraphs.
  Integer Length() const;
  // Attributes at a position (0 .. Length()); a break position has those of the run before it, an
  // empty paragraph the default attributes. Positions past the end read as the end.
  TRichCharFormat FormatAt(Integer position) const;
  TRichParaFormat ParagraphAt(Integer position) const;
  // Adds text with one format to the last paragraph, starting one when there is none; U+000D in text
  // starts a new paragraph with the same paragraph format.
  void Append(const WideString& text, const TRichCharFormat& format);
  // Joins neighbouring runs of equal format and drops empty runs.
  void Normalize();
};

}  // namespace orv
