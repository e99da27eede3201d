#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/FormulaSet.h"
#include "analysis/LogOutline.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"
#include "log/modOrvane.h"

namespace orvane {

// The alarm thresholds of the value box that shows a log slot; 0 or less: none.
struct SlotThresholds {
    double Threshold1 = 0;
    double Threshold2 = 0;
};

// Samples of a range at or above one threshold, and the time they cover.
struct ThresholdTally {
    double Threshold = 0;  // 0: the box has no such threshold (nothing counted)
    std::int64_t Samples = 0;
    std::int64_t Millis = 0;
};

// One line of the statistics: an item slot, one switch of a switch-status slot, or a
// computed item.
struct StatisticsRow {
    enum class Kind { Value, Switch };

    Kind RowKind = Kind::Value;
    int Slot = 0;  // log slot 1 to 18; 0 for a computed item
    std::int16_t Code = -1;
    bool Computed = false;  // a Value row of a computed item (Slot 0, Code -1)
    std::string Name;       // the item's name; a switch's CSV label ("Idle-SW"...)
    std::string Unit;

    // Value rows: extremes and mean of the converted values over the samples counted
    // (those the filter lets through that have a value). Ties take the first sample.
    // With no sample counted (Samples 0) the figures are 0 and the cells empty.
    std::int64_t Samples = 0;
    double Min = 0;
    double Max = 0;
    double Mean = 0;
    std::int64_t MinSample = 0;
    std::int64_t MaxSample = 0;
    std::int32_t MinMillis = 0;  // Millis of those samples (their time: SampleTime)
    std::int32_t MaxMillis = 0;
    std::array<ThresholdTally, 2> AtOrAbove;  // threshold 1 and threshold 2

    // Switch rows.
    SwitchKind Switch = SwitchKind::Idle;
    std::int64_t OnSamples = 0;
    std::int64_t OnMillis = 0;
};

// Statistics of every item of a log over a range of samples: one row per slot that
// holds an item (all 18 slots, shown or not), in slot order; a switch-status slot gives
// one row per switch instead (Idle, Power, AC and TDC for item 2, the AC relay for
// item 0). Items without a formula (and codes the catalogue does not know) give 0s;
// nothing is ever NaN.
//
// With formulas (FormulaSet), the computed items present in the log follow as Value
// rows of their own, in their order, and only the samples where the filter holds are
// counted, in every row; the items absent for the log are listed in Notes().
//
// Time covered by a sample: the gap from its Millis to the next sample's in the log
// (the sample after the range's last one when the log goes on), counted only when it is
// 1 to 999 ms. A gap of 0 or less (the counter jumping back) or of a second or more (the
// logger pausing) counts 0, as playback waits no time there; so does the log's last
// sample, which has no next one. The time at or above a threshold, and a switch's ON
// time, are the sums of these times over the samples concerned.
class LogStatistics {
public:
    // Reads the samples of `range` (positional reads; the log's read position does not
    // move). nullopt with the reason in `error` when the range is empty or not inside
    // the log, the log cannot be read, or `stop` was triggered ("cancelled").
    static std::optional<LogStatistics> Compute(
        const LogFile& log, SampleRange range,
        std::span<const SlotThresholds, SlotCount> thresholds, std::stop_token stop,
        std::string& error);

    // The same with computed items and a filter. Also nullopt when the filter cannot be
    // used for the log (it names an item the log does not record).
    static std::optional<LogStatistics> Compute(
        const LogFile& log, SampleRange range,
        std::span<const SlotThresholds, SlotCount> thresholds, const FormulaSet& formulas,
        std::stop_token stop, std::string& error);

    const LogOutline& Outline() const noexcept { return outline_; }
    SampleRange Range() const noexcept { return range_; }
    const std::vector<StatisticsRow>& Rows() const noexcept { return rows_; }

    // The filter's condition (empty: none), the samples of the range where it holds (all
    // of them without a filter), and the line that says so: "tps > 90: 812 of 9,421
    // samples" (empty without a filter).
    const std::string& Filter() const noexcept { return filter_; }
    std::int64_t Passed() const noexcept { return passed_; }
    std::string FilterSummary() const;

    // The computed items left out because the log lacks what they need, each with the
    // reason: "Inj duty: needs ipw (Inj pulse width), which the log does not record".
    const std::vector<std::string>& Notes() const noexcept { return notes_; }

    // The time from the range's first sample to its last, by their counters (pauses
    // included; negative when the counter went backwards), for "104 samples, 0:31.2".
    std::int64_t DurationMillis() const noexcept {
        return static_cast<std::int64_t>(lastMillis_) - firstMillis_;
    }

    // The table as text, in two sections that each have their own columns, so that a
    // column means one thing all the way down: the value rows, under HeaderCells, and
    // the switch rows, under SwitchHeaderCells. Cells gives a row's cells under the
    // headings of its section: every value in the value boxes' text form, times of day
    // "HH:MM:SS", times in seconds.
    static std::vector<std::string> HeaderCells();
    static std::vector<std::string> SwitchHeaderCells();
    std::vector<std::string> Cells(const StatisticsRow& row) const;

    // The value section (its header line and one line per value row), then, when the
    // log has a switch byte, an empty line and the switch section; cells separated by
    // tabs, lines ending in "\n": what the statistics window copies and
    // `orvane-csv --stats` prints.
    std::string TabSeparatedText() const;

private:
    LogOutline outline_;
    SampleRange range_;
    std::vector<StatisticsRow> rows_;
    std::int32_t firstMillis_ = 0;
    std::int32_t lastMillis_ = 0;
    std::string filter_;
    std::int64_t passed_ = 0;
    std::vector<std::string> notes_;
};

}  // namespace orvane
