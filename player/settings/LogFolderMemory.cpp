#include "settings/LogFolderMemory.h"

#include <sys/stat.h>

#include "settings/modCommon.h"

namespace orvane {

std::string LogFolderMemory::Folder() {
    std::string folder = ReadSetting(Section, Key, "");
    struct stat st {};
    if (folder.empty() || folder[0] != '/' || ::stat(folder.c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode)) {
        return "";
    }
    return folder;
}

void LogFolderMemory::Remember(const std::string& logPath) {
    const std::size_t slash = logPath.rfind('/');
    if (slash == std::string::npos) return;
    const std::string folder = slash == 0 ? "/" : logPath.substr(0, slash);
    if (ReadSetting(Section, Key, "") == folder) return;
    WriteSetting(Section, Key, folder);
    // Read back: what the file cannot hold exactly (cut, trimmed, unquoted, turned into
    // "?") is not kept.
    if (ReadSetting(Section, Key, "") != folder) WriteSetting(Section, Key, "");
}

}  // namespace orvane
