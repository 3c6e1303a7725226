// TDateTime arithmetic: days since 1899-12-30 with the time as the fraction; clock and time zone.
#include "platform/rtl/DateTime.h"

#include <time.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/rtl/DateTimeParts.h"
#include "platform/rtl/Exceptions.h"

namespace orv {

namespace {

constexpr Int64 kMSecsPerDay = 86400000;
constexpr Int64 kUnixDateDelta = 25569;   // 1970-01-01 as a TDateTime

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d) {
  y -= m <= 2;
  Int64 era = (y >= 0 ? y : y - 399) / 400;
  auto yoe = static_cast<unsigned>(y - era * 400);
  unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<Int64>(doe) - 719468;
}

void CivilFromDays(Int64 z, Int64& y, unsigned& m, unsigned& d) {
  z += 719468;
  Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  auto doe = static_cast<unsigned>(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<Int64>(yoe) + era * 400;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

constexpr Word kDaysInMonth[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                     {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

}  // namespace

void SplitDateTime(TDateTime dt, Int64& days, Int64& msecs) {
  days = 0;
  msecs = 0;
  // Far outside the years 1..9999 (and for NaN) there is nothing sensible to split.
  if (!(std::fabs(dt) < 3e6)) return;
  double whole = std::trunc(dt);
  days = static_cast<Int64>(whole);
  msecs = std::llround(std::fabs(dt - whole) * kMSecsPerDay);
  // A fraction that rounds up to a whole day belongs to the next day (away from 1899-12-30).
  if (msecs >= kMSecsPerDay) {
    msecs = 0;
    days += dt < 0 ? -1 : 1;
  }
}

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > kDaysInMonth[IsLeapYear(year)][month - 1]) return false;
  result = static_cast<double>(DaysFromCivil(year, month, day) + kUnixDateDelta);
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime r = 0;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& result) {
  if (hour > 23 || min > 59 || sec > 59 || msec > 999) return false;
  result = static_cast<double>(((hour * 60 + min) * 60 + sec) * 1000 + msec) / kMSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime r = 0;
  if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

void DecodeDate(TDateTime dt, Word& year, Word& month, Word& day) {
  Int64 days, msecs;
  SplitDateTime(dt, days, msecs);
  Int64 y;
  unsigned m, d;
  CivilFromDays(days - kUnixDateDelta, y, m, d);
  if (y < 1 || y > 9999) {
    year = month = day = 0;
    return;
  }
  year = static_cast<Word>(y);
  month = static_cast<Word>(m);
  day = static_cast<Word>(d);
}

void DecodeTime(TDateTime dt, Word& hour, Word& min, Word& sec, Word& msec) {
  Int64 days, ms;
  SplitDateTime(dt, days, ms);
  msec = static_cast<Word>(ms % 1000);
  ms /= 1000;
  sec = static_cast<Word>(ms % 60);
  ms /= 60;
  min = static_cast<Word>(ms % 60);
  hour = static_cast<Word>(ms / 60);
}

int DayOfWeek(TDateTime dt) {
  Int64 days, ms;
  SplitDateTime(dt, days, ms);
  // 1899-12-30 was a Saturday.
  return static_cast<int>(((days % 7 + 7) % 7 + 6) % 7) + 1;
}

TDateTime Now() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  return EncodeDate(static_cast<Word>(local.tm_year + 1900), static_cast<Word>(local.tm_mon + 1),
                    static_cast<Word>(local.tm_mday)) +
         EncodeTime(static_cast<Word>(local.tm_hour), static_cast<Word>(local.tm_min),
                    static_cast<Word>(local.tm_sec > 59 ? 59 : local.tm_sec), static_cast<Word>(ts.tv_nsec / 1000000));
}

TDateTime Date() { return std::trunc(Now()); }

Word ExpandTwoDigitYear(Word year) {
  if (year >= 100) return year;
  Word y, m, d;
  DecodeDate(Now(), y, m, d);
  constexpr int kWindow = 50;
  int century = y - kWindow;
  int result = year + (century / 100) * 100;
  if (result < century) result += 100;
  return static_cast<Word>(result);
}

int LocalTimeBiasMinutes(TDateTime localTime) {
  Word y, mo, d, h, mi, s, ms;
  DecodeDate(localTime, y, mo, d);
  DecodeTime(localTime, h, mi, s, ms);
  // Reading the zone's rules asks the file system each time; a mail run asks many times a second
  // for the same second. The answer for one second under one TZ value is kept: another second, or
  // TZ set to something else, reads the rules afresh.
  struct TBiasMemo {
    bool Valid = false;
    Int64 Second = 0;
    bool HasZone = false;
    std::string Zone;
    int Bias = 0;
  };
  thread_local TBiasMemo memo;
  const Int64 second = ((DaysFromCivil(y, mo, d) * 24 + h) * 60 + mi) * 60 + s;
  const char* zone = std::getenv("TZ");
  if (memo.Valid && memo.Second == second && memo.HasZone == (zone != nullptr) &&
      (zone == nullptr || memo.Zone == zone))
    return memo.Bias;
  tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  t.tm_isdst = -1;   // the zone's rules decide whether summer time applies
  tzset();
  const int bias = mktime(&t) == static_cast<time_t>(-1) ? 0 : static_cast<int>(-t.tm_gmtoff / 60);
  memo.Valid = true;
  memo.Second = second;
  memo.HasZone = zone != nullptr;
  memo.Zone = zone != nullptr ? zone : "";
  memo.Bias = bias;
  return bias;
}

}  // namespace orv
