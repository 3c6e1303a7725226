// Stream forms of the mail module's operations (kept apart so the rest needs no stream code).
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"
#include <vector>
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
  // 64 blocks of 40 lines of 57 bytes: every block but the last ends on a line end.
  constexpr size_t kBlock = 2280 * 64;
  std::vector<unsigned char> in(kBlock);
  std::vector<char> out(Base64EncodedSize(kBlock));
  destination.SetSize(0);
  destination.SetPosition(0);
  source.SetPosition(0);
  for (;;) {
    size_t got = 0;
    while (got < kBlock) {
      const Int64 r = source.Read(in.data() + got, static_cast<Int64>(kBlock - got));
      if (r <= 0) break;
      got += static_cast<size_t>(r);
    }
    if (got == 0) break;
    const size_t chars = EncodeBase64Block(in.data(), got, out.data());
    destination.WriteBuffer(out.data(), static_cast<Int64>(chars));
    if (got < kBlock) break;
  }
}

void TMailMessage::AttachStream(TStream& stream, std::string_view fileName, bool embedded,
                                std::string_view contentType) {
  const AnsiString data = ReadAll(stream);
  AttachBytes(data, fileName, embedded, contentType);
}

}  // namespace orv
