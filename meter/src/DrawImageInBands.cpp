#include <meter/DrawImageInBands.h>

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace meter {

namespace {
constexpr int kBandRows = 48;
}  // namespace

void DrawImageInBands(QPainter& painter, QPoint topLeft, const QImage& image) {
    if (image.isNull()) return;
    // A band's rows in device pixels would not map to whole logical rows.
    if (image.devicePixelRatio() != 1.0) {
        painter.drawImage(topLeft, image);
        return;
    }
    const QList<QRgb> colours = image.colorTable();
    for (int top = 0; top < image.height(); top += kBandRows) {
        const int rows = std::min(kBandRows, image.height() - top);
        QImage band(image.constScanLine(top), image.width(), rows, image.bytesPerLine(),
                    image.format());
        if (!colours.isEmpty()) band.setColorTable(colours);
        painter.drawImage(topLeft + QPoint(0, top), band);
    }
}

}  // namespace meter
