#include "window/ShapeLamp.h"

#include <QPainter>

namespace orvane {

ShapeLamp::ShapeLamp(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);  // only the circle is drawn
}

void ShapeLamp::SetOn(bool on) {
    if (on == on_) return;
    on_ = on;
    update();
}

void ShapeLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The largest circle that fits, centred.
    const int diameter = std::max(1, std::min(width(), height()) - 1);
    const QRectF circle((width() - 1 - diameter) / 2.0 + 0.5, (height() - 1 - diameter) / 2.0 + 0.5,
                        diameter, diameter);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(on_ ? QBrush(FillColor()) : Qt::NoBrush);
    painter.drawEllipse(circle);
}

}  // namespace orvane
