// The folder of the last log opened, kept in the settings file.
#include "settings/LogFolderMemory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "SettingsFileFixture.h"
#include "settings/modCommon.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using LogFolderMemoryTest = SettingsFileTest;

TEST_F(LogFolderMemoryTest, RemembersTheFolderOfTheLogWhileItIsThere) {
    EXPECT_EQ(LogFolderMemory::Folder(), "");
    const fs::path logs = Folder() / "logs";
    fs::create_directory(logs);
    LogFolderMemory::Remember((logs / "orvn0001.bin").string());
    EXPECT_EQ(LogFolderMemory::Folder(), logs.string());
    EXPECT_NE(FileBytes().find("[Open Dialog]\nFolder=" + logs.string() + "\n"), std::string::npos);

    LogFolderMemory::Remember("/orvn0001.bin");
    EXPECT_EQ(LogFolderMemory::Folder(), "/");

    // A folder that is gone (or a value that names none) gives nothing.
    LogFolderMemory::Remember((logs / "orvn0001.bin").string());
    fs::remove(logs);
    EXPECT_EQ(LogFolderMemory::Folder(), "");
    WriteFile("[Open Dialog]\nFolder=relative/logs\n");
    EXPECT_EQ(LogFolderMemory::Folder(), "");
}

TEST_F(LogFolderMemoryTest, AFolderTheFileCannotGiveBackIsForgotten) {
    const fs::path known = Folder() / "known";
    fs::create_directory(known);
    // A Shift-JIS file cannot hold "é": it would come back as "?".
    WriteFile("[Sensor Name1]\r\nFontName=\x82\x6C\x82\x72\r\n");
    LogFolderMemory::Remember((known / "orvn0001.bin").string());
    ASSERT_EQ(LogFolderMemory::Folder(), known.string());
    const fs::path accented = Folder() / "caf\xC3\xA9";
    fs::create_directory(accented);
    LogFolderMemory::Remember((accented / "orvn0001.bin").string());
    EXPECT_EQ(LogFolderMemory::Folder(), "");
    EXPECT_EQ(ReadSetting("Open Dialog", "Folder", "missing"), "");

    // Longer than a value may be: cut short on reading.
    WriteFile("");
    fs::path deep = Folder();
    while (deep.string().size() <= 260) deep /= "a-rather-long-folder-name";
    fs::create_directories(deep);
    LogFolderMemory::Remember((deep / "orvn0001.bin").string());
    EXPECT_EQ(LogFolderMemory::Folder(), "");
    // Spaces at the ends of a name would be trimmed.
    const fs::path spaced = Folder() / "logs ";
    fs::create_directory(spaced);
    LogFolderMemory::Remember((spaced / "orvn0001.bin").string());
    EXPECT_EQ(LogFolderMemory::Folder(), "");
}

}  // namespace
}  // namespace orvane
