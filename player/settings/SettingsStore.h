#pragma once

// The settings files the program has read, parsed and kept in memory, and the one
// place that writes them. Used through modCommon.

#include <memory>
#include <optional>
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

    // Sets the value in the file at `path`, written whole beside it and renamed over
    // it. Returns false when nothing was written (the file is then unchanged).
    bool Write(const std::string& path, std::string_view section, std::string_view key,
               std::string_view value);

    void Forget();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane
