#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/AlarmTable.h"
#include "analysis/ComputedSummary.h"
#include "analysis/LogOutline.h"
#include "analysis/MinMaxSummary.h"
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
    // Smallest and largest raw byte. The item formulas are monotone, so the converted
    // extremes are exact: a rising formula turns RawMin into Min, a falling one (coolant
    // and air temperature, timing advance, EGR temperature) turns RawMax into Min.
    std::uint8_t RawMin = 0;
    std::uint8_t RawMax = 0;
    double Min = 0;  // smallest converted value, Min <= Max
    double Max = 0;  // largest converted value
};

// One pixel column of the overview: the whole samples it covers and what they hold.
struct OverviewColumn {
    SampleRange Samples;
    std::int32_t FirstMillis = 0;  // Millis of the column's first sample
    std::array<OverviewTrace, 2> Traces;
    int AlarmLevel = 0;  // highest alarm level of any box at any of the samples (0, 1, 2)
    int AlarmBox = -1;   // index in the request's Boxes of the box that reached it first
};

// The overview's view of a log's MinMaxSummary: two traced slots over pixel columns of
// whole blocks of samples (the summary's blocks are the overview's buckets: one sample
// each for a log of up to 8192 samples, at most 32 for a long one). Each bucket holds
// the extremes of the slots, the Millis of its first sample, its highest alarm level
// with the box that reached it first, and whether an alarm start lies in it. Drawing at
// any width reads only the summary.
//
// Pixel columns map to whole buckets: for a width W and B buckets, column c covers the
// buckets from floor(c * B / W) up to (not including) floor((c + 1) * B / W), at least
// one. When B >= W (every log of 8192 samples or more, at any width up to 4096) the
// columns split the log with no overlap, so each column's min/max is exact for exactly
// its samples and a single-sample spike always shows in its column. When W > B, columns
// that share a bucket show the same samples (several columns per sample for a short log).
class OverviewSummary {
public:
    // Logs of up to 262,144 samples have at most this many buckets.
    static constexpr std::int64_t MaxBuckets = MinMaxSummary::FewBlocks;

    // The overview of `summary` tracing `request.TracedSlots`; the alarms are those of
    // the boxes the summary was made for (the request's boxes are not used).
    OverviewSummary(std::shared_ptr<const MinMaxSummary> summary, std::array<int, 2> tracedSlots);

    // Scans the whole log into a summary of its own for `request` (for the tools and
    // tests that need nothing else). nullopt with the reason in `error` when the log
    // cannot be read or `stop` was triggered ("cancelled").
    static std::optional<OverviewSummary> Build(const LogFile& log, OverviewRequest request,
                                                std::stop_token stop, std::string& error);

    const OverviewRequest& Request() const noexcept { return request_; }
    const LogOutline& Outline() const noexcept { return summary_->Outline(); }
    // The summary it views.
    const MinMaxSummary& Whole() const noexcept { return *summary_; }
    const std::shared_ptr<const MinMaxSummary>& Shared() const noexcept { return summary_; }

    // Complete records at the time of the scan: the samples 1 to Records().
    std::int64_t Records() const noexcept { return summary_->Records(); }
    std::int64_t Buckets() const noexcept { return summary_->Blocks(); }

    // Millis of the first sample, and the log's length in time: the last complete
    // record's Millis minus the first's (0 for an empty log). The elapsed time of a
    // sample is its Millis minus FirstMillis().
    std::int32_t FirstMillis() const noexcept { return summary_->FirstMillis(); }
    std::int64_t LengthMillis() const noexcept { return summary_->LengthMillis(); }

    // Memory the summary holds, for the record.
    std::size_t MemoryBytes() const noexcept { return sizeof(*this) + summary_->MemoryBytes(); }

    // The columns of an overview `width` pixels wide (none for an empty log or width < 1).
    std::vector<OverviewColumn> Columns(int width) const;
    OverviewColumn Column(int column, int width) const;

    // Computed item `item` of `computed` (made over the same summary's blocks) over the
    // samples of a column: a trace that follows a computed item. nullopt when none of
    // them has a value, the column is outside the strip, or `computed` was made for
    // other blocks.
    std::optional<ValueRange> ComputedExtremes(const ComputedSummary& computed, std::size_t item,
                                               int column, int width) const;

    // The samples column `column` covers (empty for a column outside 0 to width - 1).
    SampleRange SamplesOfColumn(int column, int width) const;

    // The column that shows `sample` (the first of them when several show it); samples
    // outside the log give the nearest end's column; -1 for an empty log or width < 1.
    int ColumnOfSample(std::int64_t sample, int width) const;

    // Buckets, for AlarmStarts: the bucket holding a sample, the samples of a bucket and
    // whether a sample in it is an alarm start for the request's boxes.
    std::int64_t BucketOfSample(std::int64_t sample) const noexcept {
        return summary_->BlockOfSample(sample);
    }
    SampleRange SamplesOfBucket(std::int64_t bucket) const noexcept {
        return summary_->SamplesOfBlock(bucket);
    }
    bool BucketHasAlarmStart(std::int64_t bucket) const noexcept {
        return summary_->HasAlarmStart(bucket);
    }

private:
    // First and end (exclusive) bucket of a column.
    std::pair<std::int64_t, std::int64_t> BucketsOfColumn(int column, int width) const noexcept;

    std::shared_ptr<const MinMaxSummary> summary_;
    OverviewRequest request_;
    std::array<std::array<double, 256>, 2> values_{};  // converted values of the traced slots
};

}  // namespace orvane
