#include "window/TransportIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace orvane {

QIcon MakeTransportIcon(TransportIcon which) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    switch (which) {
        case TransportIcon::Play:  // a right-pointing triangle
            painter.drawPolygon(QPolygon({{4, 2}, {12, 8}, {4, 14}}));
            break;
        case TransportIcon::Pause:  // two upright bars
            painter.drawRect(4, 3, 3, 10);
            painter.drawRect(9, 3, 3, 10);
            break;
        case TransportIcon::Stop:  // a filled square
            painter.drawRect(3, 3, 10, 10);
            break;
        case TransportIcon::Back:  // a left-pointing triangle followed by a bar
            painter.drawPolygon(QPolygon({{10, 2}, {2, 8}, {10, 14}}));
            painter.drawRect(11, 3, 2, 10);
            break;
        case TransportIcon::Next:  // a bar followed by a right-pointing triangle
            painter.drawRect(3, 3, 2, 10);
            painter.drawPolygon(QPolygon({{6, 2}, {14, 8}, {6, 14}}));
            break;
    }
    painter.end();
    return QIcon(pixmap);
}

}  // namespace orvane
