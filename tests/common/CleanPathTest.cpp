#include "common/CleanPath.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"

namespace orvane {
namespace {

TEST(CleanPathTest, WorksOutDotsAndSlashesByTheTextAlone) {
    EXPECT_EQ(CleanPath("/home/me/app/../logs/orvn0001.bin"), "/home/me/logs/orvn0001.bin");
    EXPECT_EQ(CleanPath("./logs//./day1/"), "logs/day1");
    EXPECT_EQ(CleanPath("../../logs"), "../../logs");  // nothing to cancel them
    EXPECT_EQ(CleanPath("/a/../.."), "/");             // no folder above the root
    EXPECT_EQ(CleanPath(""), "");
}

TEST(CleanPathTest, ShownPathsAreCleanedOnlyWhereTheyNameTheSameFile) {
    const testing::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "app");
    std::filesystem::create_directories(dir.Path() / "logs/deep");
    testing::WriteBytes(dir.File("logs/orvn0001.bin"), "x");
    std::filesystem::create_directory_symlink(dir.Path() / "logs/deep", dir.Path() / "link");
    const std::string root = dir.Path().string();
    EXPECT_EQ(ShownPath(root + "/app/../logs/orvn0001.bin"), root + "/logs/orvn0001.bin");
    // A file not written yet: its folder decides.
    EXPECT_EQ(ShownPath(root + "/app/../logs/orvn0001.csv"), root + "/logs/orvn0001.csv");
    EXPECT_EQ(ShownPath(root + "/app/../logs/"), root + "/logs");
    // Through a folder that is not there the path names nothing: shown as given, not
    // as the file the text alone would name.
    EXPECT_EQ(ShownPath(root + "/gone/../logs/orvn0001.bin"), root + "/gone/../logs/orvn0001.bin");
    // Back out of a symbolic link: ".." is the link's target's folder, not this one.
    EXPECT_EQ(ShownPath(root + "/link/../orvn0001.bin"), root + "/link/../orvn0001.bin");
    EXPECT_EQ(ShownPath(root + "/link/../new.csv"), root + "/link/../new.csv");
    EXPECT_EQ(ShownPath("orvn0001.bin"), "orvn0001.bin");
}

}  // namespace
}  // namespace orvane
