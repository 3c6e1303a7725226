// Reading rich text: the stored rich-edit dialect with its attributes, code pages, Unicode escapes,
// skipped destinations and the positions the control counts.
#include "platform/forms/RtfReader.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/CodePages.h"

namespace orv {
namespace {

// What a rich edit of the mailer stores in mails.dat: bullets with a Symbol bullet in pntext,
// half-point sizes, colour indexes, \line and \tab inside paragraphs.
const char kStoredDesign[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\froman\\fprq2\\fcharset0 Times New Roman;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "\\viewkind4\\uc1\\pard\\qc\\b\\f0\\fs32 Newsletter\\b0\\par\r\n"
    "\\pard\\cf1\\fs20 Red \\cf2\\i blue\\i0\\cf0  text\\par\r\n"
    "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-200\\li200"
    "\\f2\\fs24 first\\par\r\n"
    "{\\pntext\\f1\\'B7\\tab}second \\'e4\\'f6\\'fc\\par\r\n"
    "\\pard\\par\r\n"
    "\\pard\\qr\\ul under\\ulnone  \\strike gone\\strike0\\line next\\tab col\\par\r\n"
    "}\r\n";

TRichCharFormat Fmt(const char* name, Integer size, TColor color, TFontStyles style) {
  TRichCharFormat f;
  f.Name = name;
  f.Size = size;
  f.Color = color;
  f.Style = style;
  return f;
}

TEST(RtfReader, StoredDialectKeepsAttributesAndDropsBulletText) {
  const TRichDocument doc = ReadRtf(kStoredDesign);
  ASSERT_EQ(doc.Paragraphs.size(), 6u);
  const TFontStyles none;
  const TFontStyles bold = TFontStyles().Include(fsBold);
  const TFontStyles italic = TFontStyles().Include(fsItalic);
  const TFontStyles under = TFontStyles().Include(fsUnderline);
  const TFontStyles strike = TFontStyles().Include(fsStrikeOut);
  const TColor red = 0x0000FF, blue = 0xFF0000;

  struct TExpectedPara {
    TAlignment Alignment;
    TNumberingStyle Numbering;
    std::vector<TRichRun> Runs;
  };
  const TExpectedPara expected[] = {
      {taCenter, nsNone, {{Fmt("Arial", 16, clBlack, bold), u"Newsletter"}}},
      {taLeftJustify, nsNone,
       {{Fmt("Arial", 10, red, none), u"Red "}, {Fmt("Arial", 10, blue, italic), u"blue"},
        {Fmt("Arial", 10, clBlack, none), u" text"}}},
      {taLeftJustify, nsBullet, {{Fmt("Times New Roman", 12, clBlack, none), u"first"}}},
      {taLeftJustify, nsBullet, {{Fmt("Times New Roman", 12, clBlack, none), u"second \u00e4\u00f6\u00fc"}}},
      {taLeftJustify, nsNone, {}},
      {taRightJustify, nsNone,
       {{Fmt("Times New Roman", 12, clBlack, under), u"under"}, {Fmt("Times New Roman", 12, clBlack, none), u" "},
        {Fmt("Times New Roman", 12, clBlack, strike), u"gone"},
        {Fmt("Times New Roman", 12, clBlack, none), u"\vnext\tcol"}}},
  };
  for (size_t i = 0; i < std::size(expected); ++i) {
    const TRichParagraph& para = doc.Paragraphs[i];
    EXPECT_EQ(para.Format.Alignment, expected[i].Alignment) << "paragraph " << i;
    EXPECT_EQ(para.Format.Numbering, expected[i].Numbering) << "paragraph " << i;
    EXPECT_EQ(para.Runs, expected[i].Runs) << "paragraph " << i;
  }
  const WideString text = doc.Text();
  EXPECT_EQ(text.find(u'\u00B7'), WideString::npos) << "bullet glyph leaked into the text";
  EXPECT_EQ(text.find(u'\u2022'), WideString::npos) << "bullet glyph leaked into the text";
  EXPECT_EQ(doc.Lines(), (std::vector<WideString>{u"Newsletter", u"Red blue text", u"first",
                                                  u"second \u00e4\u00f6\u00fc", u"", u"under gone", u"next\tcol"}));
}

TEST(RtfReader, PositionsCountOneForEachBreak) {
  const TRichDocument doc = ReadRtf(kStoredDesign);
  // "Newsletter" 0..9, break 10, "Red blue text" 11..23, break 24, "first" 25..29
  EXPECT_EQ(doc.Length(), static_cast<Integer>(doc.Text().size()));
  EXPECT_EQ(doc.FormatAt(0).Style, TFontStyles().Include(fsBold));
  EXPECT_EQ(doc.FormatAt(10).Style, TFontStyles().Include(fsBold)) << "a break reads the run before it";
  EXPECT_EQ(doc.FormatAt(11).Color, 0x0000FF);
  EXPECT_EQ(doc.FormatAt(15).Color, 0xFF0000);
  EXPECT_EQ(doc.ParagraphAt(10).Alignment, taCenter);
  EXPECT_EQ(doc.ParagraphAt(11).Alignment, taLeftJustify);
  EXPECT_EQ(doc.ParagraphAt(25).Numbering, nsBullet);
  EXPECT_EQ(doc.FormatAt(25).Name, "Times New Roman");
  // the empty paragraph reads its own paragraph format, not the bullet before it
  const Integer empty = static_cast<Integer>(doc.Text().find(u"\r\r")) + 1;
  EXPECT_EQ(doc.ParagraphAt(empty).Numbering, nsNone);
  EXPECT_EQ(doc.ParagraphAt(doc.Length()).Alignment, taRightJustify);
}

struct TTextCase {
  const char* Name;
  std::string Rtf;
  WideString Text;
};

const TTextCase kTextCases[] = {
    {"ansicpg decodes bytes", "{\\rtf1\\ansi\\ansicpg1251 \\'e0\\'e1}", u"\u0430\u0431"},
    {"font charset wins over ansicpg",
     "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset238 B;}}\\f1 \\'b9\\f0 \\'b9}",
     u"\u0105\u00b9"},
    {"cpg of a font", "{\\rtf1{\\fonttbl{\\f0\\cpg1253 G;}}\\f0 \\'e1}", u"\u03b1"},
    {"double-byte pair", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 J;}}\\f0 \\'82\\'a0}", u"\u3042"},
    {"symbol bullet in body", "{\\rtf1{\\fonttbl{\\f0\\fcharset2 Symbol;}}\\f0 \\'b7}", u"\u2022"},
    {"unicode with one fallback", "{\\rtf1\\uc1 a\\u1078?b}", u"a\u0436b"},
    {"unicode fallback of a hex byte", "{\\rtf1\\uc1 \\u1078\\'3fb}", u"\u0436b"},
    {"uc2 skips two", "{\\rtf1\\uc2 \\u1078??b}", u"\u0436b"},
    {"uc0 skips nothing", "{\\rtf1\\uc0 \\u1078?}", u"\u0436?"},
    {"negative unicode", "{\\rtf1 \\u-4064?}", u"\uf020"},
    {"uc is group state", "{\\rtf1\\uc1 {\\uc3 x}\\u1078?y}", u"x\u0436y"},
    {"surrogate pair", "{\\rtf1 \\u-10179?\\u-8704?}", u"\U0001F600"},
    {"escaped symbols", "{\\rtf1 \\{a\\}\\\\}", u"{a}\\"},
    {"unknown word keeps text", "{\\rtf1 \\frobnicate7 kept}", u"kept"},
    {"unknown group keeps text", "{\\rtf1 {\\frobnicate kept}}", u"kept"},
    {"star destination skipped", "{\\rtf1 {\\*\\generator Some Writer;}x}", u"x"},
    {"known destinations skipped",
     "{\\rtf1 {\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\pict\\pngblip 0a0b}{\\listtext 1.\\tab}x}", u"x"},
    {"line breaks in the source are not text", "{\\rtf1 a\r\nb}", u"ab"},
    {"backslash newline is a paragraph", "{\\rtf1 a\\\nb}", u"a\rb"},
    {"special characters", "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~}",
     u"\u2014\u2013\u2022\u2018\u2019\u201c\u201d\u00a0"},
    {"control bytes are not text", "{\\rtf1 a\\'0db\\'00c\\u13?d}", u"abcd"},
    {"text after the document ends", "{\\rtf1 a}b", u"a"},
    {"no final paragraph mark", "{\\rtf1 a\\par b}", u"a\rb"},
    {"final paragraph mark opens nothing", "{\\rtf1 a\\par }", u"a"},
};

TEST(RtfReader, TextCases) {
  for (const TTextCase& c : kTextCases) EXPECT_EQ(ReadRtf(c.Rtf).Text(), c.Text) << c.Name;
}

TEST(RtfReader, PlainTextOrRtf) {
  TRichCharFormat plain = Fmt("Courier New", 9, clBlack, {});
  const TRichDocument text = ReadRichText("one\r\ntwo\n\xe4\r", plain);
  EXPECT_EQ(text.Lines(), (std::vector<WideString>{u"one", u"two", u"\u00e4"}));
  EXPECT_EQ(text.FormatAt(0), plain);
  EXPECT_EQ(ReadRichText("  {\\rtf1 \\b x}", plain).FormatAt(0).Style, TFontStyles().Include(fsBold));
  EXPECT_TRUE(ReadRichText("", plain).Paragraphs.empty());
}

}  // namespace
}  // namespace orv
