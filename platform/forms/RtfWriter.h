// Writing a rich-text document as RTF in the dialect the rich edit saves, and as plain text.
#pragma once
#include "platform/forms/RichText.h"

namespace orv {

// A complete RTF document: font and colour tables, then each paragraph ended by \par. Sizes are
// written in half-points, bullets as a pntext group with the Symbol bullet and a \pn group.
// Characters outside 7-bit ASCII are written as \'hh when the run's font uses the ANSI character
// set and the code page maps them, else as \uN with "?" for readers that lack Unicode.
AnsiString WriteRtf(const TRichDocument& document);

// The text with CR LF between paragraphs and at line breaks, in the ANSI code page.
AnsiString WritePlainText(const TRichDocument& document);

}  // namespace orv
