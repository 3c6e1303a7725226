// The program's command line as wide parameters: blanks and empty quote pairs between them,
// quoted stretches without their quotes, at most MaxParamUnits units a parameter.
#include "platform/win/SystemPaths.h"
#include "widechar/UniSysUtils.h"
#include "widechar/UniSystem.h"

namespace orv {

namespace {

// Takes the parameter at pos and leaves pos at the first character not taken.
WideString TakeParam(const WideString& line, std::size_t& pos) {
  auto at = [&](std::size_t i) -> WideChar { return i < line.size() ? line[i] : u'\0'; };
  for (;;) {
    const WideChar c = at(pos);
    if (c >= 1 && c <= 32) {
      ++pos;
    } else if (c == u'"' && at(pos + 1) == u'"') {
      pos += 2;
    } else {
      break;
    }
  }
  WideString param;
  while (at(pos) > 32 && param.size() < MaxParamUnits) {
    if (at(pos) != u'"') {
      param += at(pos++);
      continue;
    }
    ++pos;
    while (at(pos) != 0 && at(pos) != u'"' && param.size() < MaxParamUnits) param += at(pos++);
    if (at(pos) == u'"') ++pos;
  }
  return param;
}

}  // namespace

WideString WideParamStrOf(const WideString& commandLine, int index) {
  if (index < 0) return {};
  std::size_t pos = 0;
  WideString param;
  for (int i = 0; i <= index; ++i) {
    if (pos >= commandLine.size()) return {};
    param = TakeParam(commandLine, pos);
  }
  return param;
}

WideString WideParamStr(int index) {
  if (index == 0) return WideGetModuleFileName(0);
  return WideParamStrOf(GetCommandLineW(), index);
}

}  // namespace orv
