// Rich text written as RTF reads back with the same text and attributes; plain-text saving.
#include "platform/forms/RtfReader.h"
#include "platform/forms/RtfWriter.h"
#include "platform/forms/RichTextStreams.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orv {
namespace {

TRichCharFormat Fmt(const char* name, Integer size, TColor color, TFontStyles style,
                    TFontCharset charset = ANSI_CHARSET) {
  return {name, size, color, style, charset};
}

TRichDocument Design() {
  const TFontStyles none;
  TRichDocument doc;
  doc.DefaultFormat = Fmt("Arial", 10, clBlack, none);
  auto para = [&](TAlignment a, TNumberingStyle n, std::vector<TRichRun> runs) {
    doc.Paragraphs.push_back({{a, n}, std::move(runs)});
  };
  para(taCenter, nsNone, {{Fmt("Arial Black", 24, 0x0000FF, TFontStyles().Include(fsBold)), u"Big news"}});
  para(taLeftJustify, nsNone,
       {{Fmt("Times New Roman", 11, 0x123456, TFontStyles().Include(fsItalic).Include(fsUnderline)), u"styled "},
        {Fmt("Times New Roman", 11, 0x123456, TFontStyles().Include(fsStrikeOut)), u"struck"},
        {Fmt("Arial", 10, clBlack, none), u" {braces} \\ back\tslash\vnext line"}});
  para(taLeftJustify, nsBullet, {{Fmt("Arial", 10, clBlack, none), u"first \u00e4\u00df\u20ac"}});
  para(taLeftJustify, nsBullet, {{Fmt("Arial", 10, clBlack, none), u"\u0436\u05d0 \U0001F600"}});
  para(taLeftJustify, nsNone, {});
  para(taRightJustify, nsNone,
       {{Fmt("Arial", 10, clWhite, none), u"white"}, {Fmt("Courier New", 72, clBlack, none), u"x"}});
  para(taLeftJustify, nsNone, {{Fmt("Cyr \xe4", 10, clBlack, none, RUSSIAN_CHARSET), u"\u0436\u00e4"}});
  para(taLeftJustify, nsNone, {});
  return doc;
}

TEST(RtfRoundTrip, TextAndAttributesSurvive) {
  const TRichDocument doc = Design();
  const AnsiString rtf = WriteRtf(doc);
  const TRichDocument back = ReadRtf(rtf);
  ASSERT_EQ(back.Paragraphs.size(), doc.Paragraphs.size()) << rtf;
  for (size_t i = 0; i < doc.Paragraphs.size(); ++i) {
    EXPECT_EQ(back.Paragraphs[i].Format, doc.Paragraphs[i].Format) << "paragraph " << i << "\n" << rtf;
    EXPECT_EQ(back.Paragraphs[i].Runs, doc.Paragraphs[i].Runs) << "paragraph " << i << "\n" << rtf;
  }
  EXPECT_EQ(back.Text(), doc.Text());
  EXPECT_EQ(WriteRtf(back), rtf) << "a second round changes the RTF";
}

TEST(RtfRoundTrip, WritesTheStoredDialect) {
  const AnsiString rtf = WriteRtf(Design());
  for (const char* part : {"{\\rtf1\\ansi\\ansicpg1252", "\\viewkind4\\uc1\\pard", "\\fs48 ", "\\fs22 ",
                           "{\\pntext\\f", "\\'B7\\tab}{\\*\\pn\\pnlvlblt", "\\red86\\green52\\blue18;",
                           "\\'e4\\'df\\'80", "\\u1078?", "\\u-10179?\\u-8704?", "\\{braces\\} \\\\ back\\tab ",
                           "\\line ", "Cyr \\'e4;", "\\fcharset204"})
    EXPECT_NE(rtf.find(part), AnsiString::npos) << part << "\n" << rtf;
}

TEST(RtfRoundTrip, SystemColoursAreWrittenAsTheyShow) {
  TRichDocument doc;
  doc.Append(u"x", Fmt("Arial", 10, clWindowText, {}));
  doc.Append(u"y", Fmt("Arial", 10, clHighlight, {}));
  const TRichDocument back = ReadRtf(WriteRtf(doc));
  EXPECT_EQ(back.FormatAt(0).Color, static_cast<TColor>(ColorToRGB(clWindowText)));
  EXPECT_EQ(back.FormatAt(1).Color, static_cast<TColor>(ColorToRGB(clHighlight)));
}

TEST(RtfRoundTrip, EmptyDocument) {
  const TRichDocument empty;
  EXPECT_TRUE(ReadRtf(WriteRtf(empty)).Paragraphs.empty());
  EXPECT_EQ(WritePlainText(empty), "");
}

TEST(RtfRoundTrip, PlainTextBreaksBecomeLines) {
  TRichDocument doc;
  doc.Append(u"a\vb\rc\u00e4", {});
  EXPECT_EQ(WritePlainText(doc), "a\r\nb\r\nc\xe4");
}

TEST(RtfRoundTrip, ThroughStreams) {
  const TRichDocument doc = Design();
  TStringStream rtf;
  SaveRichText(doc, rtf, false);
  rtf.SetPosition(0);
  EXPECT_EQ(LoadRichText(rtf, {}).Paragraphs, doc.Paragraphs);

  TStringStream plain;
  SaveRichText(doc, plain, true);
  plain.SetPosition(0);
  const TRichCharFormat plainFormat = Fmt("Courier New", 9, clBlack, {});
  const TRichDocument text = LoadRichText(plain, plainFormat);
  // characters outside the code page become "?", and a final break ends the last line
  const std::vector<WideString> lines = text.Lines();
  ASSERT_EQ(lines.size(), doc.Lines().size() - 1);
  for (size_t i : {0, 1, 2, 3, 5, 6}) EXPECT_EQ(lines[i], doc.Lines()[i]) << "line " << i;
  EXPECT_EQ(text.FormatAt(0), plainFormat);
}

// A stream that never ends.
class TEndlessStream : public TStream {
 public:
  Int64 Read(void* buffer, Int64 count) override {
    std::memset(buffer, 'a', static_cast<size_t>(count));
    return count;
  }
  Int64 Write(const void*, Int64) override { return 0; }
  Int64 Seek(Int64, TSeekOrigin) override { return 0; }
};

TEST(RtfRoundTrip, LoadStopsAtTheSizeLimit) {
  TEndlessStream endless;
  EXPECT_THROW(LoadRichText(endless, {}), EReadError);
}

}  // namespace
}  // namespace orv
