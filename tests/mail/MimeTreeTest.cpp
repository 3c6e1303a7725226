// Behaviour of the MIME tree: restructuring, text parts, attachments, embedded files, body layout.
#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>
#include <map>
#include <utility>
#include "mail/VudeMail.h"
#include "platform/rtl/Streams.h"
#include "platform/win/MimeTypes.h"

namespace orv {
namespace {

class TFakeMimeTypes : public IMimeTypeMap {
 public:
  AnsiString TypeForExtension(std::string_view ext) override {
    static const std::map<std::string, std::string, std::less<>> m = {
        {".gif", "image/gif"}, {".png", "image/png"}, {".pdf", "application/pdf"}};
    auto it = m.find(ext);
    return it == m.end() ? AnsiString() : it->second;
  }
  AnsiString ExtensionForType(std::string_view type) override {
    if (type == "image/gif") return ".gif";
    if (type == "application/pdf") return ".pdf";
    return {};
  }
};

// A message with the system's type table replaced by a small fixed one.
class MimeTree : public ::testing::Test {
 protected:
  void SetUp() override { SetMimeTypeMap(std::make_unique<TFakeMimeTypes>()); }
  void TearDown() override { SetMimeTypeMap(nullptr); }
  static std::string Shape(const TMailPart& p) {
    std::string s = p.GetContentType();
    if (!p.SubParts().empty()) {
      s += "(";
      for (size_t i = 0; i < p.SubParts().size(); ++i) s += (i ? "," : "") + Shape(*p.SubParts()[i]);
      s += ")";
    }
    return s;
  }
  TMailMessage M;
};

TEST_F(MimeTree, TreesForEveryMixOfTextsFilesAndAttachments) {
  struct TCase { const char* Name; bool Html; int Embedded; int Attached; const char* Tree; };
  const TCase cases[] = {
      {"plain only", false, 0, 0, "text/plain"},
      {"html and plain", true, 0, 0, "multipart/alternative(text/plain,text/html)"},
      {"plain and embedded", false, 1, 0, "multipart/related(text/plain,image/gif)"},
      {"both and embedded", true, 2, 0,
       "multipart/related(multipart/alternative(text/plain,text/html),image/gif,image/gif)"},
      {"both and attached", true, 0, 1,
       "multipart/mixed(multipart/alternative(text/plain,text/html),application/pdf)"},
      {"everything", true, 1, 2,
       "multipart/mixed(multipart/related(multipart/alternative(text/plain,text/html),image/gif),"
       "application/pdf,application/pdf)"},
      {"one attachment alone", false, 0, 1, "application/pdf"},
  };
  for (const TCase& c : cases) {
    M.ResetMessage();
    if (c.Html) M.SetTextHtml("<p>hi</p>");
    if (c.Name != std::string("one attachment alone")) M.SetTextPlain("hi");
    for (int i = 0; i < c.Embedded; ++i) M.AttachBytes("GIF89a", "/p/pic" + std::to_string(i) + ".gif", true, "");
    for (int i = 0; i < c.Attached; ++i) M.AttachBytes("%PDF", "/p/doc" + std::to_string(i) + ".pdf", false, "");
    M.BuildBody();
    EXPECT_EQ(Shape(M), c.Tree) << c.Name;
    EXPECT_FALSE(M.NeedsRebuild()) << c.Name;
  }
}

TEST_F(MimeTree, ASendRunGivesTheHeaderInItsOrder) {
  for (int mail = 0; mail < 2; ++mail) {
    M.ResetMessage();
    M.SetFrom("Sender", "s@example.org");
    M.SetReplyTo("Sender", "r@example.org");
    M.SetSubject("News");
    M.SetDate(EncodeDate(2024, 5, 6) + EncodeTime(7, 8, 9, 0));
    M.ToRecipients().ClearRecipients();
    M.ToRecipients().AddRecipient("", "first@example.org");
    M.BccRecipients().ClearRecipients();
    M.BccRecipients().AddRecipient("", "second@example.org");
    M.SetTextHtml("<p>x</p>");
    M.SetTextPlain(" ");
    M.AttachBytes("GIF89a", "/m/logo.gif", true, "");
    M.BuildBody();
    std::vector<std::string> names;
    for (const AnsiString& l : M.Header()) names.push_back(l.substr(0, l.find(':')));
    const std::vector<std::string> want = {"From", "Reply-To", "Subject", "Date", "To", "Bcc",
                                           "Mime-Version", "X-Mailer", "Content-Type",
                                           "Content-Length"};
    EXPECT_EQ(names, want) << "mail " << mail;
  }
}

TEST_F(MimeTree, AddingAfterABuildRestructuresTheBuiltMessage) {
  M.SetTextPlain("plain");
  M.BuildBody();
  M.SetTextHtml("<p>html</p>");
  M.BuildBody();
  M.AttachBytes("%PDF", "a.pdf", false, "");
  EXPECT_TRUE(M.NeedsRebuild());
  M.BuildBody();
  EXPECT_EQ(Shape(M), "multipart/mixed(multipart/alternative(text/plain,text/html),application/pdf)");
  const AnsiString& body = M.Body();
  EXPECT_EQ(body.find("This is a multipart"), 0u);
  EXPECT_EQ(body.find("This is a multipart", 1), std::string::npos) << "one preamble only";
  EXPECT_NE(body.find("\r\nplain\r\n"), std::string::npos);
  EXPECT_EQ(M.TextPart()->Decoded(), "plain");
}

TEST_F(MimeTree, TextLinesFollowTheTextLastSet) {
  using TLines = std::vector<AnsiString>;
  EXPECT_EQ(M.TextLines(), TLines{});
  M.SetTextPlain("one\ntwo\r\n\r\nfour");
  M.SetTextHtml("<p>\r");
  EXPECT_EQ(M.TextLines(), (TLines{"one", "two", "", "four"}));
  EXPECT_EQ(M.HtmlLines(), TLines{"<p>"});
  M.SetTextPlain("five");
  EXPECT_EQ(M.TextLines(), TLines{"five"}) << "a new text replaces lines already read";
  EXPECT_EQ(M.HtmlLines(), TLines{"<p>"});
  M.ResetMessage();
  EXPECT_EQ(M.TextLines(), TLines{});
  EXPECT_EQ(M.HtmlLines(), TLines{});
  M.SetTextPlain("six");
  EXPECT_EQ(M.TextLines(), TLines{"six"}) << "a text set after a reset";
}

TEST_F(MimeTree, PlainTextAloneIsTheMessageItself) {
  M.SetTextPlain("Hello");
  M.BuildBody();
  EXPECT_EQ(M.Header()[0], "Mime-Version: 1.0");
  EXPECT_EQ(M.GetHeaderValue("X-Mailer"), MailerName);
  EXPECT_EQ(M.GetHeaderValue("Content-Type"), "text/plain");
  EXPECT_EQ(M.GetHeaderParam("Content-Type", "charset"), "iso-8859-1");
  EXPECT_EQ(M.GetHeaderValue("Content-Transfer-Encoding"), "quoted-printable");
  EXPECT_EQ(M.GetHeaderValue("Content-Disposition"), "inline");
  EXPECT_EQ(M.Body(), "Hello\r\n") << "no preamble";
  EXPECT_EQ(M.GetHeaderValue("Content-Length"), "7");
}

TEST_F(MimeTree, BodyLayoutOfBothTextsAndOneEmbeddedFile) {
  M.EmbedMethod = emContentID;
  M.SetTextHtml("<img src=\"CID:LOGO.GIF\">");
  M.SetTextPlain("See the logo.");
  M.AttachBytes("GIF89a", "/pics/logo.gif", true, "");
  M.BuildBody();
  const AnsiString r = M.GetBoundary();
  const TMailPart* alt = M.AlternativePart();
  ASSERT_NE(alt, nullptr);
  const AnsiString l = alt->GetBoundary();
  EXPECT_NE(r.find("_related"), std::string::npos);
  EXPECT_NE(l.find("_alternative"), std::string::npos);
  const TMailPart* text = M.TextPart();
  const TMailPart* html = M.HtmlPart();
  const TMailPart* pic = M.Attachments().at(0);
  auto headerOf = [](const TMailPart* p) {
    std::string h;
    for (const AnsiString& x : p->Header()) h += x + "\r\n";
    return h;
  };
  const std::string expected =
      "This is a multipart message in mime format.\r\n"
      "\r\n--" + r + "\r\n" + headerOf(alt) + "\r\n" +
      "\r\n--" + l + "\r\n" + headerOf(text) + "\r\nSee the logo.\r\n" +
      "\r\n--" + l + "\r\n" + headerOf(html) + "\r\n<img src=3D\"CID:LOGO.GIF\">\r\n" +
      "\r\n--" + l + "--\r\n" +
      "\r\n--" + r + "\r\n" + headerOf(pic) + "\r\nR0lGODlh\r\n" +
      "\r\n--" + r + "--\r\n";
  EXPECT_EQ(M.Body(), expected);
  EXPECT_EQ(text->Header().size(), 4u);
  EXPECT_EQ(pic->Header().size(), 6u);
  EXPECT_EQ(pic->GetHeaderValue("Content-ID"), "<LOGO.GIF>");
  EXPECT_FALSE(pic->HasHeader("Content-Location"));
  EXPECT_EQ(pic->Header()[2], "X-VudeMail-Attachment: \"logo.gif\"; embedded=yes");
  EXPECT_EQ(M.GetHeaderValue("Content-Length"), std::to_string(M.Body().size()));
  EXPECT_EQ(M.GetHeaderValue("Content-Type"), "multipart/related");
}

TEST_F(MimeTree, EmbeddingByLocationAndAttachmentHeaders) {
  M.SetTextPlain("x");
  M.AttachBytes("GIF89a", "/a/b/Pic One.gif", true, "");
  M.AttachBytes("data", "/a/b/Unknown.xyz", false, "");
  M.BuildBody();
  const TMailPart* pic = M.Attachments().at(0);
  const TMailPart* att = M.Attachments().at(1);
  EXPECT_EQ(pic->GetHeaderValue("Content-Location"), M.ContentLocationBase + "Pic One.gif");
  EXPECT_FALSE(pic->HasHeader("Content-ID"));
  EXPECT_EQ(att->GetContentType(), "application/octet-stream");
  EXPECT_EQ(att->Header()[0],
            "Content-Type: application/octet-stream; name=\"Unknown.xyz\"");
  EXPECT_EQ(att->GetHeaderValue("Content-Disposition"), "attachment");
  EXPECT_EQ(att->GetHeaderParam("Content-Disposition", "filename"), "Unknown.xyz");
  EXPECT_EQ(att->GetHeaderParam("X-VudeMail-Attachment", "embedded"), "no");
  EXPECT_EQ(M.AttachmentFileName(*att), "Unknown.xyz");
  const AnsiString body = M.Body();
  EXPECT_EQ(body.substr(body.size() - M.GetBoundary().size() - 8), "\r\n--" + M.GetBoundary() + "--\r\n");
}

TEST_F(MimeTree, EmbeddedFilesKeepTheAddressTheyWereAddedWithThroughLaterAdds) {
  // The HTML refers to ContentLocationBase + the file name as given; the safe name of a later
  // restructuring differs for these (apostrophe, no extension, 255 characters).
  const std::string names[] = {"it's.gif", "NoExtension", std::string(251, 'n') + ".gif"};
  M.SetTextHtml("<img>");
  for (const std::string& n : names) M.AttachBytes("GIF89a", "/pics/" + n, true, "image/gif");
  M.AttachBytes("data", "last.pdf", false, "");
  M.BuildBody();
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(M.Attachments().at(i)->GetHeaderValue("Content-Location"), M.ContentLocationBase + names[i]);
}

TEST_F(MimeTree, HtmlSetAfterATextAttachmentComesBeforeIt) {
  M.AttachBytes("notes", "notes.txt", false, "text/plain");
  M.SetTextHtml("<p>h</p>");
  M.BuildBody();
  EXPECT_EQ(Shape(M), "multipart/mixed(text/html,text/plain)");
  EXPECT_EQ(M.SubParts().at(0), M.HtmlPart());
}

TEST_F(MimeTree, ABackslashInAFileNameKeepsTheParametersApart) {
  M.SetTextPlain("x");
  M.AttachBytes("data", "/tmp/ends with\\", false, "");
  const TMailPart* att = M.Attachments().at(0);
  EXPECT_EQ(att->GetHeaderParam("X-VudeMail-Attachment", "embedded"), "no");
  EXPECT_EQ(att->GetHeaderParam("Content-Type", "name"), "=?iso-8859-1?Q?ends=20with=5C?=");
  EXPECT_EQ(DecodeHeaderWords(att->GetHeaderValue("X-VudeMail-Attachment")), "ends with\\");
}

TEST_F(MimeTree, PlainAfterHtmlComesFirstAndEmbeddedFilesKeepTheirOrder) {
  M.SetTextHtml("<b>h</b>");
  EXPECT_EQ(M.HtmlPart(), &M);
  M.SetTextPlain("p");
  ASSERT_NE(M.AlternativePart(), nullptr);
  EXPECT_EQ(M.AlternativePart()->SubParts().at(0), M.TextPart());
  EXPECT_EQ(M.AlternativePart()->SubParts().at(1), M.HtmlPart());
  EXPECT_EQ(M.HtmlPart()->Decoded(), "<b>h</b>");
  M.AttachBytes("1", "one.gif", true, "");
  M.AttachBytes("2", "two.gif", true, "");
  const TMailPartList& kids = M.RelatedPart()->SubParts();
  ASSERT_EQ(kids.size(), 3u);
  EXPECT_EQ(kids[0], M.AlternativePart());
  EXPECT_EQ(kids[1]->Decoded(), "1");
  EXPECT_EQ(kids[2]->Decoded(), "2");
  M.SetTextPlain("p2");
  M.BuildBody();
  EXPECT_NE(M.Body().find("p2\r\n"), std::string::npos);
}

TEST_F(MimeTree, AnEmptySingleTextNeverBecomesItsOwnChild) {
  const char* html[] = {"", "<p>x</p>"};
  for (const char* h : html) {
    M.ResetMessage();
    M.SetTextPlain("");
    if (*h) M.SetTextHtml(h);
    M.AttachBytes("GIF89a", "a.gif", true, "");
    M.AttachBytes("", "empty.pdf", false, "");
    M.BuildBody();
    std::function<void(const TMailPart&)> walk = [&](const TMailPart& p) {
      for (const TMailPart* c : p.SubParts()) {
        ASSERT_NE(c, &M) << "the message is a child of " << p.GetContentType();
        walk(*c);
      }
    };
    walk(M);
    ASSERT_NE(M.TextPart(), &M);
    EXPECT_EQ(M.TextPart()->GetContentType(), "text/plain");
    EXPECT_EQ(M.Attachments().size(), 2u);
  }
}

TEST_F(MimeTree, AnEmptyLoneAttachmentKeepsItsPlaceWhenTextFollows) {
  M.AttachBytes("", "empty.pdf", false, "");
  EXPECT_EQ(M.Attachments().at(0), &M);
  M.SetTextPlain("now text");
  M.BuildBody();
  EXPECT_EQ(Shape(M), "multipart/mixed(text/plain,application/pdf)");
  EXPECT_NE(M.Attachments().at(0), &M);
}

TEST_F(MimeTree, AttachFileReadsFirstAndFailsWithTheFileError) {
  M.SetTextPlain("x");
  M.BuildBody();
  const AnsiString before = M.GetSource();
  EXPECT_THROW(M.AttachFile("/nonexistent/dir/file.gif", "", true), EFOpenError);
  EXPECT_EQ(M.GetSource(), before);
  EXPECT_FALSE(M.NeedsRebuild());
  const std::string path = ::testing::TempDir() + "mime_tree_attach.pdf";
  {
    std::ofstream f(path, std::ios::binary);
    f << std::string("%PDF\0\xFF", 6);
  }
  M.AttachFile(path, "", false);
  std::remove(path.c_str());
  EXPECT_EQ(M.Attachments().at(0)->Decoded(), std::string("%PDF\0\xFF", 6));
  EXPECT_EQ(M.Attachments().at(0)->GetContentType(), "application/pdf");
}

TEST_F(MimeTree, PartCodecsByTransferEncoding) {
  struct TCase { const char* Cte; std::string Body; std::string Decoded; };
  const TCase cases[] = {
      {"quoted-printable", "a=3Db=\r\nc\r\n", "a=bc\r\n"},
      {"base64", "YWJj\r\nZGVm\r\n", "abcdef"},
      {"x-uuencode", "begin 644 f\r\n#86)C\r\n`\r\nend\r\n", "abc"},
      {"7bit", "raw\r\n", "raw\r\n"},
  };
  for (const TCase& c : cases) {
    TMailPart p;
    p.SetHeaderValue("Content-Transfer-Encoding", c.Cte);
    p.Body() = c.Body;
    EXPECT_TRUE(p.Decode());
    EXPECT_EQ(p.Decoded(), c.Decoded) << c.Cte;
    p.Body() = "changed";
    p.Decode();
    EXPECT_EQ(p.Decoded(), c.Decoded) << "decoded once: " << c.Cte;
  }
  TMailPart uu;
  uu.SetHeaderValue("Content-Transfer-Encoding", "uucode");
  uu.Body() = "#86)C\r\n";
  uu.Decode();
  EXPECT_EQ(uu.GetHeaderValue("Content-Transfer-Encoding"), "base64");
  EXPECT_EQ(uu.Body(), "YWJj\r\n");
  uu.Encode(etNoEncoding);
  EXPECT_FALSE(uu.HasHeader("Content-Transfer-Encoding"));
  EXPECT_EQ(uu.Body(), "abc");
}

// Encoding again what is already encoded is skipped: a write through either body must undo that.
TEST_F(MimeTree, EncodingFollowsWritesThroughTheBodies) {
  TMailPart p;
  p.Decoded() = "x";
  p.Encode(etQuotedPrintable);
  EXPECT_EQ(std::as_const(p).Body(), "x\r\n");
  p.Decoded() = "y";
  p.Encode(etQuotedPrintable);
  EXPECT_EQ(std::as_const(p).Body(), "y\r\n") << "new decoded bytes";
  p.Encode(etBase64);
  EXPECT_EQ(std::as_const(p).Body(), "eQ==\r\n");
  p.Body() = "junk";
  p.Encode(etBase64);
  EXPECT_EQ(std::as_const(p).Body(), "eQ==\r\n") << "a body written over";
  EXPECT_EQ(p.GetHeaderValue("Content-Transfer-Encoding"), "base64");

  // The HTML body moves into a part of its own when the plain text comes; the bytes it carries
  // are those last written to the message.
  M.SetTextHtml("<a>");
  M.Decoded() = "<b>";
  M.SetTextPlain("p");
  M.BuildBody();
  ASSERT_NE(M.HtmlPart(), nullptr);
  EXPECT_EQ(std::as_const(*M.HtmlPart()).Body(), "<b>\r\n");
  EXPECT_NE(M.Body().find("\r\n\r\n<b>\r\n"), std::string::npos) << M.Body();
  EXPECT_EQ(M.Body().find("<a>"), std::string::npos) << M.Body();
}

TEST_F(MimeTree, AttachmentFileNameFallbacks) {
  struct TCase { std::vector<AnsiString> Header; const char* Name; };
  const TCase cases[] = {
      {{"X-VudeMail-Attachment: \"=?iso-8859-1?Q?caf=E9.txt?=\""}, "caf\xE9.txt"},
      {{"Content-Type: image/gif; name=\"a:b.gif\""}, "a_b.gif"},
      {{"Content-Disposition: attachment; filename=\"d.pdf\""}, "d.pdf"},
      {{"Content-Type: image/gif", "Content-ID: <LOGO>"}, "_LOGO_.gif"},
      {{"Content-Type: application/pdf"}, "application_pdf.pdf"},
      {{}, "unknown"},
  };
  for (const TCase& c : cases) {
    TMailPart p;
    p.Header() = c.Header;
    EXPECT_EQ(M.AttachmentFileName(p), c.Name) << c.Name;
  }
}

TEST_F(MimeTree, StreamsGiveTheSameBytesAsMemory) {
  std::string data;
  for (size_t i = 0; i < 2280 * 64 * 2 + 58; ++i) data.push_back(static_cast<char>(i * 7 + i / 300));
  TStringStream source(data);
  source.SetPosition(100);
  TStringStream dest("old contents");
  EncodeBase64Stream(source, dest);
  EXPECT_TRUE(dest.DataString() == EncodeBase64(data)) << "whole source from its start, dest emptied";
  TStringStream empty;
  EncodeBase64Stream(empty, dest);
  EXPECT_EQ(dest.DataString(), "");
  source.SetPosition(5);
  M.AttachStream(source, "/x/data.bin", false, "application/x-test");
  EXPECT_TRUE(M.Attachments().at(0)->Decoded() == data);
  EXPECT_EQ(M.GetContentType(), "application/x-test");
}

TEST(MimeTypesFile, ReadsBothDirectionsWithoutRegardToCase) {
  const std::string path = ::testing::TempDir() + "mime_types_test.txt";
  {
    std::ofstream f(path);
    f << "# comment line\n"
         "text/plain\t\ttxt text\n"
         "Image/JPEG jpeg jpg jpe  # trailing comment\n"
         "application/x-empty\n"
         "text/other txt\n";
  }
  TMimeTypesFile types(path);
  EXPECT_EQ(types.TypeForExtension(".TXT"), "text/plain");
  EXPECT_EQ(types.TypeForExtension(".jpg"), "image/jpeg");
  EXPECT_EQ(types.TypeForExtension("jpe"), "image/jpeg");
  EXPECT_EQ(types.TypeForExtension(".xyz"), "");
  EXPECT_EQ(types.TypeForExtension(""), "");
  EXPECT_EQ(types.ExtensionForType("IMAGE/jpeg"), ".jpeg");
  EXPECT_EQ(types.ExtensionForType("application/x-empty"), "");
  std::remove(path.c_str());
  TMimeTypesFile missing("/nonexistent/mime.types");
  EXPECT_EQ(missing.TypeForExtension(".txt"), "");
}

}  // namespace
}  // namespace orv
