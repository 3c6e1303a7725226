// TDateTime encoding and decoding, text forms under two locales, and the local time-zone bias.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"

namespace orv {
namespace {

class LocaleScope {
 public:
  explicit LocaleScope(Cardinal lcid) : FSaved(NlsSettings()) { SetNlsSettings({1252, 850, lcid}); }
  ~LocaleScope() { SetNlsSettings(FSaved); }
 private:
  TNlsSettings FSaved;
};

struct DateCase { Word Y, M, D; double Serial; int Dow; };

TEST(DateTime, EncodeDecodeRoundTrip) {
  const DateCase cases[] = {
      {1899, 12, 30, 0, 7},      {1899, 12, 29, -1, 6},    {1900, 1, 1, 2, 2},
      {1900, 3, 1, 61, 5},       {2000, 2, 29, 36585, 3},  {2024, 12, 31, 45657, 3},
      {1, 1, 1, -693593, 2},     {9999, 12, 31, 2958465, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Y << "-" << c.M << "-" << c.D);
    EXPECT_EQ(EncodeDate(c.Y, c.M, c.D), c.Serial);
    Word y, m, d;
    // Before 1899-12-30 the time of day counts away from zero: -1.75 is 12-29 18:00.
    DecodeDate(c.Serial < 0 ? c.Serial - 0.75 : c.Serial + 0.75, y, m, d);
    EXPECT_EQ(y, c.Y);
    EXPECT_EQ(m, c.M);
    EXPECT_EQ(d, c.D);
    EXPECT_EQ(DayOfWeek(c.Serial), c.Dow);
  }
  TDateTime r;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, r));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, r));
  EXPECT_FALSE(TryEncodeDate(2023, 13, 1, r));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, r));
  try {
    EncodeDate(2023, 4, 31);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Invalid argument to date encode");
  }
}

TEST(DateTime, TimeFractionRoundsToTheMillisecond) {
  Word h, m, s, ms;
  DecodeTime(EncodeTime(13, 45, 30, 250), h, m, s, ms);
  EXPECT_EQ((std::vector<int>{h, m, s, ms}), (std::vector<int>{13, 45, 30, 250}));
  // Before 1899-12-30 the fraction still counts forward from midnight.
  DecodeTime(-1.25, h, m, s, ms);
  EXPECT_EQ(h, 6);
  // Just short of midnight rounds into the next day, not to 24:00.
  TDateTime late = EncodeDate(2024, 1, 31) + 0.9999999999;
  DecodeTime(late, h, m, s, ms);
  EXPECT_EQ(h, 0);
  Word y, mo, d;
  DecodeDate(late, y, mo, d);
  EXPECT_EQ(mo, 2);
  EXPECT_EQ(d, 1);
}

TEST(DateTime, FormatsUnderTwoLocales) {
  TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  {
    LocaleScope en(0x409);
    EXPECT_EQ(DateTimeToStr(dt), "3/5/2024 2:07:09 PM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "3/5/2024");
    EXPECT_EQ(DateToStr(dt), "3/5/2024");
    EXPECT_EQ(FormatDateTime("dddd, mmmm d, yyyy 'at' hh:nn:ss.zzz am/pm", dt),
              "Tuesday, March 5, 2024 at 02:07:09.045 pm");
    EXPECT_EQ(FormatDateTime("yyyymmdd", dt), "20240305");
    EXPECT_EQ(FormatDateTime("yyyymmddhhnnss", dt), "20240305140709");
    EXPECT_EQ(FormatDateTime("ddd mmm yy h:m a/p", dt), "Tue Mar 24 2:7 p");
  }
  {
    LocaleScope de(0x407);
    EXPECT_EQ(ShortDateFormat(), "dd.mm.yyyy");
    EXPECT_EQ(LongTimeFormat(), "hh:nn:ss");
    EXPECT_EQ(DateSeparator(), '.');
    EXPECT_EQ(DateTimeToStr(dt), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime("d. mmmm yyyy", dt), "5. M\xE4rz 2024");
    EXPECT_EQ(FormatDateTime("dd/mm", dt), "05.03");
  }
}

TEST(DateTime, ReadsTheLocaleForm) {
  struct ReadCase { Cardinal Lcid; const char* Text; TDateTime Expected; };
  Word thisYear, m, d;
  DecodeDate(Now(), thisYear, m, d);
  const ReadCase cases[] = {
      {0x409, "3/5/2024", EncodeDate(2024, 3, 5)},
      {0x409, "3/5/2024 2:07:09 PM", EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0)},
      {0x409, "12/31/1999 12:00 AM", EncodeDate(1999, 12, 31)},
      {0x409, "3/5", EncodeDate(thisYear, 3, 5)},
      {0x407, "05.03.2024 14:07", EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 0, 0)},
      {0x407, " 5.3.2024 ", EncodeDate(2024, 3, 5)},
      {0x407, "23:59:59.5", EncodeTime(23, 59, 59, 500)},
  };
  for (const auto& c : cases) {
    LocaleScope scope(c.Lcid);
    TDateTime r = -1;
    EXPECT_TRUE(TryStrToDateTime(c.Text, r)) << c.Text;
    EXPECT_DOUBLE_EQ(r, c.Expected) << c.Text;
  }
  LocaleScope de(0x407);
  for (const char* bad : {"", "31.02.2024", "5.3.2024 25:00", "5.3.2024 x", "abc", "1.2.3.4", "13:61"}) {
    TDateTime r;
    EXPECT_FALSE(TryStrToDateTime(bad, r)) << bad;
  }
  try {
    StrToDateTime("32.1.2024");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'32.1.2024' is not a valid date and time");
  }
}

TEST(DateTime, TwoDigitYearsWithinFiftyYears) {
  Word y, m, d;
  DecodeDate(Now(), y, m, d);
  EXPECT_EQ(ExpandTwoDigitYear(static_cast<Word>(y % 100)), y);
  EXPECT_EQ(ExpandTwoDigitYear(static_cast<Word>((y - 50) % 100)), y - 50);
  EXPECT_EQ(ExpandTwoDigitYear(static_cast<Word>((y + 49) % 100)), y + 49);
  EXPECT_EQ(ExpandTwoDigitYear(1985), 1985);
}

TEST(DateTime, LocalTimeBiasFollowsTheZone) {
  const char* old = getenv("TZ");
  std::string saved = old ? old : "";
  struct ZoneCase { const char* Zone; TDateTime When; int Bias; };
  const ZoneCase cases[] = {
      {"Asia/Kolkata", EncodeDate(2024, 1, 15), -330},
      {"America/St_Johns", EncodeDate(2024, 1, 15) + 0.5, 210},
      {"America/St_Johns", EncodeDate(2024, 7, 15) + 0.5, 150},
      {"Europe/Berlin", EncodeDate(2024, 1, 15), -60},
      {"Europe/Berlin", EncodeDate(2024, 7, 15), -120},
      {"UTC", EncodeDate(2024, 7, 15), 0},
  };
  for (const auto& c : cases) {
    setenv("TZ", c.Zone, 1);
    tzset();
    EXPECT_EQ(LocalTimeBiasMinutes(c.When), c.Bias) << c.Zone;
  }
  if (old) setenv("TZ", saved.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

TEST(DateTime, NowIsTheLocalClock) {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  TDateTime now = Now();
  Word y, m, d;
  DecodeDate(now, y, m, d);
  // The day may change between the two readings only at midnight.
  EXPECT_NEAR(now, EncodeDate(static_cast<Word>(local.tm_year + 1900), static_cast<Word>(local.tm_mon + 1),
                              static_cast<Word>(local.tm_mday)) +
                       (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0,
              5.0 / 86400);
  EXPECT_EQ(Date(), static_cast<double>(static_cast<long>(now)));
}

}  // namespace
}  // namespace orv
