#include "playback/DisplayLayout.h"

#include <algorithm>

#include "log/modOrvane.h"

namespace orvane {

std::optional<std::pair<double, double>> DisplaySlotLayout::Scale() const noexcept {
    if (GraphShown && GraphMin && GraphMax) return std::pair{*GraphMin, *GraphMax};
    if (GaugeShown) return std::pair{GaugeMin, GaugeMax};
    return std::nullopt;
}

std::vector<DisplaySlotBinding> BindingsFor(const DisplayLayout& layout,
                                            const std::array<std::int16_t, 18>& logItems) {
    SlotBindingInput input;
    input.LayoutItems = std::span<const std::int16_t>(layout.SlotItems.data(), DisplaySlots);
    input.LayoutNamesItems = layout.NamesItems;
    input.Mode = layout.Binding;
    input.LogItems = logItems;
    input.LampsShown = layout.LampsShown;
    return BindDisplaySlots(input);
}

std::vector<DisplaySlotBinding> LayoutBindings(const DisplayLayout& layout) {
    std::vector<DisplaySlotBinding> bindings(DisplaySlots);
    for (int s = 1; s <= DisplaySlots; ++s) {
        bindings[static_cast<std::size_t>(s - 1)] = {
            s, layout.SlotItems[static_cast<std::size_t>(s - 1)]};
    }
    return bindings;
}

std::vector<AlarmBox> AlarmBoxesOf(const DisplayLayout& layout,
                                   const std::vector<DisplaySlotBinding>& bindings,
                                   const std::array<std::int16_t, 18>& logItems,
                                   std::vector<int>* displaySlots) {
    std::vector<AlarmBox> boxes;
    const int count = std::min<int>(DisplaySlots, static_cast<int>(bindings.size()));
    for (int s = 1; s <= count; ++s) {
        const DisplaySlotLayout& slot = layout.Slots[static_cast<std::size_t>(s)];
        const int k = bindings[static_cast<std::size_t>(s - 1)].Source;
        if (k < 1 || k > 18 || !slot.CanAlarm()) continue;
        const std::int16_t code = logItems[static_cast<std::size_t>(k - 1)];
        if (code <= 0 || !IsByteCode(code)) continue;
        if (layout.LampsShown && IsSwitchCode(code)) continue;
        boxes.push_back({k, code, slot.Threshold1, slot.Threshold2});
        if (displaySlots) displaySlots->push_back(s);
    }
    return boxes;
}

std::pair<double, double> ScaleOfLogSlot(const DisplayLayout& layout,
                                         const std::vector<DisplaySlotBinding>& bindings,
                                         int logSlot, std::int16_t code) {
    const int count = std::min<int>(DisplaySlots, static_cast<int>(bindings.size()));
    for (int s = 1; s <= count; ++s) {
        if (bindings[static_cast<std::size_t>(s - 1)].Source != logSlot) continue;
        if (const auto scale = layout.Slots[static_cast<std::size_t>(s)].Scale()) return *scale;
    }
    if (!IsByteCode(code)) return {0, 1};
    const double a = ConvertValue(static_cast<std::uint8_t>(code), 0);
    const double b = ConvertValue(static_cast<std::uint8_t>(code), 255);
    return {std::min(a, b), std::max(a, b)};
}

}  // namespace orvane
