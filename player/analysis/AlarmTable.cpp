#include "analysis/AlarmTable.h"

#include <bit>

#include "analysis/LogOutline.h"

namespace orvane {
namespace {

constexpr AlarmTable::State kLevel1Bits = 0x5555555555555555ull;
constexpr AlarmTable::State kLevel2Bits = 0xAAAAAAAAAAAAAAAAull;

}  // namespace

int AlarmLevelOf(const AlarmBox& box, double value) noexcept {
    if (box.Threshold2 > 0 && value >= box.Threshold2) return 2;
    if (box.Threshold1 > 0 && value >= box.Threshold1) return 1;
    return 0;
}

AlarmTable::AlarmTable(std::vector<AlarmBox> boxes) : boxes_(std::move(boxes)) {
    if (boxes_.size() > static_cast<std::size_t>(MaxBoxes)) boxes_.resize(MaxBoxes);
    for (std::size_t b = 0; b < boxes_.size(); ++b) {
        const AlarmBox& box = boxes_[b];
        if (box.Slot < 1 || box.Slot > SlotCount) continue;
        if (box.Threshold1 <= 0 && box.Threshold2 <= 0) continue;
        const int slot = box.Slot - 1;
        std::size_t row = 0;
        while (row < slots_.size() && slots_[row] != slot) ++row;
        if (row == slots_.size()) {
            slots_.push_back(slot);
            masks_.push_back({});
        }
        const auto values = ValueTable(box.Code);
        for (int raw = 0; raw < 256; ++raw) {
            const int level = AlarmLevelOf(box, values[static_cast<std::size_t>(raw)]);
            if (level >= 1) masks_[row][raw] |= State{1} << (2 * b);
            if (level >= 2) masks_[row][raw] |= State{1} << (2 * b + 1);
        }
    }
}

int AlarmTable::LevelOf(State state) noexcept {
    if (state & kLevel2Bits) return 2;
    return state != 0 ? 1 : 0;
}

int AlarmTable::FirstBoxAtHighestLevel(State state) noexcept {
    const State bits = (state & kLevel2Bits) ? state & kLevel2Bits : state & kLevel1Bits;
    return bits == 0 ? -1 : std::countr_zero(bits) / 2;
}

}  // namespace orvane
