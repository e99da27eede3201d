#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

// Pixel-exact line drawing for the plot surface. Qt's own line drawing decides end
// points and half-pixel cases differently from the classic raster rules the graph's
// pictures are built on, so the graph enumerates its pixels here and writes them
// itself. Both functions call plot(x, y) once for every pixel of the line that lies
// inside [0, width) x [0, height).
namespace orvane::raster {

// A one-pixel line from (x0, y0) to (x1, y1). The start point is drawn and the end point
// is not, so a line that continues where the previous one ended never draws the joint
// twice, and a line to its own start point draws nothing. Along the major axis every
// pixel is visited once; the other coordinate is rounded to the nearest pixel, an exact
// half towards the start point.
template <class Plot>
void ThinLine(int x0, int y0, int x1, int y1, int width, int height, Plot&& plot) {
    const std::int64_t dx = std::int64_t{x1} - x0;
    const std::int64_t dy = std::int64_t{y1} - y0;
    const std::int64_t n = std::max(std::abs(dx), std::abs(dy));
    if (n == 0) return;

    const bool yMajor = std::abs(dy) >= std::abs(dx);
    const std::int64_t majorStart = yMajor ? y0 : x0;
    const std::int64_t majorStep = (yMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t majorLimit = yMajor ? height : width;
    const std::int64_t minorStart = yMajor ? x0 : y0;
    const std::int64_t minorStep = (yMajor ? dx : dy) < 0 ? -1 : 1;
    const std::int64_t minorSpan = std::abs(yMajor ? dx : dy);
    const std::int64_t minorLimit = yMajor ? width : height;

    // Only the steps whose major coordinate lies inside the surface are walked, so a
    // line reaching far outside costs no more than one that fits.
    std::int64_t first = 0;
    std::int64_t last = n;
    if (majorStep > 0) {
        first = std::max(first, -majorStart);
        last = std::min(last, majorLimit - majorStart);
    } else {
        first = std::max(first, majorStart - majorLimit + 1);
        last = std::min(last, majorStart + 1);
    }
    // i < 2^29 (a surface side) and minorSpan < 2^33, so the products stay in 64 bits.
    for (std::int64_t i = first; i < last; ++i) {
        const std::int64_t major = majorStart + majorStep * i;
        const std::int64_t minor = minorStart + minorStep * ((2 * i * minorSpan + n - 1) / (2 * n));
        if (minor < 0 || minor >= minorLimit) continue;
        if (yMajor) {
            plot(static_cast<int>(minor), static_cast<int>(major));
        } else {
            plot(static_cast<int>(major), static_cast<int>(minor));
        }
    }
}

// A line of penWidth pixels (2 or more) with round caps at both ends: every pixel whose
// centre lies within penWidth / 2 of the segment. For an even width the segment runs
// along the corners between pixels (half a pixel up and left of the points), so that
// exactly penWidth rows or columns are covered.
template <class Plot>
void WideLine(int x0, int y0, int x1, int y1, int penWidth, int width, int height, Plot&& plot) {
    // Half-pixel units: pixel centres and pixel corners are both whole numbers.
    const double shift = penWidth % 2 == 0 ? 1.0 : 0.0;
    const double ax = 2.0 * x0 - shift;
    const double ay = 2.0 * y0 - shift;
    const double bx = 2.0 * x1 - shift;
    const double by = 2.0 * y1 - shift;
    const double radius2 = static_cast<double>(penWidth) * penWidth;
    const double ux = bx - ax;
    const double uy = by - ay;
    const double length2 = ux * ux + uy * uy;

    const std::int64_t reach = penWidth / 2 + 1;
    const std::int64_t left = std::max<std::int64_t>(0, std::int64_t{std::min(x0, x1)} - reach);
    const std::int64_t right =
        std::min<std::int64_t>(width, std::int64_t{std::max(x0, x1)} + reach + 1);
    const std::int64_t top = std::max<std::int64_t>(0, std::int64_t{std::min(y0, y1)} - reach);
    const std::int64_t bottom =
        std::min<std::int64_t>(height, std::int64_t{std::max(y0, y1)} + reach + 1);

    for (std::int64_t y = top; y < bottom; ++y) {
        for (std::int64_t x = left; x < right; ++x) {
            const double px = 2.0 * static_cast<double>(x) - ax;
            const double py = 2.0 * static_cast<double>(y) - ay;
            const double along = px * ux + py * uy;
            double distance2;
            if (length2 == 0.0 || along <= 0.0) {
                distance2 = px * px + py * py;
            } else if (along >= length2) {
                const double qx = px - ux;
                const double qy = py - uy;
                distance2 = qx * qx + qy * qy;
            } else {
                const double cross = px * uy - py * ux;
                distance2 = cross * cross / length2;
            }
            if (distance2 <= radius2) plot(static_cast<int>(x), static_cast<int>(y));
        }
    }
}

}  // namespace orvane::raster
