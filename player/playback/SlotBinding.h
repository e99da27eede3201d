#pragma once

// Which of the log's slots each display slot of the window shows.
//
// A layout is designed for items: slot 1's gauge, graph, alarm thresholds and captions
// were made for the item the layout names there ([Main] Sensor1), not for whatever a
// logger happens to record in its first slot. Binding by item lets one layout fit logs
// of every slot order.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orvane {

enum class SlotBindingMode {
    Item,      // a display slot shows the item the layout names for it, wherever the log has it
    Position,  // display slot s shows log slot s, whatever item that is
};

// [Main] SlotBinding: "Position" (in any letter case) selects Position; anything else,
// the empty text included, is Item, the default.
SlotBindingMode SlotBindingModeFromText(std::string_view text) noexcept;

// True when display slots are bound by item: the mode asks for it and the layout names
// items. A layout that names none binds by position whatever the mode.
constexpr bool BindsByItem(SlotBindingMode mode, bool layoutNamesItems) noexcept {
    return mode == SlotBindingMode::Item && layoutNamesItems;
}

struct SlotBindingInput {
    // Item code the layout names for each display slot (element 0 is display slot 1);
    // negative: the layout names no item there.
    std::span<const std::int16_t> LayoutItems;
    // True when the layout names items at all (it has [Main] SensorN keys). A layout
    // without them binds by position whatever the mode.
    bool LayoutNamesItems = false;
    SlotBindingMode Mode = SlotBindingMode::Item;
    // Item code of each of the log's slots (element 0 is log slot 1); negative: not in use.
    std::span<const std::int16_t> LogItems;
    // True while the switch panel is shown: the switch bytes then drive the lamps and are
    // not handed to display slots that name no item.
    bool LampsShown = true;
};

struct DisplaySlotBinding {
    // 1-based log slot whose byte the display slot shows; 0 when it shows no value.
    int Source = 0;
    // The item the display slot stands for: the layout's item when it names one, else
    // the item of its source; negative when it has neither.
    std::int16_t Item = -1;
};

// The binding of every display slot (element 0 is display slot 1).
//
// By item: each display slot that names an item takes the first log slot recording that
// item that no earlier display slot took, so display slots naming the same item take the
// log's slots recording it in order; one left over shows no value. Display slots that
// name no item then take the log's remaining items (in use, not claimed, and not a
// switch byte while the lamps show them) in log order. By position, display slot s
// shows log slot s.
std::vector<DisplaySlotBinding> BindDisplaySlots(const SlotBindingInput& input);

}  // namespace orvane
