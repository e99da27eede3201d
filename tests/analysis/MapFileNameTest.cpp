#include <gtest/gtest.h>

#include "analysis/MapFileName.h"

namespace orvane {
namespace {

TEST(MapFileName, NamesTheItemsTheStatisticAndAPartialRange) {
    LogOutline outline;
    outline.Codes.fill(-1);
    outline.Codes[0] = 33;
    outline.Codes[1] = 44;
    outline.Codes[2] = 38;
    outline.Codes[3] = 62;
    outline.Records = 1000;
    MapRequest request;
    request.XSlot = 1;
    request.YSlot = 2;
    request.ZSlot = 3;
    request.Range = SampleRange::Whole(1000);
    const std::string log = "/logs/day 1/orvn0001.bin";
    EXPECT_EQ(MapFilePathFor(log, outline, request, MapStatistic::Max, ".csv"),
              "/logs/day 1/orvn0001_map_rpm-air_volume-knock-max.csv");
    EXPECT_EQ(MapFilePathFor(log, outline, request, MapStatistic::Mean, ".png"),
              "/logs/day 1/orvn0001_map_rpm-air_volume-knock-mean.png");
    // A count names no cell item; an item without a short name of its own is c<code>.
    request.ZSlot = 4;
    EXPECT_EQ(MapFilePathFor(log, outline, request, MapStatistic::Count, ".csv"),
              "/logs/day 1/orvn0001_map_rpm-air_volume-count.csv");
    EXPECT_EQ(MapFilePathFor(log, outline, request, MapStatistic::Min, ".csv"),
              "/logs/day 1/orvn0001_map_rpm-air_volume-c62-min.csv");
    // Part of the log; an item in two slots.
    outline.Codes[17] = 44;
    request.YSlot = 18;
    request.Range = {120, 480};
    EXPECT_EQ(MapFilePathFor("orvn0001.bin", outline, request, MapStatistic::Max, ".csv"),
              "orvn0001_map_rpm-air_volume_slot18-c62-max_000120-000480.csv");
    // A computed item by its name.
    request.YComputed = "Inj duty %";
    EXPECT_EQ(MapFilePathFor("orvn0001.bin", outline, request, MapStatistic::Max, ".csv"),
              "orvn0001_map_rpm-Inj_duty__-c62-max_000120-000480.csv");
}

}  // namespace
}  // namespace orvane
