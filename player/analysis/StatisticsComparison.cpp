#include "analysis/StatisticsComparison.h"

#include <algorithm>

#include "analysis/ComputedItem.h"
#include "analysis/ShownDifference.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

using Row = ComparedStatisticsRow;

bool Counted(const std::optional<StatisticsRow>& row) {
    return row && row->Samples > 0;
}

bool HasThreshold(const std::optional<StatisticsRow>& row, std::size_t n) {
    return Counted(row) && row->AtOrAbove[n].Threshold > 0;
}

std::string Seconds(std::int64_t millis) {
    return FormatValue(static_cast<double>(millis) / 1000.0);
}

std::string ValueText(double value, bool computed) {
    return computed ? ComputedItem::ValueText(value) : FormatValue(value);
}

const char* PresenceText(Row::Presence presence) {
    switch (presence) {
        case Row::Presence::Both:
            return "both";
        case Row::Presence::LogOnly:
            return "log only";
        case Row::Presence::ReferenceOnly:
            return "reference only";
    }
    return "";
}

// The row of `rows` that is the partner of `row` of the other log; null when none is.
const StatisticsRow* PartnerOf(const StatisticsRow& row, const std::vector<StatisticsRow>& rows,
                               int partnerSlot) {
    for (const StatisticsRow& other : rows) {
        if (other.RowKind != row.RowKind || other.Computed != row.Computed) continue;
        if (row.Computed
                ? other.Name == row.Name
                : other.Slot == partnerSlot && partnerSlot != 0 &&
                      (row.RowKind == StatisticsRow::Kind::Value || other.Switch == row.Switch)) {
            return &other;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<double> ComparedStatisticsRow::Difference(
    double StatisticsRow::*figure) const noexcept {
    if (!Counted(Log) || !Counted(Reference)) return std::nullopt;
    return (*Log).*figure - (*Reference).*figure;
}

std::optional<std::int64_t> ComparedStatisticsRow::TimeAtOrAboveDifference(
    std::size_t n) const noexcept {
    if (n > 1 || !HasThreshold(Log, n) || !HasThreshold(Reference, n)) return std::nullopt;
    return Log->AtOrAbove[n].Millis - Reference->AtOrAbove[n].Millis;
}

std::optional<std::int64_t> ComparedStatisticsRow::OnMillisDifference() const noexcept {
    if (!Log || !Reference || Log->RowKind != StatisticsRow::Kind::Switch) return std::nullopt;
    return Log->OnMillis - Reference->OnMillis;
}

StatisticsComparison::StatisticsComparison(LogStatistics log, LogStatistics reference)
    : log_(std::move(log)),
      reference_(std::move(reference)),
      pairing_(log_.Outline(), reference_.Outline()) {
    // Items, computed items and switches, each kind the log's rows first.
    std::vector<Row> items, computed, switches;
    const auto listFor = [&](const StatisticsRow& row) -> std::vector<Row>& {
        if (row.RowKind == StatisticsRow::Kind::Switch) return switches;
        return row.Computed ? computed : items;
    };
    std::vector<bool> paired(reference_.Rows().size(), false);
    for (const StatisticsRow& row : log_.Rows()) {
        Row compared;
        compared.Log = row;
        const StatisticsRow* partner =
            PartnerOf(row, reference_.Rows(), pairing_.ReferenceSlotOf(row.Slot));
        if (partner != nullptr) {
            compared.Reference = *partner;
            paired[static_cast<std::size_t>(partner - reference_.Rows().data())] = true;
        }
        listFor(row).push_back(std::move(compared));
    }
    for (std::size_t i = 0; i < reference_.Rows().size(); ++i) {
        if (paired[i]) continue;
        Row compared;
        compared.Reference = reference_.Rows()[i];
        listFor(*compared.Reference).push_back(std::move(compared));
    }
    rows_ = std::move(items);
    for (auto* list : {&computed, &switches}) {
        rows_.insert(rows_.end(), std::make_move_iterator(list->begin()),
                     std::make_move_iterator(list->end()));
    }
}

std::array<SlotThresholds, SlotCount> StatisticsComparison::ReferenceThresholds(
    const SlotPairing& pairing, std::span<const SlotThresholds, SlotCount> thresholds) {
    std::array<SlotThresholds, SlotCount> mapped{};
    for (const SlotPair& pair : pairing.Pairs()) {
        if (pair.Slot == 0 || pair.ReferenceSlot == 0) continue;
        mapped[static_cast<std::size_t>(pair.ReferenceSlot - 1)] =
            thresholds[static_cast<std::size_t>(pair.Slot - 1)];
    }
    return mapped;
}

std::vector<std::string> StatisticsComparison::HeaderCells() {
    std::vector<std::string> cells{"Item",     "Unit",      "In",      "Min",        "Ref min",
                                   "Min diff", "Max",       "Ref max", "Max diff",   "Mean",
                                   "Ref mean", "Mean diff", "Samples", "Ref samples"};
    for (const char* n : {"1", "2"}) {
        const std::string threshold = std::string("threshold ") + n;
        cells.push_back("Threshold " + std::string(n));
        cells.push_back("Time >= " + threshold + " (s)");
        cells.push_back("Ref time >= " + threshold + " (s)");
        cells.push_back("Time >= " + threshold + " diff (s)");
    }
    return cells;
}

std::vector<std::string> StatisticsComparison::SwitchHeaderCells() {
    return {"Switch",          "In",          "ON samples",
            "Ref ON samples",  "ON time (s)", "Ref ON time (s)",
            "ON time diff (s)"};
}

std::vector<std::string> StatisticsComparison::Cells(const ComparedStatisticsRow& row) const {
    const StatisticsRow& either = row.Either();
    const char* const in = PresenceText(row.In());
    if (either.RowKind == StatisticsRow::Kind::Switch) {
        std::vector<std::string> cells{either.Name, in, "", "", "", "", ""};
        if (row.Log) {
            cells[2] = std::to_string(row.Log->OnSamples);
            cells[4] = Seconds(row.Log->OnMillis);
        }
        if (row.Reference) {
            cells[3] = std::to_string(row.Reference->OnSamples);
            cells[5] = Seconds(row.Reference->OnMillis);
        }
        if (const auto difference = row.OnMillisDifference()) cells[6] = Seconds(*difference);
        return cells;
    }
    std::vector<std::string> cells(HeaderCells().size());
    cells[0] = either.Name;
    cells[1] = either.Unit;
    cells[2] = in;
    const bool computed = either.Computed;
    // Minimum, maximum and mean: log, reference, difference.
    double StatisticsRow::*const figures[] = {&StatisticsRow::Min, &StatisticsRow::Max,
                                              &StatisticsRow::Mean};
    for (std::size_t f = 0; f < 3; ++f) {
        if (Counted(row.Log)) cells[3 + 3 * f] = ValueText((*row.Log).*figures[f], computed);
        if (Counted(row.Reference)) {
            cells[4 + 3 * f] = ValueText((*row.Reference).*figures[f], computed);
        }
        if (Counted(row.Log) && Counted(row.Reference)) {
            cells[5 + 3 * f] =
                ShownDifference((*row.Log).*figures[f], (*row.Reference).*figures[f], computed);
        }
    }
    if (row.Log) cells[12] = std::to_string(row.Log->Samples);
    if (row.Reference) cells[13] = std::to_string(row.Reference->Samples);
    for (std::size_t n = 0; n < 2; ++n) {
        const std::size_t at = 14 + 4 * n;
        const bool log = HasThreshold(row.Log, n);
        const bool reference = HasThreshold(row.Reference, n);
        if (!log && !reference) continue;
        cells[at] = FormatValue((log ? *row.Log : *row.Reference).AtOrAbove[n].Threshold);
        if (log) cells[at + 1] = Seconds(row.Log->AtOrAbove[n].Millis);
        if (reference) cells[at + 2] = Seconds(row.Reference->AtOrAbove[n].Millis);
        if (const auto difference = row.TimeAtOrAboveDifference(n)) {
            cells[at + 3] = Seconds(*difference);
        }
    }
    return cells;
}

std::string StatisticsComparison::FilterSummary() const {
    std::string text = log_.FilterSummary();
    const std::string reference = reference_.FilterSummary();
    if (!reference.empty()) text += (text.empty() ? "" : "\n") + ("reference: " + reference);
    return text;
}

std::string StatisticsComparison::TabSeparatedText() const {
    std::string text;
    const auto append = [&text](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) text += '\t';
            text += cells[i];
        }
        text += '\n';
    };
    const auto isSwitch = [](const Row& row) {
        return row.Either().RowKind == StatisticsRow::Kind::Switch;
    };
    append(HeaderCells());
    for (const Row& row : rows_) {
        if (!isSwitch(row)) append(Cells(row));
    }
    if (std::none_of(rows_.begin(), rows_.end(), isSwitch)) return text;
    text += '\n';
    append(SwitchHeaderCells());
    for (const Row& row : rows_) {
        if (isSwitch(row)) append(Cells(row));
    }
    return text;
}

}  // namespace orvane
