#include "analysis/SlotPairing.h"

namespace orvane {

SlotPairing::SlotPairing(const LogOutline& log, const LogOutline& reference) {
    std::array<bool, SlotCount> taken{};
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const std::int16_t code = log.CodeOf(slot);
        if (code < 0) continue;
        SlotPair pair{code, slot, 0};
        // The reference's first slot of the code not yet paired: the n-th slot of a code
        // meets the n-th.
        for (int other = 1; other <= SlotCount; ++other) {
            const auto k = static_cast<std::size_t>(other - 1);
            if (reference.CodeOf(other) != code || taken[k]) continue;
            taken[k] = true;
            pair.ReferenceSlot = other;
            break;
        }
        pairs_.push_back(pair);
    }
    for (int other = 1; other <= SlotCount; ++other) {
        const std::int16_t code = reference.CodeOf(other);
        if (code >= 0 && !taken[static_cast<std::size_t>(other - 1)]) {
            pairs_.push_back({code, 0, other});
        }
    }
    for (const SlotPair& pair : pairs_) {
        if (pair.Slot == 0 || pair.ReferenceSlot == 0) continue;
        toReference_[static_cast<std::size_t>(pair.Slot - 1)] = pair.ReferenceSlot;
        toLog_[static_cast<std::size_t>(pair.ReferenceSlot - 1)] = pair.Slot;
    }
}

int SlotPairing::ReferenceSlotOf(int slot) const noexcept {
    return slot >= 1 && slot <= SlotCount ? toReference_[static_cast<std::size_t>(slot - 1)] : 0;
}

int SlotPairing::LogSlotOf(int referenceSlot) const noexcept {
    return referenceSlot >= 1 && referenceSlot <= SlotCount
               ? toLog_[static_cast<std::size_t>(referenceSlot - 1)]
               : 0;
}

}  // namespace orvane
