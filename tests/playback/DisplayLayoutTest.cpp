// The layout as data: which value boxes can alarm in a log, and the scale each log
// slot's item is drawn on.
#include <gtest/gtest.h>

#include "playback/DisplayLayout.h"

namespace orvane {
namespace {

std::array<std::int16_t, 18> Items(std::initializer_list<std::int16_t> codes) {
    std::array<std::int16_t, 18> items = DisplayLayout::DefaultSlotItems();
    std::copy(codes.begin(), codes.end(), items.begin());
    return items;
}

TEST(DisplayLayout, OnlyShownBoxesWithAThresholdOnAByteItemOfTheLogCanAlarm) {
    DisplayLayout layout;
    for (int s = 1; s <= 6; ++s) {
        layout.Slots[s].ValueShown = true;
        layout.Slots[s].Threshold1 = 10;
    }
    layout.Slots[2].ValueShown = false;  // hidden
    layout.Slots[3].Threshold1 = 0;      // no threshold
    layout.Slots[5].Threshold1 = -1;     // only the second threshold counts
    layout.Slots[5].Threshold2 = 40;
    // Display slot s shows log slot s; slot 4 holds the switch byte, slot 6 a code above 255.
    const auto logItems = Items({33, 7, 23, 2, 38, 300});
    const std::vector<DisplaySlotBinding> bindings = LayoutBindings(layout);
    std::vector<int> displaySlots;
    const auto boxes = AlarmBoxesOf(layout, bindings, logItems, &displaySlots);
    EXPECT_EQ(displaySlots, (std::vector<int>{1, 5}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], (AlarmBox{5, 38, -1, 40}));
    // Without the lamps the switch byte is a value like any other.
    layout.LampsShown = false;
    displaySlots.clear();
    AlarmBoxesOf(layout, bindings, logItems, &displaySlots);
    EXPECT_EQ(displaySlots, (std::vector<int>{1, 4, 5}));
}

TEST(DisplayLayout, ASlotIsDrawnOnItsShownGraphElseItsGaugeElseTheCataloguesRange) {
    DisplayLayout layout;
    layout.SlotItems = Items({7, 33, 33});
    layout.NamesItems = true;
    // Display slot 1 (coolant): a gauge and a graph; the graph wins.
    layout.Slots[1].GaugeShown = true;
    layout.Slots[1].GaugeMin = -40;
    layout.Slots[1].GaugeMax = 140;
    layout.Slots[1].GraphShown = true;
    layout.Slots[1].GraphMin = 0;
    layout.Slots[1].GraphMax = 120;
    // Display slots 2 and 3 both name engine speed, which the log records twice: each
    // takes one of them. A graph without ends draws nothing.
    layout.Slots[2].GraphShown = true;
    layout.Slots[3].GaugeShown = true;
    layout.Slots[3].GaugeMin = 0;
    layout.Slots[3].GaugeMax = 9000;
    const auto logItems = Items({33, 7, 33, 6});
    const auto bindings = BindingsFor(layout, logItems);
    EXPECT_EQ(ScaleOfLogSlot(layout, bindings, 2, 7), (std::pair<double, double>{0, 120}));
    EXPECT_EQ(ScaleOfLogSlot(layout, bindings, 3, 33), (std::pair<double, double>{0, 9000}));
    EXPECT_EQ(ScaleOfLogSlot(layout, bindings, 1, 33), (std::pair<double, double>{0, 7968}));
    // Nobody draws timing advance: its catalogue range, the lower end first (the formula
    // falls).
    EXPECT_EQ(ScaleOfLogSlot(layout, bindings, 4, 6), (std::pair<double, double>{-2550, 0}));
    EXPECT_EQ(ScaleOfLogSlot(layout, bindings, 5, 300), (std::pair<double, double>{0, 1}));
}

}  // namespace
}  // namespace orvane
