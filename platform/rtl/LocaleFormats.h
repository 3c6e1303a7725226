// The national formats (separators, date and time forms, names) of the locale ids the system knows.
#pragma once
#include <array>
#include "platform/rtl/Types.h"

namespace orv {

struct TLocaleFormats {
  Cardinal Lcid;
  const char* LocaleName;        // ICU / POSIX name, e.g. "de_DE"
  char DecimalSeparator;
  char ThousandSeparator;
  char DateSeparator;
  char TimeSeparator;
  const char* ShortDateFormat;   // with '/' and ':' standing for the separators
  const char* LongTimeFormat;
  const char* TimeAMString;
  const char* TimePMString;
  std::array<const char*, 12> ShortMonthNames;
  std::array<const char*, 12> LongMonthNames;
  std::array<const char*, 7> ShortDayNames;   // Sunday first
  std::array<const char*, 7> LongDayNames;
};

// The formats of the current user locale id (NlsSettings().UserLCID); unknown ids get 0x409's.
const TLocaleFormats& CurrentLocaleFormats();
const TLocaleFormats& LocaleFormatsFor(Cardinal lcid);

}  // namespace orv
