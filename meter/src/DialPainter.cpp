#include "DialPainter.h"

#include <meter/ColourTranslation.h>
#include <meter/DevicePixels.h>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

namespace meter::detail {

namespace {

// The band colours are fixed: they mean the same on every gauge.
const QColor GreenBand(0, 255, 0);
const QColor YellowBand(255, 255, 0);
const QColor RedBand(255, 0, 0);

QRect ToRect(const Box& box) {
    return {box.left, box.top, box.Width(), box.Height()};
}
QRectF ToRectF(const Box& box) {
    return {QPointF(box.left, box.top), QPointF(box.right, box.bottom)};
}

// The dial's one-pixel lines. On a device of a fractional pixel ratio a pen one logical
// pixel wide would cover one or two device pixels depending on where a line falls; there
// the lines are drawn with a fixed number of device pixels (the ratio rounded).
QPen SolidPen(const QPainter& painter, const QColor& colour) {
    const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1.0;
    if (dpr != 1.0) {
        QPen pen(colour, LinePixels(dpr), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setCosmetic(true);
        return pen;
    }
    QPen pen(colour, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    return pen;
}

void UsePenAndBrush(QPainter& painter, const QColor& colour) {
    painter.setPen(SolidPen(painter, colour));
    painter.setBrush(colour);
}

// A pie as the dial has always drawn them: the sector of the ellipse in box from the
// ray through `from` counter-clockwise to the ray through `to`, in one colour. The
// radial points are the truncated integer points, so the angles are taken from them.
// Two points on the same ray make an empty sector (a band narrower than a pixel is not
// drawn at all). Outline and fill have the same colour, so the sector is only filled:
// stroking a curved outline costs more than all the rest of the dial together and
// changes nothing but edge pixels.
void FillPie(QPainter& painter, const Box& box, QPoint from, QPoint to, const QColor& colour) {
    const double cx = (box.left + box.right) / 2.0;
    const double cy = (box.top + box.bottom) / 2.0;
    const double toDegrees = 180.0 / std::numbers::pi;
    const double start = std::atan2(cy - from.y(), from.x() - cx) * toDegrees;
    const double end = std::atan2(cy - to.y(), to.x() - cx) * toDegrees;
    double sweep = std::fmod(end - start, 360.0);
    if (sweep < 0.0) sweep += 360.0;
    if (sweep == 0.0) return;
    QPainterPath path;
    path.moveTo(cx, cy);
    path.arcTo(ToRectF(box), start, sweep);
    path.closeSubpath();
    painter.fillPath(path, colour);
}

void DrawZones(QPainter& painter, const MeterState& state, const Dial& dial,
               const QColor& background) {
    const Scale scale{state.minValue, state.maxValue};
    const int r = dial.RingRadius();
    const QPoint leftEnd = PointAt(dial.cx, dial.cy, r, scale.ValueToAngle(scale.minValue));
    // Red first and green last: each later band covers the earlier ones from MinValue
    // up to its own maximum.
    const struct {
        double maximum;
        const QColor& colour;
    } bands[] = {{state.maxRedZone, RedBand},
                 {state.maxYellowZone, YellowBand},
                 {state.maxGreenZone, GreenBand}};
    bool drawn = false;
    for (const auto& band : bands) {
        if (!(band.maximum > state.minValue)) continue;
        FillPie(painter, dial.Outer(),
                PointAt(dial.cx, dial.cy, r, scale.ValueToAngle(band.maximum)), leftEnd,
                band.colour);
        drawn = true;
    }
    // Clearing the upper half of the inner disc leaves a ring of width t. Each band used
    // to clear it after its own pie; once after the last band gives the same pixels,
    // since the clearing sector is the same every time and lies over all of them.
    if (drawn) {
        FillPie(painter, dial.Inner(),
                PointAt(dial.cx, dial.cy, r, scale.ValueToAngle(scale.maxValue)), leftEnd,
                background);
    }
}

void DrawScale(QPainter& painter, const Dial& dial, const QColor& colour) {
    painter.setPen(SolidPen(painter, colour));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(ToRectF(dial.Outer()), 0, 180 * 16);
    for (int i = 0; i <= 8; ++i) painter.drawLine(dial.TickInner(i), dial.TickOuter(i));
}

enum class Align { Left, Centre, Right };

// Text placed by an alignment point whose y is the bottom of the text cell, clipped to
// a rectangle.
void DrawAlignedText(QPainter& painter, DialText& dialText, int descent, const QString& text,
                     int width, Align align, QPoint reference, const Box& clip) {
    if (text.isEmpty()) return;
    int left = reference.x();
    if (align == Align::Right) left -= width;
    if (align == Align::Centre) left -= width / 2;
    painter.save();
    painter.setClipRect(ToRect(clip), Qt::IntersectClip);
    dialText.Draw(painter, text, QPoint(left, reference.y() - descent));
    painter.restore();
}

// The scale numbers with their measurements in the number font, taken once per paint:
// the label margin uses the widths of the end values, the labels all five.
struct ScaleNumbers {
    std::array<QString, 5> texts;
    std::array<int, 5> widths{};
    int height = 0;
    int descent = 0;
    int averageCharWidth = 0;
};

ScaleNumbers MeasureScaleNumbers(QPainter& painter, DialText& dialText, const MeterState& state) {
    ScaleNumbers numbers;
    numbers.texts = ScaleLabels({state.minValue, state.maxValue}, state.decmalLength);
    for (std::size_t i = 0; i < numbers.texts.size(); ++i)
        numbers.widths[i] = dialText.Width(painter, numbers.texts[i]);
    const QFontMetrics metrics = painter.fontMetrics();
    numbers.height = metrics.height();
    numbers.descent = metrics.descent();
    numbers.averageCharWidth = metrics.averageCharWidth();
    return numbers;
}

void DrawScaleNumbers(QPainter& painter, DialText& dialText, const MeterState& state,
                      const ScaleNumbers& numbers, const Dial& dial, const QColor& colour) {
    painter.setFont(state.numberFont);
    painter.setPen(colour);
    const int h = numbers.height;
    const auto label = [&](std::size_t index, int tick, Align align, int dy) {
        const QString& text = numbers.texts[index];
        const int w = numbers.widths[index];
        const QPoint p = dial.TickOuter(tick);
        const int bottom = p.y() + dy;
        switch (align) {
            case Align::Left:
                DrawAlignedText(painter, dialText, numbers.descent, text, w, align, {p.x(), bottom},
                                {p.x(), bottom - h, p.x() + w, bottom});
                break;
            case Align::Right:
                DrawAlignedText(painter, dialText, numbers.descent, text, w, align, {p.x(), bottom},
                                {p.x() - w, bottom - h, p.x(), bottom});
                break;
            case Align::Centre: {
                const int l = p.x() - w / 2;
                const int r = l + w;
                DrawAlignedText(painter, dialText, numbers.descent, text, w, align,
                                {(l + r) / 2, bottom}, {l, bottom - h, r, bottom});
                break;
            }
        }
    };
    // The end values sit beside the ends of the scale, vertically centred on them; the
    // inner ones outside the ticks at 45, 90 and 135 degrees.
    label(0, 0, Align::Left, h / 2);
    label(1, 2, Align::Left, 0);
    label(2, 4, Align::Centre, 0);
    label(3, 6, Align::Right, 0);
    label(4, 8, Align::Right, h / 2);
}

void DrawCaption(QPainter& painter, DialText& dialText, const MeterState& state, const Dial& dial,
                 const QColor& colour) {
    if (state.caption.isEmpty()) return;
    painter.setFont(state.captionFont);
    painter.setPen(colour);
    const QFontMetrics metrics = painter.fontMetrics();
    const int h = metrics.height();
    const Box rect{Trunc(dial.cx + dial.R2 * std::cos(Angle::ThreePiOver4)),
                   Trunc(dial.cy - dial.R2 * std::sin(Angle::PiOver4)),
                   Trunc(dial.cx + dial.R2 * std::cos(Angle::PiOver4)), dial.cy - dial.t};
    const QPoint reference((rect.left + rect.right) / 2, (rect.top + rect.bottom + h) / 2);
    DrawAlignedText(painter, dialText, metrics.descent(), state.caption,
                    dialText.Width(painter, state.caption), Align::Centre, reference, rect);
}

}  // namespace

DialLayout PaintStaticLayer(QPainter& painter, const MeterState& state, const QPalette& palette,
                            const Box& bounds, DialText& dialText) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor background = ToQColor(state.backColor, palette);
    painter.fillRect(ToRect(bounds), background);

    // Step 4, the label margin: room for the wider of the two end values.
    painter.setFont(state.numberFont);
    const ScaleNumbers numbers = MeasureScaleNumbers(painter, dialText, state);
    const LabelMargin margin{
        std::max(numbers.widths[0], numbers.widths[4]) + numbers.averageCharWidth,
        numbers.height + numbers.height / 2};

    const DialArea area = DialAreaFor(bounds, margin);
    const DialLayout layout{FitDialBox(area.rect), area.numbersOn};
    const Dial dial = DialFor(layout.dialBox);

    DrawZones(painter, state, dial, background);
    DrawScale(painter, dial, ToQColor(state.scaleColor, palette));
    if (layout.numbersOn)
        DrawScaleNumbers(painter, dialText, state, numbers, dial,
                         ToQColor(state.numberColor, palette));
    DrawCaption(painter, dialText, state, dial, ToQColor(state.captionColor, palette));
    painter.restore();
    return layout;
}

void PaintNeedle(QPainter& painter, const MeterState& state, const QPalette& palette,
                 const DialLayout& layout) {
    const Dial dial = DialFor(layout.dialBox);
    const Scale scale{state.minValue, state.maxValue};
    const double a = scale.ValueToAngle(scale.NeedleValue(state.value));
    const QPoint tip = PointAt(dial.cx, dial.cy, dial.R - dial.t, a);
    const QColor colour = ToQColor(state.needleColor, palette);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    UsePenAndBrush(painter, colour);
    if (state.thickNeedle) {
        const int w = dial.NeedleHalfWidth();
        const QPoint triangle[3] = {tip, PointAt(dial.cx, dial.cy, w, a + Angle::PiOver2),
                                    PointAt(dial.cx, dial.cy, w, a - Angle::PiOver2)};
        painter.drawPolygon(triangle, 3);
    } else {
        painter.drawLine(tip, QPoint(dial.cx, dial.cy));
    }
    // The hub: black outline, filled with the needle's colour.
    painter.setPen(SolidPen(painter, Qt::black));
    const Box hub = dial.Hub();
    painter.drawEllipse(ToRectF(hub));
    painter.restore();
}

void PaintGauge(QPainter& painter, const MeterState& state, const QPalette& palette,
                const Box& bounds, DialText& dialText) {
    const DialLayout layout = PaintStaticLayer(painter, state, palette, bounds, dialText);
    PaintNeedle(painter, state, palette, layout);
}

bool DialCache::PrepareImages(QSize size, qreal dpr, QSize pixels, int dpiX, int dpiY) {
    if (size == size_ && dpr == dpr_ && pixels == pixels_ && dpiX == dpiX_ && dpiY == dpiY_ &&
        !static_.isNull())
        return true;
    static_ = QImage(pixels, QImage::Format_RGB32);
    frame_ = QImage(pixels, QImage::Format_RGB32);
    size_ = QSize();
    staticValid_ = false;
    frameValid_ = false;
    if (static_.isNull() || frame_.isNull()) {
        static_ = QImage();
        frame_ = QImage();
        return false;
    }
    // Fonts given in points come out as large as on the widget itself.
    const int dpmX = qRound(dpiX / 0.0254);
    const int dpmY = qRound(dpiY / 0.0254);
    for (QImage* image : {&static_, &frame_}) {
        image->setDevicePixelRatio(dpr);
        image->setDotsPerMeterX(dpmX);
        image->setDotsPerMeterY(dpmY);
    }
    size_ = size;
    pixels_ = pixels;
    dpr_ = dpr;
    dpiX_ = dpiX;
    dpiY_ = dpiY;
    return true;
}

const QImage* DialCache::Frame(const MeterState& state, const QPalette& palette, QSize size,
                               qreal dpr, QSize pixels, int dpiX, int dpiY, DialText& dialText) {
    if (size.isEmpty() || pixels.isEmpty() || !PrepareImages(size, dpr, pixels, dpiX, dpiY))
        return nullptr;
    if (!staticValid_) {
        // The background first covers device pixels beyond the logical size as well.
        static_.fill(ToQColor(state.backColor, palette));
        QPainter painter(&static_);
        layout_ = PaintStaticLayer(painter, state, palette, {0, 0, size.width(), size.height()},
                                   dialText);
        staticValid_ = true;
        frameValid_ = false;
    }
    if (!frameValid_) {
        std::memcpy(frame_.bits(), static_.constBits(), static_cast<size_t>(static_.sizeInBytes()));
        QPainter painter(&frame_);
        PaintNeedle(painter, state, palette, layout_);
        frameValid_ = true;
    }
    return &frame_;
}

}  // namespace meter::detail
