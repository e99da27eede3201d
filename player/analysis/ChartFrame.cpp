#include "analysis/ChartFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/BlockCache.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

// Far enough out that a column spans this many of the summary's blocks on average, the
// columns are worked out from the summary; closer in from the samples themselves.
constexpr std::int64_t kBlocksPerColumn = 4;

// Running extremes of one series over raw bytes: the minimum and maximum of an item's
// bytes, the AND and OR of a switch byte (as the summary keeps them).
struct RawRun {
    bool Any = false;
    RawExtremes Raw{0xFF, 0};

    void Add(std::uint8_t byte, bool bits) noexcept {
        Any = true;
        Raw.Low = bits ? static_cast<std::uint8_t>(Raw.Low & byte) : std::min(Raw.Low, byte);
        Raw.High = bits ? static_cast<std::uint8_t>(Raw.High | byte) : std::max(Raw.High, byte);
    }
    void Add(RawExtremes other, bool bits) noexcept {
        Any = true;
        Raw.Low =
            bits ? static_cast<std::uint8_t>(Raw.Low & other.Low) : std::min(Raw.Low, other.Low);
        Raw.High = bits ? static_cast<std::uint8_t>(Raw.High | other.High)
                        : std::max(Raw.High, other.High);
    }
};

// The computed values of one block, evaluated when a pause splits it.
class ComputedBlockCache {
public:
    ComputedBlockCache(const MinMaxSummary& summary, const LogFile& log, const FormulaSet& formulas)
        : summary_(summary), log_(log), formulas_(formulas) {}

    // The values of the block holding `sample`; null when it cannot be read.
    const FormulaValues* Values(std::int64_t sample, std::string& error) {
        const std::int64_t block = summary_.BlockOfSample(sample);
        if (block != block_) {
            auto values =
                ReadFormulaValues(log_, formulas_, summary_.SamplesOfBlock(block), {}, error);
            if (!values) {
                block_ = -1;
                return nullptr;
            }
            values_ = std::move(*values);
            block_ = block;
        }
        return &values_;
    }

private:
    const MinMaxSummary& summary_;
    const LogFile& log_;
    const FormulaSet& formulas_;
    std::int64_t block_ = -1;
    FormulaValues values_;
};

// Widens running extremes (NaN: none yet) by a run's; a run without a value (NaN)
// leaves them.
void Widen(std::pair<double, double>& extremes, double low, double high) noexcept {
    if (std::isnan(low)) return;
    if (std::isnan(extremes.first) || low < extremes.first) extremes.first = low;
    if (std::isnan(extremes.second) || high > extremes.second) extremes.second = high;
}

}  // namespace

std::optional<ChartFrame> ChartFrame::Compute(const ChartTimeline& timeline, const LogFile& log,
                                              const std::vector<ChartSeries>& series,
                                              const ChartView& view,
                                              std::vector<std::uint8_t>& scratch,
                                              std::string& error) {
    return Compute(timeline, log, series, view, nullptr, scratch, error);
}

std::optional<ChartFrame> ChartFrame::Compute(const ChartTimeline& timeline, const LogFile& log,
                                              const std::vector<ChartSeries>& series,
                                              const ChartView& view,
                                              const ComputedSummary* computed,
                                              std::vector<std::uint8_t>& scratch,
                                              std::string& error) {
    ChartFrame frame;
    frame.view_ = view;
    const int width = std::max(0, view.Width);
    frame.view_.Width = width;
    frame.columns_.assign(static_cast<std::size_t>(width), SampleRange{1, 0});
    frame.extremes_.assign(series.size(),
                           std::vector<std::pair<double, double>>(static_cast<std::size_t>(width)));
    frame.pointValues_.assign(series.size(), {});
    const MinMaxSummary& summary = timeline.Summary();
    const std::int64_t blocks = summary.Blocks();
    if (width == 0 || blocks == 0 || !(view.MillisPerPixel > 0)) return frame;

    const double m = view.MillisPerPixel;
    const double v = view.StartAxis;
    const double w = view.BreakPixels;
    const std::int64_t left = timeline.PausesBeforeAxis(v);
    const auto& breaks = timeline.Breaks();
    for (std::size_t j = static_cast<std::size_t>(left); j < breaks.size(); ++j) {
        const double x = timeline.BreakPixel(j, view);
        if (x >= width) break;
        if (x + w > 0) frame.breaks_.emplace_back(j, x);
    }

    const auto pixelOfBlock = [&](std::int64_t b) {
        const std::int64_t pauses = timeline.PausesBefore(summary.FirstSampleOfBlock(b));
        return (static_cast<double>(summary.AxisOf(b)) - v) / m +
               w * static_cast<double>(pauses - left);
    };
    // The first block whose first sample lies at pixel x or right of it.
    const auto firstBlockAt = [&](double x) {
        std::int64_t lo = 0, hi = blocks;
        while (lo < hi) {
            const std::int64_t mid = (lo + hi) / 2;
            if (pixelOfBlock(mid) < x) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        return lo;
    };
    const std::int64_t b0 = firstBlockAt(0);
    const std::int64_t bw = firstBlockAt(width);
    std::vector<bool> bits(series.size());
    for (std::size_t i = 0; i < series.size(); ++i) {
        bits[i] = series[i].SeriesKind() == ChartSeries::Kind::Switch;
    }
    // The computed series (and the filter) need a summary of these very blocks.
    if (computed && !computed->Matches(summary)) computed = nullptr;
    const FormulaSet* formulas = computed ? &computed->Formulas() : nullptr;
    std::vector<bool> isComputed(series.size());
    bool anyComputed = false;
    for (std::size_t i = 0; i < series.size(); ++i) {
        isComputed[i] = series[i].SeriesKind() == ChartSeries::Kind::Computed;
        anyComputed = anyComputed || isComputed[i];
    }
    // A computed series is found in the set by its name; one the set does not have (or
    // without a set) has no value.
    std::vector<std::optional<std::size_t>> indices(series.size());
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (isComputed[i] && formulas) indices[i] = formulas->IndexOf(series[i].Name());
    }
    const auto computedIndex = [&](std::size_t s) { return indices[s]; };
    frame.filtered_ = formulas && formulas->Filtered();
    if (frame.filtered_) frame.passed_.assign(static_cast<std::size_t>(width), 0);
    const bool evaluate = formulas && (anyComputed || frame.filtered_);
    constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

    if (bw - b0 + 2 <= kBlocksPerColumn * width) {
        // Close in: every sample in view (and the one either side) read and placed.
        const std::int64_t fromBlock = std::max<std::int64_t>(0, b0 - 1);
        const std::int64_t toBlock = std::min(blocks, bw + 1);
        const std::int64_t first = summary.FirstSampleOfBlock(fromBlock);
        const std::int64_t last = summary.SamplesOfBlock(toBlock - 1).Last;
        const std::int64_t count = last - first + 1;
        scratch.resize(static_cast<std::size_t>(count) * RecordSize);
        if (RecordScan::ReadChunk(log, first, count, scratch.data(), error) != count) {
            return std::nullopt;
        }
        std::optional<FormulaValues> values;
        if (evaluate) {
            values = ReadFormulaValues(log, *formulas, SampleRange{first, last}, {}, error);
            if (!values) return std::nullopt;
        }
        // Series s at index i of the samples read.
        const auto valueAt = [&](std::size_t s, std::int64_t i, const std::uint8_t* record) {
            if (!isComputed[s]) return series[s].ValueAt(record);
            const auto index = computedIndex(s);
            return index && values ? values->Items[*index][static_cast<std::size_t>(i)] : kNoValue;
        };
        std::vector<double> xs(static_cast<std::size_t>(count));
        double axis = static_cast<double>(summary.AxisOf(fromBlock));
        std::int64_t pauses = timeline.PausesBefore(first);
        std::int64_t visible = 0;
        std::int64_t before = -1, after = -1;  // the last index left of the view, the first right
        for (std::int64_t i = 0; i < count; ++i) {
            const std::uint8_t* record = scratch.data() + i * RecordSize;
            if (i > 0) {
                const std::int32_t previous = RecordView{record - RecordSize}.Millis();
                const std::int32_t millis = RecordView{record}.Millis();
                axis += static_cast<double>(MinMaxSummary::AxisStep(previous, millis));
                if (std::int64_t{millis} - previous >= MinPauseMillis) ++pauses;
            }
            const double x = (axis - v) / m + w * static_cast<double>(pauses - left);
            xs[static_cast<std::size_t>(i)] = x;
            if (x < 0) {
                before = i;
                continue;
            }
            if (x >= width) {
                if (after < 0) after = i;
                continue;
            }
            ++visible;
            const std::int64_t sample = first + i;
            const auto c = static_cast<std::size_t>(std::min<double>(std::floor(x), width - 1));
            SampleRange& column = frame.columns_[c];
            const bool fresh = column.Empty();
            if (fresh) column.First = sample;
            column.Last = sample;
            if (frame.inView_.Empty()) frame.inView_.First = sample;
            frame.inView_.Last = sample;
            for (std::size_t s = 0; s < series.size(); ++s) {
                const double value = valueAt(s, i, record);
                auto& extremes = frame.extremes_[s][c];
                if (fresh) {
                    extremes = {value, value};
                } else if (isComputed[s]) {
                    Widen(extremes, value, value);
                } else {
                    extremes.first = std::min(extremes.first, value);
                    extremes.second = std::max(extremes.second, value);
                }
            }
            if (frame.filtered_) frame.passed_[c] += values->Pass[static_cast<std::size_t>(i)];
        }
        for (int c = 0; c < width; ++c) {
            if (!frame.columns_[static_cast<std::size_t>(c)].Empty()) frame.filled_.push_back(c);
        }
        frame.points_ = visible <= width;
        if (frame.points_) {
            const std::int64_t from = std::max<std::int64_t>(before, 0);
            const std::int64_t to = after >= 0 ? after : count - 1;
            for (std::int64_t i = from; i <= to; ++i) {
                const std::uint8_t* record = scratch.data() + i * RecordSize;
                frame.pointList_.push_back({first + i, xs[static_cast<std::size_t>(i)]});
                for (std::size_t s = 0; s < series.size(); ++s) {
                    frame.pointValues_[s].push_back(valueAt(s, i, record));
                }
                if (frame.filtered_) {
                    frame.pointPass_.push_back(values->Pass[static_cast<std::size_t>(i)]);
                }
            }
        }
        return frame;
    }

    // Far out: the columns' samples by whole blocks (split at pauses), their extremes
    // from the summary, and from the log only where a pause splits a block.
    const std::int64_t end = timeline.Records() + 1;
    const auto pixelAfter = [&](std::size_t j) {
        return (static_cast<double>(breaks[j].Axis) - v) / m +
               w * static_cast<double>(static_cast<std::int64_t>(j) + 1 - left);
    };
    const auto boundary = [&](double x) {
        const std::int64_t b = firstBlockAt(x);
        std::int64_t sample = b < blocks ? summary.FirstSampleOfBlock(b) : end;
        std::size_t lo = 0, hi = breaks.size();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (pixelAfter(mid) < x) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        if (lo < breaks.size()) sample = std::min(sample, breaks[lo].Pause.After());
        return sample;
    };
    BlockCache cache(summary, log);
    std::optional<ComputedBlockCache> computedCache;
    if (evaluate) computedCache.emplace(summary, log, *formulas);
    std::vector<std::pair<double, double>> computedRuns(series.size());
    std::vector<RawRun> runs(series.size());
    std::int64_t from = boundary(0);
    for (int c = 0; c < width; ++c) {
        const std::int64_t to = boundary(c + 1);
        if (to <= from) continue;
        const SampleRange samples{from, to - 1};
        from = to;
        frame.columns_[static_cast<std::size_t>(c)] = samples;
        frame.filled_.push_back(c);
        if (frame.inView_.Empty()) frame.inView_.First = samples.First;
        frame.inView_.Last = samples.Last;
        for (RawRun& run : runs) run = RawRun{};
        for (auto& run : computedRuns) run = {kNoValue, kNoValue};
        std::int64_t passed = 0;
        // Whole blocks from the summary, the samples of a split block one by one.
        std::int64_t sample = samples.First;
        while (sample <= samples.Last) {
            const std::int64_t block = summary.BlockOfSample(sample);
            const SampleRange blockSamples = summary.SamplesOfBlock(block);
            if (sample == blockSamples.First && blockSamples.Last <= samples.Last) {
                // Whole blocks up to the last one the column holds entirely.
                std::int64_t endBlock = summary.BlockOfSample(samples.Last);
                if (summary.SamplesOfBlock(endBlock).Last > samples.Last) {
                    // The column ends inside that block.
                } else {
                    ++endBlock;
                }
                for (std::size_t s = 0; s < series.size(); ++s) {
                    if (isComputed[s]) {
                        const auto index = computedIndex(s);
                        if (!index) continue;
                        if (const auto range = computed->Extremes(*index, block, endBlock)) {
                            Widen(computedRuns[s], range->Min, range->Max);
                        }
                        continue;
                    }
                    runs[s].Add(summary.Extremes(series[s].Slot(), block, endBlock), bits[s]);
                }
                if (frame.filtered_) passed += computed->Passed(block, endBlock);
                sample = endBlock < blocks ? summary.FirstSampleOfBlock(endBlock) : end;
                continue;
            }
            const std::int64_t stop = std::min(blockSamples.Last, samples.Last);
            for (; sample <= stop; ++sample) {
                const std::uint8_t* record = cache.Record(sample, error);
                if (!record) return std::nullopt;
                const FormulaValues* values = nullptr;
                if (computedCache) {
                    values = computedCache->Values(sample, error);
                    if (!values) return std::nullopt;
                }
                const auto at = values ? static_cast<std::size_t>(sample - values->FirstSample) : 0;
                for (std::size_t s = 0; s < series.size(); ++s) {
                    if (isComputed[s]) {
                        if (const auto index = computedIndex(s); index && values) {
                            const double value = values->Items[*index][at];
                            Widen(computedRuns[s], value, value);
                        }
                        continue;
                    }
                    runs[s].Add(record[4 + series[s].Slot() - 1], bits[s]);
                }
                if (frame.filtered_) passed += values->Pass[at];
            }
        }
        for (std::size_t s = 0; s < series.size(); ++s) {
            frame.extremes_[s][static_cast<std::size_t>(c)] =
                isComputed[s] ? computedRuns[s] : series[s].ValuesOf(runs[s].Raw);
        }
        if (frame.filtered_) frame.passed_[static_cast<std::size_t>(c)] = passed;
    }
    return frame;
}

std::size_t ChartFrame::MemoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this) + columns_.capacity() * sizeof(SampleRange) +
                        pointList_.capacity() * sizeof(Point) + filled_.capacity() * sizeof(int) +
                        breaks_.capacity() * sizeof(breaks_[0]);
    for (const auto& e : extremes_) bytes += e.capacity() * sizeof(e[0]);
    for (const auto& v : pointValues_) bytes += v.capacity() * sizeof(double);
    bytes += passed_.capacity() * sizeof(std::int64_t) + pointPass_.capacity();
    return bytes;
}

std::optional<double> ChartFrame::PixelOf(std::int64_t sample) const noexcept {
    if (points_) {
        const auto at =
            std::lower_bound(pointList_.begin(), pointList_.end(), sample,
                             [](const Point& p, std::int64_t s) { return p.Sample < s; });
        if (at != pointList_.end() && at->Sample == sample) return at->X;
    }
    if (inView_.Empty()) return std::nullopt;
    if (sample < inView_.First) return -1.0;
    if (sample > inView_.Last) return static_cast<double>(Width());
    // The last column that starts at or before the sample holds it.
    const auto after = std::upper_bound(
        filled_.begin(), filled_.end(), sample, [this](std::int64_t s, int column) {
            return s < columns_[static_cast<std::size_t>(column)].First;
        });
    if (after == filled_.begin()) return -1.0;
    return *std::prev(after) + 0.5;
}

std::int64_t ChartFrame::SampleAt(double x) const noexcept {
    if (points_) {
        if (pointList_.empty()) return 0;
        const auto after = std::lower_bound(pointList_.begin(), pointList_.end(), x,
                                            [](const Point& p, double at) { return p.X < at; });
        if (after == pointList_.end()) return pointList_.back().Sample;
        if (after == pointList_.begin()) return after->Sample;
        const auto before = std::prev(after);
        return (x - before->X <= after->X - x) ? before->Sample : after->Sample;
    }
    const int width = Width();
    if (width < 1) return 0;
    const int at = std::clamp(static_cast<int>(std::floor(x)), 0, width - 1);
    for (int d = 0; d < width; ++d) {
        if (at - d >= 0 && !columns_[static_cast<std::size_t>(at - d)].Empty()) {
            return d == 0 ? columns_[static_cast<std::size_t>(at)].First
                          : columns_[static_cast<std::size_t>(at - d)].Last;
        }
        if (at + d < width && !columns_[static_cast<std::size_t>(at + d)].Empty()) {
            return columns_[static_cast<std::size_t>(at + d)].First;
        }
    }
    return 0;
}

}  // namespace orvane
