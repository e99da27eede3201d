#include <meter/DevicePixels.h>

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace meter {

namespace {

// The paint system's rounding of a device coordinate: halves up.
int RoundEdge(double x) {
    return static_cast<int>(std::floor(x + 0.5));
}

}  // namespace

DeviceArea DeviceAreaOf(const QPainter& painter, const QRect& logical) {
    const QTransform transform = painter.deviceTransform();
    DeviceArea area;
    area.ratio = transform.m11();
    area.aligned = transform.type() <= QTransform::TxScale && transform.m11() > 0.0 &&
                   transform.m11() == transform.m22();
    const QPointF topLeft = transform.map(QPointF(logical.topLeft()));
    const QPointF bottomRight =
        transform.map(QPointF(logical.x() + logical.width(), logical.y() + logical.height()));
    const int left = RoundEdge(std::min(topLeft.x(), bottomRight.x()));
    const int top = RoundEdge(std::min(topLeft.y(), bottomRight.y()));
    area.pixels = QRect(left, top, RoundEdge(std::max(topLeft.x(), bottomRight.x())) - left,
                        RoundEdge(std::max(topLeft.y(), bottomRight.y())) - top);
    return area;
}

void PaintInDevicePixels(QPainter& painter, QPoint origin) {
    // The device transform is the world transform followed by the device's own scaling;
    // undo both and translate to the origin.
    bool invertible = false;
    const QTransform toLogical = painter.deviceTransform().inverted(&invertible);
    if (!invertible) return;
    painter.setWorldTransform(QTransform::fromTranslate(origin.x(), origin.y()) * toLogical *
                              painter.worldTransform());
}

int DeviceExtent(int start, int length, double ratio) {
    return RoundEdge((static_cast<double>(start) + length) * ratio) -
           RoundEdge(static_cast<double>(start) * ratio);
}

int LinePixels(double ratio) {
    return std::max(1, RoundEdge(ratio));
}

}  // namespace meter
