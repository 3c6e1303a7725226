// Field value encodings: reading and writing one field of a record buffer in the generic value
// layouts of the data-set framework.
#pragma once
#include "dbf/DbfFieldDef.h"

namespace orv {

// Generic value buffers: ftString a NUL-terminated text (Size + 1 bytes); ftSmallint int16,
// ftInteger/ftAutoInc int32, ftLargeint int64, ftBoolean int16 (non-zero is true), ftFloat and
// ftCurrency double, ftDate int32 day number (days since 0001-01-01 plus one), ftDateTime double
// milliseconds (that day number times 86,400,000 plus the milliseconds of the day).

// Fields stored as binary numbers: zero bytes are their null value and fill a blank record.
bool IsBinaryField(const TDbfFieldDef& def);

// Returns false for a null value. dest may be null (then only the null test is made).
bool DecodeField(const TDbfFieldDef& def, TFieldType type, void* dest, const Byte* record);
// src null writes the null value. EDbfError "Value does not fit field ..." when a number or date
// does not fit the field's width.
void EncodeField(const TDbfFieldDef& def, TFieldType type, Byte* record, const void* src);

// Day numbers and time stamps of the value buffers, from and to a calendar date and time.
Integer DayNumberOf(int year, int month, int day);
bool IsValidDate(int year, int month, int day);
void DateOfDayNumber(Int64 dayNumber, int& year, int& month, int& day);
inline constexpr double kMSecsPerDay = 86400000.0;
// The day number of 30 December 1899, the date-time 0.
inline constexpr Integer kDateDelta = 693594;
// The Julian day number of a day number's day (2024-01-02: 2460312).
inline constexpr Integer kJulianDayDelta = 1721425;

// The two-digit-year window (years within this many years before the reference year count as past).
inline constexpr int kTwoDigitYearCenturyWindow = 50;
int ExpandTwoDigitYear(int year, int referenceYear, int window = kTwoDigitYearCenturyWindow);

}  // namespace orv
