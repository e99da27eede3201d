#include "settings/LayoutSchema.h"

#include <array>
#include <stdexcept>

namespace orvane {
namespace {

// The default font everywhere: MS P Gothic.
constexpr std::string_view kFont = "ＭＳ Ｐゴシック";

// System colours as the settings file writes them (signed decimal of 0x80000012 and
// 0x8000000F): button text and button face.
constexpr double kButtonText = -2147483630.0;
constexpr double kButtonFace = -2147483633.0;

constexpr KeyDefault Fixed(double number) {
    return KeyDefault{DefaultKind::Fixed, number, {}};
}
constexpr KeyDefault Fixed(std::string_view text) {
    return KeyDefault{DefaultKind::Fixed, 0, text};
}
constexpr KeyDefault Of(DefaultKind kind, double number = 0) {
    return KeyDefault{kind, number, {}};
}

constexpr bool kCommon = true;

constexpr KeyDef Number(Key key, Target target, KeyDefault def, bool common = false) {
    return KeyDef{key, ReadKind::Number, target, def, common};
}
constexpr KeyDef Single(Key key, double def, bool common = false) {
    return Number(key, Target::Single, Fixed(def), common);
}
constexpr KeyDef Plain(Key key, double def) {
    return Number(key, Target::Double, Fixed(def));
}
constexpr KeyDef Colour(Key key, double def, bool common = false) {
    return Number(key, Target::Colour, Fixed(def), common);
}
constexpr KeyDef Text(Key key, std::string_view def, bool common = false) {
    return KeyDef{key, ReadKind::Text, Target::Text, Fixed(def), common};
}
constexpr KeyDef Flag(Key key, KeyDefault def) {
    return KeyDef{key, ReadKind::Flag, Target::Bool, def};
}
constexpr KeyDef BooleanText(Key key, std::string_view def, bool common = false) {
    return KeyDef{key, ReadKind::BooleanText, Target::Bool, Fixed(def), common};
}
constexpr KeyDef Strict(Key key, std::string_view def) {
    return KeyDef{key, ReadKind::StrictNumber, Target::Single, Fixed(def)};
}

constexpr KeyDef Hidden(KeyDef key) {
    key.readWhenHidden = true;
    return key;
}

constexpr KeyDef kMainForm[] = {
    Single(Key::Left, 0),
    Single(Key::Top, 0),
    Single(Key::Width, 465),
    Single(Key::Height, 377),
    Number(Key::WindowState, Target::Int16, Fixed(0)),
};

#define ORVANE_BUTTON(name, left, top, width, height)                          \
    constexpr KeyDef name[] = {Single(Key::Left, left), Single(Key::Top, top), \
                               Single(Key::Width, width), Single(Key::Height, height)}
ORVANE_BUTTON(kLogStart, 16, 8, 121, 33);
ORVANE_BUTTON(kLogStop, 152, 8, 121, 33);
ORVANE_BUTTON(kLogConfig, 288, 8, 73, 33);
ORVANE_BUTTON(kLogClose, 376, 8, 65, 33);
#undef ORVANE_BUTTON

constexpr KeyDef kMain[] = {
    Number(Key::Transparent, Target::Int32, Fixed(255)),
    KeyDef{Key::Sensor, ReadKind::Number, Target::Int16, Fixed(-1), false, /*numbered=*/true},
    Text(Key::SlotBinding, "Item"),
};

// The size, font and colour keys of a name label or a value box, each falling back to
// the section's common block; the two kinds differ only in these defaults.
struct TextBoxDefaults {
    double height;
    double fontSize;
    std::string_view fontBold;
    double foreColor;
    double backColor;
};
constexpr std::array<KeyDef, 10> TextBoxKeys(const TextBoxDefaults& d) {
    return {
        Single(Key::Width, 201, kCommon),
        Single(Key::Height, d.height, kCommon),
        Text(Key::FontName, kFont, kCommon),
        Single(Key::FontSize, d.fontSize, kCommon),
        BooleanText(Key::FontBold, d.fontBold, kCommon),
        BooleanText(Key::FontItalic, "False", kCommon),
        BooleanText(Key::FontStrikethru, "False", kCommon),
        BooleanText(Key::FontUnderline, "False", kCommon),
        Colour(Key::ForeColor, d.foreColor, kCommon),
        Colour(Key::BackColor, d.backColor, kCommon),
    };
}

template <std::size_t N, std::size_t M>
constexpr std::array<KeyDef, N + M> Join(const std::array<KeyDef, N>& first,
                                         const std::array<KeyDef, M>& second) {
    std::array<KeyDef, N + M> keys{};
    for (std::size_t i = 0; i < N; ++i) keys[i] = first[i];
    for (std::size_t i = 0; i < M; ++i) keys[N + i] = second[i];
    return keys;
}

// Visibility and place of a slot's name label or value box; `top` is that of the first row.
constexpr std::array<KeyDef, 3> SlotPlaceKeys(double top) {
    return {
        Flag(Key::Visible, Of(DefaultKind::SlotVisible)),
        Number(Key::Left, Target::Single, Of(DefaultKind::SlotLeft)),
        Number(Key::Top, Target::Single, Of(DefaultKind::SlotTop, top)),
    };
}

constexpr auto kSensorName =
    Join(SlotPlaceKeys(54), TextBoxKeys({17, 12, "True", kButtonText, kButtonFace}));

constexpr auto kSensorData =
    Join(Join(SlotPlaceKeys(74), TextBoxKeys({40, 36, "False", 255, 0})),
         std::array{
             Hidden(Plain(Key::Threshold1, 0)),
             Hidden(Plain(Key::Threshold2, 0)),
             Hidden(Number(Key::AlarmColor1, Target::Colour, Of(DefaultKind::Caller))),
             Hidden(Number(Key::AlarmColor2, Target::Colour, Of(DefaultKind::Caller))),
         });

constexpr KeyDef kSensorMeter[] = {
    Flag(Key::Visible, Fixed("False")),
    Single(Key::Left, 0),
    Single(Key::Top, 0),
    Single(Key::Width, 0),
    Single(Key::Height, 0),
    Colour(Key::BackColor, 0),
    Colour(Key::ScaleColor, 16711680),
    Colour(Key::NeedleColor, 255),
    Colour(Key::CaptionColor, 16777215),
    Colour(Key::NumberColor, 16777215),
    Text(Key::Caption, ""),
    Text(Key::CaptionFontName, kFont),
    Plain(Key::CaptionFontSize, 12),
    BooleanText(Key::CaptionFontBold, "False"),
    BooleanText(Key::CaptionFontItalic, "False"),
    Number(Key::Min, Target::Double, Of(DefaultKind::CatalogueRaw0)),
    Number(Key::Max, Target::Double, Of(DefaultKind::CatalogueRaw255)),
    Text(Key::NumberFontName, kFont),
    Plain(Key::NumberFontSize, 12),
    BooleanText(Key::NumberFontBold, "False"),
    BooleanText(Key::NumberFontItalic, "False"),
    Plain(Key::Threshold1, 0),
    Plain(Key::Threshold2, 0),
    Flag(Key::ThickNeedle, Fixed("True")),
};

constexpr KeyDef kSensorGraph[] = {
    Flag(Key::Visible, Fixed("False")),
    Single(Key::Left, 0),
    Single(Key::Top, 0),
    Single(Key::Width, 0),
    Single(Key::Height, 0),
    Colour(Key::BackColor, 0),
    Colour(Key::ForeColor, 65280),
    Number(Key::Min, Target::Double, Of(DefaultKind::CatalogueRaw0)),
    Number(Key::Max, Target::Double, Of(DefaultKind::CatalogueRaw255)),
    Plain(Key::LineWidth, 0),
    Plain(Key::Threshold1, 0),
    Plain(Key::Threshold2, 0),
    Colour(Key::ThresholdColor1, 65535),
    Colour(Key::ThresholdColor2, 255),
    Colour(Key::FontColor, 16777215),
    Text(Key::FontName, kFont),
    Plain(Key::FontSize, 12),
    BooleanText(Key::FontBold, "False"),
    BooleanText(Key::FontItalic, "False"),
    Flag(Key::TextVisible, Fixed("False")),
    Plain(Key::ThresholdLineWidth, 0),
};

constexpr KeyDef kSwitchStatus[] = {
    Flag(Key::Visible, Fixed("True")), Single(Key::Left, 16),   Single(Key::Top, 416),
    Single(Key::Width, 649),           Single(Key::Height, 40),
};

constexpr KeyDef kSwitchStatusLabel[] = {
    Text(Key::Label, ""),      Strict(Key::Left, "24"),   Strict(Key::Top, "0"),
    Strict(Key::Width, "65"),  Strict(Key::Height, "17"), Text(Key::FontName, kFont),
    Single(Key::FontSize, 12),
};

#define ORVANE_LAMP(indicator, label, shapeLeft, shapeTop, labelLeft, labelTop, labelWidth,   \
                    caption)                                                                  \
    constexpr KeyDef indicator[] = {Strict(Key::Left, shapeLeft), Strict(Key::Top, shapeTop), \
                                    Strict(Key::Width, "15"), Strict(Key::Height, "15")};     \
    constexpr KeyDef label[] = {Strict(Key::Left, labelLeft),   Strict(Key::Top, labelTop),   \
                                Strict(Key::Width, labelWidth), Strict(Key::Height, "17"),    \
                                Text(Key::FontName, kFont),     Single(Key::FontSize, 12),    \
                                Text(Key::Label, caption)}
ORVANE_LAMP(kIdleIndicator, kIdleLabel, "0", "0", "24", "0", "65", "IDL-SW");
ORVANE_LAMP(kPowerIndicator, kPowerLabel, "104", "0", "128", "0", "63", "PWR-SW");
ORVANE_LAMP(kAcIndicator, kAcLabel, "0", "18", "24", "18", "65", "AC-SW");
ORVANE_LAMP(kAcRelayIndicator, kAcRelayLabel, "104", "18", "128", "18", "65", "AC-RLY");
ORVANE_LAMP(kTdcIndicator, kTdcLabel, "0", "18", "24", "18", "65", "TDC");
#undef ORVANE_LAMP

// The overview strip under the transport strip, and the two items it traces.
constexpr KeyDef kOverview[] = {
    Flag(Key::Visible, Fixed("True")),
    Single(Key::Height, 72),
    Number(Key::Item1, Target::Int16, Fixed(33)),
    Number(Key::Item2, Target::Int16, Fixed(23)),
};

constexpr SectionDef Fixed(SectionId id, std::string_view name, std::span<const KeyDef> keys) {
    return SectionDef{id, name, false, {}, keys};
}
constexpr SectionDef PerSlot(SectionId id, std::string_view word, std::string_view common,
                             std::span<const KeyDef> keys) {
    return SectionDef{id, word, true, common, keys};
}

// Indexed by SectionId; also the order in which the program reads the sections.
constexpr std::array<SectionDef, 23> kSections = {
    Fixed(SectionId::MainForm, "Main Form", kMainForm),
    Fixed(SectionId::LogStart, "Log Start", kLogStart),
    Fixed(SectionId::LogStop, "Log Stop", kLogStop),
    Fixed(SectionId::LogConfig, "Log Config", kLogConfig),
    Fixed(SectionId::LogClose, "Log Close", kLogClose),
    Fixed(SectionId::Main, "Main", kMain),
    PerSlot(SectionId::SensorName, "Sensor Name", "Sensor Name", kSensorName),
    PerSlot(SectionId::SensorData, "Sensor Data", "Sensor Data", kSensorData),
    PerSlot(SectionId::SensorMeter, "Sensor Meter", {}, kSensorMeter),
    PerSlot(SectionId::SensorGraph, "Sensor Graph", {}, kSensorGraph),
    Fixed(SectionId::SwitchStatus, "Switch Status", kSwitchStatus),
    Fixed(SectionId::SwitchStatusLabel, "Switch Status Label", kSwitchStatusLabel),
    Fixed(SectionId::IdleIndicator, "Idle Indicator", kIdleIndicator),
    Fixed(SectionId::IdleLabel, "Idle Label", kIdleLabel),
    Fixed(SectionId::PowerIndicator, "Power Indicator", kPowerIndicator),
    Fixed(SectionId::PowerLabel, "Power Label", kPowerLabel),
    Fixed(SectionId::AcIndicator, "AC Indicator", kAcIndicator),
    Fixed(SectionId::AcLabel, "AC Label", kAcLabel),
    Fixed(SectionId::AcRelayIndicator, "AC Relay Indicator", kAcRelayIndicator),
    Fixed(SectionId::AcRelayLabel, "AC Relay Label", kAcRelayLabel),
    Fixed(SectionId::TdcIndicator, "TDC Indicator", kTdcIndicator),
    Fixed(SectionId::TdcLabel, "TDC Label", kTdcLabel),
    Fixed(SectionId::Overview, "Overview", kOverview),
};

constexpr bool SectionsInIdOrder() {
    for (std::size_t i = 0; i < kSections.size(); ++i) {
        if (static_cast<std::size_t>(kSections[i].id) != i) return false;
    }
    return true;
}
static_assert(SectionsInIdOrder(), "kSections must be indexed by SectionId");

constexpr std::array<LampDef, LampCount> kLamps = {{
    {SwitchKind::Idle, SectionId::IdleIndicator, SectionId::IdleLabel, "shpIdle", "lblIdle"},
    {SwitchKind::Power, SectionId::PowerIndicator, SectionId::PowerLabel, "shpPowerST",
     "lblPowerST"},
    {SwitchKind::Ac, SectionId::AcIndicator, SectionId::AcLabel, "shpAC", "lblAC"},
    {SwitchKind::AcRelay, SectionId::AcRelayIndicator, SectionId::AcRelayLabel, "shpRelay",
     "lblRelay"},
    {SwitchKind::Tdc, SectionId::TdcIndicator, SectionId::TdcLabel, "shpTDC", "lblTDC"},
}};

constexpr std::string_view kKeyNames[] = {
    "Left",
    "Top",
    "Width",
    "Height",
    "WindowState",
    "Transparent",
    "Sensor",
    "Visible",
    "FontName",
    "FontSize",
    "FontBold",
    "FontItalic",
    "FontStrikethru",
    "FontUnderline",
    "ForeColor",
    "BackColor",
    "Threshold1",
    "Threshold2",
    "AlarmColor1",
    "AlarmColor2",
    "ScaleColor",
    "NeedleColor",
    "CaptionColor",
    "NumberColor",
    "Caption",
    "CaptionFontName",
    "CaptionFontSize",
    "CaptionFontBold",
    "CaptionFontItalic",
    "Min",
    "Max",
    "NumberFontName",
    "NumberFontSize",
    "NumberFontBold",
    "NumberFontItalic",
    "ThickNeedle",
    "LineWidth",
    "ThresholdColor1",
    "ThresholdColor2",
    "FontColor",
    "TextVisible",
    "ThresholdLineWidth",
    "Label",
    "SlotBinding",
    "Item1",
    "Item2",
};
static_assert(std::size(kKeyNames) == static_cast<std::size_t>(Key::Item2) + 1);

}  // namespace

std::string_view KeyName(Key key) noexcept {
    return kKeyNames[static_cast<std::size_t>(key)];
}

std::span<const SectionDef> LayoutSections() noexcept {
    return kSections;
}

const SectionDef& LayoutSection(SectionId id) noexcept {
    return kSections[static_cast<std::size_t>(id)];
}

const KeyDef& LayoutKey(SectionId id, Key key) {
    for (const KeyDef& def : LayoutSection(id).keys) {
        if (def.key == key) return def;
    }
    throw std::out_of_range("settings section " + std::string(LayoutSection(id).name) +
                            " has no key " + std::string(KeyName(key)));
}

std::span<const LampDef, LampCount> Lamps() noexcept {
    return kLamps;
}

std::string SectionName(SectionId id, int slot) {
    const SectionDef& def = LayoutSection(id);
    std::string name(def.name);
    if (def.perSlot) name += std::to_string(slot);
    return name;
}

std::string KeyNameOf(const KeyDef& key, int index) {
    std::string name(KeyName(key.key));
    if (key.numbered) name += std::to_string(index);
    return name;
}

std::vector<SettingKey> EveryLayoutKey() {
    std::vector<SettingKey> keys;
    const auto addSection = [&keys](const std::string& section, const SectionDef& def,
                                    bool commonOnly) {
        for (const KeyDef& key : def.keys) {
            if (commonOnly && !key.common) continue;
            const int count = key.numbered ? SlotCount : 1;
            for (int index = 1; index <= count; ++index) {
                keys.push_back({section, KeyNameOf(key, index), key.kind});
            }
        }
    };
    for (const SectionDef& def : kSections) {
        if (!def.perSlot) {
            addSection(std::string(def.name), def, false);
            continue;
        }
        for (int slot = 1; slot <= DisplaySlotCount; ++slot) {
            addSection(SectionName(def.id, slot), def, false);
        }
        if (!def.commonName.empty()) addSection(std::string(def.commonName), def, true);
    }
    return keys;
}

}  // namespace orvane
