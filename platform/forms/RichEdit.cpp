// The rich edit over QTextEdit: text, lines and selection counted one position per break, character
// and paragraph attributes, RTF and plain-text streams, and change events quiet while loading.
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <algorithm>

#include "platform/forms/ComCtrls.h"
#include "platform/forms/EditCommands.h"
#include "platform/forms/RichTextQt.h"
#include "platform/forms/RichTextStreams.h"
#include "platform/forms/RtfReader.h"
#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

enum : unsigned { kName = 1, kSize = 2, kColor = 4, kStyle = 8 };

QString ToQ(const WideString& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

// The widget's text with every break as '\n', one character per break.
QString WidgetText(const QTextDocument& document) {
  QString text = document.toRawText();
  for (QChar& c : text)
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = u'\n';
  return text;
}

// CR LF, CR and LF each become one '\n'.
QString AnsiToWidget(const AnsiString& text) {
  WideString wide = AnsiToWide(text);
  WideString out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == u'\r') {
      out += u'\n';
      if (i + 1 < wide.size() && wide[i + 1] == u'\n') ++i;
    } else {
      out += wide[i];
    }
  }
  return ToQ(out);
}

AnsiString WidgetToAnsi(const QString& text) {
  WideString out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) {
    if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
      out += u"\r\n";
    else
      out += c.unicode();
  }
  return WideToAnsi(out);
}

// The Qt format of a rich format, made the way whole documents are converted so both agree.
QTextCharFormat QtFormatOf(const TRichCharFormat& format) {
  TRichDocument one;
  one.Paragraphs.push_back({{}, {{format, u"x"}}});
  QTextDocument scratch;
  RichTextToQt(one, scratch);
  QTextCursor cursor(&scratch);
  cursor.setPosition(1);
  return cursor.charFormat();
}

TRichCharFormat RichFormatOf(const QTextCharFormat& format, const TRichCharFormat& base) {
  QTextDocument scratch;
  QTextCursor cursor(&scratch);
  cursor.insertText(QStringLiteral("x"), format);
  return RichTextFromQt(scratch, base).FormatAt(0);
}

TRichCharFormat Merged(TRichCharFormat into, const TRichCharFormat& from, unsigned mask) {
  if (mask & kName) into.Name = from.Name;
  if (mask & kSize) into.Size = from.Size;
  if (mask & kColor) into.Color = from.Color;
  if (mask & kStyle) into.Style = from.Style;
  return into;
}

// Only the Qt properties the mask names, so a merge leaves the others of a mixed selection alone.
QTextCharFormat MaskedQtFormat(const TRichCharFormat& format, unsigned mask) {
  const QTextCharFormat full = QtFormatOf(format);
  QTextCharFormat out;
  auto copy = [&](int property) {
    if (full.hasProperty(property)) out.setProperty(property, full.property(property));
  };
  if (mask & kName) copy(QTextFormat::FontFamilies);
  if (mask & kSize) copy(QTextFormat::FontPointSize);
  if (mask & kColor) copy(QTextFormat::ForegroundBrush);
  if (mask & kStyle) {
    copy(QTextFormat::FontWeight);
    copy(QTextFormat::FontItalic);
    copy(QTextFormat::TextUnderlineStyle);
    copy(QTextFormat::FontUnderline);
    copy(QTextFormat::FontStrikeOut);
  }
  return out;
}

TRichCharFormat WithStyle(TRichCharFormat f, TFontStyles style) { f.Style = style; return f; }

}  // namespace

// ----- TTextAttributes -----

TRichCharFormat TTextAttributes::Get() const {
  if (!FSelection) return FEdit.FDefFormat;
  QTextEdit* edit = FEdit.EnsureWidget();
  const QTextCursor caret = edit->textCursor();
  if (!caret.hasSelection()) {
    if (edit->document()->isEmpty()) return FEdit.FDefFormat;
    return RichFormatOf(edit->currentCharFormat(), FEdit.FDefFormat);
  }
  QTextCursor first(edit->document());
  first.setPosition(caret.selectionStart());
  first.setPosition(caret.selectionStart() + 1, QTextCursor::KeepAnchor);
  return RichFormatOf(first.charFormat(), FEdit.FDefFormat);
}

void TTextAttributes::SetName(const AnsiString& value) {
  TRichCharFormat f;
  f.Name = value;
  if (FSelection) FEdit.MergeSelFormat(f, kName); else { FEdit.FDefFormat.Name = value; FEdit.DefFormatChanged(); }
}

void TTextAttributes::SetSize(Integer value) {
  TRichCharFormat f;
  f.Size = value;
  if (FSelection) FEdit.MergeSelFormat(f, kSize); else { FEdit.FDefFormat.Size = value; FEdit.DefFormatChanged(); }
}

void TTextAttributes::SetColor(TColor value) {
  TRichCharFormat f;
  f.Color = value;
  if (FSelection) FEdit.MergeSelFormat(f, kColor); else { FEdit.FDefFormat.Color = value; FEdit.DefFormatChanged(); }
}

void TTextAttributes::SetStyle(TFontStyles value) {
  if (FSelection) FEdit.MergeSelFormat(WithStyle({}, value), kStyle); else { FEdit.FDefFormat.Style = value; FEdit.DefFormatChanged(); }
}

// ----- TParaAttributes -----

TAlignment TParaAttributes::Alignment() const {
  QTextEdit* edit = FEdit.EnsureWidget();
  const Qt::Alignment a = edit->document()->findBlock(FEdit.SelStart()).blockFormat().alignment();
  return a & Qt::AlignHCenter ? taCenter : a & Qt::AlignRight ? taRightJustify : taLeftJustify;
}

TNumberingStyle TParaAttributes::Numbering() const {
  QTextEdit* edit = FEdit.EnsureWidget();
  return edit->document()->findBlock(FEdit.SelStart()).textList() != nullptr ? nsBullet : nsNone;
}

void TParaAttributes::SetAlignment(TAlignment value) {
  QTextEdit* edit = FEdit.EnsureWidget();
  QTextCursor cursor = edit->textCursor();
  QTextBlockFormat block;
  block.setAlignment(value == taCenter ? Qt::AlignHCenter : value == taRightJustify ? Qt::AlignRight : Qt::AlignLeft);
  cursor.mergeBlockFormat(block);
}

void TParaAttributes::SetNumbering(TNumberingStyle value) {
  QTextEdit* edit = FEdit.EnsureWidget();
  QTextDocument* document = edit->document();
  const QTextCursor caret = edit->textCursor();
  const QTextBlock first = document->findBlock(caret.selectionStart());
  const QTextBlock last = document->findBlock(caret.selectionEnd());
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  QTextList* list = nullptr;
  if (value == nsBullet && first.previous().isValid() && first.previous().textList() != nullptr)
    list = first.previous().textList();
  for (QTextBlock block = first; block.isValid(); block = block.next()) {
    cursor.setPosition(block.position());
    if (value == nsBullet) {
      if (block.textList() == nullptr) {
        if (list != nullptr)
          list->add(block);
        else
          list = cursor.createList(QTextListFormat::ListDisc);
      } else {
        list = block.textList();
      }
    } else if (QTextList* current = block.textList()) {
      current->remove(block);
      QTextBlockFormat plain = block.blockFormat();
      plain.setIndent(0);
      cursor.setBlockFormat(plain);
    }
    if (block == last) break;
  }
  cursor.endEditBlock();
}

// ----- TRichEdit -----

TRichEdit::TRichEdit(TComponent* owner) : TCustomMemo(owner) {
  FColor = clWindow;
  FParentColor = false;
}

std::unique_ptr<IHostWidget> TRichEdit::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QTextEdit>>(this, parentWidget);
}

QTextEdit* TRichEdit::RichWidget() const {
  return Host() != nullptr ? static_cast<QTextEdit*>(Host()->Widget()) : nullptr;
}

QTextEdit* TRichEdit::EnsureWidget() {
  HandleNeeded();
  return RichWidget();
}

void TRichEdit::InitWidget() {
  QTextEdit* edit = RichWidget();
  // The mouse reaches the text through the viewport, past the control's own route.
  RouteInnerContextMenu(this, edit->viewport());
  // Pasted text arrives as plain text in the caret's format; rich text comes from streams only.
  edit->setAcceptRichText(false);
  edit->setReadOnly(FReadOnly);
  edit->setFocusPolicy(Qt::StrongFocus);
  // Read-only or not, it takes the focus from a click or the tab key.
  edit->setTextInteractionFlags(FReadOnly ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                          : Qt::TextEditorInteraction);
  edit->setLineWrapMode(FWordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  edit->setTabChangesFocus(!FWantTabs);
  edit->setFrameShape(FBorderStyle != bsNone ? QFrame::StyledPanel : QFrame::NoFrame);
  SetScrollBars(FScrollBars);
  edit->setCurrentCharFormat(QtFormatOf(FDefFormat));
  QObject::connect(edit, &QTextEdit::textChanged, [this] { RunGuarded([&] {
    if (!FSettingText && !FLoading) {
      FModified = true;
      Change();
    }
  }); });
  QObject::connect(edit, &QTextEdit::cursorPositionChanged, [this] { RunGuarded([&] { SelectionMoved(); }); });
  QObject::connect(edit, &QTextEdit::selectionChanged, [this] { RunGuarded([&] { SelectionMoved(); }); });
}

void TRichEdit::SelectionMoved() {
  QTextEdit* edit = RichWidget();
  if (edit == nullptr || FLoading) return;
  const QTextCursor c = edit->textCursor();
  const Integer start = c.selectionStart(), length = c.selectionEnd() - c.selectionStart();
  if (start == FReportedStart && length == FReportedLength) return;
  FReportedStart = start;
  FReportedLength = length;
  OnSelectionChange(this);
}

void TRichEdit::SetReadOnly(bool value) {
  FReadOnly = value;
  if (QTextEdit* edit = RichWidget()) {
    edit->setReadOnly(value);
    edit->setTextInteractionFlags(value ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                        : Qt::TextEditorInteraction);
  }
}

void TRichEdit::SetWordWrap(bool value) {
  FWordWrap = value;
  if (QTextEdit* edit = RichWidget()) edit->setLineWrapMode(value ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void TRichEdit::SetScrollBars(TScrollStyle value) {
  FScrollBars = value;
  if (QTextEdit* edit = RichWidget()) {
    const bool h = value == ssHorizontal || value == ssBoth;
    const bool v = value == ssVertical || value == ssBoth;
    edit->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    edit->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
  }
}

// Only the changed middle is replaced, so kept characters keep their formats and the new ones take
// the format of the character before them.
void TRichEdit::TextToWidget() {
  QTextEdit* edit = RichWidget();
  if (edit == nullptr) return;
  const QString now = WidgetText(*edit->document());
  const QString wanted = AnsiToWidget(FText);
  if (now == wanted) return;
  const qsizetype common = std::min(now.size(), wanted.size());
  qsizetype prefix = 0;
  while (prefix < common && now[prefix] == wanted[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < common - prefix && now[now.size() - 1 - suffix] == wanted[wanted.size() - 1 - suffix]) ++suffix;
  QTextCursor cursor(edit->document());
  cursor.setPosition(static_cast<int>(prefix));
  cursor.setPosition(static_cast<int>(now.size() - suffix), QTextCursor::KeepAnchor);
  cursor.insertText(wanted.mid(prefix, wanted.size() - prefix - suffix));
}

AnsiString TRichEdit::TextFromWidget() const {
  QTextEdit* edit = RichWidget();
  return edit != nullptr ? WidgetToAnsi(WidgetText(*edit->document())) : FText;
}

TRichDocument TRichEdit::RichText() const {
  QTextEdit* edit = const_cast<TRichEdit*>(this)->EnsureWidget();
  return RichTextFromQt(*edit->document(), FDefFormat);
}

void TRichEdit::SetRichText(const TRichDocument& document) {
  QTextEdit* edit = EnsureWidget();
  FLoading = true;
  try {
    RichTextToQt(document, *edit->document());
    QTextCursor start(edit->document());
    edit->setTextCursor(start);
    if (edit->document()->isEmpty()) edit->setCurrentCharFormat(QtFormatOf(FDefFormat));
  } catch (...) {
    FLoading = false;
    throw;
  }
  FLoading = false;
  FReportedStart = 0;
  FReportedLength = 0;
}

void TRichEdit::LoadFromStream(TStream& stream) {
  TRichDocument document;
  if (FPlainText) {
    const Int64 size = stream.Size() - stream.Position();
    if (size > kMaxRichTextBytes) throw EReadError("Rich text too large to load");
    AnsiString bytes(static_cast<size_t>(std::max<Int64>(size, 0)), '\0');
    bytes.resize(static_cast<size_t>(stream.Read(bytes.data(), static_cast<Int64>(bytes.size()))));
    document = PlainTextToRichText(AnsiToWide(bytes), FDefFormat);
  } else {
    document = LoadRichText(stream, FDefFormat);
  }
  SetRichText(document);
}

void TRichEdit::SaveToStream(TStream& stream) const { SaveRichText(RichText(), stream, FPlainText); }

void TRichEdit::MergeSelFormat(const TRichCharFormat& format, unsigned mask) {
  QTextEdit* edit = EnsureWidget();
  QTextCursor cursor = edit->textCursor();
  if (cursor.hasSelection()) {
    cursor.mergeCharFormat(MaskedQtFormat(format, mask));
  } else {
    const TRichCharFormat at = FSelAttributes.Get();
    edit->setCurrentCharFormat(QtFormatOf(Merged(at, format, mask)));
  }
}

void TRichEdit::DefFormatChanged() {
  if (QTextEdit* edit = RichWidget())
    if (edit->document()->isEmpty()) edit->setCurrentCharFormat(QtFormatOf(FDefFormat));
}

Integer TRichEdit::SelStart() const {
  QTextEdit* edit = RichWidget();
  return edit != nullptr ? edit->textCursor().selectionStart() : FSelStart;
}

Integer TRichEdit::SelLength() const {
  QTextEdit* edit = RichWidget();
  if (edit == nullptr) return FSelLength;
  const QTextCursor c = edit->textCursor();
  return c.selectionEnd() - c.selectionStart();
}

void TRichEdit::ApplyRichSelection(Integer start, Integer length) {
  QTextEdit* edit = EnsureWidget();
  QTextCursor cursor = edit->textCursor();
  const int end = edit->document()->characterCount() - 1;
  start = std::clamp(start, 0, end);
  const int stop = std::clamp(start + std::max(length, 0), 0, end);
  cursor.setPosition(start);
  cursor.setPosition(stop, QTextCursor::KeepAnchor);
  edit->setTextCursor(cursor);
}

void TRichEdit::SetSelStart(Integer value) {
  FSelStart = value;
  FSelLength = 0;
  ApplyRichSelection(value, 0);
}

void TRichEdit::SetSelLength(Integer value) {
  FSelLength = value;
  ApplyRichSelection(SelStart(), value);
}

AnsiString TRichEdit::SelText() const {
  QTextEdit* edit = RichWidget();
  return edit != nullptr ? WidgetToAnsi(edit->textCursor().selectedText()) : AnsiString();
}

void TRichEdit::SetSelText(const AnsiString& text) {
  QTextEdit* edit = EnsureWidget();
  QTextCursor cursor = edit->textCursor();
  cursor.insertText(AnsiToWidget(text));
  edit->setTextCursor(cursor);
}

void TRichEdit::SelectAll() { EnsureWidget()->selectAll(); }

// Emptied, the edit forgets the formats of the removed text: typing starts from the defaults.
void TRichEdit::Clear() {
  QTextEdit* edit = EnsureWidget();
  edit->clear();
  edit->setCurrentCharFormat(QtFormatOf(FDefFormat));
}

}  // namespace orv
