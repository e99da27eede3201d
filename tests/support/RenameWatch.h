#pragma once

// Counts the files renamed into a folder under a given name, as the system reports
// them: a file replaced by writing a new one and renaming it over the old one shows as
// one rename.

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace orvane::testing {

class RenameWatch {
public:
    explicit RenameWatch(const std::filesystem::path& folder)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        // Both halves of a rename are watched: the system merges events that follow
        // each other unread when they are alike, as two renames to one name would be.
        if (fd_ < 0 || ::inotify_add_watch(fd_, folder.c_str(), IN_MOVED_FROM | IN_MOVED_TO) < 0) {
            throw std::runtime_error("inotify failed");
        }
    }
    ~RenameWatch() { ::close(fd_); }
    RenameWatch(const RenameWatch&) = delete;
    RenameWatch& operator=(const RenameWatch&) = delete;

    // The renames to `name` since the last call.
    int RenamesTo(const std::string& name) {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) return count;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & IN_MOVED_TO) && event->len > 0 && name == event->name) ++count;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int fd_;
};

}  // namespace orvane::testing
