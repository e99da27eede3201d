#include <gtest/gtest.h>

#include "PlantedLog.h"
#include "analysis/LogMap.h"

namespace orvane {
namespace {

using testing::PlantedLog;

MapRequest Request(int x, int y, int z, MapAxis xAxis, MapAxis yAxis, SampleRange range) {
    MapRequest request;
    request.XSlot = x;
    request.YSlot = y;
    request.ZSlot = z;
    request.X = xAxis;
    request.Y = yAxis;
    request.Range = range;
    return request;
}

TEST(MapAxis, BinsHoldTheirLowerEdgeAndOutsideValuesGoToTheEnds) {
    const MapAxis rpm{0, 8000, 500};
    EXPECT_EQ(rpm.Bins(), 16);
    EXPECT_EQ(rpm.BinOf(0), 0);
    EXPECT_EQ(rpm.BinOf(499.99), 0);
    EXPECT_EQ(rpm.BinOf(500), 1);  // on an edge: the upper bin
    EXPECT_EQ(rpm.BinOf(7999), 15);
    EXPECT_EQ(rpm.BinOf(8000), 15);  // at or above the end: the last bin
    EXPECT_EQ(rpm.BinOf(-1), 0);     // below the start: the first bin
    EXPECT_EQ(rpm.Edge(15), 7500);

    // Edges that are not exact in binary: the edge as computed decides.
    const MapAxis tenths{0, 1, 0.1};
    EXPECT_EQ(tenths.Bins(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(tenths.BinOf(tenths.Edge(i)), i) << i;
    EXPECT_EQ(tenths.BinOf(0.3), 3);
    // A step that does not divide the range: the last bin is cut at the end.
    EXPECT_EQ((MapAxis{0, 100, 30}).Bins(), 4);
    EXPECT_EQ((MapAxis{0, 100, 30}).BinOf(95), 3);

    EXPECT_EQ((MapAxis{0, 100, 0}).Problem(), "the step must be above 0");
    EXPECT_EQ((MapAxis{5, 5, 1}).Problem(), "the end of the axis must be above its start");
    EXPECT_EQ((MapAxis{0, 1e6, 1}).Problem(), "the axis would have more than 1000 bins");
    EXPECT_EQ((MapAxis{0, 1e6, 1}).Bins(), 0);
}

TEST(MapAxis, DefaultsFollowTheItem) {
    EXPECT_EQ(DefaultMapAxis(33), (MapAxis{0, 8000, 500}));
    EXPECT_EQ(DefaultMapAxis(44), (MapAxis{0, 255, 255.0 / 16}));
    // A falling formula: the range in increasing order.
    EXPECT_EQ(DefaultMapAxis(6), (MapAxis{-2550, 0, 2550.0 / 16}));
    EXPECT_EQ(DefaultMapAxis(7).Min, -59);
    EXPECT_EQ(DefaultMapAxis(7).Max, 158);
    EXPECT_EQ(DefaultMapAxis(62), (MapAxis{0, 16, 1}));  // no formula
}

TEST(MapAxis, FittedAxesSpanTheValuesWithARoundStepAndAtMost16Bins) {
    const auto fitted = [](std::int16_t code, double low, double high) {
        return FittedMapAxis(code, {low, high});
    };
    // Engine speed keeps its own axis, whatever the log holds.
    EXPECT_EQ(fitted(33, 750, 3125), (MapAxis{0, 8000, 500}));
    // Mass air flow of a real drive: not 100.25, 200.49 ... but 0 to 1000 by 100.
    EXPECT_EQ(fitted(26, 50.32, 906.76), (MapAxis{0, 1000, 100}));
    // The highest value lies inside the last bin: full throttle has a bin of its own.
    EXPECT_EQ(fitted(23, 0, 100), (MapAxis{0, 110, 10}));
    EXPECT_EQ(fitted(7, 18.5, 95.75), (MapAxis{10, 100, 10}));  // by 5: 17 bins
    EXPECT_EQ(fitted(6, -40, -10), (MapAxis{-40, -8, 2}));      // a falling formula
    // Steps below one are decimal fractions, and so are the ends.
    EXPECT_EQ(fitted(19, 0.06, 0.84), (MapAxis{0.05, 0.85, 0.05}));
    // One value: one bin around it.
    EXPECT_EQ(fitted(44, 0, 0), (MapAxis{0, 1, 1}));
    // Every fitted axis is usable, has 16 bins at most, and its end bins hold the lowest
    // and the highest value: no empty bin at either end.
    for (const auto& [low, high] : std::vector<std::pair<double, double>>{
             {0, 255}, {-2550, 0}, {0.3, 0.3}, {12.3, 14.9}, {-59, 158}, {99.99, 100.01}}) {
        const MapAxis axis = fitted(44, low, high);
        SCOPED_TRACE(std::to_string(low) + " to " + std::to_string(high));
        EXPECT_EQ(axis.Problem(), "");
        EXPECT_LE(axis.Bins(), 16);
        EXPECT_EQ(axis.BinOf(low), 0);
        EXPECT_LT(axis.Edge(0), low + axis.Step * 1e-6);
        EXPECT_EQ(axis.BinOf(high), axis.Bins() - 1);
        EXPECT_GT(axis.Max, high);
    }
}

TEST(MapAxis, ExtentsAreTheLowestAndHighestValueOfEachSlotOverTheRange) {
    // Coolant falls as its raw byte rises: its extent comes from the values, not the bytes.
    PlantedLog log({33, 7, 2, 62});
    const std::uint8_t rpm[] = {24, 100, 200, 64};
    const std::uint8_t coolant[] = {255, 100, 0, 200};
    for (int i = 0; i < 4; ++i) {
        log.records.push_back({i * 100, {rpm[i], coolant[i], 0x80, 9}});
    }
    const LogFile& file = log.Open();
    std::string error;
    const auto whole = ScanSlotExtents(file, {1, 4}, {}, error);
    ASSERT_TRUE(whole) << error;
    EXPECT_EQ((*whole)[0], (SlotExtent{750, 6250}));
    EXPECT_EQ((*whole)[1], (SlotExtent{-59, 158}));
    EXPECT_EQ((*whole)[2], (SlotExtent{0, 0}));  // a switch byte
    EXPECT_EQ((*whole)[3], (SlotExtent{0, 0}));  // no formula
    EXPECT_EQ((*whole)[4], (SlotExtent{0, 0}));  // no item
    const auto middle = ScanSlotExtents(file, {2, 2}, {}, error);
    ASSERT_TRUE(middle) << error;
    EXPECT_EQ((*middle)[0], (SlotExtent{3125, 3125}));
    EXPECT_FALSE(ScanSlotExtents(file, {3, 5}, {}, error));
    EXPECT_EQ(error, "sample 5 is beyond the end of the log (samples 1 to 4)");
}

TEST(MapRequest, DefaultLoadAxisIsAirVolumeThenMassAirFlowThenThrottle) {
    LogOutline outline;
    outline.Codes.fill(-1);
    outline.Records = 50;
    outline.Codes[2] = 23;
    outline.Codes[4] = 33;
    outline.Codes[7] = 38;
    auto request = DefaultMapRequest(outline);
    EXPECT_EQ(request.XSlot, 5);
    EXPECT_EQ(request.YSlot, 3);
    EXPECT_EQ(request.Y, DefaultMapAxis(23));
    EXPECT_EQ(request.ZSlot, 8);
    EXPECT_EQ(request.Range, (SampleRange{1, 50}));
    EXPECT_EQ(DefaultMapStatistic(outline), MapStatistic::Max);
    outline.Codes[10] = 26;
    EXPECT_EQ(DefaultMapRequest(outline).YSlot, 11);
    outline.Codes[17] = 44;
    EXPECT_EQ(DefaultMapRequest(outline).YSlot, 18);
    outline.Codes.fill(-1);
    request = DefaultMapRequest(outline);
    EXPECT_EQ(request.XSlot, 0);
    EXPECT_EQ(request.YSlot, 0);
    EXPECT_EQ(request.Y, DefaultMapAxis(44));
    // Without Knock sum the cells count the samples.
    EXPECT_EQ(DefaultMapStatistic(outline), MapStatistic::Count);
}

TEST(LogMap, CellsMatchADirectBinningOfEverySample) {
    // X engine speed, Y throttle, Z coolant (a falling formula, so raw and value order differ).
    PlantedLog log({33, 23, 7});
    log.Random(20'000, 9);
    const LogFile& file = log.Open();
    MapRequest request = Request(1, 2, 3, {1000, 6000, 500}, {10, 90, 10}, {1234, 18'765});
    std::string error;
    const auto map = LogMap::Compute(file, request, {}, error);
    ASSERT_TRUE(map) << error;
    ASSERT_EQ(map->Columns(), 10);
    ASSERT_EQ(map->Rows(), 8);

    std::vector<MapCell> expected(80);
    std::int64_t below = 0, above = 0;
    for (std::int64_t s = request.Range.First; s <= request.Range.Last; ++s) {
        const double x = log.Value(s, 1), y = log.Value(s, 2), z = log.Value(s, 3);
        int column = static_cast<int>((x - 1000) / 500);
        int row = static_cast<int>((y - 10) / 10);
        below += x < 1000;
        above += x >= 6000;
        column = x < 1000 ? 0 : (x >= 6000 ? 9 : column);
        row = y < 10 ? 0 : (y >= 90 ? 7 : row);
        MapCell& cell = expected[static_cast<std::size_t>(row * 10 + column)];
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
    EXPECT_EQ(map->XBelow(), below);
    EXPECT_EQ(map->XAbove(), above);
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 10; ++column) {
            const MapCell& cell = map->Cell(column, row);
            const MapCell& want = expected[static_cast<std::size_t>(row * 10 + column)];
            SCOPED_TRACE(std::to_string(column) + "," + std::to_string(row));
            ASSERT_EQ(cell.Count, want.Count);
            ASSERT_EQ(cell.FirstSample, want.FirstSample);
            ASSERT_EQ(cell.MaxSample, want.MaxSample);
            ASSERT_EQ(cell.Min, want.Min);
            ASSERT_EQ(cell.Max, want.Max);
            ASSERT_NEAR(cell.Mean(), want.Mean(), 1e-9);
        }
    }
    EXPECT_EQ(map->CellOf(999, 95), (std::pair<int, int>{0, 7}));
}

TEST(LogMap, TextHasTheEdgesAndOneLinePerRowFromTheLowest) {
    PlantedLog log({33, 44, 38});
    // (rpm raw, air volume, knock): 3125 rpm at 100 and 40, 1562 rpm at 100, 0 rpm at 0.
    for (const auto& [rpm, air, knock] : std::vector<std::array<int, 3>>{
             {100, 100, 3}, {100, 40, 1}, {50, 100, 7}, {100, 100, 4}, {0, 0, 2}}) {
        LogRecord record;
        record.Millis = static_cast<std::int32_t>(log.records.size()) * 100;
        record.SlotBytes = {static_cast<std::uint8_t>(rpm), static_cast<std::uint8_t>(air),
                            static_cast<std::uint8_t>(knock)};
        log.records.push_back(record);
    }
    const LogFile& file = log.Open();
    std::string error;
    MapRequest request = Request(1, 2, 3, {0, 4000, 1000}, {0, 150, 50}, {1, 5});
    const auto map = LogMap::Compute(file, request, {}, error);
    ASSERT_TRUE(map) << error;
    EXPECT_EQ(map->Text(MapStatistic::Max),
              ",0,1000,2000,3000\n"
              "0,2,,,1\n"
              "50,,,,\n"
              "100,,7,,4\n");
    EXPECT_EQ(map->Text(MapStatistic::Mean, '\t'),
              "\t0\t1000\t2000\t3000\n"
              "0\t2\t\t\t1\n"
              "50\t\t\t\t\n"
              "100\t\t7\t\t3.50\n");
    EXPECT_EQ(map->Text(MapStatistic::Min), ",0,1000,2000,3000\n0,2,,,1\n50,,,,\n100,,7,,3\n");
    EXPECT_EQ(map->Text(MapStatistic::Count), ",0,1000,2000,3000\n0,1,,,1\n50,,,,\n100,,1,,2\n");
    EXPECT_EQ(map->Cell(3, 2).MaxSample, 4);

    request.Range = {2, 3};  // a range: only samples 2 and 3
    EXPECT_EQ(LogMap::Compute(file, request, {}, error)->Text(MapStatistic::Count),
              ",0,1000,2000,3000\n0,,,,1\n50,,,,\n100,,1,,\n");
}

TEST(LogMap, BadRequestsAreRefusedWithAReason) {
    PlantedLog log({33, 44, 38});
    log.Random(10, 2);
    const LogFile& file = log.Open();
    std::string error;
    EXPECT_FALSE(
        LogMap::Compute(file, Request(1, 5, 3, {0, 8000, 500}, {0, 255, 16}, {1, 10}), {}, error));
    EXPECT_EQ(error, "slot 5 chosen for the vertical axis holds no item");
    EXPECT_FALSE(
        LogMap::Compute(file, Request(1, 2, 3, {0, 8000, -5}, {0, 255, 16}, {1, 10}), {}, error));
    EXPECT_EQ(error, "the step must be above 0");
    EXPECT_FALSE(
        LogMap::Compute(file, Request(1, 2, 3, {0, 8000, 500}, {0, 255, 16}, {3, 11}), {}, error));
    EXPECT_EQ(error, "sample 11 is beyond the end of the log (samples 1 to 10)");
}

}  // namespace
}  // namespace orvane
