#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orvane::demo
