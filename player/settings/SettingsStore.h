#pragma once

// The settings files the program has read, parsed and kept in memory, and the one
// place that writes them. Used through modCommon.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/IniDocument.h"

namespace orvane {

class SettingsStore {
public:
    static SettingsStore& Instance();

    SettingsStore();
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The value of `key` in `section` of the file at `path`, or nothing when the file,
    // section or key is missing (see IniDocument::Value).
    std::optional<std::string> Value(const std::string& path, std::string_view section,
                                     std::string_view key);

    struct KeyValue {
        std::string_view Key;
        std::string_view Value;
    };

    // Sets the values of `section` in the file at `path`, written whole beside it and
    // renamed over it, once for all of them. A symbolic link is followed to the file it
    // names (which need not exist yet). A file the process cannot write, or whose owner
    // and group the new file could not keep, is not replaced. Returns false when nothing
    // was written (the file is then unchanged).
    bool Write(const std::string& path, std::string_view section, std::span<const KeyValue> values);

    void Forget();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane
