// Painting of the widget: border, off-screen frame, and the direct drawing path.
#include <meter/DevicePixels.h>
#include <meter/DrawImageInBands.h>
#include <meter/Meter.h>

#include "MeterPrivate.h"

#include <qdrawutil.h>
#include <QEvent>
#include <QPaintEngine>
#include <QPainter>

#include <cmath>
#include <utility>
#include <vector>

using namespace meter::detail;

namespace {

// System colours are the same whether or not the gauge's window is active.
QPalette DrawingPalette(const QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setCurrentColorGroup(QPalette::Active);
    return palette;
}

int BorderWidth(const MeterState& state) {
    if (state.borderStyle == 0) return 0;
    return state.appearance != 0 ? 2 : 1;
}

void DrawBorder(QPainter& painter, const QRect& bounds, int width, const QPalette& palette) {
    switch (width) {
        case 2:  // the sunken three-dimensional edge
            qDrawWinPanel(&painter, bounds, palette, true);
            break;
        case 1:  // a flat single line
            qDrawPlainRect(&painter, bounds, Qt::black, 1);
            break;
        default:
            break;
    }
}

// The border on a device of a pixel ratio other than 1, in device pixels: drawn in one
// pixel lines on a small picture and enlarged so that each of its lines is `line` device
// pixels thick on every side (scaling the border itself would make its lines one or two
// device pixels thick, depending on where they fall). Built pixel by pixel, so the gauge
// keeps the strips rather than making them on every paint.
std::vector<BorderStrip> MakeBorderInDevicePixels(QSize device, int width, int line,
                                                  const QPalette& palette) {
    std::vector<BorderStrip> result;
    if (width == 0) return result;
    const int small = 2 * width + 2;  // the lines of both sides and a middle
    QImage picture(small, small, QImage::Format_RGB32);
    picture.fill(Qt::black);
    {
        QPainter smallPainter(&picture);
        DrawBorder(smallPainter, picture.rect(), width, palette);
    }
    const int thickness = width * line;
    // The small picture's pixel a device pixel takes: the lines from the nearer edge,
    // the middle elsewhere.
    const auto source = [&](int at, int length) {
        if (at < thickness) return at / line;
        if (at >= length - thickness) return small - 1 - (length - 1 - at) / line;
        return width;
    };
    const QRect strips[] = {
        {0, 0, device.width(), thickness},
        {0, device.height() - thickness, device.width(), thickness},
        {0, thickness, thickness, device.height() - 2 * thickness},
        {device.width() - thickness, thickness, thickness, device.height() - 2 * thickness}};
    for (const QRect& strip : strips) {
        if (strip.isEmpty()) continue;
        QImage pixels(strip.size(), QImage::Format_RGB32);
        for (int y = 0; y < strip.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            const int sy = source(strip.y() + y, device.height());
            for (int x = 0; x < strip.width(); ++x)
                row[x] = picture.pixel(source(strip.x() + x, device.width()), sy);
        }
        result.push_back({strip.topLeft(), std::move(pixels)});
    }
    return result;
}

// The whole gauge on a device of a pixel ratio other than 1, in device pixels: border
// lines of even width and a frame made for exactly the device pixels inside them, copied
// one to one.
void PaintGaugeInDevicePixels(QPainter& painter, const QWidget& widget, MeterPrivate& d,
                              const meter::DeviceArea& area, qreal dpr) {
    meter::PaintInDevicePixels(painter, area.pixels.topLeft());
    const QSize device = area.pixels.size();
    const int width = BorderWidth(d.state);
    const int line = meter::LinePixels(dpr);
    const int border = width * line;
    const QPalette palette = DrawingPalette(widget);
    const auto& strips = d.cache.Border(device, width, line, [&] {
        return MakeBorderInDevicePixels(device, width, line, palette);
    });
    for (const BorderStrip& strip : strips) painter.drawImage(strip.at, strip.pixels);
    const QSize pixels(device.width() - 2 * border, device.height() - 2 * border);
    if (pixels.isEmpty()) return;
    // The dial is laid out on the logical size that fits those pixels.
    const QSize logical(static_cast<int>(pixels.width() / dpr),
                        static_cast<int>(pixels.height() / dpr));
    if (logical.isEmpty()) return;
    const QImage* frame = d.cache.Frame(d.state, palette, logical, dpr, pixels,
                                        widget.logicalDpiX(), widget.logicalDpiY(), d.text);
    if (frame == nullptr) return;
    const QImage view(frame->constBits(), frame->width(), frame->height(), frame->bytesPerLine(),
                      frame->format());
    meter::DrawImageInBands(painter, QPoint(border, border), view);
}

}  // namespace

void Meter::UpdateBorder() {
    const int width = BorderWidth(d_->state);
    setContentsMargins(width, width, width, width);
}

void Meter::PaintBorder(QPainter& painter) {
    DrawBorder(painter, rect(), BorderWidth(d_->state), DrawingPalette(*this));
}

void Meter::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    QPaintEngine* engine = painter.paintEngine();
    // The pixel ratio of the surface actually painted (the screen's backing store, or
    // the image QWidget::render() paints into).
    const QPaintDevice* target = engine != nullptr ? engine->paintDevice() : nullptr;
    const qreal dpr = target != nullptr ? target->devicePixelRatio() : devicePixelRatio();
    const meter::DeviceArea area = meter::DeviceAreaOf(painter, rect());
    const bool raster = engine == nullptr || engine->type() == QPaintEngine::Raster;
    if (raster && dpr != 1.0 && area.aligned && area.ratio == dpr) {
        PaintGaugeInDevicePixels(painter, *this, *d_, area, dpr);
        return;
    }
    PaintBorder(painter);
    const QRect client = contentsRect();
    if (client.isEmpty()) return;

    if (!raster) {
        // Printing, QPicture, SVG: draw the gauge itself rather than a picture of it.
        DrawMetafile(painter, client);
        return;
    }
    const QSize pixels(static_cast<int>(std::ceil(client.width() * dpr)),
                       static_cast<int>(std::ceil(client.height() * dpr)));
    const QImage* frame = d_->cache.Frame(d_->state, DrawingPalette(*this), client.size(), dpr,
                                          pixels, logicalDpiX(), logicalDpiY(), d_->text);
    if (frame == nullptr) return;
    meter::DrawImageInBands(painter, client.topLeft(), *frame);
}

void Meter::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        d_->cache.InvalidateAll();
        update();
    }
    QWidget::changeEvent(event);
}

void Meter::DrawMetafile(QPainter& painter, const QRect& bounds) {
    struct FlagGuard {
        bool& flag;
        explicit FlagGuard(bool& f) : flag(f) { flag = true; }
        ~FlagGuard() { flag = false; }
    } guard(d_->drawingMetafile);
    painter.save();
    PaintGauge(painter, d_->state, DrawingPalette(*this),
               {bounds.x(), bounds.y(), bounds.x() + bounds.width(), bounds.y() + bounds.height()},
               d_->text);
    painter.restore();
}

bool Meter::IsDrawingMetafile() const {
    return d_->drawingMetafile;
}
