#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/AlarmTable.h"
#include "analysis/LogOutline.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// What the overview of a log traces: up to two log slots, drawn as min/max envelopes,
// and the value boxes whose alarms are marked.
struct OverviewRequest {
    std::array<int, 2> TracedSlots{0, 0};  // log slots 1 to 18; 0 (or any other number): none
    std::vector<AlarmBox> Boxes;
};

// One traced slot over the samples of a column.
struct OverviewTrace {
    bool Present = false;  // false when the slot is not traced (the other fields are 0)
    // Smallest, largest and first raw byte. The item formulas are monotone, so the
    // converted extremes are exact: a rising formula turns RawMin into Min, a falling one
    // (coolant and air temperature, timing advance, EGR temperature) turns RawMax into Min.
    std::uint8_t RawMin = 0;
    std::uint8_t RawMax = 0;
    std::uint8_t RawFirst = 0;
    double Min = 0;    // smallest converted value, Min <= Max
    double Max = 0;    // largest converted value
    double First = 0;  // converted value of the column's first sample
};

// One pixel column of the overview: the whole samples it covers and what they hold.
struct OverviewColumn {
    SampleRange Samples;
    std::int32_t FirstMillis = 0;  // Millis of the column's first sample
    std::array<OverviewTrace, 2> Traces;
    int AlarmLevel = 0;  // highest alarm level of any box at any of the samples (0, 1, 2)
    int AlarmBox = -1;   // index in the request's Boxes of the box that reached it first
};

// A small summary of a whole log, computed in one pass: the samples are grouped into at
// most MaxBuckets buckets of equally many whole consecutive samples (the last one
// may hold fewer), and each bucket keeps the raw min, max and first byte of the traced
// slots, the Millis of its first sample, its highest alarm level with the box that
// reached it first, and whether an alarm start lies in it. About 12 bytes a bucket, so
// at most about 100 KB whatever the log's length; drawing at any width reads only this.
//
// Pixel columns map to whole buckets: for a width W and B buckets, column c covers the
// buckets from floor(c * B / W) up to (not including) floor((c + 1) * B / W), at least
// one. When B >= W (every log of 8192 samples or more, at any width up to 4096) the
// columns split the log with no overlap, so each column's min/max is exact for exactly
// its samples and a single-sample spike always shows in its column. When W > B, columns
// that share a bucket show the same samples (several columns per sample for a short log).
class OverviewSummary {
public:
    static constexpr std::int64_t MaxBuckets = 8192;

    // Scans the whole log (positional reads; the log's read position does not move).
    // nullopt with the reason in `error` when the log cannot be read or `stop` was
    // triggered ("cancelled").
    static std::optional<OverviewSummary> Build(const LogFile& log, OverviewRequest request,
                                                std::stop_token stop, std::string& error);

    const OverviewRequest& Request() const noexcept { return request_; }
    const LogOutline& Outline() const noexcept { return outline_; }

    // Complete records at the time of the scan: the samples 1 to Records().
    std::int64_t Records() const noexcept { return outline_.Records; }
    std::int64_t Buckets() const noexcept { return static_cast<std::int64_t>(firstMillis_.size()); }

    // Millis of the first sample, and the log's length in time: the last complete
    // record's Millis minus the first's (0 for an empty log). The elapsed time of a
    // sample is its Millis minus FirstMillis().
    std::int32_t FirstMillis() const noexcept { return firstMillisOfLog_; }
    std::int64_t LengthMillis() const noexcept { return lengthMillis_; }

    // Memory the summary holds, for the record.
    std::size_t MemoryBytes() const noexcept;

    // The columns of an overview `width` pixels wide (none for an empty log or width < 1).
    std::vector<OverviewColumn> Columns(int width) const;
    OverviewColumn Column(int column, int width) const;

    // The samples column `column` covers (empty for a column outside 0 to width - 1).
    SampleRange SamplesOfColumn(int column, int width) const;

    // The column that shows `sample` (the first of them when several show it); samples
    // outside the log give the nearest end's column; -1 for an empty log or width < 1.
    int ColumnOfSample(std::int64_t sample, int width) const;

    // Buckets, for AlarmStarts: the bucket holding a sample, the samples of a bucket and
    // whether a sample in it is an alarm start for the request's boxes.
    std::int64_t BucketOfSample(std::int64_t sample) const noexcept {
        return (sample - 1) / perBucket_;
    }
    SampleRange SamplesOfBucket(std::int64_t bucket) const noexcept;
    bool BucketHasAlarmStart(std::int64_t bucket) const noexcept;

private:
    OverviewSummary() = default;

    // First and end (exclusive) bucket of a column.
    std::pair<std::int64_t, std::int64_t> BucketsOfColumn(int column, int width) const noexcept;

    OverviewRequest request_;
    LogOutline outline_;
    std::int64_t perBucket_ = 1;
    std::int32_t firstMillisOfLog_ = 0;
    std::int64_t lengthMillis_ = 0;
    std::array<std::array<double, 256>, 2> values_{};  // converted values of the traced slots
    // Per bucket.
    std::vector<std::int32_t> firstMillis_;
    std::array<std::vector<std::uint8_t>, 2> rawMin_, rawMax_, rawFirst_;
    // Bits 0-1 the highest level, bit 2 set when an alarm start lies in the bucket,
    // bits 3-7 the first box at that level.
    std::vector<std::uint8_t> alarm_;
};

}  // namespace orvane
