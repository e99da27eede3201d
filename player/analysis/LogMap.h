#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/FormulaStream.h"
#include "analysis/LogOutline.h"
#include "log/ComputedItemDefinition.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// One axis of a map: bins of width Step from Min, bin i holding the values from
// Edge(i) = Min + i * Step up to (not including) Edge(i + 1); a value exactly on an edge
// belongs to the upper bin. Edges such as 0.3 (= 3 * 0.1) are not exact in binary, so a
// value less than a millionth of a step below an edge counts as on it: the value 0.3
// falls into the bin labelled 0.30. There are as many bins as lower edges below Max. Values
// below Min fall into the first bin and values at or above Max into the last, so no
// sample is left out (the map counts them, for an axis label such as "≤" / "≥").
struct MapAxis {
    static constexpr int MaxBins = 1000;

    double Min = 0;
    double Max = 0;
    double Step = 0;

    // Why the axis cannot be used ("the step must be above 0"...); empty when it can.
    std::string Problem() const;

    // Number of bins (0 for an axis with a problem).
    int Bins() const noexcept;
    double Edge(int i) const noexcept { return Min + i * Step; }
    // The bin of a value (see above); 0 for an axis with a problem.
    int BinOf(double value) const noexcept;

    friend bool operator==(const MapAxis&, const MapAxis&) = default;
};

enum class MapStatistic { Max, Mean, Min, Count };

// The default axis of an item: engine speed 0 to 8000 rpm in steps of 500; any other
// item its catalogue range (the converted values of raw 0 and 255, in increasing order)
// in 16 equal steps; an item whose range is a single value (no formula) 16 steps of 1
// from that value.
MapAxis DefaultMapAxis(std::int16_t code);

// The default axis of a computed item: from its Min to its Max where the definition
// gives them, else fitted to `values` (its values in the log) as FittedMapAxis fits an
// item's; 16 steps of 1 from 0 without any value.
MapAxis DefaultMapAxis(const ComputedItemDefinition& item, std::optional<ValueRange> values);

// The lowest and highest converted value a slot holds over a range of samples (0 and 0
// for a slot without an item, a switch byte or an item without a formula).
struct SlotExtent {
    double Min = 0;
    double Max = 0;

    friend bool operator==(const SlotExtent&, const SlotExtent&) = default;
};
using SlotExtents = std::array<SlotExtent, SlotCount>;  // slot k (1-based) is [k - 1]

// The extents of all 18 slots over `range` (positional reads; the log's read position
// does not move). nullopt with the reason in `error` for a range that is empty or not
// inside the log, a log that cannot be read, or a triggered `stop` ("cancelled").
std::optional<SlotExtents> ScanSlotExtents(const LogFile& log, SampleRange range,
                                           std::stop_token stop, std::string& error);

// The axis of an item fitted to the values a log holds, from `extent` (of its slot, by
// ScanSlotExtents over the map's range): from the lowest value rounded down to the
// highest rounded up, with a round step (1, 2 or 5 times a power of ten), the smallest
// that makes at most 16 bins. The highest value lies inside the last bin, not on the
// axis's end, so nothing reads as beyond the axis. Engine speed stays 0 to 8000 rpm in
// steps of 500, so maps of different drives line up.
MapAxis FittedMapAxis(std::int16_t code, const SlotExtent& extent);

// The statistic a map of the log shows at first: the maximum (of Knock sum) when the log
// has Knock sum, else the count of samples, which needs no particular item.
MapStatistic DefaultMapStatistic(const LogOutline& outline) noexcept;

// "max", "mean", "min", "count" and back.
std::string_view MapStatisticName(MapStatistic statistic) noexcept;
std::optional<MapStatistic> ParseMapStatistic(std::string_view name) noexcept;

// What a map shows: the items on the horizontal (X) and vertical (Y) axes and the item
// whose values fill the cells (Z), over a range of samples. Each item is a log slot (1 to
// 18), or a computed item named by XComputed, YComputed or ZComputed (one of Computed's),
// which then takes the place of the slot. With a Filter, only the samples where that
// condition holds are binned.
struct MapRequest {
    int XSlot = 0;
    int YSlot = 0;
    int ZSlot = 0;
    MapAxis X;
    MapAxis Y;
    SampleRange Range;
    std::string XComputed;  // empty: XSlot
    std::string YComputed;
    std::string ZComputed;
    std::vector<ComputedItemDefinition> Computed;
    std::string Filter;  // blank: every sample

    friend bool operator==(const MapRequest&, const MapRequest&) = default;
};

// The default map of a log: X engine speed (item 33); Y Air Volume (44) when the log has
// it, else Mass air flow (26), else Throttle position (23); Z Knock sum (38); default
// axes; the whole log. A slot is 0 when the log has none of its items (the axis is still
// the default axis of the first item named for it).
MapRequest DefaultMapRequest(const LogOutline& outline);

// The samples of one cell.
struct MapCell {
    std::int64_t Count = 0;
    double Min = 0;  // of the Z values
    double Max = 0;
    double Sum = 0;
    std::int64_t FirstSample = 0;  // the cell's first sample
    std::int64_t MaxSample = 0;    // the first sample with the cell's maximum

    double Mean() const noexcept { return Count > 0 ? Sum / static_cast<double>(Count) : 0; }
    double Value(MapStatistic statistic) const noexcept;
};

// A map: every sample of the range binned by its X and Y values, with the count, min,
// mean and max of its Z value per cell.
class LogMap {
public:
    // Reads the samples of the request's range (positional reads; the log's read
    // position does not move). nullopt with the reason in `error` for a slot without an
    // item, an axis with a problem, a range that is empty or not inside the log, a log
    // that cannot be read, or a triggered `stop` ("cancelled"); also for a computed item
    // or filter whose formula does not compile or names an item the log lacks. A sample
    // where a computed item of the map has no value is not binned.
    static std::optional<LogMap> Compute(const LogFile& log, const MapRequest& request,
                                         std::stop_token stop, std::string& error);

    const MapRequest& Request() const noexcept { return request_; }
    const LogOutline& Outline() const noexcept { return outline_; }
    int Columns() const noexcept { return columns_; }  // X bins
    int Rows() const noexcept { return rows_; }        // Y bins, row 0 the lowest values

    const MapCell& Cell(int column, int row) const {
        return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                      static_cast<std::size_t>(column)];
    }

    // The cell of a pair of converted X and Y values, for the sample on display.
    std::pair<int, int> CellOf(double x, double y) const noexcept {
        return {request_.X.BinOf(x), request_.Y.BinOf(y)};
    }

    // Samples whose value lay below the axis's Min (in the first bin) or at or above its
    // Max (in the last bin).
    std::int64_t XBelow() const noexcept { return xBelow_; }
    std::int64_t XAbove() const noexcept { return xAbove_; }
    std::int64_t YBelow() const noexcept { return yBelow_; }
    std::int64_t YAbove() const noexcept { return yAbove_; }

    // The samples of the range where the filter holds (all of them without one), those
    // of them binned (with a value for every computed item of the map), and the line a
    // filtered map shows: "tps > 90: 812 of 9,421 samples" (empty without a filter).
    std::int64_t Passed() const noexcept { return passed_; }
    std::int64_t Binned() const noexcept { return binned_; }
    std::string FilterSummary() const;

    // The table as text: the first line an empty cell, then the lower edge of every X
    // bin; then one line per Y bin from the lowest, its lower edge and one cell per X
    // bin: the statistic in the value boxes' text form (a count as a whole number),
    // empty where the cell has no sample. Cells separated by `separator` ("," for CSV,
    // a tab for the clipboard), lines ending in "\n". Shared by the map window and
    // `orvane-csv --map`.
    std::string Text(MapStatistic statistic, char separator = ',') const;

private:
    MapRequest request_;
    LogOutline outline_;
    int columns_ = 0;
    int rows_ = 0;
    std::vector<MapCell> cells_;
    std::int64_t xBelow_ = 0, xAbove_ = 0, yBelow_ = 0, yAbove_ = 0;
    std::int64_t passed_ = 0, binned_ = 0;
};

}  // namespace orvane
