#include "analysis/ReferenceFrame.h"

#include <algorithm>
#include <cmath>

#include "analysis/BlockCache.h"
#include "analysis/LogPauses.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

// Up to this many reference samples in view per column (on average), every one of them
// is read from the log in one go; beyond, the summary gives the whole blocks.
constexpr std::int64_t kSamplesPerColumnRead = 64;

// The reference samples at or before `elapsed` (its own elapsed milliseconds): 0 before
// its first, all of them after its last.
std::int64_t SamplesUpTo(const LogTimeline& reference, std::int64_t elapsed) noexcept {
    if (elapsed < 0) return 0;
    return reference.SampleAtOrBefore(elapsed).value_or(reference.Samples());
}

// The reference's own elapsed milliseconds just before the log's elapsed time `elapsed`
// (placed times are whole milliseconds: before `elapsed` is at or before its ceiling less
// one), kept within a range that no log reaches.
std::int64_t OwnMillisBefore(double elapsed, std::int64_t offsetMillis) noexcept {
    constexpr double kFar = 1e15;
    const double at = std::clamp(std::ceil(elapsed), -kFar, kFar);
    return static_cast<std::int64_t>(at) - offsetMillis - 1;
}

// Running extremes of converted values.
struct Run {
    bool Any = false;
    double Low = 0;
    double High = 0;

    void Add(double low, double high) noexcept {
        Low = Any ? std::min(Low, low) : low;
        High = Any ? std::max(High, high) : high;
        Any = true;
    }
};

}  // namespace

double ReferenceFrame::PixelOfSample(const ChartTimeline& timeline, const ChartView& view,
                                     const LogTimeline& reference, std::int64_t offsetMillis,
                                     std::int64_t sample) noexcept {
    return timeline.PixelOfElapsed(
        static_cast<double>(reference.ElapsedMillis(sample) + offsetMillis), view);
}

SampleRange ReferenceFrame::SamplesBetween(const LogTimeline& reference, std::int64_t offsetMillis,
                                           double from, double to) noexcept {
    // Elapsed times are whole milliseconds: at or after `from` is at or after its ceiling,
    // before `to` is at or before its ceiling less one.
    return {SamplesUpTo(reference, OwnMillisBefore(from, offsetMillis)) + 1,
            SamplesUpTo(reference, OwnMillisBefore(to, offsetMillis))};
}

std::optional<ReferenceFrame> ReferenceFrame::Compute(
    const Placement& placement, const std::vector<std::optional<ChartSeries>>& series,
    std::vector<std::uint8_t>& scratch, std::string& error) {
    ReferenceFrame frame;
    const ChartView& view = placement.View;
    const int width = std::max(0, view.Width);
    frame.width_ = width;
    frame.columns_.assign(static_cast<std::size_t>(width), SampleRange{1, 0});
    frame.extremes_.assign(series.size(),
                           std::vector<std::pair<double, double>>(static_cast<std::size_t>(width)));
    frame.pointValues_.assign(series.size(), {});
    const LogTimeline& reference = placement.Reference;
    const MinMaxSummary& summary = placement.Summary;
    const std::int64_t total = std::min(reference.Samples(), summary.Records());
    if (width == 0 || total == 0 || !(view.MillisPerPixel > 0)) return frame;

    // The samples placed left of each column's edge: column c holds (edge[c], edge[c+1]].
    std::vector<std::int64_t> edge(static_cast<std::size_t>(width) + 1);
    for (int c = 0; c <= width; ++c) {
        const double at = placement.Timeline.ElapsedAtPixel(c, view);
        edge[static_cast<std::size_t>(c)] =
            std::min(total, SamplesUpTo(reference, OwnMillisBefore(at, placement.OffsetMillis)));
    }
    for (std::size_t c = 1; c < edge.size(); ++c) edge[c] = std::max(edge[c], edge[c - 1]);
    if (edge.back() - edge.front() > kSamplesPerColumnRead * width) {
        // Far out, an edge inside a block moves to the block's start when the block's
        // samples lie close together (well under a pixel's time, and no pause among
        // them): whole blocks then fall into a column, as in ChartFrame, and their
        // extremes come from the summary without a read. Each sample still falls into
        // exactly one column, the one of its block's first sample.
        const std::int64_t per = summary.BlockSamples();
        for (std::size_t c = 1; c + 1 < edge.size(); ++c) {
            const std::int64_t next = edge[c] + 1;  // the first sample right of the edge
            const std::int64_t first = summary.FirstSampleOfBlock(summary.BlockOfSample(next));
            if (first == next || first <= edge[c - 1]) continue;
            const std::int64_t last = std::min(total, first + per - 1);
            const std::int64_t span =
                reference.ElapsedMillis(last) - reference.ElapsedMillis(first);
            if (span >= 0 && span < MinPauseMillis &&
                static_cast<double>(span) * 4 <= view.MillisPerPixel) {
                edge[c] = first - 1;
            }
        }
    }
    for (int c = 0; c < width; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (edge[i + 1] > edge[i]) frame.columns_[i] = {edge[i] + 1, edge[i + 1]};
    }
    const std::int64_t firstInView = edge.front() + 1;
    const std::int64_t lastInView = edge.back();
    if (lastInView >= firstInView) frame.inView_ = {firstInView, lastInView};
    const std::int64_t visible = lastInView - firstInView + 1;

    if (visible <= kSamplesPerColumnRead * width) {
        // Close in: the samples in view and the one either side, in one read.
        const std::int64_t first = std::max<std::int64_t>(1, edge.front());
        const std::int64_t last = std::min(total, edge.back() + 1);
        if (edge.back() == 0 || edge.front() >= total) return frame;  // all of it off one side
        const std::int64_t count = last - first + 1;
        scratch.resize(static_cast<std::size_t>(count) * RecordSize);
        if (RecordScan::ReadChunk(placement.Log, first, count, scratch.data(), error) != count) {
            return std::nullopt;
        }
        const auto record = [&](std::int64_t sample) {
            return scratch.data() + (sample - first) * RecordSize;
        };
        for (int c = 0; c < width; ++c) {
            const SampleRange samples = frame.columns_[static_cast<std::size_t>(c)];
            if (samples.Empty()) continue;
            for (std::size_t s = 0; s < series.size(); ++s) {
                if (!series[s]) continue;
                Run run;
                for (std::int64_t r = samples.First; r <= samples.Last; ++r) {
                    const double value = series[s]->ValueAt(record(r));
                    run.Add(value, value);
                }
                frame.extremes_[s][static_cast<std::size_t>(c)] = {run.Low, run.High};
            }
        }
        frame.points_ = visible <= width;
        if (frame.points_) {
            for (std::int64_t r = first; r <= last; ++r) {
                frame.pointList_.push_back({r, PixelOfSample(placement.Timeline, view, reference,
                                                             placement.OffsetMillis, r)});
                for (std::size_t s = 0; s < series.size(); ++s) {
                    frame.pointValues_[s].push_back(series[s] ? series[s]->ValueAt(record(r)) : 0);
                }
            }
        }
        return frame;
    }

    // Far out: whole blocks from the summary, the samples of a column's first and last
    // blocks that only partly fall into it from the log.
    BlockCache reader(summary, placement.Log);
    for (int c = 0; c < width; ++c) {
        const SampleRange samples = frame.columns_[static_cast<std::size_t>(c)];
        if (samples.Empty()) continue;
        std::int64_t firstBlock = summary.BlockOfSample(samples.First);
        std::int64_t endBlock = summary.BlockOfSample(samples.Last) + 1;
        std::vector<std::pair<std::int64_t, std::int64_t>> read;  // sample runs to read
        if (endBlock - firstBlock <= 2) {
            read.emplace_back(samples.First, samples.Last);
            endBlock = firstBlock;
        } else {
            if (samples.First != summary.FirstSampleOfBlock(firstBlock)) {
                read.emplace_back(samples.First, summary.SamplesOfBlock(firstBlock).Last);
                ++firstBlock;
            }
            if (samples.Last != summary.SamplesOfBlock(endBlock - 1).Last) {
                read.emplace_back(summary.FirstSampleOfBlock(endBlock - 1), samples.Last);
                --endBlock;
            }
        }
        std::vector<Run> runs(series.size());
        for (const auto& [from, to] : read) {
            for (std::int64_t r = from; r <= to; ++r) {
                const std::uint8_t* bytes = reader.Record(r, error);
                if (!bytes) return std::nullopt;
                for (std::size_t s = 0; s < series.size(); ++s) {
                    if (!series[s]) continue;
                    const double value = series[s]->ValueAt(bytes);
                    runs[s].Add(value, value);
                }
            }
        }
        if (endBlock > firstBlock) {
            for (std::size_t s = 0; s < series.size(); ++s) {
                if (!series[s] || !summary.HasSlot(series[s]->Slot())) continue;
                const auto [low, high] =
                    series[s]->ValuesOf(summary.Extremes(series[s]->Slot(), firstBlock, endBlock));
                runs[s].Add(low, high);
            }
        }
        for (std::size_t s = 0; s < series.size(); ++s) {
            if (runs[s].Any)
                frame.extremes_[s][static_cast<std::size_t>(c)] = {runs[s].Low, runs[s].High};
        }
    }
    return frame;
}

std::size_t ReferenceFrame::MemoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this) + columns_.capacity() * sizeof(SampleRange) +
                        pointList_.capacity() * sizeof(Point);
    for (const auto& e : extremes_) bytes += e.capacity() * sizeof(e[0]);
    for (const auto& v : pointValues_) bytes += v.capacity() * sizeof(double);
    return bytes;
}

}  // namespace orvane
