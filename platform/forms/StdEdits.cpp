// Edit and memo over QLineEdit and QPlainTextEdit. Text crosses as CRLF-joined lines; positions
// count one per character and one per line break, as the widget counts them.
#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include "platform/forms/EditCommands.h"
#include "platform/forms/QtText.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/SysUtils.h"

namespace orv {
namespace {

// CRLF, lone CR and lone LF all end a line.
std::vector<AnsiString> SplitLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  AnsiString current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

AnsiString Join(const std::vector<AnsiString>& lines, const char* sep) {
  AnsiString out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += sep;
    out += lines[i];
  }
  return out;
}

// The widget's text (one "\n" per break) in our form (CRLF).
AnsiString WidgetToCrlf(const QString& text) {
  AnsiString narrow = FromQString(text);
  AnsiString out;
  out.reserve(narrow.size());
  for (char c : narrow) {
    if (c == '\n') out += "\r\n";
    else out += c;
  }
  return out;
}

QString CrlfToWidget(const AnsiString& text) {
  AnsiString out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return ToQString(out);
}

// The line edit of a TCustomEdit: its clipboard shortcuts become messages to the control, which
// hands them back through its default handling.
class TEditWidget : public THostWidget<QLineEdit> {
 public:
  TEditWidget(TCustomEdit* control, QWidget* parent) : THostWidget<QLineEdit>(control, parent), FControl(control) {}
  void SetSink(TWidgetSink* sink) override {
    THostWidget<QLineEdit>::SetSink(sink);
    if (sink == nullptr) FControl = nullptr;
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const UINT msg = event->matches(QKeySequence::Paste) ? WM_PASTE
                     : event->matches(QKeySequence::Cut) ? WM_CUT
                     : event->matches(QKeySequence::Copy) ? WM_COPY : 0;
    if (msg != 0 && FControl != nullptr) {
      TCustomEdit* control = FControl;
      RunGuarded([&] { control->Perform(msg); });
      event->accept();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }

 private:
  TCustomEdit* FControl;
};

}  // namespace

// ----- TCustomEdit -----

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
}

std::unique_ptr<IHostWidget> TCustomEdit::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<TEditWidget>(this, parentWidget);
}

LRESULT TCustomEdit::DefWndProc(TMessage& message) {
  if (Host() == nullptr) return TWinControl::DefWndProc(message);
  TMessage m = message;
  if (EditDefaultHandling(*this, Host()->Widget(), m)) return m.Result;
  return TWinControl::DefWndProc(message);
}

void TCustomEdit::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_SETFOCUS:
      TWinControl::MessageHandler(message);
      ApplySelectionLook(true);
      return;
    case WM_KILLFOCUS: {
      // The widget lets go of its selection with the focus; the edit keeps it.
      QLineEdit* edit = Host() != nullptr ? qobject_cast<QLineEdit*>(Host()->Widget()) : nullptr;
      const bool keep = edit != nullptr && edit->hasSelectedText();
      const int start = keep ? edit->selectionStart() : 0;
      const int length = keep ? static_cast<int>(edit->selectedText().size()) : 0;
      const bool backwards = keep && edit->cursorPosition() == start;
      // A pop-up menu of the edit's own (its context menu) does not take the focus away.
      const auto* focus = dynamic_cast<const QFocusEvent*>(CurrentEvent());
      const bool toPopup = focus != nullptr && focus->reason() == Qt::PopupFocusReason;
      TWinControl::MessageHandler(message);
      if (keep && Host() != nullptr && Host()->Widget() == edit && !edit->hasSelectedText()) {
        if (backwards) edit->setSelection(start + length, -length);
        else edit->setSelection(start, length);
      }
      ApplySelectionLook(toPopup);
      return;
    }
    case CM_CTL3DCHANGED:
      TWinControl::MessageHandler(message);
      AdjustHeight();
      return;
    default:
      TWinControl::MessageHandler(message);
  }
}

void TCustomEdit::ApplySelectionLook(bool focused) {
  if (Host() == nullptr) return;
  QWidget* w = Host()->Widget();
  QPalette pal = w->palette();
  const QPalette system = QApplication::palette(w);
  const bool hidden = FHideSelection && !focused;
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Highlight, hidden ? pal.color(group, QPalette::Base) : system.color(group, QPalette::Highlight));
    pal.setColor(group, QPalette::HighlightedText,
                 hidden ? pal.color(group, QPalette::Text) : system.color(group, QPalette::HighlightedText));
  }
  if (pal != w->palette()) w->setPalette(pal);
}

void TCustomEdit::SetHideSelection(bool value) {
  if (value == FHideSelection) return;
  FHideSelection = value;
  if (Host() != nullptr) ApplySelectionLook(Host()->Widget()->hasFocus());
}

Integer TCustomEdit::AutoHeight() const {
  const Integer border = FBorderStyle == bsSingle ? (Ctl3D() ? 2 : 1) : 0;
  return QFontMetrics(Font().ToQFont()).height() + 2 * border + 4;
}

void TCustomEdit::AdjustHeight() {
  if (!FAutoSize || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  const Integer height = AutoHeight();
  if (height != FHeight) SetHeight(height);
}

void TCustomEdit::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustHeight();
}

void TCustomEdit::Loaded() {
  TWinControl::Loaded();
  AdjustHeight();
}

void TCustomEdit::FontChanged() {
  TWinControl::FontChanged();
  ApplySelectionLook(Host() != nullptr && Host()->Widget()->hasFocus());
  AdjustHeight();
}

void TCustomEdit::ColorChanged() {
  TWinControl::ColorChanged();
  ApplySelectionLook(Host() != nullptr && Host()->Widget()->hasFocus());
}

QLineEdit* TCustomEdit::LineEdit() const {
  return Host() != nullptr ? static_cast<QLineEdit*>(Host()->Widget()) : nullptr;
}

void TCustomEdit::InitWidget() {
  QLineEdit* edit = LineEdit();
  edit->setReadOnly(FReadOnly);
  edit->setMaxLength(FMaxLength > 0 ? FMaxLength : 0x7FFFFFF);
  edit->setEchoMode(FPasswordChar != 0 ? QLineEdit::Password : QLineEdit::Normal);
  edit->setFrame(FBorderStyle != bsNone);
  ApplySelectionLook(edit->hasFocus());
  QObject::connect(edit, &QLineEdit::textEdited, [this](const QString&) { RunGuarded([&] { FModified = true; }); });
  QObject::connect(edit, &QLineEdit::textChanged, [this](const QString&) { RunGuarded([&] {
    if (!FSettingText) Change();
  }); });
}

void TCustomEdit::TextToWidget() {
  QLineEdit* edit = LineEdit();
  if (edit == nullptr) return;
  const QString text = ToQString(WidgetCaption());
  if (edit->text() == text) return;
  // Setting the text by code reports a change as typing does.
  edit->setText(text);
}

WideString TCustomEdit::WideTextFromWidget() const {
  QLineEdit* edit = LineEdit();
  return edit != nullptr ? WideFromQString(edit->text()) : WidgetCaption();
}

AnsiString TCustomEdit::TextFromWidget() const {
  QLineEdit* edit = LineEdit();
  return edit != nullptr ? FromQString(edit->text()) : FText;
}

void TCustomEdit::Change() {
  if (ComponentState().Contains(csLoading)) return;
  OnChange(this);
}

void TCustomEdit::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0) return;
  if (FCharCase == ecUpperCase) key = AnsiUpperCase(std::string_view(&key, 1))[0];
  else if (FCharCase == ecLowerCase) key = AnsiLowerCase(std::string_view(&key, 1))[0];
}

void TCustomEdit::SetReadOnly(bool value) {
  FReadOnly = value;
  if (QLineEdit* edit = LineEdit()) edit->setReadOnly(value);
}

void TCustomEdit::SetMaxLength(Integer value) {
  FMaxLength = value;
  if (QLineEdit* edit = LineEdit()) edit->setMaxLength(value > 0 ? value : 0x7FFFFFF);
}

void TCustomEdit::SetPasswordChar(char value) {
  FPasswordChar = value;
  if (QLineEdit* edit = LineEdit()) edit->setEchoMode(value != 0 ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetBorderStyle(TFormBorderStyle value) {
  FBorderStyle = value;
  if (QLineEdit* edit = LineEdit()) edit->setFrame(value != bsNone);
  AdjustHeight();
}

Integer TCustomEdit::SelStart() const {
  QLineEdit* edit = LineEdit();
  if (edit == nullptr) return FSelStart;
  return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

void TCustomEdit::SetSelStart(Integer value) {
  FSelStart = value;
  FSelLength = 0;
  if (QLineEdit* edit = LineEdit()) edit->setCursorPosition(value);
}

Integer TCustomEdit::SelLength() const {
  QLineEdit* edit = LineEdit();
  return edit != nullptr ? static_cast<Integer>(edit->selectedText().size()) : FSelLength;
}

void TCustomEdit::SetSelLength(Integer value) {
  FSelLength = value;
  if (QLineEdit* edit = LineEdit()) edit->setSelection(SelStart(), value);
}

AnsiString TCustomEdit::SelText() const {
  QLineEdit* edit = LineEdit();
  return edit != nullptr ? FromQString(edit->selectedText()) : AnsiString();
}

void TCustomEdit::SetSelText(const AnsiString& text) {
  HandleNeeded();
  LineEdit()->insert(ToQString(text));
}

void TCustomEdit::SelectAll() {
  if (QLineEdit* edit = LineEdit()) edit->selectAll();
}

void TCustomEdit::Clear() { SetText(""); }

void TCustomEdit::CopyToClipboard() {
  HandleNeeded();
  Perform(WM_COPY);
}

void TCustomEdit::CutToClipboard() {
  HandleNeeded();
  Perform(WM_CUT);
}

void TCustomEdit::PasteFromClipboard() {
  HandleNeeded();
  Perform(WM_PASTE);
}

// ----- TMemoStrings -----

std::vector<AnsiString> TMemoStrings::ToVector() const { return SplitLines(FMemo.GetText()); }

void TMemoStrings::FromVector(const std::vector<AnsiString>& lines) { FMemo.SetText(Join(lines, "\r\n")); }

Integer TMemoStrings::Count() const { return static_cast<Integer>(ToVector().size()); }

AnsiString TMemoStrings::Get(Integer index) const {
  const auto lines = ToVector();
  if (index < 0 || index >= static_cast<Integer>(lines.size()))
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return lines[static_cast<std::size_t>(index)];
}

void TMemoStrings::Put(Integer index, const AnsiString& line) {
  auto lines = ToVector();
  if (index < 0 || index >= static_cast<Integer>(lines.size()))
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  lines[static_cast<std::size_t>(index)] = line;
  FromVector(lines);
}

Integer TMemoStrings::Add(const AnsiString& line) {
  auto lines = ToVector();
  // Text that ends in a line break has an empty line waiting at its end: the line goes there.
  lines.push_back(line);
  FromVector(lines);
  return static_cast<Integer>(lines.size()) - 1;
}

void TMemoStrings::Insert(Integer index, const AnsiString& line) {
  auto lines = ToVector();
  if (index < 0 || index > static_cast<Integer>(lines.size()))
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  lines.insert(lines.begin() + index, line);
  FromVector(lines);
}

void TMemoStrings::Delete(Integer index) {
  auto lines = ToVector();
  if (index < 0 || index >= static_cast<Integer>(lines.size()))
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  lines.erase(lines.begin() + index);
  FromVector(lines);
}

void TMemoStrings::Clear() { FMemo.SetText(""); }

AnsiString TMemoStrings::Text() const {
  AnsiString out;
  for (const AnsiString& line : ToVector()) out += line + "\r\n";
  return out;
}

void TMemoStrings::SetText(const AnsiString& text) { FromVector(SplitLines(text)); }

void TMemoStrings::AddStrings(const TStringList& source) {
  auto lines = ToVector();
  for (Integer i = 0; i < source.Count(); ++i) lines.push_back(source.Get(i));
  FromVector(lines);
}

void TMemoStrings::LoadFromFile(const AnsiString& fileName) {
  TStringList list;
  list.LoadFromFile(fileName);
  SetText(list.Text());
}

void TMemoStrings::SaveToFile(const AnsiString& fileName) const {
  TStringList list;
  list.SetText(Text());
  list.SaveToFile(fileName);
}

// ----- TCustomMemo -----

TCustomMemo::TCustomMemo(TComponent* owner)
    : TCustomEdit(owner),
      FLines(*this),
      FLinesProp(std::make_unique<TStringsProperty>([this] { return FLines.ToVector(); },
                                                    [this](const std::vector<AnsiString>& l) { FLines.FromVector(l); })) {
  FWidth = 185;
  FHeight = 89;
  FAutoSize = false;
}

TCustomMemo::~TCustomMemo() = default;

std::unique_ptr<IHostWidget> TCustomMemo::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QPlainTextEdit>>(this, parentWidget);
}

QPlainTextEdit* TCustomMemo::TextEdit() const {
  return Host() != nullptr ? static_cast<QPlainTextEdit*>(Host()->Widget()) : nullptr;
}

void TCustomMemo::InitWidget() {
  QPlainTextEdit* edit = TextEdit();
  // The mouse reaches the text through the viewport, past the control's own route.
  RouteInnerContextMenu(this, edit->viewport());
  edit->setReadOnly(FReadOnly);
  edit->setLineWrapMode(FWordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  edit->setTabChangesFocus(!FWantTabs);
  edit->setFrameShape(FBorderStyle != bsNone ? QFrame::StyledPanel : QFrame::NoFrame);
  SetScrollBars(FScrollBars);
  QObject::connect(edit, &QPlainTextEdit::textChanged, [this] { RunGuarded([&] {
    if (!FSettingText) {
      FModified = true;
      Change();
    }
  }); });
}

void TCustomMemo::TextToWidget() {
  QPlainTextEdit* edit = TextEdit();
  if (edit == nullptr) return;
  const QString text = CrlfToWidget(FText);
  if (edit->toPlainText() == text) return;
  edit->setPlainText(text);
}

AnsiString TCustomMemo::TextFromWidget() const {
  QPlainTextEdit* edit = TextEdit();
  return edit != nullptr ? WidgetToCrlf(edit->toPlainText()) : FText;
}

bool TCustomMemo::WantsKey(Word key) const {
  if (key == VK_RETURN) return FWantReturns;
  if (key == VK_TAB) return FWantTabs;
  return TCustomEdit::WantsKey(key);
}

void TCustomMemo::KeyPress(char& key) {
  TCustomEdit::KeyPress(key);
  if ((key == '\r' && !FWantReturns) || (key == '\t' && !FWantTabs)) key = 0;
}

void TCustomMemo::SetReadOnly(bool value) {
  FReadOnly = value;
  if (QPlainTextEdit* edit = TextEdit()) edit->setReadOnly(value);
}

void TCustomMemo::SetMaxLength(Integer value) { FMaxLength = value; }

void TCustomMemo::SetWordWrap(bool value) {
  FWordWrap = value;
  if (QPlainTextEdit* edit = TextEdit())
    edit->setLineWrapMode(value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  FScrollBars = value;
  if (QPlainTextEdit* edit = TextEdit()) {
    const bool h = value == ssHorizontal || value == ssBoth;
    const bool v = value == ssVertical || value == ssBoth;
    edit->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    edit->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
  }
}

Integer TCustomMemo::SelStart() const {
  QPlainTextEdit* edit = TextEdit();
  return edit != nullptr ? edit->textCursor().selectionStart() : FSelStart;
}

void TCustomMemo::ApplySelection(Integer start, Integer length) {
  QPlainTextEdit* edit = TextEdit();
  if (edit == nullptr) return;
  QTextCursor cursor = edit->textCursor();
  const int end = edit->document()->characterCount() - 1;
  start = std::clamp(start, 0, end);
  const int stop = std::clamp(start + length, 0, end);
  cursor.setPosition(start);
  cursor.setPosition(stop, QTextCursor::KeepAnchor);
  edit->setTextCursor(cursor);
}

void TCustomMemo::SetSelStart(Integer value) {
  FSelStart = value;
  FSelLength = 0;
  HandleNeeded();
  ApplySelection(value, 0);
}

Integer TCustomMemo::SelLength() const {
  QPlainTextEdit* edit = TextEdit();
  if (edit == nullptr) return FSelLength;
  const QTextCursor c = edit->textCursor();
  return c.selectionEnd() - c.selectionStart();
}

void TCustomMemo::SetSelLength(Integer value) {
  FSelLength = value;
  HandleNeeded();
  ApplySelection(SelStart(), value);
}

AnsiString TCustomMemo::SelText() const {
  QPlainTextEdit* edit = TextEdit();
  if (edit == nullptr) return AnsiString();
  QString text = edit->textCursor().selectedText();
  text.replace(QChar(0x2029), QChar('\n'));
  return WidgetToCrlf(text);
}

void TCustomMemo::SetSelText(const AnsiString& text) {
  HandleNeeded();
  QPlainTextEdit* edit = TextEdit();
  QTextCursor cursor = edit->textCursor();
  cursor.insertText(CrlfToWidget(text));
  edit->setTextCursor(cursor);
}

void TCustomMemo::SelectAll() {
  if (QPlainTextEdit* edit = TextEdit()) edit->selectAll();
}

void TCustomMemo::Clear() { SetText(""); }

}  // namespace orv
