// Behaviour of the message model: header lines, address fields, recipient lists and reset.
#include <gtest/gtest.h>
#include "mail/MailText.h"
#include "mail/VudeMail.h"

namespace orv {
namespace {

TEST(HeaderLines, ValuesAndParameters) {
  TMailPart p;
  p.SetHeaderValue("Content-Type", "text/plain");
  p.SetHeaderParam("Content-Type", "charset", "\"iso-8859-1\"");
  EXPECT_EQ(p.Header()[0], "Content-Type: text/plain; charset=\"iso-8859-1\"");
  p.SetHeaderValue("content-type", "text/html");
  EXPECT_EQ(p.Header()[0], "Content-Type: text/html; charset=\"iso-8859-1\"") << "parameters stay";
  EXPECT_EQ(p.GetContentType(), "text/html");
  EXPECT_EQ(p.GetHeaderParam("Content-Type", "CHARSET"), "iso-8859-1");
  p.SetHeaderParam("Content-Type", "charset", "x");
  EXPECT_EQ(p.Header()[0], "Content-Type: text/html; charset=x");
  p.SetHeaderParam("X-New", "p", "v");
  EXPECT_EQ(p.Header()[1], "X-New:; p=v");
  EXPECT_EQ(p.GetHeaderValue("X-New"), "");
  EXPECT_TRUE(p.HasHeaderParam("X-New", "p"));
  EXPECT_FALSE(p.HasHeaderParam("X-New", "q"));
  p.SetHeaderValue("Subject", "one");
  p.SetHeaderValue("Subject", "");
  EXPECT_FALSE(p.HasHeader("Subject"));
  p.SetHeaderValue("Content-Type", "");
  p.SetHeaderValue("Content-Type", "a/b");
  EXPECT_EQ(p.Header().back(), "Content-Type: a/b") << "set again, the field goes to the end";
  p.SetHeaderValue("X-Evil", "a\r\nBcc: victim@example.org");
  EXPECT_EQ(p.Header().size(), 3u);
  EXPECT_EQ(p.GetSource().find("\r\nBcc:"), std::string::npos) << "a value never starts a line";
}

TEST(HeaderLines, QuotesGuardColonsAndSemicolons) {
  TMailPart p;
  p.Header() = {"X-A: \"a;b\"; q=\"1;2\"", "X-B:  'word'  ", "X-C: \"\"'x'\"\"",
                "Content-Disposition: attachment; filename=\"r\\\"s;t.txt\""};
  EXPECT_EQ(p.GetHeaderValue("X-A"), "a;b");
  EXPECT_EQ(p.GetHeaderParam("X-A", "q"), "1;2");
  EXPECT_EQ(p.GetHeaderValue("X-B"), "word");
  EXPECT_EQ(p.GetHeaderParam("Content-Disposition", "filename"), "r\\\"s;t.txt");
  EXPECT_EQ(TMailPart::FindHeaderLine(&p.Header(), "x-", 1), 1);
  EXPECT_EQ(TMailPart::FindHeaderLine(&p.Header(), "x-", 5), -1);
  EXPECT_EQ(TMailPart::FindHeaderLine(nullptr, "x-", 0), -1);
}

TEST(HeaderLines, ValuesBecomeOneTrimmedLineAndNamesMatchWhole) {
  const struct { const char* Value; const char* Line; } cases[] = {
      {"plain", "X-V: plain"},
      {" \t\r\n lead", "X-V: lead"},
      {"trail \r\n ", "X-V: trail"},
      {"tab stays\t\r", "X-V: tab stays\t"},
      {"in\r\nside", "X-V: in  side"},
      {"\r\n", ""},
  };
  for (const auto& c : cases) {
    TMailPart p;
    p.Header() = {"X-Value: other", "X-V: old; keep=1"};
    p.SetHeaderValue("x-v", c.Value);
    const std::string want = *c.Line ? std::string(c.Line) + "; keep=1" : "X-V: ; keep=1";
    EXPECT_EQ(p.Header()[1], want) << c.Value;
    EXPECT_EQ(p.Header()[0], "X-Value: other") << "a longer name is another field";
  }
  TMailPart p;
  p.Header() = {"X-P: a ; n = 1  "};
  p.SetHeaderParam("X-P", " N ", " 2\r\n");
  EXPECT_EQ(p.Header()[0], "X-P: a ; n =2");
  p.SetHeaderParam("X-P", " m\n", "3");
  EXPECT_EQ(p.Header()[0], "X-P: a ; n =2; m=3");
  p.Header().push_back("X-Pe: 1");
  p.RemoveHeaderLines("x-p");
  EXPECT_EQ(p.Header(), THeaderLines{"X-Pe: 1"});
}

TEST(HeaderLines, FindUnquotedSkipsQuotedStretches) {
  const struct { const char* Text; char Target; size_t From; size_t At; } cases[] = {
      {"a:b", ':', 0, 1},
      {"ab;\"c;\";d", ';', 0, 2},
      {"\"a:b\":c", ':', 0, 5},
      {"\"a\\\":b\":c", ':', 0, 7},
      {"\"a;b", ';', 0, std::string::npos},
      {"x:y:z", ':', 2, 3},
      {"x", ':', 5, std::string::npos},
      {"a\"b\"c", '"', 0, std::string::npos},
  };
  for (const auto& c : cases) EXPECT_EQ(FindUnquoted(c.Text, c.Target, c.From), c.At) << c.Text;
}

TEST(HeaderLines, HeaderTextIsComparesWithoutBuilding) {
  const struct { THeaderLines Lines; const char* Text; bool Same; } cases[] = {
      {{}, "", true},
      {{}, "\r\n", false},
      {{"a"}, "a\r\n", true},
      {{"a"}, "a\r\n\r\n", false},
      {{"a"}, "a\n", false},
      {{"a"}, "", false},
      {{"a", "b"}, "a\r\nb\r\n", true},
      {{"ab"}, "a\r\nb\r\n", false},
      {{"a", ""}, "a\r\n\r\n", true},
      {{"a", "b"}, "a\r\nc\r\n", false},
  };
  for (const auto& c : cases) {
    TMailPart p;
    p.Header() = c.Lines;
    EXPECT_EQ(p.HeaderTextIs(c.Text), c.Same) << c.Text;
    EXPECT_EQ(p.HeaderText() == c.Text, c.Same) << c.Text;
  }
}

struct TAddressCase { const char* Value; const char* Name; const char* Address; };

TEST(AddressField, EveryFormGivesTheBareAddress) {
  const TAddressCase cases[] = {
      {"John Smith <john@example.org>", "John Smith", "john@example.org"},
      {"\"Smith, John\" <john@example.org>", "Smith, John", "john@example.org"},
      {"john@example.org (John Smith)", "John Smith", "john@example.org"},
      {"<john@example.org>", "", "john@example.org"},
      {"john@example.org", "", "john@example.org"},
      {"\"O\\\"Brien \\\\ Co\" <ob@example.org>", "O\"Brien \\ Co", "ob@example.org"},
      {"=?iso-8859-1?Q?J=F6rg?= <j@example.org>", "J\xF6rg", "j@example.org"},
  };
  for (const TAddressCase& c : cases) {
    TMailMessage m;
    m.Header().push_back(AnsiString("From: ") + c.Value);
    AnsiString name, address;
    m.GetAddressField("From", name, address);
    EXPECT_EQ(name, c.Name) << c.Value;
    EXPECT_EQ(address, c.Address) << c.Value;
  }
}

TEST(AddressField, FromAndReplyToWriteQuotedOrEncodedNames) {
  TMailMessage m;
  m.SetFrom("Anna Bell", "anna@example.org");
  EXPECT_EQ(m.GetHeaderValue("From"), "\"Anna Bell\" <anna@example.org>");
  m.SetFrom("Ren\xE9 Dupont", "r@example.org");
  EXPECT_EQ(m.Header()[0], "From: =?iso-8859-1?Q?Ren=E9=20Dupont?= <r@example.org>");
  AnsiString name, address;
  m.GetAddressField("From", name, address);
  EXPECT_EQ(name, "Ren\xE9 Dupont");
  m.SetFrom("", "solo@example.org");
  EXPECT_EQ(m.Header()[0], "From: <solo@example.org>");
  EXPECT_EQ(m.FromAddress(), "solo@example.org");
  m.SetReplyTo("Q \"uote\"", "r@example.org");
  m.GetAddressField("Reply-To", name, address);
  EXPECT_EQ(name, "Q \"uote\"");
  EXPECT_EQ(address, "r@example.org");
  m.SetFrom("x", "");
  EXPECT_FALSE(m.HasHeader("From"));
}

TEST(AddressField, LineBreaksInNamesAndSubjectBecomeBlanksBeforeEncoding) {
  struct TCase {
    const char* Text;
    const char* Decoded;
  };
  // Plain and encoded alike: nothing of the text may come back as a line break.
  const TCase cases[] = {
      {"Otto\r\nBcc: victim@evil.test", "Otto  Bcc: victim@evil.test"},
      {"\xD6tto\r\nSender\n", "\xD6tto  Sender"},
      {"Offer\rfor \xE4 you", "Offer for \xE4 you"},
  };
  for (const TCase& c : cases) {
    TMailMessage m;
    m.SetFrom(c.Text, "otto@example.org");
    m.SetReplyTo(c.Text, "reply@example.org");
    m.ToRecipients().AddRecipient(c.Text, "to@example.org");
    m.SetSubject(c.Text);
    for (const AnsiString& line : m.Header()) EXPECT_EQ(line.find_first_of("\r\n"), AnsiString::npos) << line;
    for (const char* field : {"From", "Reply-To"}) {
      AnsiString name, address;
      m.GetAddressField(field, name, address);
      EXPECT_EQ(name, c.Decoded) << field << " of " << c.Text;
    }
    EXPECT_EQ(m.ToRecipients().Names()[0], c.Decoded) << c.Text;
    EXPECT_EQ(TrimBlanks(DecodeHeaderWords(m.GetHeaderValue("Subject"))), TrimBlanks(c.Decoded)) << c.Text;
  }
}

TEST(AddressField, LineBreaksInAddressesAreRefused) {
  const char* bad[] = {"a@example.org\r\nBcc: b@example.org", "a@example.org\n", "\ra"};
  for (const char* a : bad) {
    TMailMessage m;
    EXPECT_THROW(m.SetFrom("n", a), EMailError) << a;
    EXPECT_THROW(m.SetReplyTo("", a), EMailError) << a;
    EXPECT_THROW(m.ToRecipients().AddRecipient("", a), EMailError) << a;
    EXPECT_TRUE(m.Header().empty()) << "nothing was written for " << a;
  }
  try {
    TMailMessage m;
    m.BccRecipients().AddRecipient("", "x@example.org\r\nDATA");
    FAIL() << "no exception";
  } catch (const EMailError& e) {
    EXPECT_NE(e.Message().find("x@example.org\\r\\nDATA"), std::string::npos) << e.Message();
  }
}

TEST(Recipients, AddClearParseAndCommaText) {
  TMailMessage m;
  m.SetSubject("s");
  m.ToRecipients().AddRecipient("", "a@example.org");
  m.SetFrom("", "f@example.org");
  m.ToRecipients().AddRecipient("", "a@example.org");
  EXPECT_EQ(m.Header().back(), "To: <a@example.org>, <a@example.org>") << "moved to the end";
  m.ToRecipients().AddRecipient("Smith, J", "j@example.org");
  EXPECT_EQ(m.ToRecipients().RecipientCount(), 3);
  EXPECT_EQ(m.ToRecipients().Names()[2], "Smith, J");
  m.BccRecipients().AddRecipient("", "b1@example.org");
  m.BccRecipients().AddRecipient("", "b2@example.org");
  EXPECT_EQ(m.BccRecipients().AddressesCommaText(), "b1@example.org,b2@example.org");
  const std::pair<std::string, std::string> names[] = {
      {"O\"Brien; \\ Co", "ob@example.org"}, {"Fran\xE7ois, Jr.", "fj@example.org"}};
  for (const auto& [name, address] : names) {
    m.CcRecipients().AddRecipient(name, address);
    EXPECT_EQ(m.CcRecipients().Names().back(), name) << m.HeaderText();
    EXPECT_EQ(m.CcRecipients().Addresses().back(), address) << m.HeaderText();
  }
  EXPECT_EQ(m.CcRecipients().RecipientCount(), 2);
  m.ToRecipients().ClearRecipients();
  EXPECT_FALSE(m.HasHeader("To"));
  EXPECT_EQ(m.ToRecipients().RecipientCount(), 0);
}

TEST(Recipients, ReadBackAfterTheHeaderChangesEvenAtTheSameLength) {
  TMailMessage m;
  m.ToRecipients().AddRecipient("", "aaa@example.org");
  EXPECT_EQ(m.ToRecipients().AddressesCommaText(), "aaa@example.org");
  m.Header()[0] = "To: <bbb@example.org>";
  EXPECT_EQ(m.ToRecipients().AddressesCommaText(), "bbb@example.org");
  m.Header() = {"To: x@example.org (X), \"Y\" <y@example.org>; <z@example.org>",
                "Cc: c@example.org", "To: w@example.org"};
  EXPECT_EQ(m.ToRecipients().AddressesCommaText(),
            "x@example.org,y@example.org,z@example.org,w@example.org");
  EXPECT_EQ(m.ToRecipients().Names()[0], "X");
  EXPECT_EQ(m.ToRecipients().Names()[1], "Y");
}

TEST(Message, ResetLeavesAnEmptyMessage) {
  TMailMessage m;
  m.SetFrom("F", "f@example.org");
  m.SetSubject("Hello World");
  EXPECT_EQ(m.GetHeaderValue("Subject"), "=?iso-8859-1?Q?Hello=20World?=");
  m.BccRecipients().AddRecipient("", "b@example.org");
  m.SetMessageId("10.0.0.1");
  m.SetTextPlain("body");
  m.AttachBytes("data", "/tmp/a.bin", false, "application/octet-stream");
  m.BuildBody();
  m.ResetMessage();
  EXPECT_TRUE(m.Header().empty());
  EXPECT_TRUE(m.Body().empty());
  EXPECT_TRUE(m.SubParts().empty());
  EXPECT_TRUE(m.Attachments().empty());
  EXPECT_EQ(m.TextPart(), nullptr);
  EXPECT_EQ(m.MixedPart(), nullptr);
  EXPECT_FALSE(m.NeedsRebuild());
  EXPECT_EQ(m.BccRecipients().RecipientCount(), 0);
  m.SetTextPlain("again");
  EXPECT_EQ(m.TextPart(), &m);
}

TEST(Message, MessageIdKeepsIPv4AndNeverABareIPv6Address) {
  TMailMessage m;
  m.SetMessageId("192.168.1.20");
  const AnsiString v4 = m.GetHeaderValue("Message-ID");
  EXPECT_EQ(v4.front(), '<');
  EXPECT_EQ(v4.substr(v4.size() - 14), "@192.168.1.20>");
  const size_t dot1 = v4.find('.');
  EXPECT_EQ(dot1, 15u) << "yyyymmddhhnnss before the first dot: " << v4;
  EXPECT_EQ(v4.find_first_not_of("0123456789", 1), dot1) << v4;
  const size_t dot2 = v4.find('.', dot1 + 1);
  const size_t at = v4.find('@');
  ASSERT_LT(dot2, at) << v4;
  for (const AnsiString& hex : {v4.substr(dot1 + 1, dot2 - dot1 - 1), v4.substr(dot2 + 1, at - dot2 - 1)}) {
    EXPECT_TRUE(!hex.empty() && hex.size() <= 8) << v4;
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << v4;
    EXPECT_TRUE(hex.size() == 1 || hex[0] != '0') << "no leading zeros: " << v4;
  }
  m.SetMessageId("fe80::1");
  const AnsiString v6 = m.GetHeaderValue("Message-ID");
  const AnsiString host = v6.substr(v6.find('@') + 1);
  EXPECT_EQ(host.find(':'), std::string::npos) << v6;
  EXPECT_GT(host.size(), 1u) << v6;
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(Message, HeaderTextSavesAndRestoresTheBccField) {
  TMailMessage m;
  m.SetFrom("", "f@example.org");
  m.ToRecipients().AddRecipient("", "t@example.org");
  m.BccRecipients().AddRecipient("", "hidden@example.org");
  m.SetTextPlain("x");
  m.BuildBody();
  const AnsiString saved = m.HeaderText();
  m.RemoveHeaderLines("Bcc");
  EXPECT_EQ(m.GetSource().find("hidden"), std::string::npos);
  EXPECT_EQ(m.BccRecipients().RecipientCount(), 0);
  m.SetHeaderText(saved);
  EXPECT_EQ(m.HeaderText(), saved);
  EXPECT_EQ(m.BccRecipients().AddressesCommaText(), "hidden@example.org");
  EXPECT_FALSE(m.NeedsRebuild());
}

}  // namespace
}  // namespace orv
