// Statistics and maps with computed items and a filter, against a direct computation
// sample by sample.
#include <gtest/gtest.h>

#include <cmath>

#include "PlantedLog.h"
#include "analysis/ComputedItem.h"
#include "analysis/LogMap.h"
#include "analysis/LogStatistics.h"

namespace orvane {
namespace {

using testing::PlantedLog;

const std::vector<ComputedItemDefinition> kItems{
    {"Inj duty", "%", "ipw * rpm / 1200", 0.0, 100.0},
    {"Rev rate", "rpm/s", "(rpm - rpm_prev) / dt", {}, {}},  // none at the first sample
    {"Air", "", "maf * 2", {}, {}},                          // the log has no maf
};

// Engine speed, pulse width, throttle, coolant, the switches; pauses and repeats.
PlantedLog& Planted() {
    static PlantedLog log({33, 41, 23, 7, 2});
    if (log.file.IsOpen()) return log;
    log.Random(30'000, 41);
    for (std::size_t i = 0; i < log.records.size(); ++i) {
        log.records[i].Millis =
            static_cast<std::int32_t>(i * 100 + (i % 13 == 0 ? 2000 : 0) - (i % 17 == 0 ? 100 : 0));
    }
    log.Open();
    return log;
}

FormulaSet Formulas(const LogFile& file, std::string_view filter) {
    std::string error;
    auto set = FormulaSet::Prepare(*LogOutline::Of(file, error), kItems, filter, error);
    EXPECT_TRUE(set) << error;
    return std::move(*set);
}

double DirectComputed(const PlantedLog& log, std::size_t item, std::int64_t s) {
    const std::int64_t p = s == 1 ? 1 : s - 1;
    const double rpm = log.Value(s, 1);
    if (item == 0) return log.Value(s, 2) * rpm / 1200;
    const double rate = (rpm - log.Value(p, 1)) /
                        ((log.records[s - 1].Millis - log.records[p - 1].Millis) / 1000.0);
    return std::isfinite(rate) ? rate : NAN;
}

struct Extremes {
    std::int64_t Samples = 0;
    double Min = 0, Max = 0, Sum = 0;
    std::int64_t MinSample = 0, MaxSample = 0;
    void Add(double v, std::int64_t s) {
        if (Samples++ == 0 || v < Min) Min = v, MinSample = s;
        if (Samples == 1 || v > Max) Max = v, MaxSample = s;
        Sum += v;
    }
};

void ExpectRow(const StatisticsRow& row, const Extremes& want) {
    SCOPED_TRACE(row.Name);
    ASSERT_EQ(row.Samples, want.Samples);
    if (want.Samples == 0) return;
    EXPECT_EQ(row.Min, want.Min);
    EXPECT_EQ(row.Max, want.Max);
    EXPECT_EQ(row.MinSample, want.MinSample);
    EXPECT_EQ(row.MaxSample, want.MaxSample);
    EXPECT_NEAR(row.Mean, want.Sum / want.Samples, 1e-9 * (1 + std::fabs(row.Mean)));
}

TEST(FilteredStatistics, RowsAndComputedItemsCountOnlyTheSamplesTheFilterLetsThrough) {
    const PlantedLog& log = Planted();
    std::array<SlotThresholds, SlotCount> thresholds{};
    thresholds[0] = {5000, 7000};
    for (const SampleRange range : {SampleRange{1, 30'000}, SampleRange{8190, 20'001}}) {
        for (const std::string filter : {"tps > 50 && rpm > 3000", "idle", "0", "1"}) {
            SCOPED_TRACE(filter + " " + std::to_string(range.First));
            std::string error;
            const auto statistics = LogStatistics::Compute(log.file, range, thresholds,
                                                           Formulas(log.file, filter), {}, error);
            ASSERT_TRUE(statistics) << error;
            std::array<Extremes, 4> slots;
            std::array<Extremes, 2> computed;
            std::int64_t passed = 0, idleOn = 0, rpmAbove = 0;
            for (std::int64_t s = range.First; s <= range.Last; ++s) {
                const bool idle = SwitchIsOn(SwitchKind::Idle, log.Raw(s, 5));
                const bool pass =
                    filter == "1" || (filter == "idle" && idle) ||
                    (filter[0] == 't' && log.Value(s, 3) > 50 && log.Value(s, 1) > 3000);
                if (!pass) continue;
                ++passed;
                idleOn += idle;
                rpmAbove += log.Value(s, 1) >= 5000;
                for (int k = 0; k < 4; ++k) slots[k].Add(log.Value(s, k + 1), s);
                for (std::size_t i = 0; i < 2; ++i) {
                    const double v = DirectComputed(log, i, s);
                    if (!std::isnan(v)) computed[i].Add(v, s);
                }
            }
            EXPECT_EQ(statistics->Passed(), passed);
            EXPECT_EQ(statistics->FilterSummary(),
                      FilterSummaryText(filter, passed, range.Count()));
            const auto& rows = statistics->Rows();
            ASSERT_EQ(rows.size(), 4u + 4u + 2u);  // four items, four switches, two computed
            for (int k = 0; k < 4; ++k) ExpectRow(rows[static_cast<std::size_t>(k)], slots[k]);
            EXPECT_EQ(rows[0].AtOrAbove[0].Samples, rpmAbove);
            EXPECT_EQ(rows[4].OnSamples, idleOn);
            ASSERT_TRUE(rows[8].Computed);
            EXPECT_EQ(rows[8].Name, "Inj duty");
            EXPECT_EQ(rows[8].Unit, "%");
            ExpectRow(rows[8], computed[0]);
            ExpectRow(rows[9], computed[1]);
            ASSERT_EQ(statistics->Notes().size(), 1u);
            EXPECT_EQ(statistics->Notes()[0],
                      "Air: needs maf (Mass air flow), which the log does not record");
            if (filter == "0") {
                // Nothing counted: no figures, no NaN.
                EXPECT_EQ(statistics->Cells(rows[0])[2], "");
                EXPECT_EQ(statistics->TabSeparatedText().find("nan"), std::string::npos);
            }
            if (filter == "1") {
                const auto plain = LogStatistics::Compute(log.file, range, thresholds, {}, error);
                const std::string text = statistics->TabSeparatedText();
                const std::string plainText = plain->TabSeparatedText();
                // The same tables as without formulas, the computed items after the
                // log's values.
                const std::size_t switches = plainText.find("\n\n") + 1;
                EXPECT_EQ(text.substr(0, switches), plainText.substr(0, switches));
                EXPECT_EQ(text.substr(switches).find("Inj duty\t%\t"), 0u);
                EXPECT_TRUE(text.ends_with(plainText.substr(switches)));
            }
        }
    }
}

TEST(FilteredStatistics, AFilterNamingAnItemTheLogLacksIsRefused) {
    const PlantedLog& log = Planted();
    std::string error;
    EXPECT_FALSE(LogStatistics::Compute(log.file, {1, 10}, std::array<SlotThresholds, SlotCount>{},
                                        Formulas(log.file, "knock > 2"), {}, error));
    EXPECT_EQ(error, "the filter needs knock (Knock sum), which the log does not record");
}

TEST(FilteredMap, ComputedAxesAndCellsMatchADirectBinning) {
    const PlantedLog& log = Planted();
    MapRequest request;
    request.XSlot = 1;
    request.X = {0, 8000, 500};
    request.YComputed = "Inj duty";
    request.Y = DefaultMapAxis(kItems[0], std::nullopt);
    request.ZComputed = "Rev rate";
    request.Computed = kItems;
    request.Filter = "coolant > 20";
    request.Range = {2, 29'999};
    EXPECT_EQ(request.Y, (MapAxis{0, 100, 100.0 / 16}));
    std::string error;
    const auto map = LogMap::Compute(log.file, request, {}, error);
    ASSERT_TRUE(map) << error;
    std::vector<MapCell> cells(static_cast<std::size_t>(map->Columns() * map->Rows()));
    std::int64_t passed = 0, yAbove = 0;
    for (std::int64_t s = request.Range.First; s <= request.Range.Last; ++s) {
        if (!(log.Value(s, 4) > 20)) continue;
        ++passed;
        const double y = DirectComputed(log, 0, s), z = DirectComputed(log, 1, s);
        if (std::isnan(z)) continue;
        yAbove += y >= 100;
        MapCell& cell = cells[static_cast<std::size_t>(request.Y.BinOf(y) * map->Columns() +
                                                       request.X.BinOf(log.Value(s, 1)))];
        if (cell.Count++ == 0) {
            cell.FirstSample = cell.MaxSample = s;
            cell.Min = cell.Max = z;
        } else if (z > cell.Max) {
            cell.Max = z;
            cell.MaxSample = s;
        }
        cell.Min = std::min(cell.Min, z);
        cell.Sum += z;
    }
    EXPECT_EQ(map->Passed(), passed);
    EXPECT_EQ(map->YAbove(), yAbove);
    EXPECT_EQ(map->FilterSummary(), FilterSummaryText("coolant > 20", passed, 29'998));
    std::int64_t binned = 0;
    for (int r = 0; r < map->Rows(); ++r) {
        for (int c = 0; c < map->Columns(); ++c) {
            const MapCell& got = map->Cell(c, r);
            const MapCell& want = cells[static_cast<std::size_t>(r * map->Columns() + c)];
            binned += want.Count;
            ASSERT_EQ(got.Count, want.Count) << c << "," << r;
            ASSERT_EQ(got.FirstSample, want.FirstSample);
            ASSERT_EQ(got.MaxSample, want.MaxSample);
            ASSERT_EQ(got.Min, want.Min);
            ASSERT_EQ(got.Max, want.Max);
            ASSERT_NEAR(got.Sum, want.Sum, 1e-6 * (1 + std::fabs(want.Sum)));
        }
    }
    EXPECT_EQ(map->Binned(), binned);
    EXPECT_LT(binned, passed);  // the rate has no value after a repeated time
    // The table writes the computed item's figures with two decimals, its counts whole.
    const std::string text = map->Text(MapStatistic::Max);
    for (int r = 0, c = 0; r < map->Rows() && c == 0; ++r) {
        for (int col = 0; col < map->Columns(); ++col) {
            if (map->Cell(col, r).Count == 0) continue;
            const std::string figure = ComputedItem::ValueText(map->Cell(col, r).Max);
            EXPECT_NE(text.find("," + figure), std::string::npos) << figure;
            EXPECT_EQ(figure.size() - figure.find('.'), 3u) << figure;
            c = 1;
            break;
        }
    }
    EXPECT_EQ(map->Text(MapStatistic::Count).find(".00"), std::string::npos);

    // A filter that lets everything through draws the plain map.
    MapRequest plain;
    plain.XSlot = 1;
    plain.YSlot = 2;
    plain.ZSlot = 3;
    plain.X = request.X;
    plain.Y = DefaultMapAxis(41);
    plain.Range = request.Range;
    MapRequest all = plain;
    all.Filter = "1";
    EXPECT_EQ(LogMap::Compute(log.file, all, {}, error)->Text(MapStatistic::Mean),
              LogMap::Compute(log.file, plain, {}, error)->Text(MapStatistic::Mean));
    EXPECT_EQ(LogMap::Compute(log.file, plain, {}, error)->FilterSummary(), "");

    // Computed items the map cannot show.
    request.ZComputed = "Air";
    EXPECT_FALSE(LogMap::Compute(log.file, request, {}, error));
    EXPECT_EQ(error,
              "the computed item \"Air\" chosen for the cell value needs maf (Mass air flow), "
              "which the log does not record");
    request.ZComputed = "Nothing";
    EXPECT_FALSE(LogMap::Compute(log.file, request, {}, error));
    EXPECT_EQ(error, "no computed item \"Nothing\" for the cell value");
    request.ZComputed = "";
    request.ZSlot = 3;
    request.Filter = "tps >";
    EXPECT_FALSE(LogMap::Compute(log.file, request, {}, error));
    EXPECT_EQ(error, "filter: Unexpected end of expression at position 6");
}

TEST(FilteredMap, ComputedAxesDefaultToTheirRangeOrTheirValuesInTheLog) {
    // Fitted to the values as an item's axis is, unless Min and Max are given.
    EXPECT_EQ(DefaultMapAxis(kItems[1], ValueRange{-400, 400}), (MapAxis{-400, 500, 100}));
    EXPECT_EQ(DefaultMapAxis(kItems[1], ValueRange{-400, 400}),
              FittedMapAxis(-1, SlotExtent{-400, 400}));
    EXPECT_EQ(DefaultMapAxis(kItems[0], ValueRange{3, 7}), (MapAxis{0, 100, 6.25}));
    EXPECT_EQ(DefaultMapAxis(kItems[1], std::nullopt), (MapAxis{0, 16, 1}));
    const PlantedLog& log = Planted();
    std::string error;
    const auto ranges =
        ComputedValueRanges(log.file, Formulas(log.file, ""), {1, 30'000}, {}, error);
    ASSERT_TRUE(ranges) << error;
    ASSERT_TRUE((*ranges)[0]);
    EXPECT_EQ((*ranges)[0]->Max, 255 * 0.256 * 7968 / 1200);  // both at their highest
    EXPECT_FALSE((*ranges)[2]);                               // absent
}

}  // namespace
}  // namespace orvane
