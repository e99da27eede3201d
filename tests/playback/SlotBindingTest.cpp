#include "playback/SlotBinding.h"

#include <gtest/gtest.h>

#include <array>

namespace orvane {
namespace {

// The log slot each display slot shows (0: none).
std::vector<int> Sources(const std::vector<std::int16_t>& layout, bool named,
                         const std::vector<std::int16_t>& log, bool lampsShown = true,
                         SlotBindingMode mode = SlotBindingMode::Item) {
    const auto binding = BindDisplaySlots({.LayoutItems = layout,
                                           .LayoutNamesItems = named,
                                           .Mode = mode,
                                           .LogItems = log,
                                           .LampsShown = lampsShown});
    std::vector<int> sources;
    for (const DisplaySlotBinding& b : binding) sources.push_back(b.Source);
    return sources;
}

TEST(SlotBindingTest, NamedItemsAreFoundWhereverTheLogHasThem) {
    EXPECT_EQ(Sources({33, 7, 23}, true, {23, 33, 6, 7}), (std::vector<int>{2, 4, 1}));
    // The second slot naming an item takes the second log slot recording it.
    EXPECT_EQ(Sources({33, 33, 33}, true, {33, 6, 33}), (std::vector<int>{1, 3, 0}));
}

TEST(SlotBindingTest, UnnamedSlotsTakeWhatIsLeftInLogOrderButNotTheSwitchBytes) {
    EXPECT_EQ(Sources({-1, 33, -1, -1, -1}, true, {2, 0, 33, -1, 38, 6}),
              (std::vector<int>{5, 3, 6, 0, 0}));
    // With the lamp panel hidden the status byte shows as a value; the AC relay byte
    // never has one.
    EXPECT_EQ(Sources({-1, -1, -1}, true, {0, 2, 7}, /*lampsShown=*/false),
              (std::vector<int>{2, 3, 0}));
}

TEST(SlotBindingTest, APositionBindingOrALayoutNamingNothingKeepsTheLogsOrder) {
    EXPECT_EQ(Sources({33, 7, 23}, true, {23, 33}, true, SlotBindingMode::Position),
              (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(Sources({-1, -1, -1}, false, {23, 33, 7, 6}), (std::vector<int>{1, 2, 3}));
    const auto binding = BindDisplaySlots({.LayoutItems = std::vector<std::int16_t>{33, 7},
                                           .LayoutNamesItems = true,
                                           .Mode = SlotBindingMode::Position,
                                           .LogItems = std::vector<std::int16_t>{6, -1}});
    EXPECT_EQ(binding[0].Item, 6);
    EXPECT_EQ(binding[1].Item, -1);
}

TEST(SlotBindingTest, ASlotStandsForTheItemItNamesEvenWhenTheLogLacksIt) {
    const auto binding = BindDisplaySlots({.LayoutItems = std::vector<std::int16_t>{7, -1},
                                           .LayoutNamesItems = true,
                                           .LogItems = std::vector<std::int16_t>{33}});
    EXPECT_EQ(binding[0].Source, 0);
    EXPECT_EQ(binding[0].Item, 7);
    EXPECT_EQ(binding[1].Source, 1);
    EXPECT_EQ(binding[1].Item, 33);
}

TEST(SlotBindingModeTest, OnlyPositionSelectsPositionBinding) {
    EXPECT_EQ(SlotBindingModeFromText("Position"), SlotBindingMode::Position);
    EXPECT_EQ(SlotBindingModeFromText(" POSITION "), SlotBindingMode::Position);
    EXPECT_EQ(SlotBindingModeFromText("Item"), SlotBindingMode::Item);
    EXPECT_EQ(SlotBindingModeFromText(""), SlotBindingMode::Item);
    EXPECT_EQ(SlotBindingModeFromText("Positions"), SlotBindingMode::Item);
}

}  // namespace
}  // namespace orvane
