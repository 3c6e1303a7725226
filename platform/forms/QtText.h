// The one crossing of text into Qt: narrow text through the ANSI code page, wide text as it is.
#pragma once
#include <QString>
#include "platform/rtl/Types.h"

namespace orv {

QString ToQString(const AnsiString& text);
QString ToQString(const WideString& text);
AnsiString FromQString(const QString& text);
WideString WideFromQString(const QString& text);

}  // namespace orv
