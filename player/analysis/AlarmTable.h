#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "log/LogFormat.h"

namespace orvane {

// A value box that can show an alarm: the log slot whose value it shows and the box's
// two thresholds. Its alarm level at a sample is 2 when Threshold2 is above 0 and the
// value reaches it, else 1 when Threshold1 is above 0 and the value reaches it, else 0:
// the rule by which the box picks alarm colour 2, alarm colour 1 or its normal colour.
struct AlarmBox {
    int Slot = 0;            // log slot 1 to 18; any other number never alarms
    std::int16_t Code = -1;  // the item code the log gives that slot
    double Threshold1 = 0;   // 0 or less: off
    double Threshold2 = 0;   // 0 or less: off

    friend bool operator==(const AlarmBox&, const AlarmBox&) = default;
};

// Alarm level of a box for a converted value (0, 1 or 2).
int AlarmLevelOf(const AlarmBox& box, double value) noexcept;

// The alarm state of whole records for a list of boxes, from tables prepared once for
// all 256 raw bytes of each slot, so a record costs one lookup per slot with boxes.
//
// A state holds two bits per box (box b: bit 2b set at level 1 or more, bit 2b+1 set at
// level 2). A box's level rises from one sample to the next exactly when one of its bits
// turns on, so a sample is an alarm start, a sample where some box is at a higher level
// than at the sample before, when IsStart(state before, state) holds. Before the first
// sample every box is at level 0, so the first sample is a start when any box is in alarm.
class AlarmTable {
public:
    // Boxes after the first MaxBoxes are ignored.
    static constexpr int MaxBoxes = 32;
    using State = std::uint64_t;

    explicit AlarmTable(std::vector<AlarmBox> boxes = {});

    const std::vector<AlarmBox>& Boxes() const noexcept { return boxes_; }

    // True when no box can alarm (no boxes, or none with a threshold above 0).
    bool Silent() const noexcept { return slots_.empty(); }

    // State of one record (its 22 bytes).
    State StateOf(const std::uint8_t* record) const noexcept {
        State state = 0;
        for (std::size_t i = 0; i < slots_.size(); ++i) state |= masks_[i][record[4 + slots_[i]]];
        return state;
    }

    static constexpr bool IsStart(State before, State now) noexcept { return (now & ~before) != 0; }

    // Highest level of any box in the state (0, 1 or 2).
    static int LevelOf(State state) noexcept;

    // Index in Boxes() of the first box at the state's highest level; -1 at level 0.
    static int FirstBoxAtHighestLevel(State state) noexcept;

private:
    std::vector<AlarmBox> boxes_;
    std::vector<int> slots_;  // 0-based slots with at least one box that can alarm
    std::vector<std::array<State, 256>> masks_;
};

}  // namespace orvane
