// The flat look of scroll bars: a proxy of the application's style that draws a scroll bar's
// arrows and thumb as plain faces on a light groove, and the windows whose widgets take it.
#include "platform/forms/FlatScrollBarLook.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMdiArea>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include "platform/forms/Controls.h"
#include "platform/win/FlatScrollBars.h"
#include "platform/win/MdiWindows.h"

namespace orv {

namespace {

class TFlatScrollBarStyle : public QProxyStyle {
 public:
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || bar == nullptr) {
      QProxyStyle::drawComplexControl(control, option, painter, widget);
      return;
    }
    const QPalette& palette = bar->palette;
    const bool horizontal = bar->orientation == Qt::Horizontal;
    painter->save();
    painter->fillRect(bar->rect, palette.color(QPalette::Light));
    for (const SubControl part : {SC_ScrollBarSubLine, SC_ScrollBarAddLine, SC_ScrollBarSlider}) {
      const QRect r = subControlRect(CC_ScrollBar, bar, part, widget);
      if (!r.isValid() || (part == SC_ScrollBarSlider && bar->maximum <= bar->minimum)) continue;
      const bool pressed = (bar->activeSubControls & part) != 0 && (bar->state & State_Sunken) != 0;
      painter->fillRect(r, palette.color(pressed ? QPalette::Mid : QPalette::Button));
      if (part == SC_ScrollBarSlider) {
        // One plain line round the thumb, where the normal look has its raised edges.
        painter->setPen(palette.color(QPalette::Mid));
        painter->drawRect(r.adjusted(0, 0, -1, -1));
        continue;
      }
      QStyleOption arrow;
      arrow.rect = r.adjusted(2, 2, -2, -2);
      arrow.palette = palette;
      arrow.state = bar->state & State_Enabled;
      const PrimitiveElement element = part == SC_ScrollBarSubLine
                                           ? (horizontal ? PE_IndicatorArrowLeft : PE_IndicatorArrowUp)
                                           : (horizontal ? PE_IndicatorArrowRight : PE_IndicatorArrowDown);
      drawPrimitive(element, &arrow, painter, widget);
    }
    painter->restore();
  }
};

// The widget that shows a window: a control's, or for an MDI client window its frame's MDI area.
QWidget* WindowWidget(HWND hwnd) {
  if (TWinControl* control = FindControl(hwnd))
    return control->Host() != nullptr ? control->Host()->Widget() : nullptr;
  if (!IsMdiClient(hwnd)) return nullptr;
  TWinControl* frame = FindControl(GetParent(hwnd));
  if (frame == nullptr || frame->Host() == nullptr) return nullptr;
  return frame->Host()->Widget()->findChild<QMdiArea*>("MDIClient");
}

void ShowFlat(HWND hwnd, bool flat) {
  QWidget* widget = WindowWidget(hwnd);
  std::vector<QScrollBar*> bars;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
    bars = {area->horizontalScrollBar(), area->verticalScrollBar()};
  else if (auto* bar = qobject_cast<QScrollBar*>(widget)) bars = {bar};
  for (QScrollBar* bar : bars) {
    // Without a style of its own a bar draws with the application's again.
    bar->setStyle(flat ? FlatScrollBarStyle() : nullptr);
    bar->update();
  }
}

}  // namespace

QStyle* FlatScrollBarStyle() {
  static QPointer<TFlatScrollBarStyle> style;
  if (style.isNull()) {
    style = new TFlatScrollBarStyle;  // owned by the Qt application
    style->setParent(QCoreApplication::instance());
  }
  return style.data();
}

void InstallFlatScrollBarLook() { SetFlatScrollBarSink(&ShowFlat); }

}  // namespace orv
