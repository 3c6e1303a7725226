// Loading and saving rich text through streams, as a rich edit's LoadFromStream and SaveToStream do.
#pragma once
#include "platform/forms/RichText.h"
#include "platform/rtl/Streams.h"

namespace orv {

// Above this many bytes a load fails with EReadError "Rich text too large to load".
inline constexpr Int64 kMaxRichTextBytes = Int64{64} << 20;

// Reads from the stream's position to its end: RTF when it begins with "{\rtf" (after blanks),
// else plain text in the ANSI code page in plainFormat. Untrusted bytes never throw beyond the size
// check.
TRichDocument LoadRichText(TStream& stream, const TRichCharFormat& plainFormat);

// Writes RTF, or with plainText the text with CR LF breaks in the ANSI code page.
void SaveRichText(const TRichDocument& document, TStream& stream, bool plainText);

}  // namespace orv
