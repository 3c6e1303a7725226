// Our RTF read by a third-party converter (unrtf): the same text, and the attributes in its HTML.
#include "platform/forms/RtfReader.h"
#include "platform/forms/RtfWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/rtl/CodePages.h"
#include "tests/support/ShellCommand.h"

namespace orv {
namespace {

constexpr const char* kPeer = "/usr/bin/unrtf";

class RtfPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kPeer, X_OK) != 0) GTEST_SKIP() << kPeer << " is not installed";
    char name[] = "/tmp/orv_rtf_XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    FPath = name;
  }
  void TearDown() override {
    if (!FPath.empty()) std::remove(FPath.c_str());
  }

  // The converter's output for our RTF in one of its modes ("--text", "--html").
  std::string Convert(const AnsiString& rtf, const char* mode) {
    std::ofstream(FPath, std::ios::binary) << rtf;
    const std::string command = std::string(kPeer) + " " + mode + " " + FPath + " 2>/dev/null";
    return test::RunChecked(command);
  }

  std::string FPath;
};

// Runs of blanks, tabs and line ends as one blank, none at the ends.
std::string Squeeze(const std::string& s) {
  std::string out;
  for (char c : s) {
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

TRichCharFormat Fmt(const char* name, Integer size, TColor color, TFontStyles style) {
  return {name, size, color, style, ANSI_CHARSET};
}

TRichDocument PeerDesign() {
  const TFontStyles none;
  TRichDocument doc;
  doc.Paragraphs.push_back(
      {{taCenter, nsNone}, {{Fmt("Arial", 20, 0x0000FF, TFontStyles().Include(fsBold)), u"Big"}}});
  doc.Paragraphs.push_back({{taLeftJustify, nsNone},
                            {{Fmt("Times New Roman", 10, clBlack, TFontStyles().Include(fsItalic)), u"slanted"},
                             {Fmt("Times New Roman", 10, clBlack, none), u" and "},
                             {Fmt("Times New Roman", 10, clBlack, TFontStyles().Include(fsUnderline)), u"lined"}}});
  doc.Paragraphs.push_back({{taLeftJustify, nsBullet}, {{Fmt("Arial", 10, clBlack, none), u"point one"}}});
  doc.Paragraphs.push_back({{taLeftJustify, nsBullet}, {{Fmt("Arial", 10, clBlack, none), u"point two"}}});
  doc.Paragraphs.push_back({{taLeftJustify, nsNone}, {}});
  doc.Paragraphs.push_back({{taRightJustify, nsNone},
                            {{Fmt("Arial", 10, clBlack, none), u"Gr\u00fc\u00dfe {x} \\ a\tb\vnext"}}});
  return doc;
}

TEST_F(RtfPeer, ReadsTheSameText) {
  const TRichDocument doc = PeerDesign();
  std::string out = Convert(WriteRtf(doc), "--text");
  // the converter prints a header of its own above a line of dashes
  const size_t body = out.find("-----------------\n");
  ASSERT_NE(body, std::string::npos) << out;
  out = out.substr(out.find('\n', body) + 1);
  // it shows the Symbol bullets of the pntext groups (as '"'), which our text never holds
  std::string text;
  for (char c : out)
    if (c != '"') text += c;
  EXPECT_EQ(Squeeze(text), Squeeze(WideToMultiByte(doc.Text(), 1252))) << out;
}

// The text between the first open tag and the close tag after it.
std::string Between(const std::string& html, const std::string& open, const std::string& close) {
  const size_t start = html.find(open);
  if (start == std::string::npos) return {};
  const size_t end = html.find(close, start);
  return end == std::string::npos ? std::string() : html.substr(start, end - start);
}

TEST_F(RtfPeer, SeesTheAttributes) {
  const std::string html = Convert(WriteRtf(PeerDesign()), "--html");
  for (const char* part : {"<font face=\"Arial\">", "<font face=\"Times New Roman\">", "<font color=\"#ff0000\">",
                           "font-size:20pt", "<center>Big", "<div align=\"right\">"})
    EXPECT_NE(html.find(part), std::string::npos) << part << "\n" << html;
  EXPECT_NE(Between(html, "<b>", "</b>").find("Big"), std::string::npos) << html;
  EXPECT_NE(Between(html, "<i>", "</i>").find("slanted"), std::string::npos) << html;
  EXPECT_EQ(Between(html, "<i>", "</i>").find("and"), std::string::npos) << html;
  EXPECT_NE(Between(html, "<u>", "</u>").find("lined"), std::string::npos) << html;
  size_t bullets = 0;
  for (size_t at = html.find("&bull;"); at != std::string::npos; at = html.find("&bull;", at + 1)) ++bullets;
  EXPECT_EQ(bullets, 2u) << html;
}

// The converter rewrites our RTF as RTF of its own (font table without groups, an info group,
// styles in nested groups); our reader gets the text and the styles back from it.
TEST_F(RtfPeer, ItsRtfReadsBack) {
  const TRichDocument doc = PeerDesign();
  const TRichDocument back = ReadRtf(Convert(WriteRtf(doc), "--rtf"));
  // it turns the pntext bullets into text and writes braces and backslashes unescaped (so they
  // vanish as groups and control words); neither is ours to compare
  std::string text = WideToMultiByte(back.Text(), 1252);
  EXPECT_EQ(std::erase(text, '\x95'), 2u) << text;
  std::string expected = WideToMultiByte(doc.Text(), 1252);
  std::erase_if(expected, [](char c) { return c == '{' || c == '}' || c == '\\'; });
  EXPECT_EQ(Squeeze(text), Squeeze(expected));
  const WideString all = back.Text();
  const auto styleOf = [&](const char16_t* word) {
    const size_t at = all.find(word);
    EXPECT_NE(at, WideString::npos) << "missing word";
    return back.FormatAt(static_cast<Integer>(at)).Style;
  };
  EXPECT_TRUE(styleOf(u"Big").Contains(fsBold));
  EXPECT_TRUE(styleOf(u"slanted").Contains(fsItalic));
  EXPECT_FALSE(styleOf(u"and").Contains(fsItalic));
  EXPECT_TRUE(styleOf(u"lined").Contains(fsUnderline));
}

}  // namespace
}  // namespace orv
