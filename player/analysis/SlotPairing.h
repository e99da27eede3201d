#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/LogOutline.h"

namespace orvane {

// A log's slot and the reference log's slot that record the same item; 0 where one of
// the two logs does not record it (or records it fewer times).
struct SlotPair {
    std::int16_t Code = -1;
    int Slot = 0;           // of the log, 1 to 18
    int ReferenceSlot = 0;  // of the reference, 1 to 18
    friend bool operator==(const SlotPair&, const SlotPair&) = default;
};

// Which slot of a reference log records the item of each slot of a log, whatever slot
// order each logger used: items are matched by item code. A code recorded in several
// slots of a log is paired in slot order, as the display slots take them: its first slot
// with the reference's first slot of that code, its second with the second, and a slot
// left over (the code recorded more often in one log) has no partner.
class SlotPairing {
public:
    SlotPairing() = default;
    SlotPairing(const LogOutline& log, const LogOutline& reference);

    // Every slot with an item of either log: first the log's in slot order, each with its
    // partner; then the reference's slots without one, in slot order.
    const std::vector<SlotPair>& Pairs() const noexcept { return pairs_; }

    // The reference's slot paired with slot `slot` of the log; 0 when there is none (or
    // `slot` is not 1 to 18).
    int ReferenceSlotOf(int slot) const noexcept;
    // The log's slot paired with slot `referenceSlot` of the reference; 0 when none.
    int LogSlotOf(int referenceSlot) const noexcept;

private:
    std::vector<SlotPair> pairs_;
    std::array<int, SlotCount> toReference_{};
    std::array<int, SlotCount> toLog_{};
};

}  // namespace orvane
