#include "settings/SettingsLocation.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/FileDescriptor.h"
#include "common/WriteAll.h"
#include "settings/FileAccess.h"

// The data folder seen from the folder of the installed executable ("../share").
#ifndef ORVANE_DATA_FROM_BIN
#define ORVANE_DATA_FROM_BIN "../share"
#endif

namespace orvane {
namespace {

constexpr const char* kFileName = "Orvane.ini";
constexpr const char* kUserFolder = "OrvanePlayer";

std::string SystemReason(int error) {
    return std::strerror(error);
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// `name` made absolute against `folder`, without its "." parts.
std::string AbsoluteName(const std::string& name, const std::string& folder) {
    std::filesystem::path path(name);
    if (path.is_relative() && !folder.empty()) path = std::filesystem::path(folder) / path;
    std::filesystem::path clean;
    for (const auto& part : path) {
        if (part != ".") clean /= part;
    }
    return clean.string();
}

// The folder of the user's file, or "" when neither XDG_CONFIG_HOME nor a home folder
// gives one.
std::string UserFolder(const SettingsLocation::Environment& environment) {
    std::string base;
    if (IsAbsolute(environment.ConfigHome)) {
        base = environment.ConfigHome;
    } else if (IsAbsolute(environment.Home)) {
        base = environment.Home + (environment.Home.back() == '/' ? "" : "/") + ".config";
    } else {
        return "";
    }
    if (base.back() != '/') base += '/';
    return base + kUserFolder;
}

// Creates `folder` and the folders above it that are missing, each with mode 0700.
bool MakeFolders(const std::string& folder, std::string* reason) {
    std::string partial;
    std::size_t from = 0;
    while (from <= folder.size()) {
        const std::size_t slash = folder.find('/', from);
        const std::size_t end = slash == std::string::npos ? folder.size() : slash;
        partial = folder.substr(0, end);
        from = end + 1;
        if (partial.empty()) continue;  // the root
        if (::mkdir(partial.c_str(), 0700) == 0) continue;
        const int error = errno;
        struct stat st {};
        if (error == EEXIST && ::stat(partial.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        if (reason) *reason = partial + ": " + SystemReason(error == EEXIST ? ENOTDIR : error);
        return false;
    }
    return true;
}

// Creates `path` holding `bytes`, unless a file of that name appears first. The bytes
// go to a new file beside it, which is then linked under the final name: the name
// either does not exist or names the whole copy, and a file that another program made
// in the meantime is kept.
bool CreateWholeFile(const std::string& path, std::string_view bytes, std::string* reason) {
    const std::string temp = path + ".new-" + std::to_string(::getpid());
    ::unlink(temp.c_str());  // a leftover of an earlier run with the same process id
    FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.Get() < 0) {
        if (reason) *reason = temp + ": " + SystemReason(errno);
        return false;
    }
    const bool written = WriteAll(fd.Get(), bytes) && ::fsync(fd.Get()) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd.Release()) == 0;
    if (!written || !closed) {
        if (reason) *reason = temp + ": " + SystemReason(written ? errno : writeError);
        ::unlink(temp.c_str());
        return false;
    }
    bool created = ::link(temp.c_str(), path.c_str()) == 0;
    int error = errno;
    if (!created && error != EEXIST) {
        // File systems without hard links: rename, as long as the name is still free.
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
            created = ::rename(temp.c_str(), path.c_str()) == 0;
            error = errno;
        }
    }
    ::unlink(temp.c_str());
    if (!created && error != EEXIST) {
        if (reason) *reason = path + ": " + SystemReason(error);
        return false;
    }
    return true;
}

}  // namespace

std::string SettingsLocation::ExecutableFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    return FolderOf(std::string(buffer, static_cast<std::size_t>(n)));
}

SettingsLocation::Environment SettingsLocation::Environment::OfThisProcess() {
    Environment environment;
    environment.ExecutableFolder = SettingsLocation::ExecutableFolder();
    environment.InstalledLayout = (std::filesystem::path(environment.ExecutableFolder) /
                                   ORVANE_DATA_FROM_BIN / "orvaneplayer" / kFileName)
                                      .lexically_normal()
                                      .string();
    if (const char* configHome = std::getenv("XDG_CONFIG_HOME")) {
        environment.ConfigHome = configHome;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        environment.Home = home;
    } else {
        // No HOME (a service, a stripped environment): the password database knows.
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr && found->pw_dir != nullptr) {
            environment.Home = found->pw_dir;
        }
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (!error) environment.CurrentFolder = current.string();
    return environment;
}

SettingsLocation SettingsLocation::Choose(const std::optional<std::string>& named,
                                          const Environment& environment) {
    if (named && !named->empty()) {
        return SettingsLocation(AbsoluteName(*named, environment.CurrentFolder), Kind::Named, "");
    }
    const std::string portable = environment.ExecutableFolder + "/" + kFileName;
    if (IsRegularFile(portable)) return SettingsLocation(portable, Kind::Portable, "");
    const std::string userFolder = UserFolder(environment);
    if (userFolder.empty()) {
        // No home folder to keep a file in: the program's folder, as a portable copy.
        return SettingsLocation(portable, Kind::Portable, "");
    }
    return SettingsLocation(userFolder + "/" + kFileName, Kind::User, environment.InstalledLayout);
}

SettingsLocation::FirstStart SettingsLocation::PrepareUserFile(std::string* reason) const {
    if (kind_ != Kind::User) return FirstStart::NotNeeded;
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) return FirstStart::NotNeeded;
    if (errno != ENOENT && errno != ENOTDIR) {
        if (reason) *reason = path_ + ": " + SystemReason(errno);
        return FirstStart::Failed;
    }
    const std::string folder = FolderOf(path_);
    if (!MakeFolders(folder, reason)) return FirstStart::Failed;
    if (installedLayout_.empty()) return FirstStart::NoLayout;
    std::string layout;
    if (ReadWholeFile(installedLayout_, layout) != ReadResult::Ok) return FirstStart::NoLayout;
    if (!CreateWholeFile(path_, layout, reason)) return FirstStart::Failed;
    return FirstStart::CopiedLayout;
}

}  // namespace orvane
