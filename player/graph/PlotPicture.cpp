#include "graph/PlotPicture.h"

#include <QPainter>
#include <algorithm>

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
    if (frozen_.isNull()) frozen_ = surface_.ToImage();
}

void PlotPicture::Thaw() {
    frozen_ = QImage();
    update();
}

void PlotPicture::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const int shownWidth = std::min(width(), surface_.Width());
    const int shownHeight = std::min(height(), surface_.Height());
    if (frozen_.isNull()) {
        surface_.PaintTo(painter);
    } else {
        painter.drawImage(QPoint(0, 0), frozen_);
    }
    if (width() > shownWidth) {
        painter.fillRect(QRect(shownWidth, 0, width() - shownWidth, height()), background_);
    }
    if (height() > shownHeight) {
        painter.fillRect(QRect(0, shownHeight, shownWidth, height() - shownHeight), background_);
    }
}

}  // namespace orvane
