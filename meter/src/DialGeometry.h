#pragma once

// Integer geometry of the dial: the library's internal interface between the gauge's
// properties and its painting. Not installed; exported only so that the library's own
// tests can check the arithmetic directly.

#include <meter/meter_export.h>

#include <QPoint>
#include <QString>

#include <array>

namespace meter::detail {

// The angle constants the dial has always used. They are deliberately the stored
// ten-digit values, not full-precision multiples of pi: the truncated pixel positions
// depend on them (sin(Pi) is 9e-11, which moves the left end of the scale up by one
// pixel row), and keeping them keeps every coordinate where users have seen it.
namespace Angle {
inline constexpr double Pi = 3.1415926535;
inline constexpr double PiOver8 = 0.3926990816875;
inline constexpr double PiOver4 = 0.785398163375;
inline constexpr double PiOver2 = 1.57079632675;
inline constexpr double ThreePiOver4 = 2.356194490125;
}  // namespace Angle

// A rectangle by its edges, as the dial's arithmetic uses them: right and bottom are
// one past the last column and row (width = right - left).
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    friend bool operator==(const Box&, const Box&) = default;
};

// Truncation towards zero of a coordinate. Total: NaN gives 0 and values beyond
// +-100000000 saturate, so no input of the gauge can make a conversion undefined.
METER_EXPORT int Trunc(double value) noexcept;

// The point at angle a (radians, counter-clockwise from the positive x axis) and
// radius r round (cx, cy): (trunc(cx + r cos a), trunc(cy - r sin a)).
METER_EXPORT QPoint PointAt(int cx, int cy, int r, double a) noexcept;

// The dial inside its dial box.
struct Dial {
    int R = 0;   // scale radius
    int cx = 0;  // centre
    int cy = 0;
    int t = 0;   // ring width
    int R2 = 0;  // outer end of the ticks

    Box Outer() const noexcept { return {cx - R, cy - R, cx - R + 2 * R, cy - R + 2 * R}; }
    Box Inner() const noexcept {
        const Box o = Outer();
        return {o.left + t, o.top + t, o.right - t, o.bottom - t};
    }
    // Radius of the radial points of the zone pies.
    int RingRadius() const noexcept { return (2 * R) / 2 - (2 * R) / 20; }
    int NeedleHalfWidth() const noexcept { return R / 20; }
    Box Hub() const noexcept { return {cx - t, cy - t, cx - t + R / 5, cy - t + R / 5}; }
    // Outer end of tick i (0 at the right end, 4 at the top, 8 at the left end).
    QPoint TickOuter(int i) const noexcept { return PointAt(cx, cy, R2, i * Angle::PiOver8); }
    QPoint TickInner(int i) const noexcept { return PointAt(cx, cy, R, i * Angle::PiOver8); }
};

METER_EXPORT Dial DialFor(const Box& dialBox) noexcept;

// Fits the half dial into a rectangle: a wide rectangle gets a 2H square whose centre
// lies on its bottom edge, any other one a box centred vertically.
METER_EXPORT Box FitDialBox(const Box& rect) noexcept;

// Room the scale numbers need beside (a) and above (b) the dial.
struct LabelMargin {
    int a = 0;
    int b = 0;
};

// The rectangle the dial is fitted into, and whether the scale numbers are drawn:
// bounds less wide than 2a or less high than 2b switch the numbers off.
struct DialArea {
    Box rect;
    bool numbersOn = false;
};
METER_EXPORT DialArea DialAreaFor(const Box& bounds, LabelMargin margin) noexcept;

// The value range of the scale.
struct Scale {
    double minValue = 0.0;
    double maxValue = 100.0;

    // The span of the scale is MaxValue - MinValue for every range, a range wholly
    // below zero included: for MinValue -100 and MaxValue -50 it is 50, so -50 sits at
    // the right end of the dial and labels it. (The sum of the magnitudes, 150, would
    // have put MaxValue two thirds along the scale and -12.5 at its right end.)
    double Span() const noexcept { return maxValue - minValue; }
    // Angle of a value: Pi at MinValue, 0 at MaxValue, outside that range beyond the
    // ends. Where the angle is undefined (a span of 0, or overflow) the value sits at
    // the left end of the scale.
    METER_EXPORT double ValueToAngle(double value) const noexcept;
    // The needle's value: clamped to the scale; NaN rests at MinValue.
    METER_EXPORT double NeedleValue(double value) const noexcept;
};

// The five scale numbers, at the ticks P0 (MaxValue), P2, P4, P6 and P8 (MinValue):
// MinValue plus 1, 0.75, 0.5, 0.25 and 0 times the span, each in ScaleFormat.
METER_EXPORT std::array<QString, 5> ScaleLabels(const Scale& scale, int decimals);

// A scale number as "%1.<decimals>f" prints it in the C locale. Decimals below 0
// count as 0 and above 20 as 20 (only stored property sets can hold such values).
METER_EXPORT QString ScaleFormat(double value, int decimals);

}  // namespace meter::detail
