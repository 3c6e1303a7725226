// The floor of the wide-character layer: the platform flags decided once at start, the code page
// of the "fits the narrow code page" test, the layer's two exception classes, and the UTF-8 and
// UTF-7 conversions with the wide command line.
#pragma once
#include <cstddef>
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace orv {

// True when the runtime reports the NT platform (id 2): every routine of the layer with a wide and
// a narrow road takes the wide road exactly then. Set by InitUniSysUtils, read on the window thread.
extern bool Win32PlatformIsUnicode;
// Version 5.1 or later.
extern bool Win32PlatformIsXPOrLater;
// 0: the system's ANSI code page. Only the test whether a character fits the narrow code page uses
// it; every other wide/narrow conversion of the layer goes through the ANSI code page.
extern Cardinal DefaultConversionCodePage;

// Bad input ("Invalid UTF7").
class EUniGeneralError : public Exception { public: using Exception::Exception; };
// A broken internal invariant ("Buffer overflow", the subclassing and hot-key failures).
class EUniInternalError : public Exception { public: using Exception::Exception; };

inline constexpr const char* SBufferOverflow = "Buffer overflow";
inline constexpr const char* SInvalidUtf7 = "Invalid UTF7";

// The platform flags from the version provider (the UniSysUtils start step).
void InitUniSysUtils();
// DefaultConversionCodePage := 0 (the UniSystem start step); its exit step has nothing to free.
void InitUniSystem();

// ----- UTF-8 -----
// Every 16-bit unit is encoded on its own: a surrogate pair becomes two three-byte sequences.

// Stores at most capacity bytes including a terminating zero byte and returns that count; without
// destination returns the count needed including the zero. A unit whose bytes do not all fit ends
// the conversion. No source (count 0): 0.
std::size_t WideToUtf8Buffer(char* destination, std::size_t capacity, const WideChar* source, std::size_t count);
// Stores at most capacity units including a terminating zero unit and returns that count; without
// destination the count needed. -1 when a sequence runs past the end or a continuation byte is not
// 0x80..0xBF. Lead bytes are not checked further: 0xF0 and above read as three-byte leads. No
// source: 0.
std::ptrdiff_t Utf8ToWideBuffer(WideChar* destination, std::size_t capacity, const char* source, std::size_t count);

// The string forms keep the names of the layer in a namespace of their own: the runtime's
// functions of the same names follow other rules (four-byte sequences, U+FFFD for bad input).
namespace uni {
AnsiString WideToUtf8(const WideString& text);
// Malformed input gives an empty text, not an error.
WideString Utf8ToWide(const AnsiString& text);
}  // namespace uni

// ----- UTF-7 (RFC 2152) -----

enum TUtf7Result { utf7Done = 0, utf7Invalid = 1, utf7TargetFull = 2 };
// Encodes [source, sourceEnd) into [target, targetEnd); both positions are advanced to where the
// conversion stopped. withTerminator writes "-" after every base64 run; setODirect writes the
// optional direct characters (Set O) as they are.
TUtf7Result Utf7EncodeRun(const WideChar*& source, const WideChar* sourceEnd, char*& target,
                          const char* targetEnd, bool withTerminator, bool setODirect);
// Decodes on past invalid input (the result is then utf7Invalid); a full target stops at once.
TUtf7Result Utf7DecodeRun(const char*& source, const char* sourceEnd, WideChar*& target,
                          const WideChar* targetEnd);
// Without terminators, Set O direct.
AnsiString WideToUtf7(const WideString& text);
// EUniGeneralError "Invalid UTF7" for malformed input.
WideString Utf7ToWide(const AnsiString& text);

// ----- the wide command line -----

// Index 0: the program's full file name. Otherwise the index-th parameter of the command line (the
// first word being parameter 0), without its quotes; empty past the last one.
WideString WideParamStr(int index);
// The same over a given command line, for index 1 and up (index 0 is its first word).
WideString WideParamStrOf(const WideString& commandLine, int index);
// The longest parameter taken; the rest continues as the next parameter.
inline constexpr std::size_t MaxParamUnits = 4096;

}  // namespace orv
