#include "settings/LogFolderMemory.h"

#include <sys/stat.h>

#include "common/CleanPath.h"
#include "settings/FileAccess.h"
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
    if (logPath.find('/') == std::string::npos) return;
    // Kept as it reads best ("…/app/../logs" as "…/logs") where that is the same folder.
    const std::string folder = ShownPath(FolderOf(logPath));
    if (ReadSetting(Section, Key, "") == folder) return;
    WriteSetting(Section, Key, folder);
    // Read back: what the file cannot hold exactly (cut, trimmed, unquoted, turned into
    // "?") is not kept.
    if (ReadSetting(Section, Key, "") != folder) WriteSetting(Section, Key, "");
}

}  // namespace orvane
