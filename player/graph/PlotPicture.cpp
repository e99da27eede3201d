#include "graph/PlotPicture.h"

#include <QPainter>
#include <algorithm>

#include <meter/DevicePixels.h>
#include "graph/PlotSurface.h"

namespace orvane {

PlotPicture::PlotPicture(const PlotSurface& surface, QWidget* parent)
    : QWidget(parent), surface_(surface) {
    // Every pixel is painted below; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotPicture::SetBackground(const QColor& colour) {
    background_ = colour;
    update();
}

void PlotPicture::Freeze() {
    if (!frozen_.isNull()) return;
    frozen_ = surface_.ToImage();
    frozenRatio_ = surface_.Ratio();
}

void PlotPicture::Thaw() {
    frozen_ = QImage();
    update();
}

void PlotPicture::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QImage* frozen = frozen_.isNull() ? nullptr : &frozen_;
    const double ratio = frozen != nullptr ? frozenRatio_ : surface_.Ratio();
    const int pictureWidth = frozen != nullptr ? frozen->width() : surface_.Width();
    const int pictureHeight = frozen != nullptr ? frozen->height() : surface_.Height();

    // The surface holds device pixels; put them on the device pixels this picture
    // covers, one to one, and show the background where the picture is larger.
    const meter::DeviceArea area = meter::DeviceAreaOf(painter, rect());
    if (!area.aligned || (pictureWidth > 0 && area.ratio != ratio)) {
        PaintScaled(painter, frozen, ratio);
        return;
    }
    meter::PaintInDevicePixels(painter, area.pixels.topLeft());
    const int width = area.pixels.width();
    const int height = area.pixels.height();
    const int shownWidth = std::min(width, pictureWidth);
    const int shownHeight = std::min(height, pictureHeight);
    if (frozen == nullptr) {
        surface_.PaintTo(painter);
    } else {
        painter.drawImage(QPoint(0, 0), *frozen);
    }
    if (width > shownWidth) {
        painter.fillRect(QRect(shownWidth, 0, width - shownWidth, height), background_);
    }
    if (height > shownHeight) {
        painter.fillRect(QRect(0, shownHeight, shownWidth, height - shownHeight), background_);
    }
}

void PlotPicture::PaintScaled(QPainter& painter, const QImage* frozen, double ratio) {
    // A device of another pixel ratio than the surface's (a rendering into an image, or
    // the screen just changed), or a rotated painter: the picture is drawn at its size in
    // the picture's own pixels, smoothed.
    painter.fillRect(rect(), background_);
    const QImage image = frozen != nullptr ? *frozen : surface_.ToImage();
    if (image.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, image.width() / ratio, image.height() / ratio), image);
}

}  // namespace orvane
