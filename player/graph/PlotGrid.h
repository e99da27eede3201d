#pragma once

#include <cstdint>

#include "graph/PlotPen.h"

namespace orvane {

// Where the strip chart's pixels fall on the screen's device pixels.
//
// The plot's rules count pixels of the picture (logical pixels). On a screen with a
// device pixel ratio r each of them covers r device pixels, not a whole number at 125 %
// or 150 %, so a plot drawn in logical pixels and scaled up would show one-pixel lines
// one or two device pixels wide, depending on where they fall. The graph therefore
// draws in device pixels on this grid: a one-pixel line is Dot() device pixels wide (r
// rounded) everywhere, each point moves the picture by r device pixels on average (1 or
// 2 at 1.5, in a fixed pattern, so the picture holds as many points as it has logical
// columns), and rows spread over the whole device height. At ratio 1 the grid is the
// picture's own pixels and every position is the one the plain rules give.
class PlotGrid {
public:
    // A grid of width x height device pixels at a device pixel ratio.
    PlotGrid(int width, int height, double ratio);

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    double Ratio() const noexcept { return ratio_; }
    // Device pixels across a one-pixel line, and the width of the blank right edge.
    int Dot() const noexcept { return dot_; }

    // Device columns the picture moves by when the count of plotted points goes from
    // `count` to count + 1 (and back, for a step back).
    int Step(std::int64_t count) const;
    // The column of the newest point. A line through it covers the Dot() columns left of
    // the blank right edge, as the picture's second column from the right.
    int NewestColumn() const noexcept { return width_ - 2 * dot_ + dot_ / 2; }
    // The row of a value `offset` above the lower end of a scale `span` wide: the lower
    // end lies on the bottom Dot() rows, the upper end on the top Dot() rows. Rows far
    // outside the grid are limited to a range the line drawing handles.
    int Row(double offset, double span) const;
    // The row just below the grid, where the first segment starts.
    int BelowBottom() const noexcept { return height_ + dot_ / 2; }
    // A pen of the plot (width in logical pixels, 0 for the one-pixel pen) as drawn on
    // this grid.
    PlotPen DevicePen(const PlotPen& pen) const;

private:
    int width_;
    int height_;
    double ratio_;
    int dot_;
};

}  // namespace orvane
