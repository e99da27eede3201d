#include <gtest/gtest.h>

#include "PlantedLog.h"
#include "analysis/AlarmStarts.h"

namespace orvane {
namespace {

using testing::PlantedLog;

// Alarm starts by the rule, computed sample by sample.
std::vector<std::int64_t> DirectStarts(const PlantedLog& log, const std::vector<AlarmBox>& boxes) {
    std::vector<std::int64_t> starts;
    std::vector<int> before(boxes.size(), 0);
    for (std::int64_t s = 1; s <= log.Count(); ++s) {
        bool start = false;
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            const int level = AlarmLevelOf(boxes[b], log.Value(s, boxes[b].Slot));
            start = start || level > before[b];
            before[b] = level;
        }
        if (start) starts.push_back(s);
    }
    return starts;
}

// Knock sum in slot 1 mostly 0 with planted bursts, coolant (falling formula) in slot 2.
const std::vector<std::int16_t> kKnockCodes = {38, 7, 33};
void PlantKnocks(PlantedLog& log, int count) {
    log.Random(count, 3);
    for (auto& record : log.records) {
        record.SlotBytes[0] = 0;
        record.SlotBytes[1] = 200;  // 0.5 degrees, far below any threshold
    }
    // Plants beyond a short log's end are left out.
    const auto plant = [&](int at, std::uint8_t knock, std::uint8_t coolant) {
        if (at > count) return;
        log.records[static_cast<std::size_t>(at - 1)].SlotBytes[0] = knock;
        log.records[static_cast<std::size_t>(at - 1)].SlotBytes[1] = coolant;
    };
    plant(1, 6, 200);    // in alarm at the first sample
    plant(2, 6, 200);    // staying at the same level: no start
    plant(3, 12, 200);   // level 1 -> 2: a start
    plant(4, 6, 200);    // falling: no start
    plant(5, 12, 200);   // rising again
    plant(9000, 0, 10);  // coolant hot (raw 10: 128 c): a start for the coolant box
    plant(9001, 6, 10);  // knock rises while coolant stays: a start
    plant(25000, 12, 200);
    plant(count, 6, 200);  // the last sample
}

const std::vector<AlarmBox> kBoxes = {
    {1, 38, 5, 10},   // knock: colour 1 at 5, colour 2 at 10
    {2, 7, 0, 120},   // coolant: only threshold 2
    {3, 33, 0, 0},    // engine speed: both thresholds off
    {1, 38, 100, 0},  // a second knock box that never reaches its threshold
};

TEST(AlarmStarts, NextAndPreviousFindTheStartsTheRuleGives) {
    PlantedLog log(kKnockCodes);
    PlantKnocks(log, 40'000);
    LogFile& file = log.Open();
    const auto expected = DirectStarts(log, kBoxes);
    ASSERT_EQ(expected, (std::vector<std::int64_t>{1, 3, 5, 9000, 9001, 25000, 40'000}));

    const AlarmStarts starts(kBoxes);
    EXPECT_EQ(starts.All(file, {1, log.Count()}), expected);
    std::string error;
    const auto summary = OverviewSummary::Build(file, {{1, 0}, kBoxes}, {}, error);
    ASSERT_TRUE(summary);
    const auto other = OverviewSummary::Build(file, {{1, 0}, {kBoxes[0]}}, {}, error);
    for (const OverviewSummary* with : {static_cast<const OverviewSummary*>(nullptr), &*summary,
                                        &*other /* other boxes: not used */}) {
        for (const std::int64_t s : {0, 1, 2, 3, 4, 8999, 9000, 9001, 20000, 39'999, 40'000}) {
            const auto next = std::upper_bound(expected.begin(), expected.end(), s);
            const auto found = starts.Next(file, s, with);
            if (next == expected.end()) {
                EXPECT_FALSE(found) << s;
            } else {
                EXPECT_EQ(found, *next) << s;
            }
            const auto previous = std::lower_bound(expected.begin(), expected.end(), s);
            const auto back = starts.Previous(file, s, with);
            if (previous == expected.begin()) {
                EXPECT_FALSE(back) << s;
            } else {
                EXPECT_EQ(back, *(previous - 1)) << s;
            }
        }
    }
    EXPECT_EQ(starts.Previous(file, 1'000'000), 40'000);
}

TEST(AlarmStarts, RandomValuesAgainstTheRule) {
    PlantedLog log({33, 20, 7});
    log.Random(12'000, 11);
    LogFile& file = log.Open();
    const std::vector<AlarmBox> boxes = {{1, 33, 7000, 7800}, {2, 20, 18, 0}, {3, 7, 100, 150}};
    const auto expected = DirectStarts(log, boxes);
    const AlarmStarts starts(boxes);
    EXPECT_EQ(starts.All(file, {1, log.Count()}), expected);
    std::string error;
    const auto summary = OverviewSummary::Build(file, {{}, boxes}, {}, error);
    std::int64_t at = 0;
    std::size_t i = 0;
    while (const auto next = starts.Next(file, at, &*summary)) {
        ASSERT_LT(i, expected.size());
        ASSERT_EQ(*next, expected[i++]);
        at = *next;
    }
    EXPECT_EQ(i, expected.size());
}

TEST(AlarmStarts, BoxesThatCannotAlarmGiveNoStarts) {
    PlantedLog log(kKnockCodes);
    PlantKnocks(log, 100);
    LogFile& file = log.Open();
    EXPECT_FALSE(AlarmStarts({}).Next(file, 0));
    EXPECT_FALSE(AlarmStarts({{1, 38, 0, 0}, {0, 38, 1, 1}, {19, 38, 1, 1}}).Next(file, 0));
    // An alarm box's level is the value box colour rule: equal counts as reached.
    EXPECT_EQ(AlarmLevelOf({1, 38, 5, 10}, 5), 1);
    EXPECT_EQ(AlarmLevelOf({1, 38, 5, 10}, 10), 2);
    EXPECT_EQ(AlarmLevelOf({1, 38, 5, -1}, 1000), 1);
    EXPECT_EQ(AlarmLevelOf({1, 38, 0, 0}, 1000), 0);
}

}  // namespace
}  // namespace orvane
