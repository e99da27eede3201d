#include "window/PlayerCommandLine.h"

#include <filesystem>
#include <system_error>

#ifndef ORVANE_VERSION
#define ORVANE_VERSION "unknown"
#endif

namespace orvane {
namespace {

// The name made absolute against the current folder. "." parts are dropped, since
// "./orvn0001.bin" is the same file as "orvn0001.bin"; ".." parts are kept, because
// after a symbolic link they need not lead back to where the name came from.
std::string AbsoluteName(const std::string& name) {
    std::filesystem::path path(name);
    if (path.is_relative()) {
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::current_path(error);
        if (!error) path = folder / path;
    }
    std::filesystem::path clean;
    for (const auto& part : path) {
        if (part != ".") clean /= part;
    }
    return clean.string();
}

}  // namespace

PlayerCommandLine PlayerCommandLine::Parse(const std::vector<std::string>& arguments) {
    PlayerCommandLine result;
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            names.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            result.action = Action::ShowHelp;
            return result;
        } else if (arg == "--version") {
            result.action = Action::ShowVersion;
            return result;
        } else if (result.Error.empty()) {
            // Keep looking: --help or --version further on still answer.
            result.Error = arg == "-" ? "a log cannot be read from standard input"
                                      : "unknown option '" + arg + "'";
        }
    }
    if (!result.Error.empty()) {
        result.action = Action::UsageError;
        return result;
    }
    if (!names.empty()) {
        result.LogName = AbsoluteName(names.front());
        result.IgnoredNames.assign(names.begin() + 1, names.end());
    }
    return result;
}

std::string PlayerCommandLine::HelpText() {
    return "Usage: OrvanePlayer [OPTION]... [LOG]\n"
           "Replays an engine-control-unit log (orvn*.bin).\n"
           "\n"
           "A LOG named here is opened at start-up as if it had been chosen with the Open\n"
           "button; the player then waits for Play. Only the first LOG is opened. The\n"
           "layout comes from Orvane.ini in the program's own folder.\n"
           "\n"
           "  -h, --help     print this help and exit\n"
           "      --version  print the version and exit\n"
           "      --         end of options: a LOG after it may start with '-'\n"
           "\n"
           "The toolkit's own options, such as -platform, -style or -geometry, are\n"
           "accepted too.\n"
           "\n"
           "Keys in the player: Space play/pause/resume, Left/Right one sample back/on,\n"
           "Home stop, End the last sample, A/Shift+A the next/previous alarm, + and -\n"
           "next/previous speed, Ctrl+O open, Ctrl+E export (Output), Ctrl+Q quit.\n";
}

std::string PlayerCommandLine::VersionText() {
    return "OrvanePlayer " ORVANE_VERSION "\n";
}

}  // namespace orvane
