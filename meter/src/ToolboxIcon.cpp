#include <meter/ToolboxIcon.h>

#include <QImage>
#include <QPainter>

namespace meter {

QPixmap ToolboxIcon() {
    // A tiny dial: grey face, blue scale arc, red needle pointing up-right, black hub.
    QImage image(16, 15, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(QColor(192, 192, 192));
    painter.drawPie(QRect(0, 2, 15, 22), 0, 180 * 16);
    painter.setPen(QColor(0, 0, 255));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRect(2, 4, 11, 18), 0, 180 * 16);
    painter.setPen(QColor(255, 0, 0));
    painter.drawLine(QPoint(7, 12), QPoint(11, 6));
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 0, 0));
    painter.drawRect(QRect(6, 11, 2, 2));
    painter.setPen(QColor(0, 0, 0));
    painter.drawLine(QPoint(0, 14), QPoint(15, 14));
    painter.end();
    return QPixmap::fromImage(image);
}

}  // namespace meter
