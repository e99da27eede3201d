#include "common/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvane {
namespace {

// A name beside `path` that no other writer picks: the process id and a counter.
std::string TemporaryName(const std::string& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".tmp-%ld-%u-%u", static_cast<long>(::getpid()),
                  counter.fetch_add(1), attempt);
    return path + suffix;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path,
                           const std::function<bool(int fd, std::string& error)>& write,
                           std::string& error) {
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(path, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
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
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace orvane
