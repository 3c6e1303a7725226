// fuzz-libs: orv_rtl
// Text parsers of the runtime on arbitrary bytes: comma text, lines, numbers, dates, UTF-8 and the
// code pages, each checked for its round-trip property; only the runtime's own exceptions may leave.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/SysUtils.h"

using namespace orv;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CommaAndLines(const std::string& s) {
  TStringList l;
  l.SetCommaText(s);
  TStringList again;
  again.SetCommaText(l.CommaText());
  Check(again.Count() == l.Count() || (l.Count() == 1 && l.Get(0).empty()));
  for (Integer i = 0; i < again.Count() && again.Count() == l.Count(); ++i) Check(again.Get(i) == l.Get(i));
  l.SetText(s);
  TStringList lines;
  lines.SetText(l.Text());
  Check(lines.Count() == l.Count());
}

void Numbers(const std::string& s) {
  Int64 i64 = 0;
  if (TryStrToInt64(s, i64)) {
    Int64 back = 0;
    Check(TryStrToInt64(IntToStr(i64), back) && back == i64);
  }
  double d = 0;
  if (TryStrToFloatC(s, d)) {
    double back = 0;
    Check(TryStrToFloatC(FloatToStrC(d, 18), back));
  }
  RoundHalfEven(d, static_cast<int>(s.size() % 40) - 20);
  TDateTime dt = 0;
  if (TryStrToDateTime(s, dt)) DateTimeToStr(dt);
  FormatDateTime(s, 45000.5);
  try {
    Format(s, {1, 2.5, "x", static_cast<const void*>(nullptr)});
  } catch (const EConvertError&) {
  }
}

void Encodings(const std::string& s) {
  std::string utf8 = WideToUtf8(Utf8ToWide(s));
  Check(IsValidUtf8(utf8));
  if (IsValidUtf8(s)) Check(utf8 == s);
  for (Cardinal cp : {1252u, 850u}) {
    bool used = true;
    Check(WideToMultiByte(MultiByteToWide(s, cp), cp, &used) == s && !used);
  }
  WideToMultiByte(Utf8ToWide(s), 1252);
  MultiByteToWide(s, CP_UTF7);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  std::string s(reinterpret_cast<const char*>(data), size);
  try {
    CommaAndLines(s);
    Numbers(s);
    Encodings(s);
  } catch (const Exception&) {
  }
  return 0;
}
