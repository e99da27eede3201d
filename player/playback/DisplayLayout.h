#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <meter/Colour.h>

#include "analysis/AlarmTable.h"
#include "playback/SlotBinding.h"

namespace orvane {

// The player window has 15 display slots, numbered from 1.
inline constexpr int DisplaySlots = 15;

// What the layout puts in one display slot, as data: which of its parts show, the value
// box's thresholds and colours, and the scales of its gauge and graph. The layout step
// writes it once; whatever follows the log (the overview, the alarm search, the chart,
// the statistics) reads it here instead of asking the widgets.
struct DisplaySlotLayout {
    bool NameShown = false;
    bool ValueShown = false;
    bool GaugeShown = false;
    bool GraphShown = false;
    // The value box's thresholds (0 or less: off) and colours.
    double Threshold1 = 0;
    double Threshold2 = 0;
    meter::Colour TextColour{0};
    meter::Colour AlarmColour1{0};
    meter::Colour AlarmColour2{0};
    // The gauge's range, and the graph's (nullopt: an end the graph was never given).
    double GaugeMin = 0;
    double GaugeMax = 0;
    std::optional<double> GraphMin;
    std::optional<double> GraphMax;

    // True when the value box can change colour: it shows and has a threshold above 0.
    bool CanAlarm() const noexcept { return ValueShown && (Threshold1 > 0 || Threshold2 > 0); }
    // The scale the slot draws its item on: the graph's when it shows with both ends, else
    // the gauge's when it shows; nullopt when neither shows.
    std::optional<std::pair<double, double>> Scale() const noexcept;

    friend bool operator==(const DisplaySlotLayout&, const DisplaySlotLayout&) = default;
};

// The overview strip under the transport strip: [Overview].
struct OverviewSettings {
    bool Visible = true;
    int Height = 72;                      // pixels
    std::array<std::int16_t, 2> Items{};  // the item codes it traces; negative: none
    // The computed item a trace follows instead ("Inj duty"), by name; empty: the item
    // code above.
    std::array<std::string, 2> ItemNames{};

    friend bool operator==(const OverviewSettings&, const OverviewSettings&) = default;
};

// The layout's description of the window: the items it names, the display slots
// (element 0 holds nothing), whether the switch lamps show, and the overview strip.
struct DisplayLayout {
    // [Main] Sensor1 ... Sensor18 (-1 where none is named; element 0 is slot 1), whether
    // any is present, and how display slots find their item in an opened log.
    std::array<std::int16_t, 18> SlotItems = DefaultSlotItems();
    bool NamesItems = false;
    SlotBindingMode Binding = SlotBindingMode::Item;
    std::array<DisplaySlotLayout, DisplaySlots + 1> Slots{};
    bool LampsShown = true;
    OverviewSettings Overview;

    static constexpr std::array<std::int16_t, 18> DefaultSlotItems() {
        std::array<std::int16_t, 18> items{};
        items.fill(-1);
        return items;
    }

    friend bool operator==(const DisplayLayout&, const DisplayLayout&) = default;
};

// Which log slot each display slot shows in a log whose slots hold `logItems` (element 0
// is log slot 1), by the layout's binding rule; one binding per display slot.
std::vector<DisplaySlotBinding> BindingsFor(const DisplayLayout& layout,
                                            const std::array<std::int16_t, 18>& logItems);

// Before any log is opened display slot s shows log slot s, standing for the item the
// layout names there.
std::vector<DisplaySlotBinding> LayoutBindings(const DisplayLayout& layout);

// The value boxes that can show an alarm for a log, in display-slot order: each shown
// box with a threshold whose display slot is bound to a byte item of the log (switch
// bytes excepted while the lamps show them). `bindings` holds one binding per display
// slot (element 0 is display slot 1), `logItems` the item of each log slot (element 0
// is log slot 1). `displaySlots`, when given, receives each box's display slot.
std::vector<AlarmBox> AlarmBoxesOf(const DisplayLayout& layout,
                                   const std::vector<DisplaySlotBinding>& bindings,
                                   const std::array<std::int16_t, 18>& logItems,
                                   std::vector<int>* displaySlots = nullptr);

// The scale on which a log slot's item is drawn: the scale of the first display slot
// bound to it whose graph or gauge shows, else the catalogue's range of the item (the
// values of raw 0 and 255, lower first; 0 to 1 for codes above 255).
std::pair<double, double> ScaleOfLogSlot(const DisplayLayout& layout,
                                         const std::vector<DisplaySlotBinding>& bindings,
                                         int logSlot, std::int16_t code);

}  // namespace orvane
