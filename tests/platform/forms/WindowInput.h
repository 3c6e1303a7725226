// Input as the user gives it: mouse, wheel and key events delivered to the top-level window that
// shows a widget, at the widget's place in it, so that Qt's own routing runs (the child under the
// mouse, the focus, pop-up menus, title bars and frames of MDI sub-windows); and where the parts of
// a sub-window's title bar lie.
#pragma once
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <string>
#include <vector>

namespace orv::test {

// The window that shows widget, and the point in it of a point local to widget.
struct TWindowPoint {
  QWindow* Window;
  QPoint At;
};

inline TWindowPoint WindowPointOf(QWidget* widget, QPoint at) {
  QWidget* top = widget->window();
  return {top->windowHandle(), widget->mapTo(top, at)};
}

inline void WindowPress(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  const TWindowPoint p = WindowPointOf(widget, at);
  QTest::mousePress(p.Window, button, Qt::NoModifier, p.At);
}

inline void WindowRelease(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  const TWindowPoint p = WindowPointOf(widget, at);
  QTest::mouseRelease(p.Window, button, Qt::NoModifier, p.At);
}

inline void WindowMove(QWidget* widget, QPoint at) {
  const TWindowPoint p = WindowPointOf(widget, at);
  QTest::mouseMove(p.Window, p.At);
}

// The mouse arrives at the point as a hand moves it, in more than one step: some widgets (a
// sub-window's title bar) take what lies under the mouse from the move before the last.
inline void WindowClick(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  WindowMove(widget, at + QPoint(1, 1));
  WindowMove(widget, at);
  WindowPress(widget, at, button);
  WindowRelease(widget, at, button);
}

// Presses at from (local to widget), moves the mouse by offset in a few steps with the button held,
// and lets go. The points are those of the window, so a widget that moves under the mouse (a
// sub-window dragged by its title) does not move the path.
inline void WindowDrag(QWidget* widget, QPoint from, QPoint offset) {
  const TWindowPoint start = WindowPointOf(widget, from);
  QTest::mouseMove(start.Window, start.At);
  QTest::mousePress(start.Window, Qt::LeftButton, Qt::NoModifier, start.At);
  constexpr int steps = 4;
  for (int i = 1; i <= steps; ++i) QTest::mouseMove(start.Window, start.At + offset * i / steps);
  QTest::mouseRelease(start.Window, Qt::LeftButton, Qt::NoModifier, start.At + offset);
}

// Clicks the entry of a menu bar that shows text; false when there is none.
inline bool ClickMenuBarEntry(QMenuBar* bar, const QString& text) {
  for (QAction* action : bar->actions())
    if (action->text() == text) {
      WindowClick(bar, bar->actionGeometry(action).center());
      return true;
    }
  return false;
}

// The action of a menu that shows text, or null.
inline QAction* MenuAction(QMenu* menu, const QString& text) {
  for (QAction* action : menu->actions())
    if (action->text() == text) return action;
  return nullptr;
}

// What a menu or a menu bar shows: the texts of its entries, "----" for a separator, " *" after a
// checked entry and " (grey)" after a disabled one.
inline std::vector<std::string> MenuTexts(QWidget* menu) {
  std::vector<std::string> texts;
  for (QAction* action : menu->actions()) {
    std::string entry = action->isSeparator() ? "----" : action->text().toStdString();
    if (action->isChecked()) entry += " *";
    if (!action->isEnabled()) entry += " (grey)";
    texts.push_back(entry);
  }
  return texts;
}

// The pop-up menu open at the moment (the innermost one), or null.
inline QMenu* OpenMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

// Where a part of a sub-window's title bar lies, in the sub-window's coordinates (the title bar
// as the sub-window lays it out: inside its border, the state and flags it has now).
inline QRect TitleBarPart(QMdiSubWindow* sub, QStyle::SubControl part) {
  QStyleOptionTitleBar option;
  option.initFrom(sub);
  option.titleBarFlags = sub->windowFlags();
  option.titleBarState = sub->windowState();
  option.subControls = QStyle::SC_All;
  if (sub->mdiArea() != nullptr && sub->mdiArea()->activeSubWindow() == sub) {
    option.state |= QStyle::State_Active;
    option.titleBarState |= QStyle::State_Active;
  }
  QStyle* style = sub->style();
  const int border = style->styleHint(QStyle::SH_TitleBar_NoBorder, &option, sub) ? 0 : 4;
  const int height = style->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub);
  option.rect = QRect(border, border, sub->width() - 2 * border, height);
  return style->subControlRect(QStyle::CC_TitleBar, &option, part, sub);
}

}  // namespace orv::test

// Input given to a top-level window at a point of it (in the window's own coordinates), as the
// system gives it: the window finds the child under the mouse, grabs it for a held button and
// gives keys to the focused child.
namespace orv::testinput {

// Where a point local to widget lies in its top-level window.
inline QPoint At(QWidget* widget, QPoint local) { return widget->mapTo(widget->window(), local); }

// Makes the window the active one, where the focus is real; false when it does not become so.
inline bool Activate(QWidget* top) {
  top->activateWindow();
  return QTest::qWaitForWindowActive(top);
}

inline void Move(QWidget* top, QPoint at) { QTest::mouseMove(top->windowHandle(), at); }

inline void Press(QWidget* top, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::mousePress(top->windowHandle(), button, mods, at);
}

inline void Release(QWidget* top, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::mouseRelease(top->windowHandle(), button, mods, at);
}

// The mouse comes to the point first, then the button goes down and up there.
inline void Click(QWidget* top, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Move(top, at);
  Press(top, at, button, mods);
  Release(top, at, button, mods);
}

// One notch of the wheel (120) away from the user for a positive delta, the mouse at the point.
inline void Wheel(QWidget* top, QPoint at, int delta = 120, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWindow* window = top->windowHandle();
  QWheelEvent event(QPointF(at), QPointF(window->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    mods, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(window, &event);
}

// A key pressed and let go in the window: it goes to the child that has the focus. Without a text
// the key types what it types by itself (a letter its letter, an arrow nothing).
inline void Key(QWidget* top, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString()) {
  if (text.isEmpty()) {
    QTest::keyClick(top->windowHandle(), static_cast<Qt::Key>(key), mods);
    return;
  }
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QCoreApplication::sendEvent(top->windowHandle(), &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QCoreApplication::sendEvent(top->windowHandle(), &release);
}

}  // namespace orv::testinput
