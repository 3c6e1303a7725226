// mails.dat: a 32-bit mail count, then each mail's texts, design, date, attachments and
// newsletter settings in a fixed order, without header or version.
#include "app/MailStore.h"

#include <cctype>
#include <charconv>
#include <vector>

#include "platform/rtl/Format.h"

namespace orv {
namespace {

// Both texts of an attachment: two 32-bit lengths at least.
constexpr Int64 kMinAttachBytes = 8;

void ReadMail(TStream& data, TMailRec& m) {
  m.Subject = ReadLongStr(data);
  m.BlankText = ReadLongStr(data);
  m.BlankHTML = ReadLongStr(data);
  m.GeneratedHTML = ReadLongStr(data);
  const Integer rtfSize = ReadInt32(data);
  if (rtfSize < 0 || rtfSize > data.Size() - data.Position())
    throw EDataFileDamaged(Format("design size %d outside the file", {static_cast<Int64>(rtfSize)}));
  m.DesignRTF.resize(static_cast<std::size_t>(rtfSize));
  if (rtfSize > 0) data.ReadBuffer(m.DesignRTF.data(), rtfSize);
  m.MailType = ReadByte(data);
  if (m.MailType > mtText)
    throw EDataFileDamaged(Format("mail type %d unknown", {static_cast<Int64>(m.MailType)}));
  m.AutoCreateText = ReadByte(data) != 0;
  const AnsiString dateText = ReadLongStr(data);
  // A date written under another locale that no form reads keeps the mail, dated now.
  if (!ReadMailDate(dateText, m.Date)) m.Date = Now();
  const Integer attachCount = ReadInt32(data);
  CheckRecordCount(attachCount, data.Size() - data.Position(), kMinAttachBytes, "attachment");
  m.Attachments = std::make_unique<TDynaArray<TAttachRec>>();
  for (Integer i = 0; i < attachCount; ++i) {
    TAttachRec a;
    a.Path = ReadLongStr(data);
    a.Cid = ReadLongStr(data);
    *m.Attachments->Append() = std::move(a);
  }
  m.DesignColor = static_cast<TColor>(ReadInt32(data));
  m.Newsletter = ReadByte(data) != 0;
  m.Color1 = static_cast<TColor>(ReadInt32(data));
  m.Color2 = static_cast<TColor>(ReadInt32(data));
  m.Color3 = static_cast<TColor>(ReadInt32(data));
  m.Color4 = static_cast<TColor>(ReadInt32(data));
  m.CaptionFontSize = ReadInt32(data);
  m.FooterFontSize = ReadInt32(data);
  m.CaptionFontColor = static_cast<TColor>(ReadInt32(data));
  m.FooterFontColor = static_cast<TColor>(ReadInt32(data));
  m.CaptionFontStyle = ReadByte(data);
  m.FooterFontStyle = ReadByte(data);
  m.Width = ReadInt32(data);
  m.MinHeight = ReadInt32(data);
  m.CaptionFontName = ReadLongStr(data);
  m.FooterFontName = ReadLongStr(data);
  m.CaptionText = ReadLongStr(data);
  m.FooterText = ReadLongStr(data);
}

void WriteMail(TStream& data, const TMailRec& m) {
  WriteLongStr(data, m.Subject);
  WriteLongStr(data, m.BlankText);
  WriteLongStr(data, m.BlankHTML);
  WriteLongStr(data, m.GeneratedHTML);
  if (m.DesignRTF.size() > 0x7FFFFFFF) throw EInOutError("Disk write error", 101);
  WriteInt32(data, static_cast<Integer>(m.DesignRTF.size()));
  if (!m.DesignRTF.empty()) data.WriteBuffer(m.DesignRTF.data(), static_cast<Int64>(m.DesignRTF.size()));
  WriteByte(data, m.MailType);
  WriteByte(data, m.AutoCreateText ? 1 : 0);
  WriteLongStr(data, StoredMailDateText(m.Date));
  const Integer attachCount = m.Attachments ? m.Attachments->Count() : 0;
  WriteInt32(data, attachCount);
  for (Integer i = 0; i < attachCount; ++i) {
    const TAttachRec& a = (*m.Attachments)[i];
    WriteLongStr(data, a.Path);
    WriteLongStr(data, a.Cid);
  }
  WriteInt32(data, static_cast<Integer>(m.DesignColor));
  WriteByte(data, m.Newsletter ? 1 : 0);
  WriteInt32(data, static_cast<Integer>(m.Color1));
  WriteInt32(data, static_cast<Integer>(m.Color2));
  WriteInt32(data, static_cast<Integer>(m.Color3));
  WriteInt32(data, static_cast<Integer>(m.Color4));
  WriteInt32(data, m.CaptionFontSize);
  WriteInt32(data, m.FooterFontSize);
  WriteInt32(data, static_cast<Integer>(m.CaptionFontColor));
  WriteInt32(data, static_cast<Integer>(m.FooterFontColor));
  WriteByte(data, m.CaptionFontStyle);
  WriteByte(data, m.FooterFontStyle);
  WriteInt32(data, m.Width);
  WriteInt32(data, m.MinHeight);
  WriteLongStr(data, m.CaptionFontName);
  WriteLongStr(data, m.FooterFontName);
  WriteLongStr(data, m.CaptionText);
  WriteLongStr(data, m.FooterText);
}

// Splits s at any of the separator characters into numeric fields; false when a field is empty,
// not all digits, or there are more than `maxFields`.
bool NumericFields(std::string_view s, std::string_view seps, std::vector<int>& out, std::size_t maxFields) {
  out.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t end = s.find_first_of(seps, start);
    const std::string_view f = s.substr(start, end == std::string_view::npos ? s.npos : end - start);
    if (f.empty() || f.size() > 4) return false;
    int v = 0;
    const auto [p, ec] = std::from_chars(f.data(), f.data() + f.size(), v);
    if (ec != std::errc() || p != f.data() + f.size()) return false;
    out.push_back(v);
    if (out.size() > maxFields) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool ReadTimePart(std::string_view s, TDateTime& time) {
  std::string_view mark;
  const std::size_t blank = s.find(' ');
  if (blank != std::string_view::npos) {
    mark = s.substr(blank + 1);
    s = s.substr(0, blank);
    while (!mark.empty() && mark.front() == ' ') mark.remove_prefix(1);
  }
  std::vector<int> f;
  if (!NumericFields(s, ":", f, 3) || f.size() < 2) return false;
  int hour = f[0];
  if (!mark.empty()) {
    const bool pm = EqualNoCase(mark, "PM");
    if (!pm && !EqualNoCase(mark, "AM")) return false;
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (pm ? 12 : 0);
  }
  const int sec = f.size() == 3 ? f[2] : 0;
  if (hour > 23 || f[1] > 59 || sec > 59) return false;
  return TryEncodeTime(static_cast<Word>(hour), static_cast<Word>(f[1]), static_cast<Word>(sec), 0, time);
}

}  // namespace

AnsiString StoredMailDateText(TDateTime date) { return DateTimeToStr(date); }

bool ReadCommonDate(std::string_view text, TDateTime& result) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::string_view datePart = text;
  std::string_view timePart;
  const std::size_t split = text.find_first_of(" T");
  if (split != std::string_view::npos) {
    datePart = text.substr(0, split);
    timePart = text.substr(split + 1);
    while (!timePart.empty() && timePart.front() == ' ') timePart.remove_prefix(1);
  }
  std::vector<int> f;
  int year = 0, month = 0, day = 0;
  if (datePart.find('.') != std::string_view::npos) {
    if (!NumericFields(datePart, ".", f, 3) || f.size() != 3) return false;
    day = f[0], month = f[1], year = f[2];
  } else if (datePart.find('-') != std::string_view::npos) {
    if (!NumericFields(datePart, "-", f, 3) || f.size() != 3) return false;
    year = f[0], month = f[1], day = f[2];
  } else if (datePart.find('/') != std::string_view::npos) {
    if (!NumericFields(datePart, "/", f, 3) || f.size() != 3) return false;
    month = f[0], day = f[1], year = f[2];
  } else {
    return false;
  }
  if (year < 100) year = ExpandTwoDigitYear(static_cast<Word>(year));
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  TDateTime date = 0;
  if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date))
    return false;
  TDateTime time = 0;
  if (!timePart.empty() && !ReadTimePart(timePart, time)) return false;
  // Dates before 1899-12-30 are negative with the time counted away from zero.
  result = date < 0 ? date - time : date + time;
  return true;
}

bool ReadMailDate(std::string_view text, TDateTime& result) {
  return TryStrToDateTime(text, result) || ReadCommonDate(text, result);
}

void ReadMails(TStream& data, TDynaArray<TMailRec>& mails, Integer& kept) {
  while (mails.Count() > 0) mails.Delete(mails.Count() - 1);
  const Integer count = ReadInt32(data);
  // A count larger than the data is read as far as whole mails go: a file cut short keeps them.
  CheckRecordCount(count, data.Size() - data.Position(), 0, "mail");
  for (Integer i = 0; i < count; ++i) {
    TMailRec m;
    ReadMail(data, m);
    *mails.Append() = std::move(m);
    kept = mails.Count();
  }
}

void WriteMails(TStream& data, const TDynaArray<TMailRec>& mails) {
  WriteInt32(data, mails.Count());
  for (Integer i = 0; i < mails.Count(); ++i) WriteMail(data, mails[i]);
}

TDataFileResult OpenMailsFile(const AnsiString& fileName, TDynaArray<TMailRec>& mails) {
  return LoadDataFile(fileName,
                      [&mails](TStream& data, Integer& kept) { ReadMails(data, mails, kept); });
}

bool SaveMailsFile(const AnsiString& fileName, const TDynaArray<TMailRec>& mails) {
  return RewriteDataFile(fileName, [&mails](TStream& data) { WriteMails(data, mails); });
}

}  // namespace orv
