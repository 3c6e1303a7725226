// Malformed and hostile RTF reads without a crash or a hang and keeps what it can.
#include "platform/forms/RtfReader.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

struct TMalformedCase {
  const char* Name;
  std::string Rtf;
  WideString Text;
};

std::string Repeat(const std::string& s, size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

const TMalformedCase kCases[] = {
    {"empty", "", u""},
    {"not closed", "{\\rtf1 abc", u"abc"},
    {"extra closing braces", "{\\rtf1 a}}}}b", u"a"},
    {"closing before opening", "}}{\\rtf1 a}", u""},
    {"unclosed inner groups", "{\\rtf1 a{\\b b{\\i c", u"abc"},
    {"huge number", "{\\rtf1 \\fs99999999999999999999999 x\\cf99999999999 y}", u"xy"},
    {"huge negative number", "{\\rtf1 \\u-99999999999999 x}", u""},
    {"huge uc", "{\\rtf1 \\uc2147483647\\u1078 abcdefghijklmnopqrstuv}", u"\u0436qrstuv"},
    {"backslash at end", "{\\rtf1 a\\", u"a"},
    {"hex cut short", "{\\rtf1 a\\'4", u"a4"},
    {"bad hex", "{\\rtf1 \\'zzb}", u"zzb"},
    {"long control word", "{\\rtf1 \\" + std::string(5000, 'a') + " x}", u"x"},
    {"long number", "{\\rtf1 \\fs" + std::string(5000, '9') + " x}", u"x"},
    {"unknown destination", "{\\rtf1 {\\*\\nothing {{nested}} text}x}", u"x"},
    {"star not at group start", "{\\rtf1 a\\*\\b b}", u"ab"},
    {"binary data", "{\\rtf1 a{\\*\\blob\\bin6 }}}{{{}b}", u"ab"},
    {"binary in text", "{\\rtf1 a\\bin3 \\{}b}", u"ab"},
    {"binary past the end", "{\\rtf1 a\\bin99999999 bc}", u"a"},
    {"negative binary length", "{\\rtf1 a\\bin-5 b}", u"ab"},
    {"deep nesting", Repeat("{", 100000) + "x" + Repeat("}", 100000), u"x"},
    {"deep nesting not closed", "{\\rtf1 " + Repeat("{\\b ", 50000) + "y", u"y"},
    {"font table not closed", "{\\rtf1{\\fonttbl{\\f0 Arial;", u""},
    {"huge font table", "{\\rtf1{\\fonttbl" + Repeat("{\\f7 A;}", 20000) + "}\\f7 z}", u"z"},
    {"font number unknown", "{\\rtf1{\\fonttbl{\\f0 A;}}\\f99 \\'e4}", u"\u00e4"},
    {"colour index past the table", "{\\rtf1{\\colortbl;\\red1;}\\cf5 c}", u"c"},
    {"invalid code page", "{\\rtf1\\ansicpg99999 \\'e4}", u"\u00e4"},
    {"NUL bytes", std::string("{\\rtf1 a\0b}", 11), u"ab"},
    {"pn without closing", "{\\rtf1 {\\*\\pn\\pnlvlblt x", u""},
};

TEST(RtfMalformed, ReadsWithoutCrashOrHang) {
  for (const TMalformedCase& c : kCases) {
    const TRichDocument doc = ReadRtf(c.Rtf);
    EXPECT_EQ(doc.Text(), c.Text) << c.Name;
    EXPECT_EQ(doc.Length(), static_cast<Integer>(doc.Text().size())) << c.Name;
  }
}

TEST(RtfMalformed, SizesAndColoursStayInRange) {
  const TRichDocument doc = ReadRtf("{\\rtf1{\\colortbl;\\red999\\green-4\\blue256;}\\fs99999999999\\cf1 x}");
  ASSERT_EQ(doc.Paragraphs.size(), 1u);
  const TRichCharFormat f = doc.FormatAt(0);
  EXPECT_EQ(f.Color, 0xFF00FF);
  EXPECT_GT(f.Size, 0);
  EXPECT_LE(f.Size, 1638);
  EXPECT_EQ(ReadRtf("{\\rtf1\\fs0 x}").FormatAt(0).Size, 1);
}

// Code pages named by the document that the converter may lack still give one character per byte.
TEST(RtfMalformed, CodePagesTheConverterMayLack) {
  for (const char* rtf : {"{\\rtf1\\mac \\'e4}", "{\\rtf1\\pc \\'e4}", "{\\rtf1\\pca \\'e4}",
                          "{\\rtf1{\\fonttbl{\\f0\\fcharset77 M;}}\\f0 \\'e4}",
                          "{\\rtf1{\\fonttbl{\\f0\\fcharset130 J;}}\\f0 \\'e4}"})
    EXPECT_EQ(ReadRtf(rtf).Text().size(), 1u) << rtf;
}

}  // namespace
}  // namespace orv
