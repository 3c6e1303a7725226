// The plain text made from HTML lines: where lines break, what is dropped, what stays as written.
#include "app/HtmlToText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

using TLines = std::vector<AnsiString>;

struct THtmlCase {
  const char* Name;
  TLines Html;
  TLines Text;
};

const THtmlCase kCases[] = {
    {"empty source", {}, {}},
    {"plain lines join with blanks", {"Hello there", "second line"}, {"Hello there second line "}},
    {"every line end after text adds a blank", {"a", "", "b"}, {"a  b "}},
    {"tag dropped", {"x<b>bold</b>y"}, {"xboldy "}},
    {"bare br does not break", {"a<br>b"}, {"ab "}},
    {"br with a blank breaks", {"a<br >b"}, {"a", "b "}},
    {"br with attributes breaks", {"a<BR clear=all>b"}, {"a", "b "}},
    {"bare p breaks", {"a<p>b"}, {"a", "b "}},
    {"p with attributes breaks", {"a<P align=left>b"}, {"a", "b "}},
    {"closing p does not break", {"a</p>b"}, {"ab "}},
    {"div with attributes breaks", {"<div align=left>one", "<div align=center>two"}, {"", "one ", "two "}},
    {"bare div does not break", {"a<div>b"}, {"ab "}},
    {"tr drops an empty line", {"<tr bgcolor=red>a<tr x=1><tr y=2>b"}, {"a", "b "}},
    {"tr drops a single blank", {" ", "<tr a=1>y"}, {"y "}},
    {"tr keeps a real line", {"ab<tr a=1>c"}, {"ab", "c "}},
    {"tr rule comes before div", {"<tr div x>c"}, {"c "}},
    {"valign=top breaks like a paragraph", {"cap<td valign=top >body"}, {"cap", "body "}},
    {"tag split over two lines", {"a<di", "v align=left>b"}, {"a ", "b "}},
    {"line break adds nothing to a tag", {"a<br", " >b"}, {"a ", "b "}},
    {"quoted > does not end a tag", {"a<img alt=\"x>y\" src=q>b"}, {"ab "}},
    {"quoted blank pattern still matches", {"a<img alt=\"br \">b"}, {"a", "b "}},
    {"entities stay as written", {"a&amp;b&nbsp;c"}, {"a&amp;b&nbsp;c "}},
    {"empty tag", {"a<>b"}, {"ab "}},
    {"lower-case tags match", {"a<br class=x>b"}, {"a", "b "}},
    {"unclosed tag swallows the rest", {"a<b", "c d"}, {"a  "}},
    {"design page", {"<html><body bgcolor=#FFFFFF>", "<div align=left>Hello", "<div align=left><BR>",
                     "<div align=right>Bye", "</body></html>"},
     {"", "Hello ", "", "Bye  "}},
};

TEST(HTMLLinesToText, Cases) {
  for (const THtmlCase& c : kCases)
    EXPECT_EQ(HTMLLinesToText(c.Html), c.Text) << c.Name;
}

}  // namespace
}  // namespace orv
