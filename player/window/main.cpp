// OrvanePlayer: replays engine-control-unit logs.
#include <QApplication>
#include <cstdio>

#include "window/PlayerCommandLine.h"
#include "window/QtPlayerHost.h"
#include "window/StartPlayer.h"
#include "window/frmPlayer.h"

int main(int argc, char** argv) {
    using orvane::PlayerCommandLine;
    // Help and version are answered before the toolkit starts: they need no display.
    const auto early = PlayerCommandLine::Parse(std::vector<std::string>(argv, argv + argc));
    if (early.action == PlayerCommandLine::Action::ShowHelp) {
        std::fputs(PlayerCommandLine::HelpText().c_str(), stdout);
        return 0;
    }
    if (early.action == PlayerCommandLine::Action::ShowVersion) {
        std::fputs(PlayerCommandLine::VersionText().c_str(), stdout);
        return 0;
    }

    QApplication app(argc, argv);  // takes the toolkit's own options out of argv
    const auto commandLine = PlayerCommandLine::Parse(std::vector<std::string>(argv, argv + argc));
    if (commandLine.action == PlayerCommandLine::Action::UsageError) {
        std::fprintf(stderr, "OrvanePlayer: %s\nTry 'OrvanePlayer --help' for more.\n",
                     commandLine.Error.c_str());
        return 2;
    }
    for (const std::string& name : commandLine.IgnoredNames) {
        std::fprintf(stderr, "OrvanePlayer: only the first log is opened; ignoring '%s'\n",
                     name.c_str());
    }

    orvane::QtPlayerHost host;
    orvane::frmPlayer window(host);
    if (!orvane::StartPlayer(window, commandLine)) {
        return host.ExitStatus();  // the layout failed and ended the program
    }
    return app.exec();
}
