// The plain-text body made from HTML lines.
#include "app/HtmlToText.h"

#include <string_view>

namespace orv {

namespace {

enum TScanMode { smText, smTag, smQuoted };

AnsiString UpperAscii(const AnsiString& s) {
  AnsiString out = s;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool Holds(const AnsiString& s, std::string_view part) { return s.find(part) != AnsiString::npos; }

bool BlankOrEmpty(const AnsiString& s) { return s.empty() || s == " "; }

class TTextScanner {
 public:
  void Line(const AnsiString& line) {
    for (char ch : line) Char(ch);
    if (!BlankOrEmpty(FCurrent)) FCurrent += ' ';
  }

  std::vector<AnsiString> Finish() {
    if (!FCurrent.empty()) FOut.push_back(FCurrent);
    return std::move(FOut);
  }

 private:
  void Char(char ch) {
    if (FMode == smText) {
      if (ch == '<') {
        FMode = smTag;
        FTag.clear();
      } else {
        FCurrent += ch;
      }
      return;
    }
    if (ch == '"') FMode = FMode == smTag ? smQuoted : smTag;
    if (ch == '>' && FMode == smTag)
      EndTag();
    else
      FTag += ch;
  }

  void EndTag() {
    const AnsiString t = UpperAscii(FTag);
    FMode = smText;
    if (t.empty()) return;
    // First matching rule wins: a tr tag with "div " in an attribute still drops blank lines.
    if (Holds(t, "BR ") || Holds(t, "P ") || t == "P") {
      Break();
    } else if (Holds(t, "TR ")) {
      if (!BlankOrEmpty(FCurrent)) FOut.push_back(FCurrent);
      FCurrent.clear();
    } else if (Holds(t, "DIV ")) {
      Break();
    }
  }

  void Break() {
    FOut.push_back(FCurrent);
    FCurrent.clear();
  }

  TScanMode FMode = smText;
  AnsiString FCurrent, FTag;
  std::vector<AnsiString> FOut;
};

}  // namespace

std::vector<AnsiString> HTMLLinesToText(const std::vector<AnsiString>& lines) {
  TTextScanner scanner;
  for (const AnsiString& line : lines) scanner.Line(line);
  return scanner.Finish();
}

}  // namespace orv
