#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/LogOutline.h"
#include "analysis/MinMaxSummary.h"
#include "log/LogRecord.h"
#include "log/modOrvane.h"

namespace orvane {

// One line of a chart: what it draws for each sample of the log. A log slot's item gives
// its converted value; one switch of a switch-status slot gives 1 while it is on and 0
// while it is off. (Items computed from others are a kind still to come; whatever a kind
// is, it answers the same questions.)
class ChartSeries {
public:
    enum class Kind { Item, Switch };

    static ChartSeries Item(int slot, std::int16_t code);
    static ChartSeries Switch(int slot, SwitchKind kind);

    Kind SeriesKind() const noexcept { return kind_; }
    int Slot() const noexcept { return slot_; }
    std::int16_t Code() const noexcept { return code_; }
    SwitchKind Switched() const noexcept { return switch_; }

    // The series' name as the player names it (the item's name, the switch's label), its
    // unit, and the code the settings file keeps it by: the item code ("33"), or the
    // switch's label ("Idle-SW").
    std::string Name() const;
    std::string Unit() const;
    std::string Key() const;

    // The value of the series at a sample: from the record's 22 bytes, or the record.
    double ValueAt(const std::uint8_t* record) const noexcept { return ValueOf(record[3 + slot_]); }
    double ValueAt(const LogRecord& record) const noexcept {
        return ValueOf(record.SlotBytes[static_cast<std::size_t>(slot_ - 1)]);
    }
    // The value of the series in one raw byte of its slot, and over a run of samples
    // whose raw extremes are `raw` (exact: the item formulas are monotone).
    double ValueOf(std::uint8_t raw) const noexcept;
    std::pair<double, double> ValuesOf(RawExtremes raw) const noexcept;
    // A value as the value boxes write it, with the unit ("3125rpm"); a switch "ON"/"OFF".
    std::string Text(double value) const;

    // The scale drawn when the layout gives none: the catalogue's range of the item
    // (lowest first), 0 to 1 for a switch.
    std::pair<double, double> CatalogueScale() const noexcept;

    friend bool operator==(const ChartSeries& a, const ChartSeries& b) noexcept {
        return a.kind_ == b.kind_ && a.slot_ == b.slot_ && a.code_ == b.code_ &&
               (a.kind_ != Kind::Switch || a.switch_ == b.switch_);
    }

private:
    Kind kind_ = Kind::Item;
    int slot_ = 0;
    std::int16_t code_ = -1;
    SwitchKind switch_ = SwitchKind::Idle;
    std::array<double, 256> values_{};
};

// Every series a log offers, in slot order: one per slot with an item, one per switch
// for a switch-status slot (Idle, Power, AC and TDC for item 2; the AC relay for item 0).
std::vector<ChartSeries> SeriesOfLog(const LogOutline& outline);

// The series of a log that `key` (as Key() gives it) names: the first slot holding that
// item or switch byte; nullopt when the log has none, or the key names nothing.
std::optional<ChartSeries> SeriesByKey(const LogOutline& outline, const std::string& key);

}  // namespace orvane
