#include "analysis/ChartTimeline.h"

#include <algorithm>
#include <cmath>

#include "log/RecordScan.h"

namespace orvane {
namespace {

// The finest zoom shows about this many samples across the chart.
constexpr double kFewestSamplesAcross = 20;
// The coarsest zoom shows the whole log in this share of the width.
constexpr double kCoarsestShare = 0.5;

}  // namespace

std::optional<ChartTimeline> ChartTimeline::Build(const LogFile& log,
                                                  std::shared_ptr<const MinMaxSummary> summary,
                                                  const std::vector<LogPause>& pauses,
                                                  std::stop_token stop, std::string& error) {
    ChartTimeline timeline;
    timeline.summary_ = std::move(summary);
    timeline.pauseSums_.push_back(0);
    for (const LogPause& pause : pauses) {
        if (stop.stop_requested()) {
            error = "cancelled";
            return std::nullopt;
        }
        if (pause.After() > timeline.Records()) break;
        const auto axis = timeline.AxisOfSample(log, pause.Before);
        if (!axis) {
            error = "the log cannot be read at sample " + std::to_string(pause.Before);
            return std::nullopt;
        }
        timeline.breaks_.push_back({pause, *axis});
        timeline.pauseSums_.push_back(timeline.pauseSums_.back() + pause.Millis());
    }
    const std::int64_t gaps =
        timeline.Records() - 1 - static_cast<std::int64_t>(timeline.breaks_.size());
    const std::int64_t last = timeline.summary_->LastAxis();
    if (gaps > 0 && last > 0) timeline.meanGap_ = static_cast<double>(last) / gaps;
    return timeline;
}

std::int64_t ChartTimeline::PausesBefore(std::int64_t sample) const noexcept {
    return std::lower_bound(
               breaks_.begin(), breaks_.end(), sample,
               [](const ChartBreak& b, std::int64_t s) { return b.Pause.Before < s; }) -
           breaks_.begin();
}

std::int64_t ChartTimeline::PausesBeforeAxis(double axis) const noexcept {
    return std::lower_bound(
               breaks_.begin(), breaks_.end(), axis,
               [](const ChartBreak& b, double a) { return static_cast<double>(b.Axis) < a; }) -
           breaks_.begin();
}

double ChartTimeline::ElapsedOf(double axis, std::int64_t pauses) const noexcept {
    const auto k = static_cast<std::size_t>(
        std::clamp<std::int64_t>(pauses, 0, static_cast<std::int64_t>(breaks_.size())));
    return axis + static_cast<double>(pauseSums_[k]);
}

double ChartTimeline::PixelOf(double axis, std::int64_t pauses,
                              const ChartView& view) const noexcept {
    const std::int64_t left = PausesBeforeAxis(view.StartAxis);
    return (axis - view.StartAxis) / view.MillisPerPixel +
           static_cast<double>(view.BreakPixels) * static_cast<double>(pauses - left);
}

double ChartTimeline::BreakPixel(std::size_t index, const ChartView& view) const noexcept {
    return PixelOf(static_cast<double>(breaks_[index].Axis), static_cast<std::int64_t>(index),
                   view);
}

std::optional<std::int64_t> ChartTimeline::AxisOfSample(const LogFile& log,
                                                        std::int64_t sample) const {
    if (sample < 1 || sample > Records()) return std::nullopt;
    const std::int64_t block = summary_->BlockOfSample(sample);
    const std::int64_t first = summary_->FirstSampleOfBlock(block);
    std::int64_t axis = summary_->AxisOf(block);
    if (sample == first) return axis;
    std::uint8_t bytes[MinMaxSummary::MaxBlockSamples * RecordSize];
    std::string error;
    const std::int64_t count = sample - first + 1;
    if (RecordScan::ReadChunk(log, first, count, bytes, error) != count) return std::nullopt;
    for (std::int64_t i = 1; i < count; ++i) {
        axis += MinMaxSummary::AxisStep(RecordView{bytes + (i - 1) * RecordSize}.Millis(),
                                        RecordView{bytes + i * RecordSize}.Millis());
    }
    return axis;
}

std::optional<double> ChartTimeline::PixelOfSample(const LogFile& log, std::int64_t sample,
                                                   const ChartView& view) const {
    const auto axis = AxisOfSample(log, sample);
    if (!axis) return std::nullopt;
    return PixelOf(static_cast<double>(*axis), PausesBefore(sample), view);
}

ChartTimeline::Place ChartTimeline::PlaceAt(double x, const ChartView& view) const noexcept {
    const std::int64_t left = PausesBeforeAxis(view.StartAxis);
    const auto n = static_cast<std::int64_t>(breaks_.size());
    if (left >= n || x < BreakPixel(static_cast<std::size_t>(left), view)) {
        return {view.StartAxis + x * view.MillisPerPixel, left};
    }
    // The last break that starts at or before x.
    std::int64_t lo = left, hi = n - 1;
    while (lo < hi) {
        const std::int64_t mid = (lo + hi + 1) / 2;
        if (BreakPixel(static_cast<std::size_t>(mid), view) <= x) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    const double start = BreakPixel(static_cast<std::size_t>(lo), view);
    const double axis = static_cast<double>(breaks_[static_cast<std::size_t>(lo)].Axis);
    const double beyond = std::max(0.0, x - start - view.BreakPixels);
    return {axis + beyond * view.MillisPerPixel, lo + 1};
}

double ChartTimeline::PixelOfElapsed(double elapsed, const ChartView& view) const noexcept {
    // The first pause that ends after `elapsed` (pause j runs from the elapsed time
    // Axis + pauseSums_[j] of the sample before it to Axis + pauseSums_[j + 1]).
    const auto n = static_cast<std::int64_t>(breaks_.size());
    std::int64_t lo = 0, hi = n;
    while (lo < hi) {
        const std::int64_t mid = (lo + hi) / 2;
        const auto j = static_cast<std::size_t>(mid);
        if (static_cast<double>(breaks_[j].Axis + pauseSums_[j + 1]) <= elapsed) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    const auto j = static_cast<std::size_t>(lo);
    if (lo < n) {
        const double start = static_cast<double>(breaks_[j].Axis + pauseSums_[j]);
        const auto length = static_cast<double>(breaks_[j].Pause.Millis());
        if (elapsed > start && length > 0) {
            return PixelOf(static_cast<double>(breaks_[j].Axis), lo, view) +
                   (elapsed - start) / length * view.BreakPixels;
        }
    }
    return PixelOf(elapsed - static_cast<double>(pauseSums_[j]), lo, view);
}

double ChartTimeline::ElapsedAtPixel(double x, const ChartView& view) const noexcept {
    const Place place = PlaceAt(x, view);
    if (place.Pauses > PausesBeforeAxis(view.StartAxis) && view.BreakPixels > 0) {
        // Inside the break of the pause before: its share of the pause.
        const auto j = static_cast<std::size_t>(place.Pauses - 1);
        const double start = BreakPixel(j, view);
        if (x < start + view.BreakPixels) {
            return static_cast<double>(breaks_[j].Axis + pauseSums_[j]) +
                   (x - start) / view.BreakPixels * static_cast<double>(breaks_[j].Pause.Millis());
        }
    }
    return ElapsedOf(place.Axis, place.Pauses);
}

double ChartTimeline::FinestMillisPerPixel(int width) const noexcept {
    return kFewestSamplesAcross * meanGap_ / std::max(1, width);
}

ChartView ChartTimeline::WholeLog(int width, int breakPixels) const noexcept {
    return Showing(0, static_cast<double>(summary_->LastAxis()), width, breakPixels);
}

ChartView ChartTimeline::Showing(double first, double last, int width,
                                 int breakPixels) const noexcept {
    ChartView view;
    view.Width = width;
    view.BreakPixels = breakPixels;
    const std::int64_t between = PausesBeforeAxis(last + 0.5) - PausesBeforeAxis(first);
    const double room = std::max(1.0, width - 1.0 - static_cast<double>(breakPixels * between));
    const double fitted = (last - first) / room;
    view.MillisPerPixel = std::max(fitted, FinestMillisPerPixel(width));
    view.StartAxis = first;
    if (fitted < view.MillisPerPixel) {
        // Less than the finest zoom shows: in the middle.
        view.StartAxis = (first + last) / 2 - view.MillisPerPixel * room / 2;
    }
    return view;
}

ChartView ChartTimeline::Zoomed(const ChartView& view, double x, double factor) const noexcept {
    if (!(factor > 0)) return view;
    const Place place = PlaceAt(x, view);
    const double coarsest =
        std::max(WholeLog(view.Width, view.BreakPixels).MillisPerPixel / kCoarsestShare,
                 FinestMillisPerPixel(view.Width));
    ChartView zoomed = view;
    zoomed.MillisPerPixel =
        std::clamp(view.MillisPerPixel / factor, FinestMillisPerPixel(view.Width), coarsest);
    // The place under the pointer stays under it: solved for the pauses left of the new
    // view, which depend on where it starts (a few rounds settle it).
    for (int round = 0; round < 3; ++round) {
        const std::int64_t left = PausesBeforeAxis(zoomed.StartAxis);
        zoomed.StartAxis = place.Axis - (x - static_cast<double>(view.BreakPixels) *
                                                 static_cast<double>(place.Pauses - left)) *
                                            zoomed.MillisPerPixel;
    }
    return Panned(zoomed, 0);
}

ChartView ChartTimeline::Panned(const ChartView& view, double pixels) const noexcept {
    ChartView panned = view;
    if (pixels > 0) {
        panned.StartAxis = PlaceAt(pixels, view).Axis;
    } else {
        panned.StartAxis = view.StartAxis + pixels * view.MillisPerPixel;
    }
    // Never further off the log than half the width at either end.
    const double half = view.Width * view.MillisPerPixel / 2;
    const double last = static_cast<double>(summary_->LastAxis());
    panned.StartAxis = std::clamp(panned.StartAxis, -half, std::max(-half, last - half));
    return panned;
}

}  // namespace orvane
