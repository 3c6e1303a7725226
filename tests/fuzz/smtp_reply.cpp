// fuzz-libs: orv_mail
// Fuzzes the SMTP reply framing and the DATA text: a reply parse stays inside its input and agrees
// with itself on the reply alone; the DATA text never ends early and has no bare line ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mail/SMTPSession.h"
#include "mail/SmtpReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  orv::TSmtpReply reply = orv::ParseSmtpReply(text);
  if (reply.State == orv::rsComplete) {
    if (reply.Length == 0 || reply.Length > size || text[reply.Length - 1] != '\n') std::abort();
    if (reply.Code < 0 || reply.Code > 999) std::abort();
    orv::TSmtpReply alone = orv::ParseSmtpReply(text.substr(0, reply.Length));
    if (alone.State != orv::rsComplete || alone.Code != reply.Code || alone.Length != reply.Length) std::abort();
  } else {
    if (reply.Code != 0 || reply.Length != 0) std::abort();
    // Once malformed, more bytes never make it whole.
    if (reply.State == orv::rsMalformed && size > 0 &&
        orv::ParseSmtpReply(text.substr(0, size - 1)).State == orv::rsComplete) {
      std::abort();
    }
  }

  std::string wire = orv::SmtpDataText(text);
  if (wire.size() < 5 || wire.compare(wire.size() - 5, 5, "\r\n.\r\n") != 0) std::abort();
  // The only end-of-data line is the last one, and the text cannot open with one either.
  if (wire.find("\r\n.\r\n") != wire.size() - 5 || wire.rfind(".\r\n", 0) == 0) std::abort();
  for (std::size_t i = 0; i < wire.size(); ++i) {
    if (wire[i] == '\n' && (i == 0 || wire[i - 1] != '\r')) std::abort();
    if (wire[i] == '\r' && (i + 1 == wire.size() || wire[i + 1] != '\n')) std::abort();
  }
  return 0;
}
