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
  if (words.size() > in.size()) std::abort();   // decoding never grows a header text
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
  return 0;
}
