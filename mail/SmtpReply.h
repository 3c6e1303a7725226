// Framing of SMTP replies: where a reply ends and which code it carries, whatever pieces the
// bytes arrived in.
#pragma once
#include <cstddef>
#include <string_view>

namespace orv {

// A reply longer than this without its final line is treated as malformed, so a server that talks
// without end cannot make the client buffer without bound.
inline constexpr std::size_t SmtpMaxReplyLength = 64 * 1024;

enum TSmtpReplyState { rsIncomplete, rsComplete, rsMalformed };

struct TSmtpReply {
  TSmtpReplyState State = rsIncomplete;
  // The three-digit code of the final line; 0 unless State is rsComplete.
  int Code = 0;
  // Bytes from the start up to and including the final line's line end (0 unless complete).
  std::size_t Length = 0;
  // Lines of the reply read so far, the final one included.
  int Lines = 0;
};

// Reads one reply from the start of text. Lines end with CRLF (a bare LF is taken as well). Every
// line but the last is "DDD-" + text; the last is "DDD" alone or "DDD " + text. A line of any other
// shape, or SmtpMaxReplyLength bytes without a final line, makes the reply malformed. Whatever
// follows the final line is not part of the reply.
TSmtpReply ParseSmtpReply(std::string_view text);

// True when text holds a whole reply, or one that can never become well-formed: the wait is over.
inline bool SmtpReplyFinished(std::string_view text) {
  return ParseSmtpReply(text).State != rsIncomplete;
}

}  // namespace orv
