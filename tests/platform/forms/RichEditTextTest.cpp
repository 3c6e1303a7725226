// Rich text through a Qt text document (what a rich edit shows and edits): formats, bullets,
// alignment and positions survive both ways; RTF read from the stored dialect shows as written.
#include "platform/forms/RichTextQt.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "platform/forms/RtfReader.h"
#include "platform/forms/RtfWriter.h"
#include "tests/platform/forms/FormsFixture.h"

namespace orv {
namespace {

class RichEditText : public test::FormsTest {};

TRichCharFormat Fmt(const char* name, Integer size, TColor color, TFontStyles style) {
  return {name, size, color, style, ANSI_CHARSET};
}

TRichDocument Sample() {
  TRichDocument doc;
  doc.DefaultFormat = Fmt("Arial", 10, clBlack, {});
  doc.Paragraphs.push_back({{taCenter, nsNone}, {{Fmt("Arial Black", 18, 0x0000FF, TFontStyles().Include(fsBold)), u"Title"}}});
  doc.Paragraphs.push_back({{taLeftJustify, nsBullet}, {{Fmt("Arial", 10, clBlack, {}), u"one\ttab"}}});
  doc.Paragraphs.push_back({{taLeftJustify, nsBullet},
                            {{Fmt("Times New Roman", 12, 0x00FF00, TFontStyles().Include(fsItalic)), u"two"},
                             {Fmt("Times New Roman", 12, 0x00FF00, TFontStyles().Include(fsUnderline).Include(fsStrikeOut)),
                              u" \u0436\vbreak"}}});
  doc.Paragraphs.push_back({{taLeftJustify, nsNone}, {}});
  doc.Paragraphs.push_back({{taRightJustify, nsNone}, {{Fmt("Courier New", 9, clBlack, {}), u"end"}}});
  return doc;
}

TEST_F(RichEditText, FormatsSurviveBothWays) {
  const TRichDocument doc = Sample();
  QTextDocument qt;
  RichTextToQt(doc, qt);
  const TRichDocument back = RichTextFromQt(qt, doc.DefaultFormat);
  ASSERT_EQ(back.Paragraphs.size(), doc.Paragraphs.size());
  for (size_t i = 0; i < doc.Paragraphs.size(); ++i)
    EXPECT_EQ(back.Paragraphs[i], doc.Paragraphs[i]) << "paragraph " << i;
}

TEST_F(RichEditText, PositionsMatchTheEditor) {
  const TRichDocument doc = Sample();
  QTextDocument qt;
  RichTextToQt(doc, qt);
  EXPECT_EQ(qt.characterCount() - 1, doc.Length());
  const WideString text = doc.Text();
  for (Integer p = 0; p < doc.Length(); ++p) {
    QTextCursor cursor(&qt);
    cursor.setPosition(p);
    cursor.setPosition(p + 1, QTextCursor::KeepAnchor);
    const QTextBlock block = qt.findBlock(p);
    EXPECT_EQ(block.textList() != nullptr, doc.ParagraphAt(p).Numbering == nsBullet) << p;
    if (text[p] == kRichParagraphBreak) continue;
    EXPECT_EQ(cursor.charFormat().fontItalic(), doc.FormatAt(p).Style.Contains(fsItalic)) << p;
  }
  // the two bullet paragraphs share one list
  EXPECT_EQ(qt.findBlockByNumber(1).textList(), qt.findBlockByNumber(2).textList());
}

TEST_F(RichEditText, StoredRtfShowsAndSavesAgain) {
  const char rtf[] =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard\\cf1\\f0\\fs20 red\\cf0\\par"
      "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-200\\li200 item\\par}";
  const TRichDocument doc = ReadRtf(rtf);
  QTextDocument qt;
  RichTextToQt(doc, qt);
  EXPECT_EQ(qt.toPlainText(), QString("red\nitem"));
  const TRichDocument edited = RichTextFromQt(qt, doc.DefaultFormat);
  EXPECT_EQ(ReadRtf(WriteRtf(edited)).Paragraphs, doc.Paragraphs);
}

}  // namespace
}  // namespace orv
