#include "analysis/LogMap.h"

#include "analysis/ComputedItem.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/ComputedItem.h"
#include "analysis/TwoHalves.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

constexpr std::int16_t kEngineSpeed = 33;
constexpr std::int16_t kAirVolume = 44;
constexpr std::int16_t kMassAirFlow = 26;
constexpr std::int16_t kThrottle = 23;
constexpr std::int16_t kKnockSum = 38;

// The bin of each raw byte of a slot on an axis, with the bytes outside the axis's range.
struct AxisTable {
    std::array<std::uint16_t, 256> Bin{};
    std::array<std::uint8_t, 256> Below{};
    std::array<std::uint8_t, 256> Above{};
};

AxisTable MakeAxisTable(const MapAxis& axis, std::int16_t code) {
    AxisTable table;
    const auto values = ValueTable(code);
    for (std::size_t raw = 0; raw < 256; ++raw) {
        table.Bin[raw] = static_cast<std::uint16_t>(axis.BinOf(values[raw]));
        table.Below[raw] = values[raw] < axis.Min ? 1 : 0;
        table.Above[raw] = values[raw] >= axis.Max ? 1 : 0;
    }
    return table;
}

// The cell of a sample; what both the plain pass and the one with formulas add.
void AddToCell(MapCell& cell, double value, std::int64_t sample) noexcept {
    if (cell.Count++ == 0) {
        cell.FirstSample = cell.MaxSample = sample;
        cell.Min = cell.Max = cell.Sum = value;
    } else {
        cell.Sum += value;
        if (value > cell.Max) {
            cell.Max = value;
            cell.MaxSample = sample;
        }
        cell.Min = std::min(cell.Min, value);
    }
}

// The computed item of one of the map's three items, when it is one: its index in the
// formulas, or why it cannot be shown.
std::optional<std::size_t> ComputedChoice(const char* axis, const std::string& name,
                                          const FormulaSet& formulas, std::string& problem) {
    if (name.empty()) return std::nullopt;
    const auto index = formulas.IndexOf(name);
    if (!index) {
        problem = std::string("no computed item \"") + name + "\" for " + axis;
    } else if (!formulas.Present(*index)) {
        problem = std::string("the computed item \"") + name + "\" chosen for " + axis + " " +
                  formulas.AbsentReason(*index);
    }
    return index;
}

std::string SlotProblem(const char* axis, int slot, const LogOutline& outline) {
    if (slot < 1 || slot > SlotCount) {
        return std::string("no item chosen for ") + axis;
    }
    if (outline.CodeOf(slot) < 0) {
        return std::string("slot ") + std::to_string(slot) + " chosen for " + axis +
               " holds no item";
    }
    return {};
}

}  // namespace

std::string MapAxis::Problem() const {
    if (!std::isfinite(Min) || !std::isfinite(Max) || !std::isfinite(Step)) {
        return "the axis range and step must be numbers";
    }
    if (!(Step > 0)) return "the step must be above 0";
    if (!(Max > Min)) return "the end of the axis must be above its start";
    if ((Max - Min) / Step > MaxBins) {
        return "the axis would have more than " + std::to_string(MaxBins) + " bins";
    }
    return {};
}

int MapAxis::Bins() const noexcept {
    if (!std::isfinite(Min) || !std::isfinite(Max) || !std::isfinite(Step) || !(Step > 0) ||
        !(Max > Min) || (Max - Min) / Step > MaxBins) {
        return 0;
    }
    // The lower edges below Max (an edge within the slack of Max is Max itself).
    const double end = Max - Step * 1e-6;
    int bins = std::max(1, static_cast<int>(std::ceil((Max - Min) / Step)));
    while (bins > 1 && Edge(bins - 1) >= end) --bins;
    while (Edge(bins) < end) ++bins;
    return bins;
}

int MapAxis::BinOf(double value) const noexcept {
    const int bins = Bins();
    if (bins == 0 || !(value >= Min)) return 0;
    if (value >= Max) return bins - 1;
    const double slack = Step * 1e-6;
    int bin = std::clamp(static_cast<int>(std::floor((value - Min) / Step)), 0, bins - 1);
    // The division may land one bin off; the edges decide.
    while (bin + 1 < bins && value >= Edge(bin + 1) - slack) ++bin;
    while (bin > 0 && value < Edge(bin) - slack) --bin;
    return bin;
}

MapAxis DefaultMapAxis(std::int16_t code) {
    if (code == kEngineSpeed) return {0, 8000, 500};
    const auto values = ValueTable(code);
    const double low = std::min(values[0], values[255]);
    const double high = std::max(values[0], values[255]);
    if (high > low) return {low, high, (high - low) / 16};
    return {low, low + 16, 1};
}

std::optional<SlotExtents> ScanSlotExtents(const LogFile& log, SampleRange range,
                                           std::stop_token stop, std::string& error) {
    const auto outline = LogOutline::Of(log, error);
    if (!outline) return std::nullopt;
    error = RangeProblem(range, outline->Records);
    if (!error.empty()) return std::nullopt;
    // Which raw bytes each slot holds, for each half of a long range; the values follow
    // from the item's table.
    using Seen = std::array<std::array<std::uint8_t, 256>, SlotCount>;
    std::array<Seen, 2> seen{};
    std::array<ScanResult, 2> results;
    const int parts = InTwoHalves(
        log, range, TwoHalvesMinimum(), 1, [&](const LogFile& file, SampleRange part, int index) {
            Seen& bytesSeen = seen[static_cast<std::size_t>(index)];
            const auto visit = [&](std::int64_t, std::span<const std::uint8_t> bytes) {
                for (std::size_t at = 0; at < bytes.size(); at += RecordSize) {
                    const std::uint8_t* p = bytes.data() + at + 4;
                    for (int k = 0; k < SlotCount; ++k) bytesSeen[k][p[k]] = 1;
                }
                return true;
            };
            results[static_cast<std::size_t>(index)] =
                RecordScan(file, stop).Run(part.First, part.Last, visit);
        });
    for (int index = 0; index < parts; ++index) {
        error = ScanProblem(results[static_cast<std::size_t>(index)]);
        if (!error.empty()) return std::nullopt;
    }
    SlotExtents extents{};
    for (int k = 0; k < SlotCount; ++k) {
        const auto values = ValueTable(outline->Codes[static_cast<std::size_t>(k)]);
        bool any = false;
        for (int raw = 0; raw < 256; ++raw) {
            if (!seen[0][k][raw] && !seen[1][k][raw]) continue;
            const double value = values[raw];
            SlotExtent& extent = extents[k];
            extent.Min = any ? std::min(extent.Min, value) : value;
            extent.Max = any ? std::max(extent.Max, value) : value;
            any = true;
        }
    }
    return extents;
}

MapAxis FittedMapAxis(std::int16_t code, const SlotExtent& extent) {
    if (code == kEngineSpeed || !std::isfinite(extent.Min) || !std::isfinite(extent.Max)) {
        return DefaultMapAxis(code);
    }
    constexpr int kMostBins = 16;
    const double low = extent.Min;
    const double high = std::max(extent.Max, extent.Min);
    // The step before the first candidate: a 16th of the span, or of the one value.
    double least = (high - low) / kMostBins;
    if (!(least > 0)) least = low != 0 ? std::fabs(low) / kMostBins : 1;
    // Steps are m * 10^e; with e below 0 they are taken as m / 10^-e, the nearest
    // double to the decimal, and so are the ends.
    const auto decimal = [](double mantissa, int exponent) {
        return exponent >= 0 ? mantissa * std::pow(10.0, exponent)
                             : mantissa / std::pow(10.0, -exponent);
    };
    // A value within a millionth of a step below an edge counts as on it, as in BinOf.
    const auto multiple = [](double value, double step) { return std::floor(value / step + 1e-6); };
    for (int exponent = static_cast<int>(std::floor(std::log10(least))) - 1;; ++exponent) {
        for (const int mantissa : {1, 2, 5}) {
            const double step = decimal(mantissa, exponent);
            if (step < least * (1 - 1e-9)) continue;
            const double first = multiple(low, step);
            const double last = multiple(high, step) + 1;
            if (last - first > kMostBins) continue;
            return {decimal(first * mantissa, exponent), decimal(last * mantissa, exponent), step};
        }
    }
}

MapStatistic DefaultMapStatistic(const LogOutline& outline) noexcept {
    return outline.SlotOf(kKnockSum) != 0 ? MapStatistic::Max : MapStatistic::Count;
}

MapAxis DefaultMapAxis(const ComputedItemDefinition& item, std::optional<ValueRange> values) {
    if (item.Min && item.Max && *item.Max > *item.Min) {
        return {*item.Min, *item.Max, (*item.Max - *item.Min) / 16};
    }
    if (!values && !item.Min && !item.Max) return {0, 16, 1};
    const double low = item.Min.value_or(values ? values->Min : item.Max.value_or(0));
    const double high = item.Max.value_or(values ? values->Max : low);
    return FittedMapAxis(-1, {low, std::max(low, high)});
}

std::string_view MapStatisticName(MapStatistic statistic) noexcept {
    switch (statistic) {
        case MapStatistic::Max:
            return "max";
        case MapStatistic::Mean:
            return "mean";
        case MapStatistic::Min:
            return "min";
        case MapStatistic::Count:
            return "count";
    }
    return "max";
}

std::optional<MapStatistic> ParseMapStatistic(std::string_view name) noexcept {
    for (const auto statistic :
         {MapStatistic::Max, MapStatistic::Mean, MapStatistic::Min, MapStatistic::Count}) {
        if (name == MapStatisticName(statistic)) return statistic;
    }
    return std::nullopt;
}

MapRequest DefaultMapRequest(const LogOutline& outline) {
    MapRequest request;
    request.XSlot = outline.SlotOf(kEngineSpeed);
    request.X = DefaultMapAxis(kEngineSpeed);
    std::int16_t load = kAirVolume;
    for (const std::int16_t code : {kAirVolume, kMassAirFlow, kThrottle}) {
        if (outline.SlotOf(code) != 0) {
            load = code;
            break;
        }
    }
    request.YSlot = outline.SlotOf(load);
    request.Y = DefaultMapAxis(load);
    request.ZSlot = outline.SlotOf(kKnockSum);
    request.Range = SampleRange::Whole(outline.Records);
    return request;
}

double MapCell::Value(MapStatistic statistic) const noexcept {
    switch (statistic) {
        case MapStatistic::Max:
            return Max;
        case MapStatistic::Mean:
            return Mean();
        case MapStatistic::Min:
            return Min;
        case MapStatistic::Count:
            return static_cast<double>(Count);
    }
    return 0;
}

std::optional<LogMap> LogMap::Compute(const LogFile& log, const MapRequest& request,
                                      std::stop_token stop, std::string& error) {
    const auto outline = LogOutline::Of(log, error);
    if (!outline) return std::nullopt;

    // The computed items the map shows, and its filter.
    const bool withFormulas = !request.XComputed.empty() || !request.YComputed.empty() ||
                              !request.ZComputed.empty() ||
                              request.Filter.find_first_not_of(" \t") != std::string::npos;
    FormulaSet formulas;
    std::array<std::string, 3> computedProblems;
    std::optional<std::size_t> xItem, yItem, zItem;
    if (withFormulas) {
        std::vector<ComputedItemDefinition> shown;
        for (const ComputedItemDefinition& item : request.Computed) {
            if (item.Name == request.XComputed || item.Name == request.YComputed ||
                item.Name == request.ZComputed) {
                shown.push_back(item);
            }
        }
        auto prepared = FormulaSet::Prepare(*outline, shown, request.Filter, error);
        if (!prepared) return std::nullopt;
        formulas = std::move(*prepared);
        formulas.Expect(request.Range.Count());
        xItem =
            ComputedChoice("the horizontal axis", request.XComputed, formulas, computedProblems[0]);
        yItem =
            ComputedChoice("the vertical axis", request.YComputed, formulas, computedProblems[1]);
        zItem = ComputedChoice("the cell value", request.ZComputed, formulas, computedProblems[2]);
    }
    const auto slotProblem = [&](const char* axis, int slot, const std::string& computed,
                                 const std::string& computedProblem) {
        return computed.empty() ? SlotProblem(axis, slot, *outline) : computedProblem;
    };
    for (const auto& problem :
         {slotProblem("the horizontal axis", request.XSlot, request.XComputed, computedProblems[0]),
          slotProblem("the vertical axis", request.YSlot, request.YComputed, computedProblems[1]),
          slotProblem("the cell value", request.ZSlot, request.ZComputed, computedProblems[2]),
          request.X.Problem(), request.Y.Problem(), RangeProblem(request.Range, outline->Records),
          formulas.FilterProblem()}) {
        if (!problem.empty()) {
            error = problem;
            return std::nullopt;
        }
    }

    LogMap map;
    map.request_ = request;
    map.outline_ = *outline;
    map.columns_ = request.X.Bins();
    map.rows_ = request.Y.Bins();
    map.cells_.resize(static_cast<std::size_t>(map.columns_) * static_cast<std::size_t>(map.rows_));

    // A computed item takes its slot's place; its bytes are then not read.
    const AxisTable x = MakeAxisTable(request.X, xItem ? -1 : outline->CodeOf(request.XSlot));
    const AxisTable y = MakeAxisTable(request.Y, yItem ? -1 : outline->CodeOf(request.YSlot));
    const auto z = ValueTable(zItem ? -1 : outline->CodeOf(request.ZSlot));
    const int xAt = 4 + (xItem ? 1 : request.XSlot) - 1;
    const int yAt = 4 + (yItem ? 1 : request.YSlot) - 1;
    const int zAt = 4 + (zItem ? 1 : request.ZSlot) - 1;
    const auto columns = static_cast<std::size_t>(map.columns_);

    // The cells and out-of-range counts of one part of the range.
    struct Part {
        std::vector<MapCell> Cells;
        std::int64_t XBelow = 0, XAbove = 0, YBelow = 0, YAbove = 0;
        std::int64_t Passed = 0;
        ScanResult Result;
    };
    // With formulas: the bin of a value on an axis, or of a slot's byte, and whether it
    // lay beyond the axis's ends. False for a computed item without a value.
    struct Placed {
        int Bin = 0;
        bool Below = false, Above = false;
    };
    const auto place = [](const MapAxis& axis, const AxisTable& table,
                          const std::optional<std::size_t>& item, const FormulaValues& values,
                          std::size_t n, std::uint8_t b, Placed& placed) {
        if (!item) {
            placed = {table.Bin[b], table.Below[b] != 0, table.Above[b] != 0};
            return true;
        }
        const double v = values.Items[*item][n];
        if (std::isnan(v)) return false;
        placed = {axis.BinOf(v), v < axis.Min, v >= axis.Max};
        return true;
    };
    std::array<Part, 2> parts;
    const int count = InTwoHalves(
        log, request.Range, TwoHalvesMinimum(), 1,
        [&](const LogFile& file, SampleRange range, int index) {
            Part& part = parts[index];
            part.Cells.resize(map.cells_.size());
            const RecordScan scan(file, stop);
            if (!withFormulas) {
                part.Passed = range.Count();
                part.Result = scan.Run(
                    range.First, range.Last,
                    [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
                        for (std::size_t at = 0; at < bytes.size(); at += RecordSize, ++sample) {
                            const std::uint8_t* p = bytes.data() + at;
                            const std::uint8_t xb = p[xAt];
                            const std::uint8_t yb = p[yAt];
                            AddToCell(part.Cells[y.Bin[yb] * columns + x.Bin[xb]], z[p[zAt]],
                                      sample);
                            part.XBelow += x.Below[xb];
                            part.XAbove += x.Above[xb];
                            part.YBelow += y.Below[yb];
                            part.YAbove += y.Above[yb];
                        }
                        return true;
                    });
                return;
            }
            std::string streamError;
            auto stream = FormulaStream::Start(file, formulas, range.First, streamError);
            if (!stream) {
                part.Result = {ScanStatus::Failed, streamError, 0};
                return;
            }
            part.Result =
                scan.Run(range.First, range.Last,
                         [&](std::int64_t first, std::span<const std::uint8_t> bytes) {
                             const FormulaValues& values = stream->Next(first, bytes);
                             for (std::size_t n = 0; n < values.Count; ++n) {
                                 if (values.Pass[n] == 0) continue;
                                 ++part.Passed;
                                 const std::uint8_t* p = bytes.data() + n * RecordSize;
                                 Placed px, py;
                                 const double value = zItem ? values.Items[*zItem][n] : z[p[zAt]];
                                 if (!place(request.X, x, xItem, values, n, p[xAt], px) ||
                                     !place(request.Y, y, yItem, values, n, p[yAt], py) ||
                                     std::isnan(value)) {
                                     continue;
                                 }
                                 AddToCell(part.Cells[static_cast<std::size_t>(py.Bin) * columns +
                                                      static_cast<std::size_t>(px.Bin)],
                                           value, first + static_cast<std::int64_t>(n));
                                 part.XBelow += px.Below;
                                 part.XAbove += px.Above;
                                 part.YBelow += py.Below;
                                 part.YAbove += py.Above;
                             }
                             return true;
                         });
        });
    for (int index = 0; index < count; ++index) {
        error = ScanProblem(parts[index].Result);
        if (!error.empty()) return std::nullopt;
    }
    // The second part's samples all come after the first's: its maximum replaces an equal
    // one of the first only when larger, so ties keep the first sample.
    map.cells_ = std::move(parts[0].Cells);
    for (int index = 1; index < count; ++index) {
        const Part& part = parts[index];
        for (std::size_t i = 0; i < map.cells_.size(); ++i) {
            MapCell& cell = map.cells_[i];
            const MapCell& later = part.Cells[i];
            if (later.Count == 0) continue;
            if (cell.Count == 0) {
                cell = later;
                continue;
            }
            cell.Count += later.Count;
            cell.Sum += later.Sum;
            cell.Min = std::min(cell.Min, later.Min);
            if (later.Max > cell.Max) {
                cell.Max = later.Max;
                cell.MaxSample = later.MaxSample;
            }
        }
    }
    for (int index = 0; index < count; ++index) {
        map.xBelow_ += parts[index].XBelow;
        map.xAbove_ += parts[index].XAbove;
        map.yBelow_ += parts[index].YBelow;
        map.yAbove_ += parts[index].YAbove;
        map.passed_ += parts[index].Passed;
    }
    for (const MapCell& cell : map.cells_) map.binned_ += cell.Count;
    return map;
}

std::string LogMap::FilterSummary() const {
    if (request_.Filter.find_first_not_of(" \t") == std::string::npos) return {};
    return FilterSummaryText(request_.Filter, passed_, request_.Range.Count());
}

std::string LogMap::Text(MapStatistic statistic, char separator) const {
    std::string text;
    for (int c = 0; c < columns_; ++c) {
        text += separator;
        text += FormatValue(request_.X.Edge(c));
    }
    text += '\n';
    for (int r = 0; r < rows_; ++r) {
        text += FormatValue(request_.Y.Edge(r));
        for (int c = 0; c < columns_; ++c) {
            text += separator;
            const MapCell& cell = Cell(c, r);
            if (cell.Count == 0) continue;
            // A computed item's figures with two decimals, as the views show its values.
            text += statistic == MapStatistic::Count ? std::to_string(cell.Count)
                    : request_.ZComputed.empty()     ? FormatValue(cell.Value(statistic))
                                                 : ComputedItem::ValueText(cell.Value(statistic));
        }
        text += '\n';
    }
    return text;
}

}  // namespace orvane
