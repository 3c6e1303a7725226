// TDbfKeyValue: a value that an index is searched or restricted by: none, a text in the
// application's code page, or a number.
#pragma once
#include "platform/rtl/Types.h"

namespace orv {

struct TDbfKeyValue {
  enum TKind : Byte { kvNull, kvText, kvNumber };

  TDbfKeyValue() = default;
  TDbfKeyValue(const AnsiString& text) : Kind(kvText), Text(text) {}
  TDbfKeyValue(const char* text) : Kind(text ? kvText : kvNull), Text(text ? text : "") {}
  TDbfKeyValue(double number) : Kind(kvNumber), Number(number) {}
  TDbfKeyValue(int number) : Kind(kvNumber), Number(number) {}

  bool IsNull() const { return Kind == kvNull; }

  TKind Kind = kvNull;
  AnsiString Text;
  double Number = 0;
};

}  // namespace orv
