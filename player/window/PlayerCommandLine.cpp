#include "window/PlayerCommandLine.h"

#include "views/common/CommandSet.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#ifndef ORVANE_VERSION
#define ORVANE_VERSION "unknown"
#endif

namespace orvane {
namespace {

// The toolkit's own options: those followed by a value, those that stand alone, and
// those that take their value after "=" only. Each may also be written with two
// dashes, and the first two kinds with "=value" too.
constexpr std::string_view kToolkitOptionsWithValue[] = {"platform",
                                                         "platformpluginpath",
                                                         "platformtheme",
                                                         "plugin",
                                                         "qwindowgeometry",
                                                         "qwindowicon",
                                                         "qwindowtitle",
                                                         "session",
                                                         "display",
                                                         "geometry",
                                                         "title",
                                                         "icon",
                                                         "name",
                                                         "visual",
                                                         "style",
                                                         "stylesheet"};
constexpr std::string_view kToolkitFlags[] = {"reverse", "widgetcount", "nograb",  "dograb",
                                              "sync",    "testability", "darkmode"};
constexpr std::string_view kToolkitOptionsWithEquals[] = {"qmljsdebugger", "dialogs", "fontengine"};

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::string_view (&names)[N]) {
    for (std::string_view candidate : names) {
        if (name == candidate) return true;
    }
    return false;
}

// How many arguments, from `arg` on, a toolkit option takes up: 0 when `arg` is not one.
int ToolkitOptionLength(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') return 0;
    std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
        name = name.substr(0, equals);
        return IsOneOf(name, kToolkitOptionsWithValue) || IsOneOf(name, kToolkitFlags) ||
                       IsOneOf(name, kToolkitOptionsWithEquals)
                   ? 1
                   : 0;
    }
    if (IsOneOf(name, kToolkitOptionsWithValue)) return 2;
    if (IsOneOf(name, kToolkitFlags)) return 1;
    return 0;
}

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
    bool printSettingsPath = false;
    // The first usage error is the one told; the rest of the line is still read, since
    // --help or --version further on still answer.
    const auto usageError = [&result](std::string text) {
        if (result.Error.empty()) result.Error = std::move(text);
    };
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
        } else if (arg == "--print-settings-path") {
            printSettingsPath = true;
        } else if (arg == "--settings" || arg.rfind("--settings=", 0) == 0) {
            std::string file;
            if (arg == "--settings") {
                if (i + 1 < arguments.size()) file = arguments[++i];
            } else {
                file = arg.substr(std::string_view("--settings=").size());
            }
            if (file.empty()) {
                usageError("option '--settings' needs a file name");
            } else {
                result.SettingsFile = file;
            }
        } else if (const int length = ToolkitOptionLength(arg); length > 0) {
            i += static_cast<std::size_t>(length - 1);
        } else {
            usageError(arg == "-" ? "a log cannot be read from standard input"
                                  : "unknown option '" + arg + "'");
        }
    }
    if (!result.Error.empty()) {
        result.action = Action::UsageError;
        return result;
    }
    if (printSettingsPath) result.action = Action::PrintSettingsPath;
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
           "button; the player then waits for Play. Only the first LOG is opened.\n"
           "\n"
           "  -h, --help                print this help and exit\n"
           "      --version             print the version and exit\n"
           "      --settings FILE       use FILE as the settings file (created on Quit if\n"
           "                            missing)\n"
           "      --print-settings-path print the path of the settings file in use and exit\n"
           "      --                    end of options: a LOG after it may start with '-'\n"
           "\n"
           "The layout and the window's position come from the settings file, the first of:\n"
           "  1. the FILE of --settings;\n"
           "  2. Orvane.ini beside the program, when it is there (a copy of the program in\n"
           "     a folder of its own keeps its layout there);\n"
           "  3. the user's file $XDG_CONFIG_HOME/OrvanePlayer/Orvane.ini\n"
           "     (~/.config/OrvanePlayer/Orvane.ini when XDG_CONFIG_HOME is not set).\n"
           "On the first start the user's file is a copy of the layout installed with the\n"
           "program. Quit writes the window's position into the file in use.\n"
           "\n"
           "The toolkit's own options, such as -platform, -style or -geometry, are\n"
           "accepted too.\n"
           "\n"
           "Keys, in the player's window and in the windows beside it (the map, the\n"
           "statistics, the chart), whichever control has the focus (a text entry\n"
           "keeps the keys it edits with):\n" +
           CommandSet::KeyTable().toStdString() +
           "\n"
           "Exit status: 0 when the player ends normally, 1 when its layout cannot be\n"
           "used, 2 for a usage error.\n";
}

std::string PlayerCommandLine::VersionText() {
    return "OrvanePlayer " ORVANE_VERSION "\n";
}

}  // namespace orvane
