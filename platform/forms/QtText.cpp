// Text conversion between the system's narrow and wide strings and Qt's strings.
#include "platform/forms/QtText.h"

#include "platform/rtl/CodePages.h"

namespace orv {

QString ToQString(const AnsiString& text) {
  return QString::fromStdU16String(AnsiToWide(text));
}

QString ToQString(const WideString& text) { return QString::fromStdU16String(text); }

AnsiString FromQString(const QString& text) { return WideToAnsi(text.toStdU16String()); }

WideString WideFromQString(const QString& text) { return text.toStdU16String(); }

}  // namespace orv
