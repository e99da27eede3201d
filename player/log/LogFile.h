#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "log/LogHeader.h"
#include "log/LogRecord.h"

namespace orvane {

// An open log file with its one read position, shared by playback and the CSV export.
//
// The file is opened read-only (the player never writes a log) with a shared advisory
// lock: any number of players and exporters may read a log at once, while a log that a
// program holds for writing (an exclusive lock, or open for writing at all where the
// system can tell) is refused. Reads go through an internal buffer: a log is read with a few
// large system calls, while the read position behaves exactly as if every record were
// read with its own call. A read that delivers fewer bytes than asked for is the end
// of the log; nothing of it is used and the position stays where it was.
//
// The end of the log is where the file ends now: a log cut short (or rewritten) while
// open is never read from bytes buffered before. The file is looked at again before
// buffered bytes are used, after a move of the read position by more than one record
// (a seek, ReadHeader) and otherwise every few milliseconds, so only reads racing the
// change itself can still see the old bytes.
class LogFile {
public:
    LogFile();
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Length in bytes of the file named `path`, taken by name before opening; nullopt
    // when it cannot be measured (missing, not a regular file).
    static std::optional<std::int64_t> MeasureLength(const std::string& path);

    // Opens the file read-only with a shared lock. On failure returns false and,
    // when `reason` is given, stores the system's reason there. An open file is closed first.
    bool Open(const std::string& path, std::string* reason = nullptr);

    // Opens an independent reader of the file `other` holds open: a duplicate of its
    // descriptor with a buffer and read position of its own (starting at offset 0).
    // Reading or closing either one never affects the other, and the file stays locked
    // until both are closed. Lets a worker thread scan the log while playback goes on.
    // Returns false (with the reason) when `other` is not open. An open file is closed first.
    bool OpenDuplicateOf(const LogFile& other, std::string* reason = nullptr);

    bool IsOpen() const noexcept;

    // Length of the open file in bytes now; -1 when nothing is open or it cannot be taken.
    std::int64_t Length() const noexcept;

    // Reads up to `size` bytes at byte `offset` into `out` without touching the read
    // position or the buffer; returns the number of bytes read (fewer at the end of the
    // file), or -1 when the read fails. Safe to call from one thread per LogFile.
    std::int64_t ReadAt(std::int64_t offset, void* out, std::size_t size) const noexcept;

    // Reads the 44-byte header at offset 0; on success the position is the first record.
    std::optional<LogHeader> ReadHeader();

    // Reads the record at the current position and advances by 22 bytes; nullopt at the
    // end of the log (a failed or short read), leaving the position unchanged.
    std::optional<LogRecord> ReadRecord();

    // Reads up to `count` whole records at the current position straight from the file
    // (not through the buffer) into `out`, which has room for count * 22 bytes, and
    // advances the position past them. Returns how many were read: fewer than `count`
    // (0 included) at the end of the log, where a failed read ends it too. For long
    // sequential reads such as the CSV export.
    std::int64_t ReadRecords(std::uint8_t* out, std::int64_t count);

    // Sets the read position to a byte offset from the start of the file.
    void SetPosition(std::int64_t offset) noexcept;
    std::int64_t Position() const noexcept;

    // Sets the read position to record n (1-based): byte 44 + 22 * (n - 1).
    void SeekRecord(std::int64_t n) noexcept;

    // Closes the file (once; closing a closed file does nothing).
    void Close() noexcept;

    // Number of read system calls made so far; lets tests check the buffering.
    std::uint64_t ReadCallCount() const noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane
