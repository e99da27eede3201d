#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "TempDir.h"

// A test with its own folder and settings file: SettingsFilePath points at
// <folder>/Orvane.ini, which does not exist until the test writes it.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path() const { return dir_.File("Orvane.ini"); }
    const std::filesystem::path& Folder() const { return dir_.Path(); }

    // Replaces the settings file with exactly these bytes.
    void WriteFile(std::string_view bytes) const;
    std::string FileBytes() const;

private:
    orvane::testing::TempDir dir_;
};
