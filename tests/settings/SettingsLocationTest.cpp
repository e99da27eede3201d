// Which settings file is in use, and the user's file on a first start.
#include "settings/SettingsLocation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "TempDir.h"
#include "settings/modCommon.h"

namespace orvane {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteBytes;
using Kind = SettingsLocation::Kind;
using FirstStart = SettingsLocation::FirstStart;
namespace fs = std::filesystem;

// Shift-JIS text with CR LF line ends: the copy must keep every byte.
constexpr std::string_view kInstalledLayout =
    "[Main Form]\r\nLeft=16\r\nTop=16\r\n[Sensor Name1]\r\nFontName=\x82\x6C\x82\x72 "
    "\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\n";

// A machine laid out in a temporary folder: the program in root/usr/bin, its installed
// layout in root/usr/share, the user's home in root/home.
class SettingsLocationTest : public ::testing::Test {
protected:
    SettingsLocationTest() {
        fs::create_directories(root.Path() / "usr/bin");
        fs::create_directories(root.Path() / "usr/share/orvaneplayer");
        fs::create_directories(root.Path() / "home");
        fs::create_directories(root.Path() / "work");
        environment.ExecutableFolder = root.File("usr/bin");
        environment.InstalledLayout = root.File("usr/share/orvaneplayer/Orvane.ini");
        environment.Home = root.File("home");
        environment.CurrentFolder = root.File("work");
    }

    SettingsLocation Choose(std::optional<std::string> named = std::nullopt) const {
        return SettingsLocation::Choose(named, environment);
    }
    std::string UserFile() const { return root.File("home/.config/OrvanePlayer/Orvane.ini"); }
    void InstallLayout() const { WriteBytes(environment.InstalledLayout, kInstalledLayout); }

    TempDir root;
    SettingsLocation::Environment environment;
};

TEST_F(SettingsLocationTest, TheNamedFileThenTheOneBesideTheProgramThenTheUsers) {
    EXPECT_EQ(Choose().FileKind(), Kind::User);
    EXPECT_EQ(Choose().Path(), UserFile());
    // A folder of that name beside the program is no layout.
    fs::create_directory(root.Path() / "usr/bin/Orvane.ini");
    EXPECT_EQ(Choose().FileKind(), Kind::User);
    fs::remove(root.Path() / "usr/bin/Orvane.ini");

    // Beside the program: the portable layout, whatever the user has.
    WriteBytes(root.File("usr/bin/Orvane.ini"), "[Main Form]\n");
    EXPECT_EQ(Choose().FileKind(), Kind::Portable);
    EXPECT_EQ(Choose().Path(), root.File("usr/bin/Orvane.ini"));
    EXPECT_TRUE(Choose().IsPortable());

    // Named, whether it exists or not.
    const auto named = Choose("/elsewhere/mine.ini");
    EXPECT_EQ(named.FileKind(), Kind::Named);
    EXPECT_EQ(named.Path(), "/elsewhere/mine.ini");
    EXPECT_FALSE(named.IsPortable());
}

TEST_F(SettingsLocationTest, ARelativeNameIsTakenFromTheCurrentFolder) {
    EXPECT_EQ(Choose("layouts/./evo3.ini").Path(), root.File("work/layouts/evo3.ini"));
    EXPECT_EQ(Choose("./evo3.ini").Path(), root.File("work/evo3.ini"));
    EXPECT_EQ(Choose("../evo3.ini").Path(), root.File("work/../evo3.ini"));
    EXPECT_EQ(Choose("/abs/evo3.ini").Path(), "/abs/evo3.ini");
    // An empty name names nothing.
    EXPECT_EQ(Choose("").FileKind(), Kind::User);
}

TEST_F(SettingsLocationTest, TheUsersFolderFollowsXdgConfigHomeWhenItIsAnAbsolutePath) {
    environment.ConfigHome = root.File("xdg");
    EXPECT_EQ(Choose().Path(), root.File("xdg/OrvanePlayer/Orvane.ini"));
    environment.ConfigHome = root.File("xdg") + "/";
    EXPECT_EQ(Choose().Path(), root.File("xdg/OrvanePlayer/Orvane.ini"));
    // Unset, empty or relative: ~/.config.
    for (const char* ignored : {"", "relative/config"}) {
        environment.ConfigHome = ignored;
        EXPECT_EQ(Choose().Path(), UserFile()) << ignored;
    }
    // Without any home the program's own folder is left.
    environment.Home.clear();
    EXPECT_EQ(Choose().Path(), root.File("usr/bin/Orvane.ini"));
    EXPECT_EQ(Choose().FileKind(), Kind::Portable);
}

TEST_F(SettingsLocationTest, TheFirstStartCopiesTheInstalledLayoutByteForByte) {
    InstallLayout();
    const auto location = Choose();
    ASSERT_FALSE(fs::exists(root.Path() / "home/.config"));
    EXPECT_EQ(location.PrepareUserFile(), FirstStart::CopiedLayout);
    EXPECT_EQ(ReadText(UserFile()), kInstalledLayout);
    // The missing folders were made, private to the user.
    for (const char* folder : {"home/.config", "home/.config/OrvanePlayer"}) {
        struct stat st {};
        ASSERT_EQ(::stat(root.File(folder).c_str(), &st), 0) << folder;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(root.Path() / "home/.config/OrvanePlayer"),
                            fs::directory_iterator()),
              1);

    // Later starts keep what the user's file has become.
    WriteBytes(UserFile(), "[Main Form]\nLeft=200\n");
    EXPECT_EQ(location.PrepareUserFile(), FirstStart::NotNeeded);
    EXPECT_EQ(ReadText(UserFile()), "[Main Form]\nLeft=200\n");
}

TEST_F(SettingsLocationTest, WithoutAnInstalledLayoutQuitCreatesTheFileWithThePosition) {
    environment.ConfigHome = root.File("xdg/deeper");
    const auto location = Choose();
    EXPECT_EQ(location.PrepareUserFile(), FirstStart::NoLayout);
    EXPECT_TRUE(fs::is_directory(root.Path() / "xdg/deeper/OrvanePlayer"));
    EXPECT_FALSE(fs::exists(location.Path()));

    SetSettingsFilePath(location.Path());
    WriteSetting("Main Form", "Left", 30);
    WriteSetting("Main Form", "Top", 40);
    SetSettingsFilePath("");
    ForgetCachedSettings();
    EXPECT_EQ(ReadText(location.Path()), "[Main Form]\nLeft=30\nTop=40\n");
}

TEST_F(SettingsLocationTest, AFileInUseIsNeverReplacedWhateverItsState) {
    InstallLayout();
    fs::create_directories(root.Path() / "home/.config/OrvanePlayer");
    // Read-only: still the file in use, and left alone.
    WriteBytes(UserFile(), "[Main Form]\nLeft=5\n");
    fs::permissions(UserFile(), fs::perms::owner_read);
    EXPECT_EQ(Choose().Path(), UserFile());
    EXPECT_EQ(Choose().PrepareUserFile(), FirstStart::NotNeeded);
    EXPECT_EQ(ReadText(UserFile()), "[Main Form]\nLeft=5\n");
    fs::remove(UserFile());
    // A link to a file that is gone is the user's business too.
    fs::create_symlink(root.File("nowhere.ini"), UserFile());
    EXPECT_EQ(Choose().PrepareUserFile(), FirstStart::NotNeeded);
    EXPECT_TRUE(fs::is_symlink(UserFile()));
    EXPECT_FALSE(fs::exists(root.File("nowhere.ini")));

    // A read-only file beside the program is still the portable layout.
    WriteBytes(root.File("usr/bin/Orvane.ini"), "[Main Form]\n");
    fs::permissions(root.File("usr/bin/Orvane.ini"), fs::perms::owner_read);
    EXPECT_EQ(Choose().FileKind(), Kind::Portable);
}

TEST_F(SettingsLocationTest, OnlyTheUsersFileIsPreparedAtStart) {
    InstallLayout();
    // A missing --settings file is created by Quit, not by the start.
    EXPECT_EQ(Choose("mine.ini").PrepareUserFile(), FirstStart::NotNeeded);
    EXPECT_FALSE(fs::exists(root.File("work/mine.ini")));
    WriteBytes(root.File("usr/bin/Orvane.ini"), "");
    EXPECT_EQ(Choose().PrepareUserFile(), FirstStart::NotNeeded);
    EXPECT_FALSE(fs::exists(root.Path() / "home/.config"));
}

TEST_F(SettingsLocationTest, AFolderThatCannotBeMadeIsReportedAndNothingIsWritten) {
    InstallLayout();
    WriteBytes(root.File("home/.config"), "a file where the folder should be");
    std::string reason;
    EXPECT_EQ(Choose().PrepareUserFile(&reason), FirstStart::Failed);
    EXPECT_NE(reason.find(".config"), std::string::npos) << reason;
    EXPECT_EQ(ReadText(root.File("home/.config")), "a file where the folder should be");
}

TEST(SettingsEnvironmentTest, IsReadFromTheProcess) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    auto environment = SettingsLocation::Environment::OfThisProcess();
    EXPECT_EQ(environment.ConfigHome, "/somewhere/config");
    ::unsetenv("XDG_CONFIG_HOME");
    environment = SettingsLocation::Environment::OfThisProcess();
    EXPECT_EQ(environment.ConfigHome, "");
    if (saved) ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
    // Without HOME the password database names the home folder.
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::unsetenv("HOME");
    EXPECT_FALSE(SettingsLocation::Environment::OfThisProcess().Home.empty());
    if (home) ::setenv("HOME", savedHome.c_str(), 1);

    EXPECT_EQ(environment.CurrentFolder, fs::current_path().string());
    EXPECT_EQ(environment.ExecutableFolder, SettingsLocation::ExecutableFolder());
    // The installed layout lies in the data folder beside the program's folder.
    EXPECT_EQ(environment.InstalledLayout, (fs::path(environment.ExecutableFolder).parent_path() /
                                            "share/orvaneplayer/Orvane.ini")
                                               .string());
}

}  // namespace
}  // namespace orvane
