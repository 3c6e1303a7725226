// Our MIME output read by Python's email package, quoted-printable and base64 both ways against
// qprint, quopri and coreutils base64, and our Date text read by email.utils.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include "mail/VudeMail.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/FileBytes.h"

namespace orv {
namespace {

const std::string kPython = "/usr/bin/python3";

// A scratch folder for this run, removed when the tests end.
struct TScratch {
  std::string Path = ::testing::TempDir() + "mime_interop_" + std::to_string(::getpid()) + "/";
  TScratch() { std::system(("mkdir -p '" + Path + "'").c_str()); }
  ~TScratch() { std::system(("rm -rf '" + Path + "'").c_str()); }
};

std::string Dir() {
  static const TScratch scratch;
  return scratch.Path;
}
// Runs a shell command; returns its standard output and sets status to its exit code.
std::string RunCommand(const std::string& command, int& status) { return test::RunCommand(command, &status); }

std::string Hex(std::string_view s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h.push_back(d[c >> 4]);
    h.push_back(d[c & 15]);
  }
  return h;
}

std::string LfToCrlf(std::string_view s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) r.push_back('\r');
    r.push_back(s[i]);
  }
  return r;
}

std::string CrlfToLf(std::string_view s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i)
    if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) r.push_back(s[i]);
  return r;
}

// CRLF text with about 3 % bytes from 0xA0-0xFF, blanks at line ends and lines starting with ".".
std::string SampleText(size_t lines, unsigned seed) {
  std::mt19937 rng(seed);
  std::string t;
  for (size_t i = 0; i < lines; ++i) {
    const size_t len = rng() % 140;
    if (i % 9 == 0) t += ".";
    for (size_t k = 0; k < len; ++k) {
      const unsigned r = rng() % 100;
      if (r < 3) t.push_back(static_cast<char>(0xA0 + rng() % 96));
      else if (r < 18) t.push_back(' ');
      else if (r < 19) t.push_back('=');
      else t.push_back(static_cast<char>('a' + rng() % 26));
    }
    if (i % 7 == 0) t += " \t";
    t += "\r\n";
  }
  return t;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

struct TFile { std::string Name; std::string Data; bool Embedded; };
struct TMailCase {
  std::string Name;
  std::string Subject;
  std::string FromName;
  std::string ToName;
  std::string Text;   // empty: none
  std::string Html;   // empty: none
  std::vector<TFile> Files;
  TEmbedMethod Embed = emContentID;
};

// Every case is parsed with policy=default; mime_check.py lists what we keep on purpose (an
// encoded word inside the quoted name= and filename= parameters of an attachment name that needs
// encoding; the raw bytes of a non-ASCII file name in an embedded file's Content-ID and
// Content-Location) and fails on any other defect, on a header or body line past 998 characters, and on any text,
// attachment or embedded file that does not come back byte for byte.
TEST(MimeInterop, PythonEmailReadsEveryBuiltMessage) {
  const std::string longLine(5000, 'w');
  std::string longSubject;
  for (int i = 0; i < 40; ++i) longSubject += "Offer " + std::to_string(i) + ", only today; hurry, ";
  const std::string gif = "GIF89a" + RandomBytes(3000, 1);
  const std::string png = "\x89PNG\r\n\x1A\n" + RandomBytes(5000, 2);
  const std::string pdf = "%PDF-1.4\n" + RandomBytes(100 * 1024, 3);
  const std::vector<TMailCase> cases = {
      {"text", "Hello", "Anna", "", "Just text.\r\nSecond line.", "", {}},
      {"html", "Hello html", "", "", "", "<html><body><p>Hi</p></body></html>", {}},
      {"both", "Both texts", "Anna Bell", "Bob", "Plain.", "<p>Html.</p>", {}},
      {"embedded by id", "Pictures", "Anna", "", "See pictures.",
       "<img src=\"CID:LOGO.GIF\"><img src=\"CID:PHOTO.PNG\">",
       {{"logo.gif", gif, true}, {"photo.png", png, true}}},
      {"embedded by location", "Pictures", "Anna", "", "See.", "<img src=\"logo.gif\">",
       {{"logo.gif", gif, true}}, emContentLocation},
      {"attachments", "Files", "Anna", "", "Two files.", "<p>Two files.</p>",
       {{"report.pdf", pdf, false}, {"second.pdf", pdf.substr(7, 100 * 1024), false}}},
      {"everything", "All", "Anna", "", "t", "<img src=\"CID:LOGO.GIF\">",
       {{"logo.gif", gif, true}, {"report.pdf", pdf, false}}},
      {"non-ASCII", "Gr\xFC\xDF" "e aus K\xF6ln, \xC4rger; Caf\xE9", "J\xF6rg M\xFCller", "Zo\xEB",
       "Sch\xF6ne Gr\xFC\xDF" "e\r\n", "<p>\xE4\xF6\xFC</p>", {{"\xDC" "bersicht.pdf", pdf, false}}},
      {"long subject", longSubject, "A", "", "x", "", {}},
      {"long lines", "Long", "A", "", longLine + "\r\n" + longLine + " \r\nend",
       "<p>" + longLine + "</p>", {}},
      {"dot lines", "Dots", "A", "", ".\r\n.hidden\r\n..two\r\n", "", {}},
      {"sample text", "Sample", "A", "", SampleText(400, 7), "", {}},
      {"quoted name", "Q", "ACME \"Best\" \\ Co, Ltd.", "Smith, John", "x", "", {}},
      {"attachment alone", "Only a file", "A", "", "", "", {{"alone.pdf", pdf, false}}},
      {"non-ASCII embedded by id", "P", "A", "", "t", "<img src=\"CID:GR\xDC\xDF.GIF\">",
       {{"gr\xFC\xDF.gif", gif, true}}},
      {"non-ASCII embedded by location", "P", "A", "", "t", "<img src=\"gr\xFC\xDF.gif\">",
       {{"gr\xFC\xDF.gif", gif, true}}, emContentLocation},
      {"awkward names", "=?x?Q?not encoded?=", "=?x?Q?y?=", "a\\b", "x", "",
       {{"back\\slash 'q' \"d\";.pdf", pdf.substr(0, 999), false}}},
  };
  std::string manifest = "[";
  int n = 0;
  for (const TMailCase& c : cases) {
    TMailMessage m;
    m.EmbedMethod = c.Embed;
    m.ResetMessage();
    m.SetFrom(c.FromName, "sender@example.org");
    m.SetReplyTo(c.FromName, "reply@example.org");
    m.SetSubject(c.Subject);
    m.SetDate(EncodeDate(2024, 3, 1) + EncodeTime(9, 30, 0, 0));
    m.ToRecipients().ClearRecipients();
    m.ToRecipients().AddRecipient(c.ToName, "to@example.org");
    m.BccRecipients().ClearRecipients();
    if (!c.Html.empty()) m.SetTextHtml(c.Html);
    if (!c.Text.empty()) m.SetTextPlain(c.Text);
    std::string files = "[";
    const std::string folder = Dir() + "case" + std::to_string(n) + "/";
    std::system(("mkdir -p '" + folder + "'").c_str());
    for (const TFile& f : c.Files) {
      const std::string path = folder + f.Name;
      test::WriteFileBytes(path, f.Data);
      m.AttachFile(path, "", f.Embedded);
      std::string upper = f.Name;
      for (char& ch : upper)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
      std::string key = !f.Embedded ? "" : c.Embed == emContentID ? "<" + upper + ">"
                                                                  : m.ContentLocationBase + f.Name;
      files += std::string(files.size() > 1 ? "," : "") + "{\"path\":\"" + Hex(path) + "\",\"name\":\"" +
               Hex(f.Name) + "\"" + (key.empty() ? "" : ",\"key\":\"" + Hex(key) + "\"") + "}";
    }
    files += "]";
    m.BuildBody();
    m.SetMessageId("127.0.0.1");
    const std::string eml = Dir() + "case" + std::to_string(n) + ".eml";
    test::WriteFileBytes(eml, m.GetSource());
    manifest += std::string(n ? "," : "") + "{\"name\":\"" + c.Name + "\",\"eml\":\"" + eml +
                "\",\"subject\":\"" + Hex(c.Subject) + "\",\"from_name\":\"" + Hex(c.FromName) +
                "\",\"from_addr\":\"sender@example.org\",\"to\":[\"to@example.org\"]" +
                (c.Text.empty() ? "" : ",\"text\":\"" + Hex(c.Text) + "\"") +
                (c.Html.empty() ? "" : ",\"html\":\"" + Hex(c.Html) + "\"") +
                ",\"files\":" + files + "}";
    ++n;
  }
  manifest += "]";
  test::WriteFileBytes(Dir() + "manifest.json", manifest);
  int status = 0;
  const std::string out = RunCommand(kPython + " '" + ORV_SOURCE_DIR "/tests/interop/mime_check.py' '" +
                                  Dir() + "manifest.json' 2>&1", status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("checked"), std::string::npos) << out;
}

TEST(MimeInterop, Base64BothWaysWithCoreutils) {
  const std::string data = RandomBytes(200 * 1024 + 17, 11) + SampleText(200, 12);
  const std::string ours = Dir() + "b64_ours.txt";
  const std::string raw = Dir() + "b64_raw.bin";
  test::WriteFileBytes(ours, EncodeBase64(data));
  test::WriteFileBytes(raw, data);
  int status = 0;
  const std::string decoded = RunCommand("base64 -d -i '" + ours + "'", status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(decoded == data) << "coreutils decodes our base64 to the source bytes";
  const std::string theirs = LfToCrlf(RunCommand("base64 '" + raw + "'", status));
  EXPECT_EQ(theirs, EncodeBase64(data)) << "the same 76-character lines";
  TMailPart p;
  p.SetHeaderValue("Content-Transfer-Encoding", "base64");
  p.Body() = theirs;
  p.Decode();
  EXPECT_TRUE(p.Decoded() == data) << "we decode coreutils' base64";
}

TEST(MimeInterop, QuotedPrintableBothWaysWithQprintAndQuopri) {
  const std::string text = SampleText(3000, 21) + std::string(400, 'z') + "\r\n" + "end  ";
  const std::string src = Dir() + "qp_src.txt";
  const std::string srcLf = Dir() + "qp_src_lf.txt";
  const std::string ours = Dir() + "qp_ours.txt";
  test::WriteFileBytes(src, text);
  test::WriteFileBytes(srcLf, CrlfToLf(text));
  test::WriteFileBytes(ours, CrlfToLf(EncodeQuotedPrintable(text, false)));
  const std::string textLf = CrlfToLf(text) + "\n";
  int status = 0;
  EXPECT_TRUE(RunCommand("qprint -d '" + ours + "'", status) == textLf) << "qprint decodes ours";
  const std::string quopriDecode = kPython +
      " -c \"import quopri,sys; sys.stdout.buffer.write(quopri.decodestring(open(sys.argv[1],'rb').read()))\" '" +
      ours + "'";
  EXPECT_TRUE(RunCommand(quopriDecode, status) == textLf) << "quopri decodes ours";
  const std::string byQprint = LfToCrlf(RunCommand("qprint -e '" + srcLf + "'", status));
  EXPECT_TRUE(DecodeQuotedPrintable(byQprint) == text) << "we decode qprint's";
  const std::string quopriEncode = kPython +
      " -c \"import quopri,sys; sys.stdout.buffer.write(quopri.encodestring(open(sys.argv[1],'rb').read()))\" '" +
      srcLf + "'";
  const std::string byQuopri = LfToCrlf(RunCommand(quopriEncode, status));
  EXPECT_TRUE(DecodeQuotedPrintable(byQuopri) == text) << "we decode quopri's";
}

TEST(MimeInterop, PythonReadsOurDateEastAndWest) {
  const TDateTime t = EncodeDate(2026, 7, 4) + EncodeTime(23, 5, 59, 0);
  const int offsets[] = {0, 60, -300, 330, -330, 345, -570, 840, -720};
  std::string args;
  for (int off : offsets) args += " '" + MailDateText(t, off) + "'";
  const std::string script =
      "import sys, email.utils as u\n"
      "for s in sys.argv[1:]:\n"
      "    d = u.parsedate_to_datetime(s)\n"
      "    print(d.strftime('%Y-%m-%d %H:%M:%S'), int(d.utcoffset().total_seconds() // 60))\n";
  test::WriteFileBytes(Dir() + "date.py", script);
  int status = 0;
  std::istringstream out(RunCommand(kPython + " '" + Dir() + "date.py'" + args, status));
  EXPECT_EQ(status, 0);
  for (int off : offsets) {
    std::string day, time;
    int minutes = 99999;
    out >> day >> time >> minutes;
    EXPECT_EQ(day + " " + time, "2026-07-04 23:05:59") << off;
    EXPECT_EQ(minutes, off) << MailDateText(t, off);
  }
}

}  // namespace
}  // namespace orv
