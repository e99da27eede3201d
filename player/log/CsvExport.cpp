#include "log/CsvExport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <initializer_list>
#include <thread>
#include <vector>

#include "common/WriteAll.h"
#include "log/RecordCursor.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

constexpr std::size_t kFlushSize = 256 * 1024;

// "LABEL=ON" or "LABEL=OFF" for each switch, separated by blanks.
std::string SwitchesField(std::initializer_list<SwitchKind> kinds, std::uint8_t b) {
    std::string field;
    for (const SwitchKind kind : kinds) {
        if (!field.empty()) field += ' ';
        field += SwitchLabel(kind);
        field += SwitchIsOn(kind, b) ? "=ON" : "=OFF";
    }
    return field;
}

// The field text of a slot with item code `code` for raw byte `b`. Codes above 255 do
// not fit the catalogue's one-byte codes; they are treated as codes without a formula.
std::string FieldText(std::int16_t code, std::uint8_t b) {
    if (code == SwitchStatusCode) {
        return SwitchesField({SwitchKind::Idle, SwitchKind::Power, SwitchKind::Ac, SwitchKind::Tdc},
                             b);
    }
    if (code == SwitchStatus2Code) return SwitchesField({SwitchKind::AcRelay}, b);
    const double value = IsByteCode(code) ? ConvertValue(static_cast<std::uint8_t>(code), b) : 0.0;
    return FormatValue(value);
}

// How often an export waiting for the CSV file tries again.
constexpr std::chrono::milliseconds kLockRetry{50};

// The CSV file of an export, open for appending and locked against other exports.
struct LockedCsv {
    int fd = -1;
    bool regular = false;     // a regular file, which can be cut back
    bool created = false;     // created empty by this export: removed when it fails
    off_t startSize = 0;      // the size before this export
    struct stat identity {};  // which file it is, to remove only this one
};

enum class OpenOutcome { Ok, Failed, GaveUp };

// Opens the file for writing at its end, following a symbolic link; creates it when
// missing. Sets `created` when this call created it. Non-blocking, so that a named
// pipe without a reader fails instead of hanging.
int OpenForAppend(const std::string& path, bool& created) {
    constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK;
    created = false;
    int fd = ::open(path.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
        created = fd >= 0;
        // Created by someone else meanwhile, or a link to a file still to be made.
        if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), kFlags | O_CREAT, 0666);
    }
    if (fd >= 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return fd;
}

// Opens the CSV file and takes the exclusive lock that every export holds for its whole
// run, waiting while another export holds it.
OpenOutcome OpenLocked(const std::string& path,
                       const std::function<bool(std::chrono::milliseconds)>& waiting,
                       LockedCsv& csv, std::string& error) {
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        bool created = false;
        const int fd = OpenForAppend(path, created);
        if (fd < 0) {
            error = std::strerror(errno);
            return OpenOutcome::Failed;
        }
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            // A file system without locks: the export goes on unlocked.
            if (errno != EWOULDBLOCK) break;
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - started);
            if (waiting && !waiting(waited)) {
                ::close(fd);
                return OpenOutcome::GaveUp;
            }
            std::this_thread::sleep_for(kLockRetry);
        }
        struct stat held {};
        if (::fstat(fd, &held) != 0) {
            error = std::strerror(errno);
            ::close(fd);
            return OpenOutcome::Failed;
        }
        // While this export waited, the export holding the lock may have failed and
        // removed the file it had created: start again with whatever the name names now.
        struct stat named {};
        if (S_ISREG(held.st_mode) && (held.st_nlink == 0 || ::stat(path.c_str(), &named) != 0 ||
                                      named.st_dev != held.st_dev || named.st_ino != held.st_ino)) {
            ::close(fd);
            continue;
        }
        csv.fd = fd;
        csv.regular = S_ISREG(held.st_mode);
        csv.created = created && held.st_size == 0;
        csv.startSize = held.st_size;
        csv.identity = held;
        return OpenOutcome::Ok;
    }
}

// Puts the CSV file back as it was before the export. False when that failed.
bool TakeBack(const std::string& path, const LockedCsv& csv) {
    if (!csv.regular) return false;
    if (csv.created) {
        // Empty it first: an export waiting for the lock holds it open, and finds it gone.
        struct stat named {};
        const bool same = ::stat(path.c_str(), &named) == 0 &&
                          named.st_dev == csv.identity.st_dev &&
                          named.st_ino == csv.identity.st_ino;
        const bool emptied = ::ftruncate(csv.fd, 0) == 0;
        return same ? ::unlink(path.c_str()) == 0 : emptied;
    }
    return ::ftruncate(csv.fd, csv.startSize) == 0;
}

// Hands over the records from the log's read position to its end, read in large chunks
// straight from the file as it is now, moving the position past each chunk.
class RecordsToTheEnd {
public:
    explicit RecordsToTheEnd(LogFile& log) : log_(log) {}

    std::optional<LogRecord> operator()() {
        if (used_ == count_) {
            if (ended_) return std::nullopt;
            chunk_.resize(static_cast<std::size_t>(RecordScan::ChunkRecords) * RecordSize);
            count_ = log_.ReadRecords(chunk_.data(), RecordScan::ChunkRecords);
            used_ = 0;
            // A short chunk is the end of the log.
            ended_ = count_ < RecordScan::ChunkRecords;
            if (count_ == 0) return std::nullopt;
        }
        const std::uint8_t* bytes = chunk_.data() + used_++ * RecordSize;
        return LogRecord::Decode(std::span<const std::uint8_t, RecordSize>(bytes, RecordSize));
    }

private:
    LogFile& log_;
    std::vector<std::uint8_t> chunk_;
    std::int64_t count_ = 0;
    std::int64_t used_ = 0;
    bool ended_ = false;
};

}  // namespace

struct CsvExport::Impl {
    DateTime start;
    std::vector<std::int16_t> columnCodes;
    std::vector<std::uint8_t> columnSlots;  // 0-based slot index of each column
    // Field texts of every column for every raw byte: ",<text>" ready to copy.
    std::string texts;
    std::vector<std::array<std::uint32_t, 256>> textOffsets;
    std::vector<std::array<std::uint16_t, 256>> textLengths;

    // The longest line a record can produce, for reserving buffer room.
    std::size_t maxLineLength = 0;

    // Appends one record line to `out` at `at`; `out` must have room for maxLineLength.
    // `cachedSecond` and `cachedDateTime` carry the formatted date and time of the
    // previous record, since consecutive samples mostly share their second.
    char* AppendLine(char* at, const LogRecord& record, std::int64_t& cachedSecond,
                     char* cachedDateTime, CsvExtraColumns* extra = nullptr) const {
        const std::int64_t second = WholeSeconds(record.Millis);
        if (second != cachedSecond) {
            const DateTime t = start.AddSeconds(second);
            t.FormatDate(cachedDateTime);
            cachedDateTime[8] = ',';
            t.FormatTime(cachedDateTime + 9);
            cachedSecond = second;
        }
        std::memcpy(at, cachedDateTime, 17);
        at += 17;
        *at++ = ',';
        at = std::to_chars(at, at + 12, MillisPart(record.Millis)).ptr;
        for (std::size_t c = 0; c < columnSlots.size(); ++c) {
            const std::uint8_t b = record.SlotBytes[columnSlots[c]];
            const std::uint16_t length = textLengths[c][b];
            std::memcpy(at, texts.data() + textOffsets[c][b], length);
            at += length;
        }
        if (extra != nullptr) at = extra->AppendFields(at, record);
        *at++ = '\r';
        *at++ = '\n';
        return at;
    }

    // Writes the header line, then a line for each record `next` hands over (nullopt at
    // the end), to `fd` in large blocks. `progress` is asked after every block but the
    // last; the caller asks it the last time once the lines are safe.
    template <class NextRecord>
    CsvExportResult Write(NextRecord next, int fd, const std::string& headerLine,
                          const std::function<bool(std::int64_t)>& progress,
                          CsvExtraColumns* extra = nullptr) const {
        CsvExportResult result;
        const std::size_t extraLength =
            extra != nullptr ? extra->Names().size() * CsvExtraColumns::MaxFieldLength : 0;
        std::vector<char> buffer(kFlushSize + maxLineLength + extraLength + headerLine.size());
        char* at = buffer.data();
        std::memcpy(at, headerLine.data(), headerLine.size());
        at += headerLine.size();

        std::int64_t cachedSecond = INT64_MIN;
        char cachedDateTime[17];
        const auto flush = [&] {
            const std::string_view pending(buffer.data(),
                                           static_cast<std::size_t>(at - buffer.data()));
            at = buffer.data();
            if (WriteAll(fd, pending)) return true;
            result.Ok = false;
            result.Error = std::strerror(errno);
            return false;
        };
        while (const auto record = next()) {
            at = AppendLine(at, *record, cachedSecond, cachedDateTime, extra);
            ++result.RecordLines;
            if (static_cast<std::size_t>(at - buffer.data()) >= kFlushSize) {
                if (!flush()) return result;
                if (progress && !progress(result.RecordLines)) {
                    result.Ok = false;
                    result.Cancelled = true;
                    return result;
                }
            }
        }
        flush();
        return result;
    }
};

CsvExport::CsvExport(const DateTime& start, std::span<const std::int16_t, SlotCount> slotItems)
    : impl_(std::make_unique<Impl>()) {
    impl_->start = start;
    for (std::size_t k = 0; k < slotItems.size(); ++k) {
        if (slotItems[k] < 0) continue;
        impl_->columnCodes.push_back(slotItems[k]);
        impl_->columnSlots.push_back(static_cast<std::uint8_t>(k));
    }
    impl_->maxLineLength = 17 + 1 + 11 + 2;  // date,time ,millis CR LF
    for (const std::int16_t code : impl_->columnCodes) {
        std::array<std::uint32_t, 256> offsets{};
        std::array<std::uint16_t, 256> lengths{};
        std::size_t longest = 0;
        for (int b = 0; b < 256; ++b) {
            std::string field = ",";
            field += FieldText(code, static_cast<std::uint8_t>(b));
            offsets[b] = static_cast<std::uint32_t>(impl_->texts.size());
            lengths[b] = static_cast<std::uint16_t>(field.size());
            impl_->texts += field;
            longest = std::max(longest, field.size());
        }
        impl_->textOffsets.push_back(offsets);
        impl_->textLengths.push_back(lengths);
        impl_->maxLineLength += longest;
    }
}

CsvExport::~CsvExport() = default;

std::string CsvExport::CsvPathFor(const std::string& logFileName) {
    return StemFor(logFileName) + ".csv";
}

std::string CsvExport::StemFor(const std::string& logFileName) {
    // Characters are counted as UTF-8 sequences, not bytes.
    const auto isContinuation = [&](std::size_t at) {
        return (static_cast<unsigned char>(logFileName[at]) & 0xC0) == 0x80;
    };
    const std::size_t slash = logFileName.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t end = logFileName.size();
    int removed = 0;
    for (; removed < 4 && end > nameStart; ++removed) {
        do {
            --end;
        } while (end > nameStart && isContinuation(end));
    }
    // A name of four characters or fewer keeps all of them: removing them would leave
    // ".csv" (a hidden file) or cut into the folder's name.
    if (removed < 4 || end == nameStart) return logFileName;
    return logFileName.substr(0, end);
}

std::string CsvExport::HeaderLine() const {
    std::string line = "Date,Time,Milliseconds";
    for (const std::int16_t code : impl_->columnCodes) {
        line += ',';
        line += SensorName(code);
    }
    line += "\r\n";
    return line;
}

std::string CsvExport::RecordLine(const LogRecord& record) const {
    std::string line(impl_->maxLineLength, '\0');
    std::int64_t cachedSecond = INT64_MIN;
    char cachedDateTime[17];
    char* end = impl_->AppendLine(line.data(), record, cachedSecond, cachedDateTime);
    line.resize(static_cast<std::size_t>(end - line.data()));
    return line;
}

namespace {

// The header line with the names of the extra columns before its CR LF.
std::string WithExtraNames(std::string line, const CsvExtraColumns* extra) {
    if (extra == nullptr) return line;
    line.resize(line.size() - 2);
    for (const std::string& name : extra->Names()) {
        line += ',';
        line += name;
    }
    line += "\r\n";
    return line;
}

}  // namespace

CsvExportResult CsvExport::WriteTo(LogFile& log, int fd, CsvExtraColumns* extra) const {
    return impl_->Write(RecordsToTheEnd(log), fd, WithExtraNames(HeaderLine(), extra), {}, extra);
}

CsvExportResult CsvExport::WriteRangeTo(const LogFile& log, SampleRange range, int fd,
                                        const std::function<bool(std::int64_t)>& progress,
                                        CsvExtraColumns* extra) const {
    CsvExportResult result;
    result.Error = RangeProblem(range, CompleteRecords(log.Length()));
    if (!result.Error.empty()) {
        result.Ok = false;
        return result;
    }
    RecordCursor cursor(log, range);
    result = impl_->Write([&cursor] { return cursor.Next(); }, fd,
                          WithExtraNames(HeaderLine(), extra), progress, extra);
    if (result.Ok && !cursor.Error().empty()) {
        result.Ok = false;
        result.Error = "cannot read the log: " + cursor.Error();
    }
    return result;
}

CsvExportResult CsvExport::AppendTo(LogFile& log, const std::string& csvPath) const {
    return AppendTo(log, csvPath, {});
}

CsvExportResult CsvExport::AppendTo(LogFile& log, const std::string& csvPath,
                                    const CsvExportControl& control) const {
    CsvExportResult result;
    LockedCsv csv;
    switch (OpenLocked(csvPath, control.Waiting, csv, result.Error)) {
        case OpenOutcome::Failed:
            result.Ok = false;
            return result;
        case OpenOutcome::GaveUp:
            result.Ok = false;
            result.Cancelled = true;
            return result;
        case OpenOutcome::Ok:
            break;
    }
    const std::int64_t startPosition = log.Position();

    result = impl_->Write(RecordsToTheEnd(log), csv.fd, HeaderLine(), control.Progress);
    // Flushing to the disk is where a full disk shows on some file systems.
    if (result.Ok && ::fsync(csv.fd) != 0 && errno != EINVAL && errno != EROFS) {
        result.Ok = false;
        result.Error = std::strerror(errno);
    }
    // The last chance to stop: until here the lines can still be taken back.
    if (result.Ok && control.Progress && !control.Progress(result.RecordLines)) {
        result.Ok = false;
        result.Cancelled = true;
    }
    if (!result.Ok) {
        // Leave the file as it was before this export, and the log where it was. The
        // lock is still held, so nothing another export appended is cut off.
        if (!TakeBack(csvPath, csv)) {
            if (result.Cancelled) result.Error = "cancelled";
            result.Cancelled = false;
            result.Error += " (the lines written so far could not be removed)";
        }
        log.SetPosition(startPosition);
        result.RecordLines = 0;
    }
    // Closing the file releases the lock.
    if (::close(csv.fd) != 0 && result.Ok && errno != EINTR) {
        result.Ok = false;
        result.Error = std::strerror(errno);
    }
    return result;
}

}  // namespace orvane
