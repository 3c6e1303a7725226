// Date and time texts: the class library's date-format letters and reading the locale's form.
#include <cctype>
#include <cmath>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/LocaleFormats.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

AnsiString Pad(int v, int width) {
  AnsiString s = std::to_string(v);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
  return s;
}

AnsiString Pad2(int v) { return Pad(v, 2); }

bool StartsNoCase(std::string_view s, std::size_t i, std::string_view what) {
  return s.size() - i >= what.size() && SameText(s.substr(i, what.size()), what);
}

AnsiString LongDateFormat(const TLocaleFormats& loc) {
  if (loc.Lcid == 0x409 || loc.Lcid == 0x1009) return "dddd, mmmm d, yyyy";
  if (loc.DateSeparator == '.') return "dddd, d. mmmm yyyy";
  return "dddd d mmmm yyyy";
}

struct TDateFormatter {
  const TLocaleFormats& Loc;
  Word Year, Month, Day, Hour, Min, Sec, MSec;
  int DayOfWeekIndex;   // 0 = Sunday
  bool HadTimeZero;
  int Depth = 0;

  void Append(std::string_view fmt, AnsiString& out) {
    if (++Depth > 3) return;   // "c" and "ddddd" nest formats; the locale's never nest deeper
    bool twelve = false;
    for (std::size_t i = 0; i < fmt.size(); ++i)
      if (StartsNoCase(fmt, i, "am/pm") || StartsNoCase(fmt, i, "a/p") || StartsNoCase(fmt, i, "ampm")) twelve = true;
    bool afterHour = false;
    std::size_t i = 0;
    while (i < fmt.size()) {
      char c = fmt[i];
      char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      std::size_t n = 1;
      while (i + n < fmt.size() && std::tolower(static_cast<unsigned char>(fmt[i + n])) == lc) ++n;
      switch (lc) {
        case '"': case '\'': {
          auto end = fmt.find(c, i + 1);
          if (end == std::string_view::npos) end = fmt.size();
          out.append(fmt.substr(i + 1, end - i - 1));
          i = end + 1;
          continue;
        }
        case 'y':
          out += n <= 2 ? Pad2(Year % 100) : Pad(Year, 4);
          break;
        case 'm':
          if (afterHour) {
            out += n == 1 ? std::to_string(Min) : Pad2(Min);
            n = std::min<std::size_t>(n, 2);
          } else if (n == 1) out += std::to_string(Month);
          else if (n == 2) out += Pad2(Month);
          else if (n == 3) out += Loc.ShortMonthNames[static_cast<std::size_t>(Month - 1)];
          else out += Loc.LongMonthNames[static_cast<std::size_t>(Month - 1)];
          break;
        case 'd':
          if (n == 1) out += std::to_string(Day);
          else if (n == 2) out += Pad2(Day);
          else if (n == 3) out += Loc.ShortDayNames[static_cast<std::size_t>(DayOfWeekIndex)];
          else if (n == 4) out += Loc.LongDayNames[static_cast<std::size_t>(DayOfWeekIndex)];
          else if (n == 5) Append(Loc.ShortDateFormat, out);
          else Append(LongDateFormat(Loc), out);
          n = std::min<std::size_t>(n, 6);
          break;
        case 'h': {
          int h = Hour;
          if (twelve) h = h % 12 == 0 ? 12 : h % 12;
          n = std::min<std::size_t>(n, 2);
          out += n == 1 ? std::to_string(h) : Pad2(h);
          break;
        }
        case 'n':
          n = std::min<std::size_t>(n, 2);
          out += n == 1 ? std::to_string(Min) : Pad2(Min);
          break;
        case 's':
          n = std::min<std::size_t>(n, 2);
          out += n == 1 ? std::to_string(Sec) : Pad2(Sec);
          break;
        case 'z':
          n = n >= 3 ? 3 : 1;
          out += n == 1 ? std::to_string(MSec) : Pad(MSec, 3);
          break;
        case 't':
          n = std::min<std::size_t>(n, 2);
          Append(n == 2 ? std::string_view(Loc.LongTimeFormat) : Loc.TimeAMString[0] ? "h:nn AMPM" : "hh:nn", out);
          break;
        case 'c':
          n = 1;
          Append(Loc.ShortDateFormat, out);
          if (!HadTimeZero) {
            out += ' ';
            Append(Loc.LongTimeFormat, out);
          }
          break;
        case 'a':
          if (StartsNoCase(fmt, i, "ampm")) {
            out += Hour < 12 ? Loc.TimeAMString : Loc.TimePMString;
            n = 4;
          } else if (StartsNoCase(fmt, i, "am/pm")) {
            AnsiString word = Hour < 12 ? AnsiString(fmt.substr(i, 2)) : AnsiString(fmt.substr(i + 3, 2));
            out += word;
            n = 5;
          } else if (StartsNoCase(fmt, i, "a/p")) {
            out += Hour < 12 ? fmt[i] : fmt[i + 2];
            n = 3;
          } else {
            out += c;
            n = 1;
          }
          break;
        case '/':
          out += Loc.DateSeparator;
          n = 1;
          break;
        case ':':
          out += Loc.TimeSeparator;
          n = 1;
          break;
        default:
          out.append(fmt.substr(i, n));
      }
      if (lc == 'h') afterHour = true;
      else if (std::isalpha(static_cast<unsigned char>(lc)) && lc != 'm') afterHour = false;
      else if (lc == 'm') afterHour = false;
      i += n;
    }
    --Depth;
  }
};

[[noreturn]] void InvalidDate(std::string_view s) {
  throw EConvertError("'" + AnsiString(s) + "' is not a valid date and time");
}

// Reads an unsigned number of at most maxDigits digits.
bool ReadNumber(std::string_view s, std::size_t& i, int& value, int maxDigits) {
  std::size_t start = i;
  value = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && static_cast<int>(i - start) < maxDigits)
    value = value * 10 + (s[i++] - '0');
  return i > start && (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i])));
}

void SkipBlanks(std::string_view s, std::size_t& i) {
  while (i < s.size() && s[i] == ' ') ++i;
}

// Date: up to three numbers in the order of the short date form, separated by the date separator.
bool ScanDate(std::string_view s, std::size_t& i, TDateTime& date, const TLocaleFormats& loc) {
  std::size_t save = i;
  int n[3] = {0, 0, 0};
  int count = 0;
  while (count < 3) {
    SkipBlanks(s, i);
    if (!ReadNumber(s, i, n[count], 4)) break;
    ++count;
    SkipBlanks(s, i);
    if (count < 3 && i < s.size() && s[i] == loc.DateSeparator) ++i;
    else break;
  }
  if (count < 2 || (i < s.size() && s[i] == loc.TimeSeparator)) {
    i = save;
    return false;
  }
  // Field order from the short date form: the first of d, m, y in it.
  std::string order;
  for (char c : std::string_view(loc.ShortDateFormat)) {
    char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if ((lc == 'd' || lc == 'm' || lc == 'y') && order.find(lc) == std::string::npos) order += lc;
  }
  if (order.size() != 3) order = "mdy";
  int y = -1, m = 0, d = 0;
  if (count == 3) {
    for (int k = 0; k < 3; ++k) {
      if (order[static_cast<std::size_t>(k)] == 'y') y = n[k];
      else if (order[static_cast<std::size_t>(k)] == 'm') m = n[k];
      else d = n[k];
    }
  } else {
    // Two numbers: day and month in the form's order, this year.
    bool monthFirst = order.find('m') < order.find('d');
    m = monthFirst ? n[0] : n[1];
    d = monthFirst ? n[1] : n[0];
  }
  Word year;
  if (y < 0) {
    Word cm, cd;
    DecodeDate(Now(), year, cm, cd);
  } else {
    year = y < 100 ? ExpandTwoDigitYear(static_cast<Word>(y)) : static_cast<Word>(y);
  }
  if (m < 1 || m > 12 || d < 1 || d > 31) return false;
  return TryEncodeDate(year, static_cast<Word>(m), static_cast<Word>(d), date);
}

// Time: h[:nn[:ss[.zzz]]] with an optional AM/PM (or the locale's strings).
bool ScanTime(std::string_view s, std::size_t& i, TDateTime& time, const TLocaleFormats& loc) {
  int h = 0, mi = 0, sec = 0, ms = 0;
  SkipBlanks(s, i);
  if (!ReadNumber(s, i, h, 2)) return false;
  if (i >= s.size() || s[i] != loc.TimeSeparator) return false;
  ++i;
  if (!ReadNumber(s, i, mi, 2)) return false;
  if (i < s.size() && s[i] == loc.TimeSeparator) {
    ++i;
    if (!ReadNumber(s, i, sec, 2)) return false;
    if (i < s.size() && s[i] == '.') {
      ++i;
      std::size_t start = i;
      if (!ReadNumber(s, i, ms, 3)) return false;
      for (std::size_t k = i - start; k < 3; ++k) ms *= 10;
    }
  }
  SkipBlanks(s, i);
  int pm = -1;
  for (auto [word, isPm] : {std::pair<std::string_view, int>{"AM", 0}, {"PM", 1}, {loc.TimeAMString, 0}, {loc.TimePMString, 1}}) {
    if (!word.empty() && StartsNoCase(s, i, word)) {
      pm = isPm;
      i += word.size();
      break;
    }
  }
  if (pm >= 0) {
    if (h < 1 || h > 12) return false;
    h = h % 12 + (pm ? 12 : 0);
  }
  return TryEncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(sec), static_cast<Word>(ms), time);
}

}  // namespace

AnsiString ShortDateFormat() { return CurrentLocaleFormats().ShortDateFormat; }
AnsiString LongTimeFormat() { return CurrentLocaleFormats().LongTimeFormat; }
char DateSeparator() { return CurrentLocaleFormats().DateSeparator; }

AnsiString FormatDateTime(std::string_view format, TDateTime dt) {
  Word y, mo, d, h, mi, s, ms;
  DecodeDate(dt, y, mo, d);
  DecodeTime(dt, h, mi, s, ms);
  if (y == 0) return {};   // outside the years 1 .. 9999
  TDateFormatter f{CurrentLocaleFormats(), y, mo, d, h, mi, s, ms, DayOfWeek(dt) - 1, h == 0 && mi == 0 && s == 0 && ms == 0};
  AnsiString out;
  f.Append(format.empty() ? std::string_view("c") : format, out);
  return out;
}

AnsiString DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }
AnsiString DateToStr(TDateTime dt) { return FormatDateTime("ddddd", dt); }

bool TryStrToDateTime(std::string_view s, TDateTime& result) {
  const TLocaleFormats& loc = CurrentLocaleFormats();
  std::size_t i = 0;
  TDateTime date = 0, time = 0;
  bool hasDate = ScanDate(s, i, date, loc);
  if (!hasDate) i = 0;
  SkipBlanks(s, i);
  bool hasTime = false;
  if (i < s.size()) {
    if (!ScanTime(s, i, time, loc)) return false;
    hasTime = true;
    SkipBlanks(s, i);
  }
  if (i != s.size() || (!hasDate && !hasTime)) return false;
  // Before 1899-12-30 the time counts away from zero, so it is subtracted.
  result = date < 0 ? date - time : date + time;
  return true;
}

TDateTime StrToDateTime(std::string_view s) {
  TDateTime r = 0;
  if (!TryStrToDateTime(s, r)) InvalidDate(s);
  return r;
}

}  // namespace orv
