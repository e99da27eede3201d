#include "analysis/LogStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "analysis/FormulaStream.h"
#include "analysis/TwoHalves.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

// Gaps playback waits for; any other gap covers no time.
constexpr std::int64_t kShortestGap = 1;
constexpr std::int64_t kLongestGap = 999;

std::int64_t CountedGap(std::int32_t from, std::int32_t to) noexcept {
    const std::int64_t gap = static_cast<std::int64_t>(to) - from;
    return gap >= kShortestGap && gap <= kLongestGap ? gap : 0;
}

constexpr SwitchKind kStatusSwitches[] = {SwitchKind::Idle, SwitchKind::Power, SwitchKind::Ac,
                                          SwitchKind::Tdc};
constexpr SwitchKind kStatus2Switches[] = {SwitchKind::AcRelay};

// What one pass gathers for each slot: how often each raw byte occurs, the first sample
// holding it, and the time the samples holding it cover.
//
// A chunk of records is first tallied on its own in tables of 64-bit cells, each
// holding a count in its low 16 bits and a time above them: every record adds
// (its gap << 16) + 1 to the cell of each slot's byte, one addition per slot for both
// tallies, in a fixed loop over all 18 slots with no branch per byte. A record's time
// ends at the next record, so the last record of a chunk is tallied with the next chunk
// (or at the end of the range). The chunk's cells are then added to the totals, and a
// slot's chunk is read again only when it holds a byte not seen before, to find that
// byte's first sample; new bytes are rare after the first chunks.
class Tallies {
public:
    // Counts up to 65535 and times up to 2^48 ms fit a cell.
    static_assert(RecordScan::ChunkRecords + 1 <= 65535, "chunk counts are 16 bits");

    using Table64 = std::array<std::array<std::int64_t, 256>, SlotCount>;
    Table64 Count{};
    Table64 FirstSample{};  // 0: not seen yet
    std::array<std::array<std::int32_t, 256>, SlotCount> FirstMillis{};
    Table64 Millis{};
    // The counters of the first and the last record tallied.
    std::int32_t FirstRecordMillis = 0;
    std::int32_t LastRecordMillis = 0;

    explicit Tallies(std::vector<int> slots) : slots_(std::move(slots)) {}

    // Adds the records of a chunk (the first one at sample `firstSample`): all but its
    // last, which is held back, and the one held back from the chunk before. With
    // `pass` (one flag per record of the chunk), only the records whose flag is set.
    void AddChunk(std::int64_t firstSample, std::span<const std::uint8_t> bytes,
                  const std::uint8_t* pass = nullptr) {
        if (!held_) FirstRecordMillis = RecordView{bytes.data()}.Millis();
        cells_ = {};
        const std::uint8_t* const last = bytes.data() + bytes.size() - RecordSize;
        std::int64_t tallied = firstSample;  // sample number of the first record tallied
        if (held_) {
            Add(heldRecord_, RecordView{bytes.data()}.Millis(), heldPass_);
            tallied = heldSample_;
        }
        // Two records at a time, each into a table of its own: a slot whose byte stays
        // the same from one record to the next then adds to two cells in turn, and the
        // additions do not wait for each other. A record the filter rejects adds 0.
        const std::uint8_t* p = bytes.data();
        if (pass == nullptr) {
            for (; p + RecordSize < last; p += 2 * RecordSize) {
                const std::uint8_t* q = p + RecordSize;
                const std::uint64_t cellP = Cell(p, RecordView{q}.Millis());
                const std::uint64_t cellQ = Cell(q, RecordView{q + RecordSize}.Millis());
                for (int k = 0; k < SlotCount; ++k) {
                    cells_[0][k][p[4 + k]] += cellP;
                    cells_[1][k][q[4 + k]] += cellQ;
                }
            }
        } else {
            for (; p + RecordSize < last; p += 2 * RecordSize) {
                const std::uint8_t* q = p + RecordSize;
                const auto n = static_cast<std::size_t>(p - bytes.data()) / RecordSize;
                const std::uint64_t cellP = Cell(p, RecordView{q}.Millis()) & Mask(pass[n]);
                const std::uint64_t cellQ =
                    Cell(q, RecordView{q + RecordSize}.Millis()) & Mask(pass[n + 1]);
                for (int k = 0; k < SlotCount; ++k) {
                    cells_[0][k][p[4 + k]] += cellP;
                    cells_[1][k][q[4 + k]] += cellQ;
                }
            }
        }
        const auto count = bytes.size() / RecordSize;
        if (p < last) {
            const auto n = static_cast<std::size_t>(p - bytes.data()) / RecordSize;
            Add(p, RecordView{p + RecordSize}.Millis(), pass == nullptr || pass[n] != 0);
        }
        for (const int k : slots_) {
            if (AddCells(k)) FindFirstSamples(k, tallied, bytes, pass);
        }
        std::memcpy(heldRecord_, last, RecordSize);
        heldSample_ = firstSample + static_cast<std::int64_t>(count) - 1;
        heldPass_ = pass == nullptr || pass[count - 1] != 0;
        held_ = true;
    }

    // Adds the record held back at the end of the range, whose time ends at the next
    // sample's `nextMillis` (nullopt: there is no next sample, it covers no time).
    void Finish(std::optional<std::int32_t> nextMillis) {
        if (!held_) return;
        cells_ = {};
        const std::int32_t millis = RecordView{heldRecord_}.Millis();
        LastRecordMillis = millis;
        Add(heldRecord_, nextMillis.value_or(millis), heldPass_);
        for (const int k : slots_) {
            if (!AddCells(k)) continue;
            FirstSample[k][heldRecord_[4 + k]] = heldSample_;
            FirstMillis[k][heldRecord_[4 + k]] = millis;
        }
        held_ = false;
    }

private:
    // What a record adds to the cell of each slot's byte: one sample and its time.
    static std::uint64_t Cell(const std::uint8_t* record, std::int32_t nextMillis) {
        const auto gap =
            static_cast<std::uint64_t>(CountedGap(RecordView{record}.Millis(), nextMillis));
        return gap << 16 | 1;
    }

    static std::uint64_t Mask(std::uint8_t pass) noexcept {
        return pass != 0 ? ~std::uint64_t{0} : 0;
    }

    void Add(const std::uint8_t* record, std::int32_t nextMillis, bool passes) {
        if (!passes) return;
        const std::uint64_t cell = Cell(record, nextMillis);
        for (int k = 0; k < SlotCount; ++k) cells_[0][k][record[4 + k]] += cell;
    }

    // Adds slot k's cells to the totals; true when a byte occurred for the first time.
    bool AddCells(int k) {
        bool fresh = false;
        for (int b = 0; b < 256; ++b) {
            const std::uint64_t cell = cells_[0][k][b] + cells_[1][k][b];
            if (cell == 0) continue;
            fresh |= Count[k][b] == 0;
            Count[k][b] += static_cast<std::int64_t>(cell & 0xFFFF);
            Millis[k][b] += static_cast<std::int64_t>(cell >> 16);
        }
        return fresh;
    }

    // Notes the first sample of slot k's new bytes among the records just tallied: the
    // one held back before (when there was one) and all of the chunk's but its last
    // (those the filter let through).
    void FindFirstSamples(int k, std::int64_t sample, std::span<const std::uint8_t> bytes,
                          const std::uint8_t* pass) {
        const auto note = [&](const std::uint8_t* record, bool passes) {
            const std::uint8_t b = record[4 + k];
            if (passes && FirstSample[k][b] == 0) {
                FirstSample[k][b] = sample;
                FirstMillis[k][b] = RecordView{record}.Millis();
            }
            ++sample;
        };
        if (held_) note(heldRecord_, heldPass_);
        for (std::size_t at = 0, n = 0; at + RecordSize < bytes.size(); at += RecordSize, ++n) {
            note(bytes.data() + at, pass == nullptr || pass[n] != 0);
        }
    }

public:
    // Adds the tallies of the samples that follow this one's (tallied on their own, and
    // finished): counts and times add up, and a byte's first sample is the earlier one.
    void Merge(const Tallies& later) {
        for (const int k : slots_) {
            for (int b = 0; b < 256; ++b) {
                if (later.Count[k][b] == 0) continue;
                if (Count[k][b] == 0) {
                    FirstSample[k][b] = later.FirstSample[k][b];
                    FirstMillis[k][b] = later.FirstMillis[k][b];
                }
                Count[k][b] += later.Count[k][b];
                Millis[k][b] += later.Millis[k][b];
            }
        }
    }

private:
    std::vector<int> slots_;
    std::array<std::array<std::array<std::uint64_t, 256>, SlotCount>, 2> cells_{};
    std::uint8_t heldRecord_[RecordSize]{};
    std::int64_t heldSample_ = 0;
    bool heldPass_ = true;
    bool held_ = false;
};

// What one pass gathers for a computed item: the extremes, with their first samples, and
// the sum and number of its values.
struct ComputedTally {
    std::int64_t Count = 0;
    double Sum = 0;
    double Min = 0;
    double Max = 0;
    std::int64_t MinSample = 0;
    std::int64_t MaxSample = 0;
    std::int32_t MinMillis = 0;
    std::int32_t MaxMillis = 0;

    void Add(double value, std::int64_t sample, std::int32_t millis) noexcept {
        if (Count++ == 0) {
            Sum = Min = Max = value;
            MinSample = MaxSample = sample;
            MinMillis = MaxMillis = millis;
            return;
        }
        Sum += value;
        if (value < Min) {
            Min = value;
            MinSample = sample;
            MinMillis = millis;
        }
        if (value > Max) {
            Max = value;
            MaxSample = sample;
            MaxMillis = millis;
        }
    }

    // Adds the tally of later samples: ties keep the earlier sample.
    void Merge(const ComputedTally& later) noexcept {
        if (later.Count == 0) return;
        if (Count == 0) {
            *this = later;
            return;
        }
        Count += later.Count;
        Sum += later.Sum;
        if (later.Min < Min) {
            Min = later.Min;
            MinSample = later.MinSample;
            MinMillis = later.MinMillis;
        }
        if (later.Max > Max) {
            Max = later.Max;
            MaxSample = later.MaxSample;
            MaxMillis = later.MaxMillis;
        }
    }
};

// The tallies of one part of the range.
struct PartTallies {
    explicit PartTallies(std::vector<int> slots) : Slots(std::move(slots)) {}

    Tallies Slots;
    std::vector<ComputedTally> Computed;
    std::int64_t Passed = 0;  // samples the filter let through
};

std::string TimeOfDay(const DateTime& start, std::int32_t millis) {
    return SampleTime(start, millis).TimeText();
}

std::string Seconds(std::int64_t millis) {
    return FormatValue(static_cast<double>(millis) / 1000.0);
}

// Tallies the samples of `range` (all but the last, which Finish adds).
ScanResult Tally(const LogFile& log, SampleRange range, Tallies& tallies, std::stop_token stop) {
    const RecordScan scan(log, std::move(stop));
    return scan.Run(range.First, range.Last,
                    [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
                        tallies.AddChunk(sample, bytes);
                        return true;
                    });
}

// The same with the values of the formulas: only the samples the filter lets through,
// and the computed items' values among them.
ScanResult TallyWith(const LogFile& log, SampleRange range, const FormulaSet& formulas,
                     PartTallies& part, std::stop_token stop) {
    std::string error;
    auto stream = FormulaStream::Start(log, formulas, range.First, error);
    if (!stream) return {ScanStatus::Failed, error, 0};
    part.Computed.resize(formulas.ItemCount());
    const RecordScan scan(log, std::move(stop));
    return scan.Run(range.First, range.Last,
                    [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
                        const FormulaValues& values = stream->Next(sample, bytes);
                        part.Slots.AddChunk(sample, bytes, values.Pass.data());
                        for (std::size_t n = 0; n < values.Count; ++n) {
                            part.Passed += values.Pass[n];
                        }
                        for (std::size_t i = 0; i < values.Items.size(); ++i) {
                            const std::vector<double>& item = values.Items[i];
                            ComputedTally& tally = part.Computed[i];
                            for (std::size_t n = 0; n < values.Count; ++n) {
                                if (values.Pass[n] == 0 || std::isnan(item[n])) continue;
                                tally.Add(item[n], sample + static_cast<std::int64_t>(n),
                                          RecordView{bytes.data() + n * RecordSize}.Millis());
                            }
                        }
                        return true;
                    });
}

// The Millis of the sample after `last`, when the log has one.
std::optional<std::int32_t> NextMillis(const LogFile& log, std::int64_t last, std::int64_t records,
                                       std::stop_token stop) {
    std::uint8_t next[RecordSize];
    const RecordScan scan(log, std::move(stop));
    if (last < records && scan.ReadOne(last + 1, next)) return RecordView{next}.Millis();
    return std::nullopt;
}

}  // namespace

std::optional<LogStatistics> LogStatistics::Compute(
    const LogFile& log, SampleRange range, std::span<const SlotThresholds, SlotCount> thresholds,
    std::stop_token stop, std::string& error) {
    return Compute(log, range, thresholds, FormulaSet(), std::move(stop), error);
}

std::optional<LogStatistics> LogStatistics::Compute(
    const LogFile& log, SampleRange range, std::span<const SlotThresholds, SlotCount> thresholds,
    const FormulaSet& formulas, std::stop_token stop, std::string& error) {
    const auto outline = LogOutline::Of(log, error);
    if (!outline) return std::nullopt;
    error = RangeProblem(range, outline->Records);
    if (!error.empty()) return std::nullopt;
    if (!formulas.FilterProblem().empty()) {
        error = formulas.FilterProblem();
        return std::nullopt;
    }

    // Slots (0-based) with an item.
    std::vector<int> slots;
    for (int k = 0; k < SlotCount; ++k) {
        if (outline->Codes[static_cast<std::size_t>(k)] >= 0) slots.push_back(k);
    }
    // The look-up tables of the formulas, made once for both halves.
    FormulaSet shared = formulas;
    shared.Expect(range.Count());
    // Each half of a long range is tallied on its own, and the halves merged.
    std::array<std::unique_ptr<PartTallies>, 2> tallies;
    std::array<ScanResult, 2> results;
    const int parts = InTwoHalves(
        log, range, TwoHalvesMinimum(), 1, [&](const LogFile& file, SampleRange part, int index) {
            tallies[index] = std::make_unique<PartTallies>(slots);
            if (formulas.Empty()) {
                results[index] = Tally(file, part, tallies[index]->Slots, stop);
                tallies[index]->Passed = part.Count();
            } else {
                results[index] = TallyWith(file, part, shared, *tallies[index], stop);
            }
            // A part's last sample covers the time up to the next sample of the log.
            if (results[index].Status == ScanStatus::Complete) {
                tallies[index]->Slots.Finish(NextMillis(file, part.Last, outline->Records, stop));
            }
        });
    for (int index = 0; index < parts; ++index) {
        error = ScanProblem(results[index]);
        if (!error.empty()) return std::nullopt;
    }
    if (parts == 2) {
        tallies[0]->Slots.Merge(tallies[1]->Slots);
        tallies[0]->Passed += tallies[1]->Passed;
        for (std::size_t i = 0; i < tallies[0]->Computed.size(); ++i) {
            tallies[0]->Computed[i].Merge(tallies[1]->Computed[i]);
        }
    }
    const Tallies* const totals = &tallies[0]->Slots;

    LogStatistics statistics;
    statistics.outline_ = *outline;
    statistics.range_ = range;
    statistics.firstMillis_ = tallies[0]->Slots.FirstRecordMillis;
    statistics.lastMillis_ = tallies[parts - 1]->Slots.LastRecordMillis;
    statistics.filter_ = formulas.FilterText();
    statistics.passed_ = tallies[0]->Passed;
    for (const int k : slots) {
        const auto& count = totals->Count[k];
        const auto& firstSample = totals->FirstSample[k];
        const auto& firstMillis = totals->FirstMillis[k];
        const auto& millis = totals->Millis[k];
        const int slot = k + 1;
        const std::int16_t code = outline->Codes[static_cast<std::size_t>(k)];
        if (IsSwitchCode(code)) {
            const auto switches = code == SwitchStatusCode
                                      ? std::span<const SwitchKind>(kStatusSwitches)
                                      : std::span<const SwitchKind>(kStatus2Switches);
            for (const SwitchKind kind : switches) {
                StatisticsRow row;
                row.RowKind = StatisticsRow::Kind::Switch;
                row.Slot = slot;
                row.Code = code;
                row.Name = SwitchLabel(kind);
                row.Switch = kind;
                for (int b = 0; b < 256; ++b) {
                    if (!SwitchIsOn(kind, static_cast<std::uint8_t>(b))) continue;
                    row.OnSamples += static_cast<std::int64_t>(count[b]);
                    row.OnMillis += millis[b];
                }
                statistics.rows_.push_back(std::move(row));
            }
            continue;
        }
        StatisticsRow row;
        row.Slot = slot;
        row.Code = code;
        row.Name = SensorName(code);
        if (row.Name.empty()) row.Name = "(code " + std::to_string(code) + ")";
        row.Unit = SensorUnit(code);
        const auto values = ValueTable(code);
        bool any = false;
        double sum = 0;
        for (int b = 0; b < 256; ++b) {
            if (count[b] == 0) continue;
            const double v = values[b];
            row.Samples += count[b];
            sum += v * static_cast<double>(count[b]);
            const std::int64_t first = firstSample[b];
            if (!any || v < row.Min || (v == row.Min && first < row.MinSample)) {
                row.Min = v;
                row.MinSample = first;
                row.MinMillis = firstMillis[b];
            }
            if (!any || v > row.Max || (v == row.Max && first < row.MaxSample)) {
                row.Max = v;
                row.MaxSample = first;
                row.MaxMillis = firstMillis[b];
            }
            any = true;
        }
        if (row.Samples > 0) row.Mean = sum / static_cast<double>(row.Samples);
        const SlotThresholds& t = thresholds[static_cast<std::size_t>(k)];
        const double limits[2] = {t.Threshold1, t.Threshold2};
        for (int n = 0; n < 2; ++n) {
            if (!(limits[n] > 0)) continue;
            ThresholdTally& tallyAt = row.AtOrAbove[static_cast<std::size_t>(n)];
            tallyAt.Threshold = limits[n];
            for (int b = 0; b < 256; ++b) {
                if (values[b] < limits[n]) continue;
                tallyAt.Samples += static_cast<std::int64_t>(count[b]);
                tallyAt.Millis += millis[b];
            }
        }
        statistics.rows_.push_back(std::move(row));
    }
    for (std::size_t i = 0; i < formulas.ItemCount(); ++i) {
        const ComputedItem& item = formulas.Item(i);
        if (!formulas.Present(i)) {
            statistics.notes_.push_back(item.Name() + ": " + formulas.AbsentReason(i));
            continue;
        }
        const ComputedTally& tally = tallies[0]->Computed[i];
        StatisticsRow row;
        row.Computed = true;
        row.Name = item.Name();
        row.Unit = item.Definition().Unit;
        row.Samples = tally.Count;
        if (tally.Count > 0) {
            row.Min = tally.Min;
            row.Max = tally.Max;
            row.Mean = tally.Sum / static_cast<double>(tally.Count);
            row.MinSample = tally.MinSample;
            row.MaxSample = tally.MaxSample;
            row.MinMillis = tally.MinMillis;
            row.MaxMillis = tally.MaxMillis;
        }
        statistics.rows_.push_back(std::move(row));
    }
    return statistics;
}

std::string LogStatistics::FilterSummary() const {
    return filter_.empty() ? std::string() : FilterSummaryText(filter_, passed_, range_.Count());
}

std::vector<std::string> LogStatistics::HeaderCells() {
    return {"Item",
            "Unit",
            "Min",
            "Max",
            "Mean",
            "Min sample",
            "Min time",
            "Max sample",
            "Max time",
            "Threshold 1",
            "Samples >= threshold 1",
            "Time >= threshold 1 (s)",
            "Threshold 2",
            "Samples >= threshold 2",
            "Time >= threshold 2 (s)"};
}

std::vector<std::string> LogStatistics::SwitchHeaderCells() {
    return {"Switch", "ON samples", "ON time (s)"};
}

std::vector<std::string> LogStatistics::Cells(const StatisticsRow& row) const {
    if (row.RowKind == StatisticsRow::Kind::Switch) {
        return {row.Name, std::to_string(row.OnSamples), Seconds(row.OnMillis)};
    }
    std::vector<std::string> cells(HeaderCells().size());
    cells[0] = row.Name;
    cells[1] = row.Unit;
    if (row.Samples == 0) return cells;
    const auto text = row.Computed ? ComputedItem::ValueText : FormatValue;
    cells[2] = text(row.Min);
    cells[3] = text(row.Max);
    cells[4] = text(row.Mean);
    cells[5] = std::to_string(row.MinSample);
    cells[6] = TimeOfDay(outline_.Start, row.MinMillis);
    cells[7] = std::to_string(row.MaxSample);
    cells[8] = TimeOfDay(outline_.Start, row.MaxMillis);
    for (std::size_t n = 0; n < 2; ++n) {
        const ThresholdTally& tally = row.AtOrAbove[n];
        if (!(tally.Threshold > 0)) continue;
        cells[9 + 3 * n] = FormatValue(tally.Threshold);
        cells[10 + 3 * n] = std::to_string(tally.Samples);
        cells[11 + 3 * n] = Seconds(tally.Millis);
    }
    return cells;
}

std::string LogStatistics::TabSeparatedText() const {
    std::string text;
    const auto append = [&text](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) text += '\t';
            text += cells[i];
        }
        text += '\n';
    };
    append(HeaderCells());
    bool switches = false;
    for (const StatisticsRow& row : rows_) {
        if (row.RowKind == StatisticsRow::Kind::Value) append(Cells(row));
        switches |= row.RowKind == StatisticsRow::Kind::Switch;
    }
    if (!switches) return text;
    text += '\n';
    append(SwitchHeaderCells());
    for (const StatisticsRow& row : rows_) {
        if (row.RowKind == StatisticsRow::Kind::Switch) append(Cells(row));
    }
    return text;
}

}  // namespace orvane
