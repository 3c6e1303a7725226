// The design of a design mail as HTML lines: head, one line per design line, tail.
#include "app/DesignHtml.h"

#include <charconv>
#include <cstdio>

#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

const char kQ = '"';

AnsiString H(TColor color) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(ColorToHTMLValue(color)) & 0xFFFFFFu);
  return buf;
}

AnsiString Decimal(Integer value) {
  char buf[16];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return AnsiString(buf, res.ptr);
}

AnsiString X(const TDesignFont& f, const AnsiString& text) {
  AnsiString out;
  if (f.Style.Contains(fsBold)) out += "<b>";
  if (f.Style.Contains(fsItalic)) out += "<i>";
  if (f.Style.Contains(fsUnderline)) out += "<u>";
  out += text;
  if (f.Style.Contains(fsBold)) out += "</b>";
  if (f.Style.Contains(fsItalic)) out += "</i>";
  if (f.Style.Contains(fsUnderline)) out += "</u>";
  return out;
}

AnsiString FrameFont(const TDesignFont& f) {
  return AnsiString("<font face=") + kQ + f.Name + kQ + " color=#" + H(f.Color) + " size=" +
         FontSizeToHTMLSize(f.Size) + ">";
}

// A design character in the ANSI code page; one it cannot hold as a character reference.
AnsiString DesignChar(const WideString& chars) {
  bool lossy = false;
  const AnsiString bytes = WideToMultiByte(chars, CP_ACP, &lossy);
  if (!lossy) return bytes;
  char32_t code = chars[0];
  if (chars.size() == 2) code = 0x10000 + ((chars[0] - 0xD800u) << 10) + (chars[1] - 0xDC00u);
  return "&#" + Decimal(static_cast<Integer>(code)) + ";";
}

struct TLineState {
  AnsiString Face, Size, Color;
  bool Bold = false, Underline = false, Italic = false;
};

void Toggle(AnsiString& out, bool& remembered, bool now, const char* open, const char* close) {
  if (remembered != now) out += now ? open : close;
  remembered = now;
}

void BodyLines(const TRichDocument& design, std::vector<AnsiString>& out) {
  for (const TRichParagraph& para : design.Paragraphs) {
    // the paragraph's lines: its text split at line breaks, each run kept with its format
    std::vector<std::vector<const TRichRun*>> lines(1);
    std::vector<std::vector<WideString>> texts(1);
    for (const TRichRun& run : para.Runs) {
      size_t start = 0;
      for (size_t i = 0; i <= run.Text.size(); ++i) {
        if (i < run.Text.size() && run.Text[i] != kRichLineBreak) continue;
        if (i > start) {
          lines.back().push_back(&run);
          texts.back().push_back(run.Text.substr(start, i - start));
        }
        if (i < run.Text.size()) {
          lines.emplace_back();
          texts.emplace_back();
        }
        start = i + 1;
      }
    }
    for (size_t l = 0; l < lines.size(); ++l) {
      AnsiString html;
      switch (para.Format.Alignment) {
        case taCenter: html = "<div align=center>"; break;
        case taRightJustify: html = "<div align=right>"; break;
        default: html = "<div align=left>"; break;
      }
      const bool bullet = para.Format.Numbering == nsBullet;
      if (bullet) html += "<ul><li>";
      TLineState state;
      if (lines[l].empty()) html += "<BR>";
      for (size_t r = 0; r < lines[l].size(); ++r) {
        const TRichCharFormat& f = lines[l][r]->Format;
        const WideString& text = texts[l][r];
        const AnsiString size = FontSizeToHTMLSize(f.Size), color = H(f.Color);
        if (f.Name != state.Face || size != state.Size || color != state.Color)
          html += AnsiString("<font face=") + kQ + f.Name + kQ + " size=" + size + " color=#" + color + ">";
        state.Face = f.Name;
        state.Size = size;
        state.Color = color;
        Toggle(html, state.Bold, f.Style.Contains(fsBold), "<b>", "</b>");
        Toggle(html, state.Underline, f.Style.Contains(fsUnderline), "<u>", "</u>");
        Toggle(html, state.Italic, f.Style.Contains(fsItalic), "<i>", "</i>");
        for (size_t i = 0; i < text.size(); ++i) {
          const bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() &&
                            text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
          html += DesignChar(text.substr(i, pair ? 2 : 1));
          if (pair) ++i;
        }
      }
      if (state.Bold) html += "</b>";
      if (state.Underline) html += "</u>";
      if (state.Italic) html += "</i>";
      if (bullet) html += "</li></ul>";
      out.push_back(std::move(html));
    }
  }
}

}  // namespace

Integer ColorToHTMLValue(TColor color) {
  const COLORREF rgb = ColorToRGB(color);
  const Integer r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  return r * 65536 + g * 256 + b;
}

AnsiString FontSizeToHTMLSize(Integer pointSize) {
  if (pointSize <= 8) return "1";
  if (pointSize <= 10) return "2";
  if (pointSize <= 12) return "3";
  if (pointSize <= 14) return "4";
  if (pointSize <= 18) return "5";
  if (pointSize <= 24) return "6";
  return "7";
}

Integer PixelHeightToPoints(Integer height) {
  const Int64 pixels = height < 0 ? -static_cast<Int64>(height) : height;
  return static_cast<Integer>((pixels * 72 + 48) / 96);
}

std::vector<AnsiString> BuildDesignHTML(const TRichDocument& design, TColor background,
                                        const TNewsletterFrame* frame) {
  std::vector<AnsiString> out;
  if (frame) {
    out.push_back("<html><body bgcolor=#" + H(frame->MailBackground) + ">");
    out.push_back("<table align=center width=" + Decimal(frame->Width) + " bgcolor=#" + H(frame->Border) +
                  " cellpadding=0 cellspacing=0>" + "<tr></tr>");
    out.push_back("<tr><td width=1></td><td><table width=100% bgcolor=#" + H(frame->CaptionBackground) +
                  " cellpadding=4 cellspacing=0><tr><td>" + FrameFont(frame->CaptionFont) +
                  X(frame->CaptionFont, frame->Caption) + "</td></tr></table>" +
                  "</td><td width=1></td></tr><tr></tr>");
    out.push_back("<tr><td width=1></td><td><table Height=" + Decimal(frame->MinHeight) +
                  " width=100% bgcolor=#" + H(background) + " cellpadding=4 cellspacing=0><tr><td valign=top >");
  } else {
    out.push_back("<html><body bgcolor=#" + H(background) + ">");
  }
  BodyLines(design, out);
  if (frame) {
    out.push_back("");
    out.push_back(AnsiString("</td></tr></table>") + "</td><td width=1></td></tr><tr></tr>" +
                  "<tr><td width=1></td><td><table width=100% bgcolor=#" + H(frame->BottomCaptionBackground) +
                  " cellpadding=4 cellspacing=0><tr><td>");
    out.push_back(FrameFont(frame->BottomCaptionFont));
    out.push_back(X(frame->BottomCaptionFont, frame->BottomCaption) + "</td></tr></table>" +
                  "</td><td width=1></td></tr><tr></tr>");
    out.push_back("  </TABLE>");
  }
  out.push_back("</body></html>");
  return out;
}

}  // namespace orv
