#pragma once

// Applying the settings file to the main window's elements. Each function reads the
// keys of one element's section in the schema's order and applies each value right
// after it is read, so the first value that does not convert, or that the element
// refuses, stops with its error: orvane::RuntimeError, or meter::PropertyError from a
// gauge. The window calls them in the layout's order, reports the first error and ends
// the program; there is no partial layout to go on with.
//
// With LayoutSource::Design the functions apply the schema's defaults alone, as if
// the settings file were empty: that is the window as designed, which the window
// builds its controls from before the settings file is read.

#include <array>
#include <cstdint>
#include <exception>

#include <meter/Colour.h>

#include "log/LogFormat.h"
#include "playback/DisplayLayout.h"
#include "playback/SlotBinding.h"
#include "settings/LayoutSchema.h"

class Meter;
class QLabel;
class QWidget;

namespace orvane {

class usrGraph;

enum class LayoutSource {
    SettingsFile,  // the values of the settings file, with the schema's defaults
    Design,        // the schema's defaults alone
};

// The window's constant opacity, [Main] Transparent: 0 invisible to 255 opaque.
void LayoutOpacity(QWidget* window);

// What [Main] says of the slots' items.
struct SlotAssignment {
    // [Main] Sensor1 ... Sensor18: the item of each slot, -1 where none is named.
    std::array<std::int16_t, SlotCount> Items{};
    // True when at least one SensorN key is present: the layout names its items.
    bool NamesItems = false;
    // [Main] SlotBinding: how display slots find their item in an opened log.
    SlotBindingMode Binding = SlotBindingMode::Item;
};
SlotAssignment ReadSlotAssignment();

// A name label: shown or hidden, its text the catalogue name of `itemCode` (empty for
// a negative code), its place, font and colours.
void LayoutNameLabel(QLabel* label, int slot, std::int16_t itemCode,
                     LayoutSource source = LayoutSource::SettingsFile);

// What a value box's section gives the player besides the box itself.
struct ValueBoxAlarms {
    double Threshold1 = 0;         // the smaller threshold; 0 or less is off
    double Threshold2 = 0;         // the larger threshold
    meter::Colour TextColor{0};    // the box's normal text colour
    meter::Colour AlarmColor1{0};  // at or above Threshold1
    meter::Colour AlarmColor2{0};  // at or above Threshold2
};

// A value box: shown or hidden, its place, font and colours; and, for shown and hidden
// boxes alike, the alarm thresholds (ordered) and colours. `textColor` is the normal
// text colour the slot had so far: a hidden box keeps it, and it is the default of the
// alarm colours.
ValueBoxAlarms LayoutValueBox(QWidget* box, int slot, meter::Colour textColor,
                              LayoutSource source = LayoutSource::SettingsFile);

// A gauge: shown or hidden, place, colours, caption, fonts, range (by default the
// catalogue values of raw bytes 0 and 255 of `itemCode`), coloured zones and needle.
void LayoutGauge(Meter* gauge, int slot, std::int16_t itemCode,
                 LayoutSource source = LayoutSource::SettingsFile);

// A graph: shown or hidden, place, colours, range (a reversed range is swapped),
// pens, thresholds and label font.
void LayoutGraph(usrGraph* graph, int slot, std::int16_t itemCode,
                 LayoutSource source = LayoutSource::SettingsFile);

// The switch panel and its caption label. The caption's place and font are read only
// when the caption is not empty; the design applies them always.
void LayoutSwitchPanel(QWidget* panel, QLabel* caption,
                       LayoutSource source = LayoutSource::SettingsFile);

// One lamp: its shape's place, and its caption label's place, font and text.
void LayoutLamp(const LampDef& lamp, QWidget* shape, QLabel* label,
                LayoutSource source = LayoutSource::SettingsFile);

// The overview strip under the transport strip: [Overview].
OverviewSettings ReadOverviewSettings(LayoutSource source = LayoutSource::SettingsFile);
// Shows or hides the strip and gives it its height; returns what [Overview] says.
OverviewSettings LayoutOverview(QWidget* strip, LayoutSource source = LayoutSource::SettingsFile);

// What the layout just gave a display slot, read back from its styled controls: the
// description the rest of the player works from.
DisplaySlotLayout DescribeSlot(const QLabel* name, const QWidget* valueBox,
                               const ValueBoxAlarms& alarms, const Meter* gauge,
                               const usrGraph* graph);

// The error number of an exception raised by the functions above.
int LayoutErrorNumber(const std::exception& error) noexcept;

}  // namespace orvane
