// The RTF writer: tables of the fonts and colours in use, then paragraphs with their run formats.
#include "platform/forms/RtfWriter.h"

#include <algorithm>
#include <charconv>

#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

constexpr Cardinal kWriteCodePage = 1252;

void AppendNumber(AnsiString& out, Int64 value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

void AppendHexByte(AnsiString& out, unsigned char b) {
  static const char digits[] = "0123456789abcdef";
  out += "\\'";
  out += digits[b >> 4];
  out += digits[b & 15];
}

// Bytes of a face name: anything that would end the entry or a control word is escaped.
void AppendNameBytes(AnsiString& out, const AnsiString& name) {
  for (char c : name) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b >= 0x80 || c == ';' || c == '\\' || c == '{' || c == '}')
      AppendHexByte(out, b);
    else
      out += c;
  }
}

struct TFontKey {
  AnsiString Name;
  TFontCharset Charset;
  friend bool operator==(const TFontKey&, const TFontKey&) = default;
};

class TRtfWriter {
 public:
  explicit TRtfWriter(const TRichDocument& doc) : FDoc(doc) {
    Font(doc.DefaultFormat);
    FBulletFont = Font({"Symbol", 10, clBlack, {}, SYMBOL_CHARSET});
    for (const TRichParagraph& para : doc.Paragraphs)
      for (const TRichRun& run : para.Runs) {
        Font(run.Format);
        Color(run.Format.Color);
      }
  }

  AnsiString Run() {
    AnsiString out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl";
    for (size_t i = 0; i < FFonts.size(); ++i) {
      out += "{\\f";
      AppendNumber(out, static_cast<Int64>(i));
      out += "\\fnil\\fcharset";
      AppendNumber(out, FFonts[i].Charset);
      out += ' ';
      AppendNameBytes(out, FFonts[i].Name);
      out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (TColor c : FColors) {
      out += "\\red";
      AppendNumber(out, c & 0xFF);
      out += "\\green";
      AppendNumber(out, (c >> 8) & 0xFF);
      out += "\\blue";
      AppendNumber(out, (c >> 16) & 0xFF);
      out += ';';
    }
    out += "}\r\n\\viewkind4\\uc1";
    for (const TRichParagraph& para : FDoc.Paragraphs) Paragraph(out, para);
    out += "}\r\n";
    return out;
  }

 private:
  size_t Font(const TRichCharFormat& f) {
    const TFontKey key{f.Name, f.Charset};
    const auto it = std::find(FFonts.begin(), FFonts.end(), key);
    if (it != FFonts.end()) return static_cast<size_t>(it - FFonts.begin());
    FFonts.push_back(key);
    return FFonts.size() - 1;
  }

  size_t Color(TColor color) {
    // system colours are written as what they show
    const TColor c = static_cast<TColor>(ColorToRGB(color) & 0xFFFFFF);
    const auto it = std::find(FColors.begin(), FColors.end(), c);
    if (it != FColors.end()) return static_cast<size_t>(it - FColors.begin()) + 1;
    FColors.push_back(c);
    return FColors.size();
  }

  void Paragraph(AnsiString& out, const TRichParagraph& para) {
    out += "\\pard";
    if (para.Format.Numbering == nsBullet) {
      out += "{\\pntext\\f";
      AppendNumber(out, static_cast<Int64>(FBulletFont));
      out += "\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf";
      AppendNumber(out, static_cast<Int64>(FBulletFont));
      out += "\\pnindent0{\\pntxtb\\'B7}}\\fi-200\\li200";
    }
    if (para.Format.Alignment == taCenter) out += "\\qc";
    if (para.Format.Alignment == taRightJustify) out += "\\qr";
    // every paragraph states its formats in full, so each reads on its own
    FHave = false;
    for (const TRichRun& run : para.Runs) {
      FormatChange(out, run.Format);
      Text(out, run);
    }
    out += "\\par\r\n";
  }

  void FormatChange(AnsiString& out, const TRichCharFormat& f) {
    const size_t before = out.size();
    if (!FHave || f.Name != FLast.Name || f.Charset != FLast.Charset) {
      out += "\\f";
      AppendNumber(out, static_cast<Int64>(Font(f)));
    }
    if (!FHave || f.Color != FLast.Color) {
      out += "\\cf";
      AppendNumber(out, static_cast<Int64>(Color(f.Color)));
    }
    Style(out, f, fsBold, "\\b");
    Style(out, f, fsItalic, "\\i");
    if (!FHave || f.Style.Contains(fsUnderline) != FLast.Style.Contains(fsUnderline))
      out += f.Style.Contains(fsUnderline) ? "\\ul" : "\\ulnone";
    Style(out, f, fsStrikeOut, "\\strike");
    if (!FHave || f.Size != FLast.Size) {
      out += "\\fs";
      AppendNumber(out, static_cast<Int64>(f.Size) * 2);
    }
    if (out.size() != before) out += ' ';
    FLast = f;
    FHave = true;
  }

  void Style(AnsiString& out, const TRichCharFormat& f, TFontStyle style, const char* word) {
    const bool on = f.Style.Contains(style);
    if (FHave && on == FLast.Style.Contains(style)) return;
    out += word;
    if (!on) out += '0';
  }

  void Text(AnsiString& out, const TRichRun& run) {
    const bool ansiFont = run.Format.Charset == ANSI_CHARSET || run.Format.Charset == DEFAULT_CHARSET;
    for (char16_t c : run.Text) {
      if (c == u'\\' || c == u'{' || c == u'}') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c == u'\t') {
        out += "\\tab ";
      } else if (c == kRichLineBreak) {
        out += "\\line ";
      } else if (c >= 0x20 && c < 0x80) {
        out += static_cast<char>(c);
      } else if (c < 0x20) {
        continue;   // no other control characters are text
      } else {
        bool lossy = false;
        const AnsiString bytes = WideToMultiByte(WideString(1, c), kWriteCodePage, &lossy);
        if (ansiFont && !lossy && bytes.size() == 1) {
          AppendHexByte(out, static_cast<unsigned char>(bytes[0]));
        } else {
          out += "\\u";
          AppendNumber(out, static_cast<Int64>(static_cast<std::int16_t>(c)));
          out += '?';
        }
      }
    }
  }

  const TRichDocument& FDoc;
  std::vector<TFontKey> FFonts;
  std::vector<TColor> FColors;
  size_t FBulletFont = 0;
  TRichCharFormat FLast;
  bool FHave = false;
};

}  // namespace

AnsiString WriteRtf(const TRichDocument& document) { return TRtfWriter(document).Run(); }

AnsiString WritePlainText(const TRichDocument& document) {
  WideString text;
  for (size_t p = 0; p < document.Paragraphs.size(); ++p) {
    if (p > 0) text += u"\r\n";
    for (const TRichRun& run : document.Paragraphs[p].Runs)
      for (char16_t c : run.Text) {
        if (c == kRichLineBreak)
          text += u"\r\n";
        else
          text += c;
      }
  }
  return WideToAnsi(text);
}

}  // namespace orv
