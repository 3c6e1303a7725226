// Formatted text in a rectangle: alignment, line and word breaks, tab stops, "&" mnemonics,
// end ellipsis and the size the text needs.
#include <QFontMetrics>
#include <vector>
#include "platform/graphics/GdiInternal.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

struct TTextLine {
  QString Text;
  int Mnemonic = -1;  // index in Text of the underlined character
};

// Strips "&" prefixes: "&&" is a literal "&", "&x" underlines x. Returns the text and the index of
// the last underlined character (the system underlines the last one), -1 for none.
QString StripPrefixes(const QString& in, int& mnemonic) {
  mnemonic = -1;
  if (!in.contains(QLatin1Char('&'))) return in;
  QString out;
  for (int i = 0; i < in.size(); ++i) {
    if (in[i] == QLatin1Char('&')) {
      if (i + 1 < in.size() && in[i + 1] == QLatin1Char('&')) { out += QLatin1Char('&'); ++i; continue; }
      if (i + 1 < in.size()) mnemonic = static_cast<int>(out.size());
      continue;
    }
    out += in[i];
  }
  return out;
}

class TTextMeasure {
 public:
  TTextMeasure(const QFontMetrics& fm, bool expandTabs, int tabChars)
      : FFm(fm), FExpand(expandTabs), FTabChars(tabChars) {}
  // Width of text starting at the line's left edge; with tab expansion tabs jump to the next stop.
  int Width(const QString& text) const {
    if (!FExpand || !text.contains(QLatin1Char('\t'))) return FFm.horizontalAdvance(text);
    int x = 0;
    const QStringList parts = text.split(QLatin1Char('\t'));
    for (int i = 0; i < parts.size(); ++i) {
      x += FFm.horizontalAdvance(parts[i]);
      if (i + 1 < parts.size()) x = (x / TabWidth() + 1) * TabWidth();
    }
    return x;
  }
  // Measured on first use: most texts hold no tab.
  int TabWidth() const {
    if (FTab == 0) FTab = std::max(1, FFm.averageCharWidth() * FTabChars);
    return FTab;
  }
  bool Expand() const { return FExpand; }
 private:
  const QFontMetrics& FFm;
  bool FExpand;
  int FTabChars;
  mutable int FTab = 0;
};

// Breaks one paragraph at blanks so each piece fits width; a word wider than width keeps a line
// of its own. Blanks at a break are dropped.
void WrapParagraph(const TTextLine& para, int width, const TTextMeasure& m, std::vector<TTextLine>& out) {
  const QString& t = para.Text;
  int start = 0;
  int n = static_cast<int>(t.size());
  if (n == 0) { out.push_back(para); return; }
  while (start < n) {
    int end = start, lastFit = -1;
    while (end < n) {
      int wordEnd = end;
      while (wordEnd < n && t[wordEnd] != QLatin1Char(' ') && t[wordEnd] != QLatin1Char('\t')) ++wordEnd;
      if (m.Width(t.mid(start, wordEnd - start)) > width && lastFit >= 0) break;
      lastFit = wordEnd;
      end = wordEnd;
      while (end < n && (t[end] == QLatin1Char(' ') || t[end] == QLatin1Char('\t'))) ++end;
      if (m.Width(t.mid(start, end - start)) > width) break;
    }
    if (lastFit < 0) lastFit = n;
    TTextLine line;
    line.Text = t.mid(start, lastFit - start);
    if (para.Mnemonic >= start && para.Mnemonic < lastFit) line.Mnemonic = para.Mnemonic - start;
    out.push_back(line);
    start = lastFit;
    while (start < n && t[start] == QLatin1Char(' ')) ++start;
  }
}

void DrawLine(QPainter& p, const QFontMetrics& fm, const TTextMeasure& m, int x, int y,
              const QString& text) {
  if (!m.Expand() || !text.contains(QLatin1Char('\t'))) {
    p.drawText(x, y + fm.ascent(), text);
    return;
  }
  int cx = 0;
  const QStringList parts = text.split(QLatin1Char('\t'));
  for (int i = 0; i < parts.size(); ++i) {
    p.drawText(x + cx, y + fm.ascent(), parts[i]);
    cx += fm.horizontalAdvance(parts[i]);
    if (i + 1 < parts.size()) cx = (cx / m.TabWidth() + 1) * m.TabWidth();
  }
}

int DrawTextImpl(HDC dc, QString text, TRect* rect, UINT format) {
  if (!dc || !rect) return 0;
  QFont font = GdiFontToQFont(dc->S.Font);
  QFontMetrics fm(font);
  int tabChars = (format & DT_TABSTOP) ? static_cast<int>((format >> 8) & 0xFF) : 8;
  if (tabChars == 0) tabChars = 8;
  TTextMeasure measure(fm, format & DT_EXPANDTABS, tabChars);
  int lineHeight = fm.height() + ((format & DT_EXTERNALLEADING) ? fm.leading() : 0);
  bool prefixes = !(format & DT_NOPREFIX);
  bool underline = prefixes && !(format & DT_HIDEPREFIX);
  TRect r = *rect;
  int width = r.Width();

  std::vector<TTextLine> paragraphs;
  if (format & DT_SINGLELINE) {
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    paragraphs.push_back({text, -1});
  } else if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))) {
    paragraphs.push_back({text, -1});
  } else {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& part : text.split(QLatin1Char('\n'))) paragraphs.push_back({part, -1});
  }
  for (auto& para : paragraphs) {
    if (prefixes) para.Text = StripPrefixes(para.Text, para.Mnemonic);
    if (!underline) para.Mnemonic = -1;
  }

  std::vector<TTextLine> lines;
  if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
    for (const auto& para : paragraphs) WrapParagraph(para, width, measure, lines);
  } else {
    lines = paragraphs;
  }
  if (text.isEmpty()) lines.clear();
  if (format & DT_END_ELLIPSIS) {
    for (auto& line : lines)
      if (measure.Width(line.Text) > width) {
        line.Text = fm.elidedText(line.Text, Qt::ElideRight, width);
        if (line.Mnemonic >= line.Text.size() - 1) line.Mnemonic = -1;
      }
  }

  int maxWidth = 0;
  for (const auto& line : lines) maxWidth = std::max(maxWidth, measure.Width(line.Text));
  int textHeight = static_cast<int>(lines.size()) * lineHeight;

  if (format & DT_CALCRECT) {
    if (lines.empty()) {
      rect->Right = rect->Left;
      rect->Bottom = rect->Top;
      return 0;
    }
    rect->Right = rect->Left + maxWidth;
    rect->Bottom = rect->Top + textHeight;
    return textHeight;
  }

  int y = r.Top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = r.Top + (r.Height() - textHeight) / 2;
    else if (format & DT_BOTTOM) y = r.Bottom - textHeight;
  }
  QPainter* p = dc->Painter();
  if (!p) return textHeight;
  if (!(format & DT_NOCLIP)) p->setClipRect(QRect(r.Left, r.Top, r.Width(), r.Height()), Qt::IntersectClip);
  bool mono = dc->Mono();
  auto colour = [&](COLORREF c) {
    QRgb q = ToQRgb(c);
    return QColor::fromRgb(mono ? (IsLight(q) ? 0xFFFFFFFF : 0xFF000000) : q);
  };
  QColor textColour = colour(dc->S.TextColor);
  p->setFont(font);
  p->setPen(textColour);
  if (format & DT_RTLREADING) p->setLayoutDirection(Qt::RightToLeft);
  int ly = y;
  for (const auto& line : lines) {
    int lw = measure.Width(line.Text);
    int x = r.Left;
    if (format & DT_CENTER) x = r.Left + (width - lw) / 2;
    else if (format & DT_RIGHT) x = r.Right - lw;
    if (dc->S.BkMode == OPAQUE && lw > 0) p->fillRect(QRect(x, ly, lw, lineHeight), colour(dc->S.BkColor));
    p->setPen(textColour);
    DrawLine(*p, fm, measure, x, ly, line.Text);
    if (line.Mnemonic >= 0 && line.Mnemonic < line.Text.size()) {
      int ux = x + measure.Width(line.Text.left(line.Mnemonic));
      int uw = fm.horizontalAdvance(line.Text.at(line.Mnemonic));
      int uy = ly + fm.ascent() + std::max(1, fm.underlinePos());
      p->fillRect(QRect(ux, uy, std::max(uw, 1), std::max(1, fm.lineWidth())), textColour);
    }
    ly += lineHeight;
  }
  if (format & DT_RTLREADING) p->setLayoutDirection(Qt::LeftToRight);
  p->setClipping(false);
  int offset = y - r.Top;
  return offset + textHeight;
}

}  // namespace

int DrawTextW(HDC dc, const WideChar* text, int length, TRect* rect, UINT format) {
  if (!text) return 0;
  if (length < 0) {
    length = 0;
    while (text[length]) ++length;
  }
  return DrawTextImpl(dc, QString(reinterpret_cast<const QChar*>(text), length), rect, format);
}

int DrawTextA(HDC dc, const char* text, int length, TRect* rect, UINT format) {
  if (!text) return 0;
  AnsiString s = length < 0 ? AnsiString(text) : AnsiString(text, static_cast<std::size_t>(length));
  return DrawTextImpl(dc, QString::fromStdU16String(AnsiToWide(s)), rect, format);
}

}  // namespace orv
