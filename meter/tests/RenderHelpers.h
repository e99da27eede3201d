#pragma once

// Helpers of the gauge's pixel tests.

#include <meter/Meter.h>

#include <QFont>
#include <QImage>
#include <QPoint>

#include <cmath>
#include <memory>
#include <numbers>

namespace meter::test {

inline const QColor White(255, 255, 255);
inline const QColor Green(0, 255, 0);
inline const QColor Yellow(255, 255, 0);
inline const QColor Red(255, 0, 0);
inline const QColor Blue(0, 0, 255);

// A gauge without border, caption or scale numbers (its number font is too big for
// them), on white, at the given size: the dial fills the bounds as the geometry says.
inline std::unique_ptr<Meter> PlainGauge(int width, int height) {
    auto gauge = std::make_unique<Meter>();
    gauge->SetBorderStyle(0);
    gauge->SetBackColor(meter::Colour::Rgb(255, 255, 255));
    gauge->SetCaption(QString());
    QFont huge(QStringLiteral("DejaVu Sans"));
    huge.setPointSize(60);
    gauge->SetNumberFont(huge);
    gauge->resize(width, height);
    return gauge;
}

inline QImage Grab(Meter& gauge) {
    return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixel at a radius and an angle in degrees (counter-clockwise from 3 o'clock)
// round a centre, rounded to the nearest pixel.
inline QPoint OnDial(int cx, int cy, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {static_cast<int>(std::lround(cx + radius * std::cos(a))),
            static_cast<int>(std::lround(cy - radius * std::sin(a)))};
}

// Angle of a value on a 0 to 100 scale, in degrees.
inline double DegreesOf(double value) {
    return (1.0 - value / 100.0) * 180.0;
}

inline int CountColour(const QImage& image, const QColor& colour, const QRect& area) {
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            if (image.pixelColor(x, y) == colour) ++count;
    return count;
}

}  // namespace meter::test
