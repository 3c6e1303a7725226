// Message formatting of the table engine.
#include "dbf/DbfCommon.h"
#include <string>

namespace orv {

namespace {
AnsiString Replace(const char* text, const char* directive, const AnsiString& value) {
  AnsiString s(text);
  auto pos = s.find(directive);
  if (pos != AnsiString::npos) s.replace(pos, 2, value);
  return s;
}
}  // namespace

AnsiString DbfMessage(const char* text, const AnsiString& arg) { return Replace(text, "%s", arg); }
AnsiString DbfMessage(const char* text, Int64 arg) { return Replace(text, "%d", std::to_string(arg)); }

}  // namespace orv
