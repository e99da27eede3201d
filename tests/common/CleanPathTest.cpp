#include "common/CleanPath.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(CleanPathTest, WorksOutDotsAndSlashesByTheTextAlone) {
    EXPECT_EQ(CleanPath("/home/me/app/../logs/orvn0001.bin"), "/home/me/logs/orvn0001.bin");
    EXPECT_EQ(CleanPath("a/b/../c"), "a/c");
    EXPECT_EQ(CleanPath("./orvn0001.bin"), "orvn0001.bin");
    EXPECT_EQ(CleanPath("logs//./day1/"), "logs/day1");
    EXPECT_EQ(CleanPath("../../logs"), "../../logs");  // nothing to cancel them
    EXPECT_EQ(CleanPath("/a/../.."), "/");             // no folder above the root
    EXPECT_EQ(CleanPath("a/.."), ".");
    EXPECT_EQ(CleanPath("/"), "/");
    EXPECT_EQ(CleanPath(""), "");
    // Names are bytes: Japanese folder names and spaces pass as they are.
    EXPECT_EQ(CleanPath("/ログ/x/../my drive.bin"), "/ログ/my drive.bin");
}

}  // namespace
}  // namespace orvane
