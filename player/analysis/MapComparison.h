#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "analysis/LogMap.h"
#include "analysis/LogOutline.h"
#include "analysis/SlotPairing.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// A map of a log beside the map of a reference log over the same cells, and per cell the
// difference of a statistic, log minus reference: where the engine now knocks more, runs
// hotter, or is driven more often.
//
// Both maps bin by the same items on the same axes (the log's, fitted to the log's
// values or given) and fill the cells with the same item, each over its own log's range;
// the reference's items are its slots that record the same items (SlotPairing), and
// computed items and the filter are the same formulas, bound to each log's slots. A cell
// where either log has fewer than `greyBelow` samples (at least one) has no difference:
// too thin in one of them to say what changed.
class MapComparison {
public:
    // The map window's "grey below" at first: a cell of fewer samples is too thin to trust.
    static constexpr std::int64_t DefaultGreyBelow = 3;

    // The request of the reference's map: `request` (of the log) with each item slot
    // replaced by the reference's slot paired with it, and `referenceRange`. nullopt with
    // the reason in `error` when the reference records one of the items in no slot paired
    // with the log's ("the reference has no item 44 (Air Volume) for the vertical axis").
    static std::optional<MapRequest> ReferenceRequest(const MapRequest& request,
                                                      const LogOutline& log,
                                                      const LogOutline& reference,
                                                      SampleRange referenceRange,
                                                      std::string& error);

    // Both maps (positional reads; neither log's read position moves) and their
    // comparison. nullopt with the reason in `error` when either map cannot be made (see
    // LogMap::Compute); a reason of the reference's map starts with "the reference: ".
    static std::optional<MapComparison> Compute(const LogFile& log, const LogFile& reference,
                                                const MapRequest& request,
                                                SampleRange referenceRange, std::stop_token stop,
                                                std::string& error);

    // Two maps made on the same axes; nullopt when their axes differ.
    static std::optional<MapComparison> Of(LogMap log, LogMap reference);

    const LogMap& Log() const noexcept { return log_; }
    const LogMap& Reference() const noexcept { return reference_; }
    int Columns() const noexcept { return log_.Columns(); }
    int Rows() const noexcept { return log_.Rows(); }

    // Log minus reference of `statistic` in a cell (of counts for Count); nullopt where
    // either log has fewer than `greyBelow` samples there (no sample counts as fewer than
    // 1).
    std::optional<double> Difference(int column, int row, MapStatistic statistic,
                                     std::int64_t greyBelow) const;

    // The largest magnitude of the cells' differences (0 without any): the ends of a
    // colour scale centred on zero.
    double LargestDifference(MapStatistic statistic, std::int64_t greyBelow) const;

    // The difference table in the form of LogMap::Text: edges, and per cell the
    // difference of the two figures as the maps' texts show them (ShownDifference; a
    // count's as a whole number), empty where there is none.
    std::string DifferenceText(MapStatistic statistic, std::int64_t greyBelow,
                               char separator = ',') const;

    // The three tables, each after a line naming it and with an empty line between them:
    // the log's map (`logName`), the reference's ("NAME (reference)") and the difference
    // ("difference: LOG - REF (empty where a log has fewer than 3 samples)"). What
    // `orvane-csv --map ... --compare` prints and the map window copies.
    std::string Text(MapStatistic statistic, std::int64_t greyBelow, char separator,
                     std::string_view logName, std::string_view referenceName) const;

private:
    MapComparison(LogMap log, LogMap reference)
        : log_(std::move(log)), reference_(std::move(reference)) {}

    LogMap log_;
    LogMap reference_;
};

}  // namespace orvane
