#include "analysis/ChartSeries.h"

#include <algorithm>
#include <limits>

namespace orvane {
namespace {

constexpr SwitchKind kStatusSwitches[] = {SwitchKind::Idle, SwitchKind::Power, SwitchKind::Ac,
                                          SwitchKind::Tdc};

// The bit of a switch in its status byte, and whether the switch is on when it is clear.
struct SwitchBit {
    std::uint8_t Mask;
    bool OnWhenClear;
};

SwitchBit BitOf(SwitchKind kind) noexcept {
    // Read off the catalogue: the one bit whose value changes the switch's state.
    for (int bit = 0; bit < 8; ++bit) {
        const auto mask = static_cast<std::uint8_t>(1u << bit);
        if (SwitchIsOn(kind, 0) != SwitchIsOn(kind, mask)) return {mask, SwitchIsOn(kind, 0)};
    }
    return {0, false};
}

}  // namespace

ChartSeries ChartSeries::Item(int slot, std::int16_t code) {
    ChartSeries series;
    series.kind_ = Kind::Item;
    series.slot_ = slot;
    series.code_ = code;
    series.values_ = ValueTable(code);
    return series;
}

ChartSeries ChartSeries::Switch(int slot, SwitchKind kind) {
    ChartSeries series;
    series.kind_ = Kind::Switch;
    series.slot_ = slot;
    series.code_ = static_cast<std::int16_t>(SwitchItemCode(kind));
    series.switch_ = kind;
    for (int b = 0; b < 256; ++b) {
        series.values_[static_cast<std::size_t>(b)] =
            SwitchIsOn(kind, static_cast<std::uint8_t>(b)) ? 1.0 : 0.0;
    }
    return series;
}

ChartSeries ChartSeries::Computed(std::size_t index, const ComputedItemDefinition& definition) {
    ChartSeries series;
    series.kind_ = Kind::Computed;
    series.computed_ = index;
    series.definition_ = definition;
    series.values_.fill(std::numeric_limits<double>::quiet_NaN());
    return series;
}

std::optional<std::pair<double, double>> ChartSeries::DefinedScale() const noexcept {
    if (kind_ != Kind::Computed || !definition_.Min || !definition_.Max) return std::nullopt;
    return std::pair{std::min(*definition_.Min, *definition_.Max),
                     std::max(*definition_.Min, *definition_.Max)};
}

std::string ChartSeries::Name() const {
    if (kind_ == Kind::Computed) return definition_.Name;
    if (kind_ == Kind::Switch) return std::string(SwitchLabel(switch_));
    std::string name(SensorName(code_));
    return name.empty() ? "(code " + std::to_string(code_) + ")" : name;
}

std::string ChartSeries::Unit() const {
    if (kind_ == Kind::Computed) return definition_.Unit;
    return kind_ == Kind::Switch ? std::string() : std::string(SensorUnit(code_));
}

std::string ChartSeries::Key() const {
    if (kind_ == Kind::Computed) return definition_.Name;
    return kind_ == Kind::Switch ? std::string(SwitchLabel(switch_)) : std::to_string(code_);
}

double ChartSeries::ValueOf(std::uint8_t raw) const noexcept {
    return values_[raw];
}

std::pair<double, double> ChartSeries::ValuesOf(RawExtremes raw) const noexcept {
    if (kind_ == Kind::Computed) return {values_[0], values_[0]};
    if (kind_ == Kind::Switch) {
        // The summary keeps the AND and the OR of a switch byte: the bit is set in every
        // sample, in some, or in none.
        const SwitchBit bit = BitOf(switch_);
        const bool always = (raw.Low & bit.Mask) != 0;
        const bool ever = (raw.High & bit.Mask) != 0;
        const double low = bit.OnWhenClear ? (ever ? 0 : 1) : (always ? 1 : 0);
        const double high = bit.OnWhenClear ? (always ? 0 : 1) : (ever ? 1 : 0);
        return {low, high};
    }
    const double a = values_[raw.Low];
    const double b = values_[raw.High];
    return {std::min(a, b), std::max(a, b)};
}

std::string ChartSeries::Text(double value) const {
    if (kind_ == Kind::Switch) return value > 0.5 ? "ON" : "OFF";
    if (kind_ == Kind::Computed) {
        const std::string text = ComputedItem::ValueText(value);
        return text.empty() ? text : text + definition_.Unit;
    }
    return FormatValue(value) + Unit();
}

std::pair<double, double> ChartSeries::CatalogueScale() const noexcept {
    if (kind_ == Kind::Switch) return {0, 1};
    if (kind_ == Kind::Computed) return DefinedScale().value_or(std::pair{0.0, 1.0});
    return {std::min(values_[0], values_[255]), std::max(values_[0], values_[255])};
}

std::vector<ChartSeries> SeriesOfLog(const LogOutline& outline) {
    std::vector<ChartSeries> series;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const std::int16_t code = outline.CodeOf(slot);
        if (code < 0) continue;
        if (code == SwitchStatusCode) {
            for (const SwitchKind kind : kStatusSwitches) {
                series.push_back(ChartSeries::Switch(slot, kind));
            }
        } else if (code == SwitchStatus2Code) {
            series.push_back(ChartSeries::Switch(slot, SwitchKind::AcRelay));
        } else {
            series.push_back(ChartSeries::Item(slot, code));
        }
    }
    return series;
}

std::optional<ChartSeries> SeriesByKey(const LogOutline& outline, const std::string& key) {
    for (const ChartSeries& series : SeriesOfLog(outline)) {
        if (series.Key() == key) return series;
    }
    return std::nullopt;
}

std::vector<ChartSeries> ComputedSeriesOf(const FormulaSet& formulas) {
    std::vector<ChartSeries> series;
    for (std::size_t i = 0; i < formulas.ItemCount(); ++i) {
        if (formulas.Present(i)) {
            series.push_back(ChartSeries::Computed(i, formulas.Item(i).Definition()));
        }
    }
    return series;
}

std::optional<ChartSeries> SeriesByKey(const LogOutline& outline, const std::string& key,
                                       const FormulaSet& formulas) {
    if (auto logged = SeriesByKey(outline, key)) return logged;
    const std::optional<std::size_t> index = formulas.IndexOf(key);
    if (!index || !formulas.Present(*index)) return std::nullopt;
    return ChartSeries::Computed(*index, formulas.Item(*index).Definition());
}

}  // namespace orvane
