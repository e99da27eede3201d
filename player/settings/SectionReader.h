#pragma once

// Reads the keys of one section of the layout schema: each with its read kind,
// default and common-section fallback, converted to its target. A value that does
// not convert raises orvane::RuntimeError at the read, so a caller that applies each
// value right after reading it fails at the first bad value in its own order.

#include <cstdint>
#include <span>
#include <string>

#include "meter/Colour.h"
#include "settings/LayoutSchema.h"

namespace orvane {

// One value as read and converted. Numbers sit in `number` already converted to the
// key's target (so Single(), Int32(), Int16() and Colour() are exact for that target);
// texts in `text`; flags and boolean texts in `flag`.
struct SettingValue {
    double number = 0;
    std::string text;
    bool flag = false;

    float Single() const noexcept { return static_cast<float>(number); }
    std::int32_t Int32() const noexcept { return static_cast<std::int32_t>(number); }
    std::int16_t Int16() const noexcept { return static_cast<std::int16_t>(number); }
    meter::Colour Colour() const noexcept { return meter::Colour::FromInt32(Int32()); }
};

class SectionReader {
public:
    // The section `id`; per-slot sections need the slot number (1 to 15), and the
    // catalogue defaults of Min and Max the slot's item code. `fileName` as for
    // ReadSetting.
    explicit SectionReader(SectionId id, int slot = 0, int itemCode = -1,
                           std::string fileName = "");

    // A reader of the schema's defaults alone: every key reads as if the settings file
    // did not have it. This is the window as designed, before any file is read.
    static SectionReader Defaults(SectionId id, int slot = 0, int itemCode = -1);

    // True for a reader made by Defaults().
    bool ReadsDefaults() const noexcept { return defaultsOnly_; }

    const SectionDef& Definition() const noexcept { return *def_; }
    const std::string& Name() const noexcept { return name_; }
    std::span<const KeyDef> Keys() const noexcept { return def_->keys; }

    // Reads one key. Raises RuntimeError: TypeMismatch (13) for boolean text or a
    // strict number that does not convert, Overflow (6) for a number outside its
    // target or a catalogue default for an item code outside 0 to 255 (computed even
    // when the key is present).
    SettingValue Read(const KeyDef& key) const;
    SettingValue Read(Key key) const;

    // A key whose default the caller gives (AlarmColor1 and AlarmColor2 default to the
    // box's text colour).
    SettingValue Read(Key key, double callerDefault) const;

    // A numbered key ([Main] Sensor1 ... Sensor18).
    SettingValue ReadNumbered(Key key, int index) const;

private:
    SettingValue ReadWith(const KeyDef& key, int index, const double* callerDefault) const;

    const SectionDef* def_;
    int slot_;
    int itemCode_;
    std::string name_;
    std::string fileName_;
    bool defaultsOnly_ = false;
};

}  // namespace orvane
