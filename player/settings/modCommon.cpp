#include "settings/modCommon.h"

#include <mutex>
#include <vector>

#include "common/AsciiText.h"
#include "settings/IniDocument.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsStore.h"
#include "settings/TextEncoding.h"

namespace orvane {
namespace {

// Values and defaults lose the spaces around them (tabs stay).
std::string_view TrimSpaces(std::string_view text) noexcept {
    return Trim(text, " ");
}

struct PathState {
    std::mutex mutex;
    std::string path;
};

PathState& State() {
    static PathState state;
    return state;
}

std::string FileToUse(std::string_view fileName) {
    return fileName.empty() ? SettingsFilePath() : std::string(fileName);
}

}  // namespace

std::string SettingsFilePath() {
    PathState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.path.empty()) state.path = SettingsLocation::ExecutableFolder() + "/Orvane.ini";
    return state.path;
}

void SetSettingsFilePath(std::string path) {
    PathState& state = State();
    std::lock_guard lock(state.mutex);
    state.path = std::move(path);
}

void ForgetCachedSettings() {
    SettingsStore::Instance().Forget();
}

std::string ReadSetting(std::string_view section, std::string_view key,
                        std::string_view defaultValue, std::string_view fileName) {
    std::optional<std::string> value =
        SettingsStore::Instance().Value(FileToUse(fileName), section, key);
    if (!value) {
        // The default passes through the same 254-byte buffer as a value from the file.
        defaultValue = defaultValue.substr(
            0, CutLength(defaultValue, IniDocument::MaxValueBytes, FileEncoding::Utf8));
        return std::string(TrimSpaces(defaultValue));
    }
    const std::string_view trimmed = TrimSpaces(*value);
    if (trimmed.size() == value->size()) return std::move(*value);
    return std::string(trimmed);
}

bool SettingPresent(std::string_view section, std::string_view key, std::string_view fileName) {
    return SettingsStore::Instance().Value(FileToUse(fileName), section, key).has_value();
}

double ReadSettingNumberText(std::string_view section, std::string_view key,
                             std::string_view defaultText) {
    return LeadingNumber(ReadSetting(section, key, defaultText));
}

void WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                  std::string_view fileName) {
    const SettingsStore::KeyValue one{key, TrimSpaces(value)};
    SettingsStore::Instance().Write(FileToUse(fileName), section, std::span(&one, 1));
}

void WriteSettings(std::string_view section, std::span<const SettingWrite> values,
                   std::string_view fileName) {
    std::vector<SettingsStore::KeyValue> trimmed;
    trimmed.reserve(values.size());
    for (const SettingWrite& value : values) {
        trimmed.push_back({value.Key, TrimSpaces(value.Value)});
    }
    SettingsStore::Instance().Write(FileToUse(fileName), section, trimmed);
}

}  // namespace orvane
