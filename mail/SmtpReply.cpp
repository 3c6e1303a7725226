// SMTP reply framing: line by line from the start, up to the first final line.
#include "mail/SmtpReply.h"

namespace orv {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

TSmtpReply ParseSmtpReply(std::string_view text) {
  TSmtpReply reply;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos || eol >= SmtpMaxReplyLength) {
      if (text.size() >= SmtpMaxReplyLength) reply.State = rsMalformed;
      // A partial line can already be judged: its first four bytes must fit a reply line.
      std::string_view rest = text.substr(pos, eol == std::string_view::npos ? text.npos : eol - pos);
      for (std::size_t i = 0; i < rest.size() && i < 3; ++i) {
        if (!IsDigit(rest[i])) reply.State = rsMalformed;
      }
      if (rest.size() > 3 && rest[3] != '-' && rest[3] != ' ' && rest[3] != '\r') {
        reply.State = rsMalformed;
      }
      if (reply.State == rsMalformed) reply.Lines = 0;
      return reply;
    }
    std::string_view line = text.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++reply.Lines;
    if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2]) ||
        (line.size() > 3 && line[3] != '-' && line[3] != ' ')) {
      reply.State = rsMalformed;
      return reply;
    }
    pos = eol + 1;
    if (line.size() == 3 || line[3] == ' ') {
      reply.State = rsComplete;
      reply.Code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
      reply.Length = pos;
      return reply;
    }
  }
  return reply;
}

}  // namespace orv
