// The command line, and a log named on it opened at start-up.
#include <QAction>
#include <filesystem>
#include <fstream>

#include "PlayerFixture.h"
#include "log/LogLoader.h"
#include "views/common/CommandSet.h"
#include "window/PlayerCommandLine.h"
#include "window/StartPlayer.h"

namespace orvane::testing {
namespace {

using Action = PlayerCommandLine::Action;

PlayerCommandLine Parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "OrvanePlayer");
    return PlayerCommandLine::Parse(arguments);
}

// Makes `folder` the current folder for as long as it lives.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

TEST(PlayerCommandLineTest, NamesAreMadeAbsoluteAndOnlyTheFirstIsOpened) {
    EXPECT_EQ(Parse({}).action, Action::Run);
    EXPECT_FALSE(Parse({}).LogName);

    TempDir dir;
    const CurrentFolder here(dir.Path());
    const std::string folder = std::filesystem::current_path().string();
    EXPECT_EQ(Parse({"orvn0001.bin"}).LogName, folder + "/orvn0001.bin");
    EXPECT_EQ(Parse({"./logs/./orvn0001.bin"}).LogName, folder + "/logs/orvn0001.bin");
    // ".." is left to the file system: after a symbolic link it leads elsewhere.
    EXPECT_EQ(Parse({"../orvn0001.bin"}).LogName, folder + "/../orvn0001.bin");
    EXPECT_EQ(Parse({"/data/orvn0001.bin"}).LogName, "/data/orvn0001.bin");

    const auto several = Parse({"/a/orvn0001.bin", "orvn0002.bin", "orvn0003.bin"});
    EXPECT_EQ(several.action, Action::Run);
    EXPECT_EQ(several.LogName, "/a/orvn0001.bin");
    EXPECT_EQ(several.IgnoredNames, (std::vector<std::string>{"orvn0002.bin", "orvn0003.bin"}));
}

TEST(PlayerCommandLineTest, NamesAreTakenByteForByte) {
    // Not valid UTF-8: a round trip through text would change the name.
    const std::string name = "/logs/orvn\xff\xfe.bin";
    EXPECT_EQ(Parse({name}).LogName, name);
}

TEST(PlayerCommandLineTest, TheHelpAndTheManualPageListTheKeyOfEveryCommand) {
    const QString help = QString::fromStdString(PlayerCommandLine::HelpText());
    std::ifstream page(ORVANE_PLAYER_MAN_PAGE);
    const std::string text((std::istreambuf_iterator<char>(page)),
                           std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    const CommandSet commands;
    for (int i = 0; i < CommandCount; ++i) {
        const QAction* action = commands.Action(static_cast<Command>(i));
        const QString key = action->shortcut().toString(QKeySequence::PortableText);
        SCOPED_TRACE(key.toStdString());
        ASSERT_FALSE(key.isEmpty());
        EXPECT_TRUE(help.contains(QStringLiteral("\n  ") + key + QLatin1Char(' ')));
        // The page writes Escape out, "-" as "\-", and names keys in bold.
        QString manKey = key == QStringLiteral("Esc") ? QStringLiteral("Escape") : key;
        manKey.replace(QLatin1Char('-'), QStringLiteral("\\-"));
        EXPECT_NE(text.find(manKey.toStdString()), std::string::npos);
    }
}

TEST(PlayerCommandLineTest, HelpAndVersionWinWhereverTheyStand) {
    EXPECT_EQ(Parse({"--help"}).action, Action::ShowHelp);
    EXPECT_EQ(Parse({"-h"}).action, Action::ShowHelp);
    EXPECT_EQ(Parse({"--version"}).action, Action::ShowVersion);
    EXPECT_EQ(Parse({"orvn0001.bin", "--bogus", "--help"}).action, Action::ShowHelp);
    EXPECT_EQ(Parse({"--version", "--help"}).action, Action::ShowVersion);
    EXPECT_EQ(PlayerCommandLine::VersionText().rfind("OrvanePlayer ", 0), 0u);
    EXPECT_EQ(PlayerCommandLine::VersionText().find("unknown"), std::string::npos);
}

TEST(PlayerCommandLineTest, UnknownOptionsAndStandardInputAreUsageErrors) {
    const auto unknown = Parse({"orvn0001.bin", "--bogus", "-x"});
    EXPECT_EQ(unknown.action, Action::UsageError);
    EXPECT_EQ(unknown.Error, "unknown option '--bogus'");
    EXPECT_FALSE(unknown.LogName);
    EXPECT_EQ(Parse({"-"}).action, Action::UsageError);
}

TEST(PlayerCommandLineTest, SettingsFileAndItsPath) {
    const std::string folder = std::filesystem::current_path().string();
    EXPECT_FALSE(Parse({"orvn0001.bin"}).SettingsFile);
    // The name is kept as given: the settings file's choice makes it absolute.
    EXPECT_EQ(Parse({"--settings", "my.ini", "orvn0001.bin"}).SettingsFile, "my.ini");
    EXPECT_EQ(Parse({"--settings", "my.ini", "orvn0001.bin"}).LogName, folder + "/orvn0001.bin");
    EXPECT_EQ(Parse({"--settings=/a/b.ini"}).SettingsFile, "/a/b.ini");
    EXPECT_EQ(Parse({"--settings", "-odd.ini"}).SettingsFile, "-odd.ini");
    for (const auto& line :
         {std::vector<std::string>{"--settings"}, std::vector<std::string>{"--settings="},
          std::vector<std::string>{"--settings", ""}}) {
        const auto parsed = Parse(line);
        EXPECT_EQ(parsed.action, Action::UsageError);
        EXPECT_EQ(parsed.Error, "option '--settings' needs a file name");
    }

    EXPECT_EQ(Parse({"--print-settings-path"}).action, Action::PrintSettingsPath);
    const auto print = Parse({"--print-settings-path", "--settings", "x.ini"});
    EXPECT_EQ(print.action, Action::PrintSettingsPath);
    EXPECT_EQ(print.SettingsFile, "x.ini");
    EXPECT_EQ(Parse({"--print-settings-path", "--help"}).action, Action::ShowHelp);
    EXPECT_EQ(Parse({"--print-settings-path", "--bogus"}).action, Action::UsageError);
}

TEST(PlayerCommandLineTest, TheToolkitsOptionsArePassedOverWithTheirValues) {
    const std::string folder = std::filesystem::current_path().string();
    const auto line =
        Parse({"-platform", "offscreen", "-style=fusion", "--reverse", "-qwindowtitle", "T",
               "-geometry", "640x480", "orvn0001.bin", "-widgetcount"});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.LogName, folder + "/orvn0001.bin");
    EXPECT_TRUE(line.IgnoredNames.empty());
    // Only known ones: a look-alike is still unknown.
    EXPECT_EQ(Parse({"-platformx", "offscreen"}).action, Action::UsageError);
    EXPECT_EQ(Parse({"-stylish"}).Error, "unknown option '-stylish'");
}

TEST(PlayerCommandLineTest, AfterADoubleDashEverythingIsAName) {
    const auto line = Parse({"--", "/logs/-odd.bin", "--help", "-", "--settings", "-platform"});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.LogName, "/logs/-odd.bin");
    EXPECT_EQ(line.IgnoredNames,
              (std::vector<std::string>{"--help", "-", "--settings", "-platform"}));
    EXPECT_FALSE(line.SettingsFile);
}

class StartPlayerTest : public PlayerFixture {
protected:
    bool Start(std::vector<std::string> arguments) {
        return StartPlayer(*window, Parse(std::move(arguments)));
    }
    void ExpectNoLog() {
        EXPECT_FALSE(State().LogLoaded);
        EXPECT_TRUE(window->cmdOpen->isEnabled());
        EXPECT_FALSE(window->cmdPlay->isEnabled());
        EXPECT_FALSE(window->cmdOutput->isEnabled());
        EXPECT_FALSE(window->sldLog->isEnabled());
        EXPECT_FALSE(host.ended);
        EXPECT_TRUE(window->isVisible());
    }
};

TEST_F(StartPlayerTest, ALogNamedOnTheCommandLineLoadsAsIfChosenInTheDialog) {
    const std::string path = dir.File("orvn0001.bin");
    WriteBytes(path, Spaced(5, 100, {33, -1, 7}).Bytes());
    ASSERT_TRUE(Start({path}));

    // The same log chosen in the open dialog of another window.
    FakePlayerHost dialogHost;
    frmPlayer viaDialog(dialogHost);
    viaDialog.Form_Load();
    const std::string copy = dir.File("orvn0002.bin");
    WriteBytes(copy, Spaced(5, 100, {33, -1, 7}).Bytes());
    dialogHost.openAnswer = QString::fromStdString(copy);
    viaDialog.cmdOpen_Click();

    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.openRequests.empty());
    EXPECT_EQ(State().LogFileName, path);
    EXPECT_FALSE(window->Timer1Enabled());  // waiting for Play
    for (frmPlayer* w : {window.get(), &viaDialog}) {
        const PlayerState& s = w->State();
        EXPECT_TRUE(s.LogLoaded);
        EXPECT_EQ(s.RecordCount, 5);
        EXPECT_EQ(s.PlayPosition, 1);
        EXPECT_EQ(s.SlotItem[1], 33);
        EXPECT_TRUE(w->cmdOpen->isEnabled());
        EXPECT_TRUE(w->cmdPlay->isEnabled());
        EXPECT_TRUE(w->cmdOutput->isEnabled());
        EXPECT_TRUE(w->sldLog->isEnabled());
        EXPECT_EQ(w->sldLog->maximum(), 5);
        EXPECT_EQ(w->lvlResult[1]->text(), "Engine speed");
        EXPECT_EQ(w->txtSeq->text(), "");
        EXPECT_FALSE(w->Timer1Enabled());
    }

    window->cmdPlay_Click();
    RunPlayLoop();
    EXPECT_EQ(Seq(), "5");
}

TEST_F(StartPlayerTest, ARelativeNameIsKeptAsAFullPathSoTheExportLandsBesideTheLog) {
    WriteBytes(dir.File("orvn0001.bin"), Spaced(3, 100).Bytes());
    {
        const CurrentFolder here(dir.Path());
        ASSERT_TRUE(Start({"orvn0001.bin"}));
    }
    ASSERT_TRUE(State().LogLoaded);
    EXPECT_TRUE(std::filesystem::path(State().LogFileName).is_absolute());
    // The current folder has changed back; the export still goes beside the log.
    window->cmdOutput_Click();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_NE(ReadText(dir.File("orvn0001.csv")).find("26/12/05,10:00:00,200,3"),
              std::string::npos);
}

TEST_F(StartPlayerTest, AFileNameThatIsNotTextOpens) {
    const std::string path = dir.File("orvn\xff.bin");
    WriteBytes(path, Spaced(3, 100).Bytes());
    ASSERT_TRUE(Start({path}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(State().LogLoaded);
    EXPECT_EQ(State().LogFileName, path);
}

TEST_F(StartPlayerTest, ALogThatCannotBeOpenedIsReportedAndThePlayerStaysUp) {
    EXPECT_TRUE(Start({dir.File("missing.bin"), dir.File("other.bin")}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messageTitles[0], frmPlayer::ErrorTitle);
    EXPECT_EQ(host.messages[0].toStdString(), CannotOpenLogMessage);
    EXPECT_EQ(State().LogFileName, dir.File("missing.bin"));
    ExpectNoLog();
}

TEST_F(StartPlayerTest, AnInvalidLogIsReportedAndThePlayerStaysUp) {
    const std::string path = dir.File("orvn0001.bin");
    WriteBytes(path, LogBuilder().StartDate(2958466.5).Numbered(3).Bytes());
    EXPECT_TRUE(Start({path}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].toStdString(), InvalidLogMessage);
    ExpectNoLog();
}

TEST_F(StartPlayerTest, WithoutANameNothingIsOpened) {
    EXPECT_TRUE(Start({}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(State().LogFileName, "");
    ExpectNoLog();
}

TEST_F(StartPlayerTest, AFailedLayoutEndsTheProgramBeforeTheLogIsOpened) {
    WriteIni("[Sensor Name1]\nFontBold=yes\n");
    const std::string path = dir.File("orvn0001.bin");
    WriteBytes(path, Spaced(3, 100).Bytes());
    EXPECT_FALSE(Start({path}));
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.messages.size(), 1u);  // the layout's message only
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(State().LogFileName, "");
    // The player never opened (and locked) the log.
    EXPECT_TRUE(NobodyHolds(path));
}

}  // namespace
}  // namespace orvane::testing
