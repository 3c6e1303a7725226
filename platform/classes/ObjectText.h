// The text form of component streams (form descriptions): nested "object Name: TClass" ... "end"
// blocks with "Prop = value" lines, turned into the binary component stream and back.
//
// Values: integers (decimal or $hex, optional sign), floats (a "." or exponent), strings in single
// quotes with #nnn character codes and "+" continuation over lines, identifiers (True/False/nil
// have markers of their own), sets [a, b], lists ( ... ), binary { hex digits }, collections
// < item ... end >. Text outside quotes is ASCII; bytes inside quotes are in the ANSI code page;
// #nnn is a Unicode code point. A string that the ANSI code page holds is written as a narrow
// string, any other as a wide string (vaWString).
#pragma once
#include <string_view>
#include "platform/classes/Filer.h"

namespace orv {

// Raised for malformed description text: "Zeile %d: %s" with the line and what was expected.
class EParserError : public EReadError { public: using EReadError::EReadError; };

// Text (the whole input) into the binary stream, from "TPF0" to the root's end.
void ObjectTextToBinary(TStream& input, TStream& output);
AnsiString ObjectTextToBinary(std::string_view text);
// A binary stream back into text: two-space indentation, lines ending in LF, strings cut into
// pieces of 64 characters joined by " +", binary data in lines of 32 bytes. Raises EReadError for
// a malformed stream.
void ObjectBinaryToText(TStream& input, TStream& output);
AnsiString ObjectBinaryToText(std::string_view binary);

// Reads a description text into instance (or a new component of its class when nullptr).
TComponent* ReadComponentFromText(std::string_view text, TComponent* instance);
// Writes instance (with its children) as a description text.
AnsiString WriteComponentToText(TComponent* instance, TComponent* ancestor = nullptr);

}  // namespace orv
