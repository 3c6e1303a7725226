// The Date field text of a mail, with the local time zone in whole minutes.
#include <cstdio>
#include <cstdlib>
#include "mail/MailEncoders.h"

namespace orv {

Integer TimeZoneOffsetMinutes(TDateTime localTime) {
  return -LocalTimeBiasMinutes(localTime);
}

double TimeZoneOffset() {
  return TimeZoneOffsetMinutes(Now()) / 1440.0;
}

AnsiString MailDateText(TDateTime localTime) {
  return MailDateText(localTime, TimeZoneOffsetMinutes(localTime));
}

AnsiString MailDateText(TDateTime localTime, Integer offsetMinutes) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  Word year = 0, month = 1, day = 1, hour = 0, min = 0, sec = 0, msec = 0;
  DecodeDate(localTime, year, month, day);
  DecodeTime(localTime, hour, min, sec, msec);
  const int dow = DayOfWeek(localTime);
  char zone[8] = "GMT";
  if (offsetMinutes != 0) {
    const int a = std::abs(offsetMinutes);
    std::snprintf(zone, sizeof zone, "%c%02d%02d", offsetMinutes > 0 ? '+' : '-', (a / 60) % 100,
                  a % 60);
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02u %s %04u %02u:%02u:%02u %s",
                kDays[(dow >= 1 && dow <= 7) ? dow - 1 : 0], unsigned(day),
                kMonths[(month >= 1 && month <= 12) ? month - 1 : 0], unsigned(year), unsigned(hour),
                unsigned(min), unsigned(sec), zone);
  return buf;
}

}  // namespace orv
