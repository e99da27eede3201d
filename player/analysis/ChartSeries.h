#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/FormulaSet.h"
#include "analysis/LogOutline.h"
#include "analysis/MinMaxSummary.h"
#include "log/LogRecord.h"
#include "log/modOrvane.h"

namespace orvane {

// One line of a chart: what it draws for each sample of the log. A log slot's item gives
// its converted value; one switch of a switch-status slot gives 1 while it is on and 0
// while it is off; a computed item gives its formula's value, which needs the samples
// around it and so is not read from the record alone: its values come from a
// FormulaSet (item ComputedIndex() of the set it was made from) and its extremes from a
// ComputedSummary.
class ChartSeries {
public:
    enum class Kind { Item, Switch, Computed };

    static ChartSeries Item(int slot, std::int16_t code);
    static ChartSeries Switch(int slot, SwitchKind kind);
    // Computed item `index` of a FormulaSet, defined by `definition`.
    static ChartSeries Computed(std::size_t index, const ComputedItemDefinition& definition);

    Kind SeriesKind() const noexcept { return kind_; }
    int Slot() const noexcept { return slot_; }
    std::int16_t Code() const noexcept { return code_; }
    SwitchKind Switched() const noexcept { return switch_; }
    std::size_t ComputedIndex() const noexcept { return computed_; }
    // The scale a computed item's definition gives (both Min and Max), else nullopt.
    std::optional<std::pair<double, double>> DefinedScale() const noexcept;

    // The series' name as the player names it (the item's name, the switch's label), its
    // unit, and the code the settings file keeps it by: the item code ("33"), the
    // switch's label ("Idle-SW"), or the computed item's name ("Inj duty").
    std::string Name() const;
    std::string Unit() const;
    std::string Key() const;

    // The value of the series at a sample: from the record's 22 bytes, or the record
    // (NaN for a computed item, whose value the record alone does not give).
    double ValueAt(const std::uint8_t* record) const noexcept { return ValueOf(record[3 + slot_]); }
    double ValueAt(const LogRecord& record) const noexcept {
        return ValueOf(record.SlotBytes[static_cast<std::size_t>(slot_ - 1)]);
    }
    // The value of the series in one raw byte of its slot, and over a run of samples
    // whose raw extremes are `raw` (exact: the item formulas are monotone).
    double ValueOf(std::uint8_t raw) const noexcept;
    std::pair<double, double> ValuesOf(RawExtremes raw) const noexcept;
    // A value as the value boxes write it, with the unit ("3125rpm"); a switch "ON"/"OFF";
    // a computed item with two decimals ("12.30%"; empty for no value).
    std::string Text(double value) const;

    // The scale drawn when the layout gives none: the catalogue's range of the item
    // (lowest first), 0 to 1 for a switch, the definition's for a computed item (0 to 1
    // when it gives none: the chart then uses the range of its values in the log).
    std::pair<double, double> CatalogueScale() const noexcept;

    friend bool operator==(const ChartSeries& a, const ChartSeries& b) noexcept {
        if (a.kind_ == Kind::Computed || b.kind_ == Kind::Computed) {
            return a.kind_ == b.kind_ && a.definition_.Name == b.definition_.Name;
        }
        return a.kind_ == b.kind_ && a.slot_ == b.slot_ && a.code_ == b.code_ &&
               (a.kind_ != Kind::Switch || a.switch_ == b.switch_);
    }

private:
    Kind kind_ = Kind::Item;
    int slot_ = 0;
    std::int16_t code_ = -1;
    SwitchKind switch_ = SwitchKind::Idle;
    std::array<double, 256> values_{};
    std::size_t computed_ = 0;
    ComputedItemDefinition definition_;
};

// Every series a log offers, in slot order: one per slot with an item, one per switch
// for a switch-status slot (Idle, Power, AC and TDC for item 2; the AC relay for item 0).
std::vector<ChartSeries> SeriesOfLog(const LogOutline& outline);

// The series of a log that `key` (as Key() gives it) names: the first slot holding that
// item or switch byte; nullopt when the log has none, or the key names nothing.
std::optional<ChartSeries> SeriesByKey(const LogOutline& outline, const std::string& key);

// The computed items of `formulas` that the log can compute, in their order.
std::vector<ChartSeries> ComputedSeriesOf(const FormulaSet& formulas);

// As above, and else the computed item of `formulas` named `key` when the log can
// compute it.
std::optional<ChartSeries> SeriesByKey(const LogOutline& outline, const std::string& key,
                                       const FormulaSet& formulas);

}  // namespace orvane
