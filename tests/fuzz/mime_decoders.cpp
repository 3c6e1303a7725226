// fuzz-libs: orv_mail
// Drives the decoders of untrusted mail text (header words, quoted-printable, base64, uuencode and
// a part's Decode) with arbitrary bytes, checking the invariants each decoder promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include "mail/VudeMail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orv;
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string words = DecodeHeaderWords(in);
  // Only a uuencoded word grows: its count character asks for up to 45 bytes, zero-filled past
  // its data, and the shortest such word ("=??U?M?=") has 8 characters.
  if (words.size() > in.size() * 6) std::abort();
  const std::string qp = DecodeQuotedPrintable(in);
  if (qp.size() > in.size()) std::abort();
  std::string out;
  const Integer b64 = DecodeBase64Line(in, out);
  if (b64 < 0 || static_cast<std::size_t>(b64) != out.size() || out.size() > in.size()) std::abort();
  out.clear();
  const Integer uu = DecodeUULine(in, out);
  if (uu < 0 || uu > 45 || static_cast<std::size_t>(uu) != out.size()) std::abort();
  // Our encoders' output always decodes back to the input (body mode ends it with CRLF).
  std::string expected = in;
  if (!in.empty() && !in.ends_with("\r\n")) expected += "\r\n";
  if (DecodeQuotedPrintable(EncodeQuotedPrintable(in, false)) != expected) std::abort();
  if (DecodeQuotedPrintable(EncodeQuotedPrintable(in, true)) != in) std::abort();
  out.clear();
  DecodeBase64Line(EncodeBase64(in), out);
  if (out != in) std::abort();
  const char* encodings[] = {"quoted-printable", "base64", "x-uuencode", "7bit"};
  TMailPart part;
  part.SetHeaderValue("Content-Transfer-Encoding", encodings[size % 4]);
  part.Body() = in;
  part.Decode();
  TMailMessage m;
  m.Header().push_back("To: " + in);
  m.Header().push_back("From: " + in);
  AnsiString name, address;
  m.GetAddressField("From", name, address);
  (void)m.ToRecipients().RecipientCount();
  (void)FoldHeader(in);

  // Whatever a subject, display name or file name holds, the wire header stays well formed (no
  // line past 998 characters, no line break but CRLF) and each reads back as it was given.
  if (size <= 4096) {
    TMailMessage w;
    w.SetSubject(in);
    w.SetFrom(in, "from@example.org");
    w.ToRecipients().AddRecipient(in, "to@example.org");
    w.SetTextPlain(in);
    w.AttachBytes(in, "/f/" + in, size % 2 == 0, "");
    w.BuildBody();
    const std::string source = w.GetSource();
    const std::string head = source.substr(0, source.find("\r\n\r\n") + 2);
    std::size_t pos = 0;
    while (pos < head.size()) {
      const std::size_t eol = head.find("\r\n", pos);
      if (eol == std::string::npos || eol - pos > 998) std::abort();
      const std::string_view line(head.data() + pos, eol - pos);
      if (line.find_first_of("\r\n") != std::string_view::npos) std::abort();
      pos = eol + 2;
    }
    // Line breaks in a subject or name are blanks by the time it is encoded.
    std::string flat = in;
    for (char& c : flat)
      if (c == '\r' || c == '\n') c = ' ';
    if (!in.empty() && DecodeHeaderWords(w.GetHeaderValue("Subject")) != flat) std::abort();
    const std::string trimmed = TrimBlanks(flat);
    AnsiString fromName, fromAddress;
    w.GetAddressField("From", fromName, fromAddress);
    if (fromAddress != "from@example.org" || fromName != trimmed) std::abort();
    if (w.ToRecipients().RecipientCount() != 1 || w.ToRecipients().Names()[0] != trimmed ||
        w.ToRecipients().Addresses()[0] != "to@example.org")
      std::abort();
  }
  return 0;
}
