#include "SettingsFileFixture.h"

#include <unistd.h>

#include <fstream>

#include "settings/modCommon.h"

void SettingsFileTest::SetUp() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvane-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    orvane::SetSettingsFilePath(Path());
    orvane::ForgetCachedSettings();
}

void SettingsFileTest::TearDown() {
    orvane::SetSettingsFilePath("");
    orvane::ForgetCachedSettings();
    std::filesystem::remove_all(folder_);
}

void SettingsFileTest::WriteFile(std::string_view bytes) const {
    {
        std::ofstream file(Path(), std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // The file may keep its size and time stamp within one clock tick.
    orvane::ForgetCachedSettings();
}

std::string SettingsFileTest::FileBytes() const {
    std::ifstream file(Path(), std::ios::binary);
    std::string bytes(std::filesystem::file_size(Path()), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}
