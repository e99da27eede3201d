// Painting of the widget: border, off-screen frame, and the direct drawing path.
#include <meter/DrawImageInBands.h>
#include <meter/Meter.h>

#include "MeterPrivate.h"

#include <qdrawutil.h>
#include <QEvent>
#include <QPaintEngine>
#include <QPainter>

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

}  // namespace

void Meter::UpdateBorder() {
    const int width = BorderWidth(d_->state);
    setContentsMargins(width, width, width, width);
}

void Meter::PaintBorder(QPainter& painter) {
    switch (BorderWidth(d_->state)) {
        case 2:  // the sunken three-dimensional edge
            qDrawWinPanel(&painter, rect(), DrawingPalette(*this), true);
            break;
        case 1:  // a flat single line
            qDrawPlainRect(&painter, rect(), Qt::black, 1);
            break;
        default:
            break;
    }
}

void Meter::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    PaintBorder(painter);
    const QRect client = contentsRect();
    if (client.isEmpty()) return;

    QPaintEngine* engine = painter.paintEngine();
    if (engine != nullptr && engine->type() != QPaintEngine::Raster) {
        // Printing, QPicture, SVG: draw the gauge itself rather than a picture of it.
        DrawMetafile(painter, client);
        return;
    }
    // The pixel ratio of the surface actually painted (the screen's backing store, or
    // the image QWidget::render() paints into).
    const QPaintDevice* target = engine != nullptr ? engine->paintDevice() : nullptr;
    const qreal dpr = target != nullptr ? target->devicePixelRatio() : devicePixelRatio();
    const QImage* frame = d_->cache.Frame(d_->state, DrawingPalette(*this), client.size(), dpr,
                                          logicalDpiX(), logicalDpiY(), d_->text);
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
