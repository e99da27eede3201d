#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ChartSeries.h"
#include "analysis/ChartTimeline.h"
#include "analysis/LogTimeline.h"
#include "analysis/MinMaxSummary.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// What a chart draws of a reference log laid over the open one, at one view: the
// reference is placed by the clock (reference sample r at the log's elapsed time
// reference.ElapsedMillis(r) + offset), and the log's timeline turns that time into
// pixels (ChartTimeline::PixelOfElapsed), so the reference's samples fall where the
// log's samples of the same moment are, breaks included.
//
// As ChartFrame does for the log: each pixel column stands for a stretch of elapsed time
// (from ElapsedAtPixel(c) to ElapsedAtPixel(c + 1)), the reference samples placed in it
// fall into it, and its extremes are exact for exactly those samples (whole blocks from
// the reference's summary, the rest read from the reference log), so a one-sample spike
// of the reference shows at every zoom. Far out, where a block's samples lie well within
// a pixel's time, a whole block falls into the column of its first sample, as in
// ChartFrame, which spares the reads. Once the columns hold a sample or less each, the
// samples in view (and one either side) are points joined by lines.
//
// The series are the reference's own (its slots), one per series of the chart in the
// same order; a series the reference does not record is nullopt and stays empty.
class ReferenceFrame {
public:
    struct Point {
        std::int64_t Sample = 0;  // of the reference
        double X = 0;
    };

    struct Placement {
        const ChartTimeline& Timeline;  // the log's
        ChartView View;
        const LogTimeline& Reference;
        const MinMaxSummary& Summary;  // the reference's
        const LogFile& Log;            // the reference's
        std::int64_t OffsetMillis = 0;
    };

    // nullopt with the reason in `error` when the reference cannot be read.
    static std::optional<ReferenceFrame> Compute(
        const Placement& placement, const std::vector<std::optional<ChartSeries>>& series,
        std::vector<std::uint8_t>& scratch, std::string& error);

    // The pixel of reference sample `sample` at a view (anywhere, in view or not).
    static double PixelOfSample(const ChartTimeline& timeline, const ChartView& view,
                                const LogTimeline& reference, std::int64_t offsetMillis,
                                std::int64_t sample) noexcept;

    // The reference samples whose placed time is `from` or later and before `to` (in the
    // log's elapsed milliseconds): a sample range, empty when none.
    static SampleRange SamplesBetween(const LogTimeline& reference, std::int64_t offsetMillis,
                                      double from, double to) noexcept;

    int Width() const noexcept { return width_; }
    SampleRange Samples(int column) const noexcept {
        return columns_[static_cast<std::size_t>(column)];
    }
    // Smallest and largest value of series `series` in column `column` (both 0 for an
    // empty column or a series the reference lacks).
    std::pair<double, double> Extremes(std::size_t series, int column) const noexcept {
        return extremes_[series][static_cast<std::size_t>(column)];
    }
    // The reference samples in view (empty when none).
    SampleRange InView() const noexcept { return inView_; }

    bool ShowsPoints() const noexcept { return points_; }
    const std::vector<Point>& Points() const noexcept { return pointList_; }
    double PointValue(std::size_t series, std::size_t point) const noexcept {
        return pointValues_[series][point];
    }

    std::size_t MemoryBytes() const noexcept;

private:
    int width_ = 0;
    std::vector<SampleRange> columns_;
    std::vector<std::vector<std::pair<double, double>>> extremes_;
    SampleRange inView_{1, 0};
    bool points_ = false;
    std::vector<Point> pointList_;
    std::vector<std::vector<double>> pointValues_;
};

}  // namespace orvane
