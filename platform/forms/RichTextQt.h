// Rich text in and out of a Qt text document, for rich-edit controls shown by a Qt text editor.
// Positions match one to one: a block break and a line separator each take one position, as the
// paragraph and line breaks of the rich text do.
#pragma once
#include "platform/forms/RichText.h"

class QTextDocument;

namespace orv {

// Replaces the document's content: one block per paragraph, line breaks as U+2028, bulleted
// paragraphs in disc lists, face names kept as given.
void RichTextToQt(const TRichDocument& rich, QTextDocument& document);

// The document's text and formats; defaultFormat fills what a fragment does not state and is the
// result's default format.
TRichDocument RichTextFromQt(const QTextDocument& document, const TRichCharFormat& defaultFormat);

}  // namespace orv
