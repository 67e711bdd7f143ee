#include "qt/ProgressRing.h"

#include <QPainter>
#include <QPainterPath>

namespace crx::qt {

ProgressRing::ProgressRing(QWidget* parent) : QWidget(parent) {
  setObjectName("progress");
  setMinimumSize(64, 64);
}

void ProgressRing::SetCounter(int counter) {
  if (counter == counter_) return;
  counter_ = counter;
  update();
}

void ProgressRing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int side = std::min(width(), height()) - 8;
  const QRectF ring((width() - side) / 2.0, (height() - side) / 2.0, side, side);
  const qreal pen = side / 8.0;
  const QRectF inner = ring.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
  painter.setPen(QPen(palette().color(QPalette::Mid), pen));
  painter.drawEllipse(inner);
  if (counter_ == 0) return;
  // Angles in sixteenths of a degree, turning clockwise from the top.
  const int start = (90 - counter_ % 360) * 16;
  painter.setPen(QPen(palette().color(QPalette::Highlight), pen, Qt::SolidLine, Qt::RoundCap));
  painter.drawArc(inner, start, -kArcDegrees * 16);
}

}  // namespace crx::qt
