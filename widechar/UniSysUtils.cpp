// Wide string, path and hint helpers, and the wide stores that follow their narrow shadows.
#include "widechar/UniSysUtils.h"

#include "platform/rtl/CodePages.h"
#include "platform/win/Nls.h"
#include "widechar/UniWindows.h"

namespace orv {

namespace {

constexpr DWORD ModuleNameBuffer = 260;

int CompareWith(Cardinal flags, const WideString& a, const WideString& b) {
  return WideCompareString(GetUserDefaultLCID(), flags, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                           static_cast<int>(b.size())) - 2;
}

}  // namespace

WideString WideFormat(const WideString& format, std::initializer_list<TVarRec> args) {
  return AnsiToWide(Format(WideToAnsi(format), args));
}

int WideCompareStr(const WideString& a, const WideString& b) { return CompareWith(0, a, b); }
int WideCompareText(const WideString& a, const WideString& b) { return CompareWith(NORM_IGNORECASE, a, b); }
bool WideSameStr(const WideString& a, const WideString& b) { return WideCompareStr(a, b) == 0; }
bool WideSameText(const WideString& a, const WideString& b) { return WideCompareText(a, b) == 0; }

WideString WideUpperCase(const WideString& s) {
  WideString out = s;
  if (!out.empty()) WideCharUpperBuff(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

WideString WideAddTrailingBackslash(const WideString& s) {
  if (!s.empty() && s.back() == u'\\') return s;
  return s + u'\\';
}

bool WideIsPathDelimiter(const WideString& s, int index) {
  return index >= 1 && static_cast<std::size_t>(index) <= s.size() && s[static_cast<std::size_t>(index) - 1] == u'\\';
}

int WideLastDelimiter(const WideString& delimiters, const WideString& s) {
  for (std::size_t i = s.size(); i > 0; --i)
    if (delimiters.find(s[i - 1]) != WideString::npos) return static_cast<int>(i);
  return 0;
}

WideString WideExtractFileName(const WideString& path) {
  return path.substr(static_cast<std::size_t>(WideLastDelimiter(u"\\:", path)));
}

WideString WideDriveOfPath(const WideString& path) {
  if (path.size() >= 2 && path[1] == u':') return path.substr(0, 2);
  if (path.size() < 2 || path[0] != u'\\' || path[1] != u'\\') return {};
  std::size_t i = 2;
  int backslashes = 0;
  while (i < path.size() && backslashes < 2) {
    if (path[i] == u'\\') ++backslashes;
    if (backslashes < 2) ++i;
  }
  return path.substr(0, i);
}

WideString WideGetModuleFileName(HINSTANCE module) {
  WideChar buffer[ModuleNameBuffer + 1] = {};
  const DWORD n = CheckSystemResult(WideGetModuleFileName(module, buffer, ModuleNameBuffer));
  WideString name(buffer, std::min<DWORD>(n, ModuleNameBuffer));
  return name.substr(0, name.find(u'\0'));
}

bool SupportsInterface(TObject* object, const TGUID& iid) { return Supports(object, iid); }

bool IsIntegerResourceId(std::uintptr_t value) { return (value >> 16) == 0; }

const WideString& SyncWideFromNarrow(WideString& store, const AnsiString& narrow) {
  if (WideToAnsi(store) != narrow) store = AnsiToWide(narrow);
  return store;
}

void SetWideWithNarrowShadow(const WideString& value, WideString& store, const std::function<AnsiString()>& getNarrow,
                             const std::function<void(const AnsiString&)>& setNarrow) {
  if (value == SyncWideFromNarrow(store, getNarrow())) return;
  const AnsiString narrow = WideToAnsi(value);
  if (!WideSameStr(value, AnsiToWide(narrow)) && narrow == getNarrow()) setNarrow(AnsiString());
  store = value;
  setNarrow(narrow);
}

WideString WideGetShortHint(const WideString& hint) {
  const std::size_t bar = hint.find(u'|');
  return bar == WideString::npos ? hint : hint.substr(0, bar);
}

WideString WideGetLongHint(const WideString& hint) {
  const std::size_t bar = hint.find(u'|');
  return bar == WideString::npos ? hint : hint.substr(bar + 1);
}

WideChar* WideStrLCopy(WideChar* destination, const WideChar* source, std::size_t count) {
  std::size_t i = 0;
  for (; i < count && source[i] != 0; ++i) destination[i] = source[i];
  destination[i] = 0;
  return destination;
}

const WideChar* WideStrScan(const WideChar* text, WideChar c) {
  for (; *text != 0; ++text)
    if (*text == c) return text;
  return nullptr;
}

}  // namespace orv
