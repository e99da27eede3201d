#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/LogPauses.h"
#include "analysis/MinMaxSummary.h"
#include "log/LogFile.h"

namespace orvane {

// What part of a log a chart shows, and at which zoom: the axis time (see MinMaxSummary)
// at the left edge, the milliseconds of axis time per pixel, the width in pixels, and
// the width of the break that stands for each pause.
struct ChartView {
    double StartAxis = 0;
    double MillisPerPixel = 100;
    int Width = 0;
    int BreakPixels = 10;

    friend bool operator==(const ChartView&, const ChartView&) = default;
};

// A pause of the logging as a chart lays it out: drawn as a break of BreakPixels at the
// axis time of the samples on either side (the pause adds no axis time).
struct ChartBreak {
    LogPause Pause;
    std::int64_t Axis = 0;
};

// Where the samples of a log lie on a chart's time axis. Pixel x of sample s at a view
// is (A(s) - StartAxis) / MillisPerPixel + BreakPixels * (the pauses before s that are
// in view), where A is the axis time: so time runs evenly between pauses, and each pause
// takes a narrow break of its own whatever its length. Elapsed time, which the axis is
// labelled with, is the axis time plus the lengths of the pauses before.
class ChartTimeline {
public:
    // Finds the axis time of every pause (reading the block of each; positional reads).
    // nullopt with the reason in `error` when the log cannot be read or `stop` was
    // triggered ("cancelled").
    static std::optional<ChartTimeline> Build(const LogFile& log,
                                              std::shared_ptr<const MinMaxSummary> summary,
                                              const std::vector<LogPause>& pauses,
                                              std::stop_token stop, std::string& error);

    const MinMaxSummary& Summary() const noexcept { return *summary_; }
    const std::shared_ptr<const MinMaxSummary>& SharedSummary() const noexcept { return summary_; }
    const std::vector<ChartBreak>& Breaks() const noexcept { return breaks_; }
    std::int64_t Records() const noexcept { return summary_->Records(); }

    // The pauses before sample `sample` (those whose sample before lies before it).
    std::int64_t PausesBefore(std::int64_t sample) const noexcept;
    // The pauses whose axis time lies before `axis`: those left of a view starting there.
    std::int64_t PausesBeforeAxis(double axis) const noexcept;
    // Elapsed time since the first sample of a place on the axis, after `pauses` pauses.
    double ElapsedOf(double axis, std::int64_t pauses) const noexcept;

    // The pixel of a place on the axis after `pauses` pauses, at a view.
    double PixelOf(double axis, std::int64_t pauses, const ChartView& view) const noexcept;
    // The pixel of the break of pause `index` (its left edge).
    double BreakPixel(std::size_t index, const ChartView& view) const noexcept;

    // The axis time of a sample, reading its block (nullopt when it cannot be read).
    std::optional<std::int64_t> AxisOfSample(const LogFile& log, std::int64_t sample) const;
    std::optional<double> PixelOfSample(const LogFile& log, std::int64_t sample,
                                        const ChartView& view) const;

    // The place on the axis at pixel x: its axis time and the pauses before it (inside a
    // break, the break's axis time, after its pause).
    struct Place {
        double Axis = 0;
        std::int64_t Pauses = 0;
    };
    Place PlaceAt(double x, const ChartView& view) const noexcept;

    // Elapsed time (milliseconds since the first sample, pauses included) against pixels,
    // for drawing what is timed by the clock rather than by this log's samples (another
    // log laid over this one). Between pauses time runs evenly as the axis does; the
    // length of a pause is spread evenly across its break. PixelOfElapsed puts each of
    // this log's samples at its own pixel; ElapsedAtPixel is its inverse and rises with x,
    // so the elapsed times of the pixels 0, 1, ... cut time into one stretch per column.
    double PixelOfElapsed(double elapsed, const ChartView& view) const noexcept;
    double ElapsedAtPixel(double x, const ChartView& view) const noexcept;

    // The view that shows the whole log across `width` pixels.
    ChartView WholeLog(int width, int breakPixels) const noexcept;
    // The view that shows the axis from `first` to `last` (with the pauses between).
    ChartView Showing(double first, double last, int width, int breakPixels) const noexcept;
    // `view` zoomed by `factor` (above 1: in) around pixel x, within the zoom's limits:
    // from the whole log (and a little more) to about 20 samples across.
    ChartView Zoomed(const ChartView& view, double x, double factor) const noexcept;
    // `view` moved by `pixels` (positive: later), kept over the log.
    ChartView Panned(const ChartView& view, double pixels) const noexcept;
    // Memory the timeline holds besides the summary.
    std::size_t MemoryBytes() const noexcept {
        return sizeof(*this) + breaks_.capacity() * sizeof(ChartBreak) +
               pauseSums_.capacity() * sizeof(std::int64_t);
    }
    // The finest zoom: about 20 samples across `width` pixels.
    double FinestMillisPerPixel(int width) const noexcept;

private:
    std::shared_ptr<const MinMaxSummary> summary_;
    std::vector<ChartBreak> breaks_;
    std::vector<std::int64_t> pauseSums_;  // lengths of the pauses before each, summed
    double meanGap_ = 100;                 // axis time between two samples, on average
};

}  // namespace orvane
