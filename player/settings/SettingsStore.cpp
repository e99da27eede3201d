#include "settings/SettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "common/AtomicFile.h"
#include "common/FileDescriptor.h"
#include "common/WriteAll.h"
#include "settings/FileAccess.h"

namespace orvane {
namespace {

// True when the process may change the file: it has write permission, and the file is
// not marked read-only (which even the superuser, who passes every permission check,
// respects here).
bool MayWrite(const std::string& path, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Writes `bytes` to a new file beside `path` and renames it over `path`: the file on
// disk is either the old one or the new one, never a half-written mix. The new file
// gets `mode` and, when `owner` is given, that file's owner and group; when it cannot
// have them, nothing is replaced.
bool ReplaceFile(const std::string& path, std::string_view bytes, mode_t mode,
                 const struct stat* owner) {
    std::string tempName = path + ".XXXXXX";
    FileDescriptor fd(::mkstemp(tempName.data()));
    if (fd.Get() < 0) return false;
    struct stat created {};
    const bool owned = owner == nullptr ||
                       (::fstat(fd.Get(), &created) == 0 && created.st_uid == owner->st_uid &&
                        created.st_gid == owner->st_gid) ||
                       ::fchown(fd.Get(), owner->st_uid, owner->st_gid) == 0;
    const bool written = owned && WriteAll(fd.Get(), bytes) && ::fchmod(fd.Get(), mode) == 0 &&
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

bool SettingsStore::Write(const std::string& path, std::string_view section,
                          std::span<const KeyValue> values) {
    std::lock_guard lock(impl_->mutex);
    const std::optional<std::string> target = WriteTarget(path);
    if (!target) return false;
    // Always start from the bytes on disk now, not from a parsed copy, so nothing that
    // changed in the file since it was read is lost.
    std::string bytes;
    struct stat existing {};
    bool exists = false;
    switch (ReadWholeFile(*target, bytes, &existing)) {
        case ReadResult::Failed:
            return false;
        case ReadResult::Missing:
            bytes.clear();
            break;
        case ReadResult::Ok:
            if (!MayWrite(*target, existing)) return false;
            exists = true;
            break;
    }
    IniDocument document(std::move(bytes));
    const std::string original = document.Bytes();
    for (const KeyValue& value : values) {
        std::optional<std::string> updated = document.WithValue(section, value.Key, value.Value);
        if (!updated) return false;
        document = IniDocument(std::move(*updated));
    }
    impl_->files.erase(path);
    impl_->files.erase(*target);
    if (document.Bytes() == original) return true;
    // A new file: readable by all, as editors create them.
    const mode_t mode = exists ? existing.st_mode & 07777 : 0644;
    return ReplaceFile(*target, document.Bytes(), mode, exists ? &existing : nullptr);
}

void SettingsStore::Forget() {
    std::lock_guard lock(impl_->mutex);
    impl_->files.clear();
}

}  // namespace orvane
