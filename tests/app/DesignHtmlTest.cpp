// The design as HTML: one golden line per attribute, the page head and tail, newsletter framing,
// and the plain text the editor makes from it.
#include "app/DesignHtml.h"

#include <gtest/gtest.h>

#include "app/HtmlToText.h"

namespace orv {
namespace {

using TLines = std::vector<AnsiString>;

TRichCharFormat Fmt(const char* name = "Arial", Integer size = 10, TColor color = clBlack, TFontStyles style = {}) {
  return {name, size, color, style, ANSI_CHARSET};
}

TFontStyles Styles(std::initializer_list<TFontStyle> styles) {
  TFontStyles s;
  for (TFontStyle st : styles) s.Include(st);
  return s;
}

TRichDocument OneParagraph(TRichParaFormat para, std::vector<TRichRun> runs) {
  TRichDocument doc;
  doc.Paragraphs.push_back({para, std::move(runs)});
  return doc;
}

// The body line of a one-line design without the newsletter frame.
AnsiString BodyLine(const TRichDocument& doc) {
  const TLines html = BuildDesignHTML(doc, clWhite, nullptr);
  EXPECT_EQ(html.size(), 3u);
  return html.size() == 3 ? html[1] : AnsiString();
}

const AnsiString kArial = "<font face=\"Arial\" size=2 color=#000000>";

struct TLineCase {
  const char* Name;
  TRichParaFormat Para;
  std::vector<TRichRun> Runs;
  AnsiString Html;
};

const TLineCase kLineCases[] = {
    {"empty line", {}, {}, "<div align=left><BR>"},
    {"second character bold", {}, {{Fmt(), u"a"}, {Fmt("Arial", 10, clBlack, Styles({fsBold})), u"b"}},
     "<div align=left>" + kArial + "a<b>b</b>"},
    {"italic", {}, {{Fmt("Arial", 10, clBlack, Styles({fsItalic})), u"x"}}, "<div align=left>" + kArial + "<i>x</i>"},
    {"underline", {}, {{Fmt("Arial", 10, clBlack, Styles({fsUnderline})), u"x"}},
     "<div align=left>" + kArial + "<u>x</u>"},
    {"styles open and close in their order", {},
     {{Fmt("Arial", 10, clBlack, Styles({fsBold, fsItalic, fsUnderline})), u"x"}},
     "<div align=left>" + kArial + "<b><u><i>x</b></u></i>"},
    {"style off inside the line", {},
     {{Fmt("Arial", 10, clBlack, Styles({fsItalic})), u"x"}, {Fmt(), u"y"}},
     "<div align=left>" + kArial + "<i>x</i>y"},
    {"strike-out writes nothing", {}, {{Fmt("Arial", 10, clBlack, Styles({fsStrikeOut})), u"x"}},
     "<div align=left>" + kArial + "x"},
    {"pure red", {}, {{Fmt("Arial", 10, 0x0000FF), u"x"}}, "<div align=left><font face=\"Arial\" size=2 color=#FF0000>x"},
    {"colour digits red green blue", {}, {{Fmt("Arial", 10, 0x563412), u"x"}},
     "<div align=left><font face=\"Arial\" size=2 color=#123456>x"},
    {"size 11", {}, {{Fmt("Arial", 11), u"x"}}, "<div align=left><font face=\"Arial\" size=3 color=#000000>x"},
    {"size 25", {}, {{Fmt("Arial", 25), u"x"}}, "<div align=left><font face=\"Arial\" size=7 color=#000000>x"},
    {"face with blanks is quoted", {}, {{Fmt("Times New Roman"), u"x"}},
     "<div align=left><font face=\"Times New Roman\" size=2 color=#000000>x"},
    {"new font tag on each change", {}, {{Fmt(), u"a"}, {Fmt("Arial", 12), u"b"}},
     "<div align=left>" + kArial + "a<font face=\"Arial\" size=3 color=#000000>b"},
    {"centre", {taCenter, nsNone}, {{Fmt(), u"x"}}, "<div align=center>" + kArial + "x"},
    {"right", {taRightJustify, nsNone}, {{Fmt(), u"x"}}, "<div align=right>" + kArial + "x"},
    {"bullet", {taLeftJustify, nsBullet}, {{Fmt("Arial", 10, clBlack, Styles({fsBold})), u"x"}},
     "<div align=left><ul><li>" + kArial + "<b>x</b></li></ul>"},
    {"empty bullet line", {taLeftJustify, nsBullet}, {}, "<div align=left><ul><li><BR></li></ul>"},
    {"design characters copied unchanged", {}, {{Fmt(), u"<img src=\"CID:A.GIF\" border=0> & [%Name]\t"}},
     "<div align=left>" + kArial + "<img src=\"CID:A.GIF\" border=0> & [%Name]\t"},
    {"code page characters as bytes", {}, {{Fmt(), u"\u00e4\u20ac"}}, "<div align=left>" + kArial + "\xe4\x80"},
    {"characters beyond the code page as references", {}, {{Fmt(), u"\u0436\U0001F600"}},
     "<div align=left>" + kArial + "&#1078;&#128512;"},
};

TEST(BuildDesignHTML, OneLineEachAttribute) {
  for (const TLineCase& c : kLineCases) EXPECT_EQ(BodyLine(OneParagraph(c.Para, c.Runs)), c.Html) << c.Name;
}

TEST(BuildDesignHTML, PlainPage) {
  TRichDocument doc;
  doc.Paragraphs.push_back({{}, {}});
  EXPECT_EQ(BuildDesignHTML(doc, 0x00FFFF, nullptr),
            (TLines{"<html><body bgcolor=#FFFF00>", "<div align=left><BR>", "</body></html>"}));
  EXPECT_EQ(BuildDesignHTML(TRichDocument(), clWhite, nullptr),
            (TLines{"<html><body bgcolor=#FFFFFF>", "</body></html>"}));
}

TEST(BuildDesignHTML, EachLineReadsItsOwnParagraph) {
  TRichDocument doc;
  doc.Paragraphs.push_back({{taCenter, nsBullet}, {{Fmt(), u"one\vtwo"}}});
  doc.Paragraphs.push_back({{}, {}});
  doc.Paragraphs.push_back({{taRightJustify, nsNone}, {{Fmt(), u"three"}}});
  EXPECT_EQ(BuildDesignHTML(doc, clWhite, nullptr),
            (TLines{"<html><body bgcolor=#FFFFFF>", "<div align=center><ul><li>" + kArial + "one</li></ul>",
                    "<div align=center><ul><li>" + kArial + "two</li></ul>", "<div align=left><BR>",
                    "<div align=right>" + kArial + "three", "</body></html>"}));
}

TEST(BuildDesignHTML, NewsletterFrame) {
  TNewsletterFrame frame;
  frame.MailBackground = 0x808080;
  frame.Border = 0x000080;
  frame.CaptionBackground = 0x00FF00;
  frame.BottomCaptionBackground = 0xFF0000;
  frame.Width = 600;
  frame.MinHeight = 300;
  frame.Caption = "News";
  frame.BottomCaption = "Unsubscribe by reply";
  frame.CaptionFont.Style = Styles({fsBold, fsUnderline});
  frame.BottomCaptionFont.Color = 0xC0C0C0;
  const TRichDocument doc = OneParagraph({}, {{Fmt(), u"Hi"}});
  EXPECT_EQ(BuildDesignHTML(doc, 0xF0FBFF, &frame),
            (TLines{
                "<html><body bgcolor=#808080>",
                "<table align=center width=600 bgcolor=#800000 cellpadding=0 cellspacing=0><tr></tr>",
                "<tr><td width=1></td><td><table width=100% bgcolor=#00FF00 cellpadding=4 cellspacing=0><tr><td>"
                "<font face=\"Arial Black\" color=#FFFFFF size=4><b><u>News</b></u></td></tr></table>"
                "</td><td width=1></td></tr><tr></tr>",
                "<tr><td width=1></td><td><table Height=300 width=100% bgcolor=#FFFBF0 cellpadding=4 cellspacing=0>"
                "<tr><td valign=top >",
                "<div align=left>" + kArial + "Hi",
                "",
                "</td></tr></table></td><td width=1></td></tr><tr></tr><tr><td width=1></td><td>"
                "<table width=100% bgcolor=#0000FF cellpadding=4 cellspacing=0><tr><td>",
                "<font face=\"Arial\" color=#C0C0C0 size=1>",
                "Unsubscribe by reply</td></tr></table></td><td width=1></td></tr><tr></tr>",
                "  </TABLE>",
                "</body></html>",
            }));
}

TEST(BuildDesignHTML, Helpers) {
  EXPECT_EQ(ColorToHTMLValue(0x0000FF), 0xFF0000);
  EXPECT_EQ(ColorToHTMLValue(0x563412), 0x123456);
  const std::pair<Integer, const char*> sizes[] = {{1, "1"}, {8, "1"}, {9, "2"}, {10, "2"}, {11, "3"}, {12, "3"},
                                                   {13, "4"}, {14, "4"}, {15, "5"}, {18, "5"}, {19, "6"},
                                                   {24, "6"}, {25, "7"}, {400, "7"}};
  for (const auto& [points, html] : sizes) EXPECT_EQ(FontSizeToHTMLSize(points), html) << points;
  EXPECT_EQ(PixelHeightToPoints(-19), 14);
  EXPECT_EQ(PixelHeightToPoints(-11), 8);
  EXPECT_EQ(PixelHeightToPoints(16), 12);
}

// The design page through the text conversion: one text line per design line, the caption first.
TEST(BuildDesignHTML, PlainTextOfTheDesign) {
  TRichDocument doc;
  doc.Paragraphs.push_back({{taCenter, nsNone}, {{Fmt(), u"Hello"}}});
  doc.Paragraphs.push_back({{}, {}});
  doc.Paragraphs.push_back({{}, {{Fmt("Arial", 10, clBlack, Styles({fsBold})), u"Bye"}}});
  TNewsletterFrame frame;
  frame.BottomCaption = "end";
  EXPECT_EQ(HTMLLinesToText(BuildDesignHTML(doc, clWhite, &frame)),
            (TLines{"Newsletter ", "", "Hello ", "", "Bye    end     "}));
  EXPECT_EQ(HTMLLinesToText(BuildDesignHTML(doc, clWhite, nullptr)), (TLines{"", "Hello ", "", "Bye  "}));
}

}  // namespace
}  // namespace orv
