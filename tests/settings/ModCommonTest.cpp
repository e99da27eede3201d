#include "settings/modCommon.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "RenameWatch.h"
#include "SettingsFileFixture.h"

namespace orvane {
namespace {

using ModCommonTest = SettingsFileTest;

constexpr std::string_view kFontCp932 = "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

TEST_F(ModCommonTest, MissingFileGivesTheDefaults) {
    EXPECT_EQ(ReadSetting("Sensor Name1", "FontName", "  ＭＳ Ｐゴシック "), "ＭＳ Ｐゴシック");
    EXPECT_EQ(ReadSetting("Main", "Sensor1", ""), "");
    EXPECT_EQ(ReadSettingNumber("Main", "Sensor1", -1), -1);
    EXPECT_EQ(ReadSettingNumber("Main", "Sensor1", 0.5), 0.5);
    EXPECT_EQ(ReadSettingNumber("Main", "Transparent", 255L), 255);
    EXPECT_EQ(ReadSettingNumber("Sensor Name", "ForeColor", 0x80000012), -2147483630);
    EXPECT_EQ(ReadSettingNumber("S", "k", meter::Colour::System(15)), -2147483633);
    // The default goes through 15 significant digits.
    EXPECT_EQ(ReadSettingNumber("S", "k", 1.0 / 3), 0.333333333333333);
    EXPECT_EQ(ReadSettingNumber("S", "k", 82.26667f), 82.26667);
    EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(ModCommonTest, PresentButEmptyKeyIsEmptyAndZero) {
    WriteFile("[Main Form]\r\nLeft=\r\n");
    EXPECT_EQ(ReadSetting("Main Form", "Left", "7"), "");
    EXPECT_EQ(ReadSettingNumber("Main Form", "Left", 7), 0);
    EXPECT_EQ(ReadSettingNumber("Main Form", "Top", 7), 7);
}

TEST_F(ModCommonTest, ValuesAreTrimmedAndReadByTheNumberRule) {
    WriteFile("[S]\nFontName=   Arial Black   \nA=2 0 1\nB=&HFF\nC=1.5E2\nD=12px\nE=abc\n");
    EXPECT_EQ(ReadSetting("S", "FontName", ""), "Arial Black");
    EXPECT_EQ(ReadSettingNumber("S", "A", 0), 201);
    EXPECT_EQ(ReadSettingNumber("S", "B", 0), 255);
    EXPECT_EQ(ReadSettingNumber("S", "C", 0), 150);
    EXPECT_EQ(ReadSettingNumber("S", "D", 0), 12);
    EXPECT_EQ(ReadSettingNumber("S", "E", 5), 0);
}

TEST_F(ModCommonTest, WritesKeepTheFileEncoding) {
    // Shift-JIS half-width katakana that is also well-formed UTF-8 ("ﾃｽ" is C3 BD).
    WriteFile("[Sensor Meter1]\r\nCaption=\xC3\xBD\r\n");
    EXPECT_EQ(ReadSetting("Sensor Meter1", "Caption", ""), "ﾃｽ");
    WriteSetting("Main Form", "Left", 100);
    WriteSetting("Sensor Meter2", "Caption", "ｱｲ");
    EXPECT_EQ(FileBytes(),
              "[Sensor Meter1]\r\nCaption=\xC3\xBD\r\n[Main Form]\r\nLeft=100\r\n"
              "[Sensor Meter2]\r\nCaption=\xB1\xB2\r\n");
    EXPECT_EQ(ReadSetting("Sensor Meter1", "Caption", ""), "ﾃｽ");
    EXPECT_EQ(ReadSetting("Sensor Meter2", "Caption", ""), "ｱｲ");

    // A UTF-8 file with Japanese text stays UTF-8.
    WriteFile("[Sensor Name1]\nFontName=ＭＳ Ｐゴシック\n");
    WriteSetting("Sensor Meter1", "Caption", "水温");
    EXPECT_EQ(FileBytes(),
              "[Sensor Name1]\nFontName=ＭＳ Ｐゴシック\n[Sensor Meter1]\nCaption=水温\n");

    // Written alone into a plain ASCII file, "ý" would read back as "ﾃｽ": the file gets
    // a byte-order mark and stays UTF-8.
    WriteFile("[S]\nk=1\n");
    WriteSetting("S", "Caption", "ý");
    EXPECT_EQ(ReadSetting("S", "Caption", ""), "ý");
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF[S]\nk=1\nCaption=\xC3\xBD\n");
}

TEST_F(ModCommonTest, ReadsAnotherFileByName) {
    const std::string other = (Folder() / "other.ini").string();
    WriteSetting("S", "k", "other", other);
    EXPECT_EQ(ReadSetting("S", "k", "d", other), "other");
    EXPECT_EQ(ReadSetting("S", "k", "d"), "d");
}

TEST_F(ModCommonTest, FirstWriteCreatesTheFileWithOneSectionAndKey) {
    WriteSetting("Main Form", "Left", 82.26667f);
    EXPECT_EQ(FileBytes(), "[Main Form]\nLeft=82.26667\n");
    EXPECT_EQ(static_cast<float>(ReadSettingNumber("Main Form", "Left", 0)), 82.26667f);
    WriteSetting("Main Form", "Top", 100.0f);
    EXPECT_EQ(ReadSetting("Main Form", "Top", ""), "100");
    WriteSetting("Main Form", "Width", std::int16_t{-3});
    WriteSetting("Main Form", "Height", 0.1);
    WriteSetting("Main Form", "Name", "  spaced  ");
    WriteSetting("Main Form", "Flag", true);
    EXPECT_EQ(FileBytes(),
              "[Main Form]\nLeft=82.26667\nTop=100\nWidth=-3\nHeight=0.1\nName=spaced\n"
              "Flag=True\n");
}

TEST_F(ModCommonTest, WriteKeepsEveryOtherByteOfAShiftJisFile) {
    const std::string head =
        "; \x83\x81\x83\x82 comment\r\n[Sensor Name1]\r\nFontName=" + std::string(kFontCp932) +
        "\r\n[Main Form]\r\nLeft=";
    const std::string tail = "\r\nTop=20\r\n\r\n[Unknown \x95\x5C]\r\nKey = \x82\xA0 \r\n";
    WriteFile(head + "10" + tail);
    EXPECT_EQ(ReadSetting("Sensor Name1", "FontName", ""), "ＭＳ Ｐゴシック");

    WriteSetting("Main Form", "Left", 1234.5f);
    EXPECT_EQ(FileBytes(), head + "1234.5" + tail);
    EXPECT_EQ(ReadSettingNumber("Main Form", "Left", 0), 1234.5);

    // A Japanese value is stored in the file's own encoding.
    WriteSetting("Sensor Name1", "FontName", "ＭＳ ゴシック");
    EXPECT_NE(FileBytes().find("FontName=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadSetting("Sensor Name1", "FontName", ""), "ＭＳ ゴシック");
}

TEST_F(ModCommonTest, ReadsServeFromMemoryUntilAWrite) {
    WriteFile("[S]\nk=1\n");
    EXPECT_EQ(ReadSetting("S", "k", ""), "1");
    // Changed behind the program's back: the parsed copy still answers.
    const std::string replacement = (Folder() / "new.ini").string();
    WriteSetting("S", "k", "22", replacement);
    std::filesystem::rename(replacement, Path());
    EXPECT_EQ(ReadSetting("S", "k", ""), "1");
    ForgetCachedSettings();
    EXPECT_EQ(ReadSetting("S", "k", ""), "22");
    // A write goes to disk and the next read sees it.
    WriteSetting("S", "k", "333");
    EXPECT_EQ(FileBytes(), "[S]\nk=333\n");
    EXPECT_EQ(ReadSetting("S", "k", ""), "333");
}

TEST_F(ModCommonTest, WriteLeavesNoTemporaryFileAndKeepsPermissions) {
    WriteFile("[S]\nk=1\n");
    ASSERT_EQ(::chmod(Path().c_str(), 0600), 0);
    WriteSetting("S", "k", 2);
    struct stat st {};
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Folder())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(ModCommonTest, WriteThroughASymbolicLinkKeepsTheLink) {
    const std::filesystem::path real = Folder() / "real.ini";
    WriteSetting("S", "k", 1, real.string());
    std::filesystem::create_symlink(real, Path());
    WriteSetting("S", "k", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(ReadSetting("S", "k", "", real.string()), "2");
}

TEST_F(ModCommonTest, ALinkToAFileNotThereYetStaysALink) {
    // The link is relative, as links made inside a folder often are.
    std::filesystem::create_directory(Folder() / "drive");
    std::filesystem::create_symlink("drive/Orvane.ini", Path());
    WriteSetting("S", "k", 1);
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(testing::ReadText((Folder() / "drive" / "Orvane.ini").string()), "[S]\nk=1\n");
    EXPECT_EQ(ReadSetting("S", "k", ""), "1");

    // A link into a folder that is not there (a drive not mounted) cannot be written
    // through; the link stays as it is and no file takes its place.
    std::filesystem::remove(Path());
    std::filesystem::create_symlink(Folder() / "unmounted" / "Orvane.ini", Path());
    WriteSetting("S", "k", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(std::filesystem::read_symlink(Path()), Folder() / "unmounted" / "Orvane.ini");
    EXPECT_EQ(ReadSetting("S", "k", "d"), "d");

    // A loop of links is left alone.
    std::filesystem::remove(Path());
    std::filesystem::create_symlink("Orvane.ini", Path());
    WriteSetting("S", "k", 3);
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
}

TEST_F(ModCommonTest, AReadOnlyFileIsNeverReplaced) {
    WriteFile("[S]\nk=1\n");
    ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
    struct stat before {};
    ASSERT_EQ(::stat(Path().c_str(), &before), 0);
    WriteSetting("S", "k", 2);  // also when run by the superuser
    struct stat after {};
    ASSERT_EQ(::stat(Path().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 0777, 0444u);
    EXPECT_EQ(FileBytes(), "[S]\nk=1\n");
}

TEST_F(ModCommonTest, AReplacedFileKeepsItsOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can give a file to another user";
    WriteFile("[S]\nk=1\n");
    ASSERT_EQ(::chown(Path().c_str(), 4242, 4343), 0);
    WriteSetting("S", "k", 2);
    struct stat st {};
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
    EXPECT_EQ(FileBytes(), "[S]\nk=2\n");
}

TEST_F(ModCommonTest, SeveralKeysAreWrittenWithOneReplacement) {
    WriteFile("[Main Form]\nTop=1\n");
    testing::RenameWatch renames(Folder());
    WriteSettings("Main Form", {{"Left", " 10 "}, {"Top", SettingText(20.5f)}});
    EXPECT_EQ(renames.RenamesTo("Orvane.ini"), 1);
    EXPECT_EQ(FileBytes(), "[Main Form]\nTop=20.5\nLeft=10\n");
    // All or nothing: a key that cannot be written stops the others too.
    WriteSettings("Main Form", {{"Left", "11"}, {"bad=key", "1"}});
    EXPECT_EQ(renames.RenamesTo("Orvane.ini"), 0);
    EXPECT_EQ(ReadSetting("Main Form", "Left", ""), "10");
}

TEST_F(ModCommonTest, FailedWritesAreSilentAndChangeNothing) {
    WriteSetting("S", "k", 1, (Folder() / "no such folder" / "Orvane.ini").string());
    std::filesystem::create_directory(Path());  // a folder where the file should be
    WriteSetting("S", "k", 1);
    EXPECT_TRUE(std::filesystem::is_directory(Path()));
    EXPECT_EQ(ReadSetting("S", "k", "d"), "d");
    std::filesystem::remove(Path());
    WriteSetting("S", "bad=key", 1);
    EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(ModCommonTest, HugeAndHostileFilesRead) {
    std::string bytes = "[S]\nk=first\n";
    while (bytes.size() < 10'000'000) bytes += "key" + std::to_string(bytes.size()) + "=value\n";
    bytes += std::string(100000, 'x') + "\n";
    bytes += '\0';
    bytes += "\x82\xFF\n[T]\nlast=\x82\xA0\n";
    WriteFile(bytes);
    EXPECT_EQ(ReadSetting("S", "k", ""), "first");
    EXPECT_EQ(ReadSetting("T", "last", ""), "あ");
    EXPECT_EQ(ReadSetting("S", "missing", "d"), "d");
}

TEST(SettingsFilePathTest, SitsBesideTheExecutable) {
    SetSettingsFilePath("");
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(SettingsFilePath(), exe.parent_path().string() + "/Orvane.ini");
    SetSettingsFilePath("/tmp/x.ini");
    EXPECT_EQ(SettingsFilePath(), "/tmp/x.ini");
    SetSettingsFilePath("");
}

}  // namespace
}  // namespace orvane
