// What the MDI form tests share: the main form's client area and its sub-windows, the fit of a
// child inside that area, and the text of the error for a child without an MDI main form.
#pragma once
#include <QMdiArea>
#include <QMdiSubWindow>
#include "platform/forms/Forms.h"

namespace orv::test {

inline constexpr const char* kNoMdiFormsText =
    "Formular kann nicht erstellt werden. Zur Zeit sind keine MDI-Formulare aktiv";

// The Qt area that shows the client window of an MDI main form.
inline QMdiArea* MdiAreaOf(TCustomForm* main) { return main->Widget()->findChild<QMdiArea*>("MDIClient"); }

// The sub-window that holds a child in its main form's area, or null.
inline QMdiSubWindow* MdiSubOf(TCustomForm* main, TCustomForm* child) {
  for (QMdiSubWindow* sub : MdiAreaOf(main)->subWindowList())
    if (sub->widget() == child->Widget()) return sub;
  return nullptr;
}

// The part of the client window that children are arranged in.
inline TRect MdiClientRect(TCustomForm* main) {
  const QSize s = MdiAreaOf(main)->viewport()->size();
  return Rect(0, 0, s.width(), s.height());
}

// True when a non-empty rectangle lies wholly inside another.
inline bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom && inner.Width() > 0 && inner.Height() > 0;
}

}  // namespace orv::test
