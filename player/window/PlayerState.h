#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <meter/Colour.h>

#include "log/DateTime.h"
#include "log/LogFile.h"
#include "settings/LayoutSchema.h"

namespace orvane {

// The main window's state: what log is open, where playback stands, how fast it runs,
// which data item each slot shows and how each value text is coloured. Per-slot arrays
// are indexed by slot number; element 0 holds nothing.
struct PlayerState {
    std::string LogFileName;
    bool LogLoaded = false;
    // The open log and its one read position, shared by playback and the CSV export.
    // A closed file is the "no handle" state.
    LogFile LogFileHandle;
    DateTime LogStartDate;
    std::int32_t PreviousMillis = 0;
    std::int16_t SpeedFactor = 0;
    std::int32_t RecordCount = 0;
    std::int32_t PlayPosition = 0;
    // The item of each of the log's slots: the layout's items until a log is opened,
    // then the log header's. The CSV export follows these.
    std::array<std::int16_t, SlotCount + 1> SlotItem{};
    std::array<double, DisplaySlotCount + 1> SlotThreshold1{};
    std::array<double, DisplaySlotCount + 1> SlotThreshold2{};
    std::array<meter::Colour, DisplaySlotCount + 1> SlotTextColor{};
    std::array<meter::Colour, DisplaySlotCount + 1> SlotAlarmColor1{};
    std::array<meter::Colour, DisplaySlotCount + 1> SlotAlarmColor2{};
};

}  // namespace orvane
