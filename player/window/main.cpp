// OrvanePlayer: replays engine-control-unit logs.
#include <QApplication>
#include <cstdio>

#include "settings/SettingsLocation.h"
#include "settings/modCommon.h"
#include "window/PlayerCommandLine.h"
#include "window/PlayerIcon.h"
#include "window/QtPlayerHost.h"
#include "window/StartPlayer.h"
#include "window/frmPlayer.h"

namespace {

int UsageError(const orvane::PlayerCommandLine& commandLine) {
    std::fprintf(stderr, "OrvanePlayer: %s\nTry 'OrvanePlayer --help' for more.\n",
                 commandLine.Error.c_str());
    return 2;
}

orvane::SettingsLocation ChooseSettings(const orvane::PlayerCommandLine& commandLine) {
    return orvane::SettingsLocation::Choose(commandLine.SettingsFile,
                                            orvane::SettingsLocation::Environment::OfThisProcess());
}

}  // namespace

int main(int argc, char** argv) {
    using orvane::PlayerCommandLine;
    // What needs no window is answered before the toolkit starts: it needs no display.
    const auto early = PlayerCommandLine::Parse(std::vector<std::string>(argv, argv + argc));
    switch (early.action) {
        case PlayerCommandLine::Action::ShowHelp:
            std::fputs(PlayerCommandLine::HelpText().c_str(), stdout);
            return 0;
        case PlayerCommandLine::Action::ShowVersion:
            std::fputs(PlayerCommandLine::VersionText().c_str(), stdout);
            return 0;
        case PlayerCommandLine::Action::PrintSettingsPath:
            std::printf("%s\n", ChooseSettings(early).Path().c_str());
            return 0;
        case PlayerCommandLine::Action::UsageError:
            return UsageError(early);
        case PlayerCommandLine::Action::Run:
            break;
    }

    QApplication app(argc, argv);  // takes the toolkit's own options out of argv
    // Docks and task switchers match the window to the desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("orvaneplayer"));
    QApplication::setWindowIcon(orvane::PlayerIcon());
    const auto commandLine = PlayerCommandLine::Parse(std::vector<std::string>(argv, argv + argc));
    if (commandLine.action == PlayerCommandLine::Action::UsageError) return UsageError(commandLine);
    for (const std::string& name : commandLine.IgnoredNames) {
        std::fprintf(stderr, "OrvanePlayer: only the first log is opened; ignoring '%s'\n",
                     name.c_str());
    }

    const orvane::SettingsLocation settings = ChooseSettings(commandLine);
    std::string reason;
    if (settings.PrepareUserFile(&reason) == orvane::SettingsLocation::FirstStart::Failed) {
        std::fprintf(stderr, "OrvanePlayer: cannot create %s (%s); the built-in layout is used\n",
                     settings.Path().c_str(), reason.c_str());
    }
    orvane::SetSettingsFilePath(settings.Path());

    orvane::QtPlayerHost host;
    orvane::frmPlayer window(host);
    // A portable copy opens its dialog in its own folder, as it always has; elsewhere the
    // dialog starts where the last log was.
    window.SetRememberLogFolder(!settings.IsPortable());
    if (!orvane::StartPlayer(window, commandLine)) {
        return host.ExitStatus();  // the layout failed and ended the program
    }
    return app.exec();
}
