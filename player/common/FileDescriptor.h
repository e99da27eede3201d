#pragma once

#include <unistd.h>

#include <utility>

namespace orvane {

// An open file descriptor, closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const noexcept { return fd_; }
    // Hands the descriptor over: it is no longer closed here.
    int Release() noexcept { return std::exchange(fd_, -1); }

private:
    int fd_;
};

}  // namespace orvane
