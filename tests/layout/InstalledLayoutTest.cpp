// The layout every installed user starts from, read by the layout code as the player
// reads it at start-up.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <string>

#include "layout/ApplyLayout.h"
#include "log/modOrvane.h"
#include "playback/PlaybackRules.h"
#include "settings/modCommon.h"

namespace orvane {
namespace {

class InstalledLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSettingsFilePath(ORVANE_INSTALLED_LAYOUT);
        ForgetCachedSettings();
        const SlotAssignment assignment = ReadSlotAssignment();
        for (int n = 1; n <= 15; ++n) {
            QLineEdit box;
            const ValueBoxAlarms alarms = LayoutValueBox(&box, n, meter::Colour(0));
            slots_[n] = {assignment.Items[static_cast<std::size_t>(n - 1)],
                         {alarms.TextColor, alarms.AlarmColor1, alarms.AlarmColor2,
                          alarms.Threshold1, alarms.Threshold2}};
        }
    }
    void TearDown() override { SetSettingsFilePath(""); }

    // The colour the value box laid out for `code` gives `value`, as a word.
    std::string Level(std::int16_t code, double value) const {
        for (int n = 1; n <= 15; ++n) {
            if (slots_[n].Code != code) continue;
            const ValueColours& colours = slots_[n].Colours;
            const meter::Colour shown = ValueTextColour(colours, value);
            if (shown == colours.Normal) return "normal";
            if (shown == meter::Colour(65535)) return "yellow";
            if (shown == meter::Colour(255)) return "red";
            return "colour " + std::to_string(shown.ToInt32());
        }
        return "no box for item " + std::to_string(code);
    }

private:
    struct Slot {
        std::int16_t Code = -1;
        ValueColours Colours;
    };
    Slot slots_[16];
};

TEST_F(InstalledLayoutTest, AlarmsOnlyWhereATunerWouldLookAndKnockIsRed) {
    struct Planted {
        std::int16_t Code;
        double Value;
        const char* Level;
    };
    const Planted planted[] = {
        // Engine speed (a multiple of 31.25, as the logger records it).
        {33, 6468.75, "normal"},
        {33, 6500, "yellow"},
        {33, 6968.75, "yellow"},
        {33, 7000, "red"},
        // Coolant: a warm drive at 95 C is normal.
        {7, 95, "normal"},
        {7, 99.5, "normal"},
        {7, 100, "yellow"},
        {7, 105, "red"},
        {58, 45, "normal"},
        {58, 50, "yellow"},
        {58, 60, "red"},
        // Knock of 8 to 13 is red, not yellow.
        {38, 3, "normal"},
        {38, 4, "yellow"},
        {38, 8, "red"},
        {38, 13, "red"},
        // The one threshold of mass air flow is the red one.
        {26, 1547.34, "normal"},
        {26, 1553.63, "red"},
        // Tip-in, cranking and a pressed pedal are no alarm.
        {41, 14.85, "normal"},
        {41, 65.28, "normal"},
        {23, 100, "normal"},
        {6, 0, "normal"},
        {6, -2550, "normal"},
    };
    for (const Planted& p : planted) {
        EXPECT_EQ(Level(p.Code, p.Value), p.Level)
            << SensorName(p.Code) << " at " << FormatValue(p.Value);
    }
}

}  // namespace
}  // namespace orvane
