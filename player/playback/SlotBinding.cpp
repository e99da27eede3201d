#include "playback/SlotBinding.h"

#include "common/AsciiText.h"
#include "log/modOrvane.h"

namespace orvane {

SlotBindingMode SlotBindingModeFromText(std::string_view text) noexcept {
    return EqualsIgnoringAsciiCase(Trim(text, " \t"), "Position") ? SlotBindingMode::Position
                                                                  : SlotBindingMode::Item;
}

std::vector<DisplaySlotBinding> BindDisplaySlots(const SlotBindingInput& input) {
    const std::size_t displayCount = input.LayoutItems.size();
    const std::size_t logCount = input.LogItems.size();
    std::vector<DisplaySlotBinding> binding(displayCount);

    if (!BindsByItem(input.Mode, input.LayoutNamesItems)) {
        for (std::size_t s = 0; s < displayCount && s < logCount; ++s) {
            binding[s] = {static_cast<int>(s + 1), input.LogItems[s]};
        }
        return binding;
    }

    std::vector<bool> claimed(logCount, false);
    const auto claimFirst = [&](auto&& wanted) -> int {
        for (std::size_t k = 0; k < logCount; ++k) {
            if (!claimed[k] && wanted(input.LogItems[k])) {
                claimed[k] = true;
                return static_cast<int>(k + 1);
            }
        }
        return 0;
    };

    // Named items first, so that a slot naming nothing cannot take an item a later
    // slot names.
    for (std::size_t s = 0; s < displayCount; ++s) {
        const std::int16_t item = input.LayoutItems[s];
        if (item < 0) continue;
        binding[s] = {claimFirst([item](std::int16_t code) { return code == item; }), item};
    }
    const auto isRemaining = [&](std::int16_t code) {
        if (code < 0) return false;
        if (code == SwitchStatus2Code) return false;  // shows nothing but a lamp
        return !(input.LampsShown && code == SwitchStatusCode);
    };
    for (std::size_t s = 0; s < displayCount; ++s) {
        if (input.LayoutItems[s] >= 0) continue;
        const int source = claimFirst(isRemaining);
        if (source > 0) binding[s] = {source, input.LogItems[source - 1]};
    }
    return binding;
}

}  // namespace orvane
