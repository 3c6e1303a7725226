// fuzz-libs: orv_widechar
// The UTF-8 and UTF-7 decoders of the wide-character layer on arbitrary bytes, through buffers of
// exactly the given capacity (so a write past one is caught), with the round-trip properties of the
// encoders; only "Invalid UTF7" may leave the UTF-7 decoder.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "widechar/UniSystem.h"

using namespace orv;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void Utf8(const std::string& s) {
  const std::ptrdiff_t needed = Utf8ToWideBuffer(nullptr, 0, s.data(), s.size());
  Check(needed == -1 || (s.empty() ? needed == 0 : needed >= 1 && static_cast<std::size_t>(needed) <= s.size() + 1));
  for (std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{2}, s.size() / 2 + 1, s.size() + 1}) {
    // A buffer is never null here: a null destination asks for the count instead.
    std::vector<WideChar> units(capacity == 0 ? 1 : capacity, u'#');
    const std::ptrdiff_t n = Utf8ToWideBuffer(units.data(), capacity, s.data(), s.size());
    Check(n <= static_cast<std::ptrdiff_t>(capacity));
    Check(capacity != 0 || units[0] == u'#');
  }
  const WideString w = uni::Utf8ToWide(s);
  Check(uni::Utf8ToWide(uni::WideToUtf8(w)) == w);
}

void Utf7(const std::string& s) {
  WideString w;
  try {
    w = Utf7ToWide(s);
  } catch (const EUniGeneralError&) {
    return;
  }
  Check(w.size() <= s.size());
  Check(Utf7ToWide(WideToUtf7(w)) == w);
  std::vector<WideChar> small(w.size() / 2);
  const char* source = s.data();
  WideChar* target = small.data();
  const TUtf7Result r = Utf7DecodeRun(source, s.data() + s.size(), target, small.data() + small.size());
  Check(target <= small.data() + small.size());
  Check(w.empty() || small.size() >= w.size() || r == utf7TargetFull);
}

// The bytes read as UTF-16 units, lone surrogates and all, through both encoders and back.
void Encoders(const std::string& s) {
  WideString w;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2)
    w += static_cast<WideChar>(static_cast<unsigned char>(s[i]) | (static_cast<unsigned char>(s[i + 1]) << 8));
  Check(uni::Utf8ToWide(uni::WideToUtf8(w)) == w);
  Check(Utf7ToWide(WideToUtf7(w)) == w);
  const std::size_t capacity = s.size() % 7;
  std::vector<char> bytes(capacity == 0 ? 1 : capacity, '#');
  Check(WideToUtf8Buffer(bytes.data(), capacity, w.data(), w.size()) <= capacity);
  Check(capacity != 0 || bytes[0] == '#');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  const std::string s(reinterpret_cast<const char*>(data), size);
  Utf8(s);
  Utf7(s);
  Encoders(s);
  return 0;
}
