#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

// A test with its own folder and settings file: SettingsFilePath points at
// <folder>/Orvane.ini, which does not exist until the test writes it.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path() const { return (folder_ / "Orvane.ini").string(); }
    const std::filesystem::path& Folder() const { return folder_; }

    // Replaces the settings file with exactly these bytes.
    void WriteFile(std::string_view bytes) const;
    std::string FileBytes() const;

private:
    std::filesystem::path folder_;
};
