#include "log/LogFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

namespace orvane {
namespace {

// Large enough that a whole playback or export makes few calls, small enough that a
// seek into the middle of a log costs little.
constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::int64_t kAlignment = 4096;

std::string SystemReason(int error) {
    return std::strerror(error);
}

// True when some program has the file open for writing, whether or not it locks it (a
// logger still recording). A read lease cannot be had on such a file; taking one and
// giving it back at once tells. Where leases are not allowed (a file of another user,
// a file system without them) the lock alone has to do.
bool OpenForWritingElsewhere(int fd) noexcept {
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    return errno == EAGAIN;
}

// The coarse monotonic clock in its own ticks (a few milliseconds each): cheap enough to
// read for every record.
std::int64_t CoarseTick() noexcept {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// What tells that the file changed since it was buffered: its length and the time it was
// last written to.
struct FileVersion {
    std::int64_t length = -1;
    std::int64_t modified = 0;  // nanoseconds
    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

FileVersion VersionOf(int fd) noexcept {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return {};
    return {static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

}  // namespace

struct LogFile::Impl {
    int fd = -1;
    std::int64_t position = 0;
    // The buffer holds the bytes [bufferStart, bufferStart + bufferLength) of the file.
    std::vector<std::uint8_t> buffer;
    std::int64_t bufferStart = 0;
    std::size_t bufferLength = 0;
    std::uint64_t readCalls = 0;
    // The file as it was when the buffer was filled, and when that was last confirmed.
    FileVersion bufferedVersion;
    std::int64_t confirmedTick = 0;
    bool moved = true;  // the position was set since the last confirmation

    // Reads `size` bytes at the current position into `out`. Returns false on a failed
    // or short read, leaving the position unchanged.
    bool Read(std::uint8_t* out, std::size_t size) {
        if (fd < 0) return false;
        if (Covers(position, size)) ConfirmBuffer();
        if (!Covers(position, size)) Fill(position);
        if (!Covers(position, size)) return false;
        std::memcpy(out, buffer.data() + (position - bufferStart), size);
        position += static_cast<std::int64_t>(size);
        return true;
    }

    bool Covers(std::int64_t offset, std::size_t size) const noexcept {
        return offset >= bufferStart && offset + static_cast<std::int64_t>(size) <=
                                            bufferStart + static_cast<std::int64_t>(bufferLength);
    }

    // A log cut short (or rewritten) while open must not be read from the buffer: before
    // buffered bytes are used, the file is looked at again whenever the read position was
    // moved since the last look (a seek, a stop) and otherwise at most once per tick of
    // the coarse clock, which a run of reads hardly notices. A file that changed drops
    // the buffer, so the bytes come from the file as it is now.
    void ConfirmBuffer() noexcept {
        const std::int64_t tick = CoarseTick();
        if (!moved && tick == confirmedTick) return;
        moved = false;
        confirmedTick = tick;
        if (VersionOf(fd) != bufferedVersion) Invalidate();
    }

    // Fills the buffer with the file from a page boundary at or before `offset`, so that
    // stepping back one record at a time rarely needs a new read.
    void Fill(std::int64_t offset) {
        bufferLength = 0;
        // Taken before reading: a change during the read shows at the next look.
        bufferedVersion = VersionOf(fd);
        confirmedTick = CoarseTick();
        moved = false;
        if (offset < 0) {
            bufferStart = 0;
            return;
        }
        bufferStart = offset - offset % kAlignment;
        buffer.resize(kBufferSize);
        while (bufferLength < kBufferSize) {
            ++readCalls;
            const ssize_t n = ::pread(fd, buffer.data() + bufferLength, kBufferSize - bufferLength,
                                      bufferStart + static_cast<std::int64_t>(bufferLength));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // end of file or a failed read: what we have is all there is
            bufferLength += static_cast<std::size_t>(n);
        }
    }

    void Invalidate() noexcept {
        bufferStart = 0;
        bufferLength = 0;
    }
};

LogFile::LogFile() : impl_(std::make_unique<Impl>()) {}

LogFile::~LogFile() {
    Close();
}

std::optional<std::int64_t> LogFile::MeasureLength(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

bool LogFile::Open(const std::string& path, std::string* reason) {
    Close();
    // Non-blocking so that a named pipe given as a log cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (reason) *reason = SystemReason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (reason) *reason = "not a regular file";
        ::close(fd);
        return false;
    }
    // Readers share the file; a program that writes it holds it exclusively.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        if (reason)
            *reason = errno == EWOULDBLOCK ? "the file is in use by another program"
                                           : SystemReason(errno);
        ::close(fd);
        return false;
    }
    if (OpenForWritingElsewhere(fd)) {
        if (reason) *reason = "the file is being written by another program";
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    impl_->fd = fd;
    impl_->position = 0;
    impl_->Invalidate();
    return true;
}

bool LogFile::OpenDuplicateOf(const LogFile& other, std::string* reason) {
    if (&other == this) return IsOpen();
    Close();
    if (other.impl_->fd < 0) {
        if (reason) *reason = "the log is not open";
        return false;
    }
    // The duplicate shares the open file description, and so the lock, but reads with
    // pread only: the shared file offset is never used.
    const int fd = ::fcntl(other.impl_->fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        if (reason) *reason = SystemReason(errno);
        return false;
    }
    impl_->fd = fd;
    impl_->position = 0;
    impl_->Invalidate();
    return true;
}

bool LogFile::IsOpen() const noexcept {
    return impl_->fd >= 0;
}

std::int64_t LogFile::Length() const noexcept {
    struct stat st {};
    if (impl_->fd < 0 || ::fstat(impl_->fd, &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::int64_t LogFile::ReadAt(std::int64_t offset, void* out, std::size_t size) const noexcept {
    if (impl_->fd < 0 || offset < 0) return -1;
    auto* bytes = static_cast<std::uint8_t*>(out);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(impl_->fd, bytes + done, size - done, offset + static_cast<std::int64_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::optional<LogHeader> LogFile::ReadHeader() {
    impl_->position = 0;
    impl_->moved = true;
    std::uint8_t bytes[HeaderSize];
    if (!impl_->Read(bytes, HeaderSize)) return std::nullopt;
    return LogHeader::Decode(std::span<const std::uint8_t, HeaderSize>(bytes, HeaderSize));
}

std::optional<LogRecord> LogFile::ReadRecord() {
    std::uint8_t bytes[RecordSize];
    if (!impl_->Read(bytes, RecordSize)) return std::nullopt;
    return LogRecord::Decode(std::span<const std::uint8_t, RecordSize>(bytes, RecordSize));
}

std::int64_t LogFile::ReadRecords(std::uint8_t* out, std::int64_t count) {
    if (count <= 0) return 0;
    const std::int64_t got =
        ReadAt(impl_->position, out, static_cast<std::size_t>(count) * RecordSize);
    if (got <= 0) return 0;
    const std::int64_t whole = got / RecordSize;
    impl_->position += whole * RecordSize;
    return whole;
}

void LogFile::SetPosition(std::int64_t offset) noexcept {
    // Playback steps back onto the record it shows and on again for every sample: a step
    // of one record is reading on, left to the clock; anything further is a seek.
    const std::int64_t step = offset - impl_->position;
    if (step > RecordSize || step < -RecordSize) impl_->moved = true;
    impl_->position = offset;
}

std::int64_t LogFile::Position() const noexcept {
    return impl_->position;
}

void LogFile::SeekRecord(std::int64_t n) noexcept {
    SetPosition(RecordOffset(n));
}

void LogFile::Close() noexcept {
    if (impl_ && impl_->fd >= 0) {
        ::close(impl_->fd);  // closing the descriptor also releases the lock
        impl_->fd = -1;
        impl_->Invalidate();
    }
}

std::uint64_t LogFile::ReadCallCount() const noexcept {
    return impl_->readCalls;
}

}  // namespace orvane
