#pragma once

// Every section and key of the settings file, as data: how each value is read, what
// it becomes, its default, and whether it falls back to a common section. The
// sections are listed in the order the program reads them, and the keys of each
// section in the order the layout reads and applies them; SectionReader reads them.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "log/LogFormat.h"
#include "log/modOrvane.h"

namespace orvane {

// Of the SlotCount data slots of a record ([Main] Sensor1 ... Sensor18), the first
// DisplaySlotCount have a name label, value box, gauge and graph on the window.
inline constexpr int DisplaySlotCount = 15;

// How a value is obtained from the file.
enum class ReadKind {
    Number,        // leading-number rule
    Text,          // trimmed text
    Flag,          // true only for exactly "True"
    BooleanText,   // "True"/"False" in any case or a number; else type mismatch
    StrictNumber,  // the whole text as a number; else type mismatch
};

// What the value becomes on its way to the element; a number outside the target's
// range is an overflow.
enum class Target {
    Double,  // passed on as read; the element converts it (gauge and graph properties)
    Single,  // positions, sizes, label and box font sizes
    Int32,   // opacity
    Int16,   // item codes, window state
    Colour,  // 32-bit colour
    Text,
    Bool,
};

enum class DefaultKind {
    Fixed,            // `number` for numeric kinds, `text` for the others
    SlotVisible,      // "True" for slots 1 to 9, "False" from 10 on
    SlotLeft,         // 16 for even slots, 240 for odd ones
    SlotTop,          // `number` + 64 * (slot div 2)
    CatalogueRaw0,    // the physical value of raw byte 0 for the slot's item
    CatalogueRaw255,  // the physical value of raw byte 255 for the slot's item
    Caller,           // given by the caller when reading (the box's text colour)
};

struct KeyDefault {
    DefaultKind kind = DefaultKind::Fixed;
    double number = 0;
    std::string_view text;
};

enum class Key : std::uint8_t {
    Left,
    Top,
    Width,
    Height,
    WindowState,
    Transparent,
    Sensor,
    Visible,
    FontName,
    FontSize,
    FontBold,
    FontItalic,
    FontStrikethru,
    FontUnderline,
    ForeColor,
    BackColor,
    Threshold1,
    Threshold2,
    AlarmColor1,
    AlarmColor2,
    ScaleColor,
    NeedleColor,
    CaptionColor,
    NumberColor,
    Caption,
    CaptionFontName,
    CaptionFontSize,
    CaptionFontBold,
    CaptionFontItalic,
    Min,
    Max,
    NumberFontName,
    NumberFontSize,
    NumberFontBold,
    NumberFontItalic,
    ThickNeedle,
    LineWidth,
    ThresholdColor1,
    ThresholdColor2,
    FontColor,
    TextVisible,
    ThresholdLineWidth,
    Label,
    SlotBinding,
    Item1,
    Item2,
};

// The key's name in the file ("FontName").
std::string_view KeyName(Key key) noexcept;

struct KeyDef {
    Key key;
    ReadKind kind;
    Target target;
    KeyDefault defaultValue;
    bool common = false;    // an empty or missing value falls back to the common section
    bool numbered = false;  // the name is followed by an index ([Main] Sensor1 ... Sensor18)
    // Read even when the section's element is hidden (Visible false): the thresholds
    // and alarm colours of a value box feed the player state whether or not it shows.
    bool readWhenHidden = false;
};

enum class SectionId : std::uint8_t {
    MainForm,
    LogStart,
    LogStop,
    LogConfig,
    LogClose,
    Main,
    SensorName,
    SensorData,
    SensorMeter,
    SensorGraph,
    SwitchStatus,
    SwitchStatusLabel,
    IdleIndicator,
    IdleLabel,
    PowerIndicator,
    PowerLabel,
    AcIndicator,
    AcLabel,
    AcRelayIndicator,
    AcRelayLabel,
    TdcIndicator,
    TdcLabel,
    Overview,
};

struct SectionDef {
    SectionId id;
    std::string_view name;         // the full name, or the word of a per-slot section
    bool perSlot;                  // the name is the word followed by the slot number
    std::string_view commonName;   // section of the common values; empty when none
    std::span<const KeyDef> keys;  // in the order they are read
};

// Every section, in the order the program reads them.
std::span<const SectionDef> LayoutSections() noexcept;
const SectionDef& LayoutSection(SectionId id) noexcept;

// The key's definition in a section; std::out_of_range when the section has none.
const KeyDef& LayoutKey(SectionId id, Key key);

// The name of a section in the file: "Main Form", or the word and the slot number
// ("Sensor Name" and 4 give "Sensor Name4").
std::string SectionName(SectionId id, int slot = 0);

// A key's name in the file; numbered keys carry their index ("Sensor18").
std::string KeyNameOf(const KeyDef& key, int index = 0);

// One switch lamp of the switch panel: the switch it shows, the sections that place
// its shape and its caption label, and the object names of the two. The caption's
// default text is the Label key of the label section.
struct LampDef {
    SwitchKind Switch;
    SectionId IndicatorSection;
    SectionId LabelSection;
    std::string_view ShapeName;
    std::string_view LabelName;
};

inline constexpr int LampCount = 5;

// The lamps in the order the layout places them: Idle, Power, AC, AC relay, TDC.
std::span<const LampDef, LampCount> Lamps() noexcept;

struct SettingKey {
    std::string section;
    std::string key;
    ReadKind kind;
};

// Every section and key the program reads: per-slot sections for slots 1 to 15, the
// common sections, and Sensor1 ... Sensor18 of [Main].
std::vector<SettingKey> EveryLayoutKey();

}  // namespace orvane
