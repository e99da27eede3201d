#pragma once

// Access to the settings file Orvane.ini: read a key as text or as a number, write a
// key. Nothing here raises an error: whatever cannot be found yields the default, and
// a write that fails leaves the file as it was.
//
// A file is read and parsed on its first read and then served from memory, so the
// several hundred reads of the start-up cost one file read. A write goes to disk at
// once and the next read parses the file again; a change made to the file by other
// means is seen after ForgetCachedSettings().
//
// All texts are UTF-8; the file itself may be UTF-8 or Shift-JIS (code page 932).

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "meter/Colour.h"
#include "settings/NumberText.h"

namespace orvane {

// Full path of the settings file in use: the one set with SetSettingsFilePath, else
// the folder of the running executable plus "/Orvane.ini", worked out on first use and
// kept. The player sets the file it chose at start-up (SettingsLocation).
std::string SettingsFilePath();

// Points SettingsFilePath at another file (the player's choice at start-up, tests and
// tools); an empty path goes back to the one beside the executable.
void SetSettingsFilePath(std::string path);

// Drops every parsed file held in memory, so the next read goes to disk (for tools
// and tests that change the file by other means).
void ForgetCachedSettings();

// The value of `key` in `section`, trimmed of spaces; `defaultValue` (trimmed) when
// the file, section or key is missing, "" when the key is present with nothing after
// the "=". At most 254 bytes of the file's encoding are read. `fileName` names another
// file; empty means SettingsFilePath().
std::string ReadSetting(std::string_view section, std::string_view key,
                        std::string_view defaultValue, std::string_view fileName = "");

// True when the settings file has `key` in `section`, whatever its value (an empty
// one included).
bool SettingPresent(std::string_view section, std::string_view key, std::string_view fileName = "");

// The value of `key` read by the leading-number rule (LeadingNumber). A missing key
// gives `defaultValue`, which goes through its general text form: 15 significant
// digits for a double, 7 for a float, exact for integers. A key present with an
// empty value gives 0.
double ReadSettingNumberText(std::string_view section, std::string_view key,
                             std::string_view defaultText);

template <typename T>
requires std::integral<T> || std::floating_point<T>
double ReadSettingNumber(std::string_view section, std::string_view key, T defaultValue) {
    if constexpr (std::floating_point<T>) {
        if constexpr (sizeof(T) <= sizeof(float)) {
            return ReadSettingNumberText(section, key,
                                         GeneralText(static_cast<float>(defaultValue)));
        } else {
            return ReadSettingNumberText(section, key,
                                         GeneralText(static_cast<double>(defaultValue)));
        }
    } else if constexpr (std::unsigned_integral<T> && sizeof(T) == 4) {
        // A 32-bit unsigned default is a 32-bit pattern, as colours are: 0x80000012
        // gives -2147483630, the way the settings file writes that colour.
        return ReadSettingNumberText(
            section, key, GeneralText(std::int64_t{static_cast<std::int32_t>(defaultValue)}));
    } else if constexpr (std::unsigned_integral<T>) {
        return ReadSettingNumberText(section, key,
                                     GeneralText(static_cast<std::uint64_t>(defaultValue)));
    } else {
        return ReadSettingNumberText(section, key,
                                     GeneralText(static_cast<std::int64_t>(defaultValue)));
    }
}

inline double ReadSettingNumber(std::string_view section, std::string_view key,
                                meter::Colour defaultValue) {
    return ReadSettingNumber(section, key, defaultValue.ToInt32());
}

// Sets `key` in `section` to `value` (trimmed of spaces), adding the section and key
// when missing and creating the file when there is none. Every other byte of the file
// stays as it was; the new file is written beside the old one and renamed over it, so
// the file on disk is always whole. A symbolic link stays a link: the file it names is
// written, also when that file does not exist yet. A file the user cannot write is left
// alone, and a replaced file keeps its owner, group and mode; when that cannot be
// done, nothing is written. A failure is ignored.
void WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                  std::string_view fileName = "");

// One key and the value to write to it.
struct SettingWrite {
    std::string Key;
    std::string Value;
};

// Sets several keys of `section` with one replacement of the file: afterwards it holds
// all the new values or, when the write failed, none of them. Otherwise as
// WriteSetting.
void WriteSettings(std::string_view section, std::span<const SettingWrite> values,
                   std::string_view fileName = "");
inline void WriteSettings(std::string_view section, std::initializer_list<SettingWrite> values,
                          std::string_view fileName = "") {
    WriteSettings(section, std::span<const SettingWrite>(values.begin(), values.size()), fileName);
}

// The text a value is written as: numbers in their general text form (GeneralText), a
// bool as "True" or "False".
template <typename T>
requires std::integral<T> || std::floating_point<T> std::string SettingText(T value) {
    if constexpr (std::same_as<T, bool>) {
        return value ? "True" : "False";
    } else if constexpr (std::floating_point<T>) {
        if constexpr (sizeof(T) <= sizeof(float)) {
            return GeneralText(static_cast<float>(value));
        } else {
            return GeneralText(static_cast<double>(value));
        }
    } else if constexpr (std::unsigned_integral<T>) {
        return GeneralText(static_cast<std::uint64_t>(value));
    } else {
        return GeneralText(static_cast<std::int64_t>(value));
    }
}

template <typename T>
requires std::integral<T> || std::floating_point<T>
void WriteSetting(std::string_view section, std::string_view key, T value,
                  std::string_view fileName = "") {
    WriteSetting(section, key, std::string_view(SettingText(value)), fileName);
}

}  // namespace orvane
