// Wide string and path helpers of the layer, the wide texts kept beside a narrow property of the
// class library, hint texts and the raw-buffer helpers.
#pragma once
#include <functional>
#include <initializer_list>
#include "platform/classes/Object.h"
#include "platform/rtl/Format.h"
#include "platform/win/LastError.h"
#include "platform/win/WinTypes.h"

namespace orv {

// The format and the result pass through the ANSI code page: characters it lacks do not survive.
WideString WideFormat(const WideString& format, std::initializer_list<TVarRec> args);
// -1, 0 or 1 by the thread's locale (WideCompareString, flags 0, full lengths).
int WideCompareStr(const WideString& a, const WideString& b);
// The same ignoring case.
int WideCompareText(const WideString& a, const WideString& b);
bool WideSameStr(const WideString& a, const WideString& b);
bool WideSameText(const WideString& a, const WideString& b);
WideString WideUpperCase(const WideString& s);

// s with "\" appended unless it already ends in one; an empty text gives "\".
WideString WideAddTrailingBackslash(const WideString& s);
// Character index (from 1) of s is a backslash.
bool WideIsPathDelimiter(const WideString& s, int index);
// The position (from 1) of the last character of s that is one of delimiters; 0 for none.
int WideLastDelimiter(const WideString& delimiters, const WideString& s);
// The text after the last "\" or ":".
WideString WideExtractFileName(const WideString& path);
// "C:" for a path with a drive letter, "\\server\share" for a network path, else empty.
WideString WideDriveOfPath(const WideString& path);
// The full file name of a module (0: the program's file); raises the last system error when the
// system gives none.
WideString WideGetModuleFileName(HINSTANCE module);

// Returns value when it is non-zero, else raises the last system error.
template <class T>
T CheckSystemResult(T value) {
  if (value == T()) RaiseLastSystemError();
  return value;
}
// True when the object hands out the interface (nullptr never does).
bool SupportsInterface(TObject* object, const TGUID& iid);
// True when the high 16 bits are zero: a resource or window class given by number, not by name.
bool IsIntegerResourceId(std::uintptr_t value);
template <class T>
bool IsIntegerResourceId(const T* name) { return IsIntegerResourceId(reinterpret_cast<std::uintptr_t>(name)); }

// A wide text kept beside a narrow property (a caption, a hint, a title). When the ANSI form of
// the store no longer equals the narrow value, the narrow one was changed elsewhere: the store
// takes it (converted). Returns the store.
const WideString& SyncWideFromNarrow(WideString& store, const AnsiString& narrow);
// Sets a wide text with its narrow shadow. Nothing happens when the text equals the synchronised
// store. A text that the ANSI code page cannot hold, whose ANSI form is already the narrow value,
// first has the narrow setter called with an empty text so the narrow side sees a change; then the
// store takes the text and the narrow setter its ANSI form. getNarrow reads the current narrow value.
void SetWideWithNarrowShadow(const WideString& value, WideString& store, const std::function<AnsiString()>& getNarrow,
                             const std::function<void(const AnsiString&)>& setNarrow);

// The part before the first "|", and the part after it (both the whole hint when it has none).
WideString WideGetShortHint(const WideString& hint);
WideString WideGetLongHint(const WideString& hint);

// Copies at most count characters, stopping at the source's terminator, and always terminates.
WideChar* WideStrLCopy(WideChar* destination, const WideChar* source, std::size_t count);
// The first occurrence of c before the terminator, or nullptr.
const WideChar* WideStrScan(const WideChar* text, WideChar c);

}  // namespace orv
