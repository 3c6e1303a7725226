// The edit commands on Qt's text widgets, and the standard context menu that sends them.
#include "platform/forms/EditCommands.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

namespace orv {
namespace {

// EM_SETSEL on a text document: start -1 removes the selection, end -1 is the end of the text.
template <class TTextWidget>
void SelectInDocument(TTextWidget* edit, Integer start, Integer end) {
  QTextCursor cursor = edit->textCursor();
  const int last = edit->document()->characterCount() - 1;
  if (start < 0) {
    cursor.clearSelection();
  } else {
    cursor.setPosition(std::clamp(start, 0, last));
    cursor.setPosition(end < 0 ? last : std::clamp(end, 0, last), QTextCursor::KeepAnchor);
  }
  edit->setTextCursor(cursor);
}

template <class TTextWidget>
bool DocumentCommand(TTextWidget* edit, TMessage& m) {
  switch (m.Msg) {
    case WM_CUT: edit->cut(); return true;
    case WM_COPY: edit->copy(); return true;
    case WM_PASTE: edit->paste(); return true;
    case WM_CLEAR:
      if (!edit->isReadOnly()) edit->textCursor().removeSelectedText();
      return true;
    case WM_UNDO:
    case EM_UNDO:
      m.Result = !edit->isReadOnly() && edit->document()->isUndoAvailable();
      if (m.Result != 0) edit->undo();
      return true;
    case EM_CANUNDO: m.Result = edit->document()->isUndoAvailable(); return true;
    case EM_SETSEL:
      SelectInDocument(edit, static_cast<Integer>(m.WParam), static_cast<Integer>(m.LParam));
      return true;
    default: return false;
  }
}

bool LineCommand(QLineEdit* edit, TMessage& m) {
  switch (m.Msg) {
    case WM_CUT: edit->cut(); return true;
    case WM_COPY: edit->copy(); return true;
    case WM_PASTE: edit->paste(); return true;
    case WM_CLEAR:
      if (!edit->isReadOnly()) edit->del();
      return true;
    case WM_UNDO:
    case EM_UNDO:
      m.Result = !edit->isReadOnly() && edit->isUndoAvailable();
      if (m.Result != 0) edit->undo();
      return true;
    case EM_CANUNDO: m.Result = edit->isUndoAvailable(); return true;
    case EM_SETSEL: {
      const int length = static_cast<int>(edit->text().size());
      const auto start = static_cast<Integer>(m.WParam);
      const auto end = static_cast<Integer>(m.LParam);
      if (start < 0) {
        edit->deselect();
      } else {
        const int from = std::clamp(start, 0, length);
        const int to = end < 0 ? length : std::clamp(end, 0, length);
        edit->setSelection(from, to - from);
      }
      return true;
    }
    default: return false;
  }
}

// Watches a widget inside a control for the mouse's context menu requests.
class TInnerContextFilter : public QObject {
 public:
  TInnerContextFilter(TWinControl* control, QWidget* inner) : QObject(inner), FControl(control) {
    setObjectName(QStringLiteral("orv-context-route"));
    inner->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse) {
      event->accept();
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton &&
        FControl->HandleAllocated() && FControl->Enabled()) {
      const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
      TWinControl* control = FControl;
      RunGuarded([&] {
        control->Perform(WM_CONTEXTMENU, control->Handle().AsWParam(), PointToLParam(global.x(), global.y()));
      });
      event->accept();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  TWinControl* FControl;
};

}  // namespace

void RouteInnerContextMenu(TWinControl* control, QWidget* inner) {
  if (inner == nullptr ||
      inner->findChild<TInnerContextFilter*>(QStringLiteral("orv-context-route"), Qt::FindDirectChildrenOnly) != nullptr)
    return;
  new TInnerContextFilter(control, inner);
}

bool EditWidgetCommand(QWidget* widget, TMessage& message) {
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return LineCommand(line, message);
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return DocumentCommand(plain, message);
  if (auto* rich = qobject_cast<QTextEdit*>(widget)) return DocumentCommand(rich, message);
  return false;
}

void ShowStandardEditMenu(TControl& control, QWidget* widget, QPoint screenPos) {
  // What the widget allows now.
  bool readOnly = true, selected = false, empty = true, allSelected = false, secret = false;
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    readOnly = line->isReadOnly();
    selected = line->hasSelectedText();
    empty = line->text().isEmpty();
    allSelected = selected && line->selectedText() == line->text();
    secret = line->echoMode() != QLineEdit::Normal;
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
    readOnly = plain->isReadOnly();
    selected = plain->textCursor().hasSelection();
    empty = plain->document()->isEmpty();
    allSelected = selected && plain->textCursor().selectedText().size() == plain->document()->characterCount() - 1;
  } else if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
    readOnly = rich->isReadOnly();
    selected = rich->textCursor().hasSelection();
    empty = rich->document()->isEmpty();
    allSelected = selected && rich->textCursor().selectedText().size() == rich->document()->characterCount() - 1;
  } else {
    return;
  }
  TMessage canUndo{EM_CANUNDO, 0, 0, 0};
  EditWidgetCommand(widget, canUndo);
  const bool clipboardText = QGuiApplication::clipboard() != nullptr && !QGuiApplication::clipboard()->text().isEmpty();

  struct TEntry {
    const char* Text;  // Qt's own wording, so its translations apply
    QKeySequence::StandardKey Keys;
    bool Enabled;
    UINT Msg;
    LPARAM LParam;
  };
  const TEntry entries[] = {
    {"&Undo", QKeySequence::Undo, !readOnly && canUndo.Result != 0, WM_UNDO, 0},
    {nullptr, QKeySequence::UnknownKey, false, 0, 0},
    {"Cu&t", QKeySequence::Cut, !readOnly && selected && !secret, WM_CUT, 0},
    {"&Copy", QKeySequence::Copy, selected && !secret, WM_COPY, 0},
    {"&Paste", QKeySequence::Paste, !readOnly && clipboardText, WM_PASTE, 0},
    {"Delete", QKeySequence::UnknownKey, !readOnly && selected, WM_CLEAR, 0},
    {nullptr, QKeySequence::UnknownKey, false, 0, 0},
    {"Select All", QKeySequence::SelectAll, !empty && !allSelected, EM_SETSEL, -1},
  };
  QMenu menu;
  QPointer<QWidget> alive(widget);
  TControl* target = &control;
  for (const TEntry& e : entries) {
    if (e.Text == nullptr) {
      menu.addSeparator();
      continue;
    }
    QString text = QCoreApplication::translate("QLineEdit", e.Text);
    if (e.Keys != QKeySequence::UnknownKey)
      text += QLatin1Char('\t') + QKeySequence(e.Keys).toString(QKeySequence::NativeText);
    QAction* action = menu.addAction(text);
    action->setEnabled(e.Enabled);
    const UINT msg = e.Msg;
    const LPARAM lParam = e.LParam;
    QObject::connect(action, &QAction::triggered, action, [alive, target, msg, lParam] {
      // The control may be gone with its widget by the time the entry is chosen.
      if (alive != nullptr) RunGuarded([&] { target->Perform(msg, 0, lParam); });
    });
  }
  menu.exec(screenPos);
}

bool EditDefaultHandling(TControl& control, QWidget* widget, TMessage& message) {
  if (message.Msg != WM_CONTEXTMENU) return EditWidgetCommand(widget, message);
  TPoint at = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
  if (at == Point(-1, -1)) at = control.ClientToScreen(Point(control.Width() / 2, control.Height() / 2));
  ShowStandardEditMenu(control, widget, QPoint(at.X, at.Y));
  message.Result = 0;
  return true;
}

}  // namespace orv
