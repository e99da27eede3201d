#include "SettingsFileFixture.h"

#include "settings/modCommon.h"

void SettingsFileTest::SetUp() {
    orvane::SetSettingsFilePath(Path());
    orvane::ForgetCachedSettings();
}

void SettingsFileTest::TearDown() {
    orvane::SetSettingsFilePath("");
    orvane::ForgetCachedSettings();
}

void SettingsFileTest::WriteFile(std::string_view bytes) const {
    orvane::testing::WriteBytes(Path(), bytes);
    // The file may keep its size and time stamp within one clock tick.
    orvane::ForgetCachedSettings();
}

std::string SettingsFileTest::FileBytes() const {
    return orvane::testing::ReadText(Path());
}
