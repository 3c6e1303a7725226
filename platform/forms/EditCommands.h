// The edit messages the edit widgets carry out themselves (clipboard, undo, selection) and the
// edits' standard context menu, whose entries send them to the control.
#pragma once
#include <QPoint>
#include "platform/forms/Controls.h"

class QWidget;

namespace orv {

// Carries out WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, WM_UNDO, EM_UNDO, EM_CANUNDO and EM_SETSEL on
// a QLineEdit, QPlainTextEdit or QTextEdit; false for any other message or widget.
bool EditWidgetCommand(QWidget* widget, TMessage& message);

// The edit's standard menu at a point on the screen: Undo, Cut, Copy, Paste, Delete and Select
// all, enabled as the widget's state allows, each sent to control as its message (WM_UNDO,
// WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, EM_SETSEL of everything).
void ShowStandardEditMenu(TControl& control, QWidget* widget, QPoint screenPos);

}  // namespace orv
