#pragma once

#include <meter/meter_export.h>

#include <QPoint>
#include <QRect>

class QPainter;

// Pictures drawn pixel for pixel at any device pixel ratio.
//
// At a fractional ratio (1.25, 1.5, 1.75) a widget's logical rectangle becomes a whole
// number of device pixels only by rounding: the paint system rounds each edge to the
// nearest device pixel and clips the widget there. A picture made in logical pixels and
// drawn scaled by such a ratio is resampled: its last device column and row may stay
// unpainted, and lines one logical pixel wide come out one or two device pixels wide
// depending on where they fall. A widget that draws crisp lines therefore makes its
// picture in device pixels and puts it on the device pixels it covers, one to one.
namespace meter {

// Where a logical rectangle lands on the painter's device.
struct DeviceArea {
    // The device pixels covered: each edge mapped and rounded as the paint system does.
    QRect pixels;
    // Device pixels per logical pixel.
    double ratio = 1.0;
    // False when the painter rotates, shears or scales x and y differently; then no
    // picture can be put on the device one to one.
    bool aligned = false;
};
METER_EXPORT DeviceArea DeviceAreaOf(const QPainter& painter, const QRect& logical);

// From here on the painter's unit is one device pixel and `origin` (a device pixel) is
// its (0, 0): images with a pixel ratio of 1 drawn through it are copied pixel for pixel.
METER_EXPORT void PaintInDevicePixels(QPainter& painter, QPoint origin);

// The device pixels that the logical pixels start .. start + length - 1 of a window
// cover at a ratio (both edges rounded to the nearest device pixel).
METER_EXPORT int DeviceExtent(int start, int length, double ratio);

// The width in device pixels of a line one logical pixel wide: the ratio rounded to the
// nearest whole number, at least 1, so the line has the same width everywhere.
METER_EXPORT int LinePixels(double ratio);

}  // namespace meter
