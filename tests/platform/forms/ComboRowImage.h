// A combo box's drop-down row drawn into an image, as the list shows it.
#pragma once
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>
#include "platform/forms/Controls.h"

namespace orv::test {

// Entry index of the combo box drawn in a row of the given size over a magenta ground.
inline QImage DrawComboRow(TWinControl* combo, int index, bool selected, QSize size) {
  auto* qt = static_cast<QComboBox*>(combo->Widget());
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  QPainter painter(&image);
  QStyleOptionViewItem option;
  option.rect = QRect(QPoint(0, 0), size);
  option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
  qt->itemDelegate()->paint(&painter, option, qt->model()->index(index, 0));
  painter.end();
  return image;
}

}  // namespace orv::test
