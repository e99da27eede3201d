#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/LogStatistics.h"
#include "analysis/SlotPairing.h"

namespace orvane {

// One line of a comparison of two logs' statistics: an item, a switch or a computed item
// with its row in the log, in the reference log, or in both.
struct ComparedStatisticsRow {
    enum class Presence { Both, LogOnly, ReferenceOnly };

    std::optional<StatisticsRow> Log;
    std::optional<StatisticsRow> Reference;

    Presence In() const noexcept {
        return Log && Reference ? Presence::Both
                                : (Log ? Presence::LogOnly : Presence::ReferenceOnly);
    }
    // The row of whichever log has it (the log's when both do): name, unit, kind.
    const StatisticsRow& Either() const { return Log ? *Log : *Reference; }

    // Log minus reference of a value row's minimum, maximum and mean: nullopt unless both
    // logs have the row and counted samples for it.
    std::optional<double> MinDifference() const noexcept { return Difference(&StatisticsRow::Min); }
    std::optional<double> MaxDifference() const noexcept { return Difference(&StatisticsRow::Max); }
    std::optional<double> MeanDifference() const noexcept {
        return Difference(&StatisticsRow::Mean);
    }
    // Log minus reference of the time at or above threshold n (0 or 1) of a value row, in
    // milliseconds: nullopt unless both rows have counted samples and that threshold.
    std::optional<std::int64_t> TimeAtOrAboveDifference(std::size_t n) const noexcept;
    // Log minus reference of a switch's ON time, in milliseconds; nullopt unless both
    // logs have the switch.
    std::optional<std::int64_t> OnMillisDifference() const noexcept;

private:
    std::optional<double> Difference(double StatisticsRow::*figure) const noexcept;
};

// The statistics of a log beside those of a reference log (the same drive before a
// change, say), with the differences, log minus reference: what changed.
//
// Rows are matched by item, whatever slot order each logger used: item rows and switch
// rows by their slots as SlotPairing pairs them (and the switch), computed items by
// name. Rows come in the order of the log's statistics, each with its partner; an item,
// switch or computed item that one log lacks is listed for the other alone (the
// reference's after the log's of the same kind), and its "In" cell says which log has it.
//
// For each value row: minimum, maximum and mean, of both logs and their difference; the
// samples counted in each; and per threshold the time at or above it in both and the
// difference (times, unlike sample counts, compare across loggers of different sample
// rates). For each switch: the ON samples of both, the ON time of both and its
// difference. The rows' differences are of the exact figures; the text's are of the
// figures as shown (ShownDifference), so that each line adds up.
class StatisticsComparison {
public:
    // Both statistics as computed for each log over its own range (with the same computed
    // items and filter, and the thresholds mapped by ReferenceThresholds).
    StatisticsComparison(LogStatistics log, LogStatistics reference);

    const LogStatistics& Log() const noexcept { return log_; }
    const LogStatistics& Reference() const noexcept { return reference_; }
    const SlotPairing& Pairing() const noexcept { return pairing_; }
    const std::vector<ComparedStatisticsRow>& Rows() const noexcept { return rows_; }

    // The thresholds for the reference's statistics: each reference slot takes those of
    // the log's slot it is paired with, so that both count time above the same values.
    static std::array<SlotThresholds, SlotCount> ReferenceThresholds(
        const SlotPairing& pairing, std::span<const SlotThresholds, SlotCount> thresholds);

    // The headings and cells of the two sections, as LogStatistics has them: every value
    // in the value boxes' text form (computed items with two decimals), times in
    // seconds; a cell empty where its log lacks the row or counted no sample.
    static std::vector<std::string> HeaderCells();
    static std::vector<std::string> SwitchHeaderCells();
    std::vector<std::string> Cells(const ComparedStatisticsRow& row) const;

    // The filters' lines: the log's ("tps > 90: 812 of 9,421 samples") and, on a line of
    // its own, the reference's ("reference: tps > 90: 640 of 8,200 samples"); empty
    // without a filter.
    std::string FilterSummary() const;

    // The value section, then (when either log has a switch byte) an empty line and the
    // switch section; cells separated by tabs, lines ending in "\n": what the statistics
    // window copies and `orvane-csv --stats LOG --compare REF` prints.
    std::string TabSeparatedText() const;

private:
    LogStatistics log_;
    LogStatistics reference_;
    SlotPairing pairing_;
    std::vector<ComparedStatisticsRow> rows_;
};

}  // namespace orvane
