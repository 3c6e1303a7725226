// The menu bar of a form's window: a Qt menu bar at the top of the form's widget that shows the
// entries of the window's system menu (so the texts, states and MDI window entries are those the
// system menu holds), with sub-menus read afresh each time they open.
#pragma once
#include <QMenuBar>
#include <QPointer>
#include "platform/rtl/Types.h"

namespace orv {

class TCustomForm;

class TMenuBarView {
 public:
  // Makes the bar in the form's widget (the form's window must exist).
  explicit TMenuBarView(TCustomForm* form);
  ~TMenuBarView();
  TMenuBarView(const TMenuBarView&) = delete;
  TMenuBarView& operator=(const TMenuBarView&) = delete;

  // Null once the widget it was made in is gone.
  QMenuBar* Bar() const { return FBar.data(); }
  // True while the bar lives in widget.
  bool ShownIn(const QWidget* widget) const;
  // Reads the entries of the window's menu again: texts and states in place, entries made or
  // dropped where the menu's shape changed.
  void Sync();
  // Puts the bar across the top of its widget, width wide; returns its height.
  Integer Place(Integer width);

 private:
  TCustomForm* FForm;
  QPointer<QMenuBar> FBar;
};

}  // namespace orv
