// Behaviour of the mail encoders: quoted-printable, base64, uuencode, header words, folding, dates.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"
#include "mail/MailText.h"
#include "mail/SMTPSession.h"

namespace orv {
namespace {

struct TQPCase { const char* Name; std::string In; bool Header; std::string Out; };

TEST(QuotedPrintable, EncodesByTheLineRules) {
  const std::string line71(71, 'a');
  const TQPCase cases[] = {
      {"two words in header mode", "Hello World", true, "Hello=20World"},
      {"header specials", "a_b?c\"d'(e)<f>", true, "a=5Fb=3Fc=22d=27=28e=29=3Cf=3E"},
      {"header CR LF", "a\r\nb", true, "a=0D=0Ab"},
      {"header backslash", "c:\\x", true, "c:=5Cx"},
      {"plain text gains a final CRLF", "abc", false, "abc\r\n"},
      {"empty text", "", false, ""},
      {"equals and 8-bit", "a=b\xE9", false, "a=3Db=E9\r\n"},
      {"byte 127", "\x7F", false, "=7F\r\n"},
      {"lone LF and lone CR", "a\nb\rc", false, "a=0Ab=0Dc\r\n"},
      {"CR at the end", "a\r", false, "a=0D\r\n"},
      {"blank before CRLF", "ab \r\ncd", false, "ab=20\r\ncd\r\n"},
      {"run of blanks and TABs before CRLF", "ab \t \r\n", false, "ab=20=09=20\r\n"},
      // Deliberately unlike the literal blank the old rule left here: a blank at the very end
      // would be stripped in transport, so it is escaped as every other trailing blank is.
      {"blank at the very end", "ab ", false, "ab=20\r\n"},
      {"TAB at the very end", "ab\t", false, "ab=09\r\n"},
      {"inner blanks stay", "a b\tc", false, "a b\tc\r\n"},
      {"exactly 72 characters", std::string(72, 'x'), false,
       std::string(71, 'x') + "=\r\nx\r\n"},
      {"71 characters stay", line71, false, line71 + "\r\n"},
      {"escape at the cut is not split", std::string(70, 'x') + "\xE9yy", false,
       std::string(70, 'x') + "=\r\n=E9yy\r\n"},
      {"escape ending at 71 stays whole", std::string(68, 'x') + "\xE9yy", false,
       std::string(68, 'x') + "=E9=\r\nyy\r\n"},
      {"escape starting at 71", std::string(69, 'x') + "y\xE9z", false,
       std::string(69, 'x') + "y=\r\n=E9z\r\n"},
  };
  for (const TQPCase& c : cases)
    EXPECT_EQ(EncodeQuotedPrintable(c.In, c.Header), c.Out) << c.Name;
}

TEST(QuotedPrintable, LongLinesAreCutEverywhereAndRoundTrip) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text.push_back(static_cast<char>(i % 7 == 0 ? 0xE9 : 'a' + i % 26));
  text += "\r\n.starts with a dot\r\n" + std::string(300, '=') + "\r\n";
  const std::string q = EncodeQuotedPrintable(text, false);
  size_t pos = 0;
  while (pos < q.size()) {
    const size_t eol = q.find("\r\n", pos);
    ASSERT_NE(eol, std::string::npos);
    EXPECT_LE(eol - pos, 72u) << "line at " << pos;
    pos = eol + 2;
  }
  EXPECT_EQ(DecodeQuotedPrintable(q), text);
}

// The line rules step by step and slowly: escape, rewrite blanks before CRLF, then cut each long
// line walking back from its end over whole escapes.
std::string ReferenceBodyQP(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    bool literal = c <= 126 && c != '=' && (c >= 32 || c == '\t' || c == '\r' || c == '\n');
    if (c == '\r') literal = i + 1 < text.size() && text[i + 1] == '\n';
    if (c == '\n') literal = i > 0 && text[i - 1] == '\r';
    if (literal) out.push_back(static_cast<char>(c));
    else out += std::string("=") + hex[c >> 4] + hex[c & 15];
    if (out.size() >= 3 && out.ends_with("\r\n") && (out[out.size() - 3] == ' ' || out[out.size() - 3] == '\t')) {
      size_t b = out.size() - 2;
      while (b > 0 && (out[b - 1] == ' ' || out[b - 1] == '\t')) --b;
      std::string run = out.substr(b, out.size() - 2 - b);
      out.resize(b);
      for (char w : run) out += w == ' ' ? "=20" : "=09";
      out += "\r\n";
    }
  }
  size_t b = out.size();
  while (b > 0 && (out[b - 1] == ' ' || out[b - 1] == '\t')) --b;
  if (b < out.size()) {
    std::string run = out.substr(b);
    out.resize(b);
    for (char w : run) out += w == ' ' ? "=20" : "=09";
  }
  if (text.empty()) return "";
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < out.size()) {
    size_t eol = out.find("\r\n", pos);
    if (eol == std::string::npos) eol = out.size();
    lines.push_back(out.substr(pos, eol - pos));
    pos = eol + 2;
  }
  auto isHex = [](char h) { return (h >= '0' && h <= '9') || (h >= 'A' && h <= 'F'); };
  std::string result;
  for (std::string line : lines) {
    while (line.size() >= 72) {
      size_t p = line.size();
      while (p >= 72) {
        if (line[p - 3] == '=' && isHex(line[p - 2]) && isHex(line[p - 1])) p -= 3;
        else p -= 1;
      }
      result += line.substr(0, p) + "=\r\n";
      line = line.substr(p);
    }
    result += line + "\r\n";
  }
  return result;
}

TEST(QuotedPrintable, OnePassGivesTheStepByStepOutput) {
  std::mt19937 rng(5);
  const char alphabet[] = {'a', 'b', ' ', '\t', '\r', '\n', '=', '\xE9', '\x01', '.', '\x7F'};
  // Later rounds are mostly plain, so long runs meet the line limit inside a block scanned at once.
  for (int round = 0; round < 600; ++round) {
    std::string text;
    const size_t len = rng() % 400;
    const unsigned plain = round < 400 ? 60 : 97;
    for (size_t i = 0; i < len; ++i) {
      const unsigned r = rng() % 100;
      text.push_back(r < plain ? 'x' : alphabet[rng() % sizeof alphabet]);
    }
    if (round % 3 == 0) text += "\r\n";
    ASSERT_EQ(EncodeQuotedPrintable(text, false), ReferenceBodyQP(text)) << "round " << round;
  }
}

TEST(QuotedPrintable, DecodesAndDropsMalformedEscapes) {
  const std::pair<std::string, std::string> cases[] = {
      {"a=3Db", "a=b"},
      {"soft=\r\nbreak", "softbreak"},
      {"lower=e9case", "lower\xE9" "case"},
      {"bad=G1rest", "badrest"},
      {"ends=4", "ends"},
      {"ends=", "ends"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(DecodeQuotedPrintable(in), out) << in;
}

TEST(Base64, LinesOf76WithCRLF) {
  EXPECT_EQ(EncodeBase64(""), "");
  EXPECT_EQ(EncodeBase64("a"), "YQ==\r\n");
  EXPECT_EQ(EncodeBase64("ab"), "YWI=\r\n");
  EXPECT_EQ(EncodeBase64("abc"), "YWJj\r\n");
  const std::string l57 = EncodeBase64(std::string(57, 'x'));
  EXPECT_EQ(l57.size(), 78u);
  EXPECT_EQ(l57.substr(76), "\r\n");
  const std::string l58 = EncodeBase64(std::string(58, 'x'));
  EXPECT_EQ(l58.substr(0, 78), l57);
  EXPECT_EQ(l58.substr(78), "eA==\r\n");
}

TEST(Base64, RoundTripsEveryByteAndSkipsForeignCharacters) {
  std::string all;
  for (int r = 0; r < 9; ++r)
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  const std::string enc = EncodeBase64(all);
  std::string dec;
  size_t pos = 0;
  while (pos < enc.size()) {
    const size_t eol = enc.find("\r\n", pos);
    DecodeBase64Line(std::string_view(enc).substr(pos, eol - pos + 2), dec);
    pos = eol + 2;
  }
  EXPECT_EQ(dec, all);
  std::string out;
  EXPECT_EQ(DecodeBase64Line("YW Jj\t!YQ==", out), 4);
  EXPECT_EQ(out, "abca");
  out.clear();
  EXPECT_EQ(DecodeBase64Line("YWJ", out), 0) << "an incomplete group gives nothing";
}

TEST(Base64, TextEncodingCoversTheWholeTextOnOneLine) {
  EXPECT_EQ(EncodeBase64Text("user"), "dXNlcg==");
  const std::string longText(200, 'p');
  const std::string enc = EncodeBase64Text(longText);
  EXPECT_EQ(enc.find('\r'), std::string::npos);
  std::string dec;
  DecodeBase64Line(enc, dec);
  EXPECT_EQ(dec, longText) << "the whole text, not its first 57 bytes";
  dec.clear();
  DecodeBase64Line(EncodeBase64Text("a\nb\n"), dec);
  EXPECT_EQ(dec, "a\r\nb");
}

TEST(UUDecode, LinesAndMalformedInput) {
  std::string out;
  EXPECT_EQ(DecodeUULine("#86)C", out), 3);
  EXPECT_EQ(out, "abc");
  out.clear();
  EXPECT_EQ(DecodeUULine("begin 644 x.txt", out), 0);
  EXPECT_EQ(DecodeUULine("end", out), 0);
  EXPECT_EQ(DecodeUULine("", out), 0);
  EXPECT_EQ(DecodeUULine("`", out), 0);
  // A length character promising more than the line holds never reads past the line.
  EXPECT_EQ(DecodeUULine("M86)C", out), 45);
  EXPECT_EQ(out.substr(0, 3), "abc");
  EXPECT_EQ(out.substr(3), std::string(42, '\0'));
  out.clear();
  EXPECT_EQ(DecodeUULine("_", out), 45) << "a count above 45 is held to the 45 a line carries";
  EXPECT_THROW(UUCharValue('a'), EMailError);
  EXPECT_EQ(UUCharValue('`'), 0);
  EXPECT_EQ(UUCharValue(' '), 0);
  EXPECT_EQ(UUCharValue('_'), 63);
}

TEST(HeaderWords, EncodeAndDecode) {
  EXPECT_EQ(EncodeHeaderWord("Hello World", "iso-8859-1"), "=?iso-8859-1?Q?Hello=20World?=");
  EXPECT_EQ(EncodeHeaderWord("Plain", "iso-8859-1"), "Plain");
  const std::pair<std::string, std::string> cases[] = {
      {"=?iso-8859-1?Q?Hello=20World?=", "Hello World"},
      {"=?iso-8859-1?q?a_b?=", "a b"},
      {"=?iso-8859-1?B?SGVsbG8=?=", "Hello"},
      {"=?iso-8859-1?Q?=41bc?=", "Abc"},
      {"x =?a?Q?1?= =?a?Q?2?= y", "x 12 y"},
      {"=?a?Q?1?=\r\n\t=?a?Q?2?=", "12"},
      {"=?a?Q?1?= and =?a?Q?2?=", "1 and 2"},
      {"=?broken", "=?broken"},
      {"=?a?Q?no end", "=?a?Q?no end"},
      {"  padded  ", "padded"},
      {"=?a?Q?=3D=3Fa=3FQ=3Fx=3F=3D?=", "=?a?Q?x?="},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(DecodeHeaderWords(in), out) << in;
}

TEST(HeaderWords, LongSubjectsBecomeShortWordsWithCommasEncoded) {
  std::string subject;
  for (int i = 0; i < 40; ++i) subject += "Caf\xE9, cr\xE8me; item " + std::to_string(i) + " ";
  const std::string enc = EncodeHeaderWords(subject, "iso-8859-1");
  size_t pos = 0;
  while (pos < enc.size()) {
    size_t end = enc.find(' ', pos);
    if (end == std::string::npos) end = enc.size();
    const std::string word = enc.substr(pos, end - pos);
    EXPECT_LE(word.size(), 75u) << word;
    EXPECT_EQ(word.find_first_of(",;"), std::string::npos) << word;
    pos = end + 1;
  }
  EXPECT_EQ(DecodeHeaderWords(enc), subject);
  EXPECT_EQ(EncodeHeaderWords("a;b", "x"), "=?x?Q?a=3Bb?=") << "a bare ';' would cut the value";
  // Without blanks a long subject can only be folded after a comma, and the fold would add a TAB.
  std::string commas;
  while (commas.size() < 80) commas += "item,";
  const std::string folded = FoldHeader("Subject: " + EncodeHeaderWords(commas, "x"));
  EXPECT_EQ(folded.find(",\r\n"), std::string::npos) << folded;
  EXPECT_EQ(DecodeHeaderWords(folded.substr(9, folded.size() - 11)), commas);
  EXPECT_EQ(EncodeHeaderWords("a,b", "x"), "a,b") << "short enough never to be folded";
}

TEST(HeaderWords, DisplayNames) {
  EXPECT_EQ(EncodeDisplayName("John Smith", "iso-8859-1"), "\"John Smith\"");
  EXPECT_EQ(EncodeDisplayName("Say \"hi\" \\o/", "x"), "\"Say \\\"hi\\\" \\\\o/\"");
  EXPECT_EQ(EncodeDisplayName("J\xF6rg M.", "iso-8859-1"), "=?iso-8859-1?Q?J=F6rg=20M=2E?=");
  EXPECT_EQ(EncodeDisplayName("", "x"), "");
  EXPECT_EQ(EncodeDisplayName("=?x?Q?y?=", "x"), "=?x?Q?=3D=3Fx=3FQ=3Fy=3F=3D?=")
      << "a name that looks encoded is encoded, so it reads back as it was";
  // A quoted name cannot be folded: once its escapes make it long, it becomes encoded words.
  const std::string quotes(500, '"');
  const std::string encoded = EncodeDisplayName(quotes, "x");
  EXPECT_EQ(encoded.substr(0, 7), "=?x?Q?=") << encoded.substr(0, 40);
  EXPECT_EQ(DecodeHeaderWords(encoded), quotes);
  TMailMessage m;
  m.SetFrom(quotes, "a@b.c");
  m.BuildBody();
  const std::string source = m.GetSource();
  for (size_t pos = 0, eol; (eol = source.find("\r\n", pos)) != std::string::npos; pos = eol + 2)
    EXPECT_LE(eol - pos, 998u) << source.substr(pos, 40);
  AnsiString name, address;
  m.GetAddressField("From", name, address);
  EXPECT_EQ(name, quotes);
}

TEST(FoldHeader, CutsOutsideQuotesAtBlanksCommasAndSemicolons) {
  EXPECT_EQ(FoldHeader("A: b\r\n\r\n"), "A: b\r\n");
  EXPECT_EQ(FoldHeader("A: b\nC: d"), "A: b\r\nC: d\r\n");
  const std::string quoted = "X: \"" + std::string(30, 'a') + " " + std::string(37, 'b') + "\"";
  ASSERT_EQ(quoted.size(), 73u);
  EXPECT_EQ(FoldHeader(quoted), quoted + "\r\n") << "the only blank is inside quotes";
  const std::string words = "Subject: " + std::string(60, 'a') + " " + std::string(20, 'b');
  EXPECT_EQ(FoldHeader(words), "Subject: " + std::string(60, 'a') + "\r\n\t" + std::string(20, 'b') +
                                   "\r\n");
  const std::string list = "To: " + std::string(66, 'a') + ", <" + std::string(10, 'b') + ">";
  EXPECT_EQ(FoldHeader(list), "To: " + std::string(66, 'a') + ",\r\n\t<" + std::string(10, 'b') +
                                  ">\r\n");
  const std::string word(75, 'w');
  EXPECT_EQ(FoldHeader("Subject: " + word + " " + word), "Subject: " + word + "\r\n\t" + word + "\r\n")
      << "no cut at or before 72: the first one after it";
  const std::string unbreakable = "X: " + std::string(100, 'z');
  EXPECT_EQ(FoldHeader(unbreakable), unbreakable + "\r\n");
}

TEST(FoldHeader, EscapedQuotesInsideADisplayNameKeepItWhole) {
  // Escaped quotes neither end nor open the quoted name: every blank in it stays a blank.
  const std::string name = "\"" + std::string(40, 'n') + " \\\"quoted words\\\" and the end\"";
  const struct { std::string Line, Folded; } cases[] = {
      {"To: " + name + " <someone@example.org>", "To: " + name + "\r\n\t<someone@example.org>\r\n"},
      // An escaped backslash does not escape the closing quote after it.
      {"From: \"x \\\\\" " + std::string(60, 'b') + " <x@example.org>",
       "From: \"x \\\\\"\r\n\t" + std::string(60, 'b') + "\r\n\t<x@example.org>\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(FoldHeader(c.Line), c.Folded) << c.Line;
}

TEST(FoldHeader, AColonInTheRestOfACutLineDoesNotStopFurtherCuts) {
  // Only the field name is kept whole: a ": " inside a later display name is part of the value.
  std::string list = "Bcc: ";
  for (int i = 0; i < 30; ++i) list += "<member" + std::to_string(i) + "@example.org>, ";
  list += "\"Dept: Sales\" <sales@example.org>";
  const std::string folded = FoldHeader(list);
  size_t longest = 0;
  for (size_t pos = 0, eol; (eol = folded.find("\r\n", pos)) != std::string::npos; pos = eol + 2)
    longest = std::max(longest, eol - pos);
  EXPECT_LE(longest, 72u) << folded;
  EXPECT_NE(folded.find("\"Dept: Sales\" <sales@example.org>\r\n"), std::string::npos) << folded;
}

TEST(MailDate, ZonesEastWestAndHalfHours) {
  const TDateTime t = EncodeDate(2003, 1, 5) + EncodeTime(14, 3, 9, 0);
  const std::pair<int, std::string> cases[] = {
      {60, "Sun, 05 Jan 2003 14:03:09 +0100"},
      {0, "Sun, 05 Jan 2003 14:03:09 GMT"},
      {-330, "Sun, 05 Jan 2003 14:03:09 -0530"},
      {330, "Sun, 05 Jan 2003 14:03:09 +0530"},
      {-600, "Sun, 05 Jan 2003 14:03:09 -1000"},
  };
  for (const auto& [offset, text] : cases) EXPECT_EQ(MailDateText(t, offset), text) << offset;
  // Before 1899-12-30 the time is the fraction's size: it is taken off the (negative) date.
  const TDateTime early = EncodeDate(999, 12, 31) - EncodeTime(23, 59, 59, 0);
  EXPECT_EQ(MailDateText(early, 1439), "Tue, 31 Dec 0999 23:59:59 +2359");
  EXPECT_EQ(MailDateText(early, -1), "Tue, 31 Dec 0999 23:59:59 -0001");
  EXPECT_EQ(MailDateText(EncodeDate(2024, 2, 29), 6000), "Thu, 29 Feb 2024 00:00:00 +0000")
      << "hours beyond two digits keep the last two";
}

// Bytes one off CR and LF, and with the high bit set, beside every kind of line end at every offset
// within the blocks the scan takes at once: it must stop exactly at the first real CR or LF.
TEST(LineEnds, EveryKindAtEveryOffsetBecomesCRLF) {
  const std::string piece = "a\x0C\x0E\x8D\x8A\x0B\xFF" "z.b\x09\x8D" "c\x0E\x0C" "defghijk";
  const std::string filler = piece + piece;
  const struct { const char* In; const char* Out; } breaks[] = {
      {"\r\n", "\r\n"}, {"\r", "\r\n"}, {"\n", "\r\n"}, {"\r\r\n", "\r\n\r\n"}, {"\n\r", "\r\n\r\n"}};
  for (std::size_t offset = 0; offset <= 40; ++offset) {
    const std::string head = filler.substr(0, offset);
    for (const auto& b : breaks) {
      const std::string text = head + b.In + ".tail" + filler;
      const std::string want = head + b.Out + ".tail" + filler;
      EXPECT_EQ(FindLineBreak(text.data(), text.data() + text.size()) - text.data(),
                static_cast<std::ptrdiff_t>(offset)) << "offset " << offset;
      EXPECT_EQ(WithCRLF(text), want) << "offset " << offset;
      EXPECT_EQ(SmtpDataText(text), head + b.Out + "." + ".tail" + filler + "\r\n.\r\n") << "offset " << offset;
    }
    EXPECT_EQ(FindLineBreak(head.data(), head.data() + head.size()), head.data() + head.size());
    EXPECT_EQ(WithCRLF(head), head);
  }
}

TEST(TextHelpers, TrimPadLinesNumbersAndFileNames) {
  EXPECT_EQ(TrimBlanks(" \t a b \t "), "a b \t");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimLeadingBlanks("\t a "), "a ");
  EXPECT_EQ(PadLeft(" 7", 3, "0"), "007");
  EXPECT_EQ(PadLeft("12345", 3, "0"), "345");
  Integer pos = 1;
  const std::string text = "ab\r\ncd\r\n";
  EXPECT_EQ(NextLine(text, pos), "ab\r\n");
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(NextLine(text, pos), "cd\r\n");
  EXPECT_EQ(pos, -1);
  pos = 1;
  EXPECT_EQ(NextLine("xy", pos), "xy");
  EXPECT_EQ(pos, -1);
  const std::pair<std::string, bool> dotted[] = {
      {"192.168.0.1", true}, {"7", true}, {"mail.example.org", false}, {"1..2", false},
      {"", false}, {"1.2.", false}, {"::1", false}};
  for (const auto& [s, v] : dotted) EXPECT_EQ(IsDottedNumber(s), v) << s;
  EXPECT_EQ(SafeFileName(" a:b?c\x01/d'e "), "a_b_c__d_e");
  EXPECT_EQ(SafeFileName(std::string(300, 'n')).size(), 254u);
  const AnsiString b = NewBoundary();
  EXPECT_EQ(b.size(), 16u);
  EXPECT_EQ(b.substr(0, 8), "boundary");
  EXPECT_EQ(b.find_first_not_of("0123456789ABCDEF", 8), std::string::npos);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// Runs with the process's time zone set to a POSIX rule, restoring the old one afterwards.
class LocalZone : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    FHad = old != nullptr;
    if (old) FOld = old;
  }
  void TearDown() override {
    if (FHad) ::setenv("TZ", FOld.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
  }
  static void Use(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  bool FHad = false;
  std::string FOld;
};

TEST_F(LocalZone, DateTextTakesTheZoneOfTheGivenLocalTime) {
  const TDateTime winter = EncodeDate(2024, 1, 15) + EncodeTime(8, 0, 0, 0);
  const TDateTime summer = EncodeDate(2024, 7, 15) + EncodeTime(8, 0, 0, 0);
  const struct { const char* Zone; TDateTime Time; const char* Suffix; } cases[] = {
      {"XST-5:30", winter, " +0530"},
      {"NST3:30NDT,M3.2.0,M11.1.0", winter, " -0330"},
      {"NST3:30NDT,M3.2.0,M11.1.0", summer, " -0230"},
      {"UTC0", winter, " GMT"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", summer, " +0200"},
  };
  for (const auto& c : cases) {
    Use(c.Zone);
    const AnsiString text = MailDateText(c.Time);
    EXPECT_TRUE(text.ends_with(c.Suffix)) << c.Zone << ": " << text;
  }
}

// The zone's answer is kept between calls: it must follow the given second and the zone setting.
TEST_F(LocalZone, ZoneFollowsEachSecondAndEachChangeOfTheSetting) {
  const TDateTime before = EncodeDate(2024, 3, 31) + EncodeTime(1, 59, 59, 0);
  const TDateTime after = EncodeDate(2024, 3, 31) + EncodeTime(3, 0, 0, 0);
  Use("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_TRUE(MailDateText(before).ends_with(" +0100"));
  EXPECT_TRUE(MailDateText(before + 0.4 / 86400).ends_with(" +0100"));
  EXPECT_TRUE(MailDateText(after).ends_with(" +0200")) << "summer time began in between";
  EXPECT_TRUE(MailDateText(before).ends_with(" +0100"));
  Use("UTC0");
  EXPECT_TRUE(MailDateText(before).ends_with(" GMT")) << "a new zone setting in the same second";
  ::unsetenv("TZ");
  ::tzset();
  const AnsiString unset = MailDateText(before);
  Use("XST-5:30");
  EXPECT_TRUE(MailDateText(before).ends_with(" +0530")) << unset;
}

}  // namespace
}  // namespace orv
