// fuzz-libs: orv_forms
// Rich text from untrusted bytes: the RTF reader, position counting, and a write-read round trip
// that must give back the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/forms/RtfReader.h"
#include "platform/forms/RtfWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TRichDocument doc = ReadRtf(bytes);
  const WideString text = doc.Text();
  if (doc.Length() != static_cast<Integer>(text.size())) std::abort();
  for (Integer p = 0; p <= doc.Length() && p < 64; ++p) {
    (void)doc.FormatAt(p);
    (void)doc.ParagraphAt(p);
  }
  const TRichDocument back = ReadRtf(WriteRtf(doc));
  if (back.Text() != text) std::abort();
  (void)WritePlainText(doc);
  (void)ReadRichText(bytes, TRichCharFormat());
  return 0;
}
