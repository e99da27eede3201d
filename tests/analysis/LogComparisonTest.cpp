#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <tuple>

#include "PlantedLog.h"
#include "analysis/MapComparison.h"
#include "analysis/ReferenceAlignment.h"
#include "analysis/ShownDifference.h"
#include "analysis/StatisticsComparison.h"

namespace orvane {
namespace {

using testing::PlantedLog;

// The same items in other slots: coolant twice in the log, air temperature only in the
// reference.
const std::vector<std::int16_t> kLogSlots{33, 7, 38, 2, 44, 7, 41};
const std::vector<std::int16_t> kReferenceSlots{44, 2, 58, 38, 7, 33, 41};

struct Planted {
    PlantedLog log{kLogSlots};
    PlantedLog reference{kReferenceSlots};
    Planted() {
        log.Random(3000, 7);
        reference.Random(2500, 8);
        // The reference logs faster, with pauses.
        for (std::size_t i = 0; i < reference.records.size(); ++i) {
            reference.records[i].Millis = static_cast<std::int32_t>(i * 37 + i / 400 * 1500);
        }
        log.Open("a.bin");
        reference.Open("b.bin");
    }
};

LogOutline Outline(const LogFile& file) {
    std::string error;
    return *LogOutline::Of(file, error);
}

// A value slot's figures by the definitions, sample by sample.
struct Figures {
    std::int64_t Samples = 0;
    double Min = 0, Max = 0, Sum = 0;
    std::int64_t MillisAtOrAbove = 0;
};

Figures Direct(const PlantedLog& log, SampleRange range, int slot, double threshold) {
    Figures f;
    for (std::int64_t s = range.First; s <= range.Last; ++s) {
        const double v = log.Value(s, slot);
        f.Min = f.Samples == 0 ? v : std::min(f.Min, v);
        f.Max = f.Samples == 0 ? v : std::max(f.Max, v);
        f.Sum += v;
        ++f.Samples;
        if (v < threshold || s >= log.Count()) continue;
        const std::int64_t gap = log.records[s].Millis - log.records[s - 1].Millis;
        if (gap >= 1 && gap <= 999) f.MillisAtOrAbove += gap;
    }
    return f;
}

TEST(SlotPairing, PairsByCodeInSlotOrderWhateverTheLoggersOrder) {
    const Planted p;
    const SlotPairing pairing(Outline(p.log.file), Outline(p.reference.file));
    EXPECT_EQ(pairing.Pairs(), (std::vector<SlotPair>{{33, 1, 6},
                                                      {7, 2, 5},
                                                      {38, 3, 4},
                                                      {2, 4, 2},
                                                      {44, 5, 1},
                                                      {7, 6, 0},  // the second coolant
                                                      {41, 7, 7},
                                                      {58, 0, 3}}));
    EXPECT_EQ(pairing.ReferenceSlotOf(1), 6);
    EXPECT_EQ(pairing.ReferenceSlotOf(6), 0);
    EXPECT_EQ(pairing.LogSlotOf(5), 2);
    EXPECT_EQ(pairing.LogSlotOf(3), 0);
    EXPECT_EQ(pairing.ReferenceSlotOf(19), 0);
}

TEST(StatisticsComparison, MatchesItemsByCodeAndDiffersAsTheDirectFigures) {
    const Planted p;
    const LogOutline logOutline = Outline(p.log.file);
    const LogOutline referenceOutline = Outline(p.reference.file);
    std::array<SlotThresholds, SlotCount> thresholds{};
    thresholds[1] = {60, 100};  // the log's first coolant
    thresholds[0] = {5000, 0};
    const auto referenceThresholds = StatisticsComparison::ReferenceThresholds(
        SlotPairing(logOutline, referenceOutline), thresholds);
    EXPECT_EQ(referenceThresholds[4].Threshold1, 60);  // the reference's coolant: slot 5
    EXPECT_EQ(referenceThresholds[5].Threshold1, 5000);

    // A computed item of both, and one the log lacks an item for.
    const std::vector<ComputedItemDefinition> items{{"duty", "%", "ipw * rpm / 1200", {}, {}},
                                                    {"warm", "", "air_temp + 1", {}, {}}};
    const SampleRange logRange{11, 2990}, referenceRange{1, 2400};
    std::string error;
    const auto statistics = [&](const LogFile& file, const LogOutline& outline, SampleRange range,
                                const std::array<SlotThresholds, SlotCount>& t) {
        const auto formulas = FormulaSet::Prepare(outline, items, "", error);
        auto result = LogStatistics::Compute(file, range, t, *formulas, {}, error);
        EXPECT_TRUE(result) << error;
        return std::move(*result);
    };
    const StatisticsComparison comparison(
        statistics(p.log.file, logOutline, logRange, thresholds),
        statistics(p.reference.file, referenceOutline, referenceRange, referenceThresholds));

    std::vector<std::string> order;
    for (const auto& row : comparison.Rows()) {
        const bool isSwitch = row.Either().RowKind == StatisticsRow::Kind::Switch;
        order.push_back(row.Either().Name + " " + comparison.Cells(row)[isSwitch ? 1 : 2]);
    }
    EXPECT_EQ(order, (std::vector<std::string>{
                         "Engine speed both", "Coolant temp both", "Knock sum both",
                         "Air Volume both", "Coolant temp log only", "Inj pulse width both",
                         "Air temp reference only", "duty both", "warm reference only",
                         "Idle-SW both", "Power-SW both", "AC-SW both", "TDC both"}));

    const SlotPairing& pairing = comparison.Pairing();
    for (const auto& row : comparison.Rows()) {
        const StatisticsRow& either = row.Either();
        SCOPED_TRACE(either.Name);
        if (either.Computed || either.RowKind == StatisticsRow::Kind::Switch) continue;
        if (row.In() != ComparedStatisticsRow::Presence::Both) {
            EXPECT_FALSE(row.MaxDifference());
            continue;
        }
        const int slot = row.Log->Slot;
        const double threshold = thresholds[static_cast<std::size_t>(slot - 1)].Threshold1;
        const Figures mine = Direct(p.log, logRange, slot, threshold > 0 ? threshold : 1e300);
        const Figures theirs = Direct(p.reference, referenceRange, pairing.ReferenceSlotOf(slot),
                                      threshold > 0 ? threshold : 1e300);
        EXPECT_EQ(*row.MinDifference(), mine.Min - theirs.Min);
        EXPECT_EQ(*row.MaxDifference(), mine.Max - theirs.Max);
        EXPECT_NEAR(*row.MeanDifference(),
                    mine.Sum / static_cast<double>(mine.Samples) -
                        theirs.Sum / static_cast<double>(theirs.Samples),
                    1e-9);
        EXPECT_EQ(row.TimeAtOrAboveDifference(0).has_value(), threshold > 0);
        if (threshold > 0) {
            EXPECT_EQ(*row.TimeAtOrAboveDifference(0),
                      mine.MillisAtOrAbove - theirs.MillisAtOrAbove);
        }
        const auto cells = comparison.Cells(row);
        EXPECT_EQ(cells[6], FormatValue(mine.Max));
        EXPECT_EQ(cells[7], FormatValue(theirs.Max));
        EXPECT_EQ(cells[8], ShownDifference(mine.Max, theirs.Max));
        EXPECT_EQ(cells[12], std::to_string(mine.Samples));
        EXPECT_EQ(cells[13], std::to_string(theirs.Samples));
    }
    // A row of one log alone has its cells and no difference; a switch's ON time differs.
    const auto& second = comparison.Rows()[4];
    EXPECT_EQ(comparison.Cells(second)[3], FormatValue(Direct(p.log, logRange, 6, 1e300).Min));
    EXPECT_EQ(comparison.Cells(second)[4], "");
    EXPECT_EQ(comparison.Cells(second)[5], "");
    const auto& idle = comparison.Rows()[9];
    EXPECT_EQ(*idle.OnMillisDifference(), idle.Log->OnMillis - idle.Reference->OnMillis);
    const std::string text = comparison.TabSeparatedText();
    EXPECT_EQ(text.find("Item\tUnit\tIn\tMin\tRef min\tMin diff\tMax\t"), 0u);
    EXPECT_NE(text.find("\n\nSwitch\tIn\tON samples\tRef ON samples\tON time (s)\t"),
              std::string::npos);
}

TEST(ShownDifference, TheFiguresAsShownAddUpAndNothingReadsAsMinusZero) {
    EXPECT_EQ(ShownDifference(13.194, 13.1201), "0.07");  // 13.19 - 13.12, not 0.0739
    EXPECT_EQ(ShownDifference(2386.7249, 2723.1851), "-336.47");
    EXPECT_EQ(ShownDifference(3125, 3187), "-62");
    EXPECT_EQ(ShownDifference(-0.001, 0.001), "0");
    EXPECT_EQ(ShownDifference(1.001, 1.004, true), "0.00");
    EXPECT_EQ(ShownDifference(12.5, 10, true), "2.50");
}

// The cells of a map by the definitions: count, maximum and sum of Z per cell.
struct DirectCell {
    std::int64_t Count = 0;
    double Max = 0, Sum = 0;
};
using DirectMap = std::map<std::pair<int, int>, DirectCell>;

DirectMap Direct(const PlantedLog& log, const MapRequest& r, int coolantSlot) {
    DirectMap cells;
    for (std::int64_t s = r.Range.First; s <= r.Range.Last; ++s) {
        if (!(log.Value(s, coolantSlot) > 20)) continue;  // the filter
        DirectCell& cell =
            cells[{r.X.BinOf(log.Value(s, r.XSlot)), r.Y.BinOf(log.Value(s, r.YSlot))}];
        const double z = log.Value(s, r.ZSlot);
        cell.Max = cell.Count == 0 ? z : std::max(cell.Max, z);
        cell.Sum += z;
        ++cell.Count;
    }
    return cells;
}

TEST(MapComparison, BinsBothLogsOnTheLogsAxesAndDiffersWhereBothHoldEnoughSamples) {
    const Planted p;
    MapRequest request;
    request.XSlot = 1;  // engine speed by air volume, knock sum
    request.YSlot = 5;
    request.ZSlot = 3;
    request.X = {0, 8000, 250};
    request.Y = {0, 256, 16};
    request.Range = {101, 2900};
    request.Filter = "coolant > 20";
    std::string error;
    const auto comparison =
        MapComparison::Compute(p.log.file, p.reference.file, request, {1, 2400}, {}, error);
    ASSERT_TRUE(comparison) << error;
    const MapRequest& theirs = comparison->Reference().Request();
    EXPECT_EQ(std::make_tuple(theirs.XSlot, theirs.YSlot, theirs.ZSlot), std::make_tuple(6, 1, 4));
    EXPECT_EQ(theirs.Range, (SampleRange{1, 2400}));

    const DirectMap mine = Direct(p.log, request, 2);
    const DirectMap other = Direct(p.reference, theirs, 5);
    int compared = 0, thin = 0;
    for (int r = 0; r < comparison->Rows(); ++r) {
        for (int c = 0; c < comparison->Columns(); ++c) {
            const auto a = mine.find({c, r});
            const auto b = other.find({c, r});
            const bool both =
                a != mine.end() && b != other.end() && a->second.Count >= 3 && b->second.Count >= 3;
            const auto max = comparison->Difference(c, r, MapStatistic::Max, 3);
            ASSERT_EQ(max.has_value(), both) << c << "," << r;
            if (!both) {
                thin += a != mine.end() || b != other.end();
                continue;
            }
            ++compared;
            EXPECT_EQ(*max, a->second.Max - b->second.Max);
            EXPECT_EQ(*comparison->Difference(c, r, MapStatistic::Count, 3),
                      static_cast<double>(a->second.Count - b->second.Count));
            EXPECT_NEAR(*comparison->Difference(c, r, MapStatistic::Mean, 3),
                        a->second.Sum / static_cast<double>(a->second.Count) -
                            b->second.Sum / static_cast<double>(b->second.Count),
                        1e-9);
        }
    }
    EXPECT_GT(compared, 50);
    EXPECT_GT(thin, 50);

    // The text: both maps, then the differences in the same shape.
    const std::string text = comparison->Text(MapStatistic::Max, 3, ',', "a.bin", "b.bin");
    const std::string expected =
        "a.bin\n" + comparison->Log().Text(MapStatistic::Max) + "\nb.bin (reference)\n" +
        comparison->Reference().Text(MapStatistic::Max) +
        "\ndifference: a.bin - b.bin (empty where a log has fewer than 3 samples)\n" +
        comparison->DifferenceText(MapStatistic::Max, 3);
    EXPECT_EQ(text, expected);
    const std::string differences = comparison->DifferenceText(MapStatistic::Count, 3);
    EXPECT_EQ(differences.substr(0, differences.find('\n')),
              comparison->Log().Text(MapStatistic::Count).substr(0, differences.find('\n')));
    EXPECT_EQ(std::count(differences.begin(), differences.end(), '\n'), 17);

    // A computed item in the cells: its differences with two decimals, as its maps.
    request.ZSlot = 0;
    request.ZComputed = "Half knock";
    request.Computed = {ComputedItemDefinition{"Half knock", "", "knock / 2", {}, {}}};
    const auto computed =
        MapComparison::Compute(p.log.file, p.reference.file, request, {1, 2400}, {}, error);
    ASSERT_TRUE(computed) << error;
    std::istringstream lines(computed->DifferenceText(MapStatistic::Max, 3));
    std::string line;
    std::getline(lines, line);  // the columns' edges
    int cells = 0;
    while (std::getline(lines, line)) {
        std::istringstream row(line);
        std::string cell;
        std::getline(row, cell, ',');  // the row's edge
        while (std::getline(row, cell, ',')) {
            if (cell.empty()) continue;
            ++cells;
            EXPECT_EQ(cell.size() - cell.find('.'), 3u) << cell;
        }
    }
    EXPECT_GT(cells, 20);
}

TEST(MapComparison, AnItemTheReferenceLacksOrAxesThatDifferAreRefused) {
    const Planted p;
    std::string error;
    MapRequest request;
    request.XSlot = 1;
    request.YSlot = 6;  // the log's second coolant
    request.ZSlot = 3;
    request.X = {0, 8000, 500};
    request.Y = {0, 160, 10};
    request.Range = {1, 100};
    const LogOutline log = Outline(p.log.file), reference = Outline(p.reference.file);
    EXPECT_FALSE(MapComparison::ReferenceRequest(request, log, reference, {1, 100}, error));
    EXPECT_EQ(error,
              "the reference records item 7 (Coolant temp) fewer than 2 times, for the vertical "
              "axis");
    // The other way round: the cell value is air temperature, which the log lacks.
    request = {};
    request.XSlot = 6;
    request.YSlot = 1;
    request.ZSlot = 3;
    EXPECT_FALSE(MapComparison::ReferenceRequest(request, reference, log, {1, 100}, error));
    EXPECT_EQ(error, "the reference has no item 58 (Air temp) for the cell value");
    // Maps on other axes do not compare.
    request.X = {0, 8000, 500};
    request.Y = {0, 256, 16};
    request.Range = {1, 100};
    auto mine = LogMap::Compute(p.reference.file, request, {}, error);
    request.Y.Step = 32;
    auto theirs = LogMap::Compute(p.reference.file, request, {}, error);
    EXPECT_FALSE(MapComparison::Of(std::move(*mine), std::move(*theirs)));
}

// Engine speed steps from 1000 to 5000 rpm at sample `stepAt`.
void PlantStep(PlantedLog& log, std::int64_t stepAt, std::int32_t firstMillis, int interval,
               int count) {
    for (int i = 1; i <= count; ++i) {
        LogRecord record;
        record.Millis = firstMillis + (i - 1) * interval + (i % 3) * 7;  // jitter
        record.SlotBytes[0] = i < stepAt ? 32 : 160;
        log.records.push_back(record);
    }
}

TEST(ReferenceAlignment, AlignHereLinesUpAPlantedStepToTheSample) {
    PlantedLog log({33}), reference({33});
    PlantStep(log, 40, 0, 100, 120);
    PlantStep(reference, 123, 61'000, 37, 400);
    std::string error;
    const auto mine = LogTimeline::Read(log.Open("a.bin"), {}, error);
    const auto theirs = LogTimeline::Read(reference.Open("b.bin"), {}, error);
    ASSERT_TRUE(mine && theirs) << error;
    EXPECT_EQ(theirs->Samples(), 400);
    EXPECT_EQ(theirs->ElapsedMillis(2), 37 + 7);

    // By default the first samples meet.
    const ReferenceAlignment start;
    EXPECT_EQ(start.ReferenceSampleBeside(*mine, 1, *theirs), 1);
    EXPECT_EQ(start.PlacedMillis(*theirs, 1), 0);

    const auto aligned = ReferenceAlignment::AlignHere(*mine, 40, *theirs, 123);
    EXPECT_EQ(aligned.PlacedMillis(*theirs, 123), mine->ElapsedMillis(40));
    for (std::int64_t s = 1; s <= log.Count(); ++s) {
        const auto r = aligned.ReferenceSampleBeside(*mine, s, *theirs);
        if (!r) {
            // Before the reference's first sample only.
            EXPECT_LT(mine->ElapsedMillis(s), aligned.OffsetMillis) << s;
            continue;
        }
        EXPECT_EQ(reference.Value(*r, 1) == 5000, log.Value(s, 1) == 5000) << s;
        EXPECT_LE(aligned.PlacedMillis(*theirs, *r), mine->ElapsedMillis(s));
        if (*r < theirs->Samples()) {
            EXPECT_GT(aligned.PlacedMillis(*theirs, *r + 1), mine->ElapsedMillis(s));
        }
    }
    EXPECT_EQ(aligned.ReferenceSampleBeside(*mine, 40, *theirs), 123);
    // Past the reference's last sample there is nothing to show.
    EXPECT_FALSE(aligned.ReferenceSampleAt(*theirs, aligned.PlacedMillis(*theirs, 400) + 1));
    EXPECT_EQ(aligned.ReferenceSampleAt(*theirs, aligned.PlacedMillis(*theirs, 400)), 400);
}

TEST(ReferenceAlignment, ACounterThatJumpsBackAndTheOffsetText) {
    const LogTimeline timeline({1000, 1100, 1200, 1050, 1150, 1300});
    EXPECT_EQ(timeline.SampleAtOrBefore(-1), std::nullopt);
    EXPECT_EQ(timeline.SampleAtOrBefore(0), 1);
    EXPECT_EQ(timeline.SampleAtOrBefore(99), 1);
    EXPECT_EQ(timeline.SampleAtOrBefore(220), 5);  // the samples after the jump follow
    EXPECT_EQ(timeline.SampleAtOrBefore(300), 6);
    EXPECT_EQ(timeline.SampleAtOrBefore(301), std::nullopt);
    EXPECT_EQ(timeline.ElapsedMillis(4), 50);
    EXPECT_EQ(LogTimeline({}).SampleAtOrBefore(0), std::nullopt);

    EXPECT_EQ(ReferenceAlignment{-1500}.OffsetText(), "-1.500");
    EXPECT_EQ(ReferenceAlignment{62'250}.OffsetText(), "+62.250");
    EXPECT_EQ(ReferenceAlignment{0}.OffsetText(), "+0.000");
    EXPECT_EQ(ReferenceAlignment{-7}.OffsetText(), "-0.007");
}

}  // namespace
}  // namespace orvane
