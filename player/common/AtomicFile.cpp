#include "common/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/FileDescriptor.h"

namespace orvane {
namespace {

// The longest ".tmp-<pid>-<counter>-<attempt>": ten digits for the process id and for the
// counter, two for the attempt.
constexpr std::size_t kLongestSuffix = 30;
// "~" and eight hex digits, in place of the end of a long name.
constexpr std::size_t kShortenedMark = 9;
constexpr std::size_t kDefaultNameMax = 255;
constexpr std::string_view kTemporaryMark = ".tmp-";

// The folder part of `path` ("." for a bare name) and the name in it.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// `name` as the start of the names of its temporaries: whole when the longest suffix
// fits after it, otherwise cut (not inside a UTF-8 character) and marked with a hash of
// the whole name.
std::string TemporaryStem(const std::string& name, std::size_t nameMax) {
    if (name.size() + kLongestSuffix <= nameMax) return name;
    std::size_t keep =
        nameMax > kLongestSuffix + kShortenedMark ? nameMax - kLongestSuffix - kShortenedMark : 0;
    keep = std::min(keep, name.size());
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char mark[16];
    std::snprintf(mark, sizeof mark, "~%08x", static_cast<unsigned>(hash));
    return name.substr(0, keep) + mark;
}

// The most a name in `folder` may have, in bytes.
std::size_t NameMaxOf(const std::string& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : kDefaultNameMax;
}

// The process id in the name of a temporary with this stem: "<stem>.tmp-P-C-A", each of
// P, C and A digits only. 0 when `entry` is not such a name.
long TemporaryPid(std::string_view entry, std::string_view stem) {
    if (entry.size() <= stem.size() + kTemporaryMark.size() ||
        entry.substr(0, stem.size()) != stem ||
        entry.substr(stem.size(), kTemporaryMark.size()) != kTemporaryMark) {
        return 0;
    }
    entry.remove_prefix(stem.size() + kTemporaryMark.size());
    long pid = 0;
    int part = 0;
    bool digits = false;
    for (const char c : entry) {
        if (c == '-') {
            if (!digits || ++part > 2) return 0;
            digits = false;
        } else if (c >= '0' && c <= '9') {
            if (part == 0) {
                if (pid > (LONG_MAX - 9) / 10) return 0;
                pid = pid * 10 + (c - '0');
            }
            digits = true;
        } else {
            return 0;
        }
    }
    return part == 2 && digits ? pid : 0;
}

// True when process `pid` runs (or may: one of another user answers EPERM).
bool ProcessRuns(long pid) {
    if (pid == static_cast<long>(::getpid())) return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

}  // namespace

std::optional<std::string> WriteTarget(const std::string& path) {
    constexpr int kMaxLinks = 40;  // as the system allows
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), target, sizeof target);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof target) return std::nullopt;
        const std::string link(target, static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    return std::nullopt;
}

std::string TemporaryName(const std::string& name, long pid, unsigned counter, unsigned attempt,
                          std::size_t nameMax) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%.*s%ld-%u-%u", static_cast<int>(kTemporaryMark.size()),
                  kTemporaryMark.data(), pid, counter, attempt);
    return TemporaryStem(name, nameMax) + suffix;
}

int RemoveLeftoverTemporaries(const std::string& path) {
    const std::optional<std::string> target = WriteTarget(path);
    if (!target) return 0;
    const std::string folder = FolderOf(*target);
    const std::string name = NameOf(*target);
    // Temporaries of this version, and of earlier ones, which never shortened the name.
    const std::string stems[] = {TemporaryStem(name, NameMaxOf(folder)), name};
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return 0;
    const int folderFd = ::dirfd(listing);
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view entryName = entry->d_name;
        long pid = 0;
        for (const std::string& stem : stems) {
            if ((pid = TemporaryPid(entryName, stem)) != 0) break;
        }
        if (pid <= 0 || ProcessRuns(pid)) continue;
        // A writer holds its temporary locked: one whose id is not in this system's list
        // of processes (another machine's, another container's) is left alone too.
        const FileDescriptor fd(
            ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat held {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) continue;
        struct stat named {};
        if (::fstatat(folderFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino &&
            ::unlinkat(folderFd, entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(listing);
    return removed;
}

bool ReplaceFileAtomically(const std::string& path,
                           const std::function<bool(int fd, std::string& error)>& write,
                           std::string& error) {
    const std::optional<std::string> target = WriteTarget(path);
    if (!target) {
        error = std::strerror(ELOOP);
        return false;
    }
    RemoveLeftoverTemporaries(*target);
    const std::string folder = FolderOf(*target);
    const std::size_t slash = target->rfind('/');
    const std::string prefix = slash == std::string::npos ? "" : target->substr(0, slash + 1);
    const std::string name = NameOf(*target);
    const std::size_t nameMax = NameMaxOf(folder);

    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = prefix + TemporaryName(name, static_cast<long>(::getpid()),
                                           counter.fetch_add(1), attempt, nameMax);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // Tells a later clean-up that the temporary is being written (where locks work).
    ::flock(fd, LOCK_EX | LOCK_NB);
    bool ok = write(fd, error);
    // Flushing is where a full disk shows on some file systems; a file system that
    // cannot flush (EINVAL) or is read-only (EROFS, reached only through odd mounts)
    // is not an error here.
    if (ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        error = std::strerror(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok && errno != EINTR) {
        error = std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target->c_str()) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here does not undo the write.
    const FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.Get() >= 0) ::fsync(folderFd.Get());
    return true;
}

}  // namespace orvane
