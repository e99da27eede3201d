#include "analysis/OverviewSummary.h"

#include <algorithm>
#include <array>

#include "analysis/TwoHalves.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

constexpr std::uint8_t kLevelBits = 0x03;
constexpr std::uint8_t kStartBit = 0x04;
constexpr int kBoxShift = 3;

// A traced slot as a 0-based index, or -1.
int TracedIndex(int slot) noexcept {
    return slot >= 1 && slot <= SlotCount ? slot - 1 : -1;
}

}  // namespace

std::optional<OverviewSummary> OverviewSummary::Build(const LogFile& log, OverviewRequest request,
                                                      std::stop_token stop, std::string& error) {
    const auto outline = LogOutline::Of(log, error);
    if (!outline) return std::nullopt;

    OverviewSummary summary;
    summary.request_ = std::move(request);
    summary.outline_ = *outline;
    const std::int64_t records = outline->Records;
    summary.perBucket_ = std::max<std::int64_t>(1, (records + MaxBuckets - 1) / MaxBuckets);
    const std::int64_t buckets = (records + summary.perBucket_ - 1) / summary.perBucket_;

    std::array<int, 2> traced{};
    for (int t = 0; t < 2; ++t) {
        traced[t] = TracedIndex(summary.request_.TracedSlots[t]);
        if (traced[t] >= 0) summary.values_[t] = ValueTable(outline->Codes[traced[t]]);
    }
    // An untraced slot reads slot 1 and is never shown: no branch per record.
    const int slot0 = std::max(traced[0], 0);
    const int slot1 = std::max(traced[1], 0);

    summary.firstMillis_.resize(static_cast<std::size_t>(buckets));
    for (int t = 0; t < 2; ++t) {
        summary.rawMin_[t].resize(static_cast<std::size_t>(buckets));
        summary.rawMax_[t].resize(static_cast<std::size_t>(buckets));
        summary.rawFirst_[t].resize(static_cast<std::size_t>(buckets));
    }
    summary.alarm_.resize(static_cast<std::size_t>(buckets));

    const AlarmTable alarms(summary.request_.Boxes);
    const bool silent = alarms.Silent();

    // Each part of the log fills buckets of its own (parts start on a bucket's first
    // sample); the part after the first starts from the alarm state of the sample before it.
    std::array<ScanResult, 2> results;
    std::int32_t lastMillis = 0;
    const auto scanPart = [&](const LogFile& file, SampleRange part, int index) {
        // The bucket being filled.
        std::int64_t bucket = (part.First - 1) / summary.perBucket_ - 1;
        std::int64_t leftInBucket = 0;
        std::uint8_t min0 = 0, max0 = 0, min1 = 0, max1 = 0;
        AlarmTable::State highest = 0;  // state at the bucket's first sample of its highest level
        int highestLevel = 0;
        bool hasStart = false;
        AlarmTable::State previous = 0;  // state of the sample before
        const RecordScan scan(file, stop);
        if (!silent && part.First > 1) {
            std::uint8_t before[RecordSize];
            if (scan.ReadOne(part.First - 1, before)) previous = alarms.StateOf(before);
        }

        // Only a bucket this part has begun is closed: the one before its first belongs
        // to the part before.
        bool begun = false;
        const auto closeBucket = [&] {
            if (!begun) return;
            const auto b = static_cast<std::size_t>(bucket);
            summary.rawMin_[0][b] = min0;
            summary.rawMax_[0][b] = max0;
            summary.rawMin_[1][b] = min1;
            summary.rawMax_[1][b] = max1;
            std::uint8_t alarm = static_cast<std::uint8_t>(highestLevel);
            if (hasStart) alarm |= kStartBit;
            if (highestLevel > 0) {
                alarm |= static_cast<std::uint8_t>(AlarmTable::FirstBoxAtHighestLevel(highest)
                                                   << kBoxShift);
            }
            summary.alarm_[b] = alarm;
        };

        results[index] =
            scan.Run(part.First, part.Last, [&](std::int64_t, std::span<const std::uint8_t> bytes) {
                const std::uint8_t* p = bytes.data();
                const std::uint8_t* const end = p + bytes.size();
                while (p < end) {
                    if (leftInBucket == 0) {
                        closeBucket();
                        begun = true;
                        ++bucket;
                        leftInBucket = summary.perBucket_;
                        const auto b = static_cast<std::size_t>(bucket);
                        summary.firstMillis_[b] = RecordView{p}.Millis();
                        min0 = max0 = summary.rawFirst_[0][b] = p[4 + slot0];
                        min1 = max1 = summary.rawFirst_[1][b] = p[4 + slot1];
                        highest = 0;
                        highestLevel = 0;
                        hasStart = false;
                    }
                    // Records of this chunk that belong to the current bucket.
                    const std::int64_t inChunk = (end - p) / RecordSize;
                    const std::int64_t n = std::min(leftInBucket, inChunk);
                    leftInBucket -= n;
                    const std::uint8_t* const bucketEnd = p + n * RecordSize;
                    for (; p < bucketEnd; p += RecordSize) {
                        const std::uint8_t a = p[4 + slot0];
                        const std::uint8_t c = p[4 + slot1];
                        min0 = std::min(min0, a);
                        max0 = std::max(max0, a);
                        min1 = std::min(min1, c);
                        max1 = std::max(max1, c);
                        if (silent) continue;
                        const AlarmTable::State state = alarms.StateOf(p);
                        if (state != 0) {
                            hasStart |= AlarmTable::IsStart(previous, state);
                            const int level = AlarmTable::LevelOf(state);
                            if (level > highestLevel) {
                                highestLevel = level;
                                highest = state;
                            }
                        }
                        previous = state;
                    }
                    if (part.Last == records) lastMillis = RecordView{p - RecordSize}.Millis();
                }
                return true;
            });
        if (results[index].Status == ScanStatus::Complete) closeBucket();
    };
    const int parts = InTwoHalves(log, SampleRange::Whole(records), TwoHalvesMinimum(),
                                  summary.perBucket_, scanPart);
    for (int index = 0; index < parts; ++index) {
        error = ScanProblem(results[index]);
        if (!error.empty()) return std::nullopt;
    }
    for (int t = 0; t < 2; ++t) {
        if (traced[t] >= 0) continue;
        summary.rawMin_[t].assign(static_cast<std::size_t>(buckets), 0);
        summary.rawMax_[t].assign(static_cast<std::size_t>(buckets), 0);
        summary.rawFirst_[t].assign(static_cast<std::size_t>(buckets), 0);
    }
    if (buckets > 0) {
        summary.firstMillisOfLog_ = summary.firstMillis_[0];
        summary.lengthMillis_ = static_cast<std::int64_t>(lastMillis) -
                                static_cast<std::int64_t>(summary.firstMillis_[0]);
    }
    return summary;
}

std::size_t OverviewSummary::MemoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this) + firstMillis_.capacity() * sizeof(std::int32_t) +
                        alarm_.capacity() + request_.Boxes.capacity() * sizeof(AlarmBox);
    for (int t = 0; t < 2; ++t) {
        bytes += rawMin_[t].capacity() + rawMax_[t].capacity() + rawFirst_[t].capacity();
    }
    return bytes;
}

std::pair<std::int64_t, std::int64_t> OverviewSummary::BucketsOfColumn(int column,
                                                                       int width) const noexcept {
    const std::int64_t buckets = Buckets();
    const std::int64_t first = static_cast<std::int64_t>(column) * buckets / width;
    const std::int64_t end = (static_cast<std::int64_t>(column) + 1) * buckets / width;
    return {first, std::max(end, first + 1)};
}

SampleRange OverviewSummary::SamplesOfBucket(std::int64_t bucket) const noexcept {
    if (bucket < 0 || bucket >= Buckets()) return {1, 0};
    return {bucket * perBucket_ + 1, std::min((bucket + 1) * perBucket_, Records())};
}

bool OverviewSummary::BucketHasAlarmStart(std::int64_t bucket) const noexcept {
    return bucket >= 0 && bucket < Buckets() &&
           (alarm_[static_cast<std::size_t>(bucket)] & kStartBit) != 0;
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
    const auto f = static_cast<std::size_t>(first);
    out.FirstMillis = firstMillis_[f];
    for (int t = 0; t < 2; ++t) {
        if (TracedIndex(request_.TracedSlots[t]) < 0) continue;
        OverviewTrace& trace = out.Traces[t];
        trace.Present = true;
        trace.RawFirst = rawFirst_[t][f];
        trace.RawMin = *std::min_element(rawMin_[t].begin() + first, rawMin_[t].begin() + end);
        trace.RawMax = *std::max_element(rawMax_[t].begin() + first, rawMax_[t].begin() + end);
        const double a = values_[t][trace.RawMin];
        const double b = values_[t][trace.RawMax];
        trace.Min = std::min(a, b);
        trace.Max = std::max(a, b);
        trace.First = values_[t][trace.RawFirst];
    }
    for (std::int64_t b = first; b < end; ++b) {
        const std::uint8_t alarm = alarm_[static_cast<std::size_t>(b)];
        const int level = alarm & kLevelBits;
        if (level > out.AlarmLevel) {
            out.AlarmLevel = level;
            out.AlarmBox = alarm >> kBoxShift;
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
