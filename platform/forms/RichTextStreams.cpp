// Loading and saving rich text through streams.
#include "platform/forms/RichTextStreams.h"

#include "platform/forms/RtfReader.h"
#include "platform/forms/RtfWriter.h"

namespace orv {

TRichDocument LoadRichText(TStream& stream, const TRichCharFormat& plainFormat) {
  AnsiString bytes;
  char buf[65536];
  for (;;) {
    const Int64 n = stream.Read(buf, sizeof buf);
    if (n <= 0) break;
    if (static_cast<Int64>(bytes.size()) + n > kMaxRichTextBytes) throw EReadError("Rich text too large to load");
    bytes.append(buf, static_cast<size_t>(n));
  }
  return ReadRichText(bytes, plainFormat);
}

void SaveRichText(const TRichDocument& document, TStream& stream, bool plainText) {
  const AnsiString bytes = plainText ? WritePlainText(document) : WriteRtf(document);
  stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

}  // namespace orv
