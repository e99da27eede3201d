#include "graph/PlotSurface.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <new>

#include <meter/DrawImageInBands.h>
#include "graph/LineRaster.h"

namespace orvane {

void PlotSurface::Create(int width, int height, QRgb fill, double ratio) {
    Release();
    if (width <= 0 || height <= 0) return;
    try {
        pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
    } catch (const std::bad_alloc&) {
        // Like a bitmap the system could not create: the graph shows nothing.
        pixels_.clear();
        return;
    }
    width_ = width;
    height_ = height;
    ratio_ = ratio;
    view_ = QImage(reinterpret_cast<uchar*>(pixels_.data()), width_, height_,
                   width_ * static_cast<qsizetype>(sizeof(QRgb)), QImage::Format_RGB32);
}

void PlotSurface::Release() noexcept {
    view_ = QImage();
    std::vector<QRgb>().swap(pixels_);
    width_ = 0;
    height_ = 0;
    origin_ = 0;
    ratio_ = 1.0;
}

void PlotSurface::Resample(int width, int height, double ratio) {
    if (IsNull()) return;
    const QImage scaled =
        ToImage().scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    Create(width, height, qRgb(0, 0, 0), ratio);
    if (IsNull() || scaled.size() != QSize(width, height)) return;
    for (int y = 0; y < height_; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        std::copy(line, line + width_, Row(y));
    }
}

void PlotSurface::CopyColumns(int from, int to, int count) noexcept {
    for (int i = 0; i < count; ++i) {
        const int source = Stored(from + i);
        const int target = Stored(to + i);
        for (int y = 0; y < height_; ++y) Row(y)[target] = Row(y)[source];
    }
}

void PlotSurface::PutInPlotOrder() {
    if (origin_ == 0) return;
    for (int y = 0; y < height_; ++y) std::rotate(Row(y), Row(y) + origin_, Row(y) + width_);
    origin_ = 0;
}

void PlotSurface::ScrollLeft(int w, int h, int columns) {
    Scroll(w, h, columns, true);
}

void PlotSurface::ScrollRight(int w, int h, int columns) {
    Scroll(w, h, columns, false);
}

void PlotSurface::Scroll(int w, int h, int columns, bool towardsLeft) {
    if (IsNull() || columns <= 0 || w <= columns || h <= 0) return;
    if (CoversWidth(w, h) && 2 * columns <= width_) {
        // Turning the ring moves the columns at the edge the picture moves towards to the
        // other edge; a block copy leaves the columns there as they were, so put them back.
        if (towardsLeft) {
            origin_ = Stored(columns);
            CopyColumns(width_ - 2 * columns, width_ - columns, columns);
        } else {
            origin_ = Stored(width_ - columns);
            CopyColumns(columns, 0, columns);
        }
        return;
    }
    PutInPlotOrder();
    const int moved = std::min(w, width_) - columns;
    const int rows = std::min(h, height_);
    if (moved <= 0) return;
    const std::size_t bytes = static_cast<std::size_t>(moved) * sizeof(QRgb);
    for (int y = 0; y < rows; ++y) {
        QRgb* row = Row(y);
        std::memmove(towardsLeft ? row : row + columns, towardsLeft ? row + columns : row, bytes);
    }
}

void PlotSurface::Fill(int w, int h, QRgb colour) {
    if (IsNull() || w <= 0 || h <= 0) return;
    const int rows = std::min(h, height_);
    if (w >= width_) {
        // Whole rows: the order of the columns does not matter.
        std::fill(Row(0), Row(0) + static_cast<std::size_t>(rows) * width_, colour);
        return;
    }
    PutInPlotOrder();
    for (int y = 0; y < rows; ++y) std::fill(Row(y), Row(y) + w, colour);
}

void PlotSurface::FillColumns(int x, int w, int h, QRgb colour) {
    if (IsNull() || h <= 0) return;
    const int first = std::max(x, 0);
    const int last = static_cast<int>(std::min<long long>(static_cast<long long>(x) + w, width_));
    const int rows = std::min(h, height_);
    // Column by column through the ring: the few columns a scroll exposes cost as little
    // as drawing a line down them.
    for (int column = first; column < last; ++column) {
        const int stored = Stored(column);
        for (int y = 0; y < rows; ++y) Row(y)[stored] = colour;
    }
}

void PlotSurface::DrawLine(const PlotPen& pen, int x0, int y0, int x1, int y1) {
    if (IsNull()) return;
    const auto plot = [this, colour = pen.colour](int x, int y) { SetPixel(x, y, colour); };
    if (pen.width <= 1) {
        raster::ThinLine(x0, y0, x1, y1, width_, height_, plot);
    } else {
        raster::WideLine(x0, y0, x1, y1, pen.width, width_, height_, plot);
    }
}

QRgb PlotSurface::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return Row(y)[Stored(x)];
}

QImage PlotSurface::ToImage() const {
    if (IsNull()) return {};
    QImage image(width_, height_, QImage::Format_RGB32);
    const int tail = width_ - origin_;
    for (int y = 0; y < height_; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::copy(Row(y) + origin_, Row(y) + width_, line);
        std::copy(Row(y), Row(y) + origin_, line + tail);
    }
    return image;
}

void PlotSurface::PaintTo(QPainter& painter) const {
    if (IsNull()) return;
    // The two slices are drawn as images over the surface's own pixels (drawing part of
    // an image by source rectangle makes the paint engine copy that part first), each in
    // bands of a few dozen rows, which keeps the copies off the engine's worker threads.
    const int tail = width_ - origin_;
    const qsizetype stride = width_ * static_cast<qsizetype>(sizeof(QRgb));
    const auto* pixels = reinterpret_cast<const uchar*>(Row(0));
    meter::DrawImageInBands(
        painter, QPoint(0, 0),
        QImage(pixels + origin_ * sizeof(QRgb), tail, height_, stride, QImage::Format_RGB32));
    if (origin_ > 0) {
        meter::DrawImageInBands(painter, QPoint(tail, 0),
                                QImage(pixels, origin_, height_, stride, QImage::Format_RGB32));
    }
}

}  // namespace orvane
