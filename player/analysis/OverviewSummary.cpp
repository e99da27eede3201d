#include "analysis/OverviewSummary.h"

#include <algorithm>

namespace orvane {
namespace {

// A traced slot as a 0-based index, or -1.
int TracedIndex(int slot) noexcept {
    return slot >= 1 && slot <= SlotCount ? slot - 1 : -1;
}

}  // namespace

OverviewSummary::OverviewSummary(std::shared_ptr<const MinMaxSummary> summary,
                                 std::array<int, 2> tracedSlots)
    : summary_(std::move(summary)) {
    request_.TracedSlots = tracedSlots;
    request_.Boxes = summary_->Boxes();
    for (int t = 0; t < 2; ++t) {
        const int index = TracedIndex(tracedSlots[t]);
        // A slot the log does not use is traced as none.
        if (index < 0 || !summary_->HasSlot(index + 1)) {
            request_.TracedSlots[t] = 0;
            continue;
        }
        values_[t] = ValueTable(summary_->Outline().Codes[static_cast<std::size_t>(index)]);
    }
}

std::optional<OverviewSummary> OverviewSummary::Build(const LogFile& log, OverviewRequest request,
                                                      std::stop_token stop, std::string& error) {
    auto summary = MinMaxSummary::Build(log, std::move(request.Boxes), std::move(stop), error);
    if (!summary) return std::nullopt;
    return OverviewSummary(std::make_shared<const MinMaxSummary>(std::move(*summary)),
                           request.TracedSlots);
}

std::pair<std::int64_t, std::int64_t> OverviewSummary::BucketsOfColumn(int column,
                                                                       int width) const noexcept {
    const std::int64_t buckets = Buckets();
    const std::int64_t first = static_cast<std::int64_t>(column) * buckets / width;
    const std::int64_t end = (static_cast<std::int64_t>(column) + 1) * buckets / width;
    return {first, std::max(end, first + 1)};
}

std::optional<ValueRange> OverviewSummary::ComputedExtremes(const ComputedSummary& computed,
                                                            std::size_t item, int column,
                                                            int width) const {
    if (width < 1 || column < 0 || column >= width || Buckets() == 0) return std::nullopt;
    if (!computed.Matches(*summary_)) return std::nullopt;
    const auto [first, end] = BucketsOfColumn(column, width);
    return computed.Extremes(item, first, end);
}

SampleRange OverviewSummary::SamplesOfColumn(int column, int width) const {
    if (width < 1 || column < 0 || column >= width || Buckets() == 0) return {1, 0};
    const auto [first, end] = BucketsOfColumn(column, width);
    return {SamplesOfBucket(first).First, SamplesOfBucket(end - 1).Last};
}

int OverviewSummary::ColumnOfSample(std::int64_t sample, int width) const {
    const std::int64_t buckets = Buckets();
    if (width < 1 || buckets == 0) return -1;
    const std::int64_t bucket = BucketOfSample(std::clamp<std::int64_t>(sample, 1, Records()));
    // With at least as many buckets as columns: the last column starting at or before
    // the bucket. With fewer: the first column starting at the bucket.
    const std::int64_t column = buckets >= width ? ((bucket + 1) * width - 1) / buckets
                                                 : (bucket * width + buckets - 1) / buckets;
    return static_cast<int>(std::clamp<std::int64_t>(column, 0, width - 1));
}

OverviewColumn OverviewSummary::Column(int column, int width) const {
    OverviewColumn out;
    out.Samples = SamplesOfColumn(column, width);
    if (out.Samples.Empty()) return out;
    const auto [first, end] = BucketsOfColumn(column, width);
    out.FirstMillis = summary_->FirstMillisOf(first);
    for (int t = 0; t < 2; ++t) {
        const int slot = request_.TracedSlots[t];
        if (TracedIndex(slot) < 0) continue;
        OverviewTrace& trace = out.Traces[t];
        trace.Present = true;
        const RawExtremes raw = summary_->Extremes(slot, first, end);
        trace.RawMin = raw.Low;
        trace.RawMax = raw.High;
        const double a = values_[t][trace.RawMin];
        const double b = values_[t][trace.RawMax];
        trace.Min = std::min(a, b);
        trace.Max = std::max(a, b);
    }
    for (std::int64_t b = first; b < end; ++b) {
        const int level = summary_->AlarmLevelOf(b);
        if (level > out.AlarmLevel) {
            out.AlarmLevel = level;
            out.AlarmBox = summary_->AlarmBoxOf(b);
        }
    }
    return out;
}

std::vector<OverviewColumn> OverviewSummary::Columns(int width) const {
    std::vector<OverviewColumn> columns;
    if (width < 1 || Buckets() == 0) return columns;
    columns.reserve(static_cast<std::size_t>(width));
    for (int c = 0; c < width; ++c) columns.push_back(Column(c, width));
    return columns;
}

}  // namespace orvane
