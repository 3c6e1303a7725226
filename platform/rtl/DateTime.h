// TDateTime: days since 1899-12-30 with the time as the fraction, and its encodings and text forms.
#pragma once
#include "platform/rtl/Types.h"

namespace orv {

using TDateTime = double;

struct TDateParts { Word Year, Month, Day; };
struct TTimeParts { Word Hour, Min, Sec, MSec; };

TDateTime Now();
TDateTime Date();
bool IsLeapYear(Word year);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& result);
TDateTime EncodeDate(Word year, Word month, Word day);   // EConvertError "Invalid argument to date encode"
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& result);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
void DecodeDate(TDateTime dt, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime dt, Word& hour, Word& min, Word& sec, Word& msec);
int DayOfWeek(TDateTime dt);   // 1 = Sunday .. 7 = Saturday

// The locale's short date and long time forms (ShortDateFormat "m/d/yyyy" and "h:nn:ss AMPM"
// under 0x409, "dd.mm.yyyy" and "hh:nn:ss" under 0x407).
AnsiString ShortDateFormat();
AnsiString LongTimeFormat();
char DateSeparator();
// Formats with the class library's date-format letters (d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn
// s ss z zzz am/pm ampm, quoted literals).
AnsiString FormatDateTime(std::string_view format, TDateTime dt);
AnsiString DateTimeToStr(TDateTime dt);   // short date + " " + long time (time left out at 00:00:00)
AnsiString DateToStr(TDateTime dt);
// Reads the locale's form; EConvertError "'%s' is not a valid date and time" when it does not read.
TDateTime StrToDateTime(std::string_view s);
bool TryStrToDateTime(std::string_view s, TDateTime& result);
// Two-digit years: within 50 years of the current year (the class library's TwoDigitYearCenturyWindow).
Word ExpandTwoDigitYear(Word year);

// Minutes to add to local time to get UTC at the given local time (west of Greenwich positive).
int LocalTimeBiasMinutes(TDateTime localTime);

}  // namespace orv
