// The edit messages the edit widgets carry out themselves (clipboard, undo, selection), the
// edits' standard context menu, whose entries send them to the control, and the context menu
// requests of widgets inside a control.
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
// What an edit widget does by default with a message to control: WM_CONTEXTMENU shows the
// standard menu (at the request's screen position, from the keyboard at the middle of the
// control), the edit messages are carried out as EditWidgetCommand does. False for any other
// message; message.Result holds the answer.
bool EditDefaultHandling(TControl& control, QWidget* widget, TMessage& message);

// A widget inside control that gets the mouse past the control's own route (a memo's viewport,
// the edit field of a combo box): its right button's release asks control for the context menu at
// that place, as on any control, and Qt opens no menu of its own at the press. Once per widget.
void RouteInnerContextMenu(TWinControl* control, QWidget* inner);

}  // namespace orv
