#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The player's command line: `OrvanePlayer [OPTION]... [LOG]...`.
//
// A log named here is opened at start-up as if it had been chosen in the open dialog.
// Only the first name is opened; further names are kept so that the caller can say
// that they were ignored. Names are taken byte for byte (a file name need not be valid
// text in any encoding) and made absolute against the current folder, because the
// player keeps the full path as the log's name and derives the CSV file's path from it.
//
// The toolkit's own options (-platform, -style, -geometry and so on) are the toolkit's
// business: they are passed over here, with their values. The caller parses the
// arguments once before the toolkit starts, so that --help, --version,
// --print-settings-path and usage errors are answered without a display, and once more
// with what the toolkit left, for the names.
class PlayerCommandLine {
public:
    enum class Action {
        Run,                // start the player, opening LogName if there is one
        ShowHelp,           // print HelpText() and exit 0
        ShowVersion,        // print VersionText() and exit 0
        PrintSettingsPath,  // print the path of the settings file in use and exit 0
        UsageError,         // print Error and a hint to standard error and exit 2
    };

    // `arguments` as main() receives them: the program's name first. --help and
    // --version win over everything else on the line, the first of them counting.
    static PlayerCommandLine Parse(const std::vector<std::string>& arguments);

    static std::string HelpText();
    static std::string VersionText();

    Action action = Action::Run;
    std::optional<std::string> LogName;       // absolute path of the first log named
    std::vector<std::string> IgnoredNames;    // further names, as given
    std::optional<std::string> SettingsFile;  // --settings FILE, as given
    std::string Error;                        // for UsageError
};

}  // namespace orvane
