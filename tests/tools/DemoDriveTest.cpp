#include <gtest/gtest.h>

#include <algorithm>

#include "DemoDrive.h"
#include "log/modOrvane.h"

namespace orvane::demo {
namespace {

TEST(DemoDrive, IsDeterministicAndPacedAboutTheMeanInterval) {
    DemoDrive a(5), b(5), c(6);
    bool differs = false;
    std::int32_t previous = -1;
    for (int i = 0; i < 3000; ++i) {
        const auto ra = a.Next();
        const auto rb = b.Next();
        const auto rc = c.Next();
        ASSERT_EQ(ra.Millis, rb.Millis);
        ASSERT_EQ(ra.SlotBytes, rb.SlotBytes);
        differs = differs || ra.SlotBytes != rc.SlotBytes;
        ASSERT_GT(ra.Millis, previous);
        previous = ra.Millis;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(previous / 2999.0, 100, 10);
}

TEST(DemoDrive, DrivesThroughIdleRevsAndWarmsUp) {
    DemoDrive drive(1);
    double minRpm = 1e9, maxRpm = 0, firstCoolant = 0, lastCoolant = 0;
    bool idleOn = false, idleOff = false, acOn = false, acOff = false;
    for (int i = 0; i < 3000; ++i) {
        const auto r = drive.Next();
        const double rpm = ConvertValue(33, r.SlotBytes[0]);
        const double coolant = ConvertValue(7, r.SlotBytes[1]);
        if (i == 0) firstCoolant = coolant;
        lastCoolant = coolant;
        if (i > 20) minRpm = std::min(minRpm, rpm);
        maxRpm = std::max(maxRpm, rpm);
        idleOn = idleOn || SwitchIsOn(SwitchKind::Idle, r.SlotBytes[15]);
        idleOff = idleOff || !SwitchIsOn(SwitchKind::Idle, r.SlotBytes[15]);
        acOn = acOn || SwitchIsOn(SwitchKind::Ac, r.SlotBytes[15]);
        acOff = acOff || !SwitchIsOn(SwitchKind::Ac, r.SlotBytes[15]);
    }
    EXPECT_GT(minRpm, 600);
    EXPECT_LT(minRpm, 1300);
    EXPECT_GT(maxRpm, 5000);
    EXPECT_LT(firstCoolant, 30);
    EXPECT_GT(lastCoolant, 60);
    EXPECT_TRUE(idleOn && idleOff);
    EXPECT_TRUE(acOn && acOff);
}

TEST(DemoDrive, AnItemReadsTheSameInWhateverSlotALogRecordsIt) {
    const auto permuted = ParseSlotList("44,0,2,38,21,22,19,14,13,12,41,58,20,26,6,23,7,33");
    ASSERT_TRUE(permuted);
    DemoDrive a(9), b(9, *permuted);
    const auto& order = DefaultDemoSlots();
    for (int i = 0; i < 2000; ++i) {
        const auto ra = a.Next();
        const auto rb = b.Next();
        ASSERT_EQ(ra.Millis, rb.Millis);
        for (int k = 0; k < SlotCount; ++k) {
            const auto at = std::find(permuted->begin(), permuted->end(), order[k]);
            ASSERT_EQ(ra.SlotBytes[k], rb.SlotBytes[at - permuted->begin()]) << i << " " << k;
        }
    }
}

TEST(DemoDrive, SlotListsNameUpTo18CodesAndNothingElse) {
    const auto two = ParseSlotList("2,-1");
    ASSERT_TRUE(two);
    EXPECT_EQ((*two)[0], 2);
    EXPECT_EQ((*two)[1], -1);
    EXPECT_EQ((*two)[17], -1);
    EXPECT_TRUE(ParseSlotList("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18"));
    for (const char* bad : {"", ",", "33,", "33,,7", "x", "33;7", "32768",
                            "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19"}) {
        EXPECT_FALSE(ParseSlotList(bad)) << bad;
    }
}

}  // namespace
}  // namespace orvane::demo
