#include "graph/PlotGrid.h"

#include <algorithm>
#include <cmath>

#include <meter/DevicePixels.h>

namespace orvane {

namespace {

// Rows beyond this distance from the grid are as good as infinitely far: a line towards
// them leaves the grid at the same pixel.
constexpr double kFarRow = 1 << 24;

}  // namespace

PlotGrid::PlotGrid(int width, int height, double ratio)
    : width_(width), height_(height), ratio_(ratio), dot_(meter::LinePixels(ratio)) {}

int PlotGrid::Step(std::int64_t count) const {
    // The device column of point count is count * r rounded; the step is the difference
    // between two neighbours, 1 at every point at ratio 1.
    const auto column = [this](std::int64_t n) {
        return std::floor(static_cast<double>(n) * ratio_ + 0.5);
    };
    return static_cast<int>(column(count + 1) - column(count));
}

int PlotGrid::Row(double offset, double span) const {
    const double scale = (height_ - dot_) / span;
    const double row = (height_ - dot_ + dot_ / 2) - std::floor(scale * offset);
    if (!(row > -kFarRow)) return static_cast<int>(-kFarRow);  // NaN lands here too
    if (row > kFarRow) return static_cast<int>(kFarRow);
    return static_cast<int>(row);
}

PlotPen PlotGrid::DevicePen(const PlotPen& pen) const {
    if (pen.width <= 1) return {pen.colour, dot_ > 1 ? dot_ : 0};
    return {pen.colour, std::max(dot_, meter::LinePixels(pen.width * ratio_))};
}

}  // namespace orvane
