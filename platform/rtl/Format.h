// Format: the class library's formatting of %s %d %u %x %X %f %g %e %n %m %p with index, width and
// precision ("%*d" and "%1:s" included); %x prints upper-case hex as the class library does.
#pragma once
#include <initializer_list>
#include <string_view>
#include <variant>
#include "platform/rtl/Types.h"

namespace orv {

// One argument of Format: an integer, a float, a narrow string or a wide string (narrowed through
// the ANSI code page), or a pointer.
// Is64 tells a 64-bit integer from a 32-bit one: %u and %x show a negative 32-bit value as its
// 32-bit two's complement ("%x" of -1 is "FFFFFFFF"), as the class library does.
struct TVarRec {
  std::variant<Int64, double, AnsiString, const void*> Value;
  bool Is64 = false;
  TVarRec(int v) : Value(static_cast<Int64>(v)) {}
  TVarRec(unsigned v) : Value(static_cast<Int64>(v)) {}
  TVarRec(long v) : Value(static_cast<Int64>(v)), Is64(true) {}
  TVarRec(unsigned long v) : Value(static_cast<Int64>(v)), Is64(true) {}
  TVarRec(long long v) : Value(static_cast<Int64>(v)), Is64(true) {}
  TVarRec(unsigned long long v) : Value(static_cast<Int64>(v)), Is64(true) {}
  TVarRec(double v) : Value(v) {}
  TVarRec(const char* v) : Value(AnsiString(v ? v : "")) {}
  TVarRec(const AnsiString& v) : Value(v) {}
  TVarRec(std::string_view v) : Value(AnsiString(v)) {}
  TVarRec(const WideString& v);
  // Without this a wide literal would bind to the pointer form.
  TVarRec(const char16_t* v);
  TVarRec(const void* v) : Value(v) {}
};

// Raises EConvertError "Format '%s' invalid or incompatible with argument" on a bad directive or a
// missing / mismatched argument.
AnsiString Format(std::string_view format, std::initializer_list<TVarRec> args);

}  // namespace orv
