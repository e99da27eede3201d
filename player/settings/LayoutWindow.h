#pragma once

#include <array>
#include <cstdint>

#include <meter/Colour.h>

#include "settings/LayoutSchema.h"

class Meter;
class QLabel;
class QWidget;

namespace orvane {

class usrGraph;

// The parts of the main window that the layout places and styles, and the fields of
// the player state it fills. Arrays are numbered from 1 like the slots.
struct LayoutWindow {
    QWidget* Window = nullptr;
    std::array<QLabel*, DisplaySlotCount + 1> lvlResult{};
    // Value boxes: any widget that draws its palette's Text colour on its Base colour.
    std::array<QWidget*, DisplaySlotCount + 1> txtResult{};
    std::array<Meter*, DisplaySlotCount + 1> mtrSensor{};
    std::array<orvane::usrGraph*, DisplaySlotCount + 1> usrGraph{};
    QWidget* picSwitch = nullptr;
    QLabel* lvlStatus = nullptr;

    // A switch lamp and its caption label with their sections.
    struct Lamp {
        SectionId IndicatorSection;
        SectionId LabelSection;
        QWidget* Shape = nullptr;
        QLabel* Label = nullptr;
    };
    // In the order they are laid out: Idle, Power, AC, AC relay, TDC.
    std::array<Lamp, 5> Lamps{};

    std::array<std::int16_t, MainSensorCount + 1>* SlotItem = nullptr;
    std::array<double, DisplaySlotCount + 1>* SlotThreshold1 = nullptr;
    std::array<double, DisplaySlotCount + 1>* SlotThreshold2 = nullptr;
    std::array<meter::Colour, DisplaySlotCount + 1>* SlotTextColor = nullptr;
    std::array<meter::Colour, DisplaySlotCount + 1>* SlotAlarmColor1 = nullptr;
    std::array<meter::Colour, DisplaySlotCount + 1>* SlotAlarmColor2 = nullptr;
};

}  // namespace orvane
