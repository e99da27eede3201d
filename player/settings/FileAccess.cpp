#include "settings/FileAccess.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/FileDescriptor.h"

namespace orvane {

ReadResult ReadWholeFile(const std::string& path, std::string& bytes, struct stat* status) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadResult::Failed;
    if (status != nullptr) *status = st;
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return ReadResult::Failed;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return ReadResult::Ok;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace orvane
