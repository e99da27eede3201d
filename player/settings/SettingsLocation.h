#pragma once

#include <optional>
#include <string>

namespace orvane {

// Which settings file the player uses, and the user's own file on a first start.
//
// The file in use is the first of:
//   1. the file named with --settings FILE, whether it exists or not (a missing one is
//      created by the first write, on Quit);
//   2. Orvane.ini beside the executable, when that file exists: a copy of the program
//      kept in a folder of its own ("portable") keeps its layout beside it;
//   3. the user's file $XDG_CONFIG_HOME/OrvanePlayer/Orvane.ini, or
//      ~/.config/OrvanePlayer/Orvane.ini when XDG_CONFIG_HOME is unset, empty or not an
//      absolute path (the XDG base directory rules).
//
// On a user's first start (3, and no file yet) PrepareUserFile() creates the folder and
// copies the layout that the installation brings along, byte for byte, so that a new
// user of an installed copy starts with a useful window. Without an installed layout
// the built-in defaults apply and the first write (Quit) creates the file.
class SettingsLocation {
public:
    enum class Kind { Named, Portable, User };

    // What the choice depends on. OfThisProcess() reads it from the running program
    // and its environment; tests make their own.
    struct Environment {
        std::string ExecutableFolder;
        std::string InstalledLayout;  // the layout file of an installed copy
        std::string ConfigHome;       // $XDG_CONFIG_HOME; empty when unset
        std::string Home;             // the user's home folder; empty when unknown
        std::string CurrentFolder;    // a relative --settings name is taken from here

        static Environment OfThisProcess();
    };

    // `named`: the name given with --settings, if any, as given.
    static SettingsLocation Choose(const std::optional<std::string>& named,
                                   const Environment& environment);

    enum class FirstStart {
        NotNeeded,     // not the user's file, or the file exists already
        CopiedLayout,  // the installed layout was copied to the user's file
        NoLayout,      // nothing installed to copy: the defaults apply
        Failed,        // the folder or the file could not be made: the defaults apply
    };
    // Makes the user's file ready on a first start: creates its folder (mode 0700, as
    // the XDG rules ask) and copies the installed layout into it. Never replaces or
    // changes a file that is there, whatever its state (read-only, a link, unreadable);
    // two players starting at once leave one whole copy. `reason` gets the system's
    // reason for a failure.
    FirstStart PrepareUserFile(std::string* reason = nullptr) const;

    // The absolute path of the file in use (absolute as long as the current folder or
    // the home folder was known).
    const std::string& Path() const { return path_; }
    Kind FileKind() const { return kind_; }
    bool IsPortable() const { return kind_ == Kind::Portable; }

    // The folder of the running executable, as the system reports it.
    static std::string ExecutableFolder();

private:
    SettingsLocation(std::string path, Kind kind, std::string installedLayout)
        : path_(std::move(path)), kind_(kind), installedLayout_(std::move(installedLayout)) {}

    std::string path_;
    Kind kind_;
    std::string installedLayout_;
};

}  // namespace orvane
