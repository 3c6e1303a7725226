// Stream forms of the mail module's operations (kept apart so the rest needs no stream code).
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"
#include "platform/rtl/Streams.h"

namespace orv {

namespace {
AnsiString ReadAll(TStream& source) {
  AnsiString data;
  source.SetPosition(0);
  const Int64 size = source.Size();
  if (size > 0) {
    data.resize(static_cast<size_t>(size));
    source.ReadBuffer(data.data(), size);
  }
  return data;
}
}  // namespace

void EncodeBase64Stream(TStream& source, TStream& destination) {
  const AnsiString encoded = EncodeBase64(ReadAll(source));
  destination.SetSize(0);
  destination.SetPosition(0);
  if (!encoded.empty()) destination.WriteBuffer(encoded.data(), static_cast<Int64>(encoded.size()));
}

void TMailMessage::AttachStream(TStream& stream, std::string_view fileName, bool embedded,
                                std::string_view contentType) {
  const AnsiString data = ReadAll(stream);
  AttachBytes(data, fileName, embedded, contentType);
}

}  // namespace orv
