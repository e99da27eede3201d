#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ChartSeries.h"
#include "analysis/ChartTimeline.h"
#include "analysis/ComputedSummary.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// What a chart draws at one view, for a list of series: per pixel column the samples
// that fall into it and each series' smallest and largest value over them; and, once
// the columns hold a sample or less each, the samples themselves as points.
//
// A sample falls into the column of its pixel (see ChartTimeline). Far out, where a
// column spans several of the summary's blocks, whole blocks fall into the column of
// their first sample, except at a pause, where the samples after it go to the far side
// of the break; the extremes are then read off the summary. Closer in, the samples in
// view are read from the log (one positional read) and each falls exactly into its own
// column. Either way every sample in view falls into exactly one column and its
// column's extremes are exact for the samples that fall into it, so a single-sample
// spike shows at every zoom.
//
// Computed items work the same way with a ComputedSummary of the log: far out their
// extremes come from its blocks, close in the samples in view are evaluated. A column
// where a computed item has no value at all has NaN extremes (and a point NaN value).
// The same summary tells, per column (and per point), how many samples pass the filter.
class ChartFrame {
public:
    struct Point {
        std::int64_t Sample = 0;
        double X = 0;  // its pixel, possibly outside the view (the points either side of it)
    };

    // Works out the frame. `scratch` is a buffer kept by the caller between frames.
    // nullopt with the reason in `error` when the log cannot be read.
    static std::optional<ChartFrame> Compute(const ChartTimeline& timeline, const LogFile& log,
                                             const std::vector<ChartSeries>& series,
                                             const ChartView& view,
                                             std::vector<std::uint8_t>& scratch,
                                             std::string& error);
    // The same with the computed items and the filter of `computed` (null, or one made
    // for another summary: computed series have no values, and nothing is filtered).
    static std::optional<ChartFrame> Compute(const ChartTimeline& timeline, const LogFile& log,
                                             const std::vector<ChartSeries>& series,
                                             const ChartView& view, const ComputedSummary* computed,
                                             std::vector<std::uint8_t>& scratch,
                                             std::string& error);

    const ChartView& View() const noexcept { return view_; }
    int Width() const noexcept { return view_.Width; }

    // The samples of column `column` (empty when none falls into it).
    SampleRange Samples(int column) const noexcept {
        return columns_[static_cast<std::size_t>(column)];
    }
    // Smallest and largest value of series `series` in column `column` (both 0 for an
    // empty column).
    std::pair<double, double> Extremes(std::size_t series, int column) const noexcept {
        return extremes_[series][static_cast<std::size_t>(column)];
    }
    // The first and last sample in view (empty when the view shows none).
    SampleRange InView() const noexcept { return inView_; }

    // True when the samples are drawn as points joined by lines; then the points in view
    // and the one either side, in order, and each series' value at each.
    bool ShowsPoints() const noexcept { return points_; }
    const std::vector<Point>& Points() const noexcept { return pointList_; }
    double PointValue(std::size_t series, std::size_t point) const noexcept {
        return pointValues_[series][point];
    }

    // The sample a click or the cursor at pixel x stands for: with points the one
    // nearest to x, else the first of the nearest column holding samples; 0 for none.
    std::int64_t SampleAt(double x) const noexcept;

    // The pixel of a sample: its point's, else the middle of its column; -1 left of the
    // view and Width() right of it; nullopt when the view shows no sample.
    std::optional<double> PixelOf(std::int64_t sample) const noexcept;

    // Memory the frame holds.
    std::size_t MemoryBytes() const noexcept;

    // True when a filter applies; then how many samples of a column pass it, and whether
    // the sample of a point does.
    bool Filtered() const noexcept { return filtered_; }
    std::int64_t Passed(int column) const noexcept {
        return filtered_ ? passed_[static_cast<std::size_t>(column)] : Samples(column).Count();
    }
    bool PointPasses(std::size_t point) const noexcept {
        return !filtered_ || pointPass_[point] != 0;
    }

    // The breaks in view: index in the timeline's Breaks() and left pixel.
    const std::vector<std::pair<std::size_t, double>>& Breaks() const noexcept { return breaks_; }

private:
    ChartView view_;
    std::vector<SampleRange> columns_;
    std::vector<std::vector<std::pair<double, double>>> extremes_;
    SampleRange inView_{1, 0};
    bool points_ = false;
    std::vector<Point> pointList_;
    std::vector<std::vector<double>> pointValues_;
    std::vector<std::pair<std::size_t, double>> breaks_;
    std::vector<int> filled_;  // the columns that hold samples, in order
    bool filtered_ = false;
    std::vector<std::int64_t> passed_;     // per column, when filtered
    std::vector<std::uint8_t> pointPass_;  // per point, when filtered
};

}  // namespace orvane
