#include "settings/SettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "common/WriteAll.h"

namespace orvane {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const noexcept { return fd_; }
    int Release() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

enum class ReadResult { Ok, Missing, Failed };

// Reads a whole regular file. A file that does not exist is Missing; anything else
// that goes wrong is Failed, so a writer never mistakes an unreadable file for an
// absent one and overwrites it.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, mode_t* mode = nullptr) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadResult::Failed;
    if (mode != nullptr) *mode = st.st_mode & 07777;
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

// The file a write must replace: a symbolic link is followed, so the link stays and
// the file it points to gets the new contents.
std::string WriteTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
        ::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Writes `bytes` to a new file beside `path` and renames it over `path`: the file on
// disk is either the old one or the new one, never a half-written mix.
bool ReplaceFile(const std::string& path, std::string_view bytes, mode_t mode) {
    std::string tempName = path + ".XXXXXX";
    FileDescriptor fd(::mkstemp(tempName.data()));
    if (fd.Get() < 0) return false;
    const bool written = WriteAll(fd.Get(), bytes) && ::fchmod(fd.Get(), mode) == 0 &&
                         ::fsync(fd.Get()) == 0 && ::close(fd.Release()) == 0;
    if (!written || ::rename(tempName.c_str(), path.c_str()) != 0) {
        ::unlink(tempName.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here does not undo the write.
    FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) ::fsync(folder.Get());
    return true;
}

}  // namespace

struct SettingsStore::Impl {
    struct Cached {
        bool exists = false;
        IniDocument document;
    };

    // The parsed file at `path`, read from disk on first use.
    const Cached& Load(const std::string& path) {
        const auto found = files.find(path);
        if (found != files.end()) return found->second;
        Cached& cached = files[path];
        std::string bytes;
        if (ReadWholeFile(path, bytes) == ReadResult::Ok) {
            cached.exists = true;
            cached.document = IniDocument(std::move(bytes));
        }
        return cached;
    }

    std::mutex mutex;
    std::map<std::string, Cached, std::less<>> files;
};

SettingsStore& SettingsStore::Instance() {
    static SettingsStore store;
    return store;
}

SettingsStore::SettingsStore() : impl_(std::make_unique<Impl>()) {}
SettingsStore::~SettingsStore() = default;

std::optional<std::string> SettingsStore::Value(const std::string& path, std::string_view section,
                                                std::string_view key) {
    std::lock_guard lock(impl_->mutex);
    const Impl::Cached& cached = impl_->Load(path);
    if (!cached.exists) return std::nullopt;
    return cached.document.Value(section, key);
}

bool SettingsStore::Write(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view value) {
    std::lock_guard lock(impl_->mutex);
    const std::string target = WriteTarget(path);
    // Always start from the bytes on disk now, not from a parsed copy, so nothing that
    // changed in the file since it was read is lost.
    std::string bytes;
    mode_t mode = 0644;  // a new file: readable by all, as editors create them
    switch (ReadWholeFile(target, bytes, &mode)) {
        case ReadResult::Failed:
            return false;
        case ReadResult::Missing:
            bytes.clear();
            break;
        case ReadResult::Ok:
            break;
    }
    const IniDocument document(std::move(bytes));
    const std::optional<std::string> updated = document.WithValue(section, key, value);
    if (!updated) return false;
    impl_->files.erase(path);
    impl_->files.erase(target);
    if (*updated == document.Bytes()) return true;
    return ReplaceFile(target, *updated, mode);
}

void SettingsStore::Forget() {
    std::lock_guard lock(impl_->mutex);
    impl_->files.clear();
}

}  // namespace orvane
