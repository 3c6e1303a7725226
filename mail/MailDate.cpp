// The Date field text of a mail, with the local time zone in whole minutes.
#include <cstdlib>
#include "mail/MailEncoders.h"
#include "mail/MailText.h"

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
  AnsiString out;
  out.reserve(32);
  out += kDays[(dow >= 1 && dow <= 7) ? dow - 1 : 0];
  out += ", ";
  AppendDecimal(out, day, 2);
  out += ' ';
  out += kMonths[(month >= 1 && month <= 12) ? month - 1 : 0];
  out += ' ';
  AppendDecimal(out, year, 4);
  out += ' ';
  AppendDecimal(out, hour, 2);
  out += ':';
  AppendDecimal(out, min, 2);
  out += ':';
  AppendDecimal(out, sec, 2);
  out += ' ';
  if (offsetMinutes == 0) {
    out += "GMT";
  } else {
    const unsigned a = static_cast<unsigned>(std::abs(offsetMinutes));
    out += offsetMinutes > 0 ? '+' : '-';
    AppendDecimal(out, (a / 60) % 100, 2);
    AppendDecimal(out, a % 60, 2);
  }
  return out;
}

}  // namespace orv
