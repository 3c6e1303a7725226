// Rich text in and out of a Qt text document.
#include "platform/forms/RichTextQt.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

constexpr int kCharsetProperty = QTextFormat::UserProperty + 1;
constexpr char16_t kQtLineSeparator = u'\u2028';

QString ToQ(const WideString& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

WideString FromQ(const QString& s) { return WideString(reinterpret_cast<const char16_t*>(s.utf16()), s.size()); }

QTextCharFormat CharFormat(const TRichCharFormat& f) {
  QTextCharFormat q;
  q.setFontFamilies(QStringList{ToQ(AnsiToWide(f.Name))});
  q.setFontPointSize(f.Size);
  const COLORREF rgb = ColorToRGB(f.Color);
  q.setForeground(QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
  q.setFontWeight(f.Style.Contains(fsBold) ? QFont::Bold : QFont::Normal);
  q.setFontItalic(f.Style.Contains(fsItalic));
  q.setFontUnderline(f.Style.Contains(fsUnderline));
  q.setFontStrikeOut(f.Style.Contains(fsStrikeOut));
  q.setProperty(kCharsetProperty, static_cast<int>(f.Charset));
  return q;
}

TRichCharFormat FromCharFormat(const QTextCharFormat& q, const TRichCharFormat& base) {
  TRichCharFormat f = base;
  const QVariant families = q.fontFamilies();
  if (families.isValid() && !families.toStringList().isEmpty()) f.Name = WideToAnsi(FromQ(families.toStringList().first()));
  if (q.hasProperty(QTextFormat::FontPointSize)) f.Size = static_cast<Integer>(q.fontPointSize() + 0.5);
  if (q.hasProperty(QTextFormat::ForegroundBrush)) {
    const QColor c = q.foreground().color();
    f.Color = static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
  }
  f.Style = {};
  if (q.fontWeight() >= QFont::Bold) f.Style.Include(fsBold);
  if (q.fontItalic()) f.Style.Include(fsItalic);
  if (q.fontUnderline()) f.Style.Include(fsUnderline);
  if (q.fontStrikeOut()) f.Style.Include(fsStrikeOut);
  if (q.hasProperty(kCharsetProperty)) f.Charset = static_cast<TFontCharset>(q.intProperty(kCharsetProperty));
  return f;
}

Qt::Alignment ToQtAlignment(TAlignment a) {
  switch (a) {
    case taCenter: return Qt::AlignHCenter;
    case taRightJustify: return Qt::AlignRight;
    default: return Qt::AlignLeft;
  }
}

}  // namespace

void RichTextToQt(const TRichDocument& rich, QTextDocument& document) {
  document.clear();
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  QTextList* list = nullptr;
  for (size_t p = 0; p < rich.Paragraphs.size(); ++p) {
    const TRichParagraph& para = rich.Paragraphs[p];
    QTextBlockFormat block;
    block.setAlignment(ToQtAlignment(para.Format.Alignment));
    if (p == 0)
      cursor.setBlockFormat(block);
    else
      cursor.insertBlock(block, CharFormat(para.Runs.empty() ? rich.DefaultFormat : para.Runs.front().Format));
    if (p == 0) cursor.setBlockCharFormat(CharFormat(para.Runs.empty() ? rich.DefaultFormat : para.Runs.front().Format));
    if (para.Format.Numbering == nsBullet) {
      if (list)
        list->add(cursor.block());
      else
        list = cursor.createList(QTextListFormat::ListDisc);
    } else {
      if (QTextList* current = cursor.currentList()) current->remove(cursor.block());
      list = nullptr;
      cursor.setBlockFormat(block);
    }
    for (const TRichRun& run : para.Runs) {
      WideString text = run.Text;
      std::replace(text.begin(), text.end(), kRichLineBreak, kQtLineSeparator);
      cursor.insertText(ToQ(text), CharFormat(run.Format));
    }
  }
  cursor.endEditBlock();
}

TRichDocument RichTextFromQt(const QTextDocument& document, const TRichCharFormat& defaultFormat) {
  TRichDocument rich;
  rich.DefaultFormat = defaultFormat;
  if (document.isEmpty()) return rich;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    TRichParagraph para;
    const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    para.Format.Alignment = a & Qt::AlignHCenter ? taCenter : a & Qt::AlignRight ? taRightJustify : taLeftJustify;
    if (block.textList() && block.textList()->format().style() == QTextListFormat::ListDisc)
      para.Format.Numbering = nsBullet;
    else if (block.textList())
      para.Format.Numbering = nsBullet;   // the control knows bullets only
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      WideString text = FromQ(fragment.text());
      std::replace(text.begin(), text.end(), kQtLineSeparator, kRichLineBreak);
      std::erase(text, u'\uFFFC');   // embedded objects are not text
      if (!text.empty()) para.Runs.push_back({FromCharFormat(fragment.charFormat(), defaultFormat), text});
    }
    rich.Paragraphs.push_back(std::move(para));
  }
  rich.Normalize();
  return rich;
}

}  // namespace orv
