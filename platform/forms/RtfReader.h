// Reading rich text (RTF) into a rich-text document: fonts, sizes, colours, styles, alignment,
// bullets, paragraph and line breaks, tabs, code-page bytes and Unicode escapes.
#pragma once
#include <string_view>

#include "platform/forms/RichText.h"

namespace orv {

// Any byte string reads without an exception, in time linear in its length: unknown control words
// are ignored and their text kept; \* destinations and the font table, colour table, stylesheet,
// info, pict, pntext and listtext groups add no text; unbalanced braces end or close what they can;
// numbers are clamped; nesting deeper than a fixed limit shares the state of the deepest group.
// \'hh bytes decode by the current font's \fcharset (or \cpg), else by the document's \ansicpg.
TRichDocument ReadRtf(std::string_view rtf);

// True when the bytes begin (after blanks) with "{\rtf".
bool IsRtf(std::string_view bytes);

// Plain text as a document in one format: CR LF, CR or LF end a paragraph.
TRichDocument PlainTextToRichText(const WideString& text, const TRichCharFormat& format);

// RTF when the bytes are RTF, else plain text in the ANSI code page.
TRichDocument ReadRichText(std::string_view bytes, const TRichCharFormat& plainFormat);

}  // namespace orv
