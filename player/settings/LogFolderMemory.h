#pragma once

#include <string>

namespace orvane {

// The folder of the last log opened, kept in the settings file in use, for the open
// dialog of a player that does not live in a folder of its own:
//
//   [Open Dialog]
//   Folder=/home/user/logs
//
// The section is the player's own; the layout never reads it.
class LogFolderMemory {
public:
    static constexpr const char* Section = "Open Dialog";
    static constexpr const char* Key = "Folder";

    // The remembered folder while it still is a folder; "" otherwise.
    static std::string Folder();

    // Remembers the folder of the log at `logPath` (an absolute path). A folder that
    // the settings file cannot give back exactly (a value is at most 254 bytes, and a
    // Shift-JIS file holds only what that code page can write) is forgotten instead, so
    // the dialog never starts in a wrong folder. A file that cannot be written stays as
    // it was.
    static void Remember(const std::string& logPath);
};

}  // namespace orvane
