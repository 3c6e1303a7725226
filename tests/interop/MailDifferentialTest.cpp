// Seeded random mails built by our message builder and read by Python's email package (policy
// default and compat32, tests/interop/mail_diff.py), and a sample of them sent through our SMTP
// session to aiosmtpd, whose received data and envelope are compared with what was built.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "mail/SMTPSession.h"
#include "mail/VudeMail.h"
#include "tests/support/PeerProcess.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/FileBytes.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

const std::string kPython = "/usr/bin/python3";
const std::string kHere = std::string(ORV_SOURCE_DIR) + "/tests/interop/";
// Fixed, so a failure names a case that the next run builds again byte for byte.
constexpr unsigned kSeed = 20240611;
constexpr int kCases = 160;

std::string Hex(std::string_view s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  h.reserve(s.size() * 2);
  for (unsigned char c : s) {
    h.push_back(d[c >> 4]);
    h.push_back(d[c & 15]);
  }
  return h;
}
fs::path FreshDir(const std::string& name) {
  fs::path dir = fs::path(::testing::TempDir()) / ("mail_diff_" + std::to_string(::getpid())) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

struct TFileCase {
  std::string Path;   // as handed to the builder (may hold a folder)
  std::string Name;   // the name the mail must carry
  std::string Data;
  std::string Type;   // empty: by extension
  bool Embedded = false;
};

struct TRecipient {
  std::string Name;
  std::string Address;
};

struct TMailCase {
  std::string Label;
  std::string Charset = "iso-8859-1";
  TEncodingType TextEncoding = etQuotedPrintable;
  TEmbedMethod Embed = emContentID;
  TRecipient From, ReplyTo;
  std::vector<TRecipient> To, Cc, Bcc;
  std::string Subject;
  bool HasText = false, HasHtml = false;
  std::string Text, Html;
  std::vector<TFileCase> Files;
  bool SendRunOrder = true;   // html, plain, files; else a shuffled order
  int Date[6] = {2025, 2, 28, 23, 59, 58};
};

// Random inputs of the awkward kinds: display names needing encoding, long and non-ASCII subjects,
// texts with long lines, dots, "From ", trailing blanks, bare CR and LF and 8-bit bytes, files with
// awkward names.
class TGen {
 public:
  explicit TGen(unsigned seed) : R(seed) {}
  unsigned U(unsigned n) { return static_cast<unsigned>(R() % n); }
  bool P(unsigned percent) { return U(100) < percent; }

  // Bytes 0x80-0xFF that windows-1252 defines, so both charsets read them back.
  char High() {
    static const unsigned char pick[] = {0x80, 0x8A, 0x93, 0x94, 0x96, 0x9F, 0xA0, 0xA9, 0xC4, 0xC9,
                                         0xD6, 0xDC, 0xDF, 0xE4, 0xE9, 0xF1, 0xF6, 0xFC, 0xFF};
    return static_cast<char>(pick[U(sizeof pick)]);
  }
  std::string Letters(unsigned min, unsigned max) {
    std::string s;
    const unsigned n = min + U(max - min + 1);
    for (unsigned i = 0; i < n; ++i) s.push_back(static_cast<char>((P(20) ? 'A' : 'a') + U(26)));
    return s;
  }
  std::string Accented(unsigned min, unsigned max) {
    std::string s = Letters(min, max);
    for (char& c : s)
      if (P(30)) c = High();
    return s;
  }
  std::string Special() {
    static const char* pick[] = {"\"", ",", "\\", "'", "(", ")", "<", ">", ";", ":", "@", ".",
                                 "=?", "?=", "_", "=", "\t", "=?x?Q?y?=", "?", "[", "]", "#"};
    return pick[U(sizeof pick / sizeof *pick)];
  }
  std::string Name() {
    if (P(15)) return "";
    std::string s;
    const unsigned pieces = 1 + U(6);
    for (unsigned i = 0; i < pieces; ++i) {
      if (i && P(80)) s += ' ';
      const unsigned k = U(10);
      if (k < 4) s += Letters(1, 10);
      else if (k < 6) s += Accented(1, 10);
      else if (k < 9) s += Special();
      else s += Letters(60, 140);
    }
    if (P(10)) s = "  " + s + " ";
    return s;
  }
  std::string Address() {
    std::string local = Letters(1, 12);
    if (P(30)) local += (P(50) ? "." : "+") + Letters(1, 6);
    if (P(20)) local += std::to_string(U(1000));
    return local + "@" + (P(50) ? "example.org" : "Mail.Example.COM");
  }
  std::string Subject() {
    std::string s;
    // One long run without blanks: only commas give folding a place to cut.
    if (P(5)) {
      while (s.size() < 70 + U(150)) s += Letters(1, 8) + ",";
      return s;
    }
    const unsigned pieces = 1 + U(P(20) ? 120 : 12);
    for (unsigned i = 0; i < pieces; ++i) {
      if (i) s += P(90) ? " " : "  ";
      const unsigned k = U(12);
      if (k < 6) s += Letters(1, 9);
      else if (k < 8) s += Accented(1, 9);
      else if (k < 10) s += Special();
      else if (k < 11) s += Letters(80, 300);
      else s += Accented(80, 200);
    }
    return s;
  }
  std::string Line() {
    std::string l;
    const unsigned k = U(20);
    if (k == 0) l = ".";
    else if (k == 1) l = "." + Letters(1, 20);
    else if (k == 2) l = "From " + Letters(1, 20);
    else if (k == 3) l = "..";
    const unsigned words = P(4) ? 200 + U(400) : U(14);
    for (unsigned i = 0; i < words; ++i) {
      if (!l.empty()) l += ' ';
      const unsigned w = U(20);
      if (w < 12) l += Letters(1, 10);
      else if (w < 15) l += Accented(1, 8);
      else if (w < 16) l += "=" + Letters(0, 3);
      else if (w < 17) l.push_back(static_cast<char>(U(32) == 0 ? 0 : 1 + U(8)));
      else if (w < 18) l += Letters(100, 900);
      else if (w < 19) l += "\t";
      else l += "=?x?Q?y?=";
    }
    if (P(15)) l += P(50) ? "  " : " \t";
    return l;
  }
  std::string Text(bool html) {
    std::string t = html ? "<html><body>" : "";
    const unsigned lines = U(60);
    for (unsigned i = 0; i < lines; ++i) {
      t += html && P(30) ? "<p>" + Line() + "</p>" : Line();
      const unsigned e = U(100);
      if (i + 1 == lines && P(30)) break;
      t += e < 70 ? "\r\n" : e < 85 ? "\n" : "\r";
    }
    if (html) t += "</body></html>";
    return t;
  }
  std::string FileName() {
    std::string s;
    const unsigned pieces = 1 + U(4);
    for (unsigned i = 0; i < pieces; ++i) {
      const unsigned k = U(12);
      if (k < 5) s += Letters(1, 10);
      else if (k < 7) s += Accented(1, 8);
      else if (k < 8) s += " ";
      else if (k < 9) s += Letters(150, 300);
      else {
        static const char* pick[] = {"'", "\"", ";", "=", "(", ")", ",", "=?a?Q?b?=", "#", "%",
                                     "&", "..", "+", "[", "]", "!"};
        s += pick[U(sizeof pick / sizeof *pick)];
      }
    }
    static const char* ext[] = {".gif", ".png", ".jpg", ".pdf", ".txt", ".zip", ".xyz", "",
                                ".tar.gz", ".GIF", ".htm"};
    return s + ext[U(sizeof ext / sizeof *ext)];
  }
  std::string Data() {
    const unsigned k = U(20);
    std::string d;
    if (k == 0) return d;
    const size_t n = k < 8 ? 1 + U(100) : 1 + U(30000);
    if (P(30)) {
      while (d.size() < n) d += Line() + (P(80) ? "\r\n" : "\n");
      d.resize(n);
      return d;
    }
    d.resize(n);
    for (char& c : d) c = static_cast<char>(R());
    return d;
  }
  std::mt19937 R;
};

TMailCase MakeCase(TGen& g, int n) {
  TMailCase c;
  c.Label = "case" + std::to_string(n);
  if (g.P(25)) c.Charset = "windows-1252";
  if (g.P(20)) c.TextEncoding = etBase64;
  c.Embed = g.P(60) ? emContentID : emContentLocation;
  c.From = {g.Name(), g.Address()};
  if (g.P(80)) c.ReplyTo = {c.From.Name, g.Address()};
  c.To.push_back({g.P(60) ? "" : g.Name(), g.Address()});
  if (g.P(10)) c.To.push_back({g.Name(), g.Address()});
  if (g.P(15)) c.Cc.push_back({g.Name(), g.Address()});
  if (g.P(40)) {
    const unsigned batch = 1 + g.U(25);
    for (unsigned i = 0; i < batch; ++i) {
      std::string a = g.Address();
      if (i && g.P(10)) {
        a = c.Bcc.back().Address;
        for (char& ch : a)
          if (ch >= 'a' && ch <= 'z' && g.P(50)) ch = static_cast<char>(ch - 32);
      }
      c.Bcc.push_back({g.P(80) ? "" : g.Name(), a});
    }
  }
  if (g.P(95)) c.Subject = g.Subject();
  const unsigned texts = g.U(10);
  c.HasText = texts < 8;
  c.HasHtml = texts >= 4 && texts < 9;
  if (c.HasText) c.Text = g.Text(false);
  if (c.HasHtml) c.Html = g.Text(true);
  const unsigned embedded = g.P(50) ? g.U(4) : 0;
  const unsigned attached = g.P(50) ? g.U(4) : 0;
  for (unsigned i = 0; i < embedded + attached; ++i) {
    TFileCase f;
    f.Name = g.FileName();
    f.Path = g.P(20) ? "/some/folder/" + f.Name : f.Name;
    if (f.Name.size() > 255) f.Name.resize(255);
    f.Data = g.Data();
    f.Embedded = i < embedded;
    if (g.P(15)) f.Type = g.P(50) ? "image/png" : "application/x-custom";
    c.Files.push_back(std::move(f));
  }
  if (!c.HasText && !c.HasHtml && c.Files.empty()) {
    c.HasText = true;
    c.Text = g.Text(false);
  }
  c.SendRunOrder = g.P(70);
  c.Date[3] = static_cast<int>(g.U(24));
  return c;
}

// Builds the case's mail; a shuffled order reorders c.Files to the order they were added in, the
// order in which the mail must hold them.
void Build(TMailMessage& m, TGen& g, TMailCase& c) {
  m.ResetMessage();
  m.Charset = c.Charset;
  m.TextEncoding = c.TextEncoding;
  m.EmbedMethod = c.Embed;
  m.SetFrom(c.From.Name, c.From.Address);
  if (!c.ReplyTo.Address.empty()) m.SetReplyTo(c.ReplyTo.Name, c.ReplyTo.Address);
  if (!c.Subject.empty()) m.SetSubject(c.Subject);
  m.SetDate(EncodeDate(static_cast<Word>(c.Date[0]), static_cast<Word>(c.Date[1]),
                       static_cast<Word>(c.Date[2])) +
            EncodeTime(static_cast<Word>(c.Date[3]), static_cast<Word>(c.Date[4]),
                       static_cast<Word>(c.Date[5]), 0));
  m.ToRecipients().ClearRecipients();
  for (const TRecipient& r : c.To) m.ToRecipients().AddRecipient(r.Name, r.Address);
  m.CcRecipients().ClearRecipients();
  for (const TRecipient& r : c.Cc) m.CcRecipients().AddRecipient(r.Name, r.Address);
  m.BccRecipients().ClearRecipients();
  for (const TRecipient& r : c.Bcc) m.BccRecipients().AddRecipient(r.Name, r.Address);
  // Steps: -2 the HTML text, -1 the plain text, i >= 0 file i.
  std::vector<int> steps;
  if (c.HasHtml) steps.push_back(-2);
  if (c.HasText) steps.push_back(-1);
  for (size_t i = 0; i < c.Files.size(); ++i) steps.push_back(static_cast<int>(i));
  if (!c.SendRunOrder) std::shuffle(steps.begin(), steps.end(), g.R);
  std::vector<TFileCase> added;
  for (int step : steps) {
    if (step == -2) {
      m.SetTextHtml(c.Html);
    } else if (step == -1) {
      m.SetTextPlain(c.Text);
    } else {
      const TFileCase& f = c.Files[static_cast<size_t>(step)];
      m.AttachBytes(f.Data, f.Path, f.Embedded, f.Type);
      added.push_back(f);
    }
  }
  c.Files = std::move(added);
  m.BuildBody();
  m.SetMessageId("127.0.0.1");
}

std::string Json(const std::vector<TRecipient>& list) {
  std::string s = "[";
  for (const TRecipient& r : list)
    s += std::string(s.size() > 1 ? "," : "") + "[\"" + Hex(r.Name) + "\",\"" + Hex(r.Address) + "\"]";
  return s + "]";
}

std::string ManifestEntry(const TMailCase& c, const fs::path& eml, const TMailMessage& m,
                          bool withBcc) {
  std::string s = "{\"name\":\"" + c.Label + "\",\"eml\":\"" + eml.string() + "\",\"charset\":\"" +
                  c.Charset + "\",\"embed\":\"" + (c.Embed == emContentID ? "id" : "location") +
                  "\",\"text_encoding\":\"" +
                  (c.TextEncoding == etBase64 ? "base64" : "quoted-printable") +
                  "\",\"location_base\":\"" + Hex(m.ContentLocationBase) + "\",\"from\":" +
                  Json({c.From});
  if (!c.ReplyTo.Address.empty()) s += ",\"reply-to\":" + Json({c.ReplyTo});
  s += ",\"to\":" + Json(c.To) + ",\"cc\":" + Json(c.Cc) + ",\"bcc\":" + Json(withBcc ? c.Bcc : std::vector<TRecipient>{});
  if (!c.Subject.empty()) s += ",\"subject\":\"" + Hex(c.Subject) + "\"";
  if (c.HasText) s += ",\"text\":\"" + Hex(c.Text) + "\"";
  if (c.HasHtml) s += ",\"html\":\"" + Hex(c.Html) + "\"";
  s += ",\"date\":[";
  for (int i = 0; i < 6; ++i) s += (i ? "," : "") + std::to_string(c.Date[i]);
  s += "],\"files\":[";
  for (size_t i = 0; i < c.Files.size(); ++i) {
    const TFileCase& f = c.Files[i];
    const std::string type = f.Type.empty() ? ContentTypeForFile(f.Name) : f.Type;
    s += std::string(i ? "," : "") + "{\"name\":\"" + Hex(f.Name) + "\",\"data\":\"" + Hex(f.Data) +
         "\",\"type\":\"" + type + "\",\"embedded\":" + (f.Embedded ? "true" : "false") + "}";
  }
  return s + "]}";
}

// Runs mail_diff.py over the entries; its report when anything disagrees. The folder goes when
// all agree, and stays for a look otherwise.
void ExpectPythonAgrees(const fs::path& dir, const std::vector<std::string>& entries) {
  std::string manifest = "[";
  for (size_t i = 0; i < entries.size(); ++i) manifest += (i ? "," : "") + entries[i];
  test::WriteFileBytes(dir / "manifest.json", manifest + "]");
  int status = 0;
  const std::string out = test::RunCommand(
      kPython + " '" + kHere + "mail_diff.py' '" + (dir / "manifest.json").string() + "' 2>&1", &status);
  EXPECT_EQ(status, 0) << out.substr(0, 20000);
  const bool agreed = out.find("checked " + std::to_string(entries.size())) != std::string::npos;
  EXPECT_TRUE(agreed) << out.substr(0, 20000);
  if (agreed && !::testing::Test::HasFailure()) {
    fs::remove_all(dir);
    std::error_code ignored;
    fs::remove(dir.parent_path(), ignored);   // only once the other test's folder is gone too
  }
}

TEST(MailDifferential, PythonReadsEveryRandomMailAsBuilt) {
  const fs::path dir = FreshDir("build");
  TGen g(kSeed);
  std::vector<std::string> entries;
  for (int n = 0; n < kCases; ++n) {
    TMailCase c = MakeCase(g, n);
    TMailMessage m;
    Build(m, g, c);
    const fs::path eml = dir / (c.Label + ".eml");
    test::WriteFileBytes(eml, m.GetSource());
    entries.push_back(ManifestEntry(c, eml, m, true));
  }
  ExpectPythonAgrees(dir, entries);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

// A sample of the random mails goes through our session to aiosmtpd: what arrives is the built
// message without its Bcc field, byte for byte; the envelope holds every To, Cc and Bcc address
// once (case aside), and Python reads the delivered copies as it read the built ones.
TEST(MailDifferential, AiosmtpdReceivesTheSampleAsBuilt) {
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "mail_diff";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
  }
  const fs::path out = FreshDir("smtp");
  test::TPeerProcess peer({kPython, kHere + "smtp_peers.py", "aiosmtpd", out.string()});
  TSMTPSession smtp;
  smtp.SetTimeOut(5);
  smtp.FinalReplyTimeOut = 5;
  smtp.Host = "127.0.0.1";
  smtp.Port = peer.Port();
  ASSERT_NE(smtp.Port, 0);
  // Small pieces, so the upload crosses many packet edges.
  smtp.PacketSize = 1000;
  ASSERT_TRUE(smtp.Connect()) << smtp.LastReply();
  TGen g(kSeed + 1);
  std::vector<std::string> entries;
  for (int n = 0; n < 12; ++n) {
    TMailCase c = MakeCase(g, n);
    c.Label = "sent" + std::to_string(n);
    TMailMessage m;
    Build(m, g, c);
    smtp.MailMessage = &m;
    ASSERT_TRUE(smtp.SendMessage()) << c.Label << ": " << smtp.LastReply();
    THeaderLines header = m.Header();
    m.RemoveHeaderLines("Bcc");
    const std::string expected = m.GetSource();
    m.Header() = header;
    const fs::path got = out / (std::to_string(n) + ".eml");
    const std::string delivered = test::ReadFileBytes(got);
    EXPECT_TRUE(delivered == expected) << c.Label << ": delivered " << delivered.size() << " bytes, built "
                                       << expected.size();
    std::set<std::string> want;
    for (const auto* list : {&c.To, &c.Cc, &c.Bcc})
      for (const TRecipient& r : *list) want.insert(Lower(r.Address));
    std::string envelope = test::ReadFileBytes(out / (std::to_string(n) + ".json"));
    std::set<std::string> rcpts;
    const size_t open = envelope.find("\"rcpt_tos\": [");
    ASSERT_NE(open, std::string::npos) << envelope;
    size_t at = envelope.find('"', open + 13);
    const size_t close = envelope.find(']', open);
    int count = 0;
    while (at < close) {
      const size_t end = envelope.find('"', at + 1);
      rcpts.insert(Lower(envelope.substr(at + 1, end - at - 1)));
      ++count;
      at = envelope.find('"', end + 1);
    }
    EXPECT_EQ(rcpts, want) << c.Label;
    EXPECT_EQ(count, static_cast<int>(want.size())) << c.Label << ": each address once";
    EXPECT_NE(envelope.find("\"mail_from\": \"" + c.From.Address + "\""), std::string::npos) << envelope;
    entries.push_back(ManifestEntry(c, got, m, false));
  }
  EXPECT_TRUE(smtp.Quit()) << smtp.LastReply();
  ExpectPythonAgrees(out, entries);
}

}  // namespace
}  // namespace orv
