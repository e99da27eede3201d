#pragma once

// Painting of the gauge. The picture is built in two layers: the static layer
// (background, zone bands, scale arc, ticks, scale numbers, caption) and the needle
// with its hub on top. Painting both in one go is the full paint; the widget keeps
// the static layer and repaints only the needle when nothing else changed, which
// gives the same pixels because the needle and hub are drawn last.

#include "DialGeometry.h"
#include "DialText.h"
#include "MeterState.h"

#include <QImage>
#include <QPalette>
#include <QPoint>
#include <QSize>

#include <vector>

class QPainter;

namespace meter::detail {

// Where the static layer put the dial; all the needle needs.
struct DialLayout {
    Box dialBox;
    bool numbersOn = false;
};

// Fills bounds with the background and draws zones, arc, ticks, numbers and caption.
DialLayout PaintStaticLayer(QPainter& painter, const MeterState& state, const QPalette& palette,
                            const Box& bounds, DialText& dialText);

// Draws the clamped needle and the hub over a static layer.
void PaintNeedle(QPainter& painter, const MeterState& state, const QPalette& palette,
                 const DialLayout& layout);

// The whole gauge straight into a painter.
void PaintGauge(QPainter& painter, const MeterState& state, const QPalette& palette,
                const Box& bounds, DialText& dialText);

// One piece of the border drawn in device pixels, with where it goes.
struct BorderStrip {
    QPoint at;
    QImage pixels;
};

// Off-screen images of one gauge: the static layer, kept until a property, font, size,
// palette, resolution or pixel ratio changes, and the finished frame, kept until the
// needle changes as well. The border drawn in device pixels is kept like the static
// layer, for one device size, border width and line thickness.
class DialCache {
public:
    void InvalidateAll() noexcept {
        staticValid_ = false;
        borderValid_ = false;
    }
    void InvalidateNeedle() noexcept { frameValid_ = false; }

    // Brings the frame up to date for a client area of the given size, drawn at the
    // pixel ratio and resolution given on an image of `pixels` device pixels (at ratio 1
    // the size itself; otherwise the device pixels the area covers, which the dial's
    // background fills completely). Returns nullptr when the image cannot be made (then
    // nothing is drawn).
    const QImage* Frame(const MeterState& state, const QPalette& palette, QSize size, qreal dpr,
                        QSize pixels, int dpiX, int dpiY, DialText& dialText);

    // The border's strips for a device of the given size, border width and line
    // thickness; `make` builds them when the kept ones are for something else.
    template <class Make>
    const std::vector<BorderStrip>& Border(QSize device, int width, int line, Make&& make) {
        if (!borderValid_ || device != borderDevice_ || width != borderWidth_ ||
            line != borderLine_) {
            border_ = make();
            borderDevice_ = device;
            borderWidth_ = width;
            borderLine_ = line;
            borderValid_ = true;
        }
        return border_;
    }

private:
    bool PrepareImages(QSize size, qreal dpr, QSize pixels, int dpiX, int dpiY);

    QImage static_;
    QImage frame_;
    DialLayout layout_;
    QSize size_;
    QSize pixels_;
    qreal dpr_ = 0.0;
    int dpiX_ = 0;
    int dpiY_ = 0;
    bool staticValid_ = false;
    bool frameValid_ = false;
    std::vector<BorderStrip> border_;
    QSize borderDevice_;
    int borderWidth_ = 0;
    int borderLine_ = 0;
    bool borderValid_ = false;
};

}  // namespace meter::detail
